#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include "AziendaUtil.h"
#include "ComLock.h"
#include "Currency.h"
#include "DbConnection.h"
#include "DirectMenuClient.h"
#include "DocumentBuilder.h"
#include "ParametriDitta.h"
#include "RowSet.h"
#include "ScriptedUiServices.h"
#include "TestDb.h"
#include "UtilMovim.h"
#include "VeltDbasedll.h"

namespace evapre::test {

inline Currency val(const char* testo) {
    return *Currency::parse(QString::fromLatin1(testo));
}

// A company with euro and lire, movement causals and articles built per case, and the posting
// module wired to it as user "mario". Movements are of 2024 and go through the staging tables.
class PostingTest : public ::testing::Test {
  protected:
    static constexpr int kAnno = 2024;
    static inline const QString kNoLiv = QStringLiteral("~ç~");

    PostingTest() {
        VeltDbasedll::instance().setLockConnection(db.id());
        db.insert("Monete",
                  {{"Moneta", "Euro"}, {"NumDec", 2}, {"NumDecGest", 2}, {"Operatore", "/"}});
        db.insert("Monete",
                  {{"Moneta", "L."}, {"NumDec", 0}, {"NumDecGest", 0}, {"Operatore", "/"}});
        db.insert("Monete",
                  {{"Moneta", "USD"}, {"NumDec", 2}, {"NumDecGest", 3}, {"Operatore", "/"}});
        moneta.caricaDecimali();
        movim.setTentativi(2, 0);
    }

    // Causals of the cases: a purchase, a sale, a transfer, a return to the supplier, the
    // opening stock; extra columns replace the defaults.
    void causale(const QString& codice, const Colonne& extra = {}) {
        Colonne c{{"MagCausale", codice},  {"CarScar", "C"},     {"Segno", "+"},
                  {"Prov", "F"},           {"Dest", "M"},        {"TipoMov", "N"},
                  {"AggMedioCar", "N"},    {"AggMedioPon", "N"}, {"AggCostoUlt", "N"},
                  {"ValorizzScarico", "N"}};
        db.insert("MagCausali", unisci(c, extra));
    }
    void acquisto() {
        causale(
            "ACQ",
            {{"AggMedioCar", "S"}, {"AggMedioPon", "S"}, {"AggCostoUlt", "S"}, {"AcqVen", "A"}});
    }
    void vendita(const char* valorizza = "P") {
        causale("VEN", {{"CarScar", "S"},
                        {"Prov", "M"},
                        {"Dest", ""},
                        {"ValorizzScarico", valorizza},
                        {"AcqVen", "V"}});
    }

    void articolo(const QString& codice, const Colonne& extra = {}) {
        db.insert("Articoli", unisci({{"Articolo", codice}, {"ArtMag", "S"}}, extra));
    }

    // An ArticoliProg row of 2024.
    void progressivo(const QString& articolo, const QString& magazzino, const Colonne& valori,
                     const QString& l1 = kNoLiv, const QString& l2 = kNoLiv) {
        db.insert("ArticoliProg", unisci({{"Anno", kAnno},
                                          {"Magazzino", magazzino},
                                          {"Articolo", articolo},
                                          {"Livello1", l1},
                                          {"Livello2", l2}},
                                         valori));
    }
    void costi(const QString& articolo, const Colonne& valori) {
        db.insert("ArticoliCosti", unisci({{"Anno", kAnno},
                                           {"Articolo", articolo},
                                           {"Livello1", kNoLiv},
                                           {"Livello2", kNoLiv}},
                                          valori));
    }

    // A movement header of 2024 in euro, dated 15 March, from warehouse "01" into "01".
    void movimento(int numReg, const QString& causale, const Colonne& extra = {}) {
        db.insert("MovMagTes", unisci({{"Anno", kAnno},
                                       {"NumReg", numReg},
                                       {"DataReg", QDate(2024, 3, 15)},
                                       {"MagCausale", causale},
                                       {"MagazzinoProv", "01"},
                                       {"MagazzinoDest", "01"},
                                       {"Moneta", "Euro"},
                                       {"Cambio", 1}},
                                      extra));
    }
    // A staged line: quantity and value, unit value value / quantity.
    void riga(int numReg, int rigLiv, const QString& articolo, const char* qta, const char* valore,
              const Colonne& extra = {}) {
        const Currency q = val(qta);
        const Currency v = val(valore);
        db.insert("MovMagDettApp",
                  unisci({{"Anno", kAnno},
                          {"NumReg", numReg},
                          {"RigLiv", rigLiv},
                          {"Articolo", articolo},
                          {"UM", "PZ"},
                          {"Qta", QVariant::fromValue(q)},
                          {"QtaAggMag", QVariant::fromValue(q)},
                          {"ValUnitario", QVariant::fromValue(q.isZero() ? v : v / q)},
                          {"ValTotale", QVariant::fromValue(v)},
                          {"Cambio", 1},
                          {"FlagStato", "1"}},
                         extra));
    }
    void livello(int numReg, int rigLiv, const QString& l1, const char* qta, const char* valore,
                 const Colonne& extra = {}) {
        const Currency q = val(qta);
        const Currency v = val(valore);
        db.insert("MovMagLivApp",
                  unisci({{"Anno", kAnno},
                          {"NumReg", numReg},
                          {"RigLiv", rigLiv},
                          {"Livello1", l1},
                          {"Livello2", "X"},
                          {"UM", "PZ"},
                          {"Qta", QVariant::fromValue(q)},
                          {"QtaAggMag", QVariant::fromValue(q)},
                          {"ValUnitario", QVariant::fromValue(q.isZero() ? v : v / q)},
                          {"ValTotale", QVariant::fromValue(v)},
                          {"FlagStato", "1"}},
                         extra));
    }

    bool posta(int numReg, bool nuovo = true, bool disaggiornaPrima = false) {
        return movim.AggMovimento(kAnno, numReg, true, disaggiornaPrima, nuovo);
    }

    Currency valore(const QString& sql) { return Currency::fromVariant(db.db().scalar(sql)); }
    QString testo(const QString& sql) { return db.db().scalar(sql).toString(); }
    int conta(const QString& sql) { return db.db().scalar(sql).toInt(); }
    QDate data(const QString& sql) {
        auto r = db.db().openRowSet(sql);
        return r->eof() ? QDate() : r->date(r->columns().value(0));
    }

    QString doveProg(const QString& articolo, const QString& magazzino,
                     const QString& l1 = kNoLiv) {
        return " from ArticoliProg where Anno = 2024 and Articolo = " + db.db().sql(articolo) +
               " and Magazzino = " + db.db().sql(magazzino) + " and Livello1 = " + db.db().sql(l1);
    }
    Currency prog(const QString& articolo, const QString& magazzino, const QString& colonna,
                  const QString& l1 = kNoLiv) {
        return valore("Select " + colonna + doveProg(articolo, magazzino, l1));
    }
    Currency costo(const QString& articolo, const QString& colonna) {
        return valore(
            "Select " + colonna +
            " from ArticoliCosti where Anno = 2024 and Articolo = " + db.db().sql(articolo));
    }

    TestDb db;
    DirectMenuClient menu{db.db(), QStringLiteral("mario"), QStringLiteral("T1"),
                          QDate(2024, 6, 30)};
    ParametriDitta parametri{menu};
    AziendaUtil moneta{db.db(), MoneySettings{}};
    ScriptedUiServices ui;
    ComLock lock{db.db(), parametri, ui};
    UtilMovim movim{db.db(), parametri, moneta, ui, lock};
};

}  // namespace evapre::test
