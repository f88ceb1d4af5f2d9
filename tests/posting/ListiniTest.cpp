// What a receipt's new cost writes besides the costs: the price lists the article names for
// update, and the supplier's record of the article.
#include "PostingFixture.h"

namespace evapre::test {
namespace {

class ListiniTest : public PostingTest {
  protected:
    void SetUp() override {
        acquisto();
        db.insert("TabIva", {{"Iva", "20"}, {"Aliquota", 20}});
        db.insert("Listini", {{"Listino", "ACQ"}, {"Moneta", "Euro"}, {"Ivato", "N"}});
        db.insert("Listini", {{"Listino", "IVA"}, {"Moneta", "Euro"}, {"Ivato", "S"}});
        db.insert("Listini", {{"Listino", "CLI"}, {"Moneta", "Euro"}, {"Ivato", "N"}});
        db.insert(
            "PianoConti",
            {{"Gruppo", "02"}, {"Mastro", "01"}, {"Conto", "00007"}, {"PercRicListClie", 25}});
    }

    void parametro(const QString& chiave, const QString& valore) {
        db.insert("MenuParametri", {{"Chiave", chiave}, {"Valore", valore}});
    }
    void prezzo(const QString& articolo, const QString& listino, const QDate& inizio,
                const char* valore) {
        db.insert("ArtListini", {{"Articolo", articolo},
                                 {"Listino", listino},
                                 {"Livello1", kNoLiv},
                                 {"Livello2", kNoLiv},
                                 {"DataInizio", inizio},
                                 {"Prezzo", importo(valore)},
                                 {"Sconto", "5"}});
    }
    Currency prezzoDal(const QString& articolo, const QString& listino, const QDate& inizio) {
        return valore("Select Prezzo from ArtListini where Articolo = " + db.db().sql(articolo) +
                      " and Listino = " + db.db().sql(listino) +
                      " and DataInizio = " + db.db().sql(inizio));
    }
    // A receipt of 10 pieces for 100.00 (a cost of 10.00) from supplier 02-01-00007.
    void ricevi(int numReg, const QString& articolo, const QDate& data = QDate(2024, 3, 15)) {
        movimento(numReg, "ACQ",
                  {{"DataReg", data},
                   {"GruppoCliFor", "02"},
                   {"MastroCliFor", "01"},
                   {"ContoCliFor", "00007"}});
        riga(numReg, 1, articolo, "10", "100");
        ASSERT_TRUE(posta(numReg)) << ui.messages.join("\n").toStdString();
    }
};

// A March receipt updates the price valid from January, not the one from June; the discount of
// the price is kept.
TEST_F(ListiniTest, AggiornaIlPrezzoValidoAllaData) {
    articolo("A", {{"ListDaAgg", "ACQ"}});
    prezzo("A", "ACQ", QDate(2024, 1, 1), "8");
    prezzo("A", "ACQ", QDate(2024, 6, 1), "9");
    ricevi(1, "A");
    EXPECT_EQ(prezzoDal("A", "ACQ", QDate(2024, 1, 1)), val("10"));
    EXPECT_EQ(prezzoDal("A", "ACQ", QDate(2024, 6, 1)), val("9"));
    EXPECT_EQ(
        testo("Select Sconto from ArtListini where DataInizio = " + db.db().sql(QDate(2024, 1, 1))),
        "5");
}

// The price from a cost of 10.00: the article's markup, the VAT of a list with VAT included,
// the customer's markup on the customer-side list.
TEST_F(ListiniTest, PrezzoDalCosto) {
    parametro("Magazzino.ListVenDaAggOrd", "S");
    struct Caso {
        const char* nome;
        Colonne articolo;
        const char* listino;
        const char* prezzo;
    };
    const QList<Caso> casi{
        {"listino senza iva", {{"ListDaAgg", "ACQ"}}, "ACQ", "10"},
        {"listino ivato al 20%", {{"ListDaAgg", "IVA"}}, "IVA", "12"},
        {"maggiorazione dell'articolo", {{"ListDaAgg", "ACQ"}, {"Maggior", 50}}, "ACQ", "15"},
        {"maggiorazione e iva", {{"ListDaAgg", "IVA"}, {"Maggior", 50}}, "IVA", "18"},
        {"listino clienti con la maggiorazione del conto",
         {{"ListDaAggClie", "CLI"}},
         "CLI",
         "12.5"},
    };
    int n = 0;
    for (const Caso& c : casi) {
        const QString art = "A" + QString::number(++n);
        articolo(art, unisci({{"IvaVendite", "20"}}, c.articolo));
        prezzo(art, c.listino, QDate(2024, 1, 1), "1");
        ricevi(n, art);
        EXPECT_EQ(prezzoDal(art, c.listino, QDate(2024, 1, 1)), val(c.prezzo)) << c.nome;
    }
}

// No price valid yet: a new one starts on the movement date, or on the company's price-list
// date when the company asks for it, and stays open-ended.
TEST_F(ListiniTest, NuovoPrezzo) {
    articolo("A", {{"ListDaAgg", "ACQ"}});
    ricevi(1, "A");
    EXPECT_EQ(prezzoDal("A", "ACQ", QDate(2024, 3, 15)), val("10"));
    EXPECT_EQ(data("Select DataFine from ArtListini where Articolo = 'A'"), QDate(9999, 12, 31));

    parametro("Mag.QualeDataLis", "D");
    parametro("Mag.DataListino", "01/02/2024");
    UtilMovim altro(db.db(), parametri, moneta, ui, lock);
    articolo("B", {{"ListDaAgg", "ACQ"}});
    movimento(2, "ACQ");
    riga(2, 1, "B", "10", "100");
    ASSERT_TRUE(altro.AggMovimento(kAnno, 2, true, false, true));
    EXPECT_EQ(prezzoDal("B", "ACQ", QDate(2024, 2, 1)), val("10"));
}

// A list that cannot be updated is reported; the posting goes on.
TEST_F(ListiniTest, ListinoInesistente) {
    articolo("A", {{"ListDaAgg", "NOLIST"}});
    ricevi(1, "A");
    EXPECT_TRUE(ui.messages.join("\n").startsWith("Listino non aggiornato"));
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("10"));
}

// The supplier's record: a new one, then updated by a later purchase and left alone by an
// earlier one.
TEST_F(ListiniTest, ArticoloDelFornitore) {
    articolo("A");
    const QString dove =
        " from ArticoliFor where Articolo = 'A' and GruppoFor = '02' and "
        "MastroFor = '01' and ContoFor = '00007'";
    ricevi(1, "A", QDate(2024, 3, 15));
    EXPECT_EQ(valore("Select CostoUltimo" + dove), val("10"));
    EXPECT_EQ(testo("Select UltUM" + dove), "PZ");
    EXPECT_EQ(testo("Select Moneta" + dove), "Euro");

    movimento(2, "ACQ",
              {{"DataReg", QDate(2024, 2, 1)},
               {"GruppoCliFor", "02"},
               {"MastroCliFor", "01"},
               {"ContoCliFor", "00007"}});
    riga(2, 1, "A", "10", "80");
    ASSERT_TRUE(posta(2));
    EXPECT_EQ(valore("Select CostoUltimo" + dove), val("10"));
    EXPECT_EQ(data("Select DataUltAcq" + dove), QDate(2024, 3, 15));

    movimento(3, "ACQ",
              {{"DataReg", QDate(2024, 4, 1)},
               {"GruppoCliFor", "02"},
               {"MastroCliFor", "01"},
               {"ContoCliFor", "00007"}});
    riga(3, 1, "A", "10", "90", {{"UM", "CF"}});
    ASSERT_TRUE(posta(3));
    EXPECT_EQ(valore("Select CostoUltimo" + dove), val("9"));
    EXPECT_EQ(testo("Select UltUM" + dove), "CF");
    EXPECT_EQ(data("Select DataUltAcq" + dove), QDate(2024, 4, 1));
}

}  // namespace
}  // namespace evapre::test
