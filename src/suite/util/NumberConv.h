#pragma once

#include "Currency.h"

#include <QString>
#include <QStringView>
#include <QVariant>

namespace evapre {

// Number conversion of typed or stored text, Italian or plain.
//
// Surrounding blanks are ignored; an optional leading '+' or '-'; ASCII digits.
// - With a comma: the one comma is the decimal separator and every dot before it is a
//   thousands separator ("1.234,56", "1234,56", ",5", "5,"). Dots after the comma, or a
//   second comma, are errors.
// - Without a comma: one dot is the decimal separator ("1234.56", and so "1.234" is
//   1,234 — one and a bit, not a thousand); two or more dots are thousands separators
//   ("1.234.567").
// - Thousands separators must make proper groups: 1 to 3 digits, then groups of exactly 3
//   ("1.23,5" and "1..234" are errors).
// - No exponent, no currency sign, no inner blanks.
// More than 4 decimals are rounded half away from zero (ConvertiDouble keeps them all).
// A blank text is 0 and no error (flag `blank` set). Malformed or out of range (beyond
// ±922 337 203 685 477,5807): 0 and the error flag. Never throws.
struct NumeroConvertito {
    Currency value;
    bool error = false;
    bool blank = false;
};

NumeroConvertito ConvertiNumeroEx(QStringView text);

// The text normalised to plain "-1234.56" form (no thousands, '.' decimal point), or an
// empty string when it is blank or malformed. Digits after the point are all kept.
QString NormalizzaNumero(QStringView text, bool* ok = nullptr);

// Text → Currency; *ok (when given) false for malformed or out-of-range text (result 0).
Currency ConvertiNumero(const QString& text, bool* ok = nullptr);
// Variant → Currency: Null → 0; numbers and Currency as they are (doubles rounded to 4
// decimals); bool → 1/0; texts as above; anything else → 0 with *ok = false.
Currency ConvertiNumero(const QVariant& value, bool* ok = nullptr);

// "A double": the same rules, every digit kept. Malformed → 0 and *ok = false.
double ConvertiDouble(const QVariant& value, bool* ok = nullptr);
// "A 32-bit integer": the same rules, rounded half away from zero to a whole number;
// outside the 32-bit range or malformed → 0 and *ok = false.
qint32 ConvertiIntero(const QVariant& value, bool* ok = nullptr);

// Italian display of a double, like Currency::format ("1.234,56"), rounded half away from
// zero (through Arrotonda(double)); NaN and infinities give an empty string.
QString FormatNumero(double value, int decimals = 2);

}  // namespace evapre
