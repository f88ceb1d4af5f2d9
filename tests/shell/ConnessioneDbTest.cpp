// Opening the company database: the failures and their messages.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QUrl>

#include "ConfigIni.h"
#include "ConnessioneDb.h"
#include "DbConnection.h"
#include "ScriptedUiServices.h"
#include "ShellFakes.h"
#include "TestDb.h"
#include "VeltDbasedll.h"

namespace evapre::test {
namespace {

class ConnessioneTest : public ::testing::Test {
  protected:
    TestDb db;
    QTemporaryDir dir;
    ScriptedUiServices ui;
    FakeHost host;
    RecordingMenu menu{db.db(), QStringLiteral("mario"), QStringLiteral("PC1"), QDate(2024, 1, 1)};

    int open(const QString& name) {
        DbSettings settings;
        settings.nomeDb = name;
        ConnessioneDb connessione(menu, ui, &host);
        return connessione.open(settings, {});
    }
};

TEST_F(ConnessioneTest, OpensAndStoresTheFilePassword) {
    menu.setOverride(QStringLiteral("PwdDbAzie"), QStringLiteral("segreta"));
    const int id = open(db.name());
    EXPECT_NE(id, 0);
    EXPECT_TRUE(ui.messages.isEmpty());
    if (!TestDb::onPostgres()) {
        EXPECT_EQ(VeltDbasedll::instance().setting(QStringLiteral("DbAccPWD")).toString(),
                  QStringLiteral("segreta"));
    }
    EXPECT_EQ(host.connWindows.size(), 1);
}

TEST_F(ConnessioneTest, MissingFileIsAnOpenError) {
    const QString name = dir.filePath(QStringLiteral("manca.db"));
    EXPECT_EQ(open(name), 0);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.first().startsWith(
        QStringLiteral("Errore 3024 nell'apertura del database.\nCorreggere e riprovare. (")));
    EXPECT_EQ(ui.icons.first(), MsgIcon::Critical);
}

TEST_F(ConnessioneTest, NotADatabaseAsksToRepairAndReportsAFailedRepair) {
    const QString name = dir.filePath(QStringLiteral("rotto.db"));
    writeFile(name, QString(2048, QLatin1Char('x')));
    const QString question = QStringLiteral("Errore nell'apertura del database ") + name +
                             QStringLiteral("\nVuoi tentare di recuperarlo");
    // Cancel: nothing more is said.
    ui.answers.enqueue(2);
    EXPECT_EQ(open(name), 0);
    EXPECT_EQ(ui.messages, QStringList{question});
    // OK: the check fails and says so; the file is left as it was.
    ui.messages.clear();
    ui.answers.enqueue(1);
    EXPECT_EQ(open(name), 0);
    ASSERT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0], question);
    EXPECT_TRUE(
        ui.messages[1].startsWith(QStringLiteral("Recupero del database non riuscito: ") + name));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(2048, 'x'));
}

TEST_F(ConnessioneTest, RepairOfASoundFileSucceeds) {
    if (TestDb::onPostgres())
        GTEST_SKIP() << "file databases only";
    QString detail;
    EXPECT_TRUE(ConnessioneDb::repairDatabase(db.name(), &detail)) << detail.toStdString();
}

TEST_F(ConnessioneTest, RefusedServerLoginOffersRetry) {
    const QString user = qEnvironmentVariable("EVAPRE_TEST_PG_PWD_USER");
    if (!TestDb::onPostgres() || user.isEmpty())
        GTEST_SKIP() << "needs the PostgreSQL server and a user with a password";
    QUrl url(db.name());
    url.setUserName(user);
    url.setPassword(QStringLiteral("sbagliata"));
    ui.answers.enqueue(1);  // &Riprovare
    ui.answers.enqueue(2);  // &Annulla
    EXPECT_EQ(open(url.toString()), 0);
    EXPECT_EQ(ui.messages, QStringList(2, QStringLiteral("Utente o password non validi per SQL")))
        << ui.messages.join(" / ").toStdString();
    EXPECT_EQ(ui.buttonLists.first(),
              (QStringList{QStringLiteral("&Riprovare"), QStringLiteral("&Annulla")}));
}

}  // namespace
}  // namespace evapre::test
