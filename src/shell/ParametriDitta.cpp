#include "ParametriDitta.h"

#include "DateConv.h"
#include "MenuClient.h"

namespace evapre {

ParametriDitta::ParametriDitta(MenuClient& menu) : mMenu(menu) {}

QString ParametriDitta::company(const QString& key) const {
    try {
        return mMenu.parameter(key).trimmed();
    } catch (const std::exception&) {
        return {};
    }
}

QString ParametriDitta::companyOr(const QString& key, const QString& defaultValue) const {
    const QString value = company(key);
    return value.isEmpty() ? defaultValue : value;
}

int ParametriDitta::companyInt(const QString& key, int defaultValue) const {
    bool ok = false;
    const int value = company(key).toInt(&ok);
    return ok ? value : defaultValue;
}

QString ParametriDitta::personal(const QString& section, const QString& name,
                                 const QString& defaultValue, const QString& altSection,
                                 const QString& altName) const {
    const QString marker = MenuClient::personalMarker();
    auto lookup = [&](const QString& s, const QString& n) {
        try {
            return mMenu.parameter(QStringLiteral("Personal.") + s + QLatin1Char('.') + n);
        } catch (const std::exception&) {
            return marker;
        }
    };
    QString value = lookup(section, name);
    if (value == marker && !altSection.isEmpty() && !altName.isEmpty())
        value = lookup(altSection, altName);
    return value == marker ? defaultValue : value;
}

QString ParametriDitta::general(const QString& name, const QString& section) const {
    try {
        return mMenu.generalParameter(name, section);
    } catch (const std::exception&) {
        return {};
    }
}

void ParametriDitta::load() {
    mDescAzie = company(QStringLiteral("DescAzie"));
    mWorkingDate = mMenu.workingDate();
    mNumDecQta = companyInt(QStringLiteral("Mag.NumDecQta"), 0);
    mMoneta = companyOr(QStringLiteral("Ditta.Moneta"), QStringLiteral("Euro"));
    mCodLira = companyOr(QStringLiteral("Ditta.CodLira"), QStringLiteral("L."));
    mCodEuro = companyOr(QStringLiteral("Ditta.CodEuro"), QStringLiteral("Euro"));
    mOperCambio = companyOr(QStringLiteral("Ditta.OperCambio"), QStringLiteral("/"));
    mCambioLiraEuro = companyOr(QStringLiteral("Ditta.CambioLiraEuro"), QStringLiteral("1936,27"));
    mArrotIvaEuro =
        personal(QStringLiteral("Tutti"), QStringLiteral("ArrotIvaEuro"), QStringLiteral("A"));
    mGesTaglie =
        company(QStringLiteral("Mag.GesTaglie")).compare(QLatin1String("S"), Qt::CaseInsensitive) ==
        0;
    mColBackGotFocus = companyOr(QStringLiteral("ColBackGotFocus"), QStringLiteral("&HFFFF80"));
    mColBackLostFocus = companyOr(QStringLiteral("ColBacklostFocus"), QStringLiteral("&H80000005"));
    const QString tutti = QStringLiteral("Tutti");
    mColBackForm = personal(tutti, QStringLiteral("ColBackForm"), QStringLiteral("0")).trimmed();
    mTastierinoVirgola = personal(tutti, QStringLiteral("TastierinoVirgola"));
    mDecodHelpAbil = personal(tutti, QStringLiteral("DecodHelpAbil"), QStringLiteral("N"));
    mDecodHelpPersKey =
        personal(tutti, QStringLiteral("DecodHelpPersKey"), QStringLiteral("N")).trimmed() ==
        QLatin1String("S");
    mDataMinima =
        personal(tutti, QStringLiteral("DataMinima"), QStringLiteral("01/01/1900")).trimmed();
    if (mDataMinima.isEmpty())
        mDataMinima = QStringLiteral("01/01/1900");
    mArrUnitIntermedio =
        personal(tutti, QStringLiteral("ArrUnitIntermedio"), QStringLiteral("N")).trimmed() ==
        QLatin1String("S");
}

QString ParametriDitta::versionLabel() const {
    const QString versione = company(QStringLiteral("Versione"));
    return versione.isEmpty() ? QString() : QStringLiteral("Versione ") + versione;
}

QString ParametriDitta::versionDateLabel() const {
    const QString data = company(QStringLiteral("DataVersione"));
    return data.isEmpty() ? QString() : QStringLiteral("del ") + data;
}

bool ParametriDitta::pricesHiddenFor(const QString& terminals, const QString& terminal) {
    const QString name = terminal.trimmed();
    if (name.isEmpty())
        return false;
    const QStringList items = terminals.split(QLatin1Char(';'));
    for (const QString& item : items)
        if (item.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

MoneySettings ParametriDitta::impostazioniMoneta() const {
    const auto azienda = [this](const QString& key) { return company(key); };
    const auto personale = [this](const QString& key) {
        const int punto = static_cast<int>(key.indexOf(QLatin1Char('.')));
        return personal(key.left(punto), key.mid(punto + 1));
    };
    return MoneySettings::fromParameters(azienda, personale);
}

quint32 ParametriDitta::colourNumber(const QString& text, quint32 fallback) {
    const QString value = text.trimmed();
    bool ok = false;
    qint64 number = 0;
    if (value.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        number = value.mid(2).remove(QLatin1Char('&')).toLongLong(&ok, 16);
    else
        number = value.toLongLong(&ok);
    return ok ? static_cast<quint32>(number) : fallback;
}

bool ParametriDitta::isMaximised(const QString& list, const QString& terminal) {
    QString items = list.trimmed().toLower();
    if (items.isEmpty())
        return false;
    if (!items.endsWith(QLatin1Char(',')))
        items += QLatin1Char(',');
    if (items == QLatin1String("tutti,"))
        return true;
    const QString needle = terminal.trimmed().toLower() + QLatin1Char(',');
    // Whole names only: "PC1," must not match inside "XPC1,".
    return (QLatin1Char(',') + items).contains(QLatin1Char(',') + needle);
}

bool ParametriDitta::maximised() const {
    return isMaximised(personal(QStringLiteral("Tutti"), QStringLiteral("Massimizzato")),
                       mMenu.terminalName());
}

EsercizioCheck ParametriDitta::checkEsercizio(const QDate& date) const {
    EsercizioCheck result;
    bool ok = false;
    const int annoCorr = company(QStringLiteral("Mag.AnnoCorr")).toInt(&ok);
    const QDate inizio = ConvertiData(company(QStringLiteral("Mag.DataInizio"))).value_or(QDate());
    const QDate fine = ConvertiData(company(QStringLiteral("Mag.DataFine"))).value_or(QDate());
    if (!ok || !inizio.isValid() || !fine.isValid() || !date.isValid())
        return result;
    if (date < inizio) {
        if (date < inizio.addYears(-1)) {
            result.code = 4;
            result.message = QStringLiteral("La data di stampa è precedente all' esercizio");
        } else {
            result.code = 0;
            result.anno = annoCorr - 1;
        }
    } else if (date > fine) {
        if (date > fine.addYears(1)) {
            result.code = 5;
            result.message = QStringLiteral("La data di stampa è successiva all' esercizio");
        } else {
            result.code = 0;
            result.anno = annoCorr + 1;
        }
    } else {
        result.code = 0;
        result.anno = annoCorr;
    }
    return result;
}

}  // namespace evapre
