#pragma once

#include <QDate>
#include <QString>

#include "MoneySettings.h"

namespace evapre {

class MenuClient;

// Outcome of the fiscal-year date check.
struct EsercizioCheck {
    int code = 3;  // 0 valid, 3 check failed, 4 before, 5 after the warehouse year
    int anno = 0;  // warehouse year of the date
    QString message;
};

// Company, personal and general parameters read through the menu client, with the values
// loaded once at start-up and their defaults.
class ParametriDitta {
  public:
    explicit ParametriDitta(MenuClient& menu);

    MenuClient& menu() { return mMenu; }

    // Blank when not set; a failed lookup counts as not set.
    QString company(const QString& key) const;
    // The user's value, else the alternative section/name, else the default (never the marker).
    QString personal(const QString& section, const QString& name, const QString& defaultValue = {},
                     const QString& altSection = {}, const QString& altName = {}) const;
    QString general(const QString& name, const QString& section) const;

    // Company value or a default when blank.
    QString companyOr(const QString& key, const QString& defaultValue) const;
    int companyInt(const QString& key, int defaultValue = 0) const;

    // Start-up values.
    void load();
    const QString& descAzie() const { return mDescAzie; }
    const QDate& workingDate() const { return mWorkingDate; }
    int numDecQta() const { return mNumDecQta; }
    const QString& moneta() const { return mMoneta; }
    const QString& codLira() const { return mCodLira; }
    const QString& codEuro() const { return mCodEuro; }
    const QString& operCambio() const { return mOperCambio; }
    const QString& cambioLiraEuro() const { return mCambioLiraEuro; }
    const QString& arrotIvaEuro() const { return mArrotIvaEuro; }
    bool gesTaglie() const { return mGesTaglie; }
    // Field colours as the menu gives them (a colour number, "&H" hexadecimal allowed).
    const QString& colBackGotFocus() const { return mColBackGotFocus; }
    const QString& colBackLostFocus() const { return mColBackLostFocus; }
    const QString& colBackForm() const { return mColBackForm; }
    const QString& tastierinoVirgola() const { return mTastierinoVirgola; }
    const QString& decodHelpAbil() const { return mDecodHelpAbil; }
    bool decodHelpPersKey() const { return mDecodHelpPersKey; }
    // The earliest date the date fields accept (dd/mm/yyyy).
    const QString& dataMinima() const { return mDataMinima; }
    bool arrUnitIntermedio() const { return mArrUnitIntermedio; }

    // The money functions' settings from the company and personal parameters.
    MoneySettings impostazioniMoneta() const;

    // "Versione x" and "del y" for the connection window; empty when not set.
    QString versionLabel() const;
    QString versionDateLabel() const;

    // Prices are hidden on the terminals of a ";"-separated list; an empty list hides nothing.
    static bool pricesHiddenFor(const QString& terminals, const QString& terminal);
    // A colour number as the menu writes it: decimal or "&H" hexadecimal; fallback otherwise.
    static quint32 colourNumber(const QString& text, quint32 fallback);

    // Windows open maximised when the list is "tutti," or names this terminal.
    static bool isMaximised(const QString& list, const QString& terminal);
    bool maximised() const;

    // Checks a date against the warehouse year (Mag.AnnoCorr, Mag.DataInizio, Mag.DataFine).
    EsercizioCheck checkEsercizio(const QDate& date) const;

  private:
    MenuClient& mMenu;
    QString mDescAzie;
    QDate mWorkingDate;
    int mNumDecQta = 0;
    QString mMoneta = QStringLiteral("Euro");
    QString mCodLira = QStringLiteral("L.");
    QString mCodEuro = QStringLiteral("Euro");
    QString mOperCambio = QStringLiteral("/");
    QString mCambioLiraEuro = QStringLiteral("1936,27");
    QString mArrotIvaEuro = QStringLiteral("A");
    bool mGesTaglie = false;
    QString mColBackGotFocus = QStringLiteral("&HFFFF80");
    QString mColBackLostFocus = QStringLiteral("&H80000005");
    QString mColBackForm = QStringLiteral("0");
    QString mTastierinoVirgola;
    QString mDecodHelpAbil = QStringLiteral("N");
    bool mDecodHelpPersKey = false;
    QString mDataMinima = QStringLiteral("01/01/1900");
    bool mArrUnitIntermedio = false;
};

}  // namespace evapre
