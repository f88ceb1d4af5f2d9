// Line fulfilment: the quote's lines (and levels) into the document's lines, the reference
// lines, the electrical-waste link, and what was delivered written back on the quote.
#include <QHash>
#include <QMap>

#include "AziendaUtil.h"
#include "DateConv.h"
#include "DbConnection.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

const QString kEvaso = QStringLiteral("E");
const QString kParziale = QStringLiteral("P");
const QString kSi = QStringLiteral("S");
// Origin kind written on every produced line: the line comes from a quote.
const QString kTipoProv = QStringLiteral("Prev");

// Columns of the quote line copied as they are into the document line.
const char* const kColonneCopiate[] = {
    "TipoRiga",       "FormatoRiga",      "Articolo",       "Descrizione",   "UM",
    "FatCon",         "ValUnitario",      "ScontoTab",      "ScontoCli",     "ScontoArt",
    "ScontoQuant",    "ScontoTot",        "FlScontoPag",    "Promozione",    "Iva",
    "GruppoVen",      "MastroVen",        "ContoVen",       "Omaggio",       "PercProvv1",
    "PercProvv2",     "Lunghezza",        "Larghezza",      "Altezza",       "DescPers",
    "NotaSopraStamp", "NotaSoSotAttEEva", "NotaSottoStamp", "NotaSopra",     "NotaSotto",
    "CompGiornMens",  "DataCompDa",       "DataCompA",      "CentroDiCosto", "BeneUsato",
    "SoggRitAcc"};
// Columns computed for each document line, after the copied ones.
const char* const kColonneCalcolate[] = {"Anno",
                                         "NumRif",
                                         "RigDet",
                                         "RigLiv",
                                         "DoveStampoDesLung",
                                         "Colli",
                                         "Qta",
                                         "ValTotale",
                                         "Cambio",
                                         "ValLire",
                                         "ValEuro",
                                         "Contratto",
                                         "TipoProv",
                                         "FattDocumentoProv",
                                         "AnnoRifProv",
                                         "NumRifProv",
                                         "RigaRifProv",
                                         "RigLivRAEE"};
const char* const kColonneLivello[] = {
    "Anno",       "NumRif",     "RigLiv",      "Livello1",  "Livello2",          "UM",
    "FatCon",     "Qta",        "ValUnitario", "ValTotale", "ValLire",           "ValEuro",
    "FlagStato",  "RigLivOrig", "QtaProv",     "TipoProv",  "FattDocumentoProv", "AnnoRifProv",
    "NumRifProv", "RigaRifProv"};

QStringList nomi(const char* const* inizio, const char* const* fine) {
    QStringList out;
    for (auto p = inizio; p != fine; ++p)
        out << QLatin1String(*p);
    return out;
}

const QStringList& colonneDettaglio() {
    static const QStringList colonne =
        nomi(std::begin(kColonneCopiate), std::end(kColonneCopiate)) +
        nomi(std::begin(kColonneCalcolate), std::end(kColonneCalcolate));
    return colonne;
}

const QStringList& colonneLivello() {
    static const QStringList colonne = nomi(std::begin(kColonneLivello), std::end(kColonneLivello));
    return colonne;
}

QString statoDopo(Currency qtaOrdinata, Currency evasaDopo, bool aSaldo) {
    return aSaldo || evasaDopo >= qtaOrdinata ? kEvaso : kParziale;
}

}  // namespace

// ---- Reading the lines to deliver ------------------------------------------------------------

namespace {

// Positions of the columns the line step reads, resolved once per line query.
struct ColonneLinee {
    ColonneLinee(const RowSet& r, bool manuale, bool livelli) {
        const auto at = [&r](const QString& nome) { return r.columnIndex(nome); };
        for (const char* nome : kColonneCopiate)
            copiate.push_back(at(QStringLiteral("PreVenDett.") + QLatin1String(nome)));
        rigLiv = at(QStringLiteral("PreVenDett.RigLiv"));
        tipoRiga = at(QStringLiteral("PreVenDett.TipoRiga"));
        articolo = at(QStringLiteral("PreVenDett.Articolo"));
        um = at(QStringLiteral("PreVenDett.UM"));
        doveStampoDesLung = at(QStringLiteral("PreVenDett.DoveStampoDesLung"));
        rigLivRaee = at(QStringLiteral("PreVenDett.RigLivRAEE"));
        qta = at(QStringLiteral("PreVenDett.Qta"));
        qtaEvasa = at(QStringLiteral("PreVenDett.QtaEvasa"));
        valTotale = at(QStringLiteral("PreVenDett.ValTotale"));
        colli = at(QStringLiteral("PreVenDett.Colli"));
        fatCon = at(QStringLiteral("PreVenDett.FatCon"));
        pezziPerConf = at(QStringLiteral("Articoli.PezziPerConf"));
        artMag = at(QStringLiteral("Articoli.ArtMag"));
        tipoIva = at(QStringLiteral("TabIva.TipoIva"));
        aliquota = at(QStringLiteral("TabIva.Aliquota"));
        if (manuale) {
            qtaDaEva = at(QStringLiteral("PreVenEvaDett.QtaDaEva"));
            aSaldo = at(QStringLiteral("PreVenEvaDett.ASaldo"));
        }
        if (livelli) {
            liv.livello1 = at(QStringLiteral("PreVenLiv.Livello1"));
            liv.livello2 = at(QStringLiteral("PreVenLiv.Livello2"));
            liv.um = at(QStringLiteral("PreVenLiv.UM"));
            liv.fatCon = at(QStringLiteral("PreVenLiv.FatCon"));
            liv.valUnitario = at(QStringLiteral("PreVenLiv.ValUnitario"));
            liv.qta = at(QStringLiteral("PreVenLiv.Qta"));
            liv.qtaEvasa = at(QStringLiteral("PreVenLiv.QtaEvasa"));
            liv.valTotale = at(QStringLiteral("PreVenLiv.ValTotale"));
            liv.statoRiga = at(QStringLiteral("PreVenLiv.StatoRiga"));
        }
    }
    std::vector<int> copiate;
    int rigLiv, tipoRiga, articolo, um, doveStampoDesLung, rigLivRaee, qta, qtaEvasa, valTotale,
        colli, fatCon, pezziPerConf, artMag, tipoIva, aliquota;
    int qtaDaEva = -1, aSaldo = -1;
    struct {
        int livello1 = -1, livello2, um, fatCon, valUnitario, qta, qtaEvasa, valTotale, statoRiga;
    } liv;
};

void leggiLivello(const RowSet& r, const ColonneLinee& c, bool manuale, bool automatico,
                  scEvaPrev::RigaDaEvadere& riga) {
    scEvaPrev::LivelloDaEvadere l;
    l.livello1 = r.textAt(c.liv.livello1);
    l.livello2 = r.textAt(c.liv.livello2);
    l.um = r.valueAt(c.liv.um);
    l.fatCon = r.valueAt(c.liv.fatCon);
    l.valUnitario = r.valueAt(c.liv.valUnitario);
    l.flagStato = QStringLiteral("4");  // the mark of the rows this step reads
    l.qtaOrdinata = r.amountAt(c.liv.qta);
    l.qtaEvasa = r.amountAt(c.liv.qtaEvasa);
    l.valTotale = r.amountAt(c.liv.valTotale);
    if (automatico) {
        // A level closed earlier has nothing left to deliver.
        const bool chiuso = TrimSpaces(r.textAt(c.liv.statoRiga)) == kEvaso;
        l.qta = chiuso ? Currency() : l.qtaOrdinata - l.qtaEvasa;
    } else if (manuale) {
        l.qta = r.amountAt(c.qtaDaEva);
        l.aSaldo = TrimSpaces(r.textAt(c.aSaldo)) == kSi;
    }
    riga.livelli.push_back(std::move(l));
}

scEvaPrev::RigaDaEvadere leggiRiga(const RowSet& r, const ColonneLinee& c, bool manuale) {
    scEvaPrev::RigaDaEvadere riga;
    riga.rigLiv = static_cast<int>(r.integerAt(c.rigLiv));
    riga.copiate.reserve(static_cast<qsizetype>(c.copiate.size()));
    for (int indice : c.copiate)
        riga.copiate << r.valueAt(indice);
    riga.tipoRiga = TrimSpaces(r.textAt(c.tipoRiga)).toUpper();
    riga.articolo = r.textAt(c.articolo);
    riga.um = r.textAt(c.um);
    riga.doveStampoDesLung = r.textAt(c.doveStampoDesLung);
    riga.rigLivRaee = r.valueAt(c.rigLivRaee);
    riga.qtaOrdinata = r.amountAt(c.qta);
    riga.qtaEvasa = r.amountAt(c.qtaEvasa);
    riga.valTotale = r.amountAt(c.valTotale);
    riga.colli = r.amountAt(c.colli);
    riga.fatCon = r.amountAt(c.fatCon);
    riga.pezziPerConf = r.amountAt(c.pezziPerConf);
    riga.artMag = TrimSpaces(r.textAt(c.artMag)) == kSi;
    riga.tipoIva = r.textAt(c.tipoIva);
    riga.aliquota = r.amountAt(c.aliquota);
    if (manuale) {
        riga.qta = r.amountAt(c.qtaDaEva);
        riga.aSaldo = TrimSpaces(r.textAt(c.aSaldo)) == kSi;
    } else {
        riga.qta = riga.qtaOrdinata - riga.qtaEvasa;
    }
    return riga;
}

}  // namespace

// ---- The line step -----------------------------------------------------------------------------

int scEvaPrev::EvadoPreDett(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci) {
    impostaPasso(QStringLiteral("Evasione dettagli: preparazione dei recordset del documento"));
    const bool livelli = mbGesTaglie;
    // The lines and levels this step reads would be marked "4" for the length of the quote's
    // transaction and cleared at its end; nobody else sees the mark, so the rows read are
    // taken as marked and cleared by key with the quantities (aggiornaPreventivo).
    impostaPasso(QStringLiteral("Evasione dettagli"));
    std::vector<scEvaPrev::RigaDaEvadere> righe;
    if (!letturePrimaDellaTestata())
        annunciaLetture(prev);
    {
        auto sorgente = mDb.openRowSet(PrepSqlDett(prev, OpDett::Leggi, false));
        std::optional<ColonneLinee> colonne;
        for (; !sorgente->eof(); sorgente->moveNext()) {
            if (!colonne)
                colonne.emplace(*sorgente, obEvasManule, livelli);
            const int rigLiv = static_cast<int>(sorgente->integerAt(colonne->rigLiv));
            if (righe.empty() || righe.back().rigLiv != rigLiv)
                righe.push_back(leggiRiga(*sorgente, *colonne, obEvasManule));
            if (livelli && !TrimSpaces(sorgente->textAt(colonne->liv.livello1)).isEmpty())
                leggiLivello(*sorgente, *colonne, obEvasManule, !obEvasManule, righe.back());
        }
    }
    // A line with levels delivers what its levels deliver.
    for (scEvaPrev::RigaDaEvadere& riga : righe) {
        if (riga.livelli.empty())
            continue;
        riga.qta = Currency();
        for (const scEvaPrev::LivelloDaEvadere& l : riga.livelli)
            riga.qta += l.qta;
    }

    const auto produce = [&](const scEvaPrev::RigaDaEvadere& riga) {
        if (riga.tipoRiga == QLatin1String("D"))
            return true;
        if (obEvasManule)
            return riga.qta != Currency();
        // Automatic: what is left, and the lines without a quantity (texts, notes).
        return riga.qta != Currency() || riga.qtaOrdinata == Currency();
    };
    int daProdurre = 0;
    for (const scEvaPrev::RigaDaEvadere& riga : righe)
        daProdurre += produce(riga) ? 1 : 0;

    impostaPasso(QStringLiteral("Ricerca ultimo RigDet e RigLiv"));
    StatoDocumento& stato = statoDocumento(mDoc.anno, mDoc.numRif);
    if (!stato.righeLette) {
        stato.ultimoRigDet =
            UltimaRiga(mTabelle->dett, mDoc.anno, mDoc.numRif, QStringLiteral("RigDet"));
        stato.ultimoRigLiv =
            UltimaRiga(mTabelle->dett, mDoc.anno, mDoc.numRif, QStringLiteral("RigLiv"));
        stato.righeLette = true;
    }

    QList<QVariantList> righeDoc;
    QList<QVariantList> livelliDoc;
    if (daProdurre > 0) {
        impostaPasso(QStringLiteral("Evasione dettagli: Creazione riga descrittiva"));
        righeRiferimento(testata, prev, QStringLiteral("A"), righeDoc);
    }
    impostaPasso(
        QStringLiteral("Evasione dettagli: Creazione dettagli documento: Creazione dettaglio"));
    const QString fattDocProv = testata.text(QStringLiteral("PreVenTest.FattDocumento"));
    const QVariant contratto = testata.value(QStringLiteral("PreVenTest.Contratto"));
    const QString doveDaDoc = !IsBlank(mTipoDoc.doveStampoDesLung)
                                  ? mTipoDoc.doveStampoDesLung
                                  : (testata.hasColumn(QStringLiteral("Doc2DoveDesLung"))
                                         ? testata.text(QStringLiteral("Doc2DoveDesLung"))
                                         : QString());
    const MoneySettings& moneta = mMoneta.settings();
    QHash<int, int> rigLivDoc;      // quote RigLiv → document RigLiv
    QHash<int, qsizetype> rigaDoc;  // document RigLiv → its row in righeDoc
    for (scEvaPrev::RigaDaEvadere& riga : righe) {
        if (!produce(riga))
            continue;
        riga.rigLivDoc = ++stato.ultimoRigLiv;
        rigLivDoc.insert(riga.rigLiv, riga.rigLivDoc);
        const Currency valTotale =
            QuotaValore(riga.valTotale, riga.qtaOrdinata, riga.qtaEvasa, riga.qta, mDoc.numDec);
        const Currency valEuro =
            mMoneta.ConvertiInEuro(valTotale, mDoc.cambio, mDoc.operatore, mDoc.moneta, true);
        const Currency valLire = mMoneta.ConvertiDaEuro(valEuro, mDoc.cambio, mDoc.operatore,
                                                        moneta.codLira, ArrotondaDaEuro::Tabella);
        // Packages: the quote's in proportion, rounded up to whole packages; without them,
        // the article's pieces per package (divided by the company's divisor).
        Currency colli;
        if (riga.colli != Currency() && riga.qtaOrdinata != Currency())
            colli = Arrotonda(riga.colli * riga.qta / riga.qtaOrdinata, 'S', 0);
        else if (riga.pezziPerConf > Currency() && riga.qta != Currency())
            colli = Arrotonda(riga.qta / riga.pezziPerConf / std::max(1, oiDivPezziConf), 'S', 0);
        QVariantList r = riga.copiate;
        r << mDoc.anno << mDoc.numRif << ++stato.ultimoRigDet << riga.rigLivDoc
          << (obStDesLunDaDoc ? doveDaDoc : riga.doveStampoDesLung) << QVariant::fromValue(colli)
          << QVariant::fromValue(riga.qta) << QVariant::fromValue(valTotale)
          << QVariant::fromValue(mDoc.cambio) << QVariant::fromValue(valLire)
          << QVariant::fromValue(valEuro) << contratto << kTipoProv << fattDocProv << prev.anno
          << prev.numRif << riga.rigLiv << QVariant();
        rigaDoc.insert(riga.rigLivDoc, righeDoc.size());
        righeDoc << r;
        for (const scEvaPrev::LivelloDaEvadere& l : riga.livelli) {
            if (l.qta == Currency())
                continue;
            const Currency valLiv =
                QuotaValore(l.valTotale, l.qtaOrdinata, l.qtaEvasa, l.qta, mDoc.numDec);
            const Currency euroLiv =
                mMoneta.ConvertiInEuro(valLiv, mDoc.cambio, mDoc.operatore, mDoc.moneta, true);
            const Currency lireLiv = mMoneta.ConvertiDaEuro(
                euroLiv, mDoc.cambio, mDoc.operatore, moneta.codLira, ArrotondaDaEuro::Tabella);
            livelliDoc << QVariantList{mDoc.anno,
                                       mDoc.numRif,
                                       riga.rigLivDoc,
                                       l.livello1,
                                       l.livello2,
                                       l.um,
                                       l.fatCon,
                                       QVariant::fromValue(l.qta),
                                       l.valUnitario,
                                       QVariant::fromValue(valLiv),
                                       QVariant::fromValue(lireLiv),
                                       QVariant::fromValue(euroLiv),
                                       l.flagStato,
                                       riga.rigLiv,
                                       QVariant::fromValue(l.qtaOrdinata - l.qtaEvasa),
                                       kTipoProv,
                                       fattDocProv,
                                       prev.anno,
                                       prev.numRif,
                                       riga.rigLiv};
        }
    }
    // The electrical-waste contribution line points to the line it belongs to; when two lines
    // point to the same contribution, the later one wins. Both are lines of this quote written
    // by the insert below, which carries the link.
    QMap<int, int> raee;  // document RigLiv of the contribution → document RigLiv of the line
    for (const scEvaPrev::RigaDaEvadere& riga : righe) {
        if (riga.rigLivDoc == 0 || riga.rigLivRaee.isNull())
            continue;
        const int contributo = rigLivDoc.value(riga.rigLivRaee.toInt());
        if (contributo != 0)
            raee.insert(contributo, riga.rigLivDoc);
    }
    for (auto it = raee.cbegin(); it != raee.cend(); ++it)
        righeDoc[rigaDoc.value(it.key())].back() = it.value();
    if (daProdurre > 0)
        righeRiferimento(testata, prev, QStringLiteral("D"), righeDoc);
    if (!righeDoc.isEmpty())
        mDb.insertRows(mTabelle->dett, colonneDettaglio(), righeDoc, Send::WithNext);
    if (!livelliDoc.isEmpty()) {
        impostaPasso(
            QStringLiteral("Evasione dettagli: Creazione dettagli documento: Creazione livello"));
        mDb.insertRows(mTabelle->liv, colonneLivello(), livelliDoc, Send::WithNext);
    }

    // The writes of the lines travel with the next statement of the quote (its reads send
    // them first); a failure is reported there and rolls the quote back as any other.
    aggiornaPreventivo(testata, prev, righe);
    if (ogAggiornaImpegno) {
        const QString magazzino = testata.text(QStringLiteral("PreVenTest.MagazzProv"));
        const bool ivati =
            TrimSpaces(testata.text(QStringLiteral("PreVenTest.PrezziIvati"))) == kSi;
        for (const scEvaPrev::RigaDaEvadere& riga : righe) {
            if (!riga.artMag || riga.rigLivDoc == 0)
                continue;
            const auto impegno = [&](const QString& l1, const QString& l2, Currency qta,
                                     Currency valore) {
                ogAggiornaImpegno(*this, {riga.articolo, l1, l2, magazzino, riga.um, riga.fatCon,
                                          qta, valore, riga.tipoIva, riga.aliquota, ivati});
            };
            if (riga.livelli.empty())
                impegno({}, {}, riga.qta,
                        QuotaValore(riga.valTotale, riga.qtaOrdinata, riga.qtaEvasa, riga.qta,
                                    mDoc.numDec));
            for (const scEvaPrev::LivelloDaEvadere& l : riga.livelli)
                if (l.qta != Currency())
                    impegno(
                        l.livello1, l.livello2, l.qta,
                        QuotaValore(l.valTotale, l.qtaOrdinata, l.qtaEvasa, l.qta, mDoc.numDec));
        }
    }
    Q_UNUSED(pbEsci);
    return static_cast<int>(righeDoc.size());
}

// What was delivered, back on the quote lines and levels; the run's marks cleared. An open
// quote keeps its quantities and status.
void scEvaPrev::aggiornaPreventivo(const RowSet& testata, const PreventivoCorrente& prev,
                                   const std::vector<scEvaPrev::RigaDaEvadere>& righe) {
    Q_UNUSED(testata);
    const QString base = QStringLiteral("Anno = ") + sql(prev.anno) +
                         QStringLiteral(" AND NumRif = ") + sql(prev.numRif);
    const QString zero = QStringLiteral("0");
    const QStringList consegna{QStringLiteral("QtaEvasa"), QStringLiteral("StatoRiga"),
                               QStringLiteral("FlagStato")};
    const QStringList soloSegno{QStringLiteral("FlagStato")};
    if (mbGesTaglie) {
        const QStringList chiave{QStringLiteral("Anno"), QStringLiteral("NumRif"),
                                 QStringLiteral("RigLiv"), QStringLiteral("Livello1"),
                                 QStringLiteral("Livello2")};
        QList<QVariantList> consegnati, letti;
        for (const scEvaPrev::RigaDaEvadere& riga : righe) {
            for (const scEvaPrev::LivelloDaEvadere& l : riga.livelli) {
                if (mbPrevAperto || (l.qta == Currency() && !l.aSaldo)) {
                    letti.append(
                        {zero, prev.anno, prev.numRif, riga.rigLiv, l.livello1, l.livello2});
                    continue;
                }
                const Currency dopo = l.qtaEvasa + l.qta;
                consegnati.append({QVariant::fromValue(dopo),
                                   statoDopo(l.qtaOrdinata, dopo, l.aSaldo), zero, prev.anno,
                                   prev.numRif, riga.rigLiv, l.livello1, l.livello2});
            }
        }
        mDb.updateRows(QStringLiteral("PreVenLiv"), consegna, chiave, consegnati, Send::WithNext);
        mDb.updateRows(QStringLiteral("PreVenLiv"), soloSegno, chiave, letti, Send::WithNext);
        // The column of a SET is never qualified: SQLite refuses "Set PreVenLiv.FlagStato".
        if (obEvACorrisp)
            mDb.execute(QStringLiteral("update PreVenLiv Set FlagStato = ") + sql(zero) +
                        QStringLiteral(" WHERE PreVenLiv.Anno=") + sql(prev.anno) +
                        QStringLiteral(" AND PreVenLiv.NumRif=") + sql(prev.numRif) +
                        QStringLiteral(" AND PreVenLiv.FlagStato = ") + sql(QStringLiteral("4")));
    }

    const QStringList chiave{QStringLiteral("Anno"), QStringLiteral("NumRif"),
                             QStringLiteral("RigLiv")};
    QList<QVariantList> dettagli;
    for (const scEvaPrev::RigaDaEvadere& riga : righe) {
        if (mbPrevAperto) {
            dettagli.append({zero, prev.anno, prev.numRif, riga.rigLiv});
            continue;
        }
        const Currency dopo = riga.qtaEvasa + riga.qta;
        QString stato;
        if (riga.livelli.empty())
            stato = statoDopo(riga.qtaOrdinata, dopo, riga.aSaldo);
        else
            stato = ControllaDettaglioEvaso(prev.anno, prev.numRif, riga.rigLiv);
        dettagli.append(
            {QVariant::fromValue(dopo), stato, zero, prev.anno, prev.numRif, riga.rigLiv});
    }
    mDb.updateRows(QStringLiteral("PreVenDett"), mbPrevAperto ? soloSegno : consegna, chiave,
                   dettagli, Send::WithNext);
    // The line marks of this run ("4" of the receipts' line step, "N" of the purchase step)
    // are done; the documents' line step marks nothing, the rows it read were cleared above.
    if (obEvACorrisp || segnaAcquisti())
        mDb.execute(QStringLiteral("update PreVenDett Set FlagStato = ") + sql(zero) +
                    QStringLiteral(" WHERE ") + base + QStringLiteral(" AND (FlagStato = ") +
                    sql(QStringLiteral("4")) + QStringLiteral(" OR FlagStato = ") +
                    sql(QStringLiteral("N")) + u')');
}

Currency scEvaPrev::QuotaValore(Currency totale, Currency qtaOrdinata, Currency giaEvasa,
                                Currency qta, int decimali) {
    if (qtaOrdinata.isZero() || (qta == qtaOrdinata - giaEvasa && giaEvasa.isZero()))
        return Arrotonda(totale, 'A', decimali);
    return Arrotonda(totale * (giaEvasa + qta) / qtaOrdinata, 'A', decimali) -
           Arrotonda(totale * giaEvasa / qtaOrdinata, 'A', decimali);
}

QString scEvaPrev::ControllaDettaglioEvaso(int anno, qint32 numRif, int rigLiv) {
    if (!obEvasManule)
        return kEvaso;
    auto aperti = mDb.openRowSet(PrepSqlLivelliAperti(anno, numRif, rigLiv));
    return aperti->eof() ? kEvaso : kParziale;
}

// ---- Reference lines ---------------------------------------------------------------------------

// The descriptive lines that tell where the goods come from: the quote's reference, the
// customer's reference and the quote's free text, each where its setting places it ("A"
// above the quote's lines, "D" below them, anything else nowhere).
int scEvaPrev::righeRiferimento(const RowSet& testata, const PreventivoCorrente& prev,
                                const QString& posizione, QList<QVariantList>& righe) {
    const auto richiesto = [](QString cliente, const QString& ditta) {
        cliente = TrimSpaces(cliente).toUpper();
        if (cliente == QLatin1String("T"))
            cliente = ditta.toUpper();
        return cliente == QLatin1String("S") || cliente == QLatin1String("P");
    };
    struct Riferimento {
        bool attivo;
        QString posizione, formato, testo;
    };
    QString rifPrev;
    const qint64 numDoc = testata.integer(QStringLiteral("PreVenTest.NumDoc"));
    if (numDoc != 0)
        rifPrev = QStringLiteral(" N. ") +
                  TrimSpaces(testata.text(QStringLiteral("PreVenTest.PreDoc"))) +
                  QString::number(numDoc) + QStringLiteral(" DEL ") +
                  FormatData(testata.date(QStringLiteral("PreVenTest.DataDoc")));
    else
        rifPrev = QStringLiteral(" RIF. N. ") + QString::number(prev.numRif) +
                  QStringLiteral(" DEL ") +
                  FormatData(testata.date(QStringLiteral("PreVenTest.DataRif")));
    const QString rifCli = testata.text(QStringLiteral("PreVenTest.RifCli"));
    const QString libero = testata.text(QStringLiteral("PreVenTest.LiberoTest"));
    const Riferimento riferimenti[] = {
        {richiesto(testata.text(QStringLiteral("PianoConti.StRifOrd")), mImp.stRifOrd),
         mImp.posRifOrd, mImp.formatoRifDdt, rifPrev},
        {!IsBlank(rifCli) &&
             richiesto(testata.text(QStringLiteral("PianoConti.StRifCli")), mImp.stRifCli),
         mImp.posRifCli, mImp.formatoRifCli, rifCli},
        {!IsBlank(libero), mImp.posRifLib, mImp.formatoLiberi, libero},
    };
    StatoDocumento& stato = statoDocumento(mDoc.anno, mDoc.numRif);
    const QString fattDocProv = testata.text(QStringLiteral("PreVenTest.FattDocumento"));
    int scritte = 0;
    for (const Riferimento& rif : riferimenti) {
        if (!rif.attivo || rif.posizione != posizione)
            continue;
        QVariantList r;
        for (const char* nome : kColonneCopiate) {
            const QLatin1String col(nome);
            if (col == QLatin1String("TipoRiga"))
                r << QStringLiteral("D");
            else if (col == QLatin1String("FormatoRiga"))
                r << (rif.formato.isEmpty() ? QVariant() : QVariant(rif.formato));
            else if (col == QLatin1String("NotaSopra"))
                r << rif.testo;
            else if (col == QLatin1String("NotaSopraStamp"))
                r << kSi;
            else if (col == QLatin1String("ValUnitario"))
                r << QVariant::fromValue(Currency());
            else if (col == QLatin1String("FlScontoPag") || col == QLatin1String("Promozione") ||
                     col == QLatin1String("Omaggio") || col == QLatin1String("SoggRitAcc"))
                r << QStringLiteral("N");
            else
                r << QVariant();
        }
        r << mDoc.anno << mDoc.numRif << ++stato.ultimoRigDet << ++stato.ultimoRigLiv << QVariant()
          << QVariant() << QVariant::fromValue(Currency()) << QVariant::fromValue(Currency())
          << QVariant::fromValue(mDoc.cambio) << QVariant::fromValue(Currency())
          << QVariant::fromValue(Currency())
          << testata.value(QStringLiteral("PreVenTest.Contratto")) << kTipoProv << fattDocProv
          << prev.anno << prev.numRif << QVariant() << QVariant();
        righe << r;
        ++scritte;
    }
    return scritte;
}

}  // namespace evapre
