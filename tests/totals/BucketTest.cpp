#include <gtest/gtest.h>

#include "scIve.h"

namespace evapre {
namespace {

Currency c(const char* text) {
    return *Currency::parse(QString::fromLatin1(text));
}

TEST(BucketTest, EmptySummaryHasNoBucketsAndClearsQuietly) {
    scIve ive;
    ive.Clear();
    EXPECT_FALSE(ive.obEsiste("22"));
    EXPECT_EQ(ive.count(), 0);
}

TEST(BucketTest, KeysAreCaseInsensitiveAndMissingOrDuplicateKeysFail) {
    scIve ive;
    ive.AddIva("e3").odImpon = c("10");
    EXPECT_TRUE(ive.obEsiste("E3"));
    EXPECT_EQ(ive.odImpon("E3"), c("10"));
    try {
        ive.AddIva("E3");
        FAIL() << "duplicate key accepted";
    } catch (const KeyedItemsError& e) {
        EXPECT_EQ(e.number(), KeyedErr::Duplicate);
    }
    try {
        ive.odImpon("22");
        FAIL() << "missing key answered";
    } catch (const KeyedItemsError& e) {
        EXPECT_EQ(e.number(), KeyedErr::NotFound);
    }
    ive.Clear();
    EXPECT_FALSE(ive.obEsiste("E3"));
}

TEST(BucketTest, IndexedPropertiesReadAndWriteTheBucket) {
    scIve ive;
    ive.AddIva("22");
    ive.odSValSpese("22") = c("12.5");
    ive.osDescrizione("22") = "Iva 22";
    ive.obIvaEsente("22") = true;
    EXPECT_EQ(ive.ogIva("22").odSValSpese, c("12.5"));
    EXPECT_EQ(ive.ogIva("22").osDescrizione, "Iva 22");
    EXPECT_TRUE(ive.ogIva("22").obIvaEsente);
    EXPECT_EQ(ive.ogIva("22").osIndex(), "22");
}

TEST(BucketTest, CounterAccountWithBlankCostCentreHasOneSubBucketKeyedCD) {
    scIva iva;
    iva.AddControP("0510001", "", "");
    ASSERT_TRUE(iva.obCPEsiste("0510001"));
    const scControP& conto = iva.ogControp("0510001");
    ASSERT_EQ(conto.ocCdcCompetenza.count(), 1);
    EXPECT_EQ(conto.ocCdcCompetenza.first().osKey, "CD");
    EXPECT_TRUE(iva.obCdcCompEsiste("0510001", "", ""));
    EXPECT_FALSE(iva.obCdcCompEsiste("0510001", "CC1", ""));
    EXPECT_FALSE(iva.obCPEsiste("0510002"));

    iva.AddCdcComp("0510001", "CC1", "M01/01/202431/01/2024");
    EXPECT_EQ(iva.ogCdcComp("0510001", "CC1", "M01/01/202431/01/2024").osKey,
              "CCC1DM01/01/202431/01/2024");
    iva.CPClear();
    EXPECT_FALSE(iva.obCPEsiste("0510001"));
}

TEST(BucketTest, CounterAccountAndItsSubBucketAreDifferentStorage) {
    scIva iva;
    iva.AddControP("A", "", "");
    iva.odCPImpon("A", true) = c("100");
    iva.odCPImpon("A", false, "", "") = c("40");
    EXPECT_EQ(iva.ogControp("A").odImpon, c("100"));
    EXPECT_EQ(iva.ogCdcComp("A", "", "").odImpon, c("40"));
    EXPECT_EQ(iva.odCPSValOmaggioT("A", true), Currency{});
}

TEST(BucketTest, DiscountStagesCarryTheLastStageForwardAndNeverShrink) {
    scIva iva;
    iva.odMerce = c("99");
    EXPECT_DOUBLE_EQ(iva.odMerceSco(5), 99.0);  // never prepared: the discount base

    iva.PrepMerceSco(2);
    EXPECT_EQ(iva.oiNumSconti(), 2);
    iva.setOdMerceSco(0, 10.0);
    iva.setOdMerceSco(1, 9.0);
    iva.setOdMerceSco(2, 8.0);
    iva.PrepMerceSco(3);
    EXPECT_EQ(iva.oiNumSconti(), 3);
    EXPECT_DOUBLE_EQ(iva.odMerceSco(0), 10.0);
    EXPECT_DOUBLE_EQ(iva.odMerceSco(2), 8.0);
    EXPECT_DOUBLE_EQ(iva.odMerceSco(3), 8.0);
    iva.PrepMerceSco(1);
    EXPECT_EQ(iva.oiNumSconti(), 3);
    EXPECT_DOUBLE_EQ(iva.odMerceSco(3), 8.0);
    EXPECT_DOUBLE_EQ(iva.odMerceSco(4), 99.0);  // beyond the stages: the discount base
    EXPECT_THROW(iva.setOdMerceSco(4, 1.0), KeyedItemsError);
}

TEST(BucketTest, SummaryForwardsDiscountStages) {
    scIve ive;
    ive.AddIva("10");
    ive.PrepMerceSco("10", 2);
    ive.setOdMerceSco("10", 2, 7.5);
    EXPECT_EQ(ive.oiNumSconti("10"), 2);
    EXPECT_DOUBLE_EQ(ive.odMerceSco("10", 2), 7.5);
    EXPECT_DOUBLE_EQ(ive.odMerceSco("10", 1), 0.0);
}

}  // namespace
}  // namespace evapre
