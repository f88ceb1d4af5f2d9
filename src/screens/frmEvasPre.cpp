#include "frmEvasPre.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "CodiceConto.h"
#include "DateConv.h"
#include "DbConnection.h"
#include "DbError.h"
#include "FrmInpCambi.h"
#include "ListaAiuto.h"
#include "ParametriDitta.h"
#include "ServiziCampo.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "frmPreEvaManu.h"
#include "scEvaPrev.h"

namespace evapre {

namespace C = CampoSelezione;

namespace {

// The code fields with a lookup, and the table each lists and decodes.
const QMap<int, QString>& tabelleCampi() {
    static const QMap<int, QString> kTabelle{
        {C::TipoPreventivo, QStringLiteral("FattDocumento")},
        {C::TipoEvasione, QStringLiteral("FattDocumento")},
        {C::ClienteDa, QStringLiteral("Conto")},
        {C::ClienteA, QStringLiteral("Conto")},
        {C::Moneta, QStringLiteral("Moneta")},
        {C::ArticoloDa, QStringLiteral("Articolo")},
        {C::ArticoloA, QStringLiteral("Articolo")},
    };
    return kTabelle;
}

bool campoConto(int indice) {
    return indice == C::ClienteDa || indice == C::ClienteA;
}

const QColor kBluDescrizione(0, 0, 160);

}  // namespace

frmEvasPre::frmEvasPre(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta,
                       UiServices& ui, ListaAiuto& lista, const QString& chiaveProgramma,
                       const QString& keySec, QWidget* parent)
    : QWidget(parent),
      osKeySec(keySec),
      mDb(db),
      mParametri(parametri),
      mMoneta(moneta),
      mUi(ui),
      mLista(lista),
      mServizi(new ServiziCampo(this, parametri, ui, chiaveProgramma + QLatin1Char('-') + keySec)),
      mControlli(db, parametri, ui),
      mDecodificatore(db) {
    setObjectName(QStringLiteral("frmEvasPre"));
    setWindowTitle(QStringLiteral("Evasione Preventivi"));
    setProperty("HelpContextID", 35400);
    costruisci();
    mChiediCambi = [this](std::vector<CambioProposto>& cambi) { chiediCambi(cambi); };
}

frmEvasPre::~frmEvasPre() = default;

// ---- Layout ------------------------------------------------------------------------------------

QLineEdit* frmEvasPre::campo(int indice, const QString& didascalia, int caratteri) {
    auto* etichetta = new QLabel(didascalia, this);
    etichetta->setObjectName(QStringLiteral("Label1_%1").arg(indice));
    etichetta->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("txt_%1").arg(indice));
    const QFontMetrics fm(edit->font());
    edit->setFixedWidth(fm.horizontalAdvance(QString(caratteri, QLatin1Char('0'))) + 16);
    etichetta->setBuddy(edit);
    mLabel1.insert(indice, etichetta);
    mTxt.insert(indice, edit);
    mServizi->PreparaCampo(edit);
    edit->installEventFilter(this);
    if (tabelleCampi().contains(indice)) {
        auto* aiuto = new QToolButton(this);
        aiuto->setObjectName(QStringLiteral("ComHlp_%1").arg(indice));
        aiuto->setText(QStringLiteral("..."));
        aiuto->setFocusPolicy(Qt::NoFocus);
        aiuto->setFixedWidth(26);
        aiuto->setToolTip(QStringLiteral("Elenco (F2)"));
        connect(aiuto, &QToolButton::clicked, this, [this, indice] { ComHlp_Click(indice); });
        mComHlp.insert(indice, aiuto);
    }
    if (tabelleCampi().contains(indice) || indice == C::Prefisso) {
        auto* descrizione = new QLabel(this);
        descrizione->setObjectName(QStringLiteral("Lab_%1").arg(indice));
        QPalette p = descrizione->palette();
        p.setColor(QPalette::WindowText, kBluDescrizione);
        descrizione->setPalette(p);
        descrizione->setMinimumWidth(fm.horizontalAdvance(QString(34, QLatin1Char('M'))));
        descrizione->setTextInteractionFlags(Qt::NoTextInteraction);
        mLab.insert(indice, descrizione);
    }
    return edit;
}

void frmEvasPre::costruisci() {
    auto* griglia = new QGridLayout;
    griglia->setHorizontalSpacing(8);
    griglia->setVerticalSpacing(5);
    griglia->setColumnStretch(3, 1);
    int riga = 0;
    const auto sezione = [&](const QString& titolo) {
        auto* l = new QLabel(titolo, this);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        if (riga > 0)
            griglia->setRowMinimumHeight(riga++, 6);
        griglia->addWidget(l, riga++, 0, 1, 4);
    };
    // A code field with its "..." and its description.
    const auto codice = [&](int indice, const QString& didascalia, int caratteri) {
        campo(indice, didascalia, caratteri);
        griglia->addWidget(mLabel1[indice], riga, 0);
        auto* cella = new QHBoxLayout;
        cella->setSpacing(2);
        cella->addWidget(mTxt[indice]);
        if (mComHlp.contains(indice))
            cella->addWidget(mComHlp[indice]);
        cella->addStretch(1);
        griglia->addLayout(cella, riga, 1);
        griglia->addWidget(mLab[indice], riga, 2, 1, 2);
        ++riga;
    };
    // A from/to pair on one line.
    const auto intervallo = [&](int da, const QString& didDa, int a, const QString& didA,
                                int caratteri) {
        campo(da, didDa, caratteri);
        campo(a, didA, caratteri);
        griglia->addWidget(mLabel1[da], riga, 0);
        auto* cella = new QHBoxLayout;
        cella->setSpacing(8);
        cella->addWidget(mTxt[da]);
        cella->addSpacing(10);
        cella->addWidget(mLabel1[a]);
        cella->addWidget(mTxt[a]);
        cella->addStretch(1);
        griglia->addLayout(cella, riga, 1, 1, 3);
        ++riga;
    };

    sezione(QStringLiteral("Documenti"));
    campo(C::DataEvasione, QStringLiteral("Data di evasione:"), 10);
    griglia->addWidget(mLabel1[C::DataEvasione], riga, 0);
    griglia->addWidget(mTxt[C::DataEvasione], riga++, 1, Qt::AlignLeft);
    codice(C::TipoPreventivo, QStringLiteral("Tipo Documento Prev.:"), 8);
    codice(C::TipoEvasione, QStringLiteral("Doc di evasione:"), 8);
    codice(C::Moneta, QStringLiteral("Moneta:"), 8);

    sezione(QStringLiteral("Clienti e articoli"));
    codice(C::ClienteDa, QStringLiteral("Cliente  da:"), 12);
    codice(C::ClienteA, QStringLiteral("a:"), 12);
    codice(C::ArticoloDa, QStringLiteral("Articolo da:"), 18);
    codice(C::ArticoloA, QStringLiteral("a:"), 18);

    sezione(QStringLiteral("Date e numeri"));
    intervallo(C::DataConsDa, QStringLiteral("Data consegna dal:"), C::DataConsA,
               QStringLiteral("al:"), 10);
    intervallo(C::DataRifDa, QStringLiteral("Riferimento:  data dal:"), C::DataRifA,
               QStringLiteral("al:"), 10);
    intervallo(C::NumRifDa, QStringLiteral("Numero dal:"), C::NumRifA, QStringLiteral("al:"), 10);
    intervallo(C::DataDocDa, QStringLiteral("Documento:  data dal:"), C::DataDocA,
               QStringLiteral("al:"), 10);
    intervallo(C::NumDocDa, QStringLiteral("Numero dal:"), C::NumDocA, QStringLiteral("al:"), 10);

    sezione(QStringLiteral("Altri dati"));
    codice(C::Prefisso, QStringLiteral("Prefisso fatture: "), 3);
    intervallo(C::MeseIva, QStringLiteral("Periodo Iva: mese:"), C::AnnoIva,
               QStringLiteral("Anno:"), 4);
    campo(C::InDescrizione, QStringLiteral("In descrizione:"), 36);
    griglia->addWidget(mLabel1[C::InDescrizione], riga, 0);
    griglia->addWidget(mTxt[C::InDescrizione], riga++, 1, 1, 3, Qt::AlignLeft);
    griglia->setRowStretch(riga, 1);
    for (int i : {C::MeseIva, C::AnnoIva, C::NumRifDa, C::NumRifA, C::NumDocDa, C::NumDocA})
        mTxt[i]->setAlignment(Qt::AlignRight);

    // Right column: how, purchases, the two boxes and the buttons.
    Frame1 = new QGroupBox(QStringLiteral("Tipo evasione:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* tipo = new QVBoxLayout(Frame1);
    const QStringList tipi{QStringLiteral("Automatica"), QStringLiteral("Manuale")};
    for (int i = 0; i < 2; ++i) {
        OptTipoEva[i] = new QRadioButton(tipi[i], Frame1);
        OptTipoEva[i]->setObjectName(QStringLiteral("OptTipoEva_%1").arg(i));
        tipo->addWidget(OptTipoEva[i]);
    }
    FraCreazAcq = new QGroupBox(QStringLiteral("Creazione acquisti per: "), this);
    FraCreazAcq->setObjectName(QStringLiteral("FraCreazAcq"));
    auto* acquisti = new QVBoxLayout(FraCreazAcq);
    const QStringList opzioni{
        QStringLiteral("Non crea acquisti"), QStringLiteral("Tutti gli articoli"),
        QStringLiteral("Articoli sottoscorta"), QStringLiteral("Articoli esauriti")};
    for (int i = 0; i < 4; ++i) {
        OptCreaAcq[i] = new QRadioButton(opzioni[i], FraCreazAcq);
        OptCreaAcq[i]->setObjectName(QStringLiteral("OptCreaAcq_%1").arg(i));
        acquisti->addWidget(OptCreaAcq[i]);
    }
    CheCorrispettivo = new QCheckBox(QStringLiteral("Evasione con corrispettivo"), this);
    CheCorrispettivo->setObjectName(QStringLiteral("CheCorrispettivo"));
    CheSuDispon =
        new QCheckBox(QStringLiteral("Considero Prenotato Cliente e ordinato a Fornitore"), this);
    CheSuDispon->setObjectName(QStringLiteral("CheSuDispon"));
    comOk = new QPushButton(QStringLiteral("&Ok"), this);
    comOk->setObjectName(QStringLiteral("comOk"));
    ComAnnulla = new QPushButton(QStringLiteral("&Annulla"), this);
    ComAnnulla->setObjectName(QStringLiteral("ComAnnulla"));
    for (QPushButton* b : {comOk, ComAnnulla})
        b->setMinimumWidth(QFontMetrics(b->font()).horizontalAdvance(QStringLiteral("Annulla")) +
                           40);

    auto* destra = new QVBoxLayout;
    destra->setSpacing(10);
    destra->addWidget(Frame1);
    destra->addWidget(FraCreazAcq);
    destra->addWidget(CheSuDispon);
    destra->addSpacing(6);
    destra->addWidget(CheCorrispettivo);
    destra->addStretch(1);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addStretch(1);
    pulsanti->addWidget(comOk);
    pulsanti->addWidget(ComAnnulla);
    destra->addLayout(pulsanti);

    auto* principale = new QHBoxLayout(this);
    principale->setContentsMargins(16, 12, 16, 14);
    principale->setSpacing(24);
    principale->addLayout(griglia, 1);
    principale->addLayout(destra);

    connect(comOk, &QPushButton::clicked, this, &frmEvasPre::comOk_Click);
    connect(ComAnnulla, &QPushButton::clicked, this, &frmEvasPre::ComAnnulla_Click);
    connect(CheCorrispettivo, &QCheckBox::clicked, this, &frmEvasPre::CheCorrispettivo_Click);
    ordinaTab();
}

void frmEvasPre::ordinaTab() {
    QWidget* prima = nullptr;
    for (int indice : C::OrdineTab()) {
        if (prima)
            setTabOrder(prima, mTxt[indice]);
        prima = mTxt[indice];
    }
    for (QWidget* w : {static_cast<QWidget*>(OptTipoEva[0]), static_cast<QWidget*>(OptTipoEva[1]),
                       static_cast<QWidget*>(OptCreaAcq[0]), static_cast<QWidget*>(OptCreaAcq[1]),
                       static_cast<QWidget*>(OptCreaAcq[2]), static_cast<QWidget*>(OptCreaAcq[3]),
                       static_cast<QWidget*>(CheSuDispon), static_cast<QWidget*>(CheCorrispettivo),
                       static_cast<QWidget*>(comOk), static_cast<QWidget*>(ComAnnulla)}) {
        setTabOrder(prima, w);
        prima = w;
    }
}

// ---- Opening ----------------------------------------------------------------------------------

bool frmEvasPre::Form_Load() {
    oiLoadOk = 0;
    mServizi->PreparaForm();
    OptTipoEva[1]->setChecked(true);
    txt(C::DataEvasione)->setText(FormatData(mParametri.workingDate()));
    try {
        txt(C::TipoPreventivo)->setText(mParametri.company(QStringLiteral("Fat.DocPrev")));
        lasciaTipoPreventivo();
    } catch (const DbError& e) {
        erroreDb(e);
        return false;
    }
    const QString creaOrdAcq = TrimSpaces(mParametri.personal(QStringLiteral("EvasionePrev"),
                                                              QStringLiteral("CreaOrdAcq")))
                                   .toUpper();
    int acquisti = 0;
    if (creaOrdAcq == QLatin1String("T"))
        acquisti = 1;
    else if (creaOrdAcq == QLatin1String("S"))
        acquisti = 2;
    else if (creaOrdAcq == QLatin1String("E"))
        acquisti = 3;
    // An invoice or delivery-note type creates no purchases, whatever the user's default.
    scegliAcquisti(FraCreazAcq->isHidden() ? 0 : acquisti);
    oiLoadOk = 1;
    return true;
}

void frmEvasPre::scegliAcquisti(int indice) {
    OptCreaAcq[indice]->setChecked(true);
}

// ---- Fields -----------------------------------------------------------------------------------

bool frmEvasPre::eventFilter(QObject* oggetto, QEvent* evento) {
    auto* edit = qobject_cast<QLineEdit*>(oggetto);
    const int indice = edit ? mTxt.key(edit, -1) : -1;
    if (indice < 0)
        return QWidget::eventFilter(oggetto, evento);
    switch (evento->type()) {
        case QEvent::FocusIn:
            txt_GotFocus(indice);
            break;
        case QEvent::FocusOut: {
            // Another window taking the input is not leaving the field.
            const Qt::FocusReason motivo = static_cast<QFocusEvent*>(evento)->reason();
            if (motivo != Qt::ActiveWindowFocusReason && motivo != Qt::PopupFocusReason)
                txt_LostFocus(indice);
            break;
        }
        case QEvent::KeyRelease: {
            auto* tasto = static_cast<QKeyEvent*>(evento);
            txt_KeyUp(indice, tasto->key(), tasto->modifiers());
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(oggetto, evento);
}

void frmEvasPre::txt_GotFocus(int indice) {
    if (campoConto(indice)) {
        QLineEdit* edit = txt(indice);
        const QString modifica = CodiceConto::InModifica(edit->text());
        if (modifica != edit->text()) {
            edit->setText(modifica);
            edit->selectAll();
        }
    }
}

void frmEvasPre::txt_LostFocus(int indice) {
    try {
        if (C::CampiData().contains(indice)) {
            mServizi->CampoData(txt(indice), indice == C::DataEvasione ? -4 : -2);
            return;
        }
        if (C::CampiNumero().contains(indice)) {
            mServizi->Segna(txt(indice),
                            ControlliEvasione::NumeroErrato(indice, txt(indice)->text()));
            return;
        }
        switch (indice) {
            case C::TipoPreventivo:
                lasciaTipoPreventivo();
                break;
            case C::TipoEvasione:
                lasciaTipoEvasione();
                break;
            case C::Prefisso:
                lasciaPrefisso();
                break;
            default:
                if (tabelleCampi().contains(indice))
                    lasciaCodice(indice);
                break;
        }
    } catch (const DbError& e) {
        erroreDb(e);
    }
}

// Customers, currency and articles: the description beside the field; a "from" bound is
// copied into its "to".
void frmEvasPre::lasciaCodice(int indice) {
    decodifica(indice);
    const int a = indice == C::ClienteDa ? C::ClienteA : indice == C::ArticoloDa ? C::ArticoloA : 0;
    if (a != 0) {
        txt(a)->setText(txt(indice)->text());
        decodifica(a);
    }
}

void frmEvasPre::decodifica(int indice) {
    Lab(indice)->setText(
        mDecodificatore
            .Decodifica(tabelleCampi().value(indice), txt(indice)->text(), filtroCampo(indice))
            .descrizione);
}

// The condition a code field's decode and list keep to.
QString frmEvasPre::filtroCampo(int indice) const {
    if (indice == C::TipoPreventivo)
        return mControlli.FiltroTipoPreventivo();
    if (indice == C::TipoEvasione)
        return mControlli.FiltroTipoEvasione();
    if (campoConto(indice))
        return mDecodificatore.FiltroTipoConto(QStringLiteral("3"));
    return {};
}

void frmEvasPre::lasciaTipoPreventivo() {
    leggiVoci();
    const TipoPreventivoLetto tipo = mControlli.ApplicaTipoPreventivo(mVoci);
    Lab(C::TipoPreventivo)
        ->setText(IsBlank(txt(C::TipoPreventivo)->text()) ? QString()
                  : tipo.trovato                          ? TrimSpaces(tipo.descrizione)
                                                          : Decodificatore::Inesistente());
    txt(C::TipoEvasione)->setText(tipo.fattDocEvasione);
    lasciaTipoEvasione();
}

void frmEvasPre::lasciaTipoEvasione() {
    leggiVoci();
    const TipoEvasioneLetto tipo = mControlli.ApplicaTipoEvasione(mVoci);
    const bool vuoto = IsBlank(txt(C::TipoEvasione)->text());
    Lab(C::TipoEvasione)
        ->setText(vuoto          ? QString()
                  : tipo.trovato ? TrimSpaces(tipo.descrizione)
                                 : Decodificatore::Inesistente());
    const PresentazionePrefisso p = mControlli.Prefisso(tipo, vuoto);
    Label1(C::Prefisso)->setVisible(p.visibile);
    Lab(C::Prefisso)->setVisible(p.visibile);
    txt(C::Prefisso)->setVisible(p.visibile);
    FraCreazAcq->setVisible(p.acquisti);
    CheSuDispon->setVisible(p.acquisti);
    if (!p.acquisti)
        scegliAcquisti(0);
    if (!p.visibile) {
        txt(C::Prefisso)->clear();
        mServizi->Segna(txt(C::Prefisso), false);
        return;
    }
    Label1(C::Prefisso)->setText(p.didascalia);
    Lab(C::Prefisso)->setText(p.elenco);
    txt(C::Prefisso)->setText(p.proposta);
    mServizi->Segna(txt(C::Prefisso), false);
    // The proposed prefix is checked as if typed: its list and, for an invoice, its margin.
    lasciaPrefisso();
}

void frmEvasPre::lasciaPrefisso() {
    leggiVoci();
    mControlli.LasciaPrefisso(mVoci);
    txt(C::Prefisso)->setText(mVoci.testo(C::Prefisso));
    mServizi->Segna(txt(C::Prefisso), mVoci.errato(C::Prefisso));
}

// ---- Lookups ----------------------------------------------------------------------------------

void frmEvasPre::txt_KeyUp(int indice, int tasto, Qt::KeyboardModifiers modificatori) {
    if (modificatori & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    if (tasto < Qt::Key_F2 || tasto > Qt::Key_F5 || !tabelleCampi().contains(indice))
        return;
    apriLista(indice, tasto);
}

void frmEvasPre::ComHlp_Click(int indice) {
    txt(indice)->setFocus(Qt::OtherFocusReason);
    apriLista(indice, Qt::Key_F2);
}

void frmEvasPre::apriLista(int indice, int tasto) {
    RichiestaLista richiesta;
    richiesta.tabella = tabelleCampi().value(indice);
    richiesta.tasto = tasto;
    richiesta.valore = txt(indice)->text();
    richiesta.filtro = filtroCampo(indice);
    std::optional<QString> scelto;
    try {
        scelto = mLista.Scegli(this, richiesta);
    } catch (const DbError& e) {
        erroreDb(e);
        return;
    }
    if (!scelto)
        return;
    txt(indice)->setText(*scelto);
    // The description and what depends on the code, as when the field is left.
    txt_LostFocus(indice);
}

// ---- Receipts and purchases ------------------------------------------------------------------

void frmEvasPre::CheCorrispettivo_Click() {
    if (!CheCorrispettivo->isChecked())
        return;
    txt(C::TipoEvasione)->clear();
    // The form state follows the emptied type, as evapre run derives it.
    try {
        lasciaTipoEvasione();
    } catch (const DbError& e) {
        erroreDb(e);
    }
}

// ---- "&Ok" ------------------------------------------------------------------------------------

void frmEvasPre::leggiVoci() {
    for (auto it = mTxt.cbegin(); it != mTxt.cend(); ++it) {
        mVoci.txt[it.key()] = it.value()->text();
        mVoci.segna(it.key(), ServiziCampo::Errato(it.value()));
    }
    mVoci.corrispettivo = CheCorrispettivo->isChecked();
    mVoci.manuale = OptTipoEva[1]->isChecked();
    mVoci.creaAcq = 0;
    for (int i = 0; i < 4; ++i)
        if (OptCreaAcq[i]->isChecked())
            mVoci.creaAcq = i;
    mVoci.suDispon = CheSuDispon->isChecked();
}

scEvaPrev& frmEvasPre::motore() {
    if (!mMotore)
        mMotore = std::make_unique<scEvaPrev>(mDb, mParametri, mMoneta, mUi);
    return *mMotore;
}

void frmEvasPre::comOk_Click() {
    if (mInCorso || grigliaAperta())
        return;
    // The field being edited is left first, as when the button takes the focus.
    if (QWidget* f = focusWidget(); f && mTxt.key(qobject_cast<QLineEdit*>(f), -1) >= 0)
        comOk->setFocus(Qt::OtherFocusReason);
    leggiVoci();
    try {
        scEvaPrev& m = motore();
        const EsitoControlli esito = mControlli.Controlla(mVoci, m);
        txt(C::DataRifA)->setText(mVoci.testo(C::DataRifA));
        if (!esito.ok) {
            if (esito.campo != 0 && txt(esito.campo)->isVisible())
                txt(esito.campo)->setFocus(Qt::OtherFocusReason);
            return;
        }
        ControlliEvasione::Consegna(mVoci, m);
        if (mVoci.corrispettivo && !m.LetCtrFatDocOrdErr())
            return;
        m.oiSplitPay = mVoci.splitPay;
        if (m.obEvasManule)
            avviaManuale(m);
        else
            avviaAutomatica(m);
    } catch (const DbError& e) {
        erroreDb(e);
    }
}

void frmEvasPre::avviaManuale(scEvaPrev& m) {
    auto* griglia = new frmPreEvaManu(this);
    griglia->setWindowFlag(Qt::Window);
    griglia->setAttribute(Qt::WA_DeleteOnClose);
    griglia->osKeySec = osKeySec;
    griglia->setMotore(m);
    mGriglia = griglia;
    BusyScope occupato(mUi);
    try {
        griglia->EvasioneManuale();
    } catch (...) {
        // A grid that failed to load must not keep the form from closing.
        delete griglia;
        throw;
    }
}

bool frmEvasPre::grigliaAperta() const {
    return mGriglia && mGriglia->isVisible();
}

void frmEvasPre::avviaAutomatica(scEvaPrev& m) {
    mInCorso = true;
    struct Fine {
        bool& inCorso;
        ~Fine() { inCorso = false; }
    } fine{mInCorso};
    CambiEvasione cambi(mDb);
    std::vector<CambioProposto> proposti = cambi.MoneteDaCambiare(m);
    if (!proposti.empty())
        mChiediCambi(proposti);
    // A rate still missing (the window refused to close without it) stops the run.
    if (CambiEvasione::PrimoMancante(proposti) >= 0)
        return;
    CambiEvasione::Consegna(proposti, m);
    BusyScope occupato(mUi);
    m.LanciaEvasionePrev();
}

void frmEvasPre::chiediCambi(std::vector<CambioProposto>& cambi) {
    FrmInpCambi finestra(mUi, this);
    finestra.osKeySec = osKeySec;
    finestra.CheAggTutti->hide();
    finestra.setCambi(&cambi);
    finestra.exec();
}

void frmEvasPre::erroreDb(const DbError& errore) {
    mUi.message(errore.describe(), {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
}

// ---- Closing and keys -------------------------------------------------------------------------

void frmEvasPre::ComAnnulla_Click() {
    close();
}

void frmEvasPre::closeEvent(QCloseEvent* evento) {
    // Not while a run or the manual grid is working with the engine.
    if (mInCorso || grigliaAperta()) {
        evento->ignore();
        return;
    }
    mServizi->SalvaPosizione();
    evento->accept();
}

void frmEvasPre::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Escape) {
        evento->accept();
        return;
    }
    QWidget::keyPressEvent(evento);
}

}  // namespace evapre
