#include "IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace evapre;

namespace {
QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& data) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
    return path;
}
}  // namespace

TEST(IniFile, WindowsFileWithCrlfCommentsAndSpaces) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray data =
        "\xEF\xBB\xBF; file di prova\r\n"
        "[Parametri Generali]\r\n"
        "NumIni=2\r\n"
        "  BeepCome  =  Sempre  \r\n"
        "# altro commento\r\n"
        "VisParam=\r\n"
        "\r\n"
        "[ Connessioni ]\r\n"
        "NomeDB=C:\\Dati\\ditta.mdb\r\n"
        "Connect=ODBC;DSN=ditta;UID=sa;PWD=a=b\r\n"
        "Owner=\"dbo\"\r\n"
        "Exec_option=64abc\r\n"
        "Negativo= -12\r\n"
        "Testo=abc\r\n"
        "NumIni=99\r\n"
        "riga senza uguale\r\n"
        "[Lista File Ini]\r\n"
        "0=tovwin.ini\r\n"
        "1=àèé.ini\r\n"
        "[parametri generali]\r\n"
        "NumIni=7\r\n"
        "Extra=1\r\n";
    const QString path = writeFile(dir, "tovwin.ini", data);
    const IniFile ini = IniFile::load(path);
    EXPECT_TRUE(ini.loaded());
    EXPECT_EQ(ini.value(QStringLiteral("Parametri Generali"), QStringLiteral("BeepCome")),
              QStringLiteral("Sempre"));
    EXPECT_EQ(ini.value(QStringLiteral("PARAMETRI GENERALI"), QStringLiteral("beepcome")),
              QStringLiteral("Sempre"));
    EXPECT_EQ(ini.intValue(QStringLiteral("parametri generali"), QStringLiteral("NUMINI"), 0),
              2);  // first wins
    EXPECT_EQ(ini.value(QStringLiteral("Parametri Generali"), QStringLiteral("Extra")),
              QStringLiteral("1"));
    EXPECT_EQ(ini.value(QStringLiteral("Parametri Generali"), QStringLiteral("VisParam"),
                        QStringLiteral("def")),
              QString());
    EXPECT_TRUE(ini.contains(QStringLiteral("Parametri Generali"), QStringLiteral("VisParam")));
    EXPECT_EQ(ini.value(QStringLiteral("Connessioni"), QStringLiteral("NomeDB")),
              QStringLiteral("C:\\Dati\\ditta.mdb"));
    EXPECT_EQ(ini.value(QStringLiteral("Connessioni"), QStringLiteral("Connect")),
              QStringLiteral("ODBC;DSN=ditta;UID=sa;PWD=a=b"));
    EXPECT_EQ(ini.value(QStringLiteral("Connessioni"), QStringLiteral("Owner")),
              QStringLiteral("dbo"));
    EXPECT_EQ(ini.intValue(QStringLiteral("Connessioni"), QStringLiteral("Exec_option"), 0), 64);
    EXPECT_EQ(ini.intValue(QStringLiteral("Connessioni"), QStringLiteral("Negativo"), 0), -12);
    EXPECT_EQ(ini.intValue(QStringLiteral("Connessioni"), QStringLiteral("Testo"), 5), 5);
    EXPECT_EQ(ini.intValue(QStringLiteral("Connessioni"), QStringLiteral("Manca"), 5), 5);
    EXPECT_EQ(ini.value(QStringLiteral("Connessioni"), QStringLiteral("NumIni")),
              QStringLiteral("99"));
    EXPECT_EQ(ini.value(QStringLiteral("Lista File Ini"), QStringLiteral("1")),
              QStringLiteral("àèé.ini"));
    EXPECT_EQ(ini.value(QStringLiteral("Manca"), QStringLiteral("X"), QStringLiteral("def")),
              QStringLiteral("def"));
    EXPECT_EQ(ini.value(QStringLiteral("Connessioni"), QStringLiteral("riga senza uguale"),
                        QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ini.sections(),
              (QStringList{QStringLiteral("Parametri Generali"), QStringLiteral("Connessioni"),
                           QStringLiteral("Lista File Ini")}));
    EXPECT_EQ(ini.keys(QStringLiteral("lista file ini")),
              (QStringList{QStringLiteral("0"), QStringLiteral("1")}));

    EXPECT_EQ(IniLeggi(path, QStringLiteral("Connessioni"), QStringLiteral("Owner")),
              QStringLiteral("dbo"));
    EXPECT_EQ(IniLeggiInt(path, QStringLiteral("Parametri Generali"), QStringLiteral("NumIni"), 0),
              2);
}

TEST(IniFile, Latin1FallbackAndLfAndCr) {
    QTemporaryDir dir;
    const QString lat =
        writeFile(dir, "lat.ini", QByteArray("[Base]\nDirImmagini=/img/caff\xE8\n"));
    EXPECT_EQ(IniLeggi(lat, QStringLiteral("Base"), QStringLiteral("DirImmagini")),
              QStringLiteral("/img/caffè"));
    const QString cr = writeFile(dir, "cr.ini", QByteArray("[Base]\rA=1\rB=2"));
    EXPECT_EQ(IniLeggi(cr, QStringLiteral("base"), QStringLiteral("b")), QStringLiteral("2"));
    EXPECT_EQ(IniLeggiInt(cr, QStringLiteral("base"), QStringLiteral("a"), 0), 1);
}

TEST(IniFile, MissingFileGivesDefaults) {
    const QString path = QStringLiteral("/nonexistent/dir/tovwin.ini");
    EXPECT_FALSE(IniFile::load(path).loaded());
    EXPECT_EQ(IniLeggi(path, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("def")),
              QStringLiteral("def"));
    EXPECT_EQ(IniLeggiInt(path, QStringLiteral("A"), QStringLiteral("B"), 42), 42);
    EXPECT_EQ(IniLeggi(QString(), QStringLiteral("A"), QStringLiteral("B")), QString());
}

TEST(IniFile, IntegerReadLikeGetPrivateProfileInt) {
    const IniFile ini =
        IniFile::fromData("[S]\na=  17 \nb=+3\nc=-\nd=99999999999\ne=0012x\nf=\ng=  -0\n");
    EXPECT_EQ(ini.intValue(QStringLiteral("S"), QStringLiteral("a"), -1), 17);
    EXPECT_EQ(ini.intValue(QStringLiteral("S"), QStringLiteral("b"), -1), 3);
    EXPECT_EQ(ini.intValue(QStringLiteral("S"), QStringLiteral("c"), -1), -1);
    EXPECT_EQ(ini.intValue(QStringLiteral("S"), QStringLiteral("d"), -1), -1);
    EXPECT_EQ(ini.intValue(QStringLiteral("S"), QStringLiteral("e"), -1), 12);
    EXPECT_EQ(ini.intValue(QStringLiteral("S"), QStringLiteral("f"), -1), -1);
    EXPECT_EQ(ini.intValue(QStringLiteral("S"), QStringLiteral("g"), -1), 0);
}
