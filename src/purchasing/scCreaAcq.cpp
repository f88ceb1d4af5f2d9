// Purchase-order creation for one quote: the purchasing table, the lines to order and their
// quantities. Writing the orders is in scCreaAcqOrdine.cpp, the price lookup in
// scCreaAcqListino.cpp.
#include "scCreaAcq.h"

#include "AziendaUtil.h"
#include "ComLock.h"
#include "DbConnection.h"
#include "DbError.h"
#include "NumberConv.h"
#include "ParametriDitta.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TabelleMovimento.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "scCalcPiedeFat.h"
#include "scCreaAcqDati.h"

namespace evapre {

namespace {

const QString kSi = QStringLiteral("S");

// Quote-line columns copied as they are into the order line.
const QStringList& colonneCopiate() {
    static const QStringList c{
        QStringLiteral("TipoRiga"),          QStringLiteral("FormatoRiga"),
        QStringLiteral("Articolo"),          QStringLiteral("Descrizione"),
        QStringLiteral("DoveStampoDesLung"), QStringLiteral("FlScontoPag"),
        QStringLiteral("Promozione"),        QStringLiteral("Iva"),
        QStringLiteral("Omaggio"),           QStringLiteral("PercProvv1"),
        QStringLiteral("PercProvv2"),        QStringLiteral("Lunghezza"),
        QStringLiteral("Larghezza"),         QStringLiteral("Altezza"),
        QStringLiteral("DescPers"),          QStringLiteral("NotaSopraStamp"),
        QStringLiteral("NotaSottoStamp")};
    return c;
}

Currency fattore(const RowSet& r, const QString& colonna) {
    const Currency f = r.amount(colonna);
    return f.isZero() ? Currency::fromInt(1) : f;
}

}  // namespace

scCreaAcq::scCreaAcq(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta,
                     UiServices& ui)
    : mDb(db),
      mParametri(parametri),
      mMoneta(moneta),
      mUi(ui),
      mLock(std::make_unique<ComLock>(db, parametri, ui)),
      mImpegni(std::make_unique<OrdEvaUt>(db, parametri, moneta)) {
    mLock->setRegistroErrori([this](const QString& testo) { msUltimoErroreLock = testo; });
}

scCreaAcq::~scCreaAcq() = default;

void scCreaAcq::errore(int numero, const QString& descrizione, const QString& operazione) {
    LogErrori::AggiungiA(osErrori, oiNumErrori, numero, descrizione,
                         operazione + QStringLiteral(" di CreaAcq"));
    ocErrori.push_back({numero, descrizione, operazione});
}

bool scCreaAcq::LanciaCreaz() {
    ocErrori.clear();
    oiRigheOrdinate = 0;
    obEsci = false;
    if (oiCreAcq == 0)
        return true;
    msOperazione = QStringLiteral("LanciaCreaz");
    try {
        if (!leggiTabellaAcquisti())
            return false;
        controllaFornitoriMancanti();
        std::vector<RigaOrdine> righe = righeDaOrdinare();
        // Rows come ordered by supplier: one order for each run of the same supplier.
        std::size_t i = 0;
        while (i < righe.size() && !obEsci) {
            std::size_t fine = i;
            while (fine < righe.size() && righe[fine].fornitore == righe[i].fornitore)
                ++fine;
            std::vector<RigaOrdine> gruppo(righe.begin() + static_cast<std::ptrdiff_t>(i),
                                           righe.begin() + static_cast<std::ptrdiff_t>(fine));
            i = fine;
            if (!fornitoreValido(gruppo.front().fornitore))
                continue;
            Ordine o;
            o.fornitore = gruppo.front().fornitore;
            Annullamento annulla;
            scriviOrdine(o, gruppo, annulla);
        }
    } catch (const DbError& e) {
        errore(e.number(), e.text(), msOperazione);
        return false;
    }
    return !obEsci;
}

// ---- Preparation -------------------------------------------------------------------------------

bool scCreaAcq::leggiTabellaAcquisti() {
    msOperazione = QStringLiteral("LanciaCreaz");
    mbGesTaglie = mParametri.company(QStringLiteral("Mag.GesTaglie")).trimmed() == kSi;
    miAnnoMag = mParametri.companyInt(QStringLiteral("Mag.AnnoCorr"), 0);
    if (miAnnoMag == 0)
        miAnnoMag = oiAnnoOrdine;
    miDecQta = mParametri.companyInt(QStringLiteral("Mag.NumDecQta"), Currency::kDecimals);
    const QString div = mParametri.personal(QStringLiteral("Articoli"),
                                            QStringLiteral("DivPezziConf"), QStringLiteral("1"));
    muDivPezziConf = ConvertiNumero(div);
    if (muDivPezziConf.isZero())
        muDivPezziConf = Currency::fromInt(1);

    auto t = mDb.openRowSet(
        QStringLiteral("SELECT TabAcq.*, Vettori.*, FattDocumenti.*, FattDocListini.*") +
        QStringLiteral(" , TabAcqListini.*,MagCausali.*") + QStringLiteral(" FROM ((((") +
        QStringLiteral(" TabAcq LEFT JOIN Vettori") +
        QStringLiteral(" ON TabAcq.Vettore = Vettori.Vettore)") +
        QStringLiteral(" LEFT JOIN FattDocumenti") +
        QStringLiteral(" ON TabAcq.AcqDocOrd = FattDocumenti.FattDocumento)") +
        QStringLiteral(" LEFT JOIN Listini AS FattDocListini") +
        QStringLiteral(" ON FattDocumenti.Listino = FattDocListini.Listino)") +
        QStringLiteral(" LEFT JOIN Listini AS TabAcqListini") +
        QStringLiteral(" ON TabAcq.ListAcq = TabAcqListini.Listino)") +
        QStringLiteral(" LEFT JOIN MagCausali ") +
        QStringLiteral(" ON MagCausali.MagCausale = FattDocumenti.MagCausale"));
    if (t->eof()) {
        errore(0, QStringLiteral("Manca la tabella acquisti"), msOperazione);
        return false;
    }
    mTab = std::make_unique<TabellaAcquisti>();
    mTab->acqDocOrd = t->text(QStringLiteral("TabAcq.AcqDocOrd"));
    mTab->oggetto = t->text(QStringLiteral("TabAcq.Oggetto"));
    mTab->vettore = t->text(QStringLiteral("TabAcq.Vettore"));
    // The lists by their codes: the aliased joins only tell whether they exist.
    mTab->listinoTipo = t->text(QStringLiteral("FattDocumenti.Listino"));
    mTab->listinoTab = t->text(QStringLiteral("TabAcq.ListAcq"));
    mTab->magProposto = t->text(QStringLiteral("FattDocumenti.MagProposto"));
    mTab->prezzoDdt = t->text(QStringLiteral("FattDocumenti.PrezzoDDT"));
    mTab->segno = t->text(QStringLiteral("FattDocumenti.Segno"));
    mTab->numNota = static_cast<int>(t->integer(QStringLiteral("FattDocumenti.NumNota")));
    mTab->qualeImporto = t->text(QStringLiteral("MagCausali.QualeImporto"));
    mTab->carScar = t->text(QStringLiteral("MagCausali.CarScar"));
    if (IsBlank(mTab->acqDocOrd) || t->isNull(QStringLiteral("FattDocumenti.FattDocumento"))) {
        errore(0,
               QStringLiteral("Nella tabella acquisti manca il tipo documento dell'ordine a "
                              "fornitore ") +
                   TrimSpaces(mTab->acqDocOrd),
               msOperazione);
        return false;
    }
    return true;
}

// Articles of the quote whose usual supplier is not in the chart of accounts: the line query
// would drop them without a word.
void scCreaAcq::controllaFornitoriMancanti() {
    msOperazione = QStringLiteral("Lettura righe di preventivo");
    auto r = mDb.openRowSet(
        QStringLiteral("SELECT DISTINCT Articoli.Articolo, Articoli.GruppoForAb,") +
        QStringLiteral(" Articoli.MastroForAb, Articoli.ContoForAb FROM (PreVenDett") +
        QStringLiteral(" INNER JOIN Articoli ON Articoli.Articolo = PreVenDett.Articolo)") +
        QStringLiteral(" LEFT JOIN PianoConti ON Articoli.GruppoForAb = PianoConti.Gruppo") +
        QStringLiteral(" AND Articoli.MastroForAb = PianoConti.Mastro") +
        QStringLiteral(" AND Articoli.ContoForAb = PianoConti.Conto") +
        QStringLiteral(" Where PreVenDett.Anno = ") + mDb.sql(oiAnno) +
        QStringLiteral(" And PreVenDett.NumRif = ") + mDb.sql(olNumRif) +
        QStringLiteral(" And PreVenDett.FlagStato = ") + mDb.sql(QStringLiteral("N")) +
        QStringLiteral(" And Articoli.GruppoForAb <> '' And PianoConti.Gruppo IS NULL") +
        QStringLiteral(" Order By Articoli.Articolo"));
    for (; !r->eof(); r->moveNext())
        errore(0,
               QStringLiteral("Il fornitore abituale ") + r->text(QStringLiteral("GruppoForAb")) +
                   QLatin1Char('-') + r->text(QStringLiteral("MastroForAb")) + QLatin1Char('-') +
                   r->text(QStringLiteral("ContoForAb")) + QStringLiteral(" dell'articolo ") +
                   r->text(QStringLiteral("Articolo")) +
                   QStringLiteral(" non esiste nel piano dei conti: l'articolo non è ordinato"),
               msOperazione);
}

// ---- Lines to order ----------------------------------------------------------------------------

std::vector<scCreaAcq::RigaOrdine> scCreaAcq::righeDaOrdinare() {
    msOperazione = QStringLiteral("Lettura righe di preventivo");
    BusyScope occupato(mUi);
    QString sql =
        QStringLiteral("SELECT ") +
        QStringLiteral(
            " PreVenDett.*,PreVenTest.MagazzProv,PreVenTest.FattDocumento, "
            "PreVenLiv.*,Listini.*,Pagamenti.Sconto") +
        QStringLiteral(
            " ,Articoli.ScortaMinima ,Articoli.PezziPerConf,Articoli.ArtMag,"
            "Articoli.FlagLivLis") +
        QStringLiteral(" ,Articoli.ArtUM,Articoli.ArtUMVen,Articoli.FatConVen,Articoli.ArtUMAcq") +
        QStringLiteral(
            " ,Articoli.FatConAcq,Articoli.GruppoMerAcq,Articoli.MastroMerAcq,"
            "Articoli.ContoMerAcq") +
        QStringLiteral(" ,PianoConti.Gruppo,PianoConti.Mastro,PianoConti.Conto") +
        QStringLiteral(" ,PianoConti.Listino,PianoConti.Pagamento,PianoConti.Iva") +
        QStringLiteral(" ,PianoConti.Banca,PianoConti.IvaSosp,PianoConti.Sconto") +
        QStringLiteral(" ,PianoConti.Resa,PianoConti.Vettore") +
        QStringLiteral(" ,TabIva.TipoIva, TabIva.Aliquota") +
        (obEvasManule ? QStringLiteral(" ,PreVenEvaDett.QtaDaEva") : QString()) +
        QStringLiteral(" FROM ") + QStringLiteral(" ((((((") +
        (obEvasManule ? QStringLiteral("(") : QString()) + QStringLiteral(" PreVenDett") +
        QStringLiteral(" LEFT JOIN PreVenLiv") +
        QStringLiteral(" ON PreVenDett.Anno = PreVenLiv.Anno") +
        QStringLiteral(" AND PreVenDett.NumRif = PreVenLiv.NumRif") +
        QStringLiteral(" AND PreVenDett.RigLiv = PreVenLiv.RigLiv)") +
        QStringLiteral(" INNER JOIN Articoli") +
        QStringLiteral(" ON Articoli.Articolo = PreVenDett.Articolo)") +
        QStringLiteral(" INNER JOIN PianoConti") +
        QStringLiteral(" ON Articoli.GruppoForAb = PianoConti.Gruppo") +
        QStringLiteral(" AND Articoli.MastroForAb = PianoConti.Mastro") +
        QStringLiteral(" AND Articoli.ContoForAb = PianoConti.Conto)") +
        QStringLiteral(" LEFT JOIN Listini") +
        QStringLiteral(" ON Listini.Listino = PianoConti.Listino)") +
        QStringLiteral(" LEFT JOIN Pagamenti") +
        QStringLiteral(" ON Pagamenti.Pagamento = PianoConti.Pagamento)") +
        QStringLiteral(" LEFT JOIN PreVenTest") +
        QStringLiteral(" ON PreVenTest.Anno = PreVenDett.Anno") +
        QStringLiteral(" And PreVenTest.NumRif = PreVenDett.NumRif)") +
        QStringLiteral(" LEFT JOIN TabIva") + QStringLiteral(" ON TabIva.Iva = PreVenDett.Iva");
    if (obEvasManule)
        sql += QStringLiteral(" )LEFT JOIN PreVenEvaDett") +
               QStringLiteral(" ON PreVenEvaDett.Anno = PreVenDett.Anno") +
               QStringLiteral(" And PreVenEvaDett.NumRif = PreVenDett.NumRif") +
               QStringLiteral(" And PreVenEvaDett.RigDet = PreVenDett.RigDet");
    sql += QStringLiteral(" Where") + QStringLiteral(" PreVenDett.Anno = ") + mDb.sql(oiAnno) +
           QStringLiteral(" And PreVenDett.NumRif = ") + mDb.sql(olNumRif) +
           QStringLiteral(" And PreVenDett.FlagStato = ") + mDb.sql(QStringLiteral("N"));
    if (obEvasManule)
        sql += QStringLiteral(
                   " And (PreVenEvaDett.Livello1 = PreVenLiv.Livello1 OR "
                   "PreVenLiv.Livello1 IS NULL)") +
               QStringLiteral(
                   " And (PreVenEvaDett.Livello2 = PreVenLiv.Livello2 OR "
                   "PreVenLiv.Livello2 IS NULL)");
    sql += QStringLiteral(" Order By PianoConti.Gruppo, PianoConti.Mastro, PianoConti.Conto") +
           QStringLiteral(" , PreVenDett.RigDet");

    std::vector<RigaOrdine> righe;
    auto r = mDb.openRowSet(sql);
    for (; !r->eof(); r->moveNext()) {
        RigaOrdine riga;
        if (pianificaRiga(*r, riga))
            righe.push_back(std::move(riga));
    }
    return righe;
}

QString scCreaAcq::livelloArticolo(const QString& livello) const {
    return mbGesTaglie && !IsBlank(livello) ? livello : TabelleMovimento::senzaLivello();
}

// Quantities of the row in the article's base unit: required, available, minimum; the row is
// taken when the option asks for it, with the quantity to order in the purchase unit.
bool scCreaAcq::pianificaRiga(const RowSet& r, RigaOrdine& riga) {
    riga.livello1 = mbGesTaglie ? r.text(QStringLiteral("PreVenLiv.Livello1")) : QString();
    riga.livello2 = mbGesTaglie ? r.text(QStringLiteral("PreVenLiv.Livello2")) : QString();
    riga.conLivello = !IsBlank(riga.livello1);
    const QString l1 = livelloArticolo(riga.livello1);
    const QString l2 =
        riga.conLivello ? livelloArticolo(riga.livello2) : TabelleMovimento::senzaLivello();

    Currency richiesta;
    if (obEvasManule)
        richiesta = r.amount(QStringLiteral("PreVenEvaDett.QtaDaEva"));
    else if (riga.conLivello && r.amount(QStringLiteral("PreVenLiv.Qta")) > Currency())
        richiesta = r.amount(QStringLiteral("PreVenLiv.Qta")) -
                    r.amount(QStringLiteral("PreVenLiv.QtaEvasa"));
    else
        richiesta = r.amount(QStringLiteral("PreVenDett.Qta")) -
                    r.amount(QStringLiteral("PreVenDett.QtaEvasa"));
    if (richiesta <= Currency())
        return false;

    // The quote line's unit into the base unit, which stock and minimum are kept in.
    const QString um = TrimSpaces(r.text(QStringLiteral("PreVenDett.UM")));
    const Currency fatConAcq = fattore(r, QStringLiteral("Articoli.FatConAcq"));
    Currency base = richiesta;
    if (!um.isEmpty() && um == TrimSpaces(r.text(QStringLiteral("Articoli.ArtUMVen"))) &&
        um != TrimSpaces(r.text(QStringLiteral("Articoli.ArtUM"))))
        base = richiesta * fattore(r, QStringLiteral("Articoli.FatConVen"));
    else if (!um.isEmpty() && um == TrimSpaces(r.text(QStringLiteral("Articoli.ArtUMAcq"))) &&
             um != TrimSpaces(r.text(QStringLiteral("Articoli.ArtUM"))))
        base = richiesta * fatConAcq;

    Currency daOrdinare;  // base unit
    if (oiCreAcq == 1) {
        daOrdinare = base;
    } else {
        const Currency disp = disponibilita(r, l1, l2) - base;
        if (oiCreAcq == 2) {
            const Currency minima = scortaMinima(r, l1, l2);
            if (disp >= minima)
                return false;
            daOrdinare = minima - disp;
        } else {
            if (disp >= Currency())
                return false;
            daOrdinare = -disp;
        }
    }
    // Options 2 and 3 must cover the shortfall: rounded up, never below it.
    riga.qta = Arrotonda(daOrdinare / fatConAcq, oiCreAcq == 1 ? 'A' : 'S', miDecQta);
    if (riga.qta <= Currency())
        return false;

    riga.fornitore.gruppo = r.text(QStringLiteral("PianoConti.Gruppo"));
    riga.fornitore.mastro = r.text(QStringLiteral("PianoConti.Mastro"));
    riga.fornitore.conto = r.text(QStringLiteral("PianoConti.Conto"));
    riga.fornitore.listino = r.text(QStringLiteral("Listini.Listino"));
    riga.fornitore.pagamento = r.text(QStringLiteral("PianoConti.Pagamento"));
    riga.fornitore.iva = r.text(QStringLiteral("PianoConti.Iva"));
    riga.fornitore.ivaSosp = r.text(QStringLiteral("PianoConti.IvaSosp"));
    riga.fornitore.banca = r.text(QStringLiteral("PianoConti.Banca"));
    riga.fornitore.sconto = r.text(QStringLiteral("PianoConti.Sconto"));
    riga.fornitore.resa = r.text(QStringLiteral("PianoConti.Resa"));
    riga.fornitore.vettore = r.text(QStringLiteral("PianoConti.Vettore"));
    riga.fornitore.scontoPag = r.text(QStringLiteral("Pagamenti.Sconto"));

    riga.rigLiv = static_cast<int>(r.integer(QStringLiteral("PreVenDett.RigLiv")));
    for (const QString& c : colonneCopiate())
        riga.copiate.append({c, r.value(QStringLiteral("PreVenDett.") + c)});
    riga.articolo = r.text(QStringLiteral("PreVenDett.Articolo"));
    riga.articoloFor = articoloFornitore(r, l1, l2, riga.fornitore);
    riga.fattDocumentoProv = r.text(QStringLiteral("PreVenTest.FattDocumento"));
    riga.magazzino = r.text(QStringLiteral("PreVenTest.MagazzProv"));
    riga.umAcq = r.text(QStringLiteral("Articoli.ArtUMAcq"));
    if (IsBlank(riga.umAcq))
        riga.umAcq = r.text(QStringLiteral("Articoli.ArtUM"));
    riga.iva = r.text(QStringLiteral("PreVenDett.Iva"));
    riga.scontoTot = r.text(QStringLiteral("PreVenDett.ScontoTot"));
    riga.gruppoAcq = r.text(QStringLiteral("Articoli.GruppoMerAcq"));
    riga.mastroAcq = r.text(QStringLiteral("Articoli.MastroMerAcq"));
    riga.contoAcq = r.text(QStringLiteral("Articoli.ContoMerAcq"));
    riga.artMag = r.text(QStringLiteral("Articoli.ArtMag")).trimmed() == kSi;
    riga.flagLivLis = r.text(QStringLiteral("Articoli.FlagLivLis")).trimmed() == kSi;
    riga.tipoIva = r.text(QStringLiteral("TabIva.TipoIva"));
    riga.aliquota = r.amount(QStringLiteral("TabIva.Aliquota"));
    riga.fatConAcq = fatConAcq;
    riga.pezziPerConf = r.amount(QStringLiteral("Articoli.PezziPerConf"));
    riga.colliPrev = r.amount(QStringLiteral("PreVenDett.Colli"));
    riga.richiesta = richiesta;
    return true;
}

Currency scCreaAcq::disponibilita(const RowSet& r, const QString& l1, const QString& l2) {
    msOperazione = QStringLiteral("Disponibilita");
    auto p = mDb.openRowSet(
        QStringLiteral("Select ArticoliProg.* from ArticoliProg ") + QStringLiteral(" Where") +
        QStringLiteral(" Articolo = ") + mDb.sql(r.text(QStringLiteral("PreVenDett.Articolo"))) +
        QStringLiteral(" and Anno = ") + mDb.sql(miAnnoMag) + QStringLiteral(" And Magazzino = ") +
        mDb.sql(r.text(QStringLiteral("PreVenTest.MagazzProv"))) +
        QStringLiteral(" And Livello1 = ") + mDb.sql(l1) + QStringLiteral(" And Livello2 = ") +
        mDb.sql(l2));
    if (p->eof())
        return Currency();
    Currency a = p->amount(QStringLiteral("QtaIniziale")) + p->amount(QStringLiteral("QtaCarico")) -
                 p->amount(QStringLiteral("QtaScarico"));
    if (obSuDispon)
        a += p->amount(QStringLiteral("QtaOrdFor")) - p->amount(QStringLiteral("QtaImpCli"));
    return a;
}

Currency scCreaAcq::scortaMinima(const RowSet& r, const QString& l1, const QString& l2) {
    msOperazione = QStringLiteral("ScortaMinima");
    auto s = mDb.openRowSet(QStringLiteral(" Select * From ArtScorte") +
                            QStringLiteral(" where Articolo = ") +
                            mDb.sql(r.text(QStringLiteral("PreVenDett.Articolo"))) +
                            QStringLiteral(" And Magazzino = ") +
                            mDb.sql(r.text(QStringLiteral("PreVenTest.MagazzProv"))) +
                            QStringLiteral(" And Livello1 = ") + mDb.sql(l1) +
                            QStringLiteral(" And Livello2 = ") + mDb.sql(l2));
    if (!s->eof())
        return s->amount(QStringLiteral("ScortaMinima"));
    return r.amount(QStringLiteral("Articoli.ScortaMinima"));
}

QString scCreaAcq::articoloFornitore(const RowSet& r, const QString& l1, const QString& l2,
                                     const Fornitore& f) {
    msOperazione = QStringLiteral("ArticoloFornitore");
    return mDb
        .scalar(QStringLiteral("Select ArticoliFor.ArticoloFor") +
                QStringLiteral(" from ArticoliFor") + QStringLiteral(" WHERE Articolo = ") +
                mDb.sql(r.text(QStringLiteral("PreVenDett.Articolo"))) +
                QStringLiteral(" And Livello1 = ") + mDb.sql(l1) +
                QStringLiteral(" And Livello2 = ") + mDb.sql(l2) +
                QStringLiteral(" And ArticoliFor.GruppoFor  = ") + mDb.sql(f.gruppo) +
                QStringLiteral(" And ArticoliFor.MastroFor = ") + mDb.sql(f.mastro) +
                QStringLiteral(" And ArticoliFor.ContoFor = ") + mDb.sql(f.conto))
        .toString();
}

// An order needs the supplier's payment terms: without them it is not raised.
bool scCreaAcq::fornitoreValido(const Fornitore& f) {
    msOperazione = QStringLiteral("CercaTestata");
    const bool esiste =
        !IsBlank(f.pagamento) &&
        mDb.scalar(QStringLiteral("Select count(*) from Pagamenti where Pagamento = ") +
                   mDb.sql(f.pagamento))
                .toInt() > 0;
    if (!esiste)
        errore(0,
               QStringLiteral("Il fornitore ") + f.codice() +
                   (IsBlank(f.pagamento)
                        ? QStringLiteral(" non ha il codice di pagamento")
                        : QStringLiteral(" ha il codice di pagamento ") + TrimSpaces(f.pagamento) +
                              QStringLiteral(" inesistente")) +
                   QStringLiteral(": l'ordine non è creato"),
               msOperazione);
    return esiste;
}

}  // namespace evapre
