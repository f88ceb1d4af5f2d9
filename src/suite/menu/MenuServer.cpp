#include "MenuServer.h"

#include <QJsonArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <utility>

#include "MenuWire.h"

namespace evapre {

namespace {

QString str(const QJsonObject& object, const char* key) {
    return object.value(QLatin1String(key)).toString();
}

}  // namespace

MenuServer::MenuServer(MenuClient& backend, QObject* parent)
    : QObject(parent), mBackend(backend), mServer(new QLocalServer(this)) {
    connect(mServer, &QLocalServer::newConnection, this, &MenuServer::accept);
}

MenuServer::~MenuServer() {
    // Whoever still waits for an answer learns that the menu is gone.
    const auto pending = std::exchange(mPending, {});
    for (const Pending& p : pending)
        if (p.done)
            p.done({}, QStringLiteral("Menu chiuso"));
}

bool MenuServer::listen(const QString& name, QString* error) {
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(500)) {
        probe.disconnectFromServer();
        if (error)
            *error = QStringLiteral("Un menu è già in esecuzione con il nome ") + name;
        return false;
    }
    QLocalServer::removeServer(name);
    mServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!mServer->listen(name)) {
        if (error)
            *error = QStringLiteral("Impossibile aprire il canale del menu ") + name +
                     QStringLiteral(": ") + mServer->errorString();
        return false;
    }
    return true;
}

QString MenuServer::name() const {
    return mServer->serverName();
}

void MenuServer::accept() {
    while (QLocalSocket* socket = mServer->nextPendingConnection()) {
        mBuffers.insert(socket, {});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this,
                [this, socket] { dropConnection(socket); });
    }
}

void MenuServer::dropConnection(QLocalSocket* socket) {
    mBuffers.remove(socket);
    if (socket == mProgram) {
        mProgram = nullptr;
        mRegistered = false;
        // Commands the program never answered cannot be answered any more.
        const auto pending = std::exchange(mPending, {});
        for (const Pending& p : pending)
            if (p.done)
                p.done({}, QStringLiteral("Il programma è terminato senza rispondere"));
        emit log(QStringLiteral("programma disconnesso"));
        emit programDisconnected();
    }
    socket->deleteLater();
}

void MenuServer::readFrom(QLocalSocket* socket) {
    int bad = 0;
    auto buffer = mBuffers.find(socket);
    if (buffer == mBuffers.end())
        return;
    const auto messages = menuwire::readMessages(*socket, *buffer, &bad);
    if (bad > 0)
        emit log(QStringLiteral("righe non valide ignorate: %1").arg(bad));
    for (const QJsonObject& message : messages) {
        if (message.contains(QStringLiteral("cmd")))
            handleAnswer(message);
        else
            handleRequest(socket, message);
    }
}

void MenuServer::handleRequest(QLocalSocket* socket, const QJsonObject& request) {
    const QJsonValue id = request.value(QStringLiteral("id"));
    const QString op = str(request, "op");
    QJsonObject reply{{QStringLiteral("id"), id}};
    bool deferred = false;
    try {
        const QJsonValue result = answerOp(socket, op, request, &deferred);
        if (deferred)
            return;
        reply.insert(QStringLiteral("ok"), true);
        reply.insert(QStringLiteral("result"), result);
    } catch (const std::exception& e) {
        reply.insert(QStringLiteral("ok"), false);
        reply.insert(QStringLiteral("error"), QString::fromUtf8(e.what()));
    }
    socket->write(menuwire::encode(reply));
    socket->flush();
}

QJsonValue MenuServer::answerOp(QLocalSocket* socket, const QString& op, const QJsonObject& request,
                                bool* deferred) {
    if (op == QLatin1String("register")) {
        if (mProgram && mProgram != socket && mRegistered)
            throw std::runtime_error("Un programma è già registrato presso questo menu");
        mProgram = socket;
        mRegistered = true;
        mMenuId = str(request, "menuId");
        mProgramKey = str(request, "programKey");
        mProgramSubKey = str(request, "programSubKey");
        emit log(QStringLiteral("registrato: %1 %2").arg(mProgramKey, mProgramSubKey));
        emit programRegistered(mMenuId, mProgramKey, mProgramSubKey);
        return true;
    }
    if (op == QLatin1String("launchInfo"))
        return QJsonObject{{QStringLiteral("osParam"), mLaunchInfo.osParam},
                           {QStringLiteral("osChiLancia"), mLaunchInfo.osChiLancia},
                           {QStringLiteral("osKeySecLancia"), mLaunchInfo.osKeySecLancia},
                           {QStringLiteral("osParamLancia"), mLaunchInfo.osParamLancia}};
    if (op == QLatin1String("iniPath"))
        return mBackend.iniPath();
    if (op == QLatin1String("generalParameter"))
        return mBackend.generalParameter(str(request, "name"), str(request, "section"));
    if (op == QLatin1String("parameter"))
        return mBackend.parameter(str(request, "key"));
    if (op == QLatin1String("userName"))
        return mBackend.userName();
    if (op == QLatin1String("terminalName"))
        return mBackend.terminalName();
    if (op == QLatin1String("workingDate"))
        return mBackend.workingDate().toString(Qt::ISODate);
    if (op == QLatin1String("acknowledgeActivation")) {
        emit log(QStringLiteral("attivazione confermata"));
        return QJsonValue(QJsonValue::Null);
    }
    if (op == QLatin1String("bringMainWindowForward")) {
        emit log(QStringLiteral("finestra del menu portata in primo piano"));
        return mBringForwardOk;
    }
    if (op == QLatin1String("launchProgram")) {
        emit log(
            QStringLiteral("lancio del programma: chiave \"%1\" secondaria \"%2\" parametro \"%3\"")
                .arg(str(request, "key"), str(request, "keySec"), str(request, "param")));
        return true;
    }
    if (op == QLatin1String("formEnded")) {
        emit log(QStringLiteral("form terminata: ") + str(request, "keySec"));
        return QJsonValue(QJsonValue::Null);
    }
    if (op == QLatin1String("endRegistration")) {
        if (socket == mProgram)
            mRegistered = false;
        emit log(QStringLiteral("registrazione terminata"));
        emit registrationEnded();
        return QJsonValue(QJsonValue::Null);
    }
    if (op == QLatin1String("send")) {
        // Forwarded to the program; the reply goes back when its answer arrives.
        *deferred = true;
        const QJsonValue id = request.value(QStringLiteral("id"));
        QPointer<QLocalSocket> asker(socket);
        sendCommand(
            str(request, "command"), menuwire::fromJson(request.value(QStringLiteral("param"))),
            [asker, id](const QVariant& answer, const QString& error) {
                if (!asker)
                    return;
                QJsonObject reply{{QStringLiteral("id"), id},
                                  {QStringLiteral("ok"), error.isEmpty()}};
                if (error.isEmpty())
                    reply.insert(QStringLiteral("result"), menuwire::toJson(answer));
                else
                    reply.insert(QStringLiteral("error"), error);
                asker->write(menuwire::encode(reply));
                asker->flush();
            },
            str(request, "keySec"));
        return {};
    }
    throw std::runtime_error(("Operazione sconosciuta: " + op).toStdString());
}

void MenuServer::sendCommand(const QString& command, const QVariant& param,
                             const AnswerHandler& done, const QString& keySec) {
    if (!mProgram || !mRegistered) {
        if (done)
            done({}, QStringLiteral("Nessun programma registrato presso il menu"));
        return;
    }
    const int id = mNextCommand++;
    mPending.insert(id, {done});
    emit log(QStringLiteral("comando inviato: ") + command);
    mProgram->write(
        menuwire::encode({{QStringLiteral("cmd"), id},
                          {QStringLiteral("menuId"), mMenuId},
                          {QStringLiteral("keySec"), keySec.isEmpty() ? mProgramSubKey : keySec},
                          {QStringLiteral("command"), command},
                          {QStringLiteral("param"), menuwire::toJson(param)}}));
    mProgram->flush();
}

void MenuServer::handleAnswer(const QJsonObject& answer) {
    const int id = answer.value(QStringLiteral("cmd")).toInt();
    const auto it = mPending.find(id);
    if (it == mPending.end())
        return;
    const Pending pending = *it;
    mPending.erase(it);
    if (pending.done)
        pending.done(menuwire::fromJson(answer.value(QStringLiteral("answer"))), {});
}

}  // namespace evapre
