#include "Currency.h"

#include <QDate>

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>

using evapre::Currency;
using evapre::CurrencyDivisionByZero;
using evapre::CurrencyFormatError;
using evapre::CurrencyOverflow;

namespace {
Currency C(const char* text) {
    const auto c = Currency::parse(QString::fromUtf8(text));
    EXPECT_TRUE(c.has_value()) << text;
    return c.value_or(Currency());
}
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
}  // namespace

TEST(Currency, ParseExactPlainText) {
    struct Case {
        const char* text;
        int64_t raw;
    };
    const Case cases[] = {
        {"1234.5678", 12345678},
        {"-0.5", -5000},
        {"12", 120000},
        {"  12  ", 120000},
        {"+3.25", 32500},
        {".5", 5000},
        {"5.", 50000},
        {"0", 0},
        {"-0", 0},
        {"0.0001", 1},
        {"1234.5600", 12345600},  // PostgreSQL NUMERIC(19,4)
        {"0.00005", 1},           // tie → away from zero
        {"-0.00005", -1},
        {"0.000049999999", 0},
        {"1.23456", 12346},
        {"1.23454", 12345},
        {"-1.23455", -12346},
        {"1e3", 10000000},
        {"1.5E-05", 0},  // 0.000015 → 0.0000
        {"2.5e-4", 3},   // 0.00025 → 0.0003
        {"922337203685477.5807", kMax},
        {"-922337203685477.5807", -kMax},
        {"000000000000000000000001.5", 15000},
        {"0.99999", 10000},
    };
    for (const Case& c : cases) {
        const auto v = Currency::parse(QString::fromUtf8(c.text));
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_EQ(v->raw(), c.raw) << c.text;
    }
}

TEST(Currency, ParseRejects) {
    for (const char* text : {"",        " ",
                             "abc",     "1,5",
                             "1.234,5", "1.2.3",
                             "--1",     "+-1",
                             "1e",      "e3",
                             "1 000",   "12abc",
                             ".",       "-",
                             "0x10",    "922337203685477.5808",
                             "1e20",    "9999999999999999999",
                             "∞",       "NaN"}) {
        EXPECT_FALSE(Currency::parse(QString::fromUtf8(text)).has_value()) << text;
    }
}

// Every double gives the value of its shortest text rounded to four decimals, whether it is
// an amount read back from a database or the result of a computation.
TEST(Currency, FromDoubleGivesItsShortestTextRounded) {
    const auto perTesto = [](double d) {
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, d);
        return Currency::parse(QString::fromLatin1(buf, res.ptr - buf))->raw();
    };
    std::mt19937_64 caso(20261210);
    for (int i = 0; i < 20000; ++i) {
        const int64_t raw = static_cast<int64_t>(caso() % 2000000000000000ULL) - 1000000000000000;
        const double importo = static_cast<double>(raw / (i % 3 == 0 ? 1 : 1000)) / 10000.0;
        EXPECT_EQ(Currency::fromDouble(importo).raw(), perTesto(importo)) << importo;
        const double calcolato = importo * 1.22 / 3.0;
        if (std::fabs(calcolato) < 1e15) {
            EXPECT_EQ(Currency::fromDouble(calcolato).raw(), perTesto(calcolato)) << calcolato;
        }
    }
    for (const double d : {0.00005, -0.00005, 1.00005, 99999999999.99995, 100000000000.0001,
                           123456.78905, 0.0001, -0.0001, 1e-6, 99999999999.9999})
        EXPECT_EQ(Currency::fromDouble(d).raw(), perTesto(d)) << d;
}

TEST(Currency, FromDoubleRoundsHalfAwayFromZero) {
    EXPECT_EQ(Currency::fromDouble(1.005).raw(), 10050);
    EXPECT_EQ(Currency::fromDouble(0.12345).raw(), 1235);
    EXPECT_EQ(Currency::fromDouble(-0.12345).raw(), -1235);
    EXPECT_EQ(Currency::fromDouble(2.00005).raw(), 20001);
    EXPECT_EQ(Currency::fromDouble(0.1 + 0.2).raw(), 3000);
    EXPECT_EQ(Currency::fromDouble(1936.27).raw(), 19362700);
    EXPECT_EQ(Currency::fromDouble(1e-9).raw(), 0);
    EXPECT_EQ(Currency::fromDouble(-0.0).raw(), 0);
    EXPECT_EQ(Currency::fromDouble(123456789012.3456).raw(), 1234567890123456);
    EXPECT_THROW(Currency::fromDouble(std::nan("")), CurrencyOverflow);
    EXPECT_THROW(Currency::fromDouble(INFINITY), CurrencyOverflow);
    EXPECT_THROW(Currency::fromDouble(-INFINITY), CurrencyOverflow);
    EXPECT_THROW(Currency::fromDouble(1e15), CurrencyOverflow);
    EXPECT_THROW(Currency::fromDouble(9.3e14), CurrencyOverflow);
}

TEST(Currency, FromVariant) {
    EXPECT_EQ(Currency::fromVariant(QVariant()).raw(), 0);
    EXPECT_EQ(Currency::fromVariant(QVariant(QMetaType::fromType<double>())).raw(), 0);
    EXPECT_EQ(Currency::fromVariant(QVariant(42)).raw(), 420000);
    EXPECT_EQ(Currency::fromVariant(QVariant(qlonglong(-7))).raw(), -70000);
    EXPECT_EQ(Currency::fromVariant(QVariant(12.5)).raw(), 125000);
    EXPECT_EQ(Currency::fromVariant(QVariant(QStringLiteral("1234.5600"))).raw(), 12345600);
    EXPECT_EQ(Currency::fromVariant(QVariant(QByteArray("-0.0001"))).raw(), -1);
    EXPECT_EQ(Currency::fromVariant(QVariant(QStringLiteral("  "))).raw(), 0);
    EXPECT_EQ(Currency::fromVariant(QVariant(true)).raw(), 10000);
    EXPECT_EQ(Currency::fromVariant(QVariant::fromValue(C("3.1416"))).raw(), 31416);
    EXPECT_THROW(Currency::fromVariant(QVariant(QStringLiteral("abc"))), CurrencyFormatError);
    EXPECT_THROW(Currency::fromVariant(QVariant(QStringLiteral("1,5"))), std::invalid_argument);
    EXPECT_THROW(Currency::fromVariant(QVariant(QStringLiteral("1e30"))), CurrencyOverflow);
    EXPECT_THROW(Currency::fromVariant(QVariant(qulonglong(~0ULL))), CurrencyOverflow);
    EXPECT_THROW(Currency::fromVariant(QVariant(QDate(2026, 1, 1))), CurrencyFormatError);
}

TEST(Currency, VariantTravel) {
    const QVariant v = QVariant::fromValue(C("-12.34"));
    EXPECT_TRUE(v.canConvert<Currency>());
    EXPECT_EQ(v.value<Currency>(), C("-12.34"));
    EXPECT_EQ(v.toString(), QStringLiteral("-12.34"));
    EXPECT_DOUBLE_EQ(v.toDouble(), -12.34);
    EXPECT_EQ(v, QVariant::fromValue(C("-12.34")));
}

TEST(Currency, SqlText) {
    EXPECT_EQ(C("1234.5600").toSqlText(), QStringLiteral("1234.56"));
    EXPECT_EQ(C("-0.0001").toSqlText(), QStringLiteral("-0.0001"));
    EXPECT_EQ(C("12").toSqlText(), QStringLiteral("12"));
    EXPECT_EQ(Currency().toSqlText(), QStringLiteral("0"));
    EXPECT_EQ(Currency::fromRaw(kMax).toSqlText(), QStringLiteral("922337203685477.5807"));
    EXPECT_EQ(Currency::fromRaw(std::numeric_limits<int64_t>::min()).toSqlText(),
              QStringLiteral("-922337203685477.5808"));
    EXPECT_EQ(C("0.1").toSqlText(), QStringLiteral("0.1"));
}

TEST(Currency, FormatItalian) {
    struct Case {
        const char* value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {"1234.56", 2, "1.234,56"},
        {"-1234.56", 2, "-1.234,56"},
        {"0", 2, "0,00"},
        {"0.005", 2, "0,01"},
        {"-0.005", 2, "-0,01"},
        {"-0.004", 2, "0,00"},  // rounds to zero: no minus
        {"1234567.891", 2, "1.234.567,89"},
        {"999.995", 2, "1.000,00"},
        {"12.3456", 4, "12,3456"},
        {"12.3456", 0, "12"},
        {"12.5", 0, "13"},
        {"-12.5", 0, "-13"},
        {"100", 0, "100"},
        {"1000", 0, "1.000"},
        {"1.5", 6, "1,500000"},
        {"1.5", -1, "2"},
        {"922337203685477.5807", 2, "922.337.203.685.477,58"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(C(c.value).format(c.decimals), QString::fromUtf8(c.expected))
            << c.value << " " << c.decimals;
    EXPECT_EQ(C("1234.5").format(), QStringLiteral("1.234,50"));
}

TEST(Currency, Arithmetic) {
    EXPECT_EQ(C("1.5") + C("2.25"), C("3.75"));
    EXPECT_EQ(C("1.5") - C("2.25"), C("-0.75"));
    EXPECT_EQ(C("1.5") * C("2.25"), C("3.375"));
    EXPECT_EQ(C("0.0001") * C("0.5"), C("0.0001"));  // 0.00005 → away from zero
    EXPECT_EQ(C("-0.0001") * C("0.5"), C("-0.0001"));
    EXPECT_EQ(C("0.0001") * C("0.4999"), C("0"));
    EXPECT_EQ(C("10") / C("3"), C("3.3333"));
    EXPECT_EQ(C("20") / C("3"), C("6.6667"));
    EXPECT_EQ(C("-20") / C("3"), C("-6.6667"));
    EXPECT_EQ(C("1") / C("-8"), C("-0.125"));
    EXPECT_EQ(C("0.0001") / int64_t(2), C("0.0001"));
    EXPECT_EQ(C("-0.0003") / int64_t(2), C("-0.0002"));
    EXPECT_EQ(C("2.5") * int64_t(3), C("7.5"));
    EXPECT_EQ(int64_t(3) * C("2.5"), C("7.5"));
    EXPECT_EQ(-C("2.5"), C("-2.5"));
    EXPECT_EQ(C("-2.5").abs(), C("2.5"));
    EXPECT_EQ(C("1936.27") * C("100") / C("1936.27"), C("100"));

    Currency x = C("10");
    x += C("5");
    x -= C("2");
    x *= C("2");
    x /= C("4");
    x *= int64_t(3);
    x /= int64_t(2);
    EXPECT_EQ(x, C("9.75"));
}

TEST(Currency, Compare) {
    EXPECT_LT(C("-1"), C("0"));
    EXPECT_GT(C("0.0002"), C("0.0001"));
    EXPECT_EQ(C("1.50"), C("1.5"));
    EXPECT_NE(C("1.5"), C("1.5001"));
    EXPECT_TRUE(C("0").isZero());
    EXPECT_EQ(C("-3").sign(), -1);
    EXPECT_EQ(C("0").sign(), 0);
    EXPECT_EQ(C("3").sign(), 1);
    EXPECT_EQ(Currency::fromInt(5), C("5"));
}

TEST(Currency, OverflowIsAnErrorNeverAWrap) {
    const Currency max = Currency::fromRaw(kMax);
    EXPECT_THROW(max + Currency::fromRaw(1), CurrencyOverflow);
    EXPECT_THROW((-max) - Currency::fromRaw(2), CurrencyOverflow);
    EXPECT_THROW(max * C("1.0001"), CurrencyOverflow);
    EXPECT_THROW(max * int64_t(2), CurrencyOverflow);
    EXPECT_THROW(max / C("0.5"), CurrencyOverflow);
    EXPECT_THROW(-Currency::fromRaw(std::numeric_limits<int64_t>::min()), CurrencyOverflow);
    EXPECT_THROW(Currency::fromInt(922337203685478LL), CurrencyOverflow);
    EXPECT_THROW(C("1e14") * C("1e14"), CurrencyOverflow);
    EXPECT_NO_THROW(max * C("1"));
    EXPECT_EQ(Currency::fromInt(922337203685477LL).raw(), 9223372036854770000LL);
    try {
        (void)(max + max);
        FAIL();
    } catch (const std::overflow_error& e) {
        EXPECT_STREQ(e.what(), "Importo fuori dai limiti");
    }
}

TEST(Currency, DivisionByZeroThrows) {
    EXPECT_THROW(C("1") / Currency(), CurrencyDivisionByZero);
    EXPECT_THROW(C("1") / int64_t(0), std::domain_error);
}
