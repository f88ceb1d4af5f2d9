// The selection form driven as a person drives it: typing, leaving fields, the lookup keys,
// the boxes and "&Ok".
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "FrmInpCambi.h"
#include "SelezioneFixture.h"
#include "scEvaPrev.h"

namespace evapre::test {
namespace {

namespace C = CampoSelezione;

TEST_F(SelezioneTest, ApreConIValoriPredefiniti) {
    apri();
    EXPECT_EQ(form->windowTitle(), "Evasione Preventivi");
    EXPECT_EQ(form->oiLoadOk, 1);
    EXPECT_EQ(txt(C::DataEvasione)->text(), "30/06/2024");
    EXPECT_EQ(txt(C::TipoPreventivo)->text(), "PR");
    EXPECT_EQ(lab(C::TipoPreventivo), "Preventivo");
    EXPECT_EQ(txt(C::TipoEvasione)->text(), "FT");
    EXPECT_EQ(lab(C::TipoEvasione), "Fattura");
    EXPECT_TRUE(form->OptTipoEva[1]->isChecked());
    EXPECT_FALSE(form->CheCorrispettivo->isChecked());
    EXPECT_FALSE(form->CheSuDispon->isChecked());
    EXPECT_EQ(form->Label1(C::Prefisso)->text(), "Prefisso fatture: ");
    EXPECT_EQ(lab(C::Prefisso), "(Elenco prefissi da Parametri Fatturazione: A,B,M )");
    EXPECT_EQ(txt(C::Prefisso)->text(), "A");
    EXPECT_FALSE(errato(C::Prefisso));

    // Tab goes through the fields in their order.
    QList<int> ordine;
    QWidget* w = txt(C::DataEvasione);
    do {
        for (int campo : C::OrdineTab())
            if (form->txt(campo) == w)
                ordine << campo;
        w = w->nextInFocusChain();
    } while (w != txt(C::DataEvasione));
    EXPECT_EQ(ordine, C::OrdineTab());
}

// The user's purchase default, unless the type to produce is an invoice or a delivery note.
TEST_F(SelezioneTest, OpzioneAcquistiDellUtente) {
    struct Caso {
        const char* tipoPrev;
        const char* valore;
        int atteso;
    };
    for (const Caso& c : {Caso{"PO", "T", 1}, Caso{"PO", "S", 2}, Caso{"PO", "E", 3},
                          Caso{"PO", "X", 0}, Caso{"PO", nullptr, 0}, Caso{"PR", "T", 0}}) {
        db.db().execute("Delete from MenuParametriPersonali");
        db.db().execute("Update MenuParametri set Valore = " + db.db().sql(QString(c.tipoPrev)) +
                        " where Chiave = 'Fat.DocPrev'");
        if (c.valore)
            personale("EvasionePrev", "CreaOrdAcq", c.valore);
        apri();
        EXPECT_TRUE(form->OptCreaAcq[c.atteso]->isChecked()) << c.tipoPrev << " " << c.valore;
        EXPECT_EQ(form->FraCreazAcq->isHidden(), QString(c.tipoPrev) == "PR");
    }
}

TEST_F(SelezioneTest, IlTipoDaProdurreDecideIlPrefissoEGliAcquisti) {
    apri();
    scrivi(C::TipoEvasione, "OC");
    EXPECT_EQ(lab(C::TipoEvasione), "Ordine cliente");
    EXPECT_TRUE(txt(C::Prefisso)->isHidden());
    EXPECT_TRUE(form->Label1(C::Prefisso)->isHidden());
    EXPECT_TRUE(txt(C::Prefisso)->text().isEmpty());
    EXPECT_FALSE(form->FraCreazAcq->isHidden());
    EXPECT_FALSE(form->CheSuDispon->isHidden());
    clicca(form->OptCreaAcq[1]);
    ASSERT_TRUE(form->OptCreaAcq[1]->isChecked());

    scrivi(C::TipoEvasione, "FT");
    EXPECT_FALSE(txt(C::Prefisso)->isHidden());
    EXPECT_EQ(form->Label1(C::Prefisso)->text(), "Prefisso fatture: ");
    EXPECT_TRUE(form->FraCreazAcq->isHidden());
    EXPECT_TRUE(form->OptCreaAcq[0]->isChecked());

    scrivi(C::TipoEvasione, "DDT");
    EXPECT_EQ(form->Label1(C::Prefisso)->text(), "Prefisso DDT: ");
    EXPECT_EQ(lab(C::Prefisso), "(Elenco prefissi da Parametri Fatturazione: D,E )");
    EXPECT_EQ(txt(C::Prefisso)->text(), "E");  // the type's own prefix
    EXPECT_TRUE(form->FraCreazAcq->isHidden());

    scrivi(C::TipoEvasione, "OC");
    EXPECT_FALSE(form->FraCreazAcq->isHidden());
    EXPECT_TRUE(form->OptCreaAcq[0]->isChecked());

    // A quote type brings its own type to produce.
    scrivi(C::TipoPreventivo, "PO");
    EXPECT_EQ(txt(C::TipoEvasione)->text(), "OC");
    scrivi(C::TipoPreventivo, "XX");
    EXPECT_EQ(lab(C::TipoPreventivo), "** INESISTENTE **");
    EXPECT_TRUE(txt(C::TipoEvasione)->text().isEmpty());
}

TEST_F(SelezioneTest, CorrispettivoSvuotaIlDocumentoDiEvasione) {
    apri();
    clicca(form->CheCorrispettivo);
    EXPECT_TRUE(txt(C::TipoEvasione)->text().isEmpty());
    EXPECT_TRUE(txt(C::Prefisso)->isHidden());
    clicca(form->CheCorrispettivo);
    EXPECT_TRUE(txt(C::TipoEvasione)->text().isEmpty());
    ok();
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_EQ(ui.messages.first(),
              "E' possibile avere il Doc. di evasione sbiancato solo con l'evasione con "
              "corrispettivo");
}

// An invalid prefix is marked when left and stops "&Ok" with the focus on it.
TEST_F(SelezioneTest, PrefissoErratoFermaOk) {
    apri();
    for (const char* prefisso : {"AB", "Z"}) {
        scrivi(C::Prefisso, prefisso);
        EXPECT_TRUE(errato(C::Prefisso)) << prefisso;
        ok();
        EXPECT_EQ(ui.messages, QStringList{"Data Errata o Campo Errato"}) << prefisso;
        EXPECT_EQ(QApplication::focusWidget(), txt(C::Prefisso)) << prefisso;
        EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 0);
    }
    // "&Ok" pressed while the field is still being edited, the button not taking the focus
    // (as with its shortcut): the field is left first.
    scrivi(C::Prefisso, "A");
    entra(C::Prefisso);
    QTest::keyClick(txt(C::Prefisso), Qt::Key_End);
    QTest::keyClicks(txt(C::Prefisso), "B");
    ui.messages.clear();
    form->comOk->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(errato(C::Prefisso));
    EXPECT_EQ(ui.messages, QStringList{"Data Errata o Campo Errato"});

    // A register with the margin scheme for a type without it.
    ui.messages.clear();
    scrivi(C::Prefisso, "M");
    EXPECT_TRUE(errato(C::Prefisso));
    EXPECT_EQ(ui.messages, QStringList{"Prefisso Fattura con flag regime del margine"});
    scrivi(C::Prefisso, " B ");
    EXPECT_EQ(txt(C::Prefisso)->text(), "B");
    EXPECT_FALSE(errato(C::Prefisso));
}

TEST_F(SelezioneTest, IlLimiteInferioreSiCopiaNelSuperiore) {
    apri();
    scrivi(C::ClienteA, "04-01-00001");
    EXPECT_EQ(lab(C::ClienteA), "** INESISTENTE **");  // a supplier, not a customer
    scrivi(C::ClienteDa, "010100001");
    EXPECT_EQ(lab(C::ClienteDa), "Rossi Mario");
    // Tab has entered "a:", which shows the copied code in its editing form.
    EXPECT_EQ(QApplication::focusWidget(), txt(C::ClienteA));
    EXPECT_EQ(txt(C::ClienteA)->text(), "01-01-00001");
    EXPECT_EQ(lab(C::ClienteA), "Rossi Mario");
    entra(C::ClienteDa);
    EXPECT_EQ(txt(C::ClienteDa)->text(), "01-01-00001");

    scrivi(C::ArticoloA, "ZZZ");
    scrivi(C::ArticoloDa, "ART1");
    EXPECT_EQ(lab(C::ArticoloDa), "Vite");
    EXPECT_EQ(txt(C::ArticoloA)->text(), "ART1");
    EXPECT_EQ(lab(C::ArticoloA), "Vite");
    scrivi(C::Moneta, "Euro");
    EXPECT_EQ(lab(C::Moneta), "Euro");
    scrivi(C::Moneta, "USX");
    EXPECT_EQ(lab(C::Moneta), "** INESISTENTE **");
}

// What the manual grid says when no quote matches the criteria.
const QString kNessunDato = QStringLiteral("Non ci sono dati nell'intervallo specificato");

// "&Ok" in the manual mode: the blank quote-date "to" takes the fulfilment date, the
// criteria go to the engine and the grid gets it.
TEST_F(SelezioneTest, OkConsegnaICriteriAlMotore) {
    apri();
    scrivi(C::ClienteDa, "01-01-00001");
    scrivi(C::NumRifDa, "3");
    scrivi(C::NumRifA, "7");
    scrivi(C::DataConsDa, "1/6");
    EXPECT_EQ(txt(C::DataConsDa)->text(), "01/06/2024");
    ASSERT_TRUE(txt(C::DataRifA)->text().isEmpty());
    ok();
    // The checks pass and the grid opens; no quote of the company matches.
    EXPECT_EQ(ui.messages, QStringList{kNessunDato}) << ui.messages.join("|").toStdString();
    EXPECT_EQ(txt(C::DataRifA)->text(), "30/06/2024");
    scEvaPrev& m = form->motore();
    EXPECT_TRUE(m.obEvasManule);
    EXPECT_EQ(m.ovDataRifA, QDate(2024, 6, 30));
    EXPECT_EQ(m.ovDataConsDa, QDate(2024, 6, 1));
    EXPECT_EQ(m.otDataEvasione, QDate(2024, 6, 30));
    EXPECT_EQ(m.oiAnno, 2024);
    EXPECT_EQ(m.osFattDocPre, "PR");
    EXPECT_EQ(m.osTipoDocEva, "FT");
    EXPECT_EQ(m.osCliA, "01-01-00001");
    EXPECT_EQ(m.olNumRifDa, 3);
    EXPECT_EQ(m.olNumRifA, 7);
    EXPECT_EQ(m.osPrefDoc, "A");
    EXPECT_EQ(m.oiSplitPay, 1);
    EXPECT_EQ(m.oiCreAcq, 0);
}

// The fulfilment date against the working date and the warehouse year.
TEST_F(SelezioneTest, DataDiEvasione) {
    for (const auto& [chiave, valore] :
         QList<QPair<QString, QString>>{{"Mag.AnnoCorr", "2025"},
                                        {"Mag.DataInizio", "01/01/2025"},
                                        {"Mag.DataFine", "31/12/2025"}})
        db.db().execute("Update MenuParametri set Valore = " + db.db().sql(valore) +
                        " where Chiave = " + db.db().sql(chiave));
    struct Caso {
        const char* data;
        const char* messaggio;  // the first message, null when the checks pass
    };
    for (const Caso& c :
         {Caso{"01/07/2024", "La data evasione non può essere sucessiva a 30/06/2024"},
          Caso{"01/01/2024", nullptr},  // exactly one year before the warehouse year
          Caso{"31/12/2023", "Data evasione precedente all'esercizio"},
          Caso{"", "La data evasione è obbligatoria"}}) {
        apri();
        scrivi(C::DataEvasione, c.data);
        ok();
        if (c.messaggio)
            EXPECT_EQ(ui.messages.value(0), c.messaggio) << c.data;
        else  // the checks pass: the grid opens and finds nothing to show
            EXPECT_EQ(ui.messages, QStringList{kNessunDato})
                << c.data << ui.messages.join("|").toStdString();
    }
}

// Letters in numbers, impossible dates: marked in the error colour, "&Ok" refuses with the
// focus on the field, nothing starts.
TEST_F(SelezioneTest, ValoriErratiSonoSegnatiENienteParte) {
    struct Caso {
        int campo;
        const char* testo;
    };
    for (const Caso& c : {Caso{C::NumRifDa, "abc"}, Caso{C::NumDocA, "1,5"}, Caso{C::MeseIva, "13"},
                          Caso{C::DataRifDa, "31/02/2024"}, Caso{C::DataDocA, "32"},
                          Caso{C::DataConsA, "12/ab/2024"}}) {
        apri();
        scrivi(c.campo, c.testo);
        EXPECT_TRUE(errato(c.campo)) << c.campo;
        ok();
        EXPECT_EQ(ui.messages, QStringList{"Data Errata o Campo Errato"}) << c.campo;
        EXPECT_EQ(QApplication::focusWidget(), txt(c.campo)) << c.campo;
        scrivi(c.campo, "");
        EXPECT_FALSE(errato(c.campo)) << c.campo;
    }
    EXPECT_TRUE(ui.captions.isEmpty());
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 0);
}

// A table that cannot be read: the error with its number, the form goes on.
TEST_F(SelezioneTest, ErroreDelDatabaseMostratoConIlSuoNumero) {
    apri();
    db.db().execute("Drop table Monete");
    scrivi(C::Moneta, "USD");
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].startsWith("Err: ")) << ui.messages[0].toStdString();
    scrivi(C::ArticoloDa, "ART1");
    EXPECT_EQ(lab(C::ArticoloDa), "Vite");
}

TEST_F(SelezioneTest, DataTroppoPiccola) {
    personale("Tutti", "DataMinima", "01/01/2000");
    apri();
    scrivi(C::DataRifDa, "31/12/1999");
    EXPECT_TRUE(errato(C::DataRifDa));
    EXPECT_EQ(ui.messages, QStringList{"Data troppo piccola"});
    scrivi(C::DataRifDa, "01/01/2000");
    EXPECT_FALSE(errato(C::DataRifDa));
}

// F2 to F5 and the "..." buttons open the list of the field's table with its filter; the
// choice fills the field and its description.
TEST_F(SelezioneTest, ListeDiRicerca) {
    apri();
    entra(C::TipoPreventivo);
    lista.scelte << QString("PO");
    QTest::keyClick(txt(C::TipoPreventivo), Qt::Key_F3);
    ASSERT_EQ(lista.richieste.size(), 1);
    EXPECT_EQ(lista.richieste[0].tabella, "FattDocumento");
    EXPECT_EQ(lista.richieste[0].tasto, int(Qt::Key_F3));
    EXPECT_EQ(lista.richieste[0].filtro, "tipo='P'");
    EXPECT_EQ(txt(C::TipoPreventivo)->text(), "PO");
    EXPECT_EQ(lab(C::TipoPreventivo), "Preventivo ordine");

    lista.scelte << QString("01-01-00001");
    QTest::mouseClick(form->ComHlp(C::ClienteDa), Qt::LeftButton);
    ASSERT_EQ(lista.richieste.size(), 2);
    EXPECT_EQ(lista.richieste[1].tabella, "Conto");
    EXPECT_EQ(lista.richieste[1].tasto, int(Qt::Key_F2));
    EXPECT_EQ(lista.richieste[1].filtro, "TipoConto = '3'");
    EXPECT_EQ(QApplication::focusWidget(), txt(C::ClienteDa));
    EXPECT_EQ(lab(C::ClienteDa), "Rossi Mario");

    // Cancelled: the field keeps its code.
    entra(C::Moneta);
    QTest::keyClick(txt(C::Moneta), Qt::Key_F2);
    EXPECT_EQ(lista.richieste.last().tabella, "Moneta");
    EXPECT_TRUE(txt(C::Moneta)->text().isEmpty());

    // Other keys, shifted keys and fields without a table open nothing.
    const int richieste = static_cast<int>(lista.richieste.size());
    QTest::keyClick(txt(C::Moneta), Qt::Key_F6);
    QTest::keyClick(txt(C::Moneta), Qt::Key_F2, Qt::ShiftModifier);
    entra(C::NumRifDa);
    QTest::keyClick(txt(C::NumRifDa), Qt::Key_F2);
    EXPECT_EQ(lista.richieste.size(), richieste);

    entra(C::TipoEvasione);
    QTest::keyClick(txt(C::TipoEvasione), Qt::Key_F4);
    EXPECT_EQ(lista.richieste.last().filtro,
              "(tipo='B' or tipo='F' or tipo='O') and Segno = '+' and (Interno <> 'S' or "
              "Interno is null)");
}

// An automatic run over quotes in dollars and pounds: the rate window proposes the pound's
// rate in force on the fulfilment date, asks for the missing dollar rate, refuses zero, and
// the run goes with the rates confirmed.
TEST_F(SelezioneTest, CambiChiestiPrimaDellEvasioneAutomatica) {
    int numRif = 0;
    for (const auto& [moneta, descrizione] :
         QList<QPair<QString, QString>>{{"USD", "Dollaro USA"}, {"GBP", "Sterlina"}}) {
        db.insert("Monete", {{"Moneta", moneta},
                             {"Descrizione", descrizione},
                             {"NumDec", 2},
                             {"NumDecGest", 4},
                             {"Cee", "N"}});
        db.insert("PreVenTest", {{"Anno", kAnno},
                                 {"NumRif", ++numRif},
                                 {"DataRif", QDate(2024, 3, 1)},
                                 {"Interno", "N"},
                                 {"FattDocumento", "PR"},
                                 {"GruppoCli", "01"},
                                 {"MastroCli", "01"},
                                 {"ContoCli", "00001"},
                                 {"Moneta", moneta}});
    }
    db.insert("Cambi", {{"Moneta", "GBP"}, {"Data", QDate(2024, 5, 2)}, {"Cambio", 0.84}});
    db.insert("Cambi", {{"Moneta", "GBP"}, {"Data", QDate(2024, 6, 28)}, {"Cambio", 0.8561}});
    db.insert("Cambi", {{"Moneta", "GBP"}, {"Data", QDate(2024, 7, 1)}, {"Cambio", 0.9}});
    db.insert("Cambi", {{"Moneta", "USD"}, {"Data", QDate(2024, 7, 1)}, {"Cambio", 1.2}});
    apri();
    clicca(form->OptTipoEva[0]);
    QList<QStringList> righe;
    bool chiusa = false;
    QTimer::singleShot(0, [&] {
        auto* cambi = qobject_cast<FrmInpCambi*>(QApplication::activeModalWidget());
        ASSERT_NE(cambi, nullptr);
        EXPECT_EQ(cambi->windowTitle(), "Cambi");
        for (int r = 0; r < cambi->dbgCambi->rowCount(); ++r) {
            QStringList riga;
            for (int c = 0; c < 4; ++c)
                riga << cambi->dbgCambi->item(r, c)->text();
            righe << riga;
        }
        EXPECT_TRUE(cambi->CheAggTutti->isHidden());
        QTest::mouseClick(cambi->ComChiudi, Qt::LeftButton);
        EXPECT_EQ(ui.messages.value(0), "Si prega di inserire tutti i cambi");
        cambi->dbgCambi->item(1, 3)->setText("0");
        QTest::mouseClick(cambi->ComChiudi, Qt::LeftButton);
        EXPECT_EQ(ui.messages.size(), 2);
        EXPECT_TRUE(cambi->isVisible());
        cambi->dbgCambi->item(1, 3)->setText("1,0825");
        QTest::mouseClick(cambi->ComChiudi, Qt::LeftButton);
        chiusa = !cambi->isVisible();
    });
    ok();
    EXPECT_TRUE(chiusa);
    EXPECT_EQ(righe, (QList<QStringList>{{"GBP", "Sterlina", "28/06/2024", "0,8561"},
                                         {"USD", "Dollaro USA", "", ""}}));
    const scEvaPrev& m = form->motore();
    ASSERT_EQ(m.ogCambi.size(), 2u);
    EXPECT_EQ(m.ogCambi[0].moneta, "GBP");
    EXPECT_EQ(m.ogCambi[0].cambio, Currency::fromRaw(8561));
    EXPECT_EQ(m.ogCambi[1].moneta, "USD");
    EXPECT_EQ(m.ogCambi[1].cambio, Currency::fromRaw(10825));
    EXPECT_FALSE(m.obEvasManule);
    EXPECT_FALSE(ui.captions.isEmpty());  // the run started
}

TEST_F(SelezioneTest, AnnullaChiudeESalvaLaPosizione) {
    QTemporaryDir cartella;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, cartella.path());
    apri();
    form->setGeometry(40, 50, 1000, 640);
    QTest::mouseClick(form->ComAnnulla, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    const QRect prima = form->geometry();
    apri();
    EXPECT_EQ(form->geometry().size(), prima.size());
    QSettings salvate(QSettings::IniFormat, QSettings::UserScope, "Tovwin", "evapre");
    EXPECT_TRUE(salvate.contains("EvaPre-EvPr/Posizione"));
}

}  // namespace
}  // namespace evapre::test
