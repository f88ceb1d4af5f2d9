#include "MenuWire.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonParseError>

namespace evapre::menuwire {

QByteArray encode(const QJsonObject& message) {
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

QList<QJsonObject> readMessages(QIODevice& device, QByteArray& buffer, int* bad) {
    buffer += device.readAll();
    QList<QJsonObject> messages;
    qsizetype newline = -1;
    while ((newline = buffer.indexOf('\n')) >= 0) {
        const QByteArray line = buffer.left(newline).trimmed();
        buffer.remove(0, newline + 1);
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject()) {
            if (bad)
                ++*bad;
            continue;
        }
        messages << document.object();
    }
    return messages;
}

QJsonValue toJson(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QJsonValue(QJsonValue::Null);
    return QJsonValue::fromVariant(value);
}

QVariant fromJson(const QJsonValue& value) {
    if (value.isNull() || value.isUndefined())
        return {};
    return value.toVariant();
}

}  // namespace evapre::menuwire
