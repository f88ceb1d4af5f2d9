#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace evapre {

class DbConnection;
class RowSet;

// The record marks in LockGest, written through their own connection so that a mark is
// visible to other users at once, whatever transaction the work connection is in.
// The object remembers the marks it wrote; ending the lock use removes exactly those,
// never a mark of another user or program.
class LockObject {
  public:
    struct Mark {
        QString tipo;
        int anno = 0;
        qint64 numReg = 0;
        QString utente;
        QString stato;
        QString gestione;
        QString varie;
        QString padreTipo;
        int padreAnno = 0;
        qint64 padreNumReg = 0;
    };

    explicit LockObject(DbConnection& connection);

    DbConnection& connection() { return mConnection; }

    std::unique_ptr<RowSet> openRowSet(const QString& sql);

    // Inserts a mark row; a mark with the same key raises DbError 3022.
    void insertMark(const Mark& mark, const QDateTime& when = QDateTime::currentDateTime());
    // Inserts the marks nobody holds in one statement per few hundred, where the database
    // can say which rows it wrote (native PostgreSQL, outside a transaction): true for each mark
    // written. Elsewhere nothing is written and every answer is false, as it is for a mark
    // already held: the caller takes those one by one. A failure raises DbError with the
    // marks of the failed statement not written.
    std::vector<bool> insertFreeMarks(const QList<Mark>& marks,
                                      const QDateTime& when = QDateTime::currentDateTime());
    // Removes one of our marks (only when it is still ours). Returns whether a row went.
    bool removeMark(const QString& tipo, int anno, qint64 numReg);
    // Removes those of our marks of tipo among the (anno, numReg) keys, a few hundred per
    // statement. Returns how many rows went; a failure leaves the marks of its statement held.
    int removeMarks(const QString& tipo, const QList<QPair<int, qint64>>& keys);
    // Removes every mark written through this object that is still ours.
    int endLockUse();

    int heldCount() const { return static_cast<int>(mHeld.size()); }

  private:
    struct Chiave {
        QString tipo;
        int anno;
        qint64 numReg;
        bool operator==(const Chiave&) const = default;
        friend size_t qHash(const Chiave& k, size_t seed = 0) {
            return qHashMulti(seed, k.tipo, k.anno, k.numReg);
        }
    };

    QString keyCondition(const QString& tipo, int anno, qint64 numReg, const QString& utente) const;
    // Deletes the held marks of keys, one statement per kind, year and user and few hundred
    // keys, forgetting each group once its statement ran.
    int removeHeld(const QList<Chiave>& keys);

    DbConnection& mConnection;
    // The user each of our marks was written for, by key: a run holds thousands of marks and
    // releases them one by one.
    QHash<Chiave, QString> mHeld;
};

}  // namespace evapre
