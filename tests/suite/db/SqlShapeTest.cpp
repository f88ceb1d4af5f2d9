// Statements split into shape and literals: what is taken as a literal, what is left alone,
// and that the values come back exactly, run through the real engines.
#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "DbConnection.h"
#include "DbError.h"
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
    const QStringList testi{"l'ufficio",
                            "",
                            "?",
                            "'@0'",
                            "a;b--c",
                            "perché 30 €",
                            QString::fromUtf8("sorriso \xF0\x9F\x99\x82 fine")};
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
        EXPECT_EQ(rs->text("T"), testi[k]);
        EXPECT_EQ(rs->amount("N"), *Currency::parse(u"-12.3456"));
        rs->moveNext();
        EXPECT_TRUE(rs->eof());
    }
    EXPECT_EQ(db.db().execute("Update Prova Set N = N + 1 where K >= 3"), testi.size() - 3);
}

// Rows written through the bound inserts and updates hold exactly what the same values written
// as literals hold: the type the database gives them and the value.
TEST(SqlShape, BoundRowsHoldWhatTheirLiteralsHold) {
    test::TestDb db;
    db.db().executePortable(
        "CREATE TABLE Prova (K INTEGER PRIMARY KEY, T TEXT, N NUMERIC(19,4), D DATE)");
    const auto importo = [](const char16_t* testo) {
        return QVariant::fromValue(*Currency::parse(testo));
    };
    struct Caso {
        const char* nome;
        QVariant t, n, d;
    };
    const QList<Caso> casi{
        {"testi e importi", QString("l'ufficio"), importo(u"-12.3456"), QDate(2026, 12, 10)},
        {"vuoto e intero", QString(""), importo(u"12"), QDate()},
        {"nulli", QVariant(), QVariant(), QVariant()},
        {"NUL nel testo, importo enorme", QString("a") + QChar(0) + "b",
         importo(u"922337203685.4775"), QDate(1, 1, 1)},
        {"numeri non importi", QString("?"), QVariant(0.1), QVariant()},
        {"intero negativo", QString("'@0'"), QVariant(-7), QVariant()},
        {"accenti e simboli", QString("perché 30 € ß"), importo(u"1"), QVariant()},
        {"fuori dal piano base", QString::fromUtf8("\xF0\x9F\x99\x82"), QVariant(), QVariant()},
        {"virgolette, graffe e virgole", QString("\"{a,b}\" NULL, ()"), importo(u"0.0001"),
         QDate(9999, 12, 31)},
        {"barra rovescia", QString("C:\\dir\\\"x\""), importo(u"-0.5"), QVariant()},
        {"testo NULL", QString("NULL"), QVariant(3), QVariant()},
    };
    const QString colonne = "T, N, D";
    for (int k = 0; k < casi.size(); ++k) {
        const Caso& c = casi[k];
        db.db().execute("Insert into Prova (K, T, N, D) values (" + db.db().sql(2 * k) + ", " +
                        db.db().sql(c.t) + ", " + db.db().sql(c.n) + ", " + db.db().sql(c.d) + ")");
        if (k % 2 == 0)
            db.db().insertRows("Prova", {"K", "T", "N", "D"}, {{2 * k + 1, c.t, c.n, c.d}});
        else
            db.db().insertRow("Prova", {{"K", 2 * k + 1}, {"T", c.t}, {"N", c.n}, {"D", c.d}});
    }
    // All the cases again in one statement of many rows, K from 1000.
    QList<QVariantList> tutte;
    for (int k = 0; k < casi.size(); ++k)
        tutte << QVariantList{1000 + k, casi[k].t, casi[k].n, casi[k].d};
    db.db().insertRows("Prova", {"K", "T", "N", "D"}, tutte);
    const auto righe = [&db](int k) {
        auto rs = db.db().openRowSet("Select T, N, D from Prova where K = " + db.db().sql(2 * k) +
                                     " or K = " + db.db().sql(2 * k + 1) +
                                     " or K = " + db.db().sql(1000 + k) + " order by K");
        QList<QVariantList> out;
        for (; !rs->eof(); rs->moveNext())
            out << QVariantList{rs->valueAt(0), rs->valueAt(1), rs->valueAt(2)};
        return out;
    };
    for (int k = 0; k < casi.size(); ++k) {
        SCOPED_TRACE(casi[k].nome);
        const auto r = righe(k);
        ASSERT_EQ(r.size(), 3);
        for (int c = 0; c < 3; ++c) {
            for (int other : {1, 2}) {
                EXPECT_EQ(r[0][c].isNull(), r[other][c].isNull()) << c;
                EXPECT_EQ(r[0][c].toString(), r[other][c].toString()) << c;
            }
        }
    }
    if (db.db().dialect() == SqlDialect::SQLite) {
        auto tipi = db.db().openRowSet(
            "Select count(*) from Prova a inner join Prova b on b.K = a.K + 1 where a.K % 2 = 0 "
            "and a.K < 1000 "
            "and (typeof(a.T) <> typeof(b.T) or typeof(a.N) <> typeof(b.N) or "
            "typeof(a.D) <> typeof(b.D))");
        EXPECT_EQ(tipi->valueAt(0).toInt(), 0);
    }

    // Updates by key: the rows named change, the others keep what they hold. Three rounds, as a
    // statement is written as text when first met and prepared after.
    for (int volta = 1; volta <= 3; ++volta) {
        SCOPED_TRACE(volta);
        const QString nuovo = QString("nuovo \"%1\"").arg(volta);
        db.db().updateRows("Prova", {"T", "N"}, {"K"},
                           {{nuovo, importo(u"1.5"), 0}, {QVariant(), QVariant(-volta), 3}});
        auto rs = db.db().openRowSet("Select K, T, N from Prova where K <= 3 order by K");
        QStringList visti;
        for (; !rs->eof(); rs->moveNext())
            visti << rs->valueAt(0).toString() + "=" + rs->text("T") + "/" +
                         rs->amount("N").toSqlText();
        EXPECT_EQ(visti, (QStringList{"0=" + nuovo + "/1.5", "1=l'ufficio/-12.3456", "2=/12",
                                      "3=/" + QString::number(-volta)}));
    }
}

// Each statement is run three times: as text the first time a shape is met, prepared with its
// values bound after that (on a server). Every run must read what the driver reads from the
// text: the same columns, tables, types and values.
TEST(SqlShape, PreparedQueriesReadWhatTheTextReads) {
    test::TestDb db;
    DbConnection& c = db.db();
    c.executePortable(
        "CREATE TABLE Prova (K INTEGER PRIMARY KEY, T TEXT, N NUMERIC(19,4), D DATE, "
        "O TIMESTAMP, R REAL)");
    c.execute("Insert into Prova (K, T, N, D, O, R) values (1, 'l''ufficio', -12.3456, " +
              c.sql(QDate(2026, 12, 10)) + ", " +
              c.sql(QDateTime(QDate(2026, 12, 10), QTime(15, 7, 39))) + ", 1.5)");
    c.execute("Insert into Prova (K, T, N, D, O, R) values (2, NULL, NULL, NULL, NULL, NULL)");
    c.execute("Insert into Prova (K, T, N, D, O, R) values (3000000, '', 0, " +
              c.sql(QDate(1, 1, 1)) + ", NULL, 0)");
    // Texts repeated from row to row, empty beside Null, accented.
    const QStringList ripetuti{"'A'", "'A'", "''",  "''",  "NULL", "''",
                               "'è'", "'è'", "'A'", "'B'", "'Bc'"};
    for (int k = 0; k < ripetuti.size(); ++k)
        c.execute("Insert into Prova (K, T) values (" + c.sql(10 + k) + ", " + ripetuti[k] + ")");
    const QStringList query{
        "Select K, T from Prova where K >= 10 and K < 100 order by K",
        "Select * from Prova where K = 1",
        "Select * from Prova where K >= 2 and (K < 10 or K > 100) order by K",
        "Select K, T from Prova where T = 'l''ufficio' and N = -12.3456",
        "Select * from Prova where N > 12.5 or N < (-1)",
        "Select * from Prova where D = " + c.sql(QDate(2026, 12, 10)),
        "Select * from Prova where O < " + c.sql(QDateTime(QDate(2027, 1, 1), QTime(0, 0))),
        "Select * from Prova where K = 3000000000 or K = 3000000",
        "Select count(*), sum(N), max(D), 'costante' AS C from Prova where K > 0 and N is not "
        "null",
        "Select T, 'x' = 'x' AS Uguali from Prova where K = 1",
        "Select a.K, b.T from Prova a left join Prova b on b.K = a.K + 1 where a.K < 3 order by "
        "a.K",
    };
    for (const QString& sql : query) {
        SCOPED_TRACE(sql.toStdString());
        QSqlQuery text(c.database());
        ASSERT_TRUE(text.exec(sql)) << text.lastError().text().toStdString();
        QList<QVariantList> expected;
        while (text.next()) {
            QVariantList row;
            for (int i = 0; i < text.record().count(); ++i)
                row << text.value(i);
            expected << row;
        }
        for (int volta = 0; volta < 3; ++volta) {
            SCOPED_TRACE(volta);
            for (const RowSetMode mode : {RowSetMode::Buffered, RowSetMode::Streaming}) {
                auto rs = c.openRowSet(sql, mode);
                ASSERT_EQ(rs->columnCount(), text.record().count());
                for (int i = 0; i < rs->columnCount(); ++i)
                    EXPECT_EQ(rs->columns()[i], text.record().fieldName(i));
                QList<QVariantList> read;
                for (; !rs->eof(); rs->moveNext()) {
                    QVariantList row;
                    for (int i = 0; i < rs->columnCount(); ++i)
                        row << rs->valueAt(i);
                    read << row;
                }
                ASSERT_EQ(read.size(), expected.size());
                for (qsizetype r = 0; r < read.size(); ++r)
                    for (qsizetype i = 0; i < read[r].size(); ++i) {
                        SCOPED_TRACE(i);
                        EXPECT_STREQ(read[r][i].typeName(), expected[r][i].typeName());
                        EXPECT_EQ(read[r][i].isNull(), expected[r][i].isNull());
                        EXPECT_EQ(read[r][i], expected[r][i]);
                    }
            }
        }
    }
}

// Inside a transaction a prepared write that fails, or a shape the server cannot prepare,
// leaves the transaction as it was: the rows written before and after it are committed.
TEST(SqlShape, FailuresOfPreparedStatementsStayLocal) {
    test::TestDb db;
    DbConnection& c = db.db();
    c.executePortable("CREATE TABLE Prova (K INTEGER PRIMARY KEY, T TEXT)");
    {
        DbTransaction transazione(c);
        for (int k = 1; k <= 3; ++k)
            c.execute("Insert into Prova (K, T) values (" + c.sql(k) + ", 'a')");
        try {
            c.execute("Insert into Prova (K, T) values (2, 'doppia')");
            ADD_FAILURE() << "chiave doppia accettata";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), DbErr::DuplicateKey);
            EXPECT_TRUE(e.sql().contains("'doppia'")) << e.sql().toStdString();
        }
        for (int volta = 0; volta < 3; ++volta)
            EXPECT_EQ(c.scalar("Select 'senza tipo' from Prova where K = 1").toString(),
                      "senza tipo");
        c.execute("Insert into Prova (K, T) values (4, 'a')");
        transazione.commit();
    }
    EXPECT_EQ(c.scalar("Select count(*) from Prova where T = 'a'").toInt(), 4);
}

// Writes sent with the next statement: the next read sees them, a failure is reported by the
// next statement or the commit with the failing write's own text (the caller then rolls
// back), and a rollback drops what was still waiting.
TEST(SqlShape, WritesSentWithTheNextStatement) {
    test::TestDb db;
    DbConnection& c = db.db();
    c.executePortable("CREATE TABLE Prova (K INTEGER PRIMARY KEY, T TEXT)");
    const auto scrivi = [&c](int k, const char* t) {
        c.execute("Insert into Prova (K, T) values (" + c.sql(k) + ", " + c.sql(QString(t)) + ")",
                  Send::WithNext);
    };
    const auto conta = [&c] { return c.scalar("Select count(*) from Prova where K > 0").toInt(); };
    {
        DbTransaction transazione(c);
        for (int k = 1; k <= 3; ++k) {
            scrivi(k, "a");
            EXPECT_EQ(conta(), k);
        }
        transazione.commit();
    }
    {
        DbTransaction transazione(c);
        try {
            scrivi(2, "doppia");
            scrivi(4, "dopo");  // not run: it followed the failed one
            conta();
            ADD_FAILURE() << "chiave doppia accettata";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), DbErr::DuplicateKey);
            EXPECT_TRUE(e.sql().contains("'doppia'")) << e.sql().toStdString();
        }
    }
    EXPECT_EQ(conta(), 3);
    {
        DbTransaction transazione(c);
        EXPECT_THROW(
            {
                scrivi(6, "a");
                scrivi(1, "doppia");
                transazione.commit();
            },
            DbError);
    }
    EXPECT_EQ(conta(), 3);
    {
        DbTransaction transazione(c);
        scrivi(7, "a");
        scrivi(8, "a");
    }
    EXPECT_EQ(conta(), 3);

    // A write sent at once that fails, taken by the caller, undoes only itself: the writes that
    // waited before it, and those after it, are committed.
    {
        DbTransaction transazione(c);
        scrivi(9, "prima");
        EXPECT_THROW(c.execute("Insert into Prova (K, T) values (1, 'doppia')"), DbError);
        scrivi(10, "dopo");
        c.execute("Insert into Prova (K, T) values (11, 'subito')");
        EXPECT_THROW(c.execute("Insert into Prova (K, T) values (2, 'doppia')"), DbError);
        transazione.commit();
    }
    EXPECT_EQ(conta(), 6);
    c.execute("Delete from Prova where K >= 9");

    // Many rows in one call, the second of them failing (its new key is taken), also where a
    // key is repeated: the failure names the rows, and the rollback leaves the table as it was.
    const QList<QList<QVariantList>> chiamate{{{20, 1}, {3, 2}}, {{20, 1}, {21, 1}, {3, 2}}};
    for (const QList<QVariantList>& righe : chiamate) {
        for (int volta = 1; volta <= 3; ++volta) {
            SCOPED_TRACE(volta);
            {
                DbTransaction transazione(c);
                scrivi(30, "a");
                try {
                    c.updateRows("Prova", {"K"}, {"K"}, righe, Send::WithNext);
                    conta();
                    ADD_FAILURE() << "chiave doppia accettata";
                } catch (const DbError& e) {
                    EXPECT_EQ(e.number(), DbErr::DuplicateKey);
                    EXPECT_TRUE(e.sql().contains("UPDATE Prova")) << e.sql().toStdString();
                }
            }
            EXPECT_EQ(conta(), 3);
            EXPECT_EQ(c.scalar("Select count(*) from Prova where K = 1").toInt(), 1);
        }
    }
}

// A query read ahead gives, when opened, the rows it had when it went with the next statement;
// one never opened is dropped with the transaction, and outside one nothing is read ahead.
TEST(SqlShape, QueriesReadAhead) {
    test::TestDb db;
    DbConnection& c = db.db();
    c.executePortable("CREATE TABLE Prova (K INTEGER PRIMARY KEY, T TEXT)");
    c.executePortable("CREATE TABLE Altra (K INTEGER PRIMARY KEY)");
    c.insertRows("Prova", {"K", "T"}, {{1, "a"}, {2, "b"}});
    const auto testi = [&c](const QString& sql) {
        QStringList out;
        for (auto rs = c.openRowSet(sql); !rs->eof(); rs->moveNext())
            out << rs->text("T");
        return out;
    };
    const QString query = "Select T from Prova where K >= " + c.sql(1) + " order by K";
    for (int volta = 1; volta <= 3; ++volta) {
        SCOPED_TRACE(volta);
        DbTransaction transazione(c);
        c.readAhead(query);
        c.readAhead("Select T from Prova where K = " + c.sql(volta));  // never opened
        c.insertRows("Altra", {"K"}, {{volta}}, Send::WithNext);
        EXPECT_EQ(testi("Select T from Prova where K = 2"), QStringList{"b"});
        EXPECT_EQ(testi(query), (QStringList{"a", "b"}));
        EXPECT_EQ(testi(query), (QStringList{"a", "b"}));  // read again: the table as it is
        transazione.commit();
    }
    {
        // Opened before they went: they go then, after the write waiting before them.
        DbTransaction transazione(c);
        c.insertRows("Altra", {"K"}, {{10}}, Send::WithNext);
        const QString scritta = "Select K AS T from Altra where K = " + c.sql(10);
        c.readAhead(scritta);
        c.readAhead(query);
        EXPECT_EQ(testi(scritta), QStringList{"10"});
        EXPECT_EQ(testi(query), (QStringList{"a", "b"}));
        transazione.commit();
    }
    c.readAhead(query);
    EXPECT_EQ(testi(query), (QStringList{"a", "b"}));
    EXPECT_EQ(c.scalar("Select count(*) from Altra").toInt(), 4);
}

}  // namespace
}  // namespace evapre
