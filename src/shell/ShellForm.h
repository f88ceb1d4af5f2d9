#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace evapre {

// A working form as the shell sees it: the launch properties set before it is shown, its
// load result, and the calls the launch protocol makes. The screens implement it over widgets.
class ShellForm : public QObject {
    Q_OBJECT
  public:
    explicit ShellForm(const QString& name, QObject* parent = nullptr)
        : QObject(parent), mName(name) {}
    ~ShellForm() override = default;

    const QString& name() const { return mName; }

    QString osKeySec;
    QString osKeyLancia;
    QString osKeySecLancia;
    QString osParamLancia;
    QString osParam;
    QString osTipoForm;  // "Modal" shows the form modally
    int oiLoadOk = 0;

    bool isModal() const {
        return osTipoForm.trimmed().compare(QLatin1String("Modal"), Qt::CaseInsensitive) == 0;
    }

    // The form's own loading; sets oiLoadOk to 1 when it succeeded.
    virtual void load() = 0;
    virtual void show(bool modal) = 0;
    // Brings the form forward and gives it the focus.
    virtual void giveFocus() = 0;
    // False when the form refuses to close (unsaved work, a run in progress).
    virtual bool queryUnload() = 0;
    // Closes the form without asking; emits unloaded.
    virtual void unload() = 0;
    virtual void attivatoDaAltri() {}
    // Called before control passes to another program; false when the form has no such step.
    virtual bool passaA() { return false; }

  signals:
    // The form has closed, whoever closed it.
    void unloaded(evapre::ShellForm* form);

  private:
    QString mName;
};

// The forms this program can open, by name (compared in lower case).
class FormRegistry {
  public:
    using Factory = std::function<std::unique_ptr<ShellForm>()>;

    static void registerForm(const QString& name, Factory factory);
    static bool contains(const QString& name);
    // Null when the name is unknown or the form could not be created.
    static std::unique_ptr<ShellForm> create(const QString& name);
    static void clear();
};

}  // namespace evapre
