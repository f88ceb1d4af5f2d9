// Posting a staged movement: headers, the real rows and their status, staging copies, values
// in lire and euro, expenses over the lines, issue values of level articles, reversal and
// posting again, failures part way and the movement lock.
#include "DbError.h"
#include "PostingFixture.h"
#include "TabelleMovimento.h"

namespace evapre::test {
namespace {

class MovimentiTest : public PostingTest {
  protected:
    void parametro(const QString& chiave, const QString& valore) {
        db.insert("MenuParametri", {{"Chiave", chiave}, {"Valore", valore}});
    }

    // The quantities and values a posting accumulates in ArticoliProg and ArticoliCosti.
    QStringList accumulati() {
        QStringList out;
        auto p = db.db().openRowSet(
            "Select Articolo, Livello1, Magazzino, QtaIniziale, QtaCarico, ValCarico, "
            "ValCaricoLire, QtaScarico, ValScarico, ValScaricoLire, ValScaUC, ValScaUCLire "
            "from ArticoliProg order by Articolo, Livello1, Magazzino");
        for (; !p->eof(); p->moveNext()) {
            QStringList r;
            for (int i = 0; i < p->columnCount(); ++i)
                r << (i < 3 ? p->valueAt(i).toString()
                            : Currency::fromVariant(p->valueAt(i)).toSqlText());
            out << r.join(u'|');
        }
        auto c = db.db().openRowSet(
            "Select Articolo, QtaVenduto, ValVenduto, QtaAcquisti, ValAcquisti, QtaMedioC, "
            "ValMedioC from ArticoliCosti order by Articolo");
        for (; !c->eof(); c->moveNext()) {
            QStringList r{c->valueAt(0).toString()};
            for (int i = 1; i < c->columnCount(); ++i)
                r << Currency::fromVariant(c->valueAt(i)).toSqlText();
            out << r.join(u'|');
        }
        return out;
    }

    // Makes every ArticoliProg write of one article fail, as a database error would.
    void rompiArticolo(const QString& articolo) {
        if (TestDb::onPostgres()) {
            db.db().executePortable(
                "CREATE FUNCTION rompi() RETURNS trigger AS $$ BEGIN IF NEW.Articolo = '" +
                articolo +
                "' THEN RAISE EXCEPTION 'articolo rotto'; END IF; RETURN NEW; END $$ "
                "LANGUAGE plpgsql");
            db.db().executePortable(
                "CREATE TRIGGER rompi BEFORE INSERT OR UPDATE ON ArticoliProg FOR EACH ROW "
                "EXECUTE FUNCTION rompi()");
        } else {
            db.db().executePortable(
                "CREATE TRIGGER rompi BEFORE INSERT ON ArticoliProg WHEN NEW.Articolo = '" +
                articolo + "' BEGIN SELECT RAISE(ABORT, 'articolo rotto'); END");
        }
    }
    void riparaArticolo() {
        if (TestDb::onPostgres())
            db.db().executePortable("DROP TRIGGER rompi ON ArticoliProg");
        else
            db.db().executePortable("DROP TRIGGER rompi");
    }
};

TEST_F(MovimentiTest, NuovaTestataNumerataEBloccata) {
    causale("ACQ");
    NuovaTestataMov t;
    t.anno = kAnno;
    t.dataReg = QDate(2024, 3, 15);
    t.magCausale = "ACQ";
    t.magazzinoDest = "01";
    t.moneta = "Euro";
    t.cambio = val("1");
    movimento(7, "ACQ");
    EXPECT_EQ(movim.CreaTestataMov(t), 8);
    EXPECT_EQ(movim.CreaTestataMov(t), 9);
    EXPECT_EQ(testo("Select AutMan from MovMagTes where NumReg = 8"), "A");
    EXPECT_TRUE(db.db().scalar("Select PreDoc from MovMagTes where NumReg = 8").isNull());
    EXPECT_EQ(conta("Select count(*) from LockGest where Tipo = 'M' and Anno = 2024 and "
                    "NumReg in (8, 9) and Utente = 'mario'"),
              2);
}

// A movement without level lines: the detail lines are posted into MovMagDett as "0", their
// values converted, the staged rows gone; serial numbers and lots are carried over.
TEST_F(MovimentiTest, RigheDiDettaglioPostateUnaVolta) {
    acquisto();
    articolo("A");
    movimento(1, "ACQ");
    riga(1, 1, "A", "4", "40");
    riga(1, 2, "A", "6", "66");
    db.insert("MovMagMatrApp", {{"Anno", kAnno},
                                {"NumReg", 1},
                                {"RigLiv", 1},
                                {"Riga", 1},
                                {"Articolo", "A"},
                                {"Matricola", "SN-001"}});
    db.insert("MovMagRintracciaApp", {{"Anno", kAnno},
                                      {"NumReg", 1},
                                      {"RigLiv", 2},
                                      {"Riga", 1},
                                      {"Articolo", "A"},
                                      {"Lotto", "L7"},
                                      {"Qta", 6}});
    ASSERT_TRUE(posta(1)) << ui.messages.join("\n").toStdString();
    EXPECT_EQ(conta("Select count(*) from MovMagDett where NumReg = 1 and FlagStato = '0'"), 2);
    EXPECT_EQ(conta("Select count(*) from MovMagLiv"), 0);
    EXPECT_EQ(valore("Select ValEuro from MovMagDett where RigLiv = 2"), val("66"));
    EXPECT_EQ(valore("Select ValLire from MovMagDett where RigLiv = 2"), val("127794"));
    for (const char* t : {"MovMagDettApp", "MovMagLivApp", "MovMagMatrApp", "MovMagRintracciaApp"})
        EXPECT_EQ(conta(QStringLiteral("Select count(*) from ") + t), 0) << t;
    EXPECT_EQ(testo("Select Matricola from MovMagMatr where NumReg = 1"), "SN-001");
    EXPECT_EQ(testo("Select Lotto from MovMagRintraccia where NumReg = 1"), "L7");
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("10"));
    EXPECT_EQ(prog("A", "01", "ValCarico"), val("106"));

    // Posting it again finds nothing left to post.
    ASSERT_TRUE(posta(1));
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("10"));
}

// Values of the movement currency become lire and euro, each rounded to its own decimals.
TEST_F(MovimentiTest, ValoriInLireEInEuro) {
    acquisto();
    articolo("A");
    movimento(1, "ACQ", {{"Moneta", "USD"}, {"Cambio", importo("1.1")}});
    riga(1, 1, "A", "1", "110", {{"Cambio", importo("1.1")}});
    movimento(2, "ACQ", {{"Moneta", "L."}, {"Cambio", importo("1936.27")}});
    riga(2, 1, "A", "1", "193627", {{"Cambio", importo("1936.27")}});
    ASSERT_TRUE(posta(1));
    ASSERT_TRUE(posta(2));
    for (int numReg : {1, 2}) {
        const QString dove = " from MovMagDett where NumReg = " + QString::number(numReg);
        EXPECT_EQ(valore("Select ValEuro" + dove), val("100")) << numReg;
        EXPECT_EQ(valore("Select ValLire" + dove), val("193627")) << numReg;
    }
}

// The header expenses enter the cost of the lines: by value, by quantity, as a percentage of the
// value (a negative amount), or not at all.
TEST_F(MovimentiTest, SpeseRipartiteSulCostoDelleRighe) {
    struct Caso {
        const char* nome;
        const char* ripart;
        const char* spese;
        const char* costo1;  // unit cost of line 1: 2 for 60.00
        const char* costo2;  // line 2: 8 for 40.00
    };
    const QList<Caso> casi{
        {"nessuna spesa", "V", "0", "30", "5"},
        {"per valore", "V", "10", "33", "5.5"},
        {"per quantità", "Q", "10", "31", "6"},
        {"in percentuale del valore", "V", "-5", "31.5", "5.25"},
        {"causale che non ripartisce", "N", "10", "30", "5"},
    };
    int numReg = 0;
    for (const Caso& c : casi) {
        ++numReg;
        const QString codice = "C" + QString::number(numReg);
        causale(codice, {{"AggCostoUlt", "S"}, {"RipartSpese", c.ripart}});
        articolo(codice + "A");
        articolo(codice + "B");
        movimento(numReg, codice, {{"ImportoSpese", importo(c.spese)}});
        riga(numReg, 1, codice + "A", "2", "60");
        riga(numReg, 2, codice + "B", "8", "40");
        ASSERT_TRUE(posta(numReg)) << c.nome;
        EXPECT_EQ(costo(codice + "A", "CostoUltimo"), val(c.costo1)) << c.nome;
        EXPECT_EQ(costo(codice + "B", "CostoUltimo"), val(c.costo2)) << c.nome;
        // The progressives carry the goods value, not the expenses.
        EXPECT_EQ(prog(codice + "A", "01", "ValCarico"), val("60")) << c.nome;
    }
}

// The detail line of a level article takes its issue value from its level lines: their
// average by quantity, or their sum when they move no quantity.
TEST_F(MovimentiTest, ValoreDiScaricoDegliArticoliALivelli) {
    parametro("Mag.GesTaglie", "S");
    vendita("P");
    articolo("T", {{"LivGruppo1", "TG"}});
    progressivo("T", "01", {{"QtaIniziale", 10}, {"MedioPonderale", 4}}, "S", "X");
    progressivo("T", "01", {{"QtaIniziale", 10}, {"MedioPonderale", 6}}, "M", "X");
    struct Caso {
        const char* nome;
        const char* qtaS;
        const char* qtaM;
        const char* valScarico;
    };
    const QList<Caso> casi{{"per quantità", "1", "3", "5.5"}, {"senza quantità", "0", "0", "10"}};
    int numReg = 0;
    for (const Caso& c : casi) {
        ++numReg;
        movimento(numReg, "VEN");
        riga(numReg, 1, "T", "4", "40");
        livello(numReg, 1, "S", c.qtaS, "10");
        livello(numReg, 1, "M", c.qtaM, "30");
        ASSERT_TRUE(posta(numReg)) << c.nome;
        EXPECT_EQ(
            valore("Select ValScarico from MovMagDett where NumReg = " + QString::number(numReg)),
            val(c.valScarico))
            << c.nome;
    }
    EXPECT_EQ(valore("Select ValScarico from MovMagLiv where NumReg = 1 and Livello1 = 'M'"),
              val("6"));
}

// Posting, reversing and posting again leaves quantities and accumulated values as after one
// posting; reversing alone takes them back to what they were.
TEST_F(MovimentiTest, DisaggiornaEAggiornaDiNuovo) {
    parametro("Mag.GesTaglie", "S");
    vendita("C");
    articolo("A");
    articolo("T", {{"LivGruppo1", "TG"}});
    progressivo("A", "01", {{"QtaIniziale", 20}, {"QtaMedioC", 10}, {"ValMedioC", 125}});
    progressivo("T", "01", {{"QtaIniziale", 5}, {"ValIniziale", 15}}, "S", "X");
    costi("A", {});
    costi("T", {});
    movimento(1, "VEN");
    riga(1, 1, "A", "3", "45");
    riga(1, 2, "T", "2", "30");
    livello(1, 2, "S", "2", "30");
    const QStringList prima = accumulati();
    ASSERT_TRUE(posta(1));
    const QStringList dopoUna = accumulati();
    EXPECT_NE(dopoUna, prima);
    EXPECT_EQ(prog("A", "01", "ValScaUC"), val("37.5"));

    ASSERT_TRUE(movim.DisaggRighe(kAnno, 1, TipoRighe::Livelli, "0", "2"));
    ASSERT_TRUE(movim.DisaggRighe(kAnno, 1, TipoRighe::Dettaglio, "0", "2"));
    EXPECT_EQ(accumulati(), prima);
    EXPECT_EQ(conta("Select count(*) from MovMagDett where FlagStato = '2'"), 2);
    // Nothing left in the status asked for: nothing changes.
    ASSERT_TRUE(movim.DisaggRighe(kAnno, 1, TipoRighe::Dettaglio, "0", "2"));
    EXPECT_EQ(accumulati(), prima);

    ASSERT_TRUE(posta(1, false, false));
    EXPECT_EQ(accumulati(), dopoUna);
    ASSERT_TRUE(posta(1, false, true));
    EXPECT_EQ(accumulati(), dopoUna);
    EXPECT_EQ(conta("Select count(*) from MovMagDett where FlagStato = '0'"), 2);
    EXPECT_EQ(conta("Select count(*) from MovMagLiv where FlagStato = '0'"), 1);
}

// A movement staged again replaces the lines of the one posted before, once reversed.
TEST_F(MovimentiTest, MovimentoRiscrittoSostituisceLeRighe) {
    acquisto();
    articolo("A");
    movimento(1, "ACQ");
    riga(1, 1, "A", "5", "50");
    ASSERT_TRUE(posta(1));
    riga(1, 1, "A", "2", "20");
    ASSERT_TRUE(posta(1, false, true));
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("2"));
    EXPECT_EQ(prog("A", "01", "ValCarico"), val("20"));
    EXPECT_EQ(valore("Select Qta from MovMagDett where NumReg = 1"), val("2"));
}

// A row that fails ends the pass: the rows before it stay posted, it and the rest stay staged,
// and posting again once the cause is gone finishes the movement with each row posted once.
TEST_F(MovimentiTest, RipresaDopoUnErrore) {
    acquisto();
    articolo("A");
    articolo("ROTTO");
    articolo("C");
    movimento(1, "ACQ");
    riga(1, 1, "A", "1", "10");
    riga(1, 2, "ROTTO", "2", "20");
    riga(1, 3, "C", "3", "30");
    rompiArticolo("ROTTO");
    EXPECT_FALSE(posta(1));
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.last().startsWith("Errore durante l'Aggiornamento\nErrore ("))
        << ui.messages.last().toStdString();
    EXPECT_TRUE(ui.messages.last().endsWith("\nMovMagDett")) << ui.messages.last().toStdString();
    EXPECT_EQ(conta("Select count(*) from MovMagDett"), 1);
    EXPECT_EQ(conta("Select count(*) from MovMagDettApp where FlagStato = '1'"), 2);
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("1"));

    riparaArticolo();
    ASSERT_TRUE(posta(1));
    EXPECT_EQ(conta("Select count(*) from MovMagDett where FlagStato = '0'"), 3);
    EXPECT_EQ(conta("Select count(*) from MovMagDettApp"), 0);
    EXPECT_EQ(prog("A", "01", "QtaCarico"), val("1"));
    EXPECT_EQ(prog("ROTTO", "01", "QtaCarico"), val("2"));
    EXPECT_EQ(prog("C", "01", "QtaCarico"), val("3"));
}

// Inside a caller's transaction the posting opens none of its own: rolling back the caller's
// transaction takes the whole posting away.
TEST_F(MovimentiTest, DentroLaTransazioneDelChiamante) {
    acquisto();
    articolo("A");
    movimento(1, "ACQ");
    riga(1, 1, "A", "1", "10");
    {
        DbTransaction transazione(db.db());
        ASSERT_TRUE(posta(1));
        EXPECT_EQ(prog("A", "01", "QtaCarico"), val("1"));
    }
    EXPECT_EQ(conta("Select count(*) from ArticoliProg"), 0);
    EXPECT_EQ(conta("Select count(*) from MovMagDettApp where FlagStato = '1'"), 1);
}

TEST_F(MovimentiTest, CancellaSoloTabelleDiAppoggio) {
    acquisto();
    articolo("A");
    movimento(1, "ACQ");
    riga(1, 1, "A", "1", "10");
    riga(1, 2, "A", "1", "10");
    EXPECT_FALSE(movim.CancellaRigheApp(kAnno, 1, "MovMagDett"));
    EXPECT_EQ(ui.messages.value(0), "Nome File non valido");
    EXPECT_FALSE(movim.CancellaRigheApp(kAnno, 1, "MovMagDettApp; drop table Articoli"));
    EXPECT_EQ(conta("Select count(*) from MovMagDettApp"), 2);
    EXPECT_TRUE(movim.CancellaRigheApp(kAnno, 1, "movmagdettapp", 2));
    EXPECT_EQ(conta("Select count(*) from MovMagDettApp"), 1);
}

// A movement another user holds is not posted.
TEST_F(MovimentiTest, MovimentoInUsoNonVienePostato) {
    acquisto();
    articolo("A");
    movimento(1, "ACQ");
    riga(1, 1, "A", "1", "10");
    db.insert("LockGest", {{"Tipo", "M"},
                           {"Anno", kAnno},
                           {"NumReg", 1},
                           {"Utente", "luigi"},
                           {"Stato", "0"},
                           {"Gestione", "M"}});
    EXPECT_FALSE(posta(1));
    EXPECT_TRUE(ui.messages.join("\n").contains("luigi"));
    EXPECT_EQ(conta("Select count(*) from MovMagDett"), 0);
    EXPECT_EQ(conta("Select count(*) from ArticoliProg"), 0);
}

}  // namespace
}  // namespace evapre::test
