// The quote's expenses carried into the document, by how each expense code is fulfilled.
#include "AggSpeBan.h"
#include "DbConnection.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

// Spese.TipoEvasione: how a quote expense reaches the document.
enum TipoEvasioneSpesa {
    kUnaVolta = 1,  // only when the document does not hold it yet
    kSempre = 2,    // always, one row per quote
    kSommata = 3,   // one row per document, the amounts summed
};

const char* const kColonneSpesa[] = {"Spesa",      "Iva",        "Percentuale", "Importo",
                                     "ImportoMax", "ImportoMin", "SoggRitAcc"};

}  // namespace

// In the automatic mode the user chose whole quotes, so every expense of the quote counts as
// selected; the manual mode carries the expenses marked in the grid.
QString scEvaPrev::querySpese(const PreventivoCorrente& prev) const {
    return obEvasManule ? PrepSqlSpesePreventivo(prev.anno, prev.numRif)
                        : QStringLiteral("Select PreVenSpese.*, Spese.*") +
                              QStringLiteral(" from PreVenSpese left join Spese") +
                              QStringLiteral(" on PreVenSpese.Spesa = Spese.Spesa") +
                              QStringLiteral(" Where PreVenSpese.Anno = ") + sql(prev.anno) +
                              QStringLiteral(" AND PreVenSpese.NumRif = ") + sql(prev.numRif) +
                              QStringLiteral(" Order by PreVenSpese.Riga");
}

bool scEvaPrev::speseDaEvadere() const {
    return !obEvACorrisp && !ogEvadeSpese && mTabelle;
}

void scEvaPrev::EvadeSpese(const PreventivoCorrente& prev, bool& pbEsci) {
    Q_UNUSED(pbEsci);
    impostaPasso(QStringLiteral("Evasione spese"));
    auto spese = mDb.openRowSet(querySpese(prev));
    const QString tabella = mTabelle->spese;
    for (; !spese->eof(); spese->moveNext()) {
        const int tipo = static_cast<int>(spese->integer(QStringLiteral("Spese.TipoEvasione")));
        if (tipo != kUnaVolta && tipo != kSempre && tipo != kSommata)
            continue;
        const QString codice = spese->text(QStringLiteral("PreVenSpese.Spesa"));
        int ultimaRiga = -1;  // not read yet
        if (tipo != kSempre &&
            AggSpeBan::HaRigaDellaSpesa(mDb, tabella, mDoc.anno, mDoc.numRif, codice, ultimaRiga)) {
            if (tipo == kSommata) {
                auto esistente = mDb.openRowSet(QStringLiteral("Select * from ") + tabella +
                                                QStringLiteral(" Where Anno = ") + sql(mDoc.anno) +
                                                QStringLiteral(" and NumRif = ") +
                                                sql(mDoc.numRif) + QStringLiteral(" and Spesa = ") +
                                                sql(codice) + QStringLiteral(" Order by Riga"));
                if (!esistente->eof()) {
                    esistente->edit();
                    esistente->set(
                        QStringLiteral("Importo"),
                        QVariant::fromValue(esistente->amount(QStringLiteral("Importo")) +
                                            spese->amount(QStringLiteral("PreVenSpese.Importo"))));
                    esistente->save();
                }
            }
            continue;
        }
        impostaPasso(QStringLiteral("Evasione spese: Creazione spese fattura"));
        if (ultimaRiga < 0)
            ultimaRiga = UltimaRiga(tabella, mDoc.anno, mDoc.numRif, QStringLiteral("Riga"));
        const int riga = ultimaRiga + 1;
        QList<QPair<QString, QVariant>> valori{{QStringLiteral("Anno"), mDoc.anno},
                                               {QStringLiteral("NumRif"), mDoc.numRif},
                                               {QStringLiteral("Riga"), riga}};
        for (const char* nome : kColonneSpesa)
            valori.append({QLatin1String(nome),
                           spese->value(QStringLiteral("PreVenSpese.") + QLatin1String(nome))});
        // With the quote's next statement, as its lines: a failure rolls the quote back.
        mDb.insertRow(tabella, valori, Send::WithNext);
        impostaPasso(QStringLiteral("Evasione spese"));
    }
}

}  // namespace evapre
