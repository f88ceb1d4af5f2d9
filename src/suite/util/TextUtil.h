#pragma once

#include <QString>
#include <QVariant>

namespace evapre {

// Blank test: true for an invalid or Null variant, an invalid QDate/QDateTime, and a text
// (QString, QByteArray, QChar) that is empty or made only of spaces (U+0020, as the suite's
// Trim). Numbers, amounts and booleans are never blank (0 is not blank).
bool IsBlank(const QVariant& value);
bool IsBlank(const QString& text);

// List test: true when the value is one of the items of a ";"-separated list.
// Items and the value are compared with surrounding spaces trimmed, case-sensitively
// (exact match otherwise); empty items never match and a blank value is in no list.
// "PC1; PC2" contains "PC2"; "a;b" does not contain "A" nor "a;b".
bool InList(const QString& value, const QString& list);
bool InList(const QVariant& value, const QString& list);

// The suite's Trim: leading and trailing spaces (U+0020 only) removed.
QString TrimSpaces(const QString& text);

}  // namespace evapre
