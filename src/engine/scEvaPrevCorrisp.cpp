// Receipts: the quote's lines go straight into a warehouse movement through the staging
// tables, and the movement is posted within the quote's transaction.
#include <QHash>

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "DbError.h"
#include "ParametriDitta.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TabelleMovimento.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "UtilMovim.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

constexpr int kErroreEvasione = 0;
const QString kSi = QStringLiteral("S");
const QString kPassoCorrisp = QStringLiteral("Evasione dettagli a corrispettivo");

// What the receipts write into the staged lines of their movement.
const char* const kColonneDett[] = {
    "Anno",        "NumReg",     "RigReg",      "RigLiv",    "RigDoc",
    "Articolo",    "UM",         "FatCon",      "Qta",       "QtaAggMag",
    "ValUnitario", "ScontoTot",  "Cambio",      "ValTotale", "ValLire",
    "ValEuro",     "FlagStato",  "CopiaTaglia", "TipoProv",  "FattDocumentoProv",
    "AnnoRifProv", "NumRifProv", "RigaRifProv"};
const char* const kColonneLiv[] = {"Anno",      "NumReg",  "RigLiv",  "Livello1",  "Livello2",
                                   "RigLivDoc", "UM",      "Qta",     "QtaAggMag", "ValUnitario",
                                   "ValTotale", "ValLire", "ValEuro", "FlagStato"};
// Origin kind of the staged lines: they come from a quote.
const QString kTipoProv = QStringLiteral("Prev");

template <size_t N>
QStringList nomi(const char* const (&elenco)[N]) {
    QStringList out;
    for (const char* n : elenco)
        out << QLatin1String(n);
    return out;
}

// The warehouse quantity of a document quantity.
Currency qtaMagazzino(Currency qta, Currency fatCon) {
    return fatCon > Currency() ? qta * fatCon : qta;
}

}  // namespace

// The receipts settings of the run: per quote type its warehouse causals, the receipts customer,
// and the posting service.
struct scEvaPrev::Corrisp {
    struct Causale {
        QString codice, carScar, prov, dest, cliFor;
    };
    struct TipoPreventivo {
        QString magCausale, carScar;  // the type's own causal
        Causale rientro;              // the receipts causal
    };
    QHash<QString, TipoPreventivo> tipi;
    QString gruppoCli, mastroCli, contoCli;
    std::unique_ptr<UtilMovim> movim;

    // Extra values of a quote line that the movement line carries.
    struct Extra {
        int rigDet = 0;
        Currency valUnitario;
        QVariant scontoTot;
        QList<Currency> valUnitariLivelli;
    };

    bool clienteMancante() const {
        return IsBlank(gruppoCli) || IsBlank(mastroCli) || IsBlank(contoCli);
    }

    static QString leggiTipo(scEvaPrev& e, const QString& codice, TipoPreventivo& tipo);
    static void leggiRighe(scEvaPrev& e, const PreventivoCorrente& prev,
                           std::vector<RigaDaEvadere>& righe, std::vector<Extra>& extra);
};

// The quote type and its causals; the refusal text, empty when receipts can go on.
QString scEvaPrev::Corrisp::leggiTipo(scEvaPrev& e, const QString& codice, TipoPreventivo& tipo) {
    DbConnection& db = e.mDb;
    QString lettura = QStringLiteral("Errore nella lettura del tipo documento ") + codice;
    try {
        auto doc = db.openRowSet(
            QStringLiteral("Select * from FattDocumenti where FattDocumento = ") + db.sql(codice));
        if (doc->eof())
            return QStringLiteral("tipo documento ") + codice + QStringLiteral(" non trovato");
        tipo.magCausale = TrimSpaces(doc->text(QStringLiteral("MagCausale")));
        tipo.rientro.codice = TrimSpaces(doc->text(QStringLiteral("MagCausaleRientro")));
        const auto causale = [&](const QString& c) {
            lettura = QStringLiteral("Errore nella lettura della causale di magazzino ") + c;
            return db.openRowSet(QStringLiteral("Select * from MagCausali where MagCausale = ") +
                                 db.sql(c));
        };
        const auto flag = [](const RowSet& r, const char* colonna) {
            return TrimSpaces(r.text(QLatin1String(colonna))).toUpper();
        };
        if (!tipo.magCausale.isEmpty()) {
            auto c = causale(tipo.magCausale);
            if (c->eof())
                return QStringLiteral("causale di magazzino ") + tipo.magCausale +
                       QStringLiteral(" non trovata");
            tipo.carScar = flag(*c, "CarScar");
        }
        if (tipo.rientro.codice.isEmpty())
            return QStringLiteral("Nel tipo documento ") + codice +
                   QStringLiteral(" manca la causale di magazzino per evasione a corrispettivo");
        auto c = causale(tipo.rientro.codice);
        if (c->eof())
            return QStringLiteral("causale di magazzino per evasione a corrispettivo ") +
                   tipo.rientro.codice + QStringLiteral(" non trovata");
        tipo.rientro.carScar = flag(*c, "CarScar");
        tipo.rientro.prov = flag(*c, "Prov");
        tipo.rientro.dest = flag(*c, "Dest");
        tipo.rientro.cliFor = flag(*c, "CliFor");
        return {};
    } catch (const DbError& errore) {
        return lettura + QLatin1Char('\n') + errore.describe();
    }
}

bool scEvaPrev::LetCtrFatDocOrdErr() {
    impostaPasso(QStringLiteral("Evasione Preventivi: Lettura impostazioni corrispettivi"));
    mCorrisp = std::make_shared<Corrisp>();
    mCorrisp->gruppoCli = TrimSpaces(mParametri.company(QStringLiteral("CauCon.GruppoCliCorr")));
    mCorrisp->mastroCli = TrimSpaces(mParametri.company(QStringLiteral("CauCon.MastroCliCorr")));
    mCorrisp->contoCli = TrimSpaces(mParametri.company(QStringLiteral("CauCon.ContoCliCorr")));
    QString rifiuto;
    const QString tipoPrev = TrimSpaces(osFattDocPre);
    // Without a quote type each quote's own is read when it comes.
    if (!tipoPrev.isEmpty()) {
        Corrisp::TipoPreventivo tipo;
        rifiuto = Corrisp::leggiTipo(*this, tipoPrev, tipo);
        if (rifiuto.isEmpty() && tipo.rientro.cliFor == QLatin1String("C") &&
            mCorrisp->clienteMancante())
            rifiuto = QStringLiteral(
                "Manca nei parametri iniziali (Conti comuni) il codice cliente per corrispettivo");
        if (rifiuto.isEmpty())
            mCorrisp->tipi.insert(tipoPrev, tipo);
    }
    if (!rifiuto.isEmpty()) {
        mUi.message(rifiuto);
        mCorrisp.reset();
        // A run refused here leaves nothing behind, not even its saved criteria.
        try {
            CancellaAppoggioTemp(idProgramma());
        } catch (const DbError& e) {
            RegistraErrore(e);
        }
        return false;
    }
    mCorrisp->movim = std::make_unique<UtilMovim>(mDb, mParametri, mMoneta, mUi, *mLock);
    mCorrisp->movim->setRegistroErrori(
        [this](const QString& testo) { RegistraErrore(kErroreEvasione, testo); });
    return true;
}

// The quote lines (and levels) to deliver, read as the document lines are.
void scEvaPrev::Corrisp::leggiRighe(scEvaPrev& e, const PreventivoCorrente& prev,
                                    std::vector<RigaDaEvadere>& righe, std::vector<Extra>& extra) {
    const bool manuale = e.obEvasManule;
    auto r = e.mDb.openRowSet(e.PrepSqlDett(prev, OpDett::Leggi, false));
    for (; !r->eof(); r->moveNext()) {
        const int rigLiv = static_cast<int>(r->integer(QStringLiteral("PreVenDett.RigLiv")));
        if (righe.empty() || righe.back().rigLiv != rigLiv) {
            RigaDaEvadere riga;
            riga.rigLiv = rigLiv;
            riga.tipoRiga = TrimSpaces(r->text(QStringLiteral("PreVenDett.TipoRiga"))).toUpper();
            riga.articolo = TrimSpaces(r->text(QStringLiteral("PreVenDett.Articolo")));
            riga.um = r->text(QStringLiteral("PreVenDett.UM"));
            riga.qtaOrdinata = r->amount(QStringLiteral("PreVenDett.Qta"));
            riga.qtaEvasa = r->amount(QStringLiteral("PreVenDett.QtaEvasa"));
            riga.valTotale = r->amount(QStringLiteral("PreVenDett.ValTotale"));
            riga.fatCon = r->amount(QStringLiteral("PreVenDett.FatCon"));
            riga.artMag = TrimSpaces(r->text(QStringLiteral("Articoli.ArtMag"))) == kSi;
            if (manuale) {
                riga.qta = r->amount(QStringLiteral("PreVenEvaDett.QtaDaEva"));
                riga.aSaldo = TrimSpaces(r->text(QStringLiteral("PreVenEvaDett.ASaldo"))) == kSi;
            } else {
                riga.qta = riga.qtaOrdinata - riga.qtaEvasa;
            }
            righe.push_back(std::move(riga));
            Extra x;
            x.rigDet = static_cast<int>(r->integer(QStringLiteral("PreVenDett.RigDet")));
            x.valUnitario = r->amount(QStringLiteral("PreVenDett.ValUnitario"));
            x.scontoTot = r->value(QStringLiteral("PreVenDett.ScontoTot"));
            extra.push_back(std::move(x));
        }
        if (!e.mbGesTaglie || TrimSpaces(r->text(QStringLiteral("PreVenLiv.Livello1"))).isEmpty())
            continue;
        LivelloDaEvadere l;
        l.livello1 = r->text(QStringLiteral("PreVenLiv.Livello1"));
        l.livello2 = r->text(QStringLiteral("PreVenLiv.Livello2"));
        l.um = r->value(QStringLiteral("PreVenLiv.UM"));
        l.fatCon = r->value(QStringLiteral("PreVenLiv.FatCon"));
        l.qtaOrdinata = r->amount(QStringLiteral("PreVenLiv.Qta"));
        l.qtaEvasa = r->amount(QStringLiteral("PreVenLiv.QtaEvasa"));
        l.valTotale = r->amount(QStringLiteral("PreVenLiv.ValTotale"));
        if (manuale) {
            l.qta = r->amount(QStringLiteral("PreVenEvaDett.QtaDaEva"));
            l.aSaldo = TrimSpaces(r->text(QStringLiteral("PreVenEvaDett.ASaldo"))) == kSi;
        } else {
            const bool chiuso =
                TrimSpaces(r->text(QStringLiteral("PreVenLiv.StatoRiga"))) == QLatin1String("E");
            l.qta = chiuso ? Currency() : l.qtaOrdinata - l.qtaEvasa;
        }
        righe.back().livelli.push_back(std::move(l));
        extra.back().valUnitariLivelli << r->amount(QStringLiteral("PreVenLiv.ValUnitario"));
    }
    // A line with levels delivers what its levels deliver.
    for (RigaDaEvadere& riga : righe) {
        if (riga.livelli.empty())
            continue;
        riga.qta = Currency();
        for (const LivelloDaEvadere& l : riga.livelli)
            riga.qta += l.qta;
    }
}

int scEvaPrev::EvadeDettCorrisp(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci) {
    impostaPasso(kPassoCorrisp);
    if (!mCorrisp || !mCorrisp->movim) {
        mancaPasso("la lettura delle impostazioni dei corrispettivi", pbEsci);
        return 0;
    }
    const auto col = [](const char* c) { return QStringLiteral("PreVenTest.") + QLatin1String(c); };
    const QString tipoPrev = TrimSpaces(testata.text(col("FattDocumento")));
    if (!mCorrisp->tipi.contains(tipoPrev)) {
        Corrisp::TipoPreventivo tipo;
        const QString rifiuto = Corrisp::leggiTipo(*this, tipoPrev, tipo);
        if (!rifiuto.isEmpty()) {
            RegistraErrore(kErroreEvasione, rifiuto);
            pbEsci = true;
            return 0;
        }
        mCorrisp->tipi.insert(tipoPrev, tipo);
    }
    const Corrisp::Causale causale = mCorrisp->tipi.value(tipoPrev).rientro;
    QString gruppo, mastro, conto;
    if (causale.cliFor == QLatin1String("C")) {
        gruppo = TrimSpaces(testata.text(col("GruppoCli")));
        mastro = TrimSpaces(testata.text(col("MastroCli")));
        conto = TrimSpaces(testata.text(col("ContoCli")));
        if (gruppo.isEmpty()) {
            if (mCorrisp->clienteMancante()) {
                RegistraErrore(kErroreEvasione,
                               QStringLiteral("Manca nei parametri iniziali (Conti comuni) il "
                                              "codice cliente per corrispettivo"));
                pbEsci = true;
                return 0;
            }
            gruppo = mCorrisp->gruppoCli;
            mastro = mCorrisp->mastroCli;
            conto = mCorrisp->contoCli;
        }
    }

    mDb.execute(PrepSqlDett(prev, OpDett::Segna4Dett, false));
    if (mbGesTaglie)
        mDb.execute(PrepSqlDett(prev, OpDett::Segna4Liv, false));
    std::vector<RigaDaEvadere> righe;
    std::vector<Corrisp::Extra> extra;
    Corrisp::leggiRighe(*this, prev, righe, extra);

    // Lines delivered now; those of an article go into the movement.
    int consegnate = 0;
    std::vector<size_t> movimentate;
    for (size_t i = 0; i < righe.size(); ++i) {
        const RigaDaEvadere& r = righe[i];
        if (r.tipoRiga == QLatin1String("D") || !r.qta.isZero() || r.aSaldo ||
            r.qtaOrdinata.isZero())
            ++consegnate;
        if (r.tipoRiga != QLatin1String("D") && !r.articolo.isEmpty() && !r.qta.isZero())
            movimentate.push_back(i);
    }

    if (!movimentate.empty()) {
        UtilMovim& movim = *mCorrisp->movim;
        NuovaTestataMov t;
        t.anno = oiAnno;
        t.dataReg = otDataEvasione;
        t.magCausale = causale.codice;
        t.fattDocumento = tipoPrev;
        t.preDoc = TrimSpaces(testata.text(col("PreDoc")));
        t.numDoc = testata.integer(col("NumDoc"));
        t.dataDoc = testata.date(col("DataDoc"));
        t.numRif = prev.numRif;
        t.magazzinoProv = TrimSpaces(testata.text(col("MagazzProv")));
        if (causale.dest == QLatin1String("M"))
            t.magazzinoDest = TrimSpaces(testata.text(col("MagazzDest")));
        t.gruppoCliFor = gruppo;
        t.mastroCliFor = mastro;
        t.contoCliFor = conto;
        t.listino = TrimSpaces(testata.text(col("Listino")));
        t.moneta = TrimSpaces(testata.text(col("Moneta")));
        t.cambio = cambioDocumento(testata);
        t.cambioDocOrig = testata.amount(col("Cambio"));
        const int numDec = testata.isNull(QStringLiteral("Monete.NumDec"))
                               ? 2
                               : static_cast<int>(testata.integer(QStringLiteral("Monete.NumDec")));

        impostaPasso(QStringLiteral("Evasione Preventivo: Creazione testata mov. di magazzino"));
        const qint32 numReg = movim.CreaTestataMov(t);
        if (numReg == 0) {
            pbEsci = true;
            return 0;
        }

        impostaPasso(kPassoCorrisp + QStringLiteral(": Creazione righe mov. di magazzino"));
        const QString daAggiornare = StatoRigaMov::daAggiornare();
        QList<QVariantList> dett;
        QList<QVariantList> liv;
        int rigMov = 0;
        for (size_t i : movimentate) {
            const RigaDaEvadere& r = righe[i];
            const Corrisp::Extra& x = extra[i];
            ++rigMov;
            const Currency valore =
                QuotaValore(r.valTotale, r.qtaOrdinata, r.qtaEvasa, r.qta, numDec);
            const UtilMovim::Valori v = movim.ConvertiValore(valore, t.cambio, t.moneta);
            dett << QVariantList{oiAnno,
                                 numReg,
                                 rigMov,
                                 rigMov,
                                 x.rigDet,
                                 r.articolo,
                                 r.um,
                                 QVariant::fromValue(r.fatCon),
                                 QVariant::fromValue(r.qta),
                                 QVariant::fromValue(qtaMagazzino(r.qta, r.fatCon)),
                                 QVariant::fromValue(x.valUnitario),
                                 x.scontoTot,
                                 QVariant::fromValue(t.cambio),
                                 QVariant::fromValue(valore),
                                 QVariant::fromValue(v.lire),
                                 QVariant::fromValue(v.euro),
                                 daAggiornare,
                                 QStringLiteral("N"),
                                 kTipoProv,
                                 tipoPrev,
                                 prev.anno,
                                 prev.numRif,
                                 r.rigLiv};
            for (size_t j = 0; j < r.livelli.size(); ++j) {
                const LivelloDaEvadere& l = r.livelli[j];
                if (l.qta.isZero())
                    continue;
                const Currency valLiv =
                    QuotaValore(l.valTotale, l.qtaOrdinata, l.qtaEvasa, l.qta, numDec);
                const UtilMovim::Valori vl = movim.ConvertiValore(valLiv, t.cambio, t.moneta);
                const Currency fatCon = Currency::fromVariant(l.fatCon);
                liv << QVariantList{
                    oiAnno,
                    numReg,
                    rigMov,
                    l.livello1,
                    l.livello2,
                    r.rigLiv,
                    l.um.isNull() ? QVariant(r.um) : l.um,
                    QVariant::fromValue(l.qta),
                    QVariant::fromValue(
                        qtaMagazzino(l.qta, fatCon > Currency() ? fatCon : r.fatCon)),
                    QVariant::fromValue(x.valUnitariLivelli.value(static_cast<int>(j))),
                    QVariant::fromValue(valLiv),
                    QVariant::fromValue(vl.lire),
                    QVariant::fromValue(vl.euro),
                    daAggiornare};
            }
        }
        mDb.insertRows(TabelleMovimento::appoggio(TabelleMovimento::dett()), nomi(kColonneDett),
                       dett);
        if (!liv.isEmpty())
            mDb.insertRows(TabelleMovimento::appoggio(TabelleMovimento::liv()), nomi(kColonneLiv),
                           liv);
        aggiornaPreventivo(testata, prev, righe);

        impostaPasso(kPassoCorrisp + QStringLiteral(": Aggiornamento movimento di magazzino"));
        if (!movim.AggMovimento(oiAnno, numReg, true, false, true)) {
            pbEsci = true;
            return 0;
        }
        CancellaTestMovMag({{oiAnno, numReg}});
    } else {
        aggiornaPreventivo(testata, prev, righe);
    }
    return consegnate;
}

}  // namespace evapre
