#pragma once

#include <QWidget>

#include "ShellHost.h"

class QLabel;
class QLineEdit;

namespace evapre {

// The window shown while the company database opens.
class frmConn : public QWidget {
    Q_OBJECT
  public:
    explicit frmConn(QWidget* parent = nullptr);

    void prepara(const ConnWindowInfo& info);

    QLabel* labTitolo;
    QLabel* imgAccess;
    QLabel* imgOracle;
    QLabel* labVersione;
    QLabel* LabDataVer;
    QLineEdit* txtNomeDb;
};

}  // namespace evapre
