#include <gtest/gtest.h>

#include "Currency.h"
#include "LogErrori.h"
#include "ScadUtil.h"
#include "TestDb.h"

using namespace evapre;
using evapre::test::TestDb;

namespace {

Currency C(const char* text) {
    return *Currency::parse(QString::fromLatin1(text));
}

QDate D(const char* text) {
    return QDate::fromString(QString::fromLatin1(text), "dd/MM/yyyy");
}

QStringList testi(const QVector<QDate>& date) {
    QStringList out;
    for (const QDate& d : date)
        out << d.toString("dd/MM/yyyy");
    return out;
}

QStringList testi(const QVector<Currency>& importi) {
    QStringList out;
    for (const Currency& c : importi)
        out << c.toSqlText();
    return out;
}

Currency somma(const QVector<Currency>& importi) {
    Currency s;
    for (const Currency& c : importi)
        s += c;
    return s;
}

}  // namespace

struct CasoDate {
    const char* nome;
    const char* dataDoc;
    const char* decorrenza;
    const char* periodicita;
    int numScad;
    int giornoFisso;
    int numGGMM;
    QVector<int> periodo;
    ScadUtil::MesiEsclusi esclusi;
    QStringList attese;
};

class DateScadenzaTest : public ::testing::TestWithParam<CasoDate> {};

TEST_P(DateScadenzaTest, DueDates) {
    const CasoDate& c = GetParam();
    ScadUtil::Termini t;
    t.decorrenza = c.decorrenza;
    t.periodicita = c.periodicita;
    t.numScad = c.numScad;
    t.giornoFisso = c.giornoFisso;
    t.numGGMM = c.numGGMM;
    t.periodo = c.periodo;
    LogErrori log;
    EXPECT_EQ(testi(ScadUtil::DateScadenza(D(c.dataDoc), t, c.esclusi, log)), c.attese);
    EXPECT_EQ(log.testo(), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Casi, DateScadenzaTest,
    ::testing::Values(
        // Starting dates.
        CasoDate{"FineMeseGiornoFisso", "15/03/2026", "F", "M", 1, 10, 0, {}, {}, {"10/04/2026"}},
        CasoDate{
            "DataDocGiornoFissoPassato", "20/05/2026", "D", "G", 1, 5, 0, {}, {}, {"05/06/2026"}},
        CasoDate{
            "DataDocGiornoFissoAvanti", "03/05/2026", "D", "G", 1, 5, 0, {}, {}, {"05/05/2026"}},
        CasoDate{"DataDocVista", "17/09/2026", "D", "G", 1, 0, 0, {}, {}, {"17/09/2026"}},
        CasoDate{"FineMeseSuccBisestile", "31/01/2024", "S", "M", 1, 0, 0, {}, {}, {"29/02/2024"}},
        CasoDate{"FineMeseSuccFineAnno",
                 "10/11/2025",
                 "S",
                 "M",
                 2,
                 0,
                 1,
                 {},
                 {},
                 {"31/01/2026", "28/02/2026"}},
        // Month steps land on month ends, leap years included.
        CasoDate{"TrentaSessantaNovantaFmBisestile",
                 "15/01/2024",
                 "F",
                 "M",
                 3,
                 0,
                 1,
                 {},
                 {},
                 {"29/02/2024", "31/03/2024", "30/04/2024"}},
        CasoDate{"TrentaSessantaNovantaFm",
                 "15/01/2025",
                 "F",
                 "M",
                 3,
                 0,
                 1,
                 {},
                 {},
                 {"28/02/2025", "31/03/2025", "30/04/2025"}},
        CasoDate{"FmGiornoFissoOgniRata",
                 "15/03/2026",
                 "F",
                 "M",
                 2,
                 10,
                 1,
                 {},
                 {},
                 {"10/05/2026", "10/06/2026"}},
        CasoDate{"DataDocMesiSenzaDeriva",
                 "31/01/2024",
                 "D",
                 "M",
                 3,
                 0,
                 1,
                 {},
                 {},
                 {"29/02/2024", "31/03/2024", "30/04/2024"}},
        CasoDate{"DataDocGiornoFisso31",
                 "15/01/2025",
                 "D",
                 "M",
                 3,
                 31,
                 1,
                 {},
                 {},
                 {"28/02/2025", "31/03/2025", "30/04/2025"}},
        CasoDate{"PeriodiInMesi",
                 "10/10/2025",
                 "F",
                 "T",
                 3,
                 0,
                 0,
                 {1, 2, 3},
                 {},
                 {"30/11/2025", "31/01/2026", "30/04/2026"}},
        // Day steps cross month and year ends.
        CasoDate{
            "SessantaGiorniBisestile", "15/01/2024", "D", "G", 1, 0, 60, {}, {}, {"15/03/2024"}},
        CasoDate{"SessantaGiorni", "15/01/2025", "D", "G", 1, 0, 60, {}, {}, {"16/03/2025"}},
        CasoDate{"GiorniDaFineMese",
                 "15/01/2024",
                 "F",
                 "G",
                 2,
                 0,
                 30,
                 {},
                 {},
                 {"01/03/2024", "31/03/2024"}},
        CasoDate{"PeriodiInGiorniFineAnno",
                 "15/12/2025",
                 "D",
                 "A",
                 2,
                 0,
                 0,
                 {30, 30},
                 {},
                 {"14/01/2026", "13/02/2026"}},
        // Excluded months.
        CasoDate{"AgostoEsclusoGiorno10",
                 "20/08/2026",
                 "D",
                 "G",
                 1,
                 0,
                 0,
                 {},
                 {8, 0, 10, 0},
                 {"10/09/2026"}},
        CasoDate{"EsclusoGiornoFisso",
                 "15/07/2026",
                 "F",
                 "M",
                 1,
                 5,
                 0,
                 {},
                 {8, 0, 0, 0},
                 {"05/09/2026"}},
        CasoDate{"EsclusoGiornoSostituito",
                 "15/07/2026",
                 "F",
                 "M",
                 1,
                 5,
                 0,
                 {},
                 {8, 0, 20, 0},
                 {"20/09/2026"}},
        CasoDate{"EsclusoGiornoTagliato",
                 "31/08/2026",
                 "D",
                 "G",
                 1,
                 0,
                 0,
                 {},
                 {8, 0, 0, 0},
                 {"30/09/2026"}},
        CasoDate{"EsclusoSecondoFineAnno",
                 "15/12/2026",
                 "D",
                 "G",
                 1,
                 0,
                 0,
                 {},
                 {8, 12, 0, 10},
                 {"10/01/2027"}},
        CasoDate{"DueMesiEsclusiDiSeguito",
                 "20/08/2026",
                 "D",
                 "G",
                 1,
                 0,
                 0,
                 {},
                 {8, 9, 0, 15},
                 {"15/10/2026"}},
        CasoDate{"SoloLaRataEsclusaSiSposta",
                 "15/06/2026",
                 "F",
                 "M",
                 3,
                 0,
                 1,
                 {},
                 {8, 0, 10, 0},
                 {"31/07/2026", "10/09/2026", "30/09/2026"}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(DateScadenza, InvalidTermsAreReported) {
    const struct {
        const char* decorrenza;
        const char* periodicita;
        int numScad;
        int giornoFisso;
        const char* errore;
    } casi[] = {
        {"X", "M", 1, 0,
         "Errore n°9003 : Decorrenza non valida: \"X\" (ammesse D, F, S) in Calcolo scadenze\n"},
        {"D", "", 1, 0,
         "Errore n°9003 : Periodicità non valida: \"\" (ammesse M, G, T, A) in Calcolo scadenze\n"},
        {"D", "M", 0, 0,
         "Errore n°9003 : Numero di scadenze non valido: 0 (da 1 a 12) in Calcolo scadenze\n"},
        {"D", "M", 13, 0,
         "Errore n°9003 : Numero di scadenze non valido: 13 (da 1 a 12) in Calcolo scadenze\n"},
        {"D", "M", 1, 32, "Errore n°9003 : Giorno fisso non valido: 32 in Calcolo scadenze\n"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.errore);
        ScadUtil::Termini t;
        t.decorrenza = c.decorrenza;
        t.periodicita = c.periodicita;
        t.numScad = c.numScad;
        t.giornoFisso = c.giornoFisso;
        LogErrori log;
        EXPECT_TRUE(ScadUtil::DateScadenza(D("15/03/2026"), t, {}, log).isEmpty());
        EXPECT_EQ(log.testo(), QString::fromUtf8(c.errore));
    }
}

struct CasoImporti {
    const char* nome;
    const char* importo;
    const char* iva;
    const char* trattamIva;
    QVector<const char*> percentuali;
    char modo;
    const char* passo;
    QStringList attesi;
};

class ImportiRateTest : public ::testing::TestWithParam<CasoImporti> {};

TEST_P(ImportiRateTest, AmountsAddUpToTheTotal) {
    const CasoImporti& c = GetParam();
    ScadUtil::Termini t;
    t.numScad = static_cast<int>(c.percentuali.size());
    t.trattamIva = c.trattamIva;
    for (const char* p : c.percentuali)
        t.percentuale << C(p);
    LogErrori log;
    const QVector<Currency> importi = ScadUtil::ImportiRate(
        C(c.importo), C(c.iva), t, QChar::fromLatin1(c.modo), C(c.passo), log);
    EXPECT_EQ(log.testo(), QString());
    EXPECT_EQ(testi(importi), c.attesi);
    EXPECT_EQ(somma(importi), C(c.importo));
}

INSTANTIATE_TEST_SUITE_P(
    Casi, ImportiRateTest,
    ::testing::Values(
        CasoImporti{"TreTerzi",
                    "100",
                    "0",
                    "P",
                    {"33.33", "33.33", "33.34"},
                    'A',
                    "0.01",
                    {"33.33", "33.33", "33.34"}},
        CasoImporti{"UltimaAssorbeArrotondamento",
                    "100",
                    "0",
                    "P",
                    {"33.33", "33.33", "33.33"},
                    'A',
                    "0.01",
                    {"33.33", "33.33", "33.34"}},
        CasoImporti{"PercentualiAssentiRateUguali",
                    "100",
                    "0",
                    "P",
                    {"0", "0", "0"},
                    'A',
                    "0.01",
                    {"33.33", "33.33", "33.34"}},
        CasoImporti{"RataUnica", "1234.56", "0", "P", {"0"}, 'A', "0.01", {"1234.56"}},
        CasoImporti{
            "IvaNellaPrimaRata", "1000", "180", "U", {"50", "50"}, 'A', "0.01", {"590", "410"}},
        CasoImporti{
            "IvaInProporzione", "1000", "180", "P", {"50", "50"}, 'A', "0.01", {"500", "500"}},
        CasoImporti{"IvaPrimaRataTreRate",
                    "1220",
                    "220",
                    "U",
                    {"33.33", "33.33", "33.34"},
                    'A',
                    "0.01",
                    {"553.3", "333.3", "333.4"}},
        CasoImporti{
            "ArrotondaVicino", "100.01", "0", "P", {"50", "50"}, 'A', "0.01", {"50.01", "50"}},
        CasoImporti{"ArrotondaSu", "100.01", "0", "P", {"50", "50"}, 'S', "0.01", {"50.01", "50"}},
        CasoImporti{"ArrotondaGiu", "100.01", "0", "P", {"50", "50"}, 'I', "0.01", {"50", "50.01"}},
        CasoImporti{"Tronca", "100.01", "0", "P", {"50", "50"}, 'T', "0.01", {"50", "50.01"}},
        CasoImporti{"PassoCinqueLire",
                    "10000",
                    "0",
                    "P",
                    {"33.33", "33.33", "33.34"},
                    'A',
                    "5",
                    {"3335", "3335", "3330"}},
        CasoImporti{"NotaDiCredito",
                    "-100",
                    "-22",
                    "U",
                    {"33.33", "33.33", "33.34"},
                    'A',
                    "0.01",
                    {"-48", "-26", "-26"}},
        CasoImporti{"NotaDiCreditoProporzione",
                    "-100",
                    "0",
                    "P",
                    {"33.33", "33.33", "33.34"},
                    'A',
                    "0.01",
                    {"-33.33", "-33.33", "-33.34"}},
        CasoImporti{"LimitataAlResiduo",
                    "0.03",
                    "0",
                    "P",
                    {"33.34", "33.34", "33.34"},
                    'S',
                    "0.01",
                    {"0.02", "0.01", "0"}},
        CasoImporti{"ImportoZero", "0", "0", "P", {"50", "50"}, 'A', "0.01", {"0", "0"}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(ImportiRate, InvalidAmountsAndPercentagesAreReported) {
    const struct {
        const char* importo;
        const char* iva;
        QVector<const char*> percentuali;
        const char* errore;
    } casi[] = {
        {"100",
         "120",
         {"50", "50"},
         "Errore n°9004 : L'IVA (120,00) non è compresa nell'importo da scadenzare (100,00) in "
         "Calcolo scadenze\n"},
        {"100",
         "-10",
         {"50", "50"},
         "Errore n°9004 : L'IVA (-10,00) non è compresa nell'importo da scadenzare (100,00) in "
         "Calcolo scadenze\n"},
        {"100",
         "0",
         {"50", "40"},
         "Errore n°9003 : Le percentuali delle rate sommano a 90,00 invece di 100 in Calcolo "
         "scadenze\n"},
        {"100",
         "0",
         {"110", "-10"},
         "Errore n°9003 : Percentuale negativa alla rata 2 in Calcolo scadenze\n"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.errore);
        ScadUtil::Termini t;
        t.numScad = static_cast<int>(c.percentuali.size());
        for (const char* p : c.percentuali)
            t.percentuale << C(p);
        LogErrori log;
        EXPECT_TRUE(
            ScadUtil::ImportiRate(C(c.importo), C(c.iva), t, 'A', C("0.01"), log).isEmpty());
        EXPECT_EQ(log.testo(), QString::fromUtf8(c.errore));
    }
}

TEST(LogErrori, ThirtyTextsThenDotsThenOnlyCounted) {
    for (int n : {1, 29, 30, 31, 32, 40}) {
        SCOPED_TRACE(n);
        LogErrori log;
        for (int i = 1; i <= n; ++i)
            log.Aggiungi(i, QStringLiteral("errore %1").arg(i),
                         QString::fromUtf8(ScadUtil::Titolo));
        EXPECT_EQ(log.numErrori(), n);
        EXPECT_EQ(log.testo().count('\n'), std::min(n, 30));
        EXPECT_TRUE(log.testo().startsWith("Errore n°1 : errore 1 in Calcolo scadenze\n"));
        EXPECT_EQ(log.testo().endsWith(".............."), n > 30);
        EXPECT_EQ(log.testo().count(".............."), n > 30 ? 1 : 0);
    }
}

class CalcolaScadenzeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.insert("Pagamenti", {{"Pagamento", "RB3060"},
                                {"Decorrenza", "F"},
                                {"Periodicita", "M"},
                                {"NumScad", 2},
                                {"TrattamIva", "U"},
                                {"GiornoFisso", 0},
                                {"NumGGMM", 1},
                                {"Percentuale1", 50},
                                {"Percentuale2", 50}});
        db.insert(
            "Pagamenti",
            {{"Pagamento", "ERRATO"}, {"Decorrenza", "Q"}, {"Periodicita", "M"}, {"NumScad", 1}});
        db.insert("PianoConti", {{"Gruppo", "01"},
                                 {"Mastro", "02"},
                                 {"Conto", "00001"},
                                 {"MeseNoEf1", 8},
                                 {"GioMesSucc1", 10}});
    }
    bool calcola(const QString& pagamento, const QString& conto, const char* importo,
                 const char* iva = "0") {
        return scad.CalcolaScadenze(QDate(2026, 6, 10), pagamento, "01", "02", conto, C(importo),
                                    'A', C("0.01"), ImportiDocumento{C(iva)}, date, importi,
                                    errore);
    }

    TestDb db;
    ScadUtil scad{db.db()};
    QVector<QDate> date{QDate(2000, 1, 1)};
    QVector<Currency> importi{C("1")};
    QString errore{"vecchio"};
};

TEST_F(CalcolaScadenzeTest, ScheduleFromTermsAndCustomer) {
    ASSERT_TRUE(calcola("RB3060", "00001", "1220", "220"));
    EXPECT_EQ(testi(date), QStringList({"31/07/2026", "10/09/2026"}));
    EXPECT_EQ(testi(importi), QStringList({"720", "500"}));
    EXPECT_EQ(errore, QString());
}

TEST_F(CalcolaScadenzeTest, FailuresGiveAnEmptyScheduleAndTheReason) {
    const struct {
        const char* pagamento;
        const char* conto;
        const char* importo;
        const char* errore;
    } casi[] = {
        {"NOPE", "00001", "100",
         "Errore n°9002 : Manca il pagamento con codice :NOPE in Calcolo scadenze\n"},
        {"", "00001", "100", "Errore n°9002 : Manca il codice di pagamento in Calcolo scadenze\n"},
        {"RB3060", "99999", "100",
         "Errore n°9001 : Manca il cliente con codice :01-02-99999 in Calcolo scadenze\n"},
        {"NOPE", "99999", "100",
         "Errore n°9002 : Manca il pagamento con codice :NOPE in Calcolo scadenze\n"
         "Errore n°9001 : Manca il cliente con codice :01-02-99999 in Calcolo scadenze\n"},
        {"ERRATO", "00001", "100",
         "Errore n°9003 : Decorrenza non valida: \"Q\" (ammesse D, F, S) in Calcolo scadenze\n"},
        {"RB3060", "00001", "900000000000000",
         "Errore n°6 : Importo fuori dai limiti in Calcolo scadenze\n"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.errore);
        EXPECT_FALSE(calcola(c.pagamento, c.conto, c.importo));
        EXPECT_TRUE(date.isEmpty());
        EXPECT_TRUE(importi.isEmpty());
        EXPECT_EQ(errore, QString::fromUtf8(c.errore));
    }
}
