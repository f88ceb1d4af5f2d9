#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QQueue>
#include <QTest>
#include <memory>
#include <optional>

#include "AziendaUtil.h"
#include "ControlliEvasione.h"
#include "DirectMenuClient.h"
#include "ListaAiuto.h"
#include "ParametriDitta.h"
#include "ScriptedUiServices.h"
#include "ServiziCampo.h"
#include "TestDb.h"
#include "VeltDbasedll.h"
#include "frmEvasPre.h"

namespace evapre::test {

// The lookup list window as a test drives it: records each request, answers from a queue.
class ScriptedLista : public ListaAiuto {
  public:
    QList<RichiestaLista> richieste;
    QQueue<std::optional<QString>> scelte;
    std::optional<QString> Scegli(QWidget*, const RichiestaLista& richiesta) override {
        richieste << richiesta;
        return scelte.isEmpty() ? std::nullopt : scelte.dequeue();
    }
};

// A company with quote types PR (into invoices FT) and PO (into orders OC), a delivery-note
// type, a warehouse year 2024 and the working date 30/06/2024; the selection form over it.
class SelezioneTest : public ::testing::Test {
  protected:
    static constexpr int kAnno = 2024;

    SelezioneTest() { VeltDbasedll::instance().setLockConnection(db.id()); }

    void SetUp() override {
        for (const auto& [chiave, valore] :
             QList<QPair<QString, QString>>{{"Mag.AnnoCorr", "2024"},
                                            {"Mag.DataInizio", "01/01/2024"},
                                            {"Mag.DataFine", "31/12/2024"},
                                            {"Ditta.RegIvaVen", "A"},
                                            {"Ditta.EleRegIvaVen", "A,B,M"},
                                            {"Fat.PrefDdt", "D"},
                                            {"Fat.ElePrefDdt", "D,E"},
                                            {"Fat.DocPrev", "PR"}})
            parametro(chiave, valore);
        tipo("PR", "P",
             {{"Descrizione", "Preventivo"},
              {"FattDocEvasione", "FT"},
              {"MagCausaleRientro", "RIE"}});
        tipo("PO", "P", {{"Descrizione", "Preventivo ordine"}, {"FattDocEvasione", "OC"}});
        tipo("FT", "F", {{"Descrizione", "Fattura"}, {"Causale", "FV"}});
        tipo("DDT", "B", {{"Descrizione", "Documento di trasporto"}, {"PrefBolle", "E"}});
        tipo("OC", "O", {{"Descrizione", "Ordine cliente"}});
        db.insert("Causali", {{"Causale", "FV"}, {"SplitPay", "N"}});
        for (const auto& [pref, margine] : QList<QPair<QString, QString>>{{"A", "N"}, {"M", "S"}})
            db.insert(
                "LibriIva",
                {{"Anno", kAnno}, {"TipoReg", "V"}, {"Pref", pref}, {"RegimeMargine", margine}});
        db.insert("PianoConti", {{"Gruppo", "01"},
                                 {"Mastro", "01"},
                                 {"Conto", "00001"},
                                 {"Descrizione", "Rossi Mario"},
                                 {"TipoConto", "3"}});
        db.insert("PianoConti", {{"Gruppo", "04"},
                                 {"Mastro", "01"},
                                 {"Conto", "00001"},
                                 {"Descrizione", "Fornitore Bianchi"},
                                 {"TipoConto", "4"}});
        db.insert("Articoli", {{"Articolo", "ART1"}, {"Descrizione", "Vite"}});
        db.insert("Monete", {{"Moneta", "Euro"},
                             {"Descrizione", "Euro"},
                             {"NumDec", 2},
                             {"NumDecGest", 2},
                             {"Cee", "S"}});
    }

    void parametro(const QString& chiave, const QString& valore) {
        db.insert("MenuParametri", {{"Chiave", chiave}, {"Valore", valore}});
    }
    void personale(const QString& sezione, const QString& nome, const QString& valore) {
        db.insert("MenuParametriPersonali",
                  {{"Utente", "*"}, {"Sezione", sezione}, {"Nome", nome}, {"Valore", valore}});
    }
    void tipo(const char* codice, const char* t, const Colonne& extra = {}) {
        db.insert("FattDocumenti",
                  unisci({{"FattDocumento", codice}, {"Tipo", t}, {"Segno", "+"}}, extra));
    }

    // Opens the form as the shell does and makes it the active window.
    void apri() {
        parametri.load();
        form = std::make_unique<frmEvasPre>(db.db(), parametri, moneta, ui, lista,
                                            QStringLiteral("EvaPre"), QStringLiteral("EvPr"));
        ASSERT_TRUE(form->Form_Load());
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    QLineEdit* txt(int campo) { return form->txt(campo); }
    QString lab(int campo) { return form->Lab(campo)->text(); }

    // Enters the field as a person does, types over its text and leaves it with Tab.
    void scrivi(int campo, const QString& testo) {
        entra(campo);
        txt(campo)->selectAll();
        QTest::keyClick(txt(campo), Qt::Key_Delete);
        QTest::keyClicks(txt(campo), testo);
        QTest::keyClick(txt(campo), Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
    void entra(int campo) {
        txt(campo)->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
    }
    void ok() {
        ui.messages.clear();
        QTest::mouseClick(form->comOk, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    // A click on a check box or option button, on its box.
    void clicca(QAbstractButton* pulsante) {
        QTest::mouseClick(pulsante, Qt::LeftButton, {}, QPoint(8, pulsante->height() / 2));
        QCoreApplication::processEvents();
    }
    bool errato(int campo) {
        return ServiziCampo::ColoreDi(txt(campo)) == ServiziCampo::kColoreErrore;
    }
    int conta(const QString& sql) { return db.db().scalar(sql).toInt(); }

    TestDb db;
    DirectMenuClient menu{db.db(), QStringLiteral("mario"), QStringLiteral("T1"),
                          QDate(2024, 6, 30)};
    ParametriDitta parametri{menu};
    AziendaUtil moneta{db.db(), MoneySettings{}};
    ScriptedUiServices ui;
    ScriptedLista lista;
    std::unique_ptr<frmEvasPre> form;
};

}  // namespace evapre::test
