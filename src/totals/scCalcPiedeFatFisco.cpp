// Fiscal additions to the footer: withholding tax, pension-fund contribution, stamp duty,
// and the amount to pay.

#include <QVector>
#include <algorithm>

#include "AziendaUtil.h"
#include "Rounding.h"
#include "ScadUtil.h"
#include "UiServices.h"
#include "scCalcPiedeFat.h"
#include "scCalcPiedeFatDati.h"

namespace evapre {

void scCalcPiedeFat::calcolaRitenuta(Currency pdPercRitAcc) {
    const Currency percentuale = pdPercRitAcc < Currency{} ? mTestata->percRitAcc : pdPercRitAcc;
    if (arrotonda(percentuale).isZero()) {
        odRitAcc = odTotImpRitAcc = odTotImpRitAccEff = Currency{};
        return;
    }
    CalcRitAcc(percentuale, miDecimali);
}

// The base is what a second calculation, over the rows subject to withholding only, finds
// taxable or exempt.
void scCalcPiedeFat::CalcRitAcc(Currency pdPercRitAcc, int piDecimali) {
    scCalcPiedeFat soggetti(mDb, mParametri, mMoneta, mUi);
    soggetti.setTabelle({osTabTesta, osTabDett, osTabLiv, osTabSpese});
    soggetti.obErrNoDett = obErrNoDett;
    soggetti.osTipoGest = osTipoGest;
    soggetti.CalcPiedeFat(miAnno, mlNumRif, true, Currency::fromInt(-1));
    if (soggetti.oiNumErrori > 0) {
        mUi.message(QStringLiteral("Totali ritenuta d'acconto non aggiornati") + QLatin1Char('\n') +
                        soggetti.osErrori,
                    {QStringLiteral("&Ok")}, 1, MsgIcon::Warning);
        return;
    }
    const Currency base = soggetti.odTotEsente + soggetti.odTotImponibile;
    odTotImpRitAcc = odTotImpRitAccEff = base;
    odRitAcc = Arrotonda(base * pdPercRitAcc, QLatin1Char('A'), piDecimali - 2) / 100;
}

void scCalcPiedeFat::calcolaCassaPrevidenza() {
    ouPercCassaPrev = ouTotCassaPrev = Currency{};
    for (const RigaSpesa& spesa : mSpese) {
        if (!spesa.cassaPrev)
            continue;
        if (!spesa.datiIva.trovato && !obCassaPrevNoImpon)
            registraErrore(PiedeErr::NessunRecord,
                           QStringLiteral("Codice IVA \"%1\" non trovato in TabIva (spesa %2)")
                               .arg(spesa.iva, spesa.spesa));
        ouPercCassaPrev = spesa.percentuale;
        const Currency importo =
            limita(percentualeDi(odTotImpRitAcc, spesa.percentuale, QLatin1Char('A')), spesa);
        ogSpesePerc.aggiungi(QString::number(spesa.riga),
                             obCassaPrevNoImpon ? Currency{} : importo);
        ouTotCassaPrev += importo;
        osCassaPrevGruppo = spesa.gruppo;
        osCassaPrevMastro = spesa.mastro;
        osCassaPrevConto = spesa.contoSolo;
        if (obCassaPrevNoImpon)
            continue;
        scIva& iva = bucketIva(spesa.iva, spesa.datiIva);
        assicuraConto(iva, spesa.conto, {}, {});
        aggiungiIva(iva, spesa.conto, {}, {}, &BloccoValori::odSValSpese, importo);
        ogSpese.aggiungi(spesa.conto, importo);
        odTotSpese += importo;
    }
}

// The amount to pay before the stamp duty on instalments.
Currency scCalcPiedeFat::totalePagareProvvisorio() const {
    Currency totale = odTotFattura - odAbbuono - odAcconto - odTotOmaggi - odRitAcc;
    if (obCassaPrevNoImpon)
        totale -= ouTotCassaPrev;
    return totale;
}

Currency scCalcPiedeFat::bolloTratta(Currency rata) const {
    const Currency bollo = rata * mBolli->percBolloTratte;
    const Currency passo = importiBolli().arrotond;
    if (passo > Currency{})
        return ArrotondaPasso(bollo, QLatin1Char('S'), passo * 1000) / 1000;
    return Arrotonda(bollo, QLatin1Char('S'), miDecimali - 3) / 1000;
}

// The stamp of the first bracket whose threshold the instalment does not exceed.
Currency scCalcPiedeFat::bolloRicevuta(Currency rata) const {
    const ImportiBolli& importi = importiBolli();
    for (size_t k = 0; k < importi.scaglione.size(); ++k)
        if (rata <= importi.scaglione[k])
            return importi.bollo[k];
    return {};
}

// Stamps of bills of exchange by the document's payment schedule; false when no schedule
// could be made (the reasons are in the error text).
bool scCalcPiedeFat::bolliTratteDaScadenze(Currency daPagare, Currency& totale) {
    ScadUtil scadenze(mDb);
    QVector<QDate> date;
    QVector<Currency> rate;
    QString errore;
    int64_t passo = 1;  // one unit of the last decimal of the document currency
    for (int d = miDecimali; d < Currency::kDecimals; ++d)
        passo *= 10;
    const Testata& t = *mTestata;
    if (!scadenze.CalcolaScadenze(t.dataRif, t.pagamento, t.gruppo, t.mastro, t.conto, daPagare,
                                  QLatin1Char('A'), Currency::fromRaw(passo),
                                  ImportiDocumento{odTotIva}, date, rate, errore)) {
        registraErrore(PiedeErr::NessunRecord, errore.trimmed());
        return false;
    }
    mSpeseScad.assign(static_cast<size_t>(rate.size()) + 1, Currency{});
    for (int i = 0; i < rate.size(); ++i) {
        const Currency bollo = bolloTratta(rate[i]);
        mSpeseScad[static_cast<size_t>(i) + 1] = bollo;
        odTotBolliScad += bollo;
    }
    totale = odTotBolliScad;
    return true;
}

Currency scCalcPiedeFat::bolliRate() {
    const Testata& t = *mTestata;
    const int n = t.numScad;
    if (n <= 0)
        return {};
    const Currency daPagare = totalePagareProvvisorio();
    const Currency rata = arrotonda(daPagare / n);
    if (t.tipoEffetto == QLatin1String("3")) {
        const bool rigaBolli = std::any_of(mSpese.begin(), mSpese.end(), [](const RigaSpesa& s) {
            return s.tipoAddebito == QLatin1String("T");
        });
        if (rigaBolli) {
            Currency totale;
            bolliTratteDaScadenze(daPagare, totale);
            return totale;
        }
        return bolloTratta(rata) * n;
    }
    if (t.tipoEffetto == QLatin1String("1"))
        return bolloRicevuta(rata) * n;
    return {};
}

void scCalcPiedeFat::calcolaBolli(const std::optional<QString>& pvAddBolli) {
    odTotBolli = odTotBolliScad = Currency{};
    mSpeseScad.assign(1, Currency{});
    const Bolli& b = *mBolli;
    obBolliEsenti =
        ogIve.obEsiste(b.codEseBollo) ? ogIve.ogIva(b.codEseBollo).obIvaEsente : b.iva.esente;
    const bool aggiungi = flagSi(pvAddBolli ? *pvAddBolli : mTestata->bolli);
    if (!aggiungi)
        return;
    const bool notaCredito = mTestata->segno == QLatin1String("-");

    const ImportiBolli& importi = importiBolli();
    if (odTotEsenteAppBol > Currency{} && odTotEsenteAppBol > importi.maxNoBollo && !mbOnlus) {
        const Currency bollo = notaCredito ? -importi.bolloEsente : importi.bolloEsente;
        aggiungiBollo(bollo);
    }
    if (!notaCredito && flagSi(mTestata->addBolli))
        aggiungiBollo(bolliRate());
    if (!arrotonda(odTotBolli).isZero())
        bolliNelRiepilogo();
}

void scCalcPiedeFat::aggiungiBollo(Currency bollo) {
    odTotFattura += bollo;
    if (obBolliEsenti)
        odTotEsente += bollo;
    odTotBolli += bollo;
}

void scCalcPiedeFat::bolliNelRiepilogo() {
    const Bolli& b = *mBolli;
    const bool nuovo = !ogIve.obEsiste(b.codEseBollo);
    scIva& iva = bucketIva(b.codEseBollo, b.iva);
    if (nuovo)
        iva.obIvaEsente = obBolliEsenti;
    const QString conto = osGruppoBol + osMastroBol + osContoBol;
    assicuraConto(iva, conto, {}, {});
    aggiungiIva(iva, conto, {}, {}, &BloccoValori::odSVal, odTotBolli);
    aggiungiIva(iva, conto, {}, {}, &BloccoValori::odImpon, odTotBolli);
    iva.obIvaBolli = true;
}

void scCalcPiedeFat::parteFinale() {
    odTotPagare = totalePagareProvvisorio();
}

}  // namespace evapre
