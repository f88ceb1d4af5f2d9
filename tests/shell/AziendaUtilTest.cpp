#include <gtest/gtest.h>

#include <QHash>

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "RowSet.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"

namespace evapre {
namespace {

using test::ScriptedUiServices;
using test::TestDb;

// An amount from plain text ("1936.27").
Currency C(const char* text) {
    const std::optional<Currency> value = Currency::parse(QString::fromLatin1(text));
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(Currency{});
}

// ---- Company values -------------------------------------------------------------------

MoneySettings::Lookup answers(QHash<QString, QString> values) {
    return [values](const QString& key) { return values.value(key); };
}

TEST(MoneySettings, DefaultsWhenNothingIsSet) {
    const MoneySettings s = MoneySettings::fromParameters(answers({}), nullptr);
    EXPECT_EQ(s.moneta, QStringLiteral("Euro"));
    EXPECT_EQ(s.codLira, QStringLiteral("L."));
    EXPECT_EQ(s.codEuro, QStringLiteral("Euro"));
    EXPECT_EQ(s.operCambio, QStringLiteral("/"));
    EXPECT_EQ(s.cambioLiraEuro, C("1936.27"));
    EXPECT_EQ(s.arrotIvaEuro, QStringLiteral("A"));
}

TEST(MoneySettings, TakesTheAnswersAndKeepsDefaultsForBlanks) {
    const MoneySettings s = MoneySettings::fromParameters(
        answers({{QStringLiteral("Ditta.Moneta"), QStringLiteral("L.")},
                 {QStringLiteral("Ditta.CodLira"), QStringLiteral("   ")},
                 {QStringLiteral("Ditta.CodEuro"), QStringLiteral("EUR")},
                 {QStringLiteral("Ditta.OperCambio"), QStringLiteral("*")},
                 {QStringLiteral("Ditta.CambioLiraEuro"), QStringLiteral("1.936,2700")}}),
        answers({{QStringLiteral("Tutti.ArrotIvaEuro"), QStringLiteral("s")}}));
    EXPECT_EQ(s.moneta, QStringLiteral("L."));
    EXPECT_EQ(s.codLira, QStringLiteral("L."));
    EXPECT_EQ(s.codEuro, QStringLiteral("EUR"));
    EXPECT_EQ(s.operCambio, QStringLiteral("*"));
    EXPECT_EQ(s.cambioLiraEuro, C("1936.27"));
    EXPECT_EQ(s.arrotIvaEuro, QStringLiteral("S"));
}

TEST(MoneySettings, RateWithDecimalCommaAndUnusableRates) {
    const auto rate = [](const char* text) {
        return MoneySettings::fromParameters(
                   answers({{QStringLiteral("Ditta.CambioLiraEuro"), QString::fromLatin1(text)}}),
                   nullptr)
            .cambioLiraEuro;
    };
    EXPECT_EQ(rate("2000,5"), C("2000.5"));
    EXPECT_EQ(rate("abc"), C("1936.27"));
    EXPECT_EQ(rate("0"), C("1936.27"));
    EXPECT_EQ(rate("-3"), C("1936.27"));
}

// ---- Functions on a company database --------------------------------------------------

class AziendaUtilDb : public ::testing::Test {
  protected:
    TestDb db;

    AziendaUtil util(MoneySettings settings = {}) { return AziendaUtil(db.db(), settings); }

    void moneta(const char* code, QVariant numDec, QVariant numDecGest, QVariant op, QVariant cee) {
        db.insert(QStringLiteral("Monete"), {{QStringLiteral("Moneta"), QString::fromLatin1(code)},
                                             {QStringLiteral("NumDec"), numDec},
                                             {QStringLiteral("NumDecGest"), numDecGest},
                                             {QStringLiteral("Operatore"), op},
                                             {QStringLiteral("Cee"), cee}});
    }
    void banda(const char* table, const char* finoA, const char* step, const char* mode) {
        db.insert(QString::fromLatin1(table),
                  {{QStringLiteral("FinoA"), QVariant::fromValue(C(finoA))},
                   {QStringLiteral("ValArrot"), QVariant::fromValue(C(step))},
                   {QStringLiteral("TipoArrot"), QString::fromLatin1(mode)}});
    }
    // Lira with 0 decimals, euro with 2 and 5, as a company keeps them.
    void moneteDitta() {
        moneta("L.", 0, 0, QStringLiteral("/"), QStringLiteral("S"));
        moneta("Euro", 2, 5, QStringLiteral("/"), QStringLiteral("S"));
    }
};

TEST_F(AziendaUtilDb, CurrencyLookup) {
    moneta("USD", 2, 4, QStringLiteral("*"), QStringLiteral("N"));
    moneta("CHF", QVariant(), QVariant(), QVariant(), QVariant());
    AziendaUtil u = util();

    const InfoMoneta missing = u.LeggiMoneta(QStringLiteral("XXX"));
    EXPECT_FALSE(missing.trovata);
    EXPECT_EQ(missing.numDec, 2);
    EXPECT_EQ(missing.numDecGest, 2);
    EXPECT_EQ(missing.operatore, QStringLiteral("/"));
    EXPECT_EQ(missing.cee, QStringLiteral("N"));

    const InfoMoneta usd = u.LeggiMoneta(QStringLiteral("USD"));
    EXPECT_TRUE(usd.trovata);
    EXPECT_EQ(usd.numDecGest, 4);
    EXPECT_EQ(usd.operatore, QStringLiteral("*"));
    EXPECT_EQ(u.DecimaliMoneta(QStringLiteral("USD")), 2);
    EXPECT_EQ(u.DecimaliMoneta(QStringLiteral("USD"), true), 4);
    EXPECT_EQ(u.DecimaliMoneta(QStringLiteral("XXX"), true), 2);

    // Empty columns read as for a missing currency.
    const InfoMoneta chf = u.LeggiMoneta(QStringLiteral("CHF"));
    EXPECT_TRUE(chf.trovata);
    EXPECT_EQ(chf.numDec, 2);
    EXPECT_EQ(chf.operatore, QStringLiteral("/"));

    // A code with a quote goes through the formatter.
    EXPECT_FALSE(u.LeggiMoneta(QStringLiteral("X' OR '1'='1")).trovata);
}

TEST_F(AziendaUtilDb, LiraAndEuroWithTheDefaults) {
    moneteDitta();
    AziendaUtil u = util();
    u.caricaDecimali();
    EXPECT_EQ(u.settings().numDecLira, 0);
    EXPECT_EQ(u.settings().numDecGestEuro, 5);
    const QString lira = QStringLiteral("L.");

    EXPECT_EQ(u.ConvertiDaEuro(C("1"), {}, {}, lira), C("1936.27"));
    EXPECT_EQ(u.ConvertiInEuro(C("1936.27"), {}, {}, lira), C("1"));
    // The caller's rate and operator do not apply to the lira.
    EXPECT_EQ(u.ConvertiInEuro(C("1936.27"), C("5"), QStringLiteral("*"), lira), C("1"));
    // Unrounded results keep four decimals; the round flags use the tables and decimals.
    EXPECT_EQ(u.ConvertiInEuro(C("1000"), {}, {}, lira), C("0.5164"));
    EXPECT_EQ(u.ConvertiInEuro(C("1000"), {}, {}, lira, true), C("0.52"));
    EXPECT_EQ(u.ConvertiDaEuro(C("10"), {}, {}, lira, ArrotondaDaEuro::Decimali), C("19363"));
    EXPECT_EQ(u.ConvertiDaEuro(C("10"), {}, {}, lira, ArrotondaDaEuro::Decimali, 1), C("19362.7"));
    EXPECT_EQ(u.ConvertiDaEuro(C("10"), {}, {}, lira, ArrotondaDaEuro::Tabella), C("19363"));
}

TEST_F(AziendaUtilDb, ConversionsByRateAndOperator) {
    moneteDitta();
    moneta("JPY", 0, 2, QStringLiteral("*"), QStringLiteral("N"));
    AziendaUtil u = util();
    const QString usd = QStringLiteral("USD");
    const QString div = QStringLiteral("/");
    const QString mul = QStringLiteral("*");

    EXPECT_EQ(u.ConvertiInEuro(C("110"), C("1.1"), div, usd), C("100"));
    EXPECT_EQ(u.ConvertiDaEuro(C("100"), C("1.1"), div, usd), C("110"));
    EXPECT_EQ(u.ConvertiInEuro(C("100"), C("0.5"), mul, usd), C("50"));
    EXPECT_EQ(u.ConvertiDaEuro(C("50"), C("0.5"), mul, usd), C("100"));
    // Any operator other than "/" multiplies into euro, other than "*" multiplies from it.
    EXPECT_EQ(u.ConvertiInEuro(C("100"), C("0.5"), QString(), usd), C("50"));
    EXPECT_EQ(u.ConvertiDaEuro(C("100"), C("2"), QString(), usd), C("200"));
    // A zero rate never changes the amount, whatever the operator.
    for (const QString& op : {div, mul}) {
        EXPECT_EQ(u.ConvertiInEuro(C("123.45"), {}, op, usd), C("123.45"));
        EXPECT_EQ(u.ConvertiDaEuro(C("123.45"), {}, op, usd), C("123.45"));
    }
    // The euro itself passes unchanged.
    EXPECT_EQ(u.ConvertiInEuro(C("123.45"), C("7"), mul, QStringLiteral("Euro")), C("123.45"));
    EXPECT_EQ(u.ConvertiDaEuro(C("123.45"), C("7"), div, QStringLiteral("Euro")), C("123.45"));
    // Rounded to the decimals of the currency converted into when none are given.
    EXPECT_EQ(u.ConvertiDaEuro(C("10"), C("1.23456"), div, usd, ArrotondaDaEuro::Decimali),
              C("12.35"));
    EXPECT_EQ(u.ConvertiDaEuro(C("10"), C("0.003"), mul, QStringLiteral("JPY"),
                               ArrotondaDaEuro::Decimali),
              C("3333"));
}

TEST_F(AziendaUtilDb, BlankCurrencyIsTheCompanyCurrency) {
    MoneySettings lire;
    lire.moneta = QStringLiteral("L.");
    AziendaUtil u = util(lire);
    EXPECT_EQ(u.ConvertiDaEuro(C("2"), C("9"), QStringLiteral("*"), QString()), C("3872.54"));
    AziendaUtil euro = util();
    EXPECT_EQ(euro.ConvertiDaEuro(C("2"), C("9"), QStringLiteral("*"), QString()), C("2"));
}

TEST_F(AziendaUtilDb, ConversionOverflowIsAnError) {
    AziendaUtil u = util();
    const Currency huge = Currency::fromInt(900'000'000'000'000);
    EXPECT_THROW(u.ConvertiDaEuro(huge, {}, {}, QStringLiteral("L.")), CurrencyOverflow);
    EXPECT_THROW(u.ConvertiInEuro(huge, C("0.0001"), QStringLiteral("/"), QStringLiteral("USD")),
                 CurrencyOverflow);
}

TEST_F(AziendaUtilDb, EmptyTablesRoundToTheCurrencyDecimals) {
    moneteDitta();
    AziendaUtil u = util();
    u.caricaDecimali();
    EXPECT_EQ(u.ArrotondaTabella(C("1.235"), QStringLiteral("E")), C("1.24"));
    EXPECT_EQ(u.ArrotondaTabella(C("-1.235"), QStringLiteral("E")), C("-1.24"));
    EXPECT_EQ(u.ArrotondaTabella(C("1234.5"), QStringLiteral("L")), C("1235"));
}

struct BandCase {
    const char* table;
    const char* amount;
    const char* expected;
};

void PrintTo(const BandCase& c, std::ostream* os) {
    *os << c.table << ' ' << c.amount << " -> " << c.expected;
}

class RoundByTable : public AziendaUtilDb, public ::testing::WithParamInterface<BandCase> {};

TEST_P(RoundByTable, UsesTheBandOfTheAmount) {
    banda("ArrotLire", "100000", "50", "A");  // inserted out of order on purpose
    banda("ArrotLire", "1000", "1", "A");
    banda("ArrotLire", "10000", "5", "S");
    banda("ArrotEuro", "10", "0.01", "A");
    banda("ArrotEuro", "999999", "0.05", "S");
    AziendaUtil u = util();
    const BandCase& c = GetParam();
    EXPECT_EQ(u.ArrotondaTabella(C(c.amount), QString::fromLatin1(c.table)), C(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Bands, RoundByTable,
    ::testing::Values(BandCase{"L", "999.5", "1000"}, BandCase{"L", "1000", "1000"},
                      BandCase{"L", "1000.4", "1005"},  // just above the bound: next band
                      BandCase{"L", "1001", "1005"}, BandCase{"L", "9999", "10000"},
                      BandCase{"L", "10001", "10000"}, BandCase{"L", "10025", "10050"},
                      BandCase{"L", "500024", "500000"},  // above the highest band
                      BandCase{"L", "500025", "500050"},
                      BandCase{"L", "-1001", "-1000"},  // magnitude picks the band, "S" is up
                      BandCase{"L", "-10025", "-10050"}, BandCase{"E", "5.555", "5.56"},
                      BandCase{"E", "10.01", "10.05"}, BandCase{"E", "12.35", "12.35"},
                      BandCase{"E", "2000000.01", "2000000.05"},
                      BandCase{"X", "12.31", "12.35"}));  // anything but "L" is the euro table

TEST_F(AziendaUtilDb, TableStartingWithNessunoRoundsToDecimals) {
    banda("ArrotEuro", "10", "0", "Nessuno");
    banda("ArrotEuro", "1000", "0.05", "S");
    AziendaUtil u = util();
    EXPECT_EQ(u.ArrotondaTabella(C("12.311"), QStringLiteral("E")), C("12.31"));
}

TEST_F(AziendaUtilDb, BandWithoutStepRoundsToDecimals) {
    banda("ArrotEuro", "10", "0.05", "S");
    banda("ArrotEuro", "1000", "0", "S");
    AziendaUtil u = util();
    EXPECT_EQ(u.ArrotondaTabella(C("12.311"), QStringLiteral("E")), C("12.31"));
    EXPECT_EQ(u.ArrotondaTabella(C("2.01"), QStringLiteral("E")), C("2.05"));
}

TEST_F(AziendaUtilDb, EachTableIsReadOnce) {
    banda("ArrotEuro", "1000", "0.05", "S");
    AziendaUtil u = util();
    EXPECT_EQ(u.ArrotondaTabella(C("1.01"), QStringLiteral("E")), C("1.05"));
    db.db().execute(QStringLiteral("Delete * from ArrotEuro"));
    EXPECT_EQ(u.ArrotondaTabella(C("1.01"), QStringLiteral("E")), C("1.05"));
}

// ---- VAT and discounts ------------------------------------------------------------------

struct VatCase {
    const char* amount;
    const char* rate;
    int decimals;
    const char* arrotIvaEuro;
    const char* expected;
};

void PrintTo(const VatCase& c, std::ostream* os) {
    *os << c.amount << " at " << c.rate << "% dec " << c.decimals << " ArrotIvaEuro "
        << c.arrotIvaEuro << " -> " << c.expected;
}

class VatFunctions : public ::testing::TestWithParam<VatCase> {
  protected:
    static inline std::unique_ptr<TestDb> sDb;
    static void SetUpTestSuite() { sDb = std::make_unique<TestDb>(false); }
    static void TearDownTestSuite() { sDb.reset(); }

    AziendaUtil util() {
        MoneySettings s;
        s.arrotIvaEuro = QString::fromLatin1(GetParam().arrotIvaEuro);
        return AziendaUtil(sDb->db(), s);
    }
};

class VatAmount : public VatFunctions {};

TEST_P(VatAmount, RoundsByTheSetting) {
    const VatCase& c = GetParam();
    EXPECT_EQ(util().ImportoIva(C(c.amount), C(c.rate), c.decimals), C(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VatAmount,
    ::testing::Values(VatCase{"100", "22", 2, "A", "22"}, VatCase{"100", "10", 2, "A", "10"},
                      VatCase{"100", "4", 2, "A", "4"}, VatCase{"100", "0", 2, "S", "0"},
                      VatCase{"10.01", "22", 2, "A", "2.20"},
                      VatCase{"10.01", "22", 2, "S", "2.21"},
                      VatCase{"-10.01", "22", 2, "A", "-2.20"},
                      VatCase{"-10.01", "22", 2, "S", "-2.21"},  // "I": away from zero
                      VatCase{"10.05", "10", 2, "A", "1.01"},    // 1,005: ties away from zero
                      VatCase{"-10.05", "10", 2, "A", "-1.01"},
                      VatCase{"1001", "4", 0, "A", "41"},  // fewer than 2 decimals: up
                      VatCase{"-1001", "4", 0, "A", "-41"}, VatCase{"1000", "4", 0, "A", "40"},
                      VatCase{"12.35", "10", 1, "A", "1.3"},
                      // Digits beyond four decimals still count when rounding up.
                      VatCase{"0.0001", "22", 2, "S", "0.01"}, VatCase{"0.0001", "22", 2, "A", "0"},
                      VatCase{"100.0001", "10", 2, "S", "10.01"},
                      VatCase{"-100.0001", "10", 2, "S", "-10.01"},
                      VatCase{"100", "22.5", 2, "A", "22.5"}));

class VatExtraction : public VatFunctions {};

TEST_P(VatExtraction, GivesTheNet) {
    const VatCase& c = GetParam();
    EXPECT_EQ(util().ScorporaIva(C(c.amount), C(c.rate), c.decimals), C(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VatExtraction,
    ::testing::Values(VatCase{"122", "22", 2, "A", "100"}, VatCase{"122", "22", 2, "S", "100"},
                      VatCase{"110", "10", 2, "A", "100"}, VatCase{"104", "4", 2, "A", "100"},
                      VatCase{"100", "0", 2, "A", "100"},
                      VatCase{"100", "22", 2, "A", "81.96"},  // 81,967… truncated
                      // The nearest (81,97) plus its VAT is not 100: truncated again.
                      VatCase{"100", "22", 2, "S", "81.96"},
                      VatCase{"-100", "22", 2, "A", "-81.96"},
                      VatCase{"-122", "22", 2, "S", "-100"}, VatCase{"1000", "22", 0, "A", "819"},
                      VatCase{"1000", "22", 0, "S", "819"}, VatCase{"10", "10", 2, "S", "9.09"}));

TEST(VatExtractionErrors, RateOfMinusHundredIsAnError) {
    TestDb db(false);
    AziendaUtil u(db.db(), MoneySettings{});
    EXPECT_THROW(u.ScorporaIva(C("100"), C("-100"), 2), CurrencyDivisionByZero);
}

TEST(GrossFromNet, NetRoundedPlusItsVat) {
    TestDb db(false);
    AziendaUtil u(db.db(), MoneySettings{});
    EXPECT_EQ(u.LordoDaNetto(C("100"), C("22"), 2), C("122"));
    EXPECT_EQ(u.LordoDaNetto(C("10.005"), C("22"), 2), C("12.21"));  // 10,01 + 2,20
    EXPECT_EQ(u.LordoDaNetto(C("-10.005"), C("22"), 2), C("-12.21"));
    EXPECT_EQ(u.LordoDaNetto(C("1001"), C("4"), 0), C("1042"));
}

struct DiscountCase {
    const char* amount;
    double percentage;
    int decimals;
    const char* expected;
};

void PrintTo(const DiscountCase& c, std::ostream* os) {
    *os << c.amount << " less " << c.percentage << "% dec " << c.decimals;
}

class Discount : public ::testing::TestWithParam<DiscountCase> {};

TEST_P(Discount, TakesThePercentageOff) {
    const DiscountCase& c = GetParam();
    EXPECT_EQ(AziendaUtil::Sconto(C(c.amount), c.percentage, c.decimals), C(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Discount,
    ::testing::Values(DiscountCase{"100", 10, 2, "90"}, DiscountCase{"100", 14.5, 2, "85.5"},
                      DiscountCase{"10.05", 10, 2, "9.05"},  // 9,045 exactly: ties away
                      DiscountCase{"-10.05", 10, 2, "-9.05"},
                      DiscountCase{"19.99", 33.333333, 2, "13.33"},
                      DiscountCase{"100", -5, 2, "105"},  // a surcharge
                      DiscountCase{"100", 0, 2, "100"}, DiscountCase{"1234", 12.5, 0, "1080"},
                      DiscountCase{"100", 100, 2, "0"}));

TEST(DiscountErrors, OverflowIsAnError) {
    EXPECT_THROW(AziendaUtil::Sconto(Currency::fromInt(900'000'000'000'000), -1000, 2),
                 CurrencyOverflow);
    EXPECT_THROW(AziendaUtil::Sconto(C("1"), std::numeric_limits<double>::infinity(), 2),
                 CurrencyOverflow);
}

// ---- Price-list validity -----------------------------------------------------------------

class PriceListDates : public AziendaUtilDb {
  protected:
    void riga(const char* articolo, const char* listino, QDate inizio, QDate fine = {}) {
        db.insert(QStringLiteral("ArtListini"),
                  {{QStringLiteral("Articolo"), QString::fromLatin1(articolo)},
                   {QStringLiteral("Listino"), QString::fromLatin1(listino)},
                   {QStringLiteral("Livello1"), QStringLiteral("-")},
                   {QStringLiteral("Livello2"), QStringLiteral("-")},
                   {QStringLiteral("DataInizio"), inizio},
                   {QStringLiteral("DataFine"), fine.isValid() ? QVariant(fine) : QVariant()}});
    }
    // DataFine of the rows of an article and list, by DataInizio.
    QList<QDate> fini(const char* articolo = "ART", const char* listino = "1") {
        QList<QDate> result;
        const auto rows = db.db().openRowSet(
            QStringLiteral("Select DataFine from ArtListini where Articolo = ") +
            db.db().sql(QString::fromLatin1(articolo)) + QStringLiteral(" and Listino = ") +
            db.db().sql(QString::fromLatin1(listino)) + QStringLiteral(" order by DataInizio"));
        for (; !rows->eof(); rows->moveNext()) {
            result << rows->date(QStringLiteral("DataFine"));
        }
        return result;
    }
    void riconcatena(QDate inizio) {
        AziendaUtil u = util();
        u.RiconcatenaDateListino(QStringLiteral("ART"), QStringLiteral("-"), QStringLiteral("-"),
                                 QStringLiteral("1"), inizio);
    }

    const QDate d2020{2020, 1, 1};
    const QDate d2021{2021, 3, 1};
    const QDate d2022{2022, 1, 1};
    const QDate open{9999, 12, 31};
};

TEST_F(PriceListDates, NoRowsChangesNothing) {
    riga("ALTRO", "1", d2020);
    riconcatena(d2020);
    EXPECT_EQ(fini("ALTRO"), QList<QDate>{QDate()});
}

TEST_F(PriceListDates, SingleRowIsOpenEnded) {
    riga("ART", "1", d2020, QDate(2020, 6, 30));
    riconcatena(d2021);  // the date does not matter with one row
    EXPECT_EQ(fini(), QList<QDate>{open});
}

TEST_F(PriceListDates, MiddleRowRunsToTheNextAndClosesThePrevious) {
    riga("ART", "1", d2020);
    riga("ART", "1", d2021);
    riga("ART", "1", d2022, QDate(2022, 12, 31));
    riga("ART", "2", d2020);  // another list
    riconcatena(d2021);
    EXPECT_EQ(fini(), (QList<QDate>{QDate(2021, 2, 28), QDate(2021, 12, 31), QDate(2022, 12, 31)}));
    EXPECT_EQ(fini("ART", "2"), QList<QDate>{QDate()});
}

TEST_F(PriceListDates, LastRowIsOpenEnded) {
    riga("ART", "1", d2020);
    riga("ART", "1", d2021);
    riconcatena(d2021);
    EXPECT_EQ(fini(), (QList<QDate>{QDate(2021, 2, 28), open}));
}

TEST_F(PriceListDates, FirstRowHasNoPrevious) {
    riga("ART", "1", d2020, open);
    riga("ART", "1", d2021, open);
    riconcatena(d2020);
    EXPECT_EQ(fini(), (QList<QDate>{QDate(2021, 2, 28), open}));
}

TEST_F(PriceListDates, UnknownStartDateChangesNothing) {
    riga("ART", "1", d2020);
    riga("ART", "1", d2022);
    riconcatena(d2021);
    EXPECT_EQ(fini(), (QList<QDate>{QDate(), QDate()}));
}

TEST_F(PriceListDates, InsideTheCallersTransaction) {
    riga("ART", "1", d2020);
    riga("ART", "1", d2021);
    db.db().begin();
    riconcatena(d2021);
    db.db().rollback();
    EXPECT_EQ(fini(), (QList<QDate>{QDate(), QDate()}));
}

// ---- Promotion notice ------------------------------------------------------------------

TEST(PromotionNotice, ShownOnlyWhenAsked) {
    ScriptedUiServices ui;
    EXPECT_FALSE(AziendaUtil::AvvisoPromozione(ui, QStringLiteral("N"), QStringLiteral("x")));
    EXPECT_FALSE(AziendaUtil::AvvisoPromozione(ui, QString(), QStringLiteral("x")));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(AziendaUtil::AvvisoPromozione(ui, QStringLiteral("S"), QStringLiteral("Vite M6")));
    EXPECT_EQ(ui.messages,
              QStringList{QStringLiteral("Articolo con prezzo in promozione: \nVite M6")});
}

TEST_F(AziendaUtilDb, PromotionNoticeFromThePriceListRow) {
    db.insert(QStringLiteral("ArtListini"),
              {{QStringLiteral("Articolo"), QStringLiteral("A")},
               {QStringLiteral("Listino"), QStringLiteral("1")},
               {QStringLiteral("Livello1"), QStringLiteral("-")},
               {QStringLiteral("Livello2"), QStringLiteral("-")},
               {QStringLiteral("DataInizio"), QDate(2024, 1, 1)},
               {QStringLiteral("MessProm"), QStringLiteral("S")},
               {QStringLiteral("Descrizione"), QStringLiteral("Saldi")}});
    const auto row = db.db().openRowSet(QStringLiteral("Select * from ArtListini"));
    ScriptedUiServices ui;
    EXPECT_TRUE(AziendaUtil::AvvisoPromozione(ui, *row));
    EXPECT_EQ(ui.messages,
              QStringList{QStringLiteral("Articolo con prezzo in promozione: \nSaldi")});
}

}  // namespace
}  // namespace evapre
