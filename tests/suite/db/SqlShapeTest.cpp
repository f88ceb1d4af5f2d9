// Statements split into shape and literals: what is taken as a literal, what is left alone,
// and that the values come back exactly, run through the real engines.
#include <gtest/gtest.h>

#include "DbConnection.h"
#include "RowSet.h"
#include "SqlShape.h"
#include "TestDb.h"

namespace evapre {
namespace {

TEST(SqlShape, LiteralsAndWhatStaysInTheShape) {
    struct Caso {
        const char* sql;
        bool usable;
        const char* shape;
        QStringList literals;
    };
    const QList<Caso> casi{
        {"Select * from T where A = 'x''y' and B = 12.5 and C = (-3)",
         true,
         "Select * from T where A = '@0' and B = '@1' and C = (-'@2')",
         {"'x''y'", "12.5", "3"}},
        {"Select NoteFisse1.Nota, t_2 from T2 where Agente1 = 'A'",
         true,
         "Select NoteFisse1.Nota, t_2 from T2 where Agente1 = '@0'",
         {"'A'"}},
        {"Select top 1 * from T where anno = 2024",
         true,
         "Select top 1 * from T where anno = '@0'",
         {"2024"}},
        {"Select * from T where A Like 'ab*'", false, "", {}},
        {"Select * from T where A = E'a\\\\b'", false, "", {}},
        {"Select * from T where D = #12/31/2026#", false, "", {}},
        {"Select * from T where A = \"x\"", false, "", {}},
        {"Select * from T where A = 1e-05", false, "", {}},
        {"Select * from T -- commento", false, "", {}},
        {"Select * from T where A = 'aperta", false, "", {}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.sql);
        const SqlShape s = SqlShape::Split(QString::fromUtf8(caso.sql));
        EXPECT_EQ(s.usable, caso.usable);
        if (!caso.usable)
            continue;
        EXPECT_EQ(s.shape, QString::fromUtf8(caso.shape));
        EXPECT_EQ(s.literals, caso.literals);
        const auto t = SqlShape::Translated::Read(s.shape, s.literals.size());
        ASSERT_TRUE(t.valid);
        EXPECT_EQ(t.join(s.literals), QString::fromUtf8(caso.sql));
    }
}

// A translation that loses or repeats a marker is not used.
TEST(SqlShape, MarkersLostOrRepeated) {
    EXPECT_FALSE(SqlShape::Translated::Read("a = '@0' and b = '@0'", 2).valid);
    EXPECT_FALSE(SqlShape::Translated::Read("a = '@0'", 2).valid);
    EXPECT_FALSE(SqlShape::Translated::Read("a = '@7'", 1).valid);
    const auto t = SqlShape::Translated::Read("b = '@1' and a = '@0'", 2);
    ASSERT_TRUE(t.valid);
    EXPECT_EQ(t.withPlaceholders, "b = ? and a = ?");
    EXPECT_EQ(t.values({"'x'", "(-2)"}), (QVariantList{QVariant(qlonglong(-2)), QString("x")}));
}

// The same statements run with their values bound (SQLite) or written back (servers) give
// the rows the literals describe, texts with quotes and negative amounts included.
TEST(SqlShape, ValuesComeBackExactly) {
    test::TestDb db;
    db.db().executePortable("CREATE TABLE Prova (K INTEGER PRIMARY KEY, T TEXT, N NUMERIC(19,4))");
    const QStringList testi{"l'ufficio", "", "?", "'@0'", "a;b--c"};
    for (int k = 0; k < testi.size(); ++k)
        db.db().execute("Insert into Prova (K, T, N) values (" + db.db().sql(k) + ", " +
                        db.db().sql(testi[k]) + ", " +
                        db.db().sql(QVariant::fromValue(*Currency::parse(u"-12.3456"))) + ")");
    for (int k = 0; k < testi.size(); ++k) {
        SCOPED_TRACE(testi[k].toStdString());
        auto rs = db.db().openRowSet(
            "Select * from Prova where T = " + db.db().sql(testi[k]) +
            " and N = " + db.db().sql(QVariant::fromValue(*Currency::parse(u"-12.3456"))));
        ASSERT_FALSE(rs->eof());
        EXPECT_EQ(rs->integer("K"), k);
        EXPECT_EQ(rs->amount("N"), *Currency::parse(u"-12.3456"));
        rs->moveNext();
        EXPECT_TRUE(rs->eof());
    }
    EXPECT_EQ(db.db().execute("Update Prova Set N = N + 1 where K >= 3"), 2);
}

}  // namespace
}  // namespace evapre
