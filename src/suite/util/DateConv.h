#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <optional>

namespace evapre {

// Italian typed dates.
//
// Accepted, with surrounding blanks ignored:
//   "dd/mm/yyyy", "d/m/yyyy", "dd/mm/yy", "d/m/yy" (also '-' or '.' as the separator,
//   the same one twice: "05-01-2026", "5.1.26");
//   digits only: "ddmmyy" (6 digits) and "ddmmyyyy" (8 digits);
//   ISO "yyyy-mm-dd" (a first group of 4 digits: the form the database keeps).
// Years of one or two digits: 00-29 → 2000-2029, 30-99 → 1930-1999 ("5" → 2005).
// Years of three or four digits are taken as written (0001-9999; 0 is an error).
//
// "No date": a blank text, and the suite's placeholder 01/01/100 (any padding:
// "1/1/100", "01/01/0100", "0100-01-01"). Neither is an error.
// Malformed text (32/01/2026, 29/02/2025, letters, missing parts, "1/2") is no date AND
// sets the error flag.
struct DataConvertita {
    std::optional<QDate> date;  // nullopt: no date
    bool error = false;         // the text was not blank, not the placeholder, not a date
};

DataConvertita ConvertiDataEx(QStringView text);

// Just the date: nullopt for blank, placeholder or malformed text.
std::optional<QDate> ConvertiData(const QString& text);
// QDate / QDateTime values pass (an invalid one or the placeholder 0100-01-01 → nullopt);
// Null → nullopt; anything else is converted as its text.
std::optional<QDate> ConvertiData(const QVariant& value);

// True when the text is a date, blank or the placeholder (no error flag).
bool DataValida(QStringView text);

// "dd/mm/yyyy". No date (an invalid QDate, nullopt or the placeholder 0100-01-01) shows as
// the empty string.
QString FormatData(const QDate& date);
QString FormatData(const std::optional<QDate>& date);

// The suite's placeholder for "no date", as text and as a date.
inline constexpr const char kTestoNessunaData[] = "01/01/100";
QDate DataNessuna();                    // QDate(100, 1, 1)
bool IsNessunaData(const QDate& date);  // invalid or the placeholder

// Last day of the date's month; an invalid date gives an invalid date.
QDate FineMese(const QDate& date);

}  // namespace evapre
