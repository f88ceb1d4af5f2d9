#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace evapre {

// "--name value" and "--flag" options of the headless commands. Options that may repeat
// (such as --rate) keep every value.
class CommandLine {
  public:
    // Parses args after the command word; false with an Italian error on a malformed line.
    bool parse(const QStringList& args, const QStringList& flags, QString* error);

    bool has(const QString& name) const { return mValues.contains(name) || mFlags.contains(name); }
    QString value(const QString& name, const QString& fallback = {}) const;
    QStringList values(const QString& name) const { return mValues.value(name); }
    // An integer option; false with an error when present and not a number.
    bool intValue(const QString& name, int fallback, int* out, QString* error) const;

  private:
    QHash<QString, QStringList> mValues;
    QStringList mFlags;
};

}  // namespace evapre
