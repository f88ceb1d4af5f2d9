#include "RowSet.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>

#include "DbConnection.h"
#include "DbError.h"

namespace evapre {

namespace {

// The one table of "SELECT … FROM Table [WHERE …|ORDER BY …]", or empty after a join or a
// list of tables.
QString singleTableOf(const QString& sql) {
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^\s*select\s.*?\sfrom\s+([A-Za-z_][A-Za-z0-9_]*)\s*(?:$|;|where\s|order\s|limit\s))"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = pattern.match(sql);
    if (!match.hasMatch())
        return {};
    return match.captured(1);
}

// The items of the top-level select list ("A.*", "A.Col AS X", "COUNT(*)").
QStringList selectItems(const QString& sql) {
    static const QRegularExpression head(QStringLiteral(R"(^\s*select\s+(distinct\s+)?)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto match = head.match(sql);
    if (!match.hasMatch())
        return {};
    QStringList items;
    QString current;
    int depth = 0;
    bool quoted = false;
    for (int i = match.capturedEnd(); i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted) {
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')'))
                --depth;
            if (depth == 0 && c == QLatin1Char(',')) {
                items << current.trimmed();
                current.clear();
                continue;
            }
            if (depth == 0 &&
                sql.mid(i, 6).compare(QLatin1String(" from "), Qt::CaseInsensitive) == 0) {
                items << current.trimmed();
                return items;
            }
        }
        current += c;
    }
    items << current.trimmed();
    return items;
}

// The text before the top-level FROM of a SELECT (the whole text when there is none).
QString selectListOf(const QString& sql) {
    int depth = 0;
    bool quoted = false;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted) {
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')'))
                --depth;
            else if (depth == 0 && (c == QLatin1Char('f') || c == QLatin1Char('F')) && i > 0 &&
                     sql.at(i - 1).isSpace() && i + 4 < n &&
                     QStringView(sql).mid(i, 4).compare(QLatin1String("from"),
                                                        Qt::CaseInsensitive) == 0 &&
                     (i + 4 == n || !sql.at(i + 4).isLetterOrNumber()))
                return sql.left(i);
        }
    }
    return sql;
}

}  // namespace

// Drivers that do not name the table of a column (PostgreSQL): the tables come from a
// select list of "Table.*" and "Table.Column" items, the form joins are written in.
void RowSet::nameTablesFromSelectList() {
    static const QRegularExpression qualified(
        QStringLiteral(R"(^([A-Za-z_][A-Za-z0-9_]*)\.(\*|[A-Za-z_][A-Za-z0-9_]*)(\s+as\s+\S+)?$)"),
        QRegularExpression::CaseInsensitiveOption);
    size_t column = 0;
    for (const QString& item : selectItems(mSql)) {
        if (column >= mColumns.size())
            return;
        const auto match = qualified.match(item);
        if (!match.hasMatch()) {
            ++column;
            continue;
        }
        const QString table = match.captured(1);
        if (match.captured(2) == QLatin1String("*")) {
            const int count = mConnection.tableRecord(table).count();
            if (count == 0)
                return;  // an alias or an unknown table: give up rather than guess
            for (int i = 0; i < count && column < mColumns.size(); ++i)
                mColumns[column++].table = table;
        } else {
            mColumns[column++].table = table;
        }
    }
}

RowSet::RowSet(DbConnection& connection, const DbConnection::Statement& statement, RowSetMode mode)
    : mConnection(connection),
      mSql(statement.text),
      mStreaming(mode == RowSetMode::Streaming),
      mQuery(connection.database()) {
    // A bound statement runs on the connection's kept prepared statement, read whole at once.
    SqliteStatements::Prepared* prepared = !mStreaming ? connection.prepared(statement) : nullptr;
    if (prepared) {
        readPrepared(*prepared, statement);
        return;
    }
    // A server sends the whole result of a prepared statement at once, streaming or not.
    if (PostgresStatements::Prepared* onServer = connection.preparedOnServer(statement)) {
        mStreaming = false;
        readPrepared(*onServer, statement);
        return;
    }
    if (statement.bound)
        mSql = statement.fullText();
    // A forward-only PostgreSQL query streams in single-row mode and is cut short by any
    // other statement on the connection; a scrollable one arrives whole, which is safe.
    mQuery.setForwardOnly(connection.dialect() != SqlDialect::PostgreSQL);
    connection.flushPending();
    if (!mQuery.exec(mSql))
        throw DbError::fromSql(mQuery.lastError(), mSql);
    nameColumns(mQuery.record());
    if (mStreaming)
        fetchNext();
    else
        readAll(mQuery);
}

void RowSet::readAll(QSqlQuery& query) {
    const int count = static_cast<int>(mColumns.size());
    while (query.next()) {
        QVector<QVariant> row(count);
        for (int i = 0; i < count; ++i)
            row[i] = query.value(i);
        mRows.push_back(std::move(row));
    }
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        throw DbError::fromSql(error, mSql);
}

// A prepared statement keeps the layout of its rows: it is named the first time only.
void RowSet::readPrepared(SqliteStatements::Prepared& prepared,
                          const DbConnection::Statement& statement) {
    const bool known = SqliteStatements::layoutCurrent(prepared);
    std::vector<SqliteStatements::Column> named;
    mConnection.mSqlite->query(
        prepared, statement.values, [&statement] { return statement.fullText(); },
        known ? nullptr : &named, &mRows);
    takeLayout<SqliteStatements>(prepared, !known, named);
}

void RowSet::readPrepared(PostgresStatements::Prepared& prepared,
                          const DbConnection::Statement& statement) {
    std::vector<PostgresStatements::Column> named;
    const bool renamed = mConnection.queryOnServer(prepared, statement, &named, &mRows);
    takeLayout<PostgresStatements>(prepared, renamed, named);
}

// The layout kept by a prepared statement, or the one named from its columns, then kept.
template <class Statements>
void RowSet::takeLayout(typename Statements::Prepared& prepared, bool renamed,
                        std::vector<typename Statements::Column>& named) {
    if (!renamed) {
        mLayout = prepared.layout;
        mColumns = mLayout->columns;
        return;
    }
    std::vector<Column> columns;
    columns.reserve(named.size());
    for (auto& c : named)
        columns.push_back({std::move(c.name), std::move(c.table)});
    nameColumns(std::move(columns), QString());
    Statements::keepLayout(prepared, mLayout);
}

// The select list and the names the driver gives identify the layout of a query.
void RowSet::nameColumns(const QSqlRecord& record) {
    QString key = selectListOf(mSql);
    key.reserve(key.size() + record.count() * 24);
    std::vector<Column> columns;
    columns.reserve(record.count());
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        key += QChar(0x1f) + field.name() + QChar(0x1e) + field.tableName();
        columns.push_back({field.name(), field.tableName()});
    }
    nameColumns(std::move(columns), key);
}

// Names the columns under a layout kept by the connection (key empty: not kept there).
void RowSet::nameColumns(std::vector<Column> columns, const QString& key) {
    if (!key.isEmpty()) {
        mLayout = mConnection.rowSetLayout(key);
        if (mLayout) {
            mColumns = mLayout->columns;
            return;
        }
    }
    mColumns = std::move(columns);
    const bool tablesKnown = std::all_of(mColumns.begin(), mColumns.end(),
                                         [](const Column& c) { return !c.table.isEmpty(); });
    if (!tablesKnown)
        nameTablesFromSelectList();
    auto layout = std::make_shared<RowSetLayout>();
    layout->columns = mColumns;
    // First occurrence of a bare name wins, as after "SELECT A.*, B.*".
    for (int i = static_cast<int>(mColumns.size()) - 1; i >= 0; --i) {
        layout->index.insert(mColumns[i].name.toLower(), i);
        if (!mColumns[i].table.isEmpty())
            layout->index.insert(
                mColumns[i].table.toLower() + QLatin1Char('.') + mColumns[i].name.toLower(), i);
    }
    mLayout = layout;
    if (!key.isEmpty())
        mConnection.keepRowSetLayout(key, layout);
}

RowSet::~RowSet() {
    close();
}

void RowSet::close() {
    mQuery.finish();
    mRows.clear();
    mStreamEof = true;
    mPos = 0;
    mEditMode = EditMode::None;
}

void RowSet::fetchNext() {
    if (mQuery.next()) {
        mStreamRow.resize(static_cast<int>(mColumns.size()));
        for (int i = 0; i < mStreamRow.size(); ++i)
            mStreamRow[i] = mQuery.value(i);
        mStreamEof = false;
    } else {
        if (mQuery.lastError().isValid())
            throw DbError::fromSql(mQuery.lastError(), mSql);
        mStreamEof = true;
        mQuery.finish();
    }
}

bool RowSet::eof() const {
    return mStreaming ? mStreamEof : mPos >= mRows.size();
}

void RowSet::moveNext() {
    if (eof())
        throw DbError(DbErr::NoCurrentRow, QStringLiteral("Nessun record corrente"), mSql);
    mEditMode = EditMode::None;
    mPending.clear();
    mPendingOrder.clear();
    mDeleted = false;
    if (mStreaming)
        fetchNext();
    else
        ++mPos;
}

QStringList RowSet::columns() const {
    QStringList names;
    for (const auto& c : mColumns)
        names << c.name;
    return names;
}

int RowSet::indexOf(const QString& name) const {
    const auto asked = mLayout->asked.constFind(name);
    if (asked != mLayout->asked.constEnd())
        return *asked;
    const QString key = name.toLower();
    int index = -1;
    auto found = mLayout->index.constFind(key);
    if (found != mLayout->index.constEnd()) {
        index = *found;
    } else {
        // "Table.Column" when the driver gives no table names: fall back to the bare column.
        const int dot = key.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0) {
            found = mLayout->index.constFind(key.mid(dot + 1));
            if (found != mLayout->index.constEnd())
                index = *found;
        }
    }
    mLayout->asked.insert(name, index);
    return index;
}

int RowSet::requireIndex(const QString& name) const {
    const int index = indexOf(name);
    if (index < 0)
        throw DbError(DbErr::UnknownColumn,
                      QStringLiteral("Campo non presente nella selezione: ") + name, mSql);
    return index;
}

const QVector<QVariant>& RowSet::currentRow() const {
    if (eof() || mDeleted)
        throw DbError(DbErr::NoCurrentRow, QStringLiteral("Nessun record corrente"), mSql);
    return mStreaming ? mStreamRow : mRows[mPos];
}

QVariant RowSet::valueAt(int index) const {
    if (index < 0 || index >= columnCount())
        throw DbError(DbErr::UnknownColumn,
                      QStringLiteral("Colonna %1 non presente nella selezione").arg(index), mSql);
    if (mEditMode != EditMode::None) {
        auto pending = mPending.constFind(mColumns[index].name.toLower());
        if (pending != mPending.constEnd())
            return *pending;
        if (mEditMode == EditMode::Add)
            return {};
    }
    return currentRow().at(index);
}

QVariant RowSet::value(const QString& column) const {
    return valueAt(requireIndex(column));
}

bool RowSet::isNull(const QString& column) const {
    const QVariant v = value(column);
    return !v.isValid() || v.isNull();
}

QString RowSet::text(const QString& column) const {
    return textAt(requireIndex(column));
}

QString RowSet::textAt(int index) const {
    const QVariant v = valueAt(index);
    return v.isNull() ? QString() : v.toString();
}

qint64 RowSet::integer(const QString& column) const {
    return integerAt(requireIndex(column));
}

qint64 RowSet::integerAt(int index) const {
    const QVariant v = valueAt(index);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok)
        return n;
    return Currency::fromVariant(v).raw() / 10000;
}

Currency RowSet::amount(const QString& column) const {
    return amountAt(requireIndex(column));
}

Currency RowSet::amountAt(int index) const {
    const QVariant v = valueAt(index);
    try {
        return Currency::fromVariant(v);
    } catch (const std::exception& e) {
        throw DbError(DbErr::CallFailed,
                      QStringLiteral("Valore non numerico nel campo ") + mColumns[index].name +
                          QStringLiteral(": ") + v.toString(),
                      mSql);
    }
}

QDate RowSet::date(const QString& column) const {
    const QVariant v = value(column);
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

void RowSet::requireTable() {
    if (mTable.isEmpty()) {
        mTable = singleTableOf(mSql);
        if (mTable.isEmpty())
            throw DbError(
                DbErr::NotUpdatable,
                QStringLiteral("La selezione non è aggiornabile (una sola tabella richiesta)"),
                mSql);
        mKey = mConnection.primaryKey(mTable);
        if (mKey.isEmpty())
            throw DbError(DbErr::NotUpdatable,
                          QStringLiteral("La tabella ") + mTable +
                              QStringLiteral(" non ha chiave primaria: impossibile aggiornarla"),
                          mSql);
    }
}

void RowSet::addNew() {
    requireTable();
    mEditMode = EditMode::Add;
    mPending.clear();
    mPendingOrder.clear();
}

void RowSet::edit() {
    requireTable();
    currentRow();
    for (const QString& k : mKey)
        requireIndex(k);
    mEditMode = EditMode::Edit;
    mPending.clear();
    mPendingOrder.clear();
}

void RowSet::set(const QString& column, const QVariant& value) {
    if (mEditMode == EditMode::None)
        throw DbError(DbErr::NotUpdatable,
                      QStringLiteral("Aggiornamento senza AddNew o Edit: campo ") + column, mSql);
    const int index = requireIndex(column);
    const QString key = mColumns[index].name.toLower();
    if (!mPending.contains(key))
        mPendingOrder << mColumns[index].name;
    mPending.insert(key, value);
}

void RowSet::cancel() {
    mEditMode = EditMode::None;
    mPending.clear();
    mPendingOrder.clear();
}

QString RowSet::whereCurrentKey() const {
    const QVector<QVariant>& row = currentRow();
    QStringList terms;
    for (const QString& k : mKey) {
        const QVariant v = row.at(requireIndex(k));
        terms << (v.isNull() ? k + QStringLiteral(" IS NULL")
                             : k + QStringLiteral(" = ") + mConnection.sql(v));
    }
    return terms.join(QStringLiteral(" AND "));
}

void RowSet::saveNew() {
    QList<QPair<QString, QVariant>> values;
    for (const QString& column : mPendingOrder)
        values.append({column, mPending.value(column.toLower())});
    mConnection.insertRow(mTable, values);
}

void RowSet::saveChanges() {
    if (mPendingOrder.isEmpty())
        return;
    QStringList assignments;
    for (const QString& column : mPendingOrder)
        assignments << column + QStringLiteral(" = ") +
                           mConnection.sql(mPending.value(column.toLower()));
    const QString statement = QStringLiteral("UPDATE ") + mTable + QStringLiteral(" SET ") +
                              assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") +
                              whereCurrentKey();
    if (mConnection.run(statement, true) == 0)
        throw DbError(DbErr::DataChanged,
                      QStringLiteral("Il record è stato modificato o eliminato da un altro utente"),
                      statement);
    QVector<QVariant>& row = mStreaming ? mStreamRow : mRows[mPos];
    for (const QString& column : mPendingOrder)
        row[requireIndex(column)] = mPending.value(column.toLower());
}

void RowSet::save() {
    switch (mEditMode) {
        case EditMode::None:
            throw DbError(DbErr::NotUpdatable, QStringLiteral("Salvataggio senza AddNew o Edit"),
                          mSql);
        case EditMode::Add:
            saveNew();
            break;
        case EditMode::Edit:
            saveChanges();
            break;
    }
    cancel();
}

void RowSet::remove() {
    requireTable();
    const QString statement =
        QStringLiteral("DELETE FROM ") + mTable + QStringLiteral(" WHERE ") + whereCurrentKey();
    if (mConnection.run(statement, true) == 0)
        throw DbError(DbErr::DataChanged,
                      QStringLiteral("Il record è stato modificato o eliminato da un altro utente"),
                      statement);
    mDeleted = true;
    cancel();
}

}  // namespace evapre
