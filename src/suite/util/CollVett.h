#pragma once

#include "Currency.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <stdexcept>

namespace evapre {

// Misuse of a CollVett: a duplicate key ("Chiave già presente: <key>"), a missing key
// ("Chiave inesistente: <key>"), an index outside 1..count ("Indice fuori dai limiti: n").
class CollVettError : public std::invalid_argument {
  public:
    explicit CollVettError(const QString& text)
        : std::invalid_argument(text.toUtf8().toStdString()), mText(text) {}
    const QString& text() const { return mText; }

  private:
    QString mText;
};

// The suite's keyed collection (COLLVET.DLL): values (QVariant holding a Currency amount,
// a text, or anything else) addressed by a text key or by a 1-BASED index, as the suite's
// collections are. Keys are compared case-insensitively (as written they are kept); an
// empty key means "no key" (the item is reachable by index only). Insertion order is kept;
// removing an item shifts the following indexes down by one.
class CollVett {
  public:
    // Appends. Throws CollVettError when a non-empty key is already present.
    void add(const QString& key, const QVariant& value);
    void add(const QString& key, Currency amount) { add(key, QVariant::fromValue(amount)); }
    void add(const QString& key, const QString& text) { add(key, QVariant(text)); }
    void add(const QString& key, const char* text) { add(key, QVariant(QString::fromUtf8(text))); }
    void addSenzaChiave(const QVariant& value);  // an item without key

    bool contains(const QString& key) const;
    int indexOf(const QString& key) const;  // 1-based; 0 when missing

    // Read. Missing key / bad index → CollVettError.
    QVariant item(const QString& key) const;
    QVariant item(int index) const;
    Currency amount(const QString& key) const { return Currency::fromVariant(item(key)); }
    Currency amount(int index) const { return Currency::fromVariant(item(index)); }
    QString text(const QString& key) const { return item(key).toString(); }
    QString text(int index) const { return item(index).toString(); }
    // The key of an item (as written; empty for an item without key).
    QString key(int index) const;
    QStringList keys() const;

    // Change an existing item. Missing key / bad index → CollVettError.
    void set(const QString& key, const QVariant& value);
    void set(int index, const QVariant& value);
    void set(const QString& key, Currency amount) { set(key, QVariant::fromValue(amount)); }
    // Adds the amount to the item's amount, creating the item (at the end) when missing.
    void accumula(const QString& key, Currency amount);

    int count() const { return static_cast<int>(mItems.size()); }
    bool isEmpty() const { return mItems.isEmpty(); }
    void clear();
    // Missing key / bad index → CollVettError.
    void remove(const QString& key);
    void remove(int index);

  private:
    struct Item {
        QString key;
        QVariant value;
    };
    qsizetype requireKey(const QString& key) const;
    qsizetype requireIndex(int index) const;
    void reindex();

    QList<Item> mItems;
    QHash<QString, qsizetype> mIndex;  // folded key → position (0-based)
};

}  // namespace evapre
