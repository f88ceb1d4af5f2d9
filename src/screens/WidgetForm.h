#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "ShellForm.h"

namespace evapre {

// A working form over a top-level widget: loading creates the widget, the widget's own
// close (accepted by its closeEvent) unloads the form.
class WidgetForm : public ShellForm {
    Q_OBJECT
  public:
    // create returns the widget, or null when the form's loading failed.
    WidgetForm(const QString& name, std::function<QWidget*(WidgetForm&)> create,
               QObject* parent = nullptr);
    ~WidgetForm() override;

    void load() override;
    void show(bool modal) override;
    void giveFocus() override;
    bool queryUnload() override;
    void unload() override;

    QWidget* widget() const { return mWidget; }

  private:
    void widgetGone();

    std::function<QWidget*(WidgetForm&)> mCreate;
    QPointer<QWidget> mWidget;
    bool mGone = false;
};

// Puts the program's forms in the form registry.
void RegisterScreens();

}  // namespace evapre
