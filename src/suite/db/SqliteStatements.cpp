#include "SqliteStatements.h"

#include <sqlite3.h>

#include <QSqlError>

#include "DbError.h"
#include "RowSet.h"
#include "SqlValue.h"

namespace evapre {

namespace {

bool isNullValue(const QVariant& value) {
    if (value.isNull())
        return true;
    return value.typeId() == QMetaType::QString &&
           static_cast<const QString*>(value.constData())->isNull();
}

// True when a text holds exactly these bytes of plain ASCII.
bool sameAscii(const QString& text, const char* bytes, int size) {
    if (text.size() != size)
        return false;
    const char16_t* units = reinterpret_cast<const char16_t*>(text.constData());
    for (int k = 0; k < size; ++k)
        if (units[k] != static_cast<unsigned char>(bytes[k]) || (bytes[k] & 0x80))
            return false;
    return true;
}

QVariant columnValue(sqlite3_stmt* stmt, int i, int type) {
    static const QVariant nullText{QMetaType::fromType<QString>()};
    switch (type) {
        case SQLITE_INTEGER:
            return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(stmt, i));
        case SQLITE_NULL:
            return nullText;
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                       sqlite3_column_bytes(stmt, i)));
        default:  // text, kept in UTF-8 by the database
            return QVariant(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                  sqlite3_column_bytes(stmt, i)));
    }
}

// A value of a row; a text equal to the same column's text of the row before shares it (codes,
// flags and names repeat from row to row) instead of being converted again.
QVariant columnValue(sqlite3_stmt* stmt, int i, const QVariant* before) {
    const int type = sqlite3_column_type(stmt, i);
    if (before && type == SQLITE_TEXT && before->typeId() == QMetaType::QString) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        const int size = sqlite3_column_bytes(stmt, i);
        const QString& previous = *static_cast<const QString*>(before->constData());
        if (!previous.isNull() && sameAscii(previous, text, size))
            return *before;
        return QVariant(QString::fromUtf8(text, size));
    }
    return columnValue(stmt, i, type);
}

// Writes a text in UTF-8 at the end of the used part of a buffer with room for it; a lone
// surrogate becomes U+FFFD, as a conversion by the database would make it.
std::pair<const char*, int> appendUtf8(QByteArray& buffer, qsizetype& used, const QString& text) {
    if (text.isEmpty())
        return {"", 0};  // empty, not Null
    char* const start = buffer.data() + used;
    char* out = start;
    const char16_t* in = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = in + text.size();
    while (in < end) {
        char32_t c = *in++;
        if (c < 0x80) {
            *out++ = char(c);
            continue;
        }
        if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
            continue;
        }
        if (QChar::isHighSurrogate(c) && in < end && QChar::isLowSurrogate(*in)) {
            c = QChar::surrogateToUcs4(char16_t(c), *in++);
            *out++ = char(0xF0 | (c >> 18));
            *out++ = char(0x80 | ((c >> 12) & 0x3F));
        } else {
            if (QChar::isSurrogate(c))
                c = 0xFFFD;
            *out++ = char(0xE0 | (c >> 12));
        }
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    used += out - start;
    return {start, int(out - start)};
}

QString withoutQuotes(const char* text) {
    QString s = QString::fromUtf8(text ? text : "");
    s.remove(u'"');
    return s;
}

}  // namespace

void SqliteStatements::ConfigureLibrary() {
    static const bool configured = [] {
        // The memory statistics take a global mutex on every allocation; nothing reads them.
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

SqliteStatements::~SqliteStatements() {
    clear();
}

void SqliteStatements::clear() {
    for (auto& [text, prepared] : mPrepared)
        sqlite3_finalize(prepared->stmt);
    mPrepared.clear();
    mByShape.clear();
}

SqliteStatements::Prepared* SqliteStatements::prepare(
    const std::shared_ptr<const SqlShape::Translated>& shape) {
    const auto kept = mByShape.find(shape.get());
    if (kept != mByShape.end())
        return kept->second.prepared;
    Prepared* prepared = prepare(shape->withPlaceholders);
    if (prepared)
        mByShape.emplace(shape.get(), ByShape{shape, prepared});
    return prepared;
}

SqliteStatements::Prepared* SqliteStatements::prepare(const QString& text) {
    const auto kept = mPrepared.find(text);
    if (kept != mPrepared.end())
        return kept->second.get();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare16_v2(mHandle, text.constData(), int(text.size() * sizeof(QChar)),
                                        &stmt, reinterpret_cast<const void**>(&tail));
    if (rc != SQLITE_OK || !stmt) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    constexpr qsizetype kMaxPrepared = 300;
    if (mPrepared.size() >= kMaxPrepared)
        clear();
    auto prepared = std::make_unique<Prepared>();
    prepared->stmt = stmt;
    Prepared* result = prepared.get();
    mPrepared.emplace(text, std::move(prepared));
    return result;
}

void SqliteStatements::fail(sqlite3_stmt* stmt, int rc, const QString& description,
                            const FullText& fullText) {
    // The error as the driver reports it: its description, SQLite's message and code.
    const QSqlError error(description,
                          QString(reinterpret_cast<const QChar*>(sqlite3_errmsg16(mHandle))),
                          QSqlError::ConnectionError, QString::number(rc));
    sqlite3_reset(stmt);
    throw DbError::fromSql(error, fullText());
}

void SqliteStatements::bind(Prepared& prepared, const QVariantList& values,
                            const FullText& fullText) {
    // Every parameter is bound again below: the old bindings need no clearing.
    sqlite3_stmt* stmt = prepared.stmt;
    sqlite3_reset(stmt);
    if (sqlite3_bind_parameter_count(stmt) != values.size()) {
        const QSqlError error(QStringLiteral("Parameter count mismatch"), QString(),
                              QSqlError::StatementError);
        throw DbError::fromSql(error, fullText());
    }
    // Room for every text in UTF-8 (at most three bytes per UTF-16 unit), so that the buffer
    // never moves while the texts bound before are pointing into it.
    qsizetype room = 0;
    for (const QVariant& value : values)
        if (value.typeId() == QMetaType::QString)
            room += static_cast<const QString*>(value.constData())->size() * 3;
    if (prepared.texts.size() < room)
        prepared.texts.resize(room);
    qsizetype textsUsed = 0;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QVariant& value = values[i];
        const int n = int(i) + 1;
        int rc = SQLITE_OK;
        if (isNullValue(value)) {
            rc = sqlite3_bind_null(stmt, n);
        } else {
            switch (value.typeId()) {
                case QMetaType::QString: {
                    // Bound in the database's own encoding, from the statement's buffer,
                    // which outlives the run: SQLite neither converts nor copies it.
                    const auto* s = static_cast<const QString*>(value.constData());
                    const auto [text, size] = appendUtf8(prepared.texts, textsUsed, *s);
                    rc = sqlite3_bind_text(stmt, n, text, size, SQLITE_STATIC);
                    break;
                }
                case QMetaType::LongLong:
                case QMetaType::UInt:
                    rc = sqlite3_bind_int64(stmt, n, value.toLongLong());
                    break;
                case QMetaType::Int:
                case QMetaType::Bool:
                    rc = sqlite3_bind_int(stmt, n, value.toInt());
                    break;
                case QMetaType::Double:
                    rc = sqlite3_bind_double(stmt, n, value.toDouble());
                    break;
                default: {
                    const QString s = value.toString();
                    rc = sqlite3_bind_text16(stmt, n, s.constData(), int(s.size() * sizeof(QChar)),
                                             SQLITE_TRANSIENT);
                    break;
                }
            }
        }
        if (rc != SQLITE_OK)
            fail(stmt, rc, QStringLiteral("Unable to bind parameters"), fullText);
    }
}

bool SqliteStatements::executeRow(Prepared& prepared, const QVariantList& row,
                                  const FullText& fullText) {
    sqlite3_stmt* stmt = prepared.stmt;
    sqlite3_reset(stmt);
    if (sqlite3_bind_parameter_count(stmt) != row.size()) {
        const QSqlError error(QStringLiteral("Parameter count mismatch"), QString(),
                              QSqlError::StatementError);
        throw DbError::fromSql(error, fullText());
    }
    qsizetype room = 0;
    for (const QVariant& value : row)
        if (value.typeId() == QMetaType::QString)
            room += static_cast<const QString*>(value.constData())->size() * 3;
    if (prepared.texts.size() < room)
        prepared.texts.resize(room);
    struct Binder final : SqlBindSink {
        sqlite3_stmt* stmt;
        QByteArray& texts;
        qsizetype used = 0;
        int n = 0;
        int rc = SQLITE_OK;
        Binder(sqlite3_stmt* s, QByteArray& t) : stmt(s), texts(t) {}
        void null() override { rc = sqlite3_bind_null(stmt, n); }
        void integer(qint64 v) override { rc = sqlite3_bind_int64(stmt, n, v); }
        void real(double v) override { rc = sqlite3_bind_double(stmt, n, v); }
        void text(const QString& v) override {
            if (used + v.size() * 3 <= texts.size()) {
                const auto [data, size] = appendUtf8(texts, used, v);
                rc = sqlite3_bind_text(stmt, n, data, size, SQLITE_STATIC);
            } else {  // a text made on the way (a date): SQLite keeps its own copy
                const QByteArray utf8 = v.toUtf8();
                rc = sqlite3_bind_text(stmt, n, utf8.constData(), int(utf8.size()),
                                       SQLITE_TRANSIENT);
            }
        }
    } binder(stmt, prepared.texts);
    for (const QVariant& value : row) {
        ++binder.n;
        if (!SqlBindTo(value, binder))
            return false;
        if (binder.rc != SQLITE_OK)
            fail(stmt, binder.rc, QStringLiteral("Unable to bind parameters"), fullText);
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(stmt, rc, QStringLiteral("Unable to fetch row"), fullText);
    sqlite3_reset(stmt);
    return true;
}

int SqliteStatements::execute(Prepared& prepared, const QVariantList& values,
                              const FullText& fullText) {
    bind(prepared, values, fullText);
    int rc;
    while ((rc = sqlite3_step(prepared.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(prepared.stmt, rc, QStringLiteral("Unable to fetch row"), fullText);
    sqlite3_reset(prepared.stmt);
    return sqlite3_changes(mHandle);
}

void SqliteStatements::query(Prepared& prepared, const QVariantList& values,
                             const FullText& fullText, std::vector<Column>* columns,
                             std::vector<QVector<QVariant>>* rows) {
    bind(prepared, values, fullText);
    sqlite3_stmt* stmt = prepared.stmt;
    const int count = sqlite3_column_count(stmt);
    if (columns) {
        columns->reserve(count);
        for (int i = 0; i < count; ++i)
            columns->push_back({withoutQuotes(sqlite3_column_name(stmt, i)),
                                withoutQuotes(sqlite3_column_table_name(stmt, i))});
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVector<QVariant> row(count);
        QVariant* cell = row.data();
        const QVariant* before =
            rows->empty() || rows->back().size() != count ? nullptr : rows->back().constData();
        for (int i = 0; i < count; ++i)
            cell[i] = columnValue(stmt, i, before ? before + i : nullptr);
        rows->push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        fail(stmt, rc, QStringLiteral("Unable to fetch row"), fullText);
    sqlite3_reset(stmt);
}

bool SqliteStatements::layoutCurrent(const Prepared& prepared) {
    if (!prepared.layout)
        return false;
    const int count = sqlite3_column_count(prepared.stmt);
    if (count != int(prepared.layoutNames.size()))
        return false;
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(prepared.stmt, i);
        if (!name || prepared.layoutNames[size_t(i)] != name)
            return false;
    }
    return true;
}

void SqliteStatements::keepLayout(Prepared& prepared, std::shared_ptr<const RowSetLayout> layout) {
    prepared.layoutNames.clear();
    const int count = sqlite3_column_count(prepared.stmt);
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(prepared.stmt, i);
        prepared.layoutNames.emplace_back(name ? name : "");
    }
    prepared.layout = std::move(layout);
}

}  // namespace evapre
