#include "OrdEvaUt.h"

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "TabelleMovimento.h"
#include "TextUtil.h"

namespace evapre {

namespace {

const QString kProgressivi = QStringLiteral("ArticoliProg");
const QString kSi = QStringLiteral("S");

// Kits nest only a few levels deep; a deeper chain is a kit that contains itself.
constexpr int kMaxProfondita = 32;

// A quantity per kit in unit um, in the component's base unit.
Currency inUnitaBase(const RowSet& c, const QString& um, Currency qta) {
    const QString u = TrimSpaces(um);
    const auto fattore = [&](const char* colonna) {
        const Currency f = c.amount(QString::fromLatin1(colonna));
        return f.isZero() ? Currency::fromInt(1) : f;
    };
    if (u.isEmpty() || u == TrimSpaces(c.text(QStringLiteral("Articoli.ArtUM"))))
        return qta;
    if (u == TrimSpaces(c.text(QStringLiteral("Articoli.ArtUMVen"))))
        return qta * fattore("Articoli.FatConVen");
    if (u == TrimSpaces(c.text(QStringLiteral("Articoli.ArtUMAcq"))))
        return qta * fattore("Articoli.FatConAcq");
    return qta;
}

}  // namespace

OrdEvaUt::OrdEvaUt(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta)
    : mDb(db), mParametri(parametri), mMoneta(moneta) {}

void OrdEvaUt::AggiornaImpegni(const MovimentoImpegno& m) {
    if (!m.artMag || TrimSpaces(m.carScar) == QLatin1String("N") || m.qta.isZero())
        return;
    const bool conLivelli = m.perLivelli && !IsBlank(m.livello1) && !IsBlank(m.livello2);
    const QString l1 = conLivelli ? m.livello1 : TabelleMovimento::senzaLivello();
    const QString l2 = conLivelli ? m.livello2 : TabelleMovimento::senzaLivello();

    Currency valore = m.valore;
    Currency lire = m.valoreLire;
    const QString tipoIva = TrimSpaces(m.tipoIva);
    if (m.prezziIvati && (tipoIva == QLatin1String("0") || tipoIva == QLatin1String("1"))) {
        valore =
            mMoneta.ScorporaIva(valore, m.aliquota, mMoneta.DecimaliMoneta(mParametri.moneta()));
        lire = mMoneta.ScorporaIva(lire, m.aliquota, mMoneta.DecimaliMoneta(mParametri.codLira()));
    }
    const QStringList colonne =
        m.fornitore ? QStringList{QStringLiteral("QtaOrdFor"), QStringLiteral("ValOrdFor"),
                                  QStringLiteral("ValOrdForLire")}
                    : QStringList{QStringLiteral("QtaImpCli"), QStringLiteral("ValImpCli"),
                                  QStringLiteral("ValImpCliLire")};
    aggiungiProgressivo(m.anno, m.magazzino, m.articolo, l1, l2, colonne, {m.qta, valore, lire});

    if (!m.fornitore && mParametri.company(QStringLiteral("Ditta.InstDiBa")).trimmed() == kSi)
        EsplodiDistinta(m.anno, m.magazzino, m.articolo, m.qta);
}

void OrdEvaUt::EsplodiDistinta(int anno, const QString& magazzino, const QString& kit,
                               Currency qta) {
    QStringList percorso{kit};
    esplodi(anno, magazzino, kit, qta, percorso);
}

void OrdEvaUt::esplodi(int anno, const QString& magazzino, const QString& kit, Currency qta,
                       QStringList& percorso) {
    auto componenti =
        mDb.openRowSet(QStringLiteral("Select ArtLegami.*, Articoli.* from ArtLegami") +
                       QStringLiteral(" Left Join Articoli") +
                       QStringLiteral(" On ArtLegami.ArticoloFiglio = Articoli.Articolo") +
                       QStringLiteral(" Where ArticoloPadre = ") + mDb.sql(kit));
    for (; !componenti->eof(); componenti->moveNext()) {
        const QString figlio = componenti->text(QStringLiteral("ArtLegami.ArticoloFiglio"));
        const Currency q =
            inUnitaBase(*componenti, componenti->text(QStringLiteral("ArtLegami.UM")),
                        qta * componenti->amount(QStringLiteral("ArtLegami.Qta")));
        if (componenti->text(QStringLiteral("Articoli.DistBase")).trimmed() == kSi) {
            if (percorso.contains(figlio) || percorso.size() >= kMaxProfondita) {
                mCicliche << figlio;
                continue;
            }
            percorso << figlio;
            esplodi(anno, magazzino, figlio, q, percorso);
            percorso.removeLast();
            continue;
        }
        aggiungiProgressivo(anno, magazzino, figlio, TabelleMovimento::senzaLivello(),
                            TabelleMovimento::senzaLivello(), {QStringLiteral("QtaImpCli")}, {q});
    }
}

// Adds the deltas to every row of the year and of the later years, as one statement so that
// two programs updating the same article add up; the year's row is added when missing.
void OrdEvaUt::aggiungiProgressivo(int anno, const QString& magazzino, const QString& articolo,
                                   const QString& livello1, const QString& livello2,
                                   const QStringList& colonne, const QList<Currency>& delta) {
    const QString chiave = QStringLiteral(" And Magazzino=") + mDb.sql(magazzino) +
                           QStringLiteral(" And Articolo=") + mDb.sql(articolo) +
                           QStringLiteral(" And Livello1=") + mDb.sql(livello1) +
                           QStringLiteral(" And Livello2=") + mDb.sql(livello2);
    const bool annoPresente = mDb.scalar(QStringLiteral("Select count(*) from ") + kProgressivi +
                                         QStringLiteral(" where Anno=") + mDb.sql(anno) + chiave)
                                  .toInt() > 0;
    if (!annoPresente) {
        QList<QPair<QString, QVariant>> riga{{QStringLiteral("Anno"), anno},
                                             {QStringLiteral("Magazzino"), magazzino},
                                             {QStringLiteral("Articolo"), articolo},
                                             {QStringLiteral("Livello1"), livello1},
                                             {QStringLiteral("Livello2"), livello2}};
        for (int i = 0; i < colonne.size(); ++i)
            riga.append({colonne[i], QVariant::fromValue(Currency())});
        mDb.insertRow(kProgressivi, riga);
    }
    QString set;
    for (int i = 0; i < colonne.size(); ++i)
        set += (i ? QStringLiteral(", ") : QString()) + colonne[i] + QStringLiteral(" = ") +
               QStringLiteral("IIf(IsNull(") + colonne[i] + QStringLiteral("), 0, ") + colonne[i] +
               QStringLiteral(") + ") + mDb.sql(QVariant::fromValue(delta[i]));
    mDb.execute(QStringLiteral("Update ") + kProgressivi + QStringLiteral(" Set ") + set +
                QStringLiteral(" where Anno>=") + mDb.sql(anno) + chiave);
}

}  // namespace evapre
