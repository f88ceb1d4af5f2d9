// The footer of a 10-line invoice with two expenses, computed many times on a SQLite
// company database. Usage: bench_footer [ITERATIONS]

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "AziendaUtil.h"
#include "ConsoleUiServices.h"
#include "DbConnection.h"
#include "DirectMenuClient.h"
#include "ParametriDitta.h"
#include "SchemaManager.h"
#include "scCalcPiedeFat.h"

using namespace evapre;

namespace {

void insert(DbConnection& db, const QString& table, const QList<QPair<QString, QVariant>>& values) {
    QStringList columns, literals;
    for (const auto& [column, value] : values) {
        columns << column;
        literals << db.sql(value);
    }
    db.execute(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(',') +
               QStringLiteral(") VALUES (") + literals.join(',') + QStringLiteral(")"));
}

QVariant amount(const char* text) {
    return QVariant::fromValue(*Currency::parse(QString::fromLatin1(text)));
}

void buildInvoice(DbConnection& db) {
    insert(db, "Monete", {{"Moneta", "Euro"}, {"NumDec", 2}, {"NumDecGest", 2}});
    insert(db, "TabIva", {{"Iva", "22"}, {"TipoIva", "1"}, {"Aliquota", amount("22")}});
    insert(db, "TabIva", {{"Iva", "10"}, {"TipoIva", "1"}, {"Aliquota", amount("10")}});
    insert(db, "FattDocumenti", {{"FattDocumento", "FT"}, {"Segno", "+"}});
    insert(db, "Spese", {{"Spesa", "TRASP"}, {"Iva", "22"}, {"Gruppo", "07"}, {"Conto", "001"}});
    insert(db, "Spese", {{"Spesa", "IMB"}, {"TipoAddebito", "P"}, {"Iva", "22"}, {"Conto", "002"}});
    insert(db, "TaBolli", {{"Id", 1}, {"CodEseBollo", "22"}, {"MaxNoBollo", amount("77.47")}});
    insert(db, "FatTest",
           {{"Anno", 2024},
            {"NumRif", 1},
            {"FattDocumento", "FT"},
            {"Moneta", "Euro"},
            {"PrezziIvati", "N"},
            {"ScontoPag", "2"},
            {"ScoPagSuDett", "S"},
            {"PercRitAcc", amount("0")}});
    for (int i = 1; i <= 10; ++i)
        insert(db, "FatDett",
               {{"Anno", 2024},
                {"NumRif", 1},
                {"RigLiv", i},
                {"RigDet", i},
                {"TipoRiga", "M"},
                {"Qta", amount("2")},
                {"ValUnitario", amount("61.25")},
                {"ValTotale", amount("110.25")},
                {"ScontoTot", "10"},
                {"FlScontoPag", "S"},
                {"Omaggio", "N"},
                {"Iva", i % 3 ? "22" : "10"},
                {"GruppoVen", "05"},
                {"ContoVen", QString::number(i % 2)}});
    insert(db, "FatSpese",
           {{"Anno", 2024},
            {"NumRif", 1},
            {"Riga", 1},
            {"Spesa", "TRASP"},
            {"Iva", "22"},
            {"Importo", amount("15")}});
    insert(db, "FatSpese",
           {{"Anno", 2024},
            {"NumRif", 1},
            {"Riga", 2},
            {"Spesa", "IMB"},
            {"Iva", "22"},
            {"Percentuale", amount("1.5")}});
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    QTemporaryDir dir;
    OpenOptions options;
    options.createIfMissing = true;
    auto db = DbConnection::open(dir.filePath("bench.db"), {}, options);
    SchemaManager::upgrade(*db);
    buildInvoice(*db);

    DirectMenuClient menu(*db, "bench", "bench", QDate::currentDate());
    ParametriDitta parametri(menu);
    AziendaUtil moneta(*db, MoneySettings{});
    ConsoleUiServices ui;
    scCalcPiedeFat calc(*db, parametri, moneta, ui);
    calc.setTabelle(*TabelleDocumento::perTipo('F'));
    calc.CalcPiedeFat(2024, 1);  // warm-up, and a check that the document is sound
    if (calc.oiNumErrori > 0) {
        std::fprintf(stderr, "%s\n", calc.osErrori.toLocal8Bit().constData());
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < iterations; ++i)
        calc.CalcPiedeFat(2024, 1);
    const double micro = static_cast<double>(timer.nsecsElapsed()) / 1000.0 / iterations;
    std::printf("footer di una fattura di 10 righe: %.1f us per calcolo (%d calcoli), totale %s\n",
                micro, iterations, calc.odTotFattura.format(2).toLocal8Bit().constData());
    return 0;
}
