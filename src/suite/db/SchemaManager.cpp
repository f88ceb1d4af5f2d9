#include "SchemaManager.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <map>

#include "DbConnection.h"
#include "DbError.h"
#include "RowSet.h"

namespace evapre {

namespace {

// Scripts by number, read from the resources linked into the program.
std::map<int, QString> scripts() {
    std::map<int, QString> found;
    static const QRegularExpression name(QStringLiteral(R"(^(\d{3})_.*\.sql$)"));
    const QDir dir(QStringLiteral(":/schema"));
    for (const QString& file : dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name)) {
        const auto match = name.match(file);
        if (match.hasMatch())
            found.emplace(match.captured(1).toInt(), dir.filePath(file));
    }
    return found;
}

QString readScript(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(DbErr::CallFailed,
                      QStringLiteral("Script dello schema non leggibile: ") + path);
    return QString::fromUtf8(file.readAll());
}

}  // namespace

int SchemaManager::latestVersion() {
    const auto all = scripts();
    return all.empty() ? 0 : all.rbegin()->first;
}

int SchemaManager::currentVersion(DbConnection& connection) {
    if (!connection.tableExists(QStringLiteral("SchemaVersione")))
        return 0;
    const QVariant v =
        connection.scalar(QStringLiteral("SELECT MAX(Versione) FROM SchemaVersione"));
    return v.isNull() ? 0 : v.toInt();
}

QStringList SchemaManager::splitStatements(const QString& script) {
    QStringList statements;
    QString current;
    for (const QString& rawLine : script.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("--")))
            continue;
        current += rawLine + QLatin1Char('\n');
        if (line.endsWith(QLatin1Char(';'))) {
            current = current.trimmed();
            current.chop(1);
            statements << current;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

int SchemaManager::upgrade(DbConnection& connection) {
    const int current = currentVersion(connection);
    int applied = 0;
    for (const auto& [number, path] : scripts()) {
        if (number <= current)
            continue;
        const QStringList statements = splitStatements(readScript(path));
        DbTransaction transaction(connection);
        for (const QString& statement : statements)
            connection.executePortable(statement);
        // A script may record its own version; record it here when it did not.
        const QString recorded =
            QStringLiteral("SELECT Versione FROM SchemaVersione WHERE Versione = ") +
            connection.sql(number);
        if (!connection.scalar(recorded).isValid())
            connection.execute(
                QStringLiteral("INSERT INTO SchemaVersione (Versione, DataAgg) VALUES (") +
                connection.sql(number) + QLatin1Char(',') +
                connection.sql(QDateTime::currentDateTime()) + QLatin1Char(')'));
        transaction.commit();
        ++applied;
    }
    return applied;
}

}  // namespace evapre
