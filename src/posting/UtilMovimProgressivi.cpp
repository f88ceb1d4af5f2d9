// What one movement row moves: the stock progressives of its warehouses (ArticoliProg) and the
// costs and statistics of its article (ArticoliCosti).
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
const QString kCarico = QStringLiteral("C");
const QString kScarico = QStringLiteral("S");
const QString kProgressivi = QStringLiteral("ArticoliProg");
const QString kCosti = QStringLiteral("ArticoliCosti");

// Unit costs keep the four decimals of the cost columns.
Currency costoUnitario(Currency valore, Currency qta) {
    return qta.isZero() ? Currency() : Arrotonda(valore / qta, 'A', Currency::kDecimals);
}

void aggiungi(RowSet& riga, const QString& colonna, Currency delta) {
    riga.set(colonna, QVariant::fromValue(riga.amount(colonna) + delta));
}

// A date column that only moves forward.
void dataPiuRecente(RowSet& riga, const QString& colonna, const QDate& data) {
    const QDate attuale = riga.date(colonna);
    if (data.isValid() && (!attuale.isValid() || data > attuale))
        riga.set(colonna, data);
}

}  // namespace

// ---- Keyed rows --------------------------------------------------------------------------------

QString UtilMovim::condizioni(const Chiave& chiave) const {
    QString s;
    for (const auto& [colonna, valore] : chiave)
        s += (s.isEmpty() ? QStringLiteral(" Where ") : QStringLiteral(" And ")) + colonna +
             QStringLiteral(" = ") + mDb.sql(valore);
    return s;
}

// On a server the row is locked until the transaction ends, so that two postings of the same
// article add up instead of overwriting each other; a file database has one writer at a time.
std::unique_ptr<RowSet> UtilMovim::rigaChiave(const QString& tabella, const Chiave& chiave) {
    QString sql = QStringLiteral("Select * from ") + tabella + condizioni(chiave);
    if (mDb.isServer())
        sql += QStringLiteral(" FOR UPDATE");
    auto riga = mDb.openRowSet(sql);
    if (riga->eof()) {
        riga->addNew();
        for (const auto& [colonna, valore] : chiave)
            riga->set(colonna, valore);
    } else {
        riga->edit();
    }
    return riga;
}

// A row another user added between our read and our insert: the row is posted again.
void UtilMovim::salvaRiga(RowSet& riga) {
    try {
        riga.save();
    } catch (const DbError& e) {
        if (e.number() != DbErr::DuplicateKey)
            throw;
        throw DbError(DbErr::DataChanged, e.text(), e.sql());
    }
}

QString UtilMovim::livelloProgressivi(const RigaMov& riga, bool secondo) const {
    if (riga.tipo == TipoRighe::Livelli && mImp.gesTaglie)
        return secondo ? riga.livello2 : riga.livello1;
    return TabelleMovimento::senzaLivello();
}

QString UtilMovim::livelloCosti(const RigaMov& riga, bool secondo) const {
    if (riga.tipo == TipoRighe::Livelli && riga.prezziPerLivello)
        return secondo ? riga.livello2 : riga.livello1;
    return TabelleMovimento::senzaLivello();
}

// ---- One row ---------------------------------------------------------------------------------

void UtilMovim::AggRigaProgr(const TestataMov& t, RigaMov& riga, const RipartizioneSpese& spese,
                             ModoAgg modo) {
    const CausaleMov& c = t.causale;
    if (!riga.artMag || c.nessunProgressivo())
        return;
    // The level lines carry the quantities of their detail line.
    if (riga.tipo == TipoRighe::Dettaglio && riga.conLivelli && riga.haRigheLivello)
        return;
    ValoriRiga v;
    v.qta = Arrotonda(riga.qtaAggMag, 'A', mImp.decQta);
    v.euro = riga.valEuro;
    v.lire = riga.valLire;
    if (riga.qtaAggMag != riga.qta && !riga.qta.isZero()) {
        v.euro = Arrotonda(riga.valEuro * riga.qtaAggMag / riga.qta, 'A', decEuro());
        v.lire = Arrotonda(riga.valLire * riga.qtaAggMag / riga.qta, 'A', decLire());
    }
    const Currency quota = spese.quota(riga);
    if (!quota.isZero() && !v.qta.isZero()) {
        const Currency perUnita = Arrotonda(quota / v.qta, 'A', Currency::kDecimals);
        const Valori s = ConvertiValore(perUnita * v.qta, riga.cambio, t.moneta);
        v.speseEuro = s.euro;
        v.speseLire = s.lire;
    }
    const bool provMag = c.prov == QLatin1String("M");
    if (provMag)
        AggProgressivi(t, riga, t.magazzinoProv, false, v, modo);
    if (c.dest == QLatin1String("M"))
        AggProgressivi(t, riga, t.magazzinoDest, provMag, v, modo);
    if ((c.carScar == kCarico || c.carScar == kScarico) && !c.esistenzaIniziale())
        AggCosti(t, riga, v, modo);
    if (modo == ModoAgg::Aggiorna && (c.prov == QLatin1String("F") || c.dest == QLatin1String("F")))
        AggArtFor(
            t, riga,
            riga.qta.isZero() ? Currency() : Arrotonda(quota / riga.qta, 'A', Currency::kDecimals));
}

// ---- Stock progressives ------------------------------------------------------------------------

void UtilMovim::AggProgressivi(const TestataMov& t, RigaMov& riga, const QString& magazzino,
                               bool inverti, const ValoriRiga& v, ModoAgg modo) {
    const CausaleMov& c = t.causale;
    QString d = c.carScar;
    if (inverti)
        d = d == kCarico ? kScarico : (d == kScarico ? kCarico : d);
    if (IsBlank(magazzino))
        throw DbError(0, (inverti || c.prov != QLatin1String("M")
                              ? QStringLiteral("Manca il magazzino di destinazione")
                              : QStringLiteral("Manca il magazzino di provenienza")) +
                             QStringLiteral(" del movimento ") + QString::number(t.numReg));
    // Reversal takes back with the opposite sign exactly what posting added.
    const int k = (modo == ModoAgg::Aggiorna ? 1 : -1) * c.segno1();
    const Currency q = v.qta * k;
    const Currency euro = v.euro * k;
    const Currency lire = v.lire * k;
    auto p =
        rigaChiave(kProgressivi, {{QStringLiteral("Anno"), t.anno},
                                  {QStringLiteral("Magazzino"), magazzino},
                                  {QStringLiteral("Articolo"), riga.articolo},
                                  {QStringLiteral("Livello1"), livelloProgressivi(riga, false)},
                                  {QStringLiteral("Livello2"), livelloProgressivi(riga, true)}});
    if (d == kCarico || d == kScarico) {
        if (c.esistenzaIniziale() && c.aggMedioCar == kSi) {
            aggiungi(*p, QStringLiteral("QtaIniziale"), q);
            aggiungi(*p, QStringLiteral("ValIniziale"), euro);
            aggiungi(*p, QStringLiteral("ValInizialeLire"), lire);
        } else {
            const bool carico = d == kCarico;
            aggiungi(*p, carico ? QStringLiteral("QtaCarico") : QStringLiteral("QtaScarico"), q);
            aggiungi(*p, carico ? QStringLiteral("ValCarico") : QStringLiteral("ValScarico"), euro);
            aggiungi(*p,
                     carico ? QStringLiteral("ValCaricoLire") : QStringLiteral("ValScaricoLire"),
                     lire);
            if (modo == ModoAgg::Aggiorna)
                dataPiuRecente(
                    *p, carico ? QStringLiteral("DataUltCarico") : QStringLiteral("DataUltScarico"),
                    t.dataReg);
            const QChar valorizzazione =
                c.valorizzScarico.isEmpty() ? QChar() : c.valorizzScarico.at(0);
            if (!carico && valorizzazione != QLatin1Char('N')) {
                if (modo == ModoAgg::Aggiorna) {
                    riga.valScarico = costoScarico(*p, false, valorizzazione);
                    riga.valScaricoLire = costoScarico(*p, true, valorizzazione);
                    riga.scaricoValorizzato = true;
                }
                aggiungi(*p, QStringLiteral("ValScaUC"),
                         Arrotonda(riga.valScarico * q, 'A', decEuro()));
                aggiungi(*p, QStringLiteral("ValScaUCLire"),
                         Arrotonda(riga.valScaricoLire * q, 'A', decLire()));
            }
        }
        if (modo == ModoAgg::Aggiorna && mImp.aggForArt &&
            (c.prov == QLatin1String("F") || c.dest == QLatin1String("F")))
            aggiornaFornitoreAbituale(t, riga);
    }
    if (!c.qualeProgrQta.isEmpty()) {
        const QString colonna =
            (c.esistenzaIniziale() ? QStringLiteral("ProgrQtaIniz") : QStringLiteral("ProgrQta")) +
            c.qualeProgrQta;
        if (!p->hasColumn(colonna))
            throw DbError(DbErr::UnknownColumn, QStringLiteral("Il progressivo ") + colonna +
                                                    QStringLiteral(" della causale ") +
                                                    c.magCausale + QStringLiteral(" non esiste"));
        aggiungi(*p, colonna, q);
    }
    salvaRiga(*p);
}

// The unit cost an issue is valued at, from the progressive row as it stands before the issue.
Currency UtilMovim::costoScarico(const RowSet& p, bool lire, QChar valorizzazione) const {
    const QString suff = lire ? QStringLiteral("Lire") : QString();
    Currency costo;
    switch (valorizzazione.unicode()) {
        case 'C':
            costo = costoUnitario(p.amount(QStringLiteral("ValMedioC") + suff),
                                  p.amount(QStringLiteral("QtaMedioC")));
            break;
        case 'P':
            costo = p.amount(QStringLiteral("MedioPonderale") + suff);
            break;
        case 'U':
            costo = p.amount(QStringLiteral("CostoUltimo") + suff);
            break;
        default:
            break;
    }
    if (costo.isZero())
        costo = costoUnitario(p.amount(QStringLiteral("ValIniziale") + suff),
                              p.amount(QStringLiteral("QtaIniziale")));
    return Arrotonda(costo, 'A', Currency::kDecimals);
}

// A purchase makes its supplier the article's usual one.
void UtilMovim::aggiornaFornitoreAbituale(const TestataMov& t, RigaMov& riga) {
    if (IsBlank(t.gruppoCliFor) && IsBlank(t.mastroCliFor) && IsBlank(t.contoCliFor))
        return;
    if (riga.gruppoForAb == t.gruppoCliFor && riga.mastroForAb == t.mastroCliFor &&
        riga.contoForAb == t.contoCliFor)
        return;
    mDb.execute(QStringLiteral("Update Articoli Set GruppoForAb = ") + mDb.sql(t.gruppoCliFor) +
                QStringLiteral(", MastroForAb = ") + mDb.sql(t.mastroCliFor) +
                QStringLiteral(", ContoForAb = ") + mDb.sql(t.contoCliFor) +
                QStringLiteral(" Where Articolo = ") + mDb.sql(riga.articolo));
    riga.gruppoForAb = t.gruppoCliFor;
    riga.mastroForAb = t.mastroCliFor;
    riga.contoForAb = t.contoCliFor;
}

// ---- Costs and statistics ----------------------------------------------------------------------

Currency UtilMovim::giacenzaDopo(int anno, const QString& articolo, const QString& livello1,
                                 const QString& livello2, bool perLivello) {
    QString s = QStringLiteral("Select sum(QtaIniziale) As SumQtaIniziale") +
                QStringLiteral(", sum(QtaCarico) As SumQtaCarico") +
                QStringLiteral(", sum(QtaSCarico) As SumQtaSCarico") +
                QStringLiteral(" from ArticoliProg") + QStringLiteral(" Where Anno = ") +
                mDb.sql(anno) + QStringLiteral(" and Articolo = ") + mDb.sql(articolo);
    if (perLivello)
        s += QStringLiteral(" and Livello1 = ") + mDb.sql(livello1) +
             QStringLiteral(" and Livello2 = ") + mDb.sql(livello2);
    auto somme = mDb.openRowSet(s);
    if (somme->eof())
        return {};
    return somme->amount(QStringLiteral("SumQtaIniziale")) +
           somme->amount(QStringLiteral("SumQtaCarico")) -
           somme->amount(QStringLiteral("SumQtaSCarico"));
}

void UtilMovim::AggCosti(const TestataMov& t, const RigaMov& riga, const ValoriRiga& v,
                         ModoAgg modo) {
    const CausaleMov& c = t.causale;
    const QString l1 = livelloCosti(riga, false);
    const QString l2 = livelloCosti(riga, true);
    auto k = rigaChiave(kCosti, {{QStringLiteral("Anno"), t.anno},
                                 {QStringLiteral("Articolo"), riga.articolo},
                                 {QStringLiteral("Livello1"), l1},
                                 {QStringLiteral("Livello2"), l2}});
    const bool aumenta = c.aumentaGiacenza();
    const bool qPositiva = v.qta > Currency();
    // What the goods cost: their value and their share of the movement's expenses.
    const Currency costoEuro = v.euro + v.speseEuro;
    const Currency costoLire = v.lire + v.speseLire;
    const Currency unitEuro = costoUnitario(costoEuro, v.qta);
    const Currency unitLire = costoUnitario(costoLire, v.qta);

    // Costs that posting overwrites are left as they are by a reversal.
    if (modo == ModoAgg::Aggiorna) {
        if (aumenta && qPositiva && c.aggMedioPon == kSi) {
            if (riga.tipo == TipoRighe::Livelli)
                k->set(QStringLiteral("CMPValido"), QStringLiteral("N"));
            const bool perLivello = l1 != TabelleMovimento::senzaLivello() && mImp.gesTaglie;
            const Currency dopo = giacenzaDopo(t.anno, riga.articolo, l1, l2, perLivello);
            if (!Arrotonda(dopo, 'A', mImp.decQta).isZero()) {
                // With no stock (or a negative one) before the receipt, what was there carried
                // no cost to average with: the receipt's own cost is the average.
                const Currency prima = dopo - v.qta;
                const auto media = [&](const QString& colonna, Currency costo, Currency unit) {
                    const Currency nuova =
                        prima > Currency() ? Arrotonda((k->amount(colonna) * prima + costo) / dopo,
                                                       'A', Currency::kDecimals)
                                           : unit;
                    if (nuova > Currency())
                        k->set(colonna, QVariant::fromValue(nuova));
                };
                media(QStringLiteral("MedioPonderale"), costoEuro, unitEuro);
                media(QStringLiteral("MedioPonderaleLire"), costoLire, unitLire);
            }
        }
        const QDate dataUltimo = k->date(QStringLiteral("DataCostoUltimo"));
        if (c.aggCostoUlt == kSi && qPositiva && v.euro > Currency() &&
            (!dataUltimo.isValid() || t.dataReg >= dataUltimo)) {
            k->set(QStringLiteral("DataCostoUltimo"), t.dataReg);
            k->set(QStringLiteral("CostoUltimo"), QVariant::fromValue(unitEuro));
            k->set(QStringLiteral("CostoUltimoLire"), QVariant::fromValue(unitLire));
            aggiornaListini(t, riga, unitEuro);
        }
        if ((c.aggCostoUlt == kSi || c.aggMedioPon == kSi || c.aggMedioCar == kSi) && qPositiva &&
            unitEuro > k->amount(QStringLiteral("CostoPiu"))) {
            k->set(QStringLiteral("DataCostoPiu"), t.dataReg);
            k->set(QStringLiteral("CostoPiu"), QVariant::fromValue(unitEuro));
            k->set(QStringLiteral("CostoPiuLire"), QVariant::fromValue(unitLire));
        }
    }

    const int m = modo == ModoAgg::Aggiorna ? 1 : -1;
    if (c.acqVen == QLatin1String("A") && aumenta) {
        aggiungi(*k, QStringLiteral("QtaAcquisti"), v.qta * m);
        aggiungi(*k, QStringLiteral("ValAcquisti"), v.euro * m);
        aggiungi(*k, QStringLiteral("ValAcquistiLire"), v.lire * m);
    } else if (c.acqVen == QLatin1String("V") && c.diminuisceGiacenza()) {
        aggiungi(*k, QStringLiteral("QtaVenduto"), v.qta * m);
        aggiungi(*k, QStringLiteral("ValVenduto"), v.euro * m);
        aggiungi(*k, QStringLiteral("ValVendutoLire"), v.lire * m);
    }
    if (c.aggMedioCar == kSi && c.carScar == kCarico) {
        const int s = m * c.segno1();
        aggiungi(*k, QStringLiteral("QtaMedioC"), v.qta * s);
        aggiungi(*k, QStringLiteral("ValMedioC"), costoEuro * s);
        aggiungi(*k, QStringLiteral("ValMedioCLire"), costoLire * s);
    }
    salvaRiga(*k);
}

// The new cost flows into the price lists the article names.
void UtilMovim::aggiornaListini(const TestataMov& t, const RigaMov& riga, Currency costo) {
    const QString l1 = livelloCosti(riga, false);
    const QString l2 = livelloCosti(riga, true);
    if (!riga.listDaAgg.isEmpty())
        AggListino(riga.articolo, l1, l2, riga.listDaAgg, t.dataReg, costo, t.gruppoCliFor,
                   t.mastroCliFor, t.contoCliFor, false);
    if (!riga.listDaAggClie.isEmpty() && mImp.listVenDaAggOrd)
        AggListino(riga.articolo, l1, l2, riga.listDaAggClie, t.dataReg, costo, t.gruppoCliFor,
                   t.mastroCliFor, t.contoCliFor, true);
}

}  // namespace evapre
