#include "scMenuComandiClie.h"

namespace evapre {

scMenuComandiClie::scMenuComandiClie(std::unique_ptr<MenuClient> client, QObject* parent)
    : QObject(parent), mClient(std::move(client)) {
    connect(mClient.get(), &MenuClient::commandReceived, this, &scMenuComandiClie::eseguiComando);
}

scMenuComandiClie::~scMenuComandiClie() = default;

void scMenuComandiClie::eseguiComando(const QString& idMenu, const QString& keySec,
                                      const QString& command, const QVariant& param,
                                      QVariant* answer) {
    UltCom = command;
    UltParamVar = param;
    const QVariantList list = param.toList();
    UltParam = param.typeId() == QMetaType::QVariantList || param.typeId() == QMetaType::QStringList
                   ? (list.isEmpty() ? QString() : list.first().toString())
                   : param.toString();
    if (answer)
        *answer = QString();
    if (mHandler)
        mHandler(idMenu, keySec, command, param, answer);
}

}  // namespace evapre
