// evapre-menu: the stand-in for the suite's menu program. It serves the parameters of a
// company database, launches evapre the way the suite does, and sends it commands.
#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QSocketNotifier>
#include <QSysInfo>
#include <cstdio>
#include <memory>

#include "CommandLine.h"
#include "DateConv.h"
#include "DbError.h"
#include "DirectMenuClient.h"
#include "IniFile.h"
#include "LaunchParams.h"
#include "MenuServer.h"
#include "MenuWire.h"
#include "VeltDbasedll.h"

namespace {

using namespace evapre;

constexpr int kUsage = 2;

void out(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}
void err(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

QString usage() {
    return QStringLiteral(
        "Uso:\n"
        "  evapre-menu [--ini FILE] [--db CONN] [--user NOME] [--terminal NOME]\n"
        "              [--date GG/MM/AAAA] [--name CANALE] [--program PERCORSO]\n"
        "              [--form NOME] [--key \"EvaPre EvPr\"] [--suite-ini FILE] [--no-launch]\n"
        "      avvia il menu, lancia evapre e resta in attesa; ogni riga scritta sul\n"
        "      terminale (\"comando [parametri...]\") è inviata al programma come comando\n"
        "  evapre-menu send [--name CANALE | --user NOME] [--json] COMANDO [PARAMETRI...]\n"
        "      invia un comando al programma lanciato dal menu in esecuzione e stampa la\n"
        "      risposta (più parametri formano un elenco)\n");
}

QString loginName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        if (const passwd* entry = getpwuid(getuid()))
            name = QString::fromLocal8Bit(entry->pw_name);
    return name.isEmpty() ? QStringLiteral("utente") : name;
}

QString defaultChannel(const QString& user) {
    return QStringLiteral("evapre-menu-") + user;
}

void log(const QString& line) {
    out(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")) +
        QStringLiteral(" menu: ") + line);
}

QVariant commandParam(const QStringList& words) {
    if (words.isEmpty())
        return {};
    if (words.size() == 1)
        return words.first();
    QVariantList list;
    for (const QString& word : words)
        list << word;
    return list;
}

QString printable(const QVariant& answer, bool json) {
    if (json || answer.typeId() != QMetaType::QString) {
        const QJsonValue value = menuwire::toJson(answer);
        if (value.isString() && !json)
            return value.toString();
        return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("v"), value}})
                                     .toJson(QJsonDocument::Compact))
            .mid(5)
            .chopped(1);
    }
    return answer.toString();
}

// evapre-menu send: asks the running menu to forward one command.
int sendCommand(const QStringList& args) {
    QString channel;
    QString user = loginName();
    bool json = false;
    QStringList words;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--name") && i + 1 < args.size())
            channel = args[++i];
        else if (args[i] == QLatin1String("--user") && i + 1 < args.size())
            user = args[++i];
        else if (args[i] == QLatin1String("--json"))
            json = true;
        else
            words << args[i];
    }
    if (words.isEmpty()) {
        err(QStringLiteral("Manca il comando da inviare.\n") + usage());
        return kUsage;
    }
    if (channel.isEmpty())
        channel = defaultChannel(user);
    const QString command = words.takeFirst();

    QLocalSocket socket;
    socket.connectToServer(channel);
    if (!socket.waitForConnected(3000)) {
        err(QStringLiteral("Il menu non è in esecuzione (canale ") + channel + QStringLiteral(")"));
        return 1;
    }
    socket.write(
        menuwire::encode({{QStringLiteral("id"), 1},
                          {QStringLiteral("op"), QStringLiteral("send")},
                          {QStringLiteral("command"), command},
                          {QStringLiteral("param"), menuwire::toJson(commandParam(words))}}));
    socket.flush();
    QByteArray buffer;
    // A command may open a message on the program's screen: wait as long as it takes.
    while (socket.state() == QLocalSocket::ConnectedState) {
        if (!socket.waitForReadyRead(-1) && socket.state() != QLocalSocket::ConnectedState)
            break;
        for (const QJsonObject& reply : menuwire::readMessages(socket, buffer)) {
            if (reply.value(QStringLiteral("id")).toInt() != 1)
                continue;
            if (!reply.value(QStringLiteral("ok")).toBool()) {
                err(reply.value(QStringLiteral("error")).toString());
                return 1;
            }
            out(printable(menuwire::fromJson(reply.value(QStringLiteral("result"))), json));
            return 0;
        }
    }
    err(QStringLiteral("Il menu ha chiuso il canale senza rispondere"));
    return 1;
}

// The menu-level values the program asks for before its database is open.
const char* const kMenuKeys[] = {"NomeDBAzie", "ConnectDBAzie", "SqlLogin",
                                 "SqlPwd",     "ChiediPwdSql",  "PwdDbAzie",
                                 "AccMenuPwd", "MenuProcId",    "VersMenu"};

int runMenu(const QStringList& args) {
    CommandLine line;
    QString error;
    if (!line.parse(args, {QStringLiteral("no-launch")}, &error)) {
        err(error + QLatin1Char('\n') + usage());
        return kUsage;
    }
    const QString iniFile = line.value(QStringLiteral("ini"));
    if (!iniFile.isEmpty() && !QFileInfo(iniFile).isFile()) {
        err(QStringLiteral("File ini del menu non trovato: ") + iniFile);
        return 1;
    }
    const IniFile ini = IniFile::load(iniFile);
    const QString section = QStringLiteral("Menu");
    auto setting = [&](const QString& key, const QString& fallback = {}) {
        return line.value(key, ini.value(section, key, fallback)).trimmed();
    };

    const QString user = line.value(QStringLiteral("user"), loginName());
    const QString terminal = line.value(QStringLiteral("terminal"), QSysInfo::machineHostName());
    QDate date = QDate::currentDate();
    if (line.has(QStringLiteral("date"))) {
        const auto parsed = ConvertiData(line.value(QStringLiteral("date")));
        if (!parsed || !parsed->isValid()) {
            err(QStringLiteral("Data di lavoro non valida: ") + line.value(QStringLiteral("date")) +
                QStringLiteral(" (formato GG/MM/AAAA)"));
            return kUsage;
        }
        date = *parsed;
    }
    QString nomeDb =
        line.value(QStringLiteral("db"), ini.value(section, QStringLiteral("NomeDBAzie")))
            .trimmed();
    if (nomeDb.isEmpty()) {
        err(QStringLiteral("Database dell'azienda non indicato: usare --db o NomeDBAzie nella "
                           "sezione [Menu] del file ini.\n") +
            usage());
        return kUsage;
    }
    if (DbKindFromName(nomeDb) == DbKind::SQLite && QFileInfo(nomeDb).isRelative())
        nomeDb = QFileInfo(nomeDb).absoluteFilePath();

    // The company database, for the parameter lookups.
    auto& component = VeltDbasedll::instance();
    OpenOptions options;
    options.user = ini.value(section, QStringLiteral("SqlLogin")).trimmed();
    options.password = ini.value(section, QStringLiteral("SqlPwd"));
    int dbId = 0;
    try {
        dbId = component.openConnection(nomeDb, ini.value(section, QStringLiteral("ConnectDBAzie")),
                                        options);
    } catch (const DbError& e) {
        err(QStringLiteral("Impossibile aprire il database dell'azienda: ") + e.describe());
        return 1;
    }
    DirectMenuClient backend(component.connection(dbId), user, terminal, date);
    for (const char* key : kMenuKeys)
        backend.setOverride(QLatin1String(key), ini.value(section, QLatin1String(key)));
    backend.setOverride(QStringLiteral("NomeDBAzie"), nomeDb);
    if (ini.value(section, QStringLiteral("MenuProcId")).trimmed().isEmpty())
        backend.setOverride(QStringLiteral("MenuProcId"),
                            QString::number(QCoreApplication::applicationPid()));
    if (ini.value(section, QStringLiteral("VersMenu")).trimmed().isEmpty())
        backend.setOverride(QStringLiteral("VersMenu"), QStringLiteral("1.07"));
    // The suite's configuration file: FileIni, else the menu's own file, else none (the
    // program then looks for it itself).
    QString suiteIni = setting(QStringLiteral("FileIni"));
    if (suiteIni.isEmpty() && !iniFile.isEmpty())
        suiteIni = QFileInfo(iniFile).absoluteFilePath();
    backend.setIniPath(suiteIni);

    const QString form = setting(QStringLiteral("form"), ini.value(section, QStringLiteral("Form"),
                                                                   QStringLiteral("frmEvasPre")));
    const QString key = setting(QStringLiteral("key"), ini.value(section, QStringLiteral("Chiave"),
                                                                 QStringLiteral("EvaPre EvPr")));
    const QString channel = line.value(QStringLiteral("name"), defaultChannel(user));

    MenuServer server(backend);
    QObject::connect(&server, &MenuServer::log, &log);
    LaunchInfo launch;
    launch.osParam = BuildLaunchParams({{QLatin1Char('F'), form}});
    server.setLaunchInfo(launch);
    if (!server.listen(channel, &error)) {
        err(error);
        return 1;
    }
    log(QStringLiteral("in ascolto sul canale %1 (utente %2, terminale %3, data %4, database %5)")
            .arg(channel, user, terminal, date.toString(QStringLiteral("dd/MM/yyyy")), nomeDb));

    // Lines typed on the terminal are commands for the program.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[1024];
        if (!std::fgets(buffer, sizeof buffer, stdin)) {
            input.setEnabled(false);
            return;
        }
        QStringList words =
            QString::fromLocal8Bit(buffer).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString& word : words)
            word = word.trimmed();
        words.removeAll(QString());
        if (words.isEmpty())
            return;
        const QString command = words.takeFirst();
        server.sendCommand(command, commandParam(words),
                           [command](const QVariant& answer, const QString& failure) {
                               if (!failure.isEmpty())
                                   log(command + QStringLiteral(": ") + failure);
                               else
                                   log(command + QStringLiteral(" -> ") + printable(answer, true));
                           });
    });

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    if (!line.has(QStringLiteral("no-launch"))) {
        const QString path = setting(
            QStringLiteral("program"),
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("evapre")));
        QList<QPair<QChar, QString>> params{
            {QLatin1Char('M'), channel}, {QLatin1Char('P'), key}, {QLatin1Char('F'), form}};
        if (line.has(QStringLiteral("suite-ini")))
            params << qMakePair(QLatin1Char('I'), line.value(QStringLiteral("suite-ini")));
        const QStringList arguments = BuildLaunchArgs(params);
        QObject::connect(&program, &QProcess::finished, [&](int code, QProcess::ExitStatus status) {
            log(status == QProcess::NormalExit
                    ? QStringLiteral("programma terminato con codice %1").arg(code)
                    : QStringLiteral("programma terminato in modo anomalo"));
            QCoreApplication::exit(status == QProcess::NormalExit ? code : 1);
        });
        QObject::connect(&program, &QProcess::errorOccurred, [&](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart) {
                log(QStringLiteral("impossibile avviare ") + path + QStringLiteral(": ") +
                    program.errorString());
                QCoreApplication::exit(1);
            }
        });
        log(QStringLiteral("lancio: ") + path + QLatin1Char(' ') +
            arguments.join(QLatin1Char(' ')));
        program.start(path, arguments);
    }
    const int code = QCoreApplication::exec();
    if (program.state() != QProcess::NotRunning) {
        program.terminate();
        program.waitForFinished(3000);
    }
    component.reset();
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (!args.isEmpty() &&
        (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"))) {
        out(usage());
        return 0;
    }
    if (!args.isEmpty() && args.first() == QLatin1String("send"))
        return sendCommand(args.mid(1));
    if (!args.isEmpty() && args.first() == QLatin1String("run"))
        args.removeFirst();
    return runMenu(args);
}
