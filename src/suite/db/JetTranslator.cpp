#include "JetTranslator.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <vector>

namespace evapre {

JetSyntaxError::JetSyntaxError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString()) {}

namespace {

enum class Tk { Space, Comment, String, Number, Word, Date, Symbol, Open, Close };

struct Token {
    Tk kind;
    QString text;  // output form: double-quoted strings and dates are already converted
    int pos;       // place in the source, for error messages
    int len;
};

// Deeper nesting is refused rather than risking the stack on hostile text.
constexpr int kMaxDepth = 128;

// Words that never start an operand of "&". LEFT and RIGHT are functions when a parenthesis
// follows them.
const QStringList& reservedWords() {
    static const QStringList words = {
        "ALL",    "AND",    "AS",       "ASC",         "BETWEEN", "BY",     "CASE",   "CROSS",
        "DELETE", "DESC",   "DISTINCT", "DISTINCTROW", "ELSE",    "END",    "ESCAPE", "EXCEPT",
        "EXISTS", "FETCH",  "FILTER",   "FOR",         "FROM",    "FULL",   "GROUP",  "HAVING",
        "IN",     "INNER",  "INSERT",   "INTERSECT",   "INTO",    "IS",     "JOIN",   "LEFT",
        "LIKE",   "LIMIT",  "MOD",      "NOT",         "NULLS",   "OFFSET", "ON",     "OR",
        "ORDER",  "OUTER",  "OVER",     "RIGHT",       "SELECT",  "SET",    "THEN",   "TOP",
        "UNION",  "UPDATE", "USING",    "VALUES",      "WHEN",    "WHERE",  "WITH"};
    return words;
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

QString quoteLiteral(QString text) {
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

struct Operand {
    int end;
    QString text;
    bool literal;  // a string, number or date literal: never Null
};

struct Edit {
    int at;      // token index where the insertion goes
    int skipTo;  // tokens [at, skipTo) are dropped
    QString insert;
};

class Translator {
  public:
    explicit Translator(const QString& sql) : mSql(sql) {}

    QString run() {
        tokenize();
        matchParentheses();
        return sequence(0, int(mTok.size()));
    }

  private:
    const QString& mSql;
    std::vector<Token> mTok;
    std::vector<int> mMatch;  // index of the matching parenthesis

    // The fragment shown is the construct's own text (len) or the text from pos onward.
    [[noreturn]] void fail(const QString& reason, int pos, int len = -1) const {
        const int limit = len < 0 ? 60 : 80;
        const int wanted = len < 0 ? int(mSql.size()) - pos : len;
        QString fragment = mSql.mid(pos, std::min(wanted, limit)).simplified();
        if (wanted > limit)
            fragment += QStringLiteral("…");
        throw JetSyntaxError(
            QStringLiteral("Sintassi SQL non riconosciuta: %1 in \"%2\"").arg(reason, fragment));
    }

    [[noreturn]] void failAtToken(const QString& reason, int index) const {
        fail(reason, index < int(mTok.size()) ? mTok[index].pos : int(mSql.size()));
    }

    // Source span of the tokens [from, to], for messages about a whole construct.
    [[noreturn]] void failOnSpan(const QString& reason, int from, int to) const {
        fail(reason, mTok[from].pos, mTok[to].pos + mTok[to].len - mTok[from].pos);
    }

    // ---- tokens -------------------------------------------------------------------------

    void push(Tk kind, int start, int end, QString text = {}) {
        if (text.isNull())
            text = mSql.mid(start, end - start);
        mTok.push_back({kind, text, start, end - start});
    }

    // Index just past the closing quote of a literal opened at start ("" or '' inside).
    int endOfQuoted(int start, QChar quote, const QString& reason) const {
        int i = start + 1;
        for (;;) {
            i = mSql.indexOf(quote, i);
            if (i < 0)
                fail(reason, start);
            if (i + 1 < mSql.size() && mSql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
    }

    // Jet writes dates month first: #12/31/2026#, optionally with a time; #2026-12-31# is
    // accepted too. The ISO text literal is compared as text by SQLite, whose dates are ISO
    // text, and PostgreSQL coerces it to the DATE or TIMESTAMP of the column it meets.
    QString dateLiteral(const QString& body, int pos, int len) const {
        static const QRegularExpression us(QStringLiteral(
            R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
        static const QRegularExpression iso(QStringLiteral(
            R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
        QDate date;
        QRegularExpressionMatch m = us.match(body);
        if (m.hasMatch()) {
            date = QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
        } else {
            m = iso.match(body);
            if (m.hasMatch())
                date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        }
        if (!date.isValid())
            fail(QStringLiteral("data non valida"), pos, len);
        QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
        if (!m.captured(4).isEmpty()) {
            const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
            if (!time.isValid())
                fail(QStringLiteral("ora non valida"), pos, len);
            text += QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"));
        }
        return quoteLiteral(text);
    }

    void tokenize() {
        const int n = mSql.size();
        int i = 0;
        while (i < n) {
            const int start = i;
            const QChar c = mSql[i];
            const QChar d = i + 1 < n ? mSql[i + 1] : QChar();
            if (c.isSpace()) {
                while (i < n && mSql[i].isSpace())
                    ++i;
                push(Tk::Space, start, i);
            } else if (c == u'-' && d == u'-') {
                // The line end belongs to the comment, so a rewrite never joins the next
                // tokens to it.
                i = mSql.indexOf(QLatin1Char('\n'), i);
                i = i < 0 ? n : i + 1;
                push(Tk::Comment, start, i);
            } else if (c == u'/' && d == u'*') {
                const int close = mSql.indexOf(QLatin1String("*/"), i + 2);
                if (close < 0)
                    fail(QStringLiteral("commento non chiuso"), start);
                i = close + 2;
                push(Tk::Comment, start, i);
            } else if (c == u'\'') {
                i = endOfQuoted(start, c, QStringLiteral("apice non chiuso"));
                push(Tk::String, start, i);
            } else if (c == u'"') {
                i = endOfQuoted(start, c, QStringLiteral("virgolette non chiuse"));
                QString body = mSql.mid(start + 1, i - start - 2);
                body.replace(QLatin1String("\"\""), QLatin1String("\""));
                push(Tk::String, start, i, quoteLiteral(body));
            } else if (c == u'#') {
                const int close = mSql.indexOf(QLatin1Char('#'), i + 1);
                if (close < 0)
                    fail(QStringLiteral("data non chiusa"), start);
                i = close + 1;
                push(Tk::Date, start, i,
                     dateLiteral(mSql.mid(start + 1, close - start - 1), start, i - start));
            } else if (c.isDigit()) {
                while (i < n && mSql[i].isDigit())
                    ++i;
                if (i + 1 < n && mSql[i] == u'.' && mSql[i + 1].isDigit()) {
                    ++i;
                    while (i < n && mSql[i].isDigit())
                        ++i;
                }
                push(Tk::Number, start, i);
            } else if (isWordStart(c)) {
                while (i < n && isWordChar(mSql[i]))
                    ++i;
                push(Tk::Word, start, i);
            } else if (c == u'(' || c == u')') {
                ++i;
                push(c == u'(' ? Tk::Open : Tk::Close, start, i);
            } else {
                static const QStringList pairs = {"<>", "<=", ">=", "!=", "||", "::"};
                i += pairs.contains(mSql.mid(i, 2)) ? 2 : 1;
                push(Tk::Symbol, start, i);
            }
        }
    }

    void matchParentheses() {
        mMatch.assign(mTok.size(), -1);
        std::vector<int> open;
        for (int i = 0; i < int(mTok.size()); ++i) {
            if (mTok[i].kind == Tk::Open) {
                open.push_back(i);
                if (int(open.size()) > kMaxDepth)
                    failAtToken(QStringLiteral("troppi livelli di parentesi"), i);
            } else if (mTok[i].kind == Tk::Close) {
                if (open.empty())
                    failAtToken(QStringLiteral("parentesi chiusa senza apertura"), i);
                mMatch[open.back()] = i;
                mMatch[i] = open.back();
                open.pop_back();
            }
        }
        if (!open.empty())
            failAtToken(QStringLiteral("parentesi non chiusa"), open.back());
    }

    // ---- token tests ----------------------------------------------------------------------

    bool blank(int i) const { return mTok[i].kind == Tk::Space || mTok[i].kind == Tk::Comment; }

    int skipBlank(int i, int e) const {
        while (i < e && blank(i))
            ++i;
        return i;
    }

    // The next token at the same level: a parenthesised group counts as one.
    int next(int i) const { return mTok[i].kind == Tk::Open ? mMatch[i] + 1 : i + 1; }

    bool word(int i, int e, const char* keyword) const {
        return i < e && mTok[i].kind == Tk::Word &&
               mTok[i].text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
    }

    bool wordIn(int i, int e, std::initializer_list<const char*> keywords) const {
        return std::any_of(keywords.begin(), keywords.end(),
                           [&](const char* k) { return word(i, e, k); });
    }

    bool sym(int i, int e, const char* symbol) const {
        return i < e && mTok[i].kind == Tk::Symbol && mTok[i].text == QLatin1String(symbol);
    }

    bool groupAt(int i, int e) const { return i < e && mTok[i].kind == Tk::Open; }

    QString verbatim(int b, int e) const {
        QString text;
        for (int i = b; i < e; ++i)
            text += mTok[i].text;
        return text;
    }

    bool reserved(int i) const {
        return reservedWords().contains(mTok[i].text, Qt::CaseInsensitive);
    }

    bool primaryStart(int i, int e) const {
        if (i >= e)
            return false;
        switch (mTok[i].kind) {
            case Tk::String:
            case Tk::Number:
            case Tk::Date:
            case Tk::Open:
                return true;
            case Tk::Word:
                if (wordIn(i, e, {"LEFT", "RIGHT"}))
                    return groupAt(skipBlank(i + 1, e), e);
                return !reserved(i);
            default:
                return false;
        }
    }

    bool sign(int i, int e) const { return sym(i, e, "-") || sym(i, e, "+"); }

    bool arithmetic(int i, int e) const {
        return sym(i, e, "+") || sym(i, e, "-") || sym(i, e, "*") || sym(i, e, "/") ||
               sym(i, e, "\\") || sym(i, e, "^") || sym(i, e, "%") || word(i, e, "MOD");
    }

    // ---- statements ---------------------------------------------------------------------

    QString sequence(int b, int e) {
        QString out;
        int start = b;
        for (int i = b; i < e; i = next(i)) {
            if (sym(i, e, ";")) {
                out += statement(start, i) + mTok[i].text;
                start = i + 1;
            }
        }
        return out + statement(start, e);
    }

    QString statement(int b, int e) {
        int coreEnd = e;
        while (coreEnd > b && blank(coreEnd - 1))
            --coreEnd;

        std::vector<Edit> edits;
        QString limit;
        int topEnd = b;
        for (int i = b; i < coreEnd; i = next(i)) {
            if (!word(i, coreEnd, "SELECT"))
                continue;
            int j = skipBlank(i + 1, coreEnd);
            if (wordIn(j, coreEnd, {"DISTINCT", "ALL", "DISTINCTROW"}))
                j = skipBlank(j + 1, coreEnd);
            if (!word(j, coreEnd, "TOP"))
                continue;
            const int k = skipBlank(j + 1, coreEnd);
            if (k >= coreEnd || mTok[k].kind != Tk::Number)
                continue;  // a column called Top
            if (mTok[k].text.contains(QLatin1Char('.')))
                failOnSpan(QStringLiteral("TOP vuole un numero intero"), j, k);
            if (word(skipBlank(k + 1, coreEnd), coreEnd, "PERCENT"))
                failOnSpan(QStringLiteral("TOP ... PERCENT non supportato"), j, k);
            if (!limit.isNull())
                failOnSpan(QStringLiteral("TOP in più SELECT dello stesso livello"), j, k);
            limit = mTok[k].text;
            topEnd = k + 1;
            while (topEnd < e && mTok[topEnd].kind == Tk::Space)
                ++topEnd;
            edits.push_back({j, topEnd, {}});
        }
        if (!limit.isNull()) {
            // Jet's TOP belongs to one member of a UNION, LIMIT to the whole of it.
            for (int i = b; i < coreEnd; i = next(i))
                if (word(i, coreEnd, "UNION"))
                    failAtToken(QStringLiteral("TOP in una UNION non supportato"), i);
        }
        orderByNulls(b, coreEnd, edits);
        if (!limit.isNull()) {
            const int at = std::max(coreEnd, topEnd);
            edits.push_back({at, at, QStringLiteral(" LIMIT ") + limit});
        }
        std::stable_sort(edits.begin(), edits.end(),
                         [](const Edit& x, const Edit& y) { return x.at < y.at; });

        QString out;
        int pos = b;
        for (const Edit& edit : edits) {
            out += expressions(pos, edit.at) + edit.insert;
            pos = edit.skipTo;
        }
        return out + expressions(pos, e);
    }

    // Jet sorts Null below every value, as SQLite does; PostgreSQL sorts it above. Each ORDER BY
    // item without its own NULLS gets the Jet order spelt out.
    void orderByNulls(int b, int e, std::vector<Edit>& edits) const {
        int i = b;
        while (i < e) {
            if (!word(i, e, "ORDER") || !word(skipBlank(i + 1, e), e, "BY")) {
                i = next(i);
                continue;
            }
            i = skipBlank(i + 1, e) + 1;
            for (;;) {
                int last = -1;
                bool hasNulls = false;
                while (
                    i < e && !sym(i, e, ",") &&
                    !wordIn(i, e,
                            {"LIMIT", "OFFSET", "FOR", "UNION", "FETCH", "EXCEPT", "INTERSECT"})) {
                    if (!blank(i)) {
                        last = i;
                        hasNulls = hasNulls || word(i, e, "NULLS");
                    }
                    i = next(i);
                }
                if (last >= 0 && !hasNulls) {
                    const int at = next(last);
                    edits.push_back({at, at,
                                     word(last, e, "DESC") ? QStringLiteral(" NULLS LAST")
                                                           : QStringLiteral(" NULLS FIRST")});
                }
                if (!sym(i, e, ","))
                    break;
                ++i;
            }
        }
    }

    // ---- expressions --------------------------------------------------------------------

    QString expressions(int b, int e) {
        QString out;
        int i = b;
        while (i < e) {
            const Token& t = mTok[i];
            if (t.kind == Tk::Word) {
                if (word(i, e, "DELETE")) {
                    const int j = skipBlank(i + 1, e);
                    int k = -1;
                    if (sym(j, e, "*"))
                        k = j + 1;
                    else if (j < e && mTok[j].kind == Tk::Word && sym(j + 1, e, ".") &&
                             sym(j + 2, e, "*"))
                        k = j + 3;
                    const int m = k < 0 ? -1 : skipBlank(k, e);
                    if (m >= 0 && word(m, e, "FROM")) {
                        out += QStringLiteral("DELETE FROM");
                        i = m + 1;
                        continue;
                    }
                } else if (word(i, e, "WHERE")) {
                    const int j = skipBlank(i + 1, e);
                    if (wordIn(j, e, {"TRUE", "FALSE"})) {
                        const int k = skipBlank(j + 1, e);
                        if (k >= e ||
                            wordIn(k, e,
                                   {"AND", "OR", "ORDER", "GROUP", "HAVING", "UNION", "LIMIT"})) {
                            out += QStringLiteral("WHERE") + verbatim(i + 1, j) +
                                   (word(j, e, "TRUE") ? QStringLiteral("1=1")
                                                       : QStringLiteral("1=0"));
                            i = j + 1;
                            continue;
                        }
                    }
                } else if (word(i, e, "LIKE")) {
                    i = like(i, e, out);
                    continue;
                }
            }
            if (primaryStart(i, e) || (sign(i, e) && primaryStart(skipBlank(i + 1, e), e))) {
                i = concatenation(i, e, out);
                continue;
            }
            if (sym(i, e, "&"))
                failAtToken(QStringLiteral("manca un operando prima di &"), i);
            out += t.text;
            ++i;
        }
        return out;
    }

    // A Jet pattern after LIKE becomes an SQL pattern with an explicit escape character. A
    // LIKE that already names its ESCAPE was written for SQL and stays as it is.
    int like(int i, int e, QString& out) const {
        const int j = skipBlank(i + 1, e);
        if (j >= e || (mTok[j].kind != Tk::String && mTok[j].kind != Tk::Date)) {
            out += mTok[i].text;
            return i + 1;
        }
        const int k = skipBlank(j + 1, e);
        if (word(k, e, "ESCAPE")) {
            out += verbatim(i, j + 1);
            return j + 1;
        }
        if (sym(k, e, "&") || sym(k, e, "||") || sym(k, e, "+"))
            failOnSpan(QStringLiteral("modello LIKE composto non supportato"), i, k);
        out += QStringLiteral("LIKE") + verbatim(i + 1, j) + likePattern(j) +
               QStringLiteral(" ESCAPE '\\'");
        return j + 1;
    }

    QString likePattern(int index) const {
        const QString& quoted = mTok[index].text;
        QString value = quoted.mid(1, quoted.size() - 2);
        value.replace(QLatin1String("''"), QLatin1String("'"));
        const auto escaped = [](QChar c) {
            return (c == u'%' || c == u'_' || c == u'\\') ? QString(u'\\') + c : QString(c);
        };
        QString pattern;
        for (int p = 0; p < value.size(); ++p) {
            const QChar c = value[p];
            if (c == u'*') {
                pattern += u'%';
            } else if (c == u'?') {
                pattern += u'_';
            } else if (c == u'[') {
                // Jet escapes a wildcard by enclosing it: [*], [?], [#], [[].
                const int close = value.indexOf(u']', p + 1);
                if (close < 0)
                    failAtToken(QStringLiteral("parentesi quadra non chiusa nel modello LIKE"),
                                index);
                if (close != p + 2)
                    failAtToken(QStringLiteral("classe di caratteri non supportata nel modello "
                                               "LIKE"),
                                index);
                pattern += escaped(value[p + 1]);
                p = close;
            } else {
                pattern += escaped(c);
            }
        }
        return quoteLiteral(pattern);
    }

    // An operand, followed by "& operand ..." when it starts a Jet concatenation.
    int concatenation(int i, int e, QString& out) {
        const Operand first = operand(i, e);
        int j = skipBlank(first.end, e);
        if (!sym(j, e, "&")) {
            out += first.text;
            return first.end;
        }
        const auto nullSafe = [](const Operand& op) {
            return op.literal ? op.text
                              : QStringLiteral("COALESCE(") + op.text + QStringLiteral(",'')");
        };
        QStringList parts{nullSafe(first)};
        int end = first.end;
        while (sym(j, e, "&")) {
            const int m = skipBlank(j + 1, e);
            if (!primaryStart(m, e) && !sign(m, e))
                failAtToken(QStringLiteral("manca un operando dopo &"), j);
            const Operand op = operand(m, e);
            parts << nullSafe(op);
            end = op.end;
            j = skipBlank(end, e);
        }
        out += parts.join(QStringLiteral(" || "));
        return end;
    }

    // Primaries joined by arithmetic, which binds tighter than & in Jet.
    Operand operand(int i, int e) {
        QString text;
        bool literal = true;
        const auto term = [&](int k) {
            while (sign(k, e)) {
                const int m = skipBlank(k + 1, e);
                text += verbatim(k, m);
                k = m;
            }
            if (!primaryStart(k, e))
                failAtToken(QStringLiteral("manca un operando"), k);
            const Operand p = primary(k, e);
            text += p.text;
            literal = literal && p.literal;
            return p.end;
        };
        int end = term(i);
        for (;;) {
            const int j = skipBlank(end, e);
            if (!arithmetic(j, e))
                break;
            const int m = skipBlank(j + 1, e);
            if (!primaryStart(m, e) && !sign(m, e))
                break;
            text += verbatim(end, m);
            literal = false;
            end = term(m);
        }
        return {end, text, literal};
    }

    Operand primary(int k, int e) {
        const Token& t = mTok[k];
        switch (t.kind) {
            case Tk::String:
            case Tk::Number:
            case Tk::Date:
                return {k + 1, t.text, true};
            case Tk::Open:
                return {mMatch[k] + 1, u'(' + sequence(k + 1, mMatch[k]) + u')', false};
            default:
                break;
        }
        const int g = skipBlank(k + 1, e);
        if (groupAt(g, e))
            return call(k, g);
        QString text = t.text;
        int m = k + 1;
        while (sym(m, e, ".") && (m + 1 < e) &&
               (mTok[m + 1].kind == Tk::Word || sym(m + 1, e, "*"))) {
            text += u'.' + mTok[m + 1].text;
            m += 2;
            if (mTok[m - 1].kind != Tk::Word)
                break;
        }
        if (groupAt(m, e)) {
            text += u'(' + sequence(m + 1, mMatch[m]) + u')';
            m = mMatch[m] + 1;
        }
        return {m, text, false};
    }

    // The arguments of the call whose parenthesis is at g, each translated and trimmed.
    QStringList arguments(int name, int g) {
        const int close = mMatch[g];
        QStringList args;
        int start = g + 1;
        for (int i = g + 1;; i = next(i)) {
            if (i == close || sym(i, close, ",")) {
                int b = skipBlank(start, i);
                int e = i;
                while (e > b && mTok[e - 1].kind == Tk::Space)
                    --e;
                if (b == e)
                    failOnSpan(QStringLiteral("argomento mancante"), name, close);
                args << sequence(b, e);
                if (i == close)
                    break;
                start = i + 1;
            }
        }
        return args;
    }

    Operand call(int k, int g) {
        const int close = mMatch[g];
        const QString name = mTok[k].text.toUpper();
        const auto args = [&](int count, const char* reason) {
            const QStringList a = arguments(k, g);
            if (a.size() != count)
                failOnSpan(QString::fromUtf8(reason), k, close);
            return a;
        };
        QString text;
        if (name == u"IIF") {
            const QStringList a = args(3, "IIf vuole tre argomenti");
            text = QStringLiteral("CASE WHEN %1 THEN %2 ELSE %3 END").arg(a[0], a[1], a[2]);
        } else if (name == u"ISNULL") {
            text = u'(' + args(1, "IsNull vuole un argomento")[0] + QStringLiteral(" IS NULL)");
        } else if (name == u"LEFT") {
            const QStringList a = args(2, "Left vuole due argomenti");
            text = QStringLiteral("SUBSTR(%1,1,%2)").arg(a[0], a[1]);
        } else if (name == u"LEN") {
            text = QStringLiteral("LENGTH(") + args(1, "Len vuole un argomento")[0] + u')';
        } else if (name == u"UCASE") {
            text = QStringLiteral("UPPER(") + args(1, "UCase vuole un argomento")[0] + u')';
        } else if (name == u"LCASE") {
            text = QStringLiteral("LOWER(") + args(1, "LCase vuole un argomento")[0] + u')';
        } else {
            text = mTok[k].text + verbatim(k + 1, g) + u'(' + sequence(g + 1, close) + u')';
        }
        return {close + 1, text, false};
    }
};

}  // namespace

namespace {

// True when the text holds something a rewrite could touch. Most statements built at run
// time need no rewrite, and skipping the tokenizer for them keeps per-row queries cheap.
bool mayNeedTranslation(const QString& sql) {
    // Unbalanced quotes or parentheses and comments go the long way, which reports them.
    bool quoted = false;
    int depth = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        if (quoted) {
            quoted = c != u'\'';
            continue;
        }
        if (c == u'\'')
            quoted = true;
        else if (c == u'(' && ++depth > kMaxDepth)
            return true;
        else if (c == u')' && --depth < 0)
            return true;
        else if (c == u'&' || c == u'"' || c == u'#' || (c == u'/' && next == u'*') ||
                 (c == u'-' && next == u'-'))
            return true;
    }
    if (quoted || depth != 0)
        return true;
    static const char* const words[] = {"top", "like", "delete", "false", "true", "order"};
    for (const char* word : words) {
        if (sql.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    // Functions count only when called: "LEFT JOIN" needs nothing.
    static const char* const functions[] = {"iif", "isnull", "len", "left", "ucase", "lcase"};
    for (const char* function : functions) {
        const QLatin1String name(function);
        for (qsizetype at = sql.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
             at = sql.indexOf(name, at + 1, Qt::CaseInsensitive)) {
            qsizetype after = at + name.size();
            while (after < sql.size() && sql.at(after).isSpace())
                ++after;
            if (after < sql.size() && sql.at(after) == u'(')
                return true;
        }
    }
    return false;
}

}  // namespace

QString JetToPortable(const QString& jetSql) {
    if (!mayNeedTranslation(jetSql))
        return jetSql;
    return Translator(jetSql).run();
}

QString JetTranslator::Concat(const QStringList& parts) {
    if (parts.isEmpty())
        return QStringLiteral("''");
    QStringList safe;
    for (const QString& part : parts)
        safe << QStringLiteral("COALESCE(") + part + QStringLiteral(",'')");
    return safe.join(QStringLiteral(" || "));
}

QString JetTranslator::IIf(const QString& condition, const QString& whenTrue,
                           const QString& whenFalse) {
    return QStringLiteral("CASE WHEN %1 THEN %2 ELSE %3 END").arg(condition, whenTrue, whenFalse);
}

QString JetTranslator::Limit(qint64 rows) {
    if (rows < 0)
        throw std::invalid_argument("Numero di righe negativo per LIMIT");
    return QStringLiteral("LIMIT %1").arg(rows);
}

QString JetTranslator::IsNull(const QString& expression) {
    return u'(' + expression + QStringLiteral(" IS NULL)");
}

}  // namespace evapre
