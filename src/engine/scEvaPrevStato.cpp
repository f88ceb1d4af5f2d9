// What the run records on the quotes: lines closed without delivery, and the header status.
#include "ComLock.h"
#include "DbConnection.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

const QString kEvaso = QStringLiteral("E");
const QString kParziale = QStringLiteral("P");

void chiudiRiga(DbConnection& db, const QString& rilettura) {
    auto riga = db.openRowSet(rilettura);
    if (riga->eof())
        return;
    riga->edit();
    riga->set(QStringLiteral("StatoRiga"), kEvaso);
    riga->save();
}

}  // namespace

void scEvaPrev::EvadeDettSoloASaldo(const PreventivoCorrente& prev, bool& pbEsci) {
    if (mbPrevAperto)
        return;
    impostaPasso(QStringLiteral("Evasione dettagli solo a saldo"));
    auto righe = mDb.openRowSet(PrepSqlDett(prev, OpDett::Leggi, false));
    impostaPasso(QStringLiteral("Evasione dettagli: Evasione dei dettagli Solo a Saldo"));
    for (; !righe->eof() && !pbEsci; righe->moveNext()) {
        if (mbGesTaglie && !TrimSpaces(righe->text(QStringLiteral("PreVenLiv.Livello1"))).isEmpty())
            chiudiRiga(mDb, PrepSqlRilettPreDettLiv(*righe));
        chiudiRiga(mDb, PrepSqlRilettPreDett(*righe));
        if (ogRilasciaImpegno && msTipoDoc == QLatin1String("O"))
            ogRilasciaImpegno(*this, *righe);
    }
}

// The quote is complete when none of its article lines is still open. A run restricted to
// some lines (articles or delivery dates) may leave others open, so it asks the same question
// instead of taking the quote as complete.
QString scEvaPrev::statoTestata(const PreventivoCorrente& prev) {
    const bool righeFiltrate = !IsBlank(osArticoloDa) || !IsBlank(osArticoloA) ||
                               ovDataConsDa.has_value() || ovDataConsA.has_value();
    if (!obEvasManule && !righeFiltrate)
        return kEvaso;
    auto aperte =
        mDb.openRowSet(QStringLiteral("Select PreVenDett.*") + QStringLiteral(" from PreVenDett") +
                       QStringLiteral(" Where PreVenDett.Anno = ") + sql(prev.anno) +
                       QStringLiteral(" AND PreVenDett.NumRif = ") + sql(prev.numRif) +
                       QStringLiteral(" AND (PreVenDett.TipoRiga= ") + sql(QStringLiteral("A")) +
                       QStringLiteral(" OR PreVenDett.TipoRiga= ") + sql(QStringLiteral("M")) +
                       QStringLiteral(")") + QStringLiteral(" AND (PreVenDett.StatoRiga<>") +
                       sql(kEvaso) + QStringLiteral(" OR PreVenDett.StatoRiga is NULL)"));
    return aperte->eof() ? kEvaso : kParziale;
}

void scEvaPrev::PostEvasioneDett(const PreventivoCorrente& prev, int piRigheCreate, bool& pbEsci) {
    impostaPasso(QStringLiteral("Dopo Evasione dettagli"));
    if (piRigheCreate > 0 && !obEvACorrisp && (ogEvadeSpese || mTabelle)) {
        if (ogEvadeSpese)
            ogEvadeSpese(*this, prev, pbEsci);
        else
            EvadeSpese(prev, pbEsci);
        if (pbEsci)
            return;
        impostaPasso(QStringLiteral("Dopo Evasione Spese"));
    }
    if (piRigheCreate == 0 && !obSoloASaldo)
        return;
    if (mbPrevAperto)
        return;
    // Sent with the quote's commit.
    mDb.execute(QStringLiteral("UPDATE PreVenTest SET Stato = ") + sql(statoTestata(prev)) +
                    QStringLiteral(" WHERE Anno = ") + sql(prev.anno) +
                    QStringLiteral(" AND NumRif = ") + sql(prev.numRif),
                Send::WithNext);
}

// The movement marks of the delivery notes are taken and given back, so that none is left.
void scEvaPrev::CancellaTestMovMag(const std::vector<std::pair<int, qint32>>& testate) {
    const QString tipoMovimento = QStringLiteral("M");
    for (const auto& [anno, numRif] : testate) {
        DetentoreBlocco detentore;
        const bool preso = bloccaDocumento(tipoMovimento, anno, numRif,
                                           QStringLiteral("Movimenti di magazzino"), detentore);
        const bool rilasciato = preso && mLock->SbloccaRecord(tipoMovimento, anno, numRif);
        if (!rilasciato)
            RegistraErrore(0,
                           QStringLiteral("Errore durante la cancellazione dei loc test. movim. "
                                          "(Prob. durante lo sblocco dopo un' errore in stampa)"));
    }
}

}  // namespace evapre
