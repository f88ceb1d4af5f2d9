#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <utility>

#include "Currency.h"

namespace evapre {

class DbConnection;

// The help component's exchange-rate lookup: the rate of a currency in force on a date.
class CambioAiuto {
  public:
    explicit CambioAiuto(DbConnection& db) : mDb(db) {}

    // The newest rate on or before the date, with its date; nothing when none is recorded.
    std::optional<std::pair<QDate, Currency>> Cambio(const QString& moneta, const QDate& data);

  private:
    DbConnection& mDb;
};

}  // namespace evapre
