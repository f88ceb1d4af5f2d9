#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "Currency.h"

namespace evapre {

class DbConnection;

// Multi-row INSERT writer: values are appended in column order, every one through the
// connection's formatter, and a statement is sent every `rowsPerStatement` rows.
// A column written as "?Name" is optional: when the table lacks it, its values are dropped.
class DemoBatch {
  public:
    DemoBatch(DbConnection& db, const QString& table, const QStringList& columns,
              int rowsPerStatement = 500);

    DemoBatch& text(const QString& value);  // a null QString is NULL
    DemoBatch& number(int64_t value);
    DemoBatch& money(Currency value);
    DemoBatch& date(const QDate& value);  // an invalid date is NULL
    DemoBatch& null();
    void endRow();
    // Sends the rows still pending.
    void flush();

    int64_t rows() const { return mRows; }
    bool hasColumn(const QString& name) const;

  private:
    void append(const QString& literal);

    DbConnection& mDb;
    QString mNull;
    QString mHead;
    std::vector<bool> mKeep;
    QStringList mPresent;
    QString mSql;
    int mColumn = 0;
    bool mRowOpen = false;
    int mPending = 0;
    int mRowsPerStatement;
    int64_t mRows = 0;
};

}  // namespace evapre
