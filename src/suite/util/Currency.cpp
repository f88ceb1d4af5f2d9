#include "Currency.h"

#include <QByteArray>

#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

namespace evapre {

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

int64_t checked(i128 v) {
    if (v > kMax || v < kMin)
        throw CurrencyOverflow();
    return static_cast<int64_t>(v);
}

// num / den rounded half away from zero; den != 0.
i128 divRound(i128 num, i128 den) {
    i128 q = num / den;
    i128 r = num % den;
    if (r != 0) {
        i128 ar = r < 0 ? -r : r;
        i128 ad = den < 0 ? -den : den;
        if (2 * ar >= ad)
            q += ((num < 0) != (den < 0)) ? -1 : 1;
    }
    return q;
}

enum class ParseStatus { Ok, Invalid, Overflow };

bool isAsciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Exact decimal text → raw value scaled by 10 000, rounding half away from zero.
ParseStatus parseDecimal(QStringView s, int64_t& out) {
    s = s.trimmed();
    qsizetype i = 0;
    const qsizetype n = s.size();
    bool neg = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        neg = s[i] == u'-';
        ++i;
    }
    std::string digits;    // significant digits, leading zeros dropped
    int64_t intCount = 0;  // digits of `digits` before the decimal point
    bool sawDigit = false;
    bool sawPoint = false;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (isAsciiDigit(c)) {
            sawDigit = true;
            if (digits.empty() && c == u'0') {
                if (sawPoint)
                    --intCount;  // a leading zero after the point shifts the digits right
                continue;
            }
            digits.push_back(static_cast<char>(c.unicode()));
            if (!sawPoint)
                ++intCount;
        } else if (c == u'.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return ParseStatus::Invalid;
    int64_t exponent = 0;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool expNeg = false;
        if (i < n && (s[i] == u'+' || s[i] == u'-')) {
            expNeg = s[i] == u'-';
            ++i;
        }
        bool expDigit = false;
        for (; i < n && isAsciiDigit(s[i]); ++i) {
            expDigit = true;
            if (exponent < 1000000)
                exponent = exponent * 10 + (s[i].unicode() - '0');
        }
        if (!expDigit)
            return ParseStatus::Invalid;
        if (expNeg)
            exponent = -exponent;
    }
    if (i != n)
        return ParseStatus::Invalid;
    if (digits.empty()) {
        out = 0;
        return ParseStatus::Ok;
    }
    const int64_t kept = intCount + exponent + Currency::kDecimals;  // digits kept in the raw value
    if (kept > 19)
        return ParseStatus::Overflow;
    u128 acc = 0;
    for (int64_t k = 0; k < kept; ++k) {
        const int d =
            k < static_cast<int64_t>(digits.size()) ? digits[static_cast<size_t>(k)] - '0' : 0;
        acc = acc * 10 + static_cast<u128>(d);
    }
    if (kept >= 0 && kept < static_cast<int64_t>(digits.size()) &&
        digits[static_cast<size_t>(kept)] >= '5')
        ++acc;
    if (acc > static_cast<u128>(kMax))
        return ParseStatus::Overflow;
    out = neg ? -static_cast<int64_t>(acc) : static_cast<int64_t>(acc);
    return ParseStatus::Ok;
}

}  // namespace

Currency Currency::fromInt(int64_t n) {
    return Currency(checked(static_cast<i128>(n) * kScale));
}

Currency Currency::fromDouble(double d) {
    if (!std::isfinite(d) || std::fabs(d) > 1e15)
        throw CurrencyOverflow();
    if (std::fabs(d) < 1e-6)
        return Currency();
    // Most doubles are amounts of four decimals at most, read back from a database: when d is
    // the double nearest to r / 10000, that is also the value of its shortest text (below 1e11
    // no two amounts of four decimals share a double), so the text need not be written.
    if (std::fabs(d) < 1e11) {
        const double scaled = std::round(d * 10000.0);
        if (scaled / 10000.0 == d)
            return Currency(static_cast<int64_t>(scaled));
    }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    if (res.ec != std::errc())
        throw CurrencyOverflow();
    int64_t raw = 0;
    const QString text = QString::fromLatin1(buf, res.ptr - buf);
    if (parseDecimal(text, raw) != ParseStatus::Ok)
        throw CurrencyOverflow();
    return Currency(raw);
}

std::optional<Currency> Currency::parse(QStringView text) {
    int64_t raw = 0;
    if (parseDecimal(text, raw) != ParseStatus::Ok)
        return std::nullopt;
    return Currency(raw);
}

Currency Currency::fromVariant(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return Currency();
    const int type = value.metaType().id();
    if (type == QMetaType::fromType<Currency>().id())
        return value.value<Currency>();
    switch (type) {
        case QMetaType::Bool:
            return Currency(value.toBool() ? kScale : 0);
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::SChar:
        case QMetaType::Char:
            return fromInt(value.toLongLong());
        case QMetaType::UInt:
        case QMetaType::UShort:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UChar: {
            const qulonglong u = value.toULongLong();
            if (u > static_cast<qulonglong>(kMax))
                throw CurrencyOverflow();
            return fromInt(static_cast<int64_t>(u));
        }
        case QMetaType::Double:
        case QMetaType::Float:
            return fromDouble(value.toDouble());
        case QMetaType::QString:
        case QMetaType::QByteArray:
        case QMetaType::QChar: {
            const QString text = value.toString();
            if (text.trimmed().isEmpty())
                return Currency();
            int64_t raw = 0;
            switch (parseDecimal(text, raw)) {
                case ParseStatus::Ok:
                    return Currency(raw);
                case ParseStatus::Overflow:
                    throw CurrencyOverflow();
                case ParseStatus::Invalid:
                    break;
            }
            throw CurrencyFormatError(text);
        }
        default:
            break;
    }
    throw CurrencyFormatError(value.toString().isEmpty() ? QString::fromLatin1(value.typeName())
                                                         : value.toString());
}

double Currency::toDouble() const {
    return static_cast<double>(mRaw) / static_cast<double>(kScale);
}

char* Currency::writeSqlText(char* out) const {
    const bool neg = mRaw < 0;
    // The magnitude fits 64 unsigned bits, the most negative amount included.
    const uint64_t mag = neg ? 0 - static_cast<uint64_t>(mRaw) : static_cast<uint64_t>(mRaw);
    const uint64_t whole = mag / static_cast<uint64_t>(kScale);
    uint64_t frac = mag % static_cast<uint64_t>(kScale);
    if (neg)
        *out++ = '-';
    out = std::to_chars(out, out + 24, whole).ptr;
    if (frac != 0) {
        int digits = kDecimals;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        *out++ = '.';
        for (int k = digits - 1; k >= 0; --k, frac /= 10)
            out[k] = static_cast<char>('0' + frac % 10);
        out += digits;
    }
    return out;
}

QString Currency::toSqlText() const {
    // Written into a buffer and made a text once: amounts are written for every statement.
    char buf[kSqlTextMax];
    return QString::fromLatin1(buf, writeSqlText(buf) - buf);
}

QString Currency::format(int decimals) const {
    if (decimals < 0)
        decimals = 0;
    const int used = decimals > kDecimals ? kDecimals : decimals;
    i128 unit = 1;
    for (int k = used; k < kDecimals; ++k)
        unit *= 10;
    const i128 rounded = divRound(mRaw, unit);  // in units of 10^-used
    const bool neg = rounded < 0;
    const u128 mag = neg ? static_cast<u128>(-rounded) : static_cast<u128>(rounded);
    u128 pow = 1;
    for (int k = 0; k < used; ++k)
        pow *= 10;
    const uint64_t whole = static_cast<uint64_t>(mag / pow);
    const uint64_t frac = static_cast<uint64_t>(mag % pow);
    const QString digits = QString::number(whole);
    QString grouped;
    const qsizetype len = digits.size();
    for (qsizetype k = 0; k < len; ++k) {
        if (k > 0 && (len - k) % 3 == 0)
            grouped += u'.';
        grouped += digits[k];
    }
    QString out;
    if (neg)
        out += u'-';
    out += grouped;
    if (decimals > 0) {
        out += u',';
        if (used > 0)
            out += QString::number(frac).rightJustified(used, u'0');
        out += QString(decimals - used, u'0');
    }
    return out;
}

Currency Currency::abs() const {
    return mRaw < 0 ? -*this : *this;
}

Currency Currency::operator-() const {
    return Currency(checked(-static_cast<i128>(mRaw)));
}

Currency& Currency::operator+=(Currency o) {
    return *this = *this + o;
}
Currency& Currency::operator-=(Currency o) {
    return *this = *this - o;
}
Currency& Currency::operator*=(Currency o) {
    return *this = *this * o;
}
Currency& Currency::operator*=(int64_t n) {
    return *this = *this * n;
}
Currency& Currency::operator/=(Currency o) {
    return *this = *this / o;
}
Currency& Currency::operator/=(int64_t n) {
    return *this = *this / n;
}

Currency operator+(Currency a, Currency b) {
    return Currency(checked(static_cast<i128>(a.mRaw) + b.mRaw));
}
Currency operator-(Currency a, Currency b) {
    return Currency(checked(static_cast<i128>(a.mRaw) - b.mRaw));
}

Currency operator*(Currency a, Currency b) {
    return Currency(checked(divRound(static_cast<i128>(a.mRaw) * b.mRaw, Currency::kScale)));
}
Currency operator*(Currency a, int64_t n) {
    return Currency(checked(static_cast<i128>(a.mRaw) * n));
}
Currency operator*(int64_t n, Currency a) {
    return a * n;
}

Currency operator/(Currency a, Currency b) {
    if (b.mRaw == 0)
        throw CurrencyDivisionByZero();
    return Currency(checked(divRound(static_cast<i128>(a.mRaw) * Currency::kScale, b.mRaw)));
}
Currency operator/(Currency a, int64_t n) {
    if (n == 0)
        throw CurrencyDivisionByZero();
    return Currency(checked(divRound(a.mRaw, n)));
}

std::ostream& operator<<(std::ostream& os, Currency c) {
    return os << c.toSqlText().toStdString();
}

namespace {
// QVariant(Currency).toString() / toDouble() work through these converters.
const bool gConvertersRegistered = [] {
    QMetaType::registerConverter<Currency, QString>(&Currency::toSqlText);
    QMetaType::registerConverter<Currency, double>(&Currency::toDouble);
    return true;
}();
}  // namespace

}  // namespace evapre
