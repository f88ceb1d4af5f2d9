#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "SqlShape.h"

struct pg_conn;
struct pg_result;

namespace evapre {

struct RowSetLayout;

// The prepared statements of a native PostgreSQL connection, run through libpq on the handle
// of Qt's driver. A statement the program builds differs from the last one of its shape only
// by its values: the server parses and plans the shape once, and each run sends the values
// alone. Each value keeps the type its literal had in the text (a quoted text has none until
// its place gives one, a whole number is an integer, a decimal number a numeric, DATE '…' a
// date), so a prepared statement means what the text meant. Rows come out as Qt's driver gives
// them, so callers see no difference.
class PostgresStatements {
  public:
    using Oid = unsigned int;
    struct Prepared {
        QByteArray name;
        std::vector<Oid> types;
        // For each parameter, the literal it takes (index into the statement's literals).
        std::vector<int> literalOf;
        std::shared_ptr<const RowSetLayout> layout;
        std::vector<QByteArray> layoutNames;
    };
    struct Column {
        QString name;
        QString table;
    };
    using FullText = std::function<QString()>;

    explicit PostgresStatements(pg_conn* handle) : mHandle(handle) {}
    ~PostgresStatements();
    PostgresStatements(const PostgresStatements&) = delete;
    PostgresStatements& operator=(const PostgresStatements&) = delete;

    // The kept statement of a translated shape with these literals, or nullptr when the shape
    // has no prepared form (the caller then runs the text through Qt, which reports any error).
    Prepared* prepare(const SqlShape::Translated& shape, const QStringList& literals);

    // A statement the caller wrote with $1 … $n, its values given as the formatter's literals
    // in that order: the first `assigned` values (those of an INSERT, or of a SET) take the type
    // of their column, the others the type their literal has. nullptr when a value has no plain
    // form (an escaped text) or the statement is met for the first time.
    Prepared* prepareWritten(const QString& text, const QStringList& literals, qsizetype assigned);

    // Many rows written by one statement whatever their number: each column's values go as one
    // array parameter of the column's own type ($1 … $n in the order of `columns`). The array
    // types of the columns of a table (empty when a column is not found), read once per table.
    std::vector<Oid> arrayTypes(const QString& table, const QStringList& columns);
    // The kept statement of a text whose parameters have these types, as prepareWritten.
    Prepared* prepareTyped(const QString& text, const std::vector<Oid>& types);
    // The array parameters of the first `count` columns of the rows: false when a value has
    // no plain form (see SqlAppendParamText).
    static bool arrayParams(const QList<QVariantList>& rows, qsizetype count,
                            std::vector<QByteArray>* params);

    // One statement of a round trip: a prepared one with its literals, or one without values
    // (a savepoint, BEGIN, COMMIT).
    struct Step {
        Prepared* prepared = nullptr;
        QStringList literals = {};
        QByteArray plain = {};
        FullText fullText = {};  // the statement with its values, for a message
        bool write = false;      // a write or one of the savepoints around it
        // The values as they are sent, in place of the literals (a null one is a Null).
        std::vector<QByteArray> params = {};
        bool keepResult = false;  // a query read ahead: its result is handed back
        // A write without a savepoint of its own: its failure fails the transaction.
        bool unguarded = false;
        static Step Plain(const char* sql, bool write = false) {
            return {.plain = QByteArray(sql), .write = write};
        }
    };

    // Sends the steps in one round trip and returns the result of step `main` (nullptr when
    // main is -1); the caller clears it, and those of the steps that keep theirs, appended to
    // `kept` in their order. When a step fails, those after it are not run and its error is
    // thrown once every result has been read (nothing is then kept).
    pg_result* pipeline(const std::vector<Step>& steps, int main,
                        std::vector<pg_result*>* kept = nullptr);
    // Whether the step that failed in the last pipeline was a write under a savepoint.
    bool failedOnWrite() const { return mFailedOnWrite; }
    // The rows a change touched, from its result.
    static int rowsChanged(const pg_result* result);
    // Appends the rows of a query's result. When the statement's kept layout does not match
    // the result (its first run, or a table changed since), the columns are named into
    // `columns` and the answer is true: the caller then keeps the new layout.
    bool readRows(Prepared& prepared, const pg_result* result, std::vector<Column>* columns,
                  std::vector<QVector<QVariant>>* rows);
    static void keepLayout(Prepared& prepared, std::shared_ptr<const RowSetLayout> layout);

  private:
    struct Values {
        std::vector<QByteArray> texts;
        std::vector<const char*> pointers;
    };
    Values valuesOf(const Step& step) const;
    bool prepareOnServer(const QByteArray& name, const QByteArray& text,
                         const std::vector<Oid>& types);
    // The kept statement of a key (nullptr for one that does not prepare); for a key not
    // kept, nullptr and whether to prepare it now (the second time it is met).
    Prepared* kept(const QString& key, bool* prepareNow);
    Prepared* keep(const QString& key, std::unique_ptr<Prepared> prepared, const QString& text);
    static bool layoutCurrent(const Prepared& prepared, const pg_result* result);
    QString tableName(Oid table);
    [[noreturn]] void fail(pg_result* result, const FullText& fullText);
    void send(const Step& step, std::vector<Values>& kept);

    pg_conn* mHandle;
    std::unordered_map<QString, std::unique_ptr<Prepared>> mPrepared;
    QHash<Oid, QString> mTableNames;
    QHash<QString, QHash<QString, Oid>> mArrayTypes;  // by table, then column (folded names)
    QSet<size_t> mSeenOnce;  // hashes of the keys: a long statement is not kept twice
    int mNextName = 0;
    bool mFailedOnWrite = false;
};

}  // namespace evapre
