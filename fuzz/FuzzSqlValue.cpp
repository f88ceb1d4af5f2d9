// The SQL value formatter against injection: any text, made a literal, must come back from
// a real SQLite query (in memory, through Qt) exactly as it went in (NUL characters
// stripped), and the PostgreSQL literal must un-quote to the same text under both settings
// of standard_conforming_strings. Kinds Number and Date either refuse or give a literal
// that reads back as the converted value.
#include "Currency.h"
#include "DateConv.h"
#include "NumberConv.h"
#include "SqlValue.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace evapre;

namespace {

QSqlDatabase& db() {
    static QSqlDatabase d = [] {
        QSqlDatabase x =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz"));
        x.setDatabaseName(QStringLiteral(":memory:"));
        if (!x.open()) {
            std::fprintf(stderr, "SQLite non disponibile\n");
            std::abort();
        }
        return x;
    }();
    return d;
}

[[noreturn]] void fail(const char* what, const QString& literal) {
    std::fprintf(stderr, "%s: %s\n", what, literal.toUtf8().constData());
    std::abort();
}

QVariant selectOne(const QString& expression) {
    QSqlQuery q(db());
    if (!q.exec(QStringLiteral("SELECT ") + expression) || !q.next())
        fail("SELECT fallita", expression + QStringLiteral(" → ") + q.lastError().text());
    return q.value(0);
}

// PostgreSQL literal → text: '...' with '' for a quote, or E'...' with \\ and ''.
std::optional<QString> unquotePg(const QString& lit) {
    qsizetype i = 0;
    bool escape = false;
    if (lit.startsWith(QStringLiteral("E'"))) {
        escape = true;
        i = 2;
    } else if (lit.startsWith(u'\'')) {
        i = 1;
    } else {
        return std::nullopt;
    }
    QString out;
    const qsizetype n = lit.size();
    for (; i < n; ++i) {
        const QChar c = lit.at(i);
        if (c == u'\'') {
            if (i + 1 < n && lit.at(i + 1) == u'\'') {
                out += u'\'';
                ++i;
                continue;
            }
            return i == n - 1 ? std::optional<QString>(out) : std::nullopt;
        }
        if (c == u'\\') {
            if (!escape)
                out += c;  // standard_conforming_strings on: literal...
            else if (i + 1 < n && lit.at(i + 1) == u'\\') {
                out += c;
                ++i;
            } else {
                return std::nullopt;  // ...and a lone backslash never appears in E''
            }
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    (void)db();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString expected = input;
    expected.remove(QChar(0));

    // Text: the real database gives it back.
    const QString lite = SqlValue(SqlDialect::SQLite, input);
    const QVariant back = selectOne(lite);
    if (back.isNull() || back.toString() != expected)
        fail("testo SQLite diverso", lite);
    if (selectOne(lite + QStringLiteral(" = ") +
                  SqlValue(SqlDialect::SQLite, QVariant(input), SqlKind::Text))
            .toInt() != 1)
        fail("confronto SQLite", lite);

    // A text is its own prefix, literally.
    const QString like = SqlLikePrefix(SqlDialect::SQLite, input);
    if (selectOne(lite + u' ' + like).toInt() != 1)
        fail("LIKE prefisso", like);
    if (selectOne(SqlValue(SqlDialect::SQLite, input + QStringLiteral("zz")) + u' ' + like)
            .toInt() != 1)
        fail("LIKE prefisso + coda", like);

    // PostgreSQL: un-quoted by the rules of both settings.
    const QString pg = SqlValue(SqlDialect::PostgreSQL, input);
    const auto pgText = unquotePg(pg);
    if (!pgText || *pgText != expected)
        fail("testo PostgreSQL", pg);
    if (!pg.startsWith(QStringLiteral("E'")) && expected.contains(u'\\'))
        fail("backslash senza E''", pg);

    // Number kind: refused, or a number that reads back.
    try {
        const QString num = SqlValue(SqlDialect::SQLite, QVariant(input), SqlKind::Number);
        const QString type = selectOne(QStringLiteral("typeof(") + num + u')').toString();
        if (type != QStringLiteral("integer") && type != QStringLiteral("real"))
            fail("numero non numerico", num);
        const Currency want = ConvertiNumero(input);
        if (want.abs() < Currency::fromInt(10000000000LL) &&
            Currency::fromVariant(selectOne(num)) != want)
            fail("numero diverso", num);
        if (SqlValue(SqlDialect::PostgreSQL, QVariant(input), SqlKind::Number) != num)
            fail("numero diverso tra dialetti", num);
    } catch (const SqlValueError&) {
        if (!ConvertiNumeroEx(input).error)
            fail("numero valido rifiutato", input);
    }

    // Date kind: NULL or the converted date.
    const QString date = SqlValue(SqlDialect::SQLite, QVariant(input), SqlKind::Date);
    const auto want = ConvertiData(input);
    const QVariant dateBack = selectOne(date);
    if (want) {
        if (dateBack.toString() != want->toString(QStringLiteral("yyyy-MM-dd")))
            fail("data diversa", date);
    } else if (!dateBack.isNull() && !ConvertiData(dateBack.toString()).has_value()) {
        fail("data non valida", date);  // a date-time text gives its date
    }
    return 0;
}
