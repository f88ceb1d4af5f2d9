#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "MenuClient.h"

namespace evapre {

// The sink of the menu's commands: owns the menu client, remembers the last command and
// parameter, and hands each command to the handler, whose answer goes back to the menu.
class scMenuComandiClie : public QObject {
    Q_OBJECT
  public:
    using Handler =
        std::function<void(const QString& idMenu, const QString& keySec, const QString& command,
                           const QVariant& param, QVariant* answer)>;

    explicit scMenuComandiClie(std::unique_ptr<MenuClient> client, QObject* parent = nullptr);
    ~scMenuComandiClie() override;

    MenuClient& ogMenuClient() { return *mClient; }
    void setHandler(Handler handler) { mHandler = std::move(handler); }

    // Runs a command as if the menu had sent it (the client's event does the same).
    void eseguiComando(const QString& idMenu, const QString& keySec, const QString& command,
                       const QVariant& param, QVariant* answer);

    QString UltCom;
    QString UltParam;
    QVariant UltParamVar;

  private:
    std::unique_ptr<MenuClient> mClient;
    Handler mHandler;
};

}  // namespace evapre
