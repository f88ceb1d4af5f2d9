#pragma once

#include "Currency.h"

#include <QChar>

namespace evapre {

// The one rounding operation of the system. Mode letters, compared
// case-insensitively; any other letter (or a blank) behaves as "A":
//   "A" nearest, ties away from zero   "S" toward +infinity
//   "I" toward -infinity               "T" toward zero (truncation)
//
// Arrotonda rounds to `decimals` decimals: 0..4 (4 or more leaves the value unchanged),
// negative decimals round to tens (-1), hundreds (-2) ... down to -14.
// ArrotondaPasso rounds to a multiple of `step` (5 lire = Currency::fromInt(5), 0.05 =
// Currency::fromRaw(500)); a step of 0 or negative leaves the value unchanged (it already
// has 4 decimals). Both throw CurrencyOverflow when the rounded value leaves the range.
Currency Arrotonda(Currency value, QChar mode, int decimals);
Currency ArrotondaPasso(Currency value, QChar mode, Currency step);

// The double form, for the few places that compute in doubles (discount stages). The value
// is first taken to 15 significant digits (so 2.675 rounds "A" to 2.68 and
// 1.15 * 100 = 114.99999999999999 truncates to 115), then rounded exactly in decimal.
// A cut beyond the 15th significant digit is decided on all 17 digits of the double, one
// beyond the 17th leaves the value unchanged; negative decimals
// round to tens, hundreds ... NaN and infinities pass unchanged. Never returns -0.0.
double Arrotonda(double value, QChar mode, int decimals);
double ArrotondaPasso(double value, QChar mode, double step);

// The mode letter as one of 'A', 'S', 'I', 'T' (unknown → 'A').
char ModoArrotondamento(QChar mode);
// From a text such as a TipoArrot column: its first non-blank letter; blank → 'A'.
char ModoArrotondamento(const QString& mode);

}  // namespace evapre
