#include "ConsoleUiServices.h"

#include <unistd.h>

#include <cstdio>

namespace evapre {

int ConsoleUiServices::message(const QString& text, const QStringList& buttons, int defaultButton,
                               MsgIcon icon, const QString& title) {
    mMessages << text;
    const char* prefix = icon == MsgIcon::Critical  ? "ERRORE: "
                         : icon == MsgIcon::Warning ? "ATTENZIONE: "
                                                    : "";
    QString line = QString::fromUtf8(prefix);
    if (!title.isEmpty())
        line += title + QStringLiteral(" - ");
    line += text;
    if (buttons.size() > 1 && defaultButton >= 1 && defaultButton <= buttons.size())
        line += QStringLiteral(" [") +
                QString(buttons.at(defaultButton - 1)).remove(QLatin1Char('&')) + QLatin1Char(']');
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    return rispostaRiprova(text, buttons, defaultButton);
}

// Nobody can free a record held by another user from here: "Riprova" is answered a bounded
// number of times, a second apart, and then "Esci".
int ConsoleUiServices::rispostaRiprova(const QString& text, const QStringList& buttons,
                                       int defaultButton) {
    const int esci = static_cast<int>(buttons.indexOf(QStringLiteral("Esci"))) + 1;
    if (esci == 0 || !buttons.contains(QStringLiteral("Riprova"))) {
        mTentativi = 0;
        return defaultButton;
    }
    if (text != mUltimaRichiesta) {
        mUltimaRichiesta = text;
        mTentativi = 0;
    }
    if (++mTentativi > kTentativiRiprova) {
        std::fprintf(stderr, "Risposta automatica: Esci dopo %d tentativi\n", kTentativiRiprova);
        mTentativi = 0;
        mUltimaRichiesta.clear();
        return esci;
    }
    ::usleep(kPausaRiprovaMs * 1000);
    return static_cast<int>(buttons.indexOf(QStringLiteral("Riprova"))) + 1;
}

QString ConsoleUiServices::input(const QString& prompt, const QString& title,
                                 const QString& defaultValue, bool* accepted) {
    if (accepted)
        *accepted = true;
    std::fprintf(stderr, "%s%s [%s]: ",
                 title.isEmpty() ? "" : (title + QStringLiteral(" - ")).toLocal8Bit().constData(),
                 prompt.toLocal8Bit().constData(), defaultValue.toLocal8Bit().constData());
    if (!isatty(fileno(stdin))) {
        std::fprintf(stderr, "%s\n", defaultValue.toLocal8Bit().constData());
        return defaultValue;
    }
    char line[512];
    if (!std::fgets(line, sizeof line, stdin)) {
        if (accepted)
            *accepted = false;
        return {};
    }
    const QString answer = QString::fromLocal8Bit(line).trimmed();
    return answer.isEmpty() ? defaultValue : answer;
}

void ConsoleUiServices::progressStart(const QString& caption, int total) {
    mTerminal = isatty(fileno(stderr));
    mTotal = total;
    mCaption = caption;
    mLastDraw.start();
}

void ConsoleUiServices::progressStep(int done, const QString& counters) {
    if (!mTerminal || mTotal <= 0 || mLastDraw.elapsed() < 100)
        return;
    mLastDraw.restart();
    const int width = 30;
    const int filled = static_cast<int>(static_cast<qint64>(done) * width / mTotal);
    std::fprintf(stderr, "\r%s [%s%s] %d/%d %s", mCaption.toLocal8Bit().constData(),
                 QByteArray(filled, '#').constData(), QByteArray(width - filled, '.').constData(),
                 done, mTotal, counters.toLocal8Bit().constData());
    std::fflush(stderr);
}

void ConsoleUiServices::progressEnd() {
    if (mTerminal && mTotal > 0)
        std::fprintf(stderr, "\n");
    mTotal = 0;
}

}  // namespace evapre
