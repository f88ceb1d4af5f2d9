// Posting speed: staged movements of receipts and valued sales, with articles with and without
// levels, posted one by one into the movement tables and the progressives.
// Usage: bench_posting DATABASE [MOVEMENTS] [LINES]   (a SQLite file, created, or a
// postgresql:// URI of an empty database)

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "AziendaUtil.h"
#include "ComLock.h"
#include "ConsoleUiServices.h"
#include "DbConnection.h"
#include "DbError.h"
#include "DirectMenuClient.h"
#include "ParametriDitta.h"
#include "SchemaManager.h"
#include "TabelleMovimento.h"
#include "UtilMovim.h"
#include "VeltDbasedll.h"

using namespace evapre;

namespace {

constexpr int kAnno = 2026;
constexpr int kArticoli = 400;

QVariant money(qint64 cents) {
    return QVariant::fromValue(Currency::fromRaw(cents * 100));
}

void company(DbConnection& db) {
    db.insertRow("Monete",
                 {{"Moneta", "Euro"}, {"NumDec", 2}, {"NumDecGest", 2}, {"Operatore", "/"}});
    db.insertRow("Monete",
                 {{"Moneta", "L."}, {"NumDec", 0}, {"NumDecGest", 0}, {"Operatore", "/"}});
    db.insertRow("MenuParametri", {{"Chiave", "Mag.GesTaglie"}, {"Valore", "S"}});
    db.insertRow("MenuParametri", {{"Chiave", "Mag.NumDecQta"}, {"Valore", "2"}});
    const QStringList causali{"MagCausale",  "CarScar",         "Segno",       "Prov",
                              "Dest",        "TipoMov",         "AggMedioCar", "AggMedioPon",
                              "AggCostoUlt", "ValorizzScarico", "AcqVen"};
    db.insertRows("MagCausali", causali,
                  {{"ACQ", "C", "+", "F", "M", "N", "S", "S", "S", "N", "A"},
                   {"VEN", "S", "+", "M", "", "N", "N", "N", "N", "P", "V"}});
    QList<QVariantList> articoli, progressivi;
    for (int a = 0; a < kArticoli; ++a) {
        const QString codice = QStringLiteral("ART%1").arg(a, 4, 10, QLatin1Char('0'));
        const bool livelli = a % 10 == 0;
        articoli << QVariantList{codice, "S", livelli ? QVariant("TG") : QVariant()};
        const QStringList taglie =
            livelli ? QStringList{"S", "M", "L"} : QStringList{TabelleMovimento::senzaLivello()};
        for (const QString& l : taglie)
            progressivi << QVariantList{codice,        l,         livelli ? QStringLiteral("X") : l,
                                        "01",          kAnno,     money(100000),
                                        money(500000), money(500)};
    }
    db.insertRows("Articoli", {"Articolo", "ArtMag", "LivGruppo1"}, articoli);
    db.insertRows("ArticoliProg",
                  {"Articolo", "Livello1", "Livello2", "Magazzino", "Anno", "QtaIniziale",
                   "ValIniziale", "MedioPonderale"},
                  progressivi);
}

// Staged movements, alternately a receipt and a sale; every tenth line is of a level article
// with three level lines. Returns the movement and level lines staged.
int stage(DbConnection& db, int movimenti, int righe, int& livelli) {
    QList<QVariantList> testate, dett, liv;
    int n = 0;
    livelli = 0;
    for (int m = 1; m <= movimenti; ++m) {
        testate << QVariantList{
            kAnno,  m, QDate(kAnno, 1 + m % 12, 1 + m % 28), m % 2 ? "ACQ" : "VEN", "01", "01",
            "Euro", 1};
        for (int r = 1; r <= righe; ++r) {
            const int a = (m * 7 + r * 13) % kArticoli;
            const QString codice = QStringLiteral("ART%1").arg(a, 4, 10, QLatin1Char('0'));
            const qint64 qta = 1 + (m + r) % 9;
            dett << QVariantList{kAnno,
                                 m,
                                 r,
                                 codice,
                                 "PZ",
                                 money(qta * 100),
                                 money(qta * 100),
                                 money(1234),
                                 money(qta * 1234),
                                 1,
                                 StatoRigaMov::daAggiornare()};
            ++n;
            if (a % 10 == 0) {
                for (const char* taglia : {"S", "M", "L"}) {
                    liv << QVariantList{kAnno,
                                        m,
                                        r,
                                        taglia,
                                        "X",
                                        "PZ",
                                        money(qta * 100),
                                        money(qta * 100),
                                        money(1234),
                                        money(qta * 1234),
                                        StatoRigaMov::daAggiornare()};
                    ++livelli;
                }
            }
        }
    }
    db.insertRows("MovMagTes",
                  {"Anno", "NumReg", "DataReg", "MagCausale", "MagazzinoProv", "MagazzinoDest",
                   "Moneta", "Cambio"},
                  testate);
    db.insertRows(TabelleMovimento::appoggio(TabelleMovimento::dett()),
                  {"Anno", "NumReg", "RigLiv", "Articolo", "UM", "Qta", "QtaAggMag", "ValUnitario",
                   "ValTotale", "Cambio", "FlagStato"},
                  dett);
    db.insertRows(TabelleMovimento::appoggio(TabelleMovimento::liv()),
                  {"Anno", "NumReg", "RigLiv", "Livello1", "Livello2", "UM", "Qta", "QtaAggMag",
                   "ValUnitario", "ValTotale", "FlagStato"},
                  liv);
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: bench_posting DATABASE [MOVIMENTI] [RIGHE]\n");
        return 2;
    }
    const QString nome = QString::fromLocal8Bit(argv[1]);
    const int movimenti = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 2000;
    const int righe = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 10;
    try {
        if (!nome.contains(QLatin1String("://")))
            for (const QString& f : {nome, nome + "-wal", nome + "-shm"})
                QFile::remove(f);
        OpenOptions options;
        options.createIfMissing = true;
        auto& componente = VeltDbasedll::instance();
        const int id = componente.openConnection(nome, {}, options);
        componente.setLockConnection(id);
        DbConnection& db = componente.connection(id);
        SchemaManager::upgrade(db);
        company(db);
        int livelli = 0;
        const int dettagli = stage(db, movimenti, righe, livelli);

        DirectMenuClient menu(db, "bench", "bench", QDate(kAnno, 12, 31));
        ParametriDitta parametri(menu);
        AziendaUtil moneta(db, MoneySettings{});
        moneta.caricaDecimali();
        ConsoleUiServices ui;
        ComLock lock(db, parametri, ui);
        UtilMovim movim(db, parametri, moneta, ui, lock);
        QElapsedTimer timer;
        timer.start();
        for (int m = 1; m <= movimenti; ++m) {
            if (!movim.AggMovimento(kAnno, m, true, false, true)) {
                std::fprintf(stderr, "movimento %d non aggiornato\n", m);
                return 1;
            }
            lock.SbloccaRecord(TabelleMovimento::tipoBlocco(), kAnno, m);
        }
        const double secondi = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        const int postate = db.scalar("Select count(*) from MovMagDett").toInt() +
                            db.scalar("Select count(*) from MovMagLiv").toInt();
        if (postate != dettagli + livelli) {
            std::fprintf(stderr, "righe postate %d invece di %d\n", postate, dettagli + livelli);
            return 1;
        }
        std::printf(
            "postaggio su %s: %d movimenti, %d righe di movimento (%d di dettaglio, %d di "
            "livello) in %.2f s: %.0f righe/s\n",
            db.isServer() ? "PostgreSQL" : "SQLite", movimenti, postate, dettagli, livelli, secondi,
            postate / secondi);
        return 0;
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.describe().toLocal8Bit().constData());
        return 1;
    }
}
