#pragma once

#include <QString>
#include <stdexcept>

class QSqlError;

namespace evapre {

enum class SqlDialect;

// The suite's numbers for the database errors callers test.
namespace DbErr {
constexpr int DuplicateKey = 3022;   // a row with the same key exists
constexpr int FileNotFound = 3024;   // the file database does not exist
constexpr int WrongPassword = 3031;  // password refused
constexpr int CallFailed = 3146;     // server unreachable or call failed
constexpr int DataChanged = 3197;    // changed by another user meanwhile
constexpr int Locked = 3260;         // locked by another user
constexpr int NotADatabase = 3343;   // not a database file
constexpr int SyntaxError = 3075;    // malformed SQL
constexpr int NotUpdatable = 3027;   // the selection cannot be saved
constexpr int NoCurrentRow = 3021;   // no current row
constexpr int UnknownColumn = 3265;  // column not in the selection
}  // namespace DbErr

// A failed database call: the suite's number (or the native one), the native text and the
// SQL that failed.
class DbError : public std::runtime_error {
  public:
    DbError(int number, const QString& text, const QString& sql = {});

    int number() const { return mNumber; }
    const QString& text() const { return mText; }
    const QString& sql() const { return mSql; }

    // "Err: <n> <text>", the form the message window and the error log show.
    QString describe() const;

    static DbError fromSql(const QSqlError& error, const QString& sql);

  private:
    int mNumber;
    QString mText;
    QString mSql;
};

}  // namespace evapre
