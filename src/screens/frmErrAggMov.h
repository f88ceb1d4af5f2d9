#pragma once

#include <QDialog>

#include "FinestraErrAggMov.h"

class QLabel;
class QPushButton;

namespace evapre {

// The error window of a failed posting reversal: the fixed heading, the failure's message and
// "Prosegui", which closes it.
class frmErrAggMov : public QDialog, public FinestraErrAggMov {
    Q_OBJECT
  public:
    explicit frmErrAggMov(QWidget* parent = nullptr);

    // Shows the message and waits for "Prosegui".
    void MostraErrore(const QString& messaggio) override;
    // Prepares the window without waiting (for callers that show it themselves).
    void Prepara(const QString& messaggio);

    QString messaggio() const;
    QPushButton* prosegui() const { return comPresegui; }

  private:
    void adattaAlloSchermo();

    QLabel* labErrore;
    QLabel* LabMsgErr;
    QPushButton* comPresegui;
};

}  // namespace evapre
