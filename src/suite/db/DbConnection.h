#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "DbKind.h"
#include "PostgresStatements.h"
#include "SqlDialect.h"
#include "SqlShape.h"
#include "SqlValue.h"
#include "SqliteStatements.h"

namespace evapre {

class PostgresStatements;
class SqliteCheckpointer;
class RowSet;
struct RowSetLayout;

// How a row set reads its rows: Buffered takes a snapshot at open (safe while the same
// tables are changed through the connection); Streaming reads row by row (big read-only scans).
enum class RowSetMode { Buffered, Streaming };

// When a write inside a transaction reaches a server: at once, or with the next statement
// (WithNext: the caller does not need the count of rows changed, and takes a failure from
// the next statement or the commit; on a server the transaction can then only be rolled
// back, as every caller does).
enum class Send { Now, WithNext };

struct OpenOptions {
    bool createIfMissing = false;  // only init-db and demo-db create a SQLite file
    QString user;                  // server login when the name does not carry one
    QString password;
};

// One open company database connection. Every SQL text passes the Jet translation first,
// every value goes through the connection's formatter, and every failure is a DbError.
class DbConnection {
  public:
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Opens name (see DbKindFromName) with an optional ODBC connect suffix.
    static std::unique_ptr<DbConnection> open(const QString& name, const QString& connect,
                                              const OpenOptions& options);

    DbKind kind() const { return mKind; }
    SqlDialect dialect() const { return mDialect; }
    const QString& name() const { return mName; }
    bool isServer() const { return IsServerKind(mKind); }

    // The literal of a value in this connection's syntax.
    QString sql(const QVariant& value, SqlKind kind = SqlKind::Auto) const;

    // Runs a statement (Jet fragments allowed) and returns the rows it touched.
    int execute(const QString& sql);
    void execute(const QString& sql, Send when);
    // Runs a statement already in portable syntax, skipping the translation (bulk generators).
    int executePortable(const QString& sql);
    // Inserts one row: column names with their values, each through the formatter.
    void insertRow(const QString& table, const QList<QPair<QString, QVariant>>& values,
                   Send when = Send::Now);
    // Inserts many rows of the same columns with as few statements as possible: on a native
    // server one statement taking each column's values as an array, all rows or none.
    void insertRows(const QString& table, const QStringList& columns,
                    const QList<QVariantList>& rows, Send when = Send::Now);
    // Updates many rows of one table, each found by its key: a row holds the values of the
    // set columns then those of the key columns. SQLite runs one prepared UPDATE per row with
    // its values bound; a native server one statement joining the rows given as arrays (rows
    // whose keys repeat go one by one); another server one statement of CASE expressions.
    void updateRows(const QString& table, const QStringList& setColumns,
                    const QStringList& keyColumns, const QList<QVariantList>& rows,
                    Send when = Send::Now);
    // Runs a statement and ignores any error (the isolation-level statements).
    void executeIgnoringErrors(const QString& sql);

    std::unique_ptr<RowSet> openRowSet(const QString& sql, RowSetMode mode = RowSetMode::Buffered);
    // Inside a transaction on a native server: sends the query with the next statement and
    // keeps its rows for the first openRowSet of the same text, which then takes no round
    // trip of its own (asked for before it went, it goes then, with the statements waiting
    // before it). The caller's promise: nothing it writes meanwhile changes what the
    // query reads. Unused rows go at the end of the transaction; elsewhere it does nothing.
    void readAhead(const QString& sql);

    // Reads the first column of the first row, or a null value when there is no row.
    QVariant scalar(const QString& sql);

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return mInTransaction; }

    // Primary-key columns of a table, as the database names them (cached).
    QStringList primaryKey(const QString& table);
    bool tableExists(const QString& table);
    // The columns of a table (none when it does not exist); PostgreSQL's folded names handled.
    QSqlRecord tableRecord(const QString& table) const;

    QSqlDatabase database() const;

    // Column layouts of the queries run on this connection (see RowSetLayout).
    std::shared_ptr<const RowSetLayout> rowSetLayout(const QString& key) const;
    void keepRowSetLayout(const QString& key, std::shared_ptr<const RowSetLayout> layout);

  private:
    DbConnection(DbKind kind, const QString& name, const QString& qtName);
    friend class RowSet;

    // A statement ready to run: its portable text, or a shape with "?" for each value and the
    // values to bind (prepared once per shape and kept; on PostgreSQL the literals are bound,
    // each with the type it has in the text).
    struct Statement {
        QString text;
        QVariantList values;
        bool bound = false;
        std::shared_ptr<const SqlShape::Translated> shape;  // for the full text of a message
        QStringList literals;
        QString fullText() const;
    };
    Statement statement(const QString& sql, bool jet, bool bindable = true);
    std::shared_ptr<const SqlShape::Translated> translatedShape(const SqlShape& shape, bool jet);
    // The kept prepared statement of a bound statement's text, or nullptr when it cannot be
    // prepared (the statement then runs as text and reports its own error).
    SqliteStatements::Prepared* prepared(const QString& text);
    SqliteStatements::Prepared* prepared(const Statement& statement);
    // The same on a native PostgreSQL connection.
    PostgresStatements::Prepared* preparedOnServer(const Statement& statement);
    int runPreparedOnServer(PostgresStatements::Prepared& prepared, const Statement& statement,
                            bool write, Send when);
    bool queryOnServer(PostgresStatements::Prepared& prepared, const Statement& statement,
                       std::vector<PostgresStatements::Column>* columns,
                       std::vector<QVector<QVariant>>* rows);
    // The writes and the BEGIN waiting for the next statement, sent on their own.
    void flushPending();
    // Sends what waits and then `steps` in one round trip; the result of steps[main].
    pg_result* sendToServer(std::vector<PostgresStatements::Step> steps, int main);
    void addWriteSteps(std::vector<PostgresStatements::Step>& steps,
                       std::vector<PostgresStatements::Step> writes, bool guarded);
    std::vector<const char*> renewGuard();
    // Sends writes as one (or leaves them for the next statement); the rows the first changed.
    int sendWrites(std::vector<PostgresStatements::Step> writes, Send when);
    // On a native server: rows written by one statement of $1 … $n each (`placeholders`, the
    // same for every row; the first `assigned` values take their column's type), sent in one
    // round trip as one write, all or none. False, with nothing sent, when a row cannot go
    // that way (the caller then writes the rows as text).
    bool writeRowsOnServer(const QString& placeholders, const QList<QStringList>& literalRows,
                           qsizetype assigned,
                           const std::function<QString(const QStringList&)>& withLiterals,
                           Send when);
    // On a native server: the rows written by one statement that takes each column's values as
    // an array of the column's type, sent as one write. False, with nothing sent, when that
    // cannot be (a column not found, a value with no plain form, the statement met first).
    // `head` is "INSERT INTO t (a,b) VALUES " and `rowText` the text of a row's update from its
    // literals, for the message of a failure.
    bool insertArraysOnServer(const QString& table, const QStringList& columns, const QString& head,
                              const QList<QVariantList>& rows, Send when);
    bool updateArraysOnServer(const QString& table, const QStringList& setColumns,
                              const QStringList& keyColumns, const QList<QVariantList>& rows,
                              const std::function<QString(const QStringList&)>& rowText, Send when);
    // A statement of array parameters (those of the rows' columns, then the scalars), kept
    // with its prepared form once it has one.
    struct ArrayWrite {
        QString text;
        PostgresStatements::Prepared* prepared = nullptr;
    };
    bool writeArraysOnServer(ArrayWrite& write, const QString& table, const QStringList& columns,
                             const QList<QVariantList>& rows, std::vector<QByteArray> scalars,
                             PostgresStatements::FullText fullText, Send when);
    void insertRowsBound(const QString& table, const QStringList& columns,
                         const QList<QVariantList>& rows);
    // The texts of a bound single-row insert, built once per table and column list.
    struct BoundInsert {
        QString table;
        QStringList columns;
        QString head;          // "INSERT INTO t (a,b) VALUES ("
        QString placeholders;  // head + "?,?)"
        ArrayWrite arrays;     // "INSERT INTO t (a,b) SELECT * FROM unnest($1,$2)"
    };
    BoundInsert& boundInsert(const QString& table, const QStringList& columns);
    // Runs a statement of "?" placeholders once per row of values, bound as their literals
    // mean; a row holding a value with no plain bound form runs with its literals.
    void runBoundRows(const QString& withPlaceholders,
                      const std::function<QString(const QStringList& literals)>& withLiterals,
                      const QList<QVariantList>& rows);

    void configureSqlite();
    int run(const QString& portableSql, bool write);
    int runAfterSavepoint(const QString& portableSql);
    void noteSavepointCommand(const QString& sql);
    int run(const Statement& statement, bool write, Send when = Send::Now);
    void runOnce(const QString& portableSql, QString* failure);

    DbKind mKind;
    SqlDialect mDialect;
    QString mName;
    QString mQtName;
    bool mInTransaction = false;
    bool mStatementSavepoint = false;  // see runAfterSavepoint
    QHash<QString, QStringList> mPrimaryKeys;
    mutable QHash<QString, QSqlRecord> mTableRecords;
    QHash<QString, std::shared_ptr<const RowSetLayout>> mLayouts;
    QHash<size_t, BoundInsert> mBoundInserts;  // by the hash of table and columns
    // The array updates, by the hash of table, columns and leading keys given as scalars.
    struct BoundUpdate {
        QString table;
        QStringList setColumns, keyColumns;
        qsizetype shared = 0;
        ArrayWrite write;
    };
    QHash<size_t, BoundUpdate> mBoundUpdates;
    // Portable shapes [0] and Jet shapes [1], each by its text.
    QHash<QString, std::shared_ptr<const SqlShape::Translated>> mTranslatedShapes[2];
    std::unique_ptr<SqliteStatements> mSqlite;          // SQLite only, on the driver's handle
    std::unique_ptr<SqliteCheckpointer> mCheckpointer;  // SQLite file in WAL mode only
    std::unique_ptr<PostgresStatements> mPostgres;      // native PostgreSQL only, likewise
    std::vector<PostgresStatements::Step> mPending;     // sent ahead of the next statement
    bool mBeginPending = false;                         // the transaction is not on the server yet
    // Native transactions: the statement savepoint exists, and no write came after it.
    bool mSavepointTaken = false;
    bool mGuardFresh = false;
    struct ReadAhead {
        PostgresStatements::Prepared* prepared;
        QStringList literals;
        bool sent;
        pg_result* result;  // once sent; owned until taken
    };
    std::vector<ReadAhead> mReadAheads;
    void dropReadAheads(bool sentToo);
};

// Many small writes that would each commit on their own (the marks of a run) committed
// together where the database is one file: SQLite writes and syncs its journal once per
// commit, and its writers take turns anyway. On a server each write keeps its own commit, so
// that two programs taking marks in different orders never wait on each other.
// Call flush() before waiting on the user, so that nobody waits on the batch meanwhile.
class DbWriteBatch {
  public:
    explicit DbWriteBatch(DbConnection& connection, int rowsPerCommit = 500);
    ~DbWriteBatch();
    DbWriteBatch(const DbWriteBatch&) = delete;
    DbWriteBatch& operator=(const DbWriteBatch&) = delete;
    // Before each write: opens the batch, or commits a full one and opens the next.
    void beforeWrite();
    // Commits what was written so far.
    void flush();
    // Whether the next beforeWrite() would commit the batch first.
    bool full() const { return mOpen && mPending >= mRowsPerCommit; }

  private:
    DbConnection& mConnection;
    int mRowsPerCommit;
    int mPending = 0;
    bool mOpen = false;
};

// Rolls back on scope exit unless committed. Inside a transaction already open (a batch of
// them, see DbWriteBatch) it is a savepoint: its commit keeps its writes for the outer
// commit, its rollback undoes only them.
class DbTransaction {
  public:
    explicit DbTransaction(DbConnection& connection);
    ~DbTransaction();
    void commit();

  private:
    DbConnection& mConnection;
    bool mNested = false;
    bool mDone = false;
};

}  // namespace evapre
