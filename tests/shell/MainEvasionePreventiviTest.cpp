// The launch protocol: start-up, the menu's commands, the form dispatcher and the close.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

#include "LaunchParams.h"
#include "ScriptedUiServices.h"
#include "ShellFakes.h"
#include "TestDb.h"
#include "VeltDbasedll.h"
#include "mainEvasionePreventivi.h"

namespace evapre::test {
namespace {

QString launchLine(const QString& p = QStringLiteral("EvaPre EvPr"),
                   const QString& f = QStringLiteral("frmEvasPre")) {
    return BuildLaunchParams({{QLatin1Char('M'), QStringLiteral("menu01")},
                              {QLatin1Char('P'), p},
                              {QLatin1Char('F'), f}});
}

class ShellTest : public ::testing::Test {
  protected:
    TestDb db;
    QTemporaryDir dir;
    ScriptedUiServices ui;
    FakeHost host;
    RecordingMenu* menu = nullptr;
    bool registerOk = true;
    std::unique_ptr<mainEvasionePreventivi> shell;
    QList<QPointer<FakeForm>> forms;
    QString ini;

    void SetUp() override {
        FakeForm::loadOk = true;
        FakeForm::refuseClose = false;
        FormRegistry::clear();
        FormRegistry::registerForm(QStringLiteral("frmevaspre"), [this] {
            auto form = std::make_unique<FakeForm>(QStringLiteral("frmEvasPre"));
            forms << form.get();
            return form;
        });
        ini = dir.filePath(QStringLiteral("tovwin.ini"));
        writeFile(ini, QStringLiteral("[Connessioni]\nNomeDB=") + db.name() + QLatin1Char('\n'));
    }
    void TearDown() override {
        shell.reset();
        FormRegistry::clear();
    }

    bool start(const QString& line = launchLine()) {
        shell = std::make_unique<mainEvasionePreventivi>(ui, host, [this] {
            auto client = std::make_unique<RecordingMenu>(
                db.db(), QStringLiteral("mario"), QStringLiteral("PC1"), QDate(2024, 3, 15));
            client->setIniPath(ini);
            client->registerOk = registerOk;
            menu = client.get();
            return client;
        });
        shell->setIniSearchPlaces({});
        return shell->start(line);
    }

    // Lets the close timer run until the program ends (or gives up after a while).
    void settle(int ms = 1500) {
        QElapsedTimer clock;
        clock.start();
        while (!shell->ended() && clock.elapsed() < ms) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QCoreApplication::processEvents();
    }

    FakeForm* form() const { return forms.isEmpty() ? nullptr : forms.last().data(); }
};

TEST_F(ShellTest, StartsAndOpensTheLaunchFormWithItsKeys) {
    ASSERT_TRUE(start()) << ui.messages.join(QStringLiteral(" / ")).toStdString();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(shell->state().programKey, QStringLiteral("EvaPre"));
    EXPECT_EQ(shell->state().programSubKey, QStringLiteral("EvPr"));
    EXPECT_EQ(menu->calls.first(), QStringLiteral("register menu01|EvaPre|EvPr"));
    ASSERT_EQ(shell->forms().size(), 1u);
    EXPECT_EQ(form()->osKeySec, QStringLiteral("EvPr"));
    EXPECT_EQ(form()->calls.first(), QStringLiteral("show"));
    EXPECT_NE(shell->state().dbId, 0);
}

TEST_F(ShellTest, LaunchParameterEdgeCases) {
    struct Case {
        const char* p;
        const char* form;
        const char* key;
        const char* sub;
        bool opens;
    };
    const Case cases[] = {
        {"EvaPre", "frmEvasPre", "EvaPre", "", true},                       // no blank: no sub-key
        {"EvaPre EvPr Altro", "FRMEVASPRE", "EvaPre", "EvPr Altro", true},  // rest after 1st blank
        {"EvaPre EvPr", "  frmevaspre ", "EvaPre", "EvPr", true},
        {"EvaPre EvPr", "frmAltro", "EvaPre", "EvPr", false},
        {"EvaPre EvPr", "", "EvaPre", "EvPr", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.p) + " / " + c.form);
        ui.messages.clear();
        forms.clear();
        start(launchLine(QString::fromUtf8(c.p), QString::fromUtf8(c.form)));
        EXPECT_EQ(shell->state().programKey, QString::fromUtf8(c.key));
        EXPECT_EQ(shell->state().programSubKey, QString::fromUtf8(c.sub));
        if (c.opens) {
            EXPECT_EQ(shell->forms().size(), 1u);
            EXPECT_TRUE(ui.messages.isEmpty());
        } else {
            EXPECT_TRUE(shell->forms().empty());
            EXPECT_EQ(ui.messages, QStringList{QStringLiteral("La form richiesta e' inesistente")});
            settle();
            EXPECT_TRUE(shell->ended());
        }
        shell.reset();
    }
}

TEST_F(ShellTest, MenuNotRunningEndsTheStart) {
    registerOk = false;
    EXPECT_FALSE(start());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages.first(),
              QStringLiteral("Il menu principale non è in esecuzione\n"
                             "Questo programma non può essere eseguito autonomamente"));
    settle();
    EXPECT_TRUE(shell->ended());
    EXPECT_EQ(shell->exitCode(), 1);
    EXPECT_EQ(host.quits, 1);
}

TEST_F(ShellTest, FormThatFailsToLoadClosesTheProgram) {
    FakeForm::loadOk = false;
    start();
    EXPECT_TRUE(shell->forms().empty());
    settle();
    EXPECT_TRUE(shell->ended());
    EXPECT_FALSE(menu == nullptr);
}

TEST_F(ShellTest, CommandTable) {
    ASSERT_TRUE(start());
    struct Case {
        QString command;
        QVariant param;
        QVariant reply;
        QString message;  // empty: no message
    };
    const QVariantList sent{QStringLiteral("FE"), 1, 0, QString(), 0, 0, 1234};
    const QVariantList sentWithErrors{
        QStringLiteral("FE"), 1, 0, QStringLiteral("3 fatture"), 0, 0, 7};
    const QVariantList sendFailed{QStringLiteral("FE"), 1, 12,
                                  QStringLiteral("SDI non raggiungibile")};
    const QVariantList waiting{QStringLiteral("FE"), 1, 0, 4};
    const QVariantList noneWaiting{QStringLiteral("FE"), 1, 0, 0};
    const Case cases[] = {
        {QStringLiteral("esiste"), {}, true, {}},
        {QStringLiteral("ESISTE"), {}, true, {}},
        {QStringLiteral("paramprgclie"), {}, QStringLiteral("$Default$"), {}},
        {QStringLiteral("comandoprgclie"), {}, QString(), {}},
        {QStringLiteral("keyprgprim"), {}, QString(), {}},
        {QStringLiteral("keyprgsec"), {}, QString(), {}},
        {QStringLiteral("sconosciuto"), QStringLiteral("x"), QString(), {}},
        {QStringLiteral("preppassaa"), {}, QString(), {}},
        {QStringLiteral("FEInvio"), sent, QString(), QStringLiteral("Inviate 1.234 fatture")},
        {QStringLiteral("feinvio"), sentWithErrors, QString(),
         QStringLiteral("Inviate 7 fatture\nFatture non inviate per errori 3 fatture")},
        {QStringLiteral("FEInvio"), sendFailed, QString(),
         QStringLiteral(
             "Errore nell'invio delle fatture elettroniche\nErr: 12 SDI non raggiungibile")},
        {QStringLiteral("FEInvio"), QStringLiteral("non un elenco"), QString(), {}},
        {QStringLiteral("FEAttesa"), waiting, QString(),
         QStringLiteral("Ci sono 4 fatture in attesa")},
        {QStringLiteral("FEAttesa"), noneWaiting, QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        ui.messages.clear();
        ui.buttonLists.clear();
        const QVariant reply = shell->comando(c.command, c.param);
        EXPECT_EQ(reply, c.reply);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join('|').toStdString();
        } else {
            EXPECT_EQ(ui.messages, QStringList{c.message});
            EXPECT_EQ(ui.buttonLists.value(0), QStringList{QStringLiteral("&Ok")});
        }
    }
    EXPECT_TRUE(form()->calls.contains(QStringLiteral("passaa")));
    EXPECT_FALSE(shell->ended());
}

TEST_F(ShellTest, FineWithAModalWindowOpenKeepsRunning) {
    ASSERT_TRUE(start());
    host.modal = true;
    EXPECT_EQ(shell->comando(QStringLiteral("fine")), QVariant(QStringLiteral("Maschera Modal")));
    EXPECT_FALSE(shell->ended());
    EXPECT_EQ(shell->forms().size(), 1u);
    EXPECT_FALSE(shell->state().closing);

    host.modal = false;
    EXPECT_EQ(shell->comando(QStringLiteral("fine")), QVariant(QString()));
    EXPECT_TRUE(shell->ended());
    EXPECT_TRUE(shell->forms().empty());
    // A form closed by "fine" does not hand control back to the menu.
    EXPECT_FALSE(menu->calls.contains(QStringLiteral("forward")));
    EXPECT_TRUE(menu->calls.contains(QStringLiteral("endRegistration")));
    EXPECT_FALSE(VeltDbasedll::instance().hasConnection(shell->state().dbId));
}

TEST_F(ShellTest, FineRefusedByAFormRepliesNoChiudi) {
    ASSERT_TRUE(start());
    FakeForm::refuseClose = true;
    EXPECT_EQ(shell->comando(QStringLiteral("fine")), QVariant(QStringLiteral("No Chiudi")));
    EXPECT_FALSE(shell->ended());
}

TEST_F(ShellTest, ClosingTheFormHandsBackToTheMenuAndEnds) {
    ASSERT_TRUE(start());
    form()->userCloses();
    EXPECT_TRUE(menu->calls.contains(QStringLiteral("forward")));
    EXPECT_TRUE(menu->calls.contains(QStringLiteral("ended EvPr")));
    settle();
    EXPECT_TRUE(shell->ended());
    EXPECT_EQ(shell->exitCode(), 0);
}

TEST_F(ShellTest, ClosingAFormLaunchedByAnotherProgramRelaunchesIt) {
    ASSERT_TRUE(start());
    shell->comando(QStringLiteral("passaa"), QStringLiteral("frmEvasPre"));
    form()->osKeyLancia = QStringLiteral("FatVen");
    form()->osKeySecLancia = QStringLiteral("FV");
    form()->osParamLancia = QStringLiteral("/F:frmFat");
    form()->userCloses();
    EXPECT_TRUE(menu->calls.contains(QStringLiteral("launch FatVen|FV|/F:frmFat")));
    EXPECT_FALSE(menu->calls.contains(QStringLiteral("forward")));
}

TEST_F(ShellTest, MenuGoneIsReported) {
    ASSERT_TRUE(start());
    menu->forwardOk = false;
    shell->mostraMenu();
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Il menu non è più disponibile")});
}

TEST_F(ShellTest, PassaaToALoadedFormReactivatesIt) {
    ASSERT_TRUE(start());
    shell->comando(QStringLiteral("passaa"), QStringLiteral("FRMEVASPRE"));
    EXPECT_EQ(shell->forms().size(), 1u);
    EXPECT_TRUE(form()->calls.contains(QStringLiteral("attivato")));
}

TEST_F(ShellTest, PassaaToAnUnknownFormReportsItAndCloses) {
    ASSERT_TRUE(start());
    EXPECT_EQ(shell->comando(QStringLiteral("passaa"), QStringLiteral("frmNonCe")),
              QVariant(QString()));
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("La form richiesta e' inesistente")});
    settle();
    EXPECT_TRUE(shell->ended());
}

TEST_F(ShellTest, AttivaReopensTheFormOfTheLaunchInformation) {
    ASSERT_TRUE(start());
    menu->setLaunchInfo({QStringLiteral("/F:frmEvasPre"), QStringLiteral("Chi"),
                         QStringLiteral("K2"), QStringLiteral("par")});
    EXPECT_EQ(shell->comando(QStringLiteral("attiva")), QVariant(QString()));
    EXPECT_TRUE(menu->calls.contains(QStringLiteral("ack")));
    EXPECT_EQ(form()->osKeyLancia, QStringLiteral("Chi"));
    EXPECT_EQ(form()->osParam, QStringLiteral("/F:frmEvasPre"));
}

TEST_F(ShellTest, StartUpValuesAndHiddenPrices) {
    db.insert(QStringLiteral("MenuParametriPersonali"),
              {{QStringLiteral("Utente"), QStringLiteral("*")},
               {QStringLiteral("Sezione"), QStringLiteral("Preventivi")},
               {QStringLiteral("Nome"), QStringLiteral("DisabTermVisPrz")},
               {QStringLiteral("Valore"), QStringLiteral("PC9;PC1")}});
    db.insert(QStringLiteral("MenuParametriPersonali"),
              {{QStringLiteral("Utente"), QStringLiteral("mario")},
               {QStringLiteral("Sezione"), QStringLiteral("Tutti")},
               {QStringLiteral("Nome"), QStringLiteral("ArrUnitIntermedio")},
               {QStringLiteral("Valore"), QStringLiteral("S")}});
    ASSERT_TRUE(start());
    EXPECT_TRUE(shell->state().pricesHidden);
    EXPECT_TRUE(shell->state().arrUnitIntermedio);
    EXPECT_EQ(shell->state().dataMinima, QStringLiteral("01/01/1900"));
    EXPECT_EQ(shell->state().formatData, QStringLiteral("dd/mm/yyyy"));
}

TEST_F(ShellTest, VersionLabelsGoToTheConnectionWindow) {
    db.insert(QStringLiteral("MenuParametri"),
              {{QStringLiteral("Chiave"), QStringLiteral("Versione")},
               {QStringLiteral("Valore"), QStringLiteral("5.2")}});
    db.insert(QStringLiteral("MenuParametri"),
              {{QStringLiteral("Chiave"), QStringLiteral("DataVersione")},
               {QStringLiteral("Valore"), QStringLiteral("01/02/2024")}});
    ASSERT_TRUE(start());
    ASSERT_EQ(host.connWindows.size(), 1);
    EXPECT_TRUE(host.connWindows.first().endsWith(QStringLiteral("|Versione 5.2|del 01/02/2024")));
}

TEST_F(ShellTest, MissingIniFileIsFatal) {
    ini = dir.filePath(QStringLiteral("nessuno.ini"));
    start();
    // The menu's path is used as given; without NomeDB nor NomeDBAzie nothing can open.
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.messages.first().startsWith(QStringLiteral("File di inizializzazioni: ")));
    settle();
    EXPECT_TRUE(shell->ended());
    EXPECT_EQ(shell->exitCode(), 1);
}

}  // namespace
}  // namespace evapre::test
