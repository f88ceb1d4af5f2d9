// What a posted receipt writes besides progressives and costs: the prices of the lists its
// article names for update, and the supplier's record of the article.
#include "AziendaUtil.h"
#include "DateConv.h"
#include "DbConnection.h"
#include "DbError.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TabelleMovimento.h"
#include "TextUtil.h"
#include "UtilMovim.h"

namespace evapre {

namespace {

const QString kSi = QStringLiteral("S");

}  // namespace

// ---- Price lists -------------------------------------------------------------------------------

// The rate of a currency on a date: the newest on or before it.
std::optional<Currency> UtilMovim::cambioDelGiorno(const QString& moneta, const QDate& data) {
    const QVariant cambio = mDb.scalar(
        QStringLiteral("Select top 1 Cambio from Cambi Where Moneta = ") + mDb.sql(moneta) +
        QStringLiteral(" And Data <= ") + mDb.sql(data) + QStringLiteral(" Order by Data Desc"));
    if (!cambio.isValid() || cambio.isNull())
        return std::nullopt;
    const Currency c = Currency::fromVariant(cambio);
    return c.isZero() ? std::nullopt : std::optional<Currency>(c);
}

Currency UtilMovim::inMonetaListino(Currency euro, const QString& monetaListino,
                                    const QString& operatore, const QDate& data,
                                    bool& cambioMancante) {
    const MoneySettings& s = mMoneta.settings();
    cambioMancante = false;
    if (IsBlank(monetaListino) || monetaListino.compare(s.codEuro, Qt::CaseInsensitive) == 0)
        return euro;
    if (monetaListino.compare(s.codLira, Qt::CaseInsensitive) == 0)
        return mMoneta.ConvertiDaEuro(euro, Currency(), operatore, s.codLira);
    const std::optional<Currency> cambio = cambioDelGiorno(monetaListino, data);
    if (!cambio) {
        cambioMancante = true;
        return {};
    }
    return mMoneta.ConvertiDaEuro(euro, *cambio, operatore, monetaListino);
}

bool UtilMovim::AggListino(const QString& articolo, const QString& livello1,
                           const QString& livello2, const QString& listino, const QDate& data,
                           Currency costo, const QString& gruppo, const QString& mastro,
                           const QString& conto, bool listinoCliente) {
    caricaImpostazioni();
    const auto nonAggiornato = [&](const QString& motivo) {
        segnala(QStringLiteral("Listino non aggiornato") + QStringLiteral(" (") + listino +
                QStringLiteral(", articolo ") + articolo + QStringLiteral(")") + QLatin1Char('\n') +
                motivo);
        return false;
    };
    try {
        auto prezzo = mDb.openRowSet(QStringLiteral("Select top 1 ArtListini.* from ArtListini") +
                                     QStringLiteral(" Where Articolo = ") + mDb.sql(articolo) +
                                     QStringLiteral(" AND ArtListini.Listino = ") +
                                     mDb.sql(listino) + QStringLiteral(" AND Livello1 = ") +
                                     mDb.sql(livello1) + QStringLiteral(" AND Livello2 = ") +
                                     mDb.sql(livello2) + QStringLiteral(" AND DataInizio <= ") +
                                     mDb.sql(data) + QStringLiteral(" ORDER BY DataInizio Desc"));
        auto lista = mDb.openRowSet(
            QStringLiteral("SELECT Monete.NumDecGest, Monete.Moneta, Monete.Operatore, "
                           "Listini.Ivato") +
            QStringLiteral(" FROM Listini INNER JOIN Monete ON Listini.Moneta = Monete.Moneta") +
            QStringLiteral(" Where Listini.Listino = ") + mDb.sql(listino));
        if (lista->eof())
            return nonAggiornato(QStringLiteral("Il listino o la sua moneta non esistono"));
        const int decimali = static_cast<int>(lista->integer(QStringLiteral("Monete.NumDecGest")));
        const QString monetaListino = TrimSpaces(lista->text(QStringLiteral("Monete.Moneta")));
        const QString operatore = TrimSpaces(lista->text(QStringLiteral("Monete.Operatore")));
        const bool ivato = TrimSpaces(lista->text(QStringLiteral("Listini.Ivato"))) == kSi;

        Currency maggiorazione;
        Currency aliquota;
        auto articoloRs = mDb.openRowSet(
            QStringLiteral("SELECT Articoli.Maggior, TabIva.Aliquota") +
            QStringLiteral(" FROM Articoli INNER JOIN TabIva ON Articoli.IvaVendite = TabIva.Iva") +
            QStringLiteral(" Where Articolo = ") + mDb.sql(articolo));
        if (!articoloRs->eof()) {
            maggiorazione = articoloRs->amount(QStringLiteral("Articoli.Maggior"));
            aliquota = articoloRs->amount(QStringLiteral("TabIva.Aliquota"));
        } else if (ivato) {
            return nonAggiornato(QStringLiteral("Manca il codice iva vendite dell'articolo"));
        }
        if (listinoCliente) {
            maggiorazione = Currency::fromVariant(
                mDb.scalar(QStringLiteral("SELECT PianoConti.PercRicListClie From PianoConti") +
                           QStringLiteral(" WHERE PianoConti.Gruppo = ") + mDb.sql(gruppo) +
                           QStringLiteral(" AND PianoConti.Mastro = ") + mDb.sql(mastro) +
                           QStringLiteral(" AND PianoConti.Conto = ") + mDb.sql(conto)));
            if (maggiorazione.isZero())
                maggiorazione = mImp.percRicListClie;
        }
        Currency euro = costo;
        if (!maggiorazione.isZero())
            euro = AziendaUtil::Sconto(euro, -maggiorazione.toDouble(), Currency::kDecimals);
        if (ivato)
            euro = euro + mMoneta.ImportoIva(euro, aliquota, Currency::kDecimals);
        bool cambioMancante = false;
        const Currency nelListino =
            inMonetaListino(euro, monetaListino, operatore, data, cambioMancante);
        if (cambioMancante)
            return nonAggiornato(QStringLiteral("Manca il cambio della moneta ") + monetaListino +
                                 QStringLiteral(" al ") + FormatData(data));

        const bool nuovo = prezzo->eof();
        QDate inizio = data;
        if (nuovo) {
            if (mImp.qualeDataLis == QLatin1String("D") && mImp.dataListino)
                inizio = *mImp.dataListino;
            prezzo->addNew();
            prezzo->set(QStringLiteral("Articolo"), articolo);
            prezzo->set(QStringLiteral("Livello1"), livello1);
            prezzo->set(QStringLiteral("Livello2"), livello2);
            prezzo->set(QStringLiteral("Listino"), listino);
            prezzo->set(QStringLiteral("DataInizio"), inizio);
        } else {
            prezzo->edit();
        }
        // The discount of a price found is kept; a new price has none.
        prezzo->set(QStringLiteral("Prezzo"),
                    QVariant::fromValue(Arrotonda(nelListino, 'A', decimali)));
        prezzo->set(
            QStringLiteral("PrezzoLire"),
            QVariant::fromValue(ConvertiValore(euro, Currency(), mMoneta.settings().codEuro).lire));
        prezzo->save();
        if (nuovo)
            mMoneta.RiconcatenaDateListino(articolo, livello1, livello2, listino, inizio);
        return true;
    } catch (const DbError& e) {
        return nonAggiornato(e.describe());
    } catch (const std::exception& e) {
        return nonAggiornato(QString::fromUtf8(e.what()));
    }
}

// ---- Supplier articles -------------------------------------------------------------------------

void UtilMovim::AggArtFor(const TestataMov& t, const RigaMov& riga, Currency quotaSpese) {
    if (riga.valUnitario <= Currency() || riga.qtaAggMag < Currency())
        return;
    if (IsBlank(t.gruppoCliFor) && IsBlank(t.mastroCliFor) && IsBlank(t.contoCliFor))
        return;
    auto f = rigaChiave(QStringLiteral("ArticoliFor"),
                        {{QStringLiteral("Articolo"), riga.articolo},
                         {QStringLiteral("Livello1"), livelloCosti(riga, false)},
                         {QStringLiteral("Livello2"), livelloCosti(riga, true)},
                         {QStringLiteral("GruppoFor"), t.gruppoCliFor},
                         {QStringLiteral("MastroFor"), t.mastroCliFor},
                         {QStringLiteral("ContoFor"), t.contoCliFor}});
    const QDate ultimo = f->date(QStringLiteral("DataUltAcq"));
    if (ultimo.isValid() && t.dataReg < ultimo) {
        f->cancel();
        return;
    }
    f->set(QStringLiteral("Moneta"), t.moneta);
    f->set(QStringLiteral("CostoUltimo"), QVariant::fromValue(riga.valUnitario + quotaSpese));
    f->set(QStringLiteral("UltUM"), riga.um);
    f->set(QStringLiteral("DataUltAcq"), t.dataReg);
    salvaRiga(*f);
}

}  // namespace evapre
