// evapre: the GUI started by the menu, and the headless commands.
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "LaunchParams.h"
#include "LocalSocketMenuClient.h"
#include "QtUiServices.h"
#include "WidgetForm.h"
#include "frmPrincipale.h"
#include "mainEvasionePreventivi.h"

namespace {

bool isCommand(const char* word) {
    const QString w = QString::fromLocal8Bit(word);
    return !w.startsWith(QLatin1Char('/')) && !w.startsWith(QLatin1Char('-'));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && isCommand(argv[1])) {
        QCoreApplication app(argc, argv);
        QStringList args = app.arguments().mid(1);
        const QString command = args.takeFirst();
        return evapre::RunCommand(command, args);
    }
    // The program as the menu starts it: /M:menu /P:"key sub-key" /F:form [/I:ini].
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    evapre::RegisterScreens();
    evapre::frmPrincipale principale;
    evapre::QtUiServices ui;
    evapre::mainEvasionePreventivi shell(
        ui, principale, [] { return std::make_unique<evapre::LocalSocketMenuClient>(); });
    shell.start(evapre::LaunchParamsFromArgs(app.arguments().mid(1)));
    ui.setBeep(shell.state().beepCome);
    if (shell.ended())
        return shell.exitCode();
    return QApplication::exec();
}
