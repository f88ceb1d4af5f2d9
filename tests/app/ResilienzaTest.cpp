// What a person would fear of a fulfilment: the program killed at any instant, and several
// users fulfilling the same quotes at once. Real evapre processes on a generated company;
// the result is compared with the same company fulfilled by one uninterrupted run.
#include <gtest/gtest.h>

#include <QMap>
#include <QProcess>
#include <QThread>
#include <memory>

#include "Currency.h"
#include "DbConnection.h"
#include "DemoDb.h"
#include "RowSet.h"
#include "TestDb.h"
#include "VeltDbasedll.h"

namespace evapre {
namespace {

using test::TestDb;

constexpr int kPreventivi = 40;
constexpr int kRighe = 5;
constexpr uint64_t kSeme = 11;
const QString kData = QStringLiteral("10/12/2026");

// The state of the quotes a run may change, line by line.
struct Stato {
    QMap<QString, QString> statoPrev;          // "anno/numRif" → Stato
    QMap<QString, bool> aperto;                // open quotes: never written back
    QMap<QString, Currency> evasa;             // "anno/numRif/rigLiv" → QtaEvasa
    QMap<QString, Currency> consegnata;        // the same key → Qta of the produced lines
    QMap<QString, Currency> valoreConsegnato;  // the same key → ValTotale produced
    QMap<QString, int> documentiPerPrev;       // "anno/numRif" → documents holding its lines
};

QString chiave(const RowSet& r, const char* anno, const char* numRif) {
    return QString::number(r.integer(QLatin1String(anno))) + u'/' +
           QString::number(r.integer(QLatin1String(numRif)));
}

Stato leggiStato(DbConnection& db) {
    Stato s;
    auto t = db.openRowSet("Select Anno, NumRif, Stato, PrevAperto from PreVenTest");
    for (; !t->eof(); t->moveNext()) {
        s.statoPrev[chiave(*t, "Anno", "NumRif")] = t->text("Stato").trimmed();
        s.aperto[chiave(*t, "Anno", "NumRif")] = t->text("PrevAperto").trimmed() == "S";
    }
    auto d = db.openRowSet("Select Anno, NumRif, RigLiv, QtaEvasa from PreVenDett");
    for (; !d->eof(); d->moveNext())
        s.evasa[chiave(*d, "Anno", "NumRif") + u'/' + QString::number(d->integer("RigLiv"))] =
            d->amount("QtaEvasa");
    auto f = db.openRowSet(
        "Select AnnoRifProv, NumRifProv, RigaRifProv, NumRif, Qta, ValTotale from FatDett "
        "where TipoProv = 'Prev'");
    QMap<QString, QSet<qint64>> documenti;
    for (; !f->eof(); f->moveNext()) {
        const QString prev = chiave(*f, "AnnoRifProv", "NumRifProv");
        if (f->isNull("RigaRifProv")) {
            documenti[prev].insert(f->integer("NumRif"));  // reference lines
            continue;
        }
        const QString riga = prev + u'/' + QString::number(f->integer("RigaRifProv"));
        s.consegnata[riga] += f->amount("Qta");
        s.valoreConsegnato[riga] += f->amount("ValTotale");
        documenti[prev].insert(f->integer("NumRif"));
    }
    for (auto it = documenti.cbegin(); it != documenti.cend(); ++it)
        s.documentiPerPrev[it.key()] = static_cast<int>(it.value().size());
    return s;
}

int conta(DbConnection& db, const QString& sql) {
    return db.scalar(sql).toInt();
}

class Resilienza : public ::testing::Test {
  protected:
    // A fresh company, the same every time.
    std::unique_ptr<TestDb> azienda() {
        auto db = std::make_unique<TestDb>();
        DemoCompanyBuilder(db->db(), DemoOptions{kPreventivi, kRighe, kSeme}).build();
        return db;
    }

    static QStringList argomentiRun(const TestDb& db, const QString& utente,
                                    const QStringList& extra = {}) {
        return QStringList{"run", "--db",         db.name(), "--user",     utente, "--date",
                           kData, "--quote-type", "PV",      "--doc-type", "FA"} +
               extra;
    }

    // Runs evapre to its end; the exit code, or -1 when it did not end in time.
    static int esegui(const QStringList& argomenti, QString* uscita = nullptr) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(EVAPRE_BIN), argomenti);
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        if (uscita)
            *uscita = QString::fromLocal8Bit(p.readAll());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // Each quote line's delivery is recorded on it; each quote in at most one document;
    // a quote is fulfilled whole or left as it was; no header without lines; every journal
    // row names an open document; the documents out of the journal have their totals.
    static void invarianti(DbConnection& db, const Stato& prima, bool soloUnDocumento = true) {
        const Stato dopo = leggiStato(db);
        for (auto it = dopo.evasa.cbegin(); it != dopo.evasa.cend(); ++it) {
            const QString prev = it.key().section(u'/', 0, 1);
            const Currency atteso = dopo.aperto.value(prev) ? prima.evasa.value(it.key())
                                                            : prima.evasa.value(it.key()) +
                                                                  dopo.consegnata.value(it.key());
            EXPECT_EQ(it.value(), atteso) << "riga " << it.key().toStdString();
        }
        for (auto it = dopo.statoPrev.cbegin(); it != dopo.statoPrev.cend(); ++it) {
            const int documenti = dopo.documentiPerPrev.value(it.key());
            if (dopo.aperto.value(it.key())) {
                EXPECT_EQ(it.value(), prima.statoPrev.value(it.key()));
                continue;
            }
            if (soloUnDocumento) {
                EXPECT_LE(documenti, 1) << "preventivo " << it.key().toStdString();
            }
            if (documenti > 0) {
                EXPECT_EQ(it.value(), "E") << "preventivo " << it.key().toStdString();
            } else {
                EXPECT_EQ(it.value(), prima.statoPrev.value(it.key()))
                    << "preventivo " << it.key().toStdString();
            }
        }
        EXPECT_EQ(conta(db,
                        "Select count(*) from FatTest where not exists (Select * from FatDett "
                        "where FatDett.Anno = FatTest.Anno and FatDett.NumRif = FatTest.NumRif)"),
                  0);
        EXPECT_EQ(conta(db,
                        "Select count(*) from DocDaElab where not exists (Select * from "
                        "FatTest where FatTest.Anno = DocDaElab.Anno and FatTest.NumRif = "
                        "DocDaElab.NumReg and (FatTest.Stato is null or FatTest.Stato = ''))"),
                  0);
        EXPECT_EQ(conta(db,
                        "Select count(*) from FatTest where TotDocum is null and not exists "
                        "(Select * from DocDaElab where DocDaElab.Anno = FatTest.Anno and "
                        "DocDaElab.NumReg = FatTest.NumRif)"),
                  0);
    }

    // Every quote the uninterrupted run fulfilled is fulfilled, with the same quantities and
    // values, and nothing of the run is left behind.
    static void comeRiferimento(DbConnection& db, const Stato& riferimento) {
        const Stato dopo = leggiStato(db);
        for (auto it = riferimento.statoPrev.cbegin(); it != riferimento.statoPrev.cend(); ++it) {
            if (!riferimento.aperto.value(it.key())) {
                EXPECT_EQ(dopo.statoPrev.value(it.key()), it.value())
                    << "preventivo " << it.key().toStdString();
            }
        }
        for (auto it = riferimento.evasa.cbegin(); it != riferimento.evasa.cend(); ++it) {
            const QString prev = it.key().section(u'/', 0, 1);
            if (riferimento.aperto.value(prev))
                continue;
            EXPECT_EQ(dopo.evasa.value(it.key()), it.value()) << "riga " << it.key().toStdString();
            EXPECT_EQ(dopo.valoreConsegnato.value(it.key()),
                      riferimento.valoreConsegnato.value(it.key()))
                << "riga " << it.key().toStdString();
        }
        EXPECT_EQ(conta(db, "Select count(*) from DocDaElab"), 0);
        EXPECT_EQ(conta(db, "Select count(*) from LockGest"), 0);
        EXPECT_EQ(conta(db, "Select count(*) from AppoggioTemp"), 0);
        EXPECT_EQ(conta(db, "Select count(*) from FatTest where TotDocum is null"), 0);
    }
};

// How far a run has gone: the document lines it wrote and the documents it closed.
int avanzamento(DbConnection& db) {
    return conta(db, "Select count(*) from FatDett") +
           conta(db, "Select count(*) from FatTest where TotDocum is not null");
}

// Killed at twenty points spread over the run (by how far it has gone, not by the clock, so
// that a busy machine moves nothing): after each kill the invariants hold; after evapre recover
// and a second run the company is as after one uninterrupted run.
TEST_F(Resilienza, UccisoInQualunqueMomento) {
    Stato riferimento;
    int totale = 0;
    {
        auto db = azienda();
        ASSERT_EQ(esegui(argomentiRun(*db, "u1")), 0);
        riferimento = leggiStato(db->db());
        totale = avanzamento(db->db());
    }
    ASSERT_GT(totale, 0);
    constexpr int kUccisioni = 20;
    int evasiRiferimento = 0, interrotte = 0;
    for (const QString& stato : riferimento.statoPrev)
        evasiRiferimento += stato == "E" ? 1 : 0;
    for (int i = 0; i < kUccisioni; ++i) {
        const int soglia = totale * i / kUccisioni;
        SCOPED_TRACE("ucciso dopo " + std::to_string(soglia) + " di " + std::to_string(totale));
        auto db = azienda();
        const Stato prima = leggiStato(db->db());
        const int evasiPrima = conta(db->db(), "Select count(*) from PreVenTest where Stato = 'E'");
        DbConnection& osservatore = VeltDbasedll::instance().connection(db->openAnother());
        QProcess run;
        run.start(QStringLiteral(EVAPRE_BIN), argomentiRun(*db, "u1"));
        ASSERT_TRUE(run.waitForStarted());
        while (run.state() == QProcess::Running && avanzamento(osservatore) < soglia)
            QThread::msleep(1);
        run.kill();
        run.waitForFinished();
        invarianti(db->db(), prima);
        // Killed in the middle: some quotes done, others not, or documents left to close.
        const int evasi = conta(db->db(), "Select count(*) from PreVenTest where Stato = 'E'");
        if (conta(db->db(), "Select count(*) from DocDaElab") > 0 ||
            (evasi > evasiPrima && evasi < evasiRiferimento))
            ++interrotte;

        QString uscita;
        EXPECT_EQ(esegui({"recover", "--db", db->name(), "--user", "u1"}, &uscita), 0)
            << uscita.toStdString();
        invarianti(db->db(), prima);
        EXPECT_EQ(conta(db->db(), "Select count(*) from LockGest"), 0);
        const int secondo = esegui(argomentiRun(*db, "u1"), &uscita);
        EXPECT_TRUE(secondo == 0 || uscita.contains("Non ci sono Preventivi vendita"))
            << uscita.toStdString();
        invarianti(db->db(), prima);
        comeRiferimento(db->db(), riferimento);
        if (HasFailure())
            break;
    }
    // The kills must have hit the work itself, not only its start or its end.
    EXPECT_GE(interrotte, kUccisioni / 2);
}

// Three users at once on overlapping selections: no line delivered twice, no quote in two
// documents, every mark released; then each user's next run completes the work.
TEST_F(Resilienza, TreUtentiInsieme) {
    Stato riferimento;
    {
        auto db = azienda();
        ASSERT_EQ(esegui(argomentiRun(*db, "u1")), 0);
        riferimento = leggiStato(db->db());
    }
    auto db = azienda();
    const Stato prima = leggiStato(db->db());
    const QList<QStringList> selezioni{
        {},
        {"--customer-from", "06-01-00010", "--customer-to", "06-01-00040"},
        {"--customer-from", "06-01-00030"},
    };
    std::vector<std::unique_ptr<QProcess>> processi;
    for (int u = 0; u < selezioni.size(); ++u) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QStringLiteral(EVAPRE_BIN),
                 argomentiRun(*db, "u" + QString::number(u + 1), selezioni[u]));
        processi.push_back(std::move(p));
    }
    for (auto& p : processi) {
        ASSERT_TRUE(p->waitForFinished(120000));
        const QString uscita = QString::fromLocal8Bit(p->readAll());
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << uscita.toStdString();
    }
    invarianti(db->db(), prima);
    EXPECT_EQ(conta(db->db(), "Select count(*) from LockGest"), 0);
    for (int u = 1; u <= 3; ++u)
        esegui({"recover", "--db", db->name(), "--user", "u" + QString::number(u)});
    esegui(argomentiRun(*db, "u1"));
    invarianti(db->db(), prima);
    comeRiferimento(db->db(), riferimento);
}

}  // namespace
}  // namespace evapre
