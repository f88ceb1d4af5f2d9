#include "NumberConv.h"

#include "Rounding.h"

#include <QLocale>

#include <cmath>

namespace evapre {

namespace {

bool isDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Checks the integer part with thousands dots and returns its digits; false when the
// grouping is wrong. `grouped` tells whether the dots are separators at all.
bool integerDigits(QStringView part, bool grouped, QString& out) {
    if (!grouped) {
        for (const QChar c : part)
            if (!isDigit(c))
                return false;
        out = part.toString();
        return true;
    }
    const auto groups = part.split(u'.');
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QStringView grp = groups[g];
        if (g == 0) {
            if (grp.isEmpty() || grp.size() > 3)
                return false;
        } else if (grp.size() != 3) {
            return false;
        }
        for (const QChar c : grp)
            if (!isDigit(c))
                return false;
        out += grp;
    }
    return true;
}

}  // namespace

QString NormalizzaNumero(QStringView text, bool* ok) {
    auto fail = [ok]() {
        if (ok)
            *ok = false;
        return QString();
    };
    QStringView t = text.trimmed();
    if (t.isEmpty())
        return fail();
    QString sign;
    if (t.front() == u'+' || t.front() == u'-') {
        if (t.front() == u'-')
            sign = QStringLiteral("-");
        t = t.mid(1);
    }
    QStringView intPart;
    QStringView fracPart;
    bool grouped = false;
    const qsizetype comma = t.indexOf(u',');
    if (comma >= 0) {
        if (t.indexOf(u',', comma + 1) >= 0)
            return fail();
        intPart = t.left(comma);
        fracPart = t.mid(comma + 1);
        if (fracPart.contains(u'.'))
            return fail();
        grouped = intPart.contains(u'.');
    } else {
        const qsizetype dots = t.count(u'.');
        if (dots == 1) {
            const qsizetype dot = t.indexOf(u'.');
            intPart = t.left(dot);
            fracPart = t.mid(dot + 1);
        } else {
            intPart = t;
            grouped = dots > 1;
        }
    }
    QString digits;
    if (!integerDigits(intPart, grouped, digits))
        return fail();
    for (const QChar c : fracPart)
        if (!isDigit(c))
            return fail();
    if (digits.isEmpty() && fracPart.isEmpty())
        return fail();
    if (ok)
        *ok = true;
    QString out = sign + (digits.isEmpty() ? QStringLiteral("0") : digits);
    if (!fracPart.isEmpty())
        out += u'.' + fracPart.toString();
    return out;
}

NumeroConvertito ConvertiNumeroEx(QStringView text) {
    NumeroConvertito r;
    if (text.trimmed().isEmpty()) {
        r.blank = true;
        return r;
    }
    bool ok = false;
    const QString plain = NormalizzaNumero(text, &ok);
    if (!ok) {
        r.error = true;
        return r;
    }
    const auto c = Currency::parse(plain);
    if (!c) {
        r.error = true;
        return r;
    }
    r.value = *c;
    return r;
}

Currency ConvertiNumero(const QString& text, bool* ok) {
    const NumeroConvertito r = ConvertiNumeroEx(text);
    if (ok)
        *ok = !r.error;
    return r.value;
}

Currency ConvertiNumero(const QVariant& value, bool* ok) {
    if (ok)
        *ok = true;
    if (!value.isValid() || value.isNull())
        return Currency();
    switch (value.metaType().id()) {
        case QMetaType::QString:
        case QMetaType::QByteArray:
        case QMetaType::QChar:
            return ConvertiNumero(value.toString(), ok);
        default:
            break;
    }
    try {
        return Currency::fromVariant(value);
    } catch (const std::exception&) {
        if (ok)
            *ok = false;
        return Currency();
    }
}

double ConvertiDouble(const QVariant& value, bool* ok) {
    if (ok)
        *ok = true;
    if (!value.isValid() || value.isNull())
        return 0.0;
    switch (value.metaType().id()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Bool:
            return value.toDouble();
        case QMetaType::QString:
        case QMetaType::QByteArray:
        case QMetaType::QChar: {
            const QString text = value.toString();
            if (text.trimmed().isEmpty())
                return 0.0;
            bool good = false;
            const QString plain = NormalizzaNumero(text, &good);
            double d = good ? QLocale::c().toDouble(plain, &good) : 0.0;
            if (!good && !plain.isEmpty()) {
                // Out of the double's range: below it (0,000…0004) is zero, above is an error.
                const auto tiny = Currency::parse(plain);
                good = tiny.has_value();
                d = good ? tiny->toDouble() : 0.0;
            }
            if (!good || !std::isfinite(d)) {
                if (ok)
                    *ok = false;
                return 0.0;
            }
            return d == 0.0 ? 0.0 : d;
        }
        default:
            break;
    }
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toDouble();
    if (ok)
        *ok = false;
    return 0.0;
}

qint32 ConvertiIntero(const QVariant& value, bool* ok) {
    bool good = true;
    const Currency c = ConvertiNumero(value, &good);
    if (!good) {
        if (ok)
            *ok = false;
        return 0;
    }
    if (c > Currency::fromInt(INT32_MAX) + Currency::fromInt(1) ||
        c < Currency::fromInt(INT32_MIN) - Currency::fromInt(1)) {
        if (ok)
            *ok = false;
        return 0;
    }
    const int64_t whole = Arrotonda(c, 'A', 0).raw() / Currency::kScale;
    if (whole > INT32_MAX || whole < INT32_MIN) {
        if (ok)
            *ok = false;
        return 0;
    }
    if (ok)
        *ok = true;
    return static_cast<qint32>(whole);
}

QString FormatNumero(double value, int decimals) {
    if (!std::isfinite(value))
        return QString();
    if (decimals < 0)
        decimals = 0;
    const double r = Arrotonda(value, 'A', decimals);
    if (decimals <= Currency::kDecimals && std::fabs(r) < 9e14) {
        try {
            return Currency::fromDouble(r).format(decimals);
        } catch (const std::exception&) {
        }
    }
    QLocale it(QLocale::Italian, QLocale::Italy);
    it.setNumberOptions(QLocale::DefaultNumberOptions);
    return it.toString(r, 'f', decimals);
}

}  // namespace evapre
