#include "CommandLine.h"

namespace evapre {

bool CommandLine::parse(const QStringList& args, const QStringList& flags, QString* error) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--")) || arg.size() < 3) {
            *error = QStringLiteral("Argomento non riconosciuto: ") + arg;
            return false;
        }
        const QString name = arg.mid(2);
        if (flags.contains(name)) {
            mFlags << name;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = QStringLiteral("Manca il valore dell'opzione ") + arg;
            return false;
        }
        mValues[name] << args.at(++i);
    }
    return true;
}

QString CommandLine::value(const QString& name, const QString& fallback) const {
    const QStringList all = mValues.value(name);
    return all.isEmpty() ? fallback : all.last();
}

bool CommandLine::intValue(const QString& name, int fallback, int* out, QString* error) const {
    if (!mValues.contains(name)) {
        *out = fallback;
        return true;
    }
    bool ok = false;
    const int v = value(name).toInt(&ok);
    if (!ok) {
        *error = QStringLiteral("Valore numerico non valido per --") + name + QStringLiteral(": ") +
                 value(name);
        return false;
    }
    *out = v;
    return true;
}

}  // namespace evapre
