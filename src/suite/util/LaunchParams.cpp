#include "LaunchParams.h"

namespace evapre {

namespace {

bool isBlank(QChar c) {
    return c.isSpace();
}

bool isLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

// Reads a value (quoted and unquoted pieces) from pos to the next blank outside quotes.
QString readValue(const QString& s, qsizetype& pos) {
    QString out;
    const qsizetype n = s.size();
    bool quoted = false;
    while (pos < n) {
        const QChar c = s.at(pos);
        if (quoted) {
            if (c == u'"') {
                if (pos + 1 < n && s.at(pos + 1) == u'"') {
                    out += u'"';
                    pos += 2;
                    continue;
                }
                quoted = false;
                ++pos;
                continue;
            }
            out += c;
            ++pos;
        } else {
            if (isBlank(c))
                break;
            if (c == u'"') {
                quoted = true;
                ++pos;
                continue;
            }
            out += c;
            ++pos;
        }
    }
    return out;
}

bool needsQuotes(const QString& v) {
    if (v.isEmpty())
        return true;
    for (const QChar c : v)
        if (isBlank(c) || c == u'"' || c == u'/')
            return true;
    return false;
}

}  // namespace

QList<QPair<QChar, QString>> ParseLaunchParams(const QString& params) {
    QList<QPair<QChar, QString>> out;
    const qsizetype n = params.size();
    qsizetype pos = 0;
    while (pos < n) {
        while (pos < n && isBlank(params.at(pos)))
            ++pos;
        if (pos >= n)
            break;
        if (params.at(pos) == u'/' && pos + 1 < n && isLetter(params.at(pos + 1)) &&
            (pos + 2 >= n || params.at(pos + 2) == u':' || isBlank(params.at(pos + 2)))) {
            const QChar letter = params.at(pos + 1).toUpper();
            pos += 2;
            if (pos < n && params.at(pos) == u':')
                ++pos;
            out.append({letter, readValue(params, pos)});
        } else {
            readValue(params, pos);  // skip the foreign token, quotes respected
        }
    }
    return out;
}

QString LaunchParam(QChar letter, const QString& params) {
    const QChar want = letter.toUpper();
    for (const auto& p : ParseLaunchParams(params))
        if (p.first == want)
            return p.second;
    return QString();
}

bool HasLaunchParam(QChar letter, const QString& params) {
    const QChar want = letter.toUpper();
    for (const auto& p : ParseLaunchParams(params))
        if (p.first == want)
            return true;
    return false;
}

QString BuildLaunchParams(const QList<QPair<QChar, QString>>& params) {
    QStringList tokens;
    for (const auto& [letter, value] : params) {
        QString token = u'/' + QString(letter.toUpper()) + u':';
        if (needsQuotes(value)) {
            QString v = value;
            v.replace(u'"', QStringLiteral("\"\""));
            token += u'"' + v + u'"';
        } else {
            token += value;
        }
        tokens << token;
    }
    return tokens.join(u' ');
}

QString LaunchParamsFromArgs(const QStringList& arguments) {
    QList<QPair<QChar, QString>> params;
    for (const QString& a : arguments) {
        if (a.size() >= 2 && a.at(0) == u'/' && isLetter(a.at(1)) &&
            (a.size() == 2 || a.at(2) == u':'))
            params.append({a.at(1).toUpper(), a.mid(3)});
    }
    return BuildLaunchParams(params);
}

QStringList BuildLaunchArgs(const QList<QPair<QChar, QString>>& params) {
    QStringList out;
    for (const auto& [letter, value] : params)
        out << u'/' + QString(letter.toUpper()) + u':' + value;
    return out;
}

}  // namespace evapre
