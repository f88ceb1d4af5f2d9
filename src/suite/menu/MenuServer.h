#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <functional>

#include "MenuClient.h"

class QLocalServer;

namespace evapre {

// The menu side of the local-socket protocol (see README.md): answers the requests of the
// program it launched from a backend menu client (parameters, identity, working date), keeps
// the registration, and sends commands to the registered program. Other connections may ask
// it to forward a command ("send") and get the program's answer back.
class MenuServer : public QObject {
    Q_OBJECT
  public:
    using AnswerHandler = std::function<void(const QVariant& answer, const QString& error)>;

    explicit MenuServer(MenuClient& backend, QObject* parent = nullptr);
    ~MenuServer() override;

    // Listens on name; a stale socket left by a dead menu is removed, a live one is an error.
    bool listen(const QString& name, QString* error);
    QString name() const;

    void setLaunchInfo(const LaunchInfo& info) { mLaunchInfo = info; }
    const LaunchInfo& launchInfo() const { return mLaunchInfo; }
    // What the program is told when it asks to bring the menu forward or launch a program.
    void setBringForwardResult(bool ok) { mBringForwardOk = ok; }

    bool programRegistered() const { return mProgram != nullptr && mRegistered; }
    QString programKey() const { return mProgramKey; }

    // Sends a command to the registered program; done runs with its answer, or with an error
    // text when no program is registered or it goes away before answering.
    void sendCommand(const QString& command, const QVariant& param, const AnswerHandler& done,
                     const QString& keySec = {});

  signals:
    void log(const QString& line);
    void programRegistered(const QString& menuId, const QString& programKey,
                           const QString& programSubKey);
    void registrationEnded();
    void programDisconnected();

  private:
    struct Pending {
        AnswerHandler done;
    };

    void accept();
    void readFrom(QLocalSocket* socket);
    void handleRequest(QLocalSocket* socket, const QJsonObject& request);
    void handleAnswer(const QJsonObject& answer);
    void dropConnection(QLocalSocket* socket);
    QJsonValue answerOp(QLocalSocket* socket, const QString& op, const QJsonObject& request,
                        bool* deferred);

    MenuClient& mBackend;
    QLocalServer* mServer;
    QPointer<QLocalSocket> mProgram;
    bool mRegistered = false;
    QString mMenuId;
    QString mProgramKey;
    QString mProgramSubKey;
    LaunchInfo mLaunchInfo;
    bool mBringForwardOk = true;
    int mNextCommand = 1;
    QHash<QLocalSocket*, QByteArray> mBuffers;
    QHash<int, Pending> mPending;
};

}  // namespace evapre
