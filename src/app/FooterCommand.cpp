// evapre footer: computes and prints the footer of a stored document, writing nothing.

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>

#include "AziendaUtil.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ConsoleUiServices.h"
#include "DirectMenuClient.h"
#include "ParametriDitta.h"
#include "VeltDbasedll.h"
#include "scCalcPiedeFat.h"

namespace evapre {

namespace {

const char* const kUso = "Uso: evapre footer --db CONN --kind F|B|O|A --year Y --number N [--json]";

QString importo(Currency valore) {
    return valore.format(2);
}

Currency scontoPagamento(const scCalcPiedeFat& calc) {
    Currency totale;
    for (const scIva& iva : calc.ogIve.items())
        totale += iva.odTotScoPagam;
    return totale;
}

// Label and amount of each footer total, in the order they are shown.
QList<QPair<QString, Currency>> totali(const scCalcPiedeFat& calc) {
    return {{QStringLiteral("goods"), calc.odTotMerce},
            {QStringLiteral("expenses"), calc.odTotSpese},
            {QStringLiteral("gifts"), calc.odTotOmaggi},
            {QStringLiteral("paymentDiscount"), scontoPagamento(calc)},
            {QStringLiteral("taxable"), calc.odTotImponibile},
            {QStringLiteral("vat"), calc.odTotIva},
            {QStringLiteral("exempt"), calc.odTotEsente},
            {QStringLiteral("stampDuty"), calc.odTotBolli},
            {QStringLiteral("withholding"), calc.odRitAcc},
            {QStringLiteral("pensionFund"), calc.ouTotCassaPrev},
            {QStringLiteral("total"), calc.odTotFattura},
            {QStringLiteral("toPay"), calc.odTotPagare}};
}

QString etichetta(const QString& chiave) {
    static const QHash<QString, QString> etichette{
        {QStringLiteral("goods"), QStringLiteral("Merce")},
        {QStringLiteral("expenses"), QStringLiteral("Spese")},
        {QStringLiteral("gifts"), QStringLiteral("Omaggi")},
        {QStringLiteral("paymentDiscount"), QStringLiteral("Sconto pagamento")},
        {QStringLiteral("taxable"), QStringLiteral("Imponibile")},
        {QStringLiteral("vat"), QStringLiteral("Imposta")},
        {QStringLiteral("exempt"), QStringLiteral("Esente")},
        {QStringLiteral("stampDuty"), QStringLiteral("Bolli")},
        {QStringLiteral("withholding"), QStringLiteral("Ritenuta d'acconto")},
        {QStringLiteral("pensionFund"), QStringLiteral("Cassa previdenza")},
        {QStringLiteral("total"), QStringLiteral("Totale documento")},
        {QStringLiteral("toPay"), QStringLiteral("Totale da pagare")}};
    return etichette.value(chiave, chiave);
}

QString testo(const scCalcPiedeFat& calc, QChar tipo, int anno, int numero) {
    QString out;
    QTextStream s(&out);
    s << "Documento " << tipo << ' ' << numero << '/' << anno << "\n\nRiepilogo IVA\n";
    s << QStringLiteral("%1 %2 %3 %4 %5\n")
             .arg(QStringLiteral("Codice"), -8)
             .arg(QStringLiteral("Descrizione"), -30)
             .arg(QStringLiteral("Imponibile"), 15)
             .arg(QStringLiteral("Imposta"), 15)
             .arg(QStringLiteral("Aliquota"), 9);
    for (const scIva& iva : calc.ogIve.items())
        s << QStringLiteral("%1 %2 %3 %4 %5\n")
                 .arg(iva.osIva, -8)
                 .arg(iva.osDescrizione.left(30), -30)
                 .arg(importo(iva.odImpon), 15)
                 .arg(importo(iva.odImpos), 15)
                 .arg(importo(iva.odAliquota), 9);
    s << '\n';
    for (const auto& [chiave, valore] : totali(calc))
        s << QStringLiteral("%1 %2\n")
                 .arg(etichetta(chiave) + QLatin1Char(':'), -22)
                 .arg(importo(valore), 15);
    return out;
}

QJsonObject json(const scCalcPiedeFat& calc, QChar tipo, int anno, int numero) {
    QJsonObject o{{QStringLiteral("kind"), QString(tipo)},
                  {QStringLiteral("year"), anno},
                  {QStringLiteral("number"), numero}};
    QJsonArray riepilogo;
    for (const scIva& iva : calc.ogIve.items())
        riepilogo.append(QJsonObject{{QStringLiteral("code"), iva.osIva},
                                     {QStringLiteral("description"), iva.osDescrizione},
                                     {QStringLiteral("taxable"), iva.odImpon.toDouble()},
                                     {QStringLiteral("vat"), iva.odImpos.toDouble()},
                                     {QStringLiteral("rate"), iva.odAliquota.toDouble()}});
    o.insert(QStringLiteral("vatSummary"), riepilogo);
    for (const auto& [chiave, valore] : totali(calc))
        o.insert(chiave, valore.toDouble());
    o.insert(QStringLiteral("errors"), calc.osErrori);
    return o;
}

void stampa(FILE* file, const QString& text) {
    std::fprintf(file, "%s", text.toLocal8Bit().constData());
}

}  // namespace

int RunFooter(const QStringList& args) {
    CommandLine line;
    QString error;
    if (!line.parse(args, {QStringLiteral("json")}, &error)) {
        stampa(stderr, error + QLatin1Char('\n') + QLatin1String(kUso) + QLatin1Char('\n'));
        return ExitCode::Usage;
    }
    const QString kind = line.value(QStringLiteral("kind")).trimmed().toUpper();
    const auto tabelle = kind.size() == 1 ? TabelleDocumento::perTipo(kind.at(0)) : std::nullopt;
    int anno = 0;
    int numero = 0;
    if (!line.has(QStringLiteral("db")) || !tabelle ||
        !line.intValue(QStringLiteral("year"), 0, &anno, &error) ||
        !line.intValue(QStringLiteral("number"), 0, &numero, &error) || anno <= 0 || numero <= 0) {
        stampa(stderr, (error.isEmpty() ? QString() : error + QLatin1Char('\n')) +
                           QLatin1String(kUso) + QLatin1Char('\n'));
        return ExitCode::Usage;
    }

    auto& component = VeltDbasedll::instance();
    DbConnection& db = component.connection(component.openConnection(line.value("db")));
    DirectMenuClient menu(db, QStringLiteral("evapre"), QStringLiteral("console"),
                          QDate::currentDate());
    ParametriDitta parametri(menu);
    const auto azienda = [&](const QString& key) { return parametri.company(key); };
    const auto personale = [&](const QString& key) {
        const int dot = key.indexOf(QLatin1Char('.'));
        return parametri.personal(key.left(dot), key.mid(dot + 1));
    };
    AziendaUtil moneta(db, MoneySettings::fromParameters(azienda, personale));
    moneta.caricaDecimali();
    ConsoleUiServices ui;

    scCalcPiedeFat calc(db, parametri, moneta, ui);
    calc.setTabelle(*tabelle);
    calc.CalcPiedeFat(anno, numero);

    const QChar tipo = kind.at(0);
    if (line.has(QStringLiteral("json"))) {
        stampa(stdout,
               QString::fromUtf8(
                   QJsonDocument(json(calc, tipo, anno, numero)).toJson(QJsonDocument::Indented)));
    } else {
        stampa(stdout, testo(calc, tipo, anno, numero));
        if (calc.oiNumErrori > 0)
            stampa(stderr, calc.osErrori + QLatin1Char('\n'));
    }
    return calc.oiNumErrori > 0 ? ExitCode::EndedWithErrors : ExitCode::Ok;
}

}  // namespace evapre
