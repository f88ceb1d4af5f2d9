#pragma once

#include <QString>

namespace evapre {

// How a company database is reached, told apart by its name alone.
enum class DbKind { SQLite, PostgreSQL, Odbc };

// "postgresql://" or "postgres://" → native PostgreSQL; "ODBC;" (any case), a name ending in
// ".dsn" or a name without "." → ODBC; anything else is a SQLite file path.
DbKind DbKindFromName(const QString& name);

// True for the kinds the suite calls SQL servers (its DbTipoSql setting).
inline bool IsServerKind(DbKind kind) {
    return kind != DbKind::SQLite;
}

// The connect string of the direct database handle: the name unchanged for "ODBC;" strings,
// "ODBC;FIleDSN=<name>;<credentials>" for ".dsn" files, the path itself for files, and
// "ODBC;DSN=<name>;<credentials>" for data source names, where the credentials are
// "UID=<user>" plus ";PWD=<password>" when both are given.
QString BuildConnectString(const QString& name, const QString& user, const QString& password);

}  // namespace evapre
