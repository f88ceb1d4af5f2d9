#pragma once

#include <QPointer>

#include "UiServices.h"
#include "frmInElab.h"

class QWidget;

namespace evapre {

// The user of the windowed program: messages in frmMsgCom, progress in frmInElab, the wait
// cursor, and the yield to pending events.
class QtUiServices : public UiServices {
  public:
    int message(const QString& text, const QStringList& buttons, int defaultButton, MsgIcon icon,
                const QString& title) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultValue,
                  bool* accepted) override;
    void progressStart(const QString& caption, int total) override;
    void progressStep(int done, const QString& counters) override;
    void progressEnd() override;
    void setBusy(bool busy) override;
    void yield() override;

    // Beeps with the warnings and errors ("BeepCome" of the configuration, "N" for never).
    void setBeep(const QString& beepCome) {
        mBeep = beepCome.trimmed().toUpper() != QLatin1String("N");
    }

    // The progress window while one is shown.
    frmInElab* progressWindow() const { return mProgress.data(); }

  private:
    QPointer<frmInElab> mProgress;
    int mBusy = 0;
    bool mBeep = true;
};

}  // namespace evapre
