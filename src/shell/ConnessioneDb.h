#pragma once

#include <QString>

#include "ShellHost.h"

namespace evapre {

class MenuClient;
class UiServices;
struct DbSettings;

// Opening the company database at start-up: credentials from the menu, the connection
// window, the login retry and the repair of a damaged file.
class ConnessioneDb {
  public:
    ConnessioneDb(MenuClient& menu, UiServices& ui, ShellHost* host = nullptr);

    // Opens the database of settings and returns the component's connection identifier, or
    // 0 after telling the user why not.
    int open(const DbSettings& settings, const ConnWindowInfo& window);

    // The menu's passwords, as suffixes for connect strings (empty when not set).
    const QString& pwdDbSuffix() const { return mPwdDbSuffix; }
    const QString& accMenuPwdSuffix() const { return mAccMenuPwdSuffix; }

    // Checks a damaged SQLite file; true when it reads back as a sound database.
    static bool repairDatabase(const QString& path, QString* detail);

  private:
    void storeServerLogin(bool force);
    int tryOpen(const DbSettings& settings);

    MenuClient& mMenu;
    UiServices& mUi;
    ShellHost* mHost;
    QString mPwdDbSuffix;
    QString mAccMenuPwdSuffix;
};

}  // namespace evapre
