#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <vector>

#include "LockObject.h"

namespace evapre {

class DbConnection;
class DbError;
class LockObject;
class ParametriDitta;
class UiServices;
class VeltDbasedll;

// A request to take or check the mark of a record in LockGest.
struct RichiestaBlocco {
    QString codice;  // written to Stato ("0", "5" ...); alone, without a key, see BloccaRecord
    QString tipo;    // "M" movement, "P" quote ...
    int anno = 0;
    qint64 numReg = 0;
    bool soloControllo = false;  // only look, never write a mark
    bool mostraMsg = false;      // tell the user when the record is refused
    bool accettaPropri = false;  // a mark of the current user counts as taken
    // The mark is expected free: it is written first and the holder read only when the key
    // refuses it (one statement instead of two). The outcome is the same as with the lookup
    // first; a refusal costs a failed insert more.
    bool scriviPrima = false;
    QString connessione = QStringLiteral("Standard");  // lock connection id, or the remembered one
    QString descrizione;  // what the record is, first words of the refusal ("Il Doc")
    QString gestione;     // program area of the mark (see UtilityGestione)
    QString varie;
    QString padreTipo;
    int padreAnno = 0;
    qint64 padreNumReg = 0;

    // The usual request: the mark of one record of kind tipo, written with codice and filed
    // under the same kind.
    static RichiestaBlocco Segno(const QString& codice, const QString& tipo, int anno,
                                 qint64 numReg, const QString& descrizione, bool accettaPropri) {
        RichiestaBlocco r;
        r.codice = codice;
        r.tipo = tipo;
        r.anno = anno;
        r.numReg = numReg;
        r.accettaPropri = accettaPropri;
        r.descrizione = descrizione;
        r.gestione = tipo;
        return r;
    }
};

// Who holds a mark that was found.
struct DetentoreBlocco {
    QString utente;
    QString gestione;
    QString varie;
    QString stato;
};

// Record marks shared by the programs of the suite, and the next free number of a numbered
// table. Marks are written only through the lock object of the database component, which
// remembers them: FineUsoLock removes exactly those still held by their user, so this
// program's marks are gone when its marking work ends and another user's mark is never
// touched.
class ComLock {
  public:
    // Update-locking modes named by the codes of a call without a record key.
    enum class ModoBlocco { Nessuno, Pessimistico, Ottimistico, OttimisticoBatch };

    // Database errors go to the message window unless a sink is set (a run's error log).
    using RegistroErrori = std::function<void(const QString& testo)>;

    ComLock(DbConnection& db, ParametriDitta& parametri, UiServices& ui);
    ComLock(DbConnection& db, ParametriDitta& parametri, UiServices& ui, VeltDbasedll& component);
    virtual ~ComLock() = default;

    void setRegistroErrori(RegistroErrori registro) { mRegistro = std::move(registro); }

    // Takes (or, with soloControllo, checks) the mark of tipo/anno/numReg. True when the
    // mark was taken, or is free and only checked, or is held by the current user and
    // accettaPropri is set. Otherwise false: the holder is returned through detentore and,
    // with mostraMsg (and not soloControllo), the user is told who holds it. Another program
    // inserting the same mark first (3022) or a failing call (3146) is a refusal too.
    //
    // A call without a record key (blank tipo, anno and numReg 0) writes and reads no mark:
    // its code selects the update-locking mode of the lock connection ("2" pessimistic,
    // "3" optimistic, "B" optimistic batch, "N" none) and is only recorded, because row
    // updates are protected by database transactions here. Any other code, or a partial key,
    // is refused with a message.
    bool BloccaRecord(const RichiestaBlocco& richiesta, DetentoreBlocco* detentore = nullptr);
    // Sends the lookup of the request's mark with the next statement of the lock connection's
    // transaction, so that a BloccaRecord of the same request made next in that transaction
    // reads it without a round trip of its own. Outside a transaction on a server it does
    // nothing.
    void AnnunciaControllo(const RichiestaBlocco& richiesta);
    // The marks of records nobody holds, written together where that saves the database
    // round trips (see LockObject::insertFreeMarks): true for each mark taken. The others,
    // and all of them when that cannot be done, are to be asked one by one with BloccaRecord,
    // which tells who holds them and reports any error.
    std::vector<bool> BloccaRecordLiberi(const QList<RichiestaBlocco>& richieste);

    // Gives back one mark this program took (never another user's). True when a row went.
    bool SbloccaRecord(const QString& tipo, int anno, qint64 numReg,
                       const QString& connessione = QStringLiteral("Standard"));
    // Gives back the marks of tipo for the (anno, numReg) keys that this program took, a few
    // hundred per statement; after a failure the rest go one by one, each failure reported
    // with its record. Returns how many rows went.
    int SbloccaRecords(const QString& tipo, const QList<QPair<int, qint64>>& chiavi,
                       const QString& connessione = QStringLiteral("Standard"));

    // The marking work on a lock connection is over: the marks this program took through it
    // are removed; with chiudi the lock connection is also closed and forgotten.
    bool FineUsoLock(const QString& connessione = QStringLiteral("Standard"), bool chiudi = false);

    // The next free number of campo in tabella for anno: numbers restart every year, or,
    // with annoAzzera, run on across years split at the year Coge.AnnoAzzera (no split when
    // it is 0). Returns 0 when the query fails (the error is reported).
    qint64 ProssimoNumero(const QString& campo, const QString& tabella, int anno, bool annoAzzera);

    ModoBlocco modoBlocco() const { return mModo; }
    // The connection the marks of connessione are written through.
    DbConnection& connessioneBlocchi(const QString& connessione = QStringLiteral("Standard"));

    // The utility that clears a stale mark of a program area; empty when there is none.
    static QString UtilityGestione(const QString& gestione);
    // The refusal text for a mark found held by utente.
    static QString TestoInUso(const QString& descrizione, int anno, qint64 numReg,
                              const QString& utente, const QString& gestione);
    // The refusal text when another program inserted the mark first.
    static QString TestoInUsoConcorrente(const QString& descrizione);

  protected:
    // Runs between the lookup and the insert of a mark, or right before the insert when it is
    // written first (tests place a rival mark here).
    virtual void dopoControllo(const RichiestaBlocco&) {}
    // Runs between a refused insert written first and the lookup of the holder (tests take the
    // rival mark away here).
    virtual void dopoRifiuto(const RichiestaBlocco&) {}

  private:
    bool bloccoSenzaChiave(const RichiestaBlocco& richiesta);
    // The mark a request writes, in the current user's name.
    LockObject::Mark segnoDi(const RichiestaBlocco& richiesta) const;
    static QString ricercaDetentore(const DbConnection& lc, const RichiestaBlocco& richiesta);
    bool leggiDetentore(LockObject& locks, const RichiestaBlocco& richiesta,
                        DetentoreBlocco& detentore);
    // The outcome for a mark found held by trovato.
    bool esitoDetenuto(const RichiestaBlocco& richiesta, const DetentoreBlocco& trovato,
                       DetentoreBlocco* detentore);
    void riportaErroreControllo(const RichiestaBlocco& richiesta, const DbError& errore);
    void riportaErrore(const QString& contesto, const DbError& errore);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    UiServices& mUi;
    VeltDbasedll& mComponent;
    RegistroErrori mRegistro;
    ModoBlocco mModo = ModoBlocco::Nessuno;
};

}  // namespace evapre
