#include "QtUiServices.h"

#include <QApplication>
#include <QInputDialog>

#include "frmMsgCom.h"

namespace evapre {

int QtUiServices::message(const QString& text, const QStringList& buttons, int defaultButton,
                          MsgIcon icon, const QString& title) {
    frmMsgCom window(QApplication::activeWindow());
    window.setIcon(icon);
    frmMsgCom::Options options;
    options.title = title;
    options.comDefault = defaultButton;
    options.suona = mBeep && (icon == MsgIcon::Critical || icon == MsgIcon::Warning);
    // The busy pointer must not hide the buttons.
    if (mBusy > 0)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed =
        window.msgCom(text, buttons.value(0), buttons.value(1), buttons.value(2), options);
    if (mBusy > 0)
        QApplication::restoreOverrideCursor();
    return pressed;
}

QString QtUiServices::input(const QString& prompt, const QString& title,
                            const QString& defaultValue, bool* accepted) {
    bool ok = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                                 QLineEdit::Normal, defaultValue, &ok);
    if (accepted)
        *accepted = ok;
    return ok ? answer : QString();
}

void QtUiServices::progressStart(const QString& caption, int total) {
    if (!mProgress) {
        mProgress = new frmInElab(QApplication::activeWindow());
        mProgress->setAttribute(Qt::WA_DeleteOnClose);
    }
    mProgress->avvia(caption, total);
    mProgress->show();
    QCoreApplication::processEvents();
}

void QtUiServices::progressStep(int done, const QString& counters) {
    if (mProgress)
        mProgress->avanza(done, counters);
}

void QtUiServices::progressEnd() {
    if (mProgress) {
        mProgress->hide();
        mProgress->deleteLater();
        mProgress = nullptr;
    }
}

void QtUiServices::setBusy(bool busy) {
    if (busy) {
        if (mBusy++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (mBusy > 0 && --mBusy == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void QtUiServices::yield() {
    QCoreApplication::processEvents();
}

}  // namespace evapre
