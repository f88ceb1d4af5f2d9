#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace evapre {

// SQL text that the translator cannot read. The message is Italian and quotes the fragment.
class JetSyntaxError : public std::runtime_error {
  public:
    explicit JetSyntaxError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Rewrites SQL written with Jet (Access) syntax into text that SQLite 3 and PostgreSQL 15 both
// run with the same result:
//   a & b              COALESCE(a,'') || COALESCE(b,'')   (string and number literals bare)
//   IIf(c, x, y)       CASE WHEN c THEN x ELSE y END
//   Select top N ...   Select ... LIMIT N                 (also inside a parenthesised sub-select)
//   Like 'ab*c?'       LIKE 'ab%c_' ESCAPE '\'            (%, _ and \ of the value escaped)
//   Delete * from T    DELETE FROM T                      (also Delete T.* from T)
//   IsNull(x)          (x IS NULL)
//   LEN, left, UCase, LCase   LENGTH, SUBSTR(x,1,n), UPPER, LOWER
//   where false/true   WHERE 1=0 / WHERE 1=1
//   #12/31/2026#       '2026-12-31'
//   "text"             'text'
//   ORDER BY x [DESC]  ORDER BY x NULLS FIRST / x DESC NULLS LAST   (Jet sorts Null lowest)
// Everything else, literals and comments included, is copied unchanged; translating twice gives
// the same text as translating once. Throws JetSyntaxError on malformed input.
QString JetToPortable(const QString& jetSql);

// Builders of the same portable forms, for code that writes SQL without Jet syntax.
class JetTranslator {
  public:
    static QString Translate(const QString& jetSql) { return JetToPortable(jetSql); }

    // COALESCE(a,'') || COALESCE(b,'') ...; a single part is still made Null-safe, no part
    // gives ''.
    static QString Concat(const QStringList& parts);
    static QString IIf(const QString& condition, const QString& whenTrue, const QString& whenFalse);
    // "LIMIT n", to be appended at the end of a SELECT.
    static QString Limit(qint64 rows);
    static QString IsNull(const QString& expression);
};

}  // namespace evapre
