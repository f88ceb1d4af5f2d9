#include "frmPreEvaManu.h"

namespace evapre {

frmPreEvaManu::frmPreEvaManu(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmPreEvaManu"));
    setWindowTitle(QStringLiteral("Selezione preventivi da evadere"));
}

void frmPreEvaManu::EvasioneManuale() {
    // The grid is still to be built: nothing is staged, the form closes at once.
    close();
}

}  // namespace evapre
