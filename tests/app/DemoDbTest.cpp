#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <map>

#include "Commands.h"
#include "Currency.h"
#include "DemoDb.h"
#include "Rounding.h"
#include "TestDb.h"

namespace evapre {
namespace {

using test::TestDb;

DemoCounts Build(TestDb& db, int quotes, int lines, uint64_t seed) {
    DemoCompanyBuilder builder(db.db(), DemoOptions{quotes, lines, seed});
    return builder.build();
}

std::vector<QVariantList> Rows(TestDb& db, const QString& sql) {
    QSqlQuery query(db.db().database());
    query.setForwardOnly(true);
    EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
    std::vector<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        rows.push_back(row);
    }
    return rows;
}

// The first value of a portable query (no Jet translation: LIKE keeps its '%').
qlonglong Count(TestDb& db, const QString& sql) {
    const auto rows = Rows(db, sql);
    return rows.empty() ? 0 : rows.front().front().toLongLong();
}

// One digest per table, over every row in primary-key order.
std::map<QString, QByteArray> Digests(TestDb& db) {
    std::map<QString, QByteArray> digests;
    for (const QString& table : DemoCompanyBuilder::tables()) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        const QString sql = QStringLiteral("SELECT * FROM ") + table +
                            QStringLiteral(" ORDER BY ") +
                            db.db().primaryKey(table).join(QLatin1Char(','));
        for (const QVariantList& row : Rows(db, sql)) {
            for (const QVariant& value : row)
                hash.addData(
                    (value.isNull() ? QStringLiteral("<null>") : value.toString()).toUtf8() + '|');
            hash.addData("\n");
        }
        digests[table] = hash.result().toHex();
    }
    return digests;
}

TEST(DemoDb, SameSeedGivesIdenticalData) {
    TestDb first;
    TestDb second;
    const DemoCounts counts = Build(first, 40, 6, 7);
    Build(second, 40, 6, 7);
    EXPECT_EQ(counts.quotes, 40);
    EXPECT_EQ(counts.quoteLines, 40 * 6);
    const auto a = Digests(first);
    const auto b = Digests(second);
    for (const auto& [table, digest] : a)
        EXPECT_EQ(digest, b.at(table)) << table.toStdString();
}

TEST(DemoDb, DifferentSeedGivesDifferentQuotes) {
    TestDb first;
    TestDb second;
    Build(first, 30, 6, 1);
    Build(second, 30, 6, 2);
    const auto a = Digests(first);
    const auto b = Digests(second);
    EXPECT_NE(a.at(QStringLiteral("PreVenTest")), b.at(QStringLiteral("PreVenTest")));
    EXPECT_NE(a.at(QStringLiteral("PreVenDett")), b.at(QStringLiteral("PreVenDett")));
}

// A database that already holds company data is refused with exit code 3, and nothing
// of the demo company is written.
TEST(DemoDb, RefusesDatabaseWithData) {
    struct Case {
        QString table;
        QList<QPair<QString, QVariant>> row;
        QString says;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("PreVenTest"),
         {{QStringLiteral("Anno"), 2026}, {QStringLiteral("NumRif"), 1}},
         QStringLiteral("preventivi")},
        {QStringLiteral("Articoli"),
         {{QStringLiteral("Articolo"), QStringLiteral("A1")}},
         QStringLiteral("Articoli")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table.toStdString());
        TestDb db;
        db.insert(c.table, c.row);
        try {
            Build(db, 5, 3, 1);
            ADD_FAILURE() << "not refused";
        } catch (const DemoRefused& refused) {
            EXPECT_TRUE(refused.message().contains(c.says)) << refused.message().toStdString();
            EXPECT_TRUE(refused.message().contains(QStringLiteral("--db")))
                << refused.message().toStdString();
        }
        EXPECT_EQ(RunDemoDb({QStringLiteral("--db"), db.name(), QStringLiteral("--quotes"),
                             QStringLiteral("5")}),
                  ExitCode::Refused);
        EXPECT_EQ(Count(db, QStringLiteral("SELECT COUNT(*) FROM MenuParametri")), 0);
        EXPECT_EQ(Count(db, QStringLiteral("SELECT COUNT(*) FROM PianoConti")), 0);
        EXPECT_EQ(Count(db, QStringLiteral("SELECT COUNT(*) FROM ") + c.table), 1);
    }
}

TEST(DemoDb, CommandRejectsBadOptions) {
    TestDb db;
    for (const QStringList& args :
         {QStringList{QStringLiteral("--quotes"), QStringLiteral("5")},
          QStringList{QStringLiteral("--db"), db.name(), QStringLiteral("--quotes"),
                      QStringLiteral("molti")},
          QStringList{QStringLiteral("--db"), db.name(), QStringLiteral("--lines"),
                      QStringLiteral("0")}}) {
        EXPECT_EQ(RunDemoDb(args), ExitCode::Usage) << args.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(Count(db, QStringLiteral("SELECT COUNT(*) FROM MenuParametri")), 0);
}

class DemoCompany : public ::testing::Test {
  protected:
    void SetUp() override { counts = Build(db, 80, 8, 3); }
    TestDb db;
    DemoCounts counts;
};

// Every code a quote, an article or a setting refers to exists.
TEST_F(DemoCompany, ReferencesResolve) {
    const std::vector<std::pair<const char*, const char*>> orphans = {
        {"quote line article",
         "SELECT COUNT(*) FROM PreVenDett d LEFT JOIN Articoli a ON d.Articolo = a.Articolo "
         "WHERE d.Articolo IS NOT NULL AND a.Articolo IS NULL"},
        {"quote customer",
         "SELECT COUNT(*) FROM PreVenTest t LEFT JOIN PianoConti p ON t.GruppoCli = p.Gruppo "
         "AND t.MastroCli = p.Mastro AND t.ContoCli = p.Conto WHERE p.Gruppo IS NULL"},
        {"quote line without header",
         "SELECT COUNT(*) FROM PreVenDett d LEFT JOIN PreVenTest t ON d.Anno = t.Anno AND d.NumRif "
         "= t.NumRif "
         "WHERE t.Anno IS NULL"},
        {"quote VAT code",
         "SELECT COUNT(*) FROM PreVenDett d LEFT JOIN TabIva v ON d.Iva = v.Iva WHERE d.Iva IS NOT "
         "NULL AND v.Iva IS NULL"},
        {"quote payment",
         "SELECT COUNT(*) FROM PreVenTest t LEFT JOIN Pagamenti p ON t.Pagamento = p.Pagamento "
         "WHERE p.Pagamento IS NULL"},
        {"quote currency",
         "SELECT COUNT(*) FROM PreVenTest t LEFT JOIN Monete m ON t.Moneta = m.Moneta "
         "WHERE m.Moneta IS NULL"},
        {"quote carrier",
         "SELECT COUNT(*) FROM PreVenTest t LEFT JOIN Vettori v ON t.Vettore = v.Vettore "
         "WHERE t.Vettore IS NOT NULL AND v.Vettore IS NULL"},
        {"quote expense",
         "SELECT COUNT(*) FROM PreVenSpese s LEFT JOIN Spese e ON s.Spesa = e.Spesa "
         "WHERE e.Spesa IS NULL"},
        {"level row without its line",
         "SELECT COUNT(*) FROM PreVenLiv l LEFT JOIN PreVenDett d ON l.Anno = d.Anno AND l.NumRif "
         "= d.NumRif "
         "AND l.RigLiv = d.RigLiv WHERE d.RigLiv IS NULL"},
        {"electrical-waste line",
         "SELECT COUNT(*) FROM PreVenDett d LEFT JOIN PreVenDett r ON r.Anno = d.Anno AND r.NumRif "
         "= d.NumRif "
         "AND r.RigLiv = d.RigLivRAEE WHERE d.RigLivRAEE IS NOT NULL "
         "AND (r.RigLiv IS NULL OR r.Articolo NOT LIKE 'RAEE%' OR r.Qta <> d.Qta)"},
        {"payment expense",
         "SELECT COUNT(*) FROM Pagamenti p LEFT JOIN Spese e ON p.Spesa = e.Spesa "
         "WHERE p.Spesa IS NOT NULL AND e.Spesa IS NULL"},
        {"usual supplier",
         "SELECT COUNT(*) FROM Articoli a LEFT JOIN PianoConti p ON a.GruppoForAb = p.Gruppo "
         "AND a.MastroForAb = p.Mastro AND a.ContoForAb = p.Conto WHERE a.GruppoForAb IS NOT NULL "
         "AND p.Gruppo IS NULL"},
        {"kit component",
         "SELECT COUNT(*) FROM ArtLegami l LEFT JOIN Articoli a ON l.ArticoloFiglio = a.Articolo "
         "WHERE a.Articolo IS NULL"},
        {"stock row article",
         "SELECT COUNT(*) FROM ArticoliProg g LEFT JOIN Articoli a ON g.Articolo = a.Articolo "
         "WHERE a.Articolo IS NULL"},
        {"price row article",
         "SELECT COUNT(*) FROM ArtListini l LEFT JOIN Articoli a ON l.Articolo = a.Articolo "
         "WHERE a.Articolo IS NULL"},
        {"document type causal",
         "SELECT COUNT(*) FROM FattDocumenti f LEFT JOIN MagCausali c ON f.MagCausale = "
         "c.MagCausale "
         "WHERE f.MagCausale IS NOT NULL AND c.MagCausale IS NULL"},
        {"stamp-duty VAT code",
         "SELECT COUNT(*) FROM TaBolli b LEFT JOIN TabIva v ON b.CodEseBollo = v.Iva "
         "WHERE v.Iva IS NULL"},
        {"foreign quote without a rate",
         "SELECT COUNT(*) FROM PreVenTest t WHERE t.Moneta <> 'Euro' AND NOT EXISTS "
         "(SELECT 1 FROM Cambi c WHERE c.Moneta = t.Moneta AND c.Data <= t.DataRif)"},
    };
    for (const auto& [what, sql] : orphans)
        EXPECT_EQ(Count(db, QString::fromUtf8(sql)), 0) << what;

    // The quote type set in the parameters is fulfilled into an invoice type.
    EXPECT_EQ(db.db()
                  .scalar(QStringLiteral(
                      "SELECT e.Tipo FROM MenuParametri p JOIN FattDocumenti q ON "
                      "q.FattDocumento = p.Valore JOIN FattDocumenti e ON "
                      "e.FattDocumento = q.FattDocEvasione WHERE p.Chiave = 'Fat.DocPrev'"))
                  .toString(),
              QStringLiteral("F"));
    for (const char* kind : {"F", "B", "O"})
        EXPECT_GT(Count(db, QStringLiteral("SELECT COUNT(*) FROM FattDocumenti WHERE Tipo = '%1'")
                                .arg(QLatin1String(kind))),
                  0)
            << kind;
}

TEST_F(DemoCompany, QuotesAreNumberedPerYearAndHaveTheirLines) {
    for (const QVariantList& row :
         Rows(db, QStringLiteral("SELECT Anno, COUNT(*), MIN(NumRif), MAX(NumRif) FROM PreVenTest "
                                 "GROUP BY Anno"))) {
        EXPECT_EQ(row[2].toLongLong(), 1) << row[0].toInt();
        EXPECT_EQ(row[3].toLongLong(), row[1].toLongLong()) << row[0].toInt();
    }
    EXPECT_EQ(Count(db, QStringLiteral("SELECT COUNT(*) FROM PreVenTest")), 80);
    EXPECT_EQ(Count(db, QStringLiteral("SELECT COUNT(*) FROM PreVenDett")), 80 * 8);
    EXPECT_EQ(counts.quoteLines, 80 * 8);
    EXPECT_EQ(
        Count(db,
              QStringLiteral(
                  "SELECT COUNT(*) FROM (SELECT Anno, NumRif FROM PreVenDett GROUP BY Anno, NumRif "
                  "HAVING COUNT(*) <> 8) x")),
        0);
    // The mix the engine is to meet: levels, gifts, descriptive lines, contributions, expenses,
    // foreign currency, partly fulfilled and open quotes.
    for (const char* sql :
         {"SELECT COUNT(*) FROM PreVenLiv", "SELECT COUNT(*) FROM PreVenDett WHERE TipoRiga = 'D'",
          "SELECT COUNT(*) FROM PreVenDett WHERE RigLivRAEE IS NOT NULL",
          "SELECT COUNT(*) FROM PreVenDett WHERE ScontoTot LIKE '%+%'",
          "SELECT COUNT(*) FROM PreVenSpese",
          "SELECT COUNT(*) FROM PreVenTest WHERE Moneta <> 'Euro'",
          "SELECT COUNT(*) FROM PreVenTest WHERE Stato = 'P'"})
        EXPECT_GT(Count(db, QString::fromUtf8(sql)), 0) << sql;
}

// Quantities and values of the level rows add up to their line; nothing is delivered
// beyond what was ordered; a fulfilled quote has no open line.
TEST_F(DemoCompany, LinesLevelsAndDeliveriesAgree) {
    const auto sums = Rows(
        db, QStringLiteral("SELECT d.Qta, d.ValTotale, SUM(l.Qta), SUM(l.ValTotale), d.QtaEvasa, "
                           "SUM(l.QtaEvasa) FROM PreVenDett d JOIN PreVenLiv l ON l.Anno = d.Anno "
                           "AND l.NumRif = d.NumRif AND l.RigLiv = d.RigLiv "
                           "GROUP BY d.Anno, d.NumRif, d.RigLiv, d.Qta, d.ValTotale, d.QtaEvasa"));
    ASSERT_FALSE(sums.empty());
    auto money = [](const QVariant& v) { return Arrotonda(Currency::fromVariant(v), 'A', 2); };
    for (const QVariantList& row : sums) {
        EXPECT_EQ(money(row[0]), money(row[2]));
        EXPECT_EQ(money(row[1]), money(row[3]));
        EXPECT_EQ(money(row[4]), money(row[5]));
    }
    for (const QVariantList& row :
         Rows(db, QStringLiteral("SELECT Qta, QtaEvasa FROM PreVenDett UNION ALL "
                                 "SELECT Qta, QtaEvasa FROM PreVenLiv")))
        EXPECT_LE(Currency::fromVariant(row[1]), Currency::fromVariant(row[0]));
    EXPECT_EQ(
        Count(db, QStringLiteral(
                      "SELECT COUNT(*) FROM PreVenTest t JOIN PreVenDett d ON d.Anno = t.Anno "
                      "AND d.NumRif = t.NumRif WHERE t.Stato = 'E' "
                      "AND (d.StatoRiga IS NULL OR d.StatoRiga <> 'E')")),
        0);
}

// The goods total of a net-price quote is the sum of its non-gift lines.
TEST_F(DemoCompany, QuoteTotalsMatchTheirLines) {
    const auto rows =
        Rows(db, QStringLiteral("SELECT t.TotMerce, (SELECT SUM(d.ValTotale) FROM PreVenDett d "
                                "WHERE d.Anno = t.Anno AND d.NumRif = t.NumRif AND d.Omaggio = 'N' "
                                "AND d.TipoRiga IN ('A','M')), t.TotImpon, t.TotIva, t.TotDocum "
                                "FROM PreVenTest t WHERE t.PrezziIvati = 'N'"));
    ASSERT_FALSE(rows.empty());
    auto money = [](const QVariant& v) { return Arrotonda(Currency::fromVariant(v), 'A', 2); };
    for (const QVariantList& row : rows) {
        EXPECT_EQ(money(row[0]), money(row[1]));
        EXPECT_LE(money(row[2]) + money(row[3]), money(row[4]));
    }
}

}  // namespace
}  // namespace evapre
