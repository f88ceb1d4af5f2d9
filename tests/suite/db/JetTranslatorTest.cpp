#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUrl>

#include "JetTranslator.h"

using namespace evapre;

namespace {

struct Case {
    const char* jet;
    const char* portable;
};

QString q(const char* text) {
    return QString::fromUtf8(text);
}

void expectTranslations(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
        QString out;
        try {
            out = JetToPortable(q(c->jet));
        } catch (const JetSyntaxError& e) {
            ADD_FAILURE() << "input: " << c->jet << ": " << e.what();
            continue;
        }
        EXPECT_EQ(out, q(c->portable)) << "input: " << c->jet;
        // Translating the result again must change nothing.
        EXPECT_EQ(JetToPortable(out), out) << "input: " << c->jet;
    }
}

}  // namespace

TEST(JetTranslator, RewritesEachJetConstruct) {
    const Case cases[] = {
        // concatenation: Null counts as empty; literals need no COALESCE
        {"Select a & b from T", "Select COALESCE(a,'') || COALESCE(b,'') from T"},
        {" and PreVenTest.GruppoCli & PreVenTest.MastroCli & PreVenTest.ContoCli >='0101001'",
         " and COALESCE(PreVenTest.GruppoCli,'') || COALESCE(PreVenTest.MastroCli,'') || "
         "COALESCE(PreVenTest.ContoCli,'') >='0101001'"},
        {"d & ' -' & (select left(C.Descrizione,5) from C where k=1) & '-' & left(A.x,3) AS D",
         "COALESCE(d,'') || ' -' || COALESCE((select SUBSTR(C.Descrizione,1,5) from C where "
         "k=1),'') || '-' || COALESCE(SUBSTR(A.x,1,3),'') AS D"},
        {"Qta - q & 'x'", "COALESCE(Qta - q,'') || 'x'"},
        {"f(a, b)&5", "COALESCE(f(a, b),'') || 5"},
        {"Order BY S.Iva ,spese.gruppo & spese.Mastro",
         "Order BY S.Iva NULLS FIRST ,COALESCE(spese.gruppo,'') || COALESCE(spese.Mastro,'') "
         "NULLS FIRST"},
        // IIf, nested, with commas and parentheses inside arguments
        {"IIf(L.Livello1 Is Null,' ',L.Livello1) AS MioLiv1",
         "CASE WHEN L.Livello1 Is Null THEN ' ' ELSE L.Livello1 END AS MioLiv1"},
        {"sum(iif (Q > 0,V * Q,V)) as C", "sum(CASE WHEN Q > 0 THEN V * Q ELSE V END) as C"},
        {"IIf(T = 'D',N,IIf(not D Is Null,D,A.D ))",
         "CASE WHEN T = 'D' THEN N ELSE CASE WHEN not D Is Null THEN D ELSE A.D END END"},
        {"IIf(f(a,b) = 'x,y', 'a)', g(1,2))", "CASE WHEN f(a,b) = 'x,y' THEN 'a)' ELSE g(1,2) END"},
        {"IIf(a, b, c) & '-'", "COALESCE(CASE WHEN a THEN b ELSE c END,'') || '-'"},
        {"Set Q = Qta - IIf(E Is Null,0,E) Where U = 'x'",
         "Set Q = Qta - CASE WHEN E Is Null THEN 0 ELSE E END Where U = 'x'"},
        // top N: LIMIT at the end of its SELECT, also in a sub-select
        {"Select top 1 * from T where anno = 2026 order by RigDet DESC",
         "Select * from T where anno = 2026 order by RigDet DESC NULLS LAST LIMIT 1"},
        {"select TOP 5 a from T ;", "select a from T LIMIT 5 ;"},
        {"Select top 1 a from T -- ultima", "Select a from T LIMIT 1 -- ultima"},
        {"Select x from T where y in (select top 1 y from U order by y)",
         "Select x from T where y in (select y from U order by y NULLS FIRST LIMIT 1)"},
        {"Select distinct top 2 a from T", "Select distinct a from T LIMIT 2"},
        {"Select top from T", "Select top from T"},
        // Like with Jet wildcards
        {"d Like 'abc*'", "d LIKE 'abc%' ESCAPE '\\'"},
        {"d like 'a?c*'", "d LIKE 'a_c%' ESCAPE '\\'"},
        {"d Like '50%_x\\*'", "d LIKE '50\\%\\_x\\\\%' ESCAPE '\\'"},
        {"d Like 'l''a*'", "d LIKE 'l''a%' ESCAPE '\\'"},
        {"d Like 'a[*]b[?]*'", "d LIKE 'a*b?%' ESCAPE '\\'"},
        {"d Like \"ab*\"", "d LIKE 'ab%' ESCAPE '\\'"},
        {"d Not Like 'x*'", "d Not LIKE 'x%' ESCAPE '\\'"},
        {"d LIKE 'a\\%%' ESCAPE '\\'", "d LIKE 'a\\%%' ESCAPE '\\'"},
        {"d Like e", "d Like e"},
        // Delete *
        {"Delete * from PreVenEvaTest  WHERE PreVenEvaTest.Utente='u'",
         "DELETE FROM PreVenEvaTest  WHERE PreVenEvaTest.Utente='u'"},
        {"delete T.* from T", "DELETE FROM T"},
        // IsNull and the functions
        {" AND IsNull(IndSped)", " AND (IndSped IS NULL)"},
        {" OR Not isnull(PercRitAcc)", " OR Not (PercRitAcc IS NULL)"},
        {" AND LEN(PreVenLiv.Livello1)>0", " AND LENGTH(PreVenLiv.Livello1)>0"},
        {"left( d , 5 )", "SUBSTR(d,1,5)"},
        {"UCase(a) = LCase(b)", "UPPER(a) = LOWER(b)"},
        {"Trim(a) = right(b,2)", "Trim(a) = right(b,2)"},
        {"FROM (A LEFT JOIN B ON A.x = B.x) left join C on C.y = B.y",
         "FROM (A LEFT JOIN B ON A.x = B.x) left join C on C.y = B.y"},
        // where false / true
        {"Select * from PreVenEvaTest where false", "Select * from PreVenEvaTest WHERE 1=0"},
        {"select * from T WHERE True order by a",
         "select * from T WHERE 1=1 order by a NULLS FIRST"},
        {"select * from T where false = f", "select * from T where false = f"},
        // dates, month first
        {"DataCons >= #12/31/2026#", "DataCons >= '2026-12-31'"},
        {"d = #1/2/2026 9:05#", "d = '2026-01-02 09:05:00'"},
        {"d = #2026-03-04#", "d = '2026-03-04'"},
        // double-quoted Jet strings
        {"a = \"l'uno \"\"due\"\"\"", "a = 'l''uno \"due\"'"},
        // null order of every ORDER BY item
        {"order by a, b desc, c ASC, d NULLS LAST",
         "order by a NULLS FIRST, b desc NULLS LAST, c ASC NULLS FIRST, d NULLS LAST"},
    };
    expectTranslations(std::begin(cases), std::end(cases));
}

TEST(JetTranslator, LeavesLiteralsCommentsAndPortableTextAlone) {
    const Case cases[] = {
        {"Select 'a & b', 'IIf(x,y)', 'top 1', '*', '--', '#1/1/2026#' from T",
         "Select 'a & b', 'IIf(x,y)', 'top 1', '*', '--', '#1/1/2026#' from T"},
        {"Select 'it''s & \"x\"' from T", "Select 'it''s & \"x\"' from T"},
        {"Select \"x & y -- z\" from T", "Select 'x & y -- z' from T"},
        {"Select a -- a & b IIf( 'x\n  from T", "Select a -- a & b IIf( 'x\n  from T"},
        {"/* IIf(a) & ' */ Select 1", "/* IIf(a) & ' */ Select 1"},
        {"Select a, b\n\tFROM  T  WHERE c <> 'S'", "Select a, b\n\tFROM  T  WHERE c <> 'S'"},
        {"UPDATE T SET a = COALESCE(b,'') || 'x' WHERE (c IS NULL) AND d LIKE 'a%' ESCAPE '\\'",
         "UPDATE T SET a = COALESCE(b,'') || 'x' WHERE (c IS NULL) AND d LIKE 'a%' ESCAPE '\\'"},
        {"INSERT INTO T (a, b) SELECT 'u' AS MioUtente, x.b FROM x WHERE x.k = -1",
         "INSERT INTO T (a, b) SELECT 'u' AS MioUtente, x.b FROM x WHERE x.k = -1"},
        {"select count(*), T.* from T where exists (select 1 from U)",
         "select count(*), T.* from T where exists (select 1 from U)"},
        {"", ""},
    };
    expectTranslations(std::begin(cases), std::end(cases));
}

// A whole statement of the manual grid, as the program builds it.
TEST(JetTranslator, TranslatesAStagingInsert) {
    const QString jet = q(
        "INSERT INTO PreVenEvaDett ( Utente, Anno, Livello1, Descrizione) SELECT 'rossi' AS "
        "MioUtente,PreVenDett.Anno,IIf(PreVenliv.Livello1 Is Null,' ',PreVenLiv.Livello1) AS "
        "MioLiv1,IIf(PreVenDett.TipoRiga = 'D',PreVenDett.NotaSopra,IIf(not "
        "PreVenDett.Descrizione Is Null,PreVenDett.Descrizione,Articoli.Descrizione ))& ' -'& "
        "(select left(ArtClasseAttr.Descrizione,5) from ArtClasseAttr where ArtClasse=1 and "
        "ArtClasseAttr = ArtClasseAttr1) & '-' & left(Articoli.ArtClasseAttr2,3)AS MioDescrizione "
        "FROM PreVenDett WHERE PreVenDett.Anno=2026 AND IIf(PreVenliv.Livello1 Is "
        "Null,PreVenDett.StatoRiga<>'E' OR PreVenDett.StatoRiga Is Null,PreVenliv.StatoRiga<>'E' "
        "OR PreVenliv.StatoRiga Is Null)");
    const QString portable = q(
        "INSERT INTO PreVenEvaDett ( Utente, Anno, Livello1, Descrizione) SELECT 'rossi' AS "
        "MioUtente,PreVenDett.Anno,CASE WHEN PreVenliv.Livello1 Is Null THEN ' ' ELSE "
        "PreVenLiv.Livello1 END AS MioLiv1,COALESCE(CASE WHEN PreVenDett.TipoRiga = 'D' THEN "
        "PreVenDett.NotaSopra ELSE CASE WHEN not PreVenDett.Descrizione Is Null THEN "
        "PreVenDett.Descrizione ELSE Articoli.Descrizione END END,'') || ' -' || COALESCE((select "
        "SUBSTR(ArtClasseAttr.Descrizione,1,5) from ArtClasseAttr where ArtClasse=1 and "
        "ArtClasseAttr = ArtClasseAttr1),'') || '-' || "
        "COALESCE(SUBSTR(Articoli.ArtClasseAttr2,1,3),"
        "'')AS MioDescrizione FROM PreVenDett WHERE PreVenDett.Anno=2026 AND CASE WHEN "
        "PreVenliv.Livello1 Is Null THEN PreVenDett.StatoRiga<>'E' OR PreVenDett.StatoRiga Is Null "
        "ELSE PreVenliv.StatoRiga<>'E' OR PreVenliv.StatoRiga Is Null END");
    EXPECT_EQ(JetToPortable(jet), portable);
    EXPECT_EQ(JetToPortable(portable), portable);
}

TEST(JetTranslator, RefusesMalformedTextWithAnItalianMessage) {
    const struct {
        const char* sql;
        const char* fragment;  // part of the message that points at the fault
    } cases[] = {
        {"Select 'abc from T", "apice non chiuso in \"'abc from T\""},
        {"Select \"abc from T", "virgolette non chiuse"},
        {"Select (a from T", "parentesi non chiusa in \"(a from T\""},
        {"Select a) from T", "parentesi chiusa senza apertura"},
        {"Select IIf(a, b) from T", "IIf vuole tre argomenti in \"IIf(a, b)\""},
        {"Select IIf(a, b, c, d) from T", "IIf vuole tre argomenti"},
        {"Select IIf(a, , c) from T", "argomento mancante"},
        {"Select a & from T", "manca un operando dopo &"},
        {"Select & a from T", "manca un operando prima di &"},
        {"Select a & & b from T", "manca un operando dopo &"},
        {"Select left(a) from T", "Left vuole due argomenti"},
        {"Select IsNull() from T", "argomento mancante"},
        {"where d = #13/45/2026#", "data non valida in \"#13/45/2026#\""},
        {"where d = #12/31/2026", "data non chiusa"},
        {"Select 1 /* x", "commento non chiuso"},
        {"Select top 10 percent a from T", "TOP ... PERCENT non supportato"},
        {"Select top 1 a from T union select top 1 b from U", "TOP in più SELECT"},
        {"Select top 1 a from T union select b from U", "TOP in una UNION non supportato"},
        {"where d Like 'a[a-z]*'", "classe di caratteri non supportata"},
        {"where d Like 'a[*'", "parentesi quadra non chiusa"},
        {"where d Like 'a*' & b", "modello LIKE composto non supportato"},
    };
    for (const auto& c : cases) {
        try {
            const QString out = JetToPortable(q(c.sql));
            ADD_FAILURE() << "accepted: " << c.sql << " -> " << out.toStdString();
        } catch (const JetSyntaxError& e) {
            const QString message = e.message();
            EXPECT_TRUE(message.startsWith(q("Sintassi SQL non riconosciuta: "))) << e.what();
            EXPECT_TRUE(message.contains(q(c.fragment))) << e.what();
        }
    }
    // Deep nesting is refused, not recursed into.
    const QString deep = QString(5000, u'(') + u'1' + QString(5000, u')');
    EXPECT_THROW(JetToPortable(deep), JetSyntaxError);
}

TEST(JetTranslator, BuildersWritePortableForms) {
    EXPECT_EQ(JetTranslator::Concat({q("a"), q("T.b"), q("'-'")}),
              q("COALESCE(a,'') || COALESCE(T.b,'') || COALESCE('-','')"));
    EXPECT_EQ(JetTranslator::Concat({}), q("''"));
    EXPECT_EQ(JetTranslator::IIf(q("x > 1"), q("'a'"), q("b")),
              q("CASE WHEN x > 1 THEN 'a' ELSE b END"));
    EXPECT_EQ(JetTranslator::Limit(1), q("LIMIT 1"));
    EXPECT_THROW(JetTranslator::Limit(-1), std::invalid_argument);
    EXPECT_EQ(JetTranslator::IsNull(q("T.c")), q("(T.c IS NULL)"));
}

// ---- the translated text on real engines ---------------------------------------------------

namespace {

enum class Engine { SQLite, PostgreSQL };

void PrintTo(Engine engine, std::ostream* os) {
    *os << (engine == Engine::SQLite ? "SQLite" : "PostgreSQL");
}

// Rows one a line, so that a difference prints readably.
std::string lines(const QStringList& rows) {
    return rows.join(u'\n').toStdString();
}

class JetOnEngine : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        mName = QStringLiteral("jet_%1").arg(int(GetParam()));
        if (GetParam() == Engine::SQLite) {
            QSqlDatabase db = QSqlDatabase::addDatabase(q("QSQLITE"), mName);
            db.setDatabaseName(q(":memory:"));
            ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        } else {
            const QString uri = qEnvironmentVariable("EVAPRE_TEST_PG");
            if (uri.isEmpty())
                GTEST_SKIP() << "EVAPRE_TEST_PG non impostata";
            const QUrl url(uri);
            QSqlDatabase db = QSqlDatabase::addDatabase(q("QPSQL"), mName);
            db.setHostName(url.host());
            if (url.port() > 0)
                db.setPort(url.port());
            db.setUserName(url.userName());
            db.setPassword(url.password());
            db.setDatabaseName(url.path().mid(1));
            ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        }
        const QString dateType = GetParam() == Engine::SQLite ? q("TEXT") : q("DATE");
        exec(q("CREATE TEMP TABLE jt_prova (id INTEGER PRIMARY KEY, a VARCHAR(20), "
               "b VARCHAR(20), n INTEGER, d %1)")
                 .arg(dateType));
        exec(
            q("INSERT INTO jt_prova VALUES (1, 'ab', 'x', 3, '2026-01-05'), "
              "(2, 'abc', NULL, 1, '2026-02-10'), (3, NULL, 'y', NULL, NULL), "
              "(4, 'a_c', 'z', 2, '2026-03-01'), (5, 'a%c', NULL, 0, '2025-12-31')"));
    }

    void TearDown() override {
        if (QSqlDatabase::contains(mName)) {
            QSqlDatabase::database(mName, false).close();
            QSqlDatabase::removeDatabase(mName);
        }
    }

    void exec(const QString& sql) {
        QSqlQuery query(QSqlDatabase::database(mName, false));
        ASSERT_TRUE(query.exec(sql))
            << sql.toStdString() << ": " << query.lastError().text().toStdString();
    }

    // The rows of a Jet query, translated: columns joined by "|", Null as "<null>".
    QStringList rows(const QString& jet) {
        const QString sql = JetToPortable(jet);
        QSqlQuery query(QSqlDatabase::database(mName, false));
        if (!query.exec(sql))
            return {q("ERRORE: ") + query.lastError().text() + q(" in ") + sql};
        QStringList out;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << (query.value(i).isNull() ? q("<null>") : query.value(i).toString());
            out << values.join(u'|');
        }
        return out;
    }

    QString mName;
};

}  // namespace

TEST_P(JetOnEngine, GivesTheSameRowsOnEveryEngine) {
    const struct {
        const char* jet;
        QStringList expected;
    } cases[] = {
        {"Select id, a & '-' & b from jt_prova order by id",
         {"1|ab-x", "2|abc-", "3|-y", "4|a_c-z", "5|a%c-"}},
        {"Select id, IIf(n > 1, 'alto', IIf(IsNull(n), 'nullo', 'basso')) from jt_prova "
         "order by id",
         {"1|alto", "2|basso", "3|nullo", "4|alto", "5|basso"}},
        // Null sorts lowest, as in Jet
        {"Select top 1 id from jt_prova order by n", {"3"}},
        {"Select top 1 id from jt_prova order by n desc", {"1"}},
        {"Select id from jt_prova where n = (select top 1 n from jt_prova order by n desc)", {"1"}},
        {"Select id from jt_prova order by b desc, id", {"4", "3", "1", "2", "5"}},
        // "_" and "%" of the value are not wildcards
        {"Select id from jt_prova where a Like 'a_*' order by id", {"4"}},
        {"Select id from jt_prova where a Like 'a%*' order by id", {"5"}},
        {"Select id from jt_prova where a Like 'a?c' order by id", {"2", "4", "5"}},
        {"Select id from jt_prova where IsNull(b) order by id", {"2", "5"}},
        {"Select id from jt_prova where Not IsNull(a) and LEN(a) = 3 order by id", {"2", "4", "5"}},
        {"Select id, left(a, 2) from jt_prova where id < 4 order by id",
         {"1|ab", "2|ab", "3|<null>"}},
        {"Select id from jt_prova where false", {}},
        {"Select id from jt_prova where d >= #1/10/2026# order by id", {"2", "4"}},
        {"Select id from jt_prova where b = \"z\"", {"4"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lines(rows(q(c.jet))), lines(c.expected)) << c.jet;

    // Builders and Jet text mixed, as new code may write them.
    EXPECT_EQ(lines(rows(q("Select ") + JetTranslator::Concat({q("a"), q("b")}) +
                         q(" from jt_prova where ") + JetTranslator::IsNull(q("n")) + q(" ") +
                         JetTranslator::Limit(1))),
              "y");

    exec(JetToPortable(q("Delete * from jt_prova where id > 2")));
    EXPECT_EQ(lines(rows(q("Select count(*) from jt_prova"))), "2");
}

INSTANTIATE_TEST_SUITE_P(Engines, JetOnEngine,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const ::testing::TestParamInfo<Engine>& info) {
                             return info.param == Engine::SQLite ? std::string("SQLite")
                                                                 : std::string("PostgreSQL");
                         });
