#include "DemoBatch.h"

#include <QSqlField>
#include <QSqlRecord>
#include <stdexcept>

#include "DbConnection.h"

namespace evapre {

DemoBatch::DemoBatch(DbConnection& db, const QString& table, const QStringList& columns,
                     int rowsPerStatement)
    : mDb(db), mNull(db.sql(QVariant())), mRowsPerStatement(rowsPerStatement) {
    const QSqlRecord record = db.tableRecord(table);
    QStringList existing;
    for (int i = 0; i < record.count(); ++i)
        existing << record.fieldName(i).toLower();
    QStringList names;
    for (const QString& column : columns) {
        const bool optional = column.startsWith(QLatin1Char('?'));
        const QString name = optional ? column.mid(1) : column;
        const bool keep = !optional || existing.contains(name.toLower());
        mKeep.push_back(keep);
        if (keep)
            names << name;
    }
    mPresent = names;
    mHead = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
            names.join(QLatin1Char(',')) + QStringLiteral(") VALUES ");
}

bool DemoBatch::hasColumn(const QString& name) const {
    return mPresent.contains(name, Qt::CaseInsensitive);
}

void DemoBatch::append(const QString& literal) {
    if (mColumn >= static_cast<int>(mKeep.size()))
        throw std::logic_error("DemoBatch: more values than columns");
    if (mKeep[mColumn]) {
        if (!mRowOpen) {
            if (mPending == 0) {
                mSql.truncate(0);
                mSql += mHead;
            } else
                mSql += QLatin1Char(',');
            mSql += QLatin1Char('(');
            mRowOpen = true;
        } else {
            mSql += QLatin1Char(',');
        }
        mSql += literal;
    }
    ++mColumn;
}

DemoBatch& DemoBatch::text(const QString& value) {
    append(value.isNull() ? mNull : mDb.sql(QVariant(value), SqlKind::Text));
    return *this;
}

DemoBatch& DemoBatch::number(int64_t value) {
    append(mDb.sql(QVariant(static_cast<qlonglong>(value)), SqlKind::Number));
    return *this;
}

DemoBatch& DemoBatch::money(Currency value) {
    append(mDb.sql(QVariant::fromValue(value), SqlKind::Number));
    return *this;
}

DemoBatch& DemoBatch::date(const QDate& value) {
    append(value.isValid() ? mDb.sql(QVariant(value), SqlKind::Date) : mNull);
    return *this;
}

DemoBatch& DemoBatch::null() {
    append(mNull);
    return *this;
}

void DemoBatch::endRow() {
    if (mColumn != static_cast<int>(mKeep.size()))
        throw std::logic_error("DemoBatch: row with a wrong number of values");
    mSql += QLatin1Char(')');
    mRowOpen = false;
    mColumn = 0;
    ++mRows;
    if (++mPending >= mRowsPerStatement)
        flush();
}

void DemoBatch::flush() {
    if (mPending == 0)
        return;
    mDb.executePortable(mSql);
    mSql.truncate(0);  // keeps the buffer for the next statement
    mPending = 0;
}

}  // namespace evapre
