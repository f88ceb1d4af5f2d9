#include "RangeCompare.h"

#include "DateConv.h"
#include "NumberConv.h"
#include "TextUtil.h"

namespace evapre {

bool RangeInverted(const QVariant& from, const QVariant& to, RangeKind kind) {
    if (IsBlank(from) || IsBlank(to))
        return false;
    switch (kind) {
        case RangeKind::Text:
            return TrimSpaces(from.toString())
                       .compare(TrimSpaces(to.toString()), Qt::CaseSensitive) > 0;
        case RangeKind::Date: {
            const auto a = ConvertiData(from);
            const auto b = ConvertiData(to);
            return a && b && *a > *b;
        }
        case RangeKind::Number: {
            bool okA = false;
            bool okB = false;
            const Currency a = ConvertiNumero(from, &okA);
            const Currency b = ConvertiNumero(to, &okB);
            return okA && okB && a > b;
        }
    }
    return false;
}

}  // namespace evapre
