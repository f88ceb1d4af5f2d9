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
    mConnection.insertRow(QStringLiteral("LockGest"),
                          {{QStringLiteral("Tipo"), mark.tipo},
                           {QStringLiteral("Anno"), mark.anno},
                           {QStringLiteral("NumReg"), mark.numReg},
                           {QStringLiteral("Utente"), mark.utente},
                           {QStringLiteral("Stato"), mark.stato},
                           {QStringLiteral("Ora"), when},
                           {QStringLiteral("Gestione"), mark.gestione},
                           {QStringLiteral("Varie"), mark.varie},
                           {QStringLiteral("PadreTipo"), mark.padreTipo},
                           {QStringLiteral("PadreAnno"), mark.padreAnno},
                           {QStringLiteral("PadreNumReg"), mark.padreNumReg}});
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
