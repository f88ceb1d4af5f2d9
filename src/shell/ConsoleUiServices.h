#pragma once

#include <QElapsedTimer>

#include "UiServices.h"

namespace evapre {

// The headless commands' user: messages go to standard error and take their default
// button ("Riprova" only a bounded number of times); progress is a bar on a terminal and
// nothing otherwise.
class ConsoleUiServices : public UiServices {
  public:
    int message(const QString& text, const QStringList& buttons, int defaultButton, MsgIcon icon,
                const QString& title) override;
    // Reads a line from standard input when it is a terminal, else takes the default.
    QString input(const QString& prompt, const QString& title, const QString& defaultValue,
                  bool* accepted) override;
    void progressStart(const QString& caption, int total) override;
    void progressStep(int done, const QString& counters) override;
    void progressEnd() override;
    void setBusy(bool) override {}
    void yield() override {}

    QStringList messages() const { return mMessages; }

    // How often a "Riprova" / "Esci" question is answered "Riprova" before "Esci".
    static constexpr int kTentativiRiprova = 5;
    static constexpr int kPausaRiprovaMs = 1000;

  private:
    int rispostaRiprova(const QString& text, const QStringList& buttons, int defaultButton);

    QString mUltimaRichiesta;
    int mTentativi = 0;
    bool mTerminal = false;
    int mTotal = 0;
    QString mCaption;
    QElapsedTimer mLastDraw;
    QStringList mMessages;
};

}  // namespace evapre
