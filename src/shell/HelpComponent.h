#pragma once

#include <QObject>
#include <QString>

namespace evapre {

// The suite's help and decoding component as the shell uses it: its main window (refresh,
// hide, cursor movement) and the events it raises. Failures of these calls are ignored.
class HelpComponent : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~HelpComponent() override = default;

    virtual bool mainWindowVisible() const { return false; }
    virtual void buttonComando(const QString&) {}
    // Hides the component's active window when it belongs to a form other than formName.
    virtual void hideFrm(const QString&) {}
    virtual void setSpostaCurs(bool, int) {}

  signals:
    void lanciaKeyPrim(const QString& key);
    void lanciaKeySec(const QString& key);
    void clsMainMenuFrm();
};

}  // namespace evapre
