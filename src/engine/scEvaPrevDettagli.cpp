// Line fulfilment: the quote's lines (and levels) into the document's lines, the reference
// lines, the electrical-waste link, and what was delivered written back on the quote.
#include <QHash>

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

void leggiLivello(const RowSet& r, bool manuale, bool automatico, scEvaPrev::RigaDaEvadere& riga) {
    scEvaPrev::LivelloDaEvadere l;
    l.livello1 = r.text(QStringLiteral("PreVenLiv.Livello1"));
    l.livello2 = r.text(QStringLiteral("PreVenLiv.Livello2"));
    l.um = r.value(QStringLiteral("PreVenLiv.UM"));
    l.fatCon = r.value(QStringLiteral("PreVenLiv.FatCon"));
    l.valUnitario = r.value(QStringLiteral("PreVenLiv.ValUnitario"));
    l.flagStato = r.value(QStringLiteral("PreVenLiv.FlagStato"));
    l.qtaOrdinata = r.amount(QStringLiteral("PreVenLiv.Qta"));
    l.qtaEvasa = r.amount(QStringLiteral("PreVenLiv.QtaEvasa"));
    l.valTotale = r.amount(QStringLiteral("PreVenLiv.ValTotale"));
    if (automatico) {
        // A level closed earlier has nothing left to deliver.
        const bool chiuso = TrimSpaces(r.text(QStringLiteral("PreVenLiv.StatoRiga"))) == kEvaso;
        l.qta = chiuso ? Currency() : l.qtaOrdinata - l.qtaEvasa;
    } else if (manuale) {
        l.qta = r.amount(QStringLiteral("PreVenEvaDett.QtaDaEva"));
        l.aSaldo = TrimSpaces(r.text(QStringLiteral("PreVenEvaDett.ASaldo"))) == kSi;
    }
    riga.livelli.push_back(std::move(l));
}

scEvaPrev::RigaDaEvadere leggiRiga(const RowSet& r, bool manuale) {
    scEvaPrev::RigaDaEvadere riga;
    riga.rigLiv = static_cast<int>(r.integer(QStringLiteral("PreVenDett.RigLiv")));
    for (const char* nome : kColonneCopiate)
        riga.copiate << r.value(QStringLiteral("PreVenDett.") + QLatin1String(nome));
    riga.tipoRiga = TrimSpaces(r.text(QStringLiteral("PreVenDett.TipoRiga"))).toUpper();
    riga.articolo = r.text(QStringLiteral("PreVenDett.Articolo"));
    riga.um = r.text(QStringLiteral("PreVenDett.UM"));
    riga.doveStampoDesLung = r.text(QStringLiteral("PreVenDett.DoveStampoDesLung"));
    riga.rigLivRaee = r.value(QStringLiteral("PreVenDett.RigLivRAEE"));
    riga.qtaOrdinata = r.amount(QStringLiteral("PreVenDett.Qta"));
    riga.qtaEvasa = r.amount(QStringLiteral("PreVenDett.QtaEvasa"));
    riga.valTotale = r.amount(QStringLiteral("PreVenDett.ValTotale"));
    riga.colli = r.amount(QStringLiteral("PreVenDett.Colli"));
    riga.fatCon = r.amount(QStringLiteral("PreVenDett.FatCon"));
    riga.pezziPerConf = r.amount(QStringLiteral("Articoli.PezziPerConf"));
    riga.artMag = TrimSpaces(r.text(QStringLiteral("Articoli.ArtMag"))) == kSi;
    riga.tipoIva = r.text(QStringLiteral("TabIva.TipoIva"));
    riga.aliquota = r.amount(QStringLiteral("TabIva.Aliquota"));
    if (manuale) {
        riga.qta = r.amount(QStringLiteral("PreVenEvaDett.QtaDaEva"));
        riga.aSaldo = TrimSpaces(r.text(QStringLiteral("PreVenEvaDett.ASaldo"))) == kSi;
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
    mDb.execute(PrepSqlDett(prev, OpDett::Segna4Dett, false));
    if (livelli)
        mDb.execute(PrepSqlDett(prev, OpDett::Segna4Liv, false));

    impostaPasso(QStringLiteral("Evasione dettagli"));
    std::vector<scEvaPrev::RigaDaEvadere> righe;
    {
        auto sorgente = mDb.openRowSet(PrepSqlDett(prev, OpDett::Leggi, false));
        for (; !sorgente->eof(); sorgente->moveNext()) {
            const int rigLiv =
                static_cast<int>(sorgente->integer(QStringLiteral("PreVenDett.RigLiv")));
            if (righe.empty() || righe.back().rigLiv != rigLiv)
                righe.push_back(leggiRiga(*sorgente, obEvasManule));
            if (livelli &&
                !TrimSpaces(sorgente->text(QStringLiteral("PreVenLiv.Livello1"))).isEmpty())
                leggiLivello(*sorgente, obEvasManule, !obEvasManule, righe.back());
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
    QHash<int, int> rigLivDoc;  // quote RigLiv → document RigLiv
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
    if (daProdurre > 0)
        righeRiferimento(testata, prev, QStringLiteral("D"), righeDoc);
    if (!righeDoc.isEmpty())
        mDb.insertRows(mTabelle->dett, colonneDettaglio(), righeDoc);
    if (!livelliDoc.isEmpty()) {
        impostaPasso(
            QStringLiteral("Evasione dettagli: Creazione dettagli documento: Creazione livello"));
        mDb.insertRows(mTabelle->liv, colonneLivello(), livelliDoc);
    }
    // The electrical-waste contribution line points to the line it belongs to.
    for (const scEvaPrev::RigaDaEvadere& riga : righe) {
        if (riga.rigLivDoc == 0 || riga.rigLivRaee.isNull())
            continue;
        const int contributo = rigLivDoc.value(riga.rigLivRaee.toInt());
        if (contributo == 0)
            continue;
        mDb.execute(QStringLiteral("update ") + mTabelle->dett +
                    QStringLiteral(" Set RigLivRAEE = ") + sql(riga.rigLivDoc) +
                    QStringLiteral(" WHERE Anno =") + sql(mDoc.anno) +
                    QStringLiteral(" AND NumRif = ") + sql(mDoc.numRif) +
                    QStringLiteral(" AND RigLiv = ") + sql(contributo));
    }

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
    const QString zero = sql(QStringLiteral("0"));
    const QStringList consegna{QStringLiteral("QtaEvasa"), QStringLiteral("StatoRiga")};
    if (!mbPrevAperto && mbGesTaglie) {
        QList<QVariantList> livelli;
        for (const scEvaPrev::RigaDaEvadere& riga : righe) {
            for (const scEvaPrev::LivelloDaEvadere& l : riga.livelli) {
                if (l.qta == Currency() && !l.aSaldo)
                    continue;
                const Currency dopo = l.qtaEvasa + l.qta;
                livelli.append({QVariant::fromValue(dopo), statoDopo(l.qtaOrdinata, dopo, l.aSaldo),
                                prev.anno, prev.numRif, riga.rigLiv, l.livello1, l.livello2});
            }
        }
        mDb.updateRows(QStringLiteral("PreVenLiv"), consegna,
                       {QStringLiteral("Anno"), QStringLiteral("NumRif"), QStringLiteral("RigLiv"),
                        QStringLiteral("Livello1"), QStringLiteral("Livello2")},
                       livelli);
    }
    if (mbGesTaglie)
        // The column of a SET is never qualified: SQLite refuses "Set PreVenLiv.FlagStato".
        mDb.execute(QStringLiteral("update PreVenLiv Set FlagStato = ") + zero +
                    QStringLiteral(" WHERE PreVenLiv.Anno=") + sql(prev.anno) +
                    QStringLiteral(" AND PreVenLiv.NumRif=") + sql(prev.numRif) +
                    QStringLiteral(" AND PreVenLiv.FlagStato = ") + sql(QStringLiteral("4")));

    if (!mbPrevAperto) {
        QList<QVariantList> dettagli;
        for (const scEvaPrev::RigaDaEvadere& riga : righe) {
            const Currency dopo = riga.qtaEvasa + riga.qta;
            QString stato;
            if (riga.livelli.empty())
                stato = statoDopo(riga.qtaOrdinata, dopo, riga.aSaldo);
            else
                stato = ControllaDettaglioEvaso(prev.anno, prev.numRif, riga.rigLiv);
            dettagli.append(
                {QVariant::fromValue(dopo), stato, prev.anno, prev.numRif, riga.rigLiv});
        }
        mDb.updateRows(QStringLiteral("PreVenDett"), consegna,
                       {QStringLiteral("Anno"), QStringLiteral("NumRif"), QStringLiteral("RigLiv")},
                       dettagli);
    }
    // The line marks of this run ("4" of the line step, "N" of the purchase step) are done.
    mDb.execute(QStringLiteral("update PreVenDett Set FlagStato = ") + zero +
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
