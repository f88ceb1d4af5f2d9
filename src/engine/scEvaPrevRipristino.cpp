// Recovery of an interrupted run: the documents left in the user's journal are closed as the
// run would have closed them, and what the run held is given back.
#include "DbConnection.h"
#include "DbError.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

// Kinds of document a run produces, and the lock codes of the program's marks.
const char* const kTipiDocumento[] = {"F", "B", "O"};
const char* const kCodiciSegni[] = {"P", "F", "D", "O", "M"};

QString riferimento(int anno, qint32 numRif) {
    return QStringLiteral("anno ") + QString::number(anno) + QStringLiteral(" n.") +
           QString::number(numRif);
}

}  // namespace

// The kind of a journalled document: the one of the interrupted run's saved criteria when its
// table holds the document, otherwise the only kind whose table holds it open.
bool scEvaPrev::trovaTipoDocumento(int anno, qint32 numRif, QString& tipo, QString& motivo) {
    const auto esiste = [&](const QString& t) {
        const auto tabelle = TabelleDocumento::perTipo(t.at(0));
        return mDb.scalar(QStringLiteral("Select count(*) from ") + tabelle->testa +
                          QStringLiteral(" where Anno = ") + sql(anno) +
                          QStringLiteral(" AND NumRif = ") + sql(numRif))
                   .toInt() > 0;
    };
    if (!tipo.isEmpty() && esiste(tipo))
        return true;
    QStringList trovati;
    for (const char* t : kTipiDocumento)
        if (esiste(QLatin1String(t)))
            trovati << QLatin1String(t);
    if (trovati.size() == 1) {
        tipo = trovati.front();
        return true;
    }
    motivo = trovati.isEmpty() ? QStringLiteral("documento inesistente")
                               : QStringLiteral("documento presente in più tabelle (") +
                                     trovati.join(QStringLiteral(", ")) + u')';
    return false;
}

scEvaPrev::EsitoRipristino scEvaPrev::RipristinaElaborazioni() {
    EsitoRipristino esito;
    osErrori.clear();
    oiNumErrori = 0;
    ocDocumentiChiusi.clear();
    impostaPasso(QStringLiteral("Ripristino delle elaborazioni interrotte"));

    std::vector<std::pair<int, qint32>> giornale;
    auto righe = mDb.openRowSet(QStringLiteral("Select * from DocDaElab Where Utente = ") +
                                sql(msUtente) + QStringLiteral(" AND Programma = ") +
                                sql(msIdLavoro) + QStringLiteral(" Order by Anno, NumReg"));
    for (; !righe->eof(); righe->moveNext())
        giornale.emplace_back(static_cast<int>(righe->integer(QStringLiteral("Anno"))),
                              static_cast<qint32>(righe->integer(QStringLiteral("NumReg"))));
    esito.righeGiornale = static_cast<int>(giornale.size());

    // The interrupted run's criteria name the kind it produced and the settings it ran with.
    QString tipoSalvato;
    try {
        ImportaAppoggioTemp(msUtente);
        if (!IsBlank(osTipoDocEva))
            tipoSalvato =
                TrimSpaces(mDb.scalar(QStringLiteral(
                                          "Select Tipo from FattDocumenti where FattDocumento = ") +
                                      sql(osTipoDocEva))
                               .toString())
                    .toUpper();
    } catch (const DbError& e) {
        RegistraErrore(e);
    }
    if (!giornale.empty()) {
        msRegIvaVen = mParametri.company(QStringLiteral("Ditta.RegIvaVen"));
        leggiImpostazioniRun();
    }

    for (const auto& [anno, numRif] : giornale) {
        QString tipo = tipoSalvato;
        QString motivo;
        if (!trovaTipoDocumento(anno, numRif, tipo, motivo)) {
            if (motivo == QLatin1String("documento inesistente")) {
                mDb.execute(QStringLiteral("Delete * from DocDaElab Where Utente = ") +
                            sql(msUtente) + QStringLiteral(" AND Programma = ") + sql(msIdLavoro) +
                            QStringLiteral(" AND Anno = ") + sql(anno) +
                            QStringLiteral(" AND NumReg = ") + sql(numRif));
                esito.rimosse << riferimento(anno, numRif);
            } else {
                esito.nonChiusi << riferimento(anno, numRif) + QStringLiteral(": ") + motivo;
            }
            continue;
        }
        impostaTipoDocumento(tipo);
        const size_t prima = ocDocumentiChiusi.size();
        const int erroriPrima = oiNumErrori;
        if (chiudiDocumento(anno, numRif) && ocDocumentiChiusi.size() > prima)
            esito.chiusi.push_back(ocDocumentiChiusi.back());
        else
            esito.nonChiusi << riferimento(anno, numRif) +
                                   (oiNumErrori > erroriPrima
                                        ? QStringLiteral(": vedere gli errori")
                                        : QStringLiteral(": non chiuso"));
    }

    // The run is over for good: its marks and its saved criteria go, unless a document is
    // still waiting in the journal.
    if (esito.nonChiusi.isEmpty()) {
        QStringList codici;
        for (const char* c : kCodiciSegni)
            codici << sql(QString::fromLatin1(c));
        const QString elenco = QStringLiteral(" (") + codici.join(u',') + u')';
        esito.segniRilasciati = mDb.execute(
            QStringLiteral("Delete * from LockGest Where Utente = ") + sql(msUtente) +
            QStringLiteral(" AND Tipo in") + elenco + QStringLiteral(" AND Gestione in") + elenco);
        const int criteri =
            mDb.scalar(QStringLiteral("Select count(*) from AppoggioTemp Where Utente = ") +
                       sql(msUtente) + QStringLiteral(" AND IdProgramma = ") + sql(idProgramma()))
                .toInt();
        if (criteri > 0) {
            CancellaAppoggioTemp(idProgramma());
            esito.criteriCancellati = true;
        }
    }
    return esito;
}

}  // namespace evapre
