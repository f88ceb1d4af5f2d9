// Start-up values of the company parameters that the launch protocol depends on.
#include <gtest/gtest.h>

#include "ParametriDitta.h"

namespace evapre::test {
namespace {

TEST(ParametriAvvio, HiddenPrices) {
    struct Case {
        const char* list;
        const char* terminal;
        bool hidden;
    };
    const Case cases[] = {
        {"", "PC1", false},         {"PC1", "PC1", true},        {"PC2;PC1", "pc1", true},
        {"PC2; PC1 ", "PC1", true}, {"PC10;XPC1", "PC1", false}, {"PC1", "", false},
        {";;", "PC1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParametriDitta::pricesHiddenFor(QString::fromUtf8(c.list),
                                                  QString::fromUtf8(c.terminal)),
                  c.hidden)
            << c.list << " / " << c.terminal;
}

TEST(ParametriAvvio, ColourNumbers) {
    EXPECT_EQ(ParametriDitta::colourNumber(QStringLiteral("&HFFFF80"), 0), 0xFFFF80u);
    EXPECT_EQ(ParametriDitta::colourNumber(QStringLiteral("&H80000005&"), 0), 0x80000005u);
    EXPECT_EQ(ParametriDitta::colourNumber(QStringLiteral("16777088"), 0), 16777088u);
    EXPECT_EQ(ParametriDitta::colourNumber(QStringLiteral("verde"), 7), 7u);
}

}  // namespace
}  // namespace evapre::test
