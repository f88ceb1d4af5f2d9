// Finding and choosing the configuration file, reading the database settings.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "ConfigIni.h"
#include "ScriptedUiServices.h"
#include "ShellFakes.h"

namespace evapre::test {
namespace {

class IniSearchTest : public ::testing::Test {
  protected:
    QTemporaryDir root;
    IniSearchPlaces places;

    void SetUp() override {
        places.installIni = root.filePath(QStringLiteral("inst/TovWinInst.ini"));
        places.systemDir = root.filePath(QStringLiteral("etc"));
        places.programDir = root.filePath(QStringLiteral("bin"));
        places.currentDir = root.filePath(QStringLiteral("cwd"));
    }
    QString make(const QString& relative) {
        const QString path = root.filePath(relative);
        writeFile(path, QStringLiteral("[Connessioni]\n"));
        return path;
    }
};

TEST_F(IniSearchTest, SearchOrder) {
    // Each row adds one more candidate; the first existing one in the order wins.
    const QString program = make(QStringLiteral("bin/tovwin.ini"));
    EXPECT_EQ(FindIniFile({}, {}, places), program);
    const QString current = make(QStringLiteral("cwd/tovwin.ini"));
    EXPECT_EQ(FindIniFile({}, {}, places), current);
    const QString main = make(QStringLiteral("bin/main/tovwin.ini"));
    EXPECT_EQ(FindIniFile({}, {}, places), main);
    const QString system = make(QStringLiteral("etc/tovwin.ini"));
    EXPECT_EQ(FindIniFile({}, {}, places), system);

    // The installation file names the main file: used only when that file exists.
    const QString named = make(QStringLiteral("conf/principale.ini"));
    writeFile(places.installIni, QStringLiteral("[Setup]\nIniPrincipale=") +
                                     root.filePath(QStringLiteral("conf/manca.ini")) + '\n');
    EXPECT_EQ(FindIniFile({}, {}, places), system);
    writeFile(places.installIni, QStringLiteral("[setup]\niniprincipale = ") + named + '\n');
    EXPECT_EQ(FindIniFile({}, {}, places), named);

    // Launch parameter I: only an existing file.
    EXPECT_EQ(FindIniFile({}, root.filePath(QStringLiteral("manca.ini")), places), named);
    const QString launched = make(QStringLiteral("lanciato.ini"));
    EXPECT_EQ(FindIniFile({}, launched, places), launched);

    // The menu's path comes first.
    EXPECT_EQ(FindIniFile(QStringLiteral("/menu/tovwin.ini"), launched, places),
              QStringLiteral("/menu/tovwin.ini"));
}

TEST_F(IniSearchTest, NothingFound) {
    EXPECT_TRUE(FindIniFile({}, {}, places).isEmpty());
}

TEST_F(IniSearchTest, InstallFileFromTheEnvironment) {
    qputenv("EVAPRE_INSTALL_INI", root.filePath(QStringLiteral("altrove.ini")).toUtf8());
    EXPECT_EQ(IniSearchPlaces::standard().installIni, root.filePath(QStringLiteral("altrove.ini")));
    qunsetenv("EVAPRE_INSTALL_INI");
    EXPECT_EQ(IniSearchPlaces::standard().installIni, QStringLiteral("/etc/TovWinInst.ini"));
}

class IniChoiceTest : public IniSearchTest {};

TEST_F(IniChoiceTest, Choice) {
    const QString one = make(QStringLiteral("uno.ini"));
    const QString mainIni = root.filePath(QStringLiteral("tovwin.ini"));
    writeFile(mainIni, QStringLiteral("[Parametri Generali]\nNumIni=3\n[Lista File Ini]\n0=") +
                           mainIni + QStringLiteral("\n1=uno.ini\n3=") +
                           root.filePath(QStringLiteral("manca.ini")) + '\n');
    const QString bad = QStringLiteral(
        "File di inizializzazione non trovato\no con informazioni non corrette.\n"
        "Correggere e rieseguire il programma.");
    struct Case {
        QString answer;  // null: the user cancels
        bool ok;
        QString path;
    };
    const Case cases[] = {
        {QStringLiteral(""), true, mainIni},  {QString(), true, mainIni},
        {QStringLiteral("0"), true, mainIni}, {QStringLiteral("1"), true, one},
        {QStringLiteral(" 1 "), true, one},   {QStringLiteral("2"), false, {}},  // no entry
        {QStringLiteral("3"), false, {}},  // entry of a missing file
        {QStringLiteral("4"), false, {}},  // beyond NumIni
        {QStringLiteral("abc"), false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        ScriptedUiServices ui;
        ui.inputs.enqueue(c.answer);
        const IniChoice choice = ChooseIniFile(mainIni, ui);
        EXPECT_EQ(choice.ok, c.ok);
        EXPECT_EQ(choice.path, c.path);
        ASSERT_EQ(ui.prompts.size(), 1);
        EXPECT_EQ(ui.prompts.first(), QStringLiteral("Numero di ini scelto\n(da 0 a 3)\n0 -> ") +
                                          mainIni + QStringLiteral("\n1 -> uno.ini\n3 -> ") +
                                          root.filePath(QStringLiteral("manca.ini")));
        EXPECT_EQ(ui.messages, c.ok ? QStringList() : QStringList{bad});
    }
}

TEST_F(IniChoiceTest, NoAlternativesNoQuestion) {
    for (const QString& text :
         {QStringLiteral("[Parametri Generali]\nNumIni=0\n"), QStringLiteral("")}) {
        const QString mainIni = root.filePath(QStringLiteral("tovwin.ini"));
        writeFile(mainIni, text);
        ScriptedUiServices ui;
        const IniChoice choice = ChooseIniFile(mainIni, ui);
        EXPECT_TRUE(choice.ok);
        EXPECT_EQ(choice.path, mainIni);
        EXPECT_TRUE(ui.prompts.isEmpty());
    }
}

TEST_F(IniSearchTest, DatabaseSettings) {
    const QString file = root.filePath(QStringLiteral("tovwin.ini"));
    writeFile(file, QStringLiteral("[Connessioni]\nNomeDB=ditta.db\nDriveDB=/srv\nOwner=dbo\n"
                                   "[Base]\nDirDB=dati\n"));
    ScriptedUiServices ui;
    DbSettings settings;
    ASSERT_TRUE(
        ReadDbSettings(file, {}, QStringLiteral("menu.db"), QStringLiteral("conn"), ui, &settings));
    EXPECT_EQ(settings.nomeDb, QStringLiteral("/srv/dati/ditta.db"));
    EXPECT_TRUE(settings.driveDb.isEmpty());
    EXPECT_EQ(settings.connect, QStringLiteral("conn"));
    EXPECT_EQ(settings.owner, QStringLiteral("dbo"));
    EXPECT_EQ(settings.execOption, QStringLiteral("0"));

    // A data source name is not a path.
    writeFile(file, QStringLiteral("[Connessioni]\nNomeDB=DittaDsn\nDriveDB=/srv\n"));
    ASSERT_TRUE(ReadDbSettings(file, {}, {}, {}, ui, &settings));
    EXPECT_EQ(settings.nomeDb, QStringLiteral("DittaDsn"));

    // Without NomeDB the menu's name is used; without either the file is wrong.
    writeFile(file, QStringLiteral("[Connessioni]\n"));
    ASSERT_TRUE(ReadDbSettings(file, {}, QStringLiteral("/x/menu.db"), {}, ui, &settings));
    EXPECT_EQ(settings.nomeDb, QStringLiteral("/x/menu.db"));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_FALSE(ReadDbSettings(file, {}, {}, {}, ui, &settings));
    EXPECT_EQ(ui.messages,
              QStringList{QStringLiteral("File di inizializzazioni: ") + file +
                          QStringLiteral(" non trovato  o con informazioni non corrette.\n"
                                         "Correggere e rieseguire il programma.")});
}

TEST_F(IniSearchTest, ShownSettingsCanBeCancelled) {
    const QString file = root.filePath(QStringLiteral("tovwin.ini"));
    writeFile(file,
              QStringLiteral("[Parametri Generali]\nVisParam=db1\n[Connessioni]\nNomeDB=/d/a.db\n"
                             "Connect=;x\n"));
    for (int answer : {1, 2, 3}) {
        ScriptedUiServices ui;
        ui.answers.enqueue(answer);
        DbSettings settings;
        EXPECT_EQ(ReadDbSettings(file, {}, {}, {}, ui, &settings), answer != 3);
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_EQ(ui.messages.first(),
                  QStringLiteral("Parametri letti:\nFile dei parametri: ") + file +
                      QStringLiteral("\nDatabase: /d/a.db\nTipo Connessione: ;x"));
    }
}

}  // namespace
}  // namespace evapre::test
