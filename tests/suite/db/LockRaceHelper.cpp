// Inserts one LockGest mark as soon as the start file appears, prints 0 or the error number,
// and ends (dropping its own mark) when the end file appears.
#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <cstdio>

#include "DbError.h"
#include "VeltDbasedll.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    auto& component = evapre::VeltDbasedll::instance();
    int number = 0;
    try {
        const int id = component.openConnection(args[1]);
        component.setLockConnection(id);
        while (!QFile::exists(args[2]))
            QThread::usleep(200);
        component.lockObject().insertMark({"M", 2026, 77,
                                           QString::number(QCoreApplication::applicationPid()), "0",
                                           "M", "", "", 0, 0});
    } catch (const evapre::DbError& e) {
        number = e.number();
        std::fprintf(stderr, "%s\n", e.what());
    }
    std::printf("%d\n", number);
    std::fflush(stdout);
    // Hold the mark until told to end, so that the other process meets it.
    while (args.size() > 3 && !QFile::exists(args[3]))
        QThread::usleep(1000);
    component.reset();
    return 0;
}
