#include "PostgresStatements.h"

#include <libpq-fe.h>
#include <cstring>

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QTime>
#include <limits>

#include "DbError.h"
#include "RowSet.h"
#include "SqlValue.h"

namespace evapre {

namespace {

// Type numbers of the server's catalog (pg_type.h).
constexpr PostgresStatements::Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23,
                                  kOid = 26, kFloat4 = 700, kFloat8 = 701, kDate = 1082,
                                  kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184,
                                  kTimeTz = 1266, kNumeric = 1700, kUnknown = 0;

// A statement never holds more; one that would is run as text.
constexpr size_t kMaxPrepared = 1000;
constexpr qsizetype kMaxSeen = 20000;

bool isWordChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

// The word that ends a piece of text (spaces after it ignored), and where it starts.
QStringView lastWord(const QString& piece, qsizetype* start) {
    qsizetype end = piece.size();
    while (end > 0 && piece.at(end - 1).isSpace())
        --end;
    qsizetype from = end;
    while (from > 0 && isWordChar(piece.at(from - 1)))
        --from;
    *start = from;
    return QStringView(piece).mid(from, end - from);
}

bool is(QStringView word, const char* keyword) {
    return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// Words after which a value stands as a value of its own (not a typed literal, not a column
// position).
bool keywordBeforeValue(QStringView word) {
    for (const char* k :
         {"and",     "or",     "not",      "then", "else", "when",   "select", "where",
          "between", "limit",  "offset",   "case", "is",   "in",     "values", "set",
          "on",      "having", "distinct", "all",  "any",  "exists", "return", "escape"})
        if (is(word, k))
            return true;
    return false;
}

// The type a number literal has in the server's grammar.
PostgresStatements::Oid numberType(const QString& literal) {
    if (literal.contains(u'.'))
        return kNumeric;
    bool ok = false;
    const qlonglong n = literal.toLongLong(&ok);
    if (!ok)
        return kNumeric;
    return n <= std::numeric_limits<qint32>::max() ? kInt4 : kInt8;
}

QString stringBody(const QString& literal) {
    QString body = literal.mid(1, literal.size() - 2);
    if (body.contains(u'\''))
        body.replace(QLatin1String("''"), QLatin1String("'"));
    return body;
}

// A literal of the formatter as a value and the type it has in the text: false for a form
// with no plain value (an escaped E'…' text).
bool literalParam(const QString& literal, PostgresStatements::Oid* type, bool* isNull) {
    *isNull = false;
    if (literal.startsWith(u'\'')) {
        *type = kUnknown;
    } else if (literal.startsWith(QLatin1String("DATE '"))) {
        *type = kDate;
    } else if (literal.startsWith(QLatin1String("TIMESTAMP '"))) {
        *type = kTimestamp;
    } else if (literal == QLatin1String("NULL")) {
        *type = kUnknown;
        *isNull = true;
    } else if (literal == QLatin1String("TRUE") || literal == QLatin1String("FALSE")) {
        *type = kBool;
    } else if (!literal.isEmpty() && (literal.front().isDigit() || literal.startsWith(u'('))) {
        *type = numberType(literal.startsWith(u'(') ? literal.mid(2, literal.size() - 3) : literal);
    } else {
        return false;
    }
    return true;
}

// The text a literal's value is sent as.
QByteArray paramText(const QString& literal) {
    if (literal.startsWith(u'\''))
        return stringBody(literal).toUtf8();
    if (literal.startsWith(QLatin1String("DATE ")))
        return stringBody(literal.mid(5)).toUtf8();
    if (literal.startsWith(QLatin1String("TIMESTAMP ")))
        return stringBody(literal.mid(10)).toUtf8();
    if (literal.startsWith(QLatin1String("(-")))  // a negative number, "(-5)"
        return literal.mid(1, literal.size() - 2).toLatin1();
    return literal.toLower().toLatin1();  // numbers, true, false
}

// What Qt's driver gives for a column of a type.
enum class Kind { Bool, Int, LongLong, Double, Numeric, Date, Time, DateTime, Bytes, Text };

Kind kindOf(PostgresStatements::Oid type) {
    switch (type) {
        case kBool:
            return Kind::Bool;
        case kInt8:
            return Kind::LongLong;
        case kInt2:
        case kInt4:
        case kOid:
            return Kind::Int;
        case kFloat4:
        case kFloat8:
            return Kind::Double;
        case kNumeric:
            return Kind::Numeric;
        case kDate:
            return Kind::Date;
        case kTime:
        case kTimeTz:
            return Kind::Time;
        case kTimestamp:
        case kTimestampTz:
            return Kind::DateTime;
        case kBytea:
            return Kind::Bytes;
        default:
            return Kind::Text;
    }
}

QMetaType metaTypeOf(Kind kind) {
    switch (kind) {
        case Kind::Bool:
            return QMetaType::fromType<bool>();
        case Kind::Int:
            return QMetaType::fromType<int>();
        case Kind::LongLong:
            return QMetaType::fromType<qlonglong>();
        case Kind::Double:
        case Kind::Numeric:
            return QMetaType::fromType<double>();
        case Kind::Date:
            return QMetaType::fromType<QDate>();
        case Kind::Time:
            return QMetaType::fromType<QTime>();
        case Kind::DateTime:
            return QMetaType::fromType<QDateTime>();
        case Kind::Bytes:
            return QMetaType::fromType<QByteArray>();
        case Kind::Text:
            break;
    }
    return QMetaType::fromType<QString>();
}

QVariant valueOf(Kind kind, const char* text, int length) {
    switch (kind) {
        case Kind::Bool:
            return QVariant(text[0] == 't');
        case Kind::Int:
            return QVariant(QByteArray::fromRawData(text, length).toInt());
        case Kind::LongLong:  // unsigned when not negative, as the driver gives it
            if (text[0] == '-')
                return QVariant(QByteArray::fromRawData(text, length).toLongLong());
            return QVariant(QByteArray::fromRawData(text, length).toULongLong());
        case Kind::Double:
            return QVariant(QByteArray::fromRawData(text, length).toDouble());
        case Kind::Numeric:  // kept exact, as the high-precision policy of the connection asks
            return QVariant(QString::fromLatin1(text, length));
        case Kind::Date:
            return QVariant(QDate::fromString(QString::fromLatin1(text, length), Qt::ISODate));
        case Kind::Time:
            return QVariant(QTime::fromString(QString::fromLatin1(text, length), Qt::ISODate));
        case Kind::DateTime:
            return QVariant(QDateTime::fromString(QString::fromLatin1(text, length), Qt::ISODate));
        case Kind::Bytes: {
            size_t size = 0;
            unsigned char* raw =
                PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
            QByteArray bytes(reinterpret_cast<const char*>(raw), static_cast<qsizetype>(size));
            PQfreemem(raw);
            return QVariant(bytes);
        }
        case Kind::Text:
            break;
    }
    return QVariant(QString::fromUtf8(text, length));
}

struct ResultGuard {
    PGresult* result;
    ~ResultGuard() { PQclear(result); }
};

bool succeeded(const PGresult* result) {
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

}  // namespace

PostgresStatements::~PostgresStatements() = default;

PostgresStatements::Prepared* PostgresStatements::prepare(const SqlShape::Translated& shape,
                                                          const QStringList& literals) {
    // The types of the values are part of the statement: the key holds them.
    std::vector<Oid> types;
    types.reserve(shape.order.size());
    QString key = shape.withPlaceholders;
    key += QChar(0x1f);
    for (size_t k = 0; k < shape.order.size(); ++k) {
        const QString& literal = literals[shape.order[k]];
        const Oid type = literal.startsWith(u'\'') ? kUnknown : numberType(literal);
        types.push_back(type);
        key += QChar(u'0' + static_cast<char16_t>(type % 64));
    }
    bool prepareNow = false;
    if (Prepared* found = kept(key, &prepareNow); !prepareNow)
        return found;

    // The text with $1 … $n; DATE '…' and TIMESTAMP '…' become values of that type.
    auto prepared = std::make_unique<Prepared>();
    QString text;
    bool usable = true;
    for (size_t k = 0; k < shape.order.size() && usable; ++k) {
        QString piece = shape.pieces[static_cast<qsizetype>(k)];
        qsizetype start = 0;
        const QStringView word = lastWord(piece, &start);
        if (!word.isEmpty() && !keywordBeforeValue(word)) {
            if (types[k] == kUnknown && is(word, "date"))
                types[k] = kDate;
            else if (types[k] == kUnknown && is(word, "timestamp"))
                types[k] = kTimestamp;
            else if (types[k] == kUnknown && is(word, "time"))
                types[k] = kTime;
            else
                usable = false;  // another typed literal, or a column position after BY
            if (usable)
                piece.truncate(start);
        }
        text += piece;
        text += u'$';
        text += QString::number(k + 1);
        prepared->literalOf.push_back(shape.order[k]);
    }
    text += shape.pieces.back();
    prepared->types = types;
    return usable ? keep(key, std::move(prepared), text) : keep(key, nullptr, text);
}

PostgresStatements::Prepared* PostgresStatements::prepareWritten(const QString& text,
                                                                 const QStringList& literals,
                                                                 qsizetype assigned) {
    auto prepared = std::make_unique<Prepared>();
    QString key = text;
    key += QChar(0x1e);
    for (qsizetype k = 0; k < literals.size(); ++k) {
        Oid type = kUnknown;
        bool isNull = false;
        if (!literalParam(literals[k], &type, &isNull))
            return nullptr;
        if (k < assigned)
            type = kUnknown;  // the column's own type
        prepared->types.push_back(type);
        prepared->literalOf.push_back(static_cast<int>(k));
        key += QChar(u'0' + static_cast<char16_t>(type % 64));
    }
    bool prepareNow = false;
    if (Prepared* found = kept(key, &prepareNow); !prepareNow)
        return found;
    return keep(key, std::move(prepared), text);
}

// A statement met once (a list of values as long as the rows it carries, say) may never come
// back: it is prepared the second time it is met.
PostgresStatements::Prepared* PostgresStatements::kept(const QString& key, bool* prepareNow) {
    *prepareNow = false;
    const auto found = mPrepared.find(key);
    if (found != mPrepared.end())
        return found->second.get();
    if (mPrepared.size() >= kMaxPrepared || PQtransactionStatus(mHandle) == PQTRANS_INERROR)
        return nullptr;
    if (mSeenOnce.size() >= kMaxSeen)
        mSeenOnce.clear();
    const size_t seen = qHash(key);
    if (!mSeenOnce.remove(seen)) {
        mSeenOnce.insert(seen);
        return nullptr;
    }
    *prepareNow = true;
    return nullptr;
}

// Prepares a statement on the server and keeps it under its key; one that does not prepare is
// kept as nullptr, so that it is run as text from then on.
PostgresStatements::Prepared* PostgresStatements::keep(const QString& key,
                                                       std::unique_ptr<Prepared> prepared,
                                                       const QString& text) {
    if (prepared) {
        prepared->name = "evapre_" + QByteArray::number(++mNextName);
        if (!prepareOnServer(prepared->name, text.toUtf8(), prepared->types))
            prepared.reset();
    }
    Prepared* result = prepared.get();
    mPrepared.emplace(key, std::move(prepared));
    return result;
}

// A statement that does not prepare (a value whose type the server cannot tell from its
// place) would end the transaction it is prepared in: inside one it is tried under a
// savepoint of its own.
bool PostgresStatements::prepareOnServer(const QByteArray& name, const QByteArray& text,
                                         const std::vector<Oid>& types) {
    const int count = static_cast<int>(types.size());
    if (PQtransactionStatus(mHandle) != PQTRANS_INTRANS) {
        ResultGuard r{PQprepare(mHandle, name.constData(), text.constData(), count, types.data())};
        return succeeded(r.result);
    }
    if (!PQenterPipelineMode(mHandle))
        return false;
    PQsendQueryParams(mHandle, "SAVEPOINT evapre_prep", 0, nullptr, nullptr, nullptr, nullptr, 0);
    PQsendPrepare(mHandle, name.constData(), text.constData(), count, types.data());
    PQsendQueryParams(mHandle, "RELEASE SAVEPOINT evapre_prep", 0, nullptr, nullptr, nullptr,
                      nullptr, 0);
    PQpipelineSync(mHandle);
    bool ok = true;
    for (int step = 0; step < 3; ++step) {
        while (PGresult* r = PQgetResult(mHandle)) {
            ok = ok && succeeded(r);
            PQclear(r);
        }
    }
    if (PGresult* sync = PQgetResult(mHandle))
        PQclear(sync);
    PQexitPipelineMode(mHandle);
    if (!ok)
        PQclear(
            PQexec(mHandle, "ROLLBACK TO SAVEPOINT evapre_prep; RELEASE SAVEPOINT evapre_prep"));
    return ok;
}

PostgresStatements::Values PostgresStatements::valuesOf(const Step& step) const {
    Values values;
    if (!step.params.empty()) {
        values.pointers.reserve(step.params.size());
        for (const QByteArray& t : step.params)
            values.pointers.push_back(t.isNull() ? nullptr : t.constData());
        return values;
    }
    const Prepared& prepared = *step.prepared;
    values.texts.reserve(prepared.literalOf.size());
    values.pointers.reserve(prepared.literalOf.size());
    for (int index : prepared.literalOf) {
        const QString& literal = step.literals[index];
        values.texts.push_back(literal == QLatin1String("NULL") ? QByteArray()
                                                                : paramText(literal));
    }
    for (const QByteArray& t : values.texts)
        values.pointers.push_back(t.isNull() ? nullptr : t.constData());
    return values;
}

std::vector<PostgresStatements::Oid> PostgresStatements::arrayTypes(const QString& table,
                                                                    const QStringList& columns) {
    const QString folded = table.toLower();
    auto found = mArrayTypes.constFind(folded);
    if (found == mArrayTypes.constEnd()) {
        const QByteArray name = folded.toUtf8();
        const char* values[] = {name.constData()};
        ResultGuard r{PQexecParams(mHandle,
                                   "SELECT a.attname, t.typarray FROM pg_attribute a "
                                   "JOIN pg_type t ON t.oid = a.atttypid "
                                   "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 "
                                   "AND NOT a.attisdropped",
                                   1, nullptr, values, nullptr, nullptr, 0)};
        if (PQresultStatus(r.result) != PGRES_TUPLES_OK || PQntuples(r.result) == 0)
            return {};  // not remembered: a table created later is seen
        QHash<QString, Oid> types;
        for (int row = 0; row < PQntuples(r.result); ++row)
            types.insert(QString::fromUtf8(PQgetvalue(r.result, row, 0)),
                         static_cast<Oid>(QByteArray(PQgetvalue(r.result, row, 1)).toUInt()));
        found = mArrayTypes.insert(folded, types);
    }
    std::vector<Oid> result;
    result.reserve(static_cast<size_t>(columns.size()));
    for (const QString& column : columns) {
        const Oid type = found->value(column.toLower(), 0);
        if (type == 0)
            return {};
        result.push_back(type);
    }
    return result;
}

PostgresStatements::Prepared* PostgresStatements::prepareTyped(const QString& text,
                                                               const std::vector<Oid>& types) {
    QString key = text;
    key += QChar(0x1d);
    bool prepareNow = false;
    if (Prepared* found = kept(key, &prepareNow); !prepareNow)
        return found;
    auto prepared = std::make_unique<Prepared>();
    prepared->types = types;
    return keep(key, std::move(prepared), text);
}

// The text form of an array: {"a","b",NULL}, with '"' and '\\' of a value escaped.
bool PostgresStatements::arrayParams(const QList<QVariantList>& rows, qsizetype count,
                                     std::vector<QByteArray>* params) {
    params->clear();
    params->reserve(static_cast<size_t>(count));
    std::string array;
    for (qsizetype c = 0; c < count; ++c) {
        array.clear();
        array += '{';
        for (qsizetype r = 0; r < rows.size(); ++r) {
            if (r > 0)
                array += ',';
            const size_t mark = array.size();
            array += '"';
            bool isNull = false;
            if (!SqlAppendParamText(rows[r][c], array, &isNull))
                return false;
            if (isNull) {
                array.resize(mark);
                array += "NULL";
                continue;
            }
            if (array.find_first_of("\"\\", mark + 1) != std::string::npos) {
                std::string escaped;
                for (size_t k = mark + 1; k < array.size(); ++k) {
                    if (array[k] == '"' || array[k] == '\\')
                        escaped += '\\';
                    escaped += array[k];
                }
                array.resize(mark + 1);
                array += escaped;
            }
            array += '"';
        }
        array += '}';
        params->emplace_back(array.data(), qsizetype(array.size()));
    }
    return true;
}

void PostgresStatements::fail(PGresult* result, const FullText& fullText) {
    // The error as Qt's driver reports it: SQLSTATE and the server's message.
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString message =
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(mHandle));
    const QSqlError error(QStringLiteral("Unable to create query"), message,
                          state ? QSqlError::StatementError : QSqlError::ConnectionError,
                          QString::fromLatin1(state ? state : ""));
    PQclear(result);
    throw DbError::fromSql(error, fullText());
}

void PostgresStatements::send(const Step& step, std::vector<Values>& kept) {
    if (!step.prepared) {
        PQsendQueryParams(mHandle, step.plain.constData(), 0, nullptr, nullptr, nullptr, nullptr,
                          0);
        return;
    }
    kept.push_back(valuesOf(step));
    const Values& values = kept.back();
    PQsendQueryPrepared(mHandle, step.prepared->name.constData(),
                        static_cast<int>(values.pointers.size()), values.pointers.data(), nullptr,
                        nullptr, 0);
}

PGresult* PostgresStatements::pipeline(const std::vector<Step>& steps, int main,
                                       std::vector<PGresult*>* kept) {
    const FullText noText = [] { return QString(); };
    mFailedOnWrite = false;
    // A single prepared statement needs no pipeline.
    if (steps.size() == 1 && steps.front().prepared && main == 0 && !steps.front().keepResult) {
        const Step& step = steps.front();
        const Values values = valuesOf(step);
        PGresult* result = PQexecPrepared(mHandle, step.prepared->name.constData(),
                                          static_cast<int>(values.pointers.size()),
                                          values.pointers.data(), nullptr, nullptr, 0);
        if (!result || !succeeded(result)) {
            mFailedOnWrite = step.write && !step.unguarded;
            fail(result, step.fullText ? step.fullText : noText);
        }
        return result;
    }
    if (!PQenterPipelineMode(mHandle))
        fail(nullptr, noText);
    std::vector<Values> values;
    values.reserve(steps.size());
    for (const Step& step : steps)
        send(step, values);
    PQpipelineSync(mHandle);
    PGresult* mine = nullptr;
    PGresult* failure = nullptr;
    size_t failed = 0;
    for (size_t k = 0; k < steps.size(); ++k) {
        while (PGresult* r = PQgetResult(mHandle)) {
            if (!failure && PQresultStatus(r) == PGRES_FATAL_ERROR) {
                failure = r;
                failed = k;
            } else if (static_cast<int>(k) == main && !mine && succeeded(r)) {
                mine = r;
            } else if (steps[k].keepResult && kept && succeeded(r)) {
                kept->push_back(r);
            } else {
                PQclear(r);
            }
        }
    }
    if (PGresult* sync = PQgetResult(mHandle))
        PQclear(sync);
    PQexitPipelineMode(mHandle);
    if (failure) {
        PQclear(mine);
        if (kept) {
            for (PGresult* r : *kept)
                PQclear(r);
            kept->clear();
        }
        const Step& step = steps[failed];
        mFailedOnWrite = step.write && !step.unguarded;
        const QByteArray plain = step.plain;
        fail(
            failure, step.fullText ? step.fullText : [plain] { return QString::fromUtf8(plain); });
    }
    return mine;
}

int PostgresStatements::rowsChanged(const pg_result* result) {
    return result ? QByteArray(PQcmdTuples(const_cast<PGresult*>(result))).toInt() : 0;
}

bool PostgresStatements::readRows(Prepared& prepared, const pg_result* result,
                                  std::vector<Column>* columns,
                                  std::vector<QVector<QVariant>>* rows) {
    PGresult* r = const_cast<PGresult*>(result);
    const int count = PQnfields(r);
    bool named = false;
    if (!layoutCurrent(prepared, r)) {
        named = true;
        prepared.layoutNames.clear();
        columns->reserve(count);
        for (int i = 0; i < count; ++i) {
            prepared.layoutNames.emplace_back(PQfname(r, i));
            columns->push_back({QString::fromUtf8(PQfname(r, i)), tableName(PQftable(r, i))});
        }
    }
    std::vector<Kind> kinds(static_cast<size_t>(count));
    std::vector<QMetaType> nullTypes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        kinds[size_t(i)] = kindOf(PQftype(r, i));
        nullTypes[size_t(i)] = metaTypeOf(kinds[size_t(i)]);
    }
    const int rowCount = PQntuples(r);
    rows->reserve(rows->size() + static_cast<size_t>(rowCount));
    for (int row = 0; row < rowCount; ++row) {
        QVector<QVariant> values(count);
        QVariant* cell = values.data();
        // A value written as the same column's value of the row before is that value: codes,
        // flags, names and dates repeat from row to row and are not converted again.
        const QVariant* before = row > 0 ? rows->back().constData() : nullptr;
        for (int i = 0; i < count; ++i) {
            if (PQgetisnull(r, row, i)) {
                cell[i] = QVariant(nullTypes[size_t(i)], nullptr);
                continue;
            }
            const char* text = PQgetvalue(r, row, i);
            const int length = PQgetlength(r, row, i);
            if (before && !PQgetisnull(r, row - 1, i) && PQgetlength(r, row - 1, i) == length &&
                memcmp(PQgetvalue(r, row - 1, i), text, size_t(length)) == 0)
                cell[i] = before[i];
            else
                cell[i] = valueOf(kinds[size_t(i)], text, length);
        }
        rows->push_back(std::move(values));
    }
    return named;
}

bool PostgresStatements::layoutCurrent(const Prepared& prepared, const pg_result* result) {
    if (!prepared.layout)
        return false;
    const int count = PQnfields(result);
    if (count != static_cast<int>(prepared.layoutNames.size()))
        return false;
    for (int i = 0; i < count; ++i)
        if (prepared.layoutNames[size_t(i)] != PQfname(result, i))
            return false;
    return true;
}

void PostgresStatements::keepLayout(Prepared& prepared,
                                    std::shared_ptr<const RowSetLayout> layout) {
    prepared.layout = std::move(layout);
}

// The table a column comes from, as Qt's driver names it (read once per table).
QString PostgresStatements::tableName(Oid table) {
    if (table == 0)
        return {};
    const auto kept = mTableNames.constFind(table);
    if (kept != mTableNames.constEnd())
        return *kept;
    const QByteArray sql =
        "SELECT relname FROM pg_class WHERE pg_class.oid = " + QByteArray::number(table);
    ResultGuard r{PQexec(mHandle, sql.constData())};
    if (PQresultStatus(r.result) != PGRES_TUPLES_OK)
        return {};  // not remembered: asked again once the connection can answer
    QString name;
    if (PQntuples(r.result) == 1)
        name = QString::fromUtf8(PQgetvalue(r.result, 0, 0));
    mTableNames.insert(table, name);
    return name;
}

}  // namespace evapre
