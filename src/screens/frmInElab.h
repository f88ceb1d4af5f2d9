#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace evapre {

// The progress window of long work: what is being done, the bar and the done / to-do
// counters. It never takes the input away from the rest of the program.
class frmInElab : public QDialog {
    Q_OBJECT
  public:
    explicit frmInElab(QWidget* parent = nullptr);

    // A new phase: its caption and the number of items (0: not counted).
    void avvia(const QString& didascalia, int totale);
    // Items done; a text for a phase that is not counted.
    void avanza(int fatti, const QString& contatori);

    QLabel* PicMsgElab;
    QLabel* LabMsgElab;
    QProgressBar* proDaFare;
    QLabel* LabFatti;
    QLabel* LabDi;
    QLabel* labDaFare;

  private:
    int mTotale = 0;
};

}  // namespace evapre
