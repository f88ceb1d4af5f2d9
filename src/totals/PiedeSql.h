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

QString testata(const DbConnection& db, const TabelleDocumento& t, int anno, qint32 numRif);
// One row per line, or per level row of a line when levels are in use.
QString dettagli(const DbConnection& db, const TabelleDocumento& t, int anno, qint32 numRif,
                 bool livelli, bool leggiCauzione);
QString spese(const DbConnection& db, const TabelleDocumento& t, int anno, qint32 numRif);
QString bolli();

// Header columns a table set has.
bool haAbbuonoEBolli(const TabelleDocumento& t);
bool haPeso(const TabelleDocumento& t);
bool diFornitore(const TabelleDocumento& t);

}  // namespace PiedeSql

}  // namespace evapre
