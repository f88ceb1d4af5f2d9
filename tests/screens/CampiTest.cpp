// The shared field services, the exchange-rate window and the progress window.
#include <QProgressBar>
#include <QTableWidget>
#include <QTimer>

#include "FinestraListaAiuto.h"
#include "FrmInpCambi.h"
#include "QtUiServices.h"
#include "SelezioneFixture.h"
#include "TabelleAiuto.h"

namespace evapre::test {
namespace {

namespace C = CampoSelezione;

TEST(ServiziCampo, CompletaDate) {
    const QDate riferimento(2024, 6, 30);
    struct Caso {
        const char* testo;
        const char* atteso;
    };
    for (const Caso& c :
         {Caso{"5", "05/06/2024"}, Caso{"5/3", "05/03/2024"}, Caso{"0503", "05/03/2024"},
          Caso{"5.3.25", "05/03/2025"}, Caso{"050325", "05/03/2025"},
          Caso{" 1/1/2023 ", "01/01/2023"}, Caso{"", ""}, Caso{"31/2", "31/2"}, Caso{"abc", "abc"},
          Caso{"01/01/100", "01/01/100"}})
        EXPECT_EQ(ServiziCampo::CompletaData(c.testo, riferimento), c.atteso) << c.testo;
}

TEST(ServiziCampo, ColoriDelSuite) {
    const QPalette p;
    EXPECT_EQ(ServiziCampo::Colore(255, p), QColor(255, 0, 0));
    EXPECT_EQ(ServiziCampo::Colore(0xFFFF80, p), QColor(0x80, 0xFF, 0xFF));
    EXPECT_EQ(ServiziCampo::Colore(ServiziCampo::kColoreNormale, p), p.color(QPalette::Base));
}

// Focus colours of the company, the keypad comma, Enter and Esc, find and replace.
TEST_F(SelezioneTest, EvidenziazioneETastiDeiCampi) {
    parametro("ColBackGotFocus", "&H00C0FF");
    personale("Tutti", "TastierinoVirgola", "S");
    apri();
    entra(C::InDescrizione);
    EXPECT_EQ(ServiziCampo::ColoreDi(txt(C::InDescrizione)), 0x00C0FFu);
    EXPECT_EQ(txt(C::InDescrizione)->palette().color(QPalette::Base), QColor(0xFF, 0xC0, 0x00));
    EXPECT_EQ(ServiziCampo::ColoreDi(txt(C::NumRifDa)), ServiziCampo::kColoreNormale);

    QTest::keyClicks(txt(C::InDescrizione), "12");
    QTest::keyClick(txt(C::InDescrizione), Qt::Key_Period, Qt::KeypadModifier);
    QTest::keyClicks(txt(C::InDescrizione), "5");
    QTest::keyClick(txt(C::InDescrizione), Qt::Key_Period);
    EXPECT_EQ(txt(C::InDescrizione)->text(), "12,5.");

    QTest::keyClick(txt(C::InDescrizione), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(txt(C::InDescrizione)->text(), "12,5.");

    txt(C::InDescrizione)->setText("vite vite dado");
    ui.inputs << "VITE"
              << "bullone";
    QTest::keyClick(txt(C::InDescrizione), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(txt(C::InDescrizione)->text(), "bullone bullone dado");
    txt(C::InDescrizione)->setCursorPosition(0);
    ui.inputs << "dado";
    QTest::keyClick(txt(C::InDescrizione), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(txt(C::InDescrizione)->selectedText(), "dado");
    ui.inputs << "chiodo";
    QTest::keyClick(txt(C::InDescrizione), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(ui.messages.value(0), "Testo non trovato: chiodo");

    entra(C::DataEvasione);
    QTest::keyClick(txt(C::DataEvasione), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), txt(C::TipoPreventivo));
    EXPECT_EQ(ServiziCampo::ColoreDi(txt(C::DataEvasione)), ServiziCampo::kColoreNormale);
}

// The list window over the company database: the field's table under its filter, searched
// by code or description.
TEST_F(SelezioneTest, FinestraListaAiuto) {
    db.insert("PianoConti", {{"Gruppo", "01"},
                             {"Mastro", "01"},
                             {"Conto", "00002"},
                             {"Descrizione", "Bianchi Anna"},
                             {"TipoConto", "3"}});
    const TabellaAiuto* conti = TabelleAiuto::Per("conto");
    ASSERT_NE(conti, nullptr);
    FinestraListaAiuto lista(db.db(), *conti, {"Conto", "TipoConto = '3'", Qt::Key_F3, ""});
    EXPECT_EQ(lista.righe(), 2);  // the supplier is not listed
    EXPECT_EQ(lista.scelto(), "");
    lista.cerca("ros");
    EXPECT_EQ(lista.scelto(), "01-01-00001");
    lista.cerca("01-01-00002");
    EXPECT_EQ(lista.scelto(), "01-01-00002");
    lista.cerca("nessuno");
    EXPECT_EQ(lista.scelto(), "");

    // The field's code is searched at once.
    FinestraListaAiuto tipi(db.db(), *TabelleAiuto::Per("FattDocumento"),
                            {"FattDocumento", "tipo='P'", Qt::Key_F2, "PO"});
    EXPECT_EQ(tipi.righe(), 2);
    EXPECT_EQ(tipi.scelto(), "PO");
    EXPECT_EQ(TabelleAiuto::Per("Sconosciuta"), nullptr);
}

class FrmInpCambiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cambi.push_back({"USD", "Dollaro USA", QDate(2024, 6, 28), Currency::fromRaw(10825)});
        cambi.push_back({"GBP", "Sterlina", std::nullopt, Currency()});
        finestra.setCambi(&cambi);
    }
    void chiudi(const QStringList& valori) {
        for (int riga = 0; riga < valori.size(); ++riga)
            finestra.dbgCambi->item(riga, FrmInpCambi::ColCambio)->setText(valori[riga]);
        QTest::mouseClick(finestra.ComChiudi, Qt::LeftButton);
    }

    ScriptedUiServices ui;
    std::vector<CambioProposto> cambi;
    FrmInpCambi finestra{ui};
};

TEST_F(FrmInpCambiTest, QuattroColonneESoloIlCambioSiModifica) {
    EXPECT_EQ(finestra.windowTitle(), "Cambi");
    ASSERT_EQ(finestra.dbgCambi->columnCount(), 4);
    QStringList intestazioni;
    for (int c = 0; c < 4; ++c)
        intestazioni << finestra.dbgCambi->horizontalHeaderItem(c)->text();
    EXPECT_EQ(intestazioni, (QStringList{"Cod. Moneta", "Moneta", "Data", "Cambio"}));
    EXPECT_EQ(finestra.dbgCambi->item(0, 2)->text(), "28/06/2024");
    EXPECT_EQ(finestra.dbgCambi->item(0, 3)->text(), "1,0825");
    EXPECT_EQ(finestra.dbgCambi->item(1, 3)->text(), "");
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(bool(finestra.dbgCambi->item(0, c)->flags() & Qt::ItemIsEditable), c == 3) << c;

    // Typing into a locked cell changes nothing.
    finestra.show();
    finestra.dbgCambi->setCurrentCell(0, 0);
    QTest::keyClicks(finestra.dbgCambi, "EUR");
    EXPECT_EQ(finestra.dbgCambi->item(0, 0)->text(), "USD");
}

TEST_F(FrmInpCambiTest, ChiudiRifiutaICambiMancanti) {
    finestra.show();
    for (const QString& valore : {QString(), QString("0"), QString("abc"), QString("-1")}) {
        ui.messages.clear();
        chiudi({"1,0825", valore});
        EXPECT_EQ(ui.messages, QStringList{"Si prega di inserire tutti i cambi"})
            << valore.toStdString();
        EXPECT_TRUE(finestra.isVisible());
        EXPECT_TRUE(cambi[1].cambio.isZero());
    }
    chiudi({"1,09", "0,8561"});
    EXPECT_FALSE(finestra.isVisible());
    EXPECT_EQ(finestra.result(), QDialog::Accepted);
    EXPECT_EQ(cambi[0].cambio, Currency::fromRaw(10900));
    EXPECT_EQ(cambi[1].cambio, Currency::fromRaw(8561));
}

TEST_F(FrmInpCambiTest, LaModificaInCorsoContaAllaChiusura) {
    finestra.show();
    QApplication::setActiveWindow(&finestra);
    finestra.dbgCambi->setCurrentCell(1, FrmInpCambi::ColCambio);
    finestra.dbgCambi->editItem(finestra.dbgCambi->item(1, FrmInpCambi::ColCambio));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "0,85");
    finestra.ComChiudi_Click();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(cambi[1].cambio, Currency::fromRaw(8500));
}

// The progress window follows the engine's phases and counters; the yield answers
// pending events.
TEST(FrmInElab, MostraFasiEContatori) {
    QtUiServices ui;
    ui.progressStart(" Evasione Preventivi", 0);
    frmInElab* finestra = ui.progressWindow();
    ASSERT_NE(finestra, nullptr);
    EXPECT_TRUE(finestra->isVisible());
    EXPECT_EQ(finestra->windowTitle(), "In Elaborazione");
    EXPECT_EQ(finestra->LabMsgElab->text(), "Evasione Preventivi");
    EXPECT_TRUE(finestra->LabFatti->isHidden());
    ui.progressStep(0, "Evasione Preventivi in corso");
    EXPECT_EQ(finestra->LabMsgElab->text(), "Evasione Preventivi in corso");

    ui.progressStart("Elaborazione Preventivi", 40);
    ui.progressStep(12, "12 / 40");
    EXPECT_EQ(finestra->LabMsgElab->text(), "Elaborazione Preventivi");
    EXPECT_EQ(finestra->LabFatti->text(), "12");
    EXPECT_EQ(finestra->labDaFare->text(), "40");
    EXPECT_EQ(finestra->proDaFare->value(), 12);
    EXPECT_FALSE(finestra->LabFatti->isHidden());

    bool risposto = false;
    QTimer::singleShot(0, [&] { risposto = true; });
    ui.yield();
    EXPECT_TRUE(risposto);

    ui.progressEnd();
    EXPECT_EQ(ui.progressWindow(), nullptr);
}

}  // namespace
}  // namespace evapre::test
