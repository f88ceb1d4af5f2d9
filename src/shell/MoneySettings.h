#pragma once

#include <QString>
#include <functional>

#include "Currency.h"
#include "NumberConv.h"

namespace evapre {

// The company values the money functions depend on, with the defaults that apply when the
// menu has no value for them.
struct MoneySettings {
    // Answers a parameter key with its value; blank when not set.
    using Lookup = std::function<QString(const QString& key)>;

    QString moneta = QStringLiteral("Euro");   // company currency (Ditta.Moneta)
    QString codLira = QStringLiteral("L.");    // lira currency code (Ditta.CodLira)
    QString codEuro = QStringLiteral("Euro");  // euro currency code (Ditta.CodEuro)
    QString operCambio = QStringLiteral("/");  // lira/euro operator (Ditta.OperCambio)
    Currency cambioLiraEuro = Currency::fromRaw(19'362'700);  // 1936,27 (Ditta.CambioLiraEuro)

    // Decimals of the lira and euro currencies as Monete holds them: NumDec and NumDecGest.
    // Until they are read, the values of a currency missing from Monete.
    int numDecLira = 2;
    int numDecGestLira = 2;
    int numDecEuro = 2;
    int numDecGestEuro = 2;

    // VAT rounding in euro: "S" always rounds the VAT away from zero (personal ArrotIvaEuro).
    QString arrotIvaEuro = QStringLiteral("A");

    // Fills the values from the company lookup and the personal one (keys "Section.Name");
    // a blank or unreadable answer keeps the default.
    static MoneySettings fromParameters(const Lookup& company, const Lookup& personal) {
        MoneySettings s;
        const auto take = [](const Lookup& lookup, const QString& key, QString& target) {
            if (!lookup) {
                return;
            }
            const QString value = lookup(key).trimmed();
            if (!value.isEmpty()) {
                target = value;
            }
        };
        take(company, QStringLiteral("Ditta.Moneta"), s.moneta);
        take(company, QStringLiteral("Ditta.CodLira"), s.codLira);
        take(company, QStringLiteral("Ditta.CodEuro"), s.codEuro);
        take(company, QStringLiteral("Ditta.OperCambio"), s.operCambio);
        QString rate;
        take(company, QStringLiteral("Ditta.CambioLiraEuro"), rate);
        if (!rate.isEmpty()) {
            // Italian number: "1936,27", "1.936,27". A zero or unreadable rate is no rate.
            bool ok = false;
            const Currency parsed = ConvertiNumero(rate, &ok);
            if (ok && parsed > Currency{}) {
                s.cambioLiraEuro = parsed;
            }
        }
        take(personal, QStringLiteral("Tutti.ArrotIvaEuro"), s.arrotIvaEuro);
        s.arrotIvaEuro = s.arrotIvaEuro.toUpper();
        return s;
    }
};

}  // namespace evapre
