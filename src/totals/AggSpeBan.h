#pragma once

#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "Currency.h"
#include "MoneySettings.h"

namespace evapre {

class DbConnection;
class RowSet;
class UiServices;

// Keeps a document's automatic expense rows in step with the document: the collection
// charge of its payment terms and the stamp duty charged to the customer. A row is added
// when the document starts to qualify, refreshed while it still does, replaced when the
// expense code changes and deleted when it no longer qualifies. Also records the stamp duty
// in the electronic-invoice extension of the invoice header.
class AggSpeBan {
  public:
    // One state of the document as far as the charges are concerned.
    struct Stato {
        QString selettore;  // the document's collection kind; blank or "-" means no charge
        QString conto;      // customer account "GGMMCCCCC" or "GG-MM-CCCCC"
        QString pagamento;  // payment terms code
        std::optional<QString> flagCliente;  // replaces the customer's SpeseBan / Bolli
    };

    // Payment terms and expense codes are read once per object: keep one only as long as
    // nothing changes them (the fulfilment run writes neither).
    AggSpeBan(DbConnection& db, const MoneySettings& moneta, UiServices& ui);
    ~AggSpeBan();
    AggSpeBan(const AggSpeBan&) = delete;
    AggSpeBan& operator=(const AggSpeBan&) = delete;

    // Both return the Riga written, or 0 when no row was written (none needed, or deleted).
    // A failure ends the operation with the reason in osErrori.
    int AggSpeseBan(const QString& tabella, int anno, qint32 numRif, const Stato& vecchio,
                    const Stato& nuovo, const QString& moneta, int decimali);
    int AggBolli(const QString& tabella, int anno, qint32 numRif, const Stato& vecchio,
                 const Stato& nuovo, const QString& moneta, int decimali);
    // Sets FENumeroBollo "SI" and FEImportoBollo when the stamp is added and not 0, clears
    // them otherwise; a failure is shown in the message window. False on failure.
    bool AggFatTestFe(int anno, qint32 numRif, const QString& addBolli, Currency importoBollo);

    // Whether a document's expense table holds a row of the expense, and the document's
    // highest Riga (0 without rows), in one read.
    static bool HaRigaDellaSpesa(DbConnection& db, const QString& tabella, int anno, qint32 numRif,
                                 const QString& spesa, int& ultimaRiga);

    // Splits "GGMMCCCCC" or "GG-MM-CCCCC" into group, ledger and account.
    static void DividiConto(const QString& conto, QString& gruppo, QString& mastro,
                            QString& contoSolo);

    QString osErrori;

  private:
    struct Addebito;
    struct Regola {
        const char* titolo;        // procedure name for the error text
        const char* flagCliente;   // PianoConti column
        const char* tipoAddebito;  // Spese.TipoAddebito that qualifies
    };

    int aggiorna(const Regola& regola, const QString& tabella, int anno, qint32 numRif,
                 const Stato& vecchio, const Stato& nuovo, const QString& moneta, int decimali);
    std::optional<Addebito> addebito(const Regola& regola, const Stato& stato,
                                     const QString& moneta);
    bool clienteAddebitato(const Regola& regola, const Stato& stato);
    RowSet& spesaDelPagamento(const QString& pagamento);
    std::unique_ptr<RowSet> rigaEsistente(const QString& tabella, int anno, qint32 numRif,
                                          const QString& spesa);
    int aggiungiRiga(const QString& tabella, int anno, qint32 numRif, int riga, const Addebito& a,
                     int decimali);
    QList<QPair<QString, QVariant>> importi(const Addebito& a, int decimali) const;
    bool nazionale(const QString& moneta) const;
    bool lire(const QString& moneta) const;

    DbConnection& mDb;
    MoneySettings mMoneta;
    UiServices& mUi;
    // The payment terms' expense, read once per payment code for the life of the object.
    std::map<QString, std::unique_ptr<RowSet>> mSpesePagamento;
};

}  // namespace evapre
