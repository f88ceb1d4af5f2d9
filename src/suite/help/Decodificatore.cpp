#include "Decodificatore.h"

#include "CodiceConto.h"
#include "DbConnection.h"
#include "RowSet.h"
#include "TabelleAiuto.h"
#include "TextUtil.h"

namespace evapre {

Decodificatore::Decodificatore(DbConnection& db) : mDb(db) {}

CodiceDecodificato Decodificatore::Decodifica(const TabellaAiuto& tabella, const QString& codice,
                                              const QString& filtro, const QStringList& colonne) {
    CodiceDecodificato esito;
    if (IsBlank(codice))
        return esito;
    const QStringList parti =
        tabella.chiavi.size() == 1 ? QStringList{TrimSpaces(codice)} : CodiceConto::Parti(codice);
    QString sql = QStringLiteral("Select * from ") + tabella.tabella + QStringLiteral(" where ");
    for (int i = 0; i < tabella.chiavi.size(); ++i) {
        if (i > 0)
            sql += QStringLiteral(" and ");
        sql += tabella.chiavi.at(i) + QStringLiteral(" = ") + mDb.sql(parti.value(i));
    }
    if (!IsBlank(filtro))
        sql += QStringLiteral(" and (") + filtro + QLatin1Char(')');
    auto rs = mDb.openRowSet(sql);
    if (rs->eof()) {
        esito.descrizione = Inesistente();
        return esito;
    }
    esito.trovato = true;
    esito.descrizione = TrimSpaces(rs->text(tabella.descrizione));
    for (const QString& colonna : colonne)
        esito.valori.insert(colonna, rs->text(colonna));
    return esito;
}

CodiceDecodificato Decodificatore::Decodifica(const QString& nomeTabella, const QString& codice,
                                              const QString& filtro, const QStringList& colonne) {
    const TabellaAiuto* tabella = TabelleAiuto::Per(nomeTabella);
    if (!tabella)
        return {};
    return Decodifica(*tabella, codice, filtro, colonne);
}

QString Decodificatore::FiltroTipoConto(const QString& tipo) const {
    return QStringLiteral("TipoConto = ") + mDb.sql(tipo);
}

}  // namespace evapre
