// Purchase price of an article: the supplier's own price, the list's promotion or price, or
// the costs of the year, then brought to the document's VAT basis.
#include "AziendaUtil.h"
#include "DbConnection.h"
#include "ParametriDitta.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TabelleMovimento.h"
#include "TextUtil.h"
#include "scCreaAcq.h"

namespace evapre {

namespace {

const QString kSi = QStringLiteral("S");

}  // namespace

PrezzoAcq scCreaAcq::CercaListinoDettAcq(const RichiestaPrezzoAcq& r) {
    PrezzoAcq p;
    const bool gesTaglie = mParametri.company(QStringLiteral("Mag.GesTaglie")).trimmed() == kSi;
    const bool perLivello = gesTaglie && r.flagLivLis && !IsBlank(r.liv1);
    const QString l1 = perLivello ? r.liv1 : TabelleMovimento::senzaLivello();
    const QString l2 = perLivello ? r.liv2 : TabelleMovimento::senzaLivello();
    const QString livelli = QStringLiteral(" AND Livello1 = ") + mDb.sql(l1) +
                            QStringLiteral(" AND Livello2 = ") + mDb.sql(l2);
    const QString q = TrimSpaces(r.qualeImporto).toUpper();
    const bool lire = !IsBlank(r.moneta) && r.moneta == mParametri.codLira();

    // 1. The supplier's own price, in the line's unit.
    if (mParametri.company(QStringLiteral("Mag.GesArtFor")).trimmed() == kSi &&
        q == QLatin1String("U") && r.intTipo == QLatin1String("2")) {
        auto f = mDb.openRowSet(QStringLiteral("Select * from ArticoliFor") +
                                QStringLiteral(" Where Articolo = ") + mDb.sql(r.articolo) +
                                livelli + QStringLiteral(" AND GruppoFor = ") + mDb.sql(r.gruppo) +
                                QStringLiteral(" AND MastroFor = ") + mDb.sql(r.mastro) +
                                QStringLiteral(" AND ContoFor = ") + mDb.sql(r.conto));
        if (!f->eof() && TrimSpaces(f->text(QStringLiteral("UltUM"))) == TrimSpaces(r.um)) {
            Currency prezzo = f->amount(QStringLiteral("PrezzoAcq"));
            if (prezzo.isZero())
                prezzo = f->amount(QStringLiteral("CostoUltimo"));
            const QString suaMoneta = f->text(QStringLiteral("Moneta"));
            if (!IsBlank(suaMoneta) && suaMoneta != r.moneta) {
                const Currency euro =
                    mMoneta.ConvertiInEuro(prezzo, cambioDi(suaMoneta),
                                           mMoneta.LeggiMoneta(suaMoneta).operatore, suaMoneta);
                prezzo = mMoneta.ConvertiDaEuro(euro, cambioDi(r.moneta),
                                                mMoneta.LeggiMoneta(r.moneta).operatore, r.moneta);
            }
            p.prezzo = Arrotonda(prezzo, 'A', r.numDecMonGes);
            p.sconto = f->text(QStringLiteral("Sconto"));
            p.trovato = true;
            return p;
        }
    }

    const QString data = mDb.sql(r.data);
    if (q != QLatin1String("M") && q != QLatin1String("U") && !IsBlank(r.listino)) {
        // 2.1 The newest promotion running on the date.
        auto pr = mDb.openRowSet(QStringLiteral("Select top 1 * from ArtLisPromozioni") +
                                 QStringLiteral(" Where Articolo = ") + mDb.sql(r.articolo) +
                                 QStringLiteral(" AND Listino = ") + mDb.sql(r.listino) + livelli +
                                 QStringLiteral(" AND DataInizioProm <= ") + data +
                                 QStringLiteral(" AND DataFineProm >= ") + data +
                                 QStringLiteral(" ORDER BY DataInizioProm Desc"));
        if (!pr->eof()) {
            p.prezzo = pr->amount(lire ? QStringLiteral("PrezzoLire") : QStringLiteral("Prezzo"));
            p.sconto = pr->text(QStringLiteral("Sconto"));
            p.modSconto = QStringLiteral("Prom");
            p.trovato = true;
        } else {
            // 2.2 The newest list price valid on the date, with the list's default discounts.
            auto li = mDb.openRowSet(
                QStringLiteral("Select top 1 ArtListini.*, Listini.ScoSomSost, Listini.Sconto "
                               "from ArtListini LEFT JOIN Listini") +
                QStringLiteral(" ON ArtListini.Listino = Listini.Listino") +
                QStringLiteral(" Where Articolo = ") + mDb.sql(r.articolo) +
                QStringLiteral(" AND ArtListini.Listino = ") + mDb.sql(r.listino) +
                QStringLiteral(" AND Livello1 = ") + mDb.sql(l1) +
                QStringLiteral(" AND Livello2 = ") + mDb.sql(l2) +
                QStringLiteral(" AND DataInizio <= ") + data +
                QStringLiteral(" ORDER BY DataInizio Desc"));
            if (!li->eof()) {
                p.prezzo = li->amount(lire ? QStringLiteral("ArtListini.PrezzoLire")
                                           : QStringLiteral("ArtListini.Prezzo"));
                const auto oDefault = [&](const char* colonna) {
                    const QString proprio =
                        li->text(QStringLiteral("ArtListini.") + QString::fromLatin1(colonna));
                    return IsBlank(proprio)
                               ? li->text(QStringLiteral("Listini.") + QString::fromLatin1(colonna))
                               : proprio;
                };
                p.modSconto = oDefault("ScoSomSost");
                p.sconto = oDefault("Sconto");
                p.trovato = true;
            }
        }
    } else if (q == QLatin1String("U") || q == QLatin1String("M")) {
        // 3. The costs of the year.
        auto c = mDb.openRowSet(QStringLiteral("Select * from ArticoliCosti") +
                                QStringLiteral(" Where anno = ") + mDb.sql(r.data.year()) +
                                QStringLiteral(" AND Articolo = ") + mDb.sql(r.articolo) + livelli);
        if (!c->eof()) {
            const QString colonna = q == QLatin1String("U") ? QStringLiteral("CostoUltimo")
                                                            : QStringLiteral("MedioPonderale");
            p.prezzo = c->amount(lire ? colonna + QStringLiteral("Lire") : colonna);
            p.trovato = true;
        }
    }

    // 4. The document's VAT basis.
    if (r.listIvato && !r.przIvato)
        p.prezzo = mMoneta.ScorporaIva(p.prezzo, r.percIva, r.numDecMonGes);
    else if (!r.listIvato && r.przIvato)
        p.prezzo = mMoneta.LordoDaNetto(p.prezzo, r.percIva, r.numDecMonGes);
    p.prezzo = Arrotonda(p.prezzo, 'A', r.numDecMonGes);
    return p;
}

}  // namespace evapre
