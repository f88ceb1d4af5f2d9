#include "PathUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

namespace evapre {

namespace {

QString slashes(const QString& s) {
    QString t = s.trimmed();
    t.replace(u'\\', u'/');
    return t;
}

bool isWindowsDrive(const QString& s) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z]:/?$"));
    return re.match(s).hasMatch();
}

bool hasWindowsDrivePrefix(const QString& s) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z]:"));
    return re.match(s).hasMatch();
}

QString stripWindowsDrive(const QString& s) {
    return hasWindowsDrivePrefix(s) ? s.mid(2) : s;
}

void join(QString& acc, const QString& piece) {
    if (piece.isEmpty())
        return;
    if (acc.isEmpty()) {
        acc = piece;
        return;
    }
    QString p = piece;
    while (p.startsWith(u'/'))
        p.remove(0, 1);
    while (acc.size() > 1 && acc.endsWith(u'/'))
        acc.chop(1);
    acc += u'/';
    acc += p;
}

}  // namespace

QString PercorsoCompleto(const QString& drive, const QString& folder, const QString& name) {
    const QString n = slashes(name);
    if (n.startsWith(u'/'))
        return n;
    if (hasWindowsDrivePrefix(n)) {
        const QString rest = stripWindowsDrive(n);
        return rest.startsWith(u'/') ? rest : u'/' + rest;
    }
    QString f = stripWindowsDrive(slashes(folder));
    const QString d = slashes(drive);
    QString acc;
    if (!d.isEmpty() && !isWindowsDrive(d) && !f.startsWith(u'/'))
        acc = d;
    join(acc, f);
    join(acc, n);
    return acc;
}

QString NormalizzaCartella(const QString& folder) {
    QString f = slashes(folder);
    if (f.isEmpty())
        return QString();
    while (f.size() > 1 && f.endsWith(u"//"))
        f.chop(1);
    if (!f.endsWith(u'/'))
        f += u'/';
    return f;
}

QString CartellaSistema() {
    const QString env = qEnvironmentVariable("EVAPRE_SYSTEM_DIR");
    if (!env.isEmpty())
        return env.endsWith(u'/') && env.size() > 1 ? env.chopped(1) : env;
    return QStringLiteral("/etc");
}

QString CartellaProgramma() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

}  // namespace evapre
