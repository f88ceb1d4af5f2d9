#include "DbConnection.h"

#include <algorithm>

#include <libpq-fe.h>

#include <QAtomicInt>
#include <QFileInfo>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>

#include "DbError.h"
#include "JetTranslator.h"
#include "RowSet.h"
#include "SqlShape.h"
#include "SqliteCheckpointer.h"

namespace evapre {

namespace {

QString nextQtConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("evapre_%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

QString translate(const QString& sql) {
    try {
        return JetToPortable(sql);
    } catch (const std::exception& e) {
        throw DbError(DbErr::SyntaxError, QString::fromUtf8(e.what()), sql);
    }
}

// What the ODBC driver of Qt takes as database name: it prefixes "DSN=" itself (or
// "FILEDSN=" for ".dsn" files) unless the text names a DRIVER or SERVER.
QString odbcDatabaseName(const QString& name, const QString& connect) {
    QString text = name.trimmed();
    if (text.toUpper().startsWith(QLatin1String("ODBC;")))
        text = text.mid(5);
    const QString upper = text.toUpper();
    if (!upper.contains(QLatin1String("DRIVER=")) && !upper.contains(QLatin1String("SERVER="))) {
        if (upper.startsWith(QLatin1String("DSN=")))
            text = text.mid(4);
        else if (upper.startsWith(QLatin1String("FILEDSN=")))
            text = text.mid(8);
    }
    const QString extra = connect.trimmed();
    if (extra.contains(QLatin1Char('=')) && !extra.toUpper().startsWith(QLatin1String("ODBC")))
        text += (text.endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";")) + extra;
    return text;
}

void configurePostgres(QSqlDatabase& db, const QString& uri, const OpenOptions& options) {
    const QUrl url(uri);
    if (!url.isValid() || url.host().isEmpty())
        throw DbError(DbErr::CallFailed,
                      QStringLiteral("Indirizzo del server PostgreSQL non valido: ") + uri);
    db.setHostName(url.host());
    if (url.port() > 0)
        db.setPort(url.port());
    db.setUserName(url.userName().isEmpty() ? options.user : url.userName());
    db.setPassword(url.password().isEmpty() ? options.password : url.password());
    QString database = url.path();
    if (database.startsWith(QLatin1Char('/')))
        database.remove(0, 1);
    db.setDatabaseName(database);
    QStringList connectOptions;
    bool hasTimeout = false;
    for (const auto& item : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        connectOptions << item.first + QLatin1Char('=') + item.second;
        hasTimeout = hasTimeout || item.first == QLatin1String("connect_timeout");
    }
    if (!hasTimeout)
        connectOptions << QStringLiteral("connect_timeout=10");
    db.setConnectOptions(connectOptions.join(QLatin1Char(';')));
}

}  // namespace

DbConnection::DbConnection(DbKind kind, const QString& name, const QString& qtName)
    : mKind(kind),
      mDialect(kind == DbKind::SQLite ? SqlDialect::SQLite : SqlDialect::PostgreSQL),
      mName(name),
      mQtName(qtName) {}

DbConnection::~DbConnection() {
    dropReadAheads(true);
    mCheckpointer.reset();
    mSqlite.reset();
    mPostgres.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(mQtName, false);
        if (db.isOpen()) {
            if (mInTransaction)
                db.rollback();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(mQtName);
}

std::unique_ptr<DbConnection> DbConnection::open(const QString& name, const QString& connect,
                                                 const OpenOptions& options) {
    const DbKind kind = DbKindFromName(name);
    const QString qtName = nextQtConnectionName();
    std::unique_ptr<DbConnection> connection(new DbConnection(kind, name, qtName));

    if (kind == DbKind::SQLite && !options.createIfMissing && !QFileInfo::exists(name))
        throw DbError(DbErr::FileNotFound,
                      QStringLiteral("Il file del database non esiste: ") + name);

    const char* driver = kind == DbKind::SQLite       ? "QSQLITE"
                         : kind == DbKind::PostgreSQL ? "QPSQL"
                                                      : "QODBC";
    if (!QSqlDatabase::isDriverAvailable(QLatin1String(driver)))
        throw DbError(DbErr::CallFailed, QStringLiteral("Driver di database non disponibile: ") +
                                             QLatin1String(driver));
    QSqlDatabase db = QSqlDatabase::addDatabase(QLatin1String(driver), qtName);
    switch (kind) {
        case DbKind::SQLite:
            db.setDatabaseName(name);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
            break;
        case DbKind::PostgreSQL:
            configurePostgres(db, name, options);
            break;
        case DbKind::Odbc: {
            const QString database = odbcDatabaseName(name, connect);
            db.setDatabaseName(database);
            if (!database.toUpper().contains(QLatin1String("UID=")))
                db.setUserName(options.user);
            if (!database.toUpper().contains(QLatin1String("PWD=")))
                db.setPassword(options.password);
            break;
        }
    }
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (kind == DbKind::SQLite)
        SqliteStatements::ConfigureLibrary();
    if (!db.open()) {
        DbError error = DbError::fromSql(db.lastError(), QString());
        int number = error.number();
        if (number != DbErr::WrongPassword && number != DbErr::NotADatabase &&
            number != DbErr::FileNotFound)
            number = DbErr::CallFailed;
        throw DbError(number, QStringLiteral("Impossibile aprire il database ") + name +
                                  QStringLiteral(": ") + error.text());
    }
    if (kind == DbKind::SQLite) {
        connection->configureSqlite();
    } else {
        connection->executeIgnoringErrors(QStringLiteral("SET client_min_messages TO WARNING"));
        const QVariant handle = db.driver()->handle();
        if (kind == DbKind::PostgreSQL && handle.isValid() &&
            qstrcmp(handle.typeName(), "pg_conn*") == 0) {
            if (pg_conn* native = *static_cast<pg_conn* const*>(handle.constData()))
                connection->mPostgres = std::make_unique<PostgresStatements>(native);
        }
    }
    return connection;
}

void DbConnection::configureSqlite() {
    // A read first: a file that is not a database fails here, before anything is written.
    QSqlQuery probe(database());
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const DbError error = DbError::fromSql(probe.lastError(), probe.lastQuery());
        if (error.number() == DbErr::NotADatabase)
            throw DbError(DbErr::NotADatabase,
                          QStringLiteral("Il file non è un database riconosciuto: ") + mName);
        throw error;
    }
    probe.finish();
    const QVariant handle = database().driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (sqlite3* native = *static_cast<sqlite3* const*>(handle.constData()))
            mSqlite = std::make_unique<SqliteStatements>(native);
    }
    executePortable(QStringLiteral("PRAGMA journal_mode=WAL"));
    executePortable(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // The log is copied into the file from a thread of its own (with the library's checkpoint
    // every 1000 pages inside a commit, a run waited for the file's sync every few dozen quotes).
    if (mSqlite)
        mCheckpointer = SqliteCheckpointer::ForFile(mSqlite->handle());
    // A transaction of many quotes keeps its savepoints' journal in memory (on disk it is a
    // temporary file written and read back at every savepoint) and its pages in a cache that
    // holds them all, instead of the 2 MB default that spills them to the log before the commit.
    executePortable(QStringLiteral("PRAGMA temp_store=MEMORY"));
    executePortable(QStringLiteral("PRAGMA cache_size=-16384"));
}

QSqlDatabase DbConnection::database() const {
    return QSqlDatabase::database(mQtName, false);
}

QString DbConnection::sql(const QVariant& value, SqlKind kind) const {
    return SqlValue(mDialect, value, kind);
}

std::shared_ptr<const RowSetLayout> DbConnection::rowSetLayout(const QString& key) const {
    return mLayouts.value(key);
}

void DbConnection::keepRowSetLayout(const QString& key,
                                    std::shared_ptr<const RowSetLayout> layout) {
    // Generated SQL has few shapes; a program that builds many is kept bounded.
    constexpr qsizetype kMaxLayouts = 1000;
    if (mLayouts.size() >= kMaxLayouts)
        mLayouts.clear();
    mLayouts.insert(key, std::move(layout));
}

int DbConnection::execute(const QString& sql) {
    return run(statement(sql, true), true);
}

void DbConnection::execute(const QString& sql, Send when) {
    run(statement(sql, true), true, when);
}

int DbConnection::executePortable(const QString& sql) {
    return run(statement(sql, false), true);
}

namespace {

// What a server prepares: a query or a change of rows, with values (the statements without
// values — transactions, savepoints, settings — are run as text).
bool preparableOnServer(const SqlShape& shape) {
    if (shape.literals.isEmpty())
        return false;
    const QStringView text = QStringView(shape.shape).trimmed();
    for (const auto word : {QLatin1String("select"), QLatin1String("insert"),
                            QLatin1String("update"), QLatin1String("delete")})
        if (text.startsWith(word, Qt::CaseInsensitive))
            return true;
    return false;
}

}  // namespace

// Statements differ by their values only: the translation is done once per shape, and the
// shape is also prepared once and run with the values bound.
DbConnection::Statement DbConnection::statement(const QString& sql, bool jet, bool bindable) {
    Statement st;
    const SqlShape shape = SqlShape::Split(sql);
    if (shape.usable) {
        const auto translated = translatedShape(shape, jet);
        if (translated->valid) {
            if (bindable && mSqlite) {
                st.bound = true;
                st.text = translated->withPlaceholders;
                st.values = translated->values(shape.literals);
                st.shape = translated;
                st.literals = shape.literals;
            } else if (bindable && mPostgres && preparableOnServer(shape)) {
                st.bound = true;
                st.text = translated->withPlaceholders;
                st.shape = translated;
                st.literals = shape.literals;
            } else {
                st.text = translated->join(shape.literals);
            }
            return st;
        }
    }
    st.text = jet ? translate(sql) : sql;
    return st;
}

// The translation of a shape, kept. An invalid one when the shape does not translate on its
// own: the whole statement is then translated, and reports its own error.
std::shared_ptr<const SqlShape::Translated> DbConnection::translatedShape(const SqlShape& shape,
                                                                          bool jet) {
    auto& shapes = mTranslatedShapes[jet ? 1 : 0];
    const auto kept = shapes.constFind(shape.shape);
    if (kept != shapes.constEnd())
        return *kept;
    auto translated = std::make_shared<SqlShape::Translated>();
    try {
        *translated = SqlShape::Translated::Read(jet ? JetToPortable(shape.shape) : shape.shape,
                                                 shape.literals.size());
    } catch (const std::exception&) {
        translated->valid = false;
    }
    constexpr qsizetype kMaxShapes = 2000;
    if (shapes.size() >= kMaxShapes)
        shapes.clear();
    shapes.insert(shape.shape, translated);
    return translated;
}

QString DbConnection::Statement::fullText() const {
    return bound && shape ? shape->join(literals) : text;
}

SqliteStatements::Prepared* DbConnection::prepared(const QString& text) {
    return mSqlite ? mSqlite->prepare(text) : nullptr;
}

SqliteStatements::Prepared* DbConnection::prepared(const Statement& statement) {
    if (!mSqlite || !statement.bound)
        return nullptr;
    return statement.shape ? mSqlite->prepare(statement.shape) : mSqlite->prepare(statement.text);
}

PostgresStatements::Prepared* DbConnection::preparedOnServer(const Statement& statement) {
    return mPostgres && statement.bound && statement.shape
               ? mPostgres->prepare(*statement.shape, statement.literals)
               : nullptr;
}

// Inside a transaction a write keeps its failure to itself through the statement savepoint,
// sent in the same round trip, as run() does with a text. The savepoint is taken again only
// before a write that needs it (one sent now, whose failure the caller may take and go on):
// the writes waiting for the next statement go without, and their failure fails the
// transaction, which the caller then rolls back.
void DbConnection::addWriteSteps(std::vector<PostgresStatements::Step>& steps,
                                 std::vector<PostgresStatements::Step> writes, bool guarded) {
    using Step = PostgresStatements::Step;
    for (Step& w : writes) {
        w.write = true;
        w.unguarded = mInTransaction && !guarded;
    }
    const auto addWrites = [&] {
        steps.insert(steps.end(), std::make_move_iterator(writes.begin()),
                     std::make_move_iterator(writes.end()));
    };
    if (!mInTransaction || !guarded) {
        addWrites();
        mGuardFresh = false;
    } else if (mStatementSavepoint) {
        for (const char* sql : renewGuard())
            steps.push_back(Step::Plain(sql, true));
        addWrites();
        mGuardFresh = false;
    } else {
        steps.push_back(Step::Plain("SAVEPOINT evapre_stmt", true));
        addWrites();
        steps.push_back(Step::Plain("RELEASE SAVEPOINT evapre_stmt", true));
    }
}

// The statements that give the next write a savepoint of its own: none when the last one was
// taken after the last write.
std::vector<const char*> DbConnection::renewGuard() {
    if (mGuardFresh)
        return {};
    std::vector<const char*> statements;
    if (mSavepointTaken)
        statements.push_back("RELEASE SAVEPOINT evapre_stmt");
    statements.push_back("SAVEPOINT evapre_stmt");
    mSavepointTaken = true;
    return statements;
}

bool DbConnection::writeRowsOnServer(const QString& placeholders,
                                     const QList<QStringList>& literalRows, qsizetype assigned,
                                     const std::function<QString(const QStringList&)>& withLiterals,
                                     Send when) {
    std::vector<PostgresStatements::Step> writes;
    writes.reserve(static_cast<size_t>(literalRows.size()));
    for (const QStringList& literals : literalRows) {
        PostgresStatements::Prepared* prepared =
            mPostgres->prepareWritten(placeholders, literals, assigned);
        if (!prepared)
            return false;
        writes.push_back({.prepared = prepared,
                          .literals = literals,
                          .fullText = [withLiterals, literals] { return withLiterals(literals); }});
    }
    sendWrites(std::move(writes), when);
    return true;
}

namespace {

// The entry of a kept statement text by the hash of what it is built from: a program that
// builds many is kept bounded, starting again once full.
template <typename T>
T& boundedEntry(QHash<size_t, T>& kept, size_t key) {
    constexpr qsizetype kMaxKept = 500;
    if (kept.size() >= kMaxKept && !kept.contains(key))
        kept.clear();
    return kept[key];
}

QString dollarPlaceholders(qsizetype from, qsizetype count) {
    QString out;
    for (qsizetype k = 0; k < count; ++k)
        out += (k > 0 ? QStringLiteral(",$") : QStringLiteral("$")) + QString::number(from + k);
    return out;
}

}  // namespace

pg_result* DbConnection::sendToServer(std::vector<PostgresStatements::Step> steps, int main) {
    std::vector<PostgresStatements::Step> all = std::move(mPending);
    mPending.clear();
    mBeginPending = false;
    const int offset = static_cast<int>(all.size());
    all.insert(all.end(), std::make_move_iterator(steps.begin()),
               std::make_move_iterator(steps.end()));
    std::vector<pg_result*> kept;
    try {
        pg_result* result = mPostgres->pipeline(all, main < 0 ? -1 : main + offset, &kept);
        // The queries read ahead in this round trip, in the order they were asked for.
        size_t next = 0;
        for (ReadAhead& ahead : mReadAheads)
            if (!ahead.sent) {
                ahead.sent = true;
                ahead.result = next < kept.size() ? kept[next++] : nullptr;
            }
        return result;
    } catch (const DbError&) {
        dropReadAheads(false);
        // A failed read ends the transaction, as it does when run as text; a failed write
        // is undone alone.
        if (mInTransaction && mPostgres->failedOnWrite()) {
            runOnce(QStringLiteral("ROLLBACK TO SAVEPOINT evapre_stmt"), nullptr);
            mGuardFresh = mStatementSavepoint;
        }
        throw;
    }
}

void DbConnection::readAhead(const QString& sql) {
    if (!mPostgres || !mInTransaction)
        return;
    const Statement st = statement(sql, true);
    PostgresStatements::Prepared* prepared = preparedOnServer(st);
    if (!prepared)
        return;
    PostgresStatements::Step step{.prepared = prepared,
                                  .literals = st.literals,
                                  .fullText = [st] { return st.fullText(); },
                                  .keepResult = true};
    mPending.push_back(std::move(step));
    mReadAheads.push_back({prepared, st.literals, false, nullptr});
}

// Those already sent, or only those still waiting to be (their results are lost).
void DbConnection::dropReadAheads(bool sentToo) {
    for (auto it = mReadAheads.begin(); it != mReadAheads.end();) {
        if (it->sent && !sentToo) {
            ++it;
            continue;
        }
        PQclear(it->result);
        it = mReadAheads.erase(it);
    }
}

void DbConnection::flushPending() {
    if (mPending.empty())
        return;
    PQclear(sendToServer({}, -1));
}

int DbConnection::runPreparedOnServer(PostgresStatements::Prepared& prepared, const Statement& st,
                                      bool write, Send when) {
    PostgresStatements::Step step{
        .prepared = &prepared, .literals = st.literals, .fullText = [st] { return st.fullText(); }};
    std::vector<PostgresStatements::Step> steps;
    steps.push_back(std::move(step));
    if (write)
        return sendWrites(std::move(steps), when);
    PGresult* result = sendToServer(std::move(steps), 0);
    const int changed = PostgresStatements::rowsChanged(result);
    PQclear(result);
    return changed;
}

int DbConnection::sendWrites(std::vector<PostgresStatements::Step> writes, Send when) {
    std::vector<PostgresStatements::Step> steps;
    const bool waits = when == Send::WithNext && mInTransaction;
    addWriteSteps(steps, std::move(writes), !waits);
    if (waits) {
        mPending.insert(mPending.end(), std::make_move_iterator(steps.begin()),
                        std::make_move_iterator(steps.end()));
        return 0;
    }
    int first = 0;  // the first write, after its savepoint if one comes before it
    while (!steps[size_t(first)].prepared)
        ++first;
    PGresult* result = sendToServer(std::move(steps), first);
    const int changed = PostgresStatements::rowsChanged(result);
    PQclear(result);
    return changed;
}

bool DbConnection::queryOnServer(PostgresStatements::Prepared& prepared, const Statement& st,
                                 std::vector<PostgresStatements::Column>* columns,
                                 std::vector<QVector<QVariant>>* rows) {
    PGresult* result = nullptr;
    const auto matches = [&](const ReadAhead& a) {
        return (!a.sent || a.result) && a.prepared == &prepared && a.literals == st.literals;
    };
    auto ahead = std::find_if(mReadAheads.begin(), mReadAheads.end(), matches);
    if (ahead != mReadAheads.end() && !ahead->sent) {
        // Asked for before it went: it goes now, with whatever waits before it.
        flushPending();
        ahead = std::find_if(mReadAheads.begin(), mReadAheads.end(), matches);
    }
    if (ahead != mReadAheads.end()) {
        result = ahead->result;
        mReadAheads.erase(ahead);
    } else {
        PostgresStatements::Step step{.prepared = &prepared,
                                      .literals = st.literals,
                                      .fullText = [st] { return st.fullText(); }};
        std::vector<PostgresStatements::Step> steps;
        steps.push_back(std::move(step));
        result = sendToServer(std::move(steps), 0);
    }
    try {
        const bool named = mPostgres->readRows(prepared, result, columns, rows);
        PQclear(result);
        return named;
    } catch (...) {
        PQclear(result);
        throw;
    }
}

void DbConnection::insertRow(const QString& table, const QList<QPair<QString, QVariant>>& values,
                             Send when) {
    if (values.isEmpty())
        throw DbError(DbErr::NotUpdatable, QStringLiteral("Nessun campo da inserire in ") + table);
    QStringList names;
    if (mDialect == SqlDialect::SQLite) {
        QVariantList row;
        for (const auto& [name, value] : values) {
            names << name;
            row << value;
        }
        insertRowsBound(table, names, {row});
        return;
    }
    QVariantList row;
    for (const auto& [name, value] : values) {
        names << name;
        row << value;
    }
    insertRows(table, names, {row}, when);
}

void DbConnection::insertRows(const QString& table, const QStringList& columns,
                              const QList<QVariantList>& rows, Send when) {
    // A server takes a multi-row VALUES list in one round trip; SQLite runs one prepared
    // single-row insert per row, which costs less than parsing a long statement each time.
    if (mDialect == SqlDialect::SQLite) {
        insertRowsBound(table, columns, rows);
        return;
    }
    // Every row checked before any is written: the text path writes them a slice at a time.
    for (const QVariantList& row : rows)
        if (row.size() != columns.size())
            throw DbError(DbErr::NotUpdatable,
                          QStringLiteral("Numero di valori errato per ") + table);
    const QString head = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                         columns.join(u',') + QStringLiteral(") VALUES ");
    if (mPostgres && !rows.isEmpty() && insertArraysOnServer(table, columns, head, rows, when))
        return;
    // Else a native server runs one prepared single-row insert per row, all in one round trip.
    if (mPostgres && !rows.isEmpty()) {
        QList<QStringList> literalRows;
        for (const QVariantList& row : rows) {
            QStringList literals;
            literals.reserve(row.size());
            for (const QVariant& v : row)
                literals << sql(v);
            literalRows << literals;
        }
        const auto withLiterals = [head](const QStringList& literals) {
            return head + u'(' + literals.join(u',') + u')';
        };
        if (writeRowsOnServer(head + u'(' + dollarPlaceholders(1, columns.size()) + u')',
                              literalRows, columns.size(), withLiterals, when))
            return;
    }
    constexpr int kRowsPerStatement = 200;
    for (qsizetype start = 0; start < rows.size(); start += kRowsPerStatement) {
        QString statement = head;
        const qsizetype end = std::min<qsizetype>(rows.size(), start + kRowsPerStatement);
        for (qsizetype r = start; r < end; ++r) {
            const QVariantList& row = rows[r];
            statement += r == start ? QStringLiteral("(") : QStringLiteral(",(");
            for (qsizetype c = 0; c < row.size(); ++c) {
                if (c > 0)
                    statement += u',';
                statement += sql(row[c]);
            }
            statement += u')';
        }
        run(this->statement(statement, false), true, when);
    }
}

DbConnection::BoundInsert& DbConnection::boundInsert(const QString& table,
                                                     const QStringList& columns) {
    size_t key = qHash(table);
    for (const QString& column : columns)
        key = qHashMulti(key, column);
    BoundInsert& kept = boundedEntry(mBoundInserts, key);
    if (kept.table == table && kept.columns == columns && !kept.head.isEmpty())
        return kept;
    kept.table = table;
    kept.columns = columns;
    kept.head = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(u',') +
                QStringLiteral(") VALUES (");
    kept.placeholders = kept.head;
    for (qsizetype c = 0; c < columns.size(); ++c)
        kept.placeholders += c == 0 ? QStringLiteral("?") : QStringLiteral(",?");
    kept.placeholders += u')';
    kept.arrays = {};
    kept.arrays.text = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                       columns.join(u',') + QStringLiteral(") SELECT * FROM unnest(") +
                       dollarPlaceholders(1, columns.size()) + u')';
    return kept;
}

bool DbConnection::insertArraysOnServer(const QString& table, const QStringList& columns,
                                        const QString& head, const QList<QVariantList>& rows,
                                        Send when) {
    const auto fullText = [this, head, rows] {
        QString s = head;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            s += r == 0 ? QStringLiteral("(") : QStringLiteral(",(");
            for (qsizetype c = 0; c < rows[r].size(); ++c)
                s += (c > 0 ? QStringLiteral(",") : QString()) + sql(rows[r][c]);
            s += u')';
        }
        return s;
    };
    return writeArraysOnServer(boundInsert(table, columns).arrays, table, columns, rows, {},
                               fullText, when);
}

namespace {

// A value as a key compared with others: its parameter text, or its literal.
std::string keyText(const QVariant& value, SqlDialect dialect) {
    std::string text;
    bool isNull = false;
    if (!SqlAppendParamText(value, text, &isNull))
        text.assign(1, '\x02').append(SqlValue(dialect, value).toStdString());
    if (isNull)
        text.assign(1, '\x01');
    return text;
}

}  // namespace

// "UPDATE t SET a = v.c1 FROM unnest($1, $2, $3) AS v(c1, c2, c3) WHERE t.k = v.c2 …". The
// leading key columns every row shares (the document, the quote) are also given as plain
// values, so that the plan kept for the statement finds the rows by the key's index whatever
// the size the table had when it was planned. A row the key finds twice would be changed
// once, by either value: such rows go one by one.
bool DbConnection::updateArraysOnServer(const QString& table, const QStringList& setColumns,
                                        const QStringList& keyColumns,
                                        const QList<QVariantList>& rows,
                                        const std::function<QString(const QStringList&)>& rowText,
                                        Send when) {
    const qsizetype width = setColumns.size() + keyColumns.size();
    const qsizetype keyFrom = setColumns.size();
    // The key values of each row as texts, row after row.
    std::vector<std::string> keyTexts;
    keyTexts.reserve(size_t(rows.size() * keyColumns.size()));
    for (const QVariantList& row : rows)
        for (qsizetype k = keyFrom; k < width; ++k)
            keyTexts.push_back(keyText(row[k], mDialect));
    const auto keyAt = [&](qsizetype r, qsizetype k) -> const std::string& {
        return keyTexts[size_t(r * keyColumns.size() + k)];
    };
    std::vector<std::string> keys;
    keys.reserve(size_t(rows.size()));
    for (qsizetype r = 0; r < rows.size(); ++r) {
        std::string key;
        for (qsizetype k = 0; k < keyColumns.size(); ++k)
            key.append(keyAt(r, k)).push_back('\x1f');
        keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end());
    if (std::adjacent_find(keys.begin(), keys.end()) != keys.end())
        return false;
    qsizetype shared = 0;
    std::vector<QByteArray> scalars;
    while (shared < keyColumns.size()) {
        const std::string& first = keyAt(0, shared);
        bool same = first[0] != '\x01' && first[0] != '\x02';
        for (qsizetype r = 1; r < rows.size() && same; ++r)
            same = keyAt(r, shared) == first;
        if (!same)
            break;
        scalars.emplace_back(first.data(), qsizetype(first.size()));
        ++shared;
    }
    size_t hash = qHashMulti(0, table, shared);
    for (const QString& c : setColumns)
        hash = qHashMulti(hash, c);
    hash = qHashMulti(hash, u'|');
    for (const QString& c : keyColumns)
        hash = qHashMulti(hash, c);
    BoundUpdate& kept = boundedEntry(mBoundUpdates, hash);
    if (kept.write.text.isEmpty() || kept.table != table || kept.setColumns != setColumns ||
        kept.keyColumns != keyColumns || kept.shared != shared) {
        kept = {table, setColumns, keyColumns, shared, {}};
        const auto column = [](qsizetype c) {
            return QStringLiteral("evapre_v.c") + QString::number(c);
        };
        QString text = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ");
        for (qsizetype c = 0; c < setColumns.size(); ++c)
            text += (c > 0 ? QStringLiteral(", ") : QString()) + setColumns[c] +
                    QStringLiteral(" = ") + column(c + 1);
        text += QStringLiteral(" FROM unnest(") + dollarPlaceholders(1, width) +
                QStringLiteral(") AS evapre_v(");
        for (qsizetype c = 0; c < width; ++c)
            text += (c > 0 ? QStringLiteral(",c") : QStringLiteral("c")) + QString::number(c + 1);
        text += QStringLiteral(") WHERE ");
        for (qsizetype k = 0; k < shared; ++k)
            text += table + u'.' + keyColumns[k] + QStringLiteral(" = $") +
                    QString::number(width + k + 1) + QStringLiteral(" AND ");
        for (qsizetype k = 0; k < keyColumns.size(); ++k)
            text += (k > 0 ? QStringLiteral(" AND ") : QString()) + table + u'.' + keyColumns[k] +
                    QStringLiteral(" = ") + column(keyFrom + k + 1);
        kept.write.text = text;
    }
    const auto fullText = [this, rows, rowText] {
        QString s;
        for (const QVariantList& row : rows) {
            QStringList literals;
            for (const QVariant& v : row)
                literals << sql(v);
            s += rowText(literals) + QStringLiteral(";\n");
        }
        return s;
    };
    return writeArraysOnServer(kept.write, table, setColumns + keyColumns, rows, std::move(scalars),
                               fullText, when);
}

bool DbConnection::writeArraysOnServer(ArrayWrite& write, const QString& table,
                                       const QStringList& columns, const QList<QVariantList>& rows,
                                       std::vector<QByteArray> scalars,
                                       PostgresStatements::FullText fullText, Send when) {
    if (!write.prepared) {
        // A table not found is asked again next time: it may be created meanwhile.
        std::vector<PostgresStatements::Oid> types = mPostgres->arrayTypes(table, columns);
        if (types.empty())
            return false;
        types.resize(types.size() + scalars.size(), 0);  // the scalars: as their column
        write.prepared = mPostgres->prepareTyped(write.text, types);
        if (!write.prepared)
            return false;
    }
    PostgresStatements::Step step;
    if (!PostgresStatements::arrayParams(rows, columns.size(), &step.params))
        return false;
    step.prepared = write.prepared;
    for (QByteArray& value : scalars)
        step.params.push_back(std::move(value));
    step.fullText = std::move(fullText);
    std::vector<PostgresStatements::Step> writes;
    writes.push_back(std::move(step));
    sendWrites(std::move(writes), when);
    return true;
}

void DbConnection::insertRowsBound(const QString& table, const QStringList& columns,
                                   const QList<QVariantList>& rows) {
    for (const QVariantList& row : rows)
        if (row.size() != columns.size())
            throw DbError(DbErr::NotUpdatable,
                          QStringLiteral("Numero di valori errato per ") + table);
    // A copy: the kept texts may be replaced while the rows run.
    const BoundInsert insert = boundInsert(table, columns);
    runBoundRows(
        insert.placeholders,
        [&insert](const QStringList& literals) { return insert.head + literals.join(u',') + u')'; },
        rows);
}

void DbConnection::updateRows(const QString& table, const QStringList& setColumns,
                              const QStringList& keyColumns, const QList<QVariantList>& rows,
                              Send when) {
    const qsizetype width = setColumns.size() + keyColumns.size();
    for (const QVariantList& row : rows)
        if (row.size() != width)
            throw DbError(DbErr::NotUpdatable,
                          QStringLiteral("Numero di valori errato per ") + table);
    if (rows.isEmpty() || setColumns.isEmpty())
        return;
    // The condition of a row on the key columns from index `from`.
    const auto keyOf = [keyColumns, setColumns, width](const QStringList& literals, qsizetype row,
                                                       qsizetype from = 0) {
        QString key;
        for (qsizetype k = from; k < keyColumns.size(); ++k) {
            if (k > from)
                key += QStringLiteral(" AND ");
            key += keyColumns[k] + QStringLiteral(" = ") +
                   literals[row * width + setColumns.size() + k];
        }
        return key;
    };
    // One row: SET a = <v>, ... WHERE k = <v> AND ... Held by value: a write that waits for
    // the next statement names itself with it after this call has returned.
    const auto single = [table, setColumns, keyOf](const QStringList& literals) {
        QString s = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ");
        for (qsizetype c = 0; c < setColumns.size(); ++c)
            s += (c > 0 ? QStringLiteral(",") : QString()) + setColumns[c] + QStringLiteral(" = ") +
                 literals[c];
        return s + QStringLiteral(" WHERE ") + keyOf(literals, 0);
    };
    if (mDialect == SqlDialect::SQLite) {
        QStringList placeholders;
        for (qsizetype c = 0; c < width; ++c)
            placeholders << QStringLiteral("?");
        runBoundRows(single(placeholders), single, rows);
        return;
    }
    if (mPostgres && updateArraysOnServer(table, setColumns, keyColumns, rows, single, when))
        return;
    QStringList literals;
    for (const QVariantList& row : rows)
        for (const QVariant& v : row)
            literals << sql(v);
    // Else a native server runs one prepared single-row update per row, all in one round trip.
    if (mPostgres) {
        QList<QStringList> literalRows;
        for (qsizetype r = 0; r < rows.size(); ++r)
            literalRows << literals.mid(r * width, width);
        QStringList placeholders;
        for (qsizetype c = 0; c < width; ++c)
            placeholders << QStringLiteral("$") + QString::number(c + 1);
        if (writeRowsOnServer(single(placeholders), literalRows, setColumns.size(), single, when))
            return;
    }
    // "SET c = CASE WHEN <key of row> THEN <value> ... ELSE c END": the leading key columns
    // that every row shares (the document or quote) are tested once, in the WHERE.
    qsizetype shared = 0;
    while (shared + 1 < keyColumns.size()) {
        const QString& first = literals[setColumns.size() + shared];
        bool same = true;
        for (qsizetype r = 1; r < rows.size() && same; ++r)
            same = literals[r * width + setColumns.size() + shared] == first;
        if (!same)
            break;
        ++shared;
    }
    QString s = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ");
    for (qsizetype c = 0; c < setColumns.size(); ++c) {
        if (c > 0)
            s += u',';
        s += setColumns[c] + QStringLiteral(" = CASE");
        for (qsizetype r = 0; r < rows.size(); ++r)
            s += QStringLiteral(" WHEN ") + keyOf(literals, r, shared) + QStringLiteral(" THEN ") +
                 literals[r * width + c];
        s += QStringLiteral(" ELSE ") + setColumns[c] + QStringLiteral(" END");
    }
    s += QStringLiteral(" WHERE ");
    for (qsizetype k = 0; k < shared; ++k)
        s += keyColumns[k] + QStringLiteral(" = ") + literals[setColumns.size() + k] +
             QStringLiteral(" AND ");
    s += u'(';
    for (qsizetype r = 0; r < rows.size(); ++r)
        s += (r > 0 ? QStringLiteral(" OR (") : QStringLiteral("(")) + keyOf(literals, r, shared) +
             u')';
    run(statement(s + u')', false), true, when);
}

void DbConnection::runBoundRows(
    const QString& withPlaceholders,
    const std::function<QString(const QStringList& literals)>& withLiterals,
    const QList<QVariantList>& rows) {
    const auto literalsOf = [this](const QVariantList& row) {
        QStringList literals;
        for (const QVariant& v : row)
            literals << sql(v);
        return literals;
    };
    Statement st;
    // Prepared once for all the rows: the statement's text is not looked up row by row.
    SqliteStatements::Prepared* kept = prepared(withPlaceholders);
    const auto rowText = [&](const QVariantList& row) { return withLiterals(literalsOf(row)); };
    for (const QVariantList& row : rows) {
        // Most rows bind every value as it is (a failure names the row by its literals); the
        // others go the way of their literals.
        if (kept && mSqlite->executeRow(*kept, row, [&] { return rowText(row); }))
            continue;
        st.bound = true;
        st.text = withPlaceholders;
        st.values.clear();
        st.values.reserve(row.size());
        for (const QVariant& v : row) {
            std::optional<QVariant> bound = SqlBindValue(v);
            if (!bound) {
                QVariant fromLiteral;
                if (!SqlShape::LiteralValue(sql(v), &fromLiteral)) {
                    st.bound = false;
                    break;
                }
                bound = std::move(fromLiteral);
            }
            st.values << std::move(*bound);
        }
        if (!st.bound)
            st.text = withLiterals(literalsOf(row));
        try {
            if (st.bound && kept)
                mSqlite->execute(*kept, st.values, [&] { return withLiterals(literalsOf(row)); });
            else
                run(st, true);
        } catch (const DbError& error) {
            if (!st.bound)
                throw;
            // The message names the row that failed, not only the placeholders.
            throw DbError(error.number(), error.text(), withLiterals(literalsOf(row)));
        }
    }
}

// A savepoint of the caller's: released, it would take the connection's newer ones with it.
void DbConnection::noteSavepointCommand(const QString& sql) {
    if (!mStatementSavepoint)
        return;
    const QStringView text = QStringView(sql).trimmed();
    for (const auto word :
         {QLatin1String("SAVEPOINT"), QLatin1String("RELEASE"), QLatin1String("ROLLBACK")}) {
        if (text.startsWith(word, Qt::CaseInsensitive)) {
            mStatementSavepoint = false;
            return;
        }
    }
}

void DbConnection::executeIgnoringErrors(const QString& sql) {
    try {
        flushPending();
    } catch (const DbError&) {
        // Ignored as the statement's own error would be.
    }
    noteSavepointCommand(sql);
    QSqlQuery query(database());
    query.exec(sql);
}

void DbConnection::runOnce(const QString& portableSql, QString* failure) {
    QSqlQuery query(database());
    if (!query.exec(portableSql) && failure)
        *failure = query.lastError().text();
}

int DbConnection::run(const Statement& st, bool write, Send when) {
    if (mPostgres) {
        PostgresStatements::Prepared* onServer = preparedOnServer(st);
        return onServer ? runPreparedOnServer(*onServer, st, write, when)
                        : run(st.fullText(), write);
    }
    SqliteStatements::Prepared* kept = prepared(st);
    if (!kept)
        return run(st.fullText(), write);
    // SQLite only: a failed statement does not poison the transaction, no savepoint needed.
    return mSqlite->execute(*kept, st.values, [&st] { return st.fullText(); });
}

int DbConnection::run(const QString& portableSql, bool write) {
    flushPending();
    // Inside a PostgreSQL transaction a failed statement would poison the whole
    // transaction: a savepoint keeps the failure local, as it is on SQLite.
    const bool guard = write && mInTransaction && mDialect == SqlDialect::PostgreSQL;
    noteSavepointCommand(portableSql);
    if (guard && mStatementSavepoint) {
        // A native connection takes its savepoint only when needed (see addWriteSteps).
        if (mPostgres) {
            QStringList statements;
            for (const char* sql : renewGuard())
                statements << QLatin1String(sql);
            if (!statements.isEmpty())
                runOnce(statements.join(QStringLiteral("; ")), nullptr);
        }
        const int affected = runAfterSavepoint(portableSql);
        mGuardFresh = true;
        return affected;
    }
    if (guard)
        runOnce(QStringLiteral("SAVEPOINT evapre_stmt"), nullptr);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(portableSql)) {
        const DbError error = DbError::fromSql(query.lastError(), portableSql);
        if (guard)
            runOnce(QStringLiteral("ROLLBACK TO SAVEPOINT evapre_stmt"), nullptr);
        throw error;
    }
    const int affected = query.numRowsAffected();
    if (guard)
        runOnce(QStringLiteral("RELEASE SAVEPOINT evapre_stmt"), nullptr);
    return affected;
}

// A savepoint is kept taken after the last write that succeeded: the statement and the new
// savepoint go in one round trip, and a failure rolls back to the previous one. The statement comes
// first, so that its result is the one read. Once the caller takes savepoints of its own, the
// transaction goes back to one savepoint around each statement.
int DbConnection::runAfterSavepoint(const QString& portableSql) {
    QSqlQuery query(database());
    query.setForwardOnly(true);
    const QString batch =
        portableSql + QStringLiteral("\n; RELEASE SAVEPOINT evapre_stmt; SAVEPOINT evapre_stmt");
    if (!query.exec(batch)) {
        const DbError error = DbError::fromSql(query.lastError(), portableSql);
        query.finish();
        runOnce(QStringLiteral("ROLLBACK TO SAVEPOINT evapre_stmt"), nullptr);
        throw error;
    }
    const int affected = query.numRowsAffected();
    query.finish();
    return affected;
}

std::unique_ptr<RowSet> DbConnection::openRowSet(const QString& sql, RowSetMode mode) {
    return std::unique_ptr<RowSet>(
        new RowSet(*this, statement(sql, true, mode == RowSetMode::Buffered || mPostgres), mode));
}

QVariant DbConnection::scalar(const QString& sql) {
    auto rows = openRowSet(sql, RowSetMode::Streaming);
    if (rows->eof() || rows->columnCount() == 0)
        return {};
    return rows->valueAt(0);
}

void DbConnection::begin() {
    if (mInTransaction)
        throw DbError(DbErr::CallFailed, QStringLiteral("Transazione già aperta"));
    // IMMEDIATE takes the write lock at once, so two writers wait instead of deadlocking.
    if (mPostgres) {
        // Sent with the first statement of the transaction; the statement savepoint is taken
        // before the first write that needs it.
        flushPending();
        mPending.push_back(PostgresStatements::Step::Plain("BEGIN"));
        mSavepointTaken = false;
        mGuardFresh = false;
        mBeginPending = true;
        mInTransaction = true;
        mStatementSavepoint = true;
        return;
    }
    run(mDialect == SqlDialect::SQLite ? QStringLiteral("BEGIN IMMEDIATE")
                                       : QStringLiteral("BEGIN"),
        false);
    mInTransaction = true;
    if (mKind == DbKind::PostgreSQL) {
        run(QStringLiteral("SAVEPOINT evapre_stmt"), false);
        mStatementSavepoint = true;
    }
}

void DbConnection::commit() {
    if (!mInTransaction)
        throw DbError(DbErr::CallFailed, QStringLiteral("Nessuna transazione aperta"));
    try {
        const bool onlyBegin = mBeginPending && std::none_of(mPending.begin(), mPending.end(),
                                                             [](const PostgresStatements::Step& s) {
                                                                 return s.write;
                                                             });
        if (mPostgres && onlyBegin) {
            mPending.clear();  // nothing was written: nothing to commit
            mBeginPending = false;
        } else if (mPostgres) {
            std::vector<PostgresStatements::Step> steps;
            steps.push_back(PostgresStatements::Step::Plain("COMMIT"));
            PQclear(sendToServer(std::move(steps), 0));
        } else {
            run(QStringLiteral("COMMIT"), false);
        }
    } catch (...) {
        rollback();
        throw;
    }
    mInTransaction = false;
    mStatementSavepoint = false;
    dropReadAheads(true);
}

void DbConnection::rollback() {
    if (!mInTransaction)
        return;
    mInTransaction = false;
    mStatementSavepoint = false;
    const bool sent = !mBeginPending;
    mPending.clear();  // the writes waiting are dropped with the transaction
    dropReadAheads(true);
    mBeginPending = false;
    if (!sent)
        return;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("ROLLBACK")))
        throw DbError::fromSql(query.lastError(), QStringLiteral("ROLLBACK"));
}

QStringList DbConnection::primaryKey(const QString& table) {
    const QString key = table.toLower();
    auto found = mPrimaryKeys.constFind(key);
    if (found != mPrimaryKeys.constEnd())
        return *found;
    QStringList columns;
    const QSqlIndex index =
        database().primaryIndex(mDialect == SqlDialect::PostgreSQL ? key : table);
    for (int i = 0; i < index.count(); ++i)
        columns << index.fieldName(i);
    mPrimaryKeys.insert(key, columns);
    return columns;
}

QSqlRecord DbConnection::tableRecord(const QString& table) const {
    // Row sets over joins ask for this on every open: the catalog is read once per table.
    // A table not found is not remembered, so one created later is seen.
    const QString key = table.toLower();
    auto found = mTableRecords.constFind(key);
    if (found != mTableRecords.constEnd())
        return *found;
    const QSqlRecord record = database().record(mDialect == SqlDialect::PostgreSQL ? key : table);
    if (!record.isEmpty())
        mTableRecords.insert(key, record);
    return record;
}

bool DbConnection::tableExists(const QString& table) {
    const QString lower = table.toLower();
    const QString sqlText =
        mDialect == SqlDialect::SQLite
            ? QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND lower(name)=") +
                  sql(lower)
            : QStringLiteral(
                  "SELECT 1 FROM information_schema.tables WHERE "
                  "table_schema = current_schema() AND table_name=") +
                  sql(lower);
    return scalar(sqlText).isValid();
}

DbTransaction::DbTransaction(DbConnection& connection) : mConnection(connection) {
    mNested = mConnection.inTransaction();
    if (mNested)
        mConnection.executePortable(QStringLiteral("SAVEPOINT evapre_tx"));
    else
        mConnection.begin();
}

DbTransaction::~DbTransaction() {
    if (mDone)
        return;
    try {
        if (mNested) {
            mConnection.executePortable(QStringLiteral("ROLLBACK TO SAVEPOINT evapre_tx"));
            mConnection.executePortable(QStringLiteral("RELEASE SAVEPOINT evapre_tx"));
        } else {
            mConnection.rollback();
        }
    } catch (...) {
        // A failed rollback leaves nothing committed; the error was the caller's.
    }
}

void DbTransaction::commit() {
    if (mNested)
        mConnection.executePortable(QStringLiteral("RELEASE SAVEPOINT evapre_tx"));
    else
        mConnection.commit();
    mDone = true;
}

DbWriteBatch::DbWriteBatch(DbConnection& connection, int rowsPerCommit)
    : mConnection(connection), mRowsPerCommit(rowsPerCommit) {}

DbWriteBatch::~DbWriteBatch() {
    try {
        flush();
    } catch (const DbError&) {
        // The writes were each complete; a failed commit leaves them undone, as a failed
        // autocommit would have.
    }
}

void DbWriteBatch::beforeWrite() {
    if (mConnection.dialect() != SqlDialect::SQLite)
        return;
    if (full())
        flush();
    if (!mOpen) {
        if (mConnection.inTransaction())
            return;  // the caller's transaction commits these writes
        mConnection.begin();
        mOpen = true;
    }
    ++mPending;
}

void DbWriteBatch::flush() {
    mPending = 0;
    if (!mOpen)
        return;
    mOpen = false;
    mConnection.commit();
}

}  // namespace evapre
