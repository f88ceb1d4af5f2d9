#include "ConnessioneDb.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include "ConfigIni.h"
#include "DbError.h"
#include "DbKind.h"
#include "MenuClient.h"
#include "UiServices.h"
#include "VeltDbasedll.h"

namespace evapre {

namespace {

QString menuValue(MenuClient& menu, const char* key) {
    try {
        return menu.parameter(QLatin1String(key)).trimmed();
    } catch (const std::exception&) {
        return {};
    }
}

QString pwdSuffix(const QString& password) {
    return password.isEmpty() ? QString() : QStringLiteral(";pwd=") + password;
}

}  // namespace

ConnessioneDb::ConnessioneDb(MenuClient& menu, UiServices& ui, ShellHost* host)
    : mMenu(menu), mUi(ui), mHost(host) {}

void ConnessioneDb::storeServerLogin(bool force) {
    auto& component = VeltDbasedll::instance();
    if (!force && component.setting(QStringLiteral("DbSqlPubPWD")).isValid())
        return;
    QString login = menuValue(mMenu, "SqlLogin");
    if (login.isEmpty() || force) {
        // Kept for the menu's own use; the login itself comes from SqlLogin.
        menuValue(mMenu, "ChiediPwdSql");
        login = menuValue(mMenu, "SqlLogin");
    }
    component.setSetting(QStringLiteral("DbSqlPubUID"), login);
    component.setSetting(QStringLiteral("DbSqlPubPWD"), menuValue(mMenu, "SqlPwd"));
}

int ConnessioneDb::tryOpen(const DbSettings& settings) {
    auto& component = VeltDbasedll::instance();
    OpenOptions options;
    if (IsServerKind(DbKindFromName(settings.nomeDb)) &&
        !settings.nomeDb.toUpper().startsWith(QLatin1String("ODBC;"))) {
        options.user = component.setting(QStringLiteral("DbSqlPubUID")).toString();
        options.password = component.setting(QStringLiteral("DbSqlPubPWD")).toString();
    }
    return component.openConnection(settings.nomeDb, settings.connect, options);
}

int ConnessioneDb::open(const DbSettings& settings, const ConnWindowInfo& window) {
    if (mHost) {
        mHost->showConnWindow(window);
        mHost->processEvents();
    }
    struct HideWindow {
        ShellHost* host;
        ~HideWindow() {
            if (host)
                host->hideConnWindow();
        }
    } hide{mHost};

    const QString pwdDb = menuValue(mMenu, "PwdDbAzie");
    mPwdDbSuffix = pwdSuffix(pwdDb);
    const DbKind kind = DbKindFromName(settings.nomeDb);
    const bool odbcString = settings.nomeDb.trimmed().toUpper().startsWith(QLatin1String("ODBC;"));
    const bool server = IsServerKind(kind) && !odbcString;
    if (server)
        storeServerLogin(false);
    else
        VeltDbasedll::instance().setSetting(QStringLiteral("DbAccPWD"), pwdDb);

    bool repaired = false;
    for (;;) {
        try {
            const int id = tryOpen(settings);
            mAccMenuPwdSuffix = pwdSuffix(menuValue(mMenu, "AccMenuPwd"));
            return id;
        } catch (const DbError& e) {
            if (e.number() == DbErr::WrongPassword && IsServerKind(kind)) {
                const int answer =
                    mUi.message(QStringLiteral("Utente o password non validi per SQL"),
                                {QStringLiteral("&Riprovare"), QStringLiteral("&Annulla")}, 1,
                                MsgIcon::Warning);
                if (answer != 1)
                    return 0;
                storeServerLogin(true);
                continue;
            }
            if (e.number() == DbErr::WrongPassword) {
                mUi.message(QStringLiteral("Err: %1\nPassword non valida per questo database")
                                .arg(DbErr::WrongPassword),
                            {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
                return 0;
            }
            if (e.number() == DbErr::NotADatabase && !repaired) {
                const int answer = mUi.message(
                    QStringLiteral("Errore nell'apertura del database ") + settings.nomeDb +
                        QStringLiteral("\nVuoi tentare di recuperarlo"),
                    {QStringLiteral("&Ok"), QStringLiteral("&Annulla")}, 1, MsgIcon::Question);
                if (answer != 1)
                    return 0;
                QString detail;
                repaired = true;
                if (kind == DbKind::SQLite && repairDatabase(settings.nomeDb, &detail))
                    continue;
                mUi.message(QStringLiteral("Recupero del database non riuscito: ") +
                                settings.nomeDb +
                                (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail),
                            {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
                return 0;
            }
            mUi.message(QStringLiteral("Errore %1 nell'apertura del database.\n"
                                       "Correggere e riprovare. (%2) ")
                            .arg(e.number())
                            .arg(e.text()),
                        {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
            return 0;
        }
    }
}

bool ConnessioneDb::repairDatabase(const QString& path, QString* detail) {
    if (!QFileInfo(path).isFile()) {
        if (detail)
            *detail = QStringLiteral("Il file non esiste");
        return false;
    }
    const QString name = QStringLiteral("evapre-repair-") + QUuid::createUuid().toString();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery check(db);
            if (check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next()) {
                const QString result = check.value(0).toString();
                ok = result.compare(QLatin1String("ok"), Qt::CaseInsensitive) == 0;
                if (!ok && detail)
                    *detail = result;
            } else if (detail) {
                *detail = check.lastError().text();
            }
        } else if (detail) {
            *detail = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

}  // namespace evapre
