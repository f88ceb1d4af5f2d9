#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>

#include "DbConnection.h"
#include "LockObject.h"

namespace evapre {

// The database component: connections by identifier, named settings, and the lock object
// of the record marks. One instance per process.
class VeltDbasedll {
  public:
    static VeltDbasedll& instance();

    // Opens a connection and returns its identifier. For server kinds the login comes from
    // the settings "DbSqlPubUID"/"DbSqlPubPWD" unless the options carry one; the setting
    // identifier + ":DbTipoSql" is stored.
    int openConnection(const QString& name, const QString& connect = {}, OpenOptions options = {});
    void closeConnection(int id);
    DbConnection& connection(int id);
    bool hasConnection(int id) const;

    void setSetting(const QString& name, const QVariant& value);
    QVariant setting(const QString& name) const;
    static QString sqlTypeSettingName(int id);
    bool isSqlServer(int id) const;

    // Around long reads; nothing on a file database, errors ignored.
    void setIsolationReadUncommitted(int id);
    void setIsolationReadCommitted(int id);

    // The lock connection: "Standard" (or empty) is the remembered one.
    void setLockConnection(int id);
    int lockConnectionId() const { return mLockConnection; }
    LockObject& lockObject(const QString& connection = QStringLiteral("Standard"));
    // Ends the marking work on a lock connection (default the remembered one): removes the
    // marks written through it and, when asked, closes it and forgets it.
    void endLockUse(const QString& connection = QStringLiteral("Standard"), bool close = false);

    // Ends the lock use on every lock connection and closes everything. Every program calls
    // it before its application object is destroyed.
    void reset();

  private:
    VeltDbasedll() = default;
    ~VeltDbasedll();
    int resolveLockId(const QString& connection) const;

    std::map<int, std::unique_ptr<DbConnection>> mConnections;
    std::map<int, std::unique_ptr<LockObject>> mLocks;
    QHash<QString, QVariant> mSettings;
    int mNextId = 1;
    int mLockConnection = 0;
};

}  // namespace evapre
