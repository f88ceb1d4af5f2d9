#include "frmConn.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>

namespace evapre {

frmConn::frmConn(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmConn"));
    setWindowTitle(QStringLiteral("Connessione"));
    auto* layout = new QGridLayout(this);
    labTitolo = new QLabel(QStringLiteral("Connessione primaria al database"), this);
    QFont big = labTitolo->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 2);
    labTitolo->setFont(big);
    imgAccess = new QLabel(this);
    imgAccess->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    imgOracle = new QLabel(this);
    imgOracle->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    labVersione = new QLabel(this);
    LabDataVer = new QLabel(this);
    txtNomeDb = new QLineEdit(this);
    txtNomeDb->setReadOnly(true);
    layout->addWidget(labTitolo, 0, 0, 1, 3);
    layout->addWidget(imgAccess, 1, 0);
    layout->addWidget(imgOracle, 1, 1);
    layout->addWidget(txtNomeDb, 1, 2);
    layout->addWidget(labVersione, 2, 0, 1, 2);
    layout->addWidget(LabDataVer, 2, 2);
    setMinimumWidth(420);
}

void frmConn::prepara(const ConnWindowInfo& info) {
    labTitolo->setText(info.titolo);
    imgAccess->setVisible(info.showAccess);
    imgOracle->setVisible(info.showOracle);
    labVersione->setText(info.versione);
    LabDataVer->setText(info.dataVersione);
    txtNomeDb->setText(info.nomeDb);
    adjustSize();
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

}  // namespace evapre
