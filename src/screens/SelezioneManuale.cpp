#include "SelezioneManuale.h"

#include <algorithm>

#include "CambiEvasione.h"
#include "ComLock.h"
#include "DbConnection.h"
#include "DbError.h"
#include "MenuClient.h"
#include "NumberConv.h"
#include "ParametriDitta.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "scEvaPrev.h"

namespace evapre {

const QString SelezioneManuale::kRiepilogo = QStringLiteral("*liv");

namespace {

const QString kSi = QStringLiteral("S");
const QString kNo = QStringLiteral("N");
// Marks of the quotes picked in the grid: kind and program area "P", code "0".
const QString kTipoLock = QStringLiteral("P");
const QString kCodiceLock = QStringLiteral("0");

const QString kMsgSiNo = QStringLiteral("Si prega di inserire: S=Si  , N=No ");
const QString kMsgSaldoRiepilogo =
    QStringLiteral("Nella riga riepilogativa dei livelli non si può evadere a saldo") +
    QLatin1Char('\n') + QStringLiteral("Eventualmente passare nella modalità che mostra i livelli");
const QString kMsgRiepilogoTotale =
    QStringLiteral("Riga di riepilogo di livelli che va evaso totalmente:") + QLatin1Char('\n') +
    QStringLiteral("Per evadere parzialmente passare alla visualizzazione dei livelli");
const QString kMsgNegative = QStringLiteral("Non è possibile evadere Quantità negative");
const QString kMsgCambio = QStringLiteral("E' obbligatorio inserire il cambio");

const QString kEvasoRiga =
    QStringLiteral(" IIf(PreVenDett.Qtaevasa Is Null,0,PreVenDett.Qtaevasa) ");
const QString kEvasoLiv = QStringLiteral(" IIf(PreVenliv.Qtaevasa Is Null,0,PreVenLiv.Qtaevasa) ");
const QString kColonneDett = QStringLiteral(
    "INSERT INTO PreVenEvaDett ( Utente, Anno, NumRif, RigDet, RigLiv, Livello1, Livello2"
    ", Articolo,Descrizione, UM , Qta, QtaEvasa, ASaldo, QtaDaEva, ValUnitario"
    ", DataCons, RigLivRAEE)");

ColonnaGriglia colonna(const char* campo, const char* titolo, int larghezza,
                       FormatoColonna formato = FormatoColonna::Testo) {
    ColonnaGriglia c;
    c.campo = QString::fromUtf8(campo);
    c.titolo = QString::fromUtf8(titolo);
    c.larghezza = larghezza;
    c.formato = formato;
    return c;
}

ColonnaGriglia nascosta(const char* campo) {
    return colonna(campo, "", 0);
}

}  // namespace

bool ChiaveRigaEva::riepilogo() const {
    return livello1 == SelezioneManuale::kRiepilogo;
}

SelezioneManuale::SelezioneManuale(scEvaPrev& motore)
    : mMotore(motore),
      mDb(motore.db()),
      mUi(motore.ui()),
      mLock(std::make_unique<ComLock>(motore.db(), motore.parametri(), motore.ui())) {
    leggiImpostazioni();
}

SelezioneManuale::~SelezioneManuale() = default;

// ---- Settings ----------------------------------------------------------------------------------

void SelezioneManuale::leggiImpostazioni() {
    ParametriDitta& p = mMotore.parametri();
    const QString preventivi = QStringLiteral("Preventivi");
    mbLivelli = p.company(QStringLiteral("Mag.GesTaglie")).trimmed().toUpper() == kSi;
    mbDescEstese =
        p.personal(QStringLiteral("Ddt"), QStringLiteral("PartitaEnse")).trimmed() == kSi;
    mbLivelliMostrati =
        p.personal(preventivi, QStringLiteral("EvaManLivGruppo")).trimmed().toUpper() != kSi;
    mbPrezziNascosti = ParametriDitta::pricesHiddenFor(
        p.personal(preventivi, QStringLiteral("DisabTermVisPrz")), p.menu().terminalName());
    mAggTesta = leggiColonne(QStringLiteral("EvaLisCampiTeAgg"), QStringLiteral("CampoAggTe"));
    mAggCorpo = leggiColonne(QStringLiteral("EvaLisCampiAgg"), QStringLiteral("CampoAgg"));
    mOrdTesta = leggiOrdine(QStringLiteral("EvaOrdCampiTesta"));
    mOrdCorpo = leggiOrdine(QStringLiteral("EvaOrdCampiCorpo"));
}

QList<ColonnaAggiunta> SelezioneManuale::leggiColonne(const QString& nome,
                                                      const QString& prefissoAlias) const {
    QList<ColonnaAggiunta> colonne;
    for (int i = 1;; ++i) {
        const QString valore =
            mMotore.parametri()
                .personal(QStringLiteral("Preventivi"), nome + QString::number(i))
                .trimmed();
        if (valore.isEmpty())
            break;
        const QStringList parti = valore.split(QLatin1Char(':'));
        ColonnaAggiunta c;
        c.campo = parti.value(0).trimmed();
        if (c.campo.isEmpty())
            break;
        c.titolo = parti.value(1).trimmed().isEmpty() ? c.campo : parti.value(1).trimmed();
        c.larghezza = ConvertiIntero(parti.value(2).trimmed());
        c.formato = parti.value(3).trimmed();
        c.alias = prefissoAlias + QString::number(i);
        colonne << c;
    }
    return colonne;
}

QList<int> SelezioneManuale::leggiOrdine(const QString& nome) const {
    QList<int> ordine;
    const QString valore =
        mMotore.parametri().personal(QStringLiteral("Preventivi"), nome).trimmed();
    for (const QString& parte : valore.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int posizione = parte.trimmed().toInt(&ok);
        if (ok && posizione > 0 && !ordine.contains(posizione))
            ordine << posizione;
    }
    return ordine;
}

int SelezioneManuale::decimaliQta() const {
    return mMotore.parametri().numDecQta();
}

// ---- SQL pieces --------------------------------------------------------------------------------

QString SelezioneManuale::sql(const QVariant& valore) const {
    return mDb.sql(valore);
}

QString SelezioneManuale::utente() const {
    return mMotore.utente();
}

QString SelezioneManuale::doveUtente(const QString& tabella) const {
    return QStringLiteral(" WHERE ") + tabella + QStringLiteral(".Utente=") + sql(utente());
}

QString SelezioneManuale::dovePreventivo(const QString& tabella, int anno, qint32 numRif) const {
    return doveUtente(tabella) + QStringLiteral(" AND ") + tabella + QStringLiteral(".Anno=") +
           sql(anno) + QStringLiteral(" AND ") + tabella + QStringLiteral(".NumRif=") + sql(numRif);
}

QString SelezioneManuale::doveRiga(const ChiaveRigaEva& riga) const {
    return dovePreventivo(QStringLiteral("PreVenEvaDett"), riga.anno, riga.numRif) +
           QStringLiteral(" AND PreVenEvaDett.RigLiv=") + sql(riga.rigLiv) +
           QStringLiteral(" AND PreVenEvaDett.Livello1=") + sql(riga.livello1) +
           QStringLiteral(" AND PreVenEvaDett.Livello2=") + sql(riga.livello2);
}

void SelezioneManuale::riportaErrore(const DbError& errore) {
    mUi.message(errore.describe(), {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
}

// ---- Grids -------------------------------------------------------------------------------------

QList<ColonnaGriglia> SelezioneManuale::Colonne(Griglia griglia) const {
    using F = FormatoColonna;
    QList<ColonnaGriglia> c;
    const QList<ColonnaAggiunta>* aggiunte = nullptr;
    switch (griglia) {
        case Griglia::Testa:
            c << nascosta("PreVenEvaTest.Utente") << nascosta("PreVenEvaTest.Anno")
              << colonna("PreVenEvaTest.NumRif", "Nr.Rif.", 60)
              << colonna("PreVenTest.DataRif", "Data Rif.", 82, F::Data)
              << colonna("PreVenEvaTest.Selez", "Sel.", 35)
              << colonna("PreVenEvaTest.EvadeTutto", "Tutto", 40)
              << colonna("PreVenTest.Descrizione", "Descrizione", 160)
              << colonna("PreVenTest.Stato", "Stato", 40)
              << colonna("PreVenTest.RifCli", "Riferimento cliente", 135)
              << colonna("PreVenTest.DataCons", "Dt. Cons.", 82, F::Data)
              << colonna("PreVenTest.ConsTotale", "Cons.Tot.", 65)
              << colonna("PreVenTest.PrevAperto", "Aperto", 55)
              << colonna("PreVenTest.Pagamento", "Pagamento", 80)
              << colonna("PreVenTest.MagazzProv", "Mag.Prov.", 70)
              << colonna("PreVenTest.IvaSosp", "Iva Sosp", 65)
              << colonna("PreVenTest.PrezziIvati", "Prz. Ivati", 65)
              << colonna("PreVenTest.Iva", "Iva", 40) << colonna("PreVenTest.Moneta", "Moneta", 50)
              << colonna("PreVenTest.ScontoPag", "Scon.Pag.", 60, F::Numero)
              << colonna("PreVenTest.Banca", "Banca", 60)
              << colonna("PreVenTest.IndSped", "Ind.Sped.", 60)
              << colonna("PreVenTest.Vettore", "Vettore", 60)
              << colonna("PreVenTest.Resa", "Resa", 50)
              << colonna("PreVenTest.Agente1", "Agente 1", 60)
              << colonna("PreVenTest.Agente2", "Agente 2", 60)
              << colonna("PreVenTest.MagazzDest", "Mag.Dest.", 60)
              << colonna("PreVenTest.Lingua", "Lingua", 50);
            c[4].modificabile = c[5].modificabile = true;
            aggiunte = &mAggTesta;
            break;
        case Griglia::Corpo: {
            const int livelli = mbLivelli ? 45 : 0;
            c << nascosta("PreVenEvaDett.Utente") << nascosta("PreVenEvaDett.Anno")
              << colonna("PreVenEvaDett.NumRif", "Nr.Rif.", 60)
              << colonna("PreVenEvaDett.RigDet", "Riga", 40) << nascosta("PreVenEvaDett.RigLiv")
              << colonna("PreVenEvaDett.Livello1", mbLivelli ? "Liv1" : "", livelli)
              << colonna("PreVenEvaDett.Livello2", mbLivelli ? "Liv2" : "", livelli)
              << colonna("PreVenEvaDett.Articolo", "Cod. Articolo", 100)
              << colonna("PreVenEvaDett.UM", "UM", 35)
              << colonna("PreVenEvaDett.Qta", "Qta Ord.", 70, F::Quantita)
              << colonna("PreVenEvaDett.QtaEvasa", "Qta Evasa", 78, F::Quantita)
              << colonna("PreVenEvaDett.QtaDaEva", "Da Evad.", 70, F::Quantita)
              << colonna("PreVenEvaDett.ASaldo", "A Saldo", 60)
              << colonna("PreVenEvaDett.ValUnitario", "Val. Unitario", 85, F::Valore)
              << colonna("PreVenEvaDett.DataCons", "Dt. Cons", 82, F::Data)
              << colonna("PreVenEvaDett.Descrizione", "Descrizione", 200)
              << nascosta("PreVenEvaDett.RigLivRAEE");
            c[11].modificabile = c[12].modificabile = true;
            c[13].prezzo = true;
            aggiunte = &mAggCorpo;
            break;
        }
        case Griglia::Spese:
            c << nascosta("PreVenEvaSpese.Utente") << nascosta("PreVenEvaSpese.Anno")
              << colonna("PreVenEvaSpese.NumRif", "Nr.Rif.", 60)
              << colonna("PreVenEvaSpese.Riga", "Riga", 40)
              << colonna("PreVenSpese.Spesa", "Spesa", 50)
              << colonna("Spese.Descrizione", "Descrizione", 160)
              << colonna("PreVenEvaSpese.Selez", "Sel.", 35)
              << colonna("PreVenSpese.Iva", "Iva", 40)
              << colonna("PreVenSpese.Percentuale", "%", 50, F::Numero)
              << colonna("PreVenSpese.Importo", "Importo", 80, F::Valore)
              << colonna("PreVenSpese.ImportoMax", "Importo Max.", 90, F::Valore)
              << colonna("PreVenSpese.ImportoMin", "Importo Min.", 90, F::Valore)
              << colonna("PreVenSpese.SoggRitAcc", "RitAcc", 45);
            c[9].prezzo = c[10].prezzo = c[11].prezzo = true;
            break;
    }
    if (aggiunte) {
        for (const ColonnaAggiunta& a : *aggiunte) {
            ColonnaGriglia g;
            g.campo = a.alias;
            g.titolo = a.titolo;
            g.larghezza = a.larghezza > 0 ? a.larghezza : 80;
            g.formatoNumero = a.formato;
            g.formato = a.formato.isEmpty() ? FormatoColonna::Testo : FormatoColonna::Numero;
            c << g;
        }
    }
    return c;
}

QString SelezioneManuale::elencoCampi(Griglia griglia) const {
    QStringList campi;
    const QList<ColonnaAggiunta>& aggiunte = griglia == Griglia::Testa ? mAggTesta : mAggCorpo;
    for (const ColonnaGriglia& c : Colonne(griglia)) {
        const auto aggiunta =
            std::find_if(aggiunte.begin(), aggiunte.end(),
                         [&](const ColonnaAggiunta& a) { return a.alias == c.campo; });
        if (griglia != Griglia::Spese && aggiunta != aggiunte.end())
            campi << aggiunta->campo + QStringLiteral(" as ") + aggiunta->alias;
        else
            campi << c.campo;
    }
    return campi.join(QLatin1Char(','));
}

QString SelezioneManuale::SqlGriglia(Griglia griglia) const {
    switch (griglia) {
        case Griglia::Testa:
            return QStringLiteral("Select ") + elencoCampi(griglia) +
                   QStringLiteral(" FROM PreVenEvaTest INNER JOIN PreVenTest") +
                   QStringLiteral(" On PreVenEvaTest.Anno = PreVenTest.Anno") +
                   QStringLiteral(" And PreVenEvaTest.NumRif = PreVenTest.NumRif") +
                   QStringLiteral(" Where PreVenEvaTest.Utente = ") + sql(utente()) +
                   QStringLiteral(
                       " ORDER BY PreVenEvaTest.Anno, PreVenEvaTest.NumRif,PreVenTest.DataRif");
        case Griglia::Corpo: {
            QString s = QStringLiteral("Select ") + elencoCampi(griglia) +
                        QStringLiteral(" FROM PreVenEvaDett") +
                        QStringLiteral(" Where PreVenEvaDett.Utente = ") + sql(utente());
            if (mbLivelli) {
                if (mbLivelliMostrati)
                    s += QStringLiteral(" and (Livello1 <> ") + sql(kRiepilogo) + QLatin1Char(')');
                else
                    s += QStringLiteral(" and (Livello1 = ") + sql(kRiepilogo) +
                         QStringLiteral(" or (Livello1 = ") + sql(QStringLiteral(" ")) +
                         QStringLiteral(" And Livello2 = ") + sql(QStringLiteral(" ")) +
                         QStringLiteral("))");
            }
            return s + QStringLiteral(" ORDER BY PreVenEvaDett.Anno, PreVenEvaDett.NumRif") +
                   QStringLiteral(
                       " ,PreVenEvaDett.RigDet,PreVenEvaDett.Livello1,PreVenEvaDett.Livello2");
        }
        case Griglia::Spese:
            return QStringLiteral("Select ") + elencoCampi(griglia) +
                   QStringLiteral(" FROM (PreVenEvaSpese LEFT JOIN PreVenSpese") +
                   QStringLiteral(" ON PreVenSpese.Anno = PreVenEvaSpese.Anno") +
                   QStringLiteral(" AND PreVenSpese.NumRif = PreVenEvaSpese.NumRif") +
                   QStringLiteral(" AND PreVenSpese.Riga = PreVenEvaSpese.Riga)") +
                   QStringLiteral(" LEFT JOIN Spese ON Spese.Spesa = PreVenSpese.Spesa") +
                   QStringLiteral(" Where PreVenEvaSpese.Utente = ") + sql(utente()) +
                   QStringLiteral(" ORDER BY PreVenEvaSpese.Anno, PreVenEvaSpese.NumRif") +
                   QStringLiteral(" ,PreVenEvaSpese.Riga");
    }
    return {};
}

// ---- Groups ------------------------------------------------------------------------------------

bool SelezioneManuale::Avvia() {
    try {
        mTestate = mDb.openRowSet(mMotore.PrepSqlSelPre(0, 0) + mMotore.PrepSqlOrder());
    } catch (const DbError& e) {
        riportaErrore(e);
        return false;
    }
    if (mTestate->eof()) {
        mTestate.reset();
        mUi.message(QStringLiteral("Non ci sono dati nell'intervallo specificato"));
        return false;
    }
    return EstraeOrdiniCoerenti();
}

bool SelezioneManuale::EstraeOrdiniCoerenti() {
    RilasciaGruppo();
    if (!mTestate || mTestate->eof())
        return false;
    try {
        caricaGruppo();
    } catch (const DbError& e) {
        riportaErrore(e);
        RilasciaGruppo();
        return false;
    }
    return true;
}

void SelezioneManuale::RilasciaGruppo() {
    for (const auto& [anno, numRif] : mMarcati)
        mLock->SbloccaRecord(kTipoLock, anno, numRif);
    mMarcati.clear();
    try {
        DbTransaction t(mDb);
        for (const char* tabella : {"PreVenEvaTest", "PreVenEvaDett", "PreVenEvaSpese"})
            mDb.execute(QStringLiteral("Delete * from ") + QString::fromUtf8(tabella) +
                        doveUtente(QString::fromUtf8(tabella)));
        t.commit();
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

// The quotes from the current one up to the first whose document-break fields differ.
void SelezioneManuale::caricaGruppo() {
    mMotore.CampiRotLeggi(*mTestate);
    cambioDelGruppo();
    msCliente = mTestate->text(QStringLiteral("PianoConti.Descrizione"));
    if (IsBlank(msCliente))
        msCliente = mTestate->text(QStringLiteral("PreVenTest.RagSocCli"));
    QList<QVariantList> righe;
    for (;;) {
        righe << QVariantList{utente(), mTestate->integer(QStringLiteral("PreVenTest.Anno")),
                              mTestate->integer(QStringLiteral("PreVenTest.NumRif")), kNo, kNo};
        mTestate->moveNext();
        if (mTestate->eof())
            break;
        mMotore.CampiRotNew2Old();
        mMotore.CampiRotLeggi(*mTestate);
        if (mMotore.CampiRotDiversi())
            break;
    }
    mDb.insertRows(QStringLiteral("PreVenEvaTest"),
                   {QStringLiteral("Utente"), QStringLiteral("Anno"), QStringLiteral("NumRif"),
                    QStringLiteral("Selez"), QStringLiteral("EvadeTutto")},
                   righe);
}

// A currency outside the euro area needs the rate of the fulfilment date; a currency without
// its area flag is taken as the engine's rate check takes it, needing none.
void SelezioneManuale::cambioDelGruppo() {
    const QString cee = TrimSpaces(mTestate->text(QStringLiteral("Monete.Cee"))).toUpper();
    mbCambio = !cee.isEmpty() && cee != kSi;
    msMoneta.clear();
    mCambioProposto.reset();
    mDataCambio.reset();
    if (!mbCambio)
        return;
    msMoneta = mTestate->text(QStringLiteral("Monete.Moneta"));
    if (const auto trovato = CambiEvasione(mDb).CambioAl(msMoneta, mMotore.otDataEvasione)) {
        mDataCambio = trovato->first;
        mCambioProposto = trovato->second;
    }
}

// ---- Marks -------------------------------------------------------------------------------------

// Takes the quote's mark; a mark held elsewhere is asked about until the user gives up. A
// mark of the same user left by another session is held elsewhere too: two sessions must not
// stage one quote.
bool SelezioneManuale::marca(int anno, qint32 numRif) {
    const RichiestaBlocco r = RichiestaBlocco::Segno(kCodiceLock, kTipoLock, anno, numRif,
                                                     QStringLiteral("L' Ordine"), false);
    for (;;) {
        DetentoreBlocco detentore;
        if (mLock->BloccaRecord(r, &detentore)) {
            mMarcati.insert({anno, numRif});
            return true;
        }
        if (detentore.utente.isEmpty())
            return false;  // the lock routine has reported why
        const int risposta =
            mUi.message(QStringLiteral("Preventivo n.rif ") + QString::number(numRif) +
                            QStringLiteral(" anno ") + QString::number(anno) +
                            QStringLiteral(" in uso da ") + detentore.utente,
                        {QStringLiteral("Riprova"), QStringLiteral("Esci")}, 2, MsgIcon::Question);
        if (risposta != 1)
            return false;
    }
}

void SelezioneManuale::smarca(int anno, qint32 numRif) {
    if (mMarcati.remove({anno, numRif}))
        mLock->SbloccaRecord(kTipoLock, anno, numRif);
}

// ---- Quotes ------------------------------------------------------------------------------------

bool SelezioneManuale::ControllaSiNo(QString& testo) {
    const QString valore = testo.trimmed().toUpper();
    if (valore != kSi && valore != kNo) {
        mUi.message(kMsgSiNo);
        return false;
    }
    testo = valore;
    return true;
}

void SelezioneManuale::statoPreventivo(int anno, qint32 numRif, QString& selez, QString& tutto) {
    auto rs = mDb.openRowSet(QStringLiteral("Select Selez, EvadeTutto from PreVenEvaTest") +
                             dovePreventivo(QStringLiteral("PreVenEvaTest"), anno, numRif));
    if (rs->eof())
        throw DbError(DbErr::NoCurrentRow, QStringLiteral("Preventivo n.rif ") +
                                               QString::number(numRif) + QStringLiteral(" anno ") +
                                               QString::number(anno) +
                                               QStringLiteral(" non presente nel gruppo"));
    selez = TrimSpaces(rs->text(QStringLiteral("Selez"))).toUpper();
    tutto = TrimSpaces(rs->text(QStringLiteral("EvadeTutto"))).toUpper();
}

QString SelezioneManuale::consTotale(int anno, qint32 numRif) {
    return TrimSpaces(mDb.scalar(QStringLiteral("Select ConsTotale from PreVenTest where Anno = ") +
                                 sql(anno) + QStringLiteral(" and NumRif = ") + sql(numRif))
                          .toString())
        .toUpper();
}

void SelezioneManuale::ClickSel(int anno, qint32 numRif) {
    if (mbOccupato)
        return;
    try {
        QString selez, tutto;
        statoPreventivo(anno, numRif, selez, tutto);
        if (selez == kSi)
            ImpostaPreventivo(anno, numRif, kNo, kNo);
        else
            ImpostaPreventivo(anno, numRif, kSi, consTotale(anno, numRif) == kSi ? kSi : tutto);
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

void SelezioneManuale::ClickTutto(int anno, qint32 numRif) {
    if (mbOccupato)
        return;
    try {
        QString selez, tutto;
        statoPreventivo(anno, numRif, selez, tutto);
        if (tutto == kSi)
            ImpostaPreventivo(anno, numRif, consTotale(anno, numRif) == kSi ? kNo : selez, kNo);
        else
            ImpostaPreventivo(anno, numRif, kSi, kSi);
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

void SelezioneManuale::scriviStato(int anno, qint32 numRif, const QString& selez,
                                   const QString& tutto) {
    mDb.execute(QStringLiteral("Update PreVenEvaTest Set Selez = ") + sql(selez) +
                QStringLiteral(", EvadeTutto = ") + sql(tutto) +
                dovePreventivo(QStringLiteral("PreVenEvaTest"), anno, numRif));
}

bool SelezioneManuale::ImpostaPreventivo(int anno, qint32 numRif, const QString& selez,
                                         const QString& evadeTutto) {
    QString selPrima, tuttoPrima;
    try {
        statoPreventivo(anno, numRif, selPrima, tuttoPrima);
    } catch (const DbError& e) {
        riportaErrore(e);
        return false;
    }
    const bool marcato = mMarcati.contains({anno, numRif});
    if (selez != kSi) {
        try {
            DbTransaction t(mDb);
            rimuoviStaging(anno, numRif, true);
            scriviStato(anno, numRif, selez, evadeTutto);
            t.commit();
        } catch (const DbError& e) {
            riportaErrore(e);
            return marcato;
        }
        smarca(anno, numRif);
        return false;
    }
    if (!marcato && !marca(anno, numRif)) {
        try {
            scriviStato(anno, numRif, kNo, kNo);
        } catch (const DbError& e) {
            riportaErrore(e);
        }
        return false;
    }
    const bool tutto = evadeTutto == kSi;
    try {
        DbTransaction t(mDb);
        scriviStato(anno, numRif, kSi, evadeTutto);
        if (!marcato || !selPrima.startsWith(kSi)) {
            rimuoviStaging(anno, numRif, true);
            stagingRighe(anno, numRif, tutto);
            stagingSpese(anno, numRif);
        } else if (tutto != (tuttoPrima == kSi)) {
            // The quantities follow "Tutto"; the expenses picked stay.
            rimuoviStaging(anno, numRif, false);
            stagingRighe(anno, numRif, tutto);
        }
        t.commit();
    } catch (const DbError& e) {
        riportaErrore(e);
        if (!marcato)
            smarca(anno, numRif);
        return marcato;
    }
    return true;
}

void SelezioneManuale::rimuoviStaging(int anno, qint32 numRif, bool ancheSpese) {
    mDb.execute(QStringLiteral("Delete * from PreVenEvaDett ") +
                dovePreventivo(QStringLiteral("PreVenEvaDett"), anno, numRif));
    if (ancheSpese)
        mDb.execute(QStringLiteral("Delete * from PreVenEvaSpese ") +
                    dovePreventivo(QStringLiteral("PreVenEvaSpese"), anno, numRif));
}

void SelezioneManuale::stagingRighe(int anno, qint32 numRif, bool tutto) {
    mDb.execute(insertRighe(anno, numRif, tutto));
    if (mbLivelli)
        mDb.execute(insertRiepiloghi(anno, numRif, tutto));
}

void SelezioneManuale::stagingSpese(int anno, qint32 numRif) {
    mDb.execute(QStringLiteral("INSERT INTO PreVenEvaSpese ( Utente, Anno, NumRif,Riga,Selez)") +
                QStringLiteral(" SELECT ") + sql(utente()) + QStringLiteral(" AS MioUtente,") +
                QStringLiteral("PreVenSpese.Anno, PreVenSpese.NumRif, PreVenSpese.Riga,") +
                sql(kNo) + QStringLiteral(" as MioSelez FROM PreVenSpese WHERE PreVenSpese.Anno=") +
                sql(anno) + QStringLiteral(" AND PreVenSpese.NumRif=") + sql(numRif));
}

SelezioneManuale::Letterali SelezioneManuale::letterali() const {
    return {sql(kSi),
            sql(kNo),
            sql(QStringLiteral("D")),
            sql(QStringLiteral("C")),
            sql(QStringLiteral("E")),
            sql(QStringLiteral(" "))};
}

// The description of a staged line: a text line's note, else the line's or the article's
// description, with the article's class attributes when extended descriptions are on.
QString SelezioneManuale::descrizioneStaging(const Letterali& l) const {
    QString s = QStringLiteral("IIf(PreVenDett.TipoRiga = ") + l.testo +
                QStringLiteral(
                    ",PreVenDett.NotaSopra,IIf(not PreVenDett.Descrizione Is Null"
                    ",PreVenDett.Descrizione,Articoli.Descrizione ))");
    if (mbDescEstese)
        s += QStringLiteral(" & ") + sql(QStringLiteral(" -")) +
             QStringLiteral(
                 " & (select left(ArtClasseAttr.Descrizione,5)"
                 " from ArtClasseAttr where ArtClasseAttr.ArtClasse=") +
             sql(1) +
             QStringLiteral(" and ArtClasseAttr.ArtClasseAttr = Articoli.ArtClasseAttr1) & ") +
             sql(QStringLiteral("-")) + QStringLiteral(" & left(Articoli.ArtClasseAttr2,3) & ") +
             sql(QStringLiteral("-")) + QStringLiteral(" & left(Articoli.ArtClasseAttr4,3)");
    return s + QStringLiteral(" AS MioDescrizione,");
}

// What the staged line's key, quote and kind conditions share: the quote, never a line of kind
// "C" (a Null kind is an ordinary line).
QString SelezioneManuale::doveRigheDi(int anno, qint32 numRif, const Letterali& l) const {
    return QStringLiteral(" WHERE PreVenDett.Anno=") + sql(anno) +
           QStringLiteral(" AND PreVenDett.NumRif=") + sql(numRif) +
           QStringLiteral(" AND (PreVenDett.TipoRiga<>") + l.commento +
           QStringLiteral(" OR PreVenDett.TipoRiga Is Null)");
}

// A level row is staged by its own state, a line without levels by the line's.
QString SelezioneManuale::insertRighe(int anno, qint32 numRif, bool tutto) const {
    const Letterali l = letterali();
    QString s = kColonneDett + QStringLiteral(" SELECT ") + sql(utente()) +
                QStringLiteral(
                    " AS MioUtente,PreVenDett.Anno, PreVenDett.NumRif, "
                    "PreVenDett.RigDet,PreVenDett.RigLiv,"
                    "IIf(PreVenliv.Livello1 Is Null,") +
                l.vuoto + QStringLiteral(",PreVenLiv.Livello1) AS MioLiv1,") +
                QStringLiteral("IIf(PreVenliv.Livello2 Is Null,") + l.vuoto +
                QStringLiteral(",PreVenLiv.Livello2) AS Mioliv2,PreVenDett.Articolo,") +
                descrizioneStaging(l) +
                QStringLiteral(
                    "IIf(PreVenliv.Livello1 Is Null,PreVenDett.um,PreVenliv.UM) AS MioUm,"
                    "IIf(PreVenliv.Livello1 Is Null,PreVenDett.Qta,PreVenliv.Qta) AS MioQta,"
                    "IIf(PreVenliv.Livello1 Is Null,") +
                kEvasoRiga + QLatin1Char(',') + kEvasoLiv + QStringLiteral(") AS MioQtaevasa,") +
                QStringLiteral("IIf(PreVenDett.TipoRiga = ") + l.testo + QLatin1Char(',') + l.si +
                QLatin1Char(',') + l.no + QStringLiteral(") AS MioASaldo,");
    // A text line has nothing to deliver, whatever "Tutto" says.
    if (tutto)
        s += QStringLiteral("IIf(PreVenDett.TipoRiga = ") + l.testo +
             QStringLiteral(",0,IIf(PreVenliv.Livello1 Is Null,PreVenDett.Qta - ") + kEvasoRiga +
             QStringLiteral(",PreVenliv.Qta - ") + kEvasoLiv + QStringLiteral(")) AS mioQtaDaEva,");
    else
        s += QStringLiteral("0 AS mioQtaDaEva,");
    return s +
           QStringLiteral(
               "IIf(PreVenLiv.Livello1 Is Null,PreVenDett.ValUnitario,PreVenLiv.ValUnitario) "
               "AS MioValUnitario, PreVenDett.DataCons,PreVenDett.RigLivRAEE"
               " FROM (PreVenDett LEFT JOIN PreVenLiv ON PreVenDett.Anno = PreVenLiv.Anno"
               " AND PreVenDett.NumRif = PreVenLiv.NumRif AND PreVenDett.RigLiv = PreVenLiv.RigLiv)"
               " LEFT JOIN Articoli ON PreVenDett.Articolo = Articoli.Articolo") +
           doveRigheDi(anno, numRif, l) +
           QStringLiteral(" AND ((PreVenLiv.Livello1 Is Null AND (PreVenDett.StatoRiga<>") +
           l.evaso +
           QStringLiteral(
               " OR PreVenDett.StatoRiga Is Null)) OR (PreVenLiv.Livello1 Is Not Null"
               " AND (PreVenLiv.StatoRiga<>") +
           l.evaso + QStringLiteral(" OR PreVenLiv.StatoRiga Is Null)))") + limitiRighe();
}

// One summary row per open line that still has an open level.
QString SelezioneManuale::insertRiepiloghi(int anno, qint32 numRif, bool tutto) const {
    const Letterali l = letterali();
    return kColonneDett + QStringLiteral(" SELECT ") + sql(utente()) +
           QStringLiteral(
               " AS MioUtente,PreVenDett.Anno, PreVenDett.NumRif, "
               "PreVenDett.RigDet,PreVenDett.RigLiv, ") +
           sql(kRiepilogo) + QStringLiteral(" AS MioLiv1,") + l.vuoto +
           QStringLiteral(" AS Mioliv2,PreVenDett.Articolo,") + descrizioneStaging(l) +
           QStringLiteral("PreVenDett.um AS MioUm,PreVenDett.Qta AS MioQta,") + kEvasoRiga +
           QStringLiteral(" AS MioQtaevasa, IIf(PreVenDett.TipoRiga = ") + l.testo +
           QLatin1Char(',') + l.si + QLatin1Char(',') + l.no + QStringLiteral(") AS MioASaldo") +
           (tutto ? QStringLiteral(", PreVenDett.Qta - ") + kEvasoRiga +
                        QStringLiteral(" AS mioQtaDaEva")
                  : QStringLiteral(", 0 AS mioQtaDaEva")) +
           QStringLiteral(
               ", PreVenDett.ValUnitario AS MioValUnitario"
               ", PreVenDett.DataCons,PreVenDett.RigLivRAEE"
               " FROM PreVenDett LEFT JOIN Articoli"
               " ON PreVenDett.Articolo = Articoli.Articolo") +
           doveRigheDi(anno, numRif, l) + QStringLiteral(" AND (PreVenDett.StatoRiga<>") + l.evaso +
           QStringLiteral(
               " OR PreVenDett.StatoRiga Is Null)"
               " AND Exists (Select livello1 from PreVenLiv"
               " Where PreVenDett.Anno = PreVenLiv.Anno"
               " AND PreVenDett.NumRif = PreVenLiv.NumRif"
               " AND PreVenDett.RigLiv = PreVenLiv.RigLiv"
               " AND (PreVenLiv.StatoRiga<>") +
           l.evaso + QStringLiteral(" OR PreVenLiv.StatoRiga Is Null))") + limitiRighe();
}

// The delivery-date and article bounds of the criteria, as the engine's line query has them.
QString SelezioneManuale::limitiRighe() const {
    QString s;
    const auto& da = mMotore.ovDataConsDa;
    const auto& a = mMotore.ovDataConsA;
    if (da || a) {
        s += QStringLiteral(" And ((");
        if (da)
            s += QStringLiteral(" PreVenDett.DataCons >=") + sql(*da);
        if (da && a)
            s += QStringLiteral(" And");
        if (a)
            s += QStringLiteral(" PreVenDett.DataCons <=") + sql(*a);
        s += QStringLiteral(" ) or PreVenDett.DataCons IS NULL)");
    }
    if (!IsBlank(mMotore.osArticoloDa))
        s += QStringLiteral(" AND PreVenDett.Articolo >= ") + sql(mMotore.osArticoloDa);
    if (!IsBlank(mMotore.osArticoloA))
        s += QStringLiteral(" AND PreVenDett.Articolo <= ") + sql(mMotore.osArticoloA);
    return s;
}

// ---- Lines -------------------------------------------------------------------------------------

Currency SelezioneManuale::residuo(const ChiaveRigaEva& riga) {
    auto rs =
        mDb.openRowSet(QStringLiteral("Select Qta, QtaEvasa from PreVenEvaDett") + doveRiga(riga));
    if (rs->eof())
        return {};
    return Arrotonda(rs->amount(QStringLiteral("Qta")) - rs->amount(QStringLiteral("QtaEvasa")),
                     QLatin1Char('A'), decimaliQta());
}

bool SelezioneManuale::ControllaQtaDaEva(const ChiaveRigaEva& riga, const QString& testo,
                                         Currency& qta) {
    bool ok = true;
    const QString valore = testo.trimmed().isEmpty() ? QStringLiteral("0") : testo.trimmed();
    Currency numero = ConvertiNumero(valore, &ok);
    if (!ok) {
        mUi.message(QStringLiteral("Quantità non valida: ") + testo);
        return false;
    }
    numero = Arrotonda(numero, QLatin1Char('A'), decimaliQta());
    if (riga.riepilogo() && !numero.isZero()) {
        try {
            numero = residuo(riga);
        } catch (const DbError& e) {
            riportaErrore(e);
            return false;
        }
        mUi.message(kMsgRiepilogoTotale);
    }
    qta = numero;
    return true;
}

bool SelezioneManuale::ControllaASaldo(const ChiaveRigaEva& riga, QString& testo) {
    if (!ControllaSiNo(testo))
        return false;
    if (riga.riepilogo() && testo != kNo) {
        mUi.message(kMsgSaldoRiepilogo);
        return false;
    }
    return true;
}

void SelezioneManuale::ImpostaQtaDaEva(const ChiaveRigaEva& riga, Currency qta) {
    try {
        DbTransaction t(mDb);
        mDb.execute(QStringLiteral("Update PreVenEvaDett Set QtaDaEva = ") +
                    sql(QVariant::fromValue(qta)) + doveRiga(riga));
        seguiRiga(riga);
        t.commit();
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

void SelezioneManuale::ImpostaASaldo(const ChiaveRigaEva& riga, const QString& aSaldo) {
    try {
        DbTransaction t(mDb);
        mDb.execute(QStringLiteral("Update PreVenEvaDett Set ASaldo = ") + sql(aSaldo) +
                    doveRiga(riga));
        seguiRiga(riga);
        t.commit();
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

void SelezioneManuale::ClickASaldo(const ChiaveRigaEva& riga) {
    if (mbOccupato)
        return;
    if (riga.riepilogo()) {
        mUi.message(kMsgSaldoRiepilogo);
        return;
    }
    try {
        const QString attuale =
            TrimSpaces(
                mDb.scalar(QStringLiteral("Select ASaldo from PreVenEvaDett") + doveRiga(riga))
                    .toString())
                .toUpper();
        ImpostaASaldo(riga, attuale == kSi ? kNo : kSi);
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

void SelezioneManuale::EvadiResiduo(const ChiaveRigaEva& riga) {
    try {
        ImpostaQtaDaEva(riga, residuo(riga));
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

void SelezioneManuale::seguiRiga(const ChiaveRigaEva& riga) {
    if (mbLivelli && !mbLivelliMostrati && riga.riepilogo()) {
        const Currency qta = Currency::fromVariant(
            mDb.scalar(QStringLiteral("Select QtaDaEva from PreVenEvaDett") + doveRiga(riga)));
        livelliDaRiepilogo(riga, qta);
    }
    rigaRaee(riga);
}

// The level rows follow their summary row: nothing, or each its whole open quantity.
void SelezioneManuale::livelliDaRiepilogo(const ChiaveRigaEva& riga, Currency qta) {
    mDb.execute(QStringLiteral("Update PreVenEvaDett Set ") +
                (qta.isZero()
                     ? QStringLiteral(" QtaDaEva = 0")
                     : QStringLiteral(" QtaDaEva = Qta - IIf(Qtaevasa Is Null,0,Qtaevasa)")) +
                dovePreventivo(QStringLiteral("PreVenEvaDett"), riga.anno, riga.numRif) +
                QStringLiteral(" And RigLiv = ") + sql(riga.rigLiv) +
                QStringLiteral(" And Livello1 <> ") + sql(kRiepilogo));
}

// The electrical-waste contribution line takes the quantity and the closing mark of the line
// it belongs to: on a level row, the quantity of the whole line (its levels together).
void SelezioneManuale::rigaRaee(const ChiaveRigaEva& riga) {
    auto rs = mDb.openRowSet(
        QStringLiteral("Select RigLivRAEE, QtaDaEva, ASaldo from PreVenEvaDett") + doveRiga(riga));
    if (rs->eof() || rs->isNull(QStringLiteral("RigLivRAEE")) ||
        rs->integer(QStringLiteral("RigLivRAEE")) == 0)
        return;
    const qint64 raee = rs->integer(QStringLiteral("RigLivRAEE"));
    if (raee == riga.rigLiv)
        return;
    QVariant qta = QVariant::fromValue(rs->amount(QStringLiteral("QtaDaEva")));
    if (!IsBlank(riga.livello1) && !riga.riepilogo())
        qta = mDb.scalar(QStringLiteral("Select sum(QtaDaEva) from PreVenEvaDett") +
                         dovePreventivo(QStringLiteral("PreVenEvaDett"), riga.anno, riga.numRif) +
                         QStringLiteral(" And RigLiv = ") + sql(riga.rigLiv) +
                         QStringLiteral(" And Livello1 <> ") + sql(kRiepilogo));
    mDb.execute(QStringLiteral("Update PreVenEvaDett Set QtaDaEva = ") +
                sql(QVariant::fromValue(Currency::fromVariant(qta))) +
                QStringLiteral(", ASaldo = ") + sql(rs->value(QStringLiteral("ASaldo"))) +
                dovePreventivo(QStringLiteral("PreVenEvaDett"), riga.anno, riga.numRif) +
                QStringLiteral(" And RigLiv = ") + sql(raee));
}

// ---- Expenses ----------------------------------------------------------------------------------

void SelezioneManuale::ClickSpesa(int anno, qint32 numRif, int riga) {
    if (mbOccupato)
        return;
    const QString dove = dovePreventivo(QStringLiteral("PreVenEvaSpese"), anno, numRif) +
                         QStringLiteral(" AND PreVenEvaSpese.Riga=") + sql(riga);
    try {
        const QString attuale =
            TrimSpaces(
                mDb.scalar(QStringLiteral("Select Selez from PreVenEvaSpese") + dove).toString())
                .toUpper();
        mDb.execute(QStringLiteral("Update PreVenEvaSpese Set Selez = ") +
                    sql(attuale == kSi ? kNo : kSi) + dove);
    } catch (const DbError& e) {
        riportaErrore(e);
    }
}

// ---- Hand-over ---------------------------------------------------------------------------------

EsitoProsegui SelezioneManuale::Prosegui(const QString& testoCambio) {
    if (mbOccupato)
        return EsitoProsegui::Ignorato;
    mbOccupato = true;
    EsitoProsegui esito = EsitoProsegui::Fermato;
    {
        BusyScope busy(mUi);
        try {
            esito = prosegui(testoCambio);
        } catch (const DbError& e) {
            riportaErrore(e);
        }
    }
    mbOccupato = false;
    return esito;
}

// Everything is checked before anything changes, so that a refusal leaves the group as it
// was; the summary rows go only when the group is handed over (their effect is already on
// the level rows).
EsitoProsegui SelezioneManuale::prosegui(const QString& testoCambio) {
    mUi.yield();
    auto righe = mDb.openRowSet(QStringLiteral("Select QtaDaEva, ASaldo from PreVenEvaDett") +
                                doveUtente(QStringLiteral("PreVenEvaDett")) +
                                QStringLiteral(" AND Livello1 <> ") + sql(kRiepilogo));
    bool daFare = false;
    bool soloASaldo = true;
    for (; !righe->eof(); righe->moveNext()) {
        const Currency qta = righe->amount(QStringLiteral("QtaDaEva"));
        if (qta < Currency()) {
            mUi.message(kMsgNegative);
            return EsitoProsegui::Fermato;
        }
        if (qta > Currency()) {
            daFare = true;
            soloASaldo = false;
        }
        if (TrimSpaces(righe->text(QStringLiteral("ASaldo"))).toUpper() == kSi)
            daFare = true;
    }
    righe.reset();

    Currency cambio;
    if (daFare && mbCambio) {
        bool ok = true;
        cambio = ConvertiNumero(testoCambio, &ok);
        if (!ok || cambio <= Currency()) {
            mUi.message(kMsgCambio);
            return EsitoProsegui::MancaCambio;
        }
    }

    if (mbLivelli)
        mDb.execute(QStringLiteral("Delete * from PreVenEvaDett ") +
                    doveUtente(QStringLiteral("PreVenEvaDett")) +
                    QStringLiteral(" And Livello1 = ") + sql(kRiepilogo));
    if (daFare) {
        if (mbCambio) {
            auto& cambi = mMotore.ogCambi;
            auto it = std::find_if(cambi.begin(), cambi.end(), [&](const CambioEvasione& c) {
                return c.moneta.compare(msMoneta, Qt::CaseInsensitive) == 0;
            });
            if (it != cambi.end())
                it->cambio = cambio;
            else
                cambi.push_back({msMoneta, cambio});
        }
        const bool soloASaldoPrima = mMotore.obSoloASaldo;
        mMotore.obEvasManule = true;
        mMotore.obSoloASaldo = soloASaldo;
        mMotore.LanciaEvasionePrev();
        mMotore.obSoloASaldo = soloASaldoPrima;
    }
    return EstraeOrdiniCoerenti() ? EsitoProsegui::GruppoSuccessivo : EsitoProsegui::Finito;
}

}  // namespace evapre
