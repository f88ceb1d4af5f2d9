#include <gtest/gtest.h>

#include "AggSpeBan.h"
#include "DocumentBuilder.h"
#include "RowSet.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"

namespace evapre::test {
namespace {

Currency c(const char* text) {
    return *Currency::parse(QString::fromLatin1(text));
}

class AggSpeBanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        doc.tabelleAzienda();
        db.insert("Spese", {{"Spesa", "INC2"},
                            {"TipoAddebito", "R"},
                            {"Importo", importo("3.00")},
                            {"Iva", "22"},
                            {"Moneta", "Euro"}});
        db.insert("Spese", {{"Spesa", "INCL"},
                            {"TipoAddebito", "R"},
                            {"Importo", importo("1")},
                            {"ImportoLire", importo("2000")},
                            {"Moneta", "L."}});
        db.insert("Pagamenti",
                  {{"Pagamento", "RB2"}, {"PagTipo", "RB"}, {"NumScad", 2}, {"Spesa", "INC2"}});
        db.insert("Pagamenti",
                  {{"Pagamento", "RBL"}, {"PagTipo", "RB"}, {"NumScad", 2}, {"Spesa", "INCL"}});
        db.insert("PianoConti", {{"Gruppo", "01"},
                                 {"Mastro", "01"},
                                 {"Conto", "00002"},
                                 {"SpeseBan", "N"},
                                 {"Bolli", "N"}});
    }

    static AggSpeBan::Stato stato(const char* pagamento, const char* conto = "01-01-00001") {
        return {QStringLiteral("RB"), QString::fromLatin1(conto), QString::fromLatin1(pagamento),
                std::nullopt};
    }

    int spese(const char* pagamentoVecchio, const char* pagamentoNuovo,
              const char* conto = "01-01-00001") {
        const AggSpeBan::Stato vecchio =
            pagamentoVecchio ? stato(pagamentoVecchio, conto) : AggSpeBan::Stato{};
        const int riga =
            agg.AggSpeseBan("FatSpese", 2024, 1, vecchio, stato(pagamentoNuovo, conto), "Euro", 2);
        EXPECT_TRUE(agg.osErrori.isEmpty()) << agg.osErrori.toStdString();
        return riga;
    }

    // "Spesa=Importo" of each expense row, by Riga.
    QStringList righe() {
        QStringList out;
        auto r = db.db().openRowSet(
            "SELECT Riga, Spesa, Importo FROM FatSpese WHERE Anno = 2024 AND NumRif = 1 "
            "ORDER BY Riga");
        for (; !r->eof(); r->moveNext())
            out << QStringLiteral("%1:%2=%3")
                       .arg(r->integer("Riga"))
                       .arg(r->text("Spesa"), r->amount("Importo").format(2));
        return out;
    }

    TestDb db;
    ScriptedUiServices ui;
    DocumentBuilder doc{db};
    AggSpeBan agg{db.db(), MoneySettings{}, ui};
};

TEST_F(AggSpeBanTest, OneChargePerInstalmentOnTheFirstRow) {
    EXPECT_EQ(spese(nullptr, "RB3"), 1);
    EXPECT_EQ(righe(), QStringList{"1:INC=6,00"});
    // Asked again, the row is refreshed, not doubled.
    EXPECT_EQ(spese(nullptr, "RB3"), 1);
    EXPECT_EQ(righe(), QStringList{"1:INC=6,00"});
}

TEST_F(AggSpeBanTest, ChangedTermsReplaceTheRowWithTheNextNumber) {
    doc.testata(1).spesa("TRASP", "22", importo("10"));
    ASSERT_EQ(spese(nullptr, "RB3"), 2);
    EXPECT_EQ(spese("RB3", "RB2"), 2);
    EXPECT_EQ(righe(), (QStringList{"1:TRASP=10,00", "2:INC2=6,00"}));
}

TEST_F(AggSpeBanTest, NoChargeForCustomerWithoutItAndTheOldRowGoes) {
    ASSERT_EQ(spese(nullptr, "RB3"), 1);
    EXPECT_EQ(
        agg.AggSpeseBan("FatSpese", 2024, 1, stato("RB3"), stato("RB3", "0101000002"), "Euro", 2),
        0);
    EXPECT_TRUE(righe().isEmpty());
    // The override of the customer flag wins over the chart of accounts.
    AggSpeBan::Stato forzato = stato("RB3", "0101000002");
    forzato.flagCliente = QStringLiteral("S");
    EXPECT_EQ(agg.AggSpeseBan("FatSpese", 2024, 1, {}, forzato, "Euro", 2), 1);
}

TEST_F(AggSpeBanTest, NoChargeWithoutSelectorOrInAnotherCurrency) {
    AggSpeBan::Stato senza = stato("RB3");
    senza.selettore = QStringLiteral("-");
    EXPECT_EQ(agg.AggSpeseBan("FatSpese", 2024, 1, {}, senza, "Euro", 2), 0);
    EXPECT_EQ(spese(nullptr, "RBL"), 0);  // an expense in lire on a euro document
    EXPECT_TRUE(righe().isEmpty());
}

TEST_F(AggSpeBanTest, StampDutyRowFollowsTheBillTerms) {
    const int riga = agg.AggBolli("FatSpese", 2024, 1, {}, stato("TR2"), "Euro", 2);
    EXPECT_TRUE(agg.osErrori.isEmpty()) << agg.osErrori.toStdString();
    EXPECT_EQ(riga, 1);
    EXPECT_EQ(righe(), QStringList{"1:BOL=4,00"});
    // Collection charges ignore a stamp-duty expense.
    EXPECT_EQ(spese(nullptr, "TR2"), 0);
}

TEST_F(AggSpeBanTest, AccountTextIsSplitWithOrWithoutDashes) {
    QString g, m, c;
    AggSpeBan::DividiConto("01-02-00003", g, m, c);
    EXPECT_EQ(QStringList({g, m, c}), QStringList({"01", "02", "00003"}));
    AggSpeBan::DividiConto("010200003", g, m, c);
    EXPECT_EQ(QStringList({g, m, c}), QStringList({"01", "02", "00003"}));
}

TEST_F(AggSpeBanTest, ElectronicInvoiceStampIsSetAndCleared) {
    const auto leggi = [&] {
        auto r = db.db().openRowSet("SELECT * FROM FatTestFe WHERE Anno = 2024 AND NumRif = 1");
        return r->eof() ? QString("-")
                        : r->text("FENumeroBollo") + "/" +
                              (r->isNull("FEImportoBollo") ? QString("null")
                                                           : r->amount("FEImportoBollo").format(2));
    };
    ASSERT_TRUE(agg.AggFatTestFe(2024, 1, "S", c("2.00")));
    EXPECT_EQ(leggi(), "SI/2,00");
    ASSERT_TRUE(agg.AggFatTestFe(2024, 1, "N", c("2.00")));
    EXPECT_EQ(leggi(), "/null");
    ASSERT_TRUE(agg.AggFatTestFe(2024, 1, "S", c("0.001")));
    EXPECT_EQ(leggi(), "/null");
}

TEST_F(AggSpeBanTest, DatabaseFailureIsReported) {
    EXPECT_EQ(agg.AggSpeseBan("NoSuchTable", 2024, 1, {}, stato("RB3"), "Euro", 2), 0);
    EXPECT_TRUE(agg.osErrori.startsWith("Errore n°")) << agg.osErrori.toStdString();
    EXPECT_TRUE(agg.osErrori.endsWith(" in AggSpeseBan"));
}

}  // namespace
}  // namespace evapre::test
