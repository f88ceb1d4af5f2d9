// Receipts: each quote's lines become a warehouse movement posted within the quote's
// transaction; the settings that must be there before the run starts.
#include "DocumentBuilder.h"
#include "EngineFixture.h"

namespace evapre::test {
namespace {

class CorrispTest : public EngineTest {
  protected:
    void SetUp() override {
        DocumentBuilder(db).tabelleAzienda();
        db.insert("FattDocumenti",
                  {{"FattDocumento", "PR"}, {"Tipo", "P"}, {"MagCausaleRientro", "COR"}});
        db.insert("MagCausali", {{"MagCausale", "COR"},
                                 {"CarScar", "S"},
                                 {"Segno", "+"},
                                 {"Prov", "M"},
                                 {"TipoMov", "N"},
                                 {"ValorizzScarico", "P"},
                                 {"AcqVen", "V"},
                                 {"CliFor", "C"}});
        db.insert("Articoli", {{"Articolo", "ART1"}, {"ArtMag", "S"}});
        db.insert("ArticoliProg", {{"Anno", kAnno},
                                   {"Magazzino", "01"},
                                   {"Articolo", "ART1"},
                                   {"Livello1", "~ç~"},
                                   {"Livello2", "~ç~"},
                                   {"QtaIniziale", 50},
                                   {"MedioPonderale", 3}});
        parametro("CauCon.GruppoCliCorr", "06");
        parametro("CauCon.MastroCliCorr", "01");
        parametro("CauCon.ContoCliCorr", "99999");
        motore.obEvACorrisp = true;
        motore.osFattDocPre = "PR";
        motore.osTipoDocEva.clear();
    }

    // A retail quote from warehouse "01" with a goods line of 10 × 10.00.
    void scontrino(int numRif, const Colonne& extra = {}) {
        preventivo(numRif, unisci({{"MagazzProv", "01"}}, extra));
        riga(numRif, 1, {{"ValUnitario", importo("10")}, {"ValTotale", importo("100")}});
    }

    int conta(const QString& sql) { return db.db().scalar(sql).toInt(); }
    Currency valore(const QString& sql) { return Currency::fromVariant(db.db().scalar(sql)); }
    Currency scaricato(const QString& articolo = "ART1", const QString& livello = "~ç~") {
        return valore("Select QtaScarico from ArticoliProg where Articolo = " +
                      db.db().sql(articolo) + " and Livello1 = " + db.db().sql(livello));
    }
    // Nothing of a refused or rolled back run is left in the database.
    void nienteScritto() {
        for (const char* t : {"MovMagTes", "MovMagDett", "MovMagDettApp", "MovMagLivApp",
                              "AppoggioTemp", "LockGest"})
            EXPECT_EQ(conta(QStringLiteral("Select count(*) from ") + t), 0) << t;
        EXPECT_EQ(conta("Select count(*) from PreVenTest where Stato is not null"), 0);
        EXPECT_EQ(valore("Select sum(QtaEvasa) from PreVenDett"), Currency());
        EXPECT_EQ(scaricato(), Currency());
    }
};

// Each quote becomes one posted movement of the receipts causal from its warehouse; a quote
// without a customer takes the receipts customer; the quotes are closed and no mark is left.
TEST_F(CorrispTest, OgniPreventivoDiventaUnMovimentoPostato) {
    scontrino(1);
    riga(1, 2, {{"TipoRiga", "M"}, {"Articolo", QVariant()}, {"Qta", 2}});
    riga(1, 3, {{"TipoRiga", "D"}, {"Articolo", QVariant()}, {"Qta", 0}});
    scontrino(2, {{"GruppoCli", QVariant()}, {"MastroCli", QVariant()}, {"ContoCli", QVariant()}});
    motore.LanciaEvasionePrev();
    ASSERT_EQ(motore.oeEsito, EsitoEvasione::Completata) << motore.osErrori.toStdString();
    EXPECT_EQ(motore.oiNumErrori, 0) << motore.osErrori.toStdString();

    EXPECT_EQ(conta("Select count(*) from MovMagTes where MagCausale = 'COR' and "
                    "MagazzinoProv = '01' and AutMan = 'A'"),
              2);
    EXPECT_EQ(testo("Select ContoCliFor from MovMagTes where NumRif = 1"), "00001");
    EXPECT_EQ(testo("Select ContoCliFor from MovMagTes where NumRif = 2"), "99999");
    EXPECT_EQ(conta("Select count(*) from MovMagDett where FlagStato = '0' and "
                    "Articolo = 'ART1' and TipoProv = 'Prev'"),
              2);
    EXPECT_EQ(conta("Select count(*) from MovMagDett"), 2);
    EXPECT_EQ(conta("Select count(*) from MovMagDettApp"), 0);
    EXPECT_EQ(valore("Select sum(ValEuro) from MovMagDett"), Currency::fromInt(200));
    EXPECT_EQ(scaricato(), Currency::fromInt(20));
    EXPECT_EQ(valore("Select ValScaUC from ArticoliProg"), Currency::fromInt(60));
    EXPECT_EQ(valore("Select QtaVenduto from ArticoliCosti"), Currency::fromInt(20));

    EXPECT_EQ(conta("Select count(*) from PreVenTest where Stato = 'E'"), 2);
    EXPECT_EQ(conta("Select count(*) from PreVenDett where StatoRiga = 'E'"), 4);
    EXPECT_EQ(valore("Select QtaEvasa from PreVenDett where NumRif = 1 and RigLiv = 2"),
              Currency::fromInt(2));
    EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
    EXPECT_EQ(conta("Select count(*) from DocDaElab"), 0);
}

// Levels go into level lines of the movement and move their own progressives; a manual run
// delivers what the grid says and leaves the quote partly fulfilled.
TEST_F(CorrispTest, LivelliEConsegnaManuale) {
    parametro("Mag.GesTaglie", "S");
    db.insert("Articoli", {{"Articolo", "MAGLIA"}, {"ArtMag", "S"}, {"LivGruppo1", "TG"}});
    preventivo(1, {{"MagazzProv", "01"}});
    riga(1, 1, {{"Articolo", "MAGLIA"}, {"ValTotale", importo("100")}});
    livello(1, 1, "S", {{"ValTotale", importo("50")}});
    livello(1, 1, "M", {{"ValTotale", importo("50")}});
    motore.LanciaEvasionePrev();
    ASSERT_EQ(motore.oeEsito, EsitoEvasione::Completata) << motore.osErrori.toStdString();
    EXPECT_EQ(conta("Select count(*) from MovMagLiv where FlagStato = '0'"), 2);
    EXPECT_EQ(scaricato("MAGLIA", "S"), Currency::fromInt(5));
    EXPECT_EQ(scaricato("MAGLIA", "M"), Currency::fromInt(5));
    EXPECT_EQ(conta("Select count(*) from ArticoliProg where Articolo = 'MAGLIA' and "
                    "Livello1 = '~ç~'"),
              0);
    EXPECT_EQ(testo("Select Stato from PreVenTest"), "E");

    scontrino(2);
    motore.obEvasManule = true;
    db.insert("PreVenEvaTest",
              {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", 2}, {"Selez", "S"}});
    db.insert("PreVenEvaDett", {{"Utente", "mario"},
                                {"Anno", kAnno},
                                {"NumRif", 2},
                                {"RigLiv", 1},
                                {"RigDet", 1},
                                {"Livello1", " "},
                                {"Livello2", " "},
                                {"QtaDaEva", 4},
                                {"ASaldo", "N"}});
    motore.LanciaEvasionePrev();
    ASSERT_EQ(motore.oeEsito, EsitoEvasione::Completata) << motore.osErrori.toStdString();
    EXPECT_EQ(scaricato(), Currency::fromInt(4));
    EXPECT_EQ(valore("Select ValEuro from MovMagDett where Articolo = 'ART1'"),
              Currency::fromInt(40));
    EXPECT_EQ(testo("Select Stato from PreVenTest where NumRif = 2"), "P");
    // The receipts' line step marks the rows it reads; none keeps the mark.
    EXPECT_EQ(conta("Select count(*) from PreVenDett where FlagStato = '4'") +
                  conta("Select count(*) from PreVenLiv where FlagStato = '4'"),
              0);
}

// Settings that must be there: the run is refused with the message and writes nothing.
struct Rifiuto {
    const char* nome;
    const char* sql;  // what is missing
    const char* messaggio;
};

class CorrispRifiutoTest : public CorrispTest, public ::testing::WithParamInterface<Rifiuto> {};

TEST_P(CorrispRifiutoTest, RunRifiutata) {
    scontrino(1);
    db.db().execute(QString::fromUtf8(GetParam().sql));
    motore.LanciaEvasionePrev();
    EXPECT_EQ(motore.oeEsito, EsitoEvasione::NonAvviata);
    EXPECT_TRUE(ui.messages.contains(QString::fromUtf8(GetParam().messaggio)))
        << ui.messages.join(" | ").toStdString();
    nienteScritto();
}

INSTANTIATE_TEST_SUITE_P(
    Impostazioni, CorrispRifiutoTest,
    ::testing::Values(
        Rifiuto{"tipo preventivo inesistente", "Delete from FattDocumenti",
                "tipo documento PR non trovato"},
        Rifiuto{"tipo senza causale per corrispettivo",
                "Update FattDocumenti Set MagCausaleRientro = null",
                "Nel tipo documento PR manca la causale di magazzino per evasione a corrispettivo"},
        Rifiuto{"causale per corrispettivo inesistente",
                "Update FattDocumenti Set MagCausaleRientro = 'XX'",
                "causale di magazzino per evasione a corrispettivo XX non trovata"},
        Rifiuto{"causale del tipo inesistente", "Update FattDocumenti Set MagCausale = 'YY'",
                "causale di magazzino YY non trovata"},
        Rifiuto{"cliente per corrispettivo mancante",
                "Delete from MenuParametri where Chiave = 'CauCon.ContoCliCorr'",
                "Manca nei parametri iniziali (Conti comuni) il codice cliente per "
                "corrispettivo"}),
    [](const ::testing::TestParamInfo<Rifiuto>& info) {
        return "caso" + std::to_string(info.index);
    });

// A movement that cannot be posted takes its quote back with it.
TEST_F(CorrispTest, ErroreNelPostaggioAnnullaIlPreventivo) {
    scontrino(1);
    db.db().execute("Update MagCausali Set QualeProgrQta = '9'");
    motore.LanciaEvasionePrev();
    EXPECT_EQ(motore.oeEsito, EsitoEvasione::Interrotta);
    EXPECT_TRUE(motore.osErrori.contains("Errore durante l'Aggiornamento"))
        << motore.osErrori.toStdString();
    EXPECT_TRUE(motore.osErrori.contains("ProgrQta9")) << motore.osErrori.toStdString();
    for (const char* t : {"MovMagTes", "MovMagDett", "MovMagDettApp", "LockGest"})
        EXPECT_EQ(conta(QStringLiteral("Select count(*) from ") + t), 0) << t;
    EXPECT_TRUE(db.db().scalar("Select Stato from PreVenTest").isNull());
    EXPECT_EQ(valore("Select QtaEvasa from PreVenDett"), Currency());
    EXPECT_EQ(scaricato(), Currency());
}

}  // namespace
}  // namespace evapre::test
