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
    auto rows = mConnection.openRowSet(QStringLiteral("SELECT * FROM LockGest WHERE 1=0"));
    rows->addNew();
    rows->set(QStringLiteral("Tipo"), mark.tipo);
    rows->set(QStringLiteral("Anno"), mark.anno);
    rows->set(QStringLiteral("NumReg"), mark.numReg);
    rows->set(QStringLiteral("Utente"), mark.utente);
    rows->set(QStringLiteral("Stato"), mark.stato);
    rows->set(QStringLiteral("Ora"), when);
    rows->set(QStringLiteral("Gestione"), mark.gestione);
    rows->set(QStringLiteral("Varie"), mark.varie);
    rows->set(QStringLiteral("PadreTipo"), mark.padreTipo);
    rows->set(QStringLiteral("PadreAnno"), mark.padreAnno);
    rows->set(QStringLiteral("PadreNumReg"), mark.padreNumReg);
    rows->save();
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
