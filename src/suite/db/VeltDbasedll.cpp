#include "VeltDbasedll.h"

#include <QCoreApplication>

#include "DbError.h"

namespace evapre {

VeltDbasedll& VeltDbasedll::instance() {
    static VeltDbasedll component;
    return component;
}

VeltDbasedll::~VeltDbasedll() {
    // Programs call reset() before their application object goes. Should one forget, the
    // connections are left to the operating system: closing them after Qt is gone crashes.
    if (!QCoreApplication::instance()) {
        for (auto& [id, lock] : mLocks)
            lock.release();
        for (auto& [id, connection] : mConnections)
            connection.release();
    }
}

QString VeltDbasedll::sqlTypeSettingName(int id) {
    return QString::number(id) + QStringLiteral(":DbTipoSql");
}

int VeltDbasedll::openConnection(const QString& name, const QString& connect, OpenOptions options) {
    const DbKind kind = DbKindFromName(name);
    if (kind == DbKind::Odbc && options.user.isEmpty()) {
        options.user = setting(QStringLiteral("DbSqlPubUID")).toString();
        options.password = setting(QStringLiteral("DbSqlPubPWD")).toString();
    }
    if (kind == DbKind::SQLite && options.password.isEmpty())
        options.password = setting(QStringLiteral("DbAccPWD")).toString();
    auto connection = DbConnection::open(name, connect, options);
    const int id = mNextId++;
    mConnections.emplace(id, std::move(connection));
    setSetting(sqlTypeSettingName(id), IsServerKind(kind));
    return id;
}

void VeltDbasedll::closeConnection(int id) {
    mLocks.erase(id);
    mConnections.erase(id);
    mSettings.remove(sqlTypeSettingName(id));
    if (mLockConnection == id)
        mLockConnection = 0;
}

bool VeltDbasedll::hasConnection(int id) const {
    return mConnections.count(id) > 0;
}

DbConnection& VeltDbasedll::connection(int id) {
    auto it = mConnections.find(id);
    if (it == mConnections.end())
        throw DbError(DbErr::CallFailed,
                      QStringLiteral("Connessione al database non aperta (%1)").arg(id));
    return *it->second;
}

void VeltDbasedll::setSetting(const QString& name, const QVariant& value) {
    mSettings.insert(name.toLower(), value);
}

QVariant VeltDbasedll::setting(const QString& name) const {
    return mSettings.value(name.toLower());
}

bool VeltDbasedll::isSqlServer(int id) const {
    return setting(sqlTypeSettingName(id)).toBool();
}

void VeltDbasedll::setIsolationReadUncommitted(int id) {
    if (isSqlServer(id) && hasConnection(id))
        connection(id).executeIgnoringErrors(
            QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ UNCOMMITTED"));
}

void VeltDbasedll::setIsolationReadCommitted(int id) {
    if (isSqlServer(id) && hasConnection(id))
        connection(id).executeIgnoringErrors(
            QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED"));
}

void VeltDbasedll::setLockConnection(int id) {
    connection(id);
    mLockConnection = id;
}

int VeltDbasedll::resolveLockId(const QString& connection) const {
    const QString trimmed = connection.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0) {
        if (mLockConnection == 0)
            throw DbError(DbErr::CallFailed, QStringLiteral("Connessione dei blocchi non aperta"));
        return mLockConnection;
    }
    bool ok = false;
    const int id = trimmed.toInt(&ok);
    if (!ok)
        throw DbError(DbErr::CallFailed,
                      QStringLiteral("Connessione dei blocchi non valida: ") + trimmed);
    return id;
}

LockObject& VeltDbasedll::lockObject(const QString& connectionName) {
    const int id = resolveLockId(connectionName);
    auto it = mLocks.find(id);
    if (it == mLocks.end())
        it = mLocks.emplace(id, std::make_unique<LockObject>(connection(id))).first;
    return *it->second;
}

void VeltDbasedll::endLockUse(const QString& connectionName, bool close) {
    const QString trimmed = connectionName.trimmed();
    const bool standard =
        trimmed.isEmpty() || trimmed.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0;
    if (standard && mLockConnection == 0)
        return;
    const int id = resolveLockId(connectionName);
    auto it = mLocks.find(id);
    if (it != mLocks.end())
        it->second->endLockUse();
    if (close) {
        closeConnection(id);
    }
}

void VeltDbasedll::reset() {
    for (auto& [id, lock] : mLocks) {
        try {
            lock->endLockUse();
        } catch (const DbError&) {
            // The marks stay for the recovery utility; closing must go on.
        }
    }
    mLocks.clear();
    mConnections.clear();
    mSettings.clear();
    mLockConnection = 0;
}

}  // namespace evapre
