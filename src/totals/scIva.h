#pragma once

#include <QString>
#include <vector>

#include "BloccoValori.h"
#include "KeyedItems.h"
#include "scControP.h"

namespace evapre {

// One VAT bucket of the document summary: the VAT code's data, the value block, and the
// counter-account buckets the rows of this code went to.
class scIva : public BloccoValori {
  public:
    scIva();

    const QString& osIndex() const { return osIva; }
    void setOsIndex(const QString& iva) { osIva = iva; }

    // Creates the counter-account with its first cost-centre and competence bucket.
    scControP& AddControP(const QString& psConto, const QString& psCentroDiCosto,
                          const QString& psCompetenza);
    scControPCDCComp& AddCdcComp(const QString& psConto, const QString& psCentroDiCosto,
                                 const QString& psCompetenza);
    bool obCPEsiste(const QString& psConto) const;
    bool obCdcCompEsiste(const QString& psConto, const QString& psCentroDiCosto,
                         const QString& psCompetenza) const;
    scControP& ogControp(const QString& psConto) const;
    scControPCDCComp& ogCdcComp(const QString& psConto, const QString& psCentroDiCosto,
                                const QString& psCompetenza) const;
    void CPClear();

    // The value block of the counter-account itself (pbConto) or of its cost-centre bucket.
    BloccoValori& bloccoCP(const QString& psConto, bool pbConto, const QString& psCentroDiCosto,
                           const QString& psCompetenza) const;

#define EVAPRE_CP_FIELD(name, field)                                                          \
    Currency& name(const QString& psConto, bool pbConto, const QString& psCentroDiCosto = {}, \
                   const QString& psCompetenza = {}) const {                                  \
        return bloccoCP(psConto, pbConto, psCentroDiCosto, psCompetenza).field;               \
    }
    EVAPRE_CP_FIELD(odCPImpon, odImpon)
    EVAPRE_CP_FIELD(odCPImpos, odImpos)
    EVAPRE_CP_FIELD(odCPMerce, odMerce)
    EVAPRE_CP_FIELD(odCPTotImpoImpos, odTotImpoImpos)
    EVAPRE_CP_FIELD(odCPSIvaOmaggioT, odIvaOmaggioT)
    EVAPRE_CP_FIELD(odCPSImpOmaggioT, odImpOmaggioT)
    EVAPRE_CP_FIELD(odCPSVal, odSVal)
    EVAPRE_CP_FIELD(odCPSValPerSco, odSValPerSco)
    EVAPRE_CP_FIELD(odCPScoPagam, odScoPagam)
    EVAPRE_CP_FIELD(odCPSValOmaggio, odSValOmaggio)
    EVAPRE_CP_FIELD(odCPSValOmaggioPerSco, odSValOmaggioPerSco)
    EVAPRE_CP_FIELD(odCPScoPagamOmaggio, odScoPagamOmaggio)
    EVAPRE_CP_FIELD(odCPSValOmaggioT, odSValOmaggioT)
    EVAPRE_CP_FIELD(odCPSValSpese, odSValSpese)
    EVAPRE_CP_FIELD(odCPSValSpesePerSco, odSValSpesePerSco)
    EVAPRE_CP_FIELD(odCPScoPagamSpese, odScoPagamSpese)
    EVAPRE_CP_FIELD(odCPSValIvSpese, odSValIvSpese)
    EVAPRE_CP_FIELD(odCPSValIvSpesePerSco, odSValIvSpesePerSco)
#undef EVAPRE_CP_FIELD

    // Merchandise-discount stages: the goods value after each footer discount stage.
    int oiNumSconti() const {
        return miNumSconti;
    }
    void PrepMerceSco(int piNumSconti);
    double odMerceSco(int piIndSconto) const;
    void setOdMerceSco(int piIndSconto, double value);

    QString osIva;
    QString osDescrizione;
    QString osDescrMemo;
    QString osDescrLunga;
    QString osTipoIva;
    bool obIvaEsente = false;
    Currency odAliquota;
    bool obForzato = false;
    Currency odBaseScoPagam;
    Currency odTotScoPagam;
    QString osApplBolloEse;
    Currency odIncid;
    Currency odValIvScorp;
    Currency odSpeseRipart;
    KeyedItems<scControP> ocCollControPte;
    Currency odSpeseAccRiga;
    bool obIvaBolli = false;

  private:
    int miNumSconti = 0;
    std::vector<double> mMerceSco;
};

}  // namespace evapre
