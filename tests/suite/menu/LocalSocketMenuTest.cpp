// The local-socket menu client against the menu server, run in a thread of its own as the
// menu program would be a process of its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLocalSocket>
#include <QMutex>
#include <QThread>
#include <QUuid>

#include "LocalSocketMenuClient.h"
#include "MenuError.h"
#include "MenuServer.h"
#include "MenuWire.h"

namespace evapre::test {
namespace {

class FakeBackend : public MenuClient {
  public:
    bool registerClient(const QString&, const QString&, const QString&) override { return true; }
    LaunchInfo launchInfo() override { return {}; }
    QString iniPath() override { return QStringLiteral("/etc/tovwin.ini"); }
    QString generalParameter(const QString& name, const QString& section) override {
        return section + QLatin1Char('/') + name;
    }
    QString parameter(const QString& key) override {
        if (key.startsWith(QLatin1String("Personal.")))
            return personalMarker();
        return key == QLatin1String("Ditta.Moneta") ? QStringLiteral("Euro") : QString();
    }
    QString userName() override { return QStringLiteral("mario"); }
    QString terminalName() override { return QStringLiteral("PC1"); }
    QDate workingDate() override { return QDate(2024, 3, 15); }
    void acknowledgeActivation() override {}
    bool bringMainWindowForward() override { return true; }
    bool launchProgram(const QString&, const QString&, const QString&) override { return true; }
    void formEnded(const QString&) override {}
    void endRegistration() override {}
};

class MenuSocketTest : public ::testing::Test {
  protected:
    QThread thread;
    FakeBackend* backend = nullptr;
    MenuServer* server = nullptr;
    QString name = QStringLiteral("evapre-test-") + QUuid::createUuid().toString(QUuid::Id128);
    QMutex mutex;
    QStringList log;

    void SetUp() override {
        backend = new FakeBackend;
        server = new MenuServer(*backend);
        server->setLaunchInfo({QStringLiteral("/F:frmEvasPre"), {}, {}, {}});
        QObject::connect(server, &MenuServer::log, server, [this](const QString& line) {
            QMutexLocker lock(&mutex);
            log << line;
        });
        backend->moveToThread(&thread);
        server->moveToThread(&thread);
        thread.start();
        bool listening = false;
        QMetaObject::invokeMethod(
            server, [&] { listening = server->listen(name, nullptr); },
            Qt::BlockingQueuedConnection);
        ASSERT_TRUE(listening);
    }
    void TearDown() override {
        QMetaObject::invokeMethod(
            server,
            [this] {
                delete server;
                delete backend;
            },
            Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    }

    // Processes this thread's events until done() or a time limit.
    static bool waitFor(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(1);
        }
        return done();
    }
};

TEST_F(MenuSocketTest, RequestsAreAnsweredByTheMenu) {
    LocalSocketMenuClient client;
    ASSERT_TRUE(client.registerClient(name, QStringLiteral("EvaPre"), QStringLiteral("EvPr")));
    EXPECT_EQ(client.parameter(QStringLiteral("Ditta.Moneta")), QStringLiteral("Euro"));
    EXPECT_EQ(client.parameter(QStringLiteral("Personal.Tutti.X")), MenuClient::personalMarker());
    EXPECT_EQ(client.generalParameter(QStringLiteral("PrepProcCorr"), QStringLiteral("Tutti")),
              QStringLiteral("Tutti/PrepProcCorr"));
    EXPECT_EQ(client.userName(), QStringLiteral("mario"));
    EXPECT_EQ(client.terminalName(), QStringLiteral("PC1"));
    EXPECT_EQ(client.workingDate(), QDate(2024, 3, 15));
    EXPECT_EQ(client.iniPath(), QStringLiteral("/etc/tovwin.ini"));
    EXPECT_EQ(client.launchInfo().osParam, QStringLiteral("/F:frmEvasPre"));
    EXPECT_TRUE(client.bringMainWindowForward());
    EXPECT_TRUE(client.launchProgram(QStringLiteral("FatVen"), QStringLiteral("FV"), {}));
    client.formEnded(QStringLiteral("EvPr"));
    client.endRegistration();
    QMutexLocker lock(&mutex);
    EXPECT_TRUE(log.contains(QStringLiteral("registrato: EvaPre EvPr")));
    EXPECT_TRUE(log.contains(QStringLiteral("form terminata: EvPr")));
    EXPECT_TRUE(log.contains(QStringLiteral("registrazione terminata")));
}

TEST_F(MenuSocketTest, NoMenuMeansNotRegistered) {
    LocalSocketMenuClient client(nullptr, 500);
    EXPECT_FALSE(client.registerClient(name + QStringLiteral("-altro"), QStringLiteral("EvaPre")));
    EXPECT_FALSE(client.registerClient(QString(), QStringLiteral("EvaPre")));
    EXPECT_THROW(client.parameter(QStringLiteral("Ditta.Moneta")), MenuError);
    EXPECT_FALSE(client.bringMainWindowForward());
}

TEST_F(MenuSocketTest, CommandsReachTheProgramAndTheAnswerGoesBack) {
    LocalSocketMenuClient client;
    QStringList received;
    QObject::connect(&client, &MenuClient::commandReceived,
                     [&](const QString&, const QString& keySec, const QString& command,
                         const QVariant& param, QVariant* answer) {
                         received << command + QLatin1Char('|') + keySec + QLatin1Char('|') +
                                         param.toList().value(1).toString();
                         *answer = command == QLatin1String("esiste")
                                       ? QVariant(true)
                                       : QVariant(QStringLiteral("No Chiudi"));
                     });
    ASSERT_TRUE(client.registerClient(name, QStringLiteral("EvaPre"), QStringLiteral("EvPr")));

    // A command of the menu itself.
    QVariant answer;
    bool answered = false;
    QMetaObject::invokeMethod(server, [&] {
        server->sendCommand(QStringLiteral("esiste"), {}, [&](const QVariant& a, const QString&) {
            answer = a;
            answered = true;
        });
    });
    ASSERT_TRUE(waitFor([&] { return answered; }));
    EXPECT_EQ(answer, QVariant(true));

    // A command forwarded for another connection (evapre-menu send).
    QLocalSocket control;
    control.connectToServer(name);
    ASSERT_TRUE(control.waitForConnected(2000));
    control.write(menuwire::encode(
        {{QStringLiteral("id"), 7},
         {QStringLiteral("op"), QStringLiteral("send")},
         {QStringLiteral("command"), QStringLiteral("fine")},
         {QStringLiteral("param"), QJsonArray{QJsonValue(QStringLiteral("a")), QJsonValue(2)}}}));
    control.flush();
    QByteArray buffer;
    QList<QJsonObject> replies;
    ASSERT_TRUE(waitFor([&] {
        replies << menuwire::readMessages(control, buffer);
        return !replies.isEmpty();
    }));
    EXPECT_EQ(replies.first().value(QStringLiteral("id")).toInt(), 7);
    EXPECT_TRUE(replies.first().value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(replies.first().value(QStringLiteral("result")).toString(),
              QStringLiteral("No Chiudi"));
    EXPECT_EQ(received,
              (QStringList{QStringLiteral("esiste|EvPr|"), QStringLiteral("fine|EvPr|2")}));
}

TEST_F(MenuSocketTest, SendWithoutAProgramIsAnError) {
    QLocalSocket control;
    control.connectToServer(name);
    ASSERT_TRUE(control.waitForConnected(2000));
    control.write(menuwire::encode({{QStringLiteral("id"), 1},
                                    {QStringLiteral("op"), QStringLiteral("send")},
                                    {QStringLiteral("command"), QStringLiteral("esiste")}}));
    control.flush();
    QByteArray buffer;
    QList<QJsonObject> replies;
    ASSERT_TRUE(waitFor([&] {
        control.waitForReadyRead(10);
        replies << menuwire::readMessages(control, buffer);
        return !replies.isEmpty();
    }));
    EXPECT_FALSE(replies.first().value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(replies.first().value(QStringLiteral("error")).toString(),
              QStringLiteral("Nessun programma registrato presso il menu"));
}

}  // namespace
}  // namespace evapre::test
