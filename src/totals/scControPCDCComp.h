#pragma once

#include <QString>

#include "BloccoValori.h"

namespace evapre {

// One cost-centre and competence bucket inside a counter-account bucket.
class scControPCDCComp : public BloccoValori {
  public:
    // "C" + cost centre + "D" + competence: the bucket's key inside its counter-account.
    static QString chiave(const QString& psCentroDiCosto, const QString& psCompetenza) {
        return QLatin1Char('C') + psCentroDiCosto + QLatin1Char('D') + psCompetenza;
    }

    QString osKey;
    QString osCentroDiCosto;
    QString osCompetenza;
};

}  // namespace evapre
