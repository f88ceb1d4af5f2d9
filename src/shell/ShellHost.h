#pragma once

#include <QString>

namespace evapre {

// What the connection window shows while the database opens.
struct ConnWindowInfo {
    QString titolo = QStringLiteral("Connessione primaria al database");
    QString nomeDb;
    QString versione;      // "Versione x", empty to leave the label blank
    QString dataVersione;  // "del dd/mm/yyyy"
    bool showAccess = false;
    bool showOracle = false;
};

// The windowing toolkit as the shell needs it: the hidden main form, modal windows, the
// event loop and the connection window. The screens implement it; tests script it.
class ShellHost {
  public:
    virtual ~ShellHost() = default;

    virtual bool modalWindowShowing() = 0;
    virtual void processEvents() = 0;
    // Ends the event loop with an exit code once the current event is done.
    virtual void quit(int exitCode) = 0;
    virtual void setHelpFile(const QString&) {}
    // Brings another process's window forward; false when it cannot.
    virtual bool activateProcess(const QString&) { return false; }
    virtual void showConnWindow(const ConnWindowInfo&) {}
    virtual void hideConnWindow() {}
    // The "Chiusura in corso" caption of the main form.
    virtual void showClosing(bool) {}
};

}  // namespace evapre
