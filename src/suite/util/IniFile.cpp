#include "IniFile.h"

#include <QFile>
#include <QStringDecoder>

#include <climits>

namespace evapre {

namespace {

QString fold(const QString& s) {
    return s.toCaseFolded();
}

// Blanks: spaces, tabs and every other white space, the same for the file and the lookups.
QString trimBlanks(QStringView s) {
    return s.trimmed().toString();
}

QString decode(const QByteArray& data) {
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

}  // namespace

IniFile IniFile::load(const QString& path) {
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return IniFile();
    IniFile ini = fromData(f.readAll());
    ini.mLoaded = true;
    return ini;
}

IniFile IniFile::fromData(const QByteArray& data) {
    IniFile ini;
    ini.mLoaded = true;
    const QString text = decode(data);
    qsizetype current = -1;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text.at(end) != u'\n' && text.at(end) != u'\r')
            ++end;
        const QString line = trimBlanks(QStringView(text).mid(pos, end - pos));
        pos = end;
        if (pos < n && text.at(pos) == u'\r')
            ++pos;
        if (pos < n && text.at(pos) == u'\n')
            ++pos;
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            if (close < 0)
                continue;
            const QString name = trimBlanks(QStringView(line).mid(1, close - 1));
            const QString key = fold(name);
            auto it = ini.mSectionIndex.constFind(key);
            if (it != ini.mSectionIndex.constEnd()) {
                current = it.value();
            } else {
                ini.mSections.append(Section{name, {}, {}});
                current = ini.mSections.size() - 1;
                ini.mSectionIndex.insert(key, current);
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0 || current < 0)
            continue;
        const QString key = trimBlanks(QStringView(line).left(eq));
        QString value = trimBlanks(QStringView(line).mid(eq + 1));
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        Section& sec = ini.mSections[current];
        const QString k = fold(key);
        if (sec.index.contains(k))
            continue;
        sec.entries.append({key, value});
        sec.index.insert(k, sec.entries.size() - 1);
    }
    return ini;
}

const IniFile::Section* IniFile::find(const QString& section) const {
    auto it = mSectionIndex.constFind(fold(trimBlanks(section)));
    return it == mSectionIndex.constEnd() ? nullptr : &mSections.at(it.value());
}

bool IniFile::contains(const QString& section, const QString& key) const {
    const Section* s = find(section);
    return s && s->index.contains(fold(trimBlanks(key)));
}

QString IniFile::value(const QString& section, const QString& key,
                       const QString& defaultValue) const {
    const Section* s = find(section);
    if (!s)
        return defaultValue;
    auto it = s->index.constFind(fold(trimBlanks(key)));
    return it == s->index.constEnd() ? defaultValue : s->entries.at(it.value()).second;
}

int IniFile::intValue(const QString& section, const QString& key, int defaultValue) const {
    if (!contains(section, key))
        return defaultValue;
    const QString v = value(section, key).trimmed();
    qsizetype i = 0;
    bool neg = false;
    if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) {
        neg = v[i] == u'-';
        ++i;
    }
    long long n = 0;
    bool any = false;
    for (; i < v.size() && v[i].unicode() >= '0' && v[i].unicode() <= '9'; ++i) {
        any = true;
        n = n * 10 + (v[i].unicode() - '0');
        if (n > static_cast<long long>(INT_MAX) + 1)
            return defaultValue;
    }
    if (!any)
        return defaultValue;
    if (neg)
        n = -n;
    if (n > INT_MAX || n < INT_MIN)
        return defaultValue;
    return static_cast<int>(n);
}

QStringList IniFile::sections() const {
    QStringList out;
    for (const Section& s : mSections)
        out << s.name;
    return out;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList out;
    if (const Section* s = find(section))
        for (const auto& e : s->entries)
            out << e.first;
    return out;
}

QString IniLeggi(const QString& file, const QString& section, const QString& key,
                 const QString& defaultValue) {
    return IniFile::load(file).value(section, key, defaultValue);
}

int IniLeggiInt(const QString& file, const QString& section, const QString& key, int defaultValue) {
    return IniFile::load(file).intValue(section, key, defaultValue);
}

}  // namespace evapre
