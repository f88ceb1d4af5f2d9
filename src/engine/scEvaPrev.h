#pragma once

#include <QDate>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Currency.h"
#include "TabelleDocumento.h"

namespace evapre {

class AggSpeBan;
class AziendaUtil;
class ComLock;
class DbConnection;
class DbError;
class DbWriteBatch;
struct DetentoreBlocco;
struct RichiestaBlocco;
class ParametriDitta;
class RowSet;
class UiServices;
class scCalcPiedeFat;

// The quote being worked on, as the line queries need it.
struct PreventivoCorrente {
    int anno = 0;
    qint32 numRif = 0;
    std::optional<QDate> dataCons;  // the header's requested delivery date
};

// Operations of the line query: read the lines, or mark them in bulk.
enum class OpDett {
    Leggi = 0,       // the line query itself
    Segna4Dett = 1,  // PreVenDett.FlagStato = "4"
    Segna4Liv = 2,   // PreVenLiv.FlagStato = "4" (levels only)
    SegnaNDett = 3,  // PreVenDett.FlagStato = "N"
    SegnaNLiv = 4,   // PreVenLiv.FlagStato = "N" (levels only)
};

// Kinds of value kept in AppoggioTemp.
enum class TipoAppoggio { Testo = 1, Numero = 2, Data = 3 };

// An exchange rate the user confirmed for a currency of the run.
struct CambioEvasione {
    QString moneta;
    Currency cambio;
};

// How a run ended, for the callers that report it (evapre run, the forms).
enum class EsitoEvasione {
    NonAvviata,        // refused before any quote was touched (the message says why)
    NessunPreventivo,  // no quote matched the criteria
    Interrotta,        // stopped during processing (pbEsci); the journal keeps what is open
    Completata,
};

// Totals written into the header of a closed document.
struct TotaliDocumento {
    Currency totMerce, totSpese, totIva, totDocum, totImpon, imponRitAcc;
};

// A document the run produced and closed.
struct DocumentoChiuso {
    int anno = 0;
    qint32 numRif = 0;
    QString fattDocumento;  // document type
    QString preDoc;
    QString gruppoCli, mastroCli, contoCli, ragSocCli;
    QDate dataRif;
    int righe = 0;  // document lines
    TotaliDocumento totali;
};

// The document the current quote goes into.
struct DocumentoCorrente {
    int anno = 0;
    qint32 numRif = 0;
    bool nuovo = false;
    QString fattDocumento;
    QString moneta;
    QString operatore = QStringLiteral("/");
    Currency cambio;
    int numDec = 2;      // amounts
    int numDecGest = 2;  // unit prices
};

// The fulfilment engine: turns the selected quotes into invoices, delivery notes or sales
// orders (or receipts), records what was delivered on the quotes and closes the documents it
// produced. The criteria are filled by the selection form or by `evapre run`.
//
// Split by concern: scEvaPrevSelezione.cpp (selection SQL), scEvaPrevRun.cpp (the run),
// scEvaPrevAppoggio.cpp (saved criteria), scEvaPrevRottura.cpp (document break fields),
// scEvaPrevChiusura.cpp (closing the documents of the run).
class scEvaPrev {
  public:
    scEvaPrev(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta, UiServices& ui,
              const QString& idLavoro = QStringLiteral("EvaPreEvPr"));
    ~scEvaPrev();
    scEvaPrev(const scEvaPrev&) = delete;
    scEvaPrev& operator=(const scEvaPrev&) = delete;

    // ---- Criteria -------------------------------------------------------------------------
    int oiAnno = 0;
    bool obEvasManule = false;  // manual run over the user's rows of the grid
    bool obSuDispon = false;
    QDate otDataEvasione;
    QString osFattDocPre;       // document type of the quotes
    QString osTipoDocEva;       // document type to produce; blank: each quote type's own
    bool obEvACorrisp = false;  // receipts instead of documents
    QString osMoneta;
    QString osCliDa;  // customer account "GGMMCCCCC" or "GG-MM-CCCCC"
    QString osCliA;
    QString osArticoloDa;
    QString osArticoloA;
    std::optional<QDate> ovDataConsDa;
    std::optional<QDate> ovDataConsA;
    std::optional<QDate> ovDataRifDa;
    std::optional<QDate> ovDataRifA;  // kept with the criteria; the fulfilment date bounds
    qint32 olNumRifDa = 0;
    qint32 olNumRifA = 0;
    std::optional<QDate> ovDataDocDa;
    std::optional<QDate> ovDataDocA;
    qint32 olNumDocDa = 0;
    qint32 olNumDocA = 0;
    QString osPrefDoc;
    int oiPerIvaMese = 0;
    int oiPerIvaAnno = 0;
    QString osInDesc;           // descriptions beginning with this text
    bool obSoloASaldo = false;  // close the quotes only, no documents
    int oiCreAcq = 0;           // purchase orders: 0 none, 1 all, 2 under minimum, 3 exhausted
    QString osRegimeMargine;
    int oiSplitPay = 0;  // 2: split payment, IvaSosp does not split documents
    std::vector<CambioEvasione> ogCambi;

    // ---- Run results ------------------------------------------------------------------------
    int oiNumErrori = 0;
    QString osErrori;
    EsitoEvasione oeEsito = EsitoEvasione::NonAvviata;
    int oiPreventiviElaborati = 0;                   // quotes fulfilled (committed) in this run
    std::vector<DocumentoChiuso> ocDocumentiChiusi;  // in closing order

    // ---- Selection SQL ----------------------------------------------------------------------
    QString PrepSqlWhere() const;
    // anno -1: the quotes picked in the manual grid; numRif not 0: that one quote;
    // otherwise the criteria.
    QString PrepSqlSelPre(int anno, qint32 numRif = 0) const;
    // The same header query for several quotes, by year, in the break order.
    QString PrepSqlSelPreElenco(const QMap<int, QList<qint32>>& perAnno) const;
    // "((PreVenTest.Anno = a and PreVenTest.NumRif IN (…)) or …)" for those quotes.
    QString condizioneTestate(const QMap<int, QList<qint32>>& perAnno) const;
    QString PrepSqlOrder() const;
    // The line query (Leggi) or a bulk FlagStato update of the same rows; soloSegnate
    // restricts to marked rows. An update on levels without level handling is empty.
    QString PrepSqlDett(const PreventivoCorrente& prev, OpDett op, bool soloSegnate) const;
    // Re-reads of one line and one level, keyed by the current row of the line query.
    QString PrepSqlRilettPreDett(const RowSet& riga) const;
    QString PrepSqlRilettPreDettLiv(const RowSet& riga) const;
    QString PrepSqlLivelliAperti(int anno, qint32 numRif, int rigLiv) const;
    QString PrepSqlSpesePreventivo(int anno, qint32 numRif) const;
    // Last line (by RigDet or RigLiv) or expense row of a document: "order by <campo> DESC".
    QString PrepSqlUltimaRiga(const QString& tabella, int anno, qint32 numRif,
                              const QString& campo) const;
    // The value of that last row's campo; 0 when the document has no row.
    int UltimaRiga(const QString& tabella, int anno, qint32 numRif, const QString& campo);

    // Whether the header delivery date counts as inside the delivery-date range.
    bool DataConsTestataInRange(const std::optional<QDate>& dataCons) const;

    // ---- Run ----------------------------------------------------------------------------------
    void LanciaEvasionePrev();
    // Reads the common data of the run; with importa the criteria are loaded from
    // AppoggioTemp (of utenteImporta, default the current user) instead of saved.
    bool LeggiComuniOK(bool importa = false, const QString& utenteImporta = {});
    void FineEvasione(bool& pbEsci);

    // The error log: at most 30 texts, the count goes on.
    void RegistraErrore(int numero, const QString& messaggio);
    void RegistraErrore(const DbError& errore);
    const QString& passo() const { return msPasso; }

    // Level handling (company parameter "Mag.GesTaglie"), read by LeggiComuniOK.
    bool gestioneLivelli() const { return mbGesTaglie; }
    void setGestioneLivelli(bool attiva) { mbGesTaglie = attiva; }
    const QString& utente() const { return msUtente; }
    // The services the engine was built with, for the screens that drive it.
    DbConnection& db() const { return mDb; }
    ParametriDitta& parametri() const { return mParametri; }
    AziendaUtil& moneta() const { return mMoneta; }
    UiServices& ui() const { return mUi; }
    const QString& idLavoro() const { return msIdLavoro; }
    // Document tables of the kind produced, known after LeggiComuniOK.
    const std::optional<TabelleDocumento>& tabelleDocumento() const { return mTabelle; }
    QString tipoDocumento() const { return msTipoDoc; }

    // ---- Documents
    // ------------------------------------------------------------------------------- Finds the
    // open document the quote can join, or opens a new numbered and locked one, and records it in
    // the journal. False (with pbEsci set) when the run must stop.
    bool TrovaOCreaTestata(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci);
    const DocumentoCorrente& documentoCorrente() const { return mDoc; }
    // The lines of the current quote into the current document; returns the lines created.
    int EvadoPreDett(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci);
    // The value of a delivery: the share of the line's value the quantity delivered so far
    // reaches, less the share already delivered, so that the deliveries add up to the value.
    static Currency QuotaValore(Currency totale, Currency qtaOrdinata, Currency giaEvasa,
                                Currency qta, int decimali);
    // Status of a quote line with levels once its levels are updated: "E" or "P".
    QString ControllaDettaglioEvaso(int anno, qint32 numRif, int rigLiv);
    // The quote's expenses into the current document, by the expense's TipoEvasione.
    void EvadeSpese(const PreventivoCorrente& prev, bool& pbEsci);
    // The quote's expenses as EvadeSpese reads them, and whether the built-in step will.
    QString querySpese(const PreventivoCorrente& prev) const;
    bool speseDaEvadere() const;
    // Re-reads a produced document's header (or an order's) and locks it; false when missing
    // or held by another user (the reason is in the error log).
    bool RileggiDocEOrd(int anno, qint32 numRif, bool ordine = false);
    // Releases the movement marks of the given delivery-note headers.
    void CancellaTestMovMag(const std::vector<std::pair<int, qint32>>& testate);
    // Commitment update of a delivered line of a warehouse article (quantity delivered).
    struct RigaImpegno {
        QString articolo, livello1, livello2, magazzino, um;
        Currency fatCon, qta, valore;  // quantity and value delivered now
        QString tipoIva;
        Currency aliquota;
        bool prezziIvati = false;
    };
    std::function<void(scEvaPrev&, const RigaImpegno&)> ogAggiornaImpegno;

    // ---- Work values of the line step -----------------------------------------------------------
    // One level of a quote line as this run delivers it.
    struct LivelloDaEvadere {
        QString livello1, livello2;
        QVariant um, fatCon, valUnitario, flagStato;
        Currency qtaOrdinata, qtaEvasa, valTotale;
        Currency qta;  // delivered now
        bool aSaldo = false;
    };

    // One quote line as this run delivers it, with its levels.
    struct RigaDaEvadere {
        int rigLiv = 0;
        QVariantList copiate;  // kColonneCopiate, in order
        QString tipoRiga, articolo, um, doveStampoDesLung;
        QVariant rigLivRaee;
        Currency qtaOrdinata, qtaEvasa, valTotale, colli, fatCon, pezziPerConf;
        bool artMag = false;
        QString tipoIva;
        Currency aliquota;
        Currency qta;  // delivered now (the levels' sum when it has levels)
        bool aSaldo = false;
        std::vector<LivelloDaEvadere> livelli;
        int rigLivDoc = 0;  // the document line written, 0 when none
    };

    // ---- Quote status ---------------------------------------------------------------------------
    // Closes the selected lines (and levels) of the quote without touching QtaEvasa.
    void EvadeDettSoloASaldo(const PreventivoCorrente& prev, bool& pbEsci);
    // After the lines of a quote: expenses (when lines were created) and the header status.
    void PostEvasioneDett(const PreventivoCorrente& prev, int piRigheCreate, bool& pbEsci);
    // Replaces the built-in expenses step (EvadeSpese) when set.
    std::function<void(scEvaPrev&, const PreventivoCorrente&, bool& pbEsci)> ogEvadeSpese;
    // Releases the residual commitment of a closed order line (warehouse articles).
    std::function<void(scEvaPrev&, const RowSet& riga)> ogRilasciaImpegno;
    const QString& ragOrd() const { return msRagOrd; }
    bool prevAperto() const { return mbPrevAperto; }

    // ---- Recovery of an interrupted run -------------------------------------------------------
    struct EsitoRipristino {
        int righeGiornale = 0;                // journal rows found
        std::vector<DocumentoChiuso> chiusi;  // documents closed now
        QStringList rimosse;                  // journal rows without a document, removed
        QStringList nonChiusi;                // documents left in the journal, with the reason
        int segniRilasciati = 0;              // this user's stale marks of the program
        bool criteriCancellati = false;       // saved criteria removed
    };
    // Closes every document in the current user's journal, removes the rows whose document is
    // missing, releases the user's stale marks of this program and clears the saved criteria.
    EsitoRipristino RipristinaElaborazioni();

    // ---- Saved criteria -----------------------------------------------------------------------
    static QString idProgramma() { return QStringLiteral("scEvaPrev"); }
    void CreaAppoggioTemp();
    void ImportaAppoggioTemp(const QString& utente = {});
    void InserAppoggioTemp(const QString& campo, const QString& programma, const QVariant& valore,
                           TipoAppoggio tipo);
    QVariant LeggiAppoggioTemp(const QString& programma, const QString& campo, TipoAppoggio tipo,
                               const QString& utente = {});
    void CancellaAppoggioTemp(const QString& programma);

    // ---- Document break fields ----------------------------------------------------------------
    static constexpr int kNumCampiRottura = 25;
    using CampiRottura = std::array<QString, kNumCampiRottura>;
    void CampiRotLeggi(const RowSet& testata);
    void CampiRotNew2Old();
    bool CampiRotDiversi() const;
    const CampiRottura& campiRotCorrenti() const { return mRotNuovi; }

    // ---- Call points of the steps that come with their own subsystems -------------------------
    // Purchase orders for a quote (anno, numRif); returns the number of errors it met.
    std::function<int(int anno, qint32 numRif)> ogCreaOrdiniAcquisto;
    // Replaces the built-in steps of one quote that produce documents (header, lines, expenses
    // and status) when set. Called inside the quote's transaction; a DbError rolls the quote
    // back and stops the run.
    std::function<void(scEvaPrev&, RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci)>
        ogEvadePreventivo;
    // Replaces the standard footer calculation (scCalcPiedeFat) when set.
    std::function<TotaliDocumento(scEvaPrev&, int anno, qint32 numRif)> ogCalcolaPiede;

    // Settings read at the start of the run.
    QString osDicIntentiVerif = QStringLiteral("V");
    int oiDivPezziConf = 1;
    bool obStDesLunDaDoc = false;

    // ---- Receipts ----------------------------------------------------------------------------
    // Reads the receipts settings before the run: the quote type's receipts causal and the
    // receipts customer. False, with the reason shown, when receipts cannot start.
    bool LetCtrFatDocOrdErr();
    // The lines of the current quote into a warehouse movement through the staging tables,
    // posted at once; returns the lines written.
    int EvadeDettCorrisp(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci);

  private:
    struct Corrisp;  // receipts settings and steps, scEvaPrevCorrisp.cpp
    std::shared_ptr<Corrisp> mCorrisp;

  private:
    // Selection SQL pieces
    QString sql(const QVariant& valore) const;
    QString clienteConcatenato(const QString& conto) const;
    QString selezioneTestate(bool daGriglia, const QString& filtro) const;
    QString filtroDataConsTestata() const;
    QString sorgenteDett(bool conLivelli) const;
    QString condizioniDett(const PreventivoCorrente& prev, bool conLivelli, bool soloSegnate) const;
    QString condizioniSegnate(const QString& tabella) const;
    QString gruppoDateDett(const PreventivoCorrente& prev) const;

    // Run steps
    void impostaPasso(const QString& testo) { msPasso = testo; }
    void leggiImpostazioniRun();
    bool nessunaElaborazioneInterrotta();
    bool giornaleConRighe();
    bool impostaTipoDocumento(const QString& tipo);
    bool trovaTipoDocumento(int anno, qint32 numRif, QString& tipo, QString& motivo);
    bool bloccaTestate(RowSet& testate);
    bool bloccaTestata(int anno, qint32 numRif, DbWriteBatch& gruppo);
    RichiestaBlocco richiestaTestata(int anno, qint32 numRif) const;
    bool nessunaGiaEvasa();
    // The marked quotes from inizio to fine (excluded), their numbers by year.
    QMap<int, QList<qint32>> bloccatePerAnno(size_t inizio, size_t fine) const;
    // Purchase orders are made from the quotes: their lines are marked "N" first.
    bool segnaAcquisti() const;
    void sbloccaTestate();
    void elaboraPreventivi(bool& pbEsci);
    void evadePreventivo(RowSet& testata, bool& pbEsci);
    static RichiestaBlocco controlloBlocco(int anno, qint32 numRif);
    bool bloccoAncoraValido(int anno, qint32 numRif);
    bool letturePrimaDellaTestata() const;
    void annunciaLetture(const PreventivoCorrente& prev);
    void mancaPasso(const char* cosa, bool& pbEsci);
    void chiudiDocumenti(bool& pbEsci);
    bool chiudiDocumento(int anno, qint32 numRif);
    bool leggiTipoDocumento();
    bool leggiImpostazioniTesto();
    TotaliDocumento calcolaPiedeStandard(int anno, qint32 numRif, const QString& bolli);
    QString statoTestata(const PreventivoCorrente& prev);
    void evadeInDocumento(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci);
    bool bloccaDocumento(const QString& codice, int anno, qint32 numRif, const QString& descrizione,
                         DetentoreBlocco& detentore, bool nuovo = false);
    Currency cambioDocumento(const RowSet& testata) const;
    QString fattDocumentoDaProdurre(const RowSet& testata) const;
    std::optional<qint32> dichIntentiEffettiva(const RowSet& testata);
    QString filtroDocumentoAperto(const RowSet& testata, const std::optional<qint32>& dich) const;
    QStringList chiaveDocumentoAperto(const RowSet& testata,
                                      const std::optional<qint32>& dich) const;
    bool creaTestata(const RowSet& testata, const std::optional<qint32>& dich, bool& pbEsci);
    QList<QPair<QString, QVariant>> colonneTestata(const RowSet& testata,
                                                   const std::optional<qint32>& dich) const;
    void registraGiornale();
    void aggiungiNotaDichIntenti(const RowSet& testata, const std::optional<qint32>& dich,
                                 QList<QPair<QString, QVariant>>& colonne);
    void annullaTestataVuota();
    void CreaAcq(const PreventivoCorrente& prev, bool& pbEsci);
    void aggiornaPreventivo(const RowSet& testata, const PreventivoCorrente& prev,
                            const std::vector<RigaDaEvadere>& righe);
    void speseAutomatiche(const RowSet& testata);
    int righeRiferimento(const RowSet& testata, const PreventivoCorrente& prev,
                         const QString& posizione, QList<QVariantList>& righe);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    AziendaUtil& mMoneta;
    UiServices& mUi;
    std::unique_ptr<ComLock> mLock;
    QString msUtente;
    QString msIdLavoro;
    QString msPasso;
    QString msUltimoErroreLock;

    bool mbGesTaglie = false;
    std::optional<TabelleDocumento> mTabelle;
    QString msTipoDoc;     // "F", "B", "O"
    QString msCodiceLock;  // lock code of the kind: "F", "D", "O"
    struct TipoDocEvasione {
        QString magCausaleRientro, fattAccomp, fattDocEvasione, prefRegIva, prezzoDdt, interno,
            doveStampoDesLung, magCausale, carScar;
    } mTipoDoc;
    QString msRegIvaVen;
    QString msRagOrd = QStringLiteral("N");  // grouping key of the current quote
    bool mbPrevAperto = false;               // open quote: no quantities written back
    QStringList mDescLibTest;                // entries 1..4 of "Fat.DescLibTest<i>"
    QStringList mRigaDaEva;                  // entries 1..4 of "Fat.RigaDaEva<i>"

    struct TestataBloccata {
        int anno;
        qint32 numRif;
    };
    bool bloccaGruppo(std::vector<TestataBloccata>& blocco, DbWriteBatch& gruppo);
    std::vector<TestataBloccata> mBloccate;
    size_t mControllate = 0;  // mBloccate before this index checked not fulfilled meanwhile
    int miContatore = 0;

    // AppoggioTemp rows read for one user and program
    QString msAppUtente;
    QString msAppProgramma;
    struct ValoriAppoggio {
        QVariant testo, numero, data;
    };
    QHash<QString, ValoriAppoggio> mAppoggioRighe;
    bool mbAppoggioLetto = false;

    std::unique_ptr<scCalcPiedeFat> mPiede;  // created once, reused for every document
    scCalcPiedeFat& piedeStandard();

    // Documents of the run: what is known of each without asking the database again. While a
    // point is marked (a quote, a group of commits) every change is journalled, so that a
    // rollback puts back what was known at the point without copying every document.
    struct StatoDocumento {
        int ultimoRigDet = 0;
        int ultimoRigLiv = 0;
        bool righeLette = false;
        bool nelGiornale = false;
    };
    friend class GruppoDiCommit;
    struct StatoDocumenti {
        QHash<qint64, StatoDocumento> documenti;  // key anno * 10^10 + numRif
        QString filtroPrecedente;                 // search of the previous quote
        QStringList chiavePrecedente;             // and what it was built from
        DocumentoCorrente docPrecedente;
    } mStatoDoc;
    StatoDocumento& statoDocumento(int anno, qint32 numRif);
    void dimenticaDocumento(int anno, qint32 numRif);
    struct PuntoStatoDoc {
        size_t diario = 0;
        QString filtroPrecedente;
        QStringList chiavePrecedente;
        DocumentoCorrente docPrecedente;
    };
    PuntoStatoDoc segnaStatoDoc();
    void ripristinaStatoDoc(const PuntoStatoDoc& punto);
    void rilasciaStatoDoc();  // once for every segnaStatoDoc
    void annotaStatoDoc(qint64 chiave);
    // Each entry: a document's key and what was known of it before (nothing: not known).
    std::vector<std::pair<qint64, std::optional<StatoDocumento>>> mDiarioStati;
    int mPuntiStatoDoc = 0;
    DocumentoCorrente mDoc;

    // Settings the document steps read once per run.
    struct ImpostazioniDocumento {
        bool raggrDataRif = false;  // share documents of the same date only
        bool copiaRifCli = false;
        QString preXmlGen;
        QString stRifOrd, stRifCli;  // company defaults for the customers' "T"
        QString formatoRifDdt, formatoRifCli, formatoLiberi;
        QString posRifOrd, posRifCli, posRifLib;  // "A" above the lines, "D" below, "N" none
        QString prefDdt, cauTrasporto, aspettoBene, ragDdt;
    } mImp;
    void leggiImpostazioniDocumento();
    // Fixed notes the run has asked about: whether each goes onto documents (SuEvasione).
    mutable QHash<qint64, bool> mNoteSuEvasione;
    // The charges of new invoices, with the payment terms it has read, kept for the run.
    std::shared_ptr<AggSpeBan> mAddebiti;

    CampiRottura mRotNuovi;
    CampiRottura mRotVecchi;
};

}  // namespace evapre
