#include "AggSpeBan.h"

#include "DbConnection.h"
#include "DbError.h"
#include "Rounding.h"
#include "RowSet.h"
#include "UiServices.h"

namespace evapre {

namespace {

bool blank(const QString& value) {
    return value.trimmed().isEmpty();
}

bool flagSi(const QString& value) {
    return value.trimmed().compare(QLatin1String("S"), Qt::CaseInsensitive) == 0;
}

}  // namespace

// The expense a qualifying state charges, with the amounts in the document's currency.
struct AggSpeBan::Addebito {
    QString spesa;
    QString soggRitAcc;
    QString iva;
    Currency percentuale;
    Currency importo;  // per instalment
    Currency importoMax;
    Currency importoMin;
    int numScad = 0;
};

AggSpeBan::AggSpeBan(DbConnection& db, const MoneySettings& moneta, UiServices& ui)
    : mDb(db), mMoneta(moneta), mUi(ui) {}

AggSpeBan::~AggSpeBan() = default;

void AggSpeBan::DividiConto(const QString& conto, QString& gruppo, QString& mastro,
                            QString& contoSolo) {
    gruppo = conto.left(2);
    if (conto.contains(QLatin1Char('-'))) {
        mastro = conto.mid(3, 2);
        contoSolo = conto.mid(6);
    } else {
        mastro = conto.mid(2, 2);
        contoSolo = conto.mid(4);
    }
}

int AggSpeBan::AggSpeseBan(const QString& tabella, int anno, qint32 numRif, const Stato& vecchio,
                           const Stato& nuovo, const QString& moneta, int decimali) {
    static const Regola regola{"AggSpeseBan", "SpeseBan", "R"};
    return aggiorna(regola, tabella, anno, numRif, vecchio, nuovo, moneta, decimali);
}

int AggSpeBan::AggBolli(const QString& tabella, int anno, qint32 numRif, const Stato& vecchio,
                        const Stato& nuovo, const QString& moneta, int decimali) {
    static const Regola regola{"AggBolli", "Bolli", "T"};
    return aggiorna(regola, tabella, anno, numRif, vecchio, nuovo, moneta, decimali);
}

int AggSpeBan::aggiorna(const Regola& regola, const QString& tabella, int anno, qint32 numRif,
                        const Stato& vecchio, const Stato& nuovo, const QString& moneta,
                        int decimali) {
    osErrori.clear();
    try {
        std::unique_ptr<RowSet> rigaVecchia;
        if (const auto v = addebito(regola, vecchio, moneta)) {
            rigaVecchia = rigaEsistente(tabella, anno, numRif, v->spesa);
            if (rigaVecchia->eof())
                rigaVecchia.reset();
        }
        const std::optional<Addebito> n = addebito(regola, nuovo, moneta);
        if (!n) {
            if (rigaVecchia)
                rigaVecchia->remove();
            return 0;
        }
        if (rigaVecchia && rigaVecchia->text(QStringLiteral("Spesa")) != n->spesa) {
            rigaVecchia->remove();
            rigaVecchia.reset();
        }
        // A row of the same expense already there is refreshed, never doubled.
        if (!rigaVecchia) {
            int ultimaRiga = 0;
            if (!HaRigaDellaSpesa(mDb, tabella, anno, numRif, n->spesa, ultimaRiga))
                return aggiungiRiga(tabella, anno, numRif, ultimaRiga + 1, *n, decimali);
            rigaVecchia = rigaEsistente(tabella, anno, numRif, n->spesa);
        }
        rigaVecchia->edit();
        for (const auto& [colonna, valore] : importi(*n, decimali))
            rigaVecchia->set(colonna, valore);
        rigaVecchia->save();
        return static_cast<int>(rigaVecchia->integer(QStringLiteral("Riga")));
    } catch (const DbError& e) {
        osErrori = QStringLiteral("Errore n°") + QString::number(e.number()) +
                   QStringLiteral(" : ") + e.text() + QStringLiteral(" in ") +
                   QString::fromLatin1(regola.titolo);
        return 0;
    }
}

bool AggSpeBan::clienteAddebitato(const Regola& regola, const Stato& stato) {
    if (stato.flagCliente)
        return flagSi(*stato.flagCliente);
    QString gruppo, mastro, conto;
    DividiConto(stato.conto, gruppo, mastro, conto);
    const QString colonna = QString::fromLatin1(regola.flagCliente);
    auto riga = mDb.openRowSet(QStringLiteral("Select PianoConti.") + colonna +
                               QStringLiteral(" from PianoConti where Gruppo = ") +
                               mDb.sql(gruppo) + QStringLiteral(" and Mastro = ") +
                               mDb.sql(mastro) + QStringLiteral(" and Conto = ") + mDb.sql(conto));
    return !riga->eof() && flagSi(riga->text(colonna));
}

std::optional<AggSpeBan::Addebito> AggSpeBan::addebito(const Regola& regola, const Stato& stato,
                                                       const QString& moneta) {
    const QString selettore = stato.selettore.trimmed();
    if (selettore.isEmpty() || selettore == QLatin1String("-") || blank(stato.pagamento))
        return std::nullopt;
    if (!clienteAddebitato(regola, stato))
        return std::nullopt;
    const RowSet& r = spesaDelPagamento(stato.pagamento);
    if (r.eof() || blank(r.text(QStringLiteral("SpesaTab"))))
        return std::nullopt;
    Addebito a;
    a.numScad = static_cast<int>(r.integer(QStringLiteral("NumScad")));
    if (r.text(QStringLiteral("TipoAddebito"))
                .trimmed()
                .compare(QLatin1String(regola.tipoAddebito), Qt::CaseInsensitive) != 0 ||
        a.numScad == 0 || r.amount(QStringLiteral("Importo")).isZero())
        return std::nullopt;
    // The expense must be in the document's currency; an expense without a currency suits
    // a document in lire or euro, from the matching columns.
    const QString monetaSpesa = r.text(QStringLiteral("SpesaMoneta")).trimmed();
    const QString monetaDoc = moneta.trimmed();
    if (!monetaDoc.isEmpty()) {
        const bool stessa = monetaSpesa.compare(monetaDoc, Qt::CaseInsensitive) == 0;
        if (!stessa && !(monetaSpesa.isEmpty() && nazionale(monetaDoc)))
            return std::nullopt;
    }
    const QString suffisso = lire(monetaDoc) ? QStringLiteral("Lire") : QString();
    a.spesa = r.text(QStringLiteral("SpesaTab"));
    a.soggRitAcc = r.text(QStringLiteral("SoggRitAcc"));
    a.iva = r.text(QStringLiteral("Iva"));
    a.percentuale = r.amount(QStringLiteral("Percentuale"));
    a.importo = r.amount(QStringLiteral("Importo") + suffisso);
    a.importoMax = r.amount(QStringLiteral("ImportoMax") + suffisso);
    a.importoMin = r.amount(QStringLiteral("ImportoMin") + suffisso);
    return a;
}

RowSet& AggSpeBan::spesaDelPagamento(const QString& pagamento) {
    std::unique_ptr<RowSet>& letta = mSpesePagamento[pagamento];
    if (!letta)
        letta = mDb.openRowSet(
            QStringLiteral(
                "Select Pagamenti.NumScad AS NumScad, Spese.Spesa AS SpesaTab"
                ", Spese.TipoAddebito AS TipoAddebito, Spese.Moneta AS SpesaMoneta"
                ", Spese.Importo AS Importo, Spese.ImportoMax AS ImportoMax"
                ", Spese.ImportoMin AS ImportoMin, Spese.ImportoLire AS ImportoLire"
                ", Spese.ImportoMaxLire AS ImportoMaxLire, Spese.ImportoMinLire AS ImportoMinLire"
                ", Spese.Percentuale AS Percentuale, Spese.Iva AS Iva"
                ", Spese.SoggRitAcc AS SoggRitAcc"
                " from Pagamenti left join Spese on Pagamenti.Spesa = Spese.Spesa"
                " where Pagamento = ") +
            mDb.sql(pagamento));
    return *letta;
}

std::unique_ptr<RowSet> AggSpeBan::rigaEsistente(const QString& tabella, int anno, qint32 numRif,
                                                 const QString& spesa) {
    return mDb.openRowSet(QStringLiteral("Select TOP 1 * from ") + tabella +
                          QStringLiteral(" where anno = ") + mDb.sql(anno) +
                          QStringLiteral(" AND NumRif = ") + mDb.sql(numRif) +
                          QStringLiteral(" AND Spesa = ") + mDb.sql(spesa));
}

bool AggSpeBan::HaRigaDellaSpesa(DbConnection& db, const QString& tabella, int anno, qint32 numRif,
                                 const QString& spesa, int& ultimaRiga) {
    auto righe = db.openRowSet(QStringLiteral("Select max(Riga) AS UltimaRiga, sum(IIf(Spesa = ") +
                               db.sql(spesa) + QStringLiteral(", 1, 0)) AS RigheSpesa from ") +
                               tabella + QStringLiteral(" where anno = ") + db.sql(anno) +
                               QStringLiteral(" AND NumRif = ") + db.sql(numRif));
    ultimaRiga = righe->eof() ? 0 : static_cast<int>(righe->integer(QStringLiteral("UltimaRiga")));
    return !righe->eof() && righe->integer(QStringLiteral("RigheSpesa")) > 0;
}

int AggSpeBan::aggiungiRiga(const QString& tabella, int anno, qint32 numRif, int riga,
                            const Addebito& a, int decimali) {
    QList<QPair<QString, QVariant>> valori{{QStringLiteral("Anno"), anno},
                                           {QStringLiteral("NumRif"), numRif},
                                           {QStringLiteral("Riga"), riga},
                                           {QStringLiteral("Spesa"), a.spesa},
                                           {QStringLiteral("SoggRitAcc"), a.soggRitAcc}};
    valori += importi(a, decimali);
    mDb.insertRow(tabella, valori);
    return riga;
}

// One charge per instalment.
QList<QPair<QString, QVariant>> AggSpeBan::importi(const Addebito& a, int decimali) const {
    const auto importo = [&](Currency v) {
        return QVariant::fromValue(Arrotonda(v, QLatin1Char('A'), decimali));
    };
    return {{QStringLiteral("Iva"), a.iva},
            {QStringLiteral("Percentuale"), QVariant::fromValue(a.percentuale)},
            {QStringLiteral("Importo"), importo(a.importo * a.numScad)},
            {QStringLiteral("ImportoMax"), importo(a.importoMax)},
            {QStringLiteral("ImportoMin"), importo(a.importoMin)}};
}

bool AggSpeBan::lire(const QString& moneta) const {
    return moneta.compare(mMoneta.codLira, Qt::CaseInsensitive) == 0;
}

bool AggSpeBan::nazionale(const QString& moneta) const {
    return lire(moneta) || moneta.compare(mMoneta.codEuro, Qt::CaseInsensitive) == 0;
}

// One statement adds the row or replaces its two stamp columns.
bool AggSpeBan::AggFatTestFe(int anno, qint32 numRif, const QString& addBolli,
                             Currency importoBollo) {
    try {
        const bool bollo =
            flagSi(addBolli) && !Arrotonda(importoBollo, QLatin1Char('A'), 2).isZero();
        mDb.execute(
            QStringLiteral("INSERT INTO FatTestFe (Anno,NumRif,FENumeroBollo,FEImportoBollo)"
                           " VALUES (") +
            mDb.sql(anno) + u',' + mDb.sql(numRif) + u',' +
            mDb.sql(bollo ? QVariant(QStringLiteral("SI")) : QVariant()) + u',' +
            mDb.sql(bollo ? QVariant::fromValue(importoBollo) : QVariant()) +
            QStringLiteral(") ON CONFLICT (Anno,NumRif) DO UPDATE SET"
                           " FENumeroBollo = excluded.FENumeroBollo,"
                           " FEImportoBollo = excluded.FEImportoBollo"));
        return true;
    } catch (const DbError& e) {
        mUi.message(QStringLiteral("Errore n°") + QString::number(e.number()) +
                        QStringLiteral(" : ") + e.text() + QStringLiteral(" in AggFatTestFe"),
                    {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        return false;
    }
}

}  // namespace evapre
