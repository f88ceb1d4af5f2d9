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
#include "scCreaAcq.h"

namespace evapre::test {

using Colonne = QList<QPair<QString, QVariant>>;

// A company with a purchasing table (order type OF, receipt causal, list ACQ in euro), one
// supplier 04-01-00001 with payment terms, warehouse M1 and year 2024.
class PurchasingTest : public ::testing::Test {
  protected:
    static constexpr int kAnno = 2024;
    static constexpr const char* kNoLiv = "~ç~";

    PurchasingTest() {
        VeltDbasedll::instance().setLockConnection(db.id());
        parametro("Mag.AnnoCorr", "2024");
        parametro("Mag.MagPrincipale", "M1");
        db.insert("Monete", {{"Moneta", "Euro"}, {"NumDec", 2}, {"NumDecGest", 2}});
        db.insert("MagCausali", {{"MagCausale", "CAR"}, {"CarScar", "C"}, {"QualeImporto", "L"}});
        db.insert("FattDocumenti",
                  {{"FattDocumento", "OF"}, {"Tipo", "A"}, {"MagCausale", "CAR"}, {"Segno", "+"}});
        db.insert("Listini", {{"Listino", "ACQ"}, {"Moneta", "Euro"}, {"Ivato", "N"}});
        db.insert("TabAcq", {{"Id", 1},
                             {"AcqDocOrd", "OF"},
                             {"Oggetto", "Ordine"},
                             {"Vettore", "V1"},
                             {"ListAcq", "ACQ"}});
        db.insert("Pagamenti", {{"Pagamento", "RD"}, {"Descrizione", "Rimessa"}});
        fornitore("00001");
        db.insert("TabIva", {{"Iva", "22"}, {"Aliquota", 22}, {"TipoIva", "0"}});
        articolo("A1");
        crea.oiAnnoOrdine = kAnno;
        crea.otDataOrdine = QDate(2024, 6, 30);
    }

    void parametro(const QString& chiave, const QString& valore) {
        db.insert("MenuParametri", {{"Chiave", chiave}, {"Valore", valore}});
    }
    void personale(const QString& sezione, const QString& nome, const QString& valore) {
        db.insert("MenuParametriPersonali",
                  {{"Utente", "*"}, {"Sezione", sezione}, {"Nome", nome}, {"Valore", valore}});
    }
    void fornitore(const QString& conto, const Colonne& extra = {}) {
        db.insert("PianoConti", unisci({{"Gruppo", "04"},
                                        {"Mastro", "01"},
                                        {"Conto", conto},
                                        {"Iva", "22"},
                                        {"Pagamento", "RD"}},
                                       extra));
    }
    // A warehouse article in pieces of supplier 04-01-00001, bought in boxes of 6.
    void articolo(const QString& codice, const Colonne& extra = {}) {
        db.insert("Articoli", unisci({{"Articolo", codice},
                                      {"ArtMag", "S"},
                                      {"ArtUM", "PZ"},
                                      {"ArtUMVen", "PZ"},
                                      {"ArtUMAcq", "PZ"},
                                      {"FatConVen", 1},
                                      {"FatConAcq", 1},
                                      {"GruppoForAb", "04"},
                                      {"MastroForAb", "01"},
                                      {"ContoForAb", "00001"}},
                                     extra));
    }
    void giacenza(const QString& articolo, int anno, const Colonne& extra) {
        db.insert("ArticoliProg", unisci({{"Articolo", articolo},
                                          {"Livello1", kNoLiv},
                                          {"Livello2", kNoLiv},
                                          {"Magazzino", "M1"},
                                          {"Anno", anno}},
                                         extra));
    }
    void preventivo(int numRif) {
        db.insert("PreVenTest", {{"Anno", kAnno},
                                 {"NumRif", numRif},
                                 {"FattDocumento", "PR"},
                                 {"MagazzProv", "M1"},
                                 {"Moneta", "Euro"}});
    }
    // A quote line marked for purchases.
    void riga(int numRif, int rigLiv, const QString& articolo, int qta, const Colonne& extra = {}) {
        db.insert("PreVenDett", unisci({{"Anno", kAnno},
                                        {"NumRif", numRif},
                                        {"RigLiv", rigLiv},
                                        {"RigDet", rigLiv},
                                        {"TipoRiga", "A"},
                                        {"Articolo", articolo},
                                        {"UM", "PZ"},
                                        {"Qta", qta},
                                        {"QtaEvasa", 0},
                                        {"Iva", "22"},
                                        {"FlagStato", "N"}},
                                       extra));
    }
    void prezzo(const QString& articolo, const char* valore, const Colonne& extra = {}) {
        db.insert("ArtListini", unisci({{"Articolo", articolo},
                                        {"Listino", "ACQ"},
                                        {"Livello1", kNoLiv},
                                        {"Livello2", kNoLiv},
                                        {"DataInizio", QDate(2024, 1, 1)},
                                        {"Prezzo", importo(valore)}},
                                       extra));
    }

    bool lancia(int numRif, int opzione, bool suDispon = false) {
        crea.oiAnno = kAnno;
        crea.olNumRif = numRif;
        crea.oiCreAcq = opzione;
        crea.obSuDispon = suDispon;
        return crea.LanciaCreaz();
    }

    QVariant scalare(const QString& sql) { return db.db().scalar(sql); }
    int conta(const QString& sql) { return scalare(sql).toInt(); }
    Currency valore(const QString& sql) { return Currency::fromVariant(scalare(sql)); }
    static QVariant importo(const char* testo) {
        return QVariant::fromValue(*Currency::parse(QString::fromLatin1(testo)));
    }

    static Colonne unisci(Colonne base, const Colonne& extra) {
        for (const auto& [k, v] : extra) {
            bool trovato = false;
            for (auto& b : base)
                if (b.first.compare(k, Qt::CaseInsensitive) == 0) {
                    b.second = v;
                    trovato = true;
                }
            if (!trovato)
                base.append({k, v});
        }
        return base;
    }

    TestDb db;
    DirectMenuClient menu{db.db(), QStringLiteral("mario"), QStringLiteral("T1"),
                          QDate(2024, 6, 30)};
    ParametriDitta parametri{menu};
    AziendaUtil moneta{db.db(), MoneySettings{}};
    ScriptedUiServices ui;
    scCreaAcq crea{db.db(), parametri, moneta, ui};
};

}  // namespace evapre::test
