// VAT side of the footer: VAT on expenses, payment discount, VAT per bucket and level,
// distribution of the expenses to be spread, and the document totals.

#include <algorithm>
#include <array>
#include <functional>

#include "AziendaUtil.h"
#include "Rounding.h"
#include "scCalcPiedeFat.h"
#include "scCalcPiedeFatDati.h"

namespace evapre {

namespace {

// The accumulators a distributed expense bucket hands on to the other buckets.
constexpr std::array<Currency BloccoValori::*, 4> kAccumulatoriRipartiti = {
    &BloccoValori::odSVal, &BloccoValori::odSValPerSco, &BloccoValori::odSValSpese,
    &BloccoValori::odSValSpesePerSco};

}  // namespace

void scCalcPiedeFat::ivaSpese(BloccoValori& b, const scIva& iva) const {
    if (iva.obIvaEsente) {
        b.odSValIvSpese = b.odSValSpese;
        b.odSValIvSpesePerSco = b.odSValSpesePerSco;
        return;
    }
    b.odSValIvSpese = b.odSValSpese + ivaDi(b.odSValSpese, iva.odAliquota);
    b.odSValIvSpesePerSco = b.odSValSpesePerSco + ivaDi(b.odSValSpesePerSco, iva.odAliquota);
}

void scCalcPiedeFat::CalcIvSpese() {
    for (scIva& iva : ogIve.items()) {
        ivaSpese(iva, iva);
        for (scControP& cp : iva.ocCollControPte.items()) {
            ivaSpese(cp, iva);
            for (scControPCDCComp& cdc : cp.ocCdcCompetenza.items())
                ivaSpese(cdc, iva);
        }
    }
}

// Each base gets its own discount, so a bucket with only discounted expenses (or gifts) is
// not skipped.
void scCalcPiedeFat::scontoPagamento(BloccoValori& b) const {
    const auto sconto = [&](Currency base) { return base - menoPercento(base, odScontoPag); };
    b.odScoPagam = sconto(b.odSValPerSco);
    b.odScoPagamOmaggio = sconto(b.odSValOmaggioPerSco);
    b.odScoPagamSpese = sconto(mbPrezziIvati ? b.odSValIvSpesePerSco : b.odSValSpesePerSco);
}

void scCalcPiedeFat::calcolaScontoPagamento() {
    for (scIva& iva : ogIve.items()) {
        scontoPagamento(iva);
        for (scControP& cp : iva.ocCollControPte.items()) {
            scontoPagamento(cp);
            for (scControPCDCComp& cdc : cp.ocCdcCompetenza.items())
                scontoPagamento(cdc);
        }
    }
}

void scCalcPiedeFat::ivaBlocco(BloccoValori& b, const scIva& iva) const {
    const Currency omaggi = b.odSValOmaggio + (b.odSValOmaggioPerSco - b.odScoPagamOmaggio);
    const Currency righe = b.odSVal + (b.odSValPerSco - b.odScoPagam);
    if (!iva.obIvaEsente && mbPrezziIvati) {
        b.odTotImpoImpos = righe + b.odSValIvSpese + omaggi +
                           (b.odSValIvSpesePerSco - b.odScoPagamSpese) + b.odSValOmaggioT;
        b.odImpon = scorporo(b.odTotImpoImpos, iva.odAliquota);
        b.odImpos = b.odTotImpoImpos - b.odImpon;
        b.odImpOmaggioT = scorporo(b.odSValOmaggioT, iva.odAliquota);
        b.odIvaOmaggioT = b.odSValOmaggioT - b.odImpOmaggioT;
        return;
    }
    b.odImpon = righe + b.odSValSpese + omaggi + (b.odSValSpesePerSco - b.odScoPagamSpese) +
                b.odSValOmaggioT;
    b.odImpOmaggioT = b.odSValOmaggioT;
    if (iva.obIvaEsente) {
        b.odImpos = Currency{};
        b.odIvaOmaggioT = Currency{};
    } else {
        b.odImpos = ivaDi(b.odImpon, iva.odAliquota);
        b.odIvaOmaggioT = ivaDi(b.odSValOmaggioT, iva.odAliquota);
    }
    b.odTotImpoImpos = b.odImpon + b.odImpos;
}

void scCalcPiedeFat::calcolaIva() {
    odTotIva = Currency{};
    bool scontoApplicato = false;
    for (scIva& iva : ogIve.items()) {
        iva.obForzato = false;
        ivaBlocco(iva, iva);
        if (!iva.obIvaEsente) {
            if (mbPrezziIvati)
                iva.obForzato = ivaDi(iva.odImpon, iva.odAliquota) != iva.odImpos;
            odTotIva += iva.odImpos;
        }
        iva.odBaseScoPagam = iva.odSValPerSco + iva.odSValOmaggioPerSco +
                             (mbPrezziIvati ? iva.odSValIvSpesePerSco : iva.odSValSpesePerSco);
        iva.odTotScoPagam = iva.odScoPagam + iva.odScoPagamOmaggio + iva.odScoPagamSpese;
        scontoApplicato = scontoApplicato || !iva.odTotScoPagam.isZero();

        for (scControP& cp : iva.ocCollControPte.items()) {
            ivaBlocco(cp, iva);
            BloccoValori somma;
            for (scControPCDCComp& cdc : cp.ocCdcCompetenza.items()) {
                ivaBlocco(cdc, iva);
                somma.odImpon += cdc.odImpon;
                somma.odImpos += cdc.odImpos;
                somma.odTotImpoImpos += cdc.odTotImpoImpos;
                somma.odIvaOmaggioT += cdc.odIvaOmaggioT;
                somma.odImpOmaggioT += cdc.odImpOmaggioT;
            }
            cp.odImpon = arrotonda(somma.odImpon);
            cp.odImpos = arrotonda(somma.odImpos);
            cp.odTotImpoImpos = arrotonda(somma.odTotImpoImpos);
            cp.odIvaOmaggioT = arrotonda(somma.odIvaOmaggioT);
            cp.odImpOmaggioT = arrotonda(somma.odImpOmaggioT);
        }
        restoArrotondamento(iva);
    }
    obApplScontoPag = scontoApplicato;
}

// The counter-accounts of a bucket must add up to it: the last one takes the rounding
// remainder, and the first of its cost-centre buckets that stays non-negative takes it too.
void scCalcPiedeFat::restoArrotondamento(scIva& iva) {
    if (iva.ocCollControPte.isEmpty())
        return;
    Currency sommaImpon;
    Currency sommaImpos;
    for (const scControP& cp : iva.ocCollControPte.items()) {
        sommaImpon += cp.odImpon;
        sommaImpos += cp.odImpos;
    }
    const Currency diffImpon = sommaImpon - iva.odImpon;
    const Currency diffImpos = sommaImpos - iva.odImpos;
    if (diffImpon.isZero() && diffImpos.isZero())
        return;
    scControP& ultimo = iva.ocCollControPte.last();
    ultimo.odImpon -= diffImpon;
    ultimo.odImpos -= diffImpos;
    for (scControPCDCComp& cdc : ultimo.ocCdcCompetenza.items()) {
        if (cdc.odImpon - diffImpon >= Currency{} && cdc.odImpos - diffImpos >= Currency{}) {
            cdc.odImpon -= diffImpon;
            cdc.odImpos -= diffImpos;
            break;
        }
    }
}

namespace {

// Shares of an amount by percentages that total 100: each share rounded, the last one the
// remainder, so the shares add up to the amount exactly.
std::vector<Currency> quote(Currency totale, const std::vector<Currency>& incidenze,
                            const std::function<Currency(Currency)>& arrotonda) {
    std::vector<Currency> parti(incidenze.size());
    Currency assegnato;
    for (size_t k = 0; k + 1 < incidenze.size(); ++k) {
        parti[k] = arrotonda(totale * incidenze[k] / 100);
        assegnato += parti[k];
    }
    if (!parti.empty())
        parti.back() = totale - assegnato;
    return parti;
}

}  // namespace

void scCalcPiedeFat::ripartisciSpese() {
    scIva& daRipartire = ogIve.ogIva(ivaDaRipartire());
    std::vector<scIva*> altri;
    for (scIva& iva : ogIve.items())
        if (&iva != &daRipartire)
            altri.push_back(&iva);
    if (altri.empty()) {
        registraErrore(PiedeErr::Ripartizione, QStringLiteral("Spese da ripartire in un documento "
                                                              "senza righe su cui ripartirle"));
        return;
    }

    obFattEsente =
        std::all_of(altri.begin(), altri.end(), [](const scIva* iva) { return iva->obIvaEsente; });
    Currency totale;
    for (const scIva* iva : altri)
        totale += iva->odImpon;

    // Receiving buckets and their shares in percent.
    std::vector<scIva*> riceventi;
    std::vector<Currency> incidenze;
    if (obFattEsente || totale.isZero()) {
        auto primo = std::find_if(altri.begin(), altri.end(), [&](const scIva* iva) {
            return obFattEsente || !iva->obIvaEsente;
        });
        riceventi.push_back(*primo);
        incidenze.push_back(Currency::fromInt(100));
    } else {
        Currency somma;
        for (size_t k = 0; k < altri.size(); ++k) {
            scIva& iva = *altri[k];
            iva.odIncid = k + 1 < altri.size()
                              ? arrotonda(iva.odImpon * Currency::fromInt(100) / totale)
                              : Currency::fromInt(100) - somma;
            somma += iva.odIncid;
            if (!iva.odIncid.isZero()) {
                riceventi.push_back(&iva);
                incidenze.push_back(iva.odIncid);
            }
        }
    }

    const auto arr = [this](Currency v) { return arrotonda(v); };
    const auto distribuisci = [&](const BloccoValori& da, const std::vector<BloccoValori*>& a,
                                  bool livelloIva) {
        std::vector<Currency> speseQuota(a.size());
        for (Currency BloccoValori::*campo : kAccumulatoriRipartiti) {
            const std::vector<Currency> parti = quote(da.*campo, incidenze, arr);
            for (size_t k = 0; k < a.size(); ++k) {
                a[k]->*campo += parti[k];
                if (campo == &BloccoValori::odSValSpese ||
                    campo == &BloccoValori::odSValSpesePerSco)
                    speseQuota[k] += parti[k];
            }
        }
        // VAT-inclusive expense shares carry the VAT of the receiving code.
        const std::vector<Currency> iv = quote(da.odSValIvSpese, incidenze, arr);
        const std::vector<Currency> ivPerSco = quote(da.odSValIvSpesePerSco, incidenze, arr);
        for (size_t k = 0; k < a.size(); ++k) {
            if (mbPrezziIvati) {
                const scIva& ricevente = *riceventi[k];
                const auto conIva = [&](Currency quota) {
                    return ricevente.obIvaEsente ? quota
                                                 : quota + ivaDi(quota, ricevente.odAliquota);
                };
                a[k]->odSValIvSpese += conIva(iv[k]);
                a[k]->odSValIvSpesePerSco += conIva(ivPerSco[k]);
            } else {
                a[k]->odSValIvSpese += iv[k];
                a[k]->odSValIvSpesePerSco += ivPerSco[k];
            }
            if (livelloIva)
                riceventi[k]->odSpeseRipart += speseQuota[k];
        }
    };

    std::vector<BloccoValori*> blocchi(riceventi.begin(), riceventi.end());
    distribuisci(daRipartire, blocchi, true);
    for (const scControP& cp : daRipartire.ocCollControPte.items()) {
        for (const scControPCDCComp& cdc : cp.ocCdcCompetenza.items()) {
            std::vector<BloccoValori*> centri;
            for (scIva* iva : riceventi) {
                assicuraConto(*iva, cp.osConto, cdc.osCentroDiCosto, cdc.osCompetenza);
                centri.push_back(
                    &iva->ogCdcComp(cp.osConto, cdc.osCentroDiCosto, cdc.osCompetenza));
            }
            distribuisci(cdc, centri, false);
        }
        std::vector<BloccoValori*> conti;
        for (scIva* iva : riceventi)
            conti.push_back(&iva->ogControp(cp.osConto));
        distribuisci(cp, conti, false);
    }
    ogIve.Remove(ivaDaRipartire());
}

void scCalcPiedeFat::calcolaTotali() {
    odTotMerce = odTotEsente = odTotEsenteAppBol = odTotImponibile = odTotImpOmaggi = Currency{};
    oiNumSconti = 0;
    for (const scIva& iva : ogIve.items())
        oiNumSconti = std::max(oiNumSconti, iva.oiNumSconti());
    mTotMerceSco.assign(static_cast<size_t>(oiNumSconti) + 1, Currency{});

    bool tutteEsenti = !ogIve.isEmpty();
    for (const scIva& iva : ogIve.items()) {
        const auto netto = [&](Currency v) {
            return mbPrezziIvati ? scorporo(v, iva.odAliquota) : v;
        };
        odTotMerce += netto(iva.odMerce);
        for (int i = 1; i <= oiNumSconti; ++i) {
            const Currency stadio =
                iva.oiNumSconti() == 0
                    ? iva.odMerce
                    : Currency::fromDouble(iva.odMerceSco(std::min(i, iva.oiNumSconti())));
            mTotMerceSco[static_cast<size_t>(i)] += netto(stadio);
        }
        const Currency omaggiI =
            netto(iva.odSValOmaggio + iva.odSValOmaggioPerSco - iva.odScoPagamOmaggio);
        odTotOmaggi += omaggiI + iva.odImpOmaggioT + iva.odIvaOmaggioT;
        odTotOmaggiNoIva += omaggiI + iva.odImpOmaggioT;
        if (iva.obIvaEsente) {
            odTotEsente += iva.odImpon;
            if (iva.osApplBolloEse.trimmed().compare(QLatin1String("N"), Qt::CaseInsensitive) != 0)
                odTotEsenteAppBol += iva.odImpon;
            odTotIva += iva.odImpos;
        } else {
            tutteEsenti = false;
            odTotImpOmaggi += omaggiI;
            odTotImponibile += iva.odImpon;
        }
    }
    obFattEsente = tutteEsenti;
    odTotFattura = odTotImponibile + odTotIva + odTotEsente;
}

}  // namespace evapre
