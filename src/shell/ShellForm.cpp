#include "ShellForm.h"

#include <QHash>

namespace evapre {

namespace {

QHash<QString, FormRegistry::Factory>& factories() {
    static QHash<QString, FormRegistry::Factory> map;
    return map;
}

}  // namespace

void FormRegistry::registerForm(const QString& name, Factory factory) {
    factories().insert(name.trimmed().toLower(), std::move(factory));
}

bool FormRegistry::contains(const QString& name) {
    return factories().contains(name.trimmed().toLower());
}

std::unique_ptr<ShellForm> FormRegistry::create(const QString& name) {
    const auto it = factories().constFind(name.trimmed().toLower());
    if (it == factories().constEnd() || !*it)
        return nullptr;
    try {
        return (*it)();
    } catch (const std::exception&) {
        return nullptr;
    }
}

void FormRegistry::clear() {
    factories().clear();
}

}  // namespace evapre
