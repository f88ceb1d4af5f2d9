// Date conversion: never crashes; a date re-formats and re-parses to itself; flags agree.
#include "DateConv.h"
#include "SqlValue.h"

#include <cstdio>
#include <cstdlib>

using namespace evapre;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const DataConvertita r = ConvertiDataEx(input);
    if (r.date && r.error)
        std::abort();
    if (r.date) {
        if (!r.date->isValid() || IsNessunaData(*r.date))
            std::abort();
        const QString text = FormatData(*r.date);
        const DataConvertita again = ConvertiDataEx(text);
        if (!again.date || *again.date != *r.date || again.error) {
            std::fprintf(stderr, "%s → %s\n", input.toUtf8().constData(),
                         text.toUtf8().constData());
            std::abort();
        }
        if (FineMese(*r.date) < *r.date || FineMese(*r.date).month() != r.date->month())
            std::abort();
        const QString lit = SqlValue(SqlDialect::PostgreSQL, QVariant(input), SqlKind::Date);
        if (lit !=
            QStringLiteral("DATE '") + r.date->toString(QStringLiteral("yyyy-MM-dd")) + u'\'')
            std::abort();
    } else {
        // No date; a date-time text ("2026-01-05 10:20") still gives its date.
        const QString lit = SqlValue(SqlDialect::SQLite, QVariant(input), SqlKind::Date);
        if (lit != QStringLiteral("NULL") &&
            !(lit.size() == 12 && ConvertiData(lit.mid(1, 10)).has_value() && lit.endsWith(u'\'')))
            std::abort();
    }
    if (DataValida(input) == r.error)
        std::abort();
    if (ConvertiData(QVariant(input)) != r.date)
        std::abort();
    (void)SqlValue(SqlDialect::SQLite, QVariant(input), SqlKind::DateTime);
    return 0;
}
