// Writing the purchase orders of one quote: the supplier's open order found or created, its
// note, lines, level rows, ordered quantities and footer. An order whose writing fails is taken
// back whole, so the quote's own fulfilment goes on with nothing half-written.
#include <stdexcept>

#include "AziendaUtil.h"
#include "ComLock.h"
#include "DbConnection.h"
#include "DbError.h"
#include "ParametriDitta.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TabelleDocumento.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "scCalcPiedeFat.h"
#include "scCreaAcq.h"
#include "scCreaAcqDati.h"

namespace evapre {

namespace {

const QString kSi = QStringLiteral("S");
const QString kNo = QStringLiteral("N");
const QString kTipoBlocco = QStringLiteral("A");  // purchase orders, area "A"
const QString kPrefissoNota = QStringLiteral("Generato da prev. (rif.): ");
constexpr int kMaxTentativiBlocco = 10;

const TabelleDocumento& tabelle() {
    static const TabelleDocumento t = *TabelleDocumento::perTipo(QLatin1Char('A'));
    return t;
}

QString riferimento(int anno, qint32 numRif) {
    return QString::number(anno) + QLatin1Char('/') + QString::number(numRif);
}

QVariant importo(Currency c) {
    return QVariant::fromValue(c);
}

}  // namespace

QString scCreaAcq::uguale(const QString& colonna, const QString& valore) const {
    if (IsBlank(valore))
        return QStringLiteral("(") + colonna + QStringLiteral(" IS NULL OR ") + colonna +
               QStringLiteral(" = '')");
    return colonna + QStringLiteral(" = ") + mDb.sql(valore);
}

QString scCreaAcq::listinoOrdine(const Fornitore& f) const {
    if (!IsBlank(mTab->listinoTipo))
        return mTab->listinoTipo;
    if (!IsBlank(f.listino))
        return f.listino;
    return mTab->listinoTab;
}

// The rate of a currency on the order date; the euro and the company currency are 1.
Currency scCreaAcq::cambioDi(const QString& moneta) {
    if (IsBlank(moneta) || moneta == mParametri.codEuro() || moneta == mParametri.moneta())
        return Currency::fromInt(1);
    auto c = mDb.openRowSet(QStringLiteral("Select top 1 Cambio from Cambi where Moneta = ") +
                            mDb.sql(moneta) + QStringLiteral(" and Data <= ") +
                            mDb.sql(otDataOrdine) + QStringLiteral(" order by Data DESC"));
    return c->eof() ? Currency() : c->amount(QStringLiteral("Cambio"));
}

int scCreaAcq::ultimaRiga(const Ordine& o, const QString& campo) {
    return mDb
        .scalar(QStringLiteral("Select top 1 ") + campo + QStringLiteral(" from ") +
                tabelle().dett + QStringLiteral(" where Anno = ") + mDb.sql(o.anno) +
                QStringLiteral(" and NumRif = ") + mDb.sql(o.numRif) +
                QStringLiteral(" order by ") + campo + QStringLiteral(" DESC"))
        .toInt();
}

bool scCreaAcq::scriviOrdine(Ordine& o, std::vector<RigaOrdine>& righe, Annullamento& annulla) {
    const Fornitore& f = o.fornitore;
    o.magazzino = IsBlank(mTab->magProposto)
                      ? mParametri.company(QStringLiteral("Mag.MagPrincipale"))
                      : mTab->magProposto;
    o.listino = listinoOrdine(f);
    bool bloccato = false;
    try {
        msOperazione = QStringLiteral("CercaTestata");
        auto l = mDb.openRowSet(QStringLiteral("Select * from Listini where Listino = ") +
                                mDb.sql(o.listino));
        if (!l->eof()) {
            o.moneta = l->text(QStringLiteral("Moneta"));
            o.ivato = l->text(QStringLiteral("Ivato")).trimmed() == kSi;
        }
        if (IsBlank(o.moneta))
            o.moneta = mParametri.moneta();
        const InfoMoneta m = mMoneta.LeggiMoneta(o.moneta);
        o.operatore = m.operatore;
        o.numDec = m.numDec;
        o.numDecGest = m.numDecGest;
        o.cambio = cambioDi(o.moneta);

        if (!trovaOrdine(o, annulla) && !creaOrdine(o, annulla)) {
            annulla.esegui();
            return false;
        }
        bloccato = true;
        aggiungiNota(o, annulla);
        msOperazione = QStringLiteral("CreaDettaglio");
        mUi.progressStart(QStringLiteral("Creazione dettagli documento: Creazione dettaglio"),
                          static_cast<int>(righe.size()));
        for (RigaOrdine& riga : righe) {
            valorizzaRiga(riga, o);
            scriviRiga(o, riga, annulla);
        }
        mUi.progressEnd();
        chiudiOrdine(o);
        oiRigheOrdinate += static_cast<int>(righe.size());
    } catch (const DbError& e) {
        errore(e.number(), e.text(), msOperazione);
        annulla.esegui();
    } catch (const std::exception& e) {  // an amount out of range
        errore(0, QString::fromUtf8(e.what()), msOperazione);
        annulla.esegui();
    }
    if (bloccato)
        mLock->SbloccaRecord(kTipoBlocco, o.anno, o.numRif);
    return true;
}

// An open, unnumbered order of the same supplier and terms takes the lines.
bool scCreaAcq::trovaOrdine(Ordine& o, Annullamento& annulla) {
    msOperazione = QStringLiteral("CercaTestata");
    mUi.progressStart(QStringLiteral("Ricerca di un doc. compatibile"), 0);
    const Fornitore& f = o.fornitore;
    const QString& t = tabelle().testa;
    const QString vettore = IsBlank(f.vettore) ? mTab->vettore : f.vettore;
    auto r = mDb.openRowSet(
        QStringLiteral("select top 1 * from ") + t + QStringLiteral(" Where") +
        QStringLiteral(" (") + t + QStringLiteral(".Stato = ''") + QStringLiteral(" or ") + t +
        QStringLiteral(".Stato is null)") + QStringLiteral(" AND (") + t +
        QStringLiteral(".NumDoc =") + mDb.sql(0) + QStringLiteral(" or ") + t +
        QStringLiteral(".NumDoc is null)") + QStringLiteral(" and FattDocumento =") +
        mDb.sql(mTab->acqDocOrd) + QStringLiteral(" AND GruppoFor =") + mDb.sql(f.gruppo) +
        QStringLiteral(" AND MastroFor =") + mDb.sql(f.mastro) + QStringLiteral(" AND ContoFor =") +
        mDb.sql(f.conto) + QStringLiteral(" AND RagOrd =") + mDb.sql(kSi) +
        QStringLiteral(" AND ") + uguale(QStringLiteral("MagazzDest"), o.magazzino) +
        QStringLiteral(" AND ") + uguale(QStringLiteral("Iva"), f.iva) + QStringLiteral(" AND ") +
        uguale(QStringLiteral("Pagamento"), f.pagamento) + QStringLiteral(" AND PrezziIvati=") +
        mDb.sql(o.ivato ? kSi : kNo) + QStringLiteral(" AND ") +
        uguale(QStringLiteral("ScontoPag"), f.scontoPag) + QStringLiteral(" AND ") +
        uguale(QStringLiteral("Banca"), f.banca) + QStringLiteral(" AND ") +
        uguale(QStringLiteral("Vettore"), vettore) + QStringLiteral(" AND ") +
        uguale(QStringLiteral("Moneta"), o.moneta) + QStringLiteral(" order by Anno, NumRif"));
    if (r->eof())
        return false;
    o.anno = static_cast<int>(r->integer(QStringLiteral("Anno")));
    o.numRif = static_cast<qint32>(r->integer(QStringLiteral("NumRif")));
    o.cambio = r->amount(QStringLiteral("Cambio"));
    o.nota = r->text(QStringLiteral("Nota"));
    const RichiestaBlocco b = RichiestaBlocco::Segno(QStringLiteral("0"), kTipoBlocco, o.anno,
                                                     o.numRif, QStringLiteral("L'acquisto"), true);
    DetentoreBlocco detentore;
    if (!mLock->BloccaRecord(b, &detentore))
        return false;  // in use elsewhere: a new order is raised instead
    // The header's note and totals as they were, for taking the order back.
    const QVariant nota = r->value(QStringLiteral("Nota"));
    QList<QPair<QString, QVariant>> totali;
    for (const char* c : {"TotMerce", "TotSpese", "TotIva", "TotDocum", "TotImpon"})
        totali.append({QString::fromLatin1(c), r->value(QString::fromLatin1(c))});
    const int anno = o.anno;
    const qint32 numRif = o.numRif;
    annulla.aggiungi([this, anno, numRif, nota, totali] {
        QString set = QStringLiteral("Nota = ") + mDb.sql(nota);
        for (const auto& [c, v] : totali)
            set += QStringLiteral(", ") + c + QStringLiteral(" = ") + mDb.sql(v);
        mDb.execute(QStringLiteral("Update ") + tabelle().testa + QStringLiteral(" Set ") + set +
                    QStringLiteral(" where Anno = ") + mDb.sql(anno) +
                    QStringLiteral(" and NumRif = ") + mDb.sql(numRif));
    });
    return true;
}

// A new numbered header, locked before it is written.
bool scCreaAcq::creaOrdine(Ordine& o, Annullamento& annulla) {
    msOperazione = QStringLiteral("CreaTestata");
    mUi.progressStart(QStringLiteral("Creazione nuova testata"), 0);
    const Fornitore& f = o.fornitore;
    o.anno = oiAnnoOrdine;
    for (int tentativo = 1;; ++tentativo) {
        msUltimoErroreLock.clear();
        const qint64 numero =
            mLock->ProssimoNumero(QStringLiteral("NumRif"), tabelle().testa, o.anno, false);
        if (numero <= 0) {
            errore(0,
                   QStringLiteral("Numerazione dell'acquisto non riuscita: ") + msUltimoErroreLock,
                   msOperazione);
            return false;
        }
        o.numRif = static_cast<qint32>(numero);
        const RichiestaBlocco b =
            RichiestaBlocco::Segno(QStringLiteral("0"), kTipoBlocco, o.anno, o.numRif,
                                   QStringLiteral("L'acquisto"), false);
        DetentoreBlocco detentore;
        if (mLock->BloccaRecord(b, &detentore))
            break;
        const QString rif = QStringLiteral("Acquisto n.rif ") + QString::number(o.numRif) +
                            QStringLiteral(" anno ") + QString::number(o.anno);
        if (detentore.utente.isEmpty()) {
            errore(0,
                   rif + QStringLiteral(" errore nel loccaggio della testata fattura: ") +
                       msUltimoErroreLock,
                   msOperazione);
            return false;
        }
        const int risposta =
            tentativo >= kMaxTentativiBlocco
                ? 2
                : mUi.message(QStringLiteral("Fattura in uso da ") + detentore.utente,
                              {QStringLiteral("Riprova"), QStringLiteral("Esci")}, 1,
                              MsgIcon::Question);
        if (risposta == 2) {
            obEsci = true;
            errore(0, rif + QStringLiteral(" in uso da ") + detentore.utente, msOperazione);
            return false;
        }
    }
    const int anno = o.anno;
    const qint32 numRif = o.numRif;
    annulla.aggiungi([this, anno, numRif] {
        const QString chiave = QStringLiteral(" where Anno = ") + mDb.sql(anno) +
                               QStringLiteral(" and NumRif = ") + mDb.sql(numRif);
        for (const QString& t : {tabelle().liv, tabelle().dett, tabelle().spese, tabelle().testa})
            mDb.execute(QStringLiteral("Delete * from ") + t + chiave);
    });
    const QString vettore = IsBlank(f.vettore) ? mTab->vettore : f.vettore;
    mDb.insertRow(tabelle().testa, {{QStringLiteral("Anno"), o.anno},
                                    {QStringLiteral("NumRif"), o.numRif},
                                    {QStringLiteral("DataRif"), otDataOrdine},
                                    {QStringLiteral("FattDocumento"), mTab->acqDocOrd},
                                    {QStringLiteral("ConsTotale"), kNo},
                                    {QStringLiteral("Descrizione"), mTab->oggetto},
                                    {QStringLiteral("GruppoFor"), f.gruppo},
                                    {QStringLiteral("MastroFor"), f.mastro},
                                    {QStringLiteral("ContoFor"), f.conto},
                                    {QStringLiteral("MagazzProv"), o.magazzino},
                                    {QStringLiteral("MagazzDest"), o.magazzino},
                                    {QStringLiteral("OrdAperto"), kNo},
                                    {QStringLiteral("PrezzoOrd"), mTab->prezzoDdt},
                                    {QStringLiteral("Tipo"), QStringLiteral("2")},
                                    {QStringLiteral("Iva"), f.iva},
                                    {QStringLiteral("IvaSosp"), f.ivaSosp},
                                    {QStringLiteral("Listino"), o.listino},
                                    {QStringLiteral("PrezziIvati"), o.ivato ? kSi : kNo},
                                    {QStringLiteral("Moneta"), o.moneta},
                                    {QStringLiteral("Cambio"), importo(o.cambio)},
                                    {QStringLiteral("Pagamento"), f.pagamento},
                                    {QStringLiteral("RagOrd"), kSi},
                                    {QStringLiteral("Provenienza"), QStringLiteral("P")},
                                    {QStringLiteral("Banca"), f.banca},
                                    {QStringLiteral("ScontoFor"), f.sconto},
                                    {QStringLiteral("ScontoPag"), f.scontoPag},
                                    {QStringLiteral("Interno"), kNo},
                                    {QStringLiteral("Resa"), f.resa},
                                    {QStringLiteral("Vettore"), vettore},
                                    {QStringLiteral("Segno"), mTab->segno},
                                    {QStringLiteral("NumNota"), mTab->numNota},
                                    {QStringLiteral("StampoNota"), kNo}});
    o.nuovo = true;
    return true;
}

// The order's note lists the quotes it was raised from, each once.
void scCreaAcq::aggiungiNota(Ordine& o, Annullamento&) {
    const QString crea =
        mParametri.personal(QStringLiteral("EvasionePrev"), QStringLiteral("CreaNotaAcq"));
    if (crea.trimmed().toUpper() != kSi)
        return;
    const QString rif = riferimento(oiAnno, olNumRif);
    QString nota = o.nota;
    if (!nota.contains(kPrefissoNota))
        nota = (IsBlank(nota) ? QString() : nota + QLatin1Char('\n')) + kPrefissoNota + rif;
    else if (!nota.split(QStringLiteral(", ")).contains(rif) && !nota.endsWith(kPrefissoNota + rif))
        nota += QStringLiteral(", ") + rif;
    else
        return;
    o.nota = nota;
    mDb.execute(QStringLiteral("Update ") + tabelle().testa + QStringLiteral(" Set Nota = ") +
                mDb.sql(nota) + QStringLiteral(" where Anno = ") + mDb.sql(o.anno) +
                QStringLiteral(" and NumRif = ") + mDb.sql(o.numRif));
}

// Price, discounted total, converted values and packages of an order line.
void scCreaAcq::valorizzaRiga(RigaOrdine& riga, const Ordine& o) {
    msOperazione = QStringLiteral("CercaListinoDettAcq");
    RichiestaPrezzoAcq r;
    r.qualeImporto = mTab->qualeImporto;
    r.intTipo = QStringLiteral("2");
    r.gruppo = o.fornitore.gruppo;
    r.mastro = o.fornitore.mastro;
    r.conto = o.fornitore.conto;
    r.articolo = riga.articolo;
    r.listino = o.listino;
    r.listIvato = o.ivato;
    r.przIvato = o.ivato;
    r.data = otDataOrdine;
    r.moneta = o.moneta;
    r.numDecMonGes = o.numDecGest;
    r.fatConv = riga.fatConAcq;
    r.um = riga.umAcq;
    r.percIva = riga.aliquota;
    r.flagLivLis = riga.flagLivLis;
    r.liv1 = riga.livello1;
    r.liv2 = riga.livello2;
    const PrezzoAcq p = CercaListinoDettAcq(r);

    msOperazione = QStringLiteral("CreaDettaglio");
    riga.valUnitario = p.prezzo;
    bool nonValido = false;
    const double sconto = AziendaUtil::ConvertiCatenaSconti(riga.scontoTot, 6, 0, nonValido);
    if (nonValido)
        errore(0, AziendaUtil::TestoScontoNonValido(riga.scontoTot), msOperazione);
    const Currency netto = AziendaUtil::Sconto(p.prezzo, nonValido ? 0 : sconto, o.numDecGest);
    riga.valTotale = Arrotonda(netto * riga.qta, 'A', o.numDec);
    riga.valEuro = mMoneta.ConvertiInEuro(riga.valTotale, o.cambio, o.operatore, o.moneta, true);
    riga.valLire = mMoneta.ConvertiDaEuro(riga.valEuro, Currency(), o.operatore,
                                          mParametri.codLira(), ArrotondaDaEuro::Decimali);
    if (riga.colliPrev <= Currency())
        riga.colli = Currency();
    else if (!riga.pezziPerConf.isZero())
        riga.colli = Arrotonda(riga.qta * muDivPezziConf / riga.pezziPerConf, 'S', 0);
    else
        riga.colli = Arrotonda(riga.qta * riga.colliPrev / riga.richiesta, 'S', 0);
}

// The order line (or, for a further level of a quote line already ordered, its level row)
// and the ordered quantity in the progressives.
void scCreaAcq::scriviRiga(Ordine& o, RigaOrdine& riga, Annullamento& annulla) {
    msOperazione = QStringLiteral("CreaDettaglio");
    const TabelleDocumento& t = tabelle();
    const QString chiave = QStringLiteral(" where Anno = ") + mDb.sql(o.anno) +
                           QStringLiteral(" and NumRif = ") + mDb.sql(o.numRif);
    int rigLiv = 0;
    if (riga.conLivello) {
        rigLiv = mDb.scalar(QStringLiteral("SELECT ") + t.dett + QStringLiteral(".RigLiv From ") +
                            t.dett + chiave + QStringLiteral(" AND ") + t.dett +
                            QStringLiteral(".TipoProv=") + mDb.sql(QStringLiteral("Prev")) +
                            QStringLiteral(" AND ") + t.dett + QStringLiteral(".AnnoRifProv=") +
                            mDb.sql(oiAnno) + QStringLiteral(" AND ") + t.dett +
                            QStringLiteral(".NumRifProv=") + mDb.sql(olNumRif) +
                            QStringLiteral(" AND ") + t.dett + QStringLiteral(".RigaRifProv=") +
                            mDb.sql(riga.rigLiv) + QStringLiteral(" ORDER BY ") + t.dett +
                            QStringLiteral(".RigLiv"))
                     .toInt();
    }
    if (rigLiv != 0) {
        auto d = mDb.openRowSet(QStringLiteral("Select * from ") + t.dett + chiave +
                                QStringLiteral(" and RigLiv = ") + mDb.sql(rigLiv));
        const QVariant qta = d->value(QStringLiteral("Qta"));
        const QVariant tot = d->value(QStringLiteral("ValTotale"));
        const QVariant lire = d->value(QStringLiteral("ValLire"));
        const QVariant euro = d->value(QStringLiteral("ValEuro"));
        const QString riga1 = QStringLiteral("Update ") + t.dett + QStringLiteral(" Set Qta = ");
        const auto aggiorna = [this, riga1, chiave, rigLiv](const QVariant& q, const QVariant& v,
                                                            const QVariant& l, const QVariant& e) {
            mDb.execute(riga1 + mDb.sql(q) + QStringLiteral(", ValTotale = ") + mDb.sql(v) +
                        QStringLiteral(", ValLire = ") + mDb.sql(l) +
                        QStringLiteral(", ValEuro = ") + mDb.sql(e) + chiave +
                        QStringLiteral(" and RigLiv = ") + mDb.sql(rigLiv));
        };
        aggiorna(importo(Currency::fromVariant(qta) + riga.qta),
                 importo(Currency::fromVariant(tot) + riga.valTotale),
                 importo(Currency::fromVariant(lire) + riga.valLire),
                 importo(Currency::fromVariant(euro) + riga.valEuro));
        annulla.aggiungi([aggiorna, qta, tot, lire, euro] { aggiorna(qta, tot, lire, euro); });
    } else {
        rigLiv = ultimaRiga(o, QStringLiteral("RigLiv")) + 1;
        const int rigDet = ultimaRiga(o, QStringLiteral("RigDet")) + 1;
        QList<QPair<QString, QVariant>> c{{QStringLiteral("Anno"), o.anno},
                                          {QStringLiteral("NumRif"), o.numRif},
                                          {QStringLiteral("RigDet"), rigDet},
                                          {QStringLiteral("RigLiv"), rigLiv}};
        c += riga.copiate;
        c += QList<QPair<QString, QVariant>>{
            {QStringLiteral("ArticoloFor"), riga.articoloFor},
            {QStringLiteral("UM"), riga.umAcq},
            {QStringLiteral("FatCon"), importo(riga.fatConAcq)},
            {QStringLiteral("Colli"), importo(riga.colli)},
            {QStringLiteral("Qta"), importo(riga.qta)},
            {QStringLiteral("ValUnitario"), importo(riga.valUnitario)},
            {QStringLiteral("ScontoTot"), riga.scontoTot},
            {QStringLiteral("ValTotale"), importo(riga.valTotale)},
            {QStringLiteral("ValLire"), importo(riga.valLire)},
            {QStringLiteral("ValEuro"), importo(riga.valEuro)},
            {QStringLiteral("Cambio"), importo(o.cambio)},
            {QStringLiteral("GruppoVen"), riga.gruppoAcq},
            {QStringLiteral("MastroVen"), riga.mastroAcq},
            {QStringLiteral("ContoVen"), riga.contoAcq},
            {QStringLiteral("TipoProv"), QStringLiteral("Prev")},
            {QStringLiteral("FattDocumentoProv"), riga.fattDocumentoProv},
            {QStringLiteral("AnnoRifProv"), oiAnno},
            {QStringLiteral("NumRifProv"), olNumRif},
            {QStringLiteral("RigaRifProv"), riga.rigLiv},
            {QStringLiteral("MagazzDest"), o.magazzino}};
        mDb.insertRow(t.dett, c);
        annulla.aggiungi([this, t, chiave, rigLiv] {
            mDb.execute(QStringLiteral("Delete * from ") + t.dett + chiave +
                        QStringLiteral(" and RigLiv = ") + mDb.sql(rigLiv));
        });
    }
    if (riga.conLivello) {
        mUi.progressStart(
            QStringLiteral("Evasione dettagli: Creazione dettagli fattura: Creazione livello"), 0);
        mDb.insertRow(t.liv, {{QStringLiteral("Anno"), o.anno},
                              {QStringLiteral("NumRif"), o.numRif},
                              {QStringLiteral("RigLiv"), rigLiv},
                              {QStringLiteral("Livello1"), riga.livello1},
                              {QStringLiteral("Livello2"), riga.livello2},
                              {QStringLiteral("UM"), riga.umAcq},
                              {QStringLiteral("FatCon"), importo(riga.fatConAcq)},
                              {QStringLiteral("Qta"), importo(riga.qta)},
                              {QStringLiteral("ValUnitario"), importo(riga.valUnitario)},
                              {QStringLiteral("ValTotale"), importo(riga.valTotale)},
                              {QStringLiteral("ValLire"), importo(riga.valLire)},
                              {QStringLiteral("ValEuro"), importo(riga.valEuro)},
                              {QStringLiteral("FlagStato"), QStringLiteral("0")},
                              {QStringLiteral("RigLivOrig"), riga.rigLiv}});
        const QString l1 = riga.livello1, l2 = riga.livello2;
        annulla.aggiungi([this, t, chiave, rigLiv, l1, l2] {
            mDb.execute(QStringLiteral("Delete * from ") + t.liv + chiave +
                        QStringLiteral(" and RigLiv = ") + mDb.sql(rigLiv) +
                        QStringLiteral(" and Livello1 = ") + mDb.sql(l1) +
                        QStringLiteral(" and Livello2 = ") + mDb.sql(l2));
        });
    }

    msOperazione = QStringLiteral("AggiornaOrdinato");
    MovimentoImpegno m;
    m.fornitore = true;
    m.anno = miAnnoMag;
    m.magazzino = o.magazzino;
    m.articolo = riga.articolo;
    m.livello1 = riga.livello1;
    m.livello2 = riga.livello2;
    m.perLivelli = mbGesTaglie && riga.conLivello;
    m.artMag = riga.artMag;
    m.carScar = mTab->carScar;
    m.qta = riga.qta * riga.fatConAcq;
    m.valore = riga.valEuro;
    m.valoreLire = riga.valLire;
    m.tipoIva = riga.tipoIva;
    m.aliquota = riga.aliquota;
    m.prezziIvati = o.ivato;
    mImpegni->AggiornaImpegni(m);
    annulla.aggiungi([this, m]() mutable {
        m.qta = -m.qta;
        m.valore = -m.valore;
        m.valoreLire = -m.valoreLire;
        mImpegni->AggiornaImpegni(m);
    });
}

void scCreaAcq::chiudiOrdine(Ordine& o) {
    msOperazione = QStringLiteral("ChiudiOrdine");
    mUi.progressStart(QStringLiteral("Chiusura dell' acquisto"), 0);
    if (!mPiede)
        mPiede = std::make_unique<scCalcPiedeFat>(mDb, mParametri, mMoneta, mUi);
    mPiede->setTabelle(tabelle());
    mPiede->osErrori.clear();
    mPiede->oiNumErrori = 0;
    mPiede->CalcPiedeFat(o.anno, o.numRif);
    if (mPiede->oiNumErrori > 0)
        throw DbError(0, mPiede->osErrori.trimmed());
    mDb.execute(QStringLiteral("Update ") + tabelle().testa + QStringLiteral(" Set TotMerce = ") +
                mDb.sql(importo(mPiede->odTotMerce)) + QStringLiteral(", TotSpese = ") +
                mDb.sql(importo(mPiede->odTotSpese)) + QStringLiteral(", TotIva = ") +
                mDb.sql(importo(mPiede->odTotIva)) + QStringLiteral(", TotDocum = ") +
                mDb.sql(importo(mPiede->odTotFattura)) + QStringLiteral(", TotImpon = ") +
                mDb.sql(importo(mPiede->odTotImponibile)) + QStringLiteral(" where Anno = ") +
                mDb.sql(o.anno) + QStringLiteral(" and NumRif = ") + mDb.sql(o.numRif));
    mUi.progressEnd();
}

}  // namespace evapre
