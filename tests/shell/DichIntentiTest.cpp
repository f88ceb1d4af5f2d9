#include <gtest/gtest.h>

#include "DichIntenti.h"
#include "DirectMenuClient.h"
#include "ParametriDitta.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"

using namespace evapre;
using evapre::test::ScriptedUiServices;
using evapre::test::TestDb;

namespace {

const QString kIntro = QStringLiteral("Oper. non imponib.ai sensi ART.8/C DPR 633/72 e succ.mod.");

class DichIntentiTest : public ::testing::Test {
  protected:
    void cliente(const QString& conto, const QList<QPair<QString, QVariant>>& altri = {}) {
        QList<QPair<QString, QVariant>> valori{
            {"Gruppo", "01"}, {"Mastro", "02"}, {"Conto", conto}};
        db.insert("PianoConti", valori + altri);
    }
    void dichiarazione(int numero, const QString& attivo, int nrDich,
                       const QList<QPair<QString, QVariant>>& altri = {}) {
        QList<QPair<QString, QVariant>> valori{
            {"Gruppo", "01"},
            {"Mastro", "02"},
            {"Conto", "00001"},
            {"PdcDicIntenti", numero},
            {"Attivo", attivo},
            {"NrDichIntenti", nrDich},
            {"DataDichIntenti", QDate(2026, 1, nrDich % 28 + 1)},
            {"NrPrgIntenti", 100 + nrDich},
            {"DataRicComIntenti", QDate(2026, 2, nrDich % 28 + 1)}};
        db.insert("PdcDicIntenti", valori + altri);
    }
    void personale(const QString& nome, const QString& valore) {
        db.insert("MenuParametriPersonali",
                  {{"Utente", "*"}, {"Sezione", "Fatture"}, {"Nome", nome}, {"Valore", valore}});
    }
    QString nota(const QString& conto, const QString& modello = {}, const QString& predefinito = {},
                 int numero = 0, bool soloAttive = true) {
        return dich.NotaDichIntenti("01", "02", conto, modello, predefinito, numero, soloAttive);
    }

    TestDb db;
    DirectMenuClient menu{db.db(), "mario", "PC1", QDate(2026, 3, 15)};
    ParametriDitta parametri{menu};
    ScriptedUiServices ui;
    DichIntenti dich{db.db(), parametri, ui};
};

}  // namespace

TEST_F(DichIntentiTest, CustomerWithoutDeclarationGetsNo) {
    cliente("00001");
    EXPECT_EQ(nota("00001"), "NO");
    EXPECT_EQ(nota("99999"), "NO");  // no such customer
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(DichIntentiTest, OnlyActiveDeclarations) {
    cliente("00001");
    dichiarazione(1, "N", 11);
    dichiarazione(2, "", 12);
    EXPECT_EQ(nota("00001"), "NO");
    EXPECT_EQ(nota("00001", {}, {}, 0, false),
              kIntro +
                  "\nVostra dich. nr.11 del  12/01/2026 - Nostra Reg. 111 del 12/02/2026"
                  "\nVostra dich. nr.12 del  13/01/2026 - Nostra Reg. 112 del 13/02/2026");
}

TEST_F(DichIntentiTest, RepeatedPartOncePerDeclarationInOrder) {
    cliente("00001");
    dichiarazione(3, "S", 13);
    dichiarazione(1, "S", 11);
    dichiarazione(2, "N", 12);
    EXPECT_EQ(nota("00001"),
              kIntro +
                  "\nVostra dich. nr.11 del  12/01/2026 - Nostra Reg. 111 del 12/02/2026"
                  "\nVostra dich. nr.13 del  14/01/2026 - Nostra Reg. 113 del 14/02/2026");
    // One declaration by number: no separator after it.
    EXPECT_EQ(nota("00001", {}, {}, 3),
              kIntro + "\nVostra dich. nr.13 del  14/01/2026 - Nostra Reg. 113 del 14/02/2026");
}

TEST_F(DichIntentiTest, ReceiptProtocolTemplate) {
    cliente("00001");
    dichiarazione(1, "S", 11, {{"ProtRicezione", "17021412345678-000001"}});
    EXPECT_EQ(nota("00001"),
              kIntro + "\nProtocollo ricezione agenzia delle entrate: 17021412345678-000001");
}

TEST_F(DichIntentiTest, TemplateChoice) {
    cliente("00001");
    dichiarazione(1, "S", 11);
    personale("TestoDich", "Dich. n.§NrDich§ (da impostazione)");
    personale("Vuota", " ");
    const struct {
        const char* modello;
        const char* predefinito;
        const char* atteso;
    } casi[] = {
        {"§Dich. §NrDich§ del §DtDich§§", "", "Dich. 11 del 12/01/2026"},
        {"TestoDich", "ignorato", "Dich. n.11 (da impostazione)"},
        {"Vuota", "Predefinito §NrDich§", "Predefinito 11"},
        {"NonImpostata", "Predefinito §NrDich§", "Predefinito 11"},
        {"", "", nullptr},  // the standard template
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.modello);
        const QString atteso =
            c.atteso
                ? QString::fromUtf8(c.atteso)
                : kIntro + "\nVostra dich. nr.11 del  12/01/2026 - Nostra Reg. 111 del 12/02/2026";
        EXPECT_EQ(nota("00001", QString::fromUtf8(c.modello), QString::fromUtf8(c.predefinito)),
                  atteso);
    }
}

TEST_F(DichIntentiTest, EveryPlaceholderWithItsFormat) {
    cliente("00001");
    db.insert("PdcDicIntenti", {{"Gruppo", "01"},
                                {"Mastro", "02"},
                                {"Conto", "00001"},
                                {"PdcDicIntenti", 7},
                                {"Attivo", "S"},
                                {"Descrizione", "Plafond 2026"},
                                {"ProtRicezione", "P-1"},
                                {"DataRicAE", QDate(2025, 12, 30)},
                                {"NrPrgIntenti", 42},
                                {"DataRicComIntenti", QDate(2026, 1, 5)},
                                {"NrDichIntenti", 0},
                                {"DataDichIntenti", QDate(2026, 1, 2)},
                                {"ImportoDichIntenti", 1234567.5},
                                {"DataDAIntenti", QDate(2026, 1, 1)},
                                {"DataAIntenti", QDate(2026, 12, 31)}});
    EXPECT_EQ(nota("00001",
                   "§§Codice§|§Descr§|§ProtRicez§|§DtRicAgEn§|§AnnoRicAgEn§|§NrRic§|"
                   "§DtRic§|§NrDich§|§DtDich§|§Importo§|§DataDa§|§DataA§|§Ignoto§§"),
              "7|Plafond 2026|P-1|30/12/2025|2025|42|05/01/2026||02/01/2026|1.234.568|01/01/2026|"
              "31/12/2026|§Ignoto§");
}

TEST(DichIntentiModello, Sections) {
    DichIntenti::Dichiarazione uno{{{"NrDich", "1"}}, "Rif1"};
    DichIntenti::Dichiarazione due{{{"NrDich", "2"}}, "Rif2"};
    DichIntenti::Dichiarazione tre{{{"NrDich", "3"}}, ""};
    const struct {
        const char* modello;
        QVector<DichIntenti::Dichiarazione> dich;
        const char* atteso;
    } casi[] = {
        {"Testo senza sezioni §NrDich§ fine", {uno, due}, "Testo senza sezioni 1 fine"},
        {"§M1§La dichiarazione§/M1§§Mn§Le dichiarazioni§/Mn§", {uno}, "La dichiarazione"},
        {"§M1§La dichiarazione§/M1§§Mn§Le dichiarazioni§/Mn§", {uno, due}, "Le dichiarazioni"},
        {"Nr. §RigIni§§NrDich§§M-UL§, §/M-UL§§MUL§.§/MUL§§RigFin§",
         {uno, due, tre},
         "Nr. 1, 2, 3."},
        {"§RigIni§§M0§vecchia §NrDich§§/M0§§M2§protocollo §NrDich§§/M2§;§RigFin§",
         {uno, due, tre},
         "vecchia 1;protocollo 2;vecchia 3;"},
        {"§M2§Prot.§/M2§§M0§Dich.§/M0§ §NrDich§", {due}, "Prot. 2"},
        {"§MUL§fuori§/MUL§§M-UL§via§/M-UL§", {uno, due}, "fuori"},
        {"§RigIni§[§NrDich§]", {uno, due}, "[1][2]"},
        {"Aperta §M1§senza chiusura", {uno, due}, "Aperta senza chiusura"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.modello);
        EXPECT_EQ(DichIntenti::CompilaModello(QString::fromUtf8(c.modello), c.dich),
                  QString::fromUtf8(c.atteso));
    }
}

TEST_F(DichIntentiTest, SingleDeclarationInCustomerRow) {
    db.insert("MenuParametri",
              {{"Chiave", "Fat.MessDichIntenti"}, {"Valore", "Esente art. 8 c.1 lett. c"}});
    cliente("00001", {{"DicIntenti", "dich. 5 del 10/01/2026"}});
    cliente("00002", {{"DicIntenti", "dich. 5"},
                      {"NrPrgIntenti", 9},
                      {"DataRicComIntenti", QDate(2026, 1, 12)},
                      {"NrDichIntenti", 5},
                      {"DataDichIntenti", QDate(2026, 1, 10)}});
    EXPECT_EQ(nota("00001"), "Esente art. 8 c.1 lett. c dich. 5 del 10/01/2026");
    // The registration number wins; without a personal text the standard template is used.
    EXPECT_EQ(nota("00002"),
              kIntro + "\nVostra dich. nr.5 del  10/01/2026 - Nostra Reg. 9 del 12/01/2026");

    personale("DichIntentiDopo", "(plafond)");
    personale("DichIntentiTesto",
              "Vs. dich. §NrDich§ del §DtDich§, ns. reg. §NrRic§ del §DtRic§ §Descr§");
    EXPECT_EQ(nota("00001"), "Esente art. 8 c.1 lett. c dich. 5 del 10/01/2026 (plafond)");
    EXPECT_EQ(nota("00002"), "Vs. dich. 5 del 10/01/2026, ns. reg. 9 del 12/01/2026 ");
    // A declaration number without a row in the table falls back to the customer row.
    dichiarazione(1, "S", 11);
    EXPECT_EQ(nota("00001", {}, {}, 4),
              "Esente art. 8 c.1 lett. c dich. 5 del 10/01/2026 (plafond)");
}

TEST_F(DichIntentiTest, WithoutTheDeclarationsTable) {
    db.db().execute("DROP TABLE PdcDicIntenti");
    cliente("00001", {{"DicIntenti", "dich. 5"}});
    DichIntenti senzaTabella(db.db(), parametri, ui);
    EXPECT_EQ(senzaTabella.NotaDichIntenti("01", "02", "00001", {}), "dich. 5");
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(DichIntentiTest, DatabaseErrorIsShownAndGivesNoNote) {
    db.db().execute("DROP TABLE PianoConti");
    EXPECT_EQ(nota("00001"), "NO");
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.first().startsWith(
        "Errore nella lettura delle dichiarazioni d'intento del cliente 01-02-00001\nErr: "))
        << ui.messages.first().toStdString();
}
