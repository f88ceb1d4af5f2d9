#include "DirectMenuClient.h"

#include "DbConnection.h"
#include "RowSet.h"

namespace evapre {

DirectMenuClient::DirectMenuClient(DbConnection& db, const QString& user, const QString& terminal,
                                   const QDate& workingDate, QObject* parent)
    : MenuClient(parent), mDb(db), mUser(user), mTerminal(terminal), mWorkingDate(workingDate) {}

QString DirectMenuClient::companyFromTables(DbConnection& db, const QString& key) {
    auto rows = db.openRowSet(QStringLiteral("SELECT Valore FROM MenuParametri WHERE Chiave = ") +
                              db.sql(key));
    return rows->eof() ? QString() : rows->text(QStringLiteral("Valore"));
}

QString DirectMenuClient::personalFromTables(DbConnection& db, const QString& user,
                                             const QString& section, const QString& name) {
    auto rows = db.openRowSet(
        QStringLiteral("SELECT Utente, Valore FROM MenuParametriPersonali WHERE Sezione = ") +
        db.sql(section) + QStringLiteral(" AND Nome = ") + db.sql(name) +
        QStringLiteral(" AND (Utente = ") + db.sql(user) + QStringLiteral(" OR Utente = '*')"));
    QString common = personalMarker();
    for (; !rows->eof(); rows->moveNext()) {
        if (rows->text(QStringLiteral("Utente")) == user)
            return rows->text(QStringLiteral("Valore"));
        common = rows->text(QStringLiteral("Valore"));
    }
    return common;
}

QString DirectMenuClient::generalFromTables(DbConnection& db, const QString& name,
                                            const QString& section) {
    auto rows =
        db.openRowSet(QStringLiteral("SELECT Valore FROM MenuParametriGenerali WHERE Sezione = ") +
                      db.sql(section) + QStringLiteral(" AND Nome = ") + db.sql(name));
    return rows->eof() ? QString() : rows->text(QStringLiteral("Valore"));
}

QString DirectMenuClient::generalParameter(const QString& name, const QString& section) {
    return generalFromTables(mDb, name, section);
}

QString DirectMenuClient::parameter(const QString& key) {
    const auto overridden = mOverrides.constFind(key.toLower());
    if (overridden != mOverrides.constEnd())
        return *overridden;
    static const QString personal = QStringLiteral("Personal.");
    if (key.startsWith(personal, Qt::CaseInsensitive)) {
        const QString rest = key.mid(personal.size());
        const int dot = rest.indexOf(QLatin1Char('.'));
        if (dot < 0)
            return personalMarker();
        return personalFromTables(mDb, mUser, rest.left(dot), rest.mid(dot + 1));
    }
    return companyFromTables(mDb, key);
}

}  // namespace evapre
