// Number conversion: never crashes; a converted number re-formats (Italian and plain) and
// re-parses to itself; the rounding of any parsed value never crashes.
#include "Currency.h"
#include "NumberConv.h"
#include "Rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace evapre;

namespace {
void check(bool cond, const char* what, const QString& input) {
    if (!cond) {
        std::fprintf(stderr, "%s: [%s]\n", what, input.toUtf8().constData());
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const NumeroConvertito r = ConvertiNumeroEx(input);
    check(!(r.error && !r.value.isZero()), "errore con valore", input);
    check(!(r.blank && r.error), "vuoto ed errore", input);
    if (!r.error && !r.blank) {
        for (int decimals = 0; decimals <= 4; ++decimals) {
            // Rounded to fewer decimals the text may step just past the range: only the
            // 4-decimal form must read back, and exactly.
            const QString it = r.value.format(decimals);
            const NumeroConvertito again = ConvertiNumeroEx(it);
            if (decimals == 4)
                check(!again.error && again.value == r.value, "formato italiano diverso", input);
        }
        const auto plain = Currency::parse(r.value.toSqlText());
        check(plain && *plain == r.value, "testo SQL diverso", input);
        bool ok = false;
        const double d = ConvertiDouble(QVariant(input), &ok);
        check(ok && std::isfinite(d), "double", input);
        check(std::fabs(d - r.value.toDouble()) <= 0.00005 + std::fabs(d) * 1e-15, "double lontano",
              input);
    }
    bool ok = false;
    (void)ConvertiIntero(QVariant(input), &ok);
    (void)NormalizzaNumero(input);
    const auto parsed = Currency::parse(input);
    if (parsed) {
        check(Currency::parse(parsed->toSqlText()) == parsed, "parse/toSqlText", input);
        for (char mode : {'A', 'S', 'I', 'T'}) {
            for (int decimals = -3; decimals <= 4; ++decimals) {
                try {
                    const Currency a = Arrotonda(*parsed, QChar(mode), decimals);
                    check(Arrotonda(a, QChar(mode), decimals) == a,
                          "arrotondamento non idempotente", input);
                } catch (const CurrencyOverflow&) {
                }
            }
            try {
                (void)ArrotondaPasso(*parsed, QChar(mode), Currency::fromRaw(500));
                (void)ArrotondaPasso(*parsed, QChar(mode), Currency::fromInt(5));
            } catch (const CurrencyOverflow&) {
            }
            const double dv = parsed->toDouble();
            const double dr = Arrotonda(dv, QChar(mode), 2);
            check(std::isfinite(dr), "arrotondamento double", input);
        }
    }
    return 0;
}
