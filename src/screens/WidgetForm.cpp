#include "WidgetForm.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "AziendaUtil.h"
#include "DbConnection.h"
#include "DbError.h"
#include "FinestraListaAiuto.h"
#include "ParametriDitta.h"
#include "UiServices.h"
#include "VeltDbasedll.h"
#include "frmEvasPre.h"
#include "mainEvasionePreventivi.h"

namespace evapre {

WidgetForm::WidgetForm(const QString& name, std::function<QWidget*(WidgetForm&)> create,
                       QObject* parent)
    : ShellForm(name, parent), mCreate(std::move(create)) {}

WidgetForm::~WidgetForm() {
    if (mWidget) {
        disconnect(mWidget, nullptr, this, nullptr);
        delete mWidget.data();
    }
}

void WidgetForm::load() {
    oiLoadOk = 0;
    QWidget* widget = mCreate ? mCreate(*this) : nullptr;
    if (!widget)
        return;
    mWidget = widget;
    mWidget->setAttribute(Qt::WA_DeleteOnClose);
    connect(mWidget, &QObject::destroyed, this, &WidgetForm::widgetGone);
    oiLoadOk = 1;
}

void WidgetForm::show(bool modal) {
    if (!mWidget)
        return;
    mWidget->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    mWidget->show();
}

void WidgetForm::giveFocus() {
    if (!mWidget)
        return;
    if (mWidget->isMinimized())
        mWidget->showNormal();
    mWidget->raise();
    mWidget->activateWindow();
}

bool WidgetForm::queryUnload() {
    if (!mWidget)
        return true;
    // The form's closeEvent decides, as when the user closes it.
    QCloseEvent event;
    QCoreApplication::sendEvent(mWidget, &event);
    return event.isAccepted();
}

void WidgetForm::unload() {
    if (mWidget) {
        disconnect(mWidget, nullptr, this, nullptr);
        mWidget->hide();
        mWidget->deleteLater();
        mWidget = nullptr;
    }
    widgetGone();
}

void WidgetForm::widgetGone() {
    if (mGone)
        return;
    mGone = true;
    emit unloaded(this);
}

namespace {

// What the selection form works with beyond the shell's services; it goes with the form.
class ServiziSelezione : public QObject {
  public:
    ServiziSelezione(DbConnection& db, ParametriDitta& parametri, QObject* parent)
        : QObject(parent), moneta(db, parametri.impostazioniMoneta()), lista(db) {}
    AziendaUtil moneta;
    ListaAiutoDb lista;
};

// The selection form over the shell's database, parameters and user.
QWidget* createSelezione(WidgetForm& form) {
    mainEvasionePreventivi* shell = mainEvasionePreventivi::current();
    if (!shell || !shell->parametri())
        return nullptr;
    auto& componente = VeltDbasedll::instance();
    if (!componente.hasConnection(shell->state().dbId))
        return nullptr;
    DbConnection& db = componente.connection(shell->state().dbId);
    ParametriDitta& parametri = *shell->parametri();
    auto* servizi = new ServiziSelezione(db, parametri, nullptr);
    try {
        servizi->moneta.caricaDecimali();
    } catch (const DbError& e) {
        shell->ui().message(e.describe(), {QStringLiteral("&Ok")}, 1, MsgIcon::Critical);
        delete servizi;
        return nullptr;
    }
    auto* finestra = new frmEvasPre(db, parametri, servizi->moneta, shell->ui(), servizi->lista,
                                    shell->state().programKey, form.osKeySec);
    servizi->setParent(finestra);
    if (!finestra->Form_Load()) {
        delete finestra;
        return nullptr;
    }
    return finestra;
}

}  // namespace

void RegisterScreens() {
    if (!FormRegistry::contains(QStringLiteral("frmevaspre")))
        FormRegistry::registerForm(QStringLiteral("frmevaspre"), [] {
            return std::make_unique<WidgetForm>(QStringLiteral("frmEvasPre"), createSelezione);
        });
}

}  // namespace evapre
