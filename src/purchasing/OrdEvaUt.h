#pragma once

#include <QString>
#include <QStringList>

#include "Currency.h"

namespace evapre {

class AziendaUtil;
class DbConnection;
class ParametriDitta;

// One signed change of the ordered (supplier) or committed (customer) quantity of an article.
// The quantity is in the article's base unit: positive adds, negative takes away.
struct MovimentoImpegno {
    bool fornitore = false;  // QtaOrdFor/ValOrdFor; otherwise QtaImpCli/ValImpCli
    int anno = 0;
    QString magazzino, articolo, livello1, livello2;
    bool artMag = false;  // Articoli.ArtMag "S"
    QString carScar;      // kind of the document type's warehouse causal; "N" moves nothing
    bool perLivelli = false;
    Currency qta, valore, valoreLire;
    QString tipoIva;  // TabIva.TipoIva
    Currency aliquota;
    bool prezziIvati = false;
};

// Keeps the supplier-order and customer-commitment columns of ArticoliProg: the given year and
// every later year already opened, and, for customers, the components of kits.
class OrdEvaUt {
  public:
    OrdEvaUt(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta);

    void AggiornaImpegni(const MovimentoImpegno& m);
    // Adds qta (in the kit's base unit) to the customer commitment of the kit's components.
    void EsplodiDistinta(int anno, const QString& magazzino, const QString& kit, Currency qta);

    // Components skipped because a kit contains itself, for the caller's log.
    const QStringList& distinteCicliche() const { return mCicliche; }

  private:
    void esplodi(int anno, const QString& magazzino, const QString& kit, Currency qta,
                 QStringList& percorso);
    void aggiungiProgressivo(int anno, const QString& magazzino, const QString& articolo,
                             const QString& livello1, const QString& livello2,
                             const QStringList& colonne, const QList<Currency>& delta);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    AziendaUtil& mMoneta;
    QStringList mCicliche;
};

}  // namespace evapre
