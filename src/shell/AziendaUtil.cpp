#include "AziendaUtil.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "DbConnection.h"
#include "NumberConv.h"
#include "Rounding.h"
#include "RowSet.h"
#include "UiServices.h"

namespace evapre {

namespace {

constexpr qint64 kScale = Currency::kScale;

// value × num / den at the Currency scale. The digits below the scale are dropped (toward
// zero), except that a directed mode ("S" above zero, "I" below) gets one raw unit more in
// its direction when something was dropped: the rounding that follows then sees the exact
// quotient, whatever it holds below the scale.
Currency scaled(Currency value, __int128 num, __int128 den, QChar mode) {
    if (den == 0) {
        throw CurrencyDivisionByZero();
    }
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const __int128 product = static_cast<__int128>(value.raw()) * num;
    __int128 quotient = product / den;
    if (product % den != 0) {
        if (mode == QLatin1Char('S') && product > 0) {
            ++quotient;
        } else if (mode == QLatin1Char('I') && product < 0) {
            --quotient;
        }
    }
    if (quotient > std::numeric_limits<qint64>::max() ||
        quotient < -std::numeric_limits<qint64>::max()) {
        throw CurrencyOverflow();
    }
    return Currency::fromRaw(static_cast<qint64>(quotient));
}

// A percentage held as a double, as an integer scaled by 10^8.
constexpr double kPercScale = 1e8;
__int128 percScaled(double percentage) {
    const double v = std::round(percentage * kPercScale);
    if (!std::isfinite(v) || std::fabs(v) >= 9.0e18) {
        throw CurrencyOverflow();
    }
    return static_cast<__int128>(static_cast<qint64>(v));
}

}  // namespace

AziendaUtil::AziendaUtil(DbConnection& db, MoneySettings settings)
    : mDb(db), mSettings(std::move(settings)) {}

void AziendaUtil::caricaDecimali() {
    const InfoMoneta lira = LeggiMoneta(mSettings.codLira);
    mSettings.numDecLira = lira.numDec;
    mSettings.numDecGestLira = lira.numDecGest;
    const InfoMoneta euro = LeggiMoneta(mSettings.codEuro);
    mSettings.numDecEuro = euro.numDec;
    mSettings.numDecGestEuro = euro.numDecGest;
}

InfoMoneta AziendaUtil::LeggiMoneta(const QString& moneta) {
    InfoMoneta info;
    const auto rows = mDb.openRowSet(QStringLiteral("Select * from Monete") +
                                     QStringLiteral(" where moneta = ") + mDb.sql(moneta));
    if (rows->eof()) {
        return info;
    }
    // A column left empty keeps the value of a missing currency.
    info.trovata = true;
    if (!rows->isNull(QStringLiteral("NumDec"))) {
        info.numDec = static_cast<int>(rows->integer(QStringLiteral("NumDec")));
    }
    if (!rows->isNull(QStringLiteral("NumDecGest"))) {
        info.numDecGest = static_cast<int>(rows->integer(QStringLiteral("NumDecGest")));
    }
    if (const QString op = rows->text(QStringLiteral("Operatore")).trimmed(); !op.isEmpty()) {
        info.operatore = op;
    }
    if (const QString cee = rows->text(QStringLiteral("Cee")).trimmed(); !cee.isEmpty()) {
        info.cee = cee;
    }
    return info;
}

int AziendaUtil::DecimaliMoneta(const QString& moneta, bool gestione) {
    const InfoMoneta info = LeggiMoneta(moneta);
    return gestione ? info.numDecGest : info.numDec;
}

void AziendaUtil::cambioDi(const QString& moneta, Currency& cambio, QString& operatore,
                           bool versoEuro) const {
    QString code = moneta.trimmed();
    if (code.isEmpty()) {
        code = mSettings.moneta;
    }
    if (code == mSettings.codLira) {
        cambio = mSettings.cambioLiraEuro;
        operatore = mSettings.operCambio;
    } else if (code == mSettings.codEuro) {
        cambio = Currency::fromInt(1);
        operatore = versoEuro ? QStringLiteral("*") : QStringLiteral("/");
    } else {
        operatore = operatore.trimmed();
    }
}

Currency AziendaUtil::ConvertiInEuro(Currency importo, Currency cambio, const QString& operatore,
                                     const QString& moneta, bool arrotonda) {
    QString op = operatore;
    cambioDi(moneta, cambio, op, true);
    Currency result = importo;
    // A zero rate is a rate not known: the amount passes unchanged.
    if (cambio != Currency{}) {
        result = op == QLatin1String("/") ? scaled(importo, kScale, cambio.raw(), QLatin1Char('T'))
                                          : scaled(importo, cambio.raw(), kScale, QLatin1Char('T'));
    }
    if (arrotonda) {
        result = ArrotondaTabella(result, QStringLiteral("E"));
    }
    return result;
}

Currency AziendaUtil::ConvertiDaEuro(Currency importo, Currency cambio, const QString& operatore,
                                     const QString& moneta, ArrotondaDaEuro arrotonda,
                                     int decimali) {
    QString op = operatore;
    cambioDi(moneta, cambio, op, false);
    Currency result = importo;
    if (cambio != Currency{}) {
        result = op == QLatin1String("*") ? scaled(importo, kScale, cambio.raw(), QLatin1Char('T'))
                                          : scaled(importo, cambio.raw(), kScale, QLatin1Char('T'));
    }
    switch (arrotonda) {
        case ArrotondaDaEuro::No:
            break;
        case ArrotondaDaEuro::Tabella:
            result = ArrotondaTabella(result, QStringLiteral("L"));
            break;
        case ArrotondaDaEuro::Decimali:
            if (decimali < 0) {
                QString code = moneta.trimmed();
                if (code.isEmpty()) {
                    code = mSettings.moneta;
                }
                decimali = code == mSettings.codLira   ? mSettings.numDecLira
                           : code == mSettings.codEuro ? mSettings.numDecEuro
                                                       : DecimaliMoneta(code);
            }
            result = Arrotonda(result, QLatin1Char('A'), decimali);
            break;
    }
    return result;
}

const std::vector<AziendaUtil::Banda>& AziendaUtil::tabella(bool lire) {
    std::vector<Banda>& bands = lire ? mArrotLire : mArrotEuro;
    bool& loaded = lire ? mArrotLireLetta : mArrotEuroLetta;
    if (!loaded) {
        bands.clear();
        const auto rows =
            mDb.openRowSet(QStringLiteral("Select * from") +
                           (lire ? QStringLiteral(" ArrotLire") : QStringLiteral(" ArrotEuro")) +
                           QStringLiteral(" Order By FinoA"));
        for (; !rows->eof(); rows->moveNext()) {
            bands.push_back({rows->amount(QStringLiteral("FinoA")),
                             rows->amount(QStringLiteral("ValArrot")),
                             rows->text(QStringLiteral("TipoArrot")).trimmed()});
        }
        if (bands.empty()) {
            bands.push_back({Currency{}, Currency{}, QStringLiteral("Nessuno")});
        }
        loaded = true;
    }
    return bands;
}

Currency AziendaUtil::ArrotondaTabella(Currency importo, const QString& tipo) {
    const bool lire = tipo.trimmed().compare(QLatin1String("L"), Qt::CaseInsensitive) == 0;
    const std::vector<Banda>& bands = tabella(lire);
    const int decimals = lire ? mSettings.numDecLira : mSettings.numDecEuro;
    if (bands.front().tipoArrot.compare(QLatin1String("Nessuno"), Qt::CaseInsensitive) == 0) {
        return Arrotonda(importo, QLatin1Char('A'), decimals);
    }
    // Bands are upper bounds of magnitudes, so a negative amount (a credit) uses the band of
    // its positive counterpart.
    const Currency magnitude = importo < Currency{} ? -importo : importo;
    const Banda* band = &bands.back();
    for (const Banda& b : bands) {
        if (!(b.finoA < magnitude)) {
            band = &b;
            break;
        }
    }
    if (band->tipoArrot.compare(QLatin1String("Nessuno"), Qt::CaseInsensitive) == 0 ||
        !(Currency{} < band->valArrot)) {
        // A band without rounding or without a step rounds like a missing table.
        return Arrotonda(importo, QLatin1Char('A'), decimals);
    }
    return ArrotondaPasso(importo, QChar::fromLatin1(ModoArrotondamento(band->tipoArrot)),
                          band->valArrot);
}

Currency AziendaUtil::ImportoIva(Currency imponibile, Currency aliquota, int decimali) const {
    QChar mode = QLatin1Char('A');
    if (mSettings.arrotIvaEuro == QLatin1String("S") || decimali < 2) {
        mode = imponibile < Currency{} ? QLatin1Char('I') : QLatin1Char('S');
    }
    const Currency vat = scaled(imponibile, aliquota.raw(), 100 * kScale, mode);
    return Arrotonda(vat, mode, decimali);
}

Currency AziendaUtil::LordoDaNetto(Currency netto, Currency aliquota, int decimali) const {
    return Arrotonda(netto, QLatin1Char('A'), decimali) + ImportoIva(netto, aliquota, decimali);
}

Currency AziendaUtil::ScorporaIva(Currency lordo, Currency aliquota, int decimali) const {
    const __int128 den = 100 * kScale + static_cast<__int128>(aliquota.raw());
    const auto net = [&](QChar mode) {
        return Arrotonda(scaled(lordo, 100 * kScale, den, mode), mode, decimali);
    };
    if (mSettings.arrotIvaEuro == QLatin1String("S")) {
        const Currency nearest = net(QLatin1Char('A'));
        if (nearest + ImportoIva(nearest, aliquota, decimali) == lordo) {
            return nearest;
        }
    }
    return net(QLatin1Char('T'));
}

Currency AziendaUtil::Sconto(Currency importo, double percentuale, int decimali) {
    const __int128 whole = static_cast<__int128>(100 * kPercScale);
    const Currency net = scaled(importo, whole - percScaled(percentuale), whole, QLatin1Char('A'));
    return Arrotonda(net, QLatin1Char('A'), decimali);
}

double AziendaUtil::ConvertiCatenaSconti(QStringView catena, int decimali, double partenza,
                                         bool& nonValido) {
    nonValido = false;
    if (catena.trimmed().isEmpty()) {
        return partenza;
    }
    QString chain;
    chain.reserve(catena.size());
    for (const QChar c : catena) {
        if (c == QLatin1Char(' ')) {
            continue;
        }
        const bool allowed = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             c == QLatin1Char('+') || c == QLatin1Char('-') ||
                             c == QLatin1Char(',');
        if (!allowed) {
            nonValido = true;
            return partenza;
        }
        chain.append(c);
    }
    if (chain.isEmpty() || chain.contains(QLatin1String("+-")) ||
        chain.contains(QLatin1String("-+")) || chain.contains(QLatin1String("--")) ||
        chain.contains(QLatin1String("++"))) {
        nonValido = true;
        return partenza;
    }

    // Split before each sign: the sign belongs to the step it starts.
    QStringList steps;
    QString current;
    for (const QChar c : chain) {
        if ((c == QLatin1Char('+') || c == QLatin1Char('-')) && !current.isEmpty()) {
            steps << current;
            current.clear();
        }
        current.append(c);
    }
    steps << current;

    // A step is an optional sign, then digits with at most one decimal comma.
    static const QRegularExpression stepPattern(QStringLiteral("^[+-]?(\\d+,?\\d*|,\\d+)$"));
    double r = partenza;
    for (const QString& step : steps) {
        if (!stepPattern.match(step).hasMatch()) {
            nonValido = true;
            return partenza;
        }
        bool ok = false;
        const double x = ConvertiDouble(QVariant(step), &ok);
        if (!ok) {
            nonValido = true;
            return partenza;
        }
        r = 100.0 - (100.0 - r) * (100.0 - x) / 100.0;
    }
    if (!std::isfinite(r)) {
        nonValido = true;
        return partenza;
    }
    if (decimali != NessunArrotondamento) {
        r = Arrotonda(r, QLatin1Char('A'), decimali);
    }
    return r;
}

QString AziendaUtil::TestoScontoNonValido(const QString& catena) {
    return QStringLiteral("Sconto \"") + catena +
           QStringLiteral(
               "\" non valido:\nindicare percentuali con la virgola decimale "
               "unite da + o - (es. 10+5 o 10,5-2).");
}

void AziendaUtil::RiconcatenaDateListino(const QString& articolo, const QString& livello1,
                                         const QString& livello2, const QString& listino,
                                         const QDate& dataInizio) {
    const QString select = QStringLiteral("SELECT ArtListini.* FROM ArtListini WHERE") +
                           QStringLiteral(" Articolo = ") + mDb.sql(articolo) +
                           QStringLiteral(" and Livello1 = ") + mDb.sql(livello1) +
                           QStringLiteral(" and Livello2 = ") + mDb.sql(livello2) +
                           QStringLiteral(" and Listino = ") + mDb.sql(listino) +
                           QStringLiteral(" order by DataInizio");

    std::vector<QDate> starts;
    {
        const auto rows = mDb.openRowSet(select);
        for (; !rows->eof(); rows->moveNext()) {
            starts.push_back(rows->date(QStringLiteral("DataInizio")));
        }
    }
    if (starts.empty()) {
        return;
    }

    // New DataFine by DataInizio.
    QHash<QDate, QDate> ends;
    if (starts.size() == 1) {
        ends.insert(starts.front(), dataFineAperta());
    } else {
        const auto it = std::find(starts.begin(), starts.end(), dataInizio);
        if (it == starts.end()) {
            return;
        }
        ends.insert(dataInizio, it + 1 == starts.end() ? dataFineAperta() : it[1].addDays(-1));
        if (it != starts.begin()) {
            ends.insert(it[-1], dataInizio.addDays(-1));
        }
    }

    std::optional<DbTransaction> transaction;
    if (!mDb.inTransaction()) {
        transaction.emplace(mDb);
    }
    const auto rows = mDb.openRowSet(select);
    for (; !rows->eof(); rows->moveNext()) {
        const auto end = ends.constFind(rows->date(QStringLiteral("DataInizio")));
        if (end != ends.constEnd()) {
            rows->edit();
            rows->set(QStringLiteral("DataFine"), *end);
            rows->save();
        }
    }
    if (transaction) {
        transaction->commit();
    }
}

bool AziendaUtil::AvvisoPromozione(UiServices& ui, const QString& messProm,
                                   const QString& descrizione) {
    if (messProm.trimmed().compare(QLatin1String("S"), Qt::CaseInsensitive) != 0) {
        return false;
    }
    ui.message(
        QStringLiteral("Articolo con prezzo in promozione: ") + QLatin1Char('\n') + descrizione,
        {QStringLiteral("&Ok")}, 1);
    return true;
}

bool AziendaUtil::AvvisoPromozione(UiServices& ui, const RowSet& riga) {
    return AvvisoPromozione(ui, riga.text(QStringLiteral("MessProm")),
                            riga.text(QStringLiteral("Descrizione")));
}

}  // namespace evapre
