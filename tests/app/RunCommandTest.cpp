// evapre run: options through the form's checks, refusals that write nothing, criteria that
// select exactly what they say, the report, and a whole fulfilment of the demo company.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include "Commands.h"
#include "DemoDb.h"
#include "RecoverCommand.h"
#include "RowSet.h"
#include "RunCommand.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"

namespace evapre::test {
namespace {

using Colonne = QList<QPair<QString, QVariant>>;

class RunCommandTest : public ::testing::Test {
  protected:
    // A company with warehouse year 2024, quote type PR fulfilled into invoices FT.
    void SetUp() override {
        for (const auto& [chiave, valore] :
             QList<QPair<QString, QString>>{{"Mag.AnnoCorr", "2024"},
                                            {"Mag.DataInizio", "01/01/2024"},
                                            {"Mag.DataFine", "31/12/2024"},
                                            {"Ditta.RegIvaVen", "A"},
                                            {"Ditta.EleRegIvaVen", "A,B"}})
            db.insert("MenuParametri", {{"Chiave", chiave}, {"Valore", valore}});
        db.insert("FattDocumenti", {{"FattDocumento", "PR"}, {"Tipo", "P"}});
        db.insert("FattDocumenti", {{"FattDocumento", "FT"}, {"Tipo", "F"}, {"Segno", "+"}});
        db.insert("Monete", {{"Moneta", "Euro"}, {"Descrizione", "Euro"}, {"Cee", "S"}});
        db.insert("Monete", {{"Moneta", "USD"}, {"Descrizione", "Dollaro USA"}, {"Cee", "N"}});
        db.insert("LibriIva", {{"Anno", 2024}, {"TipoReg", "V"}, {"Pref", "A"}});
    }

    void preventivo(int numRif, const Colonne& extra = {}, const QString& articolo = "ART1") {
        Colonne c{{"Anno", 2024},      {"NumRif", numRif},      {"DataRif", QDate(2024, 3, 1)},
                  {"Interno", "N"},    {"FattDocumento", "PR"}, {"GruppoCli", "01"},
                  {"MastroCli", "01"}, {"ContoCli", "00001"},   {"Moneta", "Euro"},
                  {"RagOrd", "S"}};
        for (const auto& [k, v] : extra) {
            const auto it =
                std::find_if(c.begin(), c.end(), [&](const auto& p) { return p.first == k; });
            if (it != c.end())
                it->second = v;
            else
                c.append({k, v});
        }
        db.insert("PreVenTest", c);
        db.insert("PreVenDett", {{"Anno", 2024},
                                 {"NumRif", numRif},
                                 {"RigLiv", 1},
                                 {"RigDet", 1},
                                 {"TipoRiga", "A"},
                                 {"Articolo", articolo},
                                 {"Qta", 10},
                                 {"QtaEvasa", 0}});
    }

    int esegui(const QStringList& opzioni) {
        out.clear();
        err.clear();
        ui.messages.clear();
        QTextStream o(&out);
        QTextStream e(&err);
        QStringList args{"--db", db.name(), "--user", "mario"};
        return RunFulfilment(args + opzioni, o, e, ui);
    }
    // A closing-only run of quotes PR into FT on 30/06/2024 with the given criteria.
    int chiudi(const QStringList& criteri) {
        return esegui(QStringList{"--date", "30/06/2024", "--quote-type", "PR", "--doc-type", "FT",
                                  "--close-only"} +
                      criteri);
    }

    int conta(const QString& sql) { return db.db().scalar(sql).toInt(); }
    QSet<int> chiusi() {
        QSet<int> numeri;
        auto rs = db.db().openRowSet("Select NumRif from PreVenTest where Stato = 'E'");
        for (; !rs->eof(); rs->moveNext())
            numeri.insert(static_cast<int>(rs->integer("NumRif")));
        return numeri;
    }
    // Rows any run writes: quote states, marks, journal, saved criteria.
    int scritte() {
        return conta("Select count(*) from PreVenTest where Stato is not null") +
               conta("Select count(*) from PreVenDett where StatoRiga is not null") +
               conta("Select count(*) from LockGest") + conta("Select count(*) from DocDaElab") +
               conta("Select count(*) from AppoggioTemp");
    }

    TestDb db;
    ScriptedUiServices ui;
    QString out, err;
};

// Each criterion is handed to the selection as a value: wildcards, quotes, semicolons and SQL
// fragments select exactly the quotes whose fields hold that text.
TEST_F(RunCommandTest, CriteriSelezionanoSoloIPreventiviDescritti) {
    const QStringList descrizioni{
        "50% sconto", "50_ pezzi", "500 viti",       "a*b",
        "abc",        "x;y",       "O'Brien lavori", "'; DELETE FROM PreVenTest; --"};
    for (int i = 0; i < descrizioni.size(); ++i)
        preventivo(i + 1, {{"Descrizione", descrizioni[i]}});
    preventivo(9, {{"ContoCli", "00002"}, {"Descrizione", "Rossi"}});
    preventivo(10, {{"Descrizione", "Verdi"}, {"DataRif", QDate(2024, 4, 2)}}, "A'1");
    preventivo(11, {{"Descrizione", "Dollari"}, {"Moneta", "USD"}});

    struct Caso {
        QStringList criteri;
        QSet<int> attesi;
    };
    const QList<Caso> casi{
        {{"--description", "50%"}, {1}},
        {{"--description", "50_"}, {2}},
        {{"--description", "50"}, {1, 2, 3}},
        {{"--description", "a*"}, {4}},
        {{"--description", "x;y"}, {6}},
        {{"--description", "O'Brien"}, {7}},
        {{"--description", "'; DELETE FROM PreVenTest; --"}, {8}},
        {{"--customer-from", "01-01-00002", "--customer-to", "01-01-00002"}, {9}},
        {{"--customer-to", "01-01-00001' OR '1'='1"}, {1, 2, 3, 4, 5, 6, 7, 8, 10, 11}},
        {{"--article-from", "A'1", "--article-to", "A'1"}, {10}},
        {{"--article-from", "%", "--article-to", "%"}, {}},
        {{"--quote-date-from", "02/04/2024"}, {10}},
        {{"--quote-number-from", "3", "--quote-number-to", "4"}, {3, 4}},
        {{"--currency", "USD"}, {11}},
        {{"--currency", "Euro' OR 'a'='a"}, {}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.criteri.join(' ').toStdString());
        db.db().execute("Update PreVenTest Set Stato = Null");
        db.db().execute("Update PreVenDett Set StatoRiga = Null");
        const int codice = chiudi(caso.criteri);
        EXPECT_EQ(codice, caso.attesi.isEmpty() ? ExitCode::Refused : ExitCode::Ok)
            << err.toStdString();
        EXPECT_EQ(chiusi(), caso.attesi);
        EXPECT_EQ(conta("Select count(*) from PreVenTest"), 11);
        EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
    }
}

// A refusal before the run says why, exits 3 and leaves the database as it was.
TEST_F(RunCommandTest, RifiutiNonScrivonoNulla) {
    preventivo(1);
    preventivo(2, {{"Moneta", "USD"}});
    const QStringList base{"--date", "30/06/2024", "--quote-type", "PR"};
    struct Caso {
        QStringList opzioni;
        QString messaggio;  // start of the message shown
    };
    const QList<Caso> casi{
        {base + QStringList{"--doc-type", "FT", "--working-date", "29/06/2024"},
         "La data evasione non può essere sucessiva a 29/06/2024"},
        {QStringList{"--date", "30/06/2024", "--doc-type", "FT"},
         "Vanno specificati i due tipi di documento"},
        {base,
         "E' possibile avere il Doc. di evasione sbiancato solo con l'evasione con "
         "corrispettivo"},
        {base + QStringList{"--doc-type", "FT", "--prefix", "AB"}, "Data Errata o Campo Errato"},
        {base + QStringList{"--doc-type", "FT"},
         "Si prega di inserire tutti i cambi\nManca il cambio della moneta USD (Dollaro USA) al "
         "30/06/2024"},
        {base + QStringList{"--doc-type", "FT", "--rate", "USD=0"},
         "Si prega di inserire tutti i cambi"},
        {base + QStringList{"--doc-type", "XX", "--close-only"},
         "Tipo documento di evasione non di tipo fattura,ddt,ordine"},
        {base + QStringList{"--doc-type", "FT", "--close-only", "--quote-number-from", "99"},
         "Non ci sono Preventivi vendita nell'intervallo"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.opzioni.join(' ').toStdString());
        EXPECT_EQ(esegui(caso.opzioni), ExitCode::Refused) << err.toStdString();
        ASSERT_FALSE(ui.messages.isEmpty());
        EXPECT_TRUE(ui.messages.last().startsWith(caso.messaggio))
            << ui.messages.last().toStdString();
        EXPECT_EQ(scritte(), 0);
    }

    // The same refusal as one JSON object.
    EXPECT_EQ(esegui(base + QStringList{"--doc-type", "FT", "--json"}), ExitCode::Refused);
    QJsonParseError errore;
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8(), &errore).object();
    ASSERT_EQ(errore.error, QJsonParseError::NoError) << out.toStdString();
    EXPECT_EQ(o.value("outcome").toString(), "refused");
    EXPECT_EQ(o.value("exitCode").toInt(), ExitCode::Refused);
    EXPECT_TRUE(o.value("message").toString().startsWith("Si prega di inserire tutti i cambi"));
    EXPECT_TRUE(o.value("documents").toArray().isEmpty());
}

// An interrupted earlier run blocks the command and keeps the criteria its recovery needs.
TEST_F(RunCommandTest, RunInterrottaTieneISuoiCriteri) {
    preventivo(1);
    db.insert("DocDaElab",
              {{"Utente", "mario"}, {"Programma", "EvaPreEvPr"}, {"Anno", 2024}, {"NumReg", 7}});
    db.insert("AppoggioTemp", {{"Utente", "mario"},
                               {"IdProgramma", "scEvaPrev"},
                               {"IdCampo", "osTipoDocEva"},
                               {"Valorestringa", "DDT"}});
    EXPECT_EQ(chiudi({}), ExitCode::Refused);
    EXPECT_EQ(ui.messages.last(),
              "(DocDaElab) Risultano delle elaborazioni interrotte. Lanciare "
              "il programma di ripristino.");
    EXPECT_EQ(db.db().scalar("Select Valorestringa from AppoggioTemp").toString(), "DDT");
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 1);
}

// Malformed option values are usage errors, told in Italian, with nothing written.
TEST_F(RunCommandTest, ValoriMalformatiSonoErroriDUso) {
    preventivo(1);
    const QStringList base{"--quote-type", "PR", "--doc-type", "FT"};
    struct Caso {
        QStringList opzioni;
        QString errore;
    };
    const QList<Caso> casi{
        {QStringList{"--date", "32/01/2024"}, "Data non valida per --date: 32/01/2024"},
        {QStringList{"--date", "30/06/2024", "--working-date", "domani"},
         "Data non valida per --working-date: domani"},
        {QStringList{"--date", "30/06/2024", "--quote-number-from", "abc"},
         "Numero non valido per --quote-number-from: abc"},
        {QStringList{"--date", "30/06/2024", "--doc-number-to", "-3"},
         "Numero non valido per --doc-number-to: -3"},
        {QStringList{"--date", "30/06/2024", "--vat-month", "13"},
         "Numero non valido per --vat-month: 13"},
        {QStringList{"--date", "30/06/2024", "--purchases", "xyz"},
         "Valore non valido per --purchases: xyz"},
        {QStringList{"--date", "30/06/2024", "--rate", "USD"}, "Cambio non valido per --rate: USD"},
        {QStringList{"--date", "30/06/2024", "--rate", "USD=-1"},
         "Cambio non valido per --rate: USD=-1"},
        {QStringList{"--date", "30/06/2024", "--rate", "USD=1", "--rate", "usd=2"},
         "Cambio ripetuto per la moneta usd"},
        {QStringList{"--date", "30/06/2024", "--customer-from", "1", "--customer-from", "2"},
         "Opzione ripetuta: --customer-from"},
        {QStringList{"--date", "30/06/2024", "--cliente", "1"}, "Opzione sconosciuta: --cliente"},
        {QStringList{"--date", "30/06/2024", "--purchases", "all"},
         "Con un Doc. di evasione fattura o DDT non si creano acquisti"},
        {QStringList{"--date"}, "Manca il valore dell'opzione --date"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.opzioni.join(' ').toStdString());
        EXPECT_EQ(esegui(base + caso.opzioni), ExitCode::Usage);
        EXPECT_TRUE(err.startsWith(caso.errore)) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
        EXPECT_EQ(scritte(), 0);
    }
    QTextStream o(&out), e(&err);
    err.clear();
    EXPECT_EQ(RunFulfilment({"--user", "mario", "--date", "30/06/2024"}, o, e, ui),
              ExitCode::Usage);
    EXPECT_TRUE(err.startsWith("Indicare il database (--db) e l'utente (--user)"));
}

TEST_F(RunCommandTest, SoloASaldoChiudeIPreventivi) {
    preventivo(1);
    preventivo(2);
    EXPECT_EQ(chiudi({"--json"}), ExitCode::Ok) << err.toStdString();
    EXPECT_EQ(chiusi(), (QSet<int>{1, 2}));
    EXPECT_EQ(conta("Select count(*) from PreVenDett where StatoRiga = 'E'"), 2);
    EXPECT_EQ(conta("Select count(*) from LockGest") + conta("Select count(*) from AppoggioTemp"),
              0);
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(o.value("outcome").toString(), "completed");
    EXPECT_EQ(o.value("quotes").toInt(), 2);
    EXPECT_EQ(o.value("errorCount").toInt(), 0);
}

// Manual mode works on the user's staged quotes only, whatever the criteria say.
TEST_F(RunCommandTest, SelezioneManualeDellUtente) {
    for (int n : {1, 2, 3})
        preventivo(n);
    for (const auto& [utente, numRif] : QList<QPair<QString, int>>{{"mario", 2}, {"luigi", 3}}) {
        db.insert("PreVenEvaTest",
                  {{"Utente", utente}, {"Anno", 2024}, {"NumRif", numRif}, {"Selez", "S"}});
        db.insert("PreVenEvaDett", {{"Utente", utente},
                                    {"Anno", 2024},
                                    {"NumRif", numRif},
                                    {"RigLiv", 1},
                                    {"Livello1", " "},
                                    {"Livello2", " "},
                                    {"RigDet", 1},
                                    {"Qta", 10},
                                    {"QtaDaEva", 10},
                                    {"ASaldo", "S"}});
    }
    EXPECT_EQ(chiudi({"--staged"}), ExitCode::Ok) << err.toStdString();
    EXPECT_EQ(chiusi(), QSet<int>{2});
}

// A quote held by another user, given up on: refused, only the other user's mark stays.
TEST_F(RunCommandTest, PreventivoInUsoDaAltri) {
    preventivo(1);
    db.insert("LockGest", {{"Tipo", "P"}, {"Anno", 2024}, {"NumReg", 1}, {"Utente", "luigi"}});
    ui.answers << 1 << 2;  // "Riprova", then "Esci"
    EXPECT_EQ(chiudi({}), ExitCode::Refused);
    EXPECT_EQ(ui.messages.count("Preventivi n.rif 1 anno 2024 in uso da luigi"), 2);
    EXPECT_EQ(conta("Select count(*) from LockGest"), 1);
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 0);
    EXPECT_TRUE(chiusi().isEmpty());
}

// The demo company's quotes fulfilled into invoices: the documents with Italian totals, then
// the same as JSON; a second run finds nothing left.
TEST(RunCommandDemo, EvasioneInFattureDellaDittaDimostrativa) {
    TestDb db;
    DemoCompanyBuilder(db.db(), DemoOptions{12, 3, 5}).build();
    ScriptedUiServices ui;
    QString out, err;
    QTextStream o(&out), e(&err);
    const QStringList args{"--db",       db.name(),      "--user", "demo",       "--date",
                           "31/12/2026", "--quote-type", "PV",     "--doc-type", "FA"};
    ASSERT_EQ(RunFulfilment(args + QStringList{"--json"}, o, e, ui), ExitCode::Ok)
        << err.toStdString() << out.toStdString();
    o.flush();
    QJsonParseError errore;
    const QJsonObject rapporto = QJsonDocument::fromJson(out.toUtf8(), &errore).object();
    ASSERT_EQ(errore.error, QJsonParseError::NoError) << out.toStdString();
    const QJsonArray documenti = rapporto.value("documents").toArray();
    ASSERT_FALSE(documenti.isEmpty());
    EXPECT_EQ(documenti.size(), db.db().scalar("Select count(*) from FatTest").toInt());
    EXPECT_GT(rapporto.value("quotes").toInt(), 0);
    for (const QJsonValue& d : documenti) {
        const QJsonObject doc = d.toObject();
        EXPECT_EQ(doc.value("type").toString(), "FA");
        EXPECT_GT(doc.value("lines").toInt(), 0);
        EXPECT_GT(doc.value("total").toDouble(), 0);
    }
    EXPECT_EQ(db.db().scalar("Select count(*) from DocDaElab").toInt(), 0);
    EXPECT_EQ(db.db().scalar("Select count(*) from LockGest").toInt(), 0);

    out.clear();
    EXPECT_EQ(RunFulfilment(args, o, e, ui), ExitCode::Refused);
    o.flush();
    EXPECT_EQ(ui.messages.last(), "Non ci sono Preventivi vendita nell'intervallo");
}

// The text report: one line per document with Italian amounts.
TEST(RunCommandDemo, RapportoTestuale) {
    TestDb db;
    DemoCompanyBuilder(db.db(), DemoOptions{6, 2, 9}).build();
    ScriptedUiServices ui;
    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(RunFulfilment({"--db", db.name(), "--user", "demo", "--date", "31/12/2026",
                             "--quote-type", "PV", "--doc-type", "FA"},
                            o, e, ui),
              ExitCode::Ok)
        << err.toStdString();
    o.flush();
    const QStringList righe = out.split('\n', Qt::SkipEmptyParts);
    const int documenti = db.db().scalar("Select count(*) from FatTest").toInt();
    ASSERT_GT(documenti, 0);
    EXPECT_EQ(righe.first(), "Documenti prodotti: " + QString::number(documenti));
    const QRegularExpression importo(R"(totale -?\d{1,3}(\.\d{3})*,\d\d)");
    for (int i = 1; i <= documenti; ++i) {
        EXPECT_TRUE(righe[i].startsWith("  FA A/")) << righe[i].toStdString();
        EXPECT_TRUE(importo.match(righe[i]).hasMatch()) << righe[i].toStdString();
    }
    EXPECT_TRUE(out.contains("\nPreventivi elaborati: "));
    EXPECT_TRUE(out.endsWith("Errori: 0\n")) << out.toStdString();
}

// evapre recover: nothing to do is said and is no error; a journal row without its document
// is reported and removed, another user's row and the documents are not touched.
TEST_F(RunCommandTest, RipristinoDaRigaDiComando) {
    const auto ripristina = [&] {
        out.clear();
        err.clear();
        QTextStream o(&out);
        QTextStream e(&err);
        return RecoverFulfilment({"--db", db.name(), "--user", "mario"}, o, e, ui);
    };
    EXPECT_EQ(ripristina(), ExitCode::Ok);
    EXPECT_TRUE(out.contains("Nessuna elaborazione interrotta per l'utente mario"))
        << out.toStdString();

    for (const char* utente : {"mario", "luigi"})
        db.insert("DocDaElab",
                  {{"Utente", utente}, {"Programma", "EvaPreEvPr"}, {"Anno", 2024}, {"NumReg", 5}});
    db.insert("FatTest", {{"Anno", 2024}, {"NumRif", 4}});
    EXPECT_EQ(ripristina(), ExitCode::Ok);
    EXPECT_TRUE(out.contains("Riga del giornale senza documento, rimossa: anno 2024 n.5"))
        << out.toStdString();
    EXPECT_EQ(db.db().scalar("Select count(*) from DocDaElab").toInt(), 1);
    EXPECT_EQ(db.db().scalar("Select count(*) from FatTest").toInt(), 1);

    QTextStream e(&err);
    QTextStream o(&out);
    EXPECT_EQ(RecoverFulfilment({"--db", db.name()}, o, e, ui), ExitCode::Usage);
}

}  // namespace
}  // namespace evapre::test
