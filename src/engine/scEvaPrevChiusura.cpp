// Closing the documents of the run: footer, totals into the header, journal row removed.
#include "AggSpeBan.h"
#include "AziendaUtil.h"
#include "ComLock.h"
#include "DbConnection.h"
#include "DbError.h"
#include "GruppoDiCommit.h"
#include "RowSet.h"
#include "UiServices.h"
#include "scCalcPiedeFat.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

const QString kPassoChiusura = QStringLiteral("Chiusura delle fatture/bolle");

}  // namespace

void scEvaPrev::chiudiDocumenti(bool& pbEsci) {
    impostaPasso(kPassoChiusura);
    std::vector<std::pair<int, qint32>> documenti;
    try {
        auto giornale = mDb.openRowSet(
            QStringLiteral("Select * from DocDaElab") + QStringLiteral(" Where Utente = ") +
            sql(msUtente) + QStringLiteral(" AND Programma = ") + sql(msIdLavoro) +
            QStringLiteral(" AND Anno = ") + sql(oiAnno) + QStringLiteral(" Order by NumReg"));
        for (; !giornale->eof(); giornale->moveNext())
            documenti.emplace_back(
                static_cast<int>(giornale->integer(QStringLiteral("Anno"))),
                static_cast<qint32>(giornale->integer(QStringLiteral("NumReg"))));
    } catch (const DbError& e) {
        RegistraErrore(e);
        pbEsci = true;
        return;
    }
    mUi.progressStart(QStringLiteral("Chiusura fatture o bolle"),
                      static_cast<int>(documenti.size()));
    int fatti = 0;
    GruppoDiCommit gruppo(*this, pbEsci);
    for (const auto& [anno, numRif] : documenti) {
        mUi.progressStep(++fatti);
        mUi.yield();
        if (!gruppo.prossimo())
            break;
        // A document that cannot be closed keeps its journal row for the recovery program.
        chiudiDocumento(anno, numRif);
    }
    gruppo.chiudi();
}

// Footer and totals of one document, its mark and its journal row, in one transaction.
bool scEvaPrev::chiudiDocumento(int anno, qint32 numRif) {
    if (!mTabelle)
        return false;
    const QString testa = mTabelle->testa;
    DetentoreBlocco detentore;
    if (!bloccaDocumento(msCodiceLock, anno, numRif, QStringLiteral("La fattura"), detentore)) {
        RegistraErrore(0, QStringLiteral("Doc. n.rif ") + QString::number(numRif) +
                              QStringLiteral(" anno ") + QString::number(anno) +
                              (detentore.utente.isEmpty()
                                   ? QStringLiteral(" errore nel loccaggio: ") + msUltimoErroreLock
                                   : QStringLiteral(" in uso da ") + detentore.utente));
        return false;
    }
    bool chiuso = false;
    std::optional<DocumentoChiuso> chiusoDoc;
    try {
        DbTransaction transazione(mDb);
        const bool fattura = msTipoDoc == QLatin1String("F");
        QString query = QStringLiteral("Select ") + testa + QStringLiteral(".*");
        if (!fattura)
            query += QStringLiteral(",Pianoconti.Bolli");
        // The document's line count comes with the header, in the same read.
        query += QStringLiteral(",(Select count(*) from ") + mTabelle->dett +
                 QStringLiteral(" where Anno = ") + sql(anno) + QStringLiteral(" AND NumRif = ") +
                 sql(numRif) + QStringLiteral(") AS RigheDocumento");
        query += QStringLiteral(" From ") + testa;
        if (!fattura)
            query += QStringLiteral(" Left Join Pianoconti") + QStringLiteral(" On ") + testa +
                     QStringLiteral(".GruppoCli = Pianoconti.Gruppo") + QStringLiteral(" And ") +
                     testa + QStringLiteral(".MastroCli = Pianoconti.Mastro") +
                     QStringLiteral(" And ") + testa +
                     QStringLiteral(".ContoCli = Pianoconti.Conto");
        query += QStringLiteral(" where ") + testa + QStringLiteral(".anno = ") + sql(anno) +
                 QStringLiteral(" AND ") + testa + QStringLiteral(".NumRif = ") + sql(numRif);
        // The footer's reads go with the header's.
        if (!ogCalcolaPiede)
            piedeStandard().AnnunciaLetture(anno, numRif);
        auto testata = mDb.openRowSet(query);
        if (testata->eof()) {
            RegistraErrore(
                0, QStringLiteral("Manca la testata del documento n.") + QString::number(numRif));
        } else {
            const QString bolli = fattura ? testata->text(testa + QStringLiteral(".Bolli"))
                                          : testata->text(QStringLiteral("Pianoconti.Bolli"));
            const TotaliDocumento totali = ogCalcolaPiede
                                               ? ogCalcolaPiede(*this, anno, numRif)
                                               : calcolaPiedeStandard(anno, numRif, bolli);
            DocumentoChiuso chiuso;
            chiuso.anno = anno;
            chiuso.numRif = numRif;
            chiuso.fattDocumento = testata->text(testa + QStringLiteral(".FattDocumento"));
            chiuso.preDoc = testata->text(testa + QStringLiteral(".PreDoc"));
            chiuso.gruppoCli = testata->text(testa + QStringLiteral(".GruppoCli"));
            chiuso.mastroCli = testata->text(testa + QStringLiteral(".MastroCli"));
            chiuso.contoCli = testata->text(testa + QStringLiteral(".ContoCli"));
            chiuso.ragSocCli = testata->text(testa + QStringLiteral(".RagSocCli"));
            chiuso.dataRif = testata->date(testa + QStringLiteral(".DataRif"));
            chiuso.righe = static_cast<int>(testata->integer(QStringLiteral("RigheDocumento")));
            chiuso.totali = totali;
            chiusoDoc = chiuso;
            mDb.execute(
                QStringLiteral("Update ") + testa + QStringLiteral(" Set TotMerce = ") +
                    sql(QVariant::fromValue(totali.totMerce)) + QStringLiteral(", TotSpese = ") +
                    sql(QVariant::fromValue(totali.totSpese)) + QStringLiteral(", TotIva = ") +
                    sql(QVariant::fromValue(totali.totIva)) + QStringLiteral(", TotDocum = ") +
                    sql(QVariant::fromValue(totali.totDocum)) + QStringLiteral(", TotImpon = ") +
                    sql(QVariant::fromValue(totali.totImpon)) + QStringLiteral(", ImponRitAcc = ") +
                    sql(QVariant::fromValue(totali.imponRitAcc)) +
                    QStringLiteral(" where Anno = ") + sql(anno) +
                    QStringLiteral(" AND NumRif = ") + sql(numRif),
                Send::WithNext);
        }
        // The totals and the journal row travel with the commit; a failure is reported there.
        mDb.execute(QStringLiteral("Delete * from DocDaElab Where Utente = ") + sql(msUtente) +
                        QStringLiteral(" AND Programma = ") + sql(msIdLavoro) +
                        QStringLiteral(" AND Anno = ") + sql(anno) +
                        QStringLiteral(" AND NumReg = ") + sql(numRif),
                    Send::WithNext);
        transazione.commit();
        chiuso = true;
        if (chiusoDoc)
            ocDocumentiChiusi.push_back(*chiusoDoc);
    } catch (const DbError& e) {
        RegistraErrore(e);
    }
    mLock->SbloccaRecord(msCodiceLock, anno, numRif);
    return chiuso;
}

scCalcPiedeFat& scEvaPrev::piedeStandard() {
    if (!mPiede)
        mPiede = std::make_unique<scCalcPiedeFat>(mDb, mParametri, mMoneta, mUi);
    mPiede->setTabelle(*mTabelle);  // the recovery closes documents of several kinds
    return *mPiede;
}

TotaliDocumento scEvaPrev::calcolaPiedeStandard(int anno, qint32 numRif, const QString& bolli) {
    piedeStandard();
    mPiede->osErrori.clear();
    mPiede->oiNumErrori = 0;
    mPiede->CalcPiedeFat(anno, numRif, false, Currency::fromInt(-1), bolli);
    if (mPiede->oiNumErrori > 0)
        RegistraErrore(0, mPiede->osErrori.trimmed());
    // The stamp duty of an invoice charged to the customer is also recorded for the
    // electronic invoice.
    if (msTipoDoc == QLatin1String("F") && bolli.trimmed() == QLatin1String("S")) {
        AggSpeBan spese(mDb, mMoneta.settings(), mUi);
        if (!spese.AggFatTestFe(anno, numRif, bolli, mPiede->odTotBolli))
            RegistraErrore(0,
                           QStringLiteral("Errore nell'aggiornamento del bollo della fattura n.") +
                               QString::number(numRif));
    }
    TotaliDocumento t;
    t.totMerce = mPiede->odTotMerce;
    t.totSpese = mPiede->odTotSpese;
    t.totIva = mPiede->odTotIva;
    t.totDocum = mPiede->odTotFattura;
    t.totImpon = mPiede->odTotImponibile;
    t.imponRitAcc = mPiede->odTotImpRitAcc;
    return t;
}

}  // namespace evapre
