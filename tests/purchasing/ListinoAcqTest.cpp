#include "PurchasingFixture.h"

namespace evapre::test {
namespace {

class ListinoAcqTest : public PurchasingTest {
  protected:
    RichiestaPrezzoAcq richiesta(const QString& fonte) {
        RichiestaPrezzoAcq r;
        r.qualeImporto = fonte;
        r.intTipo = "2";
        r.gruppo = "04";
        r.mastro = "01";
        r.conto = "00001";
        r.articolo = "A1";
        r.listino = "ACQ";
        r.data = QDate(2024, 6, 30);
        r.moneta = "Euro";
        r.numDecMonGes = 2;
        r.fatConv = Currency::fromInt(1);
        r.um = "PZ";
        r.percIva = Currency::fromInt(22);
        return r;
    }
    void fornitoreArticolo(const char* um) {
        db.insert("ArticoliFor", {{"Articolo", "A1"},
                                  {"Livello1", kNoLiv},
                                  {"Livello2", kNoLiv},
                                  {"GruppoFor", "04"},
                                  {"MastroFor", "01"},
                                  {"ContoFor", "00001"},
                                  {"Moneta", "Euro"},
                                  {"PrezzoAcq", 0},
                                  {"CostoUltimo", 7},
                                  {"Sconto", "5"},
                                  {"UltUM", um}});
    }
    void costi() {
        db.insert("ArticoliCosti", {{"Articolo", "A1"},
                                    {"Livello1", kNoLiv},
                                    {"Livello2", kNoLiv},
                                    {"Anno", 2024},
                                    {"CostoUltimo", 6},
                                    {"MedioPonderale", 5}});
    }
};

// The sources in their order: the supplier's price (in the line's unit only), then the costs
// of the year for "U" and "M".
TEST_F(ListinoAcqTest, PrezzoDelFornitoreOCostiDellAnno) {
    parametro("Mag.GesArtFor", "S");
    costi();
    fornitoreArticolo("PZ");
    PrezzoAcq p = crea.CercaListinoDettAcq(richiesta("U"));
    EXPECT_TRUE(p.trovato);
    EXPECT_EQ(p.prezzo, Currency::fromInt(7));  // PrezzoAcq 0: the last cost
    EXPECT_EQ(p.sconto, "5");

    db.db().execute("Update ArticoliFor Set UltUM = 'CT'");
    p = crea.CercaListinoDettAcq(richiesta("U"));
    EXPECT_EQ(p.prezzo, Currency::fromInt(6));
    p = crea.CercaListinoDettAcq(richiesta("M"));
    EXPECT_EQ(p.prezzo, Currency::fromInt(5));
}

TEST_F(ListinoAcqTest, PromozionePiuRecenteVince) {
    prezzo("A1", "10");
    for (auto [inizio, prezzoProm] :
         {std::pair{QDate(2024, 6, 1), "8"}, {QDate(2024, 6, 15), "7"}, {QDate(2024, 7, 1), "1"}})
        db.insert("ArtLisPromozioni", {{"Articolo", "A1"},
                                       {"Listino", "ACQ"},
                                       {"Livello1", kNoLiv},
                                       {"Livello2", kNoLiv},
                                       {"DataInizioProm", inizio},
                                       {"DataFineProm", QDate(2024, 12, 31)},
                                       {"Prezzo", importo(prezzoProm)}});
    const PrezzoAcq p = crea.CercaListinoDettAcq(richiesta("L"));
    EXPECT_EQ(p.prezzo, Currency::fromInt(7));
    EXPECT_EQ(p.modSconto, "Prom");
}

// The newest list price valid on the date; blank discounts take the list's own; a list with
// VAT-inclusive prices gives the net price to a document without VAT.
TEST_F(ListinoAcqTest, PrezzoDiListinoConScontiDelListino) {
    db.db().execute("Update Listini Set Sconto = '3+2', ScoSomSost = 'S', Ivato = 'S'");
    prezzo("A1", "100", {{"DataInizio", QDate(2023, 1, 1)}});
    prezzo("A1", "122", {{"Sconto", "  "}});
    prezzo("A1", "999", {{"DataInizio", QDate(2024, 12, 1)}});
    RichiestaPrezzoAcq r = richiesta("L");
    r.listIvato = true;
    PrezzoAcq p = crea.CercaListinoDettAcq(r);
    EXPECT_TRUE(p.trovato);
    EXPECT_EQ(p.prezzo, Currency::fromInt(100));
    EXPECT_EQ(p.sconto, "3+2");
    EXPECT_EQ(p.modSconto, "S");

    r.przIvato = true;
    p = crea.CercaListinoDettAcq(r);
    EXPECT_EQ(p.prezzo, Currency::fromInt(122));
}

TEST_F(ListinoAcqTest, NessunPrezzoDaNessunaParte) {
    for (const char* fonte : {"L", "U", "M"}) {
        SCOPED_TRACE(fonte);
        const PrezzoAcq p = crea.CercaListinoDettAcq(richiesta(fonte));
        EXPECT_FALSE(p.trovato);
        EXPECT_EQ(p.prezzo, Currency());
    }
}

}  // namespace
}  // namespace evapre::test
