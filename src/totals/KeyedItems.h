#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <ranges>
#include <stdexcept>
#include <vector>

namespace evapre {

// A failure of a keyed collection: missing key, duplicate key or index out of range.
class KeyedItemsError : public std::runtime_error {
  public:
    KeyedItemsError(int number, const QString& text)
        : std::runtime_error(text.toStdString()), mNumber(number), mText(text) {}
    int number() const { return mNumber; }
    const QString& text() const { return mText; }

  private:
    int mNumber;
    QString mText;
};

namespace KeyedErr {
constexpr int OutOfRange = 9;   // index outside the array
constexpr int NotFound = 5;     // no item under that key
constexpr int Duplicate = 457;  // the key is already in the collection
}  // namespace KeyedErr

// Owned items kept in insertion order and reached by a case-insensitive text key.
template <class T>
class KeyedItems {
  public:
    T& add(const QString& key, std::unique_ptr<T> item) {
        const QString folded = key.toCaseFolded();
        if (mIndex.contains(folded))
            throw KeyedItemsError(KeyedErr::Duplicate,
                                  QStringLiteral("Chiave già presente nella collezione: ") + key);
        mIndex.insert(folded, static_cast<int>(mItems.size()));
        mItems.push_back(std::move(item));
        return *mItems.back();
    }

    bool contains(const QString& key) const { return find(key) != nullptr; }

    // The item under a key, or nullptr: one search where contains() and at() would be two.
    T* find(const QString& key) const {
        const auto found = mIndex.constFind(key.toCaseFolded());
        return found == mIndex.constEnd() ? nullptr : mItems[static_cast<size_t>(*found)].get();
    }

    T& at(const QString& key) const {
        const auto found = mIndex.constFind(key.toCaseFolded());
        if (found == mIndex.constEnd())
            throw KeyedItemsError(KeyedErr::NotFound,
                                  QStringLiteral("Chiave non trovata nella collezione: ") + key);
        return *mItems[static_cast<size_t>(*found)];
    }

    void remove(const QString& key) {
        const auto found = mIndex.constFind(key.toCaseFolded());
        if (found == mIndex.constEnd())
            throw KeyedItemsError(KeyedErr::NotFound,
                                  QStringLiteral("Chiave non trovata nella collezione: ") + key);
        const int position = *found;
        mItems.erase(mItems.begin() + position);
        reindexFrom(position);
    }

    void clear() {
        mItems.clear();
        mIndex.clear();
    }

    int count() const { return static_cast<int>(mItems.size()); }
    bool isEmpty() const { return mItems.empty(); }
    T& first() const { return *mItems.front(); }
    T& last() const { return *mItems.back(); }

    // The items in insertion order, as references.
    auto items() const {
        return mItems | std::views::transform([](const std::unique_ptr<T>& p) -> T& { return *p; });
    }

  private:
    void reindexFrom(int position) {
        for (auto it = mIndex.begin(); it != mIndex.end();) {
            if (*it == position) {
                it = mIndex.erase(it);
                continue;
            }
            if (*it > position)
                --*it;
            ++it;
        }
    }

    std::vector<std::unique_ptr<T>> mItems;
    QHash<QString, int> mIndex;  // folded key → position
};

}  // namespace evapre
