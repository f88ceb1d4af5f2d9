#include "ComLock.h"

#include <QRegularExpression>

#include "DbConnection.h"
#include "DbError.h"
#include "LockObject.h"
#include "MenuClient.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "UiServices.h"
#include "VeltDbasedll.h"

namespace evapre {

namespace {

bool blank(const QString& text) {
    return text.trimmed().isEmpty();
}

// Table and column names are put into the SQL text as they are: only plain names pass.
bool nomeValido(const QString& nome) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(nome).hasMatch();
}

}  // namespace

ComLock::ComLock(DbConnection& db, ParametriDitta& parametri, UiServices& ui)
    : ComLock(db, parametri, ui, VeltDbasedll::instance()) {}

ComLock::ComLock(DbConnection& db, ParametriDitta& parametri, UiServices& ui,
                 VeltDbasedll& component)
    : mDb(db), mParametri(parametri), mUi(ui), mComponent(component) {}

QString ComLock::UtilityGestione(const QString& gestione) {
    const QString g = gestione.trimmed().toUpper();
    if (g == QLatin1String("M"))
        return QStringLiteral("Movimenti Interrotti");
    if (g == QLatin1String("D"))
        return QStringLiteral("DDT Interrotti");
    if (g == QLatin1String("F"))
        return QStringLiteral("Fatture Interrotte");
    if (g == QLatin1String("O"))
        return QStringLiteral("Ordini Vendita Interrotti");
    if (g == QLatin1String("A"))
        return QStringLiteral("Ordini Acquisto Interrotti");
    if (g == QLatin1String("P"))
        return QStringLiteral("Preventivi Interrotti");
    if (g == QLatin1String("E") || g == QLatin1String("0"))
        return QStringLiteral("Evasione Ddt in fattura: Interrotta");
    if (g == QLatin1String("1"))
        return QStringLiteral("Ripristino Ddt da stampa: Interrotto");
    if (g == QLatin1String("C"))
        return QStringLiteral("Prima Nota Interrotti");
    return {};
}

QString ComLock::TestoInUso(const QString& descrizione, int anno, qint64 numReg,
                            const QString& utente, const QString& gestione) {
    QString testo = descrizione + QStringLiteral(" (anno: ") + QString::number(anno) +
                    QStringLiteral(" - Num.: ") + QString::number(numReg) +
                    QStringLiteral(") è in uso da:") + QLatin1Char('\n') + utente +
                    QLatin1Char('\n') + QStringLiteral("Impossibile effettuare variazioni");
    // Without a utility for the holder's area there is nothing to point the user to.
    const QString utility = UtilityGestione(gestione);
    if (!utility.isEmpty())
        testo += QLatin1Char('\n') +
                 QStringLiteral("Se nessuno lo sta usando sbloccare con l'utility: ") +
                 QLatin1Char('\n') + QStringLiteral("Gestione ") + utility;
    return testo;
}

QString ComLock::TestoInUsoConcorrente(const QString& descrizione) {
    return descrizione + QStringLiteral(" è in uso") + QLatin1Char('\n') +
           QStringLiteral("Impossibile effettuare variazioni");
}

void ComLock::riportaErrore(const QString& contesto, const DbError& errore) {
    const QString testo = contesto + QLatin1Char('\n') + errore.describe();
    if (mRegistro)
        mRegistro(testo);
    else
        mUi.message(testo, {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
}

bool ComLock::bloccoSenzaChiave(const RichiestaBlocco& richiesta) {
    const QString codice = richiesta.codice.trimmed().toUpper();
    if (codice == QLatin1String("2"))
        mModo = ModoBlocco::Pessimistico;
    else if (codice == QLatin1String("3"))
        mModo = ModoBlocco::Ottimistico;
    else if (codice == QLatin1String("B"))
        mModo = ModoBlocco::OttimisticoBatch;
    else if (codice == QLatin1String("N"))
        mModo = ModoBlocco::Nessuno;
    else {
        mUi.message(QStringLiteral("Blocco record senza chiave con codice non valido: \"") +
                        richiesta.codice + QLatin1Char('"'),
                    {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        return false;
    }
    return true;
}

// Literals in the syntax of the lock connection, which reads the marks.
QString ComLock::ricercaDetentore(const DbConnection& lc, const RichiestaBlocco& richiesta) {
    return QStringLiteral("Select * from LockGest") + QStringLiteral(" Where Tipo = ") +
           lc.sql(richiesta.tipo) + QStringLiteral(" AND Anno = ") + lc.sql(richiesta.anno) +
           QStringLiteral(" AND NumReg = ") + lc.sql(richiesta.numReg);
}

void ComLock::AnnunciaControllo(const RichiestaBlocco& richiesta) {
    try {
        DbConnection& lc = mComponent.lockObject(richiesta.connessione).connection();
        lc.readAhead(ricercaDetentore(lc, richiesta));
    } catch (const DbError&) {
        // Only an announcement: BloccaRecord meets and reports the same error.
    }
}

bool ComLock::leggiDetentore(LockObject& locks, const RichiestaBlocco& richiesta,
                             DetentoreBlocco& detentore) {
    auto rows = locks.openRowSet(ricercaDetentore(locks.connection(), richiesta));
    if (rows->eof())
        return false;
    detentore.utente = rows->text(QStringLiteral("Utente"));
    detentore.varie = rows->text(QStringLiteral("Varie"));
    detentore.stato = rows->text(QStringLiteral("Stato"));
    detentore.gestione = rows->text(QStringLiteral("Gestione"));
    return true;
}

bool ComLock::esitoDetenuto(const RichiestaBlocco& richiesta, const DetentoreBlocco& trovato,
                            DetentoreBlocco* detentore) {
    if (detentore)
        *detentore = trovato;
    const QString utente = mParametri.menu().userName();
    if (richiesta.accettaPropri && trovato.utente.compare(utente, Qt::CaseInsensitive) == 0)
        return true;
    if (!richiesta.soloControllo && richiesta.mostraMsg)
        mUi.message(TestoInUso(richiesta.descrizione, richiesta.anno, richiesta.numReg,
                               trovato.utente, trovato.gestione));
    return false;
}

void ComLock::riportaErroreControllo(const RichiestaBlocco& richiesta, const DbError& errore) {
    riportaErrore(richiesta.descrizione + QStringLiteral(" (anno: ") +
                      QString::number(richiesta.anno) + QStringLiteral(" - Num.: ") +
                      QString::number(richiesta.numReg) +
                      QStringLiteral("): errore nel controllo del blocco"),
                  errore);
}

bool ComLock::BloccaRecord(const RichiestaBlocco& richiesta, DetentoreBlocco* detentore) {
    DetentoreBlocco trovato;
    if (detentore)
        *detentore = {};

    if (blank(richiesta.tipo)) {
        if (richiesta.anno == 0 && richiesta.numReg == 0)
            return bloccoSenzaChiave(richiesta);
        mUi.message(QStringLiteral("Blocco record senza tipo: ") + richiesta.descrizione +
                        QStringLiteral(" (anno: ") + QString::number(richiesta.anno) +
                        QStringLiteral(" - Num.: ") + QString::number(richiesta.numReg) +
                        QLatin1Char(')'),
                    {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        return false;
    }

    const bool scriviPrima = richiesta.scriviPrima && !richiesta.soloControllo;
    LockObject* locks = nullptr;
    try {
        locks = &mComponent.lockObject(richiesta.connessione);
        if (!scriviPrima) {
            if (leggiDetentore(*locks, richiesta, trovato))
                return esitoDetenuto(richiesta, trovato, detentore);
            if (richiesta.soloControllo)
                return true;
        }
    } catch (const DbError& e) {
        riportaErroreControllo(richiesta, e);
        return false;
    }

    try {
        dopoControllo(richiesta);
        locks->insertMark(segnoDi(richiesta));
        return true;
    } catch (const DbError& e) {
        if (e.number() != DbErr::DuplicateKey && e.number() != DbErr::CallFailed) {
            riportaErrore(richiesta.descrizione + QStringLiteral(" (anno: ") +
                              QString::number(richiesta.anno) + QStringLiteral(" - Num.: ") +
                              QString::number(richiesta.numReg) +
                              QStringLiteral("): errore nella scrittura del blocco"),
                          e);
            return false;
        }
    }

    if (scriviPrima) {
        // The lookup skipped before the insert decides now, as it would have then.
        try {
            dopoRifiuto(richiesta);
            if (leggiDetentore(*locks, richiesta, trovato))
                return esitoDetenuto(richiesta, trovato, detentore);
        } catch (const DbError& e) {
            riportaErroreControllo(richiesta, e);
            return false;
        }
    } else if (detentore) {
        // Someone else got there first (or the call failed): tell the caller who, when it
        // can still be read.
        try {
            if (leggiDetentore(*locks, richiesta, trovato))
                *detentore = trovato;
        } catch (const DbError&) {
            // The refusal stands; the holder stays unknown.
        }
    }
    if (richiesta.mostraMsg)
        mUi.message(TestoInUsoConcorrente(richiesta.descrizione), {QStringLiteral("&Ok")}, 1,
                    MsgIcon::Critical);
    return false;
}

LockObject::Mark ComLock::segnoDi(const RichiestaBlocco& richiesta) const {
    LockObject::Mark mark;
    mark.tipo = richiesta.tipo;
    mark.anno = richiesta.anno;
    mark.numReg = richiesta.numReg;
    mark.utente = mParametri.menu().userName();
    mark.stato = richiesta.codice;
    mark.gestione = richiesta.gestione;
    mark.varie = richiesta.varie;
    mark.padreTipo = richiesta.padreTipo;
    mark.padreAnno = richiesta.padreAnno;
    mark.padreNumReg = richiesta.padreNumReg;
    return mark;
}

std::vector<bool> ComLock::BloccaRecordLiberi(const QList<RichiestaBlocco>& richieste) {
    std::vector<bool> presi(static_cast<size_t>(richieste.size()), false);
    QList<LockObject::Mark> segni;
    QList<qsizetype> posizioni;
    for (qsizetype i = 0; i < richieste.size(); ++i) {
        const RichiestaBlocco& r = richieste[i];
        // Only the marks written before any lookup, on one lock connection.
        if (!r.scriviPrima || r.soloControllo || blank(r.tipo) ||
            r.connessione != richieste.front().connessione)
            continue;
        segni << segnoDi(r);
        posizioni << i;
    }
    if (segni.size() < 2)
        return presi;
    try {
        LockObject& locks = mComponent.lockObject(richieste.front().connessione);
        for (qsizetype k = 0; k < posizioni.size(); ++k)
            dopoControllo(richieste[posizioni[k]]);
        const std::vector<bool> scritti = locks.insertFreeMarks(segni);
        for (qsizetype k = 0; k < posizioni.size(); ++k)
            presi[size_t(posizioni[k])] = scritti[size_t(k)];
    } catch (const DbError&) {
        // Nothing of the failed statement was written: each mark is asked on its own.
    }
    return presi;
}

bool ComLock::SbloccaRecord(const QString& tipo, int anno, qint64 numReg,
                            const QString& connessione) {
    try {
        return mComponent.lockObject(connessione).removeMark(tipo, anno, numReg);
    } catch (const DbError& e) {
        riportaErrore(QStringLiteral("Errore nello sblocco del record (anno: ") +
                          QString::number(anno) + QStringLiteral(" - Num.: ") +
                          QString::number(numReg) + QLatin1Char(')'),
                      e);
        return false;
    }
}

int ComLock::SbloccaRecords(const QString& tipo, const QList<QPair<int, qint64>>& chiavi,
                            const QString& connessione) {
    try {
        return mComponent.lockObject(connessione).removeMarks(tipo, chiavi);
    } catch (const DbError&) {
        // What went stays gone; the rest one by one, so that each failure names its record.
        int tolti = 0;
        for (const auto& [anno, numReg] : chiavi)
            tolti += SbloccaRecord(tipo, anno, numReg, connessione) ? 1 : 0;
        return tolti;
    }
}

bool ComLock::FineUsoLock(const QString& connessione, bool chiudi) {
    try {
        mComponent.endLockUse(connessione, chiudi);
        return true;
    } catch (const DbError& e) {
        riportaErrore(QStringLiteral("Errore nella rimozione dei blocchi"), e);
        return false;
    }
}

qint64 ComLock::ProssimoNumero(const QString& campo, const QString& tabella, int anno,
                               bool annoAzzera) {
    if (!nomeValido(campo) || !nomeValido(tabella)) {
        mUi.message(QStringLiteral("Numerazione: nome di campo o di tabella non valido (") + campo +
                        QStringLiteral(", ") + tabella + QLatin1Char(')'),
                    {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        return 0;
    }
    // The highest number in use: max() finds it through the key's index where "top 1 … order
    // by … DESC" (nulls last, as Jet sorts them) sorts the year's rows on a server.
    QString sql = QStringLiteral("Select max(") + campo + QStringLiteral(") from ") + tabella;
    if (annoAzzera) {
        const int annoAzz = mParametri.companyInt(QStringLiteral("Coge.AnnoAzzera"), 0);
        if (annoAzz != 0)
            sql += QStringLiteral(" where anno ") +
                   (anno < annoAzz ? QStringLiteral("<") : QStringLiteral(">=")) + mDb.sql(annoAzz);
    } else {
        sql += QStringLiteral(" where anno = ") + mDb.sql(anno);
    }
    try {
        const QVariant ultimo = mDb.scalar(sql);
        if (!ultimo.isValid() || ultimo.isNull())
            return 1;
        bool ok = false;
        qint64 valore = ultimo.toLongLong(&ok);
        if (!ok)
            valore = static_cast<qint64>(ultimo.toDouble());
        return valore + 1;
    } catch (const DbError& e) {
        riportaErrore(QStringLiteral("Errore nella ricerca del numero libero di ") + tabella, e);
        return 0;
    }
}

DbConnection& ComLock::connessioneBlocchi(const QString& connessione) {
    return mComponent.lockObject(connessione).connection();
}

}  // namespace evapre
