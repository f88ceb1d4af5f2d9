#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace evapre {

// A statement split into its shape and its literals: the shape holds a marker ('@0', '@1' ...)
// where each literal was. Statements built by the program differ from one run to the next
// only by their values, so the work that depends on the text alone (the Jet translation, the
// engine's parsing and planning) can be done once per shape.
//
// A statement is left whole (usable false) when its literals take part in a rewrite or cannot
// be told apart safely: LIKE patterns, Jet "strings" and #dates#, comments, prefixed strings
// (E'...'), numbers in exponent form. The numbers of TOP stay in the shape.
struct SqlShape {
    bool usable = false;
    QString shape;
    QStringList literals;  // as written in the statement, quotes included

    static SqlShape Split(const QString& sql);

    // A translated shape read once: the text between its markers and the literal each marker
    // stands for. Valid only when every literal appears exactly once (a translation that lost
    // or repeated a marker is not used).
    struct Translated {
        bool valid = false;
        QStringList pieces;        // pieces.size() == order.size() + 1
        std::vector<int> order;    // literal index of each marker, in text order
        QString withPlaceholders;  // the pieces joined by "?"
        static Translated Read(const QString& translatedShape, qsizetype literalCount);
        QString join(const QStringList& literals) const;
        QVariantList values(const QStringList& literals) const;
    };

    // The value to bind in place of a literal the formatter wrote: text, 64-bit integer,
    // double or Null. False for any other form (a keyword, DATE '...'), which is then kept as
    // text.
    static bool LiteralValue(const QString& literal, QVariant* value);
};

}  // namespace evapre
