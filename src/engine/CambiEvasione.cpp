#include "CambiEvasione.h"

#include "CambioAiuto.h"
#include "DbConnection.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "scEvaPrev.h"

namespace evapre {

CambiEvasione::CambiEvasione(DbConnection& db) : mDb(db) {}

// The user's picked quotes, as the manual run reads them.
QString CambiEvasione::sorgenteManuale(const scEvaPrev& motore) const {
    return QStringLiteral(" FROM (PreVenEvaTest LEFT JOIN PreVenTest") +
           QStringLiteral(" ON PreVenEvaTest.Anno = PreVenTest.Anno") +
           QStringLiteral(" AND PreVenEvaTest.NumRif = PreVenTest.NumRif)") +
           QStringLiteral(" LEFT JOIN Monete ON PreVenTest.Moneta = Monete.Moneta") +
           QStringLiteral(" Where PreVenEvaTest.Utente = ") + mDb.sql(motore.utente()) +
           QStringLiteral(" and PreVenEvaTest.Selez = ") + mDb.sql(QStringLiteral("S"));
}

std::vector<CambioProposto> CambiEvasione::MoneteDaCambiare(const scEvaPrev& motore) {
    QString sql = QStringLiteral("SELECT PreVenTest.Moneta, Monete.Descrizione");
    if (motore.obEvasManule)
        sql += sorgenteManuale(motore);
    else
        sql += QStringLiteral(" FROM PreVenTest LEFT JOIN Monete") +
               QStringLiteral(" ON PreVenTest.Moneta = Monete.Moneta") + motore.PrepSqlWhere();
    sql += QStringLiteral(" and (Monete.Cee<>") + mDb.sql(QStringLiteral("S")) +
           QStringLiteral(" )") +
           QStringLiteral(" GROUP BY PreVenTest.Moneta, Monete.Descrizione") +
           QStringLiteral(" , Monete.NumDec, Monete.NumDecGest") +
           QStringLiteral(" ORDER BY PreVenTest.Moneta");

    std::vector<CambioProposto> cambi;
    auto rs = mDb.openRowSet(sql);
    for (; !rs->eof(); rs->moveNext()) {
        CambioProposto c;
        c.moneta = rs->text(QStringLiteral("Moneta"));
        c.descrizione = rs->text(QStringLiteral("Descrizione"));
        if (const auto trovato = CambioAl(c.moneta, motore.otDataEvasione)) {
            c.data = trovato->first;
            c.cambio = trovato->second;
        }
        cambi.push_back(c);
    }
    return cambi;
}

std::optional<std::pair<QDate, Currency>> CambiEvasione::CambioAl(const QString& moneta,
                                                                  const QDate& data) {
    return CambioAiuto(mDb).Cambio(moneta, data);
}

int CambiEvasione::PrimoMancante(const std::vector<CambioProposto>& cambi) {
    for (size_t i = 0; i < cambi.size(); ++i)
        if (cambi[i].cambio <= Currency())
            return static_cast<int>(i);
    return -1;
}

void CambiEvasione::Consegna(const std::vector<CambioProposto>& cambi, scEvaPrev& motore) {
    motore.ogCambi.clear();
    for (const CambioProposto& c : cambi)
        motore.ogCambi.push_back({c.moneta, c.cambio});
}

}  // namespace evapre
