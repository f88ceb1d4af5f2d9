#pragma once

#include <QPointer>
#include <QWidget>

#include "ShellHost.h"

class QLabel;

namespace evapre {

class frmConn;

// The hidden main form: the windowing services the shell asks for (modal windows, events,
// the end of the event loop, the connection window) and the "Chiusura in corso" caption.
class frmPrincipale : public QWidget, public ShellHost {
    Q_OBJECT
  public:
    explicit frmPrincipale(QWidget* parent = nullptr);
    ~frmPrincipale() override;

    bool modalWindowShowing() override;
    void processEvents() override;
    void quit(int exitCode) override;
    void setHelpFile(const QString& file) override { mHelpFile = file; }
    bool activateProcess(const QString& processId) override;
    void showConnWindow(const ConnWindowInfo& info) override;
    void hideConnWindow() override;
    void showClosing(bool closing) override;

    const QString& helpFile() const { return mHelpFile; }
    QLabel* lblChiusura;

  private:
    QString mHelpFile;
    QPointer<frmConn> mConn;
};

}  // namespace evapre
