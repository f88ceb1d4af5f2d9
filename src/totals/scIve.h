#pragma once

#include <QString>

#include "KeyedItems.h"
#include "scIva.h"

namespace evapre {

// The VAT summary of one document: its VAT buckets keyed by VAT code, in the order the codes
// were first met. The indexed properties read and write a bucket's field through its code.
class scIve {
  public:
    scIva& AddIva(const QString& psIva);
    bool obEsiste(const QString& psIva) const { return mIve.contains(psIva); }
    scIva* trova(const QString& psIva) const { return mIve.find(psIva); }
    scIva& ogIva(const QString& psIva) const { return mIve.at(psIva); }
    void Remove(const QString& psIva) { mIve.remove(psIva); }
    void Clear() { mIve.clear(); }

    int count() const { return mIve.count(); }
    bool isEmpty() const { return mIve.isEmpty(); }
    auto items() const { return mIve.items(); }

#define EVAPRE_IVA_FIELD(type, name)         \
    type& name(const QString& psIva) const { \
        return ogIva(psIva).name;            \
    }
    EVAPRE_IVA_FIELD(QString, osDescrizione)
    EVAPRE_IVA_FIELD(QString, osDescrMemo)
    EVAPRE_IVA_FIELD(QString, osDescrLunga)
    EVAPRE_IVA_FIELD(QString, osTipoIva)
    EVAPRE_IVA_FIELD(bool, obIvaEsente)
    EVAPRE_IVA_FIELD(Currency, odImpon)
    EVAPRE_IVA_FIELD(Currency, odAliquota)
    EVAPRE_IVA_FIELD(Currency, odImpos)
    EVAPRE_IVA_FIELD(Currency, odMerce)
    EVAPRE_IVA_FIELD(Currency, odTotImpoImpos)
    EVAPRE_IVA_FIELD(Currency, odBaseScoPagam)
    EVAPRE_IVA_FIELD(Currency, odTotScoPagam)
    EVAPRE_IVA_FIELD(Currency, odSVal)
    EVAPRE_IVA_FIELD(Currency, odSValPerSco)
    EVAPRE_IVA_FIELD(Currency, odScoPagam)
    EVAPRE_IVA_FIELD(Currency, odSValOmaggio)
    EVAPRE_IVA_FIELD(Currency, odIvaOmaggioT)
    EVAPRE_IVA_FIELD(Currency, odImpOmaggioT)
    EVAPRE_IVA_FIELD(Currency, odSValOmaggioPerSco)
    EVAPRE_IVA_FIELD(Currency, odScoPagamOmaggio)
    EVAPRE_IVA_FIELD(Currency, odSValOmaggioT)
    EVAPRE_IVA_FIELD(Currency, odSValSpese)
    EVAPRE_IVA_FIELD(Currency, odSValSpesePerSco)
    EVAPRE_IVA_FIELD(Currency, odScoPagamSpese)
    EVAPRE_IVA_FIELD(Currency, odSValIvSpese)
    EVAPRE_IVA_FIELD(Currency, odSValIvSpesePerSco)
    EVAPRE_IVA_FIELD(Currency, odIncid)
    EVAPRE_IVA_FIELD(QString, osApplBolloEse)
    EVAPRE_IVA_FIELD(Currency, odValIvScorp)
    EVAPRE_IVA_FIELD(Currency, odSpeseRipart)
#undef EVAPRE_IVA_FIELD

    int oiNumSconti(const QString& psIva) const {
        return ogIva(psIva).oiNumSconti();
    }
    double odMerceSco(const QString& psIva, int piIndSconto) const {
        return ogIva(psIva).odMerceSco(piIndSconto);
    }
    void setOdMerceSco(const QString& psIva, int piIndSconto, double value) {
        ogIva(psIva).setOdMerceSco(piIndSconto, value);
    }
    void PrepMerceSco(const QString& psIva, int piNumSconti) {
        ogIva(psIva).PrepMerceSco(piNumSconti);
    }

  private:
    KeyedItems<scIva> mIve;
};

}  // namespace evapre
