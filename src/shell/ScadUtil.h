#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QVector>

#include "Currency.h"
#include "LogErrori.h"

namespace evapre {

class DbConnection;

// Parts of the amount to schedule that the payment terms treat apart.
struct ImportiDocumento {
    Currency uIva;  // the VAT included in the amount to schedule
};

// The payment schedule of a document: due dates and amounts from the payment terms
// (Pagamenti), the customer's excluded months (PianoConti), the document date and the
// amount to schedule.
//
// Due dates. The start is the document date ("D"), the end of its month ("F") or the end
// of the following month ("S"). Every instalment, the first included, lies its period after
// the previous one: NumGGMM months ("M") or days ("G"), or Periodo<i> months ("T") or days
// ("A"); so the start itself is the first due date only with a period of 0. Months are
// counted from the start, not from the previous date, so that a due date cut short at the
// end of a short month does not drag the following ones ("D" on 31/01 gives 29/02, 31/03).
// With "F" and "S" month steps land on the last day of the month; GiornoFisso then adds
// its days after it (day 10 of the next month for 10), kept on every instalment. With "D",
// GiornoFisso is the day the counting starts from, in the next month when the document day
// is past it, and with month steps the day of every due date (cut to the last day of a
// shorter month).
// A due date in the customer's excluded month MeseNoEf1/2 moves one month on, to day
// GioMesSucc1/2, or GiornoFisso, or its own day (cut to the month's length); when that month
// is excluded too it moves again. Later instalments are not shifted by such a move.
//
// Amounts. Each instalment is its percentage of the amount, rounded with the caller's mode
// and step, and never more than what is still to assign; the last instalment takes the
// rest, so the instalments add up exactly to the amount to schedule and the last one absorbs
// the rounding. Percentages must add up to 100 (0,01 of tolerance per instalment); when all
// of them are 0 the instalments are equal; a single instalment takes the whole amount.
// TrattamIva "U" puts the whole VAT into the first instalment and splits only the rest;
// "P" (and any other code) splits the whole amount, and so the VAT, in proportion.
//
// Errors go into the error text under the title "Calcolo scadenze"; the schedule is then
// empty and the caller stores no due dates.
class ScadUtil {
  public:
    static constexpr const char* Titolo = "Calcolo scadenze";
    // Error numbers of the checks (database errors keep their own).
    static constexpr int ErrOverflow = 6;
    static constexpr int ErrClienteMancante = 9001;
    static constexpr int ErrPagamentoMancante = 9002;
    static constexpr int ErrPagamentoNonValido = 9003;
    static constexpr int ErrDatiNonValidi = 9004;
    static constexpr int MaxRate = 12;

    explicit ScadUtil(DbConnection& db);

    // Makes the schedule; true with one due date and one amount per instalment, false with
    // empty arrays and the reasons in errore.
    bool CalcolaScadenze(const QDate& dataDoc, const QString& pagamento, const QString& gruppo,
                         const QString& mastro, const QString& conto, Currency importo,
                         QChar modoArrot, Currency passoArrot, const ImportiDocumento& altri,
                         QVector<QDate>& scadenze, QVector<Currency>& importi, QString& errore);

    // The payment terms as read from Pagamenti.
    struct Termini {
        QString decorrenza;
        QString periodicita;
        int numScad = 0;
        QString trattamIva;
        int giornoFisso = 0;
        int numGGMM = 0;
        QVector<int> periodo;           // one per instalment
        QVector<Currency> percentuale;  // one per instalment
    };
    // The customer's excluded months and their replacement days.
    struct MesiEsclusi {
        int meseNoEf1 = 0;
        int meseNoEf2 = 0;
        int gioMesSucc1 = 0;
        int gioMesSucc2 = 0;
    };

    // The due dates alone; an empty vector and the reason in log when the terms are invalid.
    static QVector<QDate> DateScadenza(const QDate& dataDoc, const Termini& termini,
                                       const MesiEsclusi& esclusi, LogErrori& log);
    // The amounts alone, under the same rules.
    static QVector<Currency> ImportiRate(Currency importo, Currency iva, const Termini& termini,
                                         QChar modoArrot, Currency passoArrot, LogErrori& log);
    // A due date moved out of the customer's excluded months.
    static QDate SpostaMesiEsclusi(const QDate& data, int giornoFisso, const MesiEsclusi& esclusi);

  private:
    DbConnection& mDb;
};

}  // namespace evapre
