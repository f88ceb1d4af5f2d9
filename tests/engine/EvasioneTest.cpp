// Quotes fulfilled into documents: grouping into headers, lines and levels, values of partial
// deliveries, what is written back on the quotes, expenses and the totals at closing.
#include <functional>

#include "DbError.h"
#include "DocumentBuilder.h"
#include "EngineFixture.h"

namespace evapre::test {
namespace {

class EvasioneTest : public EngineTest {
  protected:
    void SetUp() override {
        DocumentBuilder(db).tabelleAzienda();
        db.insert("FattDocumenti", {{"FattDocumento", "PR"}, {"Tipo", "P"}});
        db.insert("FattDocumenti", {{"FattDocumento", "DDT"}, {"Tipo", "B"}, {"Segno", "+"}});
        db.insert("FattDocumenti", {{"FattDocumento", "OC"}, {"Tipo", "O"}, {"Segno", "+"}});
        parametro("Ditta.RegIvaVen", "A");
        parametro("Fat.PrefDdt", "D");
        motore.osTipoDocEva = "FT";
    }

    // A goods line worth 100.00 (10 × 10.00) unless extra says otherwise.
    void rigaMerce(int numRif, int rigLiv, const Colonne& extra = {}) {
        riga(numRif, rigLiv,
             unisci({{"ValUnitario", importo("10")}, {"ValTotale", importo("100")}}, extra));
    }

    void lancia() {
        ui.messages.clear();
        motore.LanciaEvasionePrev();
    }

    int conta(const QString& sql) { return db.db().scalar(sql).toInt(); }
    Currency valore(const QString& sql) { return Currency::fromVariant(db.db().scalar(sql)); }
    QString doveNumRif(int numRif) { return " where NumRif = " + db.db().sql(numRif); }
    QString doveRiga(int numRif, int rigLiv) {
        return doveNumRif(numRif) + " and RigLiv = " + db.db().sql(rigLiv);
    }

    // Documents of the quote, through the provenance of their lines.
    QList<int> documentiDi(int numRif, const QString& dett = "FatDett") {
        return numeri("Select distinct NumRif from " + dett +
                          " where NumRifProv = " + db.db().sql(numRif) + " order by NumRif",
                      "NumRif");
    }

    // For every quote line, QtaEvasa equals what the produced lines delivered against it.
    void quantitaCoerenti(const QString& dett = "FatDett") {
        auto righe = db.db().openRowSet("Select Anno, NumRif, RigLiv, QtaEvasa from PreVenDett");
        for (; !righe->eof(); righe->moveNext()) {
            const Currency consegnato = valore(
                "Select sum(Qta) from " + dett + " where TipoProv = 'Prev' and AnnoRifProv = " +
                db.db().sql(righe->integer("Anno")) +
                " and NumRifProv = " + db.db().sql(righe->integer("NumRif")) +
                " and RigaRifProv = " + db.db().sql(righe->integer("RigLiv")));
            EXPECT_EQ(righe->amount("QtaEvasa"), consegnato)
                << "preventivo " << righe->integer("NumRif") << " riga "
                << righe->integer("RigLiv");
        }
    }

    void selezionaManuale(int numRif, const QList<QPair<int, const char*>>& quantita,
                          const QList<int>& aSaldo = {}) {
        db.insert("PreVenEvaTest",
                  {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", numRif}, {"Selez", "S"}});
        for (const auto& [rigLiv, qta] : quantita)
            db.insert("PreVenEvaDett", {{"Utente", "mario"},
                                        {"Anno", kAnno},
                                        {"NumRif", numRif},
                                        {"RigLiv", rigLiv},
                                        {"RigDet", rigLiv},
                                        {"Livello1", " "},
                                        {"Livello2", " "},
                                        {"QtaDaEva", importo(qta)},
                                        {"ASaldo", aSaldo.contains(rigLiv) ? "S" : "N"}});
    }

    void svuotaSelezione() {
        for (const char* t : {"PreVenEvaTest", "PreVenEvaDett", "PreVenEvaSpese"})
            db.db().execute(QStringLiteral("Delete from ") + t);
    }
};

// Which quotes share a document: the grouping key, the contract, blank values, the withholding
// percentage, and the contract that orders always compare.
TEST_F(EvasioneTest, RaggruppamentoDeiPreventiviNeiDocumenti) {
    struct Caso {
        const char* nome;
        Colonne primo, secondo;
        const char* tipoDoc;
        int documenti;
    };
    const QList<Caso> casi{
        {"RagOrd S, valori uguali", {{"Contratto", "C1"}}, {{"Contratto", "C2"}}, "FT", 1},
        {"RagOrd N", {{"RagOrd", "N"}}, {{"RagOrd", "N"}}, "FT", 2},
        {"RagOrd vuoto vale N", {{"RagOrd", QVariant()}}, {{"RagOrd", QVariant()}}, "FT", 2},
        {"RagOrd C, stesso contratto",
         {{"RagOrd", "C"}, {"Contratto", "C1"}},
         {{"RagOrd", "C"}, {"Contratto", "C1"}},
         "FT",
         1},
        {"RagOrd C, contratti diversi",
         {{"RagOrd", "C"}, {"Contratto", "C1"}},
         {{"RagOrd", "C"}, {"Contratto", "C2"}},
         "FT",
         2},
        {"vettore diverso", {{"Vettore", "V1"}}, {{"Vettore", "V2"}}, "FT", 2},
        {"vuoti: Null e testo vuoto sono lo stesso niente",
         {{"Iva", QVariant()}, {"Banca", QVariant()}, {"Vettore", ""}, {"Agente1", QVariant()}},
         {{"Iva", ""}, {"Banca", ""}, {"Vettore", QVariant()}, {"Agente1", " "}},
         "FT",
         1},
        {"ritenuta 0 e nessuna ritenuta",
         {{"PercRitAcc", QVariant()}},
         {{"PercRitAcc", importo("0")}},
         "FT",
         1},
        {"ritenute diverse",
         {{"PercRitAcc", importo("20")}},
         {{"PercRitAcc", importo("4")}},
         "FT",
         2},
        {"ordini: contratti diversi", {{"Contratto", "C1"}}, {{"Contratto", "C2"}}, "OC", 2},
        {"ordini: stesso contratto", {{"Contratto", "C1"}}, {{"Contratto", "C1"}}, "OC", 1},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        for (const char* t : {"PreVenTest", "PreVenDett", "FatTest", "FatDett", "OrdVenTest",
                              "OrdVenDett", "LockGest", "DocDaElab"})
            db.db().execute(QStringLiteral("Delete from ") + t);
        motore.osTipoDocEva = caso.tipoDoc;
        const QString testa = caso.tipoDoc == QLatin1String("OC") ? "OrdVenTest" : "FatTest";
        preventivo(1, caso.primo);
        rigaMerce(1, 1);
        preventivo(2, caso.secondo);
        rigaMerce(2, 1);
        lancia();
        EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
        EXPECT_EQ(conta("Select count(*) from " + testa), caso.documenti);
        EXPECT_EQ(conta("Select count(*) from DocDaElab"), 0);
        EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
    }
}

// The delivery address: a quote with a code joins only that code; one without joins only
// documents without a code with the same name and address.
TEST_F(EvasioneTest, IndirizzoDiSpedizione) {
    preventivo(1, {{"RagSoc", "Rossi"}, {"IndirizzoSped", "Via A"}});
    preventivo(2, {{"RagSoc", "Rossi"}, {"IndirizzoSped", "Via A"}});
    preventivo(3, {{"RagSoc", "Rossi"}, {"IndirizzoSped", "Via B"}});
    preventivo(4, {{"RagSoc", "Rossi"}, {"IndirizzoSped", "Via A"}, {"IndSped", "D1"}});
    preventivo(5, {{"IndSped", "D1"}, {"RagSoc", "Bianchi"}});
    for (int n = 1; n <= 5; ++n)
        rigaMerce(n, 1);
    lancia();
    EXPECT_EQ(documentiDi(1), documentiDi(2));
    EXPECT_NE(documentiDi(1), documentiDi(3));
    EXPECT_NE(documentiDi(1), documentiDi(4));
    EXPECT_EQ(documentiDi(4), documentiDi(5));
    EXPECT_EQ(conta("Select count(*) from FatTest"), 3);
}

// "RaggrDataRif" "S": an open document of another day is not joined; without it, it is, and
// its totals are computed again.
TEST_F(EvasioneTest, DocumentoApertoDiUnAltroGiorno) {
    for (const bool perData : {true, false}) {
        SCOPED_TRACE(perData ? "RaggrDataRif S" : "RaggrDataRif N");
        for (const char* t :
             {"PreVenTest", "PreVenDett", "FatTest", "FatDett", "MenuParametri", "LockGest"})
            db.db().execute(QStringLiteral("Delete from ") + t);
        parametro("Ditta.RegIvaVen", "A");
        if (perData)
            parametro("EvasionePrev.RaggrDataRif", "S");
        preventivo(1);
        rigaMerce(1, 1);
        motore.otDataEvasione = QDate(2024, 6, 1);
        lancia();
        preventivo(2);
        rigaMerce(2, 1);
        motore.otDataEvasione = QDate(2024, 6, 30);
        lancia();
        EXPECT_EQ(conta("Select count(*) from FatTest"), perData ? 2 : 1);
        if (!perData) {
            EXPECT_EQ(valore("Select TotMerce from FatTest"), Currency::fromInt(200));
        }
    }
}

// An open order joined by a later run's quote is no longer another order's copy.
TEST_F(EvasioneTest, OrdineApertoRiusato) {
    motore.osTipoDocEva = "OC";
    preventivo(1, {{"Contratto", "C1"}});
    rigaMerce(1, 1);
    lancia();
    db.db().execute("Update OrdVenTest Set OrdAnno = 2023, OrdNumRif = 7");
    preventivo(2, {{"Contratto", "C1"}});
    rigaMerce(2, 1);
    lancia();
    EXPECT_EQ(conta("Select count(*) from OrdVenTest"), 1);
    EXPECT_EQ(conta("Select count(*) from OrdVenDett"), 2);
    EXPECT_EQ(conta("Select count(*) from OrdVenTest where OrdAnno is null and OrdNumRif is null"),
              1);
}

// An open document that another user holds is not joined.
TEST_F(EvasioneTest, DocumentoApertoInUsoDaAltri) {
    preventivo(1);
    rigaMerce(1, 1);
    lancia();
    ASSERT_EQ(conta("Select count(*) from FatTest"), 1);
    db.insert("LockGest", {{"Tipo", "F"}, {"Anno", kAnno}, {"NumReg", 1}, {"Utente", "luigi"}});
    preventivo(2);
    rigaMerce(2, 1);
    lancia();
    EXPECT_EQ(documentiDi(2), QList<int>{2});
    EXPECT_EQ(conta("Select count(*) from FatDett where NumRif = 1"), 1);
}

// Quotes of two years mixed in the break order are all read again and fulfilled in that
// order, whatever year each belongs to.
TEST_F(EvasioneTest, PreventiviDiDueAnniNellOrdineDiRottura) {
    preventivo(1);
    rigaMerce(1, 1);
    preventivo(2, {{"Anno", kAnno - 1}});
    rigaMerce(2, 1, {{"Anno", kAnno - 1}});
    preventivo(3, {{"ContoCli", "00002"}});
    rigaMerce(3, 1);
    lancia();
    EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
    EXPECT_EQ(conta("Select count(*) from PreVenTest where Stato = 'E'"), 3);
    EXPECT_EQ(numeri("Select AnnoRifProv, NumRifProv from FatDett where TipoRiga = 'A'"
                     " order by NumRif, RigDet",
                     "NumRifProv"),
              (QList<int>{1, 2, 3}));
    EXPECT_EQ(numeri("Select AnnoRifProv from FatDett where TipoRiga = 'A' order by NumRif, RigDet",
                     "AnnoRifProv"),
              (QList<int>{kAnno, kAnno - 1, kAnno}));
    quantitaCoerenti();
}

// The number of a new header marked by another user (a mark left behind): the user is asked,
// and leaving rolls the quote back whole, the other user's mark untouched.
TEST_F(EvasioneTest, NumeroDellaNuovaTestataSegnatoDaAltri) {
    preventivo(1);
    rigaMerce(1, 1);
    db.insert("LockGest", {{"Tipo", "F"}, {"Anno", kAnno}, {"NumReg", 1}, {"Utente", "luigi"}});
    ui.answers << 1 << 2;  // "Riprova", then "Esci"
    lancia();
    EXPECT_EQ(ui.messages.count("Doc. in uso da luigi"), 2);
    EXPECT_EQ(ui.buttonLists[ui.messages.indexOf("Doc. in uso da luigi")],
              (QStringList{"Riprova", "Esci"}));
    EXPECT_EQ(conta("Select count(*) from FatTest"), 0);
    EXPECT_EQ(conta("Select count(*) from FatDett"), 0);
    EXPECT_EQ(testo("Select Stato from PreVenTest"), "");
    EXPECT_EQ(conta("Select count(*) from LockGest where Utente = 'luigi'"), 1);
    EXPECT_EQ(conta("Select count(*) from LockGest"), 1);
}

// Automatic run: every open line delivered in full, descriptive lines carried, the quote
// closed, the reference line written above the goods, provenance on every line.
TEST_F(EvasioneTest, AutomaticaEvadeTuttoEChiude) {
    db.db().execute("Update PianoConti Set StRifOrd = 'S'");
    preventivo(1);
    rigaMerce(1, 1, {{"QtaEvasa", 4}, {"StatoRiga", "P"}});
    riga(1, 2, {{"TipoRiga", "D"}, {"Articolo", QVariant()}, {"Qta", 0}, {"NotaSopra", "Nota"}});
    rigaMerce(1, 3, {{"Articolo", "ART2"}});
    lancia();
    EXPECT_EQ(ui.messages.last(), "Elaborazione terminata");
    EXPECT_EQ(testo("Select Stato from PreVenTest"), "E");
    EXPECT_EQ(conta("Select count(*) from PreVenDett where StatoRiga = 'E'"), 3);
    EXPECT_EQ(valore("Select QtaEvasa from PreVenDett" + doveRiga(1, 1)), Currency::fromInt(10));
    auto righe = db.db().openRowSet("Select * from FatDett order by RigDet");
    QStringList tipi, note;
    QList<Currency> qta;
    for (; !righe->eof(); righe->moveNext()) {
        tipi << righe->text("TipoRiga");
        note << righe->text("NotaSopra");
        qta << righe->amount("Qta");
        EXPECT_EQ(righe->text("TipoProv"), "Prev");
        EXPECT_EQ(righe->text("FattDocumentoProv"), "PR");
        EXPECT_EQ(righe->integer("NumRifProv"), 1);
    }
    EXPECT_EQ(tipi, (QStringList{"D", "A", "D", "A"}));
    EXPECT_EQ(note[0], " RIF. N. 1 DEL 01/03/2024");
    EXPECT_EQ(qta[1], Currency::fromInt(6));
    // 6 of 10 delivered now: 60.00 of the line's 100.00.
    EXPECT_EQ(valore("Select ValTotale from FatDett where RigaRifProv = 1"), Currency::fromInt(60));
}

// The new header: the quote's data, the customer's, the company's prefix and settings.
TEST_F(EvasioneTest, ColonneDellaNuovaTestata) {
    parametro("Fat.CauTrasporto", "Vendita");
    db.insert("NoteFisse", {{"NotaFissa", 7}, {"SuEvasione", "S"}});
    db.insert("NoteFisse", {{"NotaFissa", 8}, {"SuEvasione", "N"}});
    preventivo(1, {{"RagSocCli", "Rossi Srl"},
                   {"Pagamento", "BB"},
                   {"IndSped", "D1"},
                   {"NumNota1", 7},
                   {"NumNota2", 8},
                   {"EvasioneNota", "Consegna al piano"},
                   {"Cambio", importo("1")}});
    rigaMerce(1, 1);
    motore.oiPerIvaMese = 6;
    lancia();
    auto t = db.db().openRowSet("Select * from FatTest");
    ASSERT_FALSE(t->eof());
    EXPECT_EQ(t->integer("Anno"), kAnno);
    EXPECT_EQ(t->date("DataRif"), QDate(2024, 6, 30));
    EXPECT_EQ(t->text("FattDocumento"), "FT");
    EXPECT_EQ(t->text("PreDoc"), "A");
    EXPECT_EQ(t->text("RagSocCli"), "Rossi Srl");
    EXPECT_EQ(t->text("GruppoCli") + t->text("MastroCli") + t->text("ContoCli"), "010100001");
    EXPECT_EQ(t->text("Pagamento"), "BB");
    EXPECT_EQ(t->text("IndSped"), "D1");
    EXPECT_EQ(t->text("Bolli"), "S");
    EXPECT_EQ(t->text("CauTrasporto"), "Vendita");
    EXPECT_EQ(t->integer("PeriodoIva"), 6);
    EXPECT_TRUE(t->isNull("AnnoIva"));
    EXPECT_EQ(t->integer("NumNota1"), 7);
    EXPECT_TRUE(t->isNull("NumNota2"));  // not meant for fulfilments
    EXPECT_EQ(t->text("Nota"), "Consegna al piano");
    EXPECT_EQ(t->text("Stato"), "");
    EXPECT_EQ(t->amount("TotMerce"), Currency::fromInt(100));

    // A delivery note takes the delivery-note prefix and waits to be invoiced.
    motore.osTipoDocEva = "DDT";
    preventivo(2);
    rigaMerce(2, 1);
    lancia();
    EXPECT_EQ(testo("Select PreDoc from DdtTest"), "D");
    EXPECT_EQ(testo("Select DaFatturare from DdtTest"), "S");
}

// Manual run: one line in full, one in part; the quote is partly fulfilled, then completed by
// a second run, and the partial values add up to the line's value to the cent.
TEST_F(EvasioneTest, ManualeParzialeEPoiCompleta) {
    preventivo(1);
    rigaMerce(1, 1);
    rigaMerce(1, 2, {{"Qta", 3}, {"ValTotale", importo("100")}});
    motore.obEvasManule = true;
    selezionaManuale(1, {{1, "10"}, {2, "1"}});
    lancia();
    EXPECT_EQ(testo("Select Stato from PreVenTest"), "P");
    EXPECT_EQ(testo("Select StatoRiga from PreVenDett" + doveRiga(1, 1)), "E");
    EXPECT_EQ(testo("Select StatoRiga from PreVenDett" + doveRiga(1, 2)), "P");
    EXPECT_EQ(valore("Select ValTotale from FatDett where RigaRifProv = 2"),
              *Currency::parse(u"33.33"));

    svuotaSelezione();
    selezionaManuale(1, {{2, "1"}});
    lancia();
    svuotaSelezione();
    selezionaManuale(1, {{2, "1"}});
    lancia();
    EXPECT_EQ(testo("Select Stato from PreVenTest"), "E");
    EXPECT_EQ(valore("Select sum(ValTotale) from FatDett where RigaRifProv = 2"),
              Currency::fromInt(100));
    EXPECT_EQ(valore("Select ValTotale from FatDett where RigaRifProv = 2 and RigDet = 3"),
              *Currency::parse(u"33.34"));
    quantitaCoerenti();
}

// Manual closing without delivery: a line marked "a saldo" with nothing to deliver is closed
// and produces no line, a descriptive one is still carried.
TEST_F(EvasioneTest, ManualeASaldoSenzaQuantita) {
    preventivo(1);
    rigaMerce(1, 1);
    rigaMerce(1, 2);
    riga(1, 3, {{"TipoRiga", "D"}, {"Qta", 0}});
    motore.obEvasManule = true;
    selezionaManuale(1, {{1, "5"}, {2, "0"}, {3, "0"}}, {2, 3});
    lancia();
    EXPECT_EQ(conta("Select count(*) from FatDett"), 2);
    EXPECT_EQ(conta("Select count(*) from FatDett where RigaRifProv = 2"), 0);
    EXPECT_EQ(testo("Select StatoRiga from PreVenDett" + doveRiga(1, 2)), "E");
    EXPECT_EQ(valore("Select QtaEvasa from PreVenDett" + doveRiga(1, 2)), Currency());
    EXPECT_EQ(testo("Select Stato from PreVenTest"), "P");
}

// An open quote produces its documents every time and never records a delivery.
TEST_F(EvasioneTest, PreventivoApertoNonCambiaMai) {
    preventivo(1, {{"PrevAperto", "S"}});
    rigaMerce(1, 1, {{"QtaEvasa", 2}, {"StatoRiga", "P"}});
    for (int volta = 1; volta <= 2; ++volta) {
        lancia();
        EXPECT_EQ(conta("Select count(*) from FatDett"), volta);
        EXPECT_EQ(testo("Select Stato from PreVenTest"), "");
        EXPECT_EQ(testo("Select StatoRiga from PreVenDett"), "P");
        EXPECT_EQ(valore("Select QtaEvasa from PreVenDett"), Currency::fromInt(2));
        EXPECT_EQ(conta("Select count(*) from PreVenDett where FlagStato = '4'"), 0);
    }
}

// A quote with nothing left to deliver leaves no empty document, journal row or mark.
TEST_F(EvasioneTest, NienteDaEvadereNessunDocumento) {
    preventivo(1);
    rigaMerce(1, 1, {{"QtaEvasa", 10}, {"StatoRiga", "E"}});
    lancia();
    EXPECT_EQ(conta("Select count(*) from FatTest"), 0);
    EXPECT_EQ(conta("Select count(*) from DocDaElab"), 0);
    EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
}

// Expenses by TipoEvasione: 3 summed into one row, 1 only once, 2 once per quote, others not
// carried; in the manual mode only the expenses marked in the grid.
TEST_F(EvasioneTest, SpesePerTipoEvasione) {
    const auto spesa = [&](const char* codice, int tipo) {
        db.insert("Spese", {{"Spesa", codice}, {"Iva", "22"}, {"TipoEvasione", tipo}});
    };
    spesa("S1", 1);
    spesa("S2", 2);
    spesa("S3", 3);
    spesa("S9", 9);
    for (int n = 1; n <= 2; ++n) {
        preventivo(n);
        rigaMerce(n, 1);
        int r = 0;
        for (const char* codice : {"S1", "S2", "S3", "S9"})
            db.insert("PreVenSpese", {{"Anno", kAnno},
                                      {"NumRif", n},
                                      {"Riga", ++r},
                                      {"Spesa", codice},
                                      {"Iva", "22"},
                                      {"Importo", importo(n == 1 ? "5" : "7")}});
    }
    lancia();
    const auto righe = [&](const char* codice) {
        return conta(QStringLiteral("Select count(*) from FatSpese where Spesa = '") + codice +
                     "'");
    };
    EXPECT_EQ(righe("S1"), 1);
    EXPECT_EQ(righe("S2"), 2);
    EXPECT_EQ(righe("S3"), 1);
    EXPECT_EQ(righe("S9"), 0);
    EXPECT_EQ(valore("Select Importo from FatSpese where Spesa = 'S3'"), Currency::fromInt(12));
    EXPECT_EQ(valore("Select Importo from FatSpese where Spesa = 'S1'"), Currency::fromInt(5));
    EXPECT_EQ(conta("Select count(distinct Riga) from FatSpese"), 4);

    // Manual: only the marked expense goes.
    for (const char* t : {"PreVenTest", "PreVenDett", "FatTest", "FatDett", "FatSpese"})
        db.db().execute(QStringLiteral("Delete from ") + t);
    preventivo(1);
    rigaMerce(1, 1);
    motore.obEvasManule = true;
    selezionaManuale(1, {{1, "10"}});
    db.insert("PreVenEvaSpese",
              {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", 1}, {"Riga", 2}, {"Selez", "S"}});
    db.insert("PreVenEvaSpese",
              {{"Utente", "mario"}, {"Anno", kAnno}, {"NumRif", 1}, {"Riga", 3}, {"Selez", "N"}});
    lancia();
    EXPECT_EQ(conta("Select count(*) from FatSpese"), 1);
    EXPECT_EQ(testo("Select Spesa from FatSpese"), "S2");
}

// The charges of each new invoice: the collection charge per instalment and the stamp duty
// expense, by the customer's flags and the payment terms, also when several invoices of a run
// share the payment terms; the quote's own expense comes after them.
TEST_F(EvasioneTest, SpeseDIncassoEBolliDelleNuoveFatture) {
    db.insert("PianoConti", {{"Gruppo", "01"},
                             {"Mastro", "01"},
                             {"Conto", "00002"},
                             {"SpeseBan", "N"},
                             {"Bolli", "N"}});
    db.insert("Spese", {{"Spesa", "S1"}, {"Iva", "22"}, {"TipoEvasione", 1}});
    struct Caso {
        const char* conto;
        const char* pagamento;
        QStringList spese;  // Spesa:Importo by Riga
    };
    const QList<Caso> casi{{"00001", "RB3", {"INC:6", "S1:5"}},
                           {"00001", "RB3", {"INC:6", "S1:5"}},
                           {"00001", "TR2", {"BOL:4", "S1:5"}},
                           {"00002", "RB3", {"S1:5"}}};
    for (int n = 1; n <= casi.size(); ++n) {
        preventivo(n, {{"RagOrd", "N"},
                       {"ContoCli", casi[n - 1].conto},
                       {"Pagamento", casi[n - 1].pagamento}});
        rigaMerce(n, 1);
        db.insert("PreVenSpese", {{"Anno", kAnno},
                                  {"NumRif", n},
                                  {"Riga", 1},
                                  {"Spesa", "S1"},
                                  {"Iva", "22"},
                                  {"Importo", importo("5")}});
    }
    lancia();
    for (int n = 1; n <= casi.size(); ++n) {
        const int documento = documentiDi(n).value(0);
        auto righe = db.db().openRowSet("Select Riga, Spesa, Importo from FatSpese" +
                                        doveNumRif(documento) + " order by Riga");
        QStringList spese;
        for (int riga = 1; !righe->eof(); righe->moveNext(), ++riga) {
            EXPECT_EQ(righe->integer("Riga"), riga);
            spese << righe->text("Spesa") + ':' +
                         QString::number(righe->amount("Importo").toDouble());
        }
        EXPECT_EQ(spese, casi[n - 1].spese) << "preventivo " << n;
    }
}

// Closing: the footer's totals in the header and in the run's list of documents.
TEST_F(EvasioneTest, TotaliAllaChiusura) {
    preventivo(1);
    rigaMerce(1, 1);
    rigaMerce(1, 2, {{"Iva", "10"}, {"ValTotale", importo("50")}});
    lancia();
    ASSERT_EQ(motore.ocDocumentiChiusi.size(), 1u);
    const DocumentoChiuso& doc = motore.ocDocumentiChiusi.front();
    EXPECT_EQ(doc.righe, 2);
    EXPECT_EQ(doc.totali.totMerce, Currency::fromInt(150));
    EXPECT_EQ(doc.totali.totIva, Currency::fromInt(27));
    EXPECT_EQ(valore("Select TotDocum from FatTest"), Currency::fromInt(177));
    EXPECT_EQ(valore("Select TotImpon from FatTest"), Currency::fromInt(150));
    EXPECT_EQ(motore.oeEsito, EsitoEvasione::Completata);
    EXPECT_EQ(motore.oiPreventiviElaborati, 1);
}

// Levels: one document line for the line, one level row per level still open, and each level
// and the line updated.
TEST_F(EvasioneTest, LivelliDiUnaRiga) {
    parametro("Mag.GesTaglie", "S");
    preventivo(1);
    rigaMerce(1, 1, {{"QtaEvasa", 2}, {"StatoRiga", "P"}});
    livello(1, 1, "S", {{"ValTotale", importo("50")}, {"FlagStato", "N"}});
    livello(
        1, 1, "M",
        {{"QtaEvasa", 2}, {"StatoRiga", "P"}, {"ValTotale", importo("50")}, {"FlagStato", "N"}});
    livello(1, 1, "L", {{"QtaEvasa", 0}, {"Qta", 0}, {"StatoRiga", "E"}, {"FlagStato", "N"}});
    lancia();
    EXPECT_EQ(valore("Select Qta from FatDett"), Currency::fromInt(8));
    EXPECT_EQ(conta("Select count(*) from FatLiv"), 2);
    EXPECT_EQ(valore("Select Qta from FatLiv where Livello1 = 'M'"), Currency::fromInt(3));
    EXPECT_EQ(valore("Select ValTotale from FatLiv where Livello1 = 'M'"), Currency::fromInt(30));
    EXPECT_EQ(valore("Select QtaEvasa from PreVenLiv where Livello1 = 'M'"), Currency::fromInt(5));
    EXPECT_EQ(conta("Select count(*) from PreVenLiv where StatoRiga = 'E'"), 3);
    // The run's mark: on the document levels it came from, cleared on every quote row read
    // (the closed level too).
    EXPECT_EQ(conta("Select count(*) from FatLiv where FlagStato = '4'"), 2);
    EXPECT_EQ(conta("Select count(*) from PreVenLiv where FlagStato = '0'"), 3);
    EXPECT_EQ(conta("Select count(*) from PreVenDett where FlagStato = '0'"), 1);
    EXPECT_EQ(conta("Select count(*) from PreVenLiv where FlagStato = '4'"), 0);
    EXPECT_EQ(valore("Select QtaEvasa from PreVenDett"), Currency::fromInt(10));
    EXPECT_EQ(testo("Select StatoRiga from PreVenDett"), "E");
}

// The electrical-waste contribution line points to the document line it belongs to.
TEST_F(EvasioneTest, ContributoRaeeSegueLaSuaRiga) {
    preventivo(1);
    rigaMerce(1, 1, {{"Articolo", "TV"}, {"RigLivRAEE", 2}});
    rigaMerce(1, 2, {{"Articolo", "RAEE"}, {"ValTotale", importo("3")}});
    db.insert("FatTest", {{"Anno", kAnno}, {"NumRif", 1}, {"Stato", "E"}});
    db.insert("FatDett", {{"Anno", kAnno}, {"NumRif", 1}, {"RigLiv", 1}});
    lancia();
    const int principale = conta("Select RigLiv from FatDett where NumRif = 2 and Articolo = 'TV'");
    EXPECT_EQ(conta("Select RigLivRAEE from FatDett where NumRif = 2 and Articolo = 'RAEE'"),
              principale);
}

// A customer with a declaration of intent in force: the document names it and carries its
// note; a quote that names none joins that document too.
TEST_F(EvasioneTest, DichiarazioneDIntento) {
    db.db().execute("Update PianoConti Set DicIntenti = 'S'");
    db.insert("PdcDicIntenti", {{"Gruppo", "01"},
                                {"Mastro", "01"},
                                {"Conto", "00001"},
                                {"PdcDicIntenti", 3},
                                {"Attivo", "S"},
                                {"NrDichIntenti", 12},
                                {"DataDichIntenti", QDate(2024, 1, 10)},
                                {"DataDAIntenti", QDate(2024, 1, 1)},
                                {"DataAIntenti", QDate(2024, 12, 31)}});
    preventivo(1, {{"Nota", "Fragile"}});
    rigaMerce(1, 1);
    preventivo(2, {{"PdcDicIntenti", 3}});
    rigaMerce(2, 1);
    lancia();
    EXPECT_EQ(conta("Select count(*) from FatTest"), 1);
    EXPECT_EQ(conta("Select PdcDicIntenti from FatTest"), 3);
    const QString nota = testo("Select Nota from FatTest");
    EXPECT_TRUE(nota.startsWith("Fragile\nOper. non imponib.")) << nota.toStdString();
    EXPECT_TRUE(nota.contains("Vostra dich. nr.")) << nota.toStdString();
}

// A run stopped by a failure in its second quote: the first quote's document stays in the
// journal with the saved criteria; the next run is refused without losing them; the recovery
// closes the document, gives back the marks and the criteria, and a second run fulfils the
// rest exactly once.
TEST_F(EvasioneTest, RipristinoDopoUnaElaborazioneInterrotta) {
    preventivo(1);
    rigaMerce(1, 1);
    preventivo(2, {{"GruppoCli", "02"}});
    rigaMerce(2, 1, {{"Articolo", "GUASTO"}});
    db.db().execute("Update Articoli Set ArtMag = 'S'");
    db.insert("Articoli", {{"Articolo", "GUASTO"}, {"ArtMag", "S"}});
    bool guasto = true;
    motore.ogAggiornaImpegno = [&](scEvaPrev&, const scEvaPrev::RigaImpegno& riga) {
        if (guasto && riga.articolo == "GUASTO")
            throw DbError(3146, "server non raggiungibile");
    };
    lancia();
    EXPECT_EQ(motore.oeEsito, EsitoEvasione::Interrotta);
    EXPECT_EQ(conta("Select count(*) from DocDaElab"), 1);
    EXPECT_EQ(conta("Select count(*) from FatTest"), 1);
    EXPECT_EQ(testo("Select Stato from PreVenTest where NumRif = 2"), "");
    const int criteri = conta("Select count(*) from AppoggioTemp");
    EXPECT_GT(criteri, 0);

    lancia();  // refused, the saved criteria untouched
    EXPECT_EQ(ui.messages.last(),
              "(DocDaElab) Risultano delle elaborazioni interrotte. Lanciare il programma di "
              "ripristino.");
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), criteri);

    // The unclosed document's mark is still there, as after a killed process.
    EXPECT_EQ(conta("Select count(*) from LockGest where Tipo = 'F'"), 1);
    scEvaPrev ripristino{db.db(), parametri, moneta, ui};
    const auto esito = ripristino.RipristinaElaborazioni();
    EXPECT_EQ(esito.righeGiornale, 1);
    ASSERT_EQ(esito.chiusi.size(), 1u);
    EXPECT_EQ(esito.chiusi[0].totali.totMerce, Currency::fromInt(100));
    EXPECT_TRUE(esito.rimosse.isEmpty());
    EXPECT_TRUE(esito.nonChiusi.isEmpty());
    EXPECT_TRUE(esito.criteriCancellati);
    EXPECT_EQ(valore("Select TotDocum from FatTest"), Currency::fromInt(122));
    EXPECT_EQ(conta("Select count(*) from DocDaElab"), 0);
    EXPECT_EQ(conta("Select count(*) from LockGest"), 0);
    EXPECT_EQ(conta("Select count(*) from AppoggioTemp"), 0);

    const auto ancora = ripristino.RipristinaElaborazioni();  // nothing left to do
    EXPECT_EQ(ancora.righeGiornale, 0);
    EXPECT_EQ(ancora.segniRilasciati, 0);
    EXPECT_FALSE(ancora.criteriCancellati);

    guasto = false;
    lancia();
    EXPECT_EQ(motore.oeEsito, EsitoEvasione::Completata);
    EXPECT_EQ(conta("Select count(*) from PreVenTest where Stato = 'E'"), 2);
    EXPECT_EQ(conta("Select count(*) from FatDett"), 2);
    quantitaCoerenti();
}

// A journal row whose document is missing is reported and removed, nothing else touched.
TEST_F(EvasioneTest, RipristinoConDocumentoMancante) {
    db.insert("DocDaElab",
              {{"Utente", "mario"}, {"Programma", "EvaPreEvPr"}, {"Anno", kAnno}, {"NumReg", 9}});
    db.insert("DocDaElab",
              {{"Utente", "luigi"}, {"Programma", "EvaPreEvPr"}, {"Anno", kAnno}, {"NumReg", 9}});
    db.insert("FatTest", {{"Anno", kAnno}, {"NumRif", 8}});
    const auto esito = motore.RipristinaElaborazioni();
    EXPECT_EQ(esito.rimosse, QStringList{"anno 2024 n.9"});
    EXPECT_TRUE(esito.chiusi.empty());
    EXPECT_EQ(conta("Select count(*) from DocDaElab"), 1);  // luigi's stays
    EXPECT_EQ(conta("Select count(*) from FatTest"), 1);
    EXPECT_TRUE(valore("Select TotDocum from FatTest") == Currency());
}

}  // namespace
}  // namespace evapre::test
