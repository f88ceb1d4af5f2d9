#pragma once

#include <QDate>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

#include "Currency.h"
#include "DbConnection.h"

namespace evapre {

// How the columns of a query are named: kept by the connection for every select list it has
// seen, so that a query run again (with other values) does not name its columns again.
struct RowSetLayout {
    struct Column {
        QString name;
        QString table;
    };
    std::vector<Column> columns;
    QHash<QString, int> index;  // lower-case "column" and "table.column"
    // Names as the code asks for them, resolved once.
    mutable QHash<QString, int> asked;
};

// Rows of a query, read by column name ("Column" or "Table.Column" after a join).
// A selection from a single table with a primary key can also add, edit, save and delete.
class RowSet {
  public:
    ~RowSet();
    RowSet(const RowSet&) = delete;
    RowSet& operator=(const RowSet&) = delete;

    bool eof() const;
    void moveNext();

    int columnCount() const { return static_cast<int>(mColumns.size()); }
    QStringList columns() const;
    bool hasColumn(const QString& name) const { return indexOf(name) >= 0; }

    QVariant value(const QString& column) const;
    QVariant valueAt(int index) const;
    // Typed reads: Null gives an empty text, 0, a null date.
    QString text(const QString& column) const;
    qint64 integer(const QString& column) const;
    Currency amount(const QString& column) const;
    QDate date(const QString& column) const;
    bool isNull(const QString& column) const;
    // The same reads by position: a loop over many rows resolves its columns once.
    int columnIndex(const QString& column) const { return requireIndex(column); }
    QString textAt(int index) const;
    qint64 integerAt(int index) const;
    Currency amountAt(int index) const;

    // Editing: addNew() or edit(), then set() the columns, then save().
    void addNew();
    void edit();
    void set(const QString& column, const QVariant& value);
    void save();
    void cancel();
    void remove();
    void close();

    const QString& sql() const { return mSql; }

  private:
    friend class DbConnection;
    RowSet(DbConnection& connection, const DbConnection::Statement& statement, RowSetMode mode);
    void readAll(QSqlQuery& query);
    void readPrepared(SqliteStatements::Prepared& prepared,
                      const DbConnection::Statement& statement);
    void readPrepared(PostgresStatements::Prepared& prepared,
                      const DbConnection::Statement& statement);
    template <class Statements>
    void takeLayout(typename Statements::Prepared& prepared, bool renamed,
                    std::vector<typename Statements::Column>& named);

    enum class EditMode { None, Add, Edit };

    void nameTablesFromSelectList();
    int indexOf(const QString& name) const;
    int requireIndex(const QString& name) const;
    void fetchNext();
    const QVector<QVariant>& currentRow() const;
    void requireTable();
    QString whereCurrentKey() const;
    void saveNew();
    void saveChanges();

    DbConnection& mConnection;
    QString mSql;
    bool mStreaming;
    QSqlQuery mQuery;
    using Column = RowSetLayout::Column;
    void nameColumns(const QSqlRecord& record);
    void nameColumns(std::vector<Column> columns, const QString& key);
    std::shared_ptr<const RowSetLayout> mLayout;
    std::vector<Column> mColumns;  // of mLayout, or being named
    std::vector<QVector<QVariant>> mRows;
    size_t mPos = 0;
    QVector<QVariant> mStreamRow;
    bool mStreamEof = true;
    bool mDeleted = false;

    QString mTable;  // the single table of the selection, when there is one
    QStringList mKey;
    EditMode mEditMode = EditMode::None;
    QHash<QString, QVariant> mPending;  // column name as given → new value
    QStringList mPendingOrder;
};

}  // namespace evapre
