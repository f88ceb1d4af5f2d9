// The fulfilment run: common data, selection, header locks, one quote at a time, end of run.
#include <QMap>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>

#include "AcquistiEvasione.h"
#include "ComLock.h"
#include "DbConnection.h"
#include "DbError.h"
#include "GruppoDiCommit.h"
#include "MenuClient.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "scCalcPiedeFat.h"
#include "scEvaPrev.h"

#include "LogErrori.h"

namespace evapre {

namespace {

const QString kTitolo = QStringLiteral("Evasione Preventivi");
// Error number of the engine's own (non-database) errors.
constexpr int kErroreEvasione = 0;

// Quote-header marks: kind and program area "P", taken with code "5".
const QString kTipoLockPrev = QStringLiteral("P");
const QString kCodiceLockPrev = QStringLiteral("5");
// Quotes whose status is read again in one query after their marks are taken.
constexpr size_t kControlliPerLettura = 250;

QString passoDi(const char* sotto) {
    return kTitolo + QStringLiteral(": ") + QString::fromUtf8(sotto);
}

QString riferimentoPrev(const char* prefisso, qint32 numRif, int anno) {
    return QString::fromUtf8(prefisso) + QString::number(numRif) + QStringLiteral(" anno ") +
           QString::number(anno);
}

}  // namespace

scEvaPrev::scEvaPrev(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta,
                     UiServices& ui, const QString& idLavoro)
    : mDb(db),
      mParametri(parametri),
      mMoneta(moneta),
      mUi(ui),
      mLock(std::make_unique<ComLock>(db, parametri, ui)),
      msUtente(parametri.menu().userName()),
      msIdLavoro(idLavoro) {
    // Lock errors during a run belong to the run's log; the caller adds its own context.
    mLock->setRegistroErrori([this](const QString& testo) { msUltimoErroreLock = testo; });
    CollegaAcquisti(*this, db, parametri, moneta, ui);
}

scEvaPrev::~scEvaPrev() = default;

// ---- Error log ------------------------------------------------------------------------------

void scEvaPrev::RegistraErrore(int numero, const QString& messaggio) {
    LogErrori::AggiungiA(osErrori, oiNumErrori, numero, messaggio,
                         msPasso + QStringLiteral(" di Evasione Preventivi"));
}

void scEvaPrev::RegistraErrore(const DbError& errore) {
    RegistraErrore(errore.number(), errore.text());
}

// ---- Start of the run ------------------------------------------------------------------------

void scEvaPrev::LanciaEvasionePrev() {
    impostaPasso(kTitolo);
    osErrori.clear();
    oiNumErrori = 0;
    mBloccate.clear();
    oeEsito = EsitoEvasione::NonAvviata;
    oiPreventiviElaborati = 0;
    ocDocumentiChiusi.clear();
    mStatoDoc = {};
    mDiarioStati.clear();
    mPuntiStatoDoc = 0;

    // An interrupted run is refused before anything is touched: its saved criteria are what
    // the recovery needs.
    if (!nessunaElaborazioneInterrotta())
        return;
    impostaPasso(kTitolo);
    try {
        CancellaAppoggioTemp(idProgramma());
    } catch (const DbError& e) {
        RegistraErrore(e);
    }
    if (!LeggiComuniOK())
        return;
    if (obEvACorrisp && !LetCtrFatDocOrdErr()) {
        mUi.progressEnd();
        return;
    }

    std::unique_ptr<RowSet> testate;
    {
        BusyScope busy(mUi);
        impostaPasso(passoDi("Selezione Preventivi"));
        leggiImpostazioniRun();
        try {
            const QString query =
                (obEvasManule ? PrepSqlSelPre(-1) : PrepSqlSelPre(0, 0)) + PrepSqlOrder();
            testate = mDb.openRowSet(query);
        } catch (const DbError& e) {
            RegistraErrore(e);
            mUi.progressEnd();
            mUi.message(osErrori);
            return;
        }
    }
    if (testate->eof()) {
        mUi.progressEnd();
        mUi.message(QStringLiteral("Non ci sono Preventivi vendita nell'intervallo"));
        oeEsito = EsitoEvasione::NessunPreventivo;
        return;
    }
    if (!bloccaTestate(*testate)) {
        impostaPasso(passoDi("Sblocco testate Preventivi dopo un errore in Lock"));
        sbloccaTestate();
        mUi.progressEnd();
        if (oiNumErrori > 0)
            mUi.message(osErrori);
        return;
    }

    testate.reset();
    bool pbEsci = false;
    elaboraPreventivi(pbEsci);
    FineEvasione(pbEsci);
    sbloccaTestate();
    oeEsito = pbEsci ? EsitoEvasione::Interrotta : EsitoEvasione::Completata;
    if (!pbEsci)
        mUi.message(QStringLiteral("Elaborazione terminata"));
}

bool scEvaPrev::LeggiComuniOK(bool importa, const QString& utenteImporta) {
    oiNumErrori = 0;
    osErrori.clear();
    try {
        if (importa)
            ImportaAppoggioTemp(utenteImporta);
        else
            CreaAppoggioTemp();
    } catch (const DbError& e) {
        if (!importa)
            mUi.message(QStringLiteral("Errore durante la creazione del file temporaneo delle "
                                       "selezioni") +
                        QLatin1Char('\n') + e.describe());
        else
            mUi.message(e.describe());
        return false;
    }
    mbGesTaglie =
        mParametri.company(QStringLiteral("Mag.GesTaglie")).trimmed() == QLatin1String("S");
    try {
        if (!leggiTipoDocumento())
            return false;
        mUi.progressStart(QStringLiteral(" Evasione Preventivi"), 0);
        mUi.progressStep(0, QStringLiteral("Evasione Preventivi in corso"));
        return leggiImpostazioniTesto();
    } catch (const DbError& e) {
        RegistraErrore(e);
        mUi.message(osErrori);
        return false;
    }
}

// The document type to produce: its kind decides the document tables.
bool scEvaPrev::leggiTipoDocumento() {
    mTipoDoc = {};
    mTabelle.reset();
    msTipoDoc.clear();
    auto tipo = mDb.openRowSet(
        QStringLiteral("Select * from FattDocumenti where FattDocumento = ") + sql(osTipoDocEva));
    if (!tipo->eof()) {
        msTipoDoc = tipo->text(QStringLiteral("Tipo")).trimmed().toUpper();
        mTipoDoc.magCausale = tipo->text(QStringLiteral("MagCausale"));
        mTipoDoc.magCausaleRientro = tipo->text(QStringLiteral("MagCausaleRientro"));
        mTipoDoc.fattAccomp = tipo->text(QStringLiteral("FattAccomp"));
        mTipoDoc.fattDocEvasione = tipo->text(QStringLiteral("FattDocEvasione"));
        mTipoDoc.prefRegIva = tipo->text(QStringLiteral("PrefRegIva"));
        mTipoDoc.prezzoDdt = tipo->text(QStringLiteral("PrezzoDDT"));
        mTipoDoc.interno = tipo->text(QStringLiteral("Interno"));
        mTipoDoc.doveStampoDesLung = tipo->text(QStringLiteral("DoveStampoDesLung"));
    }
    impostaTipoDocumento(msTipoDoc);

    if (!mTabelle && !obEvACorrisp) {
        mUi.message(QStringLiteral("Tipo documento di evasione non di tipo fattura,ddt,ordine"));
        mDb.execute(QStringLiteral("Delete * from LockGest ") + QStringLiteral(" WHERE Utente=") +
                    sql(msUtente) + QStringLiteral(" and Gestione=") + sql(kTipoLockPrev));
        return false;
    }
    if (msTipoDoc == QLatin1String("F") && !obEvACorrisp) {
        msRegIvaVen = mParametri.company(QStringLiteral("Ditta.RegIvaVen"));
        if (IsBlank(msRegIvaVen)) {
            mUi.message(QStringLiteral("Manca nella tabella ditta il prefisso iva vendite"));
            return false;
        }
    }
    if (!IsBlank(mTipoDoc.magCausale)) {
        auto causale =
            mDb.openRowSet(QStringLiteral("Select CarScar from MagCausali where MagCausale = ") +
                           sql(mTipoDoc.magCausale));
        if (!causale->eof())
            mTipoDoc.carScar = causale->text(QStringLiteral("CarScar"));
    }
    return true;
}

// The tables and the lock code of a kind of document produced: "F", "B" or "O".
bool scEvaPrev::impostaTipoDocumento(const QString& tipo) {
    static const QHash<QString, QString> kCodiceLock{{QStringLiteral("F"), QStringLiteral("F")},
                                                     {QStringLiteral("B"), QStringLiteral("D")},
                                                     {QStringLiteral("O"), QStringLiteral("O")}};
    msTipoDoc = tipo;
    msCodiceLock = kCodiceLock.value(tipo);
    // Purchase orders are not produced from quotes.
    mTabelle = msCodiceLock.isEmpty() ? std::nullopt : TabelleDocumento::perTipo(tipo.at(0));
    return mTabelle.has_value();
}

// The free texts of a document header and the lines to fulfil ("Fat.ComeEva").
bool scEvaPrev::leggiImpostazioniTesto() {
    mDescLibTest = QStringList(5);
    mRigaDaEva = QStringList(5);
    if (mParametri.company(QStringLiteral("Fat.ComeEva")).trimmed() == QLatin1String("N"))
        return true;
    for (int i = 1; i <= 4; ++i) {
        mDescLibTest[i] =
            mParametri.company(QStringLiteral("Fat.DescLibTest") + QString::number(i));
        mRigaDaEva[i] = mParametri.company(QStringLiteral("Fat.RigaDaEva") + QString::number(i));
    }
    return true;
}

void scEvaPrev::leggiImpostazioniRun() {
    leggiImpostazioniDocumento();
    osDicIntentiVerif =
        mParametri.companyOr(QStringLiteral("EvasionePrev.DicIntentiVerif"), QStringLiteral("V"));
    oiDivPezziConf = mParametri.companyInt(QStringLiteral("Articoli.DivPezziConf"), 1);
    obStDesLunDaDoc =
        mParametri.companyOr(QStringLiteral("EvasionePrev.StDesLunDaDoc"), QStringLiteral("N"))
            .trimmed() == QLatin1String("S");
}

bool scEvaPrev::giornaleConRighe() {
    try {
        auto giornale = mDb.openRowSet(QStringLiteral("Select * from DocDaElab") +
                                       QStringLiteral(" Where Utente = ") + sql(msUtente) +
                                       QStringLiteral(" AND Programma = ") + sql(msIdLavoro) +
                                       QStringLiteral(" AND Anno = ") + sql(oiAnno));
        return !giornale->eof();
    } catch (const DbError& e) {
        RegistraErrore(e);
        return true;
    }
}

// An earlier run of this user and job, for this year, left documents unclosed.
bool scEvaPrev::nessunaElaborazioneInterrotta() {
    impostaPasso(passoDi("Controllo elaborazioni in corso"));
    try {
        auto giornale = mDb.openRowSet(QStringLiteral("Select * from DocDaElab") +
                                       QStringLiteral(" Where Utente = ") + sql(msUtente) +
                                       QStringLiteral(" AND Programma = ") + sql(msIdLavoro) +
                                       QStringLiteral(" AND Anno = ") + sql(oiAnno));
        if (giornale->eof())
            return true;
        mUi.message(
            QStringLiteral("(DocDaElab) Risultano delle elaborazioni interrotte. Lanciare "
                           "il programma di ripristino."));
    } catch (const DbError& e) {
        RegistraErrore(e);
        mUi.message(osErrori);
    }
    return false;
}

// ---- Header locks ------------------------------------------------------------------------------

bool scEvaPrev::bloccaTestate(RowSet& testate) {
    impostaPasso(passoDi("Lock testate Preventivi"));
    mUi.progressStart(QStringLiteral("Lock testate Preventivi"), 0);
    miContatore = 0;
    mControllate = mBloccate.size();
    // The marks are committed a few hundred at a time, and before the user is asked anything.
    DbWriteBatch gruppo(mLock->connessioneBlocchi());
    std::vector<TestataBloccata> blocco;  // the next quotes, their marks written together
    for (; !testate.eof(); testate.moveNext()) {
        blocco.push_back(
            {static_cast<int>(testate.integer(QStringLiteral("PreVenTest.Anno"))),
             static_cast<qint32>(testate.integer(QStringLiteral("PreVenTest.NumRif")))});
        if (blocco.size() == kControlliPerLettura && !bloccaGruppo(blocco, gruppo))
            return false;
    }
    if (!blocco.empty() && !bloccaGruppo(blocco, gruppo))
        return false;
    return nessunaGiaEvasa();
}

// The marks of a group of quotes: those nobody holds are written together, the others are
// taken one by one, in the order of the quotes, as if each had been taken on its own.
bool scEvaPrev::bloccaGruppo(std::vector<TestataBloccata>& blocco, DbWriteBatch& gruppo) {
    QList<RichiestaBlocco> richieste;
    for (const TestataBloccata& t : blocco)
        richieste << richiestaTestata(t.anno, t.numRif);
    const std::vector<bool> presi = mLock->BloccaRecordLiberi(richieste);
    for (size_t i = 0; i < blocco.size(); ++i) {
        ++miContatore;
        mUi.progressStep(miContatore);
        bool avanti = true;
        if (presi[i]) {
            mBloccate.push_back(blocco[i]);
        } else {
            gruppo.beforeWrite();
            avanti = bloccaTestata(blocco[i].anno, blocco[i].numRif, gruppo);
        }
        if (avanti && mBloccate.size() - mControllate >= kControlliPerLettura)
            avanti = nessunaGiaEvasa();
        if (!avanti) {
            // The marks already written for the quotes after this one go back with the rest.
            for (size_t j = i + 1; j < blocco.size(); ++j)
                if (presi[j])
                    mBloccate.push_back(blocco[j]);
            return false;
        }
    }
    blocco.clear();
    return true;
}

QMap<int, QList<qint32>> scEvaPrev::bloccatePerAnno(size_t inizio, size_t fine) const {
    QMap<int, QList<qint32>> perAnno;
    for (size_t i = inizio; i < fine; ++i)
        perAnno[mBloccate[i].anno] << mBloccate[i].numRif;
    return perAnno;
}

// The quotes marked since the last check, read again under their marks: one fulfilled
// meanwhile stops the run. A slice is read at a time; the check is made before anything else
// is reported or asked, so the run stops exactly where checking each mark as it was taken
// would have stopped it.
bool scEvaPrev::nessunaGiaEvasa() {
    while (mControllate < mBloccate.size()) {
        const size_t fine = std::min(mBloccate.size(), mControllate + kControlliPerLettura);
        QSet<QPair<int, qint32>> evasi;
        try {
            auto stati =
                mDb.openRowSet(QStringLiteral("Select Anno, NumRif, Stato from PreVenTest where ") +
                               condizioneTestate(bloccatePerAnno(mControllate, fine)));
            for (; !stati->eof(); stati->moveNext())
                if (stati->text(QStringLiteral("Stato")).trimmed() == QLatin1String("E"))
                    evasi.insert({static_cast<int>(stati->integer(QStringLiteral("Anno"))),
                                  static_cast<qint32>(stati->integer(QStringLiteral("NumRif")))});
        } catch (const DbError& e) {
            RegistraErrore(e);
            return false;
        }
        for (size_t i = mControllate; i < fine; ++i) {
            const TestataBloccata& t = mBloccate[i];
            if (evasi.contains({t.anno, t.numRif})) {
                RegistraErrore(kErroreEvasione, riferimentoPrev("Prev. n.rif ", t.numRif, t.anno) +
                                                    QStringLiteral(" Già evaso. "));
                return false;
            }
        }
        mControllate = fine;
    }
    return true;
}

// Takes the mark of one quote header; a mark held by another user is asked about until the
// user gives up.
RichiestaBlocco scEvaPrev::richiestaTestata(int anno, qint32 numRif) const {
    RichiestaBlocco richiesta = RichiestaBlocco::Segno(kCodiceLockPrev, kTipoLockPrev, anno, numRif,
                                                       QStringLiteral("Il Preventivo"), true);
    // The quotes picked by hand usually carry the user's own marks already.
    richiesta.scriviPrima = !obEvasManule;
    return richiesta;
}

bool scEvaPrev::bloccaTestata(int anno, qint32 numRif, DbWriteBatch& gruppo) {
    const RichiestaBlocco richiesta = richiestaTestata(anno, numRif);
    for (;;) {
        DetentoreBlocco detentore;
        msUltimoErroreLock.clear();
        if (mLock->BloccaRecord(richiesta, &detentore)) {
            mBloccate.push_back({anno, numRif});
            return true;
        }
        if (!nessunaGiaEvasa())
            return false;
        if (detentore.utente.isEmpty()) {
            RegistraErrore(kErroreEvasione,
                           riferimentoPrev("Preventivi n.rif ", numRif, anno) +
                               QStringLiteral(" errore nel loccaggio della testata fattura: ") +
                               msUltimoErroreLock);
            return false;
        }
        gruppo.flush();
        const int risposta =
            mUi.message(riferimentoPrev("Preventivi n.rif ", numRif, anno) +
                            QStringLiteral(" in uso da ") + detentore.utente,
                        {QStringLiteral("Riprova"), QStringLiteral("Esci")}, 1, MsgIcon::Question);
        if (risposta == 2)
            return false;
    }
}

// The marks go back a few hundred per statement.
void scEvaPrev::sbloccaTestate() {
    {
        DbWriteBatch gruppo(mLock->connessioneBlocchi());
        QList<QPair<int, qint64>> chiavi;
        chiavi.reserve(static_cast<qsizetype>(mBloccate.size()));
        for (const auto& t : mBloccate)
            chiavi.append({t.anno, t.numRif});
        gruppo.beforeWrite();
        mLock->SbloccaRecords(kTipoLockPrev, chiavi);
    }
    if (!msUltimoErroreLock.isEmpty())
        RegistraErrore(kErroreEvasione, msUltimoErroreLock);
    mBloccate.clear();
    mControllate = 0;
}

RichiestaBlocco scEvaPrev::controlloBlocco(int anno, qint32 numRif) {
    RichiestaBlocco richiesta;
    richiesta.tipo = kTipoLockPrev;
    richiesta.anno = anno;
    richiesta.numReg = numRif;
    richiesta.soloControllo = true;
    richiesta.accettaPropri = true;
    richiesta.descrizione = QStringLiteral("Il Doc");
    return richiesta;
}

bool scEvaPrev::bloccoAncoraValido(int anno, qint32 numRif) {
    DetentoreBlocco detentore;
    if (mLock->BloccaRecord(controlloBlocco(anno, numRif), &detentore) &&
        !detentore.utente.isEmpty())
        return true;
    RegistraErrore(kErroreEvasione, QStringLiteral("Errore nella riapertura del recordset di") +
                                        riferimentoPrev(" lock, Doc. n.rif ", numRif, anno) +
                                        QStringLiteral(" in uso da ") + detentore.utente);
    return false;
}

// ---- Processing
// ----------------------------------------------------------------------------------

// Exactly the quotes whose marks were taken, in the order of the document break fields; each
// is read again, fresh, under its mark.
void scEvaPrev::elaboraPreventivi(bool& pbEsci) {
    // The headers are read again under their marks, a slice at a time: one query per slice
    // instead of one per quote, and never the whole selection in memory.
    constexpr size_t kPerLettura = 200;
    mUi.progressStart(QStringLiteral("Elaborazione Preventivi"), miContatore);
    int fatti = 0;
    GruppoDiCommit gruppo(*this, pbEsci);
    for (size_t inizio = 0; inizio < mBloccate.size() && !pbEsci;) {
        // A slice runs on across years: the break order mixes them, and a query per run of
        // one year would be one query (and one plan on a server) for every few quotes.
        const size_t fine = std::min(mBloccate.size(), inizio + kPerLettura);
        std::unique_ptr<RowSet> testate;
        try {
            testate =
                mDb.openRowSet(PrepSqlSelPreElenco(bloccatePerAnno(inizio, fine)) + PrepSqlOrder());
        } catch (const DbError& e) {
            RegistraErrore(e);
            pbEsci = true;
            break;
        }
        QSet<QPair<int, qint32>> letti;
        for (; !testate->eof() && !pbEsci; testate->moveNext()) {
            ++fatti;
            mUi.progressStep(fatti, QString::number(fatti) + QStringLiteral(" / ") +
                                        QString::number(miContatore));
            mUi.yield();
            letti.insert(
                {static_cast<int>(testate->integer(QStringLiteral("PreVenTest.Anno"))),
                 static_cast<qint32>(testate->integer(QStringLiteral("PreVenTest.NumRif")))});
            if (!gruppo.prossimo())
                break;
            evadePreventivo(*testate, pbEsci);
        }
        for (size_t i = inizio; i < fine; ++i) {
            const TestataBloccata& t = mBloccate[i];
            if (!pbEsci && !letti.contains({t.anno, t.numRif}))
                RegistraErrore(kErroreEvasione, riferimentoPrev("Prev. n.rif ", t.numRif, t.anno) +
                                                    QStringLiteral(" non trovato"));
        }
        inizio = fine;
    }
    gruppo.chiudi();
}

// One quote in one transaction: either everything it wrote stays, or nothing.
void scEvaPrev::evadePreventivo(RowSet& testata, bool& pbEsci) {
    PreventivoCorrente prev;
    prev.anno = static_cast<int>(testata.integer(QStringLiteral("PreVenTest.Anno")));
    prev.numRif = static_cast<qint32>(testata.integer(QStringLiteral("PreVenTest.NumRif")));
    if (!testata.isNull(QStringLiteral("PreVenTest.DataCons")))
        prev.dataCons = testata.date(QStringLiteral("PreVenTest.DataCons"));
    msRagOrd = TrimSpaces(testata.text(QStringLiteral("PreVenTest.RagOrd")));
    if (msRagOrd.isEmpty())
        msRagOrd = QStringLiteral("N");
    mbPrevAperto =
        testata.text(QStringLiteral("PreVenTest.PrevAperto")).trimmed() == QLatin1String("S");
    impostaPasso(passoDi("Evasione di un singolo Preventivo"));
    const PuntoStatoDoc salvato = segnaStatoDoc();
    const auto rilascia = qScopeGuard([this] { rilasciaStatoDoc(); });
    try {
        DbTransaction transazione(mDb);
        // The mark is checked first in the quote's transaction; on a server its lookup travels
        // with the quote's first reads.
        mLock->AnnunciaControllo(controlloBlocco(prev.anno, prev.numRif));
        if (letturePrimaDellaTestata())
            annunciaLetture(prev);
        if (!bloccoAncoraValido(prev.anno, prev.numRif)) {
            pbEsci = true;
        } else if (obSoloASaldo) {
            EvadeDettSoloASaldo(prev, pbEsci);
            if (!pbEsci)
                PostEvasioneDett(prev, 0, pbEsci);
        } else if (obEvACorrisp) {
            const int create = EvadeDettCorrisp(testata, prev, pbEsci);
            if (!pbEsci)
                PostEvasioneDett(prev, create, pbEsci);
        } else if (ogEvadePreventivo) {
            ogEvadePreventivo(*this, testata, prev, pbEsci);
        } else {
            evadeInDocumento(testata, prev, pbEsci);
        }
        if (!pbEsci) {
            transazione.commit();
            ++oiPreventiviElaborati;
        }
    } catch (const DbError& e) {
        RegistraErrore(e);
        pbEsci = true;
    } catch (const std::exception& e) {
        // An amount out of range: the quote is rolled back like on a database error.
        RegistraErrore(kErroreEvasione, QString::fromUtf8(e.what()));
        pbEsci = true;
    }
    if (pbEsci)
        ripristinaStatoDoc(salvato);
}

// The lines and expenses of a quote fulfilled into a document can be read before its header
// is found: finding or creating it writes none of the tables they come from. Marking lines for
// purchase orders does, so then they are read where they are used.
bool scEvaPrev::letturePrimaDellaTestata() const {
    return !obSoloASaldo && !obEvACorrisp && !ogEvadePreventivo && mTabelle && !segnaAcquisti();
}

// On a server the quote's lines (and expenses) go with the next statement; EvadoPreDett then
// reads them without a round trip.
void scEvaPrev::annunciaLetture(const PreventivoCorrente& prev) {
    // The line writes do not touch the expenses.
    if (speseDaEvadere())
        mDb.readAhead(querySpese(prev));
    mDb.readAhead(PrepSqlDett(prev, OpDett::Leggi, false));
}

// Header, purchase orders, lines, expenses and status of one quote fulfilled into a document.
void scEvaPrev::evadeInDocumento(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci) {
    if (!mTabelle) {
        mancaPasso("l'evasione in documenti", pbEsci);
        return;
    }
    if (!TrovaOCreaTestata(testata, prev, pbEsci) || pbEsci)
        return;
    CreaAcq(prev, pbEsci);
    if (pbEsci)
        return;
    const int create = EvadoPreDett(testata, prev, pbEsci);
    if (pbEsci)
        return;
    // A quote with nothing left to deliver does not leave an empty document behind.
    if (create == 0 && mDoc.nuovo)
        annullaTestataVuota();
    PostEvasioneDett(prev, create, pbEsci);
}

// Marks the lines to order and hands the quote to purchase-order creation; its errors count
// in the run's log.
void scEvaPrev::CreaAcq(const PreventivoCorrente& prev, bool& pbEsci) {
    Q_UNUSED(pbEsci);
    if (!segnaAcquisti())
        return;
    impostaPasso(QStringLiteral("Inizio a segnare le righe di cui devo creare gli acquisti"));
    mDb.execute(PrepSqlDett(prev, OpDett::SegnaNDett, false));
    if (mbGesTaglie)
        mDb.execute(PrepSqlDett(prev, OpDett::SegnaNLiv, false));
    oiNumErrori += ogCreaOrdiniAcquisto(prev.anno, prev.numRif);
}

bool scEvaPrev::segnaAcquisti() const {
    return oiCreAcq != 0 && static_cast<bool>(ogCreaOrdiniAcquisto);
}

void scEvaPrev::annullaTestataVuota() {
    const QString chiave = QStringLiteral(" Where Anno = ") + sql(mDoc.anno) +
                           QStringLiteral(" AND NumRif = ") + sql(mDoc.numRif);
    mDb.execute(QStringLiteral("Delete * from ") + mTabelle->spese + chiave);
    mDb.execute(QStringLiteral("Delete * from ") + mTabelle->testa + chiave);
    mDb.execute(QStringLiteral("Delete * from DocDaElab Where Utente = ") + sql(msUtente) +
                QStringLiteral(" AND Programma = ") + sql(msIdLavoro) +
                QStringLiteral(" AND Anno = ") + sql(mDoc.anno) + QStringLiteral(" AND NumReg = ") +
                sql(mDoc.numRif));
    mLock->SbloccaRecord(msCodiceLock, mDoc.anno, mDoc.numRif);
    dimenticaDocumento(mDoc.anno, mDoc.numRif);
    mStatoDoc.filtroPrecedente.clear();
    mStatoDoc.docPrecedente = {};
}

void scEvaPrev::mancaPasso(const char* cosa, bool& pbEsci) {
    RegistraErrore(kErroreEvasione, QStringLiteral("Non è disponibile ") + QString::fromUtf8(cosa));
    pbEsci = true;
}

// ---- End of the run ----------------------------------------------------------------------------

void scEvaPrev::FineEvasione(bool& pbEsci) {
    if (!pbEsci && !obSoloASaldo && !obEvACorrisp) {
        mUi.progressStart(QStringLiteral("Chiusura fatture o bolle"), 0);
        chiudiDocumenti(pbEsci);
    }
    // Documents that could not be closed keep their journal rows, and the saved criteria stay
    // with them for the recovery.
    if (!pbEsci && !giornaleConRighe()) {
        try {
            CancellaAppoggioTemp(idProgramma());
        } catch (const DbError& e) {
            RegistraErrore(e);
        }
    }
    mUi.progressEnd();
    if (oiNumErrori > 0)
        mUi.message(osErrori);
}

}  // namespace evapre
