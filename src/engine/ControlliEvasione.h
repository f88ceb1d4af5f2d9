#pragma once

#include <QList>
#include <QMap>
#include <QString>

namespace evapre {

class DbConnection;
class ParametriDitta;
class UiServices;
class scEvaPrev;

// The entry fields of the selection form, by the index of their text box.
namespace CampoSelezione {
constexpr int DataEvasione = 10;
constexpr int TipoPreventivo = 20;
constexpr int TipoEvasione = 30;
constexpr int ClienteDa = 40;
constexpr int ClienteA = 50;
constexpr int DataRifDa = 60;
constexpr int DataRifA = 70;
constexpr int NumRifDa = 80;
constexpr int NumRifA = 90;
constexpr int DataDocDa = 100;
constexpr int DataDocA = 110;
constexpr int NumDocDa = 130;
constexpr int NumDocA = 150;
constexpr int Prefisso = 160;
constexpr int MeseIva = 170;
constexpr int AnnoIva = 180;
constexpr int Moneta = 190;
constexpr int ArticoloDa = 200;
constexpr int ArticoloA = 210;
constexpr int DataConsDa = 220;
constexpr int DataConsA = 230;
constexpr int InDescrizione = 240;

// Tab order: the order in which a marked field is looked for.
QList<int> OrdineTab();
QList<int> CampiData();
QList<int> CampiNumero();
}  // namespace CampoSelezione

// What the user entered in the selection form, and the state the form derives from the two
// document types. Field texts are kept as typed.
struct VociSelezione {
    QMap<int, QString> txt;
    bool corrispettivo = false;  // "Evasione con corrispettivo"
    bool manuale = true;         // "Manuale" (else "Automatica")
    int creaAcq = 0;             // purchase option 0..3
    bool suDispon = false;       // count customer commitments and supplier orders

    // Set when fields 20 and 30 are left.
    QString margineTipoPreventivo = QStringLiteral("N");
    QString margineTipoEvasione = QStringLiteral("N");
    QString causaleRientro;
    QString tipoEvasione;  // Tipo of the type to produce: "F", "B", "O" or blank
    bool fattura = false;
    QString doveStampoDesLung;
    int splitPay = 0;  // 0 not an invoice, 1 invoice, 2 invoice with split payment

    QList<int> campiErrati;  // fields painted in the error colour

    QString testo(int campo) const { return txt.value(campo); }
    bool errato(int campo) const { return campiErrati.contains(campo); }
    void segna(int campo, bool errato);
};

// The quote document type as field 20 decodes it.
struct TipoPreventivoLetto {
    bool trovato = false;
    QString descrizione, fattDocEvasione, magCausaleRientro, regimeMargine;
};

// The document type to produce as field 30 decodes it.
struct TipoEvasioneLetto {
    bool trovato = false;
    QString descrizione, tipo, prefRegIva, prefBolle, regimeMargine, doveStampoDesLung, causale;
    QString splitPay;  // SplitPay of the type's causal
};

// How the prefix field and the purchase options look for a document type to produce.
struct PresentazionePrefisso {
    bool visibile = false;
    QString didascalia;    // caption of the prefix field
    QString elenco;        // the description beside it: the valid prefixes
    QString proposta;      // the prefix the field takes
    bool acquisti = true;  // purchase options offered (else "Non crea acquisti")
};

struct EsitoControlli {
    bool ok = true;
    QString messaggio;
    int campo = 0;  // field to give focus to, 0 for none
};

// The selection form's decisions without the window: decoding the document types into the
// form state, the field marks, the checks on "&Ok" in their order and the hand-over of the
// entries into the engine's criteria. Shared by the form and `evapre run`.
class ControlliEvasione {
  public:
    ControlliEvasione(DbConnection& db, ParametriDitta& parametri, UiServices& ui);

    // ---- Document types ---------------------------------------------------------------------
    // The conditions on FattDocumenti of the quote types and of the types to produce.
    QString FiltroTipoPreventivo() const;
    QString FiltroTipoEvasione() const;
    TipoPreventivoLetto LeggiTipoPreventivo(const QString& codice);
    TipoEvasioneLetto LeggiTipoEvasione(const QString& codice);
    // Field 20's type into the form state: its margin flag and return causal.
    TipoPreventivoLetto ApplicaTipoPreventivo(VociSelezione& voci);
    // Field 30's type into the form state: margin flag, invoice flag, long-description
    // placement, split-payment class.
    TipoEvasioneLetto ApplicaTipoEvasione(VociSelezione& voci);
    // The prefix field for that type; a blank field 30 proposes no type-specific prefix.
    PresentazionePrefisso Prefisso(const TipoEvasioneLetto& tipo, bool campo30Vuoto) const;

    // ---- Field marks ------------------------------------------------------------------------
    // A date that is malformed or earlier than the company's minimum date.
    bool DataErrata(const QString& testo) const;
    // A number field that does not hold a whole number not below zero (month: 1 to 12).
    static bool NumeroErrato(int campo, const QString& testo);
    // Blank, or exactly one character of the prefix list (its separators excluded).
    static bool PrefissoValido(const QString& prefisso, const QString& elenco);
    // Leaving the prefix field: trims it, marks it when not valid and, for an invoice,
    // checks the margin scheme of its VAT register (a message when they disagree).
    void LasciaPrefisso(VociSelezione& voci);
    // Every mark a caller without a window computes at once: dates, numbers, prefix.
    void SegnaCampiErrati(VociSelezione& voci);

    // ---- "&Ok" ----------------------------------------------------------------------------
    // The checks in their order; the first failure shows its message. Stores the fulfilment
    // date and its year into the engine as it goes; may fill field 70.
    EsitoControlli Controlla(VociSelezione& voci, scEvaPrev& motore);
    // A blank quote-date "to" takes the fulfilment date's text.
    static void CompletaDataRifA(VociSelezione& voci);
    // The entries into the engine's criteria.
    static void Consegna(const VociSelezione& voci, scEvaPrev& motore);

  private:
    EsitoControlli rifiuta(const QString& messaggio, int campo = 0);
    QString elencoPrefissi(const QString& tipo) const;
    bool margineConcorda(VociSelezione& voci);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    UiServices& mUi;
};

}  // namespace evapre
