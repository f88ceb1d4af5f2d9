#pragma once

#include <QHash>

#include "MenuClient.h"

namespace evapre {

class DbConnection;

// A menu client without a menu: parameters come straight from the company database's
// parameter tables, identity and working date are given. Used by the headless commands
// and the tests.
class DirectMenuClient : public MenuClient {
    Q_OBJECT
  public:
    DirectMenuClient(DbConnection& db, const QString& user, const QString& terminal,
                     const QDate& workingDate, QObject* parent = nullptr);

    bool registerClient(const QString&, const QString&, const QString& = {}) override {
        return true;
    }
    LaunchInfo launchInfo() override { return mLaunchInfo; }
    QString iniPath() override { return mIniPath; }
    QString generalParameter(const QString& name, const QString& section) override;
    QString parameter(const QString& key) override;
    QString userName() override { return mUser; }
    QString terminalName() override { return mTerminal; }
    QDate workingDate() override { return mWorkingDate; }
    void acknowledgeActivation() override {}
    bool bringMainWindowForward() override { return true; }
    bool launchProgram(const QString&, const QString&, const QString&) override { return true; }
    void formEnded(const QString&) override {}
    void endRegistration() override {}

    void setIniPath(const QString& path) { mIniPath = path; }
    void setLaunchInfo(const LaunchInfo& info) { mLaunchInfo = info; }
    // Values served before (or instead of) the database, such as NomeDBAzie.
    void setOverride(const QString& key, const QString& value) {
        mOverrides.insert(key.toLower(), value);
    }

    // The personal lookup as the menu answers it: the user's own row, else the "*" row,
    // else the marker.
    static QString personalFromTables(DbConnection& db, const QString& user, const QString& section,
                                      const QString& name);
    static QString companyFromTables(DbConnection& db, const QString& key);
    static QString generalFromTables(DbConnection& db, const QString& name, const QString& section);

  private:
    DbConnection& mDb;
    QString mUser;
    QString mTerminal;
    QDate mWorkingDate;
    QString mIniPath;
    LaunchInfo mLaunchInfo;
    QHash<QString, QString> mOverrides;
};

}  // namespace evapre
