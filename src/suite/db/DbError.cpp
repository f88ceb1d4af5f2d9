#include "DbError.h"

#include <QSqlError>

namespace evapre {

namespace {

QString composeWhat(int number, const QString& text, const QString& sql) {
    QString what = QStringLiteral("Err: %1 %2").arg(number).arg(text);
    if (!sql.isEmpty())
        what += QStringLiteral("\nSQL: ") + sql;
    return what;
}

// SQLite's primary result codes that the suite tells apart.
int numberForSqlite(int code, const QString& text) {
    switch (code & 0xFF) {  // extended codes carry the primary one in the low byte
        case 19:            // SQLITE_CONSTRAINT
            if (text.contains(QLatin1String("UNIQUE"), Qt::CaseInsensitive) ||
                text.contains(QLatin1String("PRIMARY KEY"), Qt::CaseInsensitive))
                return DbErr::DuplicateKey;
            return 19;
        case 5:  // SQLITE_BUSY
        case 6:  // SQLITE_LOCKED
            return DbErr::Locked;
        case 26:  // SQLITE_NOTADB
            return DbErr::NotADatabase;
        case 14:  // SQLITE_CANTOPEN
            return DbErr::FileNotFound;
        case 1:
            if (text.contains(QLatin1String("syntax error"), Qt::CaseInsensitive))
                return DbErr::SyntaxError;
            return 1;
        default:
            return code;
    }
}

// PostgreSQL reports an SQLSTATE, possibly through ODBC.
int numberForSqlState(const QString& state, const QString& text) {
    if (state == QLatin1String("23505") ||
        text.contains(QLatin1String("duplicate key"), Qt::CaseInsensitive))
        return DbErr::DuplicateKey;
    if (state == QLatin1String("28P01") || state == QLatin1String("28000") ||
        text.contains(QLatin1String("password authentication failed"), Qt::CaseInsensitive))
        return DbErr::WrongPassword;
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01"))
        return DbErr::Locked;
    if (state == QLatin1String("40001"))
        return DbErr::DataChanged;
    if (state == QLatin1String("42601"))
        return DbErr::SyntaxError;
    if (state.startsWith(QLatin1String("08")) ||
        text.contains(QLatin1String("could not connect"), Qt::CaseInsensitive) ||
        text.contains(QLatin1String("connection to server"), Qt::CaseInsensitive))
        return DbErr::CallFailed;
    return 0;
}

}  // namespace

DbError::DbError(int number, const QString& text, const QString& sql)
    : std::runtime_error(composeWhat(number, text, sql).toStdString()),
      mNumber(number),
      mText(text),
      mSql(sql) {}

QString DbError::describe() const {
    return QStringLiteral("Err: %1 %2").arg(mNumber).arg(mText);
}

DbError DbError::fromSql(const QSqlError& error, const QString& sql) {
    const QString native = error.nativeErrorCode();
    QString text = error.databaseText().trimmed();
    const QString driverText = error.driverText().trimmed();
    if (text.isEmpty())
        text = driverText;
    else if (!driverText.isEmpty() && !text.contains(driverText))
        text = driverText + QStringLiteral(": ") + text;

    bool numeric = false;
    const int code = native.toInt(&numeric);
    int number = 0;
    if (numeric && !native.isEmpty() && native.size() < 5)
        number = numberForSqlite(code, text);
    else
        number = numberForSqlState(native, text);
    if (number == 0) {
        if (error.type() == QSqlError::ConnectionError)
            number = DbErr::CallFailed;
        else if (numeric && code != 0)
            number = code;
        else
            number = DbErr::CallFailed;
    }
    if (!native.isEmpty() && !numeric)
        text = QStringLiteral("[%1] %2").arg(native, text);
    return DbError(number, text, sql);
}

}  // namespace evapre
