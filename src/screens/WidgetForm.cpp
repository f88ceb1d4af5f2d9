#include "WidgetForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

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

// Stands for the selection form until it is built.
QWidget* createSelezione(WidgetForm&) {
    auto* window = new QWidget;
    window->setObjectName(QStringLiteral("frmEvasPre"));
    window->setWindowTitle(QStringLiteral("Evasione Preventivi"));
    auto* layout = new QVBoxLayout(window);
    auto* label = new QLabel(QStringLiteral("Selezione in preparazione"), window);
    label->setObjectName(QStringLiteral("LabSelezione"));
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("&Chiudi"), window);
    close->setObjectName(QStringLiteral("ComChiudi"));
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);
    row->addWidget(close);
    layout->addLayout(row);
    window->resize(420, 160);
    return window;
}

}  // namespace

void RegisterScreens() {
    if (!FormRegistry::contains(QStringLiteral("frmevaspre")))
        FormRegistry::registerForm(QStringLiteral("frmevaspre"), [] {
            return std::make_unique<WidgetForm>(QStringLiteral("frmEvasPre"), createSelezione);
        });
}

}  // namespace evapre
