#pragma once

#include <QVariant>

namespace evapre {

enum class RangeKind { Text, Date, Number };

// Range comparison of the selection form: true (an inversion) only when both bounds are given (not
// blank, see IsBlank) and from > to.
// - Text: compared with surrounding spaces trimmed, by code point (case-sensitive, as the
//   databases' binary collation orders the codes).
// - Date: both converted as Italian typed dates (DateConv); a bound that is no date or
//   malformed makes no inversion (the field check reports it).
// - Number: both converted by NumberConv; a malformed bound makes no inversion.
// QDate / numeric variants are taken as they are.
bool RangeInverted(const QVariant& from, const QVariant& to, RangeKind kind);

}  // namespace evapre
