#include "RiprovaBlocchi.h"

#include <QThread>

#include "DbError.h"

namespace evapre {

void RiprovaBlocchi::esegui(const std::function<void()>& unita) {
    for (int tentativo = 1;; ++tentativo) {
        try {
            unita();
            return;
        } catch (const DbError& e) {
            const bool bloccati = e.number() == DbErr::Locked;
            if (!bloccati && e.number() != DbErr::DataChanged)
                throw;
            if (tentativo >= mTentativi) {
                const QString messaggio =
                    (bloccati ? QStringLiteral("Dati in uso da altri: RIPROVARE")
                              : QStringLiteral("Dati modificati da altri: RIPROVARE")) +
                    QLatin1Char('\n') + avvertenza();
                mRegistro(messaggio);
                throw TentativiEsauriti(messaggio);
            }
            mAvviso((bloccati ? QStringLiteral("Dati bloccati tentativo n. ")
                              : QStringLiteral("Dati modificati tentativo n. ")) +
                    QString::number(tentativo + 1));
            if (mAttesaMs > 0)
                QThread::msleep(static_cast<unsigned long>(mAttesaMs * tentativo));
        }
    }
}

}  // namespace evapre
