// The selection SQL run on a real database: which quotes and lines come back, in which order.
#include <functional>

#include "EngineFixture.h"

namespace evapre::test {
namespace {

// Seven quotes that each criterion tells apart.
class SelezioneTest : public EngineTest {
  protected:
    void SetUp() override {
        preventivo(1, {{"Descrizione", "Fornitura uffici"},
                       {"DataCons", QDate(2024, 5, 10)},
                       {"NumDoc", 100},
                       {"DataDoc", QDate(2024, 2, 20)}});
        riga(1, 1, {{"Articolo", "ART1"}});
        riga(1, 2, {{"Articolo", "ART5"}, {"StatoRiga", "E"}});
        preventivo(2, {{"ContoCli", "00002"},
                       {"Moneta", "USD"},
                       {"DataRif", QDate(2024, 2, 1)},
                       {"Descrizione", "Fornitura 50% sconto"},
                       {"NumDoc", 200},
                       {"DataDoc", QDate(2024, 2, 25)}});
        riga(2, 1, {{"Articolo", "ART3"}, {"DataCons", QDate(2024, 5, 20)}});
        preventivo(3, {{"Stato", "E"}});
        preventivo(4, {{"Interno", "S"}});
        preventivo(5, {{"DataRif", QDate(2024, 7, 15)}});
        preventivo(
            6, {{"GruppoCli", QVariant()}, {"MastroCli", QVariant()}, {"ContoCli", QVariant()}});
        preventivo(7, {{"GruppoCli", "02"},
                       {"FattDocumento", "PX"},
                       {"Stato", "P"},
                       {"DataCons", QDate(2024, 6, 1)}});
        riga(7, 1, {{"Articolo", "ART9"}});
    }
};

struct CasoSelezione {
    const char* nome;
    std::function<void(scEvaPrev&)> criteri;
    QList<int> attesi;
};

TEST_F(SelezioneTest, CriteriDelleTestate) {
    const QList<CasoSelezione> casi{
        {"nessun criterio: aperti, non interni, entro la data, con cliente",
         [](scEvaPrev&) {},
         {1, 2, 7}},
        {"corrispettivi: anche senza cliente, che viene per primo",
         [](scEvaPrev& m) { m.obEvACorrisp = true; },
         {6, 1, 2, 7}},
        {"data di evasione", [](scEvaPrev& m) { m.otDataEvasione = QDate(2024, 2, 15); }, {2}},
        {"tipo documento", [](scEvaPrev& m) { m.osFattDocPre = "PR"; }, {1, 2}},
        {"tipo documento di soli spazi", [](scEvaPrev& m) { m.osFattDocPre = "  "; }, {1, 2, 7}},
        {"moneta", [](scEvaPrev& m) { m.osMoneta = "USD"; }, {2}},
        {"cliente da, con trattini", [](scEvaPrev& m) { m.osCliDa = "01-01-00002"; }, {2, 7}},
        {"cliente a, senza trattini", [](scEvaPrev& m) { m.osCliA = "010100001"; }, {1}},
        {"articolo da: conta solo una riga aperta",
         [](scEvaPrev& m) { m.osArticoloDa = "ART3"; },
         {2, 7}},
        {"articolo a", [](scEvaPrev& m) { m.osArticoloA = "ART2"; }, {1}},
        {"articolo solo su riga evasa",
         [](scEvaPrev& m) { m.osArticoloDa = m.osArticoloA = "ART5"; },
         {}},
        {"consegna da: testata fuori, riga dentro",
         [](scEvaPrev& m) { m.ovDataConsDa = QDate(2024, 5, 15); },
         {2, 7}},
        {"consegna a", [](scEvaPrev& m) { m.ovDataConsA = QDate(2024, 5, 12); }, {1}},
        {"consegna da e a",
         [](scEvaPrev& m) {
             m.ovDataConsDa = QDate(2024, 5, 15);
             m.ovDataConsA = QDate(2024, 5, 31);
         },
         {2}},
        {"data preventivo da", [](scEvaPrev& m) { m.ovDataRifDa = QDate(2024, 2, 15); }, {1, 7}},
        {"data preventivo a non filtra",
         [](scEvaPrev& m) { m.ovDataRifA = QDate(2024, 2, 15); },
         {1, 2, 7}},
        {"numero da", [](scEvaPrev& m) { m.olNumRifDa = 2; }, {2, 7}},
        {"numero a", [](scEvaPrev& m) { m.olNumRifA = 2; }, {1, 2}},
        {"data documento da", [](scEvaPrev& m) { m.ovDataDocDa = QDate(2024, 2, 22); }, {2}},
        {"data documento a", [](scEvaPrev& m) { m.ovDataDocA = QDate(2024, 2, 22); }, {1}},
        {"numero documento da", [](scEvaPrev& m) { m.olNumDocDa = 150; }, {2}},
        {"numero documento a", [](scEvaPrev& m) { m.olNumDocA = 150; }, {1}},
        {"descrizione che inizia", [](scEvaPrev& m) { m.osInDesc = "Fornitura"; }, {1, 2}},
        {"descrizione: % preso alla lettera",
         [](scEvaPrev& m) { m.osInDesc = "Fornitura 50%"; },
         {2}},
        {"descrizione: _ preso alla lettera",
         [](scEvaPrev& m) { m.osInDesc = "Fornitura 5_"; },
         {}},
        {"descrizione: * preso alla lettera", [](scEvaPrev& m) { m.osInDesc = "Fornitura*"; }, {}},
        {"descrizione con apostrofo", [](scEvaPrev& m) { m.osInDesc = "l'ufficio"; }, {}},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        scEvaPrev m{db.db(), parametri, moneta, ui};
        m.oiAnno = kAnno;
        m.otDataEvasione = QDate(2024, 6, 30);
        caso.criteri(m);
        EXPECT_EQ(numeri(m.PrepSqlSelPre(0, 0) + m.PrepSqlOrder()), caso.attesi);
    }
}

TEST_F(SelezioneTest, UnSoloPreventivoEScelteDellaGriglia) {
    EXPECT_EQ(numeri(motore.PrepSqlSelPre(kAnno, 3)), QList<int>{3});

    db.insert("PreVenEvaTest",
              {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", 2}, {"Selez", "S"}});
    db.insert("PreVenEvaTest",
              {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", 1}, {"Selez", "N"}});
    db.insert("PreVenEvaTest",
              {{"Utente", "luigi"}, {"Anno", kAnno}, {"NumRif", 7}, {"Selez", "S"}});
    EXPECT_EQ(numeri(motore.PrepSqlSelPre(-1) + motore.PrepSqlOrder()), QList<int>{2});
}

TEST_F(SelezioneTest, TabelleCollegateETipoDiEvasioneDelPreventivo) {
    db.insert("FattDocumenti", {{"FattDocumento", "PR"}, {"Tipo", "P"}, {"FattDocEvasione", "FT"}});
    db.insert("FattDocumenti",
              {{"FattDocumento", "FT"}, {"Tipo", "F"}, {"DoveStampoDesLung", "S"}});
    db.insert("Monete", {{"Moneta", "Euro"}, {"NumDec", 2}});
    db.insert("PianoConti",
              {{"Gruppo", "01"}, {"Mastro", "01"}, {"Conto", "00001"}, {"Bolli", "S"}});

    auto rs = db.db().openRowSet(motore.PrepSqlSelPre(kAnno, 1));
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->text("Doc2DoveDesLung"), "S");
    EXPECT_EQ(rs->text("PianoConti.Bolli"), "S");
    EXPECT_EQ(rs->integer("Monete.NumDec"), 2);

    motore.osTipoDocEva = "FT";
    rs = db.db().openRowSet(motore.PrepSqlSelPre(kAnno, 1));
    EXPECT_FALSE(rs->hasColumn("Doc2DoveDesLung"));
}

// Quotes of one customer come one after the other in the order of the document break fields.
TEST_F(EngineTest, OrdineDeiCampiDiRottura) {
    preventivo(21, {{"MagazzProv", "01"}, {"Pagamento", "RB"}});
    preventivo(22, {{"MagazzProv", "01"}, {"Pagamento", "BB"}});
    preventivo(23, {{"Pagamento", "ZZ"}});
    preventivo(24, {{"MagazzProv", "01"}, {"Pagamento", "BB"}, {"IvaSosp", "S"}});
    preventivo(25, {{"MagazzProv", "01"}, {"Pagamento", "BB"}});
    preventivo(26, {{"ContoCli", "00000"}, {"MagazzProv", "09"}});
    EXPECT_EQ(selezionati(), (QList<int>{26, 23, 22, 25, 21, 24}));

    motore.oiSplitPay = 2;
    EXPECT_EQ(selezionati(), (QList<int>{26, 23, 22, 24, 25, 21}));
}

// Lines of quote 31 (header delivery 10/05/2024): 1 without date, 2 on 20/05, 3 on 01/04,
// 4 fulfilled, 5 partly fulfilled and marked.
class RigheTest : public EngineTest {
  protected:
    void SetUp() override {
        preventivo(31, {{"DataCons", QDate(2024, 5, 10)}});
        riga(31, 1, {{"Articolo", "ART1"}});
        riga(31, 2, {{"Articolo", "ART2"}, {"DataCons", QDate(2024, 5, 20)}});
        riga(31, 3, {{"Articolo", "ART3"}, {"DataCons", QDate(2024, 4, 1)}});
        riga(31, 4, {{"Articolo", "ART4"}, {"StatoRiga", "E"}});
        riga(31, 5, {{"Articolo", "ART5"}, {"StatoRiga", "P"}, {"FlagStato", "4"}});
        riga(32, 1, {{"Articolo", "ART1"}});
        prev = {kAnno, 31, QDate(2024, 5, 10)};
    }

    QList<int> righe(OpDett op = OpDett::Leggi, bool segnate = false) {
        return numeri(motore.PrepSqlDett(prev, op, segnate), "PreVenDett.RigLiv");
    }
    QList<int> righe(const scEvaPrev& m, bool segnate) {
        return numeri(m.PrepSqlDett(prev, OpDett::Leggi, segnate), "PreVenDett.RigLiv");
    }
    QList<int> segnateCon(const QString& flag) {
        return numeri(
            "Select RigLiv from PreVenDett where Anno = 2024 and NumRif = 31 and "
            "FlagStato = " +
                db.db().sql(flag) + " order by RigLiv",
            "RigLiv");
    }

    PreventivoCorrente prev;
};

struct CasoRighe {
    const char* nome;
    std::function<void(scEvaPrev&)> criteri;
    bool segnate;
    QList<int> attese;
};

TEST_F(RigheTest, RigheLetteEDSegnateSonoLeStesse) {
    const QList<CasoRighe> casi{
        {"automatico: le righe non evase", [](scEvaPrev&) {}, false, {1, 2, 3, 5}},
        {"consegna con testata nel periodo: anche le righe senza data",
         [](scEvaPrev& m) {
             m.ovDataConsDa = QDate(2024, 5, 1);
             m.ovDataConsA = QDate(2024, 5, 31);
         },
         false,
         {1, 2, 5}},
        {"consegna con testata fuori periodo: solo righe datate",
         [](scEvaPrev& m) { m.ovDataConsDa = QDate(2024, 5, 15); },
         false,
         {2}},
        {"solo consegna a", [](scEvaPrev& m) { m.ovDataConsA = QDate(2024, 4, 30); }, false, {3}},
        {"articoli",
         [](scEvaPrev& m) {
             m.osArticoloDa = "ART2";
             m.osArticoloA = "ART3";
         },
         false,
         {2, 3}},
        {"solo segnate", [](scEvaPrev&) {}, true, {5}},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        db.db().execute("Update PreVenDett Set FlagStato = Null where RigLiv <> 5");
        scEvaPrev m{db.db(), parametri, moneta, ui};
        caso.criteri(m);
        EXPECT_EQ(righe(m, caso.segnate), caso.attese);
        db.db().execute(m.PrepSqlDett(prev, OpDett::SegnaNDett, caso.segnate));
        EXPECT_EQ(segnateCon("N"), caso.attese);
        db.db().execute("Update PreVenDett Set FlagStato = '4' where RigLiv = 5");
    }
}

TEST_F(RigheTest, SegnaQuattroNonToccaAltriPreventivi) {
    db.db().execute(motore.PrepSqlDett(prev, OpDett::Segna4Dett, false));
    EXPECT_EQ(segnateCon("4"), (QList<int>{1, 2, 3, 5}));
    EXPECT_TRUE(db.db().scalar("Select FlagStato from PreVenDett where NumRif = 32").isNull());
    EXPECT_TRUE(motore.PrepSqlDett(prev, OpDett::Segna4Liv, false).isEmpty());
}

TEST_F(RigheTest, ManualeLeggeLeRigheSceltePerLUtente) {
    motore.obEvasManule = true;
    auto scelta = [&](const char* utente, int rigLiv, int qta, const char* aSaldo) {
        db.insert("PreVenEvaDett", {{"Utente", utente},
                                    {"Anno", kAnno},
                                    {"NumRif", 31},
                                    {"RigLiv", rigLiv},
                                    {"Livello1", " "},
                                    {"Livello2", " "},
                                    {"QtaDaEva", qta},
                                    {"ASaldo", aSaldo}});
    };
    scelta("mario", 1, 3, "N");
    scelta("mario", 2, 0, "S");
    scelta("mario", 3, 0, "N");
    scelta("luigi", 5, 2, "N");
    EXPECT_EQ(righe(), (QList<int>{1, 2}));
    auto rs = db.db().openRowSet(motore.PrepSqlDett(prev, OpDett::Leggi, false));
    EXPECT_EQ(rs->amount("PreVenEvaDett.QtaDaEva"), Currency::fromInt(3));

    db.db().execute(motore.PrepSqlDett(prev, OpDett::Segna4Dett, false));
    EXPECT_EQ(segnateCon("4"), (QList<int>{1, 2, 5}));  // 5 was already marked
}

// With level handling the line query returns one row per level and the level marks touch
// only real level rows.
TEST_F(RigheTest, LivelliAutomaticoEManuale) {
    motore.setGestioneLivelli(true);
    livello(31, 1, "S");
    livello(31, 1, "M");
    livello(31, 2, "");
    db.db().execute("Update PreVenDett Set FlagStato = Null");

    EXPECT_EQ(righe(), (QList<int>{1, 1, 2, 3, 5}));
    db.db().execute(motore.PrepSqlDett(prev, OpDett::Segna4Liv, false));
    EXPECT_EQ(testo("Select count(*) from PreVenLiv where FlagStato = '4'"), "2");
    EXPECT_TRUE(db.db().scalar("Select FlagStato from PreVenLiv where RigLiv = 2").isNull());

    // Marked-only needs the line and the level marked.
    db.db().execute("Update PreVenDett Set FlagStato = '4' where RigLiv = 1");
    db.db().execute("Update PreVenLiv Set FlagStato = '0' where Livello1 = 'M'");
    auto rs = db.db().openRowSet(motore.PrepSqlDett(prev, OpDett::Leggi, true));
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->text("PreVenLiv.Livello1"), "S");
    rs->moveNext();
    EXPECT_TRUE(rs->eof());

    motore.obEvasManule = true;
    db.insert("PreVenEvaDett", {{"Utente", "mario"},
                                {"Anno", kAnno},
                                {"NumRif", 31},
                                {"RigLiv", 1},
                                {"Livello1", "M"},
                                {"Livello2", "X"},
                                {"QtaDaEva", 2},
                                {"ASaldo", "N"}});
    rs = db.db().openRowSet(motore.PrepSqlDett(prev, OpDett::Leggi, false));
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(rs->text("PreVenLiv.Livello1"), "M");
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
}

TEST_F(RigheTest, RiletturaLivelliApertiEUltimeRighe) {
    motore.setGestioneLivelli(true);
    livello(31, 1, "S", {{"StatoRiga", "E"}});
    livello(31, 1, "M");
    auto rs = db.db().openRowSet(motore.PrepSqlDett(prev, OpDett::Leggi, false));
    ASSERT_FALSE(rs->eof());
    EXPECT_EQ(numeri(motore.PrepSqlRilettPreDett(*rs), "RigLiv"), QList<int>{1});
    const QString l1 = rs->text("PreVenLiv.Livello1");
    auto liv = db.db().openRowSet(motore.PrepSqlRilettPreDettLiv(*rs));
    ASSERT_FALSE(liv->eof());
    EXPECT_EQ(liv->text("Livello1"), l1);
    EXPECT_EQ(numeri(motore.PrepSqlLivelliAperti(kAnno, 31, 1), "RigLiv"), QList<int>{1});

    EXPECT_EQ(numeri(motore.PrepSqlUltimaRiga("PreVenDett", kAnno, 31, "RigDet"), "RigDet"),
              QList<int>{5});
    EXPECT_TRUE(
        numeri(motore.PrepSqlUltimaRiga("FatDett", kAnno, 1, "RigLiv"), "RigLiv").isEmpty());
}

TEST_F(RigheTest, SpeseSceltePerLUtente) {
    db.insert("Spese", {{"Spesa", "TRASP"}});
    for (int r : {1, 2})
        db.insert("PreVenSpese",
                  {{"Anno", kAnno}, {"NumRif", 31}, {"Riga", r}, {"Spesa", "TRASP"}});
    db.insert("PreVenEvaSpese",
              {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", 31}, {"Riga", 2}, {"Selez", "S"}});
    db.insert("PreVenEvaSpese",
              {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", 31}, {"Riga", 1}, {"Selez", "N"}});
    db.insert("PreVenEvaSpese",
              {{"Utente", "luigi"}, {"Anno", kAnno}, {"NumRif", 31}, {"Riga", 1}, {"Selez", "S"}});
    EXPECT_EQ(numeri(motore.PrepSqlSpesePreventivo(kAnno, 31), "PreVenSpese.Riga"), QList<int>{2});
}

}  // namespace
}  // namespace evapre::test
