#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>

#include "MenuClient.h"

class QLocalSocket;

namespace evapre {

// The menu client that talks to the running menu program over a local socket named by the
// menu identity (launch parameter M). Requests wait for their reply; commands the menu sends
// arrive as events and are answered with whatever the commandReceived handler writes.
class LocalSocketMenuClient : public MenuClient {
    Q_OBJECT
  public:
    explicit LocalSocketMenuClient(QObject* parent = nullptr, int timeoutMs = 10000);
    ~LocalSocketMenuClient() override;

    // Connects to the menu named menuId and registers; false when the menu is not running
    // or refuses.
    bool registerClient(const QString& menuId, const QString& programKey,
                        const QString& programSubKey = {}) override;
    LaunchInfo launchInfo() override;
    QString iniPath() override;
    QString generalParameter(const QString& name, const QString& section) override;
    QString parameter(const QString& key) override;
    QString userName() override;
    QString terminalName() override;
    QDate workingDate() override;
    void acknowledgeActivation() override;
    bool bringMainWindowForward() override;
    bool launchProgram(const QString& key, const QString& keySec, const QString& param) override;
    void formEnded(const QString& keySec) override;
    void endRegistration() override;

    bool isConnected() const;

  private:
    // Sends a request and waits for its reply; MenuError when the menu is gone, silent or
    // refuses.
    QJsonValue request(const QString& op, QJsonObject args = {});
    QString textRequest(const QString& op, QJsonObject args = {});
    void readAvailable();
    void runPendingCommands();
    void answerCommand(const QJsonObject& command);

    QLocalSocket* mSocket;
    int mTimeoutMs;
    int mNextId = 1;
    int mWaiting = 0;
    bool mRegistered = false;
    QByteArray mBuffer;
    QHash<int, QJsonObject> mReplies;
    QList<QJsonObject> mPendingCommands;
};

}  // namespace evapre
