// Discount-chain conversion on arbitrary text: never crashes, an invalid or empty chain
// returns the starting value, blanks never change the outcome, and a valid chain gives a
// finite percentage.
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "AziendaUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // First byte: decimals (-999 or -8..23); second: the starting value.
    const int decimals = data[0] == 0xFF ? evapre::AziendaUtil::NessunArrotondamento
                                         : static_cast<int>(data[0] % 32) - 8;
    const double start = static_cast<double>(static_cast<int8_t>(data[1]));
    const QString chain = QString::fromUtf8(reinterpret_cast<const char*>(data + 2),
                                            static_cast<qsizetype>(size - 2));

    bool invalid = false;
    const double result =
        evapre::AziendaUtil::ConvertiCatenaSconti(chain, decimals, start, invalid);
    if (invalid && result != start) {
        __builtin_trap();
    }
    if (chain.trimmed().isEmpty() && (invalid || result != start)) {
        __builtin_trap();
    }
    if (!invalid && !std::isfinite(result)) {
        __builtin_trap();
    }

    bool invalidCompact = false;
    QString compact = chain;
    compact.remove(QLatin1Char(' '));
    const double resultCompact =
        evapre::AziendaUtil::ConvertiCatenaSconti(compact, decimals, start, invalidCompact);
    if (invalidCompact != invalid || resultCompact != result) {
        __builtin_trap();
    }
    return 0;
}
