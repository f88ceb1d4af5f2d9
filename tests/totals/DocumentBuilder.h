#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include "Currency.h"
#include "TabelleDocumento.h"
#include "TestDb.h"

namespace evapre::test {

using Colonne = QList<QPair<QString, QVariant>>;

// An amount from its plain text ("100.00"), ready for TestDb::insert.
QVariant importo(const char* testo);

// Builds documents as rows for the footer tests: the company tables the footer reads
// (currencies, VAT codes, document types, payment terms, expenses, stamp-duty parameters,
// one customer) and, per document, its header, lines and expenses. Columns given as extra
// replace the defaults.
class DocumentBuilder {
  public:
    DocumentBuilder(TestDb& db, QChar tipo = QLatin1Char('F'));

    // The standard company tables: VAT "22", "10", exempt "E3" (stamp applies), "N8" (exempt,
    // no stamp), "B15" (stamp-duty code, exempt); document types "FT" (+) and "NC" (-);
    // payment terms "BB" (no stamp), "RB3" (3 bank receipts), "TR2" (2 bills); expense
    // codes "TRASP" (fixed), "IMB" (percentage), "PESO" (by weight), "RIP" (to distribute),
    // "INC" (per instalment), "BOL" (stamp duty), "CAS" (pension fund).
    void tabelleAzienda();
    void parametro(const QString& chiave, const QString& valore);
    void parametroPersonale(const QString& sezione, const QString& nome, const QString& valore);

    DocumentBuilder& testata(int numRif, const Colonne& extra = {});
    DocumentBuilder& riga(const QString& iva, const char* valore, const Colonne& extra = {});
    DocumentBuilder& spesa(const QString& codice, const QString& iva, const QVariant& importo,
                           const Colonne& extra = {});
    DocumentBuilder& livello(int rigLiv, const QString& livello1, const char* valore);

    const TabelleDocumento& tabelle() const { return mTabelle; }
    int anno() const { return mAnno; }
    int numRif() const { return mNumRif; }
    int ultimaRiga() const { return mRiga; }

  private:
    static Colonne unisci(Colonne base, const Colonne& extra);

    TestDb& mDb;
    TabelleDocumento mTabelle;
    QChar mTipo;
    int mAnno = 2024;
    int mNumRif = 0;
    int mRiga = 0;
    int mRigaSpesa = 0;
};

}  // namespace evapre::test
