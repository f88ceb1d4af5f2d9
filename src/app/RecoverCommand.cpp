// evapre recover: what the suite's recovery program does for an interrupted fulfilment.

#include "RecoverCommand.h"

#include "CommandLine.h"
#include "Commands.h"
#include "ConsoleUiServices.h"
#include "ContestoComando.h"
#include "DateConv.h"
#include "DbError.h"
#include "scEvaPrev.h"

namespace evapre {

namespace {

const char* const kUso = "Uso: evapre recover --db CONN --user NOME\n";

QString documento(const DocumentoChiuso& d) {
    return QStringLiteral("anno %1 n.%2 (%3) totale %4")
        .arg(d.anno)
        .arg(d.numRif)
        .arg(d.fattDocumento, d.totali.totDocum.format(2));
}

void stampa(QTextStream& out, const QString& utente, const scEvaPrev::EsitoRipristino& esito,
            const scEvaPrev& motore) {
    const bool niente =
        esito.righeGiornale == 0 && esito.segniRilasciati == 0 && !esito.criteriCancellati;
    if (niente) {
        out << "Nessuna elaborazione interrotta per l'utente " << utente
            << ": niente da ripristinare.\n";
        return;
    }
    out << "Righe del giornale trovate: " << esito.righeGiornale << '\n';
    for (const DocumentoChiuso& d : esito.chiusi)
        out << "Documento chiuso: " << documento(d) << '\n';
    for (const QString& r : esito.rimosse)
        out << "Riga del giornale senza documento, rimossa: " << r << '\n';
    for (const QString& r : esito.nonChiusi)
        out << "Documento non chiuso, resta nel giornale: " << r << '\n';
    out << "Segni rilasciati: " << esito.segniRilasciati << '\n';
    if (esito.criteriCancellati)
        out << "Criteri salvati rimossi.\n";
    if (motore.oiNumErrori > 0)
        out << "Errori: " << motore.oiNumErrori << '\n' << motore.osErrori << '\n';
}

}  // namespace

int RecoverFulfilment(const QStringList& args, QTextStream& out, QTextStream& err, UiServices& ui) {
    CommandLine riga;
    QString errore;
    if (!riga.parse(args, {}, &errore) || !riga.has(QStringLiteral("db")) ||
        !riga.has(QStringLiteral("user")) ||
        riga.value(QStringLiteral("user")).trimmed().isEmpty()) {
        err << (errore.isEmpty() ? QString() : errore + u'\n') << kUso;
        return ExitCode::Usage;
    }
    const QString utente = riga.value(QStringLiteral("user")).trimmed();
    try {
        ContestoComando contesto(riga.value(QStringLiteral("db")), utente, QDate::currentDate());
        scEvaPrev motore(contesto.db(), contesto.parametri(), contesto.moneta(), ui);
        const scEvaPrev::EsitoRipristino esito = motore.RipristinaElaborazioni();
        stampa(out, utente, esito, motore);
        return esito.nonChiusi.isEmpty() && motore.oiNumErrori == 0 ? ExitCode::Ok
                                                                    : ExitCode::EndedWithErrors;
    } catch (const DbError& e) {
        err << e.describe() << '\n';
        return ExitCode::Failure;
    }
}

int RecoverFulfilment(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    ConsoleUiServices ui;
    const int codice = RecoverFulfilment(args, out, err, ui);
    out.flush();
    err.flush();
    return codice;
}

}  // namespace evapre
