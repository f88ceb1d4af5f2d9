#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "DirectMenuClient.h"
#include "ShellForm.h"
#include "ShellHost.h"

namespace evapre::test {

// The windowing toolkit of a test: a switch for "a modal window is showing".
class FakeHost : public ShellHost {
  public:
    bool modal = false;
    int quits = 0;
    int exitCode = -1;
    bool processAlive = false;
    QStringList connWindows;

    bool modalWindowShowing() override { return modal; }
    void processEvents() override {}
    void quit(int code) override {
        ++quits;
        exitCode = code;
    }
    bool activateProcess(const QString&) override { return processAlive; }
    void showConnWindow(const ConnWindowInfo& info) override {
        connWindows << info.nomeDb + QLatin1Char('|') + info.versione + QLatin1Char('|') +
                           info.dataVersione;
    }
};

// A form without a window; records the protocol's calls.
class FakeForm : public ShellForm {
  public:
    using ShellForm::ShellForm;
    static inline bool loadOk = true;
    static inline bool refuseClose = false;
    QStringList calls;

    void load() override { oiLoadOk = loadOk ? 1 : 0; }
    void show(bool modal) override { calls << (modal ? "show modal" : "show"); }
    void giveFocus() override { calls << "focus"; }
    bool queryUnload() override { return !refuseClose; }
    void unload() override { emit unloaded(this); }
    void attivatoDaAltri() override { calls << "attivato"; }
    bool passaA() override {
        calls << "passaa";
        return true;
    }
    // The user closes the window.
    void userCloses() { emit unloaded(this); }
};

// The menu of a test: the parameter tables of the test database, plus a record of the
// calls the program makes.
class RecordingMenu : public DirectMenuClient {
  public:
    using DirectMenuClient::DirectMenuClient;
    bool registerOk = true;
    bool forwardOk = true;
    QStringList calls;

    bool registerClient(const QString& menuId, const QString& key, const QString& sub) override {
        calls << QStringLiteral("register %1|%2|%3").arg(menuId, key, sub);
        return registerOk;
    }
    void acknowledgeActivation() override { calls << "ack"; }
    bool bringMainWindowForward() override {
        calls << "forward";
        return forwardOk;
    }
    bool launchProgram(const QString& key, const QString& keySec, const QString& param) override {
        calls << QStringLiteral("launch %1|%2|%3").arg(key, keySec, param);
        return true;
    }
    void formEnded(const QString& keySec) override { calls << "ended " + keySec; }
    void endRegistration() override { calls << "endRegistration"; }
};

inline void writeFile(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text.toUtf8());
}

}  // namespace evapre::test
