#include "ControlliEvasione.h"

#include <limits>

#include "DateConv.h"
#include "DbConnection.h"
#include "NumberConv.h"
#include "ParametriDitta.h"
#include "RangeCompare.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "scEvaPrev.h"

namespace evapre {

namespace C = CampoSelezione;

QList<int> CampoSelezione::OrdineTab() {
    return {DataEvasione, TipoPreventivo, TipoEvasione, Moneta,       ClienteDa, ClienteA,
            ArticoloDa,   ArticoloA,      DataConsDa,   DataConsA,    DataRifDa, DataRifA,
            NumRifDa,     NumRifA,        DataDocDa,    DataDocA,     NumDocDa,  NumDocA,
            Prefisso,     MeseIva,        AnnoIva,      InDescrizione};
}

QList<int> CampoSelezione::CampiData() {
    return {DataEvasione, DataRifDa, DataRifA, DataDocDa, DataDocA, DataConsDa, DataConsA};
}

QList<int> CampoSelezione::CampiNumero() {
    return {NumRifDa, NumRifA, NumDocDa, NumDocA, MeseIva, AnnoIva};
}

void VociSelezione::segna(int campo, bool errato) {
    campiErrati.removeAll(campo);
    if (errato)
        campiErrati.append(campo);
}

namespace {

const QString kSi = QStringLiteral("S");

// A margin flag as the checks compare it: a type without one has no margin scheme.
QString flagMargine(const QString& valore) {
    const QString flag = TrimSpaces(valore);
    return flag.isEmpty() ? QStringLiteral("N") : flag;
}

std::optional<QDate> dataDi(const VociSelezione& voci, int campo) {
    return ConvertiData(voci.testo(campo));
}

bool dopo(const std::optional<QDate>& data, const std::optional<QDate>& limite) {
    return data && limite && *data > *limite;
}

qint32 interoDi(const VociSelezione& voci, int campo) {
    return ConvertiIntero(QVariant(voci.testo(campo)));
}

}  // namespace

ControlliEvasione::ControlliEvasione(DbConnection& db, ParametriDitta& parametri, UiServices& ui)
    : mDb(db), mParametri(parametri), mUi(ui) {}

// ---- Document types ---------------------------------------------------------------------------

QString ControlliEvasione::FiltroTipoPreventivo() const {
    return QStringLiteral("tipo=") + mDb.sql(QStringLiteral("P"));
}

QString ControlliEvasione::FiltroTipoEvasione() const {
    // A type without the internal flag is not internal.
    return QStringLiteral("(tipo=") + mDb.sql(QStringLiteral("B")) + QStringLiteral(" or tipo=") +
           mDb.sql(QStringLiteral("F")) + QStringLiteral(" or tipo=") +
           mDb.sql(QStringLiteral("O")) + QStringLiteral(") and Segno = ") +
           mDb.sql(QStringLiteral("+")) + QStringLiteral(" and (Interno <> ") + mDb.sql(kSi) +
           QStringLiteral(" or Interno is null)");
}

TipoPreventivoLetto ControlliEvasione::LeggiTipoPreventivo(const QString& codice) {
    TipoPreventivoLetto letto;
    if (IsBlank(codice))
        return letto;
    auto rs = mDb.openRowSet(QStringLiteral("Select * from FattDocumenti where FattDocumento = ") +
                             mDb.sql(TrimSpaces(codice)) + QStringLiteral(" and ") +
                             FiltroTipoPreventivo());
    if (rs->eof())
        return letto;
    letto.trovato = true;
    letto.descrizione = rs->text(QStringLiteral("Descrizione"));
    letto.fattDocEvasione = TrimSpaces(rs->text(QStringLiteral("FattDocEvasione")));
    letto.magCausaleRientro = rs->text(QStringLiteral("MagCausaleRientro"));
    letto.regimeMargine = rs->text(QStringLiteral("RegimeMargine"));
    return letto;
}

TipoEvasioneLetto ControlliEvasione::LeggiTipoEvasione(const QString& codice) {
    TipoEvasioneLetto letto;
    if (IsBlank(codice))
        return letto;
    auto rs = mDb.openRowSet(QStringLiteral("Select * from FattDocumenti where FattDocumento = ") +
                             mDb.sql(TrimSpaces(codice)) + QStringLiteral(" and ") +
                             FiltroTipoEvasione());
    if (rs->eof())
        return letto;
    letto.trovato = true;
    letto.descrizione = rs->text(QStringLiteral("Descrizione"));
    letto.tipo = TrimSpaces(rs->text(QStringLiteral("Tipo"))).toUpper();
    letto.prefRegIva = TrimSpaces(rs->text(QStringLiteral("PrefRegIva")));
    letto.prefBolle = TrimSpaces(rs->text(QStringLiteral("PrefBolle")));
    letto.regimeMargine = rs->text(QStringLiteral("RegimeMargine"));
    letto.doveStampoDesLung = rs->text(QStringLiteral("DoveStampoDesLung"));
    letto.causale = TrimSpaces(rs->text(QStringLiteral("Causale")));
    if (!letto.causale.isEmpty())
        letto.splitPay =
            mDb.scalar(QStringLiteral("Select SplitPay from Causali where Causale = ") +
                       mDb.sql(letto.causale))
                .toString();
    return letto;
}

TipoPreventivoLetto ControlliEvasione::ApplicaTipoPreventivo(VociSelezione& voci) {
    const TipoPreventivoLetto tipo = LeggiTipoPreventivo(voci.testo(C::TipoPreventivo));
    voci.causaleRientro = tipo.magCausaleRientro;
    voci.margineTipoPreventivo = flagMargine(tipo.regimeMargine);
    return tipo;
}

TipoEvasioneLetto ControlliEvasione::ApplicaTipoEvasione(VociSelezione& voci) {
    const TipoEvasioneLetto tipo = LeggiTipoEvasione(voci.testo(C::TipoEvasione));
    voci.margineTipoEvasione = flagMargine(tipo.regimeMargine);
    voci.tipoEvasione = tipo.tipo;
    voci.fattura = tipo.tipo == QLatin1String("F");
    voci.doveStampoDesLung = tipo.doveStampoDesLung;
    if (!voci.fattura)
        voci.splitPay = 0;
    else
        voci.splitPay = TrimSpaces(tipo.splitPay) == kSi ? 2 : 1;
    return tipo;
}

PresentazionePrefisso ControlliEvasione::Prefisso(const TipoEvasioneLetto& tipo,
                                                  bool campo30Vuoto) const {
    PresentazionePrefisso p;
    const auto elenco = [&](const QString& chiave, const char* mancano) {
        const QString valori = mParametri.company(chiave);
        return IsBlank(valori) ? QString::fromUtf8(mancano)
                               : QStringLiteral("(Elenco prefissi da Parametri Fatturazione: ") +
                                     valori + QStringLiteral(" )");
    };
    if (tipo.tipo == QLatin1String("B")) {
        p.visibile = true;
        p.didascalia = QStringLiteral("Prefisso DDT: ");
        p.elenco = elenco(QStringLiteral("Fat.ElePrefDdt"),
                          "Mancano in Param.di Contabilità i prefissi per DDT !!");
        p.proposta = mParametri.company(QStringLiteral("Fat.PrefDdt"));
        if (!campo30Vuoto && !IsBlank(tipo.prefBolle))
            p.proposta = tipo.prefBolle;
        p.acquisti = false;
    } else if (tipo.tipo == QLatin1String("F")) {
        p.visibile = true;
        p.didascalia = QStringLiteral("Prefisso fatture: ");
        p.elenco = elenco(QStringLiteral("Ditta.EleRegIvaVen"),
                          "Mancano in Param.di Contabilità i prefissi per fattura !!");
        p.proposta = mParametri.company(QStringLiteral("Ditta.RegIvaVen"));
        if (!campo30Vuoto && !IsBlank(tipo.prefRegIva))
            p.proposta = tipo.prefRegIva;
        p.acquisti = false;
    }
    return p;
}

// ---- Field marks -------------------------------------------------------------------------------

bool ControlliEvasione::DataErrata(const QString& testo) const {
    const DataConvertita data = ConvertiDataEx(testo);
    if (data.error)
        return true;
    const auto minima = ConvertiData(mParametri.dataMinima());
    return data.date && minima && *data.date < *minima;
}

bool ControlliEvasione::NumeroErrato(int campo, const QString& testo) {
    const NumeroConvertito numero = ConvertiNumeroEx(testo);
    if (numero.blank)
        return false;
    if (numero.error || numero.value < Currency() || numero.value.raw() % Currency::kScale != 0 ||
        numero.value > Currency::fromInt(std::numeric_limits<qint32>::max()))
        return true;
    if (campo == C::MeseIva)
        return numero.value < Currency::fromInt(1) || numero.value > Currency::fromInt(12);
    if (campo == C::AnnoIva)
        return numero.value > Currency::fromInt(9999);
    return false;
}

bool ControlliEvasione::PrefissoValido(const QString& prefisso, const QString& elenco) {
    const QString p = TrimSpaces(prefisso);
    if (p.isEmpty())
        return true;
    static const QString kSeparatori = QStringLiteral(",; ");
    return p.size() == 1 && !kSeparatori.contains(p) && elenco.contains(p);
}

// The prefix list a prefix of this kind of document is checked against.
QString ControlliEvasione::elencoPrefissi(const QString& tipo) const {
    return mParametri.company(tipo == QLatin1String("B") ? QStringLiteral("Fat.ElePrefDdt")
                                                         : QStringLiteral("Ditta.EleRegIvaVen"));
}

void ControlliEvasione::LasciaPrefisso(VociSelezione& voci) {
    const QString prefisso = TrimSpaces(voci.testo(C::Prefisso));
    voci.txt[C::Prefisso] = prefisso;
    voci.segna(C::Prefisso, !PrefissoValido(prefisso, elencoPrefissi(voci.tipoEvasione)));
    if (voci.fattura && !voci.errato(C::Prefisso) && !margineConcorda(voci))
        voci.segna(C::Prefisso, true);
}

// The margin scheme of the invoice's sales VAT register against the type to produce.
bool ControlliEvasione::margineConcorda(VociSelezione& voci) {
    const auto data = dataDi(voci, C::DataEvasione);
    const QString prefisso = voci.testo(C::Prefisso);
    if (!data || prefisso.isEmpty())
        return true;
    auto registro = mDb.openRowSet(
        QStringLiteral("Select * from LibriIva") + QStringLiteral(" Where Anno = ") +
        mDb.sql(data->year()) + QStringLiteral(" And TipoReg = ") + mDb.sql(QStringLiteral("V")) +
        QStringLiteral(" And Pref = ") + mDb.sql(prefisso));
    const bool registroAMargine =
        !registro->eof() && TrimSpaces(registro->text(QStringLiteral("RegimeMargine"))) == kSi;
    const bool tipoAMargine = voci.margineTipoEvasione == kSi;
    if (tipoAMargine && !registroAMargine) {
        mUi.message(QStringLiteral("Prefisso Fattura senza flag regime del margine"));
        return false;
    }
    if (!tipoAMargine && registroAMargine) {
        mUi.message(QStringLiteral("Prefisso Fattura con flag regime del margine"));
        return false;
    }
    return true;
}

void ControlliEvasione::SegnaCampiErrati(VociSelezione& voci) {
    for (int campo : C::CampiData())
        voci.segna(campo, DataErrata(voci.testo(campo)));
    for (int campo : C::CampiNumero())
        voci.segna(campo, NumeroErrato(campo, voci.testo(campo)));
    LasciaPrefisso(voci);
}

// ---- "&Ok" ----------------------------------------------------------------------------------

EsitoControlli ControlliEvasione::rifiuta(const QString& messaggio, int campo) {
    mUi.message(messaggio);
    return {false, messaggio, campo};
}

EsitoControlli ControlliEvasione::Controlla(VociSelezione& voci, scEvaPrev& motore) {
    if (voci.margineTipoPreventivo.compare(voci.margineTipoEvasione, Qt::CaseInsensitive) != 0)
        return rifiuta(
            QStringLiteral("Tipi documento con diversa gestione del regime del margine"));

    const auto dataEvasione = dataDi(voci, C::DataEvasione);
    motore.otDataEvasione = dataEvasione.value_or(QDate());
    if (IsBlank(voci.testo(C::DataEvasione)))
        return rifiuta(QStringLiteral("La data evasione è obbligatoria"));

    switch (mParametri.checkEsercizio(motore.otDataEvasione).code) {
        case 0:
            break;
        case 5:
            return rifiuta(QStringLiteral("Data evasione successiva all'esercizio"));
        case 4:
            return rifiuta(QStringLiteral("Data evasione precedente all'esercizio"));
        default:
            return rifiuta(QStringLiteral(
                "Data evasione di un esercizio errato (O errore nel controllo data esercizio)"));
    }
    motore.oiAnno = dataEvasione->year();

    const bool tipoPrev = !IsBlank(voci.testo(C::TipoPreventivo));
    const bool tipoEva = !IsBlank(voci.testo(C::TipoEvasione));
    if (!tipoPrev)
        return rifiuta(QStringLiteral("Vanno specificati i due tipi di documento"));
    if (tipoEva && voci.corrispettivo)
        return rifiuta(QStringLiteral(
            "Per evadere con corrispettivo è necessario sbiancare il Doc. di evasione"));
    if (!tipoEva && !voci.corrispettivo)
        return rifiuta(QStringLiteral(
            "E' possibile avere il Doc. di evasione sbiancato solo con l'evasione con "
            "corrispettivo"));

    if (mParametri.company(QStringLiteral("Ditta.InstMaga")) == kSi && voci.corrispettivo &&
        IsBlank(voci.causaleRientro)) {
        const QString domanda =
            QStringLiteral(
                "Attenzione questa evasione non farà lo scarico degli articoli di "
                "magazzino.") +
            QLatin1Char('\n') + QStringLiteral("Vuoi Continuare?");
        // Without an explicit yes nothing starts.
        if (mUi.message(domanda, {QStringLiteral("&Si"), QStringLiteral("&No")}, 2,
                        MsgIcon::Question) != 1)
            return {false, domanda, 0};
    }

    const QDate lavoro = mParametri.workingDate();
    if (lavoro.isValid() && *dataEvasione > lavoro)
        return rifiuta(QStringLiteral("La data evasione non può essere sucessiva a ") +
                       FormatData(lavoro));

    CompletaDataRifA(voci);

    const auto invertito = [&](int da, int a, RangeKind tipo) {
        return RangeInverted(voci.testo(da), voci.testo(a), tipo);
    };
    const QString dataSuccessiva = QStringLiteral(
        "Non si possono evadere Preventivi con data documento successiva alla data evasione");
    if (invertito(C::ClienteDa, C::ClienteA, RangeKind::Text))
        return rifiuta(QStringLiteral("Si prega di inserire i codici cliente in ordine crescente"));
    if (dopo(dataDi(voci, C::DataRifDa), dataEvasione) ||
        dopo(dataDi(voci, C::DataRifA), dataEvasione))
        return rifiuta(dataSuccessiva);
    if (invertito(C::ArticoloDa, C::ArticoloA, RangeKind::Text))
        return rifiuta(
            QStringLiteral("Si prega di inserire i codici articolo in ordine crescente"));
    if (invertito(C::DataConsDa, C::DataConsA, RangeKind::Date))
        return rifiuta(
            QStringLiteral("Si prega di inserire le date di consegna in ordine crescente"));
    if (invertito(C::DataRifDa, C::DataRifA, RangeKind::Date))
        return rifiuta(
            QStringLiteral("Si prega di inserire le date di inserimento in ordine crescente"));
    if (invertito(C::NumRifDa, C::NumRifA, RangeKind::Number))
        return rifiuta(
            QStringLiteral("Si prega di inserire i numeri di inserimento in ordine crescente"));
    if (dopo(dataDi(voci, C::DataDocDa), dataEvasione) ||
        dopo(dataDi(voci, C::DataDocA), dataEvasione))
        return rifiuta(dataSuccessiva);
    if (invertito(C::DataDocDa, C::DataDocA, RangeKind::Date))
        return rifiuta(
            QStringLiteral("Si prega di inserire le date di Preventivi in ordine crescente"));
    if (invertito(C::NumDocDa, C::NumDocA, RangeKind::Number))
        return rifiuta(
            QStringLiteral("Si prega di inserire i numeri documento in ordine crescente"));

    for (int campo : C::OrdineTab())
        if (voci.errato(campo))
            return rifiuta(QStringLiteral("Data Errata o Campo Errato"), campo);
    return {};
}

void ControlliEvasione::CompletaDataRifA(VociSelezione& voci) {
    if (IsBlank(voci.testo(C::DataRifA)))
        voci.txt[C::DataRifA] = voci.testo(C::DataEvasione);
}

void ControlliEvasione::Consegna(const VociSelezione& voci, scEvaPrev& motore) {
    motore.obEvasManule = voci.manuale;
    motore.osFattDocPre = voci.testo(C::TipoPreventivo);
    motore.osTipoDocEva = voci.testo(C::TipoEvasione);
    motore.obEvACorrisp = voci.corrispettivo;
    motore.osCliDa = voci.testo(C::ClienteDa);
    motore.osCliA = voci.testo(C::ClienteA);
    motore.osArticoloDa = voci.testo(C::ArticoloDa);
    motore.osArticoloA = voci.testo(C::ArticoloA);
    motore.ovDataConsDa = dataDi(voci, C::DataConsDa);
    motore.ovDataConsA = dataDi(voci, C::DataConsA);
    motore.ovDataRifDa = dataDi(voci, C::DataRifDa);
    motore.ovDataRifA = dataDi(voci, C::DataRifA);
    motore.olNumRifDa = interoDi(voci, C::NumRifDa);
    motore.olNumRifA = interoDi(voci, C::NumRifA);
    motore.ovDataDocDa = dataDi(voci, C::DataDocDa);
    motore.ovDataDocA = dataDi(voci, C::DataDocA);
    motore.olNumDocDa = interoDi(voci, C::NumDocDa);
    motore.olNumDocA = interoDi(voci, C::NumDocA);
    motore.oiPerIvaMese = interoDi(voci, C::MeseIva);
    motore.oiPerIvaAnno = interoDi(voci, C::AnnoIva);
    motore.osInDesc = voci.testo(C::InDescrizione);
    motore.obSuDispon = voci.suDispon;
    motore.osPrefDoc = voci.testo(C::Prefisso);
    motore.osMoneta = voci.testo(C::Moneta);
    motore.osRegimeMargine = voci.margineTipoPreventivo;
    motore.oiCreAcq = voci.creaAcq;
    motore.oiSplitPay = voci.splitPay;
}

}  // namespace evapre
