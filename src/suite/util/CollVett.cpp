#include "CollVett.h"

namespace evapre {

namespace {
QString fold(const QString& key) {
    return key.toCaseFolded();
}
}  // namespace

void CollVett::add(const QString& key, const QVariant& value) {
    if (!key.isEmpty()) {
        const QString k = fold(key);
        if (mIndex.contains(k))
            throw CollVettError(QStringLiteral("Chiave già presente: ") + key);
        mIndex.insert(k, mItems.size());
    }
    mItems.append(Item{key, value});
}

void CollVett::addSenzaChiave(const QVariant& value) {
    mItems.append(Item{QString(), value});
}

bool CollVett::contains(const QString& key) const {
    return !key.isEmpty() && mIndex.contains(fold(key));
}

int CollVett::indexOf(const QString& key) const {
    if (key.isEmpty())
        return 0;
    auto it = mIndex.constFind(fold(key));
    return it == mIndex.constEnd() ? 0 : static_cast<int>(it.value()) + 1;
}

qsizetype CollVett::requireKey(const QString& key) const {
    auto it = key.isEmpty() ? mIndex.constEnd() : mIndex.constFind(fold(key));
    if (it == mIndex.constEnd())
        throw CollVettError(QStringLiteral("Chiave inesistente: ") + key);
    return it.value();
}

qsizetype CollVett::requireIndex(int index) const {
    if (index < 1 || index > mItems.size())
        throw CollVettError(QStringLiteral("Indice fuori dai limiti: ") + QString::number(index));
    return index - 1;
}

QVariant CollVett::item(const QString& key) const {
    return mItems.at(requireKey(key)).value;
}
QVariant CollVett::item(int index) const {
    return mItems.at(requireIndex(index)).value;
}
QString CollVett::key(int index) const {
    return mItems.at(requireIndex(index)).key;
}

QStringList CollVett::keys() const {
    QStringList out;
    for (const Item& i : mItems)
        out << i.key;
    return out;
}

void CollVett::set(const QString& key, const QVariant& value) {
    mItems[requireKey(key)].value = value;
}
void CollVett::set(int index, const QVariant& value) {
    mItems[requireIndex(index)].value = value;
}

void CollVett::accumula(const QString& key, Currency amount) {
    if (contains(key)) {
        Item& it = mItems[requireKey(key)];
        it.value = QVariant::fromValue(Currency::fromVariant(it.value) + amount);
    } else {
        add(key, amount);
    }
}

void CollVett::clear() {
    mItems.clear();
    mIndex.clear();
}

void CollVett::remove(const QString& key) {
    mItems.removeAt(requireKey(key));
    reindex();
}

void CollVett::remove(int index) {
    mItems.removeAt(requireIndex(index));
    reindex();
}

void CollVett::reindex() {
    mIndex.clear();
    for (qsizetype i = 0; i < mItems.size(); ++i)
        if (!mItems.at(i).key.isEmpty())
            mIndex.insert(fold(mItems.at(i).key), i);
}

}  // namespace evapre
