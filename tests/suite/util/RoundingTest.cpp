#include "Rounding.h"

#include <gtest/gtest.h>

#include <cmath>

using evapre::Arrotonda;
using evapre::ArrotondaPasso;
using evapre::Currency;

namespace {
Currency C(const char* text) {
    return Currency::parse(QString::fromUtf8(text)).value();
}
}  // namespace

TEST(Rounding, ToDecimalsEveryMode) {
    struct Case {
        const char* value;
        char mode;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        // nearest, ties away from zero
        {"2.345", 'A', 2, "2.35"},
        {"2.344", 'A', 2, "2.34"},
        {"-2.345", 'A', 2, "-2.35"},
        {"-2.344", 'A', 2, "-2.34"},
        {"2.5", 'A', 0, "3"},
        {"-2.5", 'A', 0, "-3"},
        {"0.4999", 'A', 0, "0"},
        {"1.0049", 'A', 2, "1"},
        // up: toward +infinity
        {"2.341", 'S', 2, "2.35"},
        {"-2.349", 'S', 2, "-2.34"},
        {"2.34", 'S', 2, "2.34"},
        {"0.0001", 'S', 0, "1"},
        {"-0.9999", 'S', 0, "0"},
        // down: toward -infinity
        {"2.349", 'I', 2, "2.34"},
        {"-2.341", 'I', 2, "-2.35"},
        {"-0.0001", 'I', 0, "-1"},
        {"-2.34", 'I', 2, "-2.34"},
        // truncation: toward zero
        {"2.349", 'T', 2, "2.34"},
        {"-2.349", 'T', 2, "-2.34"},
        {"9.9999", 'T', 0, "9"},
        // lower-case letters, unknown letters behave as "A"
        {"2.345", 'a', 2, "2.35"},
        {"2.341", 's', 2, "2.35"},
        {"-2.341", 'i', 2, "-2.35"},
        {"2.349", 't', 2, "2.34"},
        {"2.345", 'X', 2, "2.35"},
        {"2.345", ' ', 2, "2.35"},
        // 4 or more decimals: unchanged
        {"2.3456", 'A', 4, "2.3456"},
        {"2.3456", 'T', 7, "2.3456"},
        {"2.3456", 'A', 3, "2.346"},
        // negative decimals: tens, hundreds
        {"1234.5", 'A', -1, "1230"},
        {"1235", 'A', -1, "1240"},
        {"-1235", 'A', -1, "-1240"},
        {"1201", 'S', -2, "1300"},
        {"1299", 'T', -2, "1200"},
        {"-1201", 'I', -2, "-1300"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Arrotonda(C(c.value), QChar(c.mode), c.decimals), C(c.expected))
            << c.value << " " << c.mode << " " << c.decimals;
}

TEST(Rounding, ToStep) {
    struct Case {
        const char* value;
        char mode;
        const char* step;
        const char* expected;
    };
    const Case cases[] = {
        // 5 lire
        {"1932", 'A', "5", "1930"},
        {"1932.5", 'A', "5", "1935"},  // tie away from zero
        {"1933", 'A', "5", "1935"},
        {"-1932.5", 'A', "5", "-1935"},
        {"1931", 'S', "5", "1935"},
        {"1934", 'I', "5", "1930"},
        {"-1931", 'I', "5", "-1935"},
        {"-1931", 'S', "5", "-1930"},
        {"1934", 'T', "5", "1930"},
        {"-1934", 'T', "5", "-1930"},
        {"1935", 'S', "5", "1935"},
        // 0.05
        {"1.024", 'A', "0.05", "1"},
        {"1.025", 'A', "0.05", "1.05"},
        {"-1.025", 'A', "0.05", "-1.05"},
        {"1.0001", 'S', "0.05", "1.05"},
        {"1.0499", 'I', "0.05", "1"},
        {"-1.0001", 'I', "0.05", "-1.05"},
        {"1.0499", 'T', "0.05", "1"},
        {"1.07", 'A', "0.05", "1.05"},
        {"1.075", 'A', "0.05", "1.1"},
        // step 0 or negative: unchanged
        {"1.2345", 'A', "0", "1.2345"},
        {"1.2345", 'S', "-5", "1.2345"},
        // a step of 1 and 0.01 behave as decimals
        {"2.5", 'A', "1", "3"},
        {"2.345", 'A', "0.01", "2.35"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ArrotondaPasso(C(c.value), QChar(c.mode), C(c.step)), C(c.expected))
            << c.value << " " << c.mode << " " << c.step;
}

TEST(Rounding, OverflowIsReported) {
    const Currency max = Currency::fromRaw(std::numeric_limits<int64_t>::max());
    EXPECT_THROW(Arrotonda(max, 'S', 0), evapre::CurrencyOverflow);
    EXPECT_THROW(ArrotondaPasso(max, 'A', C("5")), evapre::CurrencyOverflow);
    EXPECT_EQ(Arrotonda(max, 'T', 0), C("922337203685477"));
}

TEST(Rounding, Doubles) {
    struct Case {
        double value;
        char mode;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {2.675, 'A', 2, 2.68},  // binary 2.67499999... is taken as typed
        {1.005, 'A', 2, 1.01},
        {-2.675, 'A', 2, -2.68},
        {2.5, 'A', 0, 3},
        {-2.5, 'A', 0, -3},
        {14.5, 'A', 0, 15},
        {5.5, 'A', 0, 6},
        {2.341, 'S', 2, 2.35},
        {-2.349, 'S', 2, -2.34},
        {2.349, 'I', 2, 2.34},
        {-2.341, 'I', 2, -2.35},
        {2.349, 'T', 2, 2.34},
        {-2.349, 'T', 2, -2.34},
        {1.15 * 100, 'T', 0, 115},  // 114.99999999999999
        {0.1 + 0.2, 'S', 1, 0.3},   // 0.30000000000000004
        {0.0004, 'A', 2, 0},
        {0.0004, 'S', 2, 0.01},
        {-0.0004, 'I', 2, -0.01},
        {-0.0004, 'S', 2, 0},
        {0.005, 'A', 2, 0.01},
        {0.004, 'A', 2, 0},
        {999.995, 'A', 2, 1000},
        {1234.5, 'A', -1, 1230},
        {1235, 'A', -2, 1200},
        {1250, 'A', -2, 1300},
        {14.5, 'a', 0, 15},
        {14.5, 'Z', 0, 15},
        {1.0 / 3.0, 'A', 20, 1.0 / 3.0},
        {123456789.123456789, 'A', 6, 123456789.123457},
        {0, 'S', 2, 0},
    };
    for (const Case& c : cases) {
        const double r = Arrotonda(c.value, QChar(c.mode), c.decimals);
        EXPECT_DOUBLE_EQ(r, c.expected) << c.value << " " << c.mode << " " << c.decimals;
        EXPECT_FALSE(std::signbit(r) && r == 0.0) << "negative zero for " << c.value;
    }
    EXPECT_TRUE(std::isnan(Arrotonda(std::nan(""), 'A', 2)));
    EXPECT_EQ(Arrotonda(INFINITY, 'A', 2), INFINITY);
}

TEST(Rounding, DoubleSteps) {
    EXPECT_DOUBLE_EQ(ArrotondaPasso(1932.5, 'A', 5.0), 1935);
    EXPECT_DOUBLE_EQ(ArrotondaPasso(1.025, 'A', 0.05), 1.05);
    EXPECT_DOUBLE_EQ(ArrotondaPasso(0.14, 'S', 0.05), 0.15);
    EXPECT_DOUBLE_EQ(ArrotondaPasso(-0.14, 'I', 0.05), -0.15);
    EXPECT_DOUBLE_EQ(ArrotondaPasso(1.2345, 'A', 0.0), 1.2345);
    EXPECT_DOUBLE_EQ(ArrotondaPasso(1.2345, 'A', -1.0), 1.2345);
}

TEST(Rounding, ModeLetterFromText) {
    EXPECT_EQ(evapre::ModoArrotondamento(QStringLiteral(" s")), 'S');
    EXPECT_EQ(evapre::ModoArrotondamento(QStringLiteral("Nessuno")), 'A');
    EXPECT_EQ(evapre::ModoArrotondamento(QString()), 'A');
    EXPECT_EQ(evapre::ModoArrotondamento(QChar(u'i')), 'I');
}
