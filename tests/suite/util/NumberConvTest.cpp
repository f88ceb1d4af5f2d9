#include "NumberConv.h"

#include <QDate>

#include <gtest/gtest.h>

#include <climits>

using namespace evapre;

namespace {
Currency C(const char* text) {
    return Currency::parse(QString::fromUtf8(text)).value();
}
}  // namespace

TEST(NumberConv, ItalianAndPlain) {
    struct Case {
        const char* text;
        const char* value;
    };
    const Case cases[] = {
        {"1.234,56", "1234.56"},
        {"1234,56", "1234.56"},
        {"1234.56", "1234.56"},
        {"-1.234", "-1.234"},  // one dot, no comma: decimal point
        {"1.234", "1.234"},
        {"1.234.567", "1234567"},  // several dots: thousands
        {"-1.234.567,5", "-1234567.5"},
        {"  12 ", "12"},
        {"+12", "12"},
        {",5", "0.5"},
        {"5,", "5"},
        {".5", "0.5"},
        {"-0,0001", "-0.0001"},
        {"0,00005", "0.0001"},  // more than 4 decimals: half away from zero
        {"-0,00005", "-0.0001"},
        {"1,23449", "1.2345"},
        {"1.000,00", "1000"},
        {"12.345.678,9", "12345678.9"},
        {"000123", "123"},
        {"922.337.203.685.477,5807", "922337203685477.5807"},
    };
    for (const Case& c : cases) {
        const NumeroConvertito r = ConvertiNumeroEx(QString::fromUtf8(c.text));
        EXPECT_FALSE(r.error) << c.text;
        EXPECT_FALSE(r.blank) << c.text;
        EXPECT_EQ(r.value, C(c.value)) << c.text;
        bool ok = false;
        EXPECT_EQ(ConvertiNumero(QString::fromUtf8(c.text), &ok), C(c.value)) << c.text;
        EXPECT_TRUE(ok) << c.text;
    }
}

TEST(NumberConv, BlankIsZeroWithoutError) {
    for (const char* text : {"", "  ", "\t"}) {
        const NumeroConvertito r = ConvertiNumeroEx(QString::fromUtf8(text));
        EXPECT_TRUE(r.blank);
        EXPECT_FALSE(r.error);
        EXPECT_TRUE(r.value.isZero());
    }
}

TEST(NumberConv, MalformedGivesErrorAndZero) {
    for (const char* text : {"abc",     "1,2,3",  "1.234,5.6",
                             "1.23,5",  "1..234", "1.2345.678",
                             "12.34.5", ".1.234", "1,234.56",
                             "--1",     "+-1",    "-",
                             "+",       ",",      ".",
                             "1 234",   "12a",    "1e3",
                             "€ 12",    "12-",    "0x1F",
                             "1.2,3",   "١٢",     "922.337.203.685.478",
                             "1e",      "1.234.", "99999999999999999999"}) {
        const NumeroConvertito r = ConvertiNumeroEx(QString::fromUtf8(text));
        EXPECT_TRUE(r.error) << text;
        EXPECT_TRUE(r.value.isZero()) << text;
        bool ok = true;
        EXPECT_TRUE(ConvertiNumero(QString::fromUtf8(text), &ok).isZero()) << text;
        EXPECT_FALSE(ok) << text;
    }
}

TEST(NumberConv, DoubleAndInteger) {
    bool ok = false;
    EXPECT_DOUBLE_EQ(ConvertiDouble(QStringLiteral("1.234,5678912"), &ok), 1234.5678912);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(ConvertiDouble(QStringLiteral("10"), &ok), 10.0);
    EXPECT_DOUBLE_EQ(ConvertiDouble(QVariant(2.5), &ok), 2.5);
    EXPECT_DOUBLE_EQ(ConvertiDouble(QVariant(), &ok), 0.0);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(ConvertiDouble(QVariant::fromValue(C("-3.5")), &ok), -3.5);
    EXPECT_DOUBLE_EQ(ConvertiDouble(QStringLiteral("x"), &ok), 0.0);
    EXPECT_FALSE(ok);

    EXPECT_EQ(ConvertiIntero(QStringLiteral("1.234.567"), &ok), 1234567);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("2,5"), &ok), 3);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("-2,5"), &ok), -3);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("2,4999"), &ok), 2);
    EXPECT_EQ(ConvertiIntero(QVariant(41), &ok), 41);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("2147483647"), &ok), INT_MAX);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("-2147483648"), &ok), INT_MIN);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("2147483648"), &ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("922.337.203.685.477"), &ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ConvertiIntero(QStringLiteral("abc"), &ok), 0);
    EXPECT_FALSE(ok);
}

TEST(NumberConv, VariantsAndNormalised) {
    bool ok = false;
    EXPECT_EQ(ConvertiNumero(QVariant(12.5), &ok), C("12.5"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(ConvertiNumero(QVariant(QStringLiteral("1.234,5")), &ok), C("1234.5"));
    EXPECT_EQ(ConvertiNumero(QVariant(QDate(2026, 1, 1)), &ok), Currency());
    EXPECT_FALSE(ok);
    EXPECT_EQ(NormalizzaNumero(u"-1.234,567891"), QStringLiteral("-1234.567891"));
    EXPECT_EQ(NormalizzaNumero(u",5"), QStringLiteral("0.5"));
    EXPECT_EQ(NormalizzaNumero(u"x", &ok), QString());
    EXPECT_FALSE(ok);
}

TEST(NumberConv, FormatNumero) {
    EXPECT_EQ(FormatNumero(1234.565, 2), QStringLiteral("1.234,57"));
    EXPECT_EQ(FormatNumero(-0.5, 0), QStringLiteral("-1"));
    EXPECT_EQ(FormatNumero(14.5, 1), QStringLiteral("14,5"));
    EXPECT_EQ(FormatNumero(1.0 / 3.0, 6), QStringLiteral("0,333333"));
    EXPECT_EQ(FormatNumero(NAN, 2), QString());
}
