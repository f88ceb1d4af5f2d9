#include "frmPrincipale.h"

#include <signal.h>

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "frmConn.h"

namespace evapre {

frmPrincipale::frmPrincipale(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmPrincipale"));
    setWindowTitle(QStringLiteral("Form Principale del programma"));
    auto* layout = new QVBoxLayout(this);
    lblChiusura = new QLabel(QStringLiteral("Chiusura in corso"), this);
    lblChiusura->setObjectName(QStringLiteral("lblChiusura"));
    lblChiusura->setVisible(false);
    layout->addWidget(lblChiusura);
}

frmPrincipale::~frmPrincipale() {
    delete mConn.data();
}

bool frmPrincipale::modalWindowShowing() {
    return QApplication::activeModalWidget() != nullptr;
}

void frmPrincipale::processEvents() {
    QCoreApplication::processEvents();
}

void frmPrincipale::quit(int exitCode) {
    QMetaObject::invokeMethod(
        qApp, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}

bool frmPrincipale::activateProcess(const QString& processId) {
    // Windows of another process cannot be raised from here; a live process counts as shown.
    bool ok = false;
    const qint64 pid = processId.trimmed().toLongLong(&ok);
    return ok && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
}

void frmPrincipale::showConnWindow(const ConnWindowInfo& info) {
    if (!mConn)
        mConn = new frmConn;
    mConn->prepara(info);
    mConn->show();
}

void frmPrincipale::hideConnWindow() {
    if (mConn) {
        mConn->hide();
        mConn->deleteLater();
    }
}

void frmPrincipale::showClosing(bool closing) {
    lblChiusura->setVisible(closing);
}

}  // namespace evapre
