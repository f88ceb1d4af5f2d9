#pragma once

// Private data of scCalcPiedeFat, shared by its source files.

#include <QDate>
#include <QString>
#include <array>

#include "Currency.h"
#include "scCalcPiedeFat.h"

namespace evapre {

class RowSet;

// Error numbers of the failures the calculator reports.
namespace PiedeErr {
constexpr int NessunRecord = 3021;  // a row that must exist does not
constexpr int Null = 94;            // a Null where a value is required
constexpr int Overflow = 6;
constexpr int Divisione = 11;
constexpr int Tipo = 13;
constexpr int Ripartizione = 5;  // expenses to distribute with nothing to distribute them on
}  // namespace PiedeErr

// A VAT code as TabIva describes it.
struct scCalcPiedeFat::DatiIva {
    bool trovato = false;
    QString descrizione;
    QString descrizioneBreve;
    QString descrMemo;
    QString tipoIva;
    QString applBolloEse;
    Currency aliquota;
    bool aliquotaNulla = true;
    bool esente = false;

    // From the TabIva columns of PiedeSql::colonneTabIva().
    static DatiIva daRiga(const RowSet& riga);
    static DatiIva daRiga(const RowSet& riga, const ColonneIva& c);
    // The bucket of the expenses still to be distributed.
    static DatiIva daRipartire();
};

// Positions of the TabIva columns of PiedeSql::colonneTabIva() in a row set.
struct scCalcPiedeFat::ColonneIva {
    explicit ColonneIva(const RowSet& riga);
    int ivaTab, descrizione, descrizioneBreve, descrMemo, tipoIva, applBolloEse, aliquota;
};

// Positions of the columns of PiedeSql::dettagli() the footer reads, resolved once per query
// rather than by name on every line; -1 for the optional ones the query lacks.
struct scCalcPiedeFat::ColonneDettaglio {
    ColonneDettaglio(const RowSet& riga, bool livelli, bool cauzione);
    ColonneIva iva;
    int rigLiv, omaggio, valTotale, valUnitario, qta, scontoTot, flScontoPag, codiceIva, gruppoVen,
        mastroVen, contoVen, centroDiCosto, compGiornMens, dataCompDa, beneUsato, soggRitAcc;
    int livello1 = -1, livValTotale = -1, livValUnitario = -1, livQta = -1, artCauzione = -1;
};

struct scCalcPiedeFat::Testata {
    bool scoPagSuDett = false;
    QString regimeMargine;
    QString moneta;
    QString tipoEffetto;
    QString addBolli;
    int numScad = 0;
    QString bolli;
    QDate dataRif;
    QString gruppo;
    QString mastro;
    QString conto;
    QString pagamento;
    Currency percRitAcc;
    Currency peso;
    QString segno;
    bool lire = false;
};

// The stamp-duty parameters (first TaBolli row), read once per calculator.
struct scCalcPiedeFat::ImportiBolli {
    Currency maxNoBollo;
    Currency bolloEsente;
    Currency arrotond;
    std::array<Currency, 6> scaglione{};  // bank-receipt bracket thresholds
    std::array<Currency, 6> bollo{};      // stamp of each bracket
};

struct scCalcPiedeFat::Bolli {
    bool letti = false;
    QString codEseBollo;
    DatiIva iva;
    QString gruppo;
    QString mastro;
    QString conto;
    Currency percBolloTratte;
    ImportiBolli euro;
    ImportiBolli lire;
};

// One expense row of the document with its expense code and VAT code.
struct scCalcPiedeFat::RigaSpesa {
    int riga = 0;
    QString spesa;
    bool spesaTrovata = false;
    QString iva;
    DatiIva datiIva;
    QString tipoAddebito;
    QString rifStampa;
    QString soggScontoPagam;
    QString soggRitAcc;
    bool cassaPrev = false;
    Currency percentuale;
    Currency importo;
    bool importoNullo = false;
    Currency importoMax;
    Currency importoMin;
    QString conto;  // group & ledger & account of the expense code
    QString gruppo;
    QString mastro;
    QString contoSolo;
};

// "S"/"N" flags: trimmed, any case.
inline bool flagSi(const QString& value) {
    return value.trimmed().compare(QLatin1String("S"), Qt::CaseInsensitive) == 0;
}

inline bool tipoIvaEsente(const QString& tipoIva) {
    const QString t = tipoIva.trimmed();
    return t == QLatin1String("2") || t == QLatin1String("3") || t == QLatin1String("4") ||
           t == QLatin1String("5");
}

}  // namespace evapre
