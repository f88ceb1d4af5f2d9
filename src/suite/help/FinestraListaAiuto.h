#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

#include "ListaAiuto.h"

class QLineEdit;
class QTableWidget;

namespace evapre {

class DbConnection;
struct TabellaAiuto;

// The lookup list window: the rows of a table under the field's filter, code and
// description, searched as the user types. F3 orders by description, the other keys by code.
class FinestraListaAiuto : public QDialog {
    Q_OBJECT
  public:
    FinestraListaAiuto(DbConnection& db, const TabellaAiuto& tabella,
                       const RichiestaLista& richiesta, QWidget* parent = nullptr);

    QString scelto() const;
    int righe() const;
    // Shows only the rows whose code or description begins with the text (letter case
    // ignored), and puts the cursor on the first.
    void cerca(const QString& testo);

  private:
    void carica(const RichiestaLista& richiesta);

    DbConnection& mDb;
    const TabellaAiuto& mTabella;
    QLineEdit* mCerca;
    QTableWidget* mGriglia;
};

// The list window over the company database.
class ListaAiutoDb : public ListaAiuto {
  public:
    explicit ListaAiutoDb(DbConnection& db) : mDb(db) {}
    std::optional<QString> Scegli(QWidget* parent, const RichiestaLista& richiesta) override;

  private:
    DbConnection& mDb;
};

}  // namespace evapre
