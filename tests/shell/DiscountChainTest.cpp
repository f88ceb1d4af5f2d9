#include <gtest/gtest.h>

#include <cmath>

#include "AziendaUtil.h"

namespace evapre {
namespace {

struct ChainCase {
    const char* chain;
    int decimals;
    double start;
    double expected;
    bool invalid;
};

void PrintTo(const ChainCase& c, std::ostream* os) {
    *os << '"' << c.chain << "\" dec " << c.decimals << " start " << c.start;
}

class DiscountChain : public ::testing::TestWithParam<ChainCase> {};

TEST_P(DiscountChain, ConvertsToOnePercentage) {
    const ChainCase& c = GetParam();
    bool invalid = true;
    const double result =
        AziendaUtil::ConvertiCatenaSconti(QString::fromUtf8(c.chain), c.decimals, c.start, invalid);
    EXPECT_EQ(invalid, c.invalid);
    EXPECT_NEAR(result, c.expected, 1e-9);
}

constexpr int kRaw = AziendaUtil::NessunArrotondamento;

INSTANTIATE_TEST_SUITE_P(
    Valid, DiscountChain,
    ::testing::Values(ChainCase{"10", 2, 0, 10, false}, ChainCase{"10+5", 2, 0, 14.5, false},
                      ChainCase{"10-5", 2, 0, 5.5, false},
                      ChainCase{"10+5+3", 2, 0, 17.07, false},  // 17,065 rounded "A"
                      ChainCase{"10+5+3", kRaw, 0, 17.065, false},
                      ChainCase{"33+33+33", 0, 0, 70, false},
                      ChainCase{"33+33+33", 3, 0, 69.924, false},
                      ChainCase{"12,5", 2, 0, 12.5, false}, ChainCase{"10,5+2", 4, 0, 12.29, false},
                      ChainCase{",5", 2, 0, 0.5, false},
                      ChainCase{"-5", 2, 0, -5, false},  // a surcharge alone
                      ChainCase{"+5", 2, 0, 5, false},
                      ChainCase{" 10 + 5 ", 2, 0, 14.5, false},  // blanks anywhere
                      ChainCase{"1 0+5", 2, 0, 14.5, false},
                      ChainCase{"5", 2, 10, 14.5, false},  // continues a start value
                      ChainCase{"100", 2, 0, 100, false}, ChainCase{"0", 2, 0, 0, false},
                      ChainCase{"10+5", 0, 0, 15, false}));  // 14,5 ties away from zero

INSTANTIATE_TEST_SUITE_P(EmptyKeepsStart, DiscountChain,
                         ::testing::Values(ChainCase{"", 2, 0, 0, false},
                                           ChainCase{"   ", 2, 7.5, 7.5, false}));

INSTANTIATE_TEST_SUITE_P(
    Invalid, DiscountChain,
    ::testing::Values(ChainCase{"10+-5", 2, 0, 0, true}, ChainCase{"10-+5", 2, 0, 0, true},
                      ChainCase{"10--5", 2, 0, 0, true}, ChainCase{"10++5", 2, 3, 3, true},
                      ChainCase{"10 + - 5", 2, 0, 0, true},  // blanks go before the check
                      ChainCase{"10+5a", 2, 0, 0, true}, ChainCase{"sconto", 2, 0, 0, true},
                      ChainCase{"10%", 2, 0, 0, true}, ChainCase{"10.5", 2, 0, 0, true},
                      ChainCase{"10+", 2, 0, 0, true}, ChainCase{"10-", 2, 0, 0, true},
                      ChainCase{"+", 2, 0, 0, true}, ChainCase{",", 2, 0, 0, true},
                      ChainCase{"10,5,5", 2, 0, 0, true}, ChainCase{"10\t+5", 2, 0, 0, true},
                      ChainCase{"99999999999999999999999999999999999999999999999999999999999999999"
                                "99999999999999999999999999999999999999999999999999999999999999999"
                                "99999999999999999999999999999999999999999999999999999999999999999"
                                "99999999999999999999999999999999999999999999999999999999999999999"
                                "99999999999999999999999999999999999999999999999999999999999999999",
                                2, 0, 0, true}));

TEST(DiscountChainMessage, NamesTheChain) {
    const QString text = AziendaUtil::TestoScontoNonValido(QStringLiteral("10+-5"));
    EXPECT_TRUE(text.contains(QStringLiteral("\"10+-5\"")));
    EXPECT_TRUE(text.contains(QStringLiteral("non valido")));
}

}  // namespace
}  // namespace evapre
