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
    mHeld.insert({mark.tipo, mark.anno, mark.numReg}, mark.utente);
}

QString LockObject::keyCondition(const QString& tipo, int anno, qint64 numReg,
                                 const QString& utente) const {
    return QStringLiteral(" WHERE Tipo = ") + mConnection.sql(tipo) +
           QStringLiteral(" AND Anno = ") + mConnection.sql(anno) +
           QStringLiteral(" AND NumReg = ") + mConnection.sql(numReg) +
           QStringLiteral(" AND Utente = ") + mConnection.sql(utente);
}

bool LockObject::removeMark(const QString& tipo, int anno, qint64 numReg) {
    const auto it = mHeld.constFind({tipo, anno, numReg});
    if (it == mHeld.constEnd())
        return false;
    const int removed = mConnection.execute(QStringLiteral("DELETE FROM LockGest") +
                                            keyCondition(tipo, anno, numReg, it.value()));
    mHeld.erase(it);
    return removed > 0;
}

int LockObject::endLockUse() {
    int removed = 0;
    while (!mHeld.isEmpty()) {
        const auto it = mHeld.constBegin();
        const Chiave chiave = it.key();
        removed +=
            mConnection.execute(QStringLiteral("DELETE FROM LockGest") +
                                keyCondition(chiave.tipo, chiave.anno, chiave.numReg, it.value()));
        mHeld.remove(chiave);
    }
    return removed;
}

}  // namespace evapre
