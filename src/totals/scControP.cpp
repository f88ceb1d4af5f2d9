#include "scControP.h"

namespace evapre {

scControPCDCComp& scControP::AddCdcComp(const QString& psCentroDiCosto,
                                        const QString& psCompetenza) {
    auto bucket = std::make_unique<scControPCDCComp>();
    bucket->osKey = scControPCDCComp::chiave(psCentroDiCosto, psCompetenza);
    bucket->osCentroDiCosto = psCentroDiCosto;
    bucket->osCompetenza = psCompetenza;
    const QString key = bucket->osKey;
    return ocCdcCompetenza.add(key, std::move(bucket));
}

bool scControP::obCdcCompEsiste(const QString& psCentroDiCosto, const QString& psCompetenza) const {
    return ocCdcCompetenza.contains(scControPCDCComp::chiave(psCentroDiCosto, psCompetenza));
}

scControPCDCComp& scControP::ogCdcComp(const QString& psCentroDiCosto,
                                       const QString& psCompetenza) const {
    return ocCdcCompetenza.at(scControPCDCComp::chiave(psCentroDiCosto, psCompetenza));
}

}  // namespace evapre
