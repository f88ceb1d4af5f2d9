#include "ContestoComando.h"

#include "AziendaUtil.h"
#include "DbError.h"
#include "DirectMenuClient.h"
#include "ParametriDitta.h"
#include "VeltDbasedll.h"

namespace evapre {

ContestoComando::ContestoComando(const QString& db, const QString& utente,
                                 const QDate& dataLavoro) {
    auto& componente = VeltDbasedll::instance();
    mLockPrima = componente.lockConnectionId();
    mId = componente.openConnection(db);
    componente.setIsolationReadCommitted(mId);
    componente.setLockConnection(mId);
    mMenu = std::make_unique<DirectMenuClient>(this->db(), utente, QStringLiteral("console"),
                                               dataLavoro);
    mParametri = std::make_unique<ParametriDitta>(*mMenu);
    mParametri->load();
    mMoneta = std::make_unique<AziendaUtil>(this->db(), mParametri->impostazioniMoneta());
    mMoneta->caricaDecimali();
}

ContestoComando::~ContestoComando() {
    auto& componente = VeltDbasedll::instance();
    mMoneta.reset();
    mParametri.reset();
    mMenu.reset();
    try {
        componente.endLockUse();
    } catch (const DbError&) {
        // The marks stay for the recovery; the connection is closed all the same.
    }
    componente.closeConnection(mId);
    if (mLockPrima != 0 && componente.hasConnection(mLockPrima))
        componente.setLockConnection(mLockPrima);
}

DbConnection& ContestoComando::db() {
    return VeltDbasedll::instance().connection(mId);
}

}  // namespace evapre
