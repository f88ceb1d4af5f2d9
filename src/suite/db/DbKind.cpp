#include "DbKind.h"

namespace evapre {

DbKind DbKindFromName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return DbKind::PostgreSQL;
    if (trimmed.toUpper().startsWith(QLatin1String("ODBC;")) ||
        trimmed.toLower().endsWith(QLatin1String(".dsn")) || !trimmed.contains(QLatin1Char('.')))
        return DbKind::Odbc;
    return DbKind::SQLite;
}

namespace {

QString credentials(const QString& user, const QString& password) {
    if (user.trimmed().isEmpty())
        return {};
    QString text = QStringLiteral("UID=") + user;
    if (!password.trimmed().isEmpty())
        text += QStringLiteral(";PWD=") + password;
    return text;
}

}  // namespace

QString BuildConnectString(const QString& name, const QString& user, const QString& password) {
    if (name.toUpper().startsWith(QLatin1String("ODBC;")))
        return name;
    if (name.toLower().endsWith(QLatin1String(".dsn")))
        return QStringLiteral("ODBC;FIleDSN=") + name + QLatin1Char(';') +
               credentials(user, password);
    if (name.contains(QLatin1Char('.')))
        return name;
    return QStringLiteral("ODBC;DSN=") + name + QLatin1Char(';') + credentials(user, password);
}

}  // namespace evapre
