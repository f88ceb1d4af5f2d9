#include "TextUtil.h"

#include <QDate>
#include <QDateTime>

namespace evapre {

QString TrimSpaces(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u' ')
        ++start;
    while (end > start && text.at(end - 1) == u' ')
        --end;
    return text.mid(start, end - start);
}

bool IsBlank(const QString& text) {
    for (const QChar c : text)
        if (c != u' ')
            return false;
    return true;
}

bool IsBlank(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return true;
    switch (value.metaType().id()) {
        case QMetaType::QString:
        case QMetaType::QByteArray:
        case QMetaType::QChar:
            return IsBlank(value.toString());
        case QMetaType::QDate:
            return !value.toDate().isValid();
        case QMetaType::QDateTime:
            return !value.toDateTime().isValid();
        default:
            return false;
    }
}

bool InList(const QString& value, const QString& list) {
    const QString v = TrimSpaces(value);
    if (v.isEmpty())
        return false;
    for (const QStringView item : QStringView(list).split(u';'))
        if (TrimSpaces(item.toString()) == v)
            return true;
    return false;
}

bool InList(const QVariant& value, const QString& list) {
    if (IsBlank(value))
        return false;
    return InList(value.toString(), list);
}

}  // namespace evapre
