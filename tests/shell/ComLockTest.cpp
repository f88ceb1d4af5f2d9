#include <gtest/gtest.h>

#include <memory>

#include "ComLock.h"
#include "DbError.h"
#include "DirectMenuClient.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"
#include "VeltDbasedll.h"

using namespace evapre;
using evapre::test::ScriptedUiServices;
using evapre::test::TestDb;

namespace {

// One user of the suite: identity, parameters, message window and lock routine, marking
// through its own lock connection.
struct Utente {
    Utente(TestDb& db, const QString& nome)
        : lockId(db.openAnother()),
          menu(db.db(), nome, QStringLiteral("PC-") + nome, QDate(2026, 3, 15)),
          parametri(menu),
          lock(db.db(), parametri, ui) {}

    RichiestaBlocco richiesta(qint64 numReg, const QString& tipo = QStringLiteral("P")) const {
        RichiestaBlocco r;
        r.codice = QStringLiteral("0");
        r.tipo = tipo;
        r.anno = 2026;
        r.numReg = numReg;
        r.mostraMsg = true;
        r.connessione = QString::number(lockId);
        r.descrizione = QStringLiteral("Il Doc");
        r.gestione = QStringLiteral("P");
        return r;
    }

    int lockId;
    DirectMenuClient menu;
    ParametriDitta parametri;
    ScriptedUiServices ui;
    ComLock lock;
};

class ComLockTest : public ::testing::Test {
  protected:
    int contaBlocchi(const QString& condizione = QStringLiteral("1=1")) {
        return db.db()
            .scalar(QStringLiteral("SELECT COUNT(*) FROM LockGest WHERE ") + condizione)
            .toInt();
    }
    void marcaDiretta(qint64 numReg, const QString& utente,
                      const QString& gestione = QStringLiteral("P")) {
        db.insert("LockGest", {{"Tipo", "P"},
                               {"Anno", 2026},
                               {"NumReg", numReg},
                               {"Utente", utente},
                               {"Stato", "0"},
                               {"Gestione", gestione},
                               {"Varie", "altro programma"}});
    }
    QStringList utentiBlocchi() {
        QStringList righe;
        for (auto rows = db.db().openRowSet("SELECT * FROM LockGest ORDER BY NumReg"); !rows->eof();
             rows->moveNext())
            righe << QString::number(rows->integer("NumReg")) + ":" + rows->text("Utente");
        return righe;
    }

    TestDb db;
    Utente mario{db, QStringLiteral("mario")};
};

}  // namespace

// Each case: who already holds the mark of P/2026/7, the flags, and the outcome.
struct CasoBlocco {
    const char* nome;
    const char* detentore;  // "" = no mark
    bool soloControllo;
    bool mostraMsg;
    bool accettaPropri;
    bool esito;
    int righeDopo;
    int messaggi;
};

class ComLockFlags : public ComLockTest, public ::testing::WithParamInterface<CasoBlocco> {};

// The same outcome whether the holder is looked up first or the mark is written first.
TEST_P(ComLockFlags, TakeOrCheck) {
    const CasoBlocco& c = GetParam();
    for (const bool scriviPrima : {false, true}) {
        SCOPED_TRACE(scriviPrima ? "scritto prima" : "controllato prima");
        db.db().execute("DELETE FROM LockGest");
        mario.ui.messages.clear();
        if (*c.detentore)
            marcaDiretta(7, QString::fromLatin1(c.detentore));
        RichiestaBlocco r = mario.richiesta(7);
        r.soloControllo = c.soloControllo;
        r.mostraMsg = c.mostraMsg;
        r.accettaPropri = c.accettaPropri;
        r.scriviPrima = scriviPrima;
        DetentoreBlocco chi;
        EXPECT_EQ(mario.lock.BloccaRecord(r, &chi), c.esito);
        EXPECT_EQ(contaBlocchi(), c.righeDopo);
        EXPECT_EQ(mario.ui.messages.size(), c.messaggi)
            << mario.ui.messages.join("|").toStdString();
        EXPECT_EQ(chi.utente, QString::fromLatin1(c.detentore));
        if (*c.detentore) {
            EXPECT_EQ(chi.stato, QStringLiteral("0"));
            EXPECT_EQ(chi.gestione, QStringLiteral("P"));
            EXPECT_EQ(chi.varie, QStringLiteral("altro programma"));
            // A mark found is never taken over: ending the lock use leaves it.
            EXPECT_TRUE(mario.lock.FineUsoLock(QString::number(mario.lockId)));
            EXPECT_EQ(contaBlocchi(), 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casi, ComLockFlags,
    ::testing::Values(
        CasoBlocco{"LiberoPreso", "", false, true, false, true, 1, 0},
        CasoBlocco{"LiberoSoloControllo", "", true, true, false, true, 0, 0},
        CasoBlocco{"PropriaAccettata", "MARIO", false, true, true, true, 1, 0},
        CasoBlocco{"PropriaSoloControlloAccettata", "mario", true, false, true, true, 1, 0},
        CasoBlocco{"PropriaNonAccettata", "mario", false, true, false, false, 1, 1},
        CasoBlocco{"AltruiConMessaggio", "luigi", false, true, false, false, 1, 1},
        CasoBlocco{"AltruiAccettaPropriNonBasta", "luigi", false, true, true, false, 1, 1},
        CasoBlocco{"AltruiSenzaMessaggio", "luigi", false, false, false, false, 1, 0},
        CasoBlocco{"AltruiSoloControlloTace", "luigi", true, true, false, false, 1, 0}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(ComLockTest, TakenMarkCarriesEveryColumn) {
    RichiestaBlocco r = mario.richiesta(12, QStringLiteral("M"));
    r.codice = QStringLiteral("5");
    r.gestione = QStringLiteral("M");
    r.varie = QStringLiteral("2026-12");
    r.padreTipo = QStringLiteral("P");
    r.padreAnno = 2025;
    r.padreNumReg = 99;
    ASSERT_TRUE(mario.lock.BloccaRecord(r));
    auto row = db.db().openRowSet("SELECT * FROM LockGest");
    ASSERT_FALSE(row->eof());
    EXPECT_EQ(row->text("Tipo"), "M");
    EXPECT_EQ(row->integer("Anno"), 2026);
    EXPECT_EQ(row->integer("NumReg"), 12);
    EXPECT_EQ(row->text("Utente"), "mario");
    EXPECT_EQ(row->text("Stato"), "5");
    EXPECT_EQ(row->text("Gestione"), "M");
    EXPECT_EQ(row->text("Varie"), "2026-12");
    EXPECT_EQ(row->text("PadreTipo"), "P");
    EXPECT_EQ(row->integer("PadreAnno"), 2025);
    EXPECT_EQ(row->integer("PadreNumReg"), 99);
    EXPECT_FALSE(row->isNull("Ora"));
}

TEST_F(ComLockTest, RefusalNamesHolderAndUtilityOfItsArea) {
    const struct {
        const char* gestione;
        const char* utility;
    } casi[] = {{"M", "Movimenti Interrotti"},
                {"D", "DDT Interrotti"},
                {"F", "Fatture Interrotte"},
                {"O", "Ordini Vendita Interrotti"},
                {"A", "Ordini Acquisto Interrotti"},
                {"P", "Preventivi Interrotti"},
                {"E", "Evasione Ddt in fattura: Interrotta"},
                {"0", "Evasione Ddt in fattura: Interrotta"},
                {"1", "Ripristino Ddt da stampa: Interrotto"},
                {"C", "Prima Nota Interrotti"},
                {"X", ""},
                {"", ""}};
    qint64 numReg = 100;
    for (const auto& c : casi) {
        SCOPED_TRACE(c.gestione);
        marcaDiretta(++numReg, "luigi", QString::fromLatin1(c.gestione));
        mario.ui.messages.clear();
        EXPECT_FALSE(mario.lock.BloccaRecord(mario.richiesta(numReg)));
        ASSERT_EQ(mario.ui.messages.size(), 1);
        QString atteso = QStringLiteral(
                             "Il Doc (anno: 2026 - Num.: %1) è in uso da:\nluigi\n"
                             "Impossibile effettuare variazioni")
                             .arg(numReg);
        if (*c.utility)
            atteso += QStringLiteral(
                          "\nSe nessuno lo sta usando sbloccare con l'utility: \n"
                          "Gestione ") +
                      QString::fromUtf8(c.utility);
        EXPECT_EQ(mario.ui.messages.first(), atteso);
    }
}

// Two users on two lock connections want the same quote: the first one wins, the second is
// refused with the holder's name.
TEST_F(ComLockTest, TwoConnectionsOneWinner) {
    Utente luigi(db, QStringLiteral("luigi"));
    EXPECT_TRUE(mario.lock.BloccaRecord(mario.richiesta(5)));
    DetentoreBlocco chi;
    EXPECT_FALSE(luigi.lock.BloccaRecord(luigi.richiesta(5), &chi));
    EXPECT_EQ(chi.utente, "mario");
    ASSERT_EQ(luigi.ui.messages.size(), 1);
    EXPECT_TRUE(luigi.ui.messages.first().startsWith(
        "Il Doc (anno: 2026 - Num.: 5) è in uso da:\nmario\n"));
    EXPECT_EQ(utentiBlocchi(), QStringList{"5:mario"});
}

namespace {

// Lets something happen between the lookup of a mark and its insert.
class ComLockConRivale : public ComLock {
  public:
    using ComLock::ComLock;
    std::function<void()> rivale;
    std::function<void()> dopoRifiutoAzione;

  protected:
    void dopoControllo(const RichiestaBlocco&) override {
        if (rivale)
            rivale();
    }
    void dopoRifiuto(const RichiestaBlocco&) override {
        if (dopoRifiutoAzione)
            dopoRifiutoAzione();
    }
};

}  // namespace

// Both users find the record free; the other one inserts first. The key of the table
// settles it: exactly one mark, and the loser is told that the record is in use.
TEST_F(ComLockTest, RaceSettledByTheKey) {
    Utente luigi(db, QStringLiteral("luigi"));
    ScriptedUiServices ui;
    ComLockConRivale perdente(db.db(), mario.parametri, ui);
    bool vinto = false;
    perdente.rivale = [&] { vinto = luigi.lock.BloccaRecord(luigi.richiesta(5)); };
    DetentoreBlocco chi;
    EXPECT_FALSE(perdente.BloccaRecord(mario.richiesta(5), &chi));
    EXPECT_TRUE(vinto);
    EXPECT_EQ(utentiBlocchi(), QStringList{"5:luigi"});
    EXPECT_EQ(chi.utente, "luigi");
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages.first(), "Il Doc è in uso\nImpossibile effettuare variazioni");
    EXPECT_EQ(ui.icons.first(), MsgIcon::Critical);

    // The loser's end of lock use leaves the winner's mark alone.
    EXPECT_TRUE(perdente.FineUsoLock(QString::number(mario.lockId)));
    EXPECT_EQ(utentiBlocchi(), QStringList{"5:luigi"});
}

// Written first: a rival that got in before the insert is found by the lookup after the
// refusal and named as with the lookup first; one whose mark went meanwhile leaves the holder
// unknown, the record in use, and no mark.
TEST_F(ComLockTest, RaceWithTheMarkWrittenFirst) {
    Utente luigi(db, QStringLiteral("luigi"));
    ScriptedUiServices ui;
    ComLockConRivale perdente(db.db(), mario.parametri, ui);
    RichiestaBlocco r = mario.richiesta(5);
    r.scriviPrima = true;
    perdente.rivale = [&] { EXPECT_TRUE(luigi.lock.BloccaRecord(luigi.richiesta(5))); };
    DetentoreBlocco chi;
    EXPECT_FALSE(perdente.BloccaRecord(r, &chi));
    EXPECT_EQ(chi.utente, "luigi");
    EXPECT_EQ(utentiBlocchi(), QStringList{"5:luigi"});
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(
        ui.messages.first().startsWith("Il Doc (anno: 2026 - Num.: 5) è in uso da:\nluigi\n"))
        << ui.messages.first().toStdString();

    ui.messages.clear();
    ui.icons.clear();
    perdente.rivale = nullptr;
    perdente.dopoRifiutoAzione = [&] {
        EXPECT_TRUE(luigi.lock.SbloccaRecord("P", 2026, 5, QString::number(luigi.lockId)));
    };
    EXPECT_FALSE(perdente.BloccaRecord(r, &chi));
    EXPECT_TRUE(chi.utente.isEmpty());
    EXPECT_EQ(contaBlocchi(), 0);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages.first(), "Il Doc è in uso\nImpossibile effettuare variazioni");
    EXPECT_EQ(ui.icons.first(), MsgIcon::Critical);
}

// Failures while writing the mark: a failed call counts as "in use", any other error is
// reported with its number and text; nothing is written either way.
TEST_F(ComLockTest, ErrorsWhileWriting) {
    const struct {
        int numero;
        bool mostraMsg;
        const char* messaggio;  // "" = no message
        MsgIcon icona;
    } casi[] = {
        {DbErr::CallFailed, true, "Il Doc è in uso\nImpossibile effettuare variazioni",
         MsgIcon::Critical},
        {DbErr::CallFailed, false, "", MsgIcon::None},
        {DbErr::DuplicateKey, false, "", MsgIcon::None},
        {DbErr::SyntaxError, false,
         "Il Doc (anno: 2026 - Num.: 5): errore nella scrittura del blocco\nErr: 3075 guasto",
         MsgIcon::Critical},
    };
    for (const auto& c : casi)
        for (const bool scriviPrima : {false, true}) {
            SCOPED_TRACE(c.numero);
            SCOPED_TRACE(scriviPrima);
            ScriptedUiServices ui;
            ComLockConRivale lock(db.db(), mario.parametri, ui);
            lock.rivale = [&] { throw DbError(c.numero, QStringLiteral("guasto")); };
            RichiestaBlocco r = mario.richiesta(5);
            r.mostraMsg = c.mostraMsg;
            r.scriviPrima = scriviPrima;
            EXPECT_FALSE(lock.BloccaRecord(r));
            EXPECT_EQ(contaBlocchi(), 0);
            if (*c.messaggio) {
                ASSERT_EQ(ui.messages.size(), 1);
                EXPECT_EQ(ui.messages.first(), QString::fromUtf8(c.messaggio));
                EXPECT_EQ(ui.icons.first(), c.icona);
            } else {
                EXPECT_TRUE(ui.messages.isEmpty());
            }
        }
}

// End of lock use, or the release of a list of marks, removes exactly the marks this program
// took: not another user's, not the same user's marks of another program (accepted as own),
// not a mark that the utility cleared and another user took again.
TEST_F(ComLockTest, EndOfLockUseRemovesExactlyOwnMarks) {
    VeltDbasedll::instance().setLockConnection(mario.lockId);
    auto standard = [&](qint64 numReg) {
        RichiestaBlocco r = mario.richiesta(numReg);
        r.connessione = QStringLiteral("Standard");
        r.accettaPropri = true;
        return r;
    };
    for (const bool elenco : {true, false}) {
        SCOPED_TRACE(elenco ? "elenco" : "fine uso");
        db.db().execute("DELETE FROM LockGest");
        ASSERT_TRUE(mario.lock.BloccaRecord(standard(1)));
        ASSERT_TRUE(mario.lock.BloccaRecord(standard(2)));
        ASSERT_TRUE(mario.lock.BloccaRecord(standard(3)));
        marcaDiretta(4, "luigi");
        marcaDiretta(5, "mario");  // another program of the same user
        ASSERT_TRUE(mario.lock.BloccaRecord(standard(5)));
        // Mark 3 cleared by the utility and taken again by someone else.
        db.db().execute("DELETE FROM LockGest WHERE NumReg = 3");
        marcaDiretta(3, "anna");

        if (elenco) {
            EXPECT_EQ(
                mario.lock.SbloccaRecords(
                    "P",
                    {{2026, 1}, {2026, 2}, {2026, 3}, {2026, 4}, {2026, 5}, {2025, 1}, {2026, 1}}),
                2);
            // Nothing of the list is held any more; ending the lock use finds nothing to do.
            EXPECT_FALSE(mario.lock.SbloccaRecord("P", 2026, 1));
            db.db().execute("DELETE FROM LockGest WHERE NumReg = 3");
            marcaDiretta(3, "mario");
        }
        EXPECT_TRUE(mario.lock.FineUsoLock());
        EXPECT_EQ(utentiBlocchi(),
                  QStringList({elenco ? "3:mario" : "3:anna", "4:luigi", "5:mario"}));
        EXPECT_TRUE(mario.ui.messages.isEmpty());
    }

    // The lock connection stays usable; with the close flag it is closed and forgotten.
    ASSERT_TRUE(mario.lock.BloccaRecord(standard(6)));
    EXPECT_TRUE(mario.lock.FineUsoLock(QStringLiteral("Standard"), true));
    EXPECT_EQ(contaBlocchi("NumReg = 6"), 0);
    EXPECT_EQ(VeltDbasedll::instance().lockConnectionId(), 0);
    EXPECT_FALSE(VeltDbasedll::instance().hasConnection(mario.lockId));
    // Without a lock connection a mark cannot be taken: reported, refused.
    mario.ui.messages.clear();
    EXPECT_FALSE(mario.lock.BloccaRecord(standard(7)));
    ASSERT_EQ(mario.ui.messages.size(), 1);
    EXPECT_TRUE(mario.ui.messages.first().contains("Err: 3146"))
        << mario.ui.messages.first().toStdString();
    EXPECT_EQ(contaBlocchi("NumReg = 7"), 0);
    // Ending again without a lock connection is harmless.
    EXPECT_TRUE(mario.lock.FineUsoLock());
}

TEST_F(ComLockTest, ReleaseGivesBackOnlyOwnMark) {
    Utente luigi(db, QStringLiteral("luigi"));
    ASSERT_TRUE(mario.lock.BloccaRecord(mario.richiesta(1)));
    ASSERT_TRUE(luigi.lock.BloccaRecord(luigi.richiesta(2)));
    const QString conn = QString::number(mario.lockId);
    EXPECT_FALSE(mario.lock.SbloccaRecord("P", 2026, 2, conn));
    EXPECT_TRUE(mario.lock.SbloccaRecord("P", 2026, 1, conn));
    EXPECT_EQ(utentiBlocchi(), QStringList{"2:luigi"});
    // Free again: luigi can take it.
    EXPECT_TRUE(luigi.lock.BloccaRecord(luigi.richiesta(1)));
}

// Calls without a record key set the update-locking mode; they never touch LockGest, so
// two programs making them never collide.
TEST_F(ComLockTest, CallsWithoutKey) {
    Utente luigi(db, QStringLiteral("luigi"));
    const struct {
        const char* codice;
        ComLock::ModoBlocco modo;
    } casi[] = {{"2", ComLock::ModoBlocco::Pessimistico},
                {"3", ComLock::ModoBlocco::Ottimistico},
                {"B", ComLock::ModoBlocco::OttimisticoBatch},
                {"N", ComLock::ModoBlocco::Nessuno}};
    for (const auto& c : casi) {
        SCOPED_TRACE(c.codice);
        for (Utente* u : {&mario, &luigi}) {
            RichiestaBlocco r;
            r.codice = QString::fromLatin1(c.codice);
            r.connessione = QString::number(u->lockId);
            EXPECT_TRUE(u->lock.BloccaRecord(r));
            EXPECT_EQ(u->lock.modoBlocco(), c.modo);
        }
    }
    EXPECT_EQ(contaBlocchi(), 0);
    EXPECT_TRUE(mario.ui.messages.isEmpty());

    RichiestaBlocco sconosciuto;
    sconosciuto.codice = QStringLiteral("7");
    EXPECT_FALSE(mario.lock.BloccaRecord(sconosciuto));
    RichiestaBlocco senzaTipo = mario.richiesta(5, QString());
    EXPECT_FALSE(mario.lock.BloccaRecord(senzaTipo));
    EXPECT_EQ(mario.ui.messages,
              QStringList({"Blocco record senza chiave con codice non valido: \"7\"",
                           "Blocco record senza tipo: Il Doc (anno: 2026 - Num.: 5)"}));
    EXPECT_EQ(contaBlocchi(), 0);
}

struct CasoNumero {
    const char* nome;
    const char* annoAzzera;  // nullptr = not set
    int anno;
    bool usaAzzera;
    qint64 atteso;
};

class ProssimoNumeroTest : public ComLockTest, public ::testing::WithParamInterface<CasoNumero> {};

TEST_P(ProssimoNumeroTest, Numbering) {
    const CasoNumero& c = GetParam();
    for (const auto& [anno, num] : {std::pair{2001, 5}, {2001, 2}, {2002, 3}, {2003, 7}})
        db.insert("MovMagTes", {{"Anno", anno}, {"NumReg", num}});
    if (c.annoAzzera)
        db.insert("MenuParametri", {{"Chiave", "Coge.AnnoAzzera"}, {"Valore", c.annoAzzera}});
    EXPECT_EQ(mario.lock.ProssimoNumero("NumReg", "MovMagTes", c.anno, c.usaAzzera), c.atteso);
    EXPECT_TRUE(mario.ui.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Casi, ProssimoNumeroTest,
                         ::testing::Values(CasoNumero{"OgniAnno2001", nullptr, 2001, false, 6},
                                           CasoNumero{"OgniAnno2002", "2002", 2002, false, 4},
                                           CasoNumero{"AnnoVuoto", nullptr, 2010, false, 1},
                                           CasoNumero{"AzzeraNonImpostato", nullptr, 2001, true, 8},
                                           CasoNumero{"AzzeraZero", "0", 2001, true, 8},
                                           CasoNumero{"AzzeraNonNumerico", "abc", 2001, true, 8},
                                           CasoNumero{"PrimaDellAzzeramento", "2002", 2001, true,
                                                      6},
                                           CasoNumero{"AnnoDellAzzeramento", "2002", 2002, true, 8},
                                           CasoNumero{"DopoLAzzeramento", "2002", 2003, true, 8},
                                           CasoNumero{"PrimaSenzaRighe", "2001", 2000, true, 1}),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST_F(ComLockTest, NextNumberOnEmptyTableAndBadInput) {
    EXPECT_EQ(mario.lock.ProssimoNumero("NumReg", "MovMagTes", 2026, false), 1);
    EXPECT_EQ(mario.lock.ProssimoNumero("NumReg", "MovMagTes", 2026, true), 1);
    EXPECT_TRUE(mario.ui.messages.isEmpty());

    EXPECT_EQ(mario.lock.ProssimoNumero("NumReg; DROP TABLE LockGest", "MovMagTes", 2026, false),
              0);
    EXPECT_EQ(mario.lock.ProssimoNumero("NumReg", "TabellaCheNonCe", 2026, false), 0);
    ASSERT_EQ(mario.ui.messages.size(), 2);
    EXPECT_EQ(mario.ui.messages[0],
              "Numerazione: nome di campo o di tabella non valido (NumReg; DROP TABLE LockGest, "
              "MovMagTes)");
    EXPECT_TRUE(mario.ui.messages[1].startsWith(
        "Errore nella ricerca del numero libero di TabellaCheNonCe\nErr: "));
}
