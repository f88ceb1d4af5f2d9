#include "scCalcPiedeFat.h"

#include "LogErrori.h"

#include <QStringList>

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "DbError.h"
#include "JetTranslator.h"
#include "ParametriDitta.h"
#include "PiedeSql.h"
#include "Rounding.h"
#include "RowSet.h"
#include "scCalcPiedeFatDati.h"

namespace evapre {

namespace {

bool nullo(const RowSet& riga, int colonna) {
    const QVariant v = riga.valueAt(colonna);
    return !v.isValid() || v.isNull();
}

QString competenza(const RowSet& riga, int compGiornMens, int dataCompDa) {
    if (nullo(riga, compGiornMens) || nullo(riga, dataCompDa))
        return {};
    const QString formato = QStringLiteral("dd/MM/yyyy");
    return riga.textAt(compGiornMens) + riga.date(QStringLiteral("DataCompDa")).toString(formato) +
           riga.date(QStringLiteral("DataCompA")).toString(formato);
}

// "10+5+3" → {"10", "10+5", "10+5+3"}: the chain of each stage.
QStringList catenePerStadio(const QString& sconti) {
    QStringList catene;
    QString catena;
    for (const QString& parte : sconti.split(QLatin1Char('+'))) {
        catena += (catena.isEmpty() ? QString() : QStringLiteral("+")) + parte;
        catene << catena;
    }
    return catene;
}

}  // namespace

scCalcPiedeFat::ColonneIva::ColonneIva(const RowSet& riga)
    : ivaTab(riga.columnIndex(QStringLiteral("IvaTab"))),
      descrizione(riga.columnIndex(QStringLiteral("IvaDescrizione"))),
      descrizioneBreve(riga.columnIndex(QStringLiteral("IvaDescrizioneBreve"))),
      descrMemo(riga.columnIndex(QStringLiteral("IvaDescrMemo"))),
      tipoIva(riga.columnIndex(QStringLiteral("TipoIva"))),
      applBolloEse(riga.columnIndex(QStringLiteral("ApplBolloEse"))),
      aliquota(riga.columnIndex(QStringLiteral("Aliquota"))) {}

scCalcPiedeFat::ColonneDettaglio::ColonneDettaglio(const RowSet& riga, bool livelli, bool cauzione)
    : iva(riga) {
    const auto indice = [&](const char* nome) { return riga.columnIndex(QLatin1String(nome)); };
    rigLiv = indice("RigLiv");
    omaggio = indice("Omaggio");
    valTotale = indice("ValTotale");
    valUnitario = indice("ValUnitario");
    qta = indice("Qta");
    scontoTot = indice("ScontoTot");
    flScontoPag = indice("FlScontoPag");
    codiceIva = indice("Iva");
    gruppoVen = indice("GruppoVen");
    mastroVen = indice("MastroVen");
    contoVen = indice("ContoVen");
    centroDiCosto = indice("CentroDiCosto");
    compGiornMens = indice("CompGiornMens");
    dataCompDa = indice("DataCompDa");
    beneUsato = indice("BeneUsato");
    soggRitAcc = indice("SoggRitAcc");
    if (livelli) {
        livello1 = indice("Livello1");
        livValTotale = indice("LivValTotale");
        livValUnitario = indice("LivValUnitario");
        livQta = indice("LivQta");
    }
    if (cauzione)
        artCauzione = indice("ArtCauzione");
}

scCalcPiedeFat::DatiIva scCalcPiedeFat::DatiIva::daRiga(const RowSet& riga) {
    return daRiga(riga, ColonneIva(riga));
}

scCalcPiedeFat::DatiIva scCalcPiedeFat::DatiIva::daRiga(const RowSet& riga, const ColonneIva& c) {
    DatiIva dati;
    dati.trovato = !nullo(riga, c.ivaTab);
    dati.descrizione = riga.textAt(c.descrizione);
    dati.descrizioneBreve = riga.textAt(c.descrizioneBreve);
    dati.descrMemo = riga.textAt(c.descrMemo);
    dati.tipoIva = riga.textAt(c.tipoIva);
    dati.applBolloEse = riga.textAt(c.applBolloEse);
    dati.aliquotaNulla = nullo(riga, c.aliquota);
    dati.aliquota = riga.amountAt(c.aliquota);
    dati.esente = tipoIvaEsente(dati.tipoIva);
    return dati;
}

scCalcPiedeFat::DatiIva scCalcPiedeFat::DatiIva::daRipartire() {
    DatiIva dati;
    dati.trovato = true;
    dati.descrizione = dati.descrizioneBreve = dati.descrMemo = QStringLiteral("Da ripartire");
    dati.aliquotaNulla = false;
    return dati;
}

scCalcPiedeFat::scCalcPiedeFat(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta,
                               UiServices& ui)
    : mDb(db), mParametri(parametri), mMoneta(moneta), mUi(ui), mBolli(std::make_unique<Bolli>()) {
    AzzeraVarPiede();
}

scCalcPiedeFat::~scCalcPiedeFat() = default;

void scCalcPiedeFat::setTabelle(const TabelleDocumento& tabelle) {
    osTabTesta = tabelle.testa;
    osTabDett = tabelle.dett;
    osTabLiv = tabelle.liv;
    osTabSpese = tabelle.spese;
}

void scCalcPiedeFat::AzzeraVarPiede() {
    ogIve.Clear();
    for (Currency* totale :
         {&odTotMerce,     &odTotEsente,       &odTotEsenteAppBol, &odTotSpese,
          &odTotFattura,   &odTotPagare,       &odTotImponibile,   &odTotIva,
          &odTotBolli,     &odTotImpOmaggi,    &odTotOmaggiNoIva,  &odTotOmaggi,
          &odTotImpRitAcc, &odTotImpRitAccEff, &odRitAcc,          &ouPercCassaPrev,
          &ouTotCassaPrev, &odAbbuono,         &odAcconto,         &odScontoPag,
          &odTotBolliScad})
        *totale = Currency{};
    for (QString* testo : {&osGruppoBol, &osMastroBol, &osContoBol, &osScontoPag, &osErrori,
                           &osCassaPrevGruppo, &osCassaPrevMastro, &osCassaPrevConto})
        testo->clear();
    for (bool* flag : {&obFattEsente, &obApplScontoPag, &obOmaSIvaPres, &obOmaTotPres,
                       &obBolliEsenti, &obCassaPrevNoImpon})
        *flag = false;
    ogSpese.clear();
    ogSpesePerc.clear();
    oiNumErrori = 0;
    oiNumSconti = 0;
    mTotMerceSco.assign(1, Currency{});
    mSpeseScad.assign(1, Currency{});
    mbScoPagSuDett = false;
    mbPrezziIvati = false;
    miDecimali = 2;
    mTestata = std::make_unique<Testata>();
    mSpese.clear();
}

void scCalcPiedeFat::CalcPiedeFat(int piAnno, qint32 plNumRif, bool pbCalcRitAcc,
                                  Currency pdPercRitAcc, const std::optional<QString>& pvAddBolli) {
    AzzeraVarPiede();
    miAnno = piAnno;
    mlNumRif = plNumRif;
    try {
        msPasso = QStringLiteral("Lettura testata");
        leggiParametri();
        // Nothing here writes what it reads; announced by the caller, they are not sent twice.
        if (mLettureAnnunciate != std::pair{miAnno, mlNumRif})
            AnnunciaLetture(miAnno, mlNumRif);
        mLettureAnnunciate.reset();
        if (!leggiTestata())
            return;
        msPasso = QStringLiteral("Lettura bolli");
        leggiBolli();
        msPasso = QStringLiteral("Lettura Dettagli Normali");
        if (!accumulaDettagli(pbCalcRitAcc))
            return;
        msPasso = QStringLiteral("Lettura Spese");
        const Currency baseMerce = baseMercePerSpese();
        leggiSpese();
        accumulaSpese(pbCalcRitAcc, baseMerce);
        if (mbPrezziIvati)
            CalcIvSpese();
        if (ogIve.obEsiste(ivaDaRipartire())) {
            msPasso = QStringLiteral("Ripartizione IVA spese");
            calcolaScontoPagamento();
            calcolaIva();
            ripartisciSpese();
            calcolaScontoPagamento();
            calcolaIva();
        }
        if (!pbCalcRitAcc) {
            msPasso = QStringLiteral("Calcola ritenuta d'acconto");
            calcolaRitenuta(pdPercRitAcc);
            calcolaCassaPrevidenza();
        }
        if (mbPrezziIvati)
            CalcIvSpese();
        calcolaScontoPagamento();
        calcolaIva();
        msPasso = QStringLiteral("Calcolo totali");
        calcolaTotali();
        msPasso = QStringLiteral("Calcolo Bolli");
        calcolaBolli(pvAddBolli);
        msPasso = QStringLiteral("Parte finale");
        parteFinale();
    } catch (const DbError& e) {
        registraErrore(e.number(), e.text());
    } catch (const KeyedItemsError& e) {
        registraErrore(e.number(), e.text());
    } catch (const CurrencyOverflow& e) {
        registraErrore(PiedeErr::Overflow, QString::fromUtf8(e.what()));
    } catch (const CurrencyDivisionByZero& e) {
        registraErrore(PiedeErr::Divisione, QString::fromUtf8(e.what()));
    } catch (const CurrencyFormatError& e) {
        registraErrore(PiedeErr::Tipo, QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        registraErrore(0, QString::fromUtf8(e.what()));
    }
}

void scCalcPiedeFat::AnnunciaLetture(int piAnno, qint32 plNumRif) {
    try {
        leggiParametri();
        mDb.readAhead(query().testata(mDb, piAnno, plNumRif));
        mDb.readAhead(query().dettagli(mDb, piAnno, plNumRif));
        mDb.readAhead(query().spese(mDb, piAnno, plNumRif));
        mLettureAnnunciate = std::pair{piAnno, plNumRif};
    } catch (const DbError&) {
        // Only an announcement: the reads meet the error again and report it.
    }
}

void scCalcPiedeFat::registraErrore(int numero, const QString& descrizione) {
    LogErrori::AggiungiA(osErrori, oiNumErrori, numero, descrizione,
                         QStringLiteral(" CalcPiedeFat (") + msPasso + QStringLiteral(") "));
}

void scCalcPiedeFat::leggiParametri() {
    if (mbParametriLetti)
        return;
    mbGesTaglie = flagSi(mParametri.company(QStringLiteral("Mag.GesTaglie")));
    msContoVenDefault = mParametri.company(QStringLiteral("CauCon.GruppoVen")) +
                        mParametri.company(QStringLiteral("CauCon.MastroVen")) +
                        mParametri.company(QStringLiteral("CauCon.ContoVen"));
    mbGestVuotiCauz =
        flagSi(mParametri.personal(QStringLiteral("Fatture"), QStringLiteral("GestVuotiCauz")));
    mbCassaPrevNoImpon =
        flagSi(mParametri.personal(QStringLiteral("Tutti"), QStringLiteral("CassaPrevNoImpon")));
    mbOnlus = flagSi(mParametri.company(QStringLiteral("Fat.Onlus")));
    mbParametriLetti = true;
}

const PiedeSql::Query& scCalcPiedeFat::query() {
    const TabelleDocumento tabelle{osTabTesta, osTabDett, osTabLiv, osTabSpese};
    if (!mQuery || !mQuery->per(tabelle, mbGesTaglie, !mbGestVuotiCauz))
        mQuery = std::make_unique<PiedeSql::Query>(tabelle, mbGesTaglie, !mbGestVuotiCauz);
    return *mQuery;
}

bool scCalcPiedeFat::leggiTestata() {
    obCassaPrevNoImpon = mbCassaPrevNoImpon;
    auto riga = mDb.openRowSet(query().testata(mDb, miAnno, mlNumRif));
    if (riga->eof()) {
        registraErrore(PiedeErr::NessunRecord,
                       QStringLiteral("Non è stata trovata la testata del doc. ") +
                           QString::number(mlNumRif) + QLatin1Char(' ') + QString::number(miAnno));
        return false;
    }
    Testata& t = *mTestata;
    t.scoPagSuDett = flagSi(riga->text(QStringLiteral("ScoPagSuDett")));
    mbScoPagSuDett = t.scoPagSuDett;
    t.regimeMargine = riga->text(QStringLiteral("RegimeMargine")).trimmed();
    mbPrezziIvati = flagSi(riga->text(QStringLiteral("PrezziIvati")));
    // A currency missing from Monete has two decimals.
    miDecimali = riga->isNull(QStringLiteral("NumDec"))
                     ? 2
                     : static_cast<int>(riga->integer(QStringLiteral("NumDec")));
    t.moneta = riga->text(QStringLiteral("Moneta")).trimmed();
    t.lire = !t.moneta.isEmpty() &&
             t.moneta.compare(mMoneta.settings().codLira, Qt::CaseInsensitive) == 0;
    t.tipoEffetto = riga->text(QStringLiteral("TipoEffetto")).trimmed();
    t.addBolli = riga->text(QStringLiteral("AddBolli"));
    t.numScad = static_cast<int>(riga->integer(QStringLiteral("NumScad")));
    odAcconto = riga->amount(QStringLiteral("Acconto"));
    if (riga->hasColumn(QStringLiteral("Abbuono"))) {
        odAbbuono = riga->amount(QStringLiteral("Abbuono"));
        t.bolli = riga->text(QStringLiteral("Bolli"));
    }
    if (riga->hasColumn(QStringLiteral("Peso")))
        t.peso = riga->amount(QStringLiteral("Peso"));
    t.dataRif = riga->date(QStringLiteral("DataRif"));
    t.gruppo = riga->text(QStringLiteral("GruppoCli"));
    t.mastro = riga->text(QStringLiteral("MastroCli"));
    t.conto = riga->text(QStringLiteral("ContoCli"));
    t.pagamento = riga->text(QStringLiteral("Pagamento"));
    t.percRitAcc = riga->amount(QStringLiteral("PercRitAcc"));
    t.segno = riga->text(QStringLiteral("Segno")).trimmed();
    osScontoPag = riga->text(QStringLiteral("ScontoPag")).trimmed();
    odScontoPag = Currency{};
    if (!osScontoPag.isEmpty()) {
        bool nonValido = false;
        const double perc =
            AziendaUtil::ConvertiCatenaSconti(osScontoPag, Currency::kDecimals, 0.0, nonValido);
        if (nonValido)
            registraErrore(PiedeErr::Tipo, AziendaUtil::TestoScontoNonValido(osScontoPag));
        else
            odScontoPag = Currency::fromDouble(perc);
    }
    return true;
}

void scCalcPiedeFat::leggiBolli() {
    Bolli& b = *mBolli;
    if (!b.letti) {
        auto riga = mDb.openRowSet(PiedeSql::bolli());
        if (!riga->eof()) {
            b.codEseBollo = riga->text(QStringLiteral("CodEseBollo"));
            b.iva = DatiIva::daRiga(*riga);
            b.gruppo = riga->text(QStringLiteral("GruppoBol"));
            b.mastro = riga->text(QStringLiteral("MastroBol"));
            b.conto = riga->text(QStringLiteral("ContoBol"));
            b.percBolloTratte = riga->amount(QStringLiteral("PercBolloTratte"));
            leggiImportiBolli(*riga, QString(), b.euro);
            leggiImportiBolli(*riga, QStringLiteral("Lire"), b.lire);
        }
        b.letti = true;
    }
    osGruppoBol = b.gruppo;
    osMastroBol = b.mastro;
    osContoBol = b.conto;
}

void scCalcPiedeFat::leggiImportiBolli(const RowSet& riga, const QString& lire,
                                       ImportiBolli& importi) {
    importi.maxNoBollo = riga.amount(QStringLiteral("MaxNoBollo") + lire);
    importi.bolloEsente = riga.amount(QStringLiteral("BolloEsente") + lire);
    importi.arrotond = riga.amount(QStringLiteral("Arrotond") + lire);
    for (size_t k = 0; k < importi.scaglione.size(); ++k) {
        const QString n = QString::number(k + 1);
        importi.scaglione[k] =
            riga.amount(QStringLiteral("Sca") + n + QStringLiteral("BolRB") + lire);
        importi.bollo[k] = riga.amount(QStringLiteral("Bollo") + n + QStringLiteral("RB") + lire);
    }
}

const scCalcPiedeFat::ImportiBolli& scCalcPiedeFat::importiBolli() const {
    return mTestata->lire ? mBolli->lire : mBolli->euro;
}

bool scCalcPiedeFat::accumulaDettagli(bool pbCalcRitAcc) {
    auto righe = mDb.openRowSet(query().dettagli(mDb, miAnno, mlNumRif));
    if (righe->eof() && obErrNoDett) {
        registraErrore(PiedeErr::NessunRecord, QStringLiteral("Documento senza dettagli: ") +
                                                   QString::number(mlNumRif) + QLatin1Char(' ') +
                                                   QString::number(miAnno));
        return false;
    }
    if (righe->eof())
        return true;
    const ColonneDettaglio colonne(*righe, mbGesTaglie, !mbGestVuotiCauz);
    for (; !righe->eof(); righe->moveNext()) {
        if (pbCalcRitAcc && !flagSi(righe->textAt(colonne.soggRitAcc)))
            continue;
        accumulaRiga(*righe, colonne);
    }
    return true;
}

scIva& scCalcPiedeFat::bucketIva(const QString& chiave, const DatiIva& dati) {
    if (scIva* esistente = ogIve.trova(chiave))
        return *esistente;
    scIva& iva = ogIve.AddIva(chiave);
    iva.osDescrizione = dati.descrizioneBreve;
    iva.osDescrLunga = dati.descrizione;
    iva.osDescrMemo = dati.descrMemo;
    iva.osTipoIva = dati.tipoIva;
    iva.odAliquota = dati.aliquota;
    iva.obIvaEsente = dati.esente;
    iva.osApplBolloEse = dati.applBolloEse;
    return iva;
}

void scCalcPiedeFat::assicuraConto(scIva& iva, const QString& conto, const QString& cdc,
                                   const QString& comp) {
    livelliConto(iva, conto, cdc, comp);
}

// The counter-account of a VAT bucket and its cost-centre level, added when missing: each
// found by one search.
std::pair<BloccoValori&, BloccoValori&> scCalcPiedeFat::livelliConto(scIva& iva,
                                                                     const QString& conto,
                                                                     const QString& cdc,
                                                                     const QString& comp) {
    scControP* cp = iva.ocCollControPte.find(conto);
    if (!cp) {
        scControP& nuovo = iva.AddControP(conto, cdc, comp);
        return {nuovo, nuovo.ogCdcComp(cdc, comp)};
    }
    const QString chiave = scControPCDCComp::chiave(cdc, comp);
    scControPCDCComp* livello = cp->ocCdcCompetenza.find(chiave);
    return {*cp, livello ? *livello : cp->AddCdcComp(cdc, comp)};
}

void scCalcPiedeFat::aggiungiIva(scIva& iva, const QString& conto, const QString& cdc,
                                 const QString& comp, Currency BloccoValori::*campo,
                                 Currency importo) {
    aggiungiIva(iva, iva.bloccoCP(conto, true, cdc, comp), iva.bloccoCP(conto, false, cdc, comp),
                campo, importo);
}

void scCalcPiedeFat::aggiungiIva(scIva& iva, BloccoValori& conto, BloccoValori& cdc,
                                 Currency BloccoValori::*campo, Currency importo) {
    iva.*campo += importo;
    conto.*campo += importo;
    cdc.*campo += importo;
}

void scCalcPiedeFat::accumulaRiga(const RowSet& riga, const ColonneDettaglio& c) {
    const QString omaggio = riga.textAt(c.omaggio).trimmed().toUpper();
    if (omaggio == QLatin1String("I"))
        obOmaSIvaPres = true;
    else if (omaggio == QLatin1String("S"))
        obOmaTotPres = true;

    QString conto =
        (riga.textAt(c.gruppoVen) + riga.textAt(c.mastroVen) + riga.textAt(c.contoVen)).trimmed();
    if (conto.isEmpty())
        conto = msContoVenDefault;
    const QString cdc = riga.textAt(c.centroDiCosto);
    const QString comp = competenza(riga, c.compGiornMens, c.dataCompDa);

    const QString codiceIva = riga.textAt(c.codiceIva);
    QString chiave = codiceIva;
    const QString beneUsato = riga.textAt(c.beneUsato);
    if (flagSi(beneUsato) && flagSi(mTestata->regimeMargine))
        chiave += QStringLiteral("~§") + beneUsato;

    const QString numeroRiga = riga.textAt(c.rigLiv);
    const DatiIva dati = DatiIva::daRiga(riga, c.iva);
    if (!dati.trovato)
        registraErrore(PiedeErr::NessunRecord,
                       QStringLiteral("Codice IVA \"%1\" non trovato in TabIva "
                                      "(riga %2)")
                           .arg(codiceIva, numeroRiga));
    else if (dati.aliquotaNulla && !dati.esente)
        registraErrore(PiedeErr::Null,
                       QStringLiteral("Aliquota mancante per il codice IVA \"%1\"").arg(codiceIva));

    const bool conLivello = mbGesTaglie && !riga.textAt(c.livello1).trimmed().isEmpty();
    const int colonnaValore = conLivello ? c.livValTotale : c.valTotale;
    if (nullo(riga, colonnaValore)) {
        registraErrore(PiedeErr::Null,
                       QStringLiteral("Valore mancante (ValTotale) nella riga %1").arg(numeroRiga));
        return;
    }
    const Currency valore = arrotonda(riga.amountAt(colonnaValore));

    scIva& iva = bucketIva(chiave, dati);
    // Both levels of the line's counter-account, found once for the two amounts below.
    const auto [livelloConto, livelloCdc] = livelliConto(iva, conto, cdc, comp);

    const bool perSco =
        !odScontoPag.isZero() && mbScoPagSuDett && flagSi(riga.textAt(c.flScontoPag));
    Currency BloccoValori::*campo = nullptr;
    if (omaggio == QLatin1String("I"))
        campo = perSco ? &BloccoValori::odSValOmaggioPerSco : &BloccoValori::odSValOmaggio;
    else if (omaggio == QLatin1String("S"))
        campo = &BloccoValori::odSValOmaggioT;
    else
        campo = perSco ? &BloccoValori::odSValPerSco : &BloccoValori::odSVal;
    aggiungiIva(iva, livelloConto, livelloCdc, campo, valore);

    // Any line that is not a gift is goods (a blank Omaggio counts as "N").
    const bool merce = omaggio != QLatin1String("I") && omaggio != QLatin1String("S");
    const bool cauzione = !mbGestVuotiCauz && flagSi(riga.textAt(c.artCauzione));
    if (merce && !cauzione) {
        accumulaSconti(iva, riga, c, valore, conLivello);
        aggiungiIva(iva, livelloConto, livelloCdc, &BloccoValori::odMerce, valore);
    }
}

// Adds the line's goods value after each discount stage of its chain; called before the
// value enters odMerce, so odMerce is still the goods of the earlier lines.
void scCalcPiedeFat::accumulaSconti(scIva& iva, const RowSet& riga, const ColonneDettaglio& c,
                                    Currency valore, bool conLivello) {
    const QString sconti = riga.textAt(c.scontoTot).trimmed();
    QStringList catene;
    if (!sconti.isEmpty() && sconti != QLatin1String("0"))
        catene = catenePerStadio(sconti);
    const int stadi = static_cast<int>(catene.size());
    if (stadi > iva.oiNumSconti()) {
        const bool primaVolta = iva.oiNumSconti() == 0;
        iva.PrepMerceSco(stadi);
        // Goods of earlier lines without a chain stay undiscounted at every stage.
        if (primaVolta)
            for (int i = 1; i <= stadi; ++i)
                iva.setOdMerceSco(i, iva.odMerce.toDouble());
    }
    const Currency unitario = riga.amountAt(conLivello ? c.livValUnitario : c.valUnitario);
    const Currency qta = riga.amountAt(conLivello ? c.livQta : c.qta);
    for (int i = 1; i <= iva.oiNumSconti(); ++i) {
        Currency valoreStadio = valore;
        if (i < stadi) {
            bool nonValido = false;
            const double perc = AziendaUtil::ConvertiCatenaSconti(
                catene[i - 1], AziendaUtil::NessunArrotondamento, 0.0, nonValido);
            if (!nonValido)
                valoreStadio = AziendaUtil::Sconto(unitario * qta, perc, miDecimali);
        }
        iva.setOdMerceSco(i, iva.odMerceSco(i) + valoreStadio.toDouble());
    }
}

Currency scCalcPiedeFat::baseMercePerSpese() const {
    Currency base;
    for (const scIva& iva : ogIve.items())
        base += mbPrezziIvati ? scorporo(iva.odMerce, iva.odAliquota) : iva.odMerce;
    return base;
}

void scCalcPiedeFat::leggiSpese() {
    auto righe = mDb.openRowSet(query().spese(mDb, miAnno, mlNumRif));
    for (; !righe->eof(); righe->moveNext()) {
        const RowSet& r = *righe;
        RigaSpesa s;
        s.riga = static_cast<int>(r.integer(QStringLiteral("Riga")));
        s.spesa = r.text(QStringLiteral("Spesa"));
        s.spesaTrovata = !r.isNull(QStringLiteral("SpesaTab"));
        s.iva = r.text(QStringLiteral("Iva"));
        s.datiIva = DatiIva::daRiga(r);
        s.tipoAddebito = r.text(QStringLiteral("TipoAddebito")).trimmed().toUpper();
        s.rifStampa = r.text(QStringLiteral("RifStampa")).trimmed().toUpper();
        s.soggScontoPagam = r.text(QStringLiteral("SoggScontoPagam"));
        s.soggRitAcc = r.text(QStringLiteral("SoggRitAcc"));
        s.cassaPrev = flagSi(r.text(QStringLiteral("CassaPrev")));
        s.percentuale = r.amount(QStringLiteral("Percentuale"));
        s.importoNullo = r.isNull(QStringLiteral("Importo"));
        s.importo = r.amount(QStringLiteral("Importo"));
        s.importoMax = r.amount(QStringLiteral("ImportoMax"));
        s.importoMin = r.amount(QStringLiteral("ImportoMin"));
        s.gruppo = r.text(QStringLiteral("SpesaGruppo"));
        s.mastro = r.text(QStringLiteral("SpesaMastro"));
        s.contoSolo = r.text(QStringLiteral("SpesaConto"));
        s.conto = s.gruppo + s.mastro + s.contoSolo;
        mSpese.push_back(std::move(s));
    }
}

void scCalcPiedeFat::accumulaSpese(bool pbCalcRitAcc, Currency baseMerce) {
    for (const RigaSpesa& spesa : mSpese) {
        if (spesa.cassaPrev)
            continue;
        if (pbCalcRitAcc && !flagSi(spesa.soggRitAcc))
            continue;
        accumulaSpesa(spesa, baseMerce);
    }
}

void scCalcPiedeFat::accumulaSpesa(const RigaSpesa& spesa, Currency baseMerce) {
    if (!spesa.spesaTrovata) {
        registraErrore(PiedeErr::NessunRecord,
                       QStringLiteral("Spesa \"%1\" non trovata (riga spese %2)")
                           .arg(spesa.spesa)
                           .arg(spesa.riga));
        return;
    }
    const bool daRipartire = spesa.rifStampa == QLatin1String("R");
    if (!daRipartire && !spesa.datiIva.trovato)
        registraErrore(PiedeErr::NessunRecord,
                       QStringLiteral("Codice IVA \"%1\" non trovato in TabIva (spesa %2)")
                           .arg(spesa.iva, spesa.spesa));

    Currency importo;
    if (spesa.tipoAddebito == QLatin1String("P")) {
        importo = limita(percentualeDi(baseMerce, spesa.percentuale, QLatin1Char('A')), spesa);
        ogSpesePerc.aggiungi(QString::number(spesa.riga), importo);
    } else if (spesa.tipoAddebito == QLatin1String("S")) {
        importo = limita(arrotonda(mTestata->peso * spesa.importo), spesa);
        ogSpesePerc.aggiungi(QString::number(spesa.riga), importo);
    } else {
        if (spesa.importoNullo) {
            registraErrore(PiedeErr::Null,
                           QStringLiteral("Importo mancante nella spesa \"%1\" (riga "
                                          "spese %2)")
                               .arg(spesa.spesa)
                               .arg(spesa.riga));
            return;
        }
        importo = arrotonda(spesa.importo);
    }

    const QString chiave = daRipartire ? ivaDaRipartire() : spesa.iva;
    scIva& iva = bucketIva(chiave, daRipartire ? DatiIva::daRipartire() : spesa.datiIva);
    assicuraConto(iva, spesa.conto, {}, {});
    const bool perSco = !odScontoPag.isZero() && mbScoPagSuDett && flagSi(spesa.soggScontoPagam);
    if (perSco) {
        importo = menoPercento(importo, odScontoPag);
        aggiungiIva(iva, spesa.conto, {}, {}, &BloccoValori::odSValSpesePerSco, importo);
    } else {
        aggiungiIva(iva, spesa.conto, {}, {}, &BloccoValori::odSValSpese, importo);
    }
    ogSpese.aggiungi(spesa.conto, importo);
    odTotSpese += importo;
}

Currency scCalcPiedeFat::limita(Currency importo, const RigaSpesa& spesa) const {
    if (spesa.importoMax > Currency{} && importo > spesa.importoMax)
        importo = spesa.importoMax;
    if (spesa.importoMin > Currency{} && importo < spesa.importoMin)
        importo = spesa.importoMin;
    return importo;
}

Currency scCalcPiedeFat::arrotonda(Currency importo) const {
    return Arrotonda(importo, QLatin1Char('A'), miDecimali);
}

Currency scCalcPiedeFat::ivaDi(Currency imponibile, Currency aliquota) const {
    return mMoneta.ImportoIva(imponibile, aliquota, miDecimali);
}

Currency scCalcPiedeFat::scorporo(Currency lordo, Currency aliquota) const {
    return mMoneta.ScorporaIva(lordo, aliquota, miDecimali);
}

Currency scCalcPiedeFat::menoPercento(Currency importo, Currency percentuale) const {
    return AziendaUtil::Sconto(importo, percentuale.toDouble(), miDecimali);
}

// base × percentuale / 100 rounded to the document decimals: the product is exact at four
// decimals, and rounding it two places earlier then dividing by 100 rounds only once.
Currency scCalcPiedeFat::percentualeDi(Currency base, Currency percentuale, QChar modo) const {
    return Arrotonda(base * percentuale, modo, miDecimali - 2) / 100;
}

Currency scCalcPiedeFat::odTotMerceSco(int i) const {
    if (i < 1 || i > oiNumSconti || static_cast<size_t>(i) >= mTotMerceSco.size())
        return {};
    return mTotMerceSco[static_cast<size_t>(i)];
}

Currency scCalcPiedeFat::odSpeseScad(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= mSpeseScad.size())
        throw KeyedItemsError(KeyedErr::OutOfRange,
                              QStringLiteral("Indice fuori dall'intervallo: %1").arg(i));
    return mSpeseScad[static_cast<size_t>(i)];
}

void scCalcPiedeFat::setOdSpeseScad(int i, Currency value) {
    if (i < 0)
        throw KeyedItemsError(KeyedErr::OutOfRange,
                              QStringLiteral("Indice fuori dall'intervallo: %1").arg(i));
    if (static_cast<size_t>(i) >= mSpeseScad.size())
        mSpeseScad.resize(static_cast<size_t>(i) + 1);
    mSpeseScad[static_cast<size_t>(i)] = value;
}

int scCalcPiedeFat::oiSpeseScadNum() const {
    if (mSpeseScad.size() == 1 && mSpeseScad[0].isZero())
        return 0;
    return static_cast<int>(mSpeseScad.size()) - 1;
}

}  // namespace evapre
