#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVector>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "SqlShape.h"

struct sqlite3;
struct sqlite3_stmt;

namespace evapre {

struct RowSetLayout;

// The prepared statements of a SQLite connection, run through the C API on the handle of
// Qt's driver: binding and reading there costs a fraction of QSqlQuery's bookkeeping. Values
// and errors come out as the driver gives them (integers as qint64, reals as double, text
// as QString, Null as a null QString), so callers see no difference.
class SqliteStatements {
  public:
    struct Prepared {
        sqlite3_stmt* stmt = nullptr;
        // The layout of its rows once named, with the column names it was named from.
        std::shared_ptr<const RowSetLayout> layout;
        std::vector<QByteArray> layoutNames;
        QByteArray texts;  // the bound texts in UTF-8, until the next run
    };
    struct Column {
        QString name;
        QString table;
    };

    // Settings of the library itself, taken only before its first connection opens.
    static void ConfigureLibrary();

    explicit SqliteStatements(sqlite3* handle) : mHandle(handle) {}
    sqlite3* handle() const { return mHandle; }
    ~SqliteStatements();
    SqliteStatements(const SqliteStatements&) = delete;
    SqliteStatements& operator=(const SqliteStatements&) = delete;

    // The kept statement of a text, or nullptr when it does not prepare (the caller then
    // runs the text through Qt, which reports the error).
    Prepared* prepare(const QString& text);
    // The same for a translated shape: found by its address, without hashing its text again.
    Prepared* prepare(const std::shared_ptr<const SqlShape::Translated>& shape);
    void clear();

    // Runs a statement to its end and returns the rows it changed (as QSqlQuery does).
    // fullText gives the statement with its values, for an error message.
    using FullText = std::function<QString()>;
    int execute(Prepared& prepared, const QVariantList& values, const FullText& fullText);
    // The same with the values of a row bound as the formatter binds them (SqlBindTo), none
    // built on the way; false, with nothing run, when one has no plain bound form.
    bool executeRow(Prepared& prepared, const QVariantList& row, const FullText& fullText);
    // Runs a query: its columns (when asked for), then every row.
    void query(Prepared& prepared, const QVariantList& values, const FullText& fullText,
               std::vector<Column>* columns, std::vector<QVector<QVariant>>* rows);
    // True when the kept layout of a statement still matches its columns.
    static bool layoutCurrent(const Prepared& prepared);
    static void keepLayout(Prepared& prepared, std::shared_ptr<const RowSetLayout> layout);

  private:
    void bind(Prepared& prepared, const QVariantList& values, const FullText& fullText);
    [[noreturn]] void fail(sqlite3_stmt* stmt, int rc, const QString& description,
                           const FullText& fullText);

    sqlite3* mHandle;
    std::unordered_map<QString, std::unique_ptr<Prepared>> mPrepared;
    // A shape kept alive with its statement, so that its address is not taken by another.
    struct ByShape {
        std::shared_ptr<const SqlShape::Translated> shape;
        Prepared* prepared;
    };
    std::unordered_map<const SqlShape::Translated*, ByShape> mByShape;
};

}  // namespace evapre
