// The SQL the engine reads the quotes with: header filter, header query and order, line
// query and its bulk marks, and the smaller lookups.
#include "AggSpeBan.h"
#include "DbConnection.h"
#include "RowSet.h"
#include "SqlValue.h"
#include "TextUtil.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

const QString kStatoEvaso = QStringLiteral("E");

bool dato(const QString& testo) {
    return !IsBlank(testo);
}

}  // namespace

QString scEvaPrev::sql(const QVariant& valore) const {
    return mDb.sql(valore);
}

QString scEvaPrev::clienteConcatenato(const QString& conto) const {
    QString gruppo, mastro, contoSolo;
    AggSpeBan::DividiConto(TrimSpaces(conto), gruppo, mastro, contoSolo);
    return sql(gruppo + mastro + contoSolo);
}

QString scEvaPrev::filtroDataConsTestata() const {
    QString s = QStringLiteral(" AND ((");
    if (ovDataConsDa)
        s += QStringLiteral(" PreVenTest.DataCons >=") + sql(*ovDataConsDa);
    if (ovDataConsDa && ovDataConsA)
        s += QStringLiteral(" and");
    if (ovDataConsA)
        s += QStringLiteral(" PreVenTest.DataCons <=") + sql(*ovDataConsA);
    s += QStringLiteral(" ) or") + QStringLiteral(" Exists (") +
         QStringLiteral(" Select PreVenDett.Anno From  PreVenDett") +
         QStringLiteral(" Where PreVenTest.Anno = PreVenDett.Anno") +
         QStringLiteral(" AND PreVenTest.NumRif = PreVenDett.NumRif");
    if (ovDataConsDa)
        s += QStringLiteral(" And PreVenDett.DataCons >=") + sql(*ovDataConsDa);
    if (ovDataConsA)
        s += QStringLiteral(" And PreVenDett.DataCons <=") + sql(*ovDataConsA);
    return s + QStringLiteral("))");
}

QString scEvaPrev::PrepSqlWhere() const {
    QString s = QStringLiteral(" Where") + QStringLiteral(" (PreVenTest.Stato <> ") +
                sql(kStatoEvaso) + QStringLiteral(" OR PreVenTest.Stato Is Null)") +
                QStringLiteral(" and PreVenTest.DataRif <=") + sql(otDataEvasione) +
                QStringLiteral(" and PreVenTest.Interno <>") + sql(QStringLiteral("S"));
    if (!obEvACorrisp)
        s += QStringLiteral(" and (not (PreVenTest.GruppoCli is null))");
    if (!osFattDocPre.trimmed().isEmpty())
        s += QStringLiteral(" and PreVenTest.FattDocumento =") + sql(osFattDocPre);
    if (dato(osMoneta))
        s += QStringLiteral(" and PreVenTest.Moneta =") + sql(osMoneta);
    const QString clienteConcat =
        QStringLiteral(" and PreVenTest.GruppoCli & PreVenTest.MastroCli & PreVenTest.ContoCli");
    if (dato(osCliDa))
        s += clienteConcat + QStringLiteral(" >=") + clienteConcatenato(osCliDa);
    if (dato(osCliA))
        s += clienteConcat + QStringLiteral(" <=") + clienteConcatenato(osCliA);
    if (dato(osArticoloDa) || dato(osArticoloA)) {
        s += QStringLiteral(" And EXISTS (Select PreVenDett.* From PreVenDett") +
             QStringLiteral(" Where PreVenDett.Anno = PreVenTest.Anno") +
             QStringLiteral(" AND PreVenDett.NumRif = PreVenTest.NumRif") +
             QStringLiteral(" AND (PreVenDett.StatoRiga <>") + sql(kStatoEvaso) +
             QStringLiteral(" OR PreVenDett.StatoRiga IS NULL)");
        if (dato(osArticoloDa))
            s += QStringLiteral(" AND PreVenDett.Articolo >= ") + sql(osArticoloDa);
        if (dato(osArticoloA))
            s += QStringLiteral(" AND PreVenDett.Articolo <= ") + sql(osArticoloA);
        s += QStringLiteral(")");
    }
    if (ovDataConsDa || ovDataConsA)
        s += filtroDataConsTestata();
    if (ovDataRifDa)
        s += QStringLiteral(" and PreVenTest.DataRif >=") + sql(*ovDataRifDa);
    if (olNumRifDa > 0)
        s += QStringLiteral(" and PreVenTest.NumRif >=") + sql(olNumRifDa);
    if (olNumRifA > 0)
        s += QStringLiteral(" and PreVenTest.NumRif <=") + sql(olNumRifA);
    if (ovDataDocDa)
        s += QStringLiteral(" and PreVenTest.DataDoc >=") + sql(*ovDataDocDa);
    if (ovDataDocA)
        s += QStringLiteral(" and PreVenTest.DataDoc <=") + sql(*ovDataDocA);
    if (olNumDocDa > 0)
        s += QStringLiteral(" and PreVenTest.NumDoc >=") + sql(olNumDocDa);
    if (olNumDocA > 0)
        s += QStringLiteral(" and PreVenTest.NumDoc <=") + sql(olNumDocA);
    // A prefix match: wildcards typed in the text are taken literally.
    if (!osInDesc.isEmpty())
        s +=
            QStringLiteral(" and PreVenTest.Descrizione ") + SqlLikePrefix(mDb.dialect(), osInDesc);
    return s;
}

QString scEvaPrev::PrepSqlSelPre(int anno, qint32 numRif) const {
    QString filtro;
    if (anno == -1)
        filtro = QStringLiteral(" Where PreVenEvaTest.Utente = ") + sql(msUtente) +
                 QStringLiteral(" and PreVenEvaTest.Selez = ") + sql(QStringLiteral("S"));
    else if (numRif != 0)
        filtro = QStringLiteral(" Where PreVenTest.Anno = ") + sql(anno) +
                 QStringLiteral(" and PreVenTest.NumRif = ") + sql(numRif);
    else
        filtro = PrepSqlWhere();
    return selezioneTestate(anno == -1, filtro);
}

QString scEvaPrev::PrepSqlSelPreElenco(const QMap<int, QList<qint32>>& perAnno) const {
    return selezioneTestate(false, QStringLiteral(" Where ") + condizioneTestate(perAnno));
}

QString scEvaPrev::condizioneTestate(const QMap<int, QList<qint32>>& perAnno) const {
    QStringList condizioni;
    for (auto it = perAnno.cbegin(); it != perAnno.cend(); ++it) {
        QStringList elenco;
        for (qint32 n : it.value())
            elenco << sql(n);
        // Each list is filled up to a few fixed lengths with its last number: the same
        // statement then serves most slices and is prepared once instead of once per length.
        qsizetype lunghezza = 8;
        while (lunghezza < elenco.size())
            lunghezza *= 2;
        while (!elenco.isEmpty() && elenco.size() < lunghezza)
            elenco << elenco.constLast();
        condizioni << QStringLiteral("(PreVenTest.Anno = ") + sql(it.key()) +
                          QStringLiteral(" and PreVenTest.NumRif IN (") + elenco.join(u',') +
                          QStringLiteral("))");
    }
    return u'(' + condizioni.join(QStringLiteral(" or ")) + u')';
}

QString scEvaPrev::selezioneTestate(bool daGriglia, const QString& filtro) const {
    const bool tipoPerPreventivo = IsBlank(osTipoDocEva);
    QString s = QStringLiteral("Select PreVenTest.*, Monete.*") +
                QStringLiteral(",FattDocumenti.*, NoteFisse1.*,NoteFisse2.*,NoteFisse3.*") +
                QStringLiteral(",PianoConti.Bolli, PianoConti.SpeseBan, PianoConti.StRifOrd") +
                QStringLiteral(",PianoConti.Descrizione,PianoConti.PrezzoDDT,Pianoconti.RagDDT") +
                QStringLiteral(
                    ",PianoConti.StRifCli,Pianoconti.RagRB, PianoConti.FECodIPA, "
                    "PianoConti.IndAmm,PianoConti.DicIntenti") +
                QStringLiteral(", Pagamenti.NotaFissa, Pagamenti.FeBanca");
    if (tipoPerPreventivo)
        s += QStringLiteral(", FattDocumenti2.DoveStampoDesLung as Doc2DoveDesLung");
    s += QStringLiteral(" FROM ((((((");
    if (tipoPerPreventivo)
        s += QStringLiteral("(");
    if (daGriglia)
        s += QStringLiteral("(PreVenEvaTest left join PreVenTest") +
             QStringLiteral(" on PreVenEvaTest.Anno = PreVenTest.Anno") +
             QStringLiteral(" and PreVenEvaTest.NumRif = PreVenTest.NumRif)") +
             QStringLiteral(" left join FattDocumenti");
    else
        s += QStringLiteral(" PreVenTest left join FattDocumenti");
    s += QStringLiteral(" on PreVenTest.FattDocumento = FattDocumenti.FattDocumento)") +
         QStringLiteral(" left join Monete") +
         QStringLiteral(" on PreVenTest.Moneta = Monete.Moneta)") +
         QStringLiteral(" left join Pagamenti") +
         QStringLiteral(" on PreVenTest.Pagamento = Pagamenti.Pagamento)");
    for (int i = 1; i <= 3; ++i) {
        const QString n = QString::number(i);
        s += QStringLiteral(" left join NoteFisse AS NoteFisse") + n +
             QStringLiteral(" on PreVenTest.NumNota") + n + QStringLiteral(" = NoteFisse") + n +
             QStringLiteral(".NotaFissa)");
    }
    s += QStringLiteral(" left join PianoConti") +
         QStringLiteral(" on PreVenTest.GruppoCli = PianoConti.Gruppo") +
         QStringLiteral(" and PreVenTest.MastroCli = PianoConti.Mastro") +
         QStringLiteral(" and PreVenTest.ContoCli = PianoConti.Conto");
    if (tipoPerPreventivo)
        s += QStringLiteral(") left join FattDocumenti as FattDocumenti2") +
             QStringLiteral(" on FattDocumenti.FattDocEvasione = FattDocumenti2.FattDocumento");
    return s + filtro;
}

QString scEvaPrev::PrepSqlOrder() const {
    QString s =
        QStringLiteral(" Order by PreVenTest.GruppoCli,PreVenTest.MastroCli,PreVenTest.ContoCli") +
        QStringLiteral(",PreVenTest.MagazzProv");
    if (oiSplitPay != 2)
        s += QStringLiteral(",PreVenTest.IvaSosp");
    static const char* const kCampi[] = {
        "PrezziIvati", "Iva",     "Pagamento",     "ScontoPag",     "Banca",
        "RagSoc",      "IndSped", "IndirizzoSped", "Vettore",       "Resa",
        "Agente1",     "Agente2", "Moneta",        "MagazzDest",    "Contratto",
        "CIG",         "CUP",     "ScoPagSuDett",  "PdcDicIntenti", "NumRif"};
    for (const char* campo : kCampi)
        s += QStringLiteral(",PreVenTest.") + QLatin1String(campo);
    return s;
}

bool scEvaPrev::DataConsTestataInRange(const std::optional<QDate>& dataCons) const {
    if (!dataCons)
        return false;
    if (ovDataConsDa && *dataCons < *ovDataConsDa)
        return false;
    if (ovDataConsA && *dataCons > *ovDataConsA)
        return false;
    return true;
}

QString scEvaPrev::sorgenteDett(bool conLivelli) const {
    const QString chiaviEvaDett = QStringLiteral(" on PreVenEvaDett.Anno = PreVenDett.Anno") +
                                  QStringLiteral(" and PreVenEvaDett.NumRif = PreVenDett.NumRif") +
                                  QStringLiteral(" and PreVenEvaDett.RigLiv = PreVenDett.RigLiv)");
    QString s;
    if (!conLivelli) {
        s = obEvasManule ? QStringLiteral(" (PreVenEvaDett left join PreVenDett") + chiaviEvaDett
                         : QStringLiteral(" PreVenDett");
    } else if (!obEvasManule) {
        s = QStringLiteral(" (PreVenDett left join PreVenLiv") +
            QStringLiteral(" on PreVenDett.Anno = PreVenLiv.Anno ") +
            QStringLiteral(" and PreVenDett.NumRif = PreVenLiv.NumRif ") +
            QStringLiteral(" and PreVenDett.RigLiv = PreVenLiv.RigLiv) ");
    } else {
        s = QStringLiteral(" ((PreVenEvaDett left join PreVenDett") + chiaviEvaDett +
            QStringLiteral(" left join PreVenLiv") +
            QStringLiteral(" on PreVenEvaDett.Anno = PreVenLiv.Anno ") +
            QStringLiteral(" and PreVenEvaDett.NumRif = PreVenLiv.NumRif ") +
            QStringLiteral(" and PreVenEvaDett.RigLiv = PreVenLiv.RigLiv ") +
            QStringLiteral(" and PreVenEvaDett.Livello1 = PreVenLiv.Livello1 ") +
            QStringLiteral(" and PreVenEvaDett.Livello2 = PreVenLiv.Livello2) ");
    }
    return s + QStringLiteral(" left join Articoli") +
           QStringLiteral(" on PreVenDett.Articolo = Articoli.Articolo)") +
           QStringLiteral(" left join TabIva") + QStringLiteral(" on PreVenDett.Iva = TabIva.Iva");
}

QString scEvaPrev::condizioniSegnate(const QString& tabella) const {
    return QStringLiteral(" AND ") + tabella + QStringLiteral(".FlagStato <> ") +
           sql(QStringLiteral("0")) + QStringLiteral(" AND ") + tabella +
           QStringLiteral(".FlagStato <> ''") + QStringLiteral(" AND not(") + tabella +
           QStringLiteral(".FlagStato is null)");
}

QString scEvaPrev::gruppoDateDett(const PreventivoCorrente& prev) const {
    QString s = QStringLiteral(" And((");
    if (ovDataConsDa)
        s += QStringLiteral("PreVenDett.DataCons >=") + sql(*ovDataConsDa);
    if (ovDataConsDa && ovDataConsA)
        s += QStringLiteral(" And");
    if (ovDataConsA)
        s += QStringLiteral(" PreVenDett.DataCons <=") + sql(*ovDataConsA);
    // Lines without a date of their own inherit the header's.
    if (DataConsTestataInRange(prev.dataCons))
        s += QStringLiteral(" ) or PreVenDett.DataCons IS NULL)");
    else
        s += QStringLiteral(" ))");
    return s;
}

QString scEvaPrev::condizioniDett(const PreventivoCorrente& prev, bool conLivelli,
                                  bool soloSegnate) const {
    QString s = QStringLiteral(" Where PreVenDett.Anno = ") + sql(prev.anno) +
                QStringLiteral(" AND PreVenDett.NumRif = ") + sql(prev.numRif);
    if (soloSegnate) {
        s += condizioniSegnate(QStringLiteral("PreVenDett"));
        if (conLivelli)
            s += condizioniSegnate(QStringLiteral("PreVenLiv"));
    } else if (!obEvasManule) {
        s += QStringLiteral(" AND (PreVenDett.StatoRiga<>") + sql(kStatoEvaso) +
             QStringLiteral(" OR PreVenDett.StatoRiga is NULL)");
        if (ovDataConsDa || ovDataConsA)
            s += gruppoDateDett(prev);
        if (dato(osArticoloDa))
            s += QStringLiteral(" AND PreVenDett.Articolo >= ") + sql(osArticoloDa);
        if (dato(osArticoloA))
            s += QStringLiteral(" AND PreVenDett.Articolo <= ") + sql(osArticoloA);
    } else {
        s += QStringLiteral(" AND PreVenEvaDett.Utente = ") + sql(msUtente) +
             QStringLiteral(" and (PreVenEvaDett.ASaldo = ") + sql(QStringLiteral("S")) +
             QStringLiteral(" OR PreVenEvaDett.QtaDaEva >0 ) ");
    }
    return s;
}

// The bulk marks are written as an update of one table restricted to the keys the line query
// returns: an update over a join has no portable form.
QString scEvaPrev::PrepSqlDett(const PreventivoCorrente& prev, OpDett op, bool soloSegnate) const {
    const bool liv = mbGesTaglie;
    const QString sorgente = sorgenteDett(liv);
    const QString condizioni = condizioniDett(prev, liv, soloSegnate);
    if (op == OpDett::Leggi) {
        QString s = liv ? QStringLiteral(
                              "Select PreVenDett.*, PreVenLiv.*, Articoli.ArtMag, "
                              "Articoli.PezziPerConf, TabIva.*")
                        : QStringLiteral(
                              "Select PreVenDett.* , Articoli.ArtMag , "
                              "Articoli.PezziPerConf, TabIva.*");
        if (obEvasManule)
            s += QStringLiteral(",PreVenEvaDett.*");
        s += liv ? QStringLiteral(" from (") : QStringLiteral(" from(");
        return s + sorgente + condizioni + QStringLiteral(" Order by PreVenDett.RigDet");
    }
    const bool suLivelli = op == OpDett::Segna4Liv || op == OpDett::SegnaNLiv;
    if (suLivelli && !liv)
        return {};
    const QString valore = (op == OpDett::Segna4Dett || op == OpDett::Segna4Liv)
                               ? QStringLiteral("4")
                               : QStringLiteral("N");
    const QString chiaviSorgente = QStringLiteral(" from (") + sorgente + condizioni;
    if (!suLivelli)
        return QStringLiteral("Update PreVenDett Set FlagStato = ") + sql(valore) +
               QStringLiteral(" Where PreVenDett.Anno = ") + sql(prev.anno) +
               QStringLiteral(" AND PreVenDett.NumRif = ") + sql(prev.numRif) +
               QStringLiteral(" AND PreVenDett.RigLiv IN (Select PreVenDett.RigLiv") +
               chiaviSorgente + QStringLiteral(")");
    return QStringLiteral("Update PreVenLiv Set FlagStato = ") + sql(valore) +
           QStringLiteral(" Where PreVenLiv.Anno = ") + sql(prev.anno) +
           QStringLiteral(" AND PreVenLiv.NumRif = ") + sql(prev.numRif) +
           QStringLiteral(" AND (PreVenLiv.RigLiv, PreVenLiv.Livello1, PreVenLiv.Livello2) IN") +
           QStringLiteral(" (Select PreVenLiv.RigLiv, PreVenLiv.Livello1, PreVenLiv.Livello2") +
           chiaviSorgente + QStringLiteral(" AND LEN(PreVenLiv.Livello1)>0)");
}

QString scEvaPrev::PrepSqlRilettPreDett(const RowSet& riga) const {
    return QStringLiteral("SELECT PreVenDett.*") + QStringLiteral(" From PreVenDett") +
           QStringLiteral(" WHERE") + QStringLiteral(" PreVenDett.Anno=") +
           sql(riga.integer(QStringLiteral("PreVenDett.Anno"))) +
           QStringLiteral(" AND PreVenDett.NumRif=") +
           sql(riga.integer(QStringLiteral("PreVenDett.NumRif"))) +
           QStringLiteral(" AND PreVenDett.RigLiv=") +
           sql(riga.integer(QStringLiteral("PreVenDett.RigLiv")));
}

QString scEvaPrev::PrepSqlRilettPreDettLiv(const RowSet& riga) const {
    return QStringLiteral("SELECT PreVenLiv.*") + QStringLiteral(" From PreVenLiv") +
           QStringLiteral(" WHERE") + QStringLiteral(" PreVenLiv.Anno=") +
           sql(riga.integer(QStringLiteral("PreVenDett.Anno"))) +
           QStringLiteral(" AND PreVenLiv.NumRif=") +
           sql(riga.integer(QStringLiteral("PreVenDett.NumRif"))) +
           QStringLiteral(" AND PreVenLiv.RigLiv=") +
           sql(riga.integer(QStringLiteral("PreVenLiv.RigLiv"))) +
           QStringLiteral(" AND PreVenLiv.Livello1=") +
           sql(riga.text(QStringLiteral("PreVenLiv.Livello1"))) +
           QStringLiteral(" AND PreVenLiv.Livello2=") +
           sql(riga.text(QStringLiteral("PreVenLiv.Livello2")));
}

QString scEvaPrev::PrepSqlLivelliAperti(int anno, qint32 numRif, int rigLiv) const {
    return QStringLiteral("SELECT *") + QStringLiteral(" From PreVenLiv") +
           QStringLiteral(" WHERE") + QStringLiteral(" PreVenLiv.Anno=") + sql(anno) +
           QStringLiteral(" AND PreVenLiv.NumRif=") + sql(numRif) +
           QStringLiteral(" AND PreVenLiv.RigLiv=") + sql(rigLiv) +
           QStringLiteral(" AND (PreVenliv.StatoRiga<>") + sql(kStatoEvaso) +
           QStringLiteral(" OR PreVenliv.StatoRiga Is Null)");
}

QString scEvaPrev::PrepSqlSpesePreventivo(int anno, qint32 numRif) const {
    return QStringLiteral("Select PreVenEvaSpese.Selez,PreVenSpese.*, Spese.*") +
           QStringLiteral(" from (PreVenEvaSpese left join PreVenSpese ") +
           QStringLiteral(" on PreVenEvaSpese.Anno = PreVenSpese.Anno") +
           QStringLiteral(" and PreVenEvaSpese.NumRif = PreVenSpese.NumRif") +
           QStringLiteral(" and PreVenEvaSpese.Riga = PreVenSpese.Riga)") +
           QStringLiteral(" left join Spese") +
           QStringLiteral(" on PreVenSpese.Spesa = Spese.Spesa") +
           QStringLiteral(" Where PreVenSpese.Anno = ") + sql(anno) +
           QStringLiteral(" AND PreVenSpese.NumRif = ") + sql(numRif) +
           QStringLiteral(" AND PreVenEvaSpese.Utente = ") + sql(msUtente) +
           QStringLiteral(" AND PreVenEvaSpese.Selez = ") + sql(QStringLiteral("S")) +
           QStringLiteral(" Order by PreVenSpese.Riga");
}

QString scEvaPrev::PrepSqlUltimaRiga(const QString& tabella, int anno, qint32 numRif,
                                     const QString& campo) const {
    return QStringLiteral("Select top 1 * from ") + tabella + QStringLiteral(" where anno = ") +
           sql(anno) + QStringLiteral(" AND NumRif = ") + sql(numRif) +
           QStringLiteral(" order by ") + campo + QStringLiteral(" DESC");
}

int scEvaPrev::UltimaRiga(const QString& tabella, int anno, qint32 numRif, const QString& campo) {
    auto ultima = mDb.openRowSet(PrepSqlUltimaRiga(tabella, anno, numRif, campo));
    return ultima->eof() ? 0 : static_cast<int>(ultima->integer(campo));
}

}  // namespace evapre
