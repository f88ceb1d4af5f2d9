#include "DateConv.h"

#include <QDateTime>

namespace evapre {

namespace {

bool allDigits(QStringView s) {
    if (s.isEmpty())
        return false;
    for (const QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

int toInt(QStringView s) {
    int n = 0;
    for (const QChar c : s)
        n = n * 10 + (c.unicode() - '0');
    return n;
}

// Year from its digits; -1 when not acceptable.
int yearOf(QStringView y) {
    if (y.size() > 4)
        return -1;
    const int n = toInt(y);
    switch (y.size()) {
        case 1:
        case 2:
            return n < 30 ? 2000 + n : 1900 + n;
        case 3:
        case 4:
            return n >= 1 ? n : -1;
        default:
            return -1;
    }
}

DataConvertita build(int year, int month, int day) {
    if (year == 100 && month == 1 && day == 1)
        return {std::nullopt, false};
    if (year < 1)
        return {std::nullopt, true};
    const QDate d(year, month, day);
    if (!d.isValid())
        return {std::nullopt, true};
    return {d, false};
}

const DataConvertita kError{std::nullopt, true};

}  // namespace

DataConvertita ConvertiDataEx(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return {std::nullopt, false};
    if (allDigits(t)) {
        if (t.size() == 6 || t.size() == 8) {
            const int year = yearOf(t.mid(4));
            if (year < 0)
                return kError;
            return build(year, toInt(t.mid(2, 2)), toInt(t.mid(0, 2)));
        }
        return kError;
    }
    QChar sep;
    for (const QChar c : t) {
        if (c == u'/' || c == u'-' || c == u'.') {
            sep = c;
            break;
        }
    }
    if (sep.isNull())
        return kError;
    const auto parts = t.split(sep);
    if (parts.size() != 3)
        return kError;
    for (const QStringView p : parts)
        if (!allDigits(p))
            return kError;
    if (parts[0].size() == 4) {  // ISO yyyy-mm-dd
        if (parts[1].size() > 2 || parts[2].size() > 2)
            return kError;
        const int year = toInt(parts[0]);
        if (year < 1)
            return kError;
        return build(year, toInt(parts[1]), toInt(parts[2]));
    }
    if (parts[0].size() > 2 || parts[1].size() > 2)
        return kError;
    const int year = yearOf(parts[2]);
    if (year < 0)
        return kError;
    return build(year, toInt(parts[1]), toInt(parts[0]));
}

std::optional<QDate> ConvertiData(const QString& text) {
    return ConvertiDataEx(text).date;
}

std::optional<QDate> ConvertiData(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    QDate d;
    switch (value.metaType().id()) {
        case QMetaType::QDate:
            d = value.toDate();
            break;
        case QMetaType::QDateTime:
            d = value.toDateTime().date();
            break;
        default:
            return ConvertiDataEx(value.toString()).date;
    }
    if (IsNessunaData(d))
        return std::nullopt;
    return d;
}

bool DataValida(QStringView text) {
    return !ConvertiDataEx(text).error;
}

QString FormatData(const QDate& date) {
    if (IsNessunaData(date))
        return QString();
    return QStringLiteral("%1/%2/%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString FormatData(const std::optional<QDate>& date) {
    return date ? FormatData(*date) : QString();
}

QDate DataNessuna() {
    return QDate(100, 1, 1);
}

bool IsNessunaData(const QDate& date) {
    return !date.isValid() || date == DataNessuna();
}

QDate FineMese(const QDate& date) {
    if (!date.isValid())
        return QDate();
    return QDate(date.year(), date.month(), date.daysInMonth());
}

}  // namespace evapre
