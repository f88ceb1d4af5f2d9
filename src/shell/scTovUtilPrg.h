#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "HelpComponent.h"

namespace evapre {

// The sink of the help component's events: keeps the launch keys it reports and asks for
// the menu's window when the component wants it.
class scTovUtilPrg : public QObject {
    Q_OBJECT
  public:
    explicit scTovUtilPrg(std::unique_ptr<HelpComponent> component, QObject* parent = nullptr);

    HelpComponent* ogTovAiuto() { return mComponent.get(); }
    const QString& lanciaKeyPrim() const { return mKeyPrim; }
    const QString& lanciaKeySec() const { return mKeySec; }
    void setShowMainMenu(std::function<void()> show) { mShowMainMenu = std::move(show); }

  private:
    std::unique_ptr<HelpComponent> mComponent;
    QString mKeyPrim;
    QString mKeySec;
    std::function<void()> mShowMainMenu;
};

}  // namespace evapre
