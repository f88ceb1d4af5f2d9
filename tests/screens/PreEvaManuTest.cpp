// The manual pre-fulfilment grid driven as a user drives it: clicks and typing in the three
// grids, the marks of the quotes picked, the staged rows and the hand-over of each group.
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "DocumentBuilder.h"
#include "EngineFixture.h"
#include "LockObject.h"
#include "frmPreEvaManu.h"

namespace evapre::test {
namespace {

class PreEvaManuTest : public EngineTest {
  protected:
    void SetUp() override {
        DocumentBuilder(db).tabelleAzienda();
        db.insert("FattDocumenti", {{"FattDocumento", "PR"}, {"Tipo", "P"}});
        parametro("Ditta.RegIvaVen", "A");
        motore.osTipoDocEva = "FT";
        motore.obEvasManule = true;
    }

    void TearDown() override {
        if (form)
            form->close();
    }

    void personale(const QString& nome, const QString& valore) {
        DocumentBuilder(db).parametroPersonale("Preventivi", nome, valore);
    }

    void rigaMerce(int numRif, int rigLiv, const Colonne& extra = {}) {
        riga(numRif, rigLiv,
             unisci({{"ValUnitario", importo("10")}, {"ValTotale", importo("100")}}, extra));
    }

    void apri() {
        form = std::make_unique<frmPreEvaManu>();
        form->setMotore(motore);
        form->EvasioneManuale();
        QApplication::processEvents();
    }

    QTableWidget* tabella(Griglia g) { return form->griglia(g); }

    int col(Griglia g, const QString& titolo) {
        const int c = form->colonna(g, titolo);
        EXPECT_GE(c, 0) << titolo.toStdString();
        return c;
    }

    // The grid row showing this quote (and level), -1 when none.
    int rigaDi(Griglia g, int numRif, int rigaDet = 0, const QString& liv1 = {}) {
        QTableWidget* t = tabella(g);
        for (int r = 0; r < t->rowCount(); ++r) {
            if (t->item(r, col(g, "Nr.Rif."))->text() != QString::number(numRif))
                continue;
            if (rigaDet && t->item(r, col(g, "Riga"))->text() != QString::number(rigaDet))
                continue;
            if (!liv1.isEmpty() && t->item(r, col(g, "Liv1"))->text() != liv1)
                continue;
            return r;
        }
        return -1;
    }

    QString cella(Griglia g, int riga, const QString& titolo) {
        return tabella(g)->item(riga, col(g, titolo))->text();
    }

    void attendi() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    void clicca(Griglia g, int riga, const QString& titolo) {
        ASSERT_GE(riga, 0);
        QTableWidget* t = tabella(g);
        const QModelIndex indice = t->model()->index(riga, col(g, titolo));
        t->scrollTo(indice);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualRect(indice).center());
        attendi();
    }

    // Moves to the cell, opens it with F2, types the text and confirms with Enter.
    void digita(Griglia g, int riga, const QString& titolo, const QString& testo) {
        ASSERT_GE(riga, 0);
        QTableWidget* t = tabella(g);
        t->setFocus();
        t->setCurrentCell(riga, col(g, titolo));
        QTest::keyClick(t, Qt::Key_F2);
        auto* editor = t->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->clear();
        QTest::keyClicks(editor, testo);
        QTest::keyClick(editor, Qt::Key_Return);
        attendi();
    }

    void selezionaPreventivo(int numRif) {
        clicca(Griglia::Testa, rigaDi(Griglia::Testa, numRif), "Sel.");
    }

    void prosegui() {
        ui.messages.clear();
        form->prosegui()->click();
        attendi();
    }

    int conta(const QString& sql) { return db.db().scalar(sql).toInt(); }
    Currency valore(const QString& sql) { return Currency::fromVariant(db.db().scalar(sql)); }
    QString staged(int numRif, int rigLiv, const QString& campo, const QString& liv1 = " ") {
        return db.db()
            .scalar("Select " + campo +
                    " from PreVenEvaDett where NumRif = " + db.db().sql(numRif) +
                    " and RigLiv = " + db.db().sql(rigLiv) + " and Livello1 = " + db.db().sql(liv1))
            .toString();
    }
    Currency qtaStaged(int numRif, int rigLiv, const QString& liv1 = " ") {
        return Currency::fromVariant(staged(numRif, rigLiv, "QtaDaEva", liv1));
    }
    int marche(const QString& utente = "mario") {
        return conta("Select count(*) from LockGest where Utente = " + db.db().sql(utente));
    }
    int righeSelezione() {
        return conta("Select count(*) from PreVenEvaTest") +
               conta("Select count(*) from PreVenEvaDett") +
               conta("Select count(*) from PreVenEvaSpese");
    }

    std::unique_ptr<frmPreEvaManu> form;
};

// "Sel." and "Tutto" clicked in turn: the flags, the quote's mark and its staged lines always
// agree, with and without "deliver complete only".
TEST_F(PreEvaManuTest, ClickSuSelETutto) {
    struct Caso {
        const char* nome;
        const char* consTotale;
        QStringList click;
        const char* selez;
        const char* tutto;
    };
    const QList<Caso> casi{
        {"ConsTotale S: Sel. imposta anche Tutto", "S", {"Sel."}, "S", "S"},
        {"ConsTotale S: Tutto spento toglie Sel.", "S", {"Sel.", "Tutto"}, "N", "N"},
        {"ConsTotale S: Sel. spento toglie tutto", "S", {"Sel.", "Sel."}, "N", "N"},
        {"ConsTotale N: Sel. da solo", "N", {"Sel."}, "S", "N"},
        {"ConsTotale N: Tutto acceso seleziona", "N", {"Tutto"}, "S", "S"},
        {"ConsTotale N: Tutto spento lascia Sel.", "N", {"Tutto", "Tutto"}, "S", "N"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        for (const char* t : {"PreVenTest", "PreVenDett"})
            db.db().execute(QStringLiteral("Delete from ") + t);
        preventivo(1, {{"ConsTotale", caso.consTotale}});
        rigaMerce(1, 1, {{"QtaEvasa", 4}});
        apri();
        for (const QString& c : caso.click)
            clicca(Griglia::Testa, 0, c);
        EXPECT_EQ(cella(Griglia::Testa, 0, "Sel."), caso.selez);
        EXPECT_EQ(cella(Griglia::Testa, 0, "Tutto"), caso.tutto);
        const bool scelto = QString(caso.selez) == "S";
        EXPECT_EQ(marche(), scelto ? 1 : 0);
        EXPECT_EQ(tabella(Griglia::Corpo)->rowCount(), scelto ? 1 : 0);
        if (scelto) {
            EXPECT_EQ(qtaStaged(1, 1),
                      QString(caso.tutto) == "S" ? Currency::fromInt(6) : Currency());
        }
        form->annulla()->click();
        EXPECT_EQ(marche(), 0);
        EXPECT_EQ(righeSelezione(), 0);
    }
}

// What a picked quote stages: open lines only, text lines closed with their note, the
// quantity by "Tutto"; typing in "Sel." does what a click does, and a wrong letter is refused.
TEST_F(PreEvaManuTest, RigheMesseInSelezione) {
    preventivo(1);
    rigaMerce(1, 1, {{"QtaEvasa", 3}, {"StatoRiga", "P"}});
    riga(1, 2, {{"TipoRiga", "D"}, {"Articolo", QVariant()}, {"Qta", 0}, {"NotaSopra", "Nota"}});
    rigaMerce(1, 3, {{"TipoRiga", "C"}});
    rigaMerce(1, 4, {{"StatoRiga", "E"}, {"QtaEvasa", 10}});
    db.insert("Spese", {{"Spesa", "TR"}, {"Descrizione", "Trasporto"}});
    db.insert(
        "PreVenSpese",
        {{"Anno", kAnno}, {"NumRif", 1}, {"Riga", 1}, {"Spesa", "TR"}, {"Importo", importo("5")}});
    apri();
    EXPECT_EQ(form->cliente()->text(), "Cliente");
    EXPECT_FALSE(form->cambio()->isVisible());

    digita(Griglia::Testa, 0, "Sel.", "x");
    EXPECT_EQ(ui.messages.last(), "Si prega di inserire: S=Si  , N=No ");
    EXPECT_EQ(cella(Griglia::Testa, 0, "Sel."), "N");
    EXPECT_EQ(tabella(Griglia::Corpo)->rowCount(), 0);

    digita(Griglia::Testa, 0, "Sel.", "s");
    EXPECT_EQ(cella(Griglia::Testa, 0, "Sel."), "S");
    EXPECT_EQ(marche(), 1);
    ASSERT_EQ(tabella(Griglia::Corpo)->rowCount(), 2);
    EXPECT_EQ(qtaStaged(1, 1), Currency());
    EXPECT_EQ(staged(1, 1, "ASaldo"), "N");
    EXPECT_EQ(staged(1, 2, "ASaldo"), "S");
    EXPECT_EQ(staged(1, 2, "Descrizione"), "Nota");
    EXPECT_EQ(cella(Griglia::Corpo, rigaDi(Griglia::Corpo, 1, 1), "Qta Evasa"), "3");
    ASSERT_EQ(tabella(Griglia::Spese)->rowCount(), 1);
    EXPECT_EQ(cella(Griglia::Spese, 0, "Descrizione"), "Trasporto");
    EXPECT_EQ(cella(Griglia::Spese, 0, "Importo"), "5,00");

    clicca(Griglia::Spese, 0, "Sel.");
    EXPECT_EQ(cella(Griglia::Spese, 0, "Sel."), "S");
    digita(Griglia::Testa, 0, "Tutto", "S");
    EXPECT_EQ(qtaStaged(1, 1), Currency::fromInt(7));
    EXPECT_EQ(cella(Griglia::Spese, 0, "Sel."), "S") << "the expenses picked stay";

    digita(Griglia::Testa, 0, "Sel.", "N");
    EXPECT_EQ(marche(), 0);
    EXPECT_EQ(conta("Select count(*) from PreVenEvaDett"), 0);
    EXPECT_EQ(conta("Select count(*) from PreVenEvaSpese"), 0);

    // a form destroyed without being closed hands its group back too
    selezionaPreventivo(1);
    ASSERT_EQ(marche(), 1);
    form.reset();
    EXPECT_EQ(marche(), 0);
    EXPECT_EQ(righeSelezione(), 0);
}

// The article and delivery-date bounds of the criteria limit the lines staged; extended
// descriptions add the article's class attributes.
TEST_F(PreEvaManuTest, CriteriEDescrizioniEstese) {
    DocumentBuilder(db).parametroPersonale("Ddt", "PartitaEnse", "S");
    db.insert("Articoli", {{"Articolo", "ART1"},
                           {"Descrizione", "Vite"},
                           {"ArtClasseAttr1", "C1"},
                           {"ArtClasseAttr2", "ACCIAIO"},
                           {"ArtClasseAttr4", "ZINCATO"}});
    db.insert("ArtClasseAttr",
              {{"ArtClasse", 1}, {"ArtClasseAttr", "C1"}, {"Descrizione", "Minuteria"}});
    db.insert("Articoli", {{"Articolo", "ART2"}, {"Descrizione", "Dado"}});
    motore.osArticoloDa = "ART1";
    motore.osArticoloA = "ART2";
    motore.ovDataConsA = QDate(2024, 6, 30);
    preventivo(1);
    rigaMerce(1, 1);
    rigaMerce(1, 2, {{"Articolo", "ART2"}, {"DataCons", QDate(2024, 6, 1)}});
    rigaMerce(1, 3, {{"Articolo", "ART2"}, {"DataCons", QDate(2024, 7, 1)}});
    rigaMerce(1, 4, {{"Articolo", "ART3"}});
    apri();
    selezionaPreventivo(1);
    EXPECT_EQ(conta("Select count(*) from PreVenEvaDett"), 2);
    EXPECT_EQ(staged(1, 1, "Descrizione"), "Vite -Minut-ACC-ZIN");
    EXPECT_EQ(staged(1, 2, "Descrizione"), "Dado ---");
}

// Typed "Da Evad." and "A Saldo", F9, and the electrical-waste line following its line.
TEST_F(PreEvaManuTest, ValoriDigitatiNelleRighe) {
    preventivo(1);
    rigaMerce(1, 1, {{"RigLivRAEE", 2}});
    rigaMerce(1, 2, {{"Articolo", "RAEE"}});
    rigaMerce(1, 3);
    apri();
    selezionaPreventivo(1);
    const int prima = rigaDi(Griglia::Corpo, 1, 1);

    struct Caso {
        const char* digitato;
        const char* messaggio;  // empty: accepted
        int atteso;
    };
    const QList<Caso> casi{
        {"4", "", 4},
        {"abc", "Quantità non valida: abc", 4},
        {"", "", 0},
        {"2,5", "", 3},  // rounded to the quantity decimals (none)
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.digitato);
        ui.messages.clear();
        digita(Griglia::Corpo, prima, "Da Evad.", caso.digitato);
        EXPECT_EQ(ui.messages.isEmpty() ? QString() : ui.messages.last(), caso.messaggio);
        EXPECT_EQ(qtaStaged(1, 1), Currency::fromInt(caso.atteso));
        EXPECT_EQ(qtaStaged(1, 2), Currency::fromInt(caso.atteso)) << "electrical-waste line";
    }

    clicca(Griglia::Corpo, prima, "A Saldo");
    EXPECT_EQ(staged(1, 1, "ASaldo"), "S");
    EXPECT_EQ(staged(1, 2, "ASaldo"), "S");
    digita(Griglia::Corpo, prima, "A Saldo", "q");
    EXPECT_EQ(ui.messages.last(), "Si prega di inserire: S=Si  , N=No ");
    digita(Griglia::Corpo, prima, "A Saldo", "n");
    EXPECT_EQ(staged(1, 2, "ASaldo"), "N");

    QTableWidget* t = tabella(Griglia::Corpo);
    const int terza = rigaDi(Griglia::Corpo, 1, 3);
    t->setCurrentCell(terza, col(Griglia::Corpo, "Da Evad."));
    QTest::keyClick(t, Qt::Key_F9);
    attendi();
    EXPECT_EQ(qtaStaged(1, 3), Currency::fromInt(10));
    QTableWidget* testa = tabella(Griglia::Testa);
    testa->setCurrentCell(0, col(Griglia::Testa, "Sel."));
    QTest::keyClick(testa, Qt::Key_F10);
    attendi();
    EXPECT_EQ(t->currentColumn(), col(Griglia::Corpo, "Da Evad."));
}

// Levels: a line whose levels are all delivered is not staged, a level by its own state; the
// summary row goes all or nothing and carries its levels with it.
TEST_F(PreEvaManuTest, RigheRiepilogativeDeiLivelli) {
    parametro("Mag.GesTaglie", "S");
    personale("EvaManLivGruppo", "S");
    preventivo(1);
    rigaMerce(1, 1, {{"StatoRiga", "P"}});
    livello(1, 1, "A", {{"StatoRiga", "E"}, {"QtaEvasa", 5}});
    livello(1, 1, "B", {{"StatoRiga", "E"}, {"QtaEvasa", 5}});
    rigaMerce(1, 2, {{"StatoRiga", "P"}, {"QtaEvasa", 2}});
    livello(1, 2, "A", {{"StatoRiga", "E"}, {"QtaEvasa", 2}, {"Qta", 2}});
    livello(1, 2, "B", {{"Qta", 4}});
    livello(1, 2, "C", {{"Qta", 4}});
    apri();
    EXPECT_EQ(form->livelli()->text(), "&Mostra Livelli");
    selezionaPreventivo(1);

    EXPECT_EQ(conta("Select count(*) from PreVenEvaDett where RigLiv = 1"), 0);
    EXPECT_EQ(conta("Select count(*) from PreVenEvaDett where RigLiv = 2"), 3)
        << "levels B and C and the summary row";
    ASSERT_EQ(tabella(Griglia::Corpo)->rowCount(), 1);
    const int riepilogo = 0;
    EXPECT_EQ(cella(Griglia::Corpo, riepilogo, "Liv1"), "*liv");

    digita(Griglia::Corpo, riepilogo, "Da Evad.", "3");
    EXPECT_EQ(ui.messages.last(),
              "Riga di riepilogo di livelli che va evaso totalmente:\n"
              "Per evadere parzialmente passare alla visualizzazione dei livelli");
    EXPECT_EQ(cella(Griglia::Corpo, riepilogo, "Da Evad."), "8");
    EXPECT_EQ(qtaStaged(1, 2, "B"), Currency::fromInt(4));
    EXPECT_EQ(qtaStaged(1, 2, "C"), Currency::fromInt(4));

    ui.messages.clear();
    clicca(Griglia::Corpo, riepilogo, "A Saldo");
    EXPECT_TRUE(ui.messages.last().startsWith(
        "Nella riga riepilogativa dei livelli non si può evadere a saldo"));
    EXPECT_EQ(staged(1, 2, "ASaldo", "*liv"), "N");

    digita(Griglia::Corpo, riepilogo, "Da Evad.", "0");
    EXPECT_EQ(qtaStaged(1, 2, "B"), Currency());
    EXPECT_EQ(qtaStaged(1, 2, "C"), Currency());

    form->livelli()->click();
    EXPECT_EQ(form->livelli()->text(), "&Nascondi Livelli");
    EXPECT_EQ(tabella(Griglia::Corpo)->rowCount(), 2);
    digita(Griglia::Corpo, rigaDi(Griglia::Corpo, 1, 2, "B"), "Da Evad.", "1");
    EXPECT_EQ(qtaStaged(1, 2, "B"), Currency::fromInt(1));
    EXPECT_EQ(qtaStaged(1, 2, "C"), Currency());

    form->livelli()->click();
    digita(Griglia::Corpo, riepilogo, "Da Evad.", "5");
    prosegui();
    EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
    EXPECT_EQ(valore("Select Qta from FatDett"), Currency::fromInt(8));
    const QString livello = "Select QtaEvasa from PreVenLiv where RigLiv = 2 and Livello1 = ";
    EXPECT_EQ(valore(livello + "'B'"), Currency::fromInt(4));
    EXPECT_EQ(valore(livello + "'C'"), Currency::fromInt(4));
    EXPECT_EQ(testo("Select StatoRiga from PreVenDett where RigLiv = 2"), "E");
    EXPECT_EQ(righeSelezione(), 0);
}

// "Prosegui" over a group: refusals leave everything as it was; close-only marks close
// without a document; an empty group just moves on.
TEST_F(PreEvaManuTest, ProseguiSulGruppo) {
    db.insert("Monete", {{"Moneta", "USD"}, {"NumDec", 2}, {"NumDecGest", 2}, {"Cee", "N"}});
    db.db().execute("Update Monete Set Cee = 'S' where Moneta = 'Euro'");
    preventivo(1);
    rigaMerce(1, 1);
    rigaMerce(1, 2);
    preventivo(2, {{"ContoCli", "00002"}, {"RagSocCli", "Secondo"}});
    rigaMerce(2, 1);
    preventivo(3, {{"ContoCli", "00003"}, {"Moneta", "USD"}});
    rigaMerce(3, 1);
    preventivo(4, {{"ContoCli", "00004"}});
    rigaMerce(4, 1);
    apri();

    // negative quantity
    selezionaPreventivo(1);
    digita(Griglia::Corpo, rigaDi(Griglia::Corpo, 1, 1), "Da Evad.", "-1");
    prosegui();
    EXPECT_EQ(ui.messages, QStringList{"Non è possibile evadere Quantità negative"});
    EXPECT_TRUE(form->prosegui()->isEnabled());
    EXPECT_EQ(qtaStaged(1, 1), Currency::fromInt(-1));

    // only a closing mark: the line is closed, no document
    digita(Griglia::Corpo, rigaDi(Griglia::Corpo, 1, 1), "Da Evad.", "0");
    clicca(Griglia::Corpo, rigaDi(Griglia::Corpo, 1, 2), "A Saldo");
    prosegui();
    EXPECT_EQ(conta("Select count(*) from FatTest"), 0);
    EXPECT_EQ(testo("Select StatoRiga from PreVenDett where NumRif = 1 and RigLiv = 2"), "E");
    EXPECT_EQ(valore("Select QtaEvasa from PreVenDett where NumRif = 1 and RigLiv = 2"),
              Currency());
    EXPECT_TRUE(
        testo("Select StatoRiga from PreVenDett where NumRif = 1 and RigLiv = 1").isEmpty());
    EXPECT_EQ(testo("Select Stato from PreVenTest where NumRif = 1"), "P")
        << "a close-only run sets the status of a quote that produced no line";
    EXPECT_FALSE(motore.obSoloASaldo);

    // nothing marked: next group
    EXPECT_EQ(form->cliente()->text(), "Secondo");
    EXPECT_EQ(marche(), 0);
    prosegui();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(conta("Select count(*) from FatTest"), 0);

    // foreign currency without a rate
    ASSERT_EQ(rigaDi(Griglia::Testa, 3), 0);
    EXPECT_TRUE(form->cambio()->isVisible());
    selezionaPreventivo(3);
    digita(Griglia::Corpo, 0, "Da Evad.", "2");
    form->cambio()->clear();
    prosegui();
    EXPECT_EQ(ui.messages, QStringList{"E' obbligatorio inserire il cambio"});
    EXPECT_EQ(rigaDi(Griglia::Testa, 3), 0) << "the group stays";
    EXPECT_EQ(qtaStaged(3, 1), Currency::fromInt(2));
    EXPECT_EQ(marche(), 1);
    form->cambio()->setText("1,1");
    prosegui();
    EXPECT_EQ(conta("Select count(*) from FatTest"), 1);
    EXPECT_EQ(valore("Select Cambio from FatTest"), Currency::fromDouble(1.1));
    EXPECT_EQ(rigaDi(Griglia::Testa, 4), 0);
}

// Two groups fulfilled end to end: partial quantities in the first, a line closed "a saldo"
// in the second; the form closes when no group is left and leaves nothing behind.
TEST_F(PreEvaManuTest, DueGruppiDallInizioAllaFine) {
    preventivo(1);
    rigaMerce(1, 1);
    rigaMerce(1, 2, {{"Articolo", "ART2"}});
    preventivo(2);
    rigaMerce(2, 1);
    preventivo(3, {{"ContoCli", "00002"}});
    rigaMerce(3, 1);
    rigaMerce(3, 2, {{"Articolo", "ART2"}});
    apri();
    ASSERT_EQ(tabella(Griglia::Testa)->rowCount(), 2) << "quotes 1 and 2 share a document";

    selezionaPreventivo(1);
    selezionaPreventivo(2);
    digita(Griglia::Corpo, rigaDi(Griglia::Corpo, 1, 1), "Da Evad.", "4");
    digita(Griglia::Corpo, rigaDi(Griglia::Corpo, 2, 1), "Da Evad.", "10");
    EXPECT_EQ(marche(), 2);
    prosegui();
    EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
    ASSERT_EQ(tabella(Griglia::Testa)->rowCount(), 1);
    EXPECT_EQ(marche(), 0) << "the first group's marks went with it";

    selezionaPreventivo(3);
    digita(Griglia::Corpo, rigaDi(Griglia::Corpo, 3, 1), "Da Evad.", "6");
    clicca(Griglia::Corpo, rigaDi(Griglia::Corpo, 3, 2), "A Saldo");
    prosegui();
    EXPECT_FALSE(form->isVisible());

    EXPECT_EQ(conta("Select count(*) from FatTest"), 2);
    EXPECT_EQ(conta("Select count(*) from FatDett where NumRifProv = 1"), 1);
    EXPECT_EQ(valore("Select Qta from FatDett where NumRifProv = 1"), Currency::fromInt(4));
    EXPECT_EQ(valore("Select Qta from FatDett where NumRifProv = 2"), Currency::fromInt(10));
    EXPECT_EQ(conta("Select count(*) from FatDett where NumRifProv = 3"), 1);
    struct Atteso {
        int numRif, rigLiv, qtaEvasa;
        const char* statoRiga;
    };
    for (const Atteso& a : QList<Atteso>{
             {1, 1, 4, "P"}, {1, 2, 0, ""}, {2, 1, 10, "E"}, {3, 1, 6, "P"}, {3, 2, 0, "E"}}) {
        SCOPED_TRACE(QString("preventivo %1 riga %2").arg(a.numRif).arg(a.rigLiv).toStdString());
        const QString dove = " from PreVenDett where NumRif = " + db.db().sql(a.numRif) +
                             " and RigLiv = " + db.db().sql(a.rigLiv);
        EXPECT_EQ(valore("Select QtaEvasa" + dove), Currency::fromInt(a.qtaEvasa));
        EXPECT_EQ(testo("Select StatoRiga" + dove).trimmed(), a.statoRiga);
    }
    EXPECT_EQ(testo("Select Stato from PreVenTest where NumRif = 1"), "P");
    EXPECT_EQ(testo("Select Stato from PreVenTest where NumRif = 2"), "E");
    EXPECT_EQ(testo("Select Stato from PreVenTest where NumRif = 3"), "P");
    EXPECT_EQ(righeSelezione(), 0);
    EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
}

// A quote marked by another session (another user, or the same user elsewhere): "Riprova"
// asks again, "Esci" leaves it unpicked and unstaged; that session's mark is never touched.
TEST_F(PreEvaManuTest, PreventivoInUsoDaAltri) {
    const int altra = db.openAnother();
    LockObject& altraSessione = VeltDbasedll::instance().lockObject(QString::number(altra));
    const auto marcheDi = [&](int numRif) {
        return conta("Select count(*) from LockGest where Tipo = 'P' and NumReg = " +
                     db.db().sql(numRif));
    };
    for (const QString detentore : {"luigi", "mario"}) {
        SCOPED_TRACE(detentore.toStdString());
        for (const char* t : {"PreVenTest", "PreVenDett", "LockGest"})
            db.db().execute(QStringLiteral("Delete from ") + t);
        preventivo(1);
        rigaMerce(1, 1);
        preventivo(2);
        rigaMerce(2, 1);
        altraSessione.insertMark({"P", kAnno, 1, detentore, "0", "P", "", "", 0, 0});
        apri();
        ui.messages.clear();
        ui.buttonLists.clear();
        ui.answers << 1 << 2;  // Riprova, then Esci
        selezionaPreventivo(1);
        ASSERT_EQ(ui.messages.size(), 2);
        EXPECT_EQ(ui.messages[0], "Preventivo n.rif 1 anno 2024 in uso da " + detentore);
        EXPECT_EQ(ui.messages[1], ui.messages[0]);
        EXPECT_EQ(ui.buttonLists[0], (QStringList{"Riprova", "Esci"}));
        EXPECT_EQ(cella(Griglia::Testa, rigaDi(Griglia::Testa, 1), "Sel."), "N");
        EXPECT_EQ(cella(Griglia::Testa, rigaDi(Griglia::Testa, 1), "Tutto"), "N");
        EXPECT_EQ(conta("Select count(*) from PreVenEvaDett"), 0);

        selezionaPreventivo(2);
        EXPECT_EQ(marcheDi(2), 1);
        form->annulla()->click();
        EXPECT_EQ(marcheDi(2), 0);
        EXPECT_EQ(marcheDi(1), 1);
        EXPECT_EQ(righeSelezione(), 0);
        altraSessione.endLockUse();
    }
}

// A database error while a quote is staged is shown with its number and text; the quote stays
// unpicked, with nothing staged and no mark.
TEST_F(PreEvaManuTest, ErroreNellaMessaInSelezione) {
    preventivo(1);
    rigaMerce(1, 1);
    apri();
    db.db().execute("DROP TABLE PreVenSpese");
    ui.messages.clear();
    selezionaPreventivo(1);
    ASSERT_FALSE(ui.messages.isEmpty());  // the expenses grid cannot be read either
    EXPECT_TRUE(ui.messages[0].startsWith("Err: ")) << ui.messages[0].toStdString();
    EXPECT_EQ(cella(Griglia::Testa, 0, "Sel."), "N");
    EXPECT_EQ(conta("Select count(*) from PreVenEvaDett"), 0);
    EXPECT_EQ(marche(), 0);
}

// Extra columns and column order from the personal parameters; prices hidden on a terminal
// listed in DisabTermVisPrz; no quote in range closes the form with its message.
TEST_F(PreEvaManuTest, ColonneEPrezzi) {
    personale("EvaLisCampiTeAgg1", "PreVenTest.Listino:Listino:70");
    personale("EvaOrdCampiTesta", "3,1");
    personale("DisabTermVisPrz", "T9;T1");
    preventivo(1, {{"Listino", "L1"}});
    rigaMerce(1, 1);
    apri();
    const int listino = col(Griglia::Testa, "Listino");
    EXPECT_EQ(cella(Griglia::Testa, 0, "Listino"), "L1");
    QHeaderView* h = tabella(Griglia::Testa)->horizontalHeader();
    EXPECT_EQ(h->visualIndex(col(Griglia::Testa, "Sel.")),
              h->visualIndex(col(Griglia::Testa, "Nr.Rif.")) - 1);
    EXPECT_LT(h->visualIndex(col(Griglia::Testa, "Sel.")), h->visualIndex(listino));
    EXPECT_TRUE(tabella(Griglia::Corpo)->isColumnHidden(col(Griglia::Corpo, "Val. Unitario")));
    EXPECT_TRUE(tabella(Griglia::Spese)->isColumnHidden(col(Griglia::Spese, "Importo")));
    form->annulla()->click();

    db.db().execute("Update PreVenTest Set Stato = 'E'");
    ui.messages.clear();
    apri();
    EXPECT_EQ(ui.messages, QStringList{"Non ci sono dati nell'intervallo specificato"});
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace evapre::test
