#pragma once

#include <QString>

namespace evapre {

class UiServices;

// Where the suite's configuration file is looked for after the menu's path and launch
// parameter I.
struct IniSearchPlaces {
    QString installIni;  // names the main file in [Setup] IniPrincipale
    QString systemDir;
    QString programDir;
    QString currentDir;

    // /etc/TovWinInst.ini (or $EVAPRE_INSTALL_INI), /etc, the executable's folder, the
    // working folder.
    static IniSearchPlaces standard();
};

inline constexpr const char* kDefaultIniName = "tovwin.ini";

// The configuration file to use, or empty when none is found.
QString FindIniFile(const QString& menuPath, const QString& launchParamI,
                    const IniSearchPlaces& places);

// Outcome of the choice among the alternative configuration files.
struct IniChoice {
    bool ok = false;
    QString path;
};

// With "NumIni" > 0 in [Parametri Generali], asks which of the files of [Lista File Ini] to
// use; an empty answer or 0 keeps mainIni. An unusable answer is reported and fails.
IniChoice ChooseIniFile(const QString& mainIni, UiServices& ui);

// The database settings of a section of the configuration file.
struct DbSettings {
    QString file;
    QString nomeDb;  // full path for a file database
    QString driveDb;
    QString dirDb;
    QString connect;
    QString owner;
    QString execOption = QStringLiteral("0");
};

// Reads the settings of section ("Connessioni" when empty), the menu's values as defaults.
// False, after telling the user, when the name cannot be read or the user cancels the
// "Parametri letti" question.
bool ReadDbSettings(const QString& file, const QString& section, const QString& nomeDBAzie,
                    const QString& connectDBAzie, UiServices& ui, DbSettings* out);

}  // namespace evapre
