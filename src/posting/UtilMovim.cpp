// Movement headers, the posting of a whole movement, the staging copies and deletes, values in
// lire and euro, settings and error reports.
#include "UtilMovim.h"

#include <QRegularExpression>

#include "AziendaUtil.h"
#include "ComLock.h"
#include "DateConv.h"
#include "DbConnection.h"
#include "DbError.h"
#include "FinestraErrAggMov.h"
#include "NumberConv.h"
#include "ParametriDitta.h"
#include "RiprovaBlocchi.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TabelleMovimento.h"
#include "TextUtil.h"
#include "UiServices.h"

namespace evapre {

namespace {

constexpr int kTentativiNumero = 10;

QVariant testoONull(const QString& testo) {
    return IsBlank(testo) ? QVariant() : QVariant(testo);
}

QVariant dataONull(const QDate& data) {
    return IsNessunaData(data) ? QVariant() : QVariant(data);
}

// A transaction of our own when the caller has none open.
class TransazioneSeServe {
  public:
    explicit TransazioneSeServe(DbConnection& db) {
        if (!db.inTransaction())
            mPropria.emplace(db);
    }
    void commit() {
        if (mPropria)
            mPropria->commit();
    }

  private:
    std::optional<DbTransaction> mPropria;
};

}  // namespace

// ---- Causal flags ------------------------------------------------------------------------------

bool CausaleMov::esistenzaIniziale() const {
    return tipoMov == QLatin1String("I") || tipoMov == QLatin1String("V");
}

bool CausaleMov::nessunProgressivo() const {
    return tipoMov == QLatin1String("O") || tipoMov == QLatin1String("D");
}

int CausaleMov::segno1() const {
    return segno == QLatin1String("-") ? -1 : 1;
}

bool CausaleMov::aumentaGiacenza() const {
    return (carScar == QLatin1String("C") && segno1() > 0) ||
           (carScar == QLatin1String("S") && segno1() < 0);
}

bool CausaleMov::diminuisceGiacenza() const {
    return (carScar == QLatin1String("S") && segno1() > 0) ||
           (carScar == QLatin1String("C") && segno1() < 0);
}

// ---- Set-up ------------------------------------------------------------------------------------

UtilMovim::UtilMovim(DbConnection& db, ParametriDitta& parametri, AziendaUtil& moneta,
                     UiServices& ui, ComLock& lock, FinestraErrAggMov* finestraErrori)
    : mDb(db),
      mParametri(parametri),
      mMoneta(moneta),
      mUi(ui),
      mLock(lock),
      mFinestraErrori(finestraErrori) {
    setTentativi(RiprovaBlocchi::kTentativi, RiprovaBlocchi::kAttesaMs);
}

UtilMovim::~UtilMovim() = default;

void UtilMovim::setRegistroErrori(RegistroErrori registro) {
    mRegistro = std::move(registro);
}

void UtilMovim::setTentativi(int tentativi, int attesaMs) {
    mRiprova = std::make_unique<RiprovaBlocchi>([this](const QString& t) { avanzamento(t); },
                                                [this](const QString& t) { segnala(t); }, tentativi,
                                                attesaMs);
}

void UtilMovim::caricaImpostazioni() {
    if (mImp.letti)
        return;
    const auto si = [&](const char* chiave) {
        return TrimSpaces(mParametri.company(QLatin1String(chiave))) == QLatin1String("S");
    };
    mImp.decQta = mParametri.companyInt(QStringLiteral("Mag.NumDecQta"), Currency::kDecimals);
    mImp.gesTaglie = si("Mag.GesTaglie");
    mImp.aggForArt = si("Mag.AggForArt");
    mImp.listVenDaAggOrd = si("Magazzino.ListVenDaAggOrd");
    mImp.ripartSpesePercVal = TrimSpaces(
        mParametri.companyOr(QStringLiteral("Magazzino.RipartSpesePercVal"), QStringLiteral("V")));
    mImp.qualeDataLis = TrimSpaces(mParametri.company(QStringLiteral("Mag.QualeDataLis")));
    mImp.dataListino = ConvertiData(mParametri.company(QStringLiteral("Mag.DataListino")));
    bool ok = false;
    const Currency perc =
        ConvertiNumero(mParametri.company(QStringLiteral("Mag.PercRicListClie")), &ok);
    mImp.percRicListClie = ok ? perc : Currency();
    mImp.articoliConListini = mDb.tableRecord(QStringLiteral("Articoli")).contains("ListDaAgg");
    mImp.letti = true;
}

// ---- Reporting ---------------------------------------------------------------------------------

void UtilMovim::segnala(const QString& testo) {
    if (mRegistro)
        mRegistro(testo);
    else
        mUi.message(testo, {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
}

QString UtilMovim::testoErrore(const QString& intestazione, int numero, const QString& descrizione,
                               const QString& tabella) {
    return intestazione + QLatin1Char('\n') + QStringLiteral("Errore (") + QString::number(numero) +
           QStringLiteral(") ") + descrizione +
           (tabella.isEmpty() ? QString() : QLatin1Char('\n') + tabella);
}

void UtilMovim::avanzamento(const QString& testo) {
    if (!mSilenzioso)
        mUi.progressStep(mFatte, testo);
    mUi.yield();
}

// ---- Values ------------------------------------------------------------------------------------

const InfoMoneta& UtilMovim::moneta(const QString& codice) {
    auto trovata = mMonete.constFind(codice);
    if (trovata == mMonete.constEnd())
        trovata = mMonete.insert(codice, mMoneta.LeggiMoneta(codice));
    return *trovata;
}

int UtilMovim::decEuro() const {
    return mMoneta.settings().numDecEuro;
}

int UtilMovim::decLire() const {
    return mMoneta.settings().numDecLira;
}

UtilMovim::Valori UtilMovim::ConvertiValore(Currency valore, Currency cambio,
                                            const QString& codice) {
    const MoneySettings& s = mMoneta.settings();
    const QString m = IsBlank(codice) ? s.moneta : TrimSpaces(codice);
    Valori v;
    const bool euro = m.compare(s.codEuro, Qt::CaseInsensitive) == 0;
    const bool lira = m.compare(s.codLira, Qt::CaseInsensitive) == 0;
    const Currency inEuro =
        euro ? valore : mMoneta.ConvertiInEuro(valore, cambio, moneta(m).operatore, m, false);
    v.euro = Arrotonda(inEuro, 'A', decEuro());
    v.lire = lira ? Arrotonda(valore, 'A', decLire())
                  : mMoneta.ConvertiDaEuro(inEuro, Currency(), QStringLiteral("/"), s.codLira,
                                           ArrotondaDaEuro::Decimali, decLire());
    return v;
}

// ---- Headers -----------------------------------------------------------------------------------

qint32 UtilMovim::CreaTestataMov(const NuovaTestataMov& t) {
    const QString tabella = TabelleMovimento::testa();
    try {
        TransazioneSeServe transazione(mDb);
        qint32 numReg = 0;
        for (int tentativo = 1; tentativo <= kTentativiNumero && numReg == 0; ++tentativo) {
            const qint64 prossimo =
                mLock.ProssimoNumero(QStringLiteral("numreg"), tabella, t.anno, false);
            if (prossimo <= 0)
                return 0;  // reported by the numbering
            const auto libero = mDb.openRowSet(
                QStringLiteral("select * from ") + tabella + QStringLiteral(" where") +
                QStringLiteral(" anno = ") + mDb.sql(t.anno) + QStringLiteral(" and NumReg = ") +
                mDb.sql(prossimo));
            if (!libero->eof())
                continue;
            try {
                mDb.insertRow(
                    tabella,
                    {{QStringLiteral("Anno"), t.anno},
                     {QStringLiteral("NumReg"), prossimo},
                     {QStringLiteral("DataReg"), dataONull(t.dataReg)},
                     {QStringLiteral("FattDocumento"), testoONull(t.fattDocumento)},
                     {QStringLiteral("PreDoc"), testoONull(t.preDoc)},
                     {QStringLiteral("NumDoc"), t.numDoc != 0 ? QVariant(t.numDoc) : QVariant()},
                     {QStringLiteral("DataDoc"), dataONull(t.dataDoc)},
                     {QStringLiteral("NumRif"), t.numRif != 0 ? QVariant(t.numRif) : QVariant()},
                     {QStringLiteral("MagCausale"), testoONull(t.magCausale)},
                     {QStringLiteral("MagazzinoProv"), testoONull(t.magazzinoProv)},
                     {QStringLiteral("MagazzinoDest"), testoONull(t.magazzinoDest)},
                     {QStringLiteral("GruppoCliFor"), testoONull(t.gruppoCliFor)},
                     {QStringLiteral("MastroCliFor"), testoONull(t.mastroCliFor)},
                     {QStringLiteral("ContoCliFor"), testoONull(t.contoCliFor)},
                     {QStringLiteral("Listino"), testoONull(t.listino)},
                     {QStringLiteral("Moneta"), testoONull(t.moneta)},
                     {QStringLiteral("Cambio"), QVariant::fromValue(t.cambio)},
                     {QStringLiteral("CambioDocOrig"), QVariant::fromValue(t.cambioDocOrig)},
                     {QStringLiteral("AutMan"), QStringLiteral("A")},
                     {QStringLiteral("Note"), testoONull(t.note)},
                     {QStringLiteral("ImportoSpese"), QVariant::fromValue(t.importoSpese)}});
                numReg = static_cast<qint32>(prossimo);
            } catch (const DbError& e) {
                // Another user took the number between the query and the insert.
                if (e.number() != DbErr::DuplicateKey || tentativo == kTentativiNumero)
                    throw;
            }
        }
        if (numReg == 0 ||
            !bloccaMovimento(t.anno, numReg, QStringLiteral("Movimenti di magazzino")))
            return 0;
        transazione.commit();
        return numReg;
    } catch (const DbError& e) {
        segnala(testoErrore(QStringLiteral("Errore nella creazione della testata del movimento"),
                            e.number(), e.text(), tabella));
        return 0;
    }
}

bool UtilMovim::bloccaMovimento(int anno, qint32 numReg, const QString& descrizione) {
    RichiestaBlocco richiesta = RichiestaBlocco::Segno(
        QStringLiteral("0"), TabelleMovimento::tipoBlocco(), anno, numReg, descrizione, true);
    richiesta.varie = QString::number(anno) + QLatin1Char('-') + QString::number(numReg);
    DetentoreBlocco detentore;
    if (mLock.BloccaRecord(richiesta, &detentore))
        return true;
    segnala(
        detentore.utente.isEmpty()
            ? descrizione + QStringLiteral(" (anno: ") + QString::number(anno) +
                  QStringLiteral(" - Num.: ") + QString::number(numReg) +
                  QStringLiteral(") non è stato bloccato")
            : ComLock::TestoInUso(descrizione, anno, numReg, detentore.utente, detentore.gestione));
    return false;
}

// ---- Posting a movement ------------------------------------------------------------------------

bool UtilMovim::haRigheInAppoggio(int anno, qint32 numReg) {
    const QString chiave = QStringLiteral(" Where Anno = ") + mDb.sql(anno) +
                           QStringLiteral(" AND NumReg = ") + mDb.sql(numReg);
    for (const QString& t : {TabelleMovimento::dett(), TabelleMovimento::liv()}) {
        const QVariant n = mDb.scalar(QStringLiteral("Select count(*) from ") +
                                      TabelleMovimento::appoggio(t) + chiave);
        if (n.toLongLong() > 0)
            return true;
    }
    return false;
}

void UtilMovim::cancellaRigheReali(int anno, qint32 numReg, const QStringList& tabelle) {
    for (const QString& t : tabelle)
        mDb.execute(QStringLiteral("Delete from ") + t + QStringLiteral(" Where anno = ") +
                    mDb.sql(anno) + QStringLiteral(" And numreg = ") + mDb.sql(numReg));
}

bool UtilMovim::AggMovimento(int anno, qint32 numReg, bool senzaAvanzamento, bool disaggiornaPrima,
                             bool nuovo) {
    BusyScope occupato(mUi);
    mSilenzioso = senzaAvanzamento;
    const QString dett = TabelleMovimento::dett();
    const QString liv = TabelleMovimento::liv();
    const QString matr = TabelleMovimento::matr();
    const QString rintr = TabelleMovimento::rintraccia();
    bool ok = true;
    try {
        caricaImpostazioni();
        TransazioneSeServe transazione(mDb);
        const bool daAppoggio = haRigheInAppoggio(anno, numReg);
        if (!nuovo) {
            if (!bloccaMovimento(anno, numReg, QStringLiteral("Il movimento")))
                return false;
            if (disaggiornaPrima)
                ok = DisaggRighe(anno, numReg, TipoRighe::Livelli, StatoRigaMov::aggiornata(),
                                 StatoRigaMov::disaggiornata()) &&
                     DisaggRighe(anno, numReg, TipoRighe::Dettaglio, StatoRigaMov::aggiornata(),
                                 StatoRigaMov::disaggiornata());
            // The staged lines replace the old ones: without staged lines the real ones are
            // what gets posted again, and are kept with their serial numbers and lots.
            if (ok && daAppoggio)
                cancellaRigheReali(anno, numReg, {dett, liv, matr, rintr});
        }
        if (ok && !bloccaMovimento(anno, numReg, QStringLiteral("Il movimento")))
            return false;
        ok = ok && AggRighe(anno, numReg, TipoRighe::Livelli, daAppoggio) &&
             AggRighe(anno, numReg, TipoRighe::Dettaglio, daAppoggio);
        if (ok && daAppoggio) {
            for (const QString& t : {matr, rintr}) {
                CopiaRigheApp(anno, numReg, TabelleMovimento::appoggio(t), t);
                ok = ok && CancellaRigheApp(anno, numReg, TabelleMovimento::appoggio(t));
            }
        }
        if (ok)
            AggValScarico(anno, numReg);
        // Every staged line is posted: the staging copies have done their work.
        if (ok && daAppoggio)
            ok = CancellaRigheApp(anno, numReg, TabelleMovimento::appoggio(liv)) &&
                 CancellaRigheApp(anno, numReg, TabelleMovimento::appoggio(dett));
        transazione.commit();
    } catch (const DbError& e) {
        segnala(testoErrore(QStringLiteral("Errore durante l'Aggiornamento"), e.number(), e.text(),
                            TabelleMovimento::testa()));
        ok = false;
    }
    if (!mSilenzioso)
        mUi.progressEnd();
    return ok;
}

// ---- Staging copies ----------------------------------------------------------------------------

int UtilMovim::CopiaRigheApp(int anno, qint32 numReg, const QString& tabellaApp,
                             const QString& tabella) {
    QStringList colonne;
    const QSqlRecord app = mDb.tableRecord(tabellaApp);
    const QSqlRecord reale = mDb.tableRecord(tabella);
    for (int i = 0; i < reale.count(); ++i)
        if (app.contains(reale.fieldName(i)))
            colonne << reale.fieldName(i);
    if (colonne.isEmpty())
        return 0;
    const QString elenco = colonne.join(u',');
    return mDb.execute(QStringLiteral("Insert into ") + tabella + QStringLiteral(" (") + elenco +
                       QStringLiteral(") Select ") + elenco + QStringLiteral(" from ") +
                       tabellaApp + QStringLiteral(" Where Anno = ") + mDb.sql(anno) +
                       QStringLiteral(" AND NumReg = ") + mDb.sql(numReg));
}

bool UtilMovim::CancellaRigheApp(int anno, qint32 numReg, const QString& tabellaApp,
                                 std::optional<int> rigLiv) {
    static const QRegularExpression nome(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*app$"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!nome.match(tabellaApp).hasMatch()) {
        segnala(QStringLiteral("Nome File non valido"));
        return false;
    }
    QString sql = QStringLiteral("Delete from ") + tabellaApp + QStringLiteral(" Where Anno = ") +
                  mDb.sql(anno) + QStringLiteral(" AND NumReg = ") + mDb.sql(numReg);
    if (rigLiv)
        sql += QStringLiteral(" AND RigLiv = ") + mDb.sql(*rigLiv);
    mDb.execute(sql);
    return true;
}

}  // namespace evapre
