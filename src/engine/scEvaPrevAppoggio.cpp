// The criteria of a run saved in AppoggioTemp and read back.
#include "DateConv.h"
#include "DbConnection.h"
#include "DbError.h"
#include "RowSet.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

QString colonnaValore(TipoAppoggio tipo) {
    switch (tipo) {
        case TipoAppoggio::Testo:
            return QStringLiteral("Valorestringa");
        case TipoAppoggio::Numero:
            return QStringLiteral("Valorenumero");
        case TipoAppoggio::Data:
            break;
    }
    return QStringLiteral("Valoredata");
}

QVariant dataOVuoto(const std::optional<QDate>& data) {
    return data ? QVariant(*data) : QVariant();
}

// The exchange-rate list is kept as two ";"-separated texts, currencies and rates.
const QChar kSeparatoreCambi = QLatin1Char(';');

}  // namespace

void scEvaPrev::InserAppoggioTemp(const QString& campo, const QString& programma,
                                  const QVariant& valore, TipoAppoggio tipo) {
    SqlKind genere = SqlKind::Text;
    if (tipo == TipoAppoggio::Numero)
        genere = SqlKind::Number;
    else if (tipo == TipoAppoggio::Data)
        genere = SqlKind::Date;
    mDb.execute(QStringLiteral("INSERT INTO AppoggioTemp") +
                QStringLiteral("(Utente,IdProgramma,IdCampo,") + colonnaValore(tipo) +
                QStringLiteral(")") + QStringLiteral(" VALUES (") + sql(msUtente) +
                QStringLiteral(",") + sql(programma) + QStringLiteral(",") + sql(campo) +
                QStringLiteral(",") + mDb.sql(valore, genere) + QStringLiteral(")"));
}

QVariant scEvaPrev::LeggiAppoggioTemp(const QString& programma, const QString& campo,
                                      TipoAppoggio tipo, const QString& utente) {
    const QString chi = utente.isEmpty() ? msUtente : utente;
    if (!mbAppoggioLetto || chi != msAppUtente || programma != msAppProgramma) {
        auto righe =
            mDb.openRowSet(QStringLiteral("SELECT *") + QStringLiteral(" FROM AppoggioTemp") +
                           QStringLiteral(" WHERE Utente = ") + sql(chi) +
                           QStringLiteral(" AND IdProgramma = ") + sql(programma));
        msAppUtente = chi;
        msAppProgramma = programma;
        mAppoggioRighe.clear();
        for (; !righe->eof(); righe->moveNext())
            mAppoggioRighe.insert(righe->text(QStringLiteral("IdCampo")),
                                  {righe->value(QStringLiteral("Valorestringa")),
                                   righe->value(QStringLiteral("Valorenumero")),
                                   righe->value(QStringLiteral("Valoredata"))});
        mbAppoggioLetto = true;
    }
    const auto riga = mAppoggioRighe.constFind(campo);
    switch (tipo) {
        case TipoAppoggio::Testo:
            return riga == mAppoggioRighe.cend() ? QString() : riga->testo.toString();
        case TipoAppoggio::Numero:
            return riga == mAppoggioRighe.cend() || riga->numero.isNull()
                       ? QVariant::fromValue(Currency())
                       : QVariant::fromValue(Currency::fromVariant(riga->numero));
        case TipoAppoggio::Data:
            break;
    }
    if (riga == mAppoggioRighe.cend())
        return QVariant(DataNessuna());
    const auto data = ConvertiData(riga->data);
    return QVariant(data ? *data : DataNessuna());
}

void scEvaPrev::CancellaAppoggioTemp(const QString& programma) {
    mDb.execute(QStringLiteral("DELETE FROM AppoggioTemp") + QStringLiteral(" WHERE Utente = ") +
                sql(msUtente) + QStringLiteral(" AND IdProgramma = ") + sql(programma));
    mbAppoggioLetto = false;
}

// Saved all together or not at all; an earlier copy of the same user is replaced.
void scEvaPrev::CreaAppoggioTemp() {
    const QString p = idProgramma();
    DbTransaction transazione(mDb);
    CancellaAppoggioTemp(p);
    auto testo = [&](const char* campo, const QString& v) {
        InserAppoggioTemp(QString::fromLatin1(campo), p, v, TipoAppoggio::Testo);
    };
    auto numero = [&](const char* campo, qint64 v) {
        InserAppoggioTemp(QString::fromLatin1(campo), p, v, TipoAppoggio::Numero);
    };
    auto data = [&](const char* campo, const std::optional<QDate>& v) {
        InserAppoggioTemp(QString::fromLatin1(campo), p, dataOVuoto(v), TipoAppoggio::Data);
    };
    numero("oiAnno", oiAnno);
    numero("obEvasManule", obEvasManule ? 1 : 0);
    numero("obSuDispon", obSuDispon ? 1 : 0);
    data("otDataEvasione",
         otDataEvasione.isValid() ? std::optional<QDate>(otDataEvasione) : std::nullopt);
    testo("osFattDocPre", osFattDocPre);
    testo("osTipoDocEva", osTipoDocEva);
    numero("obEvACorrisp", obEvACorrisp ? 1 : 0);
    testo("osMoneta", osMoneta);
    testo("osCliDa", osCliDa);
    testo("osCliA", osCliA);
    testo("osArticoloDa", osArticoloDa);
    testo("osArticoloA", osArticoloA);
    data("ovDataConsDa", ovDataConsDa);
    data("ovDataConsA", ovDataConsA);
    data("ovDataRifDa", ovDataRifDa);
    data("ovDataRifA", ovDataRifA);
    numero("olNumRifDa", olNumRifDa);
    numero("olNumRifA", olNumRifA);
    data("ovDataDocDa", ovDataDocDa);
    data("ovDataDocA", ovDataDocA);
    numero("olNumDocDa", olNumDocDa);
    numero("olNumDocA", olNumDocA);
    testo("osPrefDoc", osPrefDoc);
    numero("oiPerIvaMese", oiPerIvaMese);
    numero("oiPerIvaAnno", oiPerIvaAnno);
    testo("osInDesc", osInDesc);
    numero("obSoloASaldo", obSoloASaldo ? 1 : 0);
    numero("oiCreAcq", oiCreAcq);
    QStringList monete, cambi;
    for (const auto& c : ogCambi) {
        monete << c.moneta;
        cambi << c.cambio.toSqlText();
    }
    testo("ogCambiMon", monete.join(kSeparatoreCambi));
    testo("ogCambiVal", cambi.join(kSeparatoreCambi));
    transazione.commit();
}

void scEvaPrev::ImportaAppoggioTemp(const QString& utente) {
    const QString p = idProgramma();
    mbAppoggioLetto = false;
    auto testo = [&](const char* campo) {
        return LeggiAppoggioTemp(p, QString::fromLatin1(campo), TipoAppoggio::Testo, utente)
            .toString();
    };
    auto numero = [&](const char* campo) {
        return LeggiAppoggioTemp(p, QString::fromLatin1(campo), TipoAppoggio::Numero, utente)
            .value<Currency>();
    };
    auto intero = [&](const char* campo) {
        return static_cast<qint32>(numero(campo).raw() / Currency::kScale);
    };
    auto vero = [&](const char* campo) { return !numero(campo).isZero(); };
    auto data = [&](const char* campo) -> std::optional<QDate> {
        const QDate d =
            LeggiAppoggioTemp(p, QString::fromLatin1(campo), TipoAppoggio::Data, utente).toDate();
        if (IsNessunaData(d))
            return std::nullopt;
        return d;
    };
    oiAnno = intero("oiAnno");
    obEvasManule = vero("obEvasManule");
    obSuDispon = vero("obSuDispon");
    otDataEvasione = data("otDataEvasione").value_or(QDate());
    osFattDocPre = testo("osFattDocPre");
    osTipoDocEva = testo("osTipoDocEva");
    obEvACorrisp = vero("obEvACorrisp");
    osMoneta = testo("osMoneta");
    osCliDa = testo("osCliDa");
    osCliA = testo("osCliA");
    osArticoloDa = testo("osArticoloDa");
    osArticoloA = testo("osArticoloA");
    ovDataConsDa = data("ovDataConsDa");
    ovDataConsA = data("ovDataConsA");
    ovDataRifDa = data("ovDataRifDa");
    ovDataRifA = data("ovDataRifA");
    olNumRifDa = intero("olNumRifDa");
    olNumRifA = intero("olNumRifA");
    ovDataDocDa = data("ovDataDocDa");
    ovDataDocA = data("ovDataDocA");
    olNumDocDa = intero("olNumDocDa");
    olNumDocA = intero("olNumDocA");
    osPrefDoc = testo("osPrefDoc");
    oiPerIvaMese = intero("oiPerIvaMese");
    oiPerIvaAnno = intero("oiPerIvaAnno");
    osInDesc = testo("osInDesc");
    obSoloASaldo = vero("obSoloASaldo");
    oiCreAcq = intero("oiCreAcq");
    const QStringList monete = testo("ogCambiMon").split(kSeparatoreCambi, Qt::SkipEmptyParts);
    const QStringList cambi = testo("ogCambiVal").split(kSeparatoreCambi, Qt::SkipEmptyParts);
    ogCambi.clear();
    for (qsizetype i = 0; i < monete.size() && i < cambi.size(); ++i)
        ogCambi.push_back({monete[i], Currency::parse(cambi[i]).value_or(Currency())});
}

}  // namespace evapre
