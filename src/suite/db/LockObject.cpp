#include "LockObject.h"

#include <algorithm>

#include "DbConnection.h"
#include "RowSet.h"

namespace evapre {

LockObject::LockObject(DbConnection& connection) : mConnection(connection) {}

std::unique_ptr<RowSet> LockObject::openRowSet(const QString& sql) {
    return mConnection.openRowSet(sql);
}

void LockObject::insertMark(const Mark& mark, const QDateTime& when) {
    // One statement per mark: the race between two programs is settled by the key (3022).
    const QList<QPair<const char*, QVariant>> values = {{"Tipo", mark.tipo},
                                                        {"Anno", mark.anno},
                                                        {"NumReg", mark.numReg},
                                                        {"Utente", mark.utente},
                                                        {"Stato", mark.stato},
                                                        {"Ora", when},
                                                        {"Gestione", mark.gestione},
                                                        {"Varie", mark.varie},
                                                        {"PadreTipo", mark.padreTipo},
                                                        {"PadreAnno", mark.padreAnno},
                                                        {"PadreNumReg", mark.padreNumReg}};
    QStringList columns;
    QStringList literals;
    for (const auto& [column, value] : values) {
        columns << QLatin1String(column);
        literals << mConnection.sql(value);
    }
    mConnection.executePortable(QStringLiteral("INSERT INTO LockGest (") + columns.join(u',') +
                                QStringLiteral(") VALUES (") + literals.join(u',') + u')');
    mHeld.push_back({mark.tipo, mark.anno, mark.numReg, mark.utente});
}

QString LockObject::keyCondition(const QString& tipo, int anno, qint64 numReg,
                                 const QString& utente) const {
    return QStringLiteral(" WHERE Tipo = ") + mConnection.sql(tipo) +
           QStringLiteral(" AND Anno = ") + mConnection.sql(anno) +
           QStringLiteral(" AND NumReg = ") + mConnection.sql(numReg) +
           QStringLiteral(" AND Utente = ") + mConnection.sql(utente);
}

bool LockObject::removeMark(const QString& tipo, int anno, qint64 numReg) {
    auto it = std::find_if(mHeld.begin(), mHeld.end(), [&](const Held& h) {
        return h.tipo == tipo && h.anno == anno && h.numReg == numReg;
    });
    if (it == mHeld.end())
        return false;
    const int removed =
        mConnection.execute(QStringLiteral("DELETE FROM LockGest") +
                            keyCondition(it->tipo, it->anno, it->numReg, it->utente));
    mHeld.erase(it);
    return removed > 0;
}

int LockObject::endLockUse() {
    int removed = 0;
    while (!mHeld.empty()) {
        const Held held = mHeld.back();
        removed +=
            mConnection.execute(QStringLiteral("DELETE FROM LockGest") +
                                keyCondition(held.tipo, held.anno, held.numReg, held.utente));
        mHeld.pop_back();
    }
    return removed;
}

}  // namespace evapre
