#include "SqlShape.h"

namespace evapre {

namespace {

// The statements are ASCII but for their texts: a table answers for ASCII, Unicode for the
// rest.
struct AsciiClasses {
    bool identifier[128] = {};
    AsciiClasses() {
        for (int c = 0; c < 128; ++c)
            identifier[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '_';
    }
};
const AsciiClasses kAscii;

inline bool isIdentifierChar(char16_t u) {
    return u < 128 ? kAscii.identifier[u] : QChar(u).isLetterOrNumber();
}

inline bool isDigitChar(char16_t u) {
    return u < 128 ? (u >= '0' && u <= '9') : QChar(u).isDigit();
}

inline bool isSpaceChar(char16_t u) {
    return u < 128 ? (u == ' ' || (u >= '\t' && u <= '\r')) : QChar(u).isSpace();
}

void appendMarker(QString& out, qsizetype index) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + index % 10);
        index /= 10;
    } while (index > 0);
    out += u'\'';
    out += u'@';
    while (n > 0)
        out += QLatin1Char(digits[--n]);
    out += u'\'';
}

}  // namespace

SqlShape SqlShape::Split(const QString& sql) {
    SqlShape result;
    QString& shape = result.shape;
    shape.reserve(sql.size());
    const char16_t* text = reinterpret_cast<const char16_t*>(sql.constData());
    const qsizetype n = sql.size();
    qsizetype copied = 0;                    // text before this index is already in the shape
    qsizetype wordStart = -1, wordEnd = -1;  // the last word seen, for "top" and "like"
    const auto lastWordIs = [&](QLatin1String word) {
        return wordStart >= 0 && QStringView(text + wordStart, wordEnd - wordStart)
                                         .compare(word, Qt::CaseInsensitive) == 0;
    };
    const auto flush = [&](qsizetype upTo) {
        shape.append(reinterpret_cast<const QChar*>(text) + copied, upTo - copied);
        copied = upTo;
    };
    for (qsizetype i = 0; i < n;) {
        const char16_t c = text[i];
        if (c == u'\'') {
            if (i > 0 && isIdentifierChar(text[i - 1]))
                return {};  // E'...' and the like
            qsizetype end = i + 1;
            for (;;) {
                if (end >= n)
                    return {};  // unterminated: the translator reports it
                if (text[end] == u'\'') {
                    if (end + 1 < n && text[end + 1] == u'\'') {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            flush(i);
            appendMarker(shape, result.literals.size());
            result.literals << sql.mid(i, end - i + 1);
            copied = i = end + 1;
            wordStart = -1;
            continue;
        }
        if (c == u'"' || c == u'#' || (c == u'-' && i + 1 < n && text[i + 1] == u'-') ||
            (c == u'/' && i + 1 < n && text[i + 1] == u'*'))
            return {};
        if (isDigitChar(c)) {
            if (i > 0 && (isIdentifierChar(text[i - 1]) || text[i - 1] == u'.')) {
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < n && isDigitChar(text[end]))
                ++end;
            if (end + 1 < n && text[end] == u'.' && isDigitChar(text[end + 1])) {
                ++end;
                while (end < n && isDigitChar(text[end]))
                    ++end;
            }
            if (end < n && (isIdentifierChar(text[end]) || text[end] == u'.'))
                return {};  // 1e-05, 12abc
            if (!lastWordIs(QLatin1String("top"))) {
                flush(i);
                appendMarker(shape, result.literals.size());
                result.literals << sql.mid(i, end - i);
                copied = end;
            }
            wordStart = -1;
            i = end;
            continue;
        }
        if (isIdentifierChar(c)) {
            qsizetype end = i + 1;
            while (end < n && isIdentifierChar(text[end]))
                ++end;
            wordStart = i;
            wordEnd = end;
            // Only a word of four letters can be "like".
            if (end - i == 4 && lastWordIs(QLatin1String("like")))
                return {};
            i = end;
            continue;
        }
        if (!isSpaceChar(c))
            wordStart = -1;
        ++i;
    }
    flush(n);
    result.usable = true;
    return result;
}

SqlShape::Translated SqlShape::Translated::Read(const QString& shape, qsizetype literalCount) {
    Translated t;
    std::vector<bool> seen(static_cast<size_t>(literalCount), false);
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = shape.indexOf(QLatin1String("'@"), from);
        if (at < 0)
            break;
        qsizetype end = at + 2;
        while (end < shape.size() && shape.at(end).isDigit())
            ++end;
        if (end == at + 2 || end >= shape.size() || shape.at(end) != u'\'')
            return {};
        bool ok = false;
        const qsizetype index = QStringView(shape).mid(at + 2, end - at - 2).toLongLong(&ok);
        if (!ok || index < 0 || index >= literalCount || seen[static_cast<size_t>(index)])
            return {};
        seen[static_cast<size_t>(index)] = true;
        t.pieces << shape.mid(from, at - from);
        t.order.push_back(static_cast<int>(index));
        from = end + 1;
    }
    if (static_cast<qsizetype>(t.order.size()) != literalCount)
        return {};
    t.pieces << shape.mid(from);
    t.withPlaceholders = t.pieces.join(u'?');
    t.valid = true;
    return t;
}

QString SqlShape::Translated::join(const QStringList& literals) const {
    QString out = pieces.front();
    for (size_t k = 0; k < order.size(); ++k) {
        out += literals[order[k]];
        out += pieces[static_cast<qsizetype>(k) + 1];
    }
    return out;
}

QVariantList SqlShape::Translated::values(const QStringList& literals) const {
    QVariantList out;
    out.reserve(static_cast<qsizetype>(order.size()));
    for (int index : order) {
        QVariant v;
        LiteralValue(literals[index], &v);
        out << v;
    }
    return out;
}

bool SqlShape::LiteralValue(const QString& literal, QVariant* value) {
    if (literal.isEmpty())
        return false;
    const QChar first = literal.front();
    if (first == u'\'') {
        QString body = literal.mid(1, literal.size() - 2);
        if (body.contains(u'\''))
            body.replace(QLatin1String("''"), QLatin1String("'"));
        *value = body;
        return true;
    }
    if (literal == QLatin1String("NULL")) {
        *value = QVariant();
        return true;
    }
    // Negative numbers are written "(-5)" so that no fragment can end in "--".
    QStringView number(literal);
    bool negative = false;
    if (number.startsWith(QLatin1String("(-")) && number.endsWith(u')')) {
        number = number.mid(2, number.size() - 3);
        negative = true;
    }
    bool ok = false;
    if (number.contains(u'.')) {
        const double d = number.toDouble(&ok);
        if (ok)
            *value = negative ? -d : d;
    } else {
        const qlonglong l = number.toLongLong(&ok);
        if (ok)
            *value = negative ? -l : l;
    }
    return ok;
}

}  // namespace evapre
