#include "scTovUtilPrg.h"

namespace evapre {

scTovUtilPrg::scTovUtilPrg(std::unique_ptr<HelpComponent> component, QObject* parent)
    : QObject(parent), mComponent(std::move(component)) {
    if (!mComponent)
        mComponent = std::make_unique<HelpComponent>();
    connect(mComponent.get(), &HelpComponent::lanciaKeyPrim, this,
            [this](const QString& key) { mKeyPrim = key; });
    connect(mComponent.get(), &HelpComponent::lanciaKeySec, this,
            [this](const QString& key) { mKeySec = key; });
    connect(mComponent.get(), &HelpComponent::clsMainMenuFrm, this, [this] {
        if (mShowMainMenu)
            mShowMainMenu();
    });
}

}  // namespace evapre
