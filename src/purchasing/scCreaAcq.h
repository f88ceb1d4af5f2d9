#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "Currency.h"
#include "LogErrori.h"
#include "OrdEvaUt.h"

namespace evapre {

class AziendaUtil;
class ComLock;
class DbConnection;
class ParametriDitta;
class RowSet;
class UiServices;
class scCalcPiedeFat;

// What the supplier price lookup is asked.
struct RichiestaPrezzoAcq {
    QString qualeImporto;  // "U" last cost, "M" weighted average, anything else a price list
    QString intTipo;       // "2" supplier
    QString gruppo, mastro, conto;
    QString articolo;
    QString listino;
    bool listIvato = false;  // the list's prices include VAT
    bool przIvato = false;   // the document's prices include VAT
    QDate data;
    QString moneta;
    int numDecMonGes = 2;
    Currency fatConv;
    QString um;
    Currency percIva;
    bool flagLivLis = false;
    QString liv1, liv2;
};

// The price found and where it came from.
struct PrezzoAcq {
    Currency prezzo;
    QString sconto;     // discount chain
    QString modSconto;  // "Prom" for a promotion, otherwise the list's replace/add flag
    bool trovato = false;
};

// One error of the creation: its number, text and the operation it happened in.
struct ErroreCreaAcq {
    int numero = 0;
    QString descrizione;
    QString operazione;
};

// Purchase orders raised from one quote's lines for the articles' usual suppliers: all
// articles, those under their minimum stock or those exhausted. Lines of one supplier with the
// same terms go into one open order (an existing compatible one or a new numbered one). Errors
// are collected, never shown; an order whose writing fails is taken back whole.
class scCreaAcq {
  public:
    scCreaAcq(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta, UiServices& ui);
    ~scCreaAcq();
    scCreaAcq(const scCreaAcq&) = delete;
    scCreaAcq& operator=(const scCreaAcq&) = delete;

    // ---- Set before LanciaCreaz ---------------------------------------------------------------
    int oiAnno = 0;  // the quote
    qint32 olNumRif = 0;
    bool obEvasManule = false;
    bool obSuDispon = false;  // availability counts supplier orders and customer commitments
    int oiCreAcq = 0;         // 0 none, 1 all, 2 under minimum stock, 3 exhausted
    int oiAnnoOrdine = 0;     // year and date of the orders created
    QDate otDataOrdine;

    // ---- Results -------------------------------------------------------------------------------
    int oiNumErrori = 0;
    QString osErrori;                     // at most 30 texts
    std::vector<ErroreCreaAcq> ocErrori;  // the errors of the last LanciaCreaz
    int oiRigheOrdinate = 0;              // order lines written by the last LanciaCreaz
    bool obEsci = false;                  // the user gave up on a locked order

    // Runs the creation for the quote; false when it stopped before its end.
    bool LanciaCreaz();

    PrezzoAcq CercaListinoDettAcq(const RichiestaPrezzoAcq& r);

    OrdEvaUt& impegni() { return *mImpegni; }

  private:
    struct TabellaAcquisti;
    struct RigaOrdine;
    struct Fornitore;
    struct Ordine;
    struct Annullamento;

    void errore(int numero, const QString& descrizione, const QString& operazione);
    bool leggiTabellaAcquisti();
    void controllaFornitoriMancanti();
    std::vector<RigaOrdine> righeDaOrdinare();
    bool pianificaRiga(const RowSet& r, RigaOrdine& riga);
    Currency disponibilita(const RowSet& r, const QString& l1, const QString& l2);
    Currency scortaMinima(const RowSet& r, const QString& l1, const QString& l2);
    QString articoloFornitore(const RowSet& r, const QString& l1, const QString& l2,
                              const Fornitore& f);
    bool fornitoreValido(const Fornitore& f);
    void valorizzaRiga(RigaOrdine& riga, const Ordine& o);
    QString listinoOrdine(const Fornitore& f) const;
    Currency cambioDi(const QString& moneta);

    // Writing one supplier's order, taken back whole on failure.
    bool scriviOrdine(Ordine& o, std::vector<RigaOrdine>& righe, Annullamento& annulla);
    bool trovaOrdine(Ordine& o, Annullamento& annulla);
    bool creaOrdine(Ordine& o, Annullamento& annulla);
    void aggiungiNota(Ordine& o, Annullamento& annulla);
    void scriviRiga(Ordine& o, RigaOrdine& riga, Annullamento& annulla);
    void chiudiOrdine(Ordine& o);
    int ultimaRiga(const Ordine& o, const QString& campo);
    QString uguale(const QString& colonna, const QString& valore) const;
    QString livelloArticolo(const QString& livello) const;

    DbConnection& mDb;
    ParametriDitta& mParametri;
    AziendaUtil& mMoneta;
    UiServices& mUi;
    std::unique_ptr<ComLock> mLock;
    std::unique_ptr<OrdEvaUt> mImpegni;
    std::unique_ptr<scCalcPiedeFat> mPiede;
    std::unique_ptr<TabellaAcquisti> mTab;
    QString msUltimoErroreLock;
    QString msOperazione;
    bool mbGesTaglie = false;
    int miAnnoMag = 0;
    int miDecQta = 4;
    Currency muDivPezziConf;
};

}  // namespace evapre
