#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <thread>

#include "SqliteCheckpointer.h"

namespace evapre {
namespace {

struct Chiudi {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Connessione = std::unique_ptr<sqlite3, Chiudi>;

Connessione apri(const QString& path) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    return Connessione(db);
}

void esegui(sqlite3* db, const char* sql) {
    char* errore = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &errore), SQLITE_OK) << errore;
}

long long numero(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    long long n = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n;
}

// Commits `volte` transactions of a few pages each (rows of 3000 bytes).
void scriviTransazioni(sqlite3* db, int volte) {
    for (int i = 0; i < volte; ++i)
        esegui(db,
               "BEGIN; INSERT INTO t (dati) SELECT randomblob(3000) FROM (SELECT 1 UNION ALL "
               "SELECT 2 UNION ALL SELECT 3 UNION ALL SELECT 4); COMMIT");
}

class SqliteCheckpointerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(mDir.isValid());
        mPath = mDir.filePath(QStringLiteral("ditta.db"));
        mDb = apri(mPath);
        esegui(mDb.get(),
               "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
               "CREATE TABLE t (id INTEGER PRIMARY KEY, dati BLOB)");
    }
    qint64 logInPagine() const { return QFileInfo(mPath + QStringLiteral("-wal")).size() / 4096; }
    // Bursts of 20 commits (~100 pages) with pauses, as a run's groups of quotes come; returns
    // the largest size of the log seen, in pages.
    qint64 scriviInRaffiche(int raffiche) {
        qint64 massimo = 0;
        for (int raffica = 0; raffica < raffiche; ++raffica) {
            scriviTransazioni(mDb.get(), 20);
            massimo = std::max(massimo, logInPagine());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return massimo;
    }

    QTemporaryDir mDir;
    QString mPath;
    Connessione mDb;
};

// The log starts over once the thread has copied it: it stays near its threshold however many
// commits come, and every row is in the file after the connections close.
TEST_F(SqliteCheckpointerTest, IlLogRestaVicinoAllaSogliaEINullaSiPerde) {
    constexpr int kSoglia = 64;
    auto checkpointer = std::make_unique<SqliteCheckpointer>(mDb.get(), mPath.toUtf8(), kSoglia);
    const qint64 massimo = scriviInRaffiche(10);
    EXPECT_LT(massimo, 6 * kSoglia);
    checkpointer.reset();
    mDb.reset();
    Connessione riaperta = apri(mPath);
    EXPECT_EQ(numero(riaperta.get(), "SELECT count(*) FROM t"), 800);
    EXPECT_EQ(numero(riaperta.get(), "SELECT sum(length(dati)) FROM t"), 800LL * 3000);
    EXPECT_EQ(numero(riaperta.get(),
                     "SELECT count(*) FROM pragma_integrity_check "
                     "WHERE integrity_check <> 'ok'"),
              0);
}

// A reader on an old snapshot keeps its rows while the log grows past it; once it ends the
// log is copied and starts over again.
TEST_F(SqliteCheckpointerTest, UnLettoreApertoNonBloccaLeScrittureNeVedeLeNuove) {
    constexpr int kSoglia = 64;
    SqliteCheckpointer checkpointer(mDb.get(), mPath.toUtf8(), kSoglia);
    scriviTransazioni(mDb.get(), 10);
    Connessione lettore = apri(mPath);
    esegui(lettore.get(), "BEGIN");
    EXPECT_EQ(numero(lettore.get(), "SELECT count(*) FROM t"), 40);
    scriviTransazioni(mDb.get(), 200);
    EXPECT_EQ(numero(lettore.get(), "SELECT count(*) FROM t"), 40);
    esegui(lettore.get(), "COMMIT");
    EXPECT_EQ(numero(lettore.get(), "SELECT count(*) FROM t"), 840);
    lettore.reset();
    const qint64 conLettore = logInPagine();
    scriviInRaffiche(10);
    EXPECT_GT(conLettore, 6 * kSoglia);
    // Started over after the first commit that found it free: the 1000 pages written since
    // went from its beginning again.
    EXPECT_LE(logInPagine(), conLettore + 10);
    EXPECT_EQ(numero(mDb.get(), "SELECT count(*) FROM t"), 1640);
}

// Only a file in WAL mode gets one: a database in memory or with a rollback journal keeps
// the library's own way.
TEST(SqliteCheckpointerForFile, SoloPerUnFileInModalitaWal) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Caso {
        const char* nome;
        QString path;
        const char* impostazione;
        bool atteso;
    };
    const Caso casi[] = {
        {"wal", dir.filePath(QStringLiteral("a.db")), "PRAGMA journal_mode=WAL", true},
        {"delete", dir.filePath(QStringLiteral("b.db")), "PRAGMA journal_mode=DELETE", false},
        {"memoria", QStringLiteral(":memory:"), "PRAGMA journal_mode=WAL", false},
    };
    for (const Caso& caso : casi) {
        Connessione db = apri(caso.path);
        esegui(db.get(), caso.impostazione);
        EXPECT_EQ(SqliteCheckpointer::ForFile(db.get()) != nullptr, caso.atteso) << caso.nome;
    }
}

}  // namespace
}  // namespace evapre
