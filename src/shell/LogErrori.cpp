#include "LogErrori.h"

namespace evapre {

void LogErrori::Aggiungi(int numero, const QString& descrizione, const QString& titolo) {
    if (miNumErrori < MaxTesti) {
        msTesto += QStringLiteral("Errore n°") + QString::number(numero) + QStringLiteral(" : ") +
                   descrizione + QStringLiteral(" in ") + titolo + QLatin1Char('\n');
    } else if (miNumErrori == MaxTesti) {
        msTesto += QStringLiteral("..............");
    }
    ++miNumErrori;
}

void LogErrori::azzera() {
    miNumErrori = 0;
    msTesto.clear();
}

}  // namespace evapre
