#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <functional>

#include "Currency.h"
#include "DbError.h"
#include "RowSet.h"
#include "SchemaManager.h"
#include "TestDb.h"
#include "VeltDbasedll.h"

using namespace evapre;
using evapre::test::TestDb;

namespace {

int errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const DbError& e) {
        return e.number();
    }
    return 0;
}

class RowSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.db().executePortable(
            "CREATE TABLE Prova (Codice TEXT, Riga INTEGER, Descr TEXT, Importo NUMERIC(19,4), "
            "DataDoc DATE, PRIMARY KEY (Codice, Riga))");
        db.db().executePortable("CREATE TABLE Altra (Codice TEXT PRIMARY KEY, Descr TEXT)");
    }
    DbConnection& c() { return db.db(); }
    TestDb db{false};
};

}  // namespace

TEST_F(RowSetTest, AddEditSaveDeleteRoundTrip) {
    {
        auto rows = c().openRowSet("SELECT * FROM Prova WHERE 1=0");
        rows->addNew();
        rows->set("Codice", QStringLiteral("A'1\\"));
        rows->set("Riga", 1);
        rows->set("Descr", QVariant());
        rows->set("Importo", QVariant::fromValue(*Currency::parse(u"-1234.5678")));
        rows->set("DataDoc", QDate(2026, 2, 28));
        rows->save();
        rows->addNew();
        rows->set("Codice", QStringLiteral("B"));
        rows->set("Riga", 2);
        rows->set("Descr", QStringLiteral("perché più"));
        rows->set("Importo", QVariant::fromValue(*Currency::parse(u"0.0001")));
        rows->save();
    }
    auto rows = c().openRowSet("SELECT * FROM Prova ORDER BY Codice");
    ASSERT_FALSE(rows->eof());
    EXPECT_EQ(rows->text("Codice"), QStringLiteral("A'1\\"));
    EXPECT_TRUE(rows->isNull("Descr"));
    EXPECT_EQ(rows->amount("Importo").raw(), -12345678);
    EXPECT_EQ(rows->date("DataDoc"), QDate(2026, 2, 28));
    rows->edit();
    rows->set("Descr", QStringLiteral("cambiata"));
    rows->set("Importo", QVariant::fromValue(Currency::fromRaw(99999999)));
    rows->save();
    EXPECT_EQ(rows->text("Descr"), QStringLiteral("cambiata"));
    rows->moveNext();
    EXPECT_EQ(rows->text("Descr"), QStringLiteral("perché più"));
    EXPECT_EQ(rows->amount("Importo").raw(), 1);
    rows->remove();
    rows->moveNext();
    EXPECT_TRUE(rows->eof());

    auto after = c().openRowSet("SELECT Codice, Descr, Importo FROM Prova");
    ASSERT_FALSE(after->eof());
    EXPECT_EQ(after->text("Descr"), QStringLiteral("cambiata"));
    EXPECT_EQ(after->amount("Importo").raw(), 99999999);
    after->moveNext();
    EXPECT_TRUE(after->eof());
}

TEST_F(RowSetTest, DuplicateKeyIs3022AndTheTransactionGoesOn) {
    c().execute("INSERT INTO Prova (Codice, Riga) VALUES ('X', 1)");
    DbTransaction transaction(c());
    EXPECT_EQ(
        errorNumberOf([&] { c().execute("INSERT INTO Prova (Codice, Riga) VALUES ('X', 1)"); }),
        3022);
    auto rows = c().openRowSet("SELECT * FROM Prova WHERE 1=0");
    rows->addNew();
    rows->set("Codice", "X");
    rows->set("Riga", 1);
    EXPECT_EQ(errorNumberOf([&] { rows->save(); }), 3022);
    c().execute("INSERT INTO Prova (Codice, Riga) VALUES ('Y', 1)");
    transaction.commit();
    EXPECT_EQ(c().scalar("SELECT COUNT(*) FROM Prova").toInt(), 2);
}

TEST_F(RowSetTest, RollbackLeavesNothing) {
    {
        DbTransaction transaction(c());
        c().execute("INSERT INTO Prova (Codice, Riga) VALUES ('X', 1)");
    }
    EXPECT_EQ(c().scalar("SELECT COUNT(*) FROM Prova").toInt(), 0);
}

TEST_F(RowSetTest, QualifiedColumnsAfterAJoin) {
    c().execute("INSERT INTO Prova (Codice, Riga, Descr) VALUES ('K', 1, 'riga')");
    c().execute("INSERT INTO Altra (Codice, Descr) VALUES ('K', 'testata')");
    auto rows = c().openRowSet(
        "SELECT Prova.*, Altra.* FROM Prova INNER JOIN Altra ON Prova.Codice = Altra.Codice");
    ASSERT_FALSE(rows->eof());
    EXPECT_EQ(rows->text("Prova.Descr"), QStringLiteral("riga"));
    EXPECT_EQ(rows->text("Altra.Descr"), QStringLiteral("testata"));
    EXPECT_EQ(rows->text("Riga"), QStringLiteral("1"));
    EXPECT_EQ(errorNumberOf([&] { rows->edit(); }), 3027);
}

TEST_F(RowSetTest, StreamingReadsEveryRowWhileTheConnectionWrites) {
    for (int i = 1; i <= 50; ++i)
        c().execute(QStringLiteral("INSERT INTO Prova (Codice, Riga, Importo) VALUES ('S', %1, %1)")
                        .arg(i));
    auto rows = c().openRowSet("SELECT * FROM Prova ORDER BY Riga", RowSetMode::Streaming);
    int seen = 0;
    for (; !rows->eof(); rows->moveNext()) {
        ++seen;
        c().execute(QStringLiteral("UPDATE Altra SET Descr = 'x' WHERE Codice = 'none'"));
    }
    EXPECT_EQ(seen, 50);
}

TEST_F(RowSetTest, MisuseGivesNumberedErrors) {
    const struct {
        const char* what;
        int number;
        std::function<void(DbConnection&)> call;
    } cases[] = {
        {"malformed SQL", 3075, [](DbConnection& d) { d.openRowSet("SELEC * FROM Prova"); }},
        {"unknown table", 0, [](DbConnection& d) { d.openRowSet("SELECT * FROM Nessuna"); }},
        {"unknown column", 3265,
         [](DbConnection& d) { d.openRowSet("SELECT * FROM Prova")->value("Manca"); }},
        {"read at end", 3021,
         [](DbConnection& d) { d.openRowSet("SELECT * FROM Prova")->value("Codice"); }},
        {"save without edit", 3027,
         [](DbConnection& d) {
             auto r = d.openRowSet("SELECT * FROM Prova");
             r->save();
         }},
    };
    for (const auto& c : cases) {
        const int number = errorNumberOf([&] { c.call(db.db()); });
        if (c.number)
            EXPECT_EQ(number, c.number) << c.what;
        else
            EXPECT_NE(number, 0) << c.what;
    }
    try {
        c().execute("UPDATE Prova SET Nulla = 1");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_TRUE(e.sql().contains("UPDATE Prova")) << e.sql().toStdString();
        EXPECT_FALSE(e.text().isEmpty());
    }
}

TEST(DbOpen, BadTargetsGiveNumberedErrorsAndCreateNothing) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("manca.db");
    EXPECT_EQ(errorNumberOf([&] { VeltDbasedll::instance().openConnection(missing); }), 3024);
    EXPECT_FALSE(QFile::exists(missing));

    const QString notDb = dir.filePath("testo.db");
    {
        QFile f(notDb);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("questo non è un database, solo testo qualunque").repeated(40));
    }
    const QByteArray before = [&] {
        QFile f(notDb);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_EQ(errorNumberOf([&] { VeltDbasedll::instance().openConnection(notDb); }), 3343);
    QFile f(notDb);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_FALSE(QFile::exists(notDb + "-wal"));

    EXPECT_EQ(errorNumberOf([&] {
                  VeltDbasedll::instance().openConnection(
                      "postgresql://postgres@127.0.0.1:1/nessuno?connect_timeout=3");
              }),
              3146);
    VeltDbasedll::instance().reset();
}

TEST(DbOpen, WrongServerPasswordIs3031) {
    const QString user = qEnvironmentVariable("EVAPRE_TEST_PG_PWD_USER");
    if (!TestDb::onPostgres() || user.isEmpty())
        GTEST_SKIP() << "serve un server PostgreSQL con un utente a password";
    QUrl url(qEnvironmentVariable("EVAPRE_TEST_PG"));
    url.setUserName(user);
    url.setPassword("sbagliata");
    EXPECT_EQ(errorNumberOf([&] { VeltDbasedll::instance().openConnection(url.toString()); }),
              3031);
    VeltDbasedll::instance().reset();
}

TEST(DbOpen, OdbcDataSourceReachesTheServer) {
    const QString dsn = qEnvironmentVariable("EVAPRE_TEST_ODBC_DSN");
    if (dsn.isEmpty())
        GTEST_SKIP() << "nessuna sorgente ODBC di prova";
    auto& component = VeltDbasedll::instance();
    component.setSetting("DbSqlPubUID", "postgres");
    const int id = component.openConnection(dsn);
    EXPECT_TRUE(component.isSqlServer(id));
    auto rows = component.connection(id).openRowSet("SELECT 'ciao' & ' mondo' AS Saluto, 42 AS N");
    ASSERT_FALSE(rows->eof());
    EXPECT_EQ(rows->text("Saluto"), QStringLiteral("ciao mondo"));
    EXPECT_EQ(rows->integer("N"), 42);
    component.setIsolationReadUncommitted(id);
    component.setIsolationReadCommitted(id);
    // The same source through a full connect string.
    const int full = component.openConnection("ODBC;DSN=" + dsn + ";UID=postgres");
    EXPECT_EQ(component.connection(full).scalar("SELECT 7").toInt(), 7);
    component.reset();
}

TEST(DbSettings, ByNameAndPerConnection) {
    TestDb db(false);
    auto& component = VeltDbasedll::instance();
    component.setSetting("DbAccPWD", "pw");
    EXPECT_EQ(component.setting("dbaccpwd").toString(), QStringLiteral("pw"));
    EXPECT_EQ(component.setting(VeltDbasedll::sqlTypeSettingName(db.id())).toBool(),
              TestDb::onPostgres());
    // A file database ignores the isolation statements; a server accepts them.
    component.setIsolationReadUncommitted(db.id());
    component.setIsolationReadCommitted(db.id());
}

TEST(Schema, InstallTwiceChangesNothing) {
    TestDb db;
    if (SchemaManager::latestVersion() == 0)
        GTEST_SKIP() << "nessuno script dello schema";
    EXPECT_EQ(SchemaManager::currentVersion(db.db()), SchemaManager::latestVersion());
    db.insert("MenuParametri", {{"Chiave", "Ditta.Moneta"}, {"Valore", "EUR"}});
    EXPECT_EQ(SchemaManager::upgrade(db.db()), 0);
    EXPECT_EQ(
        db.db().scalar("SELECT Valore FROM MenuParametri WHERE Chiave = 'Ditta.Moneta'").toString(),
        QStringLiteral("EUR"));
}

TEST(LockObject, EndOfUseRemovesOnlyOwnMarks) {
    TestDb db;
    auto& component = VeltDbasedll::instance();
    const int lockId = db.openAnother();
    component.setLockConnection(lockId);
    LockObject& locks = component.lockObject();
    locks.insertMark({"P", 2026, 1, "mario", "5", "P", "", "", 0, 0});
    locks.insertMark({"P", 2026, 2, "mario", "5", "P", "", "", 0, 0});
    db.insert("LockGest", {{"Tipo", "P"}, {"Anno", 2026}, {"NumReg", 3}, {"Utente", "luigi"}});
    EXPECT_EQ(errorNumberOf([&] {
                  locks.insertMark({"P", 2026, 3, "mario", "5", "P", "", "", 0, 0});
              }),
              3022);
    // The marks are visible at once through the work connection.
    EXPECT_EQ(db.db().scalar("SELECT COUNT(*) FROM LockGest").toInt(), 3);
    component.endLockUse();
    auto rows = db.db().openRowSet("SELECT * FROM LockGest");
    ASSERT_FALSE(rows->eof());
    EXPECT_EQ(rows->text("Utente"), QStringLiteral("luigi"));
    rows->moveNext();
    EXPECT_TRUE(rows->eof());
}

// Free marks written together on a server: a mark another user holds is left to him, a key
// given twice is written once, and the object remembers exactly what it wrote. Elsewhere
// nothing is written: the caller takes each mark on its own.
TEST(LockObject, FreeMarksWrittenTogether) {
    TestDb db;
    auto& component = VeltDbasedll::instance();
    component.setLockConnection(db.openAnother());
    LockObject& locks = component.lockObject();
    db.insert("LockGest", {{"Tipo", "P"}, {"Anno", 2026}, {"NumReg", 2}, {"Utente", "luigi"}});
    const auto segno = [](qint64 numReg) {
        return LockObject::Mark{"P", 2026, numReg, "mario", "5", "P", "", "", 0, 0};
    };
    const std::vector<bool> scritti =
        locks.insertFreeMarks({segno(1), segno(2), segno(3), segno(1)});
    const bool server = db.db().kind() == DbKind::PostgreSQL;
    EXPECT_EQ(scritti, (std::vector<bool>{server, false, server, false}));
    EXPECT_EQ(locks.heldCount(), server ? 2 : 0);
    EXPECT_EQ(db.db().scalar("SELECT Utente FROM LockGest WHERE NumReg = 2").toString(), "luigi");
    EXPECT_EQ(db.db().scalar("SELECT COUNT(*) FROM LockGest WHERE Utente = 'mario'").toInt(),
              server ? 2 : 0);
    component.endLockUse();
    EXPECT_EQ(db.db().scalar("SELECT COUNT(*) FROM LockGest").toInt(), 1);
}

TEST(LockObject, TwoProcessesRaceForOneKey) {
    TestDb db;
    const QString helper = QCoreApplication::applicationDirPath() + "/db_lock_race_helper";
    ASSERT_TRUE(QFile::exists(helper));
    QTemporaryDir dir;
    const QString go = dir.filePath("via");
    const QString end = dir.filePath("fine");
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->start(helper, {db.name(), go, end});
    for (QProcess* p : {&first, &second})
        ASSERT_TRUE(p->waitForStarted());
    QThread::msleep(300);
    QFile(go).open(QIODevice::WriteOnly);
    QStringList results;
    for (QProcess* p : {&first, &second}) {
        while (!p->canReadLine() && p->state() == QProcess::Running)
            p->waitForReadyRead(100);
        results << QString::fromUtf8(p->readLine()).trimmed();
    }
    results.sort();
    EXPECT_EQ(results, QStringList({"0", "3022"}))
        << results.join(" | ").toStdString() << first.readAllStandardError().toStdString()
        << second.readAllStandardError().toStdString();
    EXPECT_EQ(db.db().scalar("SELECT COUNT(*) FROM LockGest").toInt(), 1);

    QFile(end).open(QIODevice::WriteOnly);
    for (QProcess* p : {&first, &second})
        ASSERT_TRUE(p->waitForFinished(60000));
    EXPECT_EQ(first.exitCode() + second.exitCode(), 0);
    // The winner's mark went with its end of work; the loser never wrote one.
    EXPECT_EQ(db.db().scalar("SELECT COUNT(*) FROM LockGest").toInt(), 0);
}
