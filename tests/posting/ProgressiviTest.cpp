// What one posted row moves: receipts, issues, transfers and returns in the stock
// progressives, the valuation of issues, the weighted average, last and highest cost, the
// statistics, opening stock and additional progressives, level articles.
#include "PostingFixture.h"

namespace evapre::test {
namespace {

class ProgressiviTest : public PostingTest {
  protected:
    void parametro(const QString& chiave, const QString& valore) {
        db.insert("MenuParametri", {{"Chiave", chiave}, {"Valore", valore}});
    }
};

// A transfer issues from the source warehouse and receives into the destination, the same
// quantity; the issue is valued.
TEST_F(ProgressiviTest, TrasferimentoTraMagazzini) {
    causale("TRF", {{"CarScar", "S"}, {"Prov", "M"}, {"Dest", "M"}, {"ValorizzScarico", "P"}});
    articolo("A");
    progressivo("A", "01", {{"QtaIniziale", 20}, {"ValIniziale", 200}, {"MedioPonderale", 10}});
    movimento(1, "TRF", {{"MagazzinoDest", "02"}});
    riga(1, 1, "A", "5", "50");
    ASSERT_TRUE(posta(1)) << ui.messages.join("\n").toStdString();
    EXPECT_EQ(prog("A", "01", "QtaScarico"), val("5"));
    EXPECT_EQ(prog("A", "01", "ValScarico"), val("50"));
    EXPECT_EQ(prog("A", "01", "ValScaUC"), val("50"));
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("0"));
    EXPECT_EQ(prog("A", "02", "QtaCarico"), val("5"));
    EXPECT_EQ(prog("A", "02", "ValCarico"), val("50"));
    EXPECT_EQ(prog("A", "02", "QtaScarico"), val("0"));
    EXPECT_EQ(valore("Select ValScarico from MovMagDett"), val("10"));
    EXPECT_EQ(data("Select DataUltCarico" + doveProg("A", "02")), QDate(2024, 3, 15));
}

// A receipt with Segno "-" takes back from the receipts and leaves the average alone.
TEST_F(ProgressiviTest, ResoAlFornitore) {
    causale("RES", {{"Segno", "-"}, {"AggMedioPon", "S"}, {"AcqVen", "A"}});
    articolo("A");
    progressivo("A", "01", {{"QtaCarico", 10}, {"ValCarico", 100}});
    costi("A", {{"MedioPonderale", 10}});
    movimento(1, "RES");
    riga(1, 1, "A", "3", "36");
    ASSERT_TRUE(posta(1));
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("7"));
    EXPECT_EQ(prog("A", "01", "ValCarico"), val("64"));
    EXPECT_EQ(costo("A", "MedioPonderale"), val("10"));
    EXPECT_EQ(costo("A", "QtaAcquisti"), val("0"));
}

// The weighted average over the stock of every warehouse after the receipt.
TEST_F(ProgressiviTest, MedioPonderale) {
    struct Caso {
        const char* nome;
        const char* giacenza;  // stock before the receipt, in warehouse "02"
        const char* medio;     // average before
        const char* atteso;    // after 10 received for 150.00
    };
    const QList<Caso> casi{
        {"primo carico dell'anno", "0", "0", "15"},
        {"con giacenza", "10", "10", "12.5"},
        {"giacenza negativa: vale il costo del carico", "-5", "10", "15"},
        {"giacenza che torna a zero: invariato", "-10", "10", "10"},
    };
    acquisto();
    int n = 0;
    for (const Caso& c : casi) {
        const QString art = "A" + QString::number(++n);
        articolo(art);
        progressivo(art, "02", {{"QtaIniziale", importo(c.giacenza)}});
        costi(art, {{"MedioPonderale", importo(c.medio)}});
        movimento(n, "ACQ");
        riga(n, 1, art, "10", "150");
        ASSERT_TRUE(posta(n)) << c.nome;
        EXPECT_EQ(costo(art, "MedioPonderale"), val(c.atteso)) << c.nome;
    }
}

// An issue is valued by its causal from the progressive row; a cost of 0 falls back to the
// opening value.
TEST_F(ProgressiviTest, ValorizzazioneDelloScarico) {
    struct Caso {
        const char* nome;
        const char* valorizza;
        Colonne progressivo;
        const char* costo;
    };
    const QList<Caso> casi{
        {"medio carichi senza carichi né esistenza", "C", {}, "0"},
        {"medio carichi", "C", {{"QtaMedioC", 4}, {"ValMedioC", 50}}, "12.5"},
        {"medio ponderale", "P", {{"MedioPonderale", importo("7.25")}}, "7.25"},
        {"costo ultimo", "U", {{"CostoUltimo", 9}, {"MedioPonderale", 7}}, "9"},
        {"costo 0: esistenza iniziale", "P", {{"QtaIniziale", 10}, {"ValIniziale", 80}}, "8"},
    };
    int n = 0;
    for (const Caso& c : casi) {
        ++n;
        const QString cod = "V" + QString::number(n);
        causale(cod,
                {{"CarScar", "S"}, {"Prov", "M"}, {"Dest", ""}, {"ValorizzScarico", c.valorizza}});
        articolo(cod);
        progressivo(cod, "01", c.progressivo);
        movimento(n, cod);
        riga(n, 1, cod, "2", "100");
        ASSERT_TRUE(posta(n)) << c.nome;
        const Currency unitario = val(c.costo);
        EXPECT_EQ(valore("Select ValScarico from MovMagDett where NumReg = " + QString::number(n)),
                  unitario)
            << c.nome;
        EXPECT_EQ(prog(cod, "01", "ValScaUC"), unitario * 2) << c.nome;
        EXPECT_EQ(prog(cod, "01", "QtaScarico"), val("2")) << c.nome;
    }
}

// A level article moves the rows of its levels; its detail line moves nothing, unless it has no
// level lines, when it moves the article's own row.
TEST_F(ProgressiviTest, ArticoloALivelli) {
    parametro("Mag.GesTaglie", "S");
    acquisto();
    articolo("T", {{"LivGruppo1", "TG"}});
    movimento(1, "ACQ");
    riga(1, 1, "T", "5", "50");
    livello(1, 1, "S", "2", "20");
    livello(1, 1, "M", "3", "30");
    ASSERT_TRUE(posta(1));
    EXPECT_EQ(prog("T", "01", "QtaCarico", "S"), val("2"));
    EXPECT_EQ(prog("T", "01", "QtaCarico", "M"), val("3"));
    EXPECT_EQ(conta("Select count(*)" + doveProg("T", "01")), 0);
    EXPECT_EQ(costo("T", "QtaAcquisti"), val("5"));

    movimento(2, "ACQ");
    riga(2, 1, "T", "4", "40");
    ASSERT_TRUE(posta(2));
    EXPECT_EQ(prog("T", "01", "QtaCarico"), val("4"));
}

// Rows that move nothing: an article outside the warehouse, a causal that updates no
// progressive.
TEST_F(ProgressiviTest, RigheCheNonMuovonoNulla) {
    acquisto();
    causale("ORD", {{"TipoMov", "O"}});
    articolo("S", {{"ArtMag", "N"}});
    articolo("A");
    movimento(1, "ACQ");
    riga(1, 1, "S", "1", "10");
    movimento(2, "ORD");
    riga(2, 1, "A", "1", "10");
    ASSERT_TRUE(posta(1));
    ASSERT_TRUE(posta(2));
    EXPECT_EQ(conta("Select count(*) from ArticoliProg"), 0);
    EXPECT_EQ(conta("Select count(*) from ArticoliCosti"), 0);
    EXPECT_EQ(conta("Select count(*) from MovMagDett"), 2);
}

// Opening stock goes into the opening columns and its additional progressive; a causal that
// neither receives nor issues moves only its additional progressive.
TEST_F(ProgressiviTest, EsistenzaInizialeEProgressiviAggiuntivi) {
    causale("INV", {{"TipoMov", "I"}, {"Prov", ""}, {"AggMedioCar", "S"}, {"QualeProgrQta", "2"}});
    causale("NUL", {{"CarScar", "N"}, {"Prov", "M"}, {"Dest", ""}, {"QualeProgrQta", "1"}});
    causale("BAD", {{"CarScar", "N"}, {"Prov", "M"}, {"Dest", ""}, {"QualeProgrQta", "9"}});
    articolo("A");
    movimento(1, "INV");
    riga(1, 1, "A", "12", "60");
    movimento(2, "NUL");
    riga(2, 1, "A", "4", "0");
    movimento(3, "BAD");
    riga(3, 1, "A", "1", "0");
    ASSERT_TRUE(posta(1));
    ASSERT_TRUE(posta(2));
    EXPECT_EQ(prog("A", "01", "QtaIniziale"), val("12"));
    EXPECT_EQ(prog("A", "01", "ValIniziale"), val("60"));
    EXPECT_EQ(prog("A", "01", "ProgrQtaIniz2"), val("12"));
    EXPECT_EQ(prog("A", "01", "ProgrQta1"), val("4"));
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("0"));
    EXPECT_EQ(prog("A", "01", "QtaScarico"), val("0"));
    EXPECT_EQ(conta("Select count(*) from ArticoliCosti"), 0);
    EXPECT_FALSE(posta(3));
    EXPECT_TRUE(ui.messages.last().contains("ProgrQta9")) << ui.messages.last().toStdString();
}

// Last cost only from a receipt not older than the one it replaces; highest cost only when
// higher; purchases and sales statistics; the purchase's supplier becomes the usual one.
TEST_F(ProgressiviTest, CostiStatisticheEFornitoreAbituale) {
    parametro("Mag.AggForArt", "S");
    acquisto();
    vendita();
    articolo("A", {{"GruppoForAb", "02"}, {"MastroForAb", "01"}, {"ContoForAb", "00001"}});
    costi("A", {{"CostoUltimo", 9},
                {"DataCostoUltimo", QDate(2024, 4, 1)},
                {"CostoPiu", 11},
                {"DataCostoPiu", QDate(2024, 1, 5)}});
    const Colonne fornitore{
        {"GruppoCliFor", "02"}, {"MastroCliFor", "01"}, {"ContoCliFor", "00007"}};
    movimento(1, "ACQ", fornitore);  // 15 March, older than the last cost
    riga(1, 1, "A", "10", "120");
    movimento(2, "ACQ", unisci(fornitore, {{"DataReg", QDate(2024, 5, 2)}}));
    riga(2, 1, "A", "10", "100");
    movimento(3, "VEN", {{"DataReg", QDate(2024, 5, 3)}});
    riga(3, 1, "A", "4", "80");

    ASSERT_TRUE(posta(1));
    EXPECT_EQ(costo("A", "CostoUltimo"), val("9"));
    EXPECT_EQ(costo("A", "CostoPiu"), val("12"));
    EXPECT_EQ(data("Select DataCostoPiu from ArticoliCosti"), QDate(2024, 3, 15));
    EXPECT_EQ(testo("Select ContoForAb from Articoli"), "00007");

    ASSERT_TRUE(posta(2));
    ASSERT_TRUE(posta(3));
    EXPECT_EQ(costo("A", "CostoUltimo"), val("10"));
    EXPECT_EQ(data("Select DataCostoUltimo from ArticoliCosti"), QDate(2024, 5, 2));
    EXPECT_EQ(costo("A", "CostoPiu"), val("12"));
    EXPECT_EQ(costo("A", "QtaAcquisti"), val("20"));
    EXPECT_EQ(costo("A", "ValAcquisti"), val("220"));
    EXPECT_EQ(costo("A", "QtaVenduto"), val("4"));
    EXPECT_EQ(costo("A", "ValVenduto"), val("80"));
    EXPECT_EQ(costo("A", "QtaMedioC"), val("20"));
    // A sale does not make its price an average: 20 received at 11.00 on average.
    EXPECT_EQ(costo("A", "MedioPonderale"), val("11"));
}

}  // namespace
}  // namespace evapre::test
