#include "PurchasingFixture.h"

namespace evapre::test {
namespace {

class CreaAcqTest : public PurchasingTest {};

// Which quote lines are ordered, and for how much, by option and stock.
TEST_F(CreaAcqTest, QuantitaOrdinataPerOpzione) {
    struct Caso {
        const char* nome;
        int opzione;
        int giacenza, minima, ordinato, impegnato;
        bool suDispon;
        int quantita;
        int attesa;  // 0: no order line
    } casi[] = {
        {"esauriti, manca 2", 3, 10, 0, 0, 0, false, 12, 2},
        {"esauriti, ne restano 2", 3, 10, 0, 0, 0, false, 8, 0},
        {"sottoscorta, torna a 5", 2, 10, 5, 0, 0, false, 8, 3},
        {"sottoscorta, sopra la minima", 2, 20, 5, 0, 0, false, 8, 0},
        {"tutti, la quantita del preventivo", 1, 100, 0, 0, 0, false, 8, 8},
        {"ordinato conta con il flag", 3, 10, 0, 5, 0, true, 12, 0},
        {"impegnato conta con il flag", 3, 10, 0, 0, 4, true, 8, 2},
        {"senza il flag ordinato e impegnato no", 3, 10, 0, 5, 4, false, 8, 0},
    };
    int numRif = 0;
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        ++numRif;
        const QString art = QStringLiteral("X%1").arg(numRif);
        articolo(art, {{"ScortaMinima", c.minima}});
        giacenza(
            art, kAnno,
            {{"QtaIniziale", c.giacenza}, {"QtaOrdFor", c.ordinato}, {"QtaImpCli", c.impegnato}});
        preventivo(numRif);
        riga(numRif, 1, art, c.quantita);
        ASSERT_TRUE(lancia(numRif, c.opzione, c.suDispon)) << crea.osErrori.toStdString();
        EXPECT_EQ(crea.oiNumErrori, 0) << crea.osErrori.toStdString();
        const QString dove = QStringLiteral(" from OrdAcqDett where Articolo = '%1'").arg(art);
        EXPECT_EQ(conta("Select count(*)" + dove), c.attesa ? 1 : 0);
        if (c.attesa) {
            EXPECT_EQ(valore("Select Qta" + dove), Currency::fromInt(c.attesa));
            EXPECT_EQ(valore(QStringLiteral("Select QtaOrdFor from ArticoliProg where Articolo = "
                                            "'%1' and Anno = 2024")
                                 .arg(art)),
                      Currency::fromInt(c.ordinato + c.attesa));
        }
    }
}

// The minimum stock of the warehouse wins over the article's.
TEST_F(CreaAcqTest, ScortaMinimaDelMagazzino) {
    articolo("S1", {{"ScortaMinima", 1}});
    giacenza("S1", kAnno, {{"QtaIniziale", 10}});
    db.insert("ArtScorte", {{"Articolo", "S1"},
                            {"Magazzino", "M1"},
                            {"Livello1", kNoLiv},
                            {"Livello2", kNoLiv},
                            {"ScortaMinima", 7}});
    preventivo(1);
    riga(1, 1, "S1", 8);
    ASSERT_TRUE(lancia(1, 2));
    EXPECT_EQ(valore("Select Qta from OrdAcqDett"), Currency::fromInt(5));
}

TEST_F(CreaAcqTest, ArticoloSenzaFornitoreAbitualeMaiOrdinato) {
    articolo(
        "NF",
        {{"GruppoForAb", QVariant()}, {"MastroForAb", QVariant()}, {"ContoForAb", QVariant()}});
    preventivo(1);
    riga(1, 1, "NF", 5);
    for (int opzione : {1, 2, 3}) {
        ASSERT_TRUE(lancia(1, opzione));
        EXPECT_EQ(conta("Select count(*) from OrdAcqTes"), 0);
        EXPECT_EQ(crea.oiNumErrori, 0);
    }
}

// Two quotes for the same supplier and terms: one open order, its note lists both, its footer
// covers both lines; the supplier's price list gives the price and the quote's discount applies.
TEST_F(CreaAcqTest, DuePreventiviUnOrdineConNotaETotali) {
    personale("EvasionePrev", "CreaNotaAcq", "S");
    prezzo("A1", "10");
    preventivo(1);
    riga(1, 1, "A1", 4, {{"ScontoTot", "10+5"}});
    preventivo(2);
    riga(2, 1, "A1", 2);
    ASSERT_TRUE(lancia(1, 1));
    ASSERT_TRUE(lancia(2, 1));
    EXPECT_EQ(crea.oiNumErrori, 0) << crea.osErrori.toStdString();
    ASSERT_EQ(conta("Select count(*) from OrdAcqTes"), 1);
    EXPECT_EQ(scalare("Select Nota from OrdAcqTes").toString(),
              "Generato da prev. (rif.): 2024/1, 2024/2");
    EXPECT_EQ(scalare("Select FattDocumento from OrdAcqTes").toString(), "OF");
    EXPECT_EQ(scalare("Select Provenienza from OrdAcqTes").toString(), "P");
    EXPECT_EQ(scalare("Select Listino from OrdAcqTes").toString(), "ACQ");
    EXPECT_EQ(scalare("Select Vettore from OrdAcqTes").toString(), "V1");
    // 10 less 14.5% = 8.55 x 4 = 34.20; 10 x 2 = 20
    EXPECT_EQ(valore("Select ValTotale from OrdAcqDett where NumRifProv = 1"),
              *Currency::parse(u"34.2"));
    EXPECT_EQ(valore("Select TotMerce from OrdAcqTes"), *Currency::parse(u"54.2"));
    EXPECT_EQ(valore("Select TotDocum from OrdAcqTes"), *Currency::parse(u"66.12"));
    EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
    // The same quote again does not repeat itself in the note.
    ASSERT_TRUE(lancia(2, 1));
    EXPECT_EQ(scalare("Select Nota from OrdAcqTes").toString(),
              "Generato da prev. (rif.): 2024/1, 2024/2");
}

// Other terms (here another payment) make another order.
TEST_F(CreaAcqTest, CondizioniDiverseOrdiniDiversi) {
    preventivo(1);
    riga(1, 1, "A1", 4);
    ASSERT_TRUE(lancia(1, 1));
    db.insert("Pagamenti", {{"Pagamento", "B30"}});
    db.db().execute("Update PianoConti Set Pagamento = 'B30'");
    preventivo(2);
    riga(2, 1, "A1", 2);
    ASSERT_TRUE(lancia(2, 1));
    EXPECT_EQ(conta("Select count(*) from OrdAcqTes"), 2);
}

// A line in the sales unit (boxes of 12 pieces) is ordered in the purchase unit (cartons of 24).
TEST_F(CreaAcqTest, RigaInUnitaDiVenditaOrdinataInUnitaDiAcquisto) {
    articolo("C1", {{"ArtUMVen", "SC"},
                    {"FatConVen", 12},
                    {"ArtUMAcq", "CT"},
                    {"FatConAcq", 24},
                    {"PezziPerConf", 24}});
    preventivo(1);
    riga(1, 1, "C1", 5, {{"UM", "SC"}, {"Colli", 5}});
    ASSERT_TRUE(lancia(1, 1));
    EXPECT_EQ(valore("Select Qta from OrdAcqDett"), *Currency::parse(u"2.5"));
    EXPECT_EQ(scalare("Select UM from OrdAcqDett").toString(), "CT");
    EXPECT_EQ(valore("Select Colli from OrdAcqDett"), Currency::fromInt(1));
    EXPECT_EQ(valore("Select QtaOrdFor from ArticoliProg where Articolo = 'C1'"),
              Currency::fromInt(60));
    // Exhausted: 60 pieces short of an empty stock make 2.5 cartons.
    preventivo(2);
    riga(2, 1, "C1", 5, {{"UM", "SC"}});
    ASSERT_TRUE(lancia(2, 3));
    EXPECT_EQ(valore("Select Qta from OrdAcqDett where NumRifProv = 2"), *Currency::parse(u"2.5"));
}

// Bad input goes into the error log with the operation's name and leaves nothing written.
TEST_F(CreaAcqTest, ErroriNelLogSenzaScrittureParziali) {
    struct Caso {
        const char* nome;
        const char* preparazione;
        const char* testo;
    } casi[] = {
        {"tabella acquisti mancante", "Delete from TabAcq",
         "Manca la tabella acquisti in LanciaCreaz di CreaAcq"},
        {"fornitore senza pagamento", "Update PianoConti Set Pagamento = NULL",
         "Il fornitore 04-01-00001 non ha il codice di pagamento: l'ordine non è creato in "
         "CercaTestata di CreaAcq"},
        {"fornitore con pagamento inesistente", "Update PianoConti Set Pagamento = 'ZZ'",
         "ha il codice di pagamento ZZ inesistente"},
        {"fornitore abituale inesistente", "Update Articoli Set ContoForAb = '99999'",
         "Il fornitore abituale 04-01-99999 dell'articolo A1 non esiste nel piano dei conti"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        db.db().begin();
        preventivo(1);
        riga(1, 1, "A1", 4);
        db.db().execute(c.preparazione);
        lancia(1, 1);
        EXPECT_EQ(crea.oiNumErrori > 0, true);
        EXPECT_TRUE(crea.osErrori.contains(QString::fromUtf8(c.testo)))
            << crea.osErrori.toStdString();
        EXPECT_EQ(conta("Select count(*) from OrdAcqTes"), 0);
        EXPECT_EQ(conta("Select count(*) from OrdAcqDett"), 0);
        EXPECT_EQ(conta("Select count(*) from ArticoliProg"), 0);
        db.db().rollback();
        crea.oiNumErrori = 0;
        crea.osErrori.clear();
    }
}

// A failure while writing the order takes back its header, lines and ordered quantity.
TEST_F(CreaAcqTest, OrdineRipresoSeLaScritturaFallisce) {
    articolo("A2");
    preventivo(1);
    riga(1, 1, "A1", 4);
    riga(1, 2, "A2", 3, {{"ScontoTot", "10++5"}});  // an invalid chain is only logged
    // The ordered quantities cannot be written: the order is taken back whole.
    db.db().execute("Drop table ArticoliProg");
    lancia(1, 1);
    EXPECT_GT(crea.oiNumErrori, 0);
    EXPECT_EQ(conta("Select count(*) from OrdAcqTes"), 0);
    EXPECT_EQ(conta("Select count(*) from OrdAcqDett"), 0);
    EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
}

// A new order whose number is held by someone else asks to retry or give up.
TEST_F(CreaAcqTest, TestataInUsoRiprovaOEsci) {
    db.insert("LockGest", {{"Tipo", "A"},
                           {"Anno", kAnno},
                           {"NumReg", 1},
                           {"Utente", "luigi"},
                           {"Stato", "0"},
                           {"Gestione", "A"}});
    preventivo(1);
    riga(1, 1, "A1", 4);
    ui.answers.enqueue(2);  // Esci
    EXPECT_FALSE(lancia(1, 1));
    EXPECT_EQ(ui.messages.last(), "Fattura in uso da luigi");
    EXPECT_EQ(ui.buttonLists.last(), (QStringList{"Riprova", "Esci"}));
    EXPECT_TRUE(crea.osErrori.contains("Acquisto n.rif 1 anno 2024 in uso da luigi"));
    EXPECT_EQ(conta("Select count(*) from OrdAcqTes"), 0);

    db.db().execute("Delete from LockGest");
    crea.oiNumErrori = 0;
    EXPECT_TRUE(lancia(1, 1));
    EXPECT_EQ(conta("Select count(*) from OrdAcqTes"), 1);
}

}  // namespace
}  // namespace evapre::test
