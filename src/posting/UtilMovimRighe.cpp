// The passes over the lines of a movement: posting (from the staging tables or the real ones),
// reversal, the expenses spread over the lines and the issue values of level articles.
#include "DbConnection.h"
#include "DbError.h"
#include "FinestraErrAggMov.h"
#include "RiprovaBlocchi.h"
#include "Rounding.h"
#include "RowSet.h"
#include "TabelleMovimento.h"
#include "TextUtil.h"
#include "UiServices.h"
#include "UtilMovim.h"

namespace evapre {

namespace {

const QString kSi = QStringLiteral("S");

// A savepoint around the work of a row (or of a pass): released when it is done, rolled back to
// when it fails, so that a row is either posted whole or left as it was. The statements go
// unguarded: the connection's own per-statement savepoint would release this one.
class PuntoRipristino {
  public:
    PuntoRipristino(DbConnection& db, const char* nome) : mDb(db), mNome(QLatin1String(nome)) {
        mDb.executeIgnoringErrors(QStringLiteral("SAVEPOINT ") + mNome);
    }
    ~PuntoRipristino() {
        if (!mFatto) {
            mDb.executeIgnoringErrors(QStringLiteral("ROLLBACK TO SAVEPOINT ") + mNome);
            mDb.executeIgnoringErrors(QStringLiteral("RELEASE SAVEPOINT ") + mNome);
        }
    }
    void conferma() {
        mDb.executeIgnoringErrors(QStringLiteral("RELEASE SAVEPOINT ") + mNome);
        mFatto = true;
    }
    PuntoRipristino(const PuntoRipristino&) = delete;
    PuntoRipristino& operator=(const PuntoRipristino&) = delete;

  private:
    DbConnection& mDb;
    QString mNome;
    bool mFatto = false;
};

QString nomeTipo(TipoRighe tipo) {
    return tipo == TipoRighe::Dettaglio ? QStringLiteral("Righe di dettaglio")
                                        : QStringLiteral("Righe dei livelli");
}

QString tabellaDi(TipoRighe tipo) {
    return tipo == TipoRighe::Dettaglio ? TabelleMovimento::dett() : TabelleMovimento::liv();
}

}  // namespace

// ---- Expenses spread over the lines ------------------------------------------------------------

Currency RipartizioneSpese::quota(const RigaMov& riga) const {
    switch (modo.unicode()) {
        case 'V':
            if (totVal.isZero() || riga.valTotale.isZero())
                return {};
            return importo * riga.valTotale / totVal;
        case 'Q':
            if (totQta.isZero() || riga.qta.isZero())
                return {};
            return importo * riga.qta / totQta;
        case 'P':
            return importo * riga.valTotale / Currency::fromInt(100);
        default:
            return {};
    }
}

RipartizioneSpese UtilMovim::leggiRipartizione(const TestataMov& t, const QString& tabellaDett) {
    RipartizioneSpese r;
    if (Arrotonda(t.importoSpese, 'A', decEuro()).isZero())
        return r;
    const QString modo = TrimSpaces(t.causale.ripartSpese).toUpper();
    if (modo != QLatin1String("V") && modo != QLatin1String("Q"))
        return r;
    auto totali = mDb.openRowSet(
        QStringLiteral("Select sum(Qta) as TotQta") + QStringLiteral(", Sum(ValTotale) as TotVal") +
        QStringLiteral(" From ") + tabellaDett + QStringLiteral(" Where Anno = ") +
        mDb.sql(t.anno) + QStringLiteral(" And NumReg = ") + mDb.sql(t.numReg));
    r.modo = modo.at(0);
    r.importo = t.importoSpese;
    if (!totali->eof()) {
        r.totQta = totali->amount(QStringLiteral("TotQta"));
        r.totVal = totali->amount(QStringLiteral("TotVal"));
    }
    // A negative amount is a percentage of each line's value.
    if (r.importo < Currency()) {
        r.importo = r.importo.abs();
        if (mImp.ripartSpesePercVal.compare(QLatin1String("V"), Qt::CaseInsensitive) == 0)
            r.modo = QLatin1Char('P');
    }
    return r;
}

// ---- Reading -----------------------------------------------------------------------------------

std::optional<TestataMov> UtilMovim::leggiTestata(int anno, qint32 numReg) {
    auto r = mDb.openRowSet(QStringLiteral("Select MovMagTes.*,MagCausali.* from ") +
                            QStringLiteral(" MovMagTes INNER JOIN MagCausali") +
                            QStringLiteral(" ON MovMagTes.MagCausale = MagCausali.MagCausale") +
                            QStringLiteral(" Where MovMagTes.anno = ") + mDb.sql(anno) +
                            QStringLiteral(" And MovMagTes.numreg = ") + mDb.sql(numReg));
    if (r->eof())
        return std::nullopt;
    const auto tes = [&](const char* c) {
        return TrimSpaces(r->text(QStringLiteral("MovMagTes.") + QLatin1String(c)));
    };
    const auto cau = [&](const char* c) {
        return TrimSpaces(r->text(QStringLiteral("MagCausali.") + QLatin1String(c))).toUpper();
    };
    TestataMov t;
    t.anno = anno;
    t.numReg = numReg;
    t.dataReg = r->date(QStringLiteral("MovMagTes.DataReg"));
    t.magazzinoProv = tes("MagazzinoProv");
    t.magazzinoDest = tes("MagazzinoDest");
    t.gruppoCliFor = tes("GruppoCliFor");
    t.mastroCliFor = tes("MastroCliFor");
    t.contoCliFor = tes("ContoCliFor");
    t.moneta = tes("Moneta");
    t.cambio = r->amount(QStringLiteral("MovMagTes.Cambio"));
    t.importoSpese = r->amount(QStringLiteral("MovMagTes.ImportoSpese"));
    CausaleMov& c = t.causale;
    c.magCausale = tes("MagCausale");
    c.carScar = cau("CarScar");
    c.segno = cau("Segno");
    c.prov = cau("Prov");
    c.dest = cau("Dest");
    c.tipoMov = cau("TipoMov");
    c.qualeProgrQta = cau("QualeProgrQta");
    c.aggMedioCar = cau("AggMedioCar");
    c.aggMedioPon = cau("AggMedioPon");
    c.aggCostoUlt = cau("AggCostoUlt");
    c.valorizzScarico = cau("ValorizzScarico");
    c.acqVen = cau("AcqVen");
    c.ripartSpese = cau("RipartSpese");
    return t;
}

// The rows of one kind with their article's flags. Level rows take article and rate from
// their detail line. A row whose article is missing is still read (and copied), it only moves
// no progressive.
QString UtilMovim::sqlRighe(TipoRighe tipo, const QString& tabella, const QString& tabellaDett,
                            int anno, qint32 numReg, const QString& filtroStato) const {
    QString articoli =
        QStringLiteral(", Articoli.LivGruppo1, Articoli.ArtMag, Articoli.FlagLivLis") +
        QStringLiteral(
            ", Articoli.GruppoForAb, Articoli.MastroForAb, "
            "Articoli.ContoForAb");
    if (mImp.articoliConListini)
        articoli = QStringLiteral(", Articoli.ListDaAgg, Articoli.ListDaAggClie") + articoli;
    QString s = QStringLiteral("Select ") + tabella + QStringLiteral(".*");
    if (tipo == TipoRighe::Livelli)
        s += QStringLiteral(", ") + tabellaDett + QStringLiteral(".Articolo as ArticoloDett, ") +
             tabellaDett + QStringLiteral(".Cambio as CambioDett") + articoli +
             QStringLiteral(" from (") + tabella + QStringLiteral(" Left Join ") + tabellaDett +
             QStringLiteral(" on ") + tabella + QStringLiteral(".NumReg = ") + tabellaDett +
             QStringLiteral(".NumReg and ") + tabella + QStringLiteral(".Anno = ") + tabellaDett +
             QStringLiteral(".Anno and ") + tabella + QStringLiteral(".RigLiv = ") + tabellaDett +
             QStringLiteral(".RigLiv) Left Join Articoli on ") + tabellaDett +
             QStringLiteral(".Articolo = Articoli.Articolo");
    else
        s += articoli + QStringLiteral(" from ") + tabella +
             QStringLiteral(" Left Join Articoli on ") + tabella +
             QStringLiteral(".Articolo = Articoli.Articolo");
    s += QStringLiteral(" Where ") + tabella + QStringLiteral(".Anno = ") + mDb.sql(anno) +
         QStringLiteral(" AND ") + tabella + QStringLiteral(".NumReg = ") + mDb.sql(numReg) +
         QStringLiteral(" AND ") + filtroStato + QStringLiteral(" Order by ") + tabella +
         QStringLiteral(".RigLiv");
    if (tipo == TipoRighe::Livelli)
        s += QStringLiteral(", ") + tabella + QStringLiteral(".Livello1, ") + tabella +
             QStringLiteral(".Livello2");
    return s;
}

RigaMov UtilMovim::leggiRiga(const RowSet& r, TipoRighe tipo, const QString& tabella,
                             const TestataMov& testata) const {
    const auto col = [&](const char* c) { return tabella + QLatin1Char('.') + QLatin1String(c); };
    RigaMov riga;
    riga.tipo = tipo;
    riga.rigLiv = static_cast<int>(r.integer(col("RigLiv")));
    riga.livello1 = r.text(col("Livello1"));
    riga.livello2 = r.text(col("Livello2"));
    riga.um = r.text(col("UM"));
    riga.qta = r.amount(col("Qta"));
    riga.qtaAggMag = r.amount(col("QtaAggMag"));
    riga.valUnitario = r.amount(col("ValUnitario"));
    riga.valTotale = r.amount(col("ValTotale"));
    riga.valLire = r.amount(col("ValLire"));
    riga.valEuro = r.amount(col("ValEuro"));
    riga.valScarico = r.amount(col("ValScarico"));
    riga.valScaricoLire = r.amount(col("ValScaricoLire"));
    if (tipo == TipoRighe::Livelli) {
        riga.articolo = r.text(QStringLiteral("ArticoloDett"));
        riga.cambio = r.amount(QStringLiteral("CambioDett"));
    } else {
        riga.articolo = r.text(col("Articolo"));
        riga.cambio = r.amount(col("Cambio"));
    }
    if (riga.cambio.isZero())
        riga.cambio = testata.cambio;
    const auto si = [&](const char* c) {
        return TrimSpaces(r.text(QStringLiteral("Articoli.") + QLatin1String(c))).toUpper() == kSi;
    };
    riga.articoloTrovato = !r.isNull(QStringLiteral("Articoli.ArtMag")) ||
                           !r.isNull(QStringLiteral("Articoli.LivGruppo1"));
    riga.artMag = si("ArtMag");
    riga.conLivelli = !r.isNull(QStringLiteral("Articoli.LivGruppo1"));
    riga.prezziPerLivello = si("FlagLivLis");
    if (mImp.articoliConListini) {
        riga.listDaAgg = TrimSpaces(r.text(QStringLiteral("Articoli.ListDaAgg")));
        riga.listDaAggClie = TrimSpaces(r.text(QStringLiteral("Articoli.ListDaAggClie")));
    }
    riga.gruppoForAb = TrimSpaces(r.text(QStringLiteral("Articoli.GruppoForAb")));
    riga.mastroForAb = TrimSpaces(r.text(QStringLiteral("Articoli.MastroForAb")));
    riga.contoForAb = TrimSpaces(r.text(QStringLiteral("Articoli.ContoForAb")));
    return riga;
}

QSet<int> UtilMovim::righeConLivelli(const QString& tabellaLiv, int anno, qint32 numReg) {
    QSet<int> righe;
    auto r = mDb.openRowSet(QStringLiteral("Select distinct RigLiv from ") + tabellaLiv +
                            QStringLiteral(" Where Anno = ") + mDb.sql(anno) +
                            QStringLiteral(" AND NumReg = ") + mDb.sql(numReg));
    for (; !r->eof(); r->moveNext())
        righe.insert(static_cast<int>(r->integer(QStringLiteral("RigLiv"))));
    return righe;
}

// ---- Writing a row -----------------------------------------------------------------------------

QString UtilMovim::chiaveNellaTestata(const RigaMov& riga) const {
    QString s = QStringLiteral("RigLiv = ") + mDb.sql(riga.rigLiv);
    if (riga.tipo == TipoRighe::Livelli)
        s += QStringLiteral(" AND Livello1 = ") + mDb.sql(riga.livello1) +
             QStringLiteral(" AND Livello2 = ") + mDb.sql(riga.livello2);
    return s;
}

QString UtilMovim::chiaveRiga(const TestataMov& t, const RigaMov& riga) const {
    return QStringLiteral(" Where Anno = ") + mDb.sql(t.anno) + QStringLiteral(" AND NumReg = ") +
           mDb.sql(t.numReg) + QStringLiteral(" AND ") + chiaveNellaTestata(riga);
}

const QStringList& UtilMovim::colonneReali(const QString& tabella) {
    auto colonne = mColonne.constFind(tabella);
    if (colonne == mColonne.constEnd()) {
        QStringList nomi;
        const QSqlRecord record = mDb.tableRecord(tabella);
        for (int i = 0; i < record.count(); ++i)
            nomi << record.fieldName(i);
        colonne = mColonne.insert(tabella, nomi);
    }
    return *colonne;
}

// The staged row as the real table takes it: every column copied, with its values in lire and
// euro, its issue value and its new status.
QVariantList UtilMovim::valoriRigaReale(const RowSet& sorgente, const QString& tabellaApp,
                                        const QString& tabella, const RigaMov& riga) {
    QVariantList valori;
    for (const QString& c : colonneReali(tabella)) {
        const QString nome = c.toLower();
        if (nome == QLatin1String("flagstato"))
            valori << StatoRigaMov::aggiornata();
        else if (nome == QLatin1String("vallire"))
            valori << QVariant::fromValue(riga.valLire);
        else if (nome == QLatin1String("valeuro"))
            valori << QVariant::fromValue(riga.valEuro);
        else if (nome == QLatin1String("valscarico") && riga.scaricoValorizzato)
            valori << QVariant::fromValue(riga.valScarico);
        else if (nome == QLatin1String("valscaricolire") && riga.scaricoValorizzato)
            valori << QVariant::fromValue(riga.valScaricoLire);
        else if (sorgente.hasColumn(tabellaApp + QLatin1Char('.') + c))
            valori << sorgente.value(tabellaApp + QLatin1Char('.') + c);
        else
            valori << QVariant();
    }
    return valori;
}

// The staged rows whose real rows were written, marked posted a batch at a time.
void UtilMovim::segnaAggiornate(const QString& tabellaApp, const TestataMov& t,
                                const QStringList& chiavi) {
    constexpr qsizetype kPerIstruzione = 200;
    for (qsizetype inizio = 0; inizio < chiavi.size(); inizio += kPerIstruzione) {
        QString dove;
        for (qsizetype i = inizio; i < std::min(chiavi.size(), inizio + kPerIstruzione); ++i)
            dove +=
                (dove.isEmpty() ? QStringLiteral("(") : QStringLiteral(" OR (")) + chiavi[i] + u')';
        mDb.execute(QStringLiteral("Update ") + tabellaApp + QStringLiteral(" Set FlagStato = ") +
                    mDb.sql(StatoRigaMov::aggiornata()) + QStringLiteral(" Where Anno = ") +
                    mDb.sql(t.anno) + QStringLiteral(" AND NumReg = ") + mDb.sql(t.numReg) +
                    QStringLiteral(" AND (") + dove + u')');
    }
}

void UtilMovim::aggiornaStatoRiga(const QString& tabella, const TestataMov& t, const RigaMov& riga,
                                  const QString& stato, bool conScarico) {
    QString s =
        QStringLiteral("Update ") + tabella + QStringLiteral(" Set FlagStato = ") + mDb.sql(stato);
    if (conScarico && riga.scaricoValorizzato)
        s += QStringLiteral(", ValScarico = ") + mDb.sql(QVariant::fromValue(riga.valScarico)) +
             QStringLiteral(", ValScaricoLire = ") +
             mDb.sql(QVariant::fromValue(riga.valScaricoLire));
    if (mDb.execute(s + chiaveRiga(t, riga)) == 0)
        throw DbError(DbErr::DataChanged,
                      QStringLiteral("La riga è stata modificata o eliminata da un altro utente"));
}

// ---- The passes ----------------------------------------------------------------------------

// One pass over the rows: each under its savepoint, lock conflicts retried. The first failure
// is reported and ends the pass.
bool UtilMovim::passaRighe(RowSet& sorgente, const TestataMov& t, TipoRighe tipo,
                           const QString& tabella, const QString& didascalia, const Azione& azione,
                           const Fatta& fatta, const QString& intestazioneErrore,
                           bool disaggiornamento) {
    if (!mSilenzioso)
        mUi.progressStart(didascalia, 0);
    mFatte = 0;
    const auto riporta = [&](const QString& testo) {
        if (disaggiornamento && mFinestraErrori)
            mFinestraErrori->MostraErrore(testo);
        else if (disaggiornamento)
            mUi.message(testo, {QStringLiteral("Prosegui")}, 1, MsgIcon::Critical,
                        QStringLiteral("Errore"));
        else
            segnala(testo);
    };
    for (; !sorgente.eof(); sorgente.moveNext()) {
        const RigaMov letta = leggiRiga(sorgente, tipo, tabella, t);
        try {
            RigaMov riuscita;
            mRiprova->esegui([&] {
                RigaMov riga = letta;
                PuntoRipristino punto(mDb, "evapre_riga");
                azione(riga);
                punto.conferma();
                riuscita = std::move(riga);
            });
            if (fatta)
                fatta(riuscita);
        } catch (const TentativiEsauriti&) {
            return false;
        } catch (const DbError& e) {
            riporta(testoErrore(intestazioneErrore, e.number(), e.text(), tabellaDi(tipo)));
            return false;
        } catch (const std::exception& e) {
            // An amount out of range: the row is left as it was, like on a database error.
            riporta(
                testoErrore(intestazioneErrore, 0, QString::fromUtf8(e.what()), tabellaDi(tipo)));
            return false;
        }
        ++mFatte;
        if (!mSilenzioso)
            mUi.progressStep(mFatte);
        if (mFatte % 50 == 0)
            mUi.yield();
    }
    return true;
}

bool UtilMovim::AggRighe(int anno, qint32 numReg, TipoRighe tipo, bool daAppoggio) {
    caricaImpostazioni();
    const QString reale = tabellaDi(tipo);
    const QString sorgente = daAppoggio ? TabelleMovimento::appoggio(reale) : reale;
    const QString dettSorgente = daAppoggio ? TabelleMovimento::appoggio(TabelleMovimento::dett())
                                            : TabelleMovimento::dett();
    const QString intestazione = QStringLiteral("Errore durante l'Aggiornamento");
    try {
        const std::optional<TestataMov> t = leggiTestata(anno, numReg);
        if (!t)
            return true;
        const RipartizioneSpese spese = leggiRipartizione(*t, dettSorgente);
        const QSet<int> conLivelli =
            tipo == TipoRighe::Dettaglio
                ? righeConLivelli(daAppoggio ? TabelleMovimento::appoggio(TabelleMovimento::liv())
                                             : TabelleMovimento::liv(),
                                  anno, numReg)
                : QSet<int>();
        const QString nonAggiornate = QStringLiteral("(") + sorgente +
                                      QStringLiteral(".FlagStato <> ") +
                                      mDb.sql(StatoRigaMov::aggiornata()) + QStringLiteral(" OR ") +
                                      sorgente + QStringLiteral(".FlagStato Is Null)");
        auto righe =
            mDb.openRowSet(sqlRighe(tipo, sorgente, dettSorgente, anno, numReg, nonAggiornate));
        const Azione azione = [&](RigaMov& riga) {
            riga.haRigheLivello = conLivelli.contains(riga.rigLiv);
            if (daAppoggio) {
                const Valori v = ConvertiValore(riga.valTotale, riga.cambio, t->moneta);
                riga.valLire = v.lire;
                riga.valEuro = v.euro;
            }
            AggRigaProgr(*t, riga, spese, ModoAgg::Aggiorna);
            if (!daAppoggio)
                aggiornaStatoRiga(reale, *t, riga, StatoRigaMov::aggiornata(), true);
        };
        // The real rows of the staged ones, and their marks, are written together after the
        // pass: they are seen only with the progressives they go with, when the transaction
        // ends, and a failure part way still writes those of the rows done.
        QList<QVariantList> reali;
        QStringList chiavi;
        const Fatta fatta = [&](const RigaMov& riga) {
            if (!daAppoggio)
                return;
            reali << valoriRigaReale(*righe, sorgente, reale, riga);
            chiavi << chiaveNellaTestata(riga);
        };
        // Rows whose real rows cannot be written are taken back, all of the pass.
        PuntoRipristino passo(mDb, "evapre_passo");
        const bool ok =
            passaRighe(*righe, *t, tipo, sorgente,
                       QStringLiteral("Aggiornamento movimenti in corso: ") + nomeTipo(tipo),
                       azione, fatta, intestazione, false);
        if (!reali.isEmpty()) {
            mDb.insertRows(reale, colonneReali(reale), reali);
            segnaAggiornate(sorgente, *t, chiavi);
        }
        passo.conferma();
        return ok;
    } catch (const DbError& e) {
        segnala(testoErrore(intestazione, e.number(), e.text(), reale));
        return false;
    }
}

bool UtilMovim::DisaggRighe(int anno, qint32 numReg, TipoRighe tipo, const QString& statoDa,
                            const QString& statoA) {
    caricaImpostazioni();
    const QString tabella = tabellaDi(tipo);
    const QString intestazione = QStringLiteral("Errore durante il Disaggiornamento");
    try {
        const std::optional<TestataMov> t = leggiTestata(anno, numReg);
        if (!t)
            return true;
        const RipartizioneSpese spese = leggiRipartizione(*t, TabelleMovimento::dett());
        const QSet<int> conLivelli = tipo == TipoRighe::Dettaglio
                                         ? righeConLivelli(TabelleMovimento::liv(), anno, numReg)
                                         : QSet<int>();
        auto righe =
            mDb.openRowSet(sqlRighe(tipo, tabella, TabelleMovimento::dett(), anno, numReg,
                                    tabella + QStringLiteral(".FlagStato = ") + mDb.sql(statoDa)));
        const Azione azione = [&](RigaMov& riga) {
            riga.haRigheLivello = conLivelli.contains(riga.rigLiv);
            AggRigaProgr(*t, riga, spese, ModoAgg::Disaggiorna);
            aggiornaStatoRiga(tabella, *t, riga, statoA, false);
        };
        return passaRighe(*righe, *t, tipo, tabella,
                          QStringLiteral("Disaggiornamento movimenti in corso: ") + nomeTipo(tipo),
                          azione, nullptr, intestazione, true);
    } catch (const DbError& e) {
        const QString testo = testoErrore(intestazione, e.number(), e.text(), tabella);
        if (mFinestraErrori)
            mFinestraErrori->MostraErrore(testo);
        else
            mUi.message(testo, {QStringLiteral("Prosegui")}, 1, MsgIcon::Critical,
                        QStringLiteral("Errore"));
        return false;
    }
}

// ---- Issue values of level articles --------------------------------------------------------

void UtilMovim::AggValScarico(int anno, qint32 numReg, const QString& articoloDa,
                              const QString& articoloA) {
    if (!mSilenzioso)
        mUi.progressStart(QStringLiteral("Aggiornamento valori scarico"), 0);
    // Only lines that have level lines: the others carry their own issue value.
    QString s = QStringLiteral(
                    "Select MovMagDett.Articolo, MovMagDett.NumReg, "
                    "MovMagDett.RigLiv,MovMagDett.ValScaricoLire,MovMagDett.ValScarico") +
                QStringLiteral(" FROM (MovMagDett INNER JOIN Articoli") +
                QStringLiteral(" ON MovMagDett.Articolo = Articoli.Articolo)") +
                QStringLiteral(" INNER JOIN MovMagTes") +
                QStringLiteral(" ON MovMagDett.NumReg = MovMagTes.NumReg") +
                QStringLiteral(" AND MovMagDett.Anno = MovMagTes.Anno") +
                QStringLiteral(" Where MovMagDett.Anno = ") + mDb.sql(anno) +
                QStringLiteral(" AND Articoli.LivGruppo1 Is Not Null") +
                QStringLiteral(" and MovMagDett.NumReg = ") + mDb.sql(numReg) +
                QStringLiteral(" and Exists (Select MovMagLiv.RigLiv from MovMagLiv") +
                QStringLiteral(" Where MovMagLiv.Anno = MovMagDett.Anno") +
                QStringLiteral(" AND MovMagLiv.NumReg = MovMagDett.NumReg") +
                QStringLiteral(" AND MovMagLiv.RigLiv = MovMagDett.RigLiv)");
    if (!IsBlank(articoloDa))
        s += QStringLiteral(" and MovMagDett.Articolo >= ") + mDb.sql(articoloDa);
    if (!IsBlank(articoloA))
        s += QStringLiteral(" and MovMagDett.Articolo <= ") + mDb.sql(articoloA);
    auto righe = mDb.openRowSet(s);
    for (; !righe->eof(); righe->moveNext()) {
        const qint64 rigLiv = righe->integer(QStringLiteral("MovMagDett.RigLiv"));
        auto somme = mDb.openRowSet(
            QStringLiteral(
                "Select sum(iif (QtaAggMag > 0,ValScaricoLire * QtaAggMag,ValScaricoLire)) as "
                "CostoLire") +
            QStringLiteral(
                ", sum(iif (QtaAggMag > 0,ValScarico * QtaAggMag,ValScarico)) as Costo ") +
            QStringLiteral(", sum(QtaAggMag) as QtaTot ") + QStringLiteral(" from MovMagLiv") +
            QStringLiteral(" Where Anno = ") + mDb.sql(anno) + QStringLiteral(" AND NumReg = ") +
            mDb.sql(numReg) + QStringLiteral(" AND RigLiv = ") + mDb.sql(rigLiv));
        Currency costoLire = somme->amount(QStringLiteral("CostoLire"));
        Currency costo = somme->amount(QStringLiteral("Costo"));
        const Currency qtaTot = somme->amount(QStringLiteral("QtaTot"));
        // Level lines without quantity: the line takes the sum of their values.
        if (!qtaTot.isZero()) {
            costoLire = Arrotonda(costoLire / qtaTot, 'A', Currency::kDecimals);
            costo = Arrotonda(costo / qtaTot, 'A', Currency::kDecimals);
        }
        mDb.execute(QStringLiteral("Update MovMagDett Set ValScaricoLire = ") +
                    mDb.sql(QVariant::fromValue(costoLire)) + QStringLiteral(", ValScarico = ") +
                    mDb.sql(QVariant::fromValue(costo)) + QStringLiteral(" Where Anno = ") +
                    mDb.sql(anno) + QStringLiteral(" AND NumReg = ") + mDb.sql(numReg) +
                    QStringLiteral(" AND RigLiv = ") + mDb.sql(rigLiv));
    }
}

}  // namespace evapre
