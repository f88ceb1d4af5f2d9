#include "frmPreEvaManu.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "Currency.h"
#include "DbConnection.h"
#include "DbError.h"
#include "NumberConv.h"
#include "RowSet.h"
#include "UiServices.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

constexpr int kHelpContext = 35400;

}  // namespace

// ---- The grid ----------------------------------------------------------------------------------

void GrigliaPreEva::confermaModifica() {
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = focusWidget(); editor && editor != this) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void GrigliaPreEva::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F9 || event->key() == Qt::Key_F10) {
        emit tastoFunzione(event->key());
        event->accept();
        return;
    }
    QTableWidget::keyReleaseEvent(event);
}

// Typed values are checked before they are written: a refused value leaves the cell as it was.
class EditorGrigliaPreEva : public QStyledItemDelegate {
  public:
    EditorGrigliaPreEva(frmPreEvaManu& form, Griglia griglia)
        : QStyledItemDelegate(&form), mForm(form), mGriglia(griglia) {}

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        auto* riga = qobject_cast<QLineEdit*>(editor);
        if (!riga)
            return;
        const QString testo = riga->text();
        const int r = index.row();
        const int c = index.column();
        // The grids are refilled once the view has finished with its editor.
        QTimer::singleShot(0, &mForm, [form = &mForm, g = mGriglia, r, c, testo] {
            form->confermaValore(g, r, c, testo);
        });
    }

  private:
    frmPreEvaManu& mForm;
    Griglia mGriglia;
};

// ---- The form ----------------------------------------------------------------------------------

frmPreEvaManu::frmPreEvaManu(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmPreEvaManu"));
    setWindowFlag(Qt::Window);  // a window of its own, also when the selection form owns it
    setWindowTitle(QStringLiteral("Selezione preventivi da evadere"));
    setProperty("helpContext", kHelpContext);
    costruisci();
}

// A form destroyed without being closed still hands back its group.
frmPreEvaManu::~frmPreEvaManu() {
    if (mSel && mbCaricato)
        mSel->RilasciaGruppo();
}

void frmPreEvaManu::costruisci() {
    auto* principale = new QVBoxLayout(this);
    auto* testa = new QHBoxLayout;
    auto* etichetta = new QLabel(QStringLiteral("Preventivi del cliente:"), this);
    etichetta->setObjectName(QStringLiteral("Label1_18"));
    labCliente = new QLabel(this);
    labCliente->setObjectName(QStringLiteral("Lab_10"));
    labCambio = new QLabel(QStringLiteral("Cambio :"), this);
    labCambio->setObjectName(QStringLiteral("Label1_20"));
    txtCambio = new QLineEdit(this);
    txtCambio->setObjectName(QStringLiteral("txt_20"));
    txtCambio->setMaximumWidth(110);
    labDataCambio = new QLabel(QStringLiteral("Del:"), this);
    labDataCambio->setObjectName(QStringLiteral("Label1_30"));
    testa->addWidget(etichetta);
    testa->addWidget(labCliente, 1);
    testa->addWidget(labCambio);
    testa->addWidget(txtCambio);
    testa->addWidget(labDataCambio);
    principale->addLayout(testa);

    for (int i = 0; i < 3; ++i) {
        auto* g = new GrigliaPreEva(this);
        g->setObjectName(QStringLiteral("dbgLista_") + QString::number(i));
        g->setSelectionBehavior(QAbstractItemView::SelectRows);
        g->setSelectionMode(QAbstractItemView::SingleSelection);
        g->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
        g->verticalHeader()->setDefaultSectionSize(20);
        g->setItemDelegate(new EditorGrigliaPreEva(*this, static_cast<Griglia>(i)));
        const auto griglia = static_cast<Griglia>(i);
        connect(g, &QTableWidget::cellClicked, this, [this, griglia](int riga, int col) {
            // Acted on once the grid has finished its own click.
            QTimer::singleShot(0, this, [this, griglia, riga, col] { click(griglia, riga, col); });
        });
        connect(g, &GrigliaPreEva::tastoFunzione, this,
                [this, griglia](int t) { tasto(griglia, t); });
        dbgLista[i] = g;
        principale->addWidget(g, i == 1 ? 3 : 2);
    }

    auto* pulsanti = new QHBoxLayout;
    comLivelli = new QPushButton(QStringLiteral("&Nascondi Livelli"), this);
    comLivelli->setObjectName(QStringLiteral("comLivelli"));
    comVisualizza = new QPushButton(QStringLiteral("&Visualizza"), this);
    comVisualizza->setObjectName(QStringLiteral("ComVisualizza"));
    comAnnulla = new QPushButton(QStringLiteral("&Annulla"), this);
    comAnnulla->setObjectName(QStringLiteral("ComAnnulla"));
    comProsegui = new QPushButton(QStringLiteral("&Prosegui >>>"), this);
    comProsegui->setObjectName(QStringLiteral("ComProsegui"));
    pulsanti->addWidget(comLivelli);
    pulsanti->addStretch(1);
    pulsanti->addWidget(comVisualizza);
    pulsanti->addWidget(comAnnulla);
    pulsanti->addWidget(comProsegui);
    principale->addLayout(pulsanti);

    connect(comLivelli, &QPushButton::clicked, this, &frmPreEvaManu::comLivelli_Click);
    connect(comAnnulla, &QPushButton::clicked, this, &QWidget::close);
    connect(comProsegui, &QPushButton::clicked, this, &frmPreEvaManu::ComProsegui_Click);
    resize(1000, 650);
}

// The settings of the selection: levels, extra columns, prices.
void frmPreEvaManu::impostaForm() {
    for (int i = 0; i < 3; ++i)
        mColonne[i] = mSel->Colonne(static_cast<Griglia>(i));
    comLivelli->setVisible(mSel->gestioneLivelli());
    comLivelli->setText(mSel->livelliMostrati() ? QStringLiteral("&Nascondi Livelli")
                                                : QStringLiteral("&Mostra Livelli"));
    for (int i = 0; i < 3; ++i)
        dispone(static_cast<Griglia>(i));
}

void frmPreEvaManu::EvasioneManuale() {
    if (!mMotore)
        return;
    mSel = std::make_unique<SelezioneManuale>(*mMotore);
    impostaForm();
    {
        BusyScope busy(mMotore->ui());
        if (!mSel->Avvia()) {
            close();
            return;
        }
    }
    mbCaricato = true;
    mostraGruppo();
    show();
    dbgLista[0]->setFocus();
}

// Captions, widths, hidden key and price columns, and the personal column order.
void frmPreEvaManu::dispone(Griglia g) {
    GrigliaPreEva* t = griglia(g);
    const auto& colonne = mColonne[static_cast<int>(g)];
    t->setColumnCount(static_cast<int>(colonne.size()));
    QStringList titoli;
    QList<int> visibili;
    for (int i = 0; i < colonne.size(); ++i) {
        const ColonnaGriglia& c = colonne[i];
        titoli << c.titolo;
        const bool nascosta = c.titolo.isEmpty() || (c.prezzo && mSel->prezziNascosti());
        t->setColumnHidden(i, nascosta);
        if (!nascosta) {
            t->setColumnWidth(i, c.larghezza);
            visibili << i;
        }
    }
    t->setHorizontalHeaderLabels(titoli);
    const QList<int> ordine = g == Griglia::Testa   ? mSel->ordineTesta()
                              : g == Griglia::Corpo ? mSel->ordineCorpo()
                                                    : QList<int>();
    // Positions count the shown columns in their listed order; the ones not named follow.
    const QList<int> elencate = visibili;
    int posto = 0;
    QHeaderView* h = t->horizontalHeader();
    for (int posizione : ordine) {
        if (posizione > elencate.size())
            continue;
        const int logica = elencate[posizione - 1];
        h->moveSection(h->visualIndex(logica), h->visualIndex(visibili[posto]));
        visibili.move(visibili.indexOf(logica), posto);
        ++posto;
    }
}

int frmPreEvaManu::colonna(Griglia g, const QString& titolo) const {
    const auto& colonne = mColonne[static_cast<int>(g)];
    for (int i = 0; i < colonne.size(); ++i)
        if (colonne[i].titolo == titolo)
            return i;
    return -1;
}

int frmPreEvaManu::campo(Griglia g, const QString& nome) const {
    const auto& colonne = mColonne[static_cast<int>(g)];
    for (int i = 0; i < colonne.size(); ++i)
        if (colonne[i].campo == nome)
            return i;
    return -1;
}

const QVariant& frmPreEvaManu::valore(Griglia g, int riga, const QString& nome) const {
    return mValori[static_cast<int>(g)].at(riga).at(campo(g, nome));
}

ChiaveRigaEva frmPreEvaManu::chiaveRiga(int riga) const {
    ChiaveRigaEva k;
    k.anno = valore(Griglia::Corpo, riga, QStringLiteral("PreVenEvaDett.Anno")).toInt();
    k.numRif = valore(Griglia::Corpo, riga, QStringLiteral("PreVenEvaDett.NumRif")).toInt();
    k.rigLiv = valore(Griglia::Corpo, riga, QStringLiteral("PreVenEvaDett.RigLiv")).toInt();
    k.livello1 = valore(Griglia::Corpo, riga, QStringLiteral("PreVenEvaDett.Livello1")).toString();
    k.livello2 = valore(Griglia::Corpo, riga, QStringLiteral("PreVenEvaDett.Livello2")).toString();
    return k;
}

// The one place where the grids turn values into text.
QString frmPreEvaManu::testoCella(const QVariant& v, const ColonnaGriglia& c) const {
    if (!v.isValid() || v.isNull())
        return {};
    switch (c.formato) {
        case FormatoColonna::Data: {
            const QDate d = v.typeId() == QMetaType::QDate
                                ? v.toDate()
                                : QDate::fromString(v.toString().left(10), Qt::ISODate);
            return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : v.toString();
        }
        case FormatoColonna::Quantita:
            return Currency::fromVariant(v).format(mSel->decimaliQta());
        case FormatoColonna::Valore:
            return Currency::fromVariant(v).format(2);
        case FormatoColonna::Numero: {
            bool ok = false;
            const Currency n = ConvertiNumero(v, &ok);
            if (!ok)
                return v.toString();
            const int punto = c.formatoNumero.indexOf(QLatin1Char('.'));
            return n.format(punto < 0 ? 2 : static_cast<int>(c.formatoNumero.size()) - punto - 1);
        }
        case FormatoColonna::Testo:
            break;
    }
    return v.toString();
}

void frmPreEvaManu::riempi(Griglia g) {
    const int i = static_cast<int>(g);
    GrigliaPreEva* t = dbgLista[i];
    const int rigaCorrente = t->currentRow();
    const int colCorrente = t->currentColumn();
    const QSignalBlocker blocco(t);
    t->setRowCount(0);
    mValori[i].clear();
    const auto& colonne = mColonne[i];
    try {
        auto rs = mMotore->db().openRowSet(mSel->SqlGriglia(g));
        for (; !rs->eof(); rs->moveNext()) {
            QVariantList valori;
            for (int c = 0; c < colonne.size(); ++c)
                valori << rs->valueAt(c);
            mValori[i].push_back(valori);
        }
    } catch (const DbError& e) {
        mMotore->ui().message(e.describe(), {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
    }
    t->setRowCount(static_cast<int>(mValori[i].size()));
    for (int r = 0; r < t->rowCount(); ++r) {
        for (int c = 0; c < colonne.size(); ++c) {
            auto* item = new QTableWidgetItem(testoCella(mValori[i][r][c], colonne[c]));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (colonne[c].modificabile)
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            if (colonne[c].formato == FormatoColonna::Quantita ||
                colonne[c].formato == FormatoColonna::Valore ||
                colonne[c].formato == FormatoColonna::Numero)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            t->setItem(r, c, item);
        }
    }
    if (t->rowCount() > 0 && rigaCorrente >= 0)
        t->setCurrentCell(qMin(rigaCorrente, t->rowCount() - 1), colCorrente);
}

void frmPreEvaManu::riempiTutte() {
    for (int i = 0; i < 3; ++i)
        riempi(static_cast<Griglia>(i));
}

void frmPreEvaManu::mostraGruppo() {
    labCliente->setText(mSel->cliente());
    const bool cambio = mSel->richiedeCambio();
    labCambio->setVisible(cambio);
    txtCambio->setVisible(cambio);
    labDataCambio->setVisible(cambio);
    if (cambio) {
        labCambio->setText(QStringLiteral("Cambio ") + mSel->monetaCambio() + QLatin1Char(':'));
        const auto proposto = mSel->cambioProposto();
        const auto data = mSel->dataCambio();
        txtCambio->setText(proposto ? proposto->format(4) : QString());
        labDataCambio->setText(data ? QStringLiteral("Del ") +
                                          data->toString(QStringLiteral("dd/MM/yyyy"))
                                    : QString());
    }
    for (auto* g : dbgLista)
        g->setCurrentCell(-1, -1);
    riempiTutte();
    if (dbgLista[0]->rowCount() > 0)
        dbgLista[0]->setCurrentCell(0,
                                    campo(Griglia::Testa, QStringLiteral("PreVenEvaTest.Selez")));
}

// ---- Clicks, typing and keys -------------------------------------------------------------------

void frmPreEvaManu::click(Griglia g, int riga, int col) {
    if (!mSel || mSel->occupato() || riga < 0 ||
        riga >= static_cast<int>(mValori[static_cast<int>(g)].size()))
        return;
    const QString nome = mColonne[static_cast<int>(g)].value(col).campo;
    switch (g) {
        case Griglia::Testa: {
            const int anno = valore(g, riga, QStringLiteral("PreVenEvaTest.Anno")).toInt();
            const int numRif = valore(g, riga, QStringLiteral("PreVenEvaTest.NumRif")).toInt();
            if (nome == QLatin1String("PreVenEvaTest.Selez"))
                mSel->ClickSel(anno, numRif);
            else if (nome == QLatin1String("PreVenEvaTest.EvadeTutto"))
                mSel->ClickTutto(anno, numRif);
            else
                return;
            riempiTutte();
            break;
        }
        case Griglia::Corpo:
            if (nome != QLatin1String("PreVenEvaDett.ASaldo"))
                return;
            mSel->ClickASaldo(chiaveRiga(riga));
            riempi(g);
            break;
        case Griglia::Spese:
            if (nome != QLatin1String("PreVenEvaSpese.Selez"))
                return;
            mSel->ClickSpesa(valore(g, riga, QStringLiteral("PreVenEvaSpese.Anno")).toInt(),
                             valore(g, riga, QStringLiteral("PreVenEvaSpese.NumRif")).toInt(),
                             valore(g, riga, QStringLiteral("PreVenEvaSpese.Riga")).toInt());
            riempi(g);
            break;
    }
}

bool frmPreEvaManu::confermaValore(Griglia g, int riga, int col, const QString& testo) {
    if (!mSel || mSel->occupato() || riga < 0 ||
        riga >= static_cast<int>(mValori[static_cast<int>(g)].size()))
        return false;
    const QString nome = mColonne[static_cast<int>(g)].value(col).campo;
    bool accettato = false;
    if (g == Griglia::Testa) {
        QString valoreNuovo = testo;
        if (!mSel->ControllaSiNo(valoreNuovo))
            return false;
        const int anno = valore(g, riga, QStringLiteral("PreVenEvaTest.Anno")).toInt();
        const int numRif = valore(g, riga, QStringLiteral("PreVenEvaTest.NumRif")).toInt();
        QString selez = valore(g, riga, QStringLiteral("PreVenEvaTest.Selez")).toString();
        QString tutto = valore(g, riga, QStringLiteral("PreVenEvaTest.EvadeTutto")).toString();
        if (nome == QLatin1String("PreVenEvaTest.Selez"))
            selez = valoreNuovo;
        else
            tutto = valoreNuovo;
        mSel->ImpostaPreventivo(anno, numRif, selez, tutto);
        riempiTutte();
        return true;
    }
    if (g == Griglia::Corpo) {
        const ChiaveRigaEva k = chiaveRiga(riga);
        if (nome == QLatin1String("PreVenEvaDett.QtaDaEva")) {
            Currency qta;
            accettato = mSel->ControllaQtaDaEva(k, testo, qta);
            if (accettato)
                mSel->ImpostaQtaDaEva(k, qta);
        } else {
            QString aSaldo = testo;
            accettato = mSel->ControllaASaldo(k, aSaldo);
            if (accettato)
                mSel->ImpostaASaldo(k, aSaldo);
        }
        riempi(g);
    }
    return accettato;
}

void frmPreEvaManu::tasto(Griglia g, int t) {
    if (!mSel || mSel->occupato())
        return;
    GrigliaPreEva* grid = griglia(g);
    if (t == Qt::Key_F9 && g == Griglia::Corpo) {
        const int riga = grid->currentRow();
        if (riga < 0 || riga >= static_cast<int>(mValori[1].size()))
            return;
        const int col = grid->currentColumn();
        mSel->EvadiResiduo(chiaveRiga(riga));
        riempi(g);
        if (riga + 1 < grid->rowCount())
            grid->setCurrentCell(riga + 1, col);
        return;
    }
    if (t == Qt::Key_F10) {
        grid->confermaModifica();
        const auto prossima = static_cast<Griglia>((static_cast<int>(g) + 1) % 3);
        GrigliaPreEva* altra = griglia(prossima);
        const QString nome = prossima == Griglia::Testa   ? QStringLiteral("PreVenEvaTest.Selez")
                             : prossima == Griglia::Corpo ? QStringLiteral("PreVenEvaDett.QtaDaEva")
                                                          : QStringLiteral("PreVenEvaSpese.Selez");
        altra->setFocus();
        if (altra->rowCount() > 0)
            altra->setCurrentCell(qMax(0, altra->currentRow()), campo(prossima, nome));
    }
}

void frmPreEvaManu::comLivelli_Click() {
    if (!mSel || mSel->occupato())
        return;
    mSel->setLivelliMostrati(!mSel->livelliMostrati());
    comLivelli->setText(mSel->livelliMostrati() ? QStringLiteral("&Nascondi Livelli")
                                                : QStringLiteral("&Mostra Livelli"));
    riempi(Griglia::Corpo);
}

void frmPreEvaManu::ComProsegui_Click() {
    if (!mSel || mSel->occupato())
        return;
    for (auto* g : dbgLista)
        g->confermaModifica();
    comAnnulla->setEnabled(false);
    comProsegui->setEnabled(false);
    const EsitoProsegui esito = mSel->Prosegui(txtCambio->text());
    comAnnulla->setEnabled(true);
    comProsegui->setEnabled(true);
    switch (esito) {
        case EsitoProsegui::Ignorato:
            break;
        case EsitoProsegui::MancaCambio:
            txtCambio->setFocus();
            break;
        case EsitoProsegui::Fermato:
            riempiTutte();
            break;
        case EsitoProsegui::GruppoSuccessivo:
            mostraGruppo();
            break;
        case EsitoProsegui::Finito:
            mbCaricato = false;
            close();
            break;
    }
}

// Closing hands back the group's marks and empties the user's selection; not while a group is
// being fulfilled.
void frmPreEvaManu::closeEvent(QCloseEvent* event) {
    if (mSel && mSel->occupato()) {
        event->ignore();
        return;
    }
    if (mSel && mbCaricato)
        mSel->RilasciaGruppo();
    mbCaricato = false;
    event->accept();
    if (!mbChiuso) {
        mbChiuso = true;
        emit chiuso();
    }
}

}  // namespace evapre
