#include "FinestraListaAiuto.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include "DbConnection.h"
#include "RowSet.h"
#include "TabelleAiuto.h"
#include "TextUtil.h"

namespace evapre {

namespace {

QString codiceDellaRiga(const RowSet& rs, const TabellaAiuto& tabella) {
    QStringList parti;
    for (const QString& chiave : tabella.chiavi)
        parti << TrimSpaces(rs.text(chiave));
    return parti.join(QLatin1Char('-'));
}

}  // namespace

FinestraListaAiuto::FinestraListaAiuto(DbConnection& db, const TabellaAiuto& tabella,
                                       const RichiestaLista& richiesta, QWidget* parent)
    : QDialog(parent), mDb(db), mTabella(tabella) {
    setObjectName(QStringLiteral("frmListaAiuto"));
    setWindowTitle(QStringLiteral("Ricerca: ") + tabella.nome);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    auto* etichetta = new QLabel(QStringLiteral("&Cerca:"), this);
    mCerca = new QLineEdit(this);
    mCerca->setObjectName(QStringLiteral("txtCerca"));
    etichetta->setBuddy(mCerca);
    layout->addWidget(etichetta);
    layout->addWidget(mCerca);
    mGriglia = new QTableWidget(0, 2, this);
    mGriglia->setObjectName(QStringLiteral("dbgLista"));
    mGriglia->setHorizontalHeaderLabels({QStringLiteral("Codice"), QStringLiteral("Descrizione")});
    mGriglia->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mGriglia->setSelectionBehavior(QAbstractItemView::SelectRows);
    mGriglia->setSelectionMode(QAbstractItemView::SingleSelection);
    mGriglia->verticalHeader()->hide();
    mGriglia->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(mGriglia, 1);
    auto* pulsanti = new QDialogButtonBox(this);
    pulsanti->addButton(QStringLiteral("&Ok"), QDialogButtonBox::AcceptRole);
    pulsanti->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole);
    layout->addWidget(pulsanti);
    connect(pulsanti, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pulsanti, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(mGriglia, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
    connect(mCerca, &QLineEdit::textChanged, this, &FinestraListaAiuto::cerca);
    resize(520, 420);
    carica(richiesta);
    mCerca->setText(TrimSpaces(richiesta.valore));
}

void FinestraListaAiuto::carica(const RichiestaLista& richiesta) {
    QString sql = QStringLiteral("Select * from ") + mTabella.tabella;
    if (!IsBlank(richiesta.filtro))
        sql += QStringLiteral(" where ") + richiesta.filtro;
    sql += QStringLiteral(" order by ") +
           (richiesta.tasto == Qt::Key_F3 ? mTabella.descrizione : mTabella.chiavi.join(','));
    auto rs = mDb.openRowSet(sql);
    for (; !rs->eof(); rs->moveNext()) {
        const int riga = mGriglia->rowCount();
        mGriglia->insertRow(riga);
        mGriglia->setItem(riga, 0, new QTableWidgetItem(codiceDellaRiga(*rs, mTabella)));
        mGriglia->setItem(riga, 1,
                          new QTableWidgetItem(TrimSpaces(rs->text(mTabella.descrizione))));
    }
    mGriglia->resizeColumnToContents(0);
}

void FinestraListaAiuto::cerca(const QString& testo) {
    const QString t = TrimSpaces(testo);
    int primo = -1;
    for (int riga = 0; riga < mGriglia->rowCount(); ++riga) {
        const bool mostra = t.isEmpty() ||
                            mGriglia->item(riga, 0)->text().startsWith(t, Qt::CaseInsensitive) ||
                            mGriglia->item(riga, 1)->text().startsWith(t, Qt::CaseInsensitive);
        mGriglia->setRowHidden(riga, !mostra);
        if (mostra && primo < 0)
            primo = riga;
    }
    if (primo >= 0)
        mGriglia->selectRow(primo);
    else
        mGriglia->clearSelection();
}

QString FinestraListaAiuto::scelto() const {
    const QList<QTableWidgetItem*> scelti = mGriglia->selectedItems();
    for (QTableWidgetItem* item : scelti)
        if (item->column() == 0 && !mGriglia->isRowHidden(item->row()))
            return item->text();
    return {};
}

int FinestraListaAiuto::righe() const {
    return mGriglia->rowCount();
}

std::optional<QString> ListaAiutoDb::Scegli(QWidget* parent, const RichiestaLista& richiesta) {
    const TabellaAiuto* tabella = TabelleAiuto::Per(richiesta.tabella);
    if (!tabella)
        return std::nullopt;
    FinestraListaAiuto finestra(mDb, *tabella, richiesta, parent);
    if (finestra.exec() != QDialog::Accepted || finestra.scelto().isEmpty())
        return std::nullopt;
    return finestra.scelto();
}

}  // namespace evapre
