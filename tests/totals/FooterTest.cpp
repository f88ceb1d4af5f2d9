#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "AziendaUtil.h"
#include "DirectMenuClient.h"
#include "DocumentBuilder.h"
#include "ParametriDitta.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"
#include "scCalcPiedeFat.h"

namespace evapre::test {
namespace {

Currency c(const char* text) {
    return *Currency::parse(QString::fromLatin1(text));
}

class FooterTest : public ::testing::Test {
  protected:
    void SetUp() override { doc.tabelleAzienda(); }

    std::unique_ptr<scCalcPiedeFat> calcola(int numRif,
                                            const std::optional<QString>& addBolli = std::nullopt) {
        auto calc = std::make_unique<scCalcPiedeFat>(db.db(), parametri, moneta, ui);
        calc->setTabelle(doc.tabelle());
        calc->obErrNoDett = true;
        calc->CalcPiedeFat(doc.anno(), numRif, false, Currency::fromInt(-1), addBolli);
        return calc;
    }

    TestDb db;
    DirectMenuClient menu{db.db(), QStringLiteral("tester"), QStringLiteral("T1"),
                          QDate(2024, 3, 15)};
    ParametriDitta parametri{menu};
    AziendaUtil moneta{db.db(), MoneySettings{}};
    ScriptedUiServices ui;
    DocumentBuilder doc{db};
};

// ---- VAT summary, gifts, payment discount: a table of documents computed by hand ----

struct Bucket {
    const char* iva;
    const char* impon;
    const char* impos;
    bool forzato = false;
};

struct CasoIva {
    const char* nome;
    std::function<void(DocumentBuilder&)> costruisci;
    std::vector<Bucket> buckets;
    const char* imponibile;
    const char* iva;
    const char* esente;
    const char* fattura;
    const char* pagare;
    const char* merce;
};

class FooterVatCases : public FooterTest, public ::testing::WithParamInterface<CasoIva> {};

TEST_P(FooterVatCases, ComputesSummaryAndTotals) {
    const CasoIva& caso = GetParam();
    caso.costruisci(doc);
    const auto calc = calcola(doc.numRif());
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_EQ(calc->ogIve.count(), static_cast<int>(caso.buckets.size()));
    for (const Bucket& b : caso.buckets) {
        ASSERT_TRUE(calc->ogIve.obEsiste(b.iva)) << b.iva;
        const scIva& iva = calc->ogIve.ogIva(b.iva);
        EXPECT_EQ(iva.odImpon, c(b.impon)) << b.iva;
        EXPECT_EQ(iva.odImpos, c(b.impos)) << b.iva;
        EXPECT_EQ(iva.obForzato, b.forzato) << b.iva;
        EXPECT_EQ(iva.odTotImpoImpos, iva.odImpon + iva.odImpos) << b.iva;
    }
    EXPECT_EQ(calc->odTotImponibile, c(caso.imponibile));
    EXPECT_EQ(calc->odTotIva, c(caso.iva));
    EXPECT_EQ(calc->odTotEsente, c(caso.esente));
    EXPECT_EQ(calc->odTotFattura, c(caso.fattura));
    EXPECT_EQ(calc->odTotPagare, c(caso.pagare));
    EXPECT_EQ(calc->odTotMerce, c(caso.merce));
}

const CasoIva kCasiIva[] = {
    {"NetPrices",
     [](DocumentBuilder& d) {
         d.testata(1)
             .riga("22", "100.00")
             .riga("22", "50.00")
             .riga("10", "200.00")
             .riga("E3", "80.00");
     },
     {{"22", "150.00", "33.00"}, {"10", "200.00", "20.00"}, {"E3", "80.00", "0"}},
     "350.00",
     "53.00",
     "80.00",
     "483.00",
     "483.00",
     "430.00"},
    // 122.01 gross at 22%: 100.00 taxable by extraction, 22.01 VAT by difference, while the
    // VAT of 100.00 is 22.00: the bucket is marked.
    {"VatInclusivePrices",
     [](DocumentBuilder& d) {
         d.testata(2, {{"PrezziIvati", "S"}})
             .riga("22", "100.00")
             .riga("22", "22.01")
             .riga("10", "55.00")
             .riga("E3", "80.00");
     },
     {{"22", "100.00", "22.01", true}, {"10", "50.00", "5.00"}, {"E3", "80.00", "0"}},
     "150.00",
     "27.01",
     "80.00",
     "257.01",
     "257.01",
     "230.00"},
    // Gift "S": goods and VAT free (deducted 50.00 + 11.00); gift "I": VAT charged
    // (deducted 20.00 only).
    {"Gifts",
     [](DocumentBuilder& d) {
         d.testata(3)
             .riga("22", "100.00")
             .riga("22", "50.00", {{"Omaggio", "S"}})
             .riga("22", "20.00", {{"Omaggio", "I"}});
     },
     {{"22", "170.00", "37.40"}},
     "170.00",
     "37.40",
     "0",
     "207.40",
     "126.40",
     "100.00"},
    // 2% payment discount on the flagged line (2.00) and on the 100.00 expense, reduced to
    // 98.00 and discounted again by 1.96.
    {"PaymentDiscount",
     [](DocumentBuilder& d) {
         d.testata(4, {{"ScontoPag", "2"}, {"ScoPagSuDett", "S"}})
             .riga("22", "100.00", {{"FlScontoPag", "S"}})
             .riga("22", "50.00", {{"FlScontoPag", "N"}})
             .spesa("TRASP", "22", importo("100.00"));
     },
     {{"22", "244.04", "53.69"}},
     "244.04",
     "53.69",
     "0",
     "297.73",
     "297.73",
     "150.00"},
    // Expenses by percentage (3% of 1000.00 capped at 25.00, 0.5% = 5.00) and by weight
    // (12.5 × 0.40 = 5.00 raised to the 8.00 minimum).
    {"PercentageAndWeightExpenses",
     [](DocumentBuilder& d) {
         d.testata(5, {{"Peso", importo("12.5")}})
             .riga("22", "1000.00")
             .spesa("IMB", "22", {}, {{"Percentuale", importo("3")}, {"ImportoMax", importo("25")}})
             .spesa("PESO", "22", importo("0.40"), {{"ImportoMin", importo("8")}})
             .spesa("IMB", "22", {}, {{"Percentuale", importo("0.5")}});
     },
     {{"22", "1038.00", "228.36"}},
     "1038.00",
     "228.36",
     "0",
     "1266.36",
     "1266.36",
     "1000.00"},
    // 10.00 to distribute over three codes of 100.00 each: 33.33%, 33.33%, 33.34% → 3.33,
    // 3.33 and the remainder 3.34.
    {"DistributedExpenses",
     [](DocumentBuilder& d) {
         d.testata(6)
             .riga("22", "100.00")
             .riga("10", "100.00")
             .riga("E3", "100.00")
             .spesa("RIP", "22", importo("10.00"));
     },
     {{"22", "103.33", "22.73"}, {"10", "103.33", "10.33"}, {"E3", "103.34", "0"}},
     "206.66",
     "33.06",
     "103.34",
     "343.06",
     "343.06",
     "300.00"},
    {"DistributedExpensesOnExemptDocument",
     [](DocumentBuilder& d) {
         d.testata(7).riga("E3", "100.00").riga("N8", "50.00").spesa("RIP", "22", importo("10.00"));
     },
     {{"E3", "110.00", "0"}, {"N8", "50.00", "0"}},
     "0",
     "0",
     "160.00",
     "160.00",
     "160.00",
     "150.00"},
};

INSTANTIATE_TEST_SUITE_P(Cases, FooterVatCases, ::testing::ValuesIn(kCasiIva),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST_F(FooterTest, GiftFlagsAndDeductions) {
    doc.testata(1)
        .riga("22", "100.00")
        .riga("22", "50.00", {{"Omaggio", "S"}})
        .riga("22", "20.00", {{"Omaggio", "I"}});
    const auto calc = calcola(1);
    EXPECT_TRUE(calc->obOmaSIvaPres);
    EXPECT_TRUE(calc->obOmaTotPres);
    EXPECT_EQ(calc->odTotOmaggi, c("81.00"));
    EXPECT_EQ(calc->odTotOmaggiNoIva, c("70.00"));
    EXPECT_EQ(calc->odTotImpOmaggi, c("20.00"));
    const scIva& iva = calc->ogIve.ogIva("22");
    EXPECT_EQ(iva.odIvaOmaggioT, c("11.00"));
    EXPECT_EQ(iva.odImpOmaggioT, c("50.00"));
}

TEST_F(FooterTest, PaymentDiscountOnExpenseAndBuckets) {
    doc.testata(1, {{"ScontoPag", "2"}, {"ScoPagSuDett", "S"}})
        .riga("22", "100.00", {{"FlScontoPag", "S"}})
        .spesa("TRASP", "22", importo("100.00"));
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    const scIva& iva = calc->ogIve.ogIva("22");
    EXPECT_EQ(iva.odSValSpesePerSco, c("98.00"));
    EXPECT_EQ(iva.odScoPagamSpese, c("1.96"));
    EXPECT_EQ(iva.odScoPagam, c("2.00"));
    EXPECT_EQ(iva.odTotScoPagam, c("3.96"));
    EXPECT_EQ(iva.odBaseScoPagam, c("198.00"));
    EXPECT_EQ(calc->odScontoPag, c("2"));
    EXPECT_TRUE(calc->obApplScontoPag);
    EXPECT_EQ(calc->odTotSpese, c("98.00"));
    EXPECT_EQ(calc->ogSpese.importo("0720001"), c("98.00"));
    // The counter-account of the expense carries the same discount.
    EXPECT_EQ(iva.odCPScoPagamSpese("0720001", true), c("1.96"));
}

TEST_F(FooterTest, NoPaymentDiscountLeavesDiscountFieldsZero) {
    doc.testata(1, {{"ScoPagSuDett", "S"}})
        .riga("22", "100.00", {{"FlScontoPag", "S"}})
        .spesa("TRASP", "22", importo("100.00"));
    const auto calc = calcola(1);
    const scIva& iva = calc->ogIve.ogIva("22");
    EXPECT_EQ(iva.odScoPagam, Currency{});
    EXPECT_EQ(iva.odTotScoPagam, Currency{});
    EXPECT_EQ(iva.odBaseScoPagam, Currency{});
    EXPECT_FALSE(calc->obApplScontoPag);
}

TEST_F(FooterTest, PercentageAndWeightExpensesAreRememberedByRow) {
    doc.testata(1, {{"Peso", importo("12.5")}})
        .riga("22", "1000.00")
        .spesa("IMB", "22", {}, {{"Percentuale", importo("3")}, {"ImportoMax", importo("25")}})
        .spesa("PESO", "22", importo("0.40"), {{"ImportoMin", importo("8")}});
    const auto calc = calcola(1);
    EXPECT_EQ(calc->ogSpesePerc.importo("1"), c("25.00"));
    EXPECT_EQ(calc->ogSpesePerc.importo("2"), c("8.00"));
    EXPECT_EQ(calc->odTotSpese, c("33.00"));
    EXPECT_EQ(calc->ogSpese.importo("0720002"), c("25.00"));
    EXPECT_EQ(calc->ogSpese.importo("0720003"), c("8.00"));
}

TEST_F(FooterTest, DistributedExpensesShareByIncidenceAndAddUpExactly) {
    doc.testata(1)
        .riga("22", "100.00")
        .riga("10", "100.00")
        .riga("E3", "100.00")
        .spesa("RIP", "22", importo("10.00"));
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_FALSE(calc->ogIve.obEsiste(scCalcPiedeFat::ivaDaRipartire()));
    EXPECT_FALSE(calc->obFattEsente);
    const scIve& ive = calc->ogIve;
    EXPECT_EQ(ive.odIncid("22"), c("33.33"));
    EXPECT_EQ(ive.odIncid("10"), c("33.33"));
    EXPECT_EQ(ive.odIncid("E3"), c("33.34"));
    EXPECT_EQ(ive.odSpeseRipart("22") + ive.odSpeseRipart("10") + ive.odSpeseRipart("E3"),
              c("10.00"));
    EXPECT_EQ(ive.odSpeseRipart("E3"), c("3.34"));
    // The expense's counter-account is re-created in every receiving bucket.
    EXPECT_EQ(ive.ogIva("10").odCPSValSpese("0720004", true), c("3.33"));
    EXPECT_EQ(ive.ogIva("10").odCPImpon("0720004", false, "", ""), c("3.33"));
}

TEST_F(FooterTest, CounterAccountsAndCostCentresAbsorbTheRoundingRemainder) {
    // Three counter-accounts of 10.00 gross at 22%: 8.19 taxable each by extraction, the
    // bucket 24.59; the last counter-account takes 8.21 and 1.79.
    doc.testata(1, {{"PrezziIvati", "S"}})
        .riga("22", "10.00", {{"ContoVen", "001"}})
        .riga("22", "10.00", {{"ContoVen", "002"}})
        .riga("22", "10.00", {{"ContoVen", "003"}, {"CentroDiCosto", "CC1"}});
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    const scIva& iva = calc->ogIve.ogIva("22");
    EXPECT_EQ(iva.odImpon, c("24.59"));
    EXPECT_EQ(iva.odImpos, c("5.41"));
    EXPECT_EQ(iva.ogControp("0510001").odImpon, c("8.19"));
    EXPECT_EQ(iva.ogControp("0510003").odImpon, c("8.21"));
    EXPECT_EQ(iva.ogControp("0510003").odImpos, c("1.79"));
    EXPECT_EQ(iva.ogCdcComp("0510003", "CC1", "").odImpon, c("8.21"));
    Currency impon, impos;
    for (const scControP& cp : iva.ocCollControPte.items()) {
        impon += cp.odImpon;
        impos += cp.odImpos;
    }
    EXPECT_EQ(impon, iva.odImpon);
    EXPECT_EQ(impos, iva.odImpos);
}

TEST_F(FooterTest, CompetenceAndMarginSchemeMakeTheirOwnBuckets) {
    db.insert("FattDocumenti", {{"FattDocumento", "MG"}, {"Segno", "+"}, {"RegimeMargine", "S"}});
    doc.testata(1, {{"FattDocumento", "MG"}})
        .riga("22", "100.00")
        .riga("22", "40.00", {{"BeneUsato", "S"}})
        .riga("22", "60.00",
              {{"CompGiornMens", "M"},
               {"DataCompDa", QDate(2024, 1, 1)},
               {"DataCompA", QDate(2024, 1, 31)}});
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_EQ(calc->ogIve.odImpon("22~§S"), c("40.00"));
    const scIva& iva = calc->ogIve.ogIva("22");
    EXPECT_EQ(iva.odImpon, c("160.00"));
    EXPECT_EQ(iva.ogCdcComp("0510001", "", "M01/01/202431/01/2024").odImpon, c("60.00"));
    EXPECT_EQ(iva.ogCdcComp("0510001", "", "").odImpon, c("100.00"));
}

TEST_F(FooterTest, LevelRowsGiveTheValueWhenLevelsAreInUse) {
    doc.parametro("Mag.GesTaglie", "S");
    doc.testata(1).riga("22", "999.00").riga("22", "10.00");
    doc.livello(1, "S", "30.00").livello(1, "M", "20.00");
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_EQ(calc->ogIve.odImpon("22"), c("60.00"));
}

TEST_F(FooterTest, DepositArticlesAreNotGoodsUnlessDepositsAreManagedAsGoods) {
    db.insert("Articoli", {{"Articolo", "VUOTO"}, {"Cauzione", "S"}});
    doc.testata(1).riga("22", "100.00").riga("22", "5.00", {{"Articolo", "VUOTO"}});
    EXPECT_EQ(calcola(1)->odTotMerce, c("100.00"));
    doc.parametroPersonale("Fatture", "GestVuotiCauz", "S");
    EXPECT_EQ(calcola(1)->odTotMerce, c("105.00"));
}

TEST_F(FooterTest, DiscountStagesFollowTheLineChains) {
    // Line 1: 100.00 less 10 then 5: stages 90.00 and 85.50. Line 2 without a chain adds
    // its 50.00 to both stages.
    doc.testata(1)
        .riga("22", "50.00")
        .riga("22", "85.50", {{"ValUnitario", importo("100")}, {"ScontoTot", "10+5"}});
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumSconti, 2);
    EXPECT_EQ(calc->odTotMerceSco(1), c("140.00"));
    EXPECT_EQ(calc->odTotMerceSco(2), c("135.50"));
    EXPECT_EQ(calc->odTotMerceSco(3), Currency{});
}

// ---- Withholding tax and pension fund ----

struct CasoRitenuta {
    const char* nome;
    bool cassaFuoriImponibile;
    const char* imponibile;
    const char* fattura;
    const char* pagare;
    const char* speseCassa;  // in ogSpesePerc
};

class FooterWithholding : public FooterTest, public ::testing::WithParamInterface<CasoRitenuta> {};

TEST_P(FooterWithholding, WithholdsOnSubjectRowsAndAddsPensionFund) {
    const CasoRitenuta& caso = GetParam();
    if (caso.cassaFuoriImponibile)
        doc.parametroPersonale("Tutti", "CassaPrevNoImpon", "S");
    doc.testata(1, {{"PercRitAcc", importo("20")}})
        .riga("22", "1000.00", {{"SoggRitAcc", "S"}})
        .riga("22", "100.00", {{"SoggRitAcc", "N"}})
        .spesa("CAS", "22", {}, {{"Percentuale", importo("4")}});
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_EQ(calc->odTotImpRitAcc, c("1000.00"));
    EXPECT_EQ(calc->odTotImpRitAccEff, c("1000.00"));
    EXPECT_EQ(calc->odRitAcc, c("200.00"));
    EXPECT_EQ(calc->ouPercCassaPrev, c("4"));
    EXPECT_EQ(calc->ouTotCassaPrev, c("40.00"));
    EXPECT_EQ(calc->osCassaPrevGruppo, "08");
    EXPECT_EQ(calc->osCassaPrevConto, "010");
    EXPECT_EQ(calc->obCassaPrevNoImpon, caso.cassaFuoriImponibile);
    EXPECT_EQ(calc->ogSpesePerc.importo("1"), c(caso.speseCassa));
    EXPECT_EQ(calc->odTotImponibile, c(caso.imponibile));
    EXPECT_EQ(calc->odTotFattura, c(caso.fattura));
    EXPECT_EQ(calc->odTotPagare, c(caso.pagare));
}

INSTANTIATE_TEST_SUITE_P(Cases, FooterWithholding,
                         ::testing::Values(CasoRitenuta{"PensionFundInsideTaxable", false,
                                                        "1140.00", "1390.80", "1190.80", "40.00"},
                                           CasoRitenuta{"PensionFundOutsideTaxable", true,
                                                        "1100.00", "1342.00", "1102.00", "0"}),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST_F(FooterTest, ZeroWithholdingPercentageComputesNothing) {
    doc.testata(1).riga("22", "1000.00", {{"SoggRitAcc", "S"}});
    const auto calc = calcola(1);
    EXPECT_EQ(calc->odRitAcc, Currency{});
    EXPECT_EQ(calc->odTotImpRitAcc, Currency{});
    EXPECT_EQ(calc->odTotPagare, c("1220.00"));
}

// ---- Stamp duty ----

struct CasoBollo {
    const char* nome;
    const char* esente;
    const char* documento;
    bool onlus;
    std::optional<QString> override;
    const char* bolli;
    const char* fattura;
};

class FooterStampOnExempt : public FooterTest, public ::testing::WithParamInterface<CasoBollo> {};

TEST_P(FooterStampOnExempt, AppliesAboveThreshold) {
    const CasoBollo& caso = GetParam();
    if (caso.onlus)
        doc.parametro("Fat.Onlus", "S");
    doc.testata(1, {{"Bolli", caso.override ? "N" : "S"}, {"FattDocumento", caso.documento}})
        .riga("E3", caso.esente);
    const auto calc = calcola(1, caso.override);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_EQ(calc->odTotBolli, c(caso.bolli));
    EXPECT_EQ(calc->odTotFattura, c(caso.fattura));
    EXPECT_EQ(calc->odTotEsente, c(caso.fattura));
    EXPECT_TRUE(calc->obBolliEsenti);
    EXPECT_EQ(calc->ogIve.obEsiste("B15"), !c(caso.bolli).isZero());
    if (calc->ogIve.obEsiste("B15")) {
        const scIva& iva = calc->ogIve.ogIva("B15");
        EXPECT_TRUE(iva.obIvaBolli);
        EXPECT_EQ(iva.odImpon, c(caso.bolli));
        EXPECT_EQ(iva.odCPImpon("0740009", true), c(caso.bolli));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FooterStampOnExempt,
    ::testing::Values(CasoBollo{"AboveThreshold", "100.00", "FT", false, {}, "2.00", "102.00"},
                      CasoBollo{"ExactlyThreshold", "77.47", "FT", false, {}, "0", "77.47"},
                      CasoBollo{"CreditNote", "100.00", "NC", false, {}, "-2.00", "98.00"},
                      CasoBollo{"NonProfit", "100.00", "FT", true, {}, "0", "100.00"},
                      CasoBollo{"OverrideAddsStamp", "100.00", "FT", false, QStringLiteral("S"),
                                "2.00", "102.00"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(FooterTest, ExemptCodeWithoutStampApplicationTakesNoStamp) {
    doc.testata(1, {{"Bolli", "S"}}).riga("N8", "100.00");
    const auto calc = calcola(1);
    EXPECT_EQ(calc->odTotEsenteAppBol, Currency{});
    EXPECT_EQ(calc->odTotBolli, Currency{});
    EXPECT_TRUE(calc->obFattEsente);
}

TEST_F(FooterTest, BankReceiptsTakeTheStampOfTheirBracket) {
    // 1229.51 + 270.49 VAT = 1500.00 in three receipts of 500.00: the bracket up to 500.00
    // (1.00 each).
    doc.testata(1, {{"Bolli", "S"}, {"Pagamento", "RB3"}}).riga("22", "1229.51");
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_EQ(calc->odTotBolli, c("3.00"));
    EXPECT_EQ(calc->odTotFattura, c("1503.00"));
    EXPECT_EQ(calc->odTotEsente, c("3.00"));
    EXPECT_EQ(calc->odTotPagare, c("1503.00"));
    EXPECT_EQ(calc->ogIve.odImpon("B15"), c("3.00"));
}

TEST_F(FooterTest, BillsTakeThePerMilleStampPerInstalment) {
    // 1000.00 + 10% = 1100.00 in two bills of 550.00: 12 per mille = 6.60 each.
    doc.testata(1, {{"Bolli", "S"}, {"Pagamento", "TR2"}}).riga("10", "1000.00");
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    EXPECT_EQ(calc->odTotBolli, c("13.20"));
    EXPECT_EQ(calc->odTotFattura, c("1113.20"));
    EXPECT_EQ(calc->oiSpeseScadNum(), 0);
}

TEST_F(FooterTest, BillsWithStampExpenseUseThePaymentSchedule) {
    doc.testata(1, {{"Bolli", "S"}, {"Pagamento", "TR2"}})
        .riga("10", "1000.00")
        .spesa("BOL", "B15", importo("0"));
    const auto calc = calcola(1);
    ASSERT_EQ(calc->oiNumErrori, 0) << calc->osErrori.toStdString();
    ASSERT_EQ(calc->oiSpeseScadNum(), 2);
    EXPECT_EQ(calc->odSpeseScad(1), c("6.60"));
    EXPECT_EQ(calc->odSpeseScad(2), c("6.60"));
    EXPECT_EQ(calc->odTotBolliScad, c("13.20"));
    EXPECT_EQ(calc->odTotBolli, c("13.20"));
}

// ---- The four table sets ----

class FooterTableSets : public ::testing::TestWithParam<char> {};

TEST_P(FooterTableSets, ComputesTheSameDocumentInEveryTableSet) {
    TestDb db;
    DirectMenuClient menu(db.db(), "tester", "T1", QDate(2024, 3, 15));
    ParametriDitta parametri(menu);
    AziendaUtil moneta(db.db(), MoneySettings{});
    ScriptedUiServices ui;
    DocumentBuilder doc(db, QLatin1Char(GetParam()));
    doc.tabelleAzienda();
    doc.testata(9, {{"PercRitAcc", importo("0")}})
        .riga("22", "100.00")
        .riga("E3", "50.00")
        .spesa("TRASP", "10", importo("10.00"));
    scCalcPiedeFat calc(db.db(), parametri, moneta, ui);
    calc.setTabelle(doc.tabelle());
    calc.CalcPiedeFat(2024, 9);
    ASSERT_EQ(calc.oiNumErrori, 0) << calc.osErrori.toStdString();
    EXPECT_EQ(calc.odTotImponibile, c("110.00"));
    EXPECT_EQ(calc.odTotIva, c("23.00"));
    EXPECT_EQ(calc.odTotEsente, c("50.00"));
    EXPECT_EQ(calc.odTotFattura, c("183.00"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, FooterTableSets, ::testing::Values('F', 'B', 'O', 'A'));

// ---- Bad input ----

TEST_F(FooterTest, MissingHeaderIsReported) {
    const auto calc = calcola(5);
    EXPECT_EQ(calc->oiNumErrori, 1);
    EXPECT_EQ(calc->osErrori, QStringLiteral("Errore n°3021 : Non è stata trovata la testata del "
                                             "doc. 5 2024 in  CalcPiedeFat (Lettura testata) \n"));
}

TEST_F(FooterTest, MissingLinesAreReportedOnlyWhenRequired) {
    doc.testata(5);
    auto calc = calcola(5);
    EXPECT_EQ(calc->oiNumErrori, 1);
    EXPECT_TRUE(
        calc->osErrori.contains("Documento senza dettagli: 5 2024 in  CalcPiedeFat "
                                "(Lettura Dettagli Normali)"));
    calc->obErrNoDett = false;
    calc->CalcPiedeFat(2024, 5);
    EXPECT_EQ(calc->oiNumErrori, 0);
    EXPECT_EQ(calc->odTotFattura, Currency{});
}

TEST_F(FooterTest, BadDataIsReportedNeverSilent) {
    doc.testata(1)
        .riga("99", "100.00")
        .riga("22", nullptr)
        .spesa("NOSUCH", "22", importo("5.00"))
        .spesa("TRASP", "22", {});
    const auto calc = calcola(1);
    EXPECT_EQ(calc->oiNumErrori, 4);
    EXPECT_TRUE(calc->osErrori.contains("Codice IVA \"99\" non trovato"))
        << calc->osErrori.toStdString();
    EXPECT_TRUE(calc->osErrori.contains("Valore mancante (ValTotale) nella riga 2"));
    EXPECT_TRUE(calc->osErrori.contains("Spesa \"NOSUCH\" non trovata"));
    EXPECT_TRUE(calc->osErrori.contains("Importo mancante nella spesa \"TRASP\""));
    EXPECT_TRUE(calc->osErrori.contains("(Lettura Spese)"));
}

TEST_F(FooterTest, ErrorTextKeepsThirtyMessages) {
    doc.testata(1);
    for (int i = 0; i < 32; ++i)
        doc.riga("XX", "1.00");
    const auto calc = calcola(1);
    EXPECT_EQ(calc->oiNumErrori, 32);
    EXPECT_EQ(calc->osErrori.count(QStringLiteral("Errore n°")), 30);
    EXPECT_TRUE(calc->osErrori.endsWith(QStringLiteral("\n..............")));
}

TEST_F(FooterTest, WithholdingSubCalculationFailureKeepsValuesAndTellsTheUser) {
    doc.testata(1, {{"PercRitAcc", importo("20")}})
        .riga("22", "100.00", {{"SoggRitAcc", "S"}})
        .riga("22", nullptr, {{"SoggRitAcc", "S"}});
    const auto calc = calcola(1);
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.last().startsWith("Totali ritenuta d'acconto non aggiornati"));
    EXPECT_EQ(calc->odRitAcc, Currency{});
    EXPECT_GT(calc->oiNumErrori, 0);
}

TEST_F(FooterTest, ReusedCalculatorStartsAfresh) {
    doc.testata(1).riga("22", "100.00");
    doc.testata(2).riga("10", "10.00");
    scCalcPiedeFat calc(db.db(), parametri, moneta, ui);
    calc.setTabelle(doc.tabelle());
    calc.CalcPiedeFat(2024, 1);
    calc.CalcPiedeFat(2024, 2);
    EXPECT_FALSE(calc.ogIve.obEsiste("22"));
    EXPECT_EQ(calc.odTotFattura, c("11.00"));
}

}  // namespace
}  // namespace evapre::test
