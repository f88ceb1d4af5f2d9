#include "FrmInpCambi.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "DateConv.h"
#include "NumberConv.h"
#include "TextUtil.h"
#include "UiServices.h"

namespace evapre {

namespace {

// The grid that lets the form commit the cell being edited.
class GrigliaCambi : public QTableWidget {
  public:
    using QTableWidget::QTableWidget;
    void confermaModifica() {
        QWidget* editor = QApplication::focusWidget();
        if (editor && editor != this && isAncestorOf(editor)) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

QString testoCambio(const Currency& cambio) {
    if (cambio.isZero())
        return {};
    QString t = cambio.format(6);
    // Trailing zeros of the decimals say nothing about the rate.
    while (t.contains(QLatin1Char(',')) && t.endsWith(QLatin1Char('0')))
        t.chop(1);
    if (t.endsWith(QLatin1Char(',')))
        t.chop(1);
    return t;
}

}  // namespace

FrmInpCambi::FrmInpCambi(UiServices& ui, QWidget* parent) : QDialog(parent), mUi(ui) {
    setObjectName(QStringLiteral("FrmInpCambi"));
    setWindowTitle(QStringLiteral("Cambi"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    dbgCambi = new GrigliaCambi(0, 4, this);
    dbgCambi->setObjectName(QStringLiteral("dbgCambi"));
    dbgCambi->setHorizontalHeaderLabels({QStringLiteral("Cod. Moneta"), QStringLiteral("Moneta"),
                                         QStringLiteral("Data"), QStringLiteral("Cambio")});
    dbgCambi->verticalHeader()->hide();
    dbgCambi->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgCambi->setEditTriggers(QAbstractItemView::AllEditTriggers);
    const QFontMetrics fm(dbgCambi->font());
    const int margine = 24;
    dbgCambi->setColumnWidth(ColCodice,
                             fm.horizontalAdvance(QStringLiteral("Cod. Moneta")) + margine);
    dbgCambi->setColumnWidth(ColMoneta,
                             fm.horizontalAdvance(QStringLiteral("Moneta")) * 4 + margine);
    dbgCambi->setColumnWidth(ColData,
                             fm.horizontalAdvance(QStringLiteral("31/12/2000   ")) + margine);
    dbgCambi->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(dbgCambi, 1);

    auto* piede = new QHBoxLayout;
    CheAggTutti = new QCheckBox(QStringLiteral("Aggiorna tutti i cambi"), this);
    CheAggTutti->setObjectName(QStringLiteral("CheAggTutti"));
    ComChiudi = new QPushButton(QStringLiteral("&Chiudi"), this);
    ComChiudi->setObjectName(QStringLiteral("ComChiudi"));
    ComChiudi->setDefault(true);
    piede->addWidget(CheAggTutti);
    piede->addStretch(1);
    piede->addWidget(ComChiudi);
    layout->addLayout(piede);
    connect(ComChiudi, &QPushButton::clicked, this, &FrmInpCambi::ComChiudi_Click);
    resize(560, 260);
}

void FrmInpCambi::setCambi(std::vector<CambioProposto>* cambi) {
    mCambi = cambi;
    riempi();
}

void FrmInpCambi::riempi() {
    dbgCambi->setRowCount(0);
    if (!mCambi)
        return;
    for (const CambioProposto& c : *mCambi) {
        const int riga = dbgCambi->rowCount();
        dbgCambi->insertRow(riga);
        const QStringList celle{TrimSpaces(c.moneta), TrimSpaces(c.descrizione), FormatData(c.data),
                                testoCambio(c.cambio)};
        for (int colonna = 0; colonna < celle.size(); ++colonna) {
            auto* item = new QTableWidgetItem(celle.at(colonna));
            if (colonna != ColCambio)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            else
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            dbgCambi->setItem(riga, colonna, item);
        }
    }
    if (dbgCambi->rowCount() > 0)
        dbgCambi->setCurrentCell(0, ColCambio);
}

void FrmInpCambi::confermaModifica() {
    static_cast<GrigliaCambi*>(dbgCambi)->confermaModifica();
}

// Every rate a number above zero, else nothing is written.
bool FrmInpCambi::scriviCambi() {
    confermaModifica();
    if (!mCambi)
        return true;
    std::vector<CambioProposto> letti = *mCambi;
    for (size_t i = 0; i < letti.size(); ++i) {
        const QTableWidgetItem* cella = dbgCambi->item(static_cast<int>(i), ColCambio);
        const NumeroConvertito numero = ConvertiNumeroEx(cella ? cella->text() : QString());
        letti[i].cambio = numero.error || numero.blank ? Currency() : numero.value;
    }
    const int mancante = CambiEvasione::PrimoMancante(letti);
    if (mancante >= 0) {
        mUi.message(CambiEvasione::MessaggioMancante());
        dbgCambi->setCurrentCell(mancante, ColCambio);
        dbgCambi->setFocus();
        return false;
    }
    *mCambi = std::move(letti);
    return true;
}

void FrmInpCambi::ComChiudi_Click() {
    if (!scriviCambi())
        return;
    mChiuso = true;
    accept();
}

void FrmInpCambi::closeEvent(QCloseEvent* evento) {
    // Closing the window is "&Chiudi": a run never starts without its rates.
    evento->ignore();
    if (mChiuso || scriviCambi()) {
        mChiuso = true;
        accept();
    }
}

void FrmInpCambi::keyPressEvent(QKeyEvent* evento) {
    // Esc would leave without the check.
    if (evento->key() == Qt::Key_Escape) {
        evento->accept();
        return;
    }
    QDialog::keyPressEvent(evento);
}

}  // namespace evapre
