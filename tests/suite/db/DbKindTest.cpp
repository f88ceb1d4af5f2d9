#include <gtest/gtest.h>

#include "DbKind.h"

using namespace evapre;

TEST(DbKind, ToldApartByName) {
    const struct {
        const char* name;
        DbKind kind;
    } cases[] = {
        {"/srv/aziende/ditta01.db", DbKind::SQLite},
        {"C:\\Dati\\Ditta.mdb", DbKind::SQLite},
        {"dati.sqlite", DbKind::SQLite},
        {"Ditta01", DbKind::Odbc},
        {"ditta.DSN", DbKind::Odbc},
        {"odbc;DSN=Ditta;UID=sa", DbKind::Odbc},
        {"ODBC;DSN=x.y", DbKind::Odbc},
        {"postgresql://u@127.0.0.1:5432/ditta", DbKind::PostgreSQL},
        {"postgres://host/ditta", DbKind::PostgreSQL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DbKindFromName(QString::fromUtf8(c.name)), c.kind) << c.name;
}

TEST(DbKind, ConnectStringOfTheDirectHandle) {
    const struct {
        const char* name;
        const char* user;
        const char* password;
        const char* expected;
    } cases[] = {
        {"Ditta", "sa", "", "ODBC;DSN=Ditta;UID=sa"},
        {"Ditta", "sa", "segreta", "ODBC;DSN=Ditta;UID=sa;PWD=segreta"},
        {"Ditta", "", "segreta", "ODBC;DSN=Ditta;"},
        {"ditta.dsn", "sa", "x", "ODBC;FIleDSN=ditta.dsn;UID=sa;PWD=x"},
        {"ODBC;DSN=Altra;UID=u", "sa", "x", "ODBC;DSN=Altra;UID=u"},
        {"/dati/ditta.db", "sa", "x", "/dati/ditta.db"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildConnectString(c.name, c.user, c.password), QString::fromUtf8(c.expected))
            << c.name;
}
