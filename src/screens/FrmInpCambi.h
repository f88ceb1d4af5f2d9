#pragma once

#include <QDialog>
#include <vector>

#include "CambiEvasione.h"

class QCheckBox;
class QPushButton;
class QTableWidget;

namespace evapre {

class UiServices;

// The exchange rates of a run: one row per currency, only the rate can be changed.
// "&Chiudi" (or closing the window) accepts only when every rate is given and not zero.
class FrmInpCambi : public QDialog {
    Q_OBJECT
  public:
    FrmInpCambi(UiServices& ui, QWidget* parent = nullptr);

    QString osKeySec;
    // The collection shown, and written back on a successful close.
    void setCambi(std::vector<CambioProposto>* cambi);

    QTableWidget* dbgCambi;
    QCheckBox* CheAggTutti;
    QPushButton* ComChiudi;

    enum Colonna { ColCodice, ColMoneta, ColData, ColCambio };

  public slots:
    void ComChiudi_Click();

  protected:
    void closeEvent(QCloseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

  private:
    void riempi();
    void confermaModifica();
    bool scriviCambi();

    UiServices& mUi;
    std::vector<CambioProposto>* mCambi = nullptr;
    bool mChiuso = false;
};

}  // namespace evapre
