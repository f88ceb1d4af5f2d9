#include "frmInElab.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

#include "TextUtil.h"

namespace evapre {

frmInElab::frmInElab(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInElab"));
    setWindowTitle(QStringLiteral("In Elaborazione"));
    setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(8);

    auto* testa = new QHBoxLayout;
    PicMsgElab = new QLabel(this);
    PicMsgElab->setObjectName(QStringLiteral("PicMsgElab"));
    PicMsgElab->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(32, 32));
    LabMsgElab = new QLabel(QStringLiteral("in Elaborazione"), this);
    LabMsgElab->setObjectName(QStringLiteral("LabMsgElab"));
    LabMsgElab->setWordWrap(true);
    QFont grassetto = LabMsgElab->font();
    grassetto.setBold(true);
    LabMsgElab->setFont(grassetto);
    testa->addWidget(PicMsgElab);
    testa->addWidget(LabMsgElab, 1);
    layout->addLayout(testa);

    proDaFare = new QProgressBar(this);
    proDaFare->setObjectName(QStringLiteral("proDaFare"));
    proDaFare->setTextVisible(false);
    layout->addWidget(proDaFare);

    auto* contatori = new QHBoxLayout;
    LabFatti = new QLabel(QStringLiteral("0"), this);
    LabFatti->setObjectName(QStringLiteral("LabFatti"));
    LabDi = new QLabel(QStringLiteral("di"), this);
    LabDi->setObjectName(QStringLiteral("LabDi"));
    labDaFare = new QLabel(QStringLiteral("999999"), this);
    labDaFare->setObjectName(QStringLiteral("labDaFare"));
    contatori->addStretch(1);
    contatori->addWidget(LabFatti);
    contatori->addWidget(LabDi);
    contatori->addWidget(labDaFare);
    layout->addLayout(contatori);
    setMinimumWidth(380);
}

void frmInElab::avvia(const QString& didascalia, int totale) {
    mTotale = qMax(0, totale);
    LabMsgElab->setText(TrimSpaces(didascalia));
    // An uncounted phase shows a moving bar and no counters.
    proDaFare->setRange(0, mTotale);
    proDaFare->setValue(0);
    LabFatti->setText(QStringLiteral("0"));
    labDaFare->setText(QString::number(mTotale));
    for (QLabel* l : {LabFatti, LabDi, labDaFare})
        l->setVisible(mTotale > 0);
}

void frmInElab::avanza(int fatti, const QString& contatori) {
    if (mTotale > 0) {
        proDaFare->setValue(qBound(0, fatti, mTotale));
        LabFatti->setText(QString::number(fatti));
    } else if (!contatori.isEmpty()) {
        LabMsgElab->setText(contatori);
    }
}

}  // namespace evapre
