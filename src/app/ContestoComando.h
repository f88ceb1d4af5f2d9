#pragma once

#include <QDate>
#include <QString>
#include <memory>

namespace evapre {

class AziendaUtil;
class DbConnection;
class DirectMenuClient;
class ParametriDitta;

// What a headless command needs to run the engine: the company connection (also the lock
// connection while the command lasts, so that its marks go with it), the user as the menu
// would name them, the company parameters and the money functions.
class ContestoComando {
  public:
    ContestoComando(const QString& db, const QString& utente, const QDate& dataLavoro);
    ~ContestoComando();
    ContestoComando(const ContestoComando&) = delete;
    ContestoComando& operator=(const ContestoComando&) = delete;

    DbConnection& db();
    ParametriDitta& parametri() { return *mParametri; }
    AziendaUtil& moneta() { return *mMoneta; }

  private:
    int mLockPrima;
    int mId;
    std::unique_ptr<DirectMenuClient> mMenu;
    std::unique_ptr<ParametriDitta> mParametri;
    std::unique_ptr<AziendaUtil> mMoneta;
};

}  // namespace evapre
