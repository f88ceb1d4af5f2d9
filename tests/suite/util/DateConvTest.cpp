#include "DateConv.h"

#include <gtest/gtest.h>

using namespace evapre;

TEST(DateConv, TypedItalianDates) {
    struct Case {
        const char* text;
        int y, m, d;
    };
    const Case cases[] = {
        {"05/01/2026", 2026, 1, 5},   {"5/1/2026", 2026, 1, 5},   {"  31/12/1999 ", 1999, 12, 31},
        {"29/02/2024", 2024, 2, 29},  {"05/01/26", 2026, 1, 5},   {"5/1/26", 2026, 1, 5},
        {"01/01/00", 2000, 1, 1},     {"31/12/29", 2029, 12, 31}, {"01/01/30", 1930, 1, 1},
        {"15/06/99", 1999, 6, 15},    {"1/1/5", 2005, 1, 1},      {"05-01-2026", 2026, 1, 5},
        {"05.01.2026", 2026, 1, 5},   {"05012026", 2026, 1, 5},   {"050126", 2026, 1, 5},
        {"311299", 1999, 12, 31},     {"2026-01-05", 2026, 1, 5}, {"0001-01-01", 1, 1, 1},
        {"31/12/9999", 9999, 12, 31}, {"15/03/100", 100, 3, 15},  {"02/01/0100", 100, 1, 2},
        {"01/01/999", 999, 1, 1},     {"01/01/0005", 5, 1, 1},
    };
    for (const Case& c : cases) {
        const DataConvertita r = ConvertiDataEx(QString::fromUtf8(c.text));
        EXPECT_FALSE(r.error) << c.text;
        ASSERT_TRUE(r.date.has_value()) << c.text;
        EXPECT_EQ(*r.date, QDate(c.y, c.m, c.d)) << c.text;
        EXPECT_EQ(ConvertiData(QString::fromUtf8(c.text)), QDate(c.y, c.m, c.d)) << c.text;
    }
}

TEST(DateConv, NoDateWithoutError) {
    for (const char* text :
         {"", "   ", "01/01/100", "1/1/100", "01/01/0100", "0100-01-01", "01010100"}) {
        const DataConvertita r = ConvertiDataEx(QString::fromUtf8(text));
        EXPECT_FALSE(r.date.has_value()) << text;
        EXPECT_FALSE(r.error) << text;
        EXPECT_TRUE(DataValida(QString::fromUtf8(text))) << text;
    }
}

TEST(DateConv, MalformedIsNoDateWithError) {
    for (const char* text :
         {"32/01/2026",  "29/02/2025",  "00/01/2026", "01/13/2026",       "01/00/2026",
          "abc",         "1/2",         "1/2/3/4",    "01/01/2026x",      "0l/01/2026",
          "01//2026",    "/01/2026",    "05/01-2026", "1 / 1 / 2026",     "123/01/2026",
          "01/123/2026", "01/01/12345", "01/01/0000", "01/01/000",        "0000-01-01",
          "2026-13-01",  "12345",       "1234567",    "05/01/2026 10:30", "٠٥/٠١/٢٠٢٦",
          "-1/01/2026",  "+1/01/2026"}) {
        const DataConvertita r = ConvertiDataEx(QString::fromUtf8(text));
        EXPECT_FALSE(r.date.has_value()) << text;
        EXPECT_TRUE(r.error) << text;
        EXPECT_FALSE(ConvertiData(QString::fromUtf8(text)).has_value()) << text;
    }
}

TEST(DateConv, FromVariant) {
    EXPECT_EQ(ConvertiData(QVariant(QDate(2026, 3, 4))), QDate(2026, 3, 4));
    EXPECT_EQ(ConvertiData(QVariant(QDateTime(QDate(2026, 3, 4), QTime(10, 0)))),
              QDate(2026, 3, 4));
    EXPECT_FALSE(ConvertiData(QVariant(QDate(100, 1, 1))).has_value());
    EXPECT_FALSE(ConvertiData(QVariant(QDate())).has_value());
    EXPECT_FALSE(ConvertiData(QVariant()).has_value());
    EXPECT_EQ(ConvertiData(QVariant(QStringLiteral("04/03/2026"))), QDate(2026, 3, 4));
}

TEST(DateConv, FormatAndNoDate) {
    EXPECT_EQ(FormatData(QDate(2026, 1, 5)), QStringLiteral("05/01/2026"));
    EXPECT_EQ(FormatData(QDate(5, 1, 5)), QStringLiteral("05/01/0005"));
    EXPECT_EQ(FormatData(QDate()), QString());
    EXPECT_EQ(FormatData(DataNessuna()), QString());
    EXPECT_EQ(FormatData(std::optional<QDate>()), QString());
    EXPECT_EQ(FormatData(std::optional<QDate>(QDate(1999, 12, 31))), QStringLiteral("31/12/1999"));
    EXPECT_TRUE(IsNessunaData(QDate()));
    EXPECT_TRUE(IsNessunaData(QDate(100, 1, 1)));
    EXPECT_FALSE(IsNessunaData(QDate(2026, 1, 1)));
    EXPECT_EQ(QString::fromLatin1(kTestoNessunaData), QStringLiteral("01/01/100"));
    // Every formatted date reads back as itself.
    for (QDate d(1, 1, 1); d.year() <= 9999;
         d = d.addDays(d.year() < 1900 || d.year() > 2100 ? 97 : 1)) {
        const QString text = FormatData(d);
        ASSERT_EQ(ConvertiData(text), d) << text.toStdString();
    }
}

TEST(DateConv, FineMese) {
    EXPECT_EQ(FineMese(QDate(2026, 1, 5)), QDate(2026, 1, 31));
    EXPECT_EQ(FineMese(QDate(2024, 2, 1)), QDate(2024, 2, 29));
    EXPECT_EQ(FineMese(QDate(2025, 2, 28)), QDate(2025, 2, 28));
    EXPECT_EQ(FineMese(QDate(2026, 4, 30)), QDate(2026, 4, 30));
    EXPECT_EQ(FineMese(QDate(2026, 12, 1)), QDate(2026, 12, 31));
    EXPECT_FALSE(FineMese(QDate()).isValid());
}
