#include "PiedeSql.h"

#include "DbConnection.h"

namespace evapre::PiedeSql {

namespace {

QString where(const DbConnection& db, const QString& table, int anno, qint32 numRif) {
    return QStringLiteral(" WHERE ") + table + QStringLiteral(".NumRif = ") + db.sql(numRif) +
           QStringLiteral(" AND ") + table + QStringLiteral(".Anno = ") + db.sql(anno);
}

bool is(const QString& table, const char* name) {
    return table.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool haAbbuonoEBolli(const TabelleDocumento& t) {
    return is(t.testa, "FatTest");
}
bool haPeso(const TabelleDocumento& t) {
    return is(t.testa, "FatTest") || is(t.testa, "DdtTest");
}
bool diFornitore(const TabelleDocumento& t) {
    return is(t.testa, "OrdAcqTes");
}

QString colonneTabIva() {
    return QStringLiteral(
        "TabIva.Iva AS IvaTab, TabIva.Descrizione AS IvaDescrizione, "
        "TabIva.DescrizioneBreve AS IvaDescrizioneBreve, TabIva.DescrMemo AS IvaDescrMemo, "
        "TabIva.TipoIva AS TipoIva, TabIva.Aliquota AS Aliquota, "
        "TabIva.ApplBolloEse AS ApplBolloEse");
}

namespace {

QString selectTestata(const TabelleDocumento& t) {
    const QString& T = t.testa;
    const QString conto = diFornitore(t) ? QStringLiteral("For") : QStringLiteral("Cli");
    QString sql =
        QStringLiteral("SELECT %1.Acconto AS Acconto, %1.ScoPagSuDett AS ScoPagSuDett").arg(T);
    if (haAbbuonoEBolli(t))
        sql += QStringLiteral(", %1.Abbuono AS Abbuono, %1.Bolli AS Bolli").arg(T);
    sql += QStringLiteral(
               ", %1.DataRif AS DataRif, %1.Gruppo%2 AS GruppoCli, %1.Mastro%2 AS MastroCli"
               ", %1.Conto%2 AS ContoCli, %1.PercRitAcc AS PercRitAcc")
               .arg(T, conto);
    if (haPeso(t))
        sql += QStringLiteral(", %1.Peso AS Peso").arg(T);
    sql += QStringLiteral(
               ", %1.Moneta AS Moneta, %1.Pagamento AS Pagamento, %1.PrezziIvati AS PrezziIvati"
               ", %1.ScontoPag AS ScontoPag"
               ", FattDocumenti.RegimeMargine AS RegimeMargine, FattDocumenti.Segno AS Segno"
               ", FattDocumenti.FattDocumento AS FattDocumento"
               ", Monete.NumDec AS NumDec"
               ", PagTipi.TipoEffetto AS TipoEffetto, PagTipi.AddBolli AS AddBolli"
               ", Pagamenti.NumScad AS NumScad"
               ", TabIva.TipoIva AS TipoIva"
               ", Stati.Cee AS Cee, Stati.Iso AS Iso"
               " FROM %1"
               " LEFT JOIN Monete ON %1.Moneta = Monete.Moneta"
               " LEFT JOIN FattDocumenti ON %1.FattDocumento = FattDocumenti.FattDocumento"
               " LEFT JOIN Pagamenti ON %1.Pagamento = Pagamenti.Pagamento"
               " LEFT JOIN PagTipi ON Pagamenti.PagTipo = PagTipi.PagTipo"
               " LEFT JOIN TabIva ON %1.Iva = TabIva.Iva"
               " LEFT JOIN PianoConti ON %1.Gruppo%2 = PianoConti.Gruppo"
               " AND %1.Mastro%2 = PianoConti.Mastro AND %1.Conto%2 = PianoConti.Conto"
               " LEFT JOIN Stati ON PianoConti.Stato = Stati.Stato")
               .arg(T, conto);
    return sql;
}

QString selectDettagli(const TabelleDocumento& t, bool livelli, bool leggiCauzione) {
    const QString& R = t.dett;
    const QString& L = t.liv;
    QString sql =
        QStringLiteral(
            "SELECT %1.RigLiv AS RigLiv, %1.TipoRiga AS TipoRiga, %1.Omaggio AS Omaggio"
            ", %1.ValTotale AS ValTotale, %1.ValUnitario AS ValUnitario, %1.Qta AS Qta"
            ", %1.ScontoTot AS ScontoTot, %1.FlScontoPag AS FlScontoPag, %1.Iva AS Iva"
            ", %1.GruppoVen AS GruppoVen, %1.MastroVen AS MastroVen, %1.ContoVen AS ContoVen"
            ", %1.CentroDiCosto AS CentroDiCosto, %1.CompGiornMens AS CompGiornMens"
            ", %1.DataCompDa AS DataCompDa, %1.DataCompA AS DataCompA"
            ", %1.BeneUsato AS BeneUsato, %1.SoggRitAcc AS SoggRitAcc, ")
            .arg(R) +
        colonneTabIva();
    if (livelli)
        sql += QStringLiteral(
                   ", %1.Livello1 AS Livello1, %1.ValTotale AS LivValTotale"
                   ", %1.ValUnitario AS LivValUnitario, %1.Qta AS LivQta")
                   .arg(L);
    if (leggiCauzione)
        sql += QStringLiteral(", Articoli.Cauzione AS ArtCauzione");
    sql += QStringLiteral(" FROM %1 LEFT JOIN TabIva ON %1.Iva = TabIva.Iva").arg(R);
    if (livelli)
        sql += QStringLiteral(
                   " LEFT JOIN %2 ON %2.RigLiv = %1.RigLiv AND %2.NumRif = %1.NumRif"
                   " AND %2.Anno = %1.Anno")
                   .arg(R, L);
    if (leggiCauzione)
        sql += QStringLiteral(" LEFT JOIN Articoli ON %1.Articolo = Articoli.Articolo").arg(R);
    return sql;
}

QString fineDettagli(const TabelleDocumento& t) {
    return QStringLiteral(
               " AND (%1.TipoRiga = 'M' OR %1.TipoRiga = 'A')"
               " ORDER BY %1.Iva, %1.ContoVen, %1.RigDet")
        .arg(t.dett);
}

QString selectSpese(const TabelleDocumento& t) {
    const QString& S = t.spese;
    return QStringLiteral(
               "SELECT %1.Riga AS Riga, %1.Spesa AS Spesa, %1.Iva AS Iva"
               ", %1.Percentuale AS Percentuale, %1.Importo AS Importo"
               ", %1.ImportoMax AS ImportoMax, %1.ImportoMin AS ImportoMin"
               ", %1.SoggRitAcc AS SoggRitAcc, ")
               .arg(S) +
           colonneTabIva() +
           QStringLiteral(
               ", Spese.Spesa AS SpesaTab, Spese.TipoAddebito AS TipoAddebito"
               ", Spese.AddebitoIva AS AddebitoIva, Spese.RifStampa AS RifStampa"
               ", Spese.SoggScontoPagam AS SoggScontoPagam, Spese.CassaPrev AS CassaPrev"
               ", Spese.Gruppo AS SpesaGruppo, Spese.Mastro AS SpesaMastro"
               ", Spese.Conto AS SpesaConto"
               " FROM %1 LEFT JOIN TabIva ON %1.Iva = TabIva.Iva"
               " LEFT JOIN Spese ON %1.Spesa = Spese.Spesa")
               .arg(S);
}

QString fineSpese(const TabelleDocumento& t) {
    return QStringLiteral(" ORDER BY %1.Iva, Spese.Gruppo, Spese.Mastro, Spese.Conto, %1.Riga")
        .arg(t.spese);
}

}  // namespace

Query::Query(const TabelleDocumento& t, bool livelli, bool leggiCauzione)
    : mTabelle(t),
      mLivelli(livelli),
      mCauzione(leggiCauzione),
      mTestata(selectTestata(t)),
      mDettagli(selectDettagli(t, livelli, leggiCauzione)),
      mDettagliFine(fineDettagli(t)),
      mSpese(selectSpese(t)),
      mSpeseFine(fineSpese(t)) {}

bool Query::per(const TabelleDocumento& t, bool livelli, bool leggiCauzione) const {
    return mTabelle.testa == t.testa && mTabelle.dett == t.dett && mTabelle.liv == t.liv &&
           mTabelle.spese == t.spese && mLivelli == livelli && mCauzione == leggiCauzione;
}

QString Query::testata(const DbConnection& db, int anno, qint32 numRif) const {
    return mTestata + where(db, mTabelle.testa, anno, numRif);
}

QString Query::dettagli(const DbConnection& db, int anno, qint32 numRif) const {
    return mDettagli + where(db, mTabelle.dett, anno, numRif) + mDettagliFine;
}

QString Query::spese(const DbConnection& db, int anno, qint32 numRif) const {
    const QString& S = mTabelle.spese;
    return mSpese + QStringLiteral(" WHERE ") + S + QStringLiteral(".Anno = ") + db.sql(anno) +
           QStringLiteral(" AND ") + S + QStringLiteral(".NumRif = ") + db.sql(numRif) + mSpeseFine;
}

QString bolli() {
    QString sql = QStringLiteral("SELECT ");
    for (const char* colonna :
         {"CodEseBollo", "GruppoBol", "MastroBol", "ContoBol", "PercBolloTratte", "MaxNoBollo",
          "BolloEsente", "Arrotond", "MaxNoBolloLire", "BolloEsenteLire", "ArrotondLire"})
        sql += QStringLiteral("TaBolli.%1 AS %1, ").arg(QLatin1String(colonna));
    for (int k = 1; k <= 6; ++k)
        sql += QStringLiteral(
                   "TaBolli.Sca%1BolRB AS Sca%1BolRB, TaBolli.Bollo%1RB AS Bollo%1RB, "
                   "TaBolli.Sca%1BolRBLire AS Sca%1BolRBLire, TaBolli.Bollo%1RBLire AS "
                   "Bollo%1RBLire, ")
                   .arg(k);
    return sql + colonneTabIva() +
           QStringLiteral(
               " FROM TaBolli LEFT JOIN TabIva ON TaBolli.CodEseBollo = TabIva.Iva"
               " ORDER BY TaBolli.Id LIMIT 1");
}

}  // namespace evapre::PiedeSql
