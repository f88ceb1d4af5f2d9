#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "Currency.h"

namespace evapre {

class DbConnection;
class scEvaPrev;

// A currency of the run that needs an exchange rate, with the rate proposed for it.
struct CambioProposto {
    QString moneta;
    QString descrizione;
    std::optional<QDate> data;  // date of the rate found
    Currency cambio;            // zero when none was found
};

// The exchange rates a run needs before it starts: the currencies outside the euro area of
// the quotes it is about to fulfil, each with the rate in force on the fulfilment date.
class CambiEvasione {
  public:
    explicit CambiEvasione(DbConnection& db);

    // Automatic runs read the quotes of the criteria, manual runs the user's picked quotes.
    std::vector<CambioProposto> MoneteDaCambiare(const scEvaPrev& motore);
    // The newest rate of the currency on or before the date (the help component's lookup).
    std::optional<std::pair<QDate, Currency>> CambioAl(const QString& moneta, const QDate& data);

    // The first entry without a usable rate (zero or below), or -1 when every rate is given.
    static int PrimoMancante(const std::vector<CambioProposto>& cambi);
    static QString MessaggioMancante() {
        return QStringLiteral("Si prega di inserire tutti i cambi");
    }
    static void Consegna(const std::vector<CambioProposto>& cambi, scEvaPrev& motore);

  private:
    QString sorgenteManuale(const scEvaPrev& motore) const;

    DbConnection& mDb;
};

}  // namespace evapre
