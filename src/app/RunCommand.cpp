// evapre run: the headless fulfilment. The options are the selection form's fields; they go
// through the form's checks and the exchange-rate step before the engine starts.

#include "RunCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>

#include "CambiEvasione.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ConsoleUiServices.h"
#include "ContestoComando.h"
#include "ControlliEvasione.h"
#include "DateConv.h"
#include "DbConnection.h"
#include "DbError.h"
#include "NumberConv.h"
#include "ParametriDitta.h"
#include "TextUtil.h"
#include "scEvaPrev.h"

namespace evapre {

namespace C = CampoSelezione;

namespace {

const char* const kVediUso = "Opzioni: evapre run --help\n";

// Options that carry a value, with the form field they fill (0: none).
struct OpzioneCampo {
    const char* nome;
    int campo;
};
const OpzioneCampo kOpzioniCampo[] = {
    {"date", C::DataEvasione},
    {"quote-type", C::TipoPreventivo},
    {"doc-type", C::TipoEvasione},
    {"currency", C::Moneta},
    {"customer-from", C::ClienteDa},
    {"customer-to", C::ClienteA},
    {"article-from", C::ArticoloDa},
    {"article-to", C::ArticoloA},
    {"delivery-from", C::DataConsDa},
    {"delivery-to", C::DataConsA},
    {"quote-date-from", C::DataRifDa},
    {"quote-date-to", C::DataRifA},
    {"quote-number-from", C::NumRifDa},
    {"quote-number-to", C::NumRifA},
    {"doc-date-from", C::DataDocDa},
    {"doc-date-to", C::DataDocA},
    {"doc-number-from", C::NumDocDa},
    {"doc-number-to", C::NumDocA},
    {"description", C::InDescrizione},
    {"prefix", C::Prefisso},
    {"vat-month", C::MeseIva},
    {"vat-year", C::AnnoIva},
    {"db", 0},
    {"user", 0},
    {"working-date", 0},
    {"purchases", 0},
    {"rate", 0},
};
const QStringList kFlag{QStringLiteral("receipts"), QStringLiteral("count-commitments"),
                        QStringLiteral("staged"),   QStringLiteral("close-only"),
                        QStringLiteral("json"),     QStringLiteral("help")};
const QStringList kAcquisti{QStringLiteral("none"), QStringLiteral("all"),
                            QStringLiteral("under-min"), QStringLiteral("exhausted")};

QString opzioneDi(int campo) {
    for (const auto& o : kOpzioniCampo)
        if (o.campo == campo)
            return QStringLiteral("--") + QLatin1String(o.nome);
    return {};
}

// What the command line asks for, checked for form before anything is opened.
struct RichiestaRun {
    QString db, utente;
    QDate dataLavoro;
    VociSelezione voci;
    bool prefissoDato = false;
    bool acquistiChiesti = false;  // --purchases other than none, or --count-commitments
    bool soloASaldo = false;
    bool json = false;
    QList<QPair<QString, Currency>> cambi;  // --rate, in the order given
};

// Each option's text into its form field; an option other than --rate given twice is
// ambiguous.
QString campiDalleOpzioni(const CommandLine& riga, VociSelezione& voci) {
    for (const auto& o : kOpzioniCampo) {
        const QString nome = QLatin1String(o.nome);
        if (nome != QLatin1String("rate") && riga.values(nome).size() > 1)
            return QStringLiteral("Opzione ripetuta: --") + nome;
        if (o.campo != 0 && riga.has(nome))
            voci.txt[o.campo] = riga.value(nome);
    }
    return {};
}

// A date or number field whose text is not one.
QString valoreMalformato(const VociSelezione& voci) {
    for (int campo : C::CampiData())
        if (ConvertiDataEx(voci.testo(campo)).error)
            return QStringLiteral("Data non valida per ") + opzioneDi(campo) +
                   QStringLiteral(": ") + voci.testo(campo) + QStringLiteral(" (gg/mm/aaaa)");
    for (int campo : C::CampiNumero())
        if (ControlliEvasione::NumeroErrato(campo, voci.testo(campo)))
            return QStringLiteral("Numero non valido per ") + opzioneDi(campo) +
                   QStringLiteral(": ") + voci.testo(campo) +
                   (campo == C::MeseIva ? QStringLiteral(" (un mese da 1 a 12)")
                                        : QStringLiteral(" (un numero intero non negativo)"));
    return {};
}

// The menu's working date: --working-date, else the fulfilment date.
QString leggiDataLavoro(const CommandLine& riga, RichiestaRun& r) {
    const QString testo = riga.value(QStringLiteral("working-date"), r.voci.testo(C::DataEvasione));
    const DataConvertita data = ConvertiDataEx(testo);
    if (riga.has(QStringLiteral("working-date")) && !data.date)
        return QStringLiteral("Data non valida per --working-date: ") + testo +
               QStringLiteral(" (gg/mm/aaaa)");
    r.dataLavoro = data.date.value_or(QDate());
    return {};
}

QString leggiAcquisti(const CommandLine& riga, RichiestaRun& r) {
    const QString acquisti = riga.value(QStringLiteral("purchases"), QStringLiteral("none"));
    r.voci.creaAcq = static_cast<int>(kAcquisti.indexOf(acquisti.trimmed().toLower()));
    if (r.voci.creaAcq < 0)
        return QStringLiteral("Valore non valido per --purchases: ") + acquisti +
               QStringLiteral(" (none, all, under-min, exhausted)");
    r.voci.suDispon = riga.has(QStringLiteral("count-commitments"));
    r.acquistiChiesti = r.voci.creaAcq != 0 || r.voci.suDispon;
    return {};
}

// --rate CUR=RATE, once per currency; a zero rate is kept and refused when it is needed.
QString leggiCambi(const CommandLine& riga, RichiestaRun& r) {
    QSet<QString> monete;
    for (const QString& testo : riga.values(QStringLiteral("rate"))) {
        const int uguale = static_cast<int>(testo.indexOf(QLatin1Char('=')));
        const QString moneta = TrimSpaces(testo.left(uguale));
        const NumeroConvertito cambio = ConvertiNumeroEx(testo.mid(uguale + 1));
        if (uguale <= 0 || moneta.isEmpty() || cambio.error || cambio.blank ||
            cambio.value < Currency())
            return QStringLiteral("Cambio non valido per --rate: ") + testo +
                   QStringLiteral(" (MONETA=CAMBIO, per esempio USD=1,0825)");
        if (monete.contains(moneta.toUpper()))
            return QStringLiteral("Cambio ripetuto per la moneta ") + moneta;
        monete.insert(moneta.toUpper());
        r.cambi.append({moneta, cambio.value});
    }
    return {};
}

// The request as the command line states it; an error for values malformed in themselves.
QString leggiRichiesta(const CommandLine& riga, RichiestaRun& r) {
    if (QString errore = campiDalleOpzioni(riga, r.voci); !errore.isEmpty())
        return errore;
    r.db = riga.value(QStringLiteral("db"));
    r.utente = TrimSpaces(riga.value(QStringLiteral("user")));
    if (IsBlank(r.db) || r.utente.isEmpty())
        return QStringLiteral("Indicare il database (--db) e l'utente (--user)");
    QString errore = valoreMalformato(r.voci);
    if (errore.isEmpty())
        errore = leggiDataLavoro(riga, r);
    if (errore.isEmpty())
        errore = leggiAcquisti(riga, r);
    if (errore.isEmpty())
        errore = leggiCambi(riga, r);
    if (!errore.isEmpty())
        return errore;
    r.voci.corrispettivo = riga.has(QStringLiteral("receipts"));
    r.voci.manuale = riga.has(QStringLiteral("staged"));
    r.prefissoDato = riga.has(QStringLiteral("prefix"));
    r.soloASaldo = riga.has(QStringLiteral("close-only"));
    r.json = riga.has(QStringLiteral("json"));
    return {};
}

// The run's user, keeping every message shown for the report.
class UtenteRegistrato : public UiServices {
  public:
    explicit UtenteRegistrato(UiServices& ui) : mUi(ui) {}

    int message(const QString& text, const QStringList& buttons, int defaultButton, MsgIcon icon,
                const QString& title) override {
        messaggi << text;
        return mUi.message(text, buttons, defaultButton, icon, title);
    }
    void progressStart(const QString& caption, int total) override {
        mUi.progressStart(caption, total);
    }
    void progressStep(int done, const QString& counters) override {
        mUi.progressStep(done, counters);
    }
    void progressEnd() override { mUi.progressEnd(); }
    void setBusy(bool busy) override { mUi.setBusy(busy); }
    void yield() override { mUi.yield(); }
    QString input(const QString& prompt, const QString& title, const QString& defaultValue,
                  bool* accepted) override {
        return mUi.input(prompt, title, defaultValue, accepted);
    }

    QStringList messaggi;

  private:
    UiServices& mUi;
};

// ---- Report ----------------------------------------------------------------------------

QString cliente(const DocumentoChiuso& d) {
    return d.gruppoCli + QLatin1Char('-') + d.mastroCli + QLatin1Char('-') + d.contoCli;
}

QString rigaDocumento(const DocumentoChiuso& d) {
    const TotaliDocumento& t = d.totali;
    QString s = TrimSpaces(d.fattDocumento) + QLatin1Char(' ');
    if (!IsBlank(d.preDoc))
        s += TrimSpaces(d.preDoc) + QLatin1Char('/');
    s += QString::number(d.numRif) + QLatin1Char('/') + QString::number(d.anno) +
         QStringLiteral(" del ") + FormatData(d.dataRif) + QStringLiteral("  cliente ") +
         cliente(d) + QLatin1Char(' ') + TrimSpaces(d.ragSocCli) + QStringLiteral("  righe ") +
         QString::number(d.righe) + QStringLiteral("  merce ") + t.totMerce.format(2) +
         QStringLiteral("  spese ") + t.totSpese.format(2) + QStringLiteral("  imponibile ") +
         t.totImpon.format(2) + QStringLiteral("  IVA ") + t.totIva.format(2) +
         QStringLiteral("  totale ") + t.totDocum.format(2);
    if (!t.imponRitAcc.isZero())
        s += QStringLiteral("  imponibile ritenuta ") + t.imponRitAcc.format(2);
    return s;
}

QJsonObject jsonDocumento(const DocumentoChiuso& d) {
    const TotaliDocumento& t = d.totali;
    return {{QStringLiteral("year"), d.anno},
            {QStringLiteral("number"), static_cast<qint64>(d.numRif)},
            {QStringLiteral("type"), TrimSpaces(d.fattDocumento)},
            {QStringLiteral("prefix"), TrimSpaces(d.preDoc)},
            {QStringLiteral("date"), d.dataRif.toString(Qt::ISODate)},
            {QStringLiteral("customer"), cliente(d)},
            {QStringLiteral("customerName"), TrimSpaces(d.ragSocCli)},
            {QStringLiteral("lines"), d.righe},
            {QStringLiteral("goods"), t.totMerce.toDouble()},
            {QStringLiteral("expenses"), t.totSpese.toDouble()},
            {QStringLiteral("taxable"), t.totImpon.toDouble()},
            {QStringLiteral("vat"), t.totIva.toDouble()},
            {QStringLiteral("total"), t.totDocum.toDouble()},
            {QStringLiteral("withholdingTaxable"), t.imponRitAcc.toDouble()}};
}

// How the run ended, as the report and the exit code tell it.
struct Esito {
    QString codice;  // refused, noQuotes, notStarted, interrupted, completed
    QString motivo;  // the message of a refusal
    int uscita = ExitCode::Ok;
};

Esito esitoMotore(const scEvaPrev& motore, const QStringList& messaggi) {
    switch (motore.oeEsito) {
        case EsitoEvasione::NonAvviata:
            return {QStringLiteral("notStarted"), messaggi.isEmpty() ? QString() : messaggi.last(),
                    ExitCode::Refused};
        case EsitoEvasione::NessunPreventivo:
            return {QStringLiteral("noQuotes"), messaggi.isEmpty() ? QString() : messaggi.last(),
                    ExitCode::Refused};
        case EsitoEvasione::Interrotta:
            return {QStringLiteral("interrupted"), {}, ExitCode::EndedWithErrors};
        case EsitoEvasione::Completata:
            break;
    }
    return {QStringLiteral("completed"),
            {},
            motore.oiNumErrori > 0 ? ExitCode::EndedWithErrors : ExitCode::Ok};
}

void stampaRapporto(QTextStream& out, const RichiestaRun& r, const Esito& esito,
                    const scEvaPrev* motore, const QStringList& messaggi) {
    if (r.json) {
        QJsonObject o{{QStringLiteral("outcome"), esito.codice},
                      {QStringLiteral("exitCode"), esito.uscita},
                      {QStringLiteral("messages"), QJsonArray::fromStringList(messaggi)}};
        if (!esito.motivo.isEmpty())
            o.insert(QStringLiteral("message"), esito.motivo);
        QJsonArray documenti;
        if (motore) {
            for (const DocumentoChiuso& d : motore->ocDocumentiChiusi)
                documenti.append(jsonDocumento(d));
            o.insert(QStringLiteral("quotes"), motore->oiPreventiviElaborati);
            o.insert(QStringLiteral("errorCount"), motore->oiNumErrori);
            o.insert(QStringLiteral("errors"), motore->osErrori);
        } else {
            o.insert(QStringLiteral("quotes"), 0);
            o.insert(QStringLiteral("errorCount"), 0);
            o.insert(QStringLiteral("errors"), QString());
        }
        o.insert(QStringLiteral("documents"), documenti);
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        return;
    }
    if (!motore) {
        out << "Evasione non avviata: " << esito.motivo << '\n';
        return;
    }
    out << "Documenti prodotti: " << motore->ocDocumentiChiusi.size() << '\n';
    for (const DocumentoChiuso& d : motore->ocDocumentiChiusi)
        out << "  " << rigaDocumento(d) << '\n';
    out << "Preventivi elaborati: " << motore->oiPreventiviElaborati << '\n';
    if (esito.uscita == ExitCode::Refused)
        out << "Evasione non avviata: " << esito.motivo << '\n';
    else if (esito.codice == QLatin1String("interrupted"))
        out << "Evasione interrotta\n";
    out << "Errori: " << motore->oiNumErrori << '\n';
    if (!motore->osErrori.isEmpty())
        out << motore->osErrori << (motore->osErrori.endsWith(QLatin1Char('\n')) ? "" : "\n");
}

// ---- The run ---------------------------------------------------------------------------

// Options that the type to produce makes meaningless; the form would not offer them.
QString opzioneNonAmmessa(const RichiestaRun& r, const PresentazionePrefisso& prefisso) {
    if (r.acquistiChiesti && !prefisso.acquisti)
        return QStringLiteral(
            "Con un Doc. di evasione fattura o DDT non si creano acquisti: togliere --purchases "
            "e --count-commitments");
    if (r.prefissoDato && !prefisso.visibile && !IsBlank(r.voci.testo(C::Prefisso)))
        return QStringLiteral("Il prefisso (--prefix) si indica solo per fatture e DDT");
    return {};
}

// The rates of the run: the table's, replaced by those given with --rate.
bool preparaCambi(DbConnection& db, const RichiestaRun& r, scEvaPrev& motore, UiServices& ui,
                  QString& motivo) {
    CambiEvasione cambi(db);
    std::vector<CambioProposto> proposti = cambi.MoneteDaCambiare(motore);
    for (CambioProposto& c : proposti)
        for (const auto& [moneta, cambio] : r.cambi)
            if (moneta.compare(TrimSpaces(c.moneta), Qt::CaseInsensitive) == 0)
                c.cambio = cambio;
    const int mancante = CambiEvasione::PrimoMancante(proposti);
    if (mancante >= 0) {
        const CambioProposto& c = proposti[static_cast<size_t>(mancante)];
        motivo = CambiEvasione::MessaggioMancante() + QLatin1Char('\n') +
                 QStringLiteral("Manca il cambio della moneta ") + TrimSpaces(c.moneta) +
                 (IsBlank(c.descrizione)
                      ? QString()
                      : QStringLiteral(" (") + TrimSpaces(c.descrizione) + QLatin1Char(')')) +
                 QStringLiteral(" al ") + FormatData(motore.otDataEvasione) +
                 QStringLiteral(": indicarlo con --rate ") + TrimSpaces(c.moneta) +
                 QStringLiteral("=CAMBIO");
        ui.message(motivo);
        return false;
    }
    CambiEvasione::Consegna(proposti, motore);
    return true;
}

// A run refused before processing leaves the criteria it saved. They go, unless an
// interrupted earlier run is waiting for its recovery: then they are that run's.
void togliCriteriSalvati(DbConnection& db, scEvaPrev& motore, QTextStream& err) {
    try {
        const int interrotti =
            db.scalar(QStringLiteral("Select count(*) from DocDaElab Where Utente = ") +
                      db.sql(motore.utente()) + QStringLiteral(" AND Programma = ") +
                      db.sql(motore.idLavoro()) + QStringLiteral(" AND Anno = ") +
                      db.sql(motore.oiAnno))
                .toInt();
        if (interrotti == 0)
            motore.CancellaAppoggioTemp(scEvaPrev::idProgramma());
    } catch (const DbError& e) {
        err << "Criteri salvati non rimossi: " << e.describe() << '\n';
    }
}

int esegui(RichiestaRun& r, QTextStream& out, QTextStream& err, UtenteRegistrato& ui) {
    ContestoComando contesto(r.db, r.utente, r.dataLavoro);
    DbConnection& db = contesto.db();
    ParametriDitta& parametri = contesto.parametri();
    scEvaPrev motore(db, parametri, contesto.moneta(), ui);

    ControlliEvasione controlli(db, parametri, ui);
    controlli.ApplicaTipoPreventivo(r.voci);
    const TipoEvasioneLetto tipo = controlli.ApplicaTipoEvasione(r.voci);
    const PresentazionePrefisso prefisso =
        controlli.Prefisso(tipo, IsBlank(r.voci.testo(C::TipoEvasione)));
    if (const QString errore = opzioneNonAmmessa(r, prefisso); !errore.isEmpty()) {
        err << errore << '\n' << kVediUso;
        return ExitCode::Usage;
    }
    if (!r.prefissoDato)
        r.voci.txt[C::Prefisso] = prefisso.proposta;
    controlli.SegnaCampiErrati(r.voci);

    const EsitoControlli esitoControlli = controlli.Controlla(r.voci, motore);
    if (!esitoControlli.ok) {
        if (esitoControlli.campo != 0)
            err << "Campo errato: " << opzioneDi(esitoControlli.campo) << " \""
                << r.voci.testo(esitoControlli.campo) << "\"\n";
        stampaRapporto(out, r,
                       {QStringLiteral("refused"), esitoControlli.messaggio, ExitCode::Refused},
                       nullptr, ui.messaggi);
        return ExitCode::Refused;
    }
    ControlliEvasione::Consegna(r.voci, motore);
    motore.obSoloASaldo = r.soloASaldo;

    // Closing only produces no documents: no rate is needed.
    QString motivo;
    if (!r.soloASaldo && !preparaCambi(db, r, motore, ui, motivo)) {
        stampaRapporto(out, r, {QStringLiteral("refused"), motivo, ExitCode::Refused}, nullptr,
                       ui.messaggi);
        return ExitCode::Refused;
    }

    motore.LanciaEvasionePrev();
    if (motore.oeEsito == EsitoEvasione::NonAvviata ||
        motore.oeEsito == EsitoEvasione::NessunPreventivo)
        togliCriteriSalvati(db, motore, err);
    const Esito esito = esitoMotore(motore, ui.messaggi);
    stampaRapporto(out, r, esito, &motore, ui.messaggi);
    return esito.uscita;
}

}  // namespace

QString RunUsage() {
    return QStringLiteral(
        "Uso: evapre run --db CONN --user NOME --date GG/MM/AAAA [--working-date GG/MM/AAAA]\n"
        "       --quote-type CODICE (--doc-type CODICE | --receipts)\n"
        "       [--currency C] [--customer-from GG-MM-CCCCC] [--customer-to GG-MM-CCCCC]\n"
        "       [--article-from A] [--article-to A] [--delivery-from D] [--delivery-to D]\n"
        "       [--quote-date-from D] [--quote-date-to D] [--quote-number-from N]\n"
        "       [--quote-number-to N] [--doc-date-from D] [--doc-date-to D]\n"
        "       [--doc-number-from N] [--doc-number-to N] [--description TESTO] [--prefix P]\n"
        "       [--vat-month M] [--vat-year A] [--purchases none|all|under-min|exhausted]\n"
        "       [--count-commitments] [--rate MONETA=CAMBIO]... [--staged] [--close-only]\n"
        "       [--json]\n");
}

int RunFulfilment(const QStringList& args, QTextStream& out, QTextStream& err, UiServices& ui) {
    CommandLine riga;
    QString errore;
    if (!riga.parse(args, kFlag, &errore)) {
        err << errore << '\n' << kVediUso;
        return ExitCode::Usage;
    }
    if (riga.has(QStringLiteral("help"))) {
        out << RunUsage();
        return ExitCode::Ok;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QString nome = args.at(i).mid(2);
        if (kFlag.contains(nome))
            continue;
        ++i;  // the option's value
        if (std::none_of(std::begin(kOpzioniCampo), std::end(kOpzioniCampo),
                         [&](const OpzioneCampo& o) { return nome == QLatin1String(o.nome); })) {
            err << "Opzione sconosciuta: --" << nome << '\n' << kVediUso;
            return ExitCode::Usage;
        }
    }
    RichiestaRun richiesta;
    errore = leggiRichiesta(riga, richiesta);
    if (!errore.isEmpty()) {
        err << errore << '\n' << kVediUso;
        return ExitCode::Usage;
    }
    UtenteRegistrato utente(ui);
    try {
        return esegui(richiesta, out, err, utente);
    } catch (const DbError& e) {
        err << e.describe() << '\n';
        return ExitCode::Failure;
    }
}

int RunFulfilment(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    ConsoleUiServices ui;
    const int codice = RunFulfilment(args, out, err, ui);
    out.flush();
    err.flush();
    return codice;
}

}  // namespace evapre
