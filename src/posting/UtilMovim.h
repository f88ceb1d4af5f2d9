#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "Currency.h"

namespace evapre {

class AziendaUtil;
class ComLock;
class DbConnection;
class FinestraErrAggMov;
class ParametriDitta;
class RiprovaBlocchi;
class RowSet;
class UiServices;
struct InfoMoneta;

// The two kinds of movement rows: detail lines and the level lines of their articles.
enum class TipoRighe { Dettaglio, Livelli };

// Posting adds the effect of a row to the progressives and costs; reversal takes it back.
enum class ModoAgg { Aggiorna, Disaggiorna };

// What a new movement header carries. Blank texts and zero numbers are written as Null.
struct NuovaTestataMov {
    int anno = 0;
    QDate dataReg;
    QString magCausale;
    QString fattDocumento, preDoc;
    qint64 numDoc = 0;
    QDate dataDoc;
    qint32 numRif = 0;  // the originating document (the quote of a receipt)
    QString magazzinoProv, magazzinoDest;
    QString gruppoCliFor, mastroCliFor, contoCliFor;
    QString listino, moneta;
    Currency cambio, cambioDocOrig;
    QString note;
    Currency importoSpese;
};

// The flags of a movement causal (MagCausali) that decide what its rows do.
struct CausaleMov {
    QString magCausale;
    QString carScar, segno, prov, dest, tipoMov, qualeProgrQta;
    QString aggMedioCar, aggMedioPon, aggCostoUlt, valorizzScarico, acqVen, ripartSpese;

    // Opening stock: TipoMov "I" (opening inventory) or "V" (its variations).
    bool esistenzaIniziale() const;
    // TipoMov "O" and "D" move no progressive.
    bool nessunProgressivo() const;
    // -1 for Segno "-" (returns, corrections), +1 otherwise.
    int segno1() const;
    // The row adds to the stock: a receipt, or an issue taken back ("-").
    bool aumentaGiacenza() const;
    // The row takes from the stock: an issue, or a receipt taken back ("-").
    bool diminuisceGiacenza() const;
};

// A movement header with its causal, as posting reads it.
struct TestataMov {
    int anno = 0;
    qint32 numReg = 0;
    QDate dataReg;
    QString magazzinoProv, magazzinoDest;
    QString gruppoCliFor, mastroCliFor, contoCliFor;
    QString moneta;
    Currency cambio, importoSpese;
    CausaleMov causale;
};

// One detail or level line, with what posting needs of its article.
struct RigaMov {
    TipoRighe tipo = TipoRighe::Dettaglio;
    int rigLiv = 0;
    QString articolo, livello1, livello2, um;
    Currency qta, qtaAggMag, valUnitario, valTotale, valLire, valEuro, cambio;
    // Unit issue cost in euro and in lire: set when posting values an issue, read back when
    // the issue is reversed.
    Currency valScarico, valScaricoLire;
    bool scaricoValorizzato = false;
    bool articoloTrovato = false;
    bool artMag = false;            // Articoli.ArtMag "S"
    bool conLivelli = false;        // Articoli.LivGruppo1 not null
    bool prezziPerLivello = false;  // Articoli.FlagLivLis "S"
    bool haRigheLivello = false;    // a detail line whose quantities its level lines carry
    QString listDaAgg, listDaAggClie;
    QString gruppoForAb, mastroForAb, contoForAb;
};

// The header expenses spread over the lines: 'V' by value, 'Q' by quantity, 'P' a percentage
// of the value, '\0' not spread.
struct RipartizioneSpese {
    QChar modo;
    Currency importo, totQta, totVal;
    // The row's share of the expenses, in the movement currency.
    Currency quota(const RigaMov& riga) const;
};

// The quantity and values of a row as they move the progressives, and its expense share.
struct ValoriRiga {
    Currency qta, euro, lire;
    Currency speseEuro, speseLire;
};

// Warehouse movements: new headers, the posting of staged lines into the movement tables with
// what they move in the article progressives, costs, price lists and supplier articles, and
// the reversal of an earlier posting.
//
// Transactions: each operation runs inside the caller's transaction when one is open, or in
// its own. Every row is posted or reversed under a savepoint: a failure leaves the rows before
// it done and the failing row in its previous status, so the movement can be posted again; a
// caller that rolls back its transaction loses the whole posting instead. Lock conflicts are
// retried; other database errors are reported with their number and text and the operation
// returns false.
class UtilMovim {
  public:
    using RegistroErrori = std::function<void(const QString& testo)>;
    using Chiave = QList<QPair<QString, QVariant>>;

    UtilMovim(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta, UiServices& ui,
              ComLock& lock, FinestraErrAggMov* finestraErrori = nullptr);
    ~UtilMovim();
    UtilMovim(const UtilMovim&) = delete;
    UtilMovim& operator=(const UtilMovim&) = delete;

    // Errors go to the message window unless a log is set (a run's error log).
    void setRegistroErrori(RegistroErrori registro);
    // Attempts and wait of the lock-conflict retries.
    void setTentativi(int tentativi, int attesaMs);

    // ---- Movements --------------------------------------------------------------------------
    // A new header numbered with the next free number of its year and locked as "Movimenti di
    // magazzino"; 0 on failure (reported).
    qint32 CreaTestataMov(const NuovaTestataMov& testata);
    // Posts a movement: its staged lines when it has some (they replace the lines of a movement
    // posted before), its real lines not posted yet otherwise. A movement that is not new is
    // reversed first when asked. The movement's marks stay with the caller.
    bool AggMovimento(int anno, qint32 numReg, bool senzaAvanzamento, bool disaggiornaPrima,
                      bool nuovo);
    // Copies the staged rows of a movement into the real table; returns the rows copied.
    int CopiaRigheApp(int anno, qint32 numReg, const QString& tabellaApp, const QString& tabella);
    // Deletes staged rows (of one line when rigLiv is given). Only a table whose name ends in
    // "App" is touched: any other gives "Nome File non valido" and false.
    bool CancellaRigheApp(int anno, qint32 numReg, const QString& tabellaApp,
                          std::optional<int> rigLiv = std::nullopt);
    // Posts the lines of one kind not posted yet, from the staging table or the real one.
    bool AggRighe(int anno, qint32 numReg, TipoRighe tipo, bool daAppoggio);
    // The issue value of the detail lines of level articles, from their level lines.
    void AggValScarico(int anno, qint32 numReg, const QString& articoloDa = {},
                       const QString& articoloA = {});
    // Takes back the effect of the real rows in status statoDa and leaves them in statoA.
    // Failures are shown in the reversal error window.
    bool DisaggRighe(int anno, qint32 numReg, TipoRighe tipo, const QString& statoDa,
                     const QString& statoA);

    // ---- Progressives and costs of one row ---------------------------------------------------
    void AggRigaProgr(const TestataMov& testata, RigaMov& riga, const RipartizioneSpese& spese,
                      ModoAgg modo);
    void AggProgressivi(const TestataMov& testata, RigaMov& riga, const QString& magazzino,
                        bool inverti, const ValoriRiga& valori, ModoAgg modo);
    void AggCosti(const TestataMov& testata, const RigaMov& riga, const ValoriRiga& valori,
                  ModoAgg modo);

    // ---- Price lists and supplier articles ---------------------------------------------------
    // The price valid at data in the list, from a new unit cost in euro; failures are reported
    // as "Listino non aggiornato" and give false, the posting goes on.
    bool AggListino(const QString& articolo, const QString& livello1, const QString& livello2,
                    const QString& listino, const QDate& data, Currency costo,
                    const QString& gruppo, const QString& mastro, const QString& conto,
                    bool listinoCliente);
    // The supplier's record of the article: last cost, unit and date of the purchase.
    void AggArtFor(const TestataMov& testata, const RigaMov& riga, Currency quotaSpese);

    // ---- Values ------------------------------------------------------------------------------
    struct Valori {
        Currency lire, euro;
    };
    // A value of the movement currency in lire and in euro, each rounded to its decimals.
    Valori ConvertiValore(Currency valore, Currency cambio, const QString& moneta);

  private:
    struct Impostazioni {
        bool letti = false;
        int decQta = 4;
        bool gesTaglie = false;
        bool aggForArt = false;
        bool listVenDaAggOrd = false;
        bool articoliConListini = true;
        QString ripartSpesePercVal;
        QString qualeDataLis;
        std::optional<QDate> dataListino;
        Currency percRicListClie;
    };
    void caricaImpostazioni();

    // Reading
    std::optional<TestataMov> leggiTestata(int anno, qint32 numReg);
    QString sqlRighe(TipoRighe tipo, const QString& tabella, const QString& tabellaDett, int anno,
                     qint32 numReg, const QString& filtroStato) const;
    RigaMov leggiRiga(const RowSet& r, TipoRighe tipo, const QString& tabella,
                      const TestataMov& testata) const;
    QSet<int> righeConLivelli(const QString& tabellaLiv, int anno, qint32 numReg);
    RipartizioneSpese leggiRipartizione(const TestataMov& testata, const QString& tabellaDett);
    bool haRigheInAppoggio(int anno, qint32 numReg);

    // Rows
    // azione does the database work of a row under its savepoint; fatta hears of each row done.
    using Azione = std::function<void(RigaMov& riga)>;
    using Fatta = std::function<void(const RigaMov& riga)>;
    bool passaRighe(RowSet& sorgente, const TestataMov& testata, TipoRighe tipo,
                    const QString& tabella, const QString& didascalia, const Azione& azione,
                    const Fatta& fatta, const QString& testoErrore, bool disaggiornamento);
    const QStringList& colonneReali(const QString& tabella);
    QVariantList valoriRigaReale(const RowSet& sorgente, const QString& tabellaApp,
                                 const QString& tabella, const RigaMov& riga);
    void segnaAggiornate(const QString& tabellaApp, const TestataMov& testata,
                         const QStringList& chiavi);
    void aggiornaStatoRiga(const QString& tabella, const TestataMov& testata, const RigaMov& riga,
                           const QString& stato, bool conScarico);
    QString chiaveRiga(const TestataMov& testata, const RigaMov& riga) const;
    QString chiaveNellaTestata(const RigaMov& riga) const;
    void cancellaRigheReali(int anno, qint32 numReg, const QStringList& tabelle);
    bool bloccaMovimento(int anno, qint32 numReg, const QString& descrizione);

    // Keyed rows of progressives, costs and supplier articles: read for update (locked on a
    // server), or ready to be added with their key when missing.
    std::unique_ptr<RowSet> rigaChiave(const QString& tabella, const Chiave& chiave);
    void salvaRiga(RowSet& riga);
    QString condizioni(const Chiave& chiave) const;

    // Costs
    Currency giacenzaDopo(int anno, const QString& articolo, const QString& livello1,
                          const QString& livello2, bool perLivello);
    QString livelloProgressivi(const RigaMov& riga, bool secondo) const;
    QString livelloCosti(const RigaMov& riga, bool secondo) const;
    void aggiornaFornitoreAbituale(const TestataMov& testata, RigaMov& riga);
    Currency costoScarico(const RowSet& progressivo, bool lire, QChar valorizzazione) const;
    void aggiornaListini(const TestataMov& testata, const RigaMov& riga, Currency costo);

    // Price lists
    Currency inMonetaListino(Currency euro, const QString& moneta, const QString& operatore,
                             const QDate& data, bool& cambioMancante);

    const InfoMoneta& moneta(const QString& codice);
    int decEuro() const;
    int decLire() const;
    std::optional<Currency> cambioDelGiorno(const QString& moneta, const QDate& data);

    // Reporting
    void segnala(const QString& testo);
    static QString testoErrore(const QString& intestazione, int numero, const QString& descrizione,
                               const QString& tabella);
    void avanzamento(const QString& testo);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    AziendaUtil& mMoneta;
    UiServices& mUi;
    ComLock& mLock;
    FinestraErrAggMov* mFinestraErrori;
    RegistroErrori mRegistro;
    std::unique_ptr<RiprovaBlocchi> mRiprova;
    Impostazioni mImp;
    QHash<QString, InfoMoneta> mMonete;
    QHash<QString, QStringList> mColonne;  // columns of the real tables, by name
    bool mSilenzioso = false;
    int mFatte = 0;
};

}  // namespace evapre
