#include "OrdEvaUt.h"
#include "PurchasingFixture.h"

namespace evapre::test {
namespace {

class ImpegniTest : public PurchasingTest {
  protected:
    MovimentoImpegno impegno(const QString& art, int qta) {
        MovimentoImpegno m;
        m.anno = kAnno;
        m.magazzino = "M1";
        m.articolo = art;
        m.artMag = true;
        m.carScar = "S";
        m.qta = Currency::fromInt(qta);
        m.valore = Currency::fromInt(qta * 10);
        return m;
    }
    Currency impegnato(const QString& art, int anno = kAnno) {
        return valore(QStringLiteral("Select QtaImpCli from ArticoliProg where Articolo = '%1' "
                                     "and Anno = %2")
                          .arg(art)
                          .arg(anno));
    }
    OrdEvaUt impegni{db.db(), parametri, moneta};
};

TEST_F(ImpegniTest, NienteSenzaArticoloDiMagazzinoOCausaleCheNonMuove) {
    MovimentoImpegno nonMag = impegno("A1", 3);
    nonMag.artMag = false;
    MovimentoImpegno causaleN = impegno("A1", 3);
    causaleN.carScar = "N";
    for (const MovimentoImpegno& m : {nonMag, causaleN}) {
        impegni.AggiornaImpegni(m);
        EXPECT_EQ(conta("Select count(*) from ArticoliProg"), 0);
    }
}

// The year's row is added when missing; every later year already opened follows; earlier ones
// do not. Supplier orders go to their own columns.
TEST_F(ImpegniTest, AnnoELeSuccessiviAperti) {
    giacenza("A1", 2023, {{"QtaImpCli", 1}});
    giacenza("A1", 2025, {{"QtaImpCli", 1}});
    impegni.AggiornaImpegni(impegno("A1", 3));
    EXPECT_EQ(impegnato("A1", 2023), Currency::fromInt(1));
    EXPECT_EQ(impegnato("A1", 2024), Currency::fromInt(3));
    EXPECT_EQ(impegnato("A1", 2025), Currency::fromInt(4));
    EXPECT_EQ(valore("Select ValImpCli from ArticoliProg where Anno = 2025"),
              Currency::fromInt(30));

    MovimentoImpegno f = impegno("A1", -2);
    f.fornitore = true;
    impegni.AggiornaImpegni(f);
    EXPECT_EQ(valore("Select QtaOrdFor from ArticoliProg where Anno = 2025"),
              Currency::fromInt(-2));
    EXPECT_EQ(impegnato("A1", 2025), Currency::fromInt(4));
}

// Prices including VAT on a taxable line commit the net value.
TEST_F(ImpegniTest, ValoreNettoConPrezziIvati) {
    MovimentoImpegno m = impegno("A1", 1);
    m.valore = *Currency::parse(u"122");
    m.prezziIvati = true;
    m.tipoIva = "0";
    m.aliquota = Currency::fromInt(22);
    impegni.AggiornaImpegni(m);
    EXPECT_EQ(valore("Select ValImpCli from ArticoliProg"), Currency::fromInt(100));
}

// A kit of a component in boxes of 6 and of a kit of its own: 3 kits raise each leaf by
// 3 x its quantity per kit in its base unit; the inner kit has no row of its own.
TEST_F(ImpegniTest, DistintaBaseEspansaFinoAiComponenti) {
    parametro("Ditta.InstDiBa", "S");
    articolo("KIT", {{"DistBase", "S"}});
    articolo("SUB", {{"DistBase", "S"}});
    articolo("VITE", {{"ArtUMVen", "SC"}, {"FatConVen", 6}});
    articolo("DADO");
    db.insert("ArtLegami",
              {{"ArticoloPadre", "KIT"}, {"ArticoloFiglio", "VITE"}, {"UM", "SC"}, {"Qta", 2}});
    db.insert("ArtLegami",
              {{"ArticoloPadre", "KIT"}, {"ArticoloFiglio", "SUB"}, {"UM", "PZ"}, {"Qta", 1}});
    db.insert("ArtLegami",
              {{"ArticoloPadre", "SUB"}, {"ArticoloFiglio", "DADO"}, {"UM", "PZ"}, {"Qta", 4}});
    db.insert("ArtLegami", {{"ArticoloPadre", "SUB"},
                            {"ArticoloFiglio", "KIT"},
                            {"UM", "PZ"},
                            {"Qta", 1}});  // a loop back to the kit is skipped
    impegni.AggiornaImpegni(impegno("KIT", 3));
    EXPECT_EQ(impegnato("KIT"), Currency::fromInt(3));
    EXPECT_EQ(impegnato("VITE"), Currency::fromInt(36));
    EXPECT_EQ(impegnato("DADO"), Currency::fromInt(12));
    EXPECT_EQ(conta("Select count(*) from ArticoliProg where Articolo = 'SUB'"), 0);
    EXPECT_EQ(impegni.distinteCicliche(), QStringList{"KIT"});

    // Without bills of materials in use only the kit moves.
    db.db().execute("Update MenuParametri Set Valore = 'N' where Chiave = 'Ditta.InstDiBa'");
    OrdEvaUt senza{db.db(), parametri, moneta};
    senza.AggiornaImpegni(impegno("KIT", 1));
    EXPECT_EQ(impegnato("KIT"), Currency::fromInt(4));
    EXPECT_EQ(impegnato("DADO"), Currency::fromInt(12));
}

}  // namespace
}  // namespace evapre::test
