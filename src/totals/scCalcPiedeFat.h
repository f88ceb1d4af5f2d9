#pragma once

#include <QDate>
#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "Currency.h"
#include "TabelleDocumento.h"
#include "TotaliPerChiave.h"
#include "scIve.h"

namespace evapre {

class AziendaUtil;
class DbConnection;
namespace PiedeSql {
class Query;
}
class ParametriDitta;
class RowSet;
class UiServices;

// Computes the footer of a stored sales or purchase document: goods, expenses, the VAT
// summary by code, counter-account and cost centre, payment discount, gifts, withholding tax,
// pension fund, stamp duty, total and amount to pay. It only reads the document; the caller
// writes the results. One instance serves many documents: every calculation starts afresh.
class scCalcPiedeFat {
  public:
    scCalcPiedeFat(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta,
                   UiServices& ui);
    ~scCalcPiedeFat();
    scCalcPiedeFat(const scCalcPiedeFat&) = delete;
    scCalcPiedeFat& operator=(const scCalcPiedeFat&) = delete;

    void setTabelle(const TabelleDocumento& tabelle);

    // Inside a transaction on a server: the document's header, lines and expenses are sent
    // with the next statement, so that CalcPiedeFat of the same document, called next, reads
    // them without round trips of their own. The caller writes none of them before it.
    // Elsewhere, or when the settings cannot be read (CalcPiedeFat reports it), it does nothing.
    void AnnunciaLetture(int piAnno, qint32 plNumRif);
    // pdPercRitAcc below 0 takes the header's PercRitAcc; pvAddBolli replaces the header's
    // Bolli flag. In withholding mode (pbCalcRitAcc) only rows subject to withholding count.
    void CalcPiedeFat(int piAnno, qint32 plNumRif, bool pbCalcRitAcc = false,
                      Currency pdPercRitAcc = Currency::fromInt(-1),
                      const std::optional<QString>& pvAddBolli = std::nullopt);
    void AzzeraVarPiede();
    void CalcIvSpese();
    void CalcRitAcc(Currency pdPercRitAcc, int piDecimali);

    // Goods total after discount stage i (1..oiNumSconti), 0 outside.
    Currency odTotMerceSco(int i) const;
    // Stamp duty per instalment (1..oiSpeseScadNum).
    Currency odSpeseScad(int i) const;
    void setOdSpeseScad(int i, Currency value);
    int oiSpeseScadNum() const;

    scIve ogIve;
    Currency odTotMerce;
    Currency odTotEsente;
    Currency odTotEsenteAppBol;
    Currency odTotSpese;
    Currency odTotFattura;
    Currency odTotPagare;
    Currency odTotImponibile;
    Currency odTotIva;
    Currency odTotBolli;
    Currency odTotImpOmaggi;
    Currency odTotOmaggiNoIva;
    Currency odTotOmaggi;
    Currency odTotImpRitAcc;
    Currency odTotImpRitAccEff;
    Currency odRitAcc;
    Currency ouPercCassaPrev;
    Currency ouTotCassaPrev;
    Currency odAbbuono;
    Currency odAcconto;
    bool obFattEsente = false;
    QString osGruppoBol;
    QString osMastroBol;
    QString osContoBol;
    Currency odScontoPag;
    QString osScontoPag;
    bool obApplScontoPag = false;
    TotaliPerChiave ogSpese;
    TotaliPerChiave ogSpesePerc;
    bool obOmaSIvaPres = false;
    bool obOmaTotPres = false;
    QString osTabTesta;
    QString osTabDett;
    QString osTabLiv;
    QString osTabSpese;
    Currency odTotBolliScad;
    bool obBolliEsenti = false;
    QString osTipoGest;
    bool obErrNoDett = false;
    QString osErrori;
    int oiNumErrori = 0;
    int oiNumSconti = 0;
    bool obCassaPrevNoImpon = false;
    QString osCassaPrevGruppo;
    QString osCassaPrevMastro;
    QString osCassaPrevConto;

    // The bucket of the expenses to be distributed over the VAT codes.
    static QString ivaDaRipartire() { return QStringLiteral("~§~Ç"); }

  private:
    struct Testata;
    struct Bolli;
    struct ImportiBolli;
    struct RigaSpesa;
    struct DatiIva;
    struct ColonneIva;
    struct ColonneDettaglio;

    // Steps
    bool leggiTestata();
    void leggiParametri();
    void leggiBolli();
    static void leggiImportiBolli(const RowSet& riga, const QString& lire, ImportiBolli& importi);
    const ImportiBolli& importiBolli() const;
    bool accumulaDettagli(bool pbCalcRitAcc);
    void accumulaRiga(const RowSet& riga, const ColonneDettaglio& c);
    void accumulaSconti(scIva& iva, const RowSet& riga, const ColonneDettaglio& c, Currency valore,
                        bool conLivello);
    Currency baseMercePerSpese() const;
    void leggiSpese();
    void accumulaSpese(bool pbCalcRitAcc, Currency baseMerce);
    void accumulaSpesa(const RigaSpesa& spesa, Currency baseMerce);
    void calcolaScontoPagamento();
    void calcolaIva();
    void ripartisciSpese();
    void calcolaRitenuta(Currency pdPercRitAcc);
    void calcolaCassaPrevidenza();
    void calcolaTotali();
    void calcolaBolli(const std::optional<QString>& pvAddBolli);
    Currency bolliRate();
    bool bolliTratteDaScadenze(Currency daPagare, Currency& totale);
    Currency bolloTratta(Currency rata) const;
    Currency bolloRicevuta(Currency rata) const;
    void aggiungiBollo(Currency bollo);
    void bolliNelRiepilogo();
    void parteFinale();

    // Buckets
    scIva& bucketIva(const QString& chiave, const DatiIva& dati);
    void assicuraConto(scIva& iva, const QString& conto, const QString& cdc, const QString& comp);
    std::pair<BloccoValori&, BloccoValori&> livelliConto(scIva& iva, const QString& conto,
                                                         const QString& cdc, const QString& comp);
    void aggiungiIva(scIva& iva, const QString& conto, const QString& cdc, const QString& comp,
                     Currency BloccoValori::*campo, Currency importo);
    void aggiungiIva(scIva& iva, BloccoValori& conto, BloccoValori& cdc,
                     Currency BloccoValori::*campo, Currency importo);

    // Arithmetic
    Currency arrotonda(Currency importo) const;
    Currency ivaDi(Currency imponibile, Currency aliquota) const;
    Currency scorporo(Currency lordo, Currency aliquota) const;
    Currency menoPercento(Currency importo, Currency percentuale) const;
    Currency percentualeDi(Currency base, Currency percentuale, QChar modo) const;
    Currency limita(Currency importo, const RigaSpesa& spesa) const;
    Currency totalePagareProvvisorio() const;
    void scontoPagamento(BloccoValori& b) const;
    void ivaBlocco(BloccoValori& b, const scIva& iva) const;
    void ivaSpese(BloccoValori& b, const scIva& iva) const;
    void restoArrotondamento(scIva& iva);

    // Errors
    void registraErrore(int numero, const QString& descrizione);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    AziendaUtil& mMoneta;
    UiServices& mUi;

    int miAnno = 0;
    qint32 mlNumRif = 0;
    QString msPasso;
    int miDecimali = 2;
    bool mbScoPagSuDett = false;
    bool mbPrezziIvati = false;
    std::vector<Currency> mTotMerceSco;  // index 0 unused
    std::vector<Currency> mSpeseScad;    // index 0 unused unless it is the only element

    // Company settings read once per instance
    bool mbParametriLetti = false;
    std::optional<std::pair<int, qint32>> mLettureAnnunciate;  // the document read ahead
    bool mbGesTaglie = false;
    QString msContoVenDefault;
    bool mbGestVuotiCauz = false;
    bool mbOnlus = false;
    bool mbCassaPrevNoImpon = false;

    std::unique_ptr<PiedeSql::Query> mQuery;  // of the current tables and settings
    const PiedeSql::Query& query();

    std::unique_ptr<Testata> mTestata;
    std::unique_ptr<Bolli> mBolli;
    std::vector<RigaSpesa> mSpese;
};

}  // namespace evapre
