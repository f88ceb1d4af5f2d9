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
    const auto azienda = [this](const QString& key) { return mParametri->company(key); };
    const auto personale = [this](const QString& key) {
        const int punto = static_cast<int>(key.indexOf(QLatin1Char('.')));
        return mParametri->personal(key.left(punto), key.mid(punto + 1));
    };
    mMoneta = std::make_unique<AziendaUtil>(this->db(),
                                            MoneySettings::fromParameters(azienda, personale));
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
