#include "scIva.h"

namespace evapre {

scIva::scIva() : mMerceSco(1, 0.0) {}

scControP& scIva::AddControP(const QString& psConto, const QString& psCentroDiCosto,
                             const QString& psCompetenza) {
    auto conto = std::make_unique<scControP>();
    conto->osConto = psConto;
    conto->AddCdcComp(psCentroDiCosto, psCompetenza);
    return ocCollControPte.add(psConto, std::move(conto));
}

scControPCDCComp& scIva::AddCdcComp(const QString& psConto, const QString& psCentroDiCosto,
                                    const QString& psCompetenza) {
    return ogControp(psConto).AddCdcComp(psCentroDiCosto, psCompetenza);
}

bool scIva::obCPEsiste(const QString& psConto) const {
    return ocCollControPte.contains(psConto);
}

bool scIva::obCdcCompEsiste(const QString& psConto, const QString& psCentroDiCosto,
                            const QString& psCompetenza) const {
    return ogControp(psConto).obCdcCompEsiste(psCentroDiCosto, psCompetenza);
}

scControP& scIva::ogControp(const QString& psConto) const {
    return ocCollControPte.at(psConto);
}

scControPCDCComp& scIva::ogCdcComp(const QString& psConto, const QString& psCentroDiCosto,
                                   const QString& psCompetenza) const {
    return ogControp(psConto).ogCdcComp(psCentroDiCosto, psCompetenza);
}

void scIva::CPClear() {
    ocCollControPte.clear();
}

BloccoValori& scIva::bloccoCP(const QString& psConto, bool pbConto, const QString& psCentroDiCosto,
                              const QString& psCompetenza) const {
    scControP& conto = ogControp(psConto);
    if (pbConto)
        return conto;
    return conto.ogCdcComp(psCentroDiCosto, psCompetenza);
}

void scIva::PrepMerceSco(int piNumSconti) {
    if (piNumSconti <= miNumSconti)
        return;
    const size_t size = static_cast<size_t>(piNumSconti) + 1;
    if (miNumSconti != 0)
        mMerceSco.resize(size, mMerceSco[static_cast<size_t>(miNumSconti)]);
    else
        mMerceSco.assign(size, 0.0);
    miNumSconti = piNumSconti;
}

double scIva::odMerceSco(int piIndSconto) const {
    if (miNumSconti != 0 && piIndSconto >= 0 && piIndSconto <= miNumSconti)
        return mMerceSco[static_cast<size_t>(piIndSconto)];
    return odMerce.toDouble();
}

void scIva::setOdMerceSco(int piIndSconto, double value) {
    if (piIndSconto < 0 || static_cast<size_t>(piIndSconto) >= mMerceSco.size())
        throw KeyedItemsError(KeyedErr::OutOfRange,
                              QStringLiteral("Indice fuori dall'intervallo: %1").arg(piIndSconto));
    mMerceSco[static_cast<size_t>(piIndSconto)] = value;
}

}  // namespace evapre
