#pragma once

#include <QString>

#include "BloccoValori.h"
#include "KeyedItems.h"
#include "scControPCDCComp.h"

namespace evapre {

// One counter-account bucket inside a VAT bucket, with its cost-centre and competence buckets.
class scControP : public BloccoValori {
  public:
    const QString& osIndex() const { return osConto; }
    void setOsIndex(const QString& conto) { osConto = conto; }

    scControPCDCComp& AddCdcComp(const QString& psCentroDiCosto, const QString& psCompetenza);
    bool obCdcCompEsiste(const QString& psCentroDiCosto, const QString& psCompetenza) const;
    scControPCDCComp& ogCdcComp(const QString& psCentroDiCosto, const QString& psCompetenza) const;

    QString osConto;
    KeyedItems<scControPCDCComp> ocCdcCompetenza;
};

}  // namespace evapre
