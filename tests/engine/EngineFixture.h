#pragma once

#include <gtest/gtest.h>

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "DirectMenuClient.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"
#include "VeltDbasedll.h"
#include "scEvaPrev.h"

namespace evapre::test {

using Colonne = QList<QPair<QString, QVariant>>;

// A company database with the engine wired to it as user "mario", working year 2024.
class EngineTest : public ::testing::Test {
  protected:
    static constexpr int kAnno = 2024;

    EngineTest() {
        VeltDbasedll::instance().setLockConnection(db.id());
        motore.oiAnno = kAnno;
        motore.otDataEvasione = QDate(2024, 6, 30);
    }

    // A quote header: open, not internal, customer 01-01-00001, dated 1 March 2024; extra
    // columns replace the defaults.
    void preventivo(int numRif, const Colonne& extra = {}) {
        Colonne c{{"Anno", kAnno},     {"NumRif", numRif},      {"DataRif", QDate(2024, 3, 1)},
                  {"Interno", "N"},    {"FattDocumento", "PR"}, {"GruppoCli", "01"},
                  {"MastroCli", "01"}, {"ContoCli", "00001"},   {"Moneta", "Euro"},
                  {"RagOrd", "S"}};
        db.insert("PreVenTest", unisci(c, extra));
    }

    // A quote line of an article, 10 ordered, nothing delivered yet.
    void riga(int numRif, int rigLiv, const Colonne& extra = {}) {
        Colonne c{{"Anno", kAnno},    {"NumRif", numRif}, {"RigLiv", rigLiv},
                  {"RigDet", rigLiv}, {"TipoRiga", "A"},  {"Articolo", "ART1"},
                  {"Qta", 10},        {"QtaEvasa", 0},    {"Iva", "22"}};
        db.insert("PreVenDett", unisci(c, extra));
    }

    void livello(int numRif, int rigLiv, const QString& l1, const Colonne& extra = {}) {
        Colonne c{{"Anno", kAnno},   {"NumRif", numRif}, {"RigLiv", rigLiv}, {"Livello1", l1},
                  {"Livello2", "X"}, {"Qta", 5},         {"QtaEvasa", 0}};
        db.insert("PreVenLiv", unisci(c, extra));
    }

    void parametro(const QString& chiave, const QString& valore) {
        db.insert("MenuParametri", {{"Chiave", chiave}, {"Valore", valore}});
    }

    // The quote numbers a query returns, in its order.
    QList<int> numeri(const QString& sql, const QString& colonna = "PreVenTest.NumRif") {
        QList<int> out;
        auto rs = db.db().openRowSet(sql);
        for (; !rs->eof(); rs->moveNext())
            out << static_cast<int>(rs->integer(colonna));
        return out;
    }

    QList<int> selezionati() { return numeri(motore.PrepSqlSelPre(0, 0) + motore.PrepSqlOrder()); }

    QString testo(const QString& sql) { return db.db().scalar(sql).toString(); }

    TestDb db;
    DirectMenuClient menu{db.db(), QStringLiteral("mario"), QStringLiteral("T1"),
                          QDate(2024, 6, 30)};
    ParametriDitta parametri{menu};
    AziendaUtil moneta{db.db(), MoneySettings{}};
    ScriptedUiServices ui;
    scEvaPrev motore{db.db(), parametri, moneta, ui};
};

}  // namespace evapre::test
