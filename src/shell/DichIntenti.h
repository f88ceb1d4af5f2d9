#pragma once

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace evapre {

class DbConnection;
class ParametriDitta;
class RowSet;
class UiServices;

// The note that a document covered by a customer's declarations of intent carries: the
// legal basis and the data of the declarations, from PdcDicIntenti (several per customer)
// or from the single declaration kept in the customer's PianoConti row.
//
// Templates hold placeholders between "§" signs (§NrDich§, §DtDich§ ...) and sections
// opened by §tag§ and closed by §/tag§:
// - §RigIni§ … §RigFin§: repeated once per declaration, in PdcDicIntenti order;
// - M1 / Mn: kept when the note cites exactly one / more than one declaration;
// - MUL / M-UL: inside the repeated part, kept only in the copy of the last declaration /
//   in every copy but the last (a separator between declarations); outside it, MUL is kept
//   and M-UL dropped;
// - M0 / M2: kept when the declaration's reference layout (RifComunicIntenti) is blank or
//   "Rif1" (declaration and registration numbers) / "Rif2" or "Rif3" (the receipt-protocol
//   layouts); outside the repeated part the first declaration's layout counts.
// The tags go; a section whose closing tag is missing keeps its text. Placeholders outside
// the repeated part take the first declaration's values. A template without sections comes
// out unchanged apart from its placeholders.
class DichIntenti {
  public:
    // The answer when the customer has no declaration to cite.
    static QString Nessuna() { return QStringLiteral("NO"); }

    // Database errors go to the message window unless a sink is set (a run's error log).
    using RegistroErrori = std::function<void(const QString& testo)>;

    // One declaration: placeholder name (without the "§") → its formatted value.
    struct Dichiarazione {
        QHash<QString, QString> valori;
        QString rifComunic;
    };

    DichIntenti(DbConnection& db, ParametriDitta& parametri, UiServices& ui);

    void setRegistroErrori(RegistroErrori registro) { mRegistro = std::move(registro); }

    // The note for the customer, or Nessuna(). modello is the template itself when it starts
    // and ends with "§" (the two signs are dropped), otherwise the name of a personal setting
    // of section "Fatture"; when that is blank, modelloDefault, then the standard template.
    // numero 0 takes every declaration, another number only that one; soloAttive skips the
    // declarations not in force. A database error is reported and gives Nessuna(): the
    // document is then made without a note.
    QString NotaDichIntenti(const QString& gruppo, const QString& mastro, const QString& conto,
                            const QString& modello, const QString& modelloDefault = {},
                            int numero = 0, bool soloAttive = true);

    // The standard template: with the receipt protocol, or with declaration and
    // registration numbers and dates.
    static QString ModelloStandard(bool conProtocollo);

    // Fills a template with the declarations (at least one).
    static QString CompilaModello(const QString& modello, const QVector<Dichiarazione>& dich);

    // Keeps (markers dropped) or removes every §tag§ … §/tag§ section of the text.
    static QString ApplicaSezione(QString testo, const QString& tag, bool tieni);

  private:
    QString modelloScelto(const QString& modello, const QString& modelloDefault,
                          bool conProtocollo) const;
    QString notaSingola(const QString& gruppo, const QString& mastro, const QString& conto,
                        const QString& modello, const QString& modelloDefault);
    static Dichiarazione daRiga(const RowSet& riga);

    DbConnection& mDb;
    ParametriDitta& mParametri;
    UiServices& mUi;
    RegistroErrori mRegistro;
    std::optional<bool> mTabellaPresente;
};

}  // namespace evapre
