#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QVariant>

namespace evapre {

// What the menu tells about the launch: the lettered parameter string and, when another
// program asked for this launch, that program's keys and parameter.
struct LaunchInfo {
    QString osParam;
    QString osChiLancia;
    QString osKeySecLancia;
    QString osParamLancia;
};

// The suite's menu program as this program sees it: registration, parameters, identity,
// and the commands it sends while the program runs (commandReceived, answered in place).
class MenuClient : public QObject {
    Q_OBJECT
  public:
    // The answer of a personal parameter without a value.
    static QString personalMarker() { return QStringLiteral("§ç~$!^"); }

    using QObject::QObject;
    ~MenuClient() override = default;

    // False when the menu is not running.
    virtual bool registerClient(const QString& menuId, const QString& programKey,
                                const QString& programSubKey = {}) = 0;
    virtual LaunchInfo launchInfo() = 0;
    virtual QString iniPath() = 0;
    virtual QString generalParameter(const QString& name, const QString& section) = 0;
    // A company key ("Ditta.Moneta", "NomeDBAzie") or "Personal.<section>.<name>".
    virtual QString parameter(const QString& key) = 0;
    virtual QString userName() = 0;
    virtual QString terminalName() = 0;
    virtual QDate workingDate() = 0;
    virtual void acknowledgeActivation() = 0;
    virtual bool bringMainWindowForward() = 0;
    virtual bool launchProgram(const QString& key, const QString& keySec, const QString& param) = 0;
    virtual void formEnded(const QString& keySec) = 0;
    virtual void endRegistration() = 0;

  signals:
    // A menu command; the handler writes its answer into *answer before returning.
    void commandReceived(const QString& menuId, const QString& keySec, const QString& command,
                         const QVariant& param, QVariant* answer);
};

}  // namespace evapre
