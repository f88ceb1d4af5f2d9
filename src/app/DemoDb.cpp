#include "DemoDb.h"

#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "CommandLine.h"
#include "Commands.h"
#include "DbConnection.h"
#include "DbError.h"
#include "DemoBatch.h"
#include "DemoCatalog.h"
#include "Rounding.h"
#include "SchemaManager.h"
#include "VeltDbasedll.h"

namespace evapre {

namespace {

using demo::ArticleTemplate;
using demo::City;
using demo::Family;

const QString kNoLevel = QStringLiteral("~ç~");
const QString kEuro = QStringLiteral("Euro");
const int kYear = 2026;

// splitmix64: the same sequence on every compiler and library, unlike the std distributions.
class Rng {
  public:
    explicit Rng(uint64_t seed) : mState(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

    uint64_t next() {
        uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1, n > 0.
    int below(int n) {
        return static_cast<int>(
            (static_cast<unsigned __int128>(next()) * static_cast<uint64_t>(n)) >> 64);
    }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T>
    const T& pick(const std::vector<T>& list) {
        return list[static_cast<size_t>(below(static_cast<int>(list.size())))];
    }

  private:
    uint64_t mState;
};

Currency cents(int64_t value) {
    return Currency::fromRaw(value * 100);
}
Currency units(int64_t value) {
    return Currency::fromInt(value);
}
Currency percentOf(Currency amount, Currency percent) {
    return amount * percent / 100;
}
QString q(const char* text) {
    return QString::fromUtf8(text);
}
QString pad(int value, int width) {
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

struct Account {
    QString gruppo, mastro, conto;
    QString name, street, cap, city, province, vat, phone;
    QString state = QStringLiteral("IT");
    QString currency = QStringLiteral("Euro");
    QString language;
    QString vatCode;  // forced on every document (exempt customers)
    QString payment, list = QStringLiteral("1"), discount, bank, carrier,
                     resa = QStringLiteral("F");
    QString ipa, contract;
    bool speseBan = false, bolli = true, pricesWithVat = false, splitPay = false;
    int declaration = 0;  // PdcDicIntenti number in use, 0 = none
    int agent = 0;        // 0 = none, else 1..4
};

struct Article {
    QString code, description, um, umPurchase, vat, category, line;
    Family family = Family::Hardware;
    Currency price, resellerPrice, cost;
    Currency purchaseFactor = units(1);
    bool stock = true, raee = false, levels = false, kit = false, pricedByLevel = false;
    int piecesPerPack = 0;
    int supplier = -1;
    QString raeeArticle;
    QStringList sizes;
    QStringList colours;
    Currency minStock;
};

struct Promotion {
    int article;
    QDate from, to;
    Currency price;
};

struct Payment {
    const char* code;
    const char* description;
    const char* kind;
    const char* start;
    const char* period;
    int instalments;
    int every;
    const char* expense;
    const char* discount;
};

const std::vector<Payment>& Payments() {
    static const std::vector<Payment> list = {
        {"RD", "Rimessa diretta", "RD", "D", "G", 1, 0, nullptr, "2"},
        {"RB30", "Ricevuta bancaria 30 gg fine mese", "RB", "F", "M", 1, 1, "INC", nullptr},
        {"RB3060", "Ricevuta bancaria 30/60 gg fine mese", "RB", "F", "M", 2, 1, "INC", nullptr},
        {"BB30", "Bonifico bancario 30 gg data fattura", "BB", "D", "G", 1, 30, nullptr, nullptr},
        {"BB60", "Bonifico bancario 60 gg fine mese", "BB", "F", "M", 1, 2, nullptr, nullptr},
        {"TR60", "Tratta 60 gg fine mese", "TR", "F", "M", 1, 2, nullptr, nullptr},
    };
    return list;
}

struct VatCode {
    const char* code;
    const char* description;
    const char* shortText;
    const char* kind;
    int rate;
    const char* stampDuty;
};

const std::vector<VatCode>& VatCodes() {
    static const std::vector<VatCode> list = {
        {"22", "Aliquota ordinaria 22%", "IVA 22%", "0", 22, "N"},
        {"10", "Aliquota ridotta 10%", "IVA 10%", "0", 10, "N"},
        {"4", "Aliquota minima 4%", "IVA 4%", "0", 4, "N"},
        {"N2", "Non soggetta art. 7-ter DPR 633/72", "N.S. art. 7", "5", 0, "S"},
        {"N3", "Non imponibile art. 8 c.1 DPR 633/72", "N.I. art. 8", "2", 0, "S"},
        {"N4", "Esente art. 10 DPR 633/72", "Es. art. 10", "3", 0, "S"},
        {"E15", "Escluso art. 15 DPR 633/72", "Escl. art. 15", "4", 0, "N"},
    };
    return list;
}

bool isExemptVat(const QString& code) {
    for (const auto& vat : VatCodes())
        if (code == QLatin1String(vat.code))
            return QByteArray(vat.kind) != "0";
    return false;
}

int vatRate(const QString& code) {
    for (const auto& vat : VatCodes())
        if (code == QLatin1String(vat.code))
            return vat.rate;
    return 0;
}

// One quote line as it is written, kept until the quote header is written.
struct LevelRow {
    QString size, colour;
    Currency qty, price, value, valueEuro, valueLire, delivered;
    QString status;
};

struct QuoteLine {
    int rigLiv = 0;
    QString kind;  // "A" article, "M" free line, "D" descriptive
    int article = -1;
    QString code, description, um, vat, gift = QStringLiteral("N");
    QString discountCustomer, discountArticle, discountQuantity, discountChain,
        promotion = QStringLiteral("N");
    Currency qty, packages, price, value, valueEuro, valueLire, delivered;
    QString status;
    QDate delivery;
    QString note;
    int raeeLine = 0;
    std::vector<LevelRow> levels;
    QString revenueMastro, revenueConto;
};

}  // namespace

class DemoCompanyBuilder::Impl {
  public:
    Impl(DbConnection& db, DemoOptions options, Progress progress)
        : mDb(db), mOptions(options), mProgress(std::move(progress)), mRng(options.seed) {}

    DemoCounts build();

  private:
    void refuseWhenNotEmpty();
    void writeParameters();
    void writeTables();
    void makeAccounts();
    void writeAccounts();
    void makeArticles();
    void writeArticles();
    void writePriceLists();
    void writeStock();
    void writeQuotes();

    Account makeCompany(const std::vector<const char*>& trades, std::set<QString>& used);
    QString vatNumber();
    QString street();
    Currency rateOn(const QString& currency, const QDate& date) const;
    int pickArticle(bool allowRaee);
    Currency lineValue(Currency qty, Currency price, const QStringList& discounts,
                       int decimals) const;

    DbConnection& mDb;
    DemoOptions mOptions;
    Progress mProgress;
    Rng mRng;
    DemoCounts mCounts;

    std::vector<Account> mCustomers;
    std::vector<Account> mSuppliers;
    std::vector<Article> mArticles;
    std::vector<int> mSellable;
    std::map<QString, int> mRaeeIndex;
    std::vector<Promotion> mPromotions;
    std::map<QString, std::vector<std::pair<QDate, Currency>>> mRates;
};

// ---------------------------------------------------------------------------------------
// Checks and fixed tables

void DemoCompanyBuilder::Impl::refuseWhenNotEmpty() {
    const qlonglong quotes =
        mDb.scalar(QStringLiteral("SELECT COUNT(*) FROM PreVenTest")).toLongLong();
    if (quotes > 0)
        throw DemoRefused(
            QStringLiteral(
                "Il database contiene già %1 preventivi: la ditta dimostrativa non viene "
                "generata per non mescolare i dati.\nIndicare con --db un file nuovo "
                "(ad esempio /tmp/demo-nuovo.db), che verrà creato.")
                .arg(quotes));
    for (const QString& table : {QStringLiteral("MenuParametri"), QStringLiteral("PianoConti"),
                                 QStringLiteral("Articoli"), QStringLiteral("Monete")}) {
        if (mDb.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong() > 0)
            throw DemoRefused(
                QStringLiteral("Il database contiene già dati della ditta (tabella %1): "
                               "la ditta dimostrativa va generata in un database vuoto.\n"
                               "Indicare con --db un file nuovo, che verrà creato.")
                    .arg(table));
    }
}

void DemoCompanyBuilder::Impl::writeParameters() {
    DemoBatch company(mDb, QStringLiteral("MenuParametri"),
                      {QStringLiteral("Chiave"), QStringLiteral("Valore")});
    const std::vector<std::pair<const char*, const char*>> values = {
        {"DescAzie", "Ferramenta Elettrica Lombarda S.r.l. (dimostrativa)"},
        {"Versione", "1.0"},
        {"DataVersione", "01/01/2026"},
        {"Ditta.Moneta", "Euro"},
        {"Ditta.CodEuro", "Euro"},
        {"Ditta.CodLira", "L."},
        {"Ditta.OperCambio", "/"},
        {"Ditta.CambioLiraEuro", "1936,27"},
        {"Ditta.RegIvaVen", "A"},
        {"Ditta.EleRegIvaVen", "A,B"},
        {"Ditta.InstMaga", "S"},
        {"Ditta.InstDiBa", "S"},
        {"Mag.AnnoCorr", "2026"},
        {"Mag.DataInizio", "01/01/2026"},
        {"Mag.DataFine", "31/12/2026"},
        {"Mag.NumDecQta", "2"},
        {"Mag.GesTaglie", "S"},
        {"Mag.GesArtFor", "S"},
        {"Mag.AggForArt", "S"},
        {"Mag.MagPrincipale", "01"},
        {"Fat.DocPrev", "PV"},
        {"Fat.PrefDdt", "D"},
        {"Fat.ElePrefDdt", "D,E"},
        {"Fat.ComeEva", "N"},
        {"Fat.AspettoBene", "Scatole"},
        {"Fat.CauTrasporto", "Vendita"},
        {"Fat.RagDDT", "S"},
        {"Fat.StRifCli", "S"},
        {"Fat.StRifOrd", "S"},
        {"Fat.MessDichIntenti", "Operazione non imponibile art. 8 c.1 lett. c) DPR 633/72"},
        {"Fat.Onlus", "N"},
        {"Coge.AnnoAzzera", "0"},
        {"CauCon.GruppoVen", "70"},
        {"CauCon.MastroVen", "01"},
        {"CauCon.ContoVen", "001"},
        {"CauCon.GruppoCliCorr", "06"},
        {"CauCon.MastroCliCorr", "01"},
        {"CauCon.ContoCliCorr", "99999"},
        {"CauCon.GruppoIvaAcq", "04"},
        {"CauCon.MastroIvaAcq", "05"},
        {"CauCon.ContoIvaAcq", "001"},
        {"EvasionePrev.RaggrDataRif", "N"},
        {"EvasionePrev.CopiaRifCli", "S"},
    };
    for (const auto& [key, value] : values)
        company.text(q(key)).text(q(value)).endRow();
    company.flush();

    DemoBatch personal(mDb, QStringLiteral("MenuParametriPersonali"),
                       {QStringLiteral("Utente"), QStringLiteral("Sezione"), QStringLiteral("Nome"),
                        QStringLiteral("Valore")});
    const std::vector<std::array<const char*, 3>> own = {
        {"Tutti", "ArrotIvaEuro", "A"},      {"Tutti", "DataMinima", "01/01/1900"},
        {"Tutti", "ArrUnitIntermedio", "N"}, {"Tutti", "CassaPrevNoImpon", "N"},
        {"Tutti", "DecodHelpAbil", "S"},     {"Articoli", "DivPezziConf", "1"},
        {"Fatture", "GestVuotiCauz", "N"},   {"Preventivi", "DisabTermVisPrz", "N"},
    };
    for (const auto& row : own)
        personal.text(QStringLiteral("*")).text(q(row[0])).text(q(row[1])).text(q(row[2])).endRow();
    personal.flush();
}

void DemoCompanyBuilder::Impl::writeTables() {
    DemoBatch currencies(
        mDb, QStringLiteral("Monete"),
        {QStringLiteral("Moneta"), QStringLiteral("Descrizione"), QStringLiteral("NumDec"),
         QStringLiteral("NumDecGest"), QStringLiteral("Operatore"), QStringLiteral("Cee")});
    // NumDec: decimals of amounts; NumDecGest: decimals of unit prices.
    currencies.text(kEuro)
        .text(QStringLiteral("Euro"))
        .number(2)
        .number(2)
        .text(QStringLiteral("/"))
        .text(QStringLiteral("S"))
        .endRow();
    currencies.text(QStringLiteral("L."))
        .text(QStringLiteral("Lire italiane"))
        .number(0)
        .number(0)
        .text(QStringLiteral("/"))
        .text(QStringLiteral("S"))
        .endRow();
    currencies.text(QStringLiteral("USD"))
        .text(QStringLiteral("Dollaro USA"))
        .number(2)
        .number(3)
        .text(QStringLiteral("/"))
        .text(QStringLiteral("N"))
        .endRow();
    currencies.text(QStringLiteral("CHF"))
        .text(QStringLiteral("Franco svizzero"))
        .number(2)
        .number(2)
        .text(QStringLiteral("/"))
        .text(QStringLiteral("N"))
        .endRow();
    currencies.flush();

    // Monthly rates (units of the currency per euro) from December 2025.
    DemoBatch rates(mDb, QStringLiteral("Cambi"),
                    {QStringLiteral("Moneta"), QStringLiteral("Data"), QStringLiteral("Cambio")});
    for (const auto& [currency, start] : {std::pair{QStringLiteral("USD"), int64_t{10850}},
                                          std::pair{QStringLiteral("CHF"), int64_t{9400}}}) {
        int64_t raw = start;
        for (int month = 0; month < 13; ++month) {
            const QDate date = QDate(2025, 12, 1).addMonths(month);
            const Currency rate = Currency::fromRaw(raw);
            mRates[currency].push_back({date, rate});
            rates.text(currency).date(date).money(rate).endRow();
            raw += mRng.between(-120, 120);
        }
    }
    rates.flush();

    const QStringList roundColumns = {QStringLiteral("FinoA"), QStringLiteral("ValArrot"),
                                      QStringLiteral("TipoArrot")};
    DemoBatch euro(mDb, QStringLiteral("ArrotEuro"), roundColumns);
    euro.money(units(1000000)).money(cents(1)).text(QStringLiteral("A")).endRow();
    euro.money(units(99999999999)).money(units(1)).text(QStringLiteral("A")).endRow();
    euro.flush();
    DemoBatch lire(mDb, QStringLiteral("ArrotLire"), roundColumns);
    lire.money(units(1000)).money(units(1)).text(QStringLiteral("A")).endRow();
    lire.money(units(99999999999)).money(units(5)).text(QStringLiteral("A")).endRow();
    lire.flush();

    DemoBatch vat(
        mDb, QStringLiteral("TabIva"),
        {QStringLiteral("Iva"), QStringLiteral("Descrizione"), QStringLiteral("DescrizioneBreve"),
         QStringLiteral("DescrMemo"), QStringLiteral("TipoIva"), QStringLiteral("Aliquota"),
         QStringLiteral("ApplBolloEse")});
    for (const auto& code : VatCodes())
        vat.text(q(code.code))
            .text(q(code.description))
            .text(q(code.shortText))
            .text(q(code.description))
            .text(q(code.kind))
            .money(units(code.rate))
            .text(q(code.stampDuty))
            .endRow();
    vat.flush();

    DemoBatch causals(
        mDb, QStringLiteral("Causali"),
        {QStringLiteral("Causale"), QStringLiteral("Descrizione"), QStringLiteral("SplitPay")});
    causals.text(QStringLiteral("FV"))
        .text(QStringLiteral("Fattura di vendita"))
        .text(QStringLiteral("N"))
        .endRow();
    causals.text(QStringLiteral("FSP"))
        .text(QStringLiteral("Fattura di vendita split payment"))
        .text(QStringLiteral("S"))
        .endRow();
    causals.text(QStringLiteral("NCV"))
        .text(QStringLiteral("Nota di credito a cliente"))
        .text(QStringLiteral("N"))
        .endRow();
    causals.flush();

    DemoBatch kinds(mDb, QStringLiteral("PagTipi"),
                    {QStringLiteral("PagTipo"), QStringLiteral("Descrizione"),
                     QStringLiteral("TipoEffetto"), QStringLiteral("AddBolli")});
    kinds.text(QStringLiteral("RD"))
        .text(QStringLiteral("Rimessa diretta"))
        .null()
        .text(QStringLiteral("N"))
        .endRow();
    kinds.text(QStringLiteral("RB"))
        .text(QStringLiteral("Ricevuta bancaria"))
        .text(QStringLiteral("1"))
        .text(QStringLiteral("S"))
        .endRow();
    kinds.text(QStringLiteral("BB"))
        .text(QStringLiteral("Bonifico bancario"))
        .null()
        .text(QStringLiteral("N"))
        .endRow();
    kinds.text(QStringLiteral("TR"))
        .text(QStringLiteral("Tratta"))
        .text(QStringLiteral("3"))
        .text(QStringLiteral("S"))
        .endRow();
    kinds.flush();

    DemoBatch payments(
        mDb, QStringLiteral("Pagamenti"),
        {QStringLiteral("Pagamento"), QStringLiteral("Descrizione"), QStringLiteral("PagTipo"),
         QStringLiteral("Decorrenza"), QStringLiteral("Periodicita"), QStringLiteral("NumScad"),
         QStringLiteral("TrattamIva"), QStringLiteral("GiornoFisso"), QStringLiteral("NumGGMM"),
         QStringLiteral("Periodo1"), QStringLiteral("Periodo2"), QStringLiteral("Percentuale1"),
         QStringLiteral("Percentuale2"), QStringLiteral("NotaFissa"), QStringLiteral("FeBanca"),
         QStringLiteral("Spesa"), QStringLiteral("Sconto")});
    for (const auto& p : Payments()) {
        payments.text(q(p.code))
            .text(q(p.description))
            .text(q(p.kind))
            .text(q(p.start))
            .text(q(p.period))
            .number(p.instalments)
            .text(QStringLiteral("U"))
            .number(0)
            .number(p.every);
        payments.number(p.every).number(p.instalments > 1 ? p.every * 2 : 0);
        if (p.instalments > 1)
            payments.money(units(50)).money(units(50));
        else
            payments.money(units(100)).money(Currency());
        const bool transfer = QByteArray(p.kind) == "BB";
        if (transfer)
            payments.number(3).text(QStringLiteral("IT60X0542811101000000123456"));
        else
            payments.null().null();
        payments.text(p.expense ? q(p.expense) : QString())
            .text(p.discount ? q(p.discount) : QString())
            .endRow();
    }
    payments.flush();

    DemoBatch expenses(mDb, QStringLiteral("Spese"), {QStringLiteral("Spesa"),
                                                      QStringLiteral("Descrizione"),
                                                      QStringLiteral("TipoAddebito"),
                                                      QStringLiteral("TipoEvasione"),
                                                      QStringLiteral("Importo"),
                                                      QStringLiteral("ImportoMax"),
                                                      QStringLiteral("ImportoMin"),
                                                      QStringLiteral("ImportoLire"),
                                                      QStringLiteral("ImportoMaxLire"),
                                                      QStringLiteral("ImportoMinLire"),
                                                      QStringLiteral("Percentuale"),
                                                      QStringLiteral("Iva"),
                                                      QStringLiteral("Moneta"),
                                                      QStringLiteral("SoggRitAcc"),
                                                      QStringLiteral("SoggScontoPagam"),
                                                      QStringLiteral("AddebitoIva"),
                                                      QStringLiteral("RifStampa"),
                                                      QStringLiteral("CassaPrev"),
                                                      QStringLiteral("Gruppo"),
                                                      QStringLiteral("Mastro"),
                                                      QStringLiteral("Conto")});
    struct Expense {
        const char* code;
        const char* description;
        const char* charge;
        int carry;
        int amount, max, min;  // euro cents
        int percent;
        const char* vat;
        const char* print;
        const char* conto;
    };
    const std::vector<Expense> list = {
        {"TRA", "Spese di trasporto", "F", 1, 1500, 0, 0, 0, "22", "N", "001"},
        {"IMB", "Spese di imballo", "P", 3, 0, 5000, 500, 2, "22", "N", "002"},
        {"INC", "Spese d'incasso", "R", 2, 250, 0, 0, 0, "E15", "N", "003"},
        {"BOL", "Imposta di bollo", "T", 1, 200, 0, 0, 0, "E15", "N", "010"},
        {"TRK", "Trasporto a peso", "S", 1, 12, 20000, 1000, 0, "22", "N", "001"},
        {"SPR", "Spese generali da ripartire", "F", 2, 1000, 0, 0, 0, nullptr, "R", "004"},
    };
    const Currency lira = Currency::fromRaw(19362700);
    for (const auto& e : list) {
        expenses.text(q(e.code))
            .text(q(e.description))
            .text(q(e.charge))
            .number(e.carry)
            .money(cents(e.amount))
            .money(cents(e.max))
            .money(cents(e.min));
        expenses.money(Arrotonda(cents(e.amount) * lira, 'A', 0))
            .money(Arrotonda(cents(e.max) * lira, 'A', 0))
            .money(Arrotonda(cents(e.min) * lira, 'A', 0));
        expenses.money(units(e.percent))
            .text(e.vat ? q(e.vat) : QString())
            .text(kEuro)
            .text(QStringLiteral("N"))
            .text(QStringLiteral("N"))
            .text(QStringLiteral("S"))
            .text(q(e.print))
            .text(QStringLiteral("N"))
            .text(QStringLiteral("70"))
            .text(QStringLiteral("05"))
            .text(q(e.conto))
            .endRow();
    }
    expenses.flush();

    DemoBatch states(mDb, QStringLiteral("Stati"),
                     {QStringLiteral("Stato"), QStringLiteral("Descrizione"), QStringLiteral("Cee"),
                      QStringLiteral("Iso")});
    const std::vector<std::array<const char*, 3>> countries = {
        {"IT", "Italia", "S"},
        {"SM", "San Marino", "N"},
        {"CH", "Svizzera", "N"},
        {"DE", "Germania", "S"},
        {"FR", "Francia", "S"},
        {"AT", "Austria", "S"},
        {"US", "Stati Uniti d'America", "N"},
    };
    for (const auto& c : countries)
        states.text(q(c[0])).text(q(c[1])).text(q(c[2])).text(q(c[0])).endRow();
    states.flush();

    DemoBatch carriers(
        mDb, QStringLiteral("Vettori"),
        {QStringLiteral("Vettore"), QStringLiteral("RagSoc"), QStringLiteral("Indirizzo"),
         QStringLiteral("CAP"), QStringLiteral("Localita"), QStringLiteral("Pr")});
    for (const auto& c : demo::Carriers())
        carriers.text(q(c.code))
            .text(q(c.name))
            .text(q(c.street))
            .text(q(c.cap))
            .text(q(c.city))
            .text(q(c.province))
            .endRow();
    carriers.flush();

    QStringList stampColumns = {QStringLiteral("Id"),
                                QStringLiteral("CodEseBollo"),
                                QStringLiteral("GruppoBol"),
                                QStringLiteral("MastroBol"),
                                QStringLiteral("ContoBol"),
                                QStringLiteral("PercBolloTratte"),
                                QStringLiteral("MaxNoBollo"),
                                QStringLiteral("BolloEsente"),
                                QStringLiteral("Arrotond"),
                                QStringLiteral("MaxNoBolloLire"),
                                QStringLiteral("BolloEsenteLire"),
                                QStringLiteral("ArrotondLire")};
    for (int k = 1; k <= 6; ++k)
        stampColumns << QStringLiteral("Sca%1BolRB").arg(k) << QStringLiteral("Bollo%1RB").arg(k);
    for (int k = 1; k <= 6; ++k)
        stampColumns << QStringLiteral("Sca%1BolRBLire").arg(k)
                     << QStringLiteral("Bollo%1RBLire").arg(k);
    DemoBatch stamp(mDb, QStringLiteral("TaBolli"), stampColumns);
    stamp.number(1)
        .text(QStringLiteral("E15"))
        .text(QStringLiteral("70"))
        .text(QStringLiteral("05"))
        .text(QStringLiteral("010"))
        .money(units(12))
        .money(cents(7747))
        .money(cents(200))
        .money(cents(1))
        .money(units(150000))
        .money(units(4000))
        .money(units(100));
    const std::vector<std::pair<int64_t, int64_t>> brackets = {{12911, 129},   {25823, 258},
                                                               {51646, 516},   {103291, 1033},
                                                               {258228, 2066}, {99999999999, 4132}};
    for (const auto& [upTo, amount] : brackets)
        stamp.money(cents(upTo)).money(cents(amount));
    for (const auto& [upTo, amount] : brackets)
        stamp.money(Arrotonda(cents(upTo) * lira, 'A', 0))
            .money(Arrotonda(cents(amount) * lira, 'A', -2));
    stamp.endRow();
    stamp.flush();

    DemoBatch notes(mDb, QStringLiteral("NoteFisse"),
                    {QStringLiteral("NotaFissa"), QStringLiteral("Descrizione"),
                     QStringLiteral("Nota"), QStringLiteral("SuEvasione")});
    notes.number(1)
        .text(QStringLiteral("Rischio trasporto"))
        .text(QStringLiteral("La merce viaggia a rischio e pericolo del committente."))
        .text(QStringLiteral("S"))
        .endRow();
    notes.number(2)
        .text(QStringLiteral("Validità offerta"))
        .text(QStringLiteral("Offerta valida 30 giorni dalla data del preventivo."))
        .text(QStringLiteral("N"))
        .endRow();
    notes.number(3)
        .text(QStringLiteral("Coordinate bancarie"))
        .text(QStringLiteral("Pagamento su IBAN IT60X0542811101000000123456."))
        .text(QStringLiteral("S"))
        .endRow();
    notes.number(4)
        .text(QStringLiteral("RAEE"))
        .text(QStringLiteral("Contributo RAEE assolto ove dovuto (D.Lgs. 49/2014)."))
        .text(QStringLiteral("S"))
        .endRow();
    notes.flush();

    DemoBatch causali(
        mDb, QStringLiteral("MagCausali"),
        {QStringLiteral("MagCausale"), QStringLiteral("Descrizione"), QStringLiteral("CarScar"),
         QStringLiteral("Segno"), QStringLiteral("Prov"), QStringLiteral("Dest"),
         QStringLiteral("TipoMov"), QStringLiteral("AggMedioCar"), QStringLiteral("AggMedioPon"),
         QStringLiteral("AggCostoUlt"), QStringLiteral("ValorizzScarico"), QStringLiteral("AcqVen"),
         QStringLiteral("RipartSpese"), QStringLiteral("QualeImporto"), QStringLiteral("CliFor")});
    const std::vector<std::array<const char*, 15>> causalRows = {
        {"VEN", "Vendita a cliente", "S", "+", "M", "", "N", "N", "N", "N", "P", "V", "N", "", "C"},
        {"COR", "Vendita al banco (corrispettivi)", "S", "+", "M", "", "N", "N", "N", "N", "P", "V",
         "N", "", "C"},
        {"ORC", "Impegno da ordine cliente", "S", "+", "M", "", "O", "N", "N", "N", "N", "", "N",
         "", "C"},
        {"ORF", "Ordine a fornitore", "C", "+", "F", "M", "O", "N", "N", "N", "N", "", "N", "U",
         "F"},
        {"ACQ", "Acquisto da fornitore", "C", "+", "F", "M", "N", "S", "S", "S", "N", "A", "S", "U",
         "F"},
        {"INV", "Esistenza iniziale", "C", "+", "", "M", "I", "S", "S", "S", "N", "", "N", "", ""},
        {"TRF", "Trasferimento tra magazzini", "S", "+", "M", "M", "N", "N", "N", "N", "P", "", "N",
         "", ""},
    };
    for (const auto& row : causalRows) {
        for (const char* value : row)
            causali.text(*value ? q(value) : QString());
        causali.endRow();
    }
    causali.flush();

    DemoBatch types(
        mDb, QStringLiteral("FattDocumenti"),
        {QStringLiteral("FattDocumento"), QStringLiteral("Descrizione"), QStringLiteral("Tipo"),
         QStringLiteral("Segno"), QStringLiteral("Interno"), QStringLiteral("FattDocEvasione"),
         QStringLiteral("MagCausale"), QStringLiteral("MagCausaleRientro"),
         QStringLiteral("Causale"), QStringLiteral("RegimeMargine"), QStringLiteral("PrefRegIva"),
         QStringLiteral("PrefBolle"), QStringLiteral("DoveStampoDesLung"),
         QStringLiteral("FattAccomp"), QStringLiteral("PrezzoDDT"), QStringLiteral("RiepDoc"),
         QStringLiteral("MagProposto"), QStringLiteral("Listino")});
    const std::vector<std::array<const char*, 18>> typeRows = {
        {"PV", "Preventivo di vendita", "P", "+", "N", "FA", "", "COR", "", "N", "", "", "D", "N",
         "S", "N", "01", "1"},
        {"FA", "Fattura immediata", "F", "+", "N", "", "VEN", "", "FV", "N", "A", "", "D", "S", "S",
         "N", "01", "1"},
        {"FS", "Fattura split payment P.A.", "F", "+", "N", "", "VEN", "", "FSP", "N", "B", "", "D",
         "S", "S", "N", "01", "1"},
        {"NC", "Nota di credito", "F", "-", "N", "", "", "", "NCV", "N", "A", "", "D", "N", "S",
         "N", "01", "1"},
        {"BD", "Documento di trasporto", "B", "+", "N", "FA", "VEN", "", "", "N", "", "D", "D", "N",
         "N", "N", "01", "1"},
        {"OC", "Ordine cliente", "O", "+", "N", "BD", "ORC", "", "", "N", "", "", "D", "N", "S",
         "N", "01", "1"},
        {"OF", "Ordine a fornitore", "A", "+", "N", "", "ORF", "", "", "N", "", "", "D", "N", "S",
         "N", "01", "ACQ"},
    };
    for (const auto& row : typeRows) {
        for (const char* value : row)
            types.text(*value ? q(value) : QString());
        types.endRow();
    }
    types.flush();

    DemoBatch books(mDb, QStringLiteral("LibriIva"),
                    {QStringLiteral("Anno"), QStringLiteral("TipoReg"), QStringLiteral("Pref"),
                     QStringLiteral("Descrizione"), QStringLiteral("RegimeMargine")});
    for (int year : {2025, 2026}) {
        books.number(year)
            .text(QStringLiteral("V"))
            .text(QStringLiteral("A"))
            .text(QStringLiteral("Registro vendite"))
            .text(QStringLiteral("N"))
            .endRow();
        books.number(year)
            .text(QStringLiteral("V"))
            .text(QStringLiteral("B"))
            .text(QStringLiteral("Registro vendite split payment"))
            .text(QStringLiteral("N"))
            .endRow();
    }
    books.flush();

    DemoBatch lists(
        mDb, QStringLiteral("Listini"),
        {QStringLiteral("Listino"), QStringLiteral("Descrizione"), QStringLiteral("Moneta"),
         QStringLiteral("Ivato"), QStringLiteral("ScoSomSost"), QStringLiteral("Sconto")});
    lists.text(QStringLiteral("1"))
        .text(QStringLiteral("Listino di vendita"))
        .text(kEuro)
        .text(QStringLiteral("N"))
        .text(QStringLiteral("N"))
        .null()
        .endRow();
    lists.text(QStringLiteral("2"))
        .text(QStringLiteral("Listino rivenditori"))
        .text(kEuro)
        .text(QStringLiteral("N"))
        .text(QStringLiteral("N"))
        .text(QStringLiteral("5"))
        .endRow();
    lists.text(QStringLiteral("ACQ"))
        .text(QStringLiteral("Listino d'acquisto"))
        .text(kEuro)
        .text(QStringLiteral("N"))
        .text(QStringLiteral("S"))
        .null()
        .endRow();
    lists.flush();

    DemoBatch purchasing(
        mDb, QStringLiteral("TabAcq"),
        {QStringLiteral("Id"), QStringLiteral("AcqDocOrd"), QStringLiteral("Oggetto"),
         QStringLiteral("Vettore"), QStringLiteral("ListAcq")});
    purchasing.number(1)
        .text(QStringLiteral("OF"))
        .text(QStringLiteral("Ordine a fornitore da preventivi"))
        .text(QStringLiteral("V01"))
        .text(QStringLiteral("ACQ"))
        .endRow();
    purchasing.flush();

    DemoBatch classes(mDb, QStringLiteral("ArtClasseAttr"),
                      {QStringLiteral("ArtClasse"), QStringLiteral("ArtClasseAttr"),
                       QStringLiteral("Descrizione")});
    const std::vector<std::tuple<int, const char*, const char*>> classRows = {
        {1, "ELE", "Materiale elettrico"},     {1, "FER", "Ferramenta"},
        {1, "KIT", "Kit e composti"},          {1, "SER", "Servizi"},
        {1, "TES", "Tessile e abbigliamento"}, {2, "BAS", "Linea base"},
        {2, "ECO", "Linea economica"},         {2, "PRO", "Linea professionale"},
    };
    for (const auto& [klass, code, description] : classRows)
        classes.number(klass).text(q(code)).text(q(description)).endRow();
    classes.flush();
}

// ---------------------------------------------------------------------------------------
// Customers and suppliers

QString DemoCompanyBuilder::Impl::vatNumber() {
    QString digits = QString::number(mRng.between(1, 9));
    for (int i = 0; i < 6; ++i)
        digits += QString::number(mRng.below(10));
    digits += pad(mRng.between(1, 100), 3);  // tax office of the province
    return demo::VatNumberWithCheck(digits);
}

QString DemoCompanyBuilder::Impl::street() {
    return q(mRng.pick(demo::StreetKinds())) + QLatin1Char(' ') +
           q(mRng.pick(demo::StreetNames())) + QLatin1Char(' ') +
           QString::number(mRng.between(1, 180));
}

Account DemoCompanyBuilder::Impl::makeCompany(const std::vector<const char*>& trades,
                                              std::set<QString>& used) {
    Account a;
    for (;;) {
        const QString surname = q(mRng.pick(demo::Surnames()));
        const QString trade = q(mRng.pick(trades));
        const QString form = q(mRng.pick(demo::LegalForms()));
        switch (mRng.below(4)) {
            case 0:
                a.name = trade + QLatin1Char(' ') + surname + QLatin1Char(' ') + form;
                break;
            case 1:
                a.name = surname + QLatin1Char(' ') + trade + QLatin1Char(' ') + form;
                break;
            case 2:
                a.name = QStringLiteral("F.lli ") + surname + QLatin1Char(' ') + form;
                break;
            default:
                a.name = surname + QStringLiteral(" & ") + q(mRng.pick(demo::Surnames())) +
                         QLatin1Char(' ') + trade + QLatin1Char(' ') + form;
        }
        if (used.insert(a.name).second)
            break;
    }
    const City& city = mRng.pick(demo::Cities());
    a.street = street();
    a.cap = q(city.cap);
    a.city = q(city.name);
    a.province = q(city.province);
    a.vat = vatNumber();
    a.phone =
        q(city.phonePrefix) + QLatin1Char(' ') + QString::number(mRng.between(200000, 9999999));
    a.bank = q(mRng.pick(demo::Banks()));
    return a;
}

void DemoCompanyBuilder::Impl::makeAccounts() {
    std::set<QString> used;
    const int customers = 50;
    for (int i = 0; i < customers; ++i) {
        Account a = makeCompany(demo::CustomerTrades(), used);
        a.gruppo = QStringLiteral("06");
        a.mastro = QStringLiteral("01");
        a.conto = pad(i + 1, 5);
        static const char* const payments[] = {"RB3060", "RB3060", "RB30", "BB30",
                                               "BB60",   "RD",     "TR60"};
        a.payment = q(payments[mRng.below(7)]);
        a.speseBan = a.payment.startsWith(QLatin1String("RB"));
        const bool reseller = a.name.contains(QLatin1String("Ferramenta")) ||
                              a.name.contains(QLatin1String("Elettroforniture"));
        a.list = reseller ? QStringLiteral("2") : QStringLiteral("1");
        static const char* const discounts[] = {"", "", "", "5", "10", "10+5", "3"};
        a.discount = q(discounts[mRng.below(7)]);
        a.carrier = mRng.chance(60) ? q(demo::Carriers()[static_cast<size_t>(mRng.below(5))].code)
                                    : QString();
        a.resa = a.carrier.isEmpty()
                     ? QStringLiteral("F")
                     : (mRng.chance(50) ? QStringLiteral("A") : QStringLiteral("F"));
        a.agent = mRng.between(0, 4);
        if (mRng.chance(10))
            a.contract = QStringLiteral("CTR-2026-") + a.conto.right(3);
        mCustomers.push_back(a);
    }
    // A few customers with special terms.
    auto& pa = mCustomers[7];
    pa.name = QStringLiteral("Comune di ") + pa.city;
    pa.splitPay = true;
    pa.ipa = QStringLiteral("UF") + pad(mRng.between(1000, 9999), 4);
    pa.payment = QStringLiteral("BB30");
    pa.speseBan = false;
    pa.list = QStringLiteral("1");
    for (int i : {12, 33}) {
        auto& c = mCustomers[static_cast<size_t>(i)];
        c.name = q(i == 12 ? "Mario " : "Giulia ") + q(mRng.pick(demo::Surnames()));
        c.vat.clear();
        c.pricesWithVat = true;
        c.payment = QStringLiteral("RD");
        c.speseBan = false;
        c.list = QStringLiteral("1");
        c.discount.clear();
    }
    struct Foreign {
        int index;
        const char* name;
        const char* street;
        const char* cap;
        const char* city;
        const char* state;
        const char* currency;
        const char* language;
    };
    for (const Foreign& f : {Foreign{18, "Baumarkt Schmidt GmbH", "Industriestraße 12", "80331",
                                     "München", "DE", "Euro", "DE"},
                             Foreign{24, "Elektro Zürich AG", "Bahnhofstrasse 45", "8001", "Zürich",
                                     "CH", "CHF", "DE"},
                             Foreign{40, "Hardware Supply Inc.", "1200 Main Street", "10001",
                                     "New York", "US", "USD", "EN"}}) {
        auto& c = mCustomers[static_cast<size_t>(f.index)];
        c.name = q(f.name);
        c.street = q(f.street);
        c.cap = q(f.cap);
        c.city = q(f.city);
        c.province = QStringLiteral("EE");
        c.state = q(f.state);
        c.currency = q(f.currency);
        c.language = q(f.language);
        c.vatCode = QStringLiteral("N3");
        c.payment = QStringLiteral("BB30");
        c.speseBan = false;
        c.bolli = false;
        c.list = QStringLiteral("1");
    }
    // Habitual exporters with declarations of intent: one in PdcDicIntenti, one on the account.
    mCustomers[5].vatCode = QStringLiteral("N3");
    mCustomers[5].declaration = 2;
    mCustomers[27].vatCode = QStringLiteral("N3");
    mCounts.customers = customers;

    for (int i = 0; i < 20; ++i) {
        Account s = makeCompany(demo::SupplierTrades(), used);
        s.gruppo = QStringLiteral("20");
        s.mastro = QStringLiteral("01");
        s.conto = pad(i + 1, 5);
        s.payment = mRng.chance(50) ? QStringLiteral("BB60") : QStringLiteral("RB3060");
        s.list = QStringLiteral("ACQ");
        s.discount = mRng.chance(30) ? QStringLiteral("3") : QString();
        s.carrier = QStringLiteral("V0") + QString::number(mRng.between(1, 5));
        s.speseBan = false;
        s.bolli = false;
        mSuppliers.push_back(s);
    }
    mCounts.suppliers = 20;
}

void DemoCompanyBuilder::Impl::writeAccounts() {
    DemoBatch accounts(mDb, QStringLiteral("PianoConti"),
                       {QStringLiteral("Gruppo"),
                        QStringLiteral("Mastro"),
                        QStringLiteral("Conto"),
                        QStringLiteral("Descrizione"),
                        QStringLiteral("TipoConto"),
                        QStringLiteral("Stato"),
                        QStringLiteral("Iva"),
                        QStringLiteral("IvaSosp"),
                        QStringLiteral("Listino"),
                        QStringLiteral("Pagamento"),
                        QStringLiteral("Banca"),
                        QStringLiteral("Sconto"),
                        QStringLiteral("Resa"),
                        QStringLiteral("Vettore"),
                        QStringLiteral("MeseNoEf1"),
                        QStringLiteral("MeseNoEf2"),
                        QStringLiteral("GioMesSucc1"),
                        QStringLiteral("GioMesSucc2"),
                        QStringLiteral("SpeseBan"),
                        QStringLiteral("Bolli"),
                        QStringLiteral("StRifOrd"),
                        QStringLiteral("StRifCli"),
                        QStringLiteral("PrezzoDDT"),
                        QStringLiteral("RagDDT"),
                        QStringLiteral("RagRB"),
                        QStringLiteral("FECodIPA"),
                        QStringLiteral("IndAmm"),
                        QStringLiteral("DicIntenti"),
                        QStringLiteral("NrPrgIntenti"),
                        QStringLiteral("DataRicComIntenti"),
                        QStringLiteral("NrDichIntenti"),
                        QStringLiteral("DataDichIntenti"),
                        QStringLiteral("ImportoDichIntenti"),
                        QStringLiteral("?Indirizzo"),
                        QStringLiteral("?CAP"),
                        QStringLiteral("?Localita"),
                        QStringLiteral("?Pr"),
                        QStringLiteral("?PartIva"),
                        QStringLiteral("?Telefono")});
    auto write = [&](const Account& a, const QString& kind, bool customer) {
        accounts.text(a.gruppo).text(a.mastro).text(a.conto).text(a.name).text(kind).text(a.state);
        accounts.text(a.vatCode.isEmpty() ? QString() : a.vatCode)
            .text(a.splitPay ? QStringLiteral("S") : QStringLiteral("N"));
        accounts.text(a.list).text(a.payment).text(a.bank).text(a.discount.isEmpty() ? QString()
                                                                                     : a.discount);
        accounts.text(a.resa).text(a.carrier.isEmpty() ? QString() : a.carrier);
        // Customers whose account ends in 3 accept no due date in August (moved to the 10th of
        // September).
        const bool august = customer && a.conto.right(1) == QLatin1String("3");
        accounts.number(august ? 8 : 0).number(0).number(august ? 10 : 0).number(0);
        accounts.text(a.speseBan ? QStringLiteral("S") : QStringLiteral("N"))
            .text(a.bolli ? QStringLiteral("S") : QStringLiteral("N"));
        accounts.text(customer ? QStringLiteral("S") : QStringLiteral("N"))
            .text(QStringLiteral("N"))
            .text(QStringLiteral("S"))
            .text(QStringLiteral("S"))
            .text(QStringLiteral("S"));
        accounts.text(a.ipa.isEmpty() ? QString() : a.ipa).null();
        if (customer && a.conto == QLatin1String("00028")) {
            accounts.text(QStringLiteral("Vs. dichiarazione d'intento n. 7 del 15/01/2026"))
                .number(41)
                .date(QDate(2026, 1, 20))
                .number(7)
                .date(QDate(2026, 1, 15))
                .money(units(150000));
        } else {
            accounts.null().null().null().null().null().null();
        }
        accounts.text(a.street)
            .text(a.cap)
            .text(a.city)
            .text(a.province)
            .text(a.vat.isEmpty() ? QString() : a.vat)
            .text(a.phone);
        accounts.endRow();
    };
    for (const auto& c : mCustomers)
        write(c, QStringLiteral("3"), true);
    for (const auto& s : mSuppliers)
        write(s, QStringLiteral("4"), false);
    Account retail;
    retail.gruppo = QStringLiteral("06");
    retail.mastro = QStringLiteral("01");
    retail.conto = QStringLiteral("99999");
    retail.name = QStringLiteral("Clienti corrispettivi");
    retail.payment = QStringLiteral("RD");
    retail.bolli = false;
    write(retail, QStringLiteral("3"), true);
    const std::vector<std::array<const char*, 4>> ledger = {
        {"04", "05", "001", "IVA su acquisti"},
        {"04", "06", "001", "IVA su vendite"},
        {"60", "01", "001", "Acquisti di merci"},
        {"70", "01", "001", "Ricavi vendita ferramenta"},
        {"70", "01", "002", "Ricavi vendita tessili"},
        {"70", "01", "003", "Ricavi vendita materiale elettrico"},
        {"70", "01", "004", "Ricavi per prestazioni di servizi"},
        {"70", "05", "001", "Rimborso spese di trasporto"},
        {"70", "05", "002", "Rimborso spese di imballo"},
        {"70", "05", "003", "Rimborso spese d'incasso"},
        {"70", "05", "004", "Ricavi accessori"},
        {"70", "05", "010", "Rimborso imposta di bollo"},
    };
    for (const auto& l : ledger) {
        accounts.text(q(l[0])).text(q(l[1])).text(q(l[2])).text(q(l[3])).text(QStringLiteral("0"));
        for (int i = 0; i < 28; ++i)
            accounts.null();
        for (int i = 0; i < 6; ++i)
            accounts.null();
        accounts.endRow();
    }
    accounts.flush();

    DemoBatch declarations(
        mDb, QStringLiteral("PdcDicIntenti"),
        {QStringLiteral("Gruppo"), QStringLiteral("Mastro"), QStringLiteral("Conto"),
         QStringLiteral("PdcDicIntenti"), QStringLiteral("Attivo"), QStringLiteral("Descrizione"),
         QStringLiteral("ProtRicezione"), QStringLiteral("DataRicAE"),
         QStringLiteral("NrPrgIntenti"), QStringLiteral("DataRicComIntenti"),
         QStringLiteral("NrDichIntenti"), QStringLiteral("DataDichIntenti"),
         QStringLiteral("ImportoDichIntenti"), QStringLiteral("DataDAIntenti"),
         QStringLiteral("DataAIntenti"), QStringLiteral("RifComunicIntenti")});
    const Account& exporter = mCustomers[5];
    declarations.text(exporter.gruppo)
        .text(exporter.mastro)
        .text(exporter.conto)
        .number(1)
        .text(QStringLiteral("N"))
        .text(QStringLiteral("Dichiarazione 2025"))
        .text(QStringLiteral("25011512345678-000012"))
        .date(QDate(2025, 1, 15))
        .number(3)
        .date(QDate(2025, 1, 16))
        .number(1)
        .date(QDate(2025, 1, 10))
        .money(units(80000))
        .date(QDate(2025, 1, 1))
        .date(QDate(2025, 12, 31))
        .text(QStringLiteral("Rif1"))
        .endRow();
    declarations.text(exporter.gruppo)
        .text(exporter.mastro)
        .text(exporter.conto)
        .number(2)
        .text(QStringLiteral("S"))
        .text(QStringLiteral("Dichiarazione 2026"))
        .text(QStringLiteral("26011412345678-000007"))
        .date(QDate(2026, 1, 14))
        .number(2)
        .date(QDate(2026, 1, 15))
        .number(1)
        .date(QDate(2026, 1, 9))
        .money(units(120000))
        .date(QDate(2026, 1, 1))
        .date(QDate(2026, 12, 31))
        .text(QStringLiteral("Rif1"))
        .endRow();
    declarations.flush();
}

// ---------------------------------------------------------------------------------------
// Articles, price lists, stock

void DemoCompanyBuilder::Impl::makeArticles() {
    const Currency hundred = units(100);
    std::map<Family, std::vector<int>> suppliersOf;
    for (int i = 0; i < 20; ++i) {
        const Family f = i < 7 ? Family::Hardware : (i < 12 ? Family::Textile : Family::Electrical);
        suppliersOf[f].push_back(i);
    }
    for (const ArticleTemplate& t : demo::ArticleTemplates()) {
        for (size_t v = 0; v < t.variants.size(); ++v) {
            Article a;
            a.family = t.family;
            a.code = q(t.code) + pad(static_cast<int>(v) + 1, 3);
            a.description = t.variants.size() == 1 && !t.levels
                                ? q(t.description)
                                : q(t.description) + QLatin1Char(' ') + q(t.variants[v]);
            a.um = q(t.um);
            a.vat = q(t.vat);
            a.stock = t.stockManaged;
            a.raee = t.raee;
            a.levels = t.levels;
            a.piecesPerPack = t.piecesPerPack;
            // List price: the template price with a small spread, rounded to the cent.
            const Currency base = cents(t.basePriceCents + t.stepPriceCents * static_cast<int>(v));
            a.price = Arrotonda(base * units(100 + mRng.between(-5, 8)) / 100, 'A', 2);
            a.resellerPrice = Arrotonda(percentOf(a.price, units(85)), 'A', 2);
            a.cost = Arrotonda(a.price * units(mRng.between(52, 68)) / hundred, 'A', 4);
            switch (t.family) {
                case Family::Hardware:
                    a.category = QStringLiteral("FER");
                    break;
                case Family::Textile:
                    a.category = QStringLiteral("TES");
                    break;
                case Family::Electrical:
                    a.category = QStringLiteral("ELE");
                    break;
                case Family::Service:
                    a.category = QStringLiteral("SER");
                    break;
            }
            static const char* const lines[] = {"BAS", "ECO", "PRO"};
            a.line = q(lines[mRng.below(3)]);
            if (t.family != Family::Service)
                a.supplier = mRng.pick(suppliersOf[t.family]);
            a.umPurchase = a.um;
            if (a.piecesPerPack > 0 && mRng.chance(50)) {
                a.umPurchase = QStringLiteral("CF");
                a.purchaseFactor = units(a.piecesPerPack);
            }
            if (a.raee) {
                const bool lamp = a.code.startsWith(QLatin1String("LED")) ||
                                  a.code.startsWith(QLatin1String("FAR")) ||
                                  a.code.startsWith(QLatin1String("PAL")) ||
                                  a.code.startsWith(QLatin1String("PRO")) ||
                                  a.code.startsWith(QLatin1String("SLD"));
                a.raeeArticle = lamp ? QStringLiteral("RAEE5") : QStringLiteral("RAEE4");
            }
            if (a.levels) {
                if (a.code.startsWith(QLatin1String("SCA"))) {
                    for (const char* s : demo::ShoeSizes())
                        a.sizes << q(s);
                    a.pricedByLevel = true;
                } else {
                    for (const char* s : demo::Sizes())
                        a.sizes << q(s);
                    a.pricedByLevel = a.code.startsWith(QLatin1String("GIA"));
                }
                const auto& colours = demo::Colours();
                const int first = mRng.below(static_cast<int>(colours.size()));
                const int count = mRng.between(2, 4);
                for (int c = 0; c < count; ++c)
                    a.colours << q(
                        colours[static_cast<size_t>((first + c) % static_cast<int>(colours.size()))]
                            .first);
                a.colours.sort();
            }
            if (a.stock)
                a.minStock = units(mRng.chance(40) ? 0 : mRng.between(2, 30));
            mArticles.push_back(a);
        }
    }
    // Electrical-waste contributions: not stock-managed charges.
    for (const auto& [code, description, fee] :
         {std::tuple{"RAEE4", "Contributo RAEE R4 - piccoli elettrodomestici e utensili", 75},
          std::tuple{"RAEE5", "Contributo RAEE R5 - sorgenti luminose", 12}}) {
        Article a;
        a.family = Family::Service;
        a.code = q(code);
        a.description = q(description);
        a.um = QStringLiteral("PZ");
        a.umPurchase = a.um;
        a.vat = QStringLiteral("22");
        a.stock = false;
        a.price = cents(fee);
        a.resellerPrice = a.price;
        a.cost = a.price;
        a.category = QStringLiteral("SER");
        a.line = QStringLiteral("BAS");
        mArticles.push_back(a);
    }
    const int plain = static_cast<int>(mArticles.size());
    // Kits of hardware and electrical components; the last one holds another kit.
    static const char* const kitNames[] = {
        "Kit fissaggio sanitari",
        "Kit montaggio mensole",
        "Kit quadro elettrico appartamento",
        "Kit illuminazione LED ufficio",
        "Kit prese e interruttori camera",
        "Kit sicurezza porta blindata",
        "Kit utensili manutentore",
        "Kit cantiere elettrico",
        "Kit allestimento magazzino",
        "Kit completo ristrutturazione",
    };
    std::vector<std::vector<std::pair<int, int>>> components;
    for (int k = 0; k < 10; ++k) {
        Article a;
        a.family = Family::Hardware;
        a.code = QStringLiteral("KIT") + pad(k + 1, 3);
        a.description = q(kitNames[k]);
        a.um = QStringLiteral("PZ");
        a.umPurchase = a.um;
        a.vat = QStringLiteral("22");
        a.kit = true;
        a.category = QStringLiteral("KIT");
        a.line = QStringLiteral("PRO");
        std::vector<std::pair<int, int>> parts;
        std::set<int> seen;
        const int count = mRng.between(2, 4);
        Currency sum, cost;
        while (static_cast<int>(parts.size()) < count) {
            const int c = mRng.below(plain - 2);
            const Article& part = mArticles[static_cast<size_t>(c)];
            if (!part.stock || part.levels || part.raee || !seen.insert(c).second)
                continue;
            const int qty = mRng.between(1, 6);
            parts.push_back({c, qty});
            sum += part.price * qty;
            cost += part.cost * qty;
        }
        if (k == 9) {
            const int inner = plain + 7;
            parts.push_back({inner, 1});
            sum += mArticles[static_cast<size_t>(inner)].price;
            cost += mArticles[static_cast<size_t>(inner)].cost;
        }
        a.price = Arrotonda(percentOf(sum, units(92)), 'A', 2);
        a.resellerPrice = Arrotonda(percentOf(a.price, units(85)), 'A', 2);
        a.cost = Arrotonda(cost, 'A', 4);
        a.minStock = units(0);
        components.push_back(parts);
        mArticles.push_back(a);
    }
    mCounts.kits = 10;
    mCounts.articles = static_cast<int>(mArticles.size());
    for (int i = 0; i < mCounts.articles; ++i) {
        const QString& code = mArticles[static_cast<size_t>(i)].code;
        if (code.startsWith(QLatin1String("RAEE")))
            mRaeeIndex[code] = i;
        else
            mSellable.push_back(i);
    }

    DemoBatch links(mDb, QStringLiteral("ArtLegami"),
                    {QStringLiteral("ArticoloPadre"), QStringLiteral("ArticoloFiglio"),
                     QStringLiteral("UM"), QStringLiteral("Qta")});
    for (int k = 0; k < 10; ++k)
        for (const auto& [child, qty] : components[static_cast<size_t>(k)])
            links.text(mArticles[static_cast<size_t>(plain + k)].code)
                .text(mArticles[static_cast<size_t>(child)].code)
                .text(mArticles[static_cast<size_t>(child)].um)
                .money(units(qty))
                .endRow();
    links.flush();

    // Promotions on list 1 for a few articles without levels.
    std::set<int> promoted;
    while (promoted.size() < 12) {
        const int i = mRng.pick(mSellable);
        const Article& a = mArticles[static_cast<size_t>(i)];
        if (a.levels || a.kit || !a.stock || !promoted.insert(i).second)
            continue;
        const QDate from = QDate(kYear, mRng.between(1, 11), 1);
        mPromotions.push_back({i, from, from.addDays(mRng.between(14, 45)),
                               Arrotonda(percentOf(a.price, units(80)), 'A', 2)});
    }
}

void DemoCompanyBuilder::Impl::writeArticles() {
    DemoBatch articles(mDb, QStringLiteral("Articoli"),
                       {QStringLiteral("Articolo"),       QStringLiteral("Descrizione"),
                        QStringLiteral("ArtMag"),         QStringLiteral("LivGruppo1"),
                        QStringLiteral("FlagLivLis"),     QStringLiteral("DistBase"),
                        QStringLiteral("Cauzione"),       QStringLiteral("ArtUM"),
                        QStringLiteral("ArtUMVen"),       QStringLiteral("ArtUMAcq"),
                        QStringLiteral("FatConVen"),      QStringLiteral("FatConAcq"),
                        QStringLiteral("PezziPerConf"),   QStringLiteral("ScortaMinima"),
                        QStringLiteral("IvaVendite"),     QStringLiteral("Maggior"),
                        QStringLiteral("ListDaAgg"),      QStringLiteral("ListDaAggClie"),
                        QStringLiteral("GruppoForAb"),    QStringLiteral("MastroForAb"),
                        QStringLiteral("ContoForAb"),     QStringLiteral("GruppoMerAcq"),
                        QStringLiteral("MastroMerAcq"),   QStringLiteral("ContoMerAcq"),
                        QStringLiteral("ArtClasseAttr1"), QStringLiteral("ArtClasseAttr2")});
    const QString yes = QStringLiteral("S"), no = QStringLiteral("N");
    for (const Article& a : mArticles) {
        articles.text(a.code).text(a.description).text(a.stock ? yes : no);
        articles.text(a.levels
                          ? (a.code.startsWith(QLatin1String("SCA")) ? QStringLiteral("NUMERI")
                                                                     : QStringLiteral("TAGLIE"))
                          : QString());
        articles.text(a.pricedByLevel ? yes : no).text(a.kit ? yes : no).text(no);
        articles.text(a.um).text(a.um).text(a.umPurchase).money(units(1)).money(a.purchaseFactor);
        articles.money(units(a.piecesPerPack)).money(a.minStock).text(a.vat).money(Currency());
        articles.text(a.supplier >= 0 ? QStringLiteral("ACQ") : QString()).null();
        if (a.supplier >= 0) {
            const Account& s = mSuppliers[static_cast<size_t>(a.supplier)];
            articles.text(s.gruppo).text(s.mastro).text(s.conto);
        } else {
            articles.null().null().null();
        }
        articles.text(QStringLiteral("60")).text(QStringLiteral("01")).text(QStringLiteral("001"));
        articles.text(a.category).text(a.line).endRow();
    }
    articles.flush();

    DemoBatch supplierArticles(
        mDb, QStringLiteral("ArticoliFor"),
        {QStringLiteral("Articolo"), QStringLiteral("Livello1"), QStringLiteral("Livello2"),
         QStringLiteral("GruppoFor"), QStringLiteral("MastroFor"), QStringLiteral("ContoFor"),
         QStringLiteral("ArticoloFor"), QStringLiteral("Moneta"), QStringLiteral("PrezzoAcq"),
         QStringLiteral("CostoUltimo"), QStringLiteral("Sconto"), QStringLiteral("UltUM"),
         QStringLiteral("DataUltAcq")});
    for (const Article& a : mArticles) {
        if (a.supplier < 0)
            continue;
        const Account& s = mSuppliers[static_cast<size_t>(a.supplier)];
        const Currency purchasePrice = Arrotonda(a.cost * a.purchaseFactor, 'A', 4);
        supplierArticles.text(a.code)
            .text(kNoLevel)
            .text(kNoLevel)
            .text(s.gruppo)
            .text(s.mastro)
            .text(s.conto);
        supplierArticles.text(s.name.left(3).toUpper() + QLatin1Char('-') + a.code).text(kEuro);
        supplierArticles.money(purchasePrice)
            .money(purchasePrice)
            .text(s.discount.isEmpty() ? QString() : s.discount);
        supplierArticles.text(a.umPurchase)
            .date(QDate(2025, 12, 1).addDays(mRng.below(30)))
            .endRow();
    }
    supplierArticles.flush();
}

void DemoCompanyBuilder::Impl::writePriceLists() {
    const QStringList columns = {
        QStringLiteral("Articolo"),   QStringLiteral("Listino"),    QStringLiteral("Livello1"),
        QStringLiteral("Livello2"),   QStringLiteral("DataInizio"), QStringLiteral("DataFine"),
        QStringLiteral("Prezzo"),     QStringLiteral("PrezzoLire"), QStringLiteral("Sconto"),
        QStringLiteral("ScoSomSost"), QStringLiteral("MessProm"),   QStringLiteral("Descrizione")};
    DemoBatch prices(mDb, QStringLiteral("ArtListini"), columns);
    const Currency lira = Currency::fromRaw(19362700);
    const QDate open(9999, 12, 31);
    auto row = [&](const Article& a, const QString& list, const QString& l1, const QString& l2,
                   const QDate& from, const QDate& to, Currency price) {
        prices.text(a.code)
            .text(list)
            .text(l1)
            .text(l2)
            .date(from)
            .date(to)
            .money(price)
            .money(Arrotonda(price * lira, 'A', 0))
            .null()
            .text(QStringLiteral("N"))
            .text(QStringLiteral("N"))
            .text(a.description.left(60))
            .endRow();
        ++mCounts.priceRows;
    };
    for (const Article& a : mArticles) {
        if (a.pricedByLevel) {
            for (const QString& size : a.sizes) {
                const bool large = size == QLatin1String("XXL") || size == QLatin1String("45");
                const Currency price =
                    large ? Arrotonda(percentOf(a.price, units(110)), 'A', 2) : a.price;
                for (const QString& colour : a.colours)
                    row(a, QStringLiteral("1"), size, colour, QDate(kYear, 1, 1), open, price);
            }
        } else {
            // Last year's price, then this year's.
            row(a, QStringLiteral("1"), kNoLevel, kNoLevel, QDate(2025, 1, 1), QDate(2025, 12, 31),
                Arrotonda(percentOf(a.price, units(96)), 'A', 2));
            row(a, QStringLiteral("1"), kNoLevel, kNoLevel, QDate(kYear, 1, 1), open, a.price);
        }
        row(a, QStringLiteral("2"), kNoLevel, kNoLevel, QDate(kYear, 1, 1), open, a.resellerPrice);
        if (a.supplier >= 0)
            row(a, QStringLiteral("ACQ"), kNoLevel, kNoLevel, QDate(kYear, 1, 1), open,
                Arrotonda(a.cost * a.purchaseFactor, 'A', 2));
    }
    prices.flush();

    DemoBatch promotions(
        mDb, QStringLiteral("ArtLisPromozioni"),
        {QStringLiteral("Articolo"), QStringLiteral("Listino"), QStringLiteral("Livello1"),
         QStringLiteral("Livello2"), QStringLiteral("DataInizioProm"),
         QStringLiteral("DataFineProm"), QStringLiteral("Prezzo"), QStringLiteral("PrezzoLire"),
         QStringLiteral("Sconto"), QStringLiteral("ScontoClie"), QStringLiteral("MessProm"),
         QStringLiteral("Descrizione")});
    static const char* const names[] = {"Promozione di stagione", "Offerta del mese",
                                        "Svendita fine serie"};
    for (const Promotion& p : mPromotions) {
        const Article& a = mArticles[static_cast<size_t>(p.article)];
        promotions.text(a.code)
            .text(QStringLiteral("1"))
            .text(kNoLevel)
            .text(kNoLevel)
            .date(p.from)
            .date(p.to)
            .money(p.price)
            .money(Arrotonda(p.price * lira, 'A', 0))
            .null()
            .text(QStringLiteral("N"))
            .text(QStringLiteral("S"))
            .text(q(names[p.from.month() % 3]))
            .endRow();
    }
    promotions.flush();
}

void DemoCompanyBuilder::Impl::writeStock() {
    DemoBatch progressives(mDb, QStringLiteral("ArticoliProg"),
                           {QStringLiteral("Articolo"),
                            QStringLiteral("Livello1"),
                            QStringLiteral("Livello2"),
                            QStringLiteral("Magazzino"),
                            QStringLiteral("Anno"),
                            QStringLiteral("QtaIniziale"),
                            QStringLiteral("ValIniziale"),
                            QStringLiteral("ValInizialeLire"),
                            QStringLiteral("QtaCarico"),
                            QStringLiteral("ValCarico"),
                            QStringLiteral("ValCaricoLire"),
                            QStringLiteral("QtaScarico"),
                            QStringLiteral("ValScarico"),
                            QStringLiteral("ValScaricoLire"),
                            QStringLiteral("QtaMedioC"),
                            QStringLiteral("ValMedioC"),
                            QStringLiteral("ValMedioCLire"),
                            QStringLiteral("CostoUltimo"),
                            QStringLiteral("CostoUltimoLire"),
                            QStringLiteral("MedioPonderale"),
                            QStringLiteral("MedioPonderaleLire"),
                            QStringLiteral("QtaOrdFor"),
                            QStringLiteral("ValOrdFor"),
                            QStringLiteral("ValOrdForLire"),
                            QStringLiteral("QtaImpCli"),
                            QStringLiteral("ValImpCli"),
                            QStringLiteral("ValImpCliLire")});
    DemoBatch minimum(
        mDb, QStringLiteral("ArtScorte"),
        {QStringLiteral("Articolo"), QStringLiteral("Magazzino"), QStringLiteral("Livello1"),
         QStringLiteral("Livello2"), QStringLiteral("ScortaMinima")});
    DemoBatch costs(mDb, QStringLiteral("ArticoliCosti"),
                    {QStringLiteral("Articolo"),        QStringLiteral("Livello1"),
                     QStringLiteral("Livello2"),        QStringLiteral("Anno"),
                     QStringLiteral("MedioPonderale"),  QStringLiteral("MedioPonderaleLire"),
                     QStringLiteral("CMPValido"),       QStringLiteral("CostoUltimo"),
                     QStringLiteral("CostoUltimoLire"), QStringLiteral("DataCostoUltimo"),
                     QStringLiteral("CostoPiu"),        QStringLiteral("CostoPiuLire"),
                     QStringLiteral("DataCostoPiu"),    QStringLiteral("QtaAcquisti"),
                     QStringLiteral("ValAcquisti"),     QStringLiteral("ValAcquistiLire"),
                     QStringLiteral("QtaVenduto"),      QStringLiteral("ValVenduto"),
                     QStringLiteral("ValVendutoLire"),  QStringLiteral("QtaMedioC"),
                     QStringLiteral("ValMedioC"),       QStringLiteral("ValMedioCLire")});
    const Currency lira = Currency::fromRaw(19362700);
    const Currency zero;
    auto opening = [&](const Article& a, const QString& l1, const QString& l2, const QString& store,
                       Currency qty) {
        const Currency value = Arrotonda(qty * a.cost, 'A', 2);
        const Currency costLire = Arrotonda(a.cost * lira, 'A', 0);
        progressives.text(a.code)
            .text(l1)
            .text(l2)
            .text(store)
            .number(kYear)
            .money(qty)
            .money(value)
            .money(Arrotonda(value * lira, 'A', 0));
        for (int i = 0; i < 6; ++i)
            progressives.money(zero);
        progressives.money(qty).money(value).money(Arrotonda(value * lira, 'A', 0));
        progressives.money(a.cost).money(costLire).money(a.cost).money(costLire);
        for (int i = 0; i < 6; ++i)
            progressives.money(zero);
        progressives.endRow();
    };
    for (const Article& a : mArticles) {
        if (!a.stock)
            continue;
        if (a.levels) {
            for (const QString& size : a.sizes)
                for (const QString& colour : a.colours)
                    opening(a, size, colour, QStringLiteral("01"),
                            units(mRng.below(4) == 0 ? 0 : mRng.between(1, 40)));
        } else {
            opening(a, kNoLevel, kNoLevel, QStringLiteral("01"),
                    units(mRng.below(5) == 0 ? 0 : mRng.between(1, 250)));
            if (mRng.chance(20))
                opening(a, kNoLevel, kNoLevel, QStringLiteral("02"), units(mRng.between(1, 60)));
        }
        if (a.minStock > zero)
            minimum.text(a.code)
                .text(QStringLiteral("01"))
                .text(kNoLevel)
                .text(kNoLevel)
                .money(a.minStock)
                .endRow();
        const Currency costLire = Arrotonda(a.cost * lira, 'A', 0);
        const Currency highest = Arrotonda(percentOf(a.cost, units(106)), 'A', 4);
        costs.text(a.code)
            .text(kNoLevel)
            .text(kNoLevel)
            .number(kYear)
            .money(a.cost)
            .money(costLire)
            .text(QStringLiteral("S"))
            .money(a.cost)
            .money(costLire)
            .date(QDate(2025, 12, 10).addDays(mRng.below(20)))
            .money(highest)
            .money(Arrotonda(highest * lira, 'A', 0))
            .date(QDate(2025, 3, 1).addDays(mRng.below(200)));
        for (int i = 0; i < 9; ++i)
            costs.money(zero);
        costs.endRow();
    }
    progressives.flush();
    minimum.flush();
    costs.flush();
}

// ---------------------------------------------------------------------------------------
// Quotes

Currency DemoCompanyBuilder::Impl::rateOn(const QString& currency, const QDate& date) const {
    const auto it = mRates.find(currency);
    if (it == mRates.end())
        return units(1);
    Currency rate = it->second.front().second;
    for (const auto& [from, value] : it->second)
        if (from <= date)
            rate = value;
    return rate;
}

int DemoCompanyBuilder::Impl::pickArticle(bool allowRaee) {
    for (;;) {
        const int i = mRng.pick(mSellable);
        if (allowRaee || !mArticles[static_cast<size_t>(i)].raee)
            return i;
    }
}

// Quantity times price, then each discount of the chain on what is left, each step rounded.
Currency DemoCompanyBuilder::Impl::lineValue(Currency qty, Currency price,
                                             const QStringList& discounts, int decimals) const {
    Currency value = Arrotonda(qty * price, 'A', decimals);
    for (const QString& d : discounts)
        value -= Arrotonda(percentOf(value, units(d.toInt())), 'A', decimals);
    return value;
}

void DemoCompanyBuilder::Impl::writeQuotes() {
    DemoBatch headers(mDb, QStringLiteral("PreVenTest"),
                      {QStringLiteral("Anno"),          QStringLiteral("NumRif"),
                       QStringLiteral("DataRif"),       QStringLiteral("PreDoc"),
                       QStringLiteral("NumDoc"),        QStringLiteral("DataDoc"),
                       QStringLiteral("DataCons"),      QStringLiteral("Stato"),
                       QStringLiteral("Interno"),       QStringLiteral("FattDocumento"),
                       QStringLiteral("Descrizione"),   QStringLiteral("Tipo"),
                       QStringLiteral("GruppoCli"),     QStringLiteral("MastroCli"),
                       QStringLiteral("ContoCli"),      QStringLiteral("RagSocCli"),
                       QStringLiteral("Indirizzo"),     QStringLiteral("Localita"),
                       QStringLiteral("Telefono"),      QStringLiteral("RifCli"),
                       QStringLiteral("Lingua"),        QStringLiteral("Listino"),
                       QStringLiteral("Moneta"),        QStringLiteral("Cambio"),
                       QStringLiteral("PrezziIvati"),   QStringLiteral("Iva"),
                       QStringLiteral("IvaSosp"),       QStringLiteral("Pagamento"),
                       QStringLiteral("Banca"),         QStringLiteral("ScontoPag"),
                       QStringLiteral("ScoPagSuDett"),  QStringLiteral("ScontoCli"),
                       QStringLiteral("PercRitAcc"),    QStringLiteral("Contratto"),
                       QStringLiteral("CIG"),           QStringLiteral("CUP"),
                       QStringLiteral("PdcDicIntenti"), QStringLiteral("Agente1"),
                       QStringLiteral("TipoProvv"),     QStringLiteral("PercProvv1"),
                       QStringLiteral("MagazzProv"),    QStringLiteral("IndSped"),
                       QStringLiteral("RagSoc"),        QStringLiteral("IndirizzoSped"),
                       QStringLiteral("CAPSped"),       QStringLiteral("LocalitaSped"),
                       QStringLiteral("PrSped"),        QStringLiteral("StatoSped"),
                       QStringLiteral("Resa"),          QStringLiteral("DescResa"),
                       QStringLiteral("Trasporto"),     QStringLiteral("DescTrasporto"),
                       QStringLiteral("Vettore"),       QStringLiteral("RagSocVett"),
                       QStringLiteral("IndirizzoVett"), QStringLiteral("CAPVett"),
                       QStringLiteral("LocalitaVett"),  QStringLiteral("PrVett"),
                       QStringLiteral("NumNota1"),      QStringLiteral("Nota"),
                       QStringLiteral("EvasioneNota"),  QStringLiteral("RagOrd"),
                       QStringLiteral("ConsTotale"),    QStringLiteral("LiberoTest"),
                       QStringLiteral("PrevAperto"),    QStringLiteral("?TotMerce"),
                       QStringLiteral("?TotSpese"),     QStringLiteral("?TotImpon"),
                       QStringLiteral("?TotIva"),       QStringLiteral("?TotDocum")});
    DemoBatch details(mDb, QStringLiteral("PreVenDett"),
                      {QStringLiteral("Anno"),
                       QStringLiteral("NumRif"),
                       QStringLiteral("RigLiv"),
                       QStringLiteral("RigDet"),
                       QStringLiteral("TipoRiga"),
                       QStringLiteral("Articolo"),
                       QStringLiteral("Descrizione"),
                       QStringLiteral("UM"),
                       QStringLiteral("FatCon"),
                       QStringLiteral("Colli"),
                       QStringLiteral("Qta"),
                       QStringLiteral("ValUnitario"),
                       QStringLiteral("ValTotale"),
                       QStringLiteral("ValLire"),
                       QStringLiteral("ValEuro"),
                       QStringLiteral("ScontoCli"),
                       QStringLiteral("ScontoArt"),
                       QStringLiteral("ScontoQuant"),
                       QStringLiteral("ScontoTot"),
                       QStringLiteral("FlScontoPag"),
                       QStringLiteral("Promozione"),
                       QStringLiteral("Omaggio"),
                       QStringLiteral("Iva"),
                       QStringLiteral("GruppoVen"),
                       QStringLiteral("MastroVen"),
                       QStringLiteral("ContoVen"),
                       QStringLiteral("PercProvv1"),
                       QStringLiteral("NotaSopra"),
                       QStringLiteral("NotaSopraStamp"),
                       QStringLiteral("SoggRitAcc"),
                       QStringLiteral("RigLivRAEE"),
                       QStringLiteral("QtaEvasa"),
                       QStringLiteral("DataCons"),
                       QStringLiteral("StatoRiga")});
    DemoBatch levels(
        mDb, QStringLiteral("PreVenLiv"),
        {QStringLiteral("Anno"), QStringLiteral("NumRif"), QStringLiteral("RigLiv"),
         QStringLiteral("Livello1"), QStringLiteral("Livello2"), QStringLiteral("UM"),
         QStringLiteral("FatCon"), QStringLiteral("Qta"), QStringLiteral("ValUnitario"),
         QStringLiteral("ValTotale"), QStringLiteral("ValLire"), QStringLiteral("ValEuro"),
         QStringLiteral("QtaEvasa"), QStringLiteral("StatoRiga")});
    DemoBatch expenses(
        mDb, QStringLiteral("PreVenSpese"),
        {QStringLiteral("Anno"), QStringLiteral("NumRif"), QStringLiteral("Riga"),
         QStringLiteral("Spesa"), QStringLiteral("Iva"), QStringLiteral("Percentuale"),
         QStringLiteral("Importo"), QStringLiteral("ImportoMax"), QStringLiteral("ImportoMin"),
         QStringLiteral("SoggRitAcc")});

    const int total = mOptions.quotes;
    const int lastYear =
        total >= 40 ? total / 40 : 0;  // a few quotes still open from December 2025
    const Currency lira = Currency::fromRaw(19362700);
    const Currency zero;
    const QString yes = QStringLiteral("S"), no = QStringLiteral("N"),
                  fulfilled = QStringLiteral("E"), partial = QStringLiteral("P");
    int number2025 = 0, number2026 = 0;
    std::vector<QuoteLine> lines;
    lines.reserve(static_cast<size_t>(mOptions.lines) + 2);

    for (int i = 0; i < total; ++i) {
        QDate date;
        if (i < lastYear) {
            date = QDate(2025, 12, 1).addDays(i * 22 / lastYear);
        } else {
            date = QDate(kYear, 1, 2)
                       .addDays(static_cast<int64_t>(i - lastYear) * 362 /
                                std::max(1, total - lastYear));
        }
        if (date.dayOfWeek() == 7)
            date = date.addDays(1);
        const int year = date.year();
        const int numRif = year == kYear ? ++number2026 : ++number2025;

        // Customers are not equally busy: the first ones get more quotes.
        const int ci = std::min(mRng.below(50), mRng.below(50));
        const Account& c = mCustomers[static_cast<size_t>(ci)];
        const bool foreign = c.currency != kEuro;
        const Currency rate = foreign ? rateOn(c.currency, date) : units(1);
        const int amountDecimals = 2;
        const int priceDecimals = c.currency == QLatin1String("USD") ? 3 : 2;
        const bool gross = c.pricesWithVat;

        enum class State { Open, Partial, Fulfilled } state = State::Open;
        const int roll = mRng.below(100);
        const bool open = roll >= 94 && roll < 97;
        const bool internal = roll == 97;
        if (roll < 6)
            state = State::Partial;
        else if (roll < 10 && date < QDate(kYear, 6, 1))
            state = State::Fulfilled;

        // Lines.
        lines.clear();
        int rig = 0;
        while (rig < mOptions.lines) {
            const int remaining = mOptions.lines - rig;
            QuoteLine line;
            line.rigLiv = ++rig;
            const int kind = mRng.below(100);
            if (kind < 4) {
                line.kind = QStringLiteral("D");
                line.note = q(mRng.pick(demo::DescriptiveLines()));
                lines.push_back(line);
                continue;
            }
            if (kind < 7) {
                line.kind = QStringLiteral("M");
                line.description = QStringLiteral("Manodopera per installazione e collaudo");
                line.um = QStringLiteral("H");
                line.qty = units(mRng.between(1, 16));
                line.price = cents(3200);
                line.vat = c.vatCode.isEmpty() ? QStringLiteral("22") : c.vatCode;
                line.revenueMastro = QStringLiteral("01");
                line.revenueConto = QStringLiteral("004");
            } else {
                const int ai = pickArticle(remaining >= 2);
                const Article& a = mArticles[static_cast<size_t>(ai)];
                line.kind = QStringLiteral("A");
                line.article = ai;
                line.code = a.code;
                line.description = a.description;
                line.um = a.um;
                line.vat = c.vatCode.isEmpty() ? a.vat : c.vatCode;
                if (a.um == QLatin1String("MT"))
                    line.qty = units(mRng.between(2, 120)) + (mRng.chance(30) ? cents(50) : zero);
                else if (a.um == QLatin1String("H"))
                    line.qty = units(mRng.between(1, 12));
                else
                    line.qty = units(mRng.chance(70) ? mRng.between(1, 10) : mRng.between(11, 60));
                Currency euroPrice = c.list == QLatin1String("2") ? a.resellerPrice : a.price;
                for (const Promotion& p : mPromotions)
                    if (p.article == ai && date >= p.from && date <= p.to &&
                        c.list == QLatin1String("1")) {
                        euroPrice = p.price;
                        line.promotion = yes;
                    }
                line.price = euroPrice;
                switch (a.family) {
                    case Family::Hardware:
                        line.revenueConto = QStringLiteral("001");
                        break;
                    case Family::Textile:
                        line.revenueConto = QStringLiteral("002");
                        break;
                    case Family::Electrical:
                        line.revenueConto = QStringLiteral("003");
                        break;
                    case Family::Service:
                        line.revenueConto = QStringLiteral("004");
                        break;
                }
                line.revenueMastro = QStringLiteral("01");
                const int giftRoll = mRng.below(100);
                if (giftRoll < 2)
                    line.gift = QStringLiteral("S");
                else if (giftRoll < 4)
                    line.gift = QStringLiteral("I");
                if (a.piecesPerPack > 0)
                    line.packages = Arrotonda(line.qty / a.piecesPerPack, 'S', 0);
                if (mRng.chance(10))
                    line.delivery = date.addDays(mRng.between(5, 60));
            }
            // Unit price in the quote's currency, with VAT for retail customers.
            if (gross)
                line.price = Arrotonda(percentOf(line.price, units(100 + vatRate(line.vat))), 'A',
                                       priceDecimals);
            if (foreign)
                line.price = Arrotonda(line.price * rate, 'A', priceDecimals);
            QStringList chain;
            if (line.gift == no && line.promotion == no && line.kind == QLatin1String("A")) {
                line.discountCustomer = c.discount;
                if (!c.discount.isEmpty())
                    chain << c.discount.split(QLatin1Char('+'));
                if (mRng.chance(15)) {
                    line.discountArticle = QStringLiteral("5");
                    chain << line.discountArticle;
                }
                if (line.qty >= units(20)) {
                    line.discountQuantity = QStringLiteral("3");
                    chain << line.discountQuantity;
                }
                line.discountChain = chain.join(QLatin1Char('+'));
            }
            if (line.article >= 0 && mArticles[static_cast<size_t>(line.article)].levels) {
                const Article& a = mArticles[static_cast<size_t>(line.article)];
                const int count = mRng.between(1, 4);
                std::set<std::pair<QString, QString>> seen;
                for (int l = 0; l < count; ++l) {
                    LevelRow level;
                    level.size = a.sizes[mRng.below(static_cast<int>(a.sizes.size()))];
                    level.colour = a.colours[mRng.below(static_cast<int>(a.colours.size()))];
                    if (!seen.insert({level.size, level.colour}).second)
                        continue;
                    level.qty = units(mRng.between(1, 20));
                    level.price = line.price;
                    if (a.pricedByLevel &&
                        (level.size == QLatin1String("XXL") || level.size == QLatin1String("45")))
                        level.price =
                            Arrotonda(percentOf(line.price, units(110)), 'A', priceDecimals);
                    level.value = lineValue(level.qty, level.price, chain, amountDecimals);
                    line.levels.push_back(level);
                }
                std::sort(line.levels.begin(), line.levels.end(),
                          [](const LevelRow& x, const LevelRow& y) {
                              return std::pair(x.size, x.colour) < std::pair(y.size, y.colour);
                          });
                line.qty = zero;
                line.value = zero;
                for (const LevelRow& level : line.levels) {
                    line.qty += level.qty;
                    line.value += level.value;
                }
            } else {
                line.value = lineValue(line.qty, line.price, chain, amountDecimals);
            }
            lines.push_back(line);
            if (line.article >= 0 && mArticles[static_cast<size_t>(line.article)].raee) {
                const int raeeIndex =
                    mRaeeIndex.at(mArticles[static_cast<size_t>(line.article)].raeeArticle);
                const Article& r = mArticles[static_cast<size_t>(raeeIndex)];
                QuoteLine contribution;
                contribution.rigLiv = ++rig;
                contribution.kind = QStringLiteral("A");
                contribution.article = raeeIndex;
                contribution.code = r.code;
                contribution.description = r.description;
                contribution.um = r.um;
                contribution.vat = line.vat;
                contribution.qty = line.qty;
                contribution.price = r.price;
                if (gross)
                    contribution.price = Arrotonda(
                        percentOf(r.price, units(100 + vatRate(line.vat))), 'A', priceDecimals);
                if (foreign)
                    contribution.price = Arrotonda(contribution.price * rate, 'A', priceDecimals);
                contribution.value =
                    lineValue(contribution.qty, contribution.price, {}, amountDecimals);
                contribution.revenueMastro = QStringLiteral("05");
                contribution.revenueConto = QStringLiteral("004");
                contribution.gift = line.gift;
                lines.back().raeeLine = contribution.rigLiv;
                lines.push_back(contribution);
            }
        }

        // Deliveries already made on partly or fully fulfilled quotes.
        bool anyDelivered = false, allDelivered = true;
        int previousMain = -1;
        for (QuoteLine& line : lines) {
            if (line.kind == QLatin1String("D"))
                continue;
            const bool isContribution =
                line.code.startsWith(QLatin1String("RAEE")) && previousMain >= 0 &&
                lines[static_cast<size_t>(previousMain)].raeeLine == line.rigLiv;
            if (isContribution) {
                const QuoteLine& main = lines[static_cast<size_t>(previousMain)];
                line.delivered = main.delivered;
                line.status = main.status;
            } else {
                auto settle = [&](Currency qty, Currency* delivered, QString* status) {
                    int how = state == State::Fulfilled
                                  ? 0
                                  : (state == State::Partial ? mRng.below(10) : 9);
                    if (how < 4) {
                        *delivered = qty;
                        *status = fulfilled;
                    } else if (how < 7) {
                        *delivered = Arrotonda(qty / 2, 'T', 0);
                        *status = delivered->isZero() ? QString() : partial;
                    }
                };
                if (line.levels.empty()) {
                    settle(line.qty, &line.delivered, &line.status);
                } else {
                    bool all = true, some = false;
                    for (LevelRow& level : line.levels) {
                        settle(level.qty, &level.delivered, &level.status);
                        line.delivered += level.delivered;
                        all = all && level.status == fulfilled;
                        some = some || !level.delivered.isZero();
                    }
                    line.status = all ? fulfilled : (some ? partial : QString());
                }
            }
            if (!line.delivered.isZero())
                anyDelivered = true;
            if (line.status != fulfilled)
                allDelivered = false;
            previousMain = line.raeeLine > 0 ? static_cast<int>(&line - lines.data()) : -1;
        }
        QString status;
        if (state != State::Open && anyDelivered)
            status = allDelivered ? fulfilled : partial;
        if (status == fulfilled)
            for (QuoteLine& line : lines)
                if (line.kind == QLatin1String("D"))
                    line.status = fulfilled;

        // Totals by VAT code (lines, gifts and expenses).
        std::map<QString, Currency> taxable, goods;
        for (QuoteLine& line : lines) {
            if (line.kind == QLatin1String("D"))
                continue;
            line.valueEuro = foreign ? Arrotonda(line.value / rate, 'A', 2) : line.value;
            line.valueLire = Arrotonda(line.valueEuro * lira, 'A', 0);
            for (LevelRow& level : line.levels) {
                level.valueEuro = foreign ? Arrotonda(level.value / rate, 'A', 2) : level.value;
                level.valueLire = Arrotonda(level.valueEuro * lira, 'A', 0);
            }
            taxable[line.vat] += line.value;
            if (line.gift == no)
                goods[line.vat] += line.value;
        }
        struct QuoteExpense {
            QString code, vat;
            Currency percent, amount, max, min, charged;
        };
        std::vector<QuoteExpense> quoteExpenses;
        if (!foreign && !gross) {
            Currency goodsTotal;
            for (const auto& [code, value] : goods)
                goodsTotal += value;
            const QString expenseVat = c.vatCode.isEmpty() ? QStringLiteral("22") : c.vatCode;
            if (mRng.chance(25)) {
                const Currency amount = mRng.chance(50) ? units(15) : units(25);
                quoteExpenses.push_back(
                    {QStringLiteral("TRA"), expenseVat, zero, amount, zero, zero, amount});
            }
            if (mRng.chance(10)) {
                Currency charged = Arrotonda(percentOf(goodsTotal, units(2)), 'A', amountDecimals);
                charged = std::clamp(charged, units(5), units(50));
                quoteExpenses.push_back({QStringLiteral("IMB"), expenseVat, units(2), zero,
                                         units(50), units(5), charged});
            }
        }
        Currency totGoods, totExpenses, totTaxable, totVat, totExempt;
        for (const auto& e : quoteExpenses) {
            totExpenses += e.charged;
            taxable[e.vat] +=
                gross ? e.charged + Arrotonda(percentOf(e.charged, units(vatRate(e.vat))), 'A', 2)
                      : e.charged;
        }
        for (const auto& [code, value] : taxable) {
            const Currency rateVat = units(vatRate(code));
            Currency base = value, vat;
            if (isExemptVat(code)) {
                totExempt += base;
            } else if (gross) {
                base = Arrotonda(value * 100 / (units(100) + rateVat), 'A', amountDecimals);
                vat = value - base;
                totTaxable += base;
            } else {
                vat = Arrotonda(percentOf(value, rateVat), 'A', amountDecimals);
                totTaxable += base;
            }
            totVat += vat;
            const Currency goodsValue = goods[code];
            totGoods +=
                gross && !isExemptVat(code)
                    ? Arrotonda(goodsValue * 100 / (units(100) + rateVat), 'A', amountDecimals)
                    : goodsValue;
        }
        const Currency totDocument = totTaxable + totVat + totExempt;

        // Header.
        const bool printed = mRng.chance(80);
        const QDate delivery = mRng.chance(85) ? date.addDays(mRng.between(7, 45)) : QDate();
        headers.number(year).number(numRif).date(date);
        if (printed)
            headers.text(QStringLiteral("P")).number(numRif).date(date);
        else
            headers.null().null().null();
        headers.date(delivery).text(status).text(internal ? yes : no).text(QStringLiteral("PV"));
        headers.text(q(mRng.pick(demo::QuoteSubjects())) + QStringLiteral(" - ") + c.city)
            .text(QStringLiteral("1"));
        headers.text(c.gruppo).text(c.mastro).text(c.conto).text(c.name).text(c.street);
        headers
            .text(c.cap + QLatin1Char(' ') + c.city + QStringLiteral(" (") + c.province +
                  QLatin1Char(')'))
            .text(c.phone);
        headers.text(mRng.chance(30) ? QStringLiteral("Vs. richiesta n. ") +
                                           QString::number(mRng.between(10, 999))
                                     : QString());
        headers.text(c.language.isEmpty() ? QString() : c.language)
            .text(c.list)
            .text(c.currency)
            .money(rate);
        headers.text(gross ? yes : no)
            .text(c.vatCode.isEmpty() ? QString() : c.vatCode)
            .text(c.splitPay ? yes : no);
        headers.text(c.payment).text(c.bank);
        headers.text(c.payment == QLatin1String("RD") ? QStringLiteral("2") : QString()).text(no);
        headers.text(c.discount.isEmpty() ? QString() : c.discount).money(zero);
        const bool byContract = !c.contract.isEmpty() && mRng.chance(70);
        headers.text(byContract ? c.contract : QString());
        if (c.splitPay)
            headers.text(QStringLiteral("Z") + QString::number(mRng.between(100000000, 999999999)))
                .text(QStringLiteral("E") + pad(mRng.between(10, 99), 2) +
                      QStringLiteral("B26000") + pad(numRif % 1000, 3) + QStringLiteral("0001"));
        else
            headers.null().null();
        if (c.declaration > 0)
            headers.number(c.declaration);
        else
            headers.null();
        if (c.agent > 0)
            headers.text(QStringLiteral("A0") + QString::number(c.agent))
                .text(QStringLiteral("P"))
                .money(units(2 + c.agent));
        else
            headers.null().null().money(zero);
        headers.text(QStringLiteral("01"));
        if (mRng.chance(20)) {
            const City& city = mRng.pick(demo::Cities());
            headers.text(QString::number(mRng.between(1, 3)))
                .text(c.name + QStringLiteral(" - Cantiere"))
                .text(street())
                .text(q(city.cap))
                .text(q(city.name))
                .text(q(city.province))
                .text(QStringLiteral("IT"));
        } else {
            headers.null().null().null().null().null().null().null();
        }
        headers.text(c.resa).text(c.resa == QLatin1String("A") ? QStringLiteral("Porto assegnato")
                                                               : QStringLiteral("Franco destino"));
        if (c.carrier.isEmpty()) {
            headers.text(QStringLiteral("M")).text(QStringLiteral("Mittente"));
            headers.null().null().null().null().null().null();
        } else {
            headers.text(QStringLiteral("V")).text(QStringLiteral("Vettore"));
            for (const auto& carrier : demo::Carriers())
                if (c.carrier == QLatin1String(carrier.code))
                    headers.text(c.carrier)
                        .text(q(carrier.name))
                        .text(q(carrier.street))
                        .text(q(carrier.cap))
                        .text(q(carrier.city))
                        .text(q(carrier.province));
        }
        if (mRng.chance(30))
            headers.number(1);
        else
            headers.null();
        if (mRng.chance(15))
            headers.text(QStringLiteral("Consegna in orario d'ufficio (8-12 / 14-17)")).text(yes);
        else
            headers.null().text(no);
        const int grouping = mRng.below(100);
        headers.text(byContract ? QStringLiteral("C") : (grouping < 15 ? no : yes));
        headers.text(mRng.chance(10) ? yes : no);
        headers.text(mRng.chance(10) ? QStringLiteral("Rif. cantiere: ") + street() : QString());
        headers.text(open ? yes : no);
        headers.money(totGoods)
            .money(totExpenses)
            .money(totTaxable)
            .money(totVat)
            .money(totDocument);
        headers.endRow();

        for (const QuoteLine& line : lines) {
            details.number(year)
                .number(numRif)
                .number(line.rigLiv)
                .number(line.rigLiv)
                .text(line.kind);
            if (line.kind == QLatin1String("D")) {
                details.null().null().null().null().null().money(zero).null().null().null().null();
                details.null()
                    .null()
                    .null()
                    .null()
                    .null()
                    .null()
                    .text(no)
                    .null()
                    .null()
                    .null()
                    .null()
                    .null();
                details.text(line.note).text(yes).text(no).null().money(zero).null().text(
                    line.status);
                details.endRow();
                continue;
            }
            details.text(line.code.isEmpty() ? QString() : line.code)
                .text(line.description)
                .text(line.um)
                .money(units(1));
            details.money(line.packages)
                .money(line.qty)
                .money(line.price)
                .money(line.value)
                .money(line.valueLire)
                .money(line.valueEuro);
            details.text(line.discountCustomer.isEmpty() ? QString() : line.discountCustomer)
                .text(line.discountArticle.isEmpty() ? QString() : line.discountArticle)
                .text(line.discountQuantity.isEmpty() ? QString() : line.discountQuantity)
                .text(line.discountChain.isEmpty() ? QString() : line.discountChain);
            details.text(yes)
                .text(line.promotion)
                .text(line.gift)
                .text(line.vat)
                .text(QStringLiteral("70"))
                .text(line.revenueMastro)
                .text(line.revenueConto);
            details.money(c.agent > 0 ? units(2 + c.agent) : zero).null().null().text(no);
            if (line.raeeLine > 0)
                details.number(line.raeeLine);
            else
                details.null();
            details.money(line.delivered)
                .date(line.delivery)
                .text(line.status.isEmpty() ? QString() : line.status);
            details.endRow();
            for (const LevelRow& level : line.levels) {
                levels.number(year)
                    .number(numRif)
                    .number(line.rigLiv)
                    .text(level.size)
                    .text(level.colour)
                    .text(line.um)
                    .money(units(1))
                    .money(level.qty)
                    .money(level.price)
                    .money(level.value)
                    .money(level.valueLire)
                    .money(level.valueEuro)
                    .money(level.delivered)
                    .text(level.status.isEmpty() ? QString() : level.status);
                levels.endRow();
            }
        }
        int row = 0;
        for (const auto& e : quoteExpenses) {
            expenses.number(year)
                .number(numRif)
                .number(++row)
                .text(e.code)
                .text(e.vat)
                .money(e.percent)
                .money(e.amount)
                .money(e.max)
                .money(e.min)
                .text(no)
                .endRow();
        }

        if (mProgress && (i + 1) % 10000 == 0)
            mProgress(QStringLiteral("  %1 preventivi scritti...").arg(i + 1));
    }
    headers.flush();
    details.flush();
    levels.flush();
    expenses.flush();
    mCounts.quotes = total;
    mCounts.quoteLines = details.rows();
    mCounts.levelRows = levels.rows();
    mCounts.quoteExpenses = static_cast<int>(expenses.rows());
}

DemoCounts DemoCompanyBuilder::Impl::build() {
    refuseWhenNotEmpty();
    DbTransaction transaction(mDb);
    writeParameters();
    writeTables();
    makeAccounts();
    writeAccounts();
    makeArticles();
    writeArticles();
    writePriceLists();
    writeStock();
    writeQuotes();
    transaction.commit();
    return mCounts;
}

// ---------------------------------------------------------------------------------------

DemoCompanyBuilder::DemoCompanyBuilder(DbConnection& db, DemoOptions options, Progress progress)
    : mImpl(std::make_unique<Impl>(db, options, std::move(progress))) {}

DemoCompanyBuilder::~DemoCompanyBuilder() = default;

DemoCounts DemoCompanyBuilder::build() {
    return mImpl->build();
}

QStringList DemoCompanyBuilder::tables() {
    return {QStringLiteral("MenuParametri"), QStringLiteral("MenuParametriPersonali"),
            QStringLiteral("Monete"),        QStringLiteral("Cambi"),
            QStringLiteral("ArrotEuro"),     QStringLiteral("ArrotLire"),
            QStringLiteral("TabIva"),        QStringLiteral("Causali"),
            QStringLiteral("PagTipi"),       QStringLiteral("Pagamenti"),
            QStringLiteral("Spese"),         QStringLiteral("Stati"),
            QStringLiteral("Vettori"),       QStringLiteral("TaBolli"),
            QStringLiteral("NoteFisse"),     QStringLiteral("MagCausali"),
            QStringLiteral("FattDocumenti"), QStringLiteral("LibriIva"),
            QStringLiteral("Listini"),       QStringLiteral("TabAcq"),
            QStringLiteral("ArtClasseAttr"), QStringLiteral("PianoConti"),
            QStringLiteral("PdcDicIntenti"), QStringLiteral("Articoli"),
            QStringLiteral("ArtLegami"),     QStringLiteral("ArticoliFor"),
            QStringLiteral("ArtListini"),    QStringLiteral("ArtLisPromozioni"),
            QStringLiteral("ArticoliProg"),  QStringLiteral("ArtScorte"),
            QStringLiteral("ArticoliCosti"), QStringLiteral("PreVenTest"),
            QStringLiteral("PreVenDett"),    QStringLiteral("PreVenLiv"),
            QStringLiteral("PreVenSpese")};
}

// ---------------------------------------------------------------------------------------

namespace {

void printLine(FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

}  // namespace

int RunDemoDb(const QStringList& args) {
    const QString usage =
        QStringLiteral("Uso: evapre demo-db --db CONN [--quotes N] [--lines M] [--seed S]");
    CommandLine line;
    QString error;
    if (!line.parse(args, {}, &error) || !line.has(QStringLiteral("db"))) {
        printLine(stderr, error.isEmpty() ? usage : error + QLatin1Char('\n') + usage);
        return ExitCode::Usage;
    }
    DemoOptions options;
    int seed = 1;
    if (!line.intValue(QStringLiteral("quotes"), 200, &options.quotes, &error) ||
        !line.intValue(QStringLiteral("lines"), 8, &options.lines, &error) ||
        !line.intValue(QStringLiteral("seed"), 1, &seed, &error)) {
        printLine(stderr, error + QLatin1Char('\n') + usage);
        return ExitCode::Usage;
    }
    if (options.quotes < 0 || options.quotes > 10000000) {
        printLine(stderr, QStringLiteral("Numero di preventivi non valido: %1 (da 0 a 10.000.000).")
                              .arg(options.quotes));
        return ExitCode::Usage;
    }
    if (options.lines < 1 || options.lines > 500) {
        printLine(stderr,
                  QStringLiteral("Numero di righe per preventivo non valido: %1 (da 1 a 500).")
                      .arg(options.lines));
        return ExitCode::Usage;
    }
    options.seed = static_cast<uint64_t>(static_cast<uint32_t>(seed));

    QElapsedTimer timer;
    timer.start();
    OpenOptions open;
    open.createIfMissing = true;
    auto& component = VeltDbasedll::instance();
    const int id = component.openConnection(line.value(QStringLiteral("db")), {}, open);
    struct Close {
        VeltDbasedll& component;
        int id;
        ~Close() { component.closeConnection(id); }
    } close{component, id};
    DbConnection& db = component.connection(id);
    SchemaManager::upgrade(db);
    try {
        DemoCompanyBuilder builder(db, options,
                                   [](const QString& text) { printLine(stdout, text); });
        const DemoCounts counts = builder.build();
        printLine(stdout, QStringLiteral("Ditta dimostrativa creata in %1 s:")
                              .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
        printLine(
            stdout,
            QStringLiteral("  clienti %1, fornitori %2, articoli %3 (kit %4), righe di listino %5")
                .arg(counts.customers)
                .arg(counts.suppliers)
                .arg(counts.articles)
                .arg(counts.kits)
                .arg(counts.priceRows));
        printLine(stdout,
                  QStringLiteral("  preventivi %1, righe %2, righe per taglia/colore %3, spese %4")
                      .arg(counts.quotes)
                      .arg(counts.quoteLines)
                      .arg(counts.levelRows)
                      .arg(counts.quoteExpenses));
    } catch (const DemoRefused& refused) {
        printLine(stderr, refused.message());
        return ExitCode::Refused;
    }
    return ExitCode::Ok;
}

}  // namespace evapre
