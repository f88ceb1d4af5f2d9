#include "DichIntenti.h"

#include <QStringList>

#include "Currency.h"
#include "DateConv.h"
#include "DbConnection.h"
#include "DbError.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "UiServices.h"

namespace evapre {

namespace {

const QString kSegno = QStringLiteral("§");
const QString kRigIni = QStringLiteral("§RigIni§");
const QString kRigFin = QStringLiteral("§RigFin§");
const QString kSezioneFatture = QStringLiteral("Fatture");

// "####": no digits for 0 or Null.
QString formatoNumero(const RowSet& riga, const QString& colonna) {
    const qint64 valore = riga.integer(colonna);
    return valore == 0 ? QString() : QString::number(valore);
}

QString formatoData(const RowSet& riga, const QString& colonna) {
    return FormatData(riga.date(colonna));
}

// "#,##0".
QString formatoImporto(const RowSet& riga, const QString& colonna) {
    return riga.isNull(colonna) ? QString() : riga.amount(colonna).format(0);
}

QString riempi(QString testo, const DichIntenti::Dichiarazione& d) {
    for (auto it = d.valori.constBegin(); it != d.valori.constEnd(); ++it)
        testo.replace(kSegno + it.key() + kSegno, it.value());
    return testo;
}

// The layout sections of a declaration.
QString applicaRiferimento(QString testo, const QString& rif) {
    const QString r = rif.trimmed().toUpper();
    const bool protocollo = r == QLatin1String("RIF2") || r == QLatin1String("RIF3");
    testo = DichIntenti::ApplicaSezione(testo, QStringLiteral("M0"), !protocollo);
    return DichIntenti::ApplicaSezione(testo, QStringLiteral("M2"), protocollo);
}

}  // namespace

DichIntenti::DichIntenti(DbConnection& db, ParametriDitta& parametri, UiServices& ui)
    : mDb(db), mParametri(parametri), mUi(ui) {}

QString DichIntenti::ModelloStandard(bool conProtocollo) {
    const QString base =
        QStringLiteral("Oper. non imponib.ai sensi ART.8/C DPR 633/72 e succ.mod.");
    if (conProtocollo)
        return base + QLatin1Char('\n') +
               QStringLiteral("Protocollo ricezione agenzia delle entrate: §ProtRicez§");
    return base + QLatin1Char('\n') +
           QStringLiteral(
               "§RigIni§Vostra dich. nr.§NrDich§ del  §DtDich§ - Nostra Reg. §NrRic§ "
               "del §DtRic§§M-UL§") +
           QLatin1Char('\n') + QStringLiteral("§/M-UL§§RigFin§");
}

QString DichIntenti::ApplicaSezione(QString testo, const QString& tag, bool tieni) {
    const QString apre = kSegno + tag + kSegno;
    const QString chiude = kSegno + QLatin1Char('/') + tag + kSegno;
    qsizetype da = 0;
    while ((da = testo.indexOf(apre, da)) >= 0) {
        const qsizetype fine = testo.indexOf(chiude, da + apre.size());
        if (fine < 0 || tieni) {
            if (fine >= 0)
                testo.remove(fine, chiude.size());
            testo.remove(da, apre.size());
        } else {
            testo.remove(da, fine + chiude.size() - da);
        }
    }
    testo.remove(chiude);
    return testo;
}

QString DichIntenti::CompilaModello(const QString& modello, const QVector<Dichiarazione>& dich) {
    if (dich.isEmpty())
        return modello;
    const int n = static_cast<int>(dich.size());
    QString testo = ApplicaSezione(modello, QStringLiteral("M1"), n == 1);
    testo = ApplicaSezione(testo, QStringLiteral("Mn"), n > 1);

    QString prima = testo;
    QString ripetuta;
    QString dopo;
    bool conRipetuta = false;
    const qsizetype ini = testo.indexOf(kRigIni);
    if (ini >= 0) {
        conRipetuta = true;
        prima = testo.left(ini);
        const qsizetype corpo = ini + kRigIni.size();
        const qsizetype fin = testo.indexOf(kRigFin, corpo);
        // Without its end marker the repeated part runs to the end of the text.
        ripetuta = fin < 0 ? testo.mid(corpo) : testo.mid(corpo, fin - corpo);
        dopo = fin < 0 ? QString() : testo.mid(fin + kRigFin.size());
    }

    const auto fuori = [&](QString parte) {
        parte = ApplicaSezione(parte, QStringLiteral("MUL"), true);
        parte = ApplicaSezione(parte, QStringLiteral("M-UL"), false);
        parte = applicaRiferimento(parte, dich.first().rifComunic);
        return riempi(parte, dich.first());
    };
    QString risultato = fuori(prima);
    if (conRipetuta) {
        for (int k = 0; k < n; ++k) {
            const bool ultima = k == n - 1;
            QString copia = ApplicaSezione(ripetuta, QStringLiteral("MUL"), ultima);
            copia = ApplicaSezione(copia, QStringLiteral("M-UL"), !ultima);
            copia = applicaRiferimento(copia, dich[k].rifComunic);
            risultato += riempi(copia, dich[k]);
        }
        risultato += fuori(dopo);
    }
    return risultato;
}

DichIntenti::Dichiarazione DichIntenti::daRiga(const RowSet& riga) {
    Dichiarazione d;
    auto& v = d.valori;
    v.insert(QStringLiteral("Codice"), formatoNumero(riga, QStringLiteral("PdcDicIntenti")));
    v.insert(QStringLiteral("Descr"), riga.text(QStringLiteral("Descrizione")));
    v.insert(QStringLiteral("ProtRicez"), riga.text(QStringLiteral("ProtRicezione")));
    v.insert(QStringLiteral("DtRicAgEn"), formatoData(riga, QStringLiteral("DataRicAE")));
    const QDate ricAE = riga.date(QStringLiteral("DataRicAE"));
    v.insert(QStringLiteral("AnnoRicAgEn"),
             IsNessunaData(ricAE) ? QString() : QString::number(ricAE.year()));
    v.insert(QStringLiteral("NrRic"), formatoNumero(riga, QStringLiteral("NrPrgIntenti")));
    v.insert(QStringLiteral("DtRic"), formatoData(riga, QStringLiteral("DataRicComIntenti")));
    v.insert(QStringLiteral("NrDich"), formatoNumero(riga, QStringLiteral("NrDichIntenti")));
    v.insert(QStringLiteral("DtDich"), formatoData(riga, QStringLiteral("DataDichIntenti")));
    v.insert(QStringLiteral("Importo"), formatoImporto(riga, QStringLiteral("ImportoDichIntenti")));
    v.insert(QStringLiteral("DataDa"), formatoData(riga, QStringLiteral("DataDAIntenti")));
    v.insert(QStringLiteral("DataA"), formatoData(riga, QStringLiteral("DataAIntenti")));
    d.rifComunic = riga.text(QStringLiteral("RifComunicIntenti"));
    return d;
}

QString DichIntenti::modelloScelto(const QString& modello, const QString& modelloDefault,
                                   bool conProtocollo) const {
    if (modello.size() >= 2 && modello.startsWith(kSegno) && modello.endsWith(kSegno))
        return modello.mid(1, modello.size() - 2);
    QString scelto;
    if (!IsBlank(modello))
        scelto = mParametri.personal(kSezioneFatture, modello.trimmed());
    if (IsBlank(scelto))
        scelto = modelloDefault;
    if (IsBlank(scelto))
        scelto = ModelloStandard(conProtocollo);
    return scelto;
}

QString DichIntenti::notaSingola(const QString& gruppo, const QString& mastro, const QString& conto,
                                 const QString& modello, const QString& modelloDefault) {
    auto riga =
        mDb.openRowSet(QStringLiteral("Select PianoConti.DicIntenti") +
                       QStringLiteral(", PianoConti.NrPrgIntenti,PianoConti.DataRicComIntenti,"
                                      "PianoConti.NrDichIntenti,PianoConti.DataDichIntenti,"
                                      "PianoConti.ImportoDichIntenti") +
                       QStringLiteral(" from PianoConti") + QStringLiteral(" Where Gruppo = ") +
                       mDb.sql(gruppo) + QStringLiteral(" And Mastro = ") + mDb.sql(mastro) +
                       QStringLiteral(" And Conto = ") + mDb.sql(conto));
    if (riga->eof())
        return Nessuna();

    if (riga->integer(QStringLiteral("NrPrgIntenti")) > 0) {
        Dichiarazione d;
        // Every placeholder has a value, empty for what this layout does not keep.
        for (const char* nome :
             {"Codice", "Descr", "ProtRicez", "DtRicAgEn", "AnnoRicAgEn", "DataDa", "DataA"})
            d.valori.insert(QString::fromLatin1(nome), QString());
        d.valori.insert(QStringLiteral("NrRic"),
                        formatoNumero(*riga, QStringLiteral("NrPrgIntenti")));
        d.valori.insert(QStringLiteral("DtRic"),
                        formatoData(*riga, QStringLiteral("DataRicComIntenti")));
        d.valori.insert(QStringLiteral("NrDich"),
                        formatoNumero(*riga, QStringLiteral("NrDichIntenti")));
        d.valori.insert(QStringLiteral("DtDich"),
                        formatoData(*riga, QStringLiteral("DataDichIntenti")));
        d.valori.insert(QStringLiteral("Importo"),
                        formatoImporto(*riga, QStringLiteral("ImportoDichIntenti")));
        // Without a personal text the note still cites the declaration, through the
        // template the caller would use for the declarations table.
        QString testo = mParametri.personal(kSezioneFatture, QStringLiteral("DichIntentiTesto"));
        if (IsBlank(testo))
            testo = modelloScelto(modello, modelloDefault, false);
        return CompilaModello(testo, {d});
    }

    const QString dicIntenti = riga->text(QStringLiteral("DicIntenti"));
    if (!IsBlank(dicIntenti)) {
        QStringList parti;
        for (const QString& parte :
             {mParametri.company(QStringLiteral("Fat.MessDichIntenti")), dicIntenti,
              mParametri.personal(kSezioneFatture, QStringLiteral("DichIntentiDopo"))}) {
            if (!IsBlank(parte))
                parti << parte.trimmed();
        }
        return parti.join(QLatin1Char(' '));
    }
    return Nessuna();
}

QString DichIntenti::NotaDichIntenti(const QString& gruppo, const QString& mastro,
                                     const QString& conto, const QString& modello,
                                     const QString& modelloDefault, int numero, bool soloAttive) {
    try {
        if (!mTabellaPresente)
            mTabellaPresente = mDb.tableExists(QStringLiteral("PdcDicIntenti"));
        if (!*mTabellaPresente)
            return notaSingola(gruppo, mastro, conto, modello, modelloDefault);

        QString sql = QStringLiteral("Select * from PdcDicIntenti") +
                      QStringLiteral(" Where Gruppo = ") + mDb.sql(gruppo) +
                      QStringLiteral(" And Mastro = ") + mDb.sql(mastro) +
                      QStringLiteral(" And Conto = ") + mDb.sql(conto);
        if (numero != 0)
            sql += QStringLiteral(" And PdcDicIntenti = ") + mDb.sql(numero);
        if (mDb.openRowSet(sql)->eof())
            return notaSingola(gruppo, mastro, conto, modello, modelloDefault);

        if (soloAttive)
            sql += QStringLiteral(" And Attivo = ") + mDb.sql(QStringLiteral("S"));
        sql += QStringLiteral(" order by PdcDicIntenti");
        auto righe = mDb.openRowSet(sql);
        QVector<Dichiarazione> dich;
        for (; !righe->eof(); righe->moveNext())
            dich.append(daRiga(*righe));
        if (dich.isEmpty())
            return Nessuna();
        const bool conProtocollo = !IsBlank(dich.first().valori.value(QStringLiteral("ProtRicez")));
        return CompilaModello(modelloScelto(modello, modelloDefault, conProtocollo), dich);
    } catch (const DbError& e) {
        const QString testo =
            QStringLiteral("Errore nella lettura delle dichiarazioni d'intento del cliente ") +
            gruppo + QLatin1Char('-') + mastro + QLatin1Char('-') + conto + QLatin1Char('\n') +
            e.describe();
        if (mRegistro)
            mRegistro(testo);
        else
            mUi.message(testo);
        return Nessuna();
    }
}

}  // namespace evapre
