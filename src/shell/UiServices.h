#pragma once

#include <QString>
#include <QStringList>

namespace evapre {

enum class MsgIcon { None, Information, Question, Warning, Critical };

// Everything the engine and its helpers ask of the user: the message window, the progress
// window, the busy pointer and the yield to pending events. Screens, console commands and
// tests each provide their own.
class UiServices {
  public:
    virtual ~UiServices() = default;

    // Shows text with one to three buttons ("&Ok" when none given) and returns the 1-based
    // number of the button pressed; defaultButton is the one Enter (or a non-interactive
    // run) picks.
    virtual int message(const QString& text, const QStringList& buttons = {QStringLiteral("&Ok")},
                        int defaultButton = 1, MsgIcon icon = MsgIcon::None,
                        const QString& title = {}) = 0;

    virtual void progressStart(const QString& caption, int total) = 0;
    // done of total, with the counters line the window shows under the bar.
    virtual void progressStep(int done, const QString& counters = {}) = 0;
    virtual void progressEnd() = 0;

    virtual void setBusy(bool busy) = 0;
    // Lets pending window events (menu commands) be handled during long work.
    virtual void yield() = 0;

    // Asks for a line of text; *accepted is false when the user cancels. Without a way to
    // ask, the default value is taken.
    virtual QString input(const QString& prompt, const QString& title, const QString& defaultValue,
                          bool* accepted) {
        Q_UNUSED(prompt);
        Q_UNUSED(title);
        if (accepted)
            *accepted = true;
        return defaultValue;
    }

    // Convenience: a plain notice with "&Ok".
    void notice(const QString& text, MsgIcon icon = MsgIcon::Information) {
        message(text, {QStringLiteral("&Ok")}, 1, icon);
    }
};

// Shows the busy pointer for a scope.
class BusyScope {
  public:
    explicit BusyScope(UiServices& ui) : mUi(ui) { mUi.setBusy(true); }
    ~BusyScope() { mUi.setBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    UiServices& mUi;
};

}  // namespace evapre
