#pragma once

#include <QString>
#include <QTableWidget>
#include <QVariantList>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "SelezioneManuale.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace evapre {

class scEvaPrev;

// A grid of the form: the current edit can be committed from outside, and F9/F10 are told.
class GrigliaPreEva : public QTableWidget {
    Q_OBJECT
  public:
    using QTableWidget::QTableWidget;
    // Commits the value being typed, as leaving the cell would.
    void confermaModifica();

  signals:
    void tastoFunzione(int tasto);

  protected:
    void keyReleaseEvent(QKeyEvent* event) override;
};

// The manual pre-fulfilment grid: the selected quotes group by group. The decisions live in
// SelezioneManuale; the form shows its three grids and hands clicks, typing and keys to it.
class frmPreEvaManu : public QWidget {
    Q_OBJECT
  public:
    explicit frmPreEvaManu(QWidget* parent = nullptr);
    ~frmPreEvaManu() override;

    QString osKeySec;
    // The selection form's engine, handed in before EvasioneManuale; it must outlive the form.
    void setMotore(scEvaPrev& motore) { mMotore = &motore; }
    // Loads the first group and shows the form; returns once it is shown. The form closes
    // itself when no group is left (chiuso() tells the owner, who deletes it).
    void EvasioneManuale();

    GrigliaPreEva* griglia(Griglia g) const { return dbgLista[static_cast<int>(g)]; }
    // The grid column with this caption, -1 when there is none.
    int colonna(Griglia g, const QString& titolo) const;
    QLineEdit* cambio() const { return txtCambio; }
    QLabel* cliente() const { return labCliente; }
    QPushButton* livelli() const { return comLivelli; }
    QPushButton* annulla() const { return comAnnulla; }
    QPushButton* prosegui() const { return comProsegui; }
    SelezioneManuale* selezione() const { return mSel.get(); }

  signals:
    void chiuso();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    friend class EditorGrigliaPreEva;

    void costruisci();
    void impostaForm();
    void mostraGruppo();
    void riempi(Griglia g);
    void riempiTutte();
    void dispone(Griglia g);
    int campo(Griglia g, const QString& nome) const;
    const QVariant& valore(Griglia g, int riga, const QString& nome) const;
    ChiaveRigaEva chiaveRiga(int riga) const;
    QString testoCella(const QVariant& valore, const ColonnaGriglia& c) const;

    void click(Griglia g, int riga, int col);
    bool confermaValore(Griglia g, int riga, int col, const QString& testo);
    void tasto(Griglia g, int tasto);
    void comLivelli_Click();
    void ComProsegui_Click();

    scEvaPrev* mMotore = nullptr;
    std::unique_ptr<SelezioneManuale> mSel;
    std::array<QList<ColonnaGriglia>, 3> mColonne;
    std::array<std::vector<QVariantList>, 3> mValori;  // raw values of each grid row
    bool mbCaricato = false;
    bool mbChiuso = false;

    std::array<GrigliaPreEva*, 3> dbgLista{};
    QLabel* labCliente = nullptr;
    QLabel* labCambio = nullptr;
    QLabel* labDataCambio = nullptr;
    QLineEdit* txtCambio = nullptr;
    QPushButton* comLivelli = nullptr;
    QPushButton* comVisualizza = nullptr;
    QPushButton* comAnnulla = nullptr;
    QPushButton* comProsegui = nullptr;
};

}  // namespace evapre
