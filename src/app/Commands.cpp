#include "Commands.h"

#include <cstdio>

#include "CommandLine.h"
#include "DbError.h"
#include "RecoverCommand.h"
#include "RunCommand.h"
#include "SchemaManager.h"
#include "VeltDbasedll.h"

namespace evapre {

namespace {

void printErr(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
void printOut(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
}

int initDb(const QStringList& args) {
    CommandLine line;
    QString error;
    if (!line.parse(args, {}, &error) || !line.has(QStringLiteral("db"))) {
        printErr(error.isEmpty() ? QStringLiteral("Uso: evapre init-db --db CONN") : error);
        return ExitCode::Usage;
    }
    OpenOptions options;
    options.createIfMissing = true;
    auto& component = VeltDbasedll::instance();
    const int id = component.openConnection(line.value(QStringLiteral("db")), {}, options);
    DbConnection& db = component.connection(id);
    const int before = SchemaManager::currentVersion(db);
    const int applied = SchemaManager::upgrade(db);
    const int after = SchemaManager::currentVersion(db);
    if (applied == 0)
        printOut(QStringLiteral("Database già aggiornato (versione schema %1).").arg(after));
    else
        printOut(
            QStringLiteral("Schema aggiornato dalla versione %1 alla %2.").arg(before).arg(after));
    component.reset();
    return ExitCode::Ok;
}

}  // namespace

QString CommandsUsage() {
    return QStringLiteral(
        "  evapre init-db --db CONN\n"
        "  evapre demo-db --db CONN [--quotes N] [--lines M] [--seed S]\n"
        "  evapre run --db CONN --user NOME --date GG/MM/AAAA [--working-date GG/MM/AAAA]\n"
        "      --quote-type CODICE (--doc-type CODICE | --receipts) [criteri...]\n"
        "      [--purchases none|all|under-min|exhausted] [--count-commitments]\n"
        "      [--rate MONETA=CAMBIO]... [--staged] [--close-only] [--json]\n"
        "      (evapre run --help: tutte le opzioni)\n"
        "  evapre recover --db CONN --user NOME\n"
        "  evapre footer --db CONN --kind F|B|O|A --year Y --number N [--json]\n");
}

int RunCommand(const QString& command, const QStringList& args) {
    struct ReleaseConnections {
        ~ReleaseConnections() { VeltDbasedll::instance().reset(); }
    } release;
    try {
        if (command == QLatin1String("init-db"))
            return initDb(args);
        if (command == QLatin1String("demo-db"))
            return RunDemoDb(args);
        if (command == QLatin1String("run"))
            return RunFulfilment(args);
        if (command == QLatin1String("recover"))
            return RecoverFulfilment(args);
        if (command == QLatin1String("footer"))
            return RunFooter(args);
    } catch (const DbError& e) {
        printErr(e.describe());
        if (!e.sql().isEmpty())
            printErr(QStringLiteral("SQL: ") + e.sql());
        return ExitCode::Failure;
    } catch (const std::exception& e) {
        printErr(QStringLiteral("Errore: ") + QString::fromUtf8(e.what()));
        return ExitCode::Failure;
    }
    printErr(QStringLiteral("Comando sconosciuto: ") + command + QStringLiteral("\nComandi:\n") +
             CommandsUsage());
    return ExitCode::Usage;
}

}  // namespace evapre
