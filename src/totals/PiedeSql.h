#pragma once

#include <QString>

#include "TabelleDocumento.h"

namespace evapre {

class DbConnection;

// The queries the footer calculator reads a document with. Columns that more than one joined
// table carries are given distinct names.
namespace PiedeSql {

// Columns of TabIva as IvaTab, IvaDescrizione, IvaDescrizioneBreve, IvaDescrMemo, TipoIva,
// Aliquota, ApplBolloEse.
QString colonneTabIva();

// The queries of one document of a table set: the text around the document's key is built
// once for the many documents a calculator reads.
class Query {
  public:
    Query(const TabelleDocumento& t, bool livelli, bool leggiCauzione);
    bool per(const TabelleDocumento& t, bool livelli, bool leggiCauzione) const;

    QString testata(const DbConnection& db, int anno, qint32 numRif) const;
    // One row per line, or per level row of a line when levels are in use.
    QString dettagli(const DbConnection& db, int anno, qint32 numRif) const;
    QString spese(const DbConnection& db, int anno, qint32 numRif) const;

  private:
    TabelleDocumento mTabelle;
    bool mLivelli;
    bool mCauzione;
    QString mTestata, mDettagli, mDettagliFine, mSpese, mSpeseFine;
};

QString bolli();

// Header columns a table set has.
bool haAbbuonoEBolli(const TabelleDocumento& t);
bool haPeso(const TabelleDocumento& t);
bool diFornitore(const TabelleDocumento& t);

}  // namespace PiedeSql

}  // namespace evapre
