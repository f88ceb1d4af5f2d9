#include "CambioAiuto.h"

#include "DbConnection.h"
#include "RowSet.h"

namespace evapre {

std::optional<std::pair<QDate, Currency>> CambioAiuto::Cambio(const QString& moneta,
                                                              const QDate& data) {
    auto rs = mDb.openRowSet(
        QStringLiteral("Select top 1 Data, Cambio from Cambi where Moneta = ") + mDb.sql(moneta) +
        QStringLiteral(" and Data <= ") + mDb.sql(data) + QStringLiteral(" order by Data desc"));
    if (rs->eof() || rs->isNull(QStringLiteral("Cambio")))
        return std::nullopt;
    return std::pair{rs->date(QStringLiteral("Data")), rs->amount(QStringLiteral("Cambio"))};
}

}  // namespace evapre
