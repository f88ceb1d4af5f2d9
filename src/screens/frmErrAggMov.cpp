#include "frmErrAggMov.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace evapre {

frmErrAggMov::frmErrAggMov(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmErrAggMov"));
    setWindowTitle(QStringLiteral("Errore"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    labErrore = new QLabel(QStringLiteral("Errore durante il disaggiornamento"), this);
    labErrore->setObjectName(QStringLiteral("labErrore"));
    QFont grassetto = labErrore->font();
    grassetto.setBold(true);
    labErrore->setFont(grassetto);
    LabMsgErr = new QLabel(this);
    LabMsgErr->setObjectName(QStringLiteral("LabMsgErr"));
    LabMsgErr->setTextFormat(Qt::PlainText);
    LabMsgErr->setWordWrap(true);
    LabMsgErr->setTextInteractionFlags(Qt::TextSelectableByMouse);
    comPresegui = new QPushButton(QStringLiteral("Prosegui"), this);
    comPresegui->setObjectName(QStringLiteral("comPresegui"));
    comPresegui->setDefault(true);
    connect(comPresegui, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(labErrore);
    layout->addWidget(LabMsgErr, 1);
    layout->addWidget(comPresegui, 0, Qt::AlignHCenter);
    adattaAlloSchermo();
}

// The window takes a share of the screen it opens on, whatever its resolution.
void frmErrAggMov::adattaAlloSchermo() {
    const QScreen* schermo = QApplication::primaryScreen();
    const QRect area = schermo ? schermo->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(qBound(360, area.width() * 2 / 5, 900), qBound(160, area.height() / 4, 600));
}

void frmErrAggMov::Prepara(const QString& messaggio) {
    LabMsgErr->setText(messaggio);
}

QString frmErrAggMov::messaggio() const {
    return LabMsgErr->text();
}

void frmErrAggMov::MostraErrore(const QString& messaggio) {
    Prepara(messaggio);
    exec();
}

}  // namespace evapre
