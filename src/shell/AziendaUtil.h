#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <vector>

#include "Currency.h"
#include "MoneySettings.h"

namespace evapre {

class DbConnection;
class RowSet;
class UiServices;

// A currency as Monete describes it.
struct InfoMoneta {
    bool trovata = false;                     // a Monete row exists for the code
    int numDec = 2;                           // NumDec
    int numDecGest = 2;                       // NumDecGest
    QString operatore = QStringLiteral("/");  // "/" or "*"
    QString cee = QStringLiteral("N");        // "S" for a euro-area currency
};

// How a conversion from euro rounds its result.
enum class ArrotondaDaEuro {
    No,        // not rounded
    Tabella,   // by the lire rounding table
    Decimali,  // mode "A" to the given decimals
};

// The money functions of the company: currencies and their conversions, rounding by the
// company's rounding tables, VAT, discounts and discount chains, price-list validity and
// the promotion notice. Database errors and amount overflows propagate to the caller.
class AziendaUtil {
  public:
    AziendaUtil(DbConnection& db, MoneySettings settings);

    const MoneySettings& settings() const { return mSettings; }

    // Reads the decimals of the lira and euro currencies from Monete into the settings; done
    // once at start-up.
    void caricaDecimali();

    // The Monete row of a currency; a missing code gives 2 and 2 decimals, "/" and "N".
    InfoMoneta LeggiMoneta(const QString& moneta);
    // NumDec of the currency, or NumDecGest when gestione is true.
    int DecimaliMoneta(const QString& moneta, bool gestione = false);

    // Converts an amount of the currency into euro. The lira uses the company rate and
    // operator, the euro itself passes unchanged, any other currency uses rate and operator
    // ("/" divides, anything else multiplies). A blank currency is the company currency; a
    // zero rate (not known) leaves the amount unchanged. arrotonda rounds by the euro table.
    Currency ConvertiInEuro(Currency importo, Currency cambio, const QString& operatore,
                            const QString& moneta, bool arrotonda = false);
    // The inverse conversion ("*" divides, anything else multiplies). Decimali rounds "A" to
    // decimali, or to the NumDec of the currency when decimali is negative.
    Currency ConvertiDaEuro(Currency importo, Currency cambio, const QString& operatore,
                            const QString& moneta, ArrotondaDaEuro arrotonda = ArrotondaDaEuro::No,
                            int decimali = -1);

    // Rounds an amount by the lire table (tipo "L") or the euro table (anything else). The
    // band is the first, in ascending FinoA, whose FinoA is not below the amount's magnitude;
    // above the highest band the highest band applies. An empty table, one that starts with
    // "Nessuno", and a band marked "Nessuno" or without a step round "A" to the NumDec of
    // the currency.
    Currency ArrotondaTabella(Currency importo, const QString& tipo);

    // VAT of a taxable amount at aliquota percent, rounded to decimali: to the nearest, or
    // away from zero when ArrotIvaEuro is "S" or decimali is below 2.
    Currency ImportoIva(Currency imponibile, Currency aliquota, int decimali) const;
    // The net rounded to decimali plus its VAT.
    Currency LordoDaNetto(Currency netto, Currency aliquota, int decimali) const;
    // The net part of a VAT-inclusive amount, rounded to decimali (truncated, or to the
    // nearest when ArrotIvaEuro is "S" and the nearest gives back the gross).
    Currency ScorporaIva(Currency lordo, Currency aliquota, int decimali) const;

    // Amount less percentuale percent, rounded "A" to decimali. The percentage is a double
    // because discount chains produce it with more decimals than an amount holds.
    static Currency Sconto(Currency importo, double percentuale, int decimali);

    // Decimals argument of ConvertiCatenaSconti that leaves the result unrounded.
    static constexpr int NessunArrotondamento = -999;

    // The one percentage equivalent to a discount chain such as "10+5" (14,5) or "10-5"
    // (5,5; a "-" step is a surcharge), starting from partenza. Steps are Italian numbers
    // with a decimal comma; a dot is not accepted. An empty chain returns partenza; an
    // invalid one sets nonValido and returns partenza. The result is rounded "A" to decimali
    // unless decimali is NessunArrotondamento. It is a double: discount stages are computed
    // in doubles and an unrounded chain can need more decimals than an amount holds.
    static double ConvertiCatenaSconti(QStringView catena, int decimali, double partenza,
                                       bool& nonValido);
    // The message shown for an invalid discount chain.
    static QString TestoScontoNonValido(const QString& catena);

    // Re-chains the validity of an article's price-list rows after the row starting on
    // dataInizio was added or changed: that row runs to the day before the next one (or to
    // 31/12/9999 when last) and the previous one ends the day before dataInizio. A single
    // row is left open-ended.
    void RiconcatenaDateListino(const QString& articolo, const QString& livello1,
                                const QString& livello2, const QString& listino,
                                const QDate& dataInizio);

    // Shows the promotion notice when messProm is "S"; returns whether it was shown.
    static bool AvvisoPromozione(UiServices& ui, const QString& messProm,
                                 const QString& descrizione);
    // The same for the current row of an ArtListini selection (MessProm, Descrizione).
    static bool AvvisoPromozione(UiServices& ui, const RowSet& riga);

    // Open end of a price-list row.
    static QDate dataFineAperta() { return QDate(9999, 12, 31); }

  private:
    struct Banda {
        Currency finoA;
        Currency valArrot;
        QString tipoArrot;
    };
    const std::vector<Banda>& tabella(bool lire);
    // Rate and operator to apply for a currency.
    void cambioDi(const QString& moneta, Currency& cambio, QString& operatore,
                  bool versoEuro) const;

    DbConnection& mDb;
    MoneySettings mSettings;
    std::vector<Banda> mArrotLire;
    std::vector<Banda> mArrotEuro;
    bool mArrotLireLetta = false;
    bool mArrotEuroLetta = false;
};

}  // namespace evapre
