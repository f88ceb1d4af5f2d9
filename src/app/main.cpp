// evapre: the GUI started by the menu, and the headless commands.
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <memory>

#include "Commands.h"

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
    std::fprintf(stderr,
                 "evapre: la finestra di evasione arriva con la selezione; per ora usare i comandi:\n%s",
                 evapre::CommandsUsage().toLocal8Bit().constData());
    return 2;
}
