#pragma once

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "Currency.h"

namespace evapre {

class ComLock;
class DbConnection;
class DbError;
class RowSet;
class UiServices;
class scEvaPrev;

// One staged row of the lines grid: a quote line, one of its levels, or the summary row of
// its levels.
struct ChiaveRigaEva {
    int anno = 0;
    qint32 numRif = 0;
    int rigLiv = 0;
    QString livello1 = QStringLiteral(" ");
    QString livello2 = QStringLiteral(" ");
    bool riepilogo() const;
};

// An extra column of a grid, from the personal parameters: "field:caption:width:format".
struct ColonnaAggiunta {
    QString campo;
    QString titolo;
    int larghezza = 0;
    QString formato;
    QString alias;  // name of the column in the grid's query
};

// How a grid column shows its value.
enum class FormatoColonna { Testo, Data, Quantita, Valore, Numero };

// A column of one of the three grids: the field read, its caption and layout.
struct ColonnaGriglia {
    QString campo;   // as in the grid's select list
    QString titolo;  // empty: a hidden key column
    int larghezza = 80;
    FormatoColonna formato = FormatoColonna::Testo;
    bool modificabile = false;
    bool prezzo = false;    // hidden on the terminals that must not see prices
    QString formatoNumero;  // extra columns: the number format of the parameter
};

// The three grids of the form.
enum class Griglia { Testa = 0, Corpo = 1, Spese = 2 };

enum class EsitoProsegui {
    Ignorato,          // a run is already going on
    Fermato,           // refused: the message says why, the group stays as it was
    MancaCambio,       // refused for the missing exchange rate
    GruppoSuccessivo,  // the next group is loaded
    Finito,            // no group left
};

// The manual pre-fulfilment of the selected quotes, group by group, without widgets: the
// group loading, the marks of the quotes picked, the per-user selection tables and their
// checks, and the hand-over of each group to the engine.
class SelezioneManuale {
  public:
    explicit SelezioneManuale(scEvaPrev& motore);
    ~SelezioneManuale();
    SelezioneManuale(const SelezioneManuale&) = delete;
    SelezioneManuale& operator=(const SelezioneManuale&) = delete;

    static const QString kRiepilogo;  // Livello1 of a summary row

    // ---- Settings -----------------------------------------------------------------------
    bool gestioneLivelli() const { return mbLivelli; }
    bool livelliMostrati() const { return mbLivelliMostrati; }
    void setLivelliMostrati(bool mostrati) { mbLivelliMostrati = mostrati; }
    bool prezziNascosti() const { return mbPrezziNascosti; }
    int decimaliQta() const;
    const QList<ColonnaAggiunta>& colonneTesta() const { return mAggTesta; }
    const QList<ColonnaAggiunta>& colonneCorpo() const { return mAggCorpo; }
    // Column orders of the quotes and lines grids (1-based positions); empty: as listed.
    const QList<int>& ordineTesta() const { return mOrdTesta; }
    const QList<int>& ordineCorpo() const { return mOrdCorpo; }

    // ---- Groups -------------------------------------------------------------------------
    // Opens the selection and loads the first group; false (after telling the user) when no
    // quote is in range.
    bool Avvia();
    // Releases the current group and loads the next one; false when no group is left.
    bool EstraeOrdiniCoerenti();
    // Gives back the marks of the group and empties the user's selection tables.
    void RilasciaGruppo();

    const QString& cliente() const { return msCliente; }
    bool richiedeCambio() const { return mbCambio; }
    const QString& monetaCambio() const { return msMoneta; }
    std::optional<Currency> cambioProposto() const { return mCambioProposto; }
    std::optional<QDate> dataCambio() const { return mDataCambio; }
    // Quotes whose marks this group holds.
    int preventiviMarcati() const { return static_cast<int>(mMarcati.size()); }

    // ---- Grid queries ---------------------------------------------------------------------
    // The columns of a grid in the order of its query, extra columns last.
    QList<ColonnaGriglia> Colonne(Griglia griglia) const;
    QString SqlGriglia(Griglia griglia) const;

    // ---- Quotes ---------------------------------------------------------------------------
    // "S" or "N", upper-cased in place; otherwise the user is told and false returned.
    bool ControllaSiNo(QString& testo);
    // A click on "Sel." or "Tutto".
    void ClickSel(int anno, qint32 numRif);
    void ClickTutto(int anno, qint32 numRif);
    // Writes the quote's marks and stages (or unstages) it accordingly. Picking a quote
    // another user holds is asked about; giving up leaves it unpicked. Returns whether the
    // quote is picked afterwards.
    bool ImpostaPreventivo(int anno, qint32 numRif, const QString& selez,
                           const QString& evadeTutto);

    // ---- Lines ------------------------------------------------------------------------------
    // Typed "Da Evad.": turned into the quantity to store (summary rows: 0 or all that is
    // open). False when the text is not a number.
    bool ControllaQtaDaEva(const ChiaveRigaEva& riga, const QString& testo, Currency& qta);
    // Typed "A Saldo": "S" or "N", never "S" on a summary row.
    bool ControllaASaldo(const ChiaveRigaEva& riga, QString& testo);
    // Writes a checked value and carries it to the line's levels and electrical-waste line.
    void ImpostaQtaDaEva(const ChiaveRigaEva& riga, Currency qta);
    void ImpostaASaldo(const ChiaveRigaEva& riga, const QString& aSaldo);
    void ClickASaldo(const ChiaveRigaEva& riga);
    // F9: the whole open quantity of the row.
    void EvadiResiduo(const ChiaveRigaEva& riga);

    // ---- Expenses -----------------------------------------------------------------------------
    void ClickSpesa(int anno, qint32 numRif, int riga);

    // ---- Hand-over ------------------------------------------------------------------------------
    // Checks the group, runs the engine over it when there is something to do and loads the
    // next group. testoCambio is the exchange rate typed for the group.
    EsitoProsegui Prosegui(const QString& testoCambio);
    bool occupato() const { return mbOccupato; }

  private:
    QString sql(const QVariant& valore) const;
    QString utente() const;
    QString doveUtente(const QString& tabella) const;
    QString dovePreventivo(const QString& tabella, int anno, qint32 numRif) const;
    QString doveRiga(const ChiaveRigaEva& riga) const;
    void riportaErrore(const DbError& errore);
    void leggiImpostazioni();
    QList<ColonnaAggiunta> leggiColonne(const QString& nome, const QString& prefissoAlias) const;
    QList<int> leggiOrdine(const QString& nome) const;

    bool marca(int anno, qint32 numRif);
    void smarca(int anno, qint32 numRif);
    void statoPreventivo(int anno, qint32 numRif, QString& selez, QString& tutto);
    QString consTotale(int anno, qint32 numRif);
    void scriviStato(int anno, qint32 numRif, const QString& selez, const QString& tutto);
    void rimuoviStaging(int anno, qint32 numRif, bool ancheSpese);
    void stagingRighe(int anno, qint32 numRif, bool tutto);
    void stagingSpese(int anno, qint32 numRif);
    // Fixed values of the staging statements, as literals of the connection.
    struct Letterali {
        QString si, no, testo, commento, evaso, vuoto;
    };
    Letterali letterali() const;
    QString descrizioneStaging(const Letterali& l) const;
    QString doveRigheDi(int anno, qint32 numRif, const Letterali& l) const;
    QString insertRighe(int anno, qint32 numRif, bool tutto) const;
    QString insertRiepiloghi(int anno, qint32 numRif, bool tutto) const;
    QString limitiRighe() const;
    QString elencoCampi(Griglia griglia) const;

    void seguiRiga(const ChiaveRigaEva& riga);
    void livelliDaRiepilogo(const ChiaveRigaEva& riga, Currency qta);
    void rigaRaee(const ChiaveRigaEva& riga);
    Currency residuo(const ChiaveRigaEva& riga);

    void caricaGruppo();
    void cambioDelGruppo();
    EsitoProsegui prosegui(const QString& testoCambio);

    scEvaPrev& mMotore;
    DbConnection& mDb;
    UiServices& mUi;
    std::unique_ptr<ComLock> mLock;
    std::unique_ptr<RowSet> mTestate;  // the selection, in the break order

    bool mbLivelli = false;
    bool mbLivelliMostrati = true;
    bool mbDescEstese = false;
    bool mbPrezziNascosti = false;
    QList<ColonnaAggiunta> mAggTesta, mAggCorpo;
    QList<int> mOrdTesta, mOrdCorpo;

    QString msCliente;
    bool mbCambio = false;
    QString msMoneta;
    std::optional<Currency> mCambioProposto;
    std::optional<QDate> mDataCambio;

    QSet<QPair<int, qint32>> mMarcati;
    bool mbOccupato = false;
};

}  // namespace evapre
