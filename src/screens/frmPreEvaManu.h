#pragma once

#include <QString>
#include <QWidget>

namespace evapre {

class scEvaPrev;

// The manual pre-fulfilment grid: the selected quotes group by group.
class frmPreEvaManu : public QWidget {
    Q_OBJECT
  public:
    explicit frmPreEvaManu(QWidget* parent = nullptr);

    QString osKeySec;
    // The selection form's engine, handed in before EvasioneManuale.
    void setMotore(scEvaPrev& motore) { mMotore = &motore; }
    // Loads the first group and shows the form; returns once it is shown. The form closes
    // itself when no group is left.
    void EvasioneManuale();

  private:
    scEvaPrev* mMotore = nullptr;
};

}  // namespace evapre
