// The SQL value formatter, checked by round trips through real databases: SQLite in memory
// always, PostgreSQL when EVAPRE_TEST_PG holds a URI such as
// postgresql://postgres@127.0.0.1:55432/evapre_test.
#include "SqlValue.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using namespace evapre;

namespace {

Currency C(const char* text) {
    return Currency::parse(QString::fromUtf8(text)).value();
}

// One open connection of a dialect, closed and removed at the end.
class Db {
  public:
    // PostgreSQL through the native driver, or through ODBC (psqlODBC) when a DSN is given.
    explicit Db(SqlDialect dialect, const QString& odbcDsn = QString())
        : mDialect(dialect), mName(QUuid::createUuid().toString()) {
        if (dialect == SqlDialect::SQLite) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mName);
            db.setDatabaseName(QStringLiteral(":memory:"));
            mOpen = db.open();
            mError = db.lastError().text();
        } else if (!odbcDsn.isEmpty()) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), mName);
            db.setDatabaseName(odbcDsn);
            mOpen = db.open();
            mError = db.lastError().text();
        } else {
            const QString uri = qEnvironmentVariable("EVAPRE_TEST_PG");
            if (uri.isEmpty())
                return;
            const QUrl url(uri);
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), mName);
            db.setHostName(url.host());
            if (url.port() > 0)
                db.setPort(url.port());
            db.setUserName(url.userName());
            db.setPassword(url.password());
            QString name = url.path();
            if (name.startsWith(u'/'))
                name.remove(0, 1);
            db.setDatabaseName(name);
            mOpen = db.open();
            mError = db.lastError().text();
        }
    }
    ~Db() {
        {
            QSqlDatabase db = QSqlDatabase::database(mName, false);
            if (db.isValid())
                db.close();
        }
        QSqlDatabase::removeDatabase(mName);
    }
    bool open() const { return mOpen; }
    const QString& error() const { return mError; }
    SqlDialect dialect() const { return mDialect; }
    QSqlDatabase db() const { return QSqlDatabase::database(mName, false); }

    // Runs a statement; returns false (with the error in `err`) when it fails.
    bool exec(const QString& sql, QString* err = nullptr) {
        QSqlQuery q(db());
        if (!q.exec(sql)) {
            if (err)
                *err = q.lastError().text();
            return false;
        }
        return true;
    }
    // SELECT <expression>: the one value, or an invalid variant with `ok` false.
    QVariant select(const QString& expression, bool* ok = nullptr) {
        QSqlQuery q(db());
        q.setNumericalPrecisionPolicy(QSql::HighPrecision);
        const bool good = q.exec(QStringLiteral("SELECT ") + expression) && q.next();
        if (ok)
            *ok = good;
        if (!good) {
            ADD_FAILURE() << "SELECT " << expression.toStdString() << ": "
                          << q.lastError().text().toStdString();
            return {};
        }
        return q.value(0);
    }
    int count(const QString& sql) {
        QSqlQuery q(db());
        if (!q.exec(sql) || !q.next()) {
            ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
            return -1;
        }
        return q.value(0).toInt();
    }

  private:
    SqlDialect mDialect;
    QString mName;
    bool mOpen = false;
    QString mError;
};

QStringList trickyTexts() {
    return {
        QString(),
        QStringLiteral(" "),
        QStringLiteral("semplice"),
        QStringLiteral("l'articolo"),
        QStringLiteral("'"),
        QStringLiteral("''"),
        QStringLiteral("'''"),
        QStringLiteral("\\"),
        QStringLiteral("\\\\"),
        QStringLiteral("\\'"),
        QStringLiteral("\\''"),
        QStringLiteral("'\\"),
        QStringLiteral("C:\\Dati\\ditta.mdb"),
        QStringLiteral("fine con backslash\\"),
        QStringLiteral("\\n\\t\\0\\x41\\u0041"),
        QStringLiteral("àèéìòù €"),
        QStringLiteral("ÀÈÉÌÒÙ ß ñ ç 漢字 😀"),
        QStringLiteral("% _ * ? [a] #"),
        QStringLiteral("100%_sconto*"),
        QStringLiteral("'; DROP TABLE x; --"),
        QStringLiteral("\\'; DROP TABLE x; --"),
        QStringLiteral("' OR '1'='1"),
        QStringLiteral("' OR 1=1 --"),
        QStringLiteral("\"; DROP TABLE x; --"),
        QStringLiteral("$$; DROP TABLE x; $$"),
        QStringLiteral("$tag$ x $tag$"),
        QStringLiteral("/* commento */ --"),
        QStringLiteral("a\nb\r\nc\td"),
        QStringLiteral("E'\\''"),
        QStringLiteral("?"),
        QStringLiteral(":nome"),
        QStringLiteral("{fn NOW()}"),
        QStringLiteral("{d '2026-01-01'}"),
        QStringLiteral("\x01\x02\x1f\x7f"),
        QStringLiteral("\u00a0\u2028\u200b\ufeff"),
    };
}

void checkTexts(Db& db) {
    ASSERT_TRUE(db.exec(QStringLiteral("CREATE TABLE x (id INTEGER PRIMARY KEY, t TEXT)")));
    int id = 0;
    for (const QString& text : trickyTexts()) {
        const QString literal = SqlValue(db.dialect(), text);
        bool ok = false;
        const QVariant back = db.select(literal, &ok);
        ASSERT_TRUE(ok) << literal.toStdString();
        EXPECT_EQ(back.toString(), text) << literal.toStdString();
        EXPECT_FALSE(back.isNull()) << literal.toStdString();
        // The same literal as a stored value, and in a WHERE clause.
        ++id;
        QString err;
        ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO x (id, t) VALUES (") +
                                SqlValue(db.dialect(), id) + QStringLiteral(", ") + literal + u')',
                            &err))
            << err.toStdString();
        EXPECT_EQ(db.count(QStringLiteral("SELECT COUNT(*) FROM x WHERE t = ") + literal +
                           QStringLiteral(" AND id = ") + SqlValue(db.dialect(), id)),
                  1)
            << literal.toStdString();
        EXPECT_EQ(db.select(QStringLiteral("t FROM x WHERE id = ") + SqlValue(db.dialect(), id))
                      .toString(),
                  text);
    }
    // The table survived every injection attempt.
    EXPECT_EQ(db.count(QStringLiteral("SELECT COUNT(*) FROM x")), trickyTexts().size());
}

void checkNulAndVariants(Db& db) {
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b'") + QChar(0);
    EXPECT_EQ(db.select(SqlValue(db.dialect(), withNul)).toString(), QStringLiteral("ab'"));
    EXPECT_TRUE(db.select(SqlValue(db.dialect(), QVariant())).isNull());
    EXPECT_TRUE(
        db.select(SqlValue(db.dialect(), QVariant(QMetaType::fromType<QString>()))).isNull());
    EXPECT_EQ(db.select(SqlValue(db.dialect(), QVariant(QByteArray("by'te \xc3\xa0")))).toString(),
              QStringLiteral("by'te à"));
    EXPECT_EQ(db.select(SqlValue(db.dialect(), "char'*")).toString(), QStringLiteral("char'*"));
    EXPECT_EQ(db.select(SqlValue(db.dialect(), QVariant(QChar(u'\'')))).toString(),
              QStringLiteral("'"));
    // The level placeholder of articles without levels is a text like any other.
    EXPECT_EQ(
        db.select(SqlValue(db.dialect(), QVariant(QStringLiteral("#")), SqlKind::Text)).toString(),
        QStringLiteral("#"));
    EXPECT_EQ(db.select(SqlValue(db.dialect(), QVariant(12), SqlKind::Text)).toString(),
              QStringLiteral("12"));
}

QString isoOf(const QVariant& v) {
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return v.toString();
}

void checkDates(Db& db) {
    const SqlDialect d = db.dialect();
    for (const QDate& date : {QDate(2026, 1, 5), QDate(1999, 12, 31), QDate(2024, 2, 29),
                              QDate(1, 1, 1), QDate(9999, 12, 31), QDate(1900, 1, 1)}) {
        EXPECT_EQ(isoOf(db.select(SqlValue(d, date))), date.toString(QStringLiteral("yyyy-MM-dd")));
        EXPECT_EQ(isoOf(db.select(SqlValue(d, QVariant(date)))),
                  date.toString(QStringLiteral("yyyy-MM-dd")));
    }
    EXPECT_EQ(isoOf(db.select(SqlValue(d, QVariant(QStringLiteral("05/01/2026")), SqlKind::Date))),
              QStringLiteral("2026-01-05"));
    EXPECT_EQ(isoOf(db.select(SqlValue(d, QVariant(QStringLiteral("5/1/26")), SqlKind::Date))),
              QStringLiteral("2026-01-05"));
    EXPECT_TRUE(
        db.select(SqlValue(d, QVariant(QStringLiteral("01/01/100")), SqlKind::Date)).isNull());
    EXPECT_TRUE(db.select(SqlValue(d, QVariant(QStringLiteral("  ")), SqlKind::Date)).isNull());
    EXPECT_TRUE(
        db.select(SqlValue(d, QVariant(QStringLiteral("32/01/2026")), SqlKind::Date)).isNull());
    EXPECT_TRUE(
        db.select(SqlValue(d, QVariant(QStringLiteral("'; DROP TABLE x; --")), SqlKind::Date))
            .isNull());
    EXPECT_TRUE(db.select(SqlValue(d, QDate())).isNull());
    EXPECT_TRUE(db.select(SqlValue(d, QDate(100, 1, 1))).isNull());

    const QDateTime stamp(QDate(2026, 1, 5), QTime(10, 20, 30));
    EXPECT_EQ(isoOf(db.select(SqlValue(d, stamp))), QStringLiteral("2026-01-05 10:20:30"));
    EXPECT_EQ(isoOf(db.select(SqlValue(d, QVariant(QDate(2026, 1, 5)), SqlKind::DateTime))),
              QStringLiteral("2026-01-05 00:00:00"));
    EXPECT_EQ(isoOf(db.select(
                  SqlValue(d, QVariant(QStringLiteral("05/01/2026 7:05")), SqlKind::DateTime))),
              QStringLiteral("2026-01-05 07:05:00"));
    EXPECT_EQ(isoOf(db.select(
                  SqlValue(d, QVariant(QStringLiteral("2026-01-05T23:59:59")), SqlKind::DateTime))),
              QStringLiteral("2026-01-05 23:59:59"));
    EXPECT_TRUE(
        db.select(SqlValue(d, QVariant(QStringLiteral("05/01/2026 25:00")), SqlKind::DateTime))
            .isNull());
    EXPECT_TRUE(db.select(SqlValue(d, QDateTime())).isNull());
}

void checkNumbers(Db& db) {
    const SqlDialect d = db.dialect();
    for (const char* text :
         {"0", "1", "-1", "1234.5678", "-1234.5678", "0.0001", "-0.0001", "99999999.9999",
          "-99999999.9999", "12345678901.2345", "0.5", "1936.27"}) {
        const Currency c = C(text);
        const QVariant back = db.select(SqlValue(d, c));
        EXPECT_EQ(Currency::fromVariant(back), c) << text << " → " << back.toString().toStdString();
        EXPECT_EQ(Currency::fromVariant(db.select(SqlValue(d, QVariant::fromValue(c)))), c) << text;
    }
    // A literal is one operand whatever precedes it: never a "--" comment.
    EXPECT_EQ(Currency::fromVariant(db.select(QStringLiteral("10 -") + SqlValue(d, C("-5")))),
              C("15"));
    EXPECT_EQ(Currency::fromVariant(db.select(QStringLiteral("10 -") + SqlValue(d, -5))), C("15"));
    EXPECT_EQ(Currency::fromVariant(db.select(QStringLiteral("10 -") + SqlValue(d, -5.5))),
              C("15.5"));
    EXPECT_EQ(Currency::fromVariant(db.select(QStringLiteral("2 *") + SqlValue(d, C("-1.5")))),
              C("-3"));

    for (long long n : {0LL, 1LL, -1LL, 2147483647LL, -2147483648LL, 9007199254740993LL,
                        std::numeric_limits<long long>::max()}) {
        const QVariant back = db.select(SqlValue(d, n));
        EXPECT_EQ(back.toString(), QString::number(n)) << n;
        EXPECT_EQ(db.select(SqlValue(d, QVariant(qlonglong(n)))).toString(), QString::number(n))
            << n;
    }
    EXPECT_EQ(db.select(SqlValue(d, QVariant(42))).toInt(), 42);
    EXPECT_EQ(db.select(SqlValue(d, QVariant(-42))).toInt(), -42);
    EXPECT_EQ(db.select(SqlValue(d, QVariant(uint(42)))).toInt(), 42);

    for (double v : {0.1, -0.1, 1.0 / 3.0, 1e-7, 123456.789, -2.5, 1e20, 1.7976931348623157e308}) {
        const QVariant back = db.select(SqlValue(d, v));
        EXPECT_EQ(back.toDouble(), v) << SqlValue(d, v).toStdString();
    }
    EXPECT_TRUE(db.select(SqlValue(d, std::nan(""))).isNull());
    EXPECT_TRUE(db.select(SqlValue(d, INFINITY)).isNull());

    // Typed text as a number.
    EXPECT_EQ(Currency::fromVariant(
                  db.select(SqlValue(d, QVariant(QStringLiteral("1.234,56")), SqlKind::Number))),
              C("1234.56"));
    EXPECT_EQ(Currency::fromVariant(
                  db.select(SqlValue(d, QVariant(QStringLiteral("-0,5")), SqlKind::Number))),
              C("-0.5"));
    EXPECT_EQ(Currency::fromVariant(
                  db.select(SqlValue(d, QVariant(QStringLiteral(" ")), SqlKind::Number))),
              Currency());
    EXPECT_TRUE(db.select(SqlValue(d, QVariant(), SqlKind::Number)).isNull());
    EXPECT_THROW(SqlValue(d, QVariant(QStringLiteral("1; DROP TABLE x")), SqlKind::Number),
                 SqlValueError);
    EXPECT_THROW(SqlValue(d, QVariant(QStringLiteral("abc")), SqlKind::Number),
                 std::invalid_argument);
    EXPECT_THROW(SqlValue(d, QVariant(QDate(2026, 1, 1)), SqlKind::Number), SqlValueError);
}

void checkBooleans(Db& db) {
    const SqlDialect d = db.dialect();
    EXPECT_TRUE(db.select(SqlValue(d, true)).toBool());
    EXPECT_FALSE(db.select(SqlValue(d, false)).toBool());
    EXPECT_TRUE(db.select(SqlValue(d, QVariant(true))).toBool());
    EXPECT_TRUE(db.select(SqlValue(d, QVariant(QStringLiteral("S")), SqlKind::Boolean)).toBool());
    EXPECT_FALSE(db.select(SqlValue(d, QVariant(QStringLiteral("n")), SqlKind::Boolean)).toBool());
    EXPECT_TRUE(db.select(SqlValue(d, QVariant(-1), SqlKind::Boolean)).toBool());
    EXPECT_THROW(SqlValue(d, QVariant(QStringLiteral("forse")), SqlKind::Boolean), SqlValueError);
    EXPECT_EQ(db.count(QStringLiteral("SELECT CASE WHEN ") + SqlValue(d, true) +
                       (d == SqlDialect::SQLite ? QStringLiteral(" = 1") : QString()) +
                       QStringLiteral(" THEN 1 ELSE 0 END")),
              1);
}

void checkLike(Db& db) {
    const SqlDialect d = db.dialect();
    ASSERT_TRUE(db.exec(QStringLiteral("CREATE TABLE art (k TEXT)")));
    const QStringList rows{
        QStringLiteral("ab%cd"),  QStringLiteral("abXcd"), QStringLiteral("ab_cd"),
        QStringLiteral("ab\\cd"), QStringLiteral("ab'cd"), QStringLiteral("abcd"),
        QStringLiteral("ab*cd"),  QStringLiteral("ab?cd"), QStringLiteral("xab%"),
        QStringLiteral("àè%1"),   QStringLiteral("àèx1")};
    for (const QString& r : rows)
        ASSERT_TRUE(
            db.exec(QStringLiteral("INSERT INTO art (k) VALUES (") + SqlValue(d, r) + u')'));
    auto matches = [&](const QString& likeClause) {
        QSqlQuery q(db.db());
        QStringList out;
        if (!q.exec(QStringLiteral("SELECT k FROM art WHERE k ") + likeClause +
                    QStringLiteral(" ORDER BY k"))) {
            ADD_FAILURE() << likeClause.toStdString() << ": " << q.lastError().text().toStdString();
            return out;
        }
        while (q.next())
            out << q.value(0).toString();
        out.sort();
        return out;
    };
    auto sorted = [](QStringList l) {
        l.sort();
        return l;
    };
    EXPECT_EQ(matches(SqlLikePrefix(d, QStringLiteral("ab%"))),
              QStringList{QStringLiteral("ab%cd")});
    EXPECT_EQ(matches(SqlLikePrefix(d, QStringLiteral("ab_"))),
              QStringList{QStringLiteral("ab_cd")});
    EXPECT_EQ(matches(SqlLikePrefix(d, QStringLiteral("ab\\"))),
              QStringList{QStringLiteral("ab\\cd")});
    EXPECT_EQ(matches(SqlLikePrefix(d, QStringLiteral("ab'"))),
              QStringList{QStringLiteral("ab'cd")});
    EXPECT_EQ(matches(SqlLikePrefix(d, QStringLiteral("ab*"))),
              QStringList{QStringLiteral("ab*cd")});
    EXPECT_EQ(matches(SqlLikePrefix(d, QStringLiteral("àè%"))),
              QStringList{QStringLiteral("àè%1")});
    EXPECT_EQ(matches(SqlLikePrefix(d, QStringLiteral("ab"))).size(), 8);
    EXPECT_EQ(matches(SqlLikePrefix(d, QString())).size(), rows.size());
    EXPECT_TRUE(matches(SqlLikePrefix(d, QStringLiteral("'; DROP TABLE art; --"))).isEmpty());
    EXPECT_TRUE(matches(SqlLikePrefix(d, QStringLiteral("\\'; DROP TABLE art; --"))).isEmpty());

    EXPECT_EQ(matches(SqlLikePattern(d, QStringLiteral("ab?cd"))),
              sorted({QStringLiteral("ab%cd"), QStringLiteral("abXcd"), QStringLiteral("ab_cd"),
                      QStringLiteral("ab\\cd"), QStringLiteral("ab'cd"), QStringLiteral("ab*cd"),
                      QStringLiteral("ab?cd")}));
    EXPECT_EQ(matches(SqlLikePattern(d, QStringLiteral("*%*"))),
              sorted({QStringLiteral("ab%cd"), QStringLiteral("xab%"), QStringLiteral("àè%1")}));
    EXPECT_EQ(matches(SqlLikePattern(d, QStringLiteral("ab[*]*"))),
              QStringList{QStringLiteral("ab*cd")});
    EXPECT_EQ(matches(SqlLikePattern(d, QStringLiteral("ab[?]cd"))),
              QStringList{QStringLiteral("ab?cd")});
    EXPECT_EQ(matches(SqlLikePattern(d, QStringLiteral("*_*"))),
              QStringList{QStringLiteral("ab_cd")});
    EXPECT_EQ(matches(SqlLikePattern(d, QStringLiteral("*\\*"))),
              QStringList{QStringLiteral("ab\\cd")});
    EXPECT_EQ(matches(SqlLikePattern(d, QStringLiteral("abcd"))),
              QStringList{QStringLiteral("abcd")});
    EXPECT_EQ(db.count(QStringLiteral("SELECT COUNT(*) FROM art")), rows.size());
}

void runAll(Db& db) {
    checkTexts(db);
    checkNulAndVariants(db);
    checkDates(db);
    checkNumbers(db);
    checkBooleans(db);
    checkLike(db);
}

}  // namespace

TEST(SqlValue, LiteralShapes) {
    const auto S = SqlDialect::SQLite;
    const auto P = SqlDialect::PostgreSQL;
    EXPECT_EQ(SqlValue(S, QStringLiteral("l'a")), QStringLiteral("'l''a'"));
    EXPECT_EQ(SqlValue(P, QStringLiteral("l'a")), QStringLiteral("'l''a'"));
    EXPECT_EQ(SqlValue(S, QStringLiteral("a\\b")), QStringLiteral("'a\\b'"));
    EXPECT_EQ(SqlValue(P, QStringLiteral("a\\b")), QStringLiteral("E'a\\\\b'"));
    EXPECT_EQ(SqlValue(S, QString()), QStringLiteral("''"));
    EXPECT_EQ(SqlValue(S, QVariant()), QStringLiteral("NULL"));
    EXPECT_EQ(SqlValue(P, QVariant(), SqlKind::Date), QStringLiteral("NULL"));
    EXPECT_EQ(SqlValue(S, QDate(2026, 1, 5)), QStringLiteral("'2026-01-05'"));
    EXPECT_EQ(SqlValue(P, QDate(2026, 1, 5)), QStringLiteral("DATE '2026-01-05'"));
    EXPECT_EQ(SqlValue(S, QDateTime(QDate(2026, 1, 5), QTime(1, 2, 3))),
              QStringLiteral("'2026-01-05 01:02:03'"));
    EXPECT_EQ(SqlValue(P, QDateTime(QDate(2026, 1, 5), QTime(1, 2, 3))),
              QStringLiteral("TIMESTAMP '2026-01-05 01:02:03'"));
    EXPECT_EQ(SqlValue(S, C("1234.5600")), QStringLiteral("1234.56"));
    EXPECT_EQ(SqlValue(S, C("-1234.56")), QStringLiteral("(-1234.56)"));
    EXPECT_EQ(SqlValue(S, QVariant::fromValue(C("0.0001"))), QStringLiteral("0.0001"));
    EXPECT_EQ(SqlValue(S, 12), QStringLiteral("12"));
    EXPECT_EQ(SqlValue(S, -12), QStringLiteral("(-12)"));
    EXPECT_EQ(SqlValue(S, 0.1), QStringLiteral("0.1"));
    EXPECT_EQ(SqlValue(S, true), QStringLiteral("1"));
    EXPECT_EQ(SqlValue(S, false), QStringLiteral("0"));
    EXPECT_EQ(SqlValue(P, true), QStringLiteral("TRUE"));
    EXPECT_EQ(SqlValue(P, false), QStringLiteral("FALSE"));
    EXPECT_EQ(SqlValue(S, QVariant(QStringLiteral("12,5")), SqlKind::Number),
              QStringLiteral("12.5"));
    EXPECT_EQ(SqlValue(S, QVariant(QStringLiteral("")), SqlKind::Number), QStringLiteral("0"));
    EXPECT_EQ(SqlLikePrefix(S, QStringLiteral("abc")), QStringLiteral("LIKE 'abc%' ESCAPE '\\'"));
    EXPECT_EQ(SqlLikePrefix(S, QStringLiteral("a%b_c\\'")),
              QStringLiteral("LIKE 'a\\%b\\_c\\\\''%' ESCAPE '\\'"));
    EXPECT_EQ(SqlLikePrefix(P, QStringLiteral("abc")),
              QStringLiteral("LIKE 'abc%' ESCAPE E'\\\\'"));
    EXPECT_EQ(SqlLikePattern(S, QStringLiteral("a*b?")), QStringLiteral("LIKE 'a%b_' ESCAPE '\\'"));
}

TEST(SqlValue, RoundTripSQLite) {
    Db db(SqlDialect::SQLite);
    ASSERT_TRUE(db.open()) << db.error().toStdString();
    runAll(db);
}

TEST(SqlValue, RoundTripPostgreSQL) {
    if (qEnvironmentVariableIsEmpty("EVAPRE_TEST_PG"))
        GTEST_SKIP() << "EVAPRE_TEST_PG non impostata";
    Db db(SqlDialect::PostgreSQL);
    ASSERT_TRUE(db.open()) << db.error().toStdString();
    // A private schema, dropped at the end, so that tables x and art do not collide.
    const QString schema =
        QStringLiteral("util_test_") + QString::number(QDateTime::currentMSecsSinceEpoch());
    ASSERT_TRUE(db.exec(QStringLiteral("CREATE SCHEMA ") + schema));
    ASSERT_TRUE(db.exec(QStringLiteral("SET search_path TO ") + schema));
    ASSERT_TRUE(db.exec(QStringLiteral("SET client_encoding TO 'UTF8'")));
    runAll(db);
    // The same literals mean the same with standard_conforming_strings off.
    ASSERT_TRUE(db.exec(QStringLiteral("SET standard_conforming_strings = off")));
    ASSERT_TRUE(db.exec(QStringLiteral("SET escape_string_warning = off")));
    for (const QString& text : trickyTexts())
        EXPECT_EQ(db.select(SqlValue(SqlDialect::PostgreSQL, text)).toString(), text);
    EXPECT_EQ(db.count(QStringLiteral("SELECT COUNT(*) FROM art WHERE k ") +
                       SqlLikePrefix(SqlDialect::PostgreSQL, QStringLiteral("ab\\"))),
              1);
    db.exec(QStringLiteral("DROP SCHEMA ") + schema + QStringLiteral(" CASCADE"));
}

// ODBC connections speak the PostgreSQL dialect through psqlODBC, which parses the statement
// text itself (parameter markers, {escapes}): the literals must pass it unchanged.
TEST(SqlValue, RoundTripOdbc) {
    const QString dsn = qEnvironmentVariable("EVAPRE_TEST_ODBC_DSN");
    if (dsn.isEmpty())
        GTEST_SKIP() << "EVAPRE_TEST_ODBC_DSN non impostata";
    Db db(SqlDialect::PostgreSQL, dsn);
    ASSERT_TRUE(db.open()) << db.error().toStdString();
    for (const QString& text : trickyTexts()) {
        const QString literal = SqlValue(SqlDialect::PostgreSQL, text);
        EXPECT_EQ(db.select(literal).toString(), text) << literal.toStdString();
    }
    for (const char* text : {"1234.5678", "-1234.5678", "0.0001"})
        EXPECT_EQ(Currency::fromVariant(db.select(SqlValue(SqlDialect::PostgreSQL, C(text)))),
                  C(text));
    EXPECT_EQ(isoOf(db.select(SqlValue(SqlDialect::PostgreSQL, QDate(2026, 1, 5)))),
              QStringLiteral("2026-01-05"));
    EXPECT_EQ(db.count(QStringLiteral("SELECT CASE WHEN 'ab%cd' ") +
                       SqlLikePrefix(SqlDialect::PostgreSQL, QStringLiteral("ab%")) +
                       QStringLiteral(" THEN 1 ELSE 0 END")),
              1);
    EXPECT_EQ(db.count(QStringLiteral("SELECT CASE WHEN 'abXcd' ") +
                       SqlLikePrefix(SqlDialect::PostgreSQL, QStringLiteral("ab%")) +
                       QStringLiteral(" THEN 1 ELSE 0 END")),
              0);
}
