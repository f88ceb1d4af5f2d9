// Document headers: the open document a quote can join, or a new numbered, locked header
// filled from the quote, the customer and the company settings; the run's journal row.
#include <QDateTime>

#include "AggSpeBan.h"
#include "AziendaUtil.h"
#include "ComLock.h"
#include "DbConnection.h"
#include "DbError.h"
#include "DichIntenti.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

constexpr int kTentativiNumero = 10;
constexpr int kErroreEvasione = 0;
const QString kPassoTestata =
    QStringLiteral("Evasione Preventivi: Evasione di un singolo Preventivo");

QString colPrev(const char* nome) {
    return QStringLiteral("PreVenTest.") + QLatin1String(nome);
}

}  // namespace

void scEvaPrev::leggiImpostazioniDocumento() {
    const auto si = [&](const char* chiave) {
        return mParametri.company(QLatin1String(chiave)).trimmed() == QLatin1String("S");
    };
    const auto testo = [&](const char* chiave, const char* predefinito = "") {
        return TrimSpaces(mParametri.companyOr(QLatin1String(chiave), QLatin1String(predefinito)));
    };
    mImp.raggrDataRif = si("EvasionePrev.RaggrDataRif");
    mImp.copiaRifCli = si("EvasionePrev.CopiaRifCli");
    mImp.preXmlGen = testo("EvasionePrev.PreXmlGen", "SSN");
    mImp.stRifOrd = testo("Fat.StRifOrd");
    mImp.stRifCli = testo("Fat.StRifCli");
    mImp.formatoRifDdt = testo("Fat.FormatoRigaRifDdt");
    mImp.formatoRifCli = testo("Fat.FormatoRigaRifCli");
    mImp.formatoLiberi = testo("Fat.FormatoRigaLiberi");
    mImp.posRifOrd = testo("EvasionePre.StRigaRifOrd", "A").toUpper();
    mImp.posRifCli = testo("EvasionePre.StRigaRifCli", "A").toUpper();
    mImp.posRifLib = testo("EvasionePre.StRigaRifLib", "A").toUpper();
    mImp.prefDdt = testo("Fat.PrefDdt");
    mImp.cauTrasporto = mParametri.company(QStringLiteral("Fat.CauTrasporto"));
    mImp.aspettoBene = mParametri.company(QStringLiteral("Fat.AspettoBene"));
    mImp.ragDdt = testo("Fat.RagDDT");
    mNoteSuEvasione.clear();
    mAddebiti.reset();
}

namespace {
qint64 chiaveStato(int anno, qint32 numRif) {
    return static_cast<qint64>(anno) * 10000000000LL + numRif;
}
}  // namespace

scEvaPrev::StatoDocumento& scEvaPrev::statoDocumento(int anno, qint32 numRif) {
    const qint64 chiave = chiaveStato(anno, numRif);
    annotaStatoDoc(chiave);
    return mStatoDoc.documenti[chiave];
}

void scEvaPrev::dimenticaDocumento(int anno, qint32 numRif) {
    const qint64 chiave = chiaveStato(anno, numRif);
    annotaStatoDoc(chiave);
    mStatoDoc.documenti.remove(chiave);
}

void scEvaPrev::annotaStatoDoc(qint64 chiave) {
    if (mPuntiStatoDoc == 0)
        return;
    const auto noto = mStatoDoc.documenti.constFind(chiave);
    mDiarioStati.emplace_back(chiave, noto == mStatoDoc.documenti.constEnd()
                                          ? std::nullopt
                                          : std::optional<StatoDocumento>(*noto));
}

scEvaPrev::PuntoStatoDoc scEvaPrev::segnaStatoDoc() {
    ++mPuntiStatoDoc;
    return {mDiarioStati.size(), mStatoDoc.filtroPrecedente, mStatoDoc.chiavePrecedente,
            mStatoDoc.docPrecedente};
}

void scEvaPrev::ripristinaStatoDoc(const PuntoStatoDoc& punto) {
    while (mDiarioStati.size() > punto.diario) {
        const auto& [chiave, prima] = mDiarioStati.back();
        if (prima)
            mStatoDoc.documenti.insert(chiave, *prima);
        else
            mStatoDoc.documenti.remove(chiave);
        mDiarioStati.pop_back();
    }
    mStatoDoc.filtroPrecedente = punto.filtroPrecedente;
    mStatoDoc.chiavePrecedente = punto.chiavePrecedente;
    mStatoDoc.docPrecedente = punto.docPrecedente;
}

void scEvaPrev::rilasciaStatoDoc() {
    if (--mPuntiStatoDoc == 0)
        mDiarioStati.clear();
}

// Quote currencies with a fixed conversion, and the two program currencies, keep the quote's
// own rate; any other takes the rate the user confirmed for the run.
Currency scEvaPrev::cambioDocumento(const RowSet& testata) const {
    const QString moneta = TrimSpaces(testata.text(colPrev("Moneta")));
    const Currency proprio = testata.amount(colPrev("Cambio"));
    const MoneySettings& impostazioni = mMoneta.settings();
    if (testata.text(QStringLiteral("Monete.Cee")).trimmed() == QLatin1String("S") ||
        moneta.compare(impostazioni.codEuro, Qt::CaseInsensitive) == 0 ||
        moneta.compare(impostazioni.codLira, Qt::CaseInsensitive) == 0)
        return proprio;
    for (const CambioEvasione& c : ogCambi) {
        if (c.moneta.compare(moneta, Qt::CaseInsensitive) == 0 && c.cambio != Currency())
            return c.cambio;
    }
    // No rate confirmed (a caller that skipped the rate entry): the quote's own.
    return proprio;
}

QString scEvaPrev::fattDocumentoDaProdurre(const RowSet& testata) const {
    if (!IsBlank(osTipoDocEva))
        return TrimSpaces(osTipoDocEva);
    return TrimSpaces(testata.text(QStringLiteral("FattDocumenti.FattDocEvasione")));
}

// The quote's declaration of intent, or, when it names none and the customer has
// declarations, the one in force on the fulfilment date.
std::optional<qint32> scEvaPrev::dichIntentiEffettiva(const RowSet& testata) {
    if (!testata.isNull(colPrev("PdcDicIntenti")))
        return static_cast<qint32>(testata.integer(colPrev("PdcDicIntenti")));
    if (IsBlank(testata.text(QStringLiteral("PianoConti.DicIntenti"))))
        return std::nullopt;
    const QString data = sql(otDataEvasione);
    const QVariant numero =
        mDb.scalar(QStringLiteral("Select top 1 PdcDicIntenti from PdcDicIntenti where Gruppo = ") +
                   sql(testata.text(colPrev("GruppoCli"))) + QStringLiteral(" and Mastro = ") +
                   sql(testata.text(colPrev("MastroCli"))) + QStringLiteral(" and Conto = ") +
                   sql(testata.text(colPrev("ContoCli"))) + QStringLiteral(" and Attivo = ") +
                   sql(QStringLiteral("S")) +
                   QStringLiteral(" and (DataDAIntenti is null or DataDAIntenti <= ") + data +
                   QStringLiteral(") and (DataAIntenti is null or DataAIntenti >= ") + data +
                   QStringLiteral(") order by PdcDicIntenti"));
    if (!numero.isValid() || numero.isNull())
        return std::nullopt;
    return static_cast<qint32>(numero.toLongLong());
}

// The search of an open document that can take the quote. A blank value matches a blank
// value: Null, empty and spaces are the same "nothing". Documents another user holds are
// left alone: joining them would mix two runs in one document.
QString scEvaPrev::filtroDocumentoAperto(const RowSet& testata,
                                         const std::optional<qint32>& dich) const {
    const QString t = mTabelle->testa;
    const auto vuoto = [&](const QString& col) {
        return QStringLiteral(" AND (") + t + u'.' + col + QStringLiteral(" is null OR TRIM(") + t +
               u'.' + col + QStringLiteral(") = '')");
    };
    const auto testo = [&](const QString& col, const QString& valore) {
        if (IsBlank(valore))
            return vuoto(col);
        return QStringLiteral(" AND ") + t + u'.' + col + QStringLiteral(" = ") + sql(valore);
    };
    const auto campo = [&](const char* nome) {
        return testo(QLatin1String(nome), testata.text(colPrev(nome)));
    };
    const auto numero = [&](const QString& col, Currency valore) {
        if (valore == Currency())
            return QStringLiteral(" AND (") + t + u'.' + col + QStringLiteral(" = 0 OR ") + t +
                   u'.' + col + QStringLiteral(" is null)");
        return QStringLiteral(" AND ") + t + u'.' + col + QStringLiteral(" = ") +
               sql(QVariant::fromValue(valore));
    };

    QString s = QStringLiteral(" Where (") + t + QStringLiteral(".Stato = ''") +
                QStringLiteral(" or ") + t + QStringLiteral(".Stato is null)");
    const bool ordine = msTipoDoc == QLatin1String("O");
    if (ordine)
        s += QStringLiteral(" AND (") + t + QStringLiteral(".NumDoc = 0 or ") + t +
             QStringLiteral(".NumDoc is null)");
    if (mImp.raggrDataRif)
        s += QStringLiteral(" AND ") + t + QStringLiteral(".DataRif = ") + sql(otDataEvasione);
    s += QStringLiteral(" and ") + t + QStringLiteral(".Anno = ") + sql(oiAnno);
    s += testo(QStringLiteral("FattDocumento"), fattDocumentoDaProdurre(testata));
    if (!IsBlank(testata.text(colPrev("IndSped")))) {
        s += campo("IndSped");
    } else {
        s += campo("RagSoc") + campo("IndirizzoSped") + vuoto(QStringLiteral("IndSped"));
    }
    for (const char* nome : {"GruppoCli", "MastroCli", "ContoCli", "RagOrd", "MagazzProv"})
        s += campo(nome);
    s += oiSplitPay == 2 ? testo(QStringLiteral("IvaSosp"), QStringLiteral("N")) : campo("IvaSosp");
    for (const char* nome : {"Iva", "Pagamento", "PrezziIvati", "ScontoPag", "Banca", "Vettore",
                             "Resa", "Agente1", "Agente2", "Moneta"})
        s += campo(nome);
    s += numero(QStringLiteral("Cambio"), cambioDocumento(testata));
    s += campo("Lingua");
    s += numero(QStringLiteral("PercRitAcc"), testata.amount(colPrev("PercRitAcc")));
    if (msRagOrd == QLatin1String("C") || ordine)
        s += campo("Contratto");
    for (const char* nome : {"CIG", "CUP", "ScoPagSuDett"})
        s += campo(nome);
    if (dich)
        s += QStringLiteral(" AND ") + t + QStringLiteral(".PdcDicIntenti = ") + sql(*dich);
    else if (osDicIntentiVerif.trimmed() != QLatin1String("S"))
        s += QStringLiteral(" AND ") + t + QStringLiteral(".PdcDicIntenti is null");
    s += QStringLiteral(
             " AND NOT EXISTS (Select LockGest.NumReg from LockGest Where LockGest.Tipo = ") +
         sql(msCodiceLock) + QStringLiteral(" AND LockGest.Anno = ") + t +
         QStringLiteral(".Anno AND LockGest.NumReg = ") + t +
         QStringLiteral(".NumRif AND LockGest.Utente <> ") + sql(msUtente) + u')';
    return s;
}

// Every value of the quote the search above reads, and the settings of the run it depends on
// that may change from one quote to the next.
QStringList scEvaPrev::chiaveDocumentoAperto(const RowSet& testata,
                                             const std::optional<qint32>& dich) const {
    static const QString kCampi[] = {
        colPrev("IndSped"),   colPrev("RagSoc"),     colPrev("IndirizzoSped"),
        colPrev("GruppoCli"), colPrev("MastroCli"),  colPrev("ContoCli"),
        colPrev("RagOrd"),    colPrev("MagazzProv"), colPrev("IvaSosp"),
        colPrev("Iva"),       colPrev("Pagamento"),  colPrev("PrezziIvati"),
        colPrev("ScontoPag"), colPrev("Banca"),      colPrev("Vettore"),
        colPrev("Resa"),      colPrev("Agente1"),    colPrev("Agente2"),
        colPrev("Moneta"),    colPrev("Lingua"),     colPrev("Contratto"),
        colPrev("CIG"),       colPrev("CUP"),        colPrev("ScoPagSuDett")};
    QStringList chiave;
    chiave.reserve(static_cast<qsizetype>(std::size(kCampi)) + 8);
    for (const QString& campo : kCampi)
        chiave << testata.text(campo);
    chiave << mTabelle->testa << msTipoDoc << msCodiceLock << msRagOrd
           << fattDocumentoDaProdurre(testata) << QString::number(cambioDocumento(testata).raw())
           << QString::number(testata.amount(colPrev("PercRitAcc")).raw())
           << (dich ? QString::number(*dich) : QStringLiteral("-"));
    return chiave;
}

bool scEvaPrev::bloccaDocumento(const QString& codice, int anno, qint32 numRif,
                                const QString& descrizione, DetentoreBlocco& detentore,
                                bool nuovo) {
    RichiestaBlocco richiesta =
        RichiestaBlocco::Segno(QStringLiteral("0"), codice, anno, numRif, descrizione, true);
    // The number of a header just written is nobody's yet: its mark is written at once and
    // looked up only if refused.
    richiesta.scriviPrima = nuovo;
    msUltimoErroreLock.clear();
    return mLock->BloccaRecord(richiesta, &detentore);
}

bool scEvaPrev::TrovaOCreaTestata(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci) {
    Q_UNUSED(prev);
    impostaPasso(kPassoTestata);
    mDoc = {};
    mDoc.fattDocumento = fattDocumentoDaProdurre(testata);
    mDoc.moneta = TrimSpaces(testata.text(colPrev("Moneta")));
    mDoc.cambio = cambioDocumento(testata);
    if (!IsBlank(testata.text(QStringLiteral("Monete.Operatore"))))
        mDoc.operatore = TrimSpaces(testata.text(QStringLiteral("Monete.Operatore")));
    if (!testata.isNull(QStringLiteral("Monete.NumDec")))
        mDoc.numDec = static_cast<int>(testata.integer(QStringLiteral("Monete.NumDec")));
    if (!testata.isNull(QStringLiteral("Monete.NumDecGest")))
        mDoc.numDecGest = static_cast<int>(testata.integer(QStringLiteral("Monete.NumDecGest")));

    const std::optional<qint32> dich = dichIntentiEffettiva(testata);
    bool trovato = false;
    if (msRagOrd != QLatin1String("N")) {
        // Equal inputs give the previous quote's search text without building it again.
        QStringList chiave = chiaveDocumentoAperto(testata, dich);
        const bool stessaChiave =
            !mStatoDoc.filtroPrecedente.isEmpty() && chiave == mStatoDoc.chiavePrecedente;
        const QString filtro =
            stessaChiave ? mStatoDoc.filtroPrecedente : filtroDocumentoAperto(testata, dich);
        mStatoDoc.chiavePrecedente = std::move(chiave);
        // The previous quote's search found (or made) its document: the same search finds it
        // again, without asking.
        if (filtro == mStatoDoc.filtroPrecedente && mStatoDoc.docPrecedente.numRif != 0) {
            mDoc.anno = mStatoDoc.docPrecedente.anno;
            mDoc.numRif = mStatoDoc.docPrecedente.numRif;
            trovato = true;
        } else {
            auto aperto = mDb.openRowSet(QStringLiteral("select top 1 * from ") + mTabelle->testa +
                                         filtro + QStringLiteral(" order by NumRif"));
            if (!aperto->eof()) {
                const int anno = static_cast<int>(aperto->integer(QStringLiteral("Anno")));
                const auto numRif = static_cast<qint32>(aperto->integer(QStringLiteral("NumRif")));
                DetentoreBlocco detentore;
                // Taken meanwhile by another user: the quote opens a document of its own.
                if (bloccaDocumento(msCodiceLock, anno, numRif, QStringLiteral("Il doc."),
                                    detentore)) {
                    mDoc.anno = anno;
                    mDoc.numRif = numRif;
                    trovato = true;
                    // An order joined by a quote is no longer the copy of another order; its
                    // contract already equals the quote's, the search compares it.
                    if (msTipoDoc == QLatin1String("O"))
                        mDb.execute(QStringLiteral("Update ") + mTabelle->testa +
                                    QStringLiteral(" Set OrdAnno = NULL, OrdNumRif = NULL") +
                                    QStringLiteral(" where Anno = ") + sql(anno) +
                                    QStringLiteral(" AND NumRif = ") + sql(numRif));
                }
            }
        }
        mStatoDoc.filtroPrecedente = filtro;
    } else {
        mStatoDoc.filtroPrecedente.clear();
    }
    if (!trovato && !creaTestata(testata, dich, pbEsci)) {
        mStatoDoc.filtroPrecedente.clear();
        return false;
    }
    mStatoDoc.docPrecedente = mDoc;
    registraGiornale();
    if (mDoc.nuovo && msTipoDoc == QLatin1String("F"))
        speseAutomatiche(testata);
    return true;
}

bool scEvaPrev::creaTestata(const RowSet& testata, const std::optional<qint32>& dich,
                            bool& pbEsci) {
    impostaPasso(kPassoTestata + QStringLiteral(": Creazione nuova testata"));
    QList<QPair<QString, QVariant>> colonne = colonneTestata(testata, dich);
    aggiungiNotaDichIntenti(testata, dich, colonne);
    // Another user may take the number between the query and the insert: try the next one.
    qint32 numRif = 0;
    for (int tentativo = 1; tentativo <= kTentativiNumero && numRif == 0; ++tentativo) {
        const qint64 prossimo =
            mLock->ProssimoNumero(QStringLiteral("NumRif"), mTabelle->testa, oiAnno, false);
        if (prossimo <= 0) {
            RegistraErrore(kErroreEvasione, msUltimoErroreLock);
            pbEsci = true;
            return false;
        }
        QList<QPair<QString, QVariant>> riga{{QStringLiteral("Anno"), oiAnno},
                                             {QStringLiteral("NumRif"), prossimo},
                                             {QStringLiteral("DataRif"), otDataEvasione}};
        riga += colonne;
        try {
            mDb.insertRow(mTabelle->testa, riga);
            numRif = static_cast<qint32>(prossimo);
        } catch (const DbError& e) {
            if (e.number() != 3022 || tentativo == kTentativiNumero)
                throw;
        }
    }
    for (;;) {
        DetentoreBlocco detentore;
        if (bloccaDocumento(msCodiceLock, oiAnno, numRif, QStringLiteral("La fattura"), detentore,
                            true))
            break;
        if (detentore.utente.isEmpty()) {
            RegistraErrore(kErroreEvasione,
                           QStringLiteral("Doc. n.rif ") + QString::number(numRif) +
                               QStringLiteral(" anno ") + QString::number(oiAnno) +
                               QStringLiteral(" errore nel loccaggio della testata fattura: ") +
                               msUltimoErroreLock);
            pbEsci = true;
            return false;
        }
        const int risposta =
            mUi.message(QStringLiteral("Doc. in uso da ") + detentore.utente,
                        {QStringLiteral("Riprova"), QStringLiteral("Esci")}, 1, MsgIcon::Question);
        if (risposta == 2) {
            pbEsci = true;
            return false;
        }
    }
    mDoc.anno = oiAnno;
    mDoc.numRif = numRif;
    mDoc.nuovo = true;
    statoDocumento(oiAnno, numRif).righeLette = true;  // a new document has no lines
    return true;
}

// Every column of a new header after its key and date.
//
// Choices where the derivation is open: PrezzoDDT/PrezzoOrd take the customer's price-printing
// flag (the document type's when the customer's is "T") for delivery notes and orders;
// Aperto/OrdAperto are "N" (a fulfilment never opens a standing document); DaFatturare is "S"
// on delivery notes only (they wait to be invoiced); Provenienza "P" marks a document made
// from quotes, RifAnniPrec "N", Segno "+". The contract is written on every kind, so that the
// search by contract ("C" grouping) finds it. The fixed notes of the quote marked SuEvasione
// are kept in their places, the payment's note goes into the first free place; Nota is the
// quote's EvasioneNota when given (the note meant for fulfilments), else its Nota, and
// StampoNota says whether there is one.
QList<QPair<QString, QVariant>> scEvaPrev::colonneTestata(const RowSet& testata,
                                                          const std::optional<qint32>& dich) const {
    QList<QPair<QString, QVariant>> c;
    const auto quote = [&](const char* nome) {
        c.append({QLatin1String(nome), testata.value(colPrev(nome))});
    };
    const auto valore = [&](const char* nome, const QVariant& v) {
        c.append({QLatin1String(nome), v});
    };
    const bool fattura = msTipoDoc == QLatin1String("F");
    const bool ddt = msTipoDoc == QLatin1String("B");
    const bool ordine = msTipoDoc == QLatin1String("O");

    quote("Contratto");
    valore("OrdAnno", QVariant());
    valore("OrdNumRif", QVariant());
    valore("FattDocumento", mDoc.fattDocumento);
    valore("ConsTotale", QStringLiteral("N"));
    for (const char* nome : {"Descrizione", "Indirizzo", "RagSocCli", "RagSocCli2", "Telefono",
                             "Localita", "GruppoCli", "MastroCli", "ContoCli", "MagazzDest"})
        quote(nome);
    valore("PartIva", testata.value(QStringLiteral("FattDocumenti.PartIva")));
    valore("Interno", mTipoDoc.interno);

    QString prezzo = TrimSpaces(testata.text(QStringLiteral("PianoConti.PrezzoDDT")));
    if (prezzo == QLatin1String("T") || prezzo.isEmpty())
        prezzo = TrimSpaces(mTipoDoc.prezzoDdt);
    valore("PrezzoDDT", ddt ? QVariant(prezzo) : QVariant());
    valore("PrezzoOrd", ordine ? QVariant(prezzo) : QVariant());
    valore("Aperto", QStringLiteral("N"));
    valore("OrdAperto", ordine ? QVariant(QStringLiteral("N")) : QVariant());

    if (mImp.copiaRifCli)
        quote("RifCli");
    QString prefisso = TrimSpaces(osPrefDoc);
    if (prefisso.isEmpty() && ddt)
        prefisso = mImp.prefDdt;
    if (prefisso.isEmpty() && fattura)
        prefisso = IsBlank(mTipoDoc.prefRegIva) ? TrimSpaces(msRegIvaVen)
                                                : TrimSpaces(mTipoDoc.prefRegIva);
    valore("PreDoc", prefisso);
    valore("RagRB", testata.value(QStringLiteral("PianoConti.RagRB")));
    valore("CauTrasporto", mImp.cauTrasporto);
    valore("AspettoBene", mImp.aspettoBene);
    valore("PeriodoIva", oiPerIvaMese != 0 ? QVariant(oiPerIvaMese) : QVariant());
    valore("AnnoIva", oiPerIvaAnno != 0 ? QVariant(oiPerIvaAnno) : QVariant());
    valore("Riepilogativa", QStringLiteral("N"));
    valore("FattAccomp", mTipoDoc.fattAccomp);
    valore("Abbuono", QVariant::fromValue(Currency()));
    valore("Bolli", testata.value(QStringLiteral("PianoConti.Bolli")));
    valore("SpeseBan", testata.value(QStringLiteral("PianoConti.SpeseBan")));
    valore("FECodIPA", testata.value(QStringLiteral("PianoConti.FECodIPA")));
    valore("FeBanca", testata.value(QStringLiteral("Pagamenti.FeBanca")));
    valore("IndAmm", testata.value(QStringLiteral("PianoConti.IndAmm")));
    quote("Tipo");
    quote("Iva");
    if (oiSplitPay == 2)
        valore("IvaSosp", QStringLiteral("N"));
    else
        quote("IvaSosp");
    for (const char* nome : {"Listino", "PrezziIvati", "Moneta"})
        quote(nome);
    valore("Cambio", QVariant::fromValue(mDoc.cambio));
    quote("Pagamento");
    quote("RagOrd");
    QString ragDdt = TrimSpaces(testata.text(QStringLiteral("PianoConti.RagDDT")));
    if (ragDdt.isEmpty() || ragDdt == QLatin1String("T"))
        ragDdt = mImp.ragDdt;
    valore("RagDDT", ragDdt);
    valore("Provenienza", QStringLiteral("P"));
    valore("RifAnniPrec", QStringLiteral("N"));
    valore("DaFatturare", ddt ? QStringLiteral("S") : QStringLiteral("N"));
    valore("Segno", QStringLiteral("+"));
    for (const char* nome :
         {"Banca",         "ScontoCli",    "ScontoPag",     "MagazzProv",  "Agente1",
          "Agente2",       "TipoProvv",    "TipoProvv2",    "PercProvv1",  "PercProvv2",
          "Lingua",        "IndSped",      "RagSoc",        "RagSoc2",     "IndirizzoSped",
          "CAPSped",       "LocalitaSped", "PrSped",        "StatoSped",   "Resa",
          "DescResa",      "Trasporto",    "DescTrasporto", "Vettore",     "RagSocVett",
          "IndirizzoVett", "CAPVett",      "LocalitaVett",  "PrVett",      "DescPers1",
          "DescPers2",     "DescPers3",    "PercRitAcc",    "ScoPagSuDett"})
        quote(nome);
    valore("PdcDicIntenti", dich ? QVariant(*dich) : QVariant());

    // The notes' own flag is read from NoteFisse: the three joins of the header query share
    // one table, so their columns cannot be told apart by table name on every driver.
    QVariantList note(3);
    QStringList daLeggere;
    for (int i = 1; i <= 3; ++i) {
        const QVariant codice = testata.value(colPrev("NumNota") + QString::number(i));
        if (!codice.isNull() && !mNoteSuEvasione.contains(codice.toLongLong()))
            daLeggere << sql(codice.toLongLong());
    }
    if (!daLeggere.isEmpty()) {
        auto suEvasione =
            mDb.openRowSet(QStringLiteral("Select NotaFissa from NoteFisse where SuEvasione = ") +
                           sql(QStringLiteral("S")) + QStringLiteral(" and NotaFissa in (") +
                           daLeggere.join(u',') + u')');
        for (int i = 1; i <= 3; ++i) {
            const QVariant codice = testata.value(colPrev("NumNota") + QString::number(i));
            if (!codice.isNull())
                mNoteSuEvasione.insert(codice.toLongLong(), false);
        }
        for (; !suEvasione->eof(); suEvasione->moveNext())
            mNoteSuEvasione.insert(suEvasione->integer(QStringLiteral("NotaFissa")), true);
    }
    for (int i = 1; i <= 3; ++i) {
        const QVariant codice = testata.value(colPrev("NumNota") + QString::number(i));
        if (!codice.isNull() && mNoteSuEvasione.value(codice.toLongLong()))
            note[i - 1] = codice.toLongLong();
    }
    const QVariant notaPagamento = testata.value(QStringLiteral("Pagamenti.NotaFissa"));
    if (!notaPagamento.isNull() && notaPagamento.toLongLong() != 0 &&
        !note.contains(QVariant(notaPagamento.toLongLong()))) {
        for (QVariant& posto : note) {
            if (posto.isNull()) {
                posto = notaPagamento.toLongLong();
                break;
            }
        }
    }
    valore("NumNota1", note[0]);
    valore("NumNota2", note[1]);
    valore("NumNota3", note[2]);
    quote("NumNota");
    const QString evasioneNota = testata.text(colPrev("EvasioneNota"));
    const QString nota = IsBlank(evasioneNota) ? testata.text(colPrev("Nota")) : evasioneNota;
    valore("Nota", IsBlank(nota) ? QVariant() : QVariant(nota));
    quote("EvasioneNota");
    valore("StampoNota", IsBlank(nota) ? QStringLiteral("N") : QStringLiteral("S"));
    return c;
}

// A customer covered by declarations of intent gets their note after the quote's own note.
void scEvaPrev::aggiungiNotaDichIntenti(const RowSet& testata, const std::optional<qint32>& dich,
                                        QList<QPair<QString, QVariant>>& colonne) {
    if (!dich && IsBlank(testata.text(QStringLiteral("PianoConti.DicIntenti"))))
        return;
    DichIntenti dichiarazioni(mDb, mParametri, mUi);
    dichiarazioni.setRegistroErrori(
        [this](const QString& testo) { RegistraErrore(kErroreEvasione, testo); });
    const QString testoDich = dichiarazioni.NotaDichIntenti(
        testata.text(colPrev("GruppoCli")), testata.text(colPrev("MastroCli")),
        testata.text(colPrev("ContoCli")), QStringLiteral("DichIntentiTab"), {}, dich.value_or(0));
    if (testoDich == DichIntenti::Nessuna())
        return;
    for (auto& [colonna, valore] : colonne) {
        if (colonna == QLatin1String("Nota"))
            valore = valore.isNull() ? testoDich : valore.toString() + u'\n' + testoDich;
        else if (colonna == QLatin1String("StampoNota"))
            valore = QStringLiteral("S");
    }
}

void scEvaPrev::registraGiornale() {
    StatoDocumento& stato = statoDocumento(mDoc.anno, mDoc.numRif);
    if (stato.nelGiornale)
        return;
    // A run starts only with an empty journal, so a document not yet journalled in this run
    // has no row; one joined from an earlier run gets one and is closed again at the end.
    mDb.insertRow(QStringLiteral("DocDaElab"),
                  {{QStringLiteral("Utente"), msUtente},
                   {QStringLiteral("Programma"), msIdLavoro},
                   {QStringLiteral("Anno"), mDoc.anno},
                   {QStringLiteral("NumReg"), mDoc.numRif},
                   {QStringLiteral("DataOraEvas"), QDateTime::currentDateTime()},
                   {QStringLiteral("Comando"), QStringLiteral("C")}});
    stato.nelGiornale = true;
}

// The collection charge of the payment terms and the stamp duty of a new invoice. The
// customer's flags come from the account the header query joined, the one the new header
// copied them from, as long as the account text splits back into the same three parts.
void scEvaPrev::speseAutomatiche(const RowSet& testata) {
    if (!mAddebiti)
        mAddebiti = std::make_shared<AggSpeBan>(mDb, mMoneta.settings(), mUi);
    AggSpeBan& spese = *mAddebiti;
    AggSpeBan::Stato nuovo;
    nuovo.selettore = QStringLiteral("S");
    const QString gruppo = testata.text(colPrev("GruppoCli"));
    const QString mastro = testata.text(colPrev("MastroCli"));
    const QString conto = testata.text(colPrev("ContoCli"));
    nuovo.conto = gruppo + mastro + conto;
    nuovo.pagamento = testata.text(colPrev("Pagamento"));
    QString gruppoDiviso, mastroDiviso, contoDiviso;
    AggSpeBan::DividiConto(nuovo.conto, gruppoDiviso, mastroDiviso, contoDiviso);
    const bool contoLetto =
        gruppoDiviso == gruppo && mastroDiviso == mastro && contoDiviso == conto;
    const auto flag = [&](const char* colonna) -> std::optional<QString> {
        if (!contoLetto)
            return std::nullopt;
        return testata.text(QStringLiteral("PianoConti.") + QLatin1String(colonna));
    };
    const AggSpeBan::Stato nessuno;
    nuovo.flagCliente = flag("SpeseBan");
    spese.AggSpeseBan(mTabelle->spese, mDoc.anno, mDoc.numRif, nessuno, nuovo, mDoc.moneta,
                      mDoc.numDec);
    nuovo.flagCliente = flag("Bolli");
    if (spese.osErrori.isEmpty())
        spese.AggBolli(mTabelle->spese, mDoc.anno, mDoc.numRif, nessuno, nuovo, mDoc.moneta,
                       mDoc.numDec);
    if (!spese.osErrori.isEmpty())
        RegistraErrore(kErroreEvasione, spese.osErrori);
}

bool scEvaPrev::RileggiDocEOrd(int anno, qint32 numRif, bool ordine) {
    const QString tabella = ordine ? QStringLiteral("OrdVenTest") : mTabelle->testa;
    auto riga =
        mDb.openRowSet(QStringLiteral("select * from ") + tabella + QStringLiteral(" Where ") +
                       tabella + QStringLiteral(".Anno = ") + sql(anno) + QStringLiteral(" and ") +
                       tabella + QStringLiteral(".NumRif = ") + sql(numRif));
    if (riga->eof()) {
        RegistraErrore(kErroreEvasione,
                       (ordine ? QStringLiteral("Manca la testata dell'ordine n.")
                               : QStringLiteral("Manca la testata del documento n.")) +
                           QString::number(numRif));
        return false;
    }
    DetentoreBlocco detentore;
    const QString codice = ordine ? QStringLiteral("O") : msCodiceLock;
    if (bloccaDocumento(codice, anno, numRif, QStringLiteral("Il doc."), detentore))
        return true;
    RegistraErrore(kErroreEvasione,
                   QStringLiteral("Doc. n.rif ") + QString::number(numRif) +
                       QStringLiteral(" anno ") + QString::number(anno) +
                       (detentore.utente.isEmpty()
                            ? QStringLiteral(" errore nel loccaggio: ") + msUltimoErroreLock
                            : QStringLiteral(" in uso da ") + detentore.utente));
    return false;
}

}  // namespace evapre
