// The selection form's checks: document types into the form state, field marks, the checks
// on "&Ok" in their order, and the hand-over into the engine.
#include <QSet>
#include <functional>

#include "ControlliEvasione.h"
#include "DateConv.h"
#include "EngineFixture.h"

namespace evapre::test {
namespace {

namespace C = CampoSelezione;

class ControlliEvasioneTest : public EngineTest {
  protected:
    void SetUp() override {
        for (const auto& [chiave, valore] :
             QList<QPair<QString, QString>>{{"Mag.AnnoCorr", "2024"},
                                            {"Mag.DataInizio", "01/01/2024"},
                                            {"Mag.DataFine", "31/12/2024"},
                                            {"Ditta.RegIvaVen", "A"},
                                            {"Ditta.EleRegIvaVen", "A,B,M"},
                                            {"Fat.PrefDdt", "D"},
                                            {"Fat.ElePrefDdt", "D,E"},
                                            {"Ditta.InstMaga", "S"}})
            parametro(chiave, valore);
        parametri.load();
        const auto tipo = [&](const char* codice, const char* t, const Colonne& extra = {}) {
            db.insert("FattDocumenti",
                      unisci({{"FattDocumento", codice}, {"Tipo", t}, {"Segno", "+"}}, extra));
        };
        tipo("PR", "P", {{"FattDocEvasione", "FT"}, {"MagCausaleRientro", "RIE"}});
        tipo("PM", "P", {{"RegimeMargine", "S"}});
        tipo("FT", "F", {{"Causale", "FV"}, {"Interno", "N"}});
        tipo("FSP", "F", {{"Causale", "SP"}, {"PrefRegIva", "B"}});
        tipo("FM", "F", {{"RegimeMargine", "S"}});
        tipo("NC", "F", {{"Segno", "-"}});
        tipo("DDT", "B", {{"PrefBolle", "E"}});
        tipo("OC", "O");
        db.insert("Causali", {{"Causale", "FV"}, {"SplitPay", "N"}});
        db.insert("Causali", {{"Causale", "SP"}, {"SplitPay", "S"}});
        for (const auto& [pref, margine] : QList<QPair<QString, QString>>{{"A", "N"}, {"M", "S"}})
            db.insert(
                "LibriIva",
                {{"Anno", kAnno}, {"TipoReg", "V"}, {"Pref", pref}, {"RegimeMargine", margine}});
    }

    // Entries that pass every check: quotes of type PR into invoices FT on 30/06/2024.
    VociSelezione valide() {
        VociSelezione v;
        v.txt[C::DataEvasione] = "30/06/2024";
        v.txt[C::TipoPreventivo] = "PR";
        v.txt[C::TipoEvasione] = "FT";
        v.txt[C::Prefisso] = "A";
        controlli.ApplicaTipoPreventivo(v);
        controlli.ApplicaTipoEvasione(v);
        return v;
    }

    ControlliEvasione controlli{db.db(), parametri, ui};
};

TEST_F(ControlliEvasioneTest, TipiDocumentoNelloStatoDellaMaschera) {
    VociSelezione v = valide();
    EXPECT_EQ(v.causaleRientro, "RIE");
    EXPECT_EQ(v.margineTipoPreventivo, "N");  // not set on the type: no margin scheme
    EXPECT_TRUE(v.fattura);
    EXPECT_EQ(v.splitPay, 1);
    EXPECT_EQ(controlli.LeggiTipoPreventivo("PR").fattDocEvasione, "FT");

    struct Caso {
        const char* tipo;
        bool fattura;
        int splitPay;
        QString proposta;
        bool prefissoVisibile, acquisti;
    };
    for (const Caso& c :
         {Caso{"FT", true, 1, "A", true, false}, Caso{"FSP", true, 2, "B", true, false},
          Caso{"DDT", false, 0, "E", true, false}, Caso{"OC", false, 0, "", false, true},
          Caso{"NC", false, 0, "", false, true},  // a credit note is not offered
          Caso{"", false, 0, "", false, true}}) {
        SCOPED_TRACE(c.tipo);
        v.txt[C::TipoEvasione] = c.tipo;
        const TipoEvasioneLetto letto = controlli.ApplicaTipoEvasione(v);
        EXPECT_EQ(v.fattura, c.fattura);
        EXPECT_EQ(v.splitPay, c.splitPay);
        EXPECT_EQ(v.margineTipoEvasione, "N");
        const PresentazionePrefisso p = controlli.Prefisso(letto, false);
        EXPECT_EQ(p.proposta, c.proposta);
        EXPECT_EQ(p.visibile, c.prefissoVisibile);
        EXPECT_EQ(p.acquisti, c.acquisti);
    }
    const PresentazionePrefisso ddt = controlli.Prefisso(controlli.LeggiTipoEvasione("DDT"), true);
    EXPECT_EQ(ddt.didascalia, "Prefisso DDT: ");
    EXPECT_EQ(ddt.elenco, "(Elenco prefissi da Parametri Fatturazione: D,E )");
    EXPECT_EQ(ddt.proposta, "D");  // a blank field 30 keeps the company's prefix
}

TEST_F(ControlliEvasioneTest, CampiSegnati) {
    for (const auto& [testo, errata] : QList<QPair<QString, bool>>{{"", false},
                                                                   {"5/1/24", false},
                                                                   {"32/01/2024", true},
                                                                   {"29/02/2023", true},
                                                                   {"ieri", true},
                                                                   {"31/12/1899", true}})
        EXPECT_EQ(controlli.DataErrata(testo), errata) << testo.toStdString();

    struct CasoNumero {
        int campo;
        const char* testo;
        bool errato;
    };
    for (const CasoNumero& c : {CasoNumero{C::NumRifDa, "", false},
                                {C::NumRifDa, "12", false},
                                {C::NumRifDa, "abc", true},
                                {C::NumRifDa, "-1", true},
                                {C::NumDocA, "1,5", true},
                                {C::NumDocA, "99999999999", true},
                                {C::MeseIva, "12", false},
                                {C::MeseIva, "13", true},
                                {C::MeseIva, "0", true},
                                {C::AnnoIva, "2024", false}})
        EXPECT_EQ(ControlliEvasione::NumeroErrato(c.campo, c.testo), c.errato) << c.testo;

    for (const auto& [prefisso, valido] : QList<QPair<QString, bool>>{
             {"", true}, {" A ", true}, {"B", true}, {"AB", false}, {"C", false}, {",", false}})
        EXPECT_EQ(ControlliEvasione::PrefissoValido(prefisso, "A,B"), valido)
            << prefisso.toStdString();

    // A delivery-note prefix is one of the delivery-note prefixes.
    VociSelezione v = valide();
    v.txt[C::TipoEvasione] = "DDT";
    controlli.ApplicaTipoEvasione(v);
    v.txt[C::Prefisso] = " D";
    controlli.LasciaPrefisso(v);
    EXPECT_EQ(v.testo(C::Prefisso), "D");
    EXPECT_FALSE(v.errato(C::Prefisso));
    v.txt[C::Prefisso] = "A";
    controlli.LasciaPrefisso(v);
    EXPECT_TRUE(v.errato(C::Prefisso));

    v = valide();
    v.txt[C::DataRifDa] = "31/02/2024";
    v.txt[C::NumRifA] = "x";
    v.txt[C::Prefisso] = "AB";
    controlli.SegnaCampiErrati(v);
    EXPECT_EQ(QSet<int>(v.campiErrati.begin(), v.campiErrati.end()),
              (QSet<int>{C::DataRifDa, C::NumRifA, C::Prefisso}));
    EXPECT_TRUE(ui.messages.isEmpty());
}

// The invoice's VAT register and the type to produce must agree on the margin scheme.
TEST_F(ControlliEvasioneTest, RegimeDelMargineDelRegistro) {
    struct Caso {
        const char* tipo;
        const char* prefisso;
        QString messaggio;  // empty: no message, field not marked
    };
    for (const Caso& c :
         {Caso{"FM", "A", "Prefisso Fattura senza flag regime del margine"},
          Caso{"FT", "M", "Prefisso Fattura con flag regime del margine"}, Caso{"FM", "M", ""},
          Caso{"FT", "A", ""}, Caso{"FM", "B", "Prefisso Fattura senza flag regime del margine"}}) {
        SCOPED_TRACE(std::string(c.tipo) + " " + c.prefisso);
        ui.messages.clear();
        VociSelezione v = valide();
        v.txt[C::TipoEvasione] = c.tipo;
        v.txt[C::Prefisso] = c.prefisso;
        controlli.ApplicaTipoEvasione(v);
        controlli.LasciaPrefisso(v);
        EXPECT_EQ(v.errato(C::Prefisso), !c.messaggio.isEmpty());
        EXPECT_EQ(ui.messages, c.messaggio.isEmpty() ? QStringList() : QStringList{c.messaggio});
    }
}

// Each check breaks one entry of valid entries; the checks run in this order.
TEST_F(ControlliEvasioneTest, ControlliInOrdineConIlLoroMessaggio) {
    using Prepara = std::function<void(VociSelezione&)>;
    const auto campo = [](int indice, const char* testo) -> Prepara {
        return [=](VociSelezione& v) { v.txt[indice] = testo; };
    };
    struct Caso {
        const char* nome;
        Prepara prepara;
        QString messaggio;
        int focus = 0;
    };
    const QString dataSuccessiva =
        "Non si possono evadere Preventivi con data documento successiva alla data evasione";
    const QList<Caso> casi{
        {"margine diverso", [](VociSelezione& v) { v.margineTipoPreventivo = "S"; },
         "Tipi documento con diversa gestione del regime del margine"},
        {"data mancante", campo(C::DataEvasione, " "), "La data evasione è obbligatoria"},
        {"dopo l'esercizio", campo(C::DataEvasione, "01/01/2026"),
         "Data evasione successiva all'esercizio"},
        {"più di un anno prima", campo(C::DataEvasione, "31/12/2022"),
         "Data evasione precedente all'esercizio"},
        {"data non controllabile", campo(C::DataEvasione, "32/13/2024"),
         "Data evasione di un esercizio errato (O errore nel controllo data esercizio)"},
        {"nessun tipo preventivo", campo(C::TipoPreventivo, ""),
         "Vanno specificati i due tipi di documento"},
        {"corrispettivo con tipo", [](VociSelezione& v) { v.corrispettivo = true; },
         "Per evadere con corrispettivo è necessario sbiancare il Doc. di evasione"},
        {"tipo evasione vuoto", campo(C::TipoEvasione, ""),
         "E' possibile avere il Doc. di evasione sbiancato solo con l'evasione con "
         "corrispettivo"},
        {"dopo la data di lavoro", campo(C::DataEvasione, "01/07/2024"),
         "La data evasione non può essere sucessiva a 30/06/2024"},
        {"clienti",
         [](VociSelezione& v) {
             v.txt[C::ClienteDa] = "01-01-00009";
             v.txt[C::ClienteA] = "01-01-00001";
         },
         "Si prega di inserire i codici cliente in ordine crescente"},
        {"data preventivo dopo", campo(C::DataRifDa, "01/07/2024"), dataSuccessiva},
        {"articoli",
         [](VociSelezione& v) {
             v.txt[C::ArticoloDa] = "B";
             v.txt[C::ArticoloA] = "A";
         },
         "Si prega di inserire i codici articolo in ordine crescente"},
        {"consegna",
         [](VociSelezione& v) {
             v.txt[C::DataConsDa] = "02/01/2025";
             v.txt[C::DataConsA] = "01/01/2025";
         },
         "Si prega di inserire le date di consegna in ordine crescente"},
        {"date preventivo",
         [](VociSelezione& v) {
             v.txt[C::DataRifDa] = "10/06/2024";
             v.txt[C::DataRifA] = "1/6/24";
         },
         "Si prega di inserire le date di inserimento in ordine crescente"},
        {"numeri preventivo",
         [](VociSelezione& v) {
             v.txt[C::NumRifDa] = "10";
             v.txt[C::NumRifA] = "9";
         },
         "Si prega di inserire i numeri di inserimento in ordine crescente"},
        {"data documento dopo", campo(C::DataDocA, "01/07/2024"), dataSuccessiva},
        {"date documento",
         [](VociSelezione& v) {
             v.txt[C::DataDocDa] = "10/06/2024";
             v.txt[C::DataDocA] = "01/06/2024";
         },
         "Si prega di inserire le date di Preventivi in ordine crescente"},
        {"numeri documento",
         [](VociSelezione& v) {
             v.txt[C::NumDocDa] = "10";
             v.txt[C::NumDocA] = "9";
         },
         "Si prega di inserire i numeri documento in ordine crescente"},
        {"prefisso di due caratteri", campo(C::Prefisso, "AB"), "Data Errata o Campo Errato",
         C::Prefisso},
        {"prima data errata nell'ordine dei campi",
         [](VociSelezione& v) {
             v.txt[C::NumDocA] = "x";
             v.txt[C::DataConsDa] = "0/0/0";
         },
         "Data Errata o Campo Errato", C::DataConsDa},
        {"il primo controllo fallito vince",
         [](VociSelezione& v) {
             v.txt[C::ArticoloDa] = "B";
             v.txt[C::ArticoloA] = "A";
             v.txt[C::ClienteDa] = "2";
             v.txt[C::ClienteA] = "1";
         },
         "Si prega di inserire i codici cliente in ordine crescente"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.nome);
        ui.messages.clear();
        VociSelezione v = valide();
        caso.prepara(v);
        controlli.SegnaCampiErrati(v);
        const EsitoControlli esito = controlli.Controlla(v, motore);
        EXPECT_FALSE(esito.ok);
        EXPECT_EQ(esito.messaggio, caso.messaggio);
        EXPECT_EQ(esito.campo, caso.focus);
        EXPECT_EQ(ui.messages, QStringList{caso.messaggio});
    }
}

TEST_F(ControlliEvasioneTest, VociValideEDateAiBordi) {
    struct Caso {
        const char* data;
        int anno;
    };
    // Up to one year before the warehouse year still passes, in the year before.
    for (const Caso& c : {Caso{"30/06/2024", 2024}, Caso{"01/01/2023", 2023}}) {
        SCOPED_TRACE(c.data);
        VociSelezione v = valide();
        v.txt[C::DataEvasione] = c.data;
        v.txt[C::Prefisso] = "B";
        controlli.SegnaCampiErrati(v);
        const EsitoControlli esito = controlli.Controlla(v, motore);
        EXPECT_TRUE(esito.ok) << esito.messaggio.toStdString();
        EXPECT_EQ(motore.oiAnno, c.anno);
        EXPECT_EQ(motore.otDataEvasione, ConvertiData(QString(c.data)));
    }
    VociSelezione v = valide();
    v.margineTipoPreventivo = "n";  // letter case does not count
    EXPECT_TRUE(controlli.Controlla(v, motore).ok);
    EXPECT_TRUE(ui.messages.isEmpty());
}

// Receipts without a return causal on a warehouse company need an explicit yes.
TEST_F(ControlliEvasioneTest, CorrispettivoSenzaScaricoChiedeConferma) {
    const QString domanda =
        "Attenzione questa evasione non farà lo scarico degli articoli di magazzino.\nVuoi "
        "Continuare?";
    for (const auto& [risposta, passa] : QList<QPair<int, bool>>{{2, false}, {1, true}}) {
        VociSelezione v = valide();
        v.txt[C::TipoEvasione] = "";
        v.corrispettivo = true;
        v.causaleRientro = "";
        ui.messages.clear();
        ui.answers << risposta;
        EXPECT_EQ(controlli.Controlla(v, motore).ok, passa);
        EXPECT_EQ(ui.messages, QStringList{domanda});
        EXPECT_EQ(ui.buttonLists.last(), (QStringList{"&Si", "&No"}));
    }
    // Not asked without an answer given: the question defaults to "&No".
    VociSelezione v = valide();
    v.txt[C::TipoEvasione] = "";
    v.corrispettivo = true;
    v.causaleRientro = "";
    EXPECT_FALSE(controlli.Controlla(v, motore).ok);
    // With a return causal the stock is unloaded: no question.
    v.causaleRientro = "RIE";
    ui.messages.clear();
    EXPECT_TRUE(controlli.Controlla(v, motore).ok);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(ControlliEvasioneTest, ConsegnaAlMotore) {
    VociSelezione v = valide();
    v.txt[C::TipoEvasione] = "FSP";
    controlli.ApplicaTipoEvasione(v);
    v.txt[C::Prefisso] = "B";
    v.txt[C::Moneta] = "USD";
    v.txt[C::ClienteDa] = "01-01-00001";
    v.txt[C::ClienteA] = "01-01-00005";
    v.txt[C::ArticoloDa] = "A'1";
    v.txt[C::DataConsA] = "31/12/2024";
    v.txt[C::DataRifDa] = "01/01/2024";
    v.txt[C::NumRifDa] = "3";
    v.txt[C::NumDocA] = "1000";
    v.txt[C::MeseIva] = "6";
    v.txt[C::InDescrizione] = "50% ";
    v.manuale = false;
    v.creaAcq = 2;
    v.suDispon = true;
    ASSERT_TRUE(controlli.Controlla(v, motore).ok);
    EXPECT_EQ(v.testo(C::DataRifA), "30/06/2024");  // filled from the fulfilment date
    ControlliEvasione::Consegna(v, motore);
    EXPECT_FALSE(motore.obEvasManule);
    EXPECT_EQ(motore.osFattDocPre, "PR");
    EXPECT_EQ(motore.osTipoDocEva, "FSP");
    EXPECT_FALSE(motore.obEvACorrisp);
    EXPECT_EQ(motore.osCliDa, "01-01-00001");
    EXPECT_EQ(motore.osCliA, "01-01-00005");
    EXPECT_EQ(motore.osArticoloDa, "A'1");
    EXPECT_EQ(motore.osArticoloA, "");
    EXPECT_FALSE(motore.ovDataConsDa.has_value());
    EXPECT_EQ(motore.ovDataConsA, QDate(2024, 12, 31));
    EXPECT_EQ(motore.ovDataRifDa, QDate(2024, 1, 1));
    EXPECT_EQ(motore.ovDataRifA, QDate(2024, 6, 30));
    EXPECT_EQ(motore.olNumRifDa, 3);
    EXPECT_EQ(motore.olNumRifA, 0);
    EXPECT_EQ(motore.olNumDocA, 1000);
    EXPECT_EQ(motore.oiPerIvaMese, 6);
    EXPECT_EQ(motore.osInDesc, "50% ");
    EXPECT_TRUE(motore.obSuDispon);
    EXPECT_EQ(motore.osPrefDoc, "B");
    EXPECT_EQ(motore.osMoneta, "USD");
    EXPECT_EQ(motore.osRegimeMargine, "N");
    EXPECT_EQ(motore.oiCreAcq, 2);
    EXPECT_EQ(motore.oiSplitPay, 2);
}

}  // namespace
}  // namespace evapre::test
