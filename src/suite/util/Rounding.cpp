#include "Rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace evapre {

namespace {

using i128 = __int128;

int64_t pow10(int n) {
    int64_t p = 1;
    for (int k = 0; k < n; ++k)
        p *= 10;
    return p;
}

// Rounds raw to a multiple of step (> 0) with the mode.
Currency roundRawToStep(int64_t raw, int64_t step, char mode) {
    i128 q = raw / step;
    const i128 r = raw % step;
    if (r != 0) {
        switch (mode) {
            case 'T':
                break;
            case 'S':
                if (r > 0)
                    ++q;
                break;
            case 'I':
                if (r < 0)
                    --q;
                break;
            default: {  // 'A'
                const i128 ar = r < 0 ? -r : r;
                if (2 * ar >= step)
                    q += raw < 0 ? -1 : 1;
                break;
            }
        }
    }
    const i128 result = q * step;
    if (result > std::numeric_limits<int64_t>::max() ||
        result < std::numeric_limits<int64_t>::min())
        throw CurrencyOverflow();
    return Currency::fromRaw(static_cast<int64_t>(result));
}

// Value taken to 15 significant digits: sign, digit string (15 chars), decimal exponent of
// the first digit.
struct Sig15 {
    bool neg = false;
    std::string digits;
    int exp10 = 0;
};

Sig15 toSig15(double v, int significant = 15) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significant - 1, v);  // "-d.dddddddddddddde+XX"
    Sig15 s;
    const char* p = buf;
    if (*p == '-') {
        s.neg = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            s.digits.push_back(*p);
    if (*p == 'e')
        s.exp10 = std::atoi(p + 1);
    return s;
}

double fromDigits(bool neg, const std::string& digits, int exp10OfLast) {
    std::string text = (neg ? "-" : "") + (digits.empty() ? std::string("0") : digits) + "e" +
                       std::to_string(exp10OfLast);
    const double d = std::strtod(text.c_str(), nullptr);
    return d == 0.0 ? 0.0 : d;
}

}  // namespace

char ModoArrotondamento(QChar mode) {
    switch (mode.toUpper().unicode()) {
        case 'S':
            return 'S';
        case 'I':
            return 'I';
        case 'T':
            return 'T';
        default:
            return 'A';
    }
}

char ModoArrotondamento(const QString& mode) {
    const QString t = mode.trimmed();
    return t.isEmpty() ? 'A' : ModoArrotondamento(t.at(0));
}

Currency Arrotonda(Currency value, QChar mode, int decimals) {
    if (decimals >= Currency::kDecimals)
        return value;
    if (decimals < -14)
        decimals = -14;
    return roundRawToStep(value.raw(), pow10(Currency::kDecimals - decimals),
                          ModoArrotondamento(mode));
}

Currency ArrotondaPasso(Currency value, QChar mode, Currency step) {
    if (step.raw() <= 0)
        return value;
    return roundRawToStep(value.raw(), step.raw(), ModoArrotondamento(mode));
}

// Whether dropping digits moves the kept part one unit away from zero: "A" on half or more,
// "S" for positives and "I" for negatives whenever anything non-zero is dropped.
static bool awayFromZero(char mode, bool negative, bool droppedNonZero, bool droppedHalfOrMore) {
    switch (mode) {
        case 'A':
            return droppedHalfOrMore;
        case 'S':
            return !negative && droppedNonZero;
        case 'I':
            return negative && droppedNonZero;
        default:
            return false;
    }
}

double Arrotonda(double value, QChar mode, int decimals) {
    if (!std::isfinite(value))
        return value;
    if (value == 0.0)
        return 0.0;
    const char m = ModoArrotondamento(mode);
    if (decimals > 400)
        decimals = 400;
    if (decimals < -400)
        decimals = -400;
    Sig15 s = toSig15(value);
    // Digits kept: those of weight >= 10^-decimals.
    int kept = s.exp10 + 1 + decimals;
    if (kept >= 15) {
        // The cut lies beyond the 15 digits: decide on the full 17 digits of the double.
        s = toSig15(value, 17);
        kept = s.exp10 + 1 + decimals;
        if (kept >= 17)
            return value;
    }
    bool bump = false;
    std::string head;
    if (kept <= 0) {
        const bool nonzero = s.digits.find_first_not_of('0') != std::string::npos;
        bump = awayFromZero(m, s.neg, nonzero, kept == 0 && s.digits[0] >= '5');
        head = "0";
    } else {
        head = s.digits.substr(0, static_cast<size_t>(kept));
        const std::string tail = s.digits.substr(static_cast<size_t>(kept));
        const bool nonzero = tail.find_first_not_of('0') != std::string::npos;
        bump = awayFromZero(m, s.neg, nonzero, tail[0] >= '5');
    }
    if (bump) {
        // head + 1 in decimal
        int k = static_cast<int>(head.size()) - 1;
        while (k >= 0 && head[static_cast<size_t>(k)] == '9') {
            head[static_cast<size_t>(k)] = '0';
            --k;
        }
        if (k < 0)
            head.insert(head.begin(), '1');
        else
            ++head[static_cast<size_t>(k)];
    }
    return fromDigits(s.neg, head, -decimals);
}

double ArrotondaPasso(double value, QChar mode, double step) {
    if (!std::isfinite(value) || !std::isfinite(step) || step <= 0.0)
        return value;
    const double r = Arrotonda(value / step, mode, 0) * step;
    if (r == 0.0 || !std::isfinite(r))
        return r == 0.0 ? 0.0 : r;
    const Sig15 s = toSig15(r);  // 3 * 0.05 = 0.15000000000000002 → 0.15
    return fromDigits(s.neg, s.digits, s.exp10 - 14);
}

}  // namespace evapre
