#include "ConfigIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "DbKind.h"
#include "IniFile.h"
#include "PathUtil.h"
#include "UiServices.h"

namespace evapre {

namespace {

bool isFile(const QString& path) {
    return !path.trimmed().isEmpty() && QFileInfo(path.trimmed()).isFile();
}

QString nonTrovato() {
    return QStringLiteral(
        "File di inizializzazione non trovato\n"
        "o con informazioni non corrette.\n"
        "Correggere e rieseguire il programma.");
}

}  // namespace

IniSearchPlaces IniSearchPlaces::standard() {
    IniSearchPlaces places;
    const QString overridden = qEnvironmentVariable("EVAPRE_INSTALL_INI");
    places.installIni = overridden.trimmed().isEmpty() ? QStringLiteral("/etc/TovWinInst.ini")
                                                       : overridden.trimmed();
    places.systemDir = CartellaSistema();
    places.programDir = CartellaProgramma();
    places.currentDir = QDir::currentPath();
    return places;
}

QString FindIniFile(const QString& menuPath, const QString& launchParamI,
                    const IniSearchPlaces& places) {
    if (!menuPath.trimmed().isEmpty())
        return menuPath.trimmed();
    if (isFile(launchParamI))
        return launchParamI.trimmed();
    if (isFile(places.installIni)) {
        const QString main =
            IniLeggi(places.installIni, QStringLiteral("Setup"), QStringLiteral("IniPrincipale"))
                .trimmed();
        if (isFile(main))
            return main;
    }
    const QString name = QString::fromLatin1(kDefaultIniName);
    const QStringList folders{places.systemDir,
                              places.programDir.isEmpty()
                                  ? QString()
                                  : QDir(places.programDir).filePath(QStringLiteral("main")),
                              places.currentDir, places.programDir};
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString candidate = QDir(folder).filePath(name);
        if (isFile(candidate))
            return QDir::cleanPath(candidate);
    }
    return {};
}

IniChoice ChooseIniFile(const QString& mainIni, UiServices& ui) {
    const QString general = QStringLiteral("Parametri Generali");
    const QString list = QStringLiteral("Lista File Ini");
    const int numIni = IniLeggiInt(mainIni, general, QStringLiteral("NumIni"), 0);
    if (numIni <= 0)
        return {true, mainIni};

    QString prompt = QStringLiteral("Numero di ini scelto\n(da 0 a %1)").arg(numIni);
    for (int i = 0; i <= numIni; ++i) {
        const QString entry = IniLeggi(mainIni, list, QString::number(i)).trimmed();
        if (!entry.isEmpty())
            prompt += QStringLiteral("\n%1 -> %2").arg(i).arg(entry);
    }
    bool accepted = true;
    const QString answer =
        ui.input(prompt, QStringLiteral("Scelta dell'INI"), QStringLiteral("0"), &accepted)
            .trimmed();
    if (!accepted || answer.isEmpty())
        return {true, mainIni};

    bool numeric = false;
    const int index = answer.toInt(&numeric);
    if (numeric && index == 0)
        return {true, mainIni};
    QString chosen;
    if (numeric && index > 0 && index <= numIni)
        chosen = IniLeggi(mainIni, list, QString::number(index)).trimmed();
    if (!chosen.isEmpty() && QFileInfo(chosen).isRelative())
        chosen = QFileInfo(mainIni).dir().filePath(chosen);
    if (!isFile(chosen)) {
        ui.message(nonTrovato(), {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        return {false, {}};
    }
    return {true, QDir::cleanPath(chosen)};
}

bool ReadDbSettings(const QString& file, const QString& section, const QString& nomeDBAzie,
                    const QString& connectDBAzie, UiServices& ui, DbSettings* out) {
    const QString sect = section.trimmed().isEmpty() ? QStringLiteral("Connessioni") : section;
    DbSettings s;
    s.file = file;
    s.nomeDb = IniLeggi(file, sect, QStringLiteral("NomeDB"), nomeDBAzie).trimmed();
    if (s.nomeDb.isEmpty()) {
        ui.message(QStringLiteral("File di inizializzazioni: ") + file +
                       QStringLiteral(" non trovato  o con informazioni non corrette.\n"
                                      "Correggere e rieseguire il programma."),
                   {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        return false;
    }
    s.driveDb = IniLeggi(file, sect, QStringLiteral("DriveDB")).trimmed();
    if (sect == QLatin1String("Connessioni"))
        s.dirDb = IniLeggi(file, QStringLiteral("Base"), QStringLiteral("DirDB")).trimmed();
    if (DbKindFromName(s.nomeDb) == DbKind::SQLite) {
        s.nomeDb = PercorsoCompleto(s.driveDb, s.dirDb, s.nomeDb);
        s.driveDb.clear();
    }
    s.connect = IniLeggi(file, sect, QStringLiteral("Connect"), connectDBAzie);
    s.owner = IniLeggi(file, sect, QStringLiteral("Owner"));
    s.execOption = IniLeggi(file, sect, QStringLiteral("Exec_option"), QStringLiteral("0"));

    const QString vis =
        IniLeggi(file, QStringLiteral("Parametri Generali"), QStringLiteral("VisParam"))
            .trimmed()
            .toUpper();
    if (vis == QLatin1String("TUTTO") || vis == QLatin1String("DB1")) {
        const int answer =
            ui.message(QStringLiteral("Parametri letti:\nFile dei parametri: ") + file +
                           QStringLiteral("\nDatabase: ") + s.nomeDb +
                           QStringLiteral("\nTipo Connessione: ") + s.connect,
                       {QStringLiteral("&Sì"), QStringLiteral("&No"), QStringLiteral("&Annulla")},
                       1, MsgIcon::Question);
        if (answer == 3)
            return false;
    }
    *out = s;
    return true;
}

}  // namespace evapre
