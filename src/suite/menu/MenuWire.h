#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QVariant>

class QIODevice;

namespace evapre::menuwire {

// One JSON object per line, UTF-8, no embedded new lines (compact JSON never has any).
QByteArray encode(const QJsonObject& message);

// Reads every complete line available on the device into buffer-backed messages; lines that
// are not JSON objects are dropped and reported through *bad.
QList<QJsonObject> readMessages(QIODevice& device, QByteArray& buffer, int* bad = nullptr);

// Command parameters and answers travel as JSON values.
QJsonValue toJson(const QVariant& value);
QVariant fromJson(const QJsonValue& value);

}  // namespace evapre::menuwire
