#include "LocalSocketMenuClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QTimer>

#include "MenuError.h"
#include "MenuWire.h"

namespace evapre {

namespace {

QString notRunning() {
    return QStringLiteral("Il menu principale non è in esecuzione");
}

}  // namespace

LocalSocketMenuClient::LocalSocketMenuClient(QObject* parent, int timeoutMs)
    : MenuClient(parent), mSocket(new QLocalSocket(this)), mTimeoutMs(timeoutMs) {
    connect(mSocket, &QLocalSocket::readyRead, this, [this] {
        readAvailable();
        if (mWaiting == 0)
            runPendingCommands();
    });
}

LocalSocketMenuClient::~LocalSocketMenuClient() {
    if (mSocket->state() == QLocalSocket::ConnectedState) {
        mSocket->flush();
        mSocket->disconnectFromServer();
        if (mSocket->state() != QLocalSocket::UnconnectedState)
            mSocket->waitForDisconnected(1000);
    }
}

bool LocalSocketMenuClient::isConnected() const {
    return mSocket->state() == QLocalSocket::ConnectedState;
}

bool LocalSocketMenuClient::registerClient(const QString& menuId, const QString& programKey,
                                           const QString& programSubKey) {
    if (menuId.trimmed().isEmpty())
        return false;
    if (!isConnected()) {
        mSocket->connectToServer(menuId.trimmed());
        if (!mSocket->waitForConnected(mTimeoutMs))
            return false;
    }
    try {
        const QJsonValue result =
            request(QStringLiteral("register"), {{QStringLiteral("menuId"), menuId},
                                                 {QStringLiteral("programKey"), programKey},
                                                 {QStringLiteral("programSubKey"), programSubKey}});
        mRegistered = result.toBool(true);
    } catch (const MenuError&) {
        mRegistered = false;
    }
    return mRegistered;
}

void LocalSocketMenuClient::readAvailable() {
    for (const QJsonObject& message : menuwire::readMessages(*mSocket, mBuffer)) {
        if (message.contains(QStringLiteral("cmd")))
            mPendingCommands << message;
        else if (message.contains(QStringLiteral("id")))
            mReplies.insert(message.value(QStringLiteral("id")).toInt(), message);
    }
}

void LocalSocketMenuClient::runPendingCommands() {
    // One at a time: a handler may open a modal window and so come back here re-entrantly.
    while (!mPendingCommands.isEmpty() && mWaiting == 0) {
        const QJsonObject command = mPendingCommands.takeFirst();
        answerCommand(command);
    }
}

void LocalSocketMenuClient::answerCommand(const QJsonObject& command) {
    QVariant answer = QString();
    emit commandReceived(command.value(QStringLiteral("menuId")).toString(),
                         command.value(QStringLiteral("keySec")).toString(),
                         command.value(QStringLiteral("command")).toString(),
                         menuwire::fromJson(command.value(QStringLiteral("param"))), &answer);
    if (!isConnected())
        return;
    mSocket->write(menuwire::encode({{QStringLiteral("cmd"), command.value(QStringLiteral("cmd"))},
                                     {QStringLiteral("answer"), menuwire::toJson(answer)}}));
    mSocket->flush();
}

QJsonValue LocalSocketMenuClient::request(const QString& op, QJsonObject args) {
    if (!isConnected())
        throw MenuError(notRunning());
    const int id = mNextId++;
    args.insert(QStringLiteral("id"), id);
    args.insert(QStringLiteral("op"), op);
    mSocket->write(menuwire::encode(args));
    mSocket->flush();

    // Commands that arrive meanwhile wait until the reply is in, then run from the event loop.
    ++mWaiting;
    QDeadlineTimer deadline(mTimeoutMs);
    while (!mReplies.contains(id)) {
        if (!isConnected() || deadline.hasExpired() ||
            !mSocket->waitForReadyRead(
                static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))) {
            readAvailable();
            if (mReplies.contains(id))
                break;
            --mWaiting;
            throw MenuError(isConnected()
                                ? QStringLiteral("Il menu non risponde (") + op + QLatin1Char(')')
                                : notRunning());
        }
        readAvailable();
    }
    --mWaiting;
    if (!mPendingCommands.isEmpty() && mWaiting == 0)
        QTimer::singleShot(0, this, [this] { runPendingCommands(); });

    const QJsonObject reply = mReplies.take(id);
    if (!reply.value(QStringLiteral("ok")).toBool())
        throw MenuError(reply.value(QStringLiteral("error"))
                            .toString(QStringLiteral("Richiesta rifiutata dal menu: ") + op));
    return reply.value(QStringLiteral("result"));
}

QString LocalSocketMenuClient::textRequest(const QString& op, QJsonObject args) {
    return request(op, std::move(args)).toString();
}

LaunchInfo LocalSocketMenuClient::launchInfo() {
    const QJsonObject info = request(QStringLiteral("launchInfo")).toObject();
    return {info.value(QStringLiteral("osParam")).toString(),
            info.value(QStringLiteral("osChiLancia")).toString(),
            info.value(QStringLiteral("osKeySecLancia")).toString(),
            info.value(QStringLiteral("osParamLancia")).toString()};
}

QString LocalSocketMenuClient::iniPath() {
    return textRequest(QStringLiteral("iniPath"));
}

QString LocalSocketMenuClient::generalParameter(const QString& name, const QString& section) {
    return textRequest(QStringLiteral("generalParameter"),
                       {{QStringLiteral("name"), name}, {QStringLiteral("section"), section}});
}

QString LocalSocketMenuClient::parameter(const QString& key) {
    return textRequest(QStringLiteral("parameter"), {{QStringLiteral("key"), key}});
}

QString LocalSocketMenuClient::userName() {
    return textRequest(QStringLiteral("userName"));
}

QString LocalSocketMenuClient::terminalName() {
    return textRequest(QStringLiteral("terminalName"));
}

QDate LocalSocketMenuClient::workingDate() {
    return QDate::fromString(textRequest(QStringLiteral("workingDate")), Qt::ISODate);
}

void LocalSocketMenuClient::acknowledgeActivation() {
    request(QStringLiteral("acknowledgeActivation"));
}

bool LocalSocketMenuClient::bringMainWindowForward() {
    try {
        return request(QStringLiteral("bringMainWindowForward")).toBool();
    } catch (const MenuError&) {
        return false;
    }
}

bool LocalSocketMenuClient::launchProgram(const QString& key, const QString& keySec,
                                          const QString& param) {
    try {
        return request(QStringLiteral("launchProgram"), {{QStringLiteral("key"), key},
                                                         {QStringLiteral("keySec"), keySec},
                                                         {QStringLiteral("param"), param}})
            .toBool();
    } catch (const MenuError&) {
        return false;
    }
}

void LocalSocketMenuClient::formEnded(const QString& keySec) {
    request(QStringLiteral("formEnded"), {{QStringLiteral("keySec"), keySec}});
}

void LocalSocketMenuClient::endRegistration() {
    if (!mRegistered || !isConnected())
        return;
    mRegistered = false;
    request(QStringLiteral("endRegistration"));
}

}  // namespace evapre
