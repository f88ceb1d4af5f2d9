#pragma once

#include <QString>
#include <QStringList>

namespace evapre {

class DbConnection;

// Creates or upgrades a company database from the numbered DDL scripts built into the
// program ("001_base.sql", ...). The version reached is recorded in SchemaVersione.
class SchemaManager {
  public:
    // The highest script number known to this program.
    static int latestVersion();
    // 0 for a database without SchemaVersione.
    static int currentVersion(DbConnection& connection);
    // Applies the scripts above the current version, each in its own transaction.
    // Returns the number of scripts applied. Existing data is never changed.
    static int upgrade(DbConnection& connection);
    // Splits a script into statements at the semicolons that end a line.
    static QStringList splitStatements(const QString& script);
};

}  // namespace evapre
