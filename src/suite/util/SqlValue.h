#pragma once

#include "Currency.h"
#include "SqlDialect.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>
#include <stdexcept>
#include <string>

namespace evapre {

// What a value is to become in SQL. Auto looks at the variant's type.
enum class SqlKind { Auto, Text, Date, DateTime, Number, Boolean };

// A value that cannot become a literal of the requested kind (text that is not a number
// for SqlKind::Number, a type with no literal form).
class SqlValueError : public std::invalid_argument {
  public:
    explicit SqlValueError(const QString& text)
        : std::invalid_argument(text.toUtf8().toStdString()) {}
};

// The SQL value formatter: the ONLY code of the system that turns a value into SQL text.
// The result is a complete literal, ready to be appended to a fixed fragment.
//
// Null / invalid variant → NULL (whatever the kind).
//
// Text (QString, QByteArray as UTF-8, QChar; kind Text turns any value into its text):
//   '...' with every ' doubled. Backslashes are literal on both dialects. On PostgreSQL a
//   text that contains a backslash is written as E'...' with the backslashes doubled, so
//   the literal means the same whether standard_conforming_strings is on or off.
//   NUL characters (U+0000) are STRIPPED: neither database keeps them in text.
//   Lone UTF-16 surrogates become U+FFFD. An empty text is '' (not NULL).
// Dates (QDate; kind Date): SQLite '2026-01-05', PostgreSQL DATE '2026-01-05'.
//   Kind Date with a text: converted as an Italian typed date (DateConv: "05/01/2026",
//   "5/1/26", ISO; a date-time text gives its date); blank, placeholder 01/01/100 or
//   malformed → NULL. An invalid QDate,
//   the placeholder 0100-01-01 and years outside 1..9999 → NULL.
// Date-times (QDateTime; kind DateTime): SQLite '2026-01-05 10:20:30', PostgreSQL
//   TIMESTAMP '2026-01-05 10:20:30' (seconds, no time zone, the clock time as held).
//   Kind DateTime with a QDate: midnight. With a text: "dd/mm/yyyy[ hh:mm[:ss]]" or ISO
//   "yyyy-mm-dd[ T]hh:mm[:ss]"; anything else → NULL.
// Numbers: Currency → its exact plain text ("1234.5678"); integers → digits; doubles →
//   the shortest text that reads back as the same double ("0.1", "1e+20"); NaN and
//   infinities → NULL. A NEGATIVE number is written in parentheses, "(-5)", "(-1234.56)",
//   so that a fragment ending in '-' can never turn it into a "--" comment.
//   Kind Number with a text: the Italian/plain number conversion (NumberConv), written as
//   a Currency (4 decimals); a blank text → 0; a malformed text THROWS SqlValueError
//   ("Numero non valido: ...") — never a silent 0, never NULL. Kind Number with a bool →
//   1/0; with a date → throws.
// Booleans (bool; kind Boolean): SQLite 1 / 0, PostgreSQL TRUE / FALSE. Kind Boolean with
//   a number: non-zero is true; with a text: S, SI, Y, YES, T, TRUE, V, VERO, 1, -1 → true;
//   N, NO, F, FALSE, FALSO, 0, blank → false (case-insensitive, trimmed); others throw.
// Any other variant type: kind Auto/Text use its toString() text when it has one, else
// throw SqlValueError.
QString SqlValue(SqlDialect dialect, const QVariant& value, SqlKind kind = SqlKind::Auto);

// The value a prepared statement binds in place of the literal SqlValue (kind Auto) would
// write, meaning the same to the database: text, 64-bit integer, double or Null. Empty when
// the value has no such plain form; the caller then writes the literal.
std::optional<QVariant> SqlBindValue(const QVariant& value);

// The same form handed to a sink as it is found, without building a value: false (nothing
// handed) when there is no plain form.
struct SqlBindSink {
    virtual void null() = 0;
    virtual void integer(qint64 value) = 0;
    virtual void real(double value) = 0;
    virtual void text(const QString& value) = 0;

  protected:
    ~SqlBindSink() = default;
};
bool SqlBindTo(const QVariant& value, SqlBindSink& sink);

// The text a server statement's parameter takes in place of the PostgreSQL literal SqlValue
// (kind Auto) would write, appended to out as UTF-8: the literal's value without its quotes,
// type word or parentheses ("12.5", "-3", "true", "2026-01-05", "2026-01-05 10:20:30", the
// text itself). A null value (and every value whose literal is NULL) appends nothing and sets
// *isNull. False, with nothing appended, when the value has no such plain form (a text the
// literal would clean, a type with no plain text): the caller then writes the literal.
bool SqlAppendParamText(const QVariant& value, std::string& out, bool* isNull);

// Typed forms (same rules as above).
QString SqlValue(SqlDialect dialect, const QString& text);     // text literal
QString SqlValue(SqlDialect dialect, const char* text);        // UTF-8 text literal
QString SqlValue(SqlDialect dialect, const QDate& date);       // date literal or NULL
QString SqlValue(SqlDialect dialect, const QDateTime& stamp);  // timestamp literal or NULL
QString SqlValue(SqlDialect dialect, Currency amount);
QString SqlValue(SqlDialect dialect, long long number);
QString SqlValue(SqlDialect dialect, long number);
QString SqlValue(SqlDialect dialect, int number);
QString SqlValue(SqlDialect dialect, double number);
QString SqlValue(SqlDialect dialect, bool flag);

// Jet `Like 'abc*'` as a prefix match: "LIKE 'abc%' ESCAPE '\'" where '%', '_' and '\'
// of the prefix are escaped with '\' (quotes doubled as in every text literal). On
// PostgreSQL both literals go through the text rule above, so they come out as
// E'abc%' / E'\\' when a backslash is present. Note: SQLite's LIKE ignores the case of
// ASCII letters, PostgreSQL's does not.
QString SqlLikePrefix(SqlDialect dialect, const QString& prefix);

// A Jet pattern: '*' → any run ('%'), '?' → one character ('_'), "[c]" (one character in
// brackets) → that character literally (so "[*]" matches a star); '%', '_' and '\' of the
// pattern are matched literally; '#' and other brackets are literal characters too.
// Result: "LIKE '<pattern>' ESCAPE '\'" as SqlLikePrefix.
QString SqlLikePattern(SqlDialect dialect, const QString& jetPattern);

}  // namespace evapre
