// The run: common data, journal check, header locks, error log, saved criteria, end of run.
#include <functional>
#include <utility>
#include "DateConv.h"
#include "EngineFixture.h"

namespace evapre::test {
namespace {

class RunTest : public EngineTest {
  protected:
    void SetUp() override {
        db.insert("FattDocumenti", {{"FattDocumento", "DDT"}, {"Tipo", "B"}});
        db.insert("FattDocumenti", {{"FattDocumento", "FT"}, {"Tipo", "F"}});
        db.insert("FattDocumenti", {{"FattDocumento", "PR"}, {"Tipo", "P"}});
        motore.osTipoDocEva = "DDT";
    }

    int conta(const QString& sql) { return db.db().scalar(sql).toInt(); }
    int segni() { return conta("Select count(*) from LockGest"); }
    QString statoPrev(int numRif) {
        return testo("Select Stato from PreVenTest where NumRif = " + db.db().sql(numRif));
    }
    QString statoRiga(int numRif, int rigLiv) {
        return testo("Select StatoRiga from PreVenDett where NumRif = " + db.db().sql(numRif) +
                     " and RigLiv = " + db.db().sql(rigLiv));
    }
    void giornale(int numReg, const QString& utente = "mario", int anno = kAnno) {
        db.insert(
            "DocDaElab",
            {{"Utente", utente}, {"Programma", "EvaPreEvPr"}, {"Anno", anno}, {"NumReg", numReg}});
    }
};

TEST_F(RunTest, LogDegliErroriTieneTrentaTestiEContaTutto) {
    for (int i = 1; i <= 32; ++i)
        motore.RegistraErrore(i, "errore " + QString::number(i));
    EXPECT_EQ(motore.oiNumErrori, 32);
    EXPECT_EQ(motore.osErrori.count("Errore n°"), 30);
    EXPECT_TRUE(motore.osErrori.startsWith("Errore n°1 : errore 1 in  di Evasione Preventivi\n"));
    EXPECT_TRUE(motore.osErrori.endsWith("errore 30 in  di Evasione Preventivi\n.............."));
}

TEST_F(RunTest, CriteriSalvatiERiletti) {
    motore.obEvasManule = true;
    motore.osCliDa = "01-01-00001";
    motore.osInDesc = "l'ufficio";
    motore.ovDataConsDa = QDate(2024, 5, 1);
    motore.olNumRifA = 99;
    motore.oiCreAcq = 3;
    motore.ogCambi = {{"USD", Currency::parse(u"1.0825").value()}, {"GBP", Currency::fromInt(1)}};
    motore.CreaAppoggioTemp();
    motore.CreaAppoggioTemp();  // a second save replaces the first
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 30);

    scEvaPrev letto{db.db(), parametri, moneta, ui};
    letto.ImportaAppoggioTemp();
    EXPECT_EQ(letto.oiAnno, kAnno);
    EXPECT_TRUE(letto.obEvasManule);
    EXPECT_FALSE(letto.obSoloASaldo);
    EXPECT_EQ(letto.otDataEvasione, QDate(2024, 6, 30));
    EXPECT_EQ(letto.osCliDa, "01-01-00001");
    EXPECT_EQ(letto.osInDesc, "l'ufficio");
    EXPECT_EQ(letto.ovDataConsDa, QDate(2024, 5, 1));
    EXPECT_FALSE(letto.ovDataConsA.has_value());  // saved without a value: no date
    EXPECT_EQ(letto.olNumRifA, 99);
    EXPECT_EQ(letto.oiCreAcq, 3);
    ASSERT_EQ(letto.ogCambi.size(), 2u);
    EXPECT_EQ(letto.ogCambi[0].moneta, "USD");
    EXPECT_EQ(letto.ogCambi[0].cambio, Currency::parse(u"1.0825").value());

    // Missing rows give the defaults.
    EXPECT_EQ(letto.LeggiAppoggioTemp("altro", "x", TipoAppoggio::Testo).toString(), "");
    EXPECT_EQ(letto.LeggiAppoggioTemp("altro", "x", TipoAppoggio::Numero).value<Currency>(),
              Currency());
    EXPECT_EQ(letto.LeggiAppoggioTemp("altro", "x", TipoAppoggio::Data).toDate(), DataNessuna());

    motore.CancellaAppoggioTemp(scEvaPrev::idProgramma());
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 0);
}

TEST_F(RunTest, CampiDiRotturaEAccorpamento) {
    preventivo(1, {{"Contratto", "C1"}, {"RagSoc", "Rossi"}, {"IndirizzoSped", "Via A"}});
    preventivo(2, {{"Contratto", "C2"}, {"RagSoc", "rossi"}, {"IndirizzoSped", "via a"}});
    preventivo(3, {{"RagSoc", "Rossi"}, {"IndirizzoSped", "Via B"}});
    preventivo(4, {{"IvaSosp", "S"}, {"RagSoc", "Rossi"}, {"IndirizzoSped", "Via A"}});
    auto leggi = [&](int numRif) {
        auto rs = db.db().openRowSet(motore.PrepSqlSelPre(kAnno, numRif));
        motore.CampiRotLeggi(*rs);
    };
    auto diversi = [&](int precedente, int corrente) {
        leggi(precedente);
        motore.CampiRotNew2Old();
        leggi(corrente);
        return motore.CampiRotDiversi();
    };
    EXPECT_FALSE(diversi(1, 2));  // "S": the contract and the case of the texts do not count
    EXPECT_TRUE(diversi(1, 3));   // another delivery address
    EXPECT_TRUE(diversi(1, 4));   // VAT deferral
    motore.oiSplitPay = 2;
    EXPECT_FALSE(diversi(1, 4));  // split payment: VAT deferral does not split
    db.db().execute("Update PreVenTest Set RagOrd = 'C' where NumRif = 2");
    EXPECT_TRUE(diversi(1, 2));  // "C": one contract per document
    db.db().execute("Update PreVenTest Set RagOrd = 'N' where NumRif = 1");
    EXPECT_TRUE(diversi(1, 1));  // "N": never shared
}

TEST_F(RunTest, RifiutiPrimaDiIniziare) {
    preventivo(1);
    riga(1, 1);
    struct Caso {
        const char* nome;
        std::function<void()> prepara;
        QString messaggio;
    };
    const QList<Caso> casi{
        {"nessun preventivo", [&] { motore.olNumRifDa = 50; },
         "Non ci sono Preventivi vendita nell'intervallo"},
        {"elaborazione interrotta", [&] { giornale(7); },
         "(DocDaElab) Risultano delle elaborazioni interrotte. Lanciare il programma di "
         "ripristino."},
        {"tipo da produrre non valido", [&] { motore.osTipoDocEva = "PR"; },
         "Tipo documento di evasione non di tipo fattura,ddt,ordine"},
        {"fattura senza registro iva", [&] { motore.osTipoDocEva = "FT"; },
         "Manca nella tabella ditta il prefisso iva vendite"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        motore.olNumRifDa = 0;
        motore.osTipoDocEva = "DDT";
        db.db().execute("Delete from DocDaElab");
        ui.messages.clear();
        caso.prepara();
        motore.LanciaEvasionePrev();
        ASSERT_FALSE(ui.messages.isEmpty());
        EXPECT_EQ(ui.messages.last(), caso.messaggio);
        EXPECT_EQ(segni(), 0);
        EXPECT_EQ(statoPrev(1), "");
    }
}

// Another run of this user for another year, or another user's, does not block.
TEST_F(RunTest, GiornaleDiAltriNonBlocca) {
    preventivo(1);
    riga(1, 1);
    giornale(7, "luigi");
    giornale(8, "mario", 2023);
    motore.obSoloASaldo = true;
    motore.LanciaEvasionePrev();
    EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
}

TEST_F(RunTest, TestataInUsoRiprovaPoiEsci) {
    preventivo(1);
    preventivo(2);
    db.insert("LockGest", {{"Tipo", "P"}, {"Anno", kAnno}, {"NumReg", 2}, {"Utente", "luigi"}});
    motore.obSoloASaldo = true;
    ui.answers << 1 << 2;
    motore.LanciaEvasionePrev();
    ASSERT_GE(ui.messages.size(), 2);
    EXPECT_EQ(ui.messages[0], "Preventivi n.rif 2 anno 2024 in uso da luigi");
    EXPECT_EQ(ui.messages[1], ui.messages[0]);
    EXPECT_EQ(ui.buttonLists[0], (QStringList{"Riprova", "Esci"}));
    EXPECT_EQ(segni(), 1);  // quote 1 released, luigi's mark untouched
    EXPECT_EQ(statoPrev(1), "");
}

// A quote fulfilled elsewhere after the selection stops the lock phase: the error names it,
// the run's marks go back, no quote is processed and nobody is asked about a later quote.
TEST_F(RunTest, PreventivoEvasoDopoLaSelezioneFermaIlBlocco) {
    struct UiConAzione : ScriptedUiServices {
        std::function<void()> azione;  // once, at the first message
        int message(const QString& text, const QStringList& buttons, int predefinito, MsgIcon icona,
                    const QString& titolo) override {
            if (azione)
                std::exchange(azione, nullptr)();
            return ScriptedUiServices::message(text, buttons, predefinito, icona, titolo);
        }
    };
    const struct {
        const char* nome;
        QList<int> altrui;  // quotes marked by luigi
        int segniDopo;
    } casi[] = {{"evaso dopo una testata in uso", {2}, 0},
                {"evaso prima di un'altra testata in uso", {2, 4}, 1}};
    for (int n = 1; n <= 4; ++n)
        preventivo(n);
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        db.db().execute("Update PreVenTest Set Stato = NULL");
        db.db().execute("Delete from LockGest");
        for (int n : caso.altrui)
            db.insert("LockGest",
                      {{"Tipo", "P"}, {"Anno", kAnno}, {"NumReg", n}, {"Utente", "luigi"}});
        UiConAzione uiAz;
        // While the user is asked about quote 2, luigi fulfils quote 3 and lets 2 go.
        uiAz.azione = [&] {
            db.db().execute("Update PreVenTest Set Stato = 'E' where NumRif = 3");
            db.db().execute("Delete from LockGest where NumReg = 2");
        };
        uiAz.answers << 1 << 2;  // "Riprova"; "Esci" to a question that must not come
        scEvaPrev m{db.db(), parametri, moneta, uiAz};
        m.oiAnno = kAnno;
        m.otDataEvasione = QDate(2024, 6, 30);
        m.osTipoDocEva = "DDT";
        m.obSoloASaldo = true;
        m.LanciaEvasionePrev();
        EXPECT_EQ(uiAz.messages.count("Preventivi n.rif 2 anno 2024 in uso da luigi"), 1);
        EXPECT_EQ(uiAz.messages.filter("in uso da").size(), 1)
            << uiAz.messages.join("|").toStdString();
        EXPECT_EQ(m.oiNumErrori, 1);
        EXPECT_TRUE(m.osErrori.contains("Prev. n.rif 3 anno 2024 Già evaso."))
            << m.osErrori.toStdString();
        EXPECT_EQ(segni(), caso.segniDopo);
        EXPECT_EQ(statoPrev(1), "");
    }
}

// Closing only: lines closed, quantities unchanged, header fulfilled, marks and saved
// criteria gone.
TEST_F(RunTest, SoloASaldoChiudeRigheETestata) {
    preventivo(1);
    riga(1, 1, {{"QtaEvasa", 4}, {"StatoRiga", "P"}});
    riga(1, 2, {{"Articolo", "ART2"}});
    preventivo(2, {{"PrevAperto", "S"}});
    riga(2, 1);
    motore.obSoloASaldo = true;
    motore.LanciaEvasionePrev();
    EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
    EXPECT_EQ(statoRiga(1, 1), "E");
    EXPECT_EQ(statoRiga(1, 2), "E");
    EXPECT_EQ(testo("Select QtaEvasa from PreVenDett where NumRif = 1 and RigLiv = 1").toDouble(),
              4);
    EXPECT_EQ(statoPrev(1), "E");
    EXPECT_EQ(statoRiga(2, 1), "");  // open quote: nothing written back
    EXPECT_EQ(statoPrev(2), "");
    EXPECT_EQ(segni(), 0);
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 0);
}

// A run limited to some articles leaves the quote partly fulfilled, so its other lines can
// still be selected.
TEST_F(RunTest, SoloASaldoPerArticoloLasciaIlPreventivoParziale) {
    preventivo(1);
    riga(1, 1);
    riga(1, 2, {{"Articolo", "ART2"}});
    motore.obSoloASaldo = true;
    motore.osArticoloDa = motore.osArticoloA = "ART1";
    motore.LanciaEvasionePrev();
    EXPECT_EQ(statoRiga(1, 1), "E");
    EXPECT_EQ(statoRiga(1, 2), "");
    EXPECT_EQ(statoPrev(1), "P");
}

// A failure inside a quote leaves that quote untouched and stops the run; the journal and the
// saved criteria stay for the recovery.
TEST_F(RunTest, ErroreNelPreventivoAnnullaTuttoIlPreventivo) {
    preventivo(1);
    preventivo(2);
    int chiamate = 0;
    motore.ogEvadePreventivo = [&](scEvaPrev& m, RowSet&, const PreventivoCorrente& prev, bool&) {
        ++chiamate;
        db.db().execute("Update PreVenTest Set Stato = 'E' where NumRif = " +
                        db.db().sql(prev.numRif));
        db.insert(
            "DocDaElab",
            {{"Utente", m.utente()}, {"Programma", m.idLavoro()}, {"Anno", kAnno}, {"NumReg", 1}});
        if (prev.numRif == 2)
            db.db().execute("Update TabellaCheNonEsiste Set X = 1");
    };
    motore.LanciaEvasionePrev();
    EXPECT_EQ(chiamate, 2);
    EXPECT_EQ(statoPrev(1), "E");
    EXPECT_EQ(statoPrev(2), "");
    EXPECT_EQ(motore.oiNumErrori, 1);
    EXPECT_TRUE(ui.messages.last().startsWith("Errore n°"));
    EXPECT_EQ(conta("Select count(*) from DocDaElab"), 1);  // not closed after a stop
    EXPECT_GT(conta("Select count(*) from AppoggioTemp"), 0);
    EXPECT_EQ(segni(), 0);
}

// At the end every journalled document gets its totals and leaves the journal.
TEST_F(RunTest, ChiusuraDeiDocumentiDelGiornale) {
    preventivo(1);
    db.insert("DdtTest", {{"Anno", kAnno}, {"NumRif", 5}});
    db.insert("DdtTest", {{"Anno", kAnno}, {"NumRif", 6}});
    motore.ogEvadePreventivo = [&](scEvaPrev& m, RowSet&, const PreventivoCorrente&, bool&) {
        for (int n : {5, 6})
            db.insert("DocDaElab", {{"Utente", m.utente()},
                                    {"Programma", m.idLavoro()},
                                    {"Anno", kAnno},
                                    {"NumReg", n}});
    };
    motore.ogCalcolaPiede = [](scEvaPrev&, int, qint32 numRif) {
        TotaliDocumento t;
        t.totMerce = Currency::fromInt(100 * numRif);
        t.totIva = Currency::fromInt(22);
        t.totDocum = t.totMerce + t.totIva;
        return t;
    };
    motore.LanciaEvasionePrev();
    EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
    EXPECT_EQ(conta("Select count(*) from DocDaElab"), 0);
    EXPECT_EQ(testo("Select TotDocum from DdtTest where NumRif = 6").toDouble(), 622);
    EXPECT_EQ(testo("Select TotMerce from DdtTest where NumRif = 5").toDouble(), 500);
    EXPECT_EQ(segni(), 0);
}

}  // namespace
}  // namespace evapre::test
