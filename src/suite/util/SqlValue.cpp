#include "SqlValue.h"

#include "DateConv.h"
#include "NumberConv.h"

#include <QRegularExpression>
#include <QTime>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace evapre {

namespace {

QString negativeSafe(const QString& number) {
    return number.startsWith(u'-') ? u'(' + number + u')' : number;
}

QString textLiteral(SqlDialect dialect, const QString& text) {
    const qsizetype n = text.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype plain = 0;  // the leading part that needs no care
    while (plain < n) {
        const char16_t u = units[plain];
        if (u == 0 || u == u'\'' || u == u'\\' || QChar::isSurrogate(u))
            break;
        ++plain;
    }
    if (plain == n) {  // most texts: written between quotes as they are
        QString literal(n + 2, Qt::Uninitialized);
        QChar* out = literal.data();
        out[0] = u'\'';
        std::copy_n(text.constData(), n, out + 1);
        out[n + 1] = u'\'';
        return literal;
    }
    QString body;
    body.reserve(text.size() + 8);
    body.append(text.constData(), plain);
    bool backslash = false;
    for (qsizetype i = plain; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < n && text.at(i + 1).isLowSurrogate()) {
                body += c;
                body += text.at(++i);
            } else {
                body += QChar(QChar::ReplacementCharacter);
            }
            continue;
        }
        if (c.isLowSurrogate()) {
            body += QChar(QChar::ReplacementCharacter);
            continue;
        }
        switch (c.unicode()) {
            case 0:
                break;  // NUL stripped
            case '\'':
                body += QStringLiteral("''");
                break;
            case '\\':
                backslash = true;
                body += c;
                if (dialect == SqlDialect::PostgreSQL)
                    body += c;
                break;
            default:
                body += c;
        }
    }
    if (dialect == SqlDialect::PostgreSQL && backslash)
        return QStringLiteral("E'") + body + u'\'';
    return u'\'' + body + u'\'';
}

QString dateText(const QDate& d) {
    return QStringLiteral("%1-%2-%3")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

bool dateUsable(const QDate& d) {
    return d.isValid() && !IsNessunaData(d) && d.year() >= 1 && d.year() <= 9999;
}

QString dateLiteral(SqlDialect dialect, const QDate& d) {
    if (!dateUsable(d))
        return QStringLiteral("NULL");
    const QString body = u'\'' + dateText(d) + u'\'';
    return dialect == SqlDialect::PostgreSQL ? QStringLiteral("DATE ") + body : body;
}

QString stampLiteral(SqlDialect dialect, const QDateTime& dt) {
    if (!dt.isValid() || !dateUsable(dt.date()))
        return QStringLiteral("NULL");
    const QTime t = dt.time();
    const QString body = u'\'' + dateText(dt.date()) +
                         QStringLiteral(" %1:%2:%3")
                             .arg(t.hour(), 2, 10, QLatin1Char('0'))
                             .arg(t.minute(), 2, 10, QLatin1Char('0'))
                             .arg(t.second(), 2, 10, QLatin1Char('0')) +
                         u'\'';
    return dialect == SqlDialect::PostgreSQL ? QStringLiteral("TIMESTAMP ") + body : body;
}

QString boolLiteral(SqlDialect dialect, bool b) {
    if (dialect == SqlDialect::PostgreSQL)
        return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

QString doubleLiteral(double d) {
    if (!std::isfinite(d))
        return QStringLiteral("NULL");
    if (d == 0.0)
        return QStringLiteral("0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return negativeSafe(QString::fromLatin1(buf, res.ptr - buf));
}

QDateTime parseStamp(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\S+?)(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return {};
    const DataConvertita d = ConvertiDataEx(m.captured(1));
    if (!d.date)
        return {};
    QTime t(0, 0, 0);
    if (m.capturedLength(2) > 0) {
        t = QTime(m.captured(2).toInt(), m.captured(3).toInt(),
                  m.capturedLength(4) > 0 ? m.captured(4).toInt() : 0);
        if (!t.isValid())
            return {};
    }
    return QDateTime(*d.date, t);
}

bool isIntegerType(int type) {
    switch (type) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Char:
            return true;
        default:
            return false;
    }
}

bool isTextType(int type) {
    return type == QMetaType::QString || type == QMetaType::QByteArray || type == QMetaType::QChar;
}

QString integerLiteral(const QVariant& v) {
    const int type = v.metaType().id();
    if (type == QMetaType::ULongLong || type == QMetaType::ULong)
        return QString::number(v.toULongLong());
    // "(-5)" for a negative number, written into a buffer and made a text once.
    const qlonglong n = type == QMetaType::Int ? *static_cast<const int*>(v.constData())
                        : type == QMetaType::LongLong
                            ? *static_cast<const qlonglong*>(v.constData())
                            : v.toLongLong();
    char buf[32];
    char* out = buf;
    if (n < 0)
        *out++ = '(';
    out = std::to_chars(out, buf + sizeof buf, n).ptr;
    if (n < 0)
        *out++ = ')';
    return QString::fromLatin1(buf, out - buf);
}

bool isCurrency(const QVariant& v) {
    return v.metaType() == QMetaType::fromType<Currency>();
}

QString asText(const QVariant& v) {
    if (isCurrency(v))
        return v.value<Currency>().toSqlText();
    if (v.metaType().id() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    if (v.canConvert<QString>())
        return v.toString();
    throw SqlValueError(QStringLiteral("Valore non convertibile in testo SQL (tipo ") +
                        QString::fromLatin1(v.typeName()) + u')');
}

QString numberLiteral(SqlDialect dialect, const QVariant& v) {
    const int type = v.metaType().id();
    if (isCurrency(v))
        return negativeSafe(v.value<Currency>().toSqlText());
    if (isIntegerType(type))
        return integerLiteral(v);
    if (type == QMetaType::Double || type == QMetaType::Float)
        return doubleLiteral(v.toDouble());
    if (type == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (isTextType(type)) {
        const NumeroConvertito n = ConvertiNumeroEx(asText(v));
        if (n.error)
            throw SqlValueError(QStringLiteral("Numero non valido: ") + asText(v));
        return negativeSafe(n.value.toSqlText());
    }
    (void)dialect;
    throw SqlValueError(QStringLiteral("Valore non numerico per SQL (tipo ") +
                        QString::fromLatin1(v.typeName()) + u')');
}

QString booleanLiteral(SqlDialect dialect, const QVariant& v) {
    const int type = v.metaType().id();
    if (type == QMetaType::Bool)
        return boolLiteral(dialect, v.toBool());
    if (isCurrency(v))
        return boolLiteral(dialect, !v.value<Currency>().isZero());
    if (isIntegerType(type) || type == QMetaType::Double || type == QMetaType::Float)
        return boolLiteral(dialect, v.toDouble() != 0.0);
    if (isTextType(type)) {
        const QString t = asText(v).trimmed().toUpper();
        static const QStringList yes{QStringLiteral("S"), QStringLiteral("SI"),
                                     QStringLiteral("Y"), QStringLiteral("YES"),
                                     QStringLiteral("T"), QStringLiteral("TRUE"),
                                     QStringLiteral("V"), QStringLiteral("VERO"),
                                     QStringLiteral("1"), QStringLiteral("-1")};
        static const QStringList no{QStringLiteral("N"),
                                    QStringLiteral("NO"),
                                    QStringLiteral("F"),
                                    QStringLiteral("FALSE"),
                                    QStringLiteral("FALSO"),
                                    QStringLiteral("0"),
                                    QString()};
        if (yes.contains(t))
            return boolLiteral(dialect, true);
        if (no.contains(t))
            return boolLiteral(dialect, false);
        throw SqlValueError(QStringLiteral("Valore logico non valido: ") + asText(v));
    }
    throw SqlValueError(QStringLiteral("Valore logico non valido (tipo ") +
                        QString::fromLatin1(v.typeName()) + u')');
}

QString likeLiteral(SqlDialect dialect, const QString& pattern) {
    return QStringLiteral("LIKE ") + textLiteral(dialect, pattern) + QStringLiteral(" ESCAPE ") +
           textLiteral(dialect, QStringLiteral("\\"));
}

void appendEscaped(QString& out, QChar c) {
    if (c == u'%' || c == u'_' || c == u'\\')
        out += u'\\';
    out += c;
}

}  // namespace

QString SqlValue(SqlDialect dialect, const QVariant& value, SqlKind kind) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    const int type = value.metaType().id();
    switch (kind) {
        case SqlKind::Text:
            if (type == QMetaType::QDate)
                return textLiteral(dialect, dateText(value.toDate()));
            return textLiteral(dialect, asText(value));
        case SqlKind::Date:
            if (type == QMetaType::QDate)
                return dateLiteral(dialect, value.toDate());
            if (type == QMetaType::QDateTime)
                return dateLiteral(dialect, value.toDateTime().date());
            if (isTextType(type)) {
                const QString text = asText(value);
                if (const auto d = ConvertiData(text))
                    return dateLiteral(dialect, *d);
                return dateLiteral(dialect, parseStamp(text).date());  // "2026-01-05 10:20:30"
            }
            return QStringLiteral("NULL");
        case SqlKind::DateTime:
            if (type == QMetaType::QDateTime)
                return stampLiteral(dialect, value.toDateTime());
            if (type == QMetaType::QDate)
                return stampLiteral(dialect, QDateTime(value.toDate(), QTime(0, 0, 0)));
            if (isTextType(type))
                return stampLiteral(dialect, parseStamp(asText(value)));
            return QStringLiteral("NULL");
        case SqlKind::Number:
            return numberLiteral(dialect, value);
        case SqlKind::Boolean:
            return booleanLiteral(dialect, value);
        case SqlKind::Auto:
            break;
    }
    if (isCurrency(value) || isIntegerType(type) || type == QMetaType::Double ||
        type == QMetaType::Float)
        return numberLiteral(dialect, value);
    switch (type) {
        case QMetaType::Bool:
            return boolLiteral(dialect, value.toBool());
        case QMetaType::QDate:
            return dateLiteral(dialect, value.toDate());
        case QMetaType::QDateTime:
            return stampLiteral(dialect, value.toDateTime());
        default:
            return textLiteral(dialect, asText(value));
    }
}

bool SqlBindTo(const QVariant& value, SqlBindSink& sink) {
    if (!value.isValid() || value.isNull()) {
        sink.null();
        return true;
    }
    const int type = value.metaType().id();
    if (isCurrency(value)) {
        // The literal is the exact decimal; a double quotient of two exact doubles is the
        // nearest double to it, as the database's own reading of the literal would be.
        const int64_t raw = static_cast<const Currency*>(value.constData())->raw();
        constexpr int64_t kExact = int64_t(1) << 53;
        if (raw % 10000 == 0)
            sink.integer(raw / 10000);
        else if (raw > -kExact && raw < kExact)
            sink.real(static_cast<double>(raw) / 10000.0);
        else
            return false;
        return true;
    }
    switch (type) {
        case QMetaType::QString: {
            const QString& text = *static_cast<const QString*>(value.constData());
            for (const QChar c : text)
                if (c.unicode() == 0 || c.isSurrogate())
                    return false;  // the literal cleans these
            sink.text(text);
            return true;
        }
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::SChar:
        case QMetaType::UChar:
            sink.integer(value.toLongLong());
            return true;
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = value.toDouble();
            if (std::isfinite(d))
                sink.real(d);
            else
                sink.null();
            return true;
        }
        case QMetaType::Bool:
            sink.integer(value.toBool() ? 1 : 0);
            return true;
        case QMetaType::QDate: {
            const QDate d = value.toDate();
            if (dateUsable(d))
                sink.text(dateText(d));
            else
                sink.null();
            return true;
        }
        default:
            return false;
    }
}

namespace {

void appendUtf8(const QString& text, std::string& out) {
    const qsizetype n = text.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    qsizetype ascii = 0;
    while (ascii < n && units[ascii] < 0x80)
        ++ascii;
    if (ascii < n) {
        const QByteArray utf8 = text.toUtf8();
        out.append(utf8.constData(), size_t(utf8.size()));
        return;
    }
    const size_t at = out.size();
    out.resize(at + size_t(n));
    char* to = out.data() + at;
    for (qsizetype i = 0; i < n; ++i)
        to[i] = static_cast<char>(units[i]);
}

}  // namespace

bool SqlAppendParamText(const QVariant& value, std::string& out, bool* isNull) {
    *isNull = false;
    if (!value.isValid() || value.isNull()) {
        *isNull = true;
        return true;
    }
    const int type = value.metaType().id();
    char buf[Currency::kSqlTextMax];
    if (isCurrency(value)) {
        const Currency amount = *static_cast<const Currency*>(value.constData());
        out.append(buf, size_t(amount.writeSqlText(buf) - buf));
        return true;
    }
    if (isIntegerType(type)) {
        const char* end =
            type == QMetaType::Int
                ? std::to_chars(buf, buf + sizeof buf, *static_cast<const int*>(value.constData()))
                      .ptr
            : type == QMetaType::LongLong
                ? std::to_chars(buf, buf + sizeof buf,
                                *static_cast<const qlonglong*>(value.constData()))
                      .ptr
            : type == QMetaType::ULongLong || type == QMetaType::ULong
                ? std::to_chars(buf, buf + sizeof buf, value.toULongLong()).ptr
                : std::to_chars(buf, buf + sizeof buf, value.toLongLong()).ptr;
        out.append(buf, size_t(end - buf));
        return true;
    }
    switch (type) {
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = value.toDouble();
            if (!std::isfinite(d))
                *isNull = true;
            else if (d == 0.0)
                out += '0';
            else
                out.append(buf, size_t(std::to_chars(buf, buf + sizeof buf, d).ptr - buf));
            return true;
        }
        case QMetaType::Bool:
            out += value.toBool() ? "true" : "false";
            return true;
        case QMetaType::QDate: {
            const QDate d = value.toDate();
            if (dateUsable(d))
                out += dateText(d).toStdString();
            else
                *isNull = true;
            return true;
        }
        case QMetaType::QDateTime: {
            const QString literal = stampLiteral(SqlDialect::SQLite, value.toDateTime());
            if (literal == QLatin1String("NULL"))
                *isNull = true;
            else
                out += literal.mid(1, literal.size() - 2).toStdString();
            return true;
        }
        case QMetaType::QString: {
            const QString& text = *static_cast<const QString*>(value.constData());
            for (const QChar c : text)
                if (c.unicode() == 0 || c.isSurrogate())
                    return false;  // the literal cleans these
            appendUtf8(text, out);
            return true;
        }
        default:
            return false;
    }
}

std::optional<QVariant> SqlBindValue(const QVariant& value) {
    struct AValore final : SqlBindSink {
        QVariant valore;
        void null() override { valore = QVariant(); }
        void integer(qint64 v) override { valore = QVariant(static_cast<qlonglong>(v)); }
        void real(double v) override { valore = QVariant(v); }
        void text(const QString& v) override { valore = QVariant(v); }
    } sink;
    if (!SqlBindTo(value, sink))
        return std::nullopt;
    return std::move(sink.valore);
}

QString SqlValue(SqlDialect dialect, const QString& text) {
    return textLiteral(dialect, text);
}
QString SqlValue(SqlDialect dialect, const char* text) {
    if (!text)
        return QStringLiteral("NULL");
    return textLiteral(dialect, QString::fromUtf8(text));
}
QString SqlValue(SqlDialect dialect, const QDate& date) {
    return dateLiteral(dialect, date);
}
QString SqlValue(SqlDialect dialect, const QDateTime& stamp) {
    return stampLiteral(dialect, stamp);
}
QString SqlValue(SqlDialect, Currency amount) {
    return negativeSafe(amount.toSqlText());
}
QString SqlValue(SqlDialect, long long number) {
    return negativeSafe(QString::number(number));
}
QString SqlValue(SqlDialect, long number) {
    return negativeSafe(QString::number(number));
}
QString SqlValue(SqlDialect, int number) {
    return negativeSafe(QString::number(number));
}
QString SqlValue(SqlDialect, double number) {
    return doubleLiteral(number);
}
QString SqlValue(SqlDialect dialect, bool flag) {
    return boolLiteral(dialect, flag);
}

QString SqlLikePrefix(SqlDialect dialect, const QString& prefix) {
    QString pattern;
    pattern.reserve(prefix.size() + 4);
    for (const QChar c : prefix)
        appendEscaped(pattern, c);
    pattern += u'%';
    return likeLiteral(dialect, pattern);
}

QString SqlLikePattern(SqlDialect dialect, const QString& jetPattern) {
    QString pattern;
    const qsizetype n = jetPattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = jetPattern.at(i);
        if (c == u'*') {
            pattern += u'%';
        } else if (c == u'?') {
            pattern += u'_';
        } else if (c == u'[' && i + 2 < n && jetPattern.at(i + 2) == u']') {
            appendEscaped(pattern, jetPattern.at(i + 1));
            i += 2;
        } else {
            appendEscaped(pattern, c);
        }
    }
    return likeLiteral(dialect, pattern);
}

}  // namespace evapre
