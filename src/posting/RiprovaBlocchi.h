#pragma once

#include <QString>
#include <functional>
#include <stdexcept>

namespace evapre {

// A lock conflict that outlasted every attempt; its message has been reported already.
class TentativiEsauriti : public std::runtime_error {
  public:
    explicit TentativiEsauriti(const QString& messaggio)
        : std::runtime_error(messaggio.toStdString()), mMessaggio(messaggio) {}
    const QString& messaggio() const { return mMessaggio; }

  private:
    QString mMessaggio;
};

// Runs a unit of database work again when it meets a lock conflict: a record locked by
// another user (3260) or changed by one meanwhile (3197). Each new attempt is announced
// ("Dati bloccati tentativo n. 2"); when the attempts are over the final message is reported and
// TentativiEsauriti is thrown. The unit must leave nothing behind when it throws (a row
// posted under a savepoint). Any other error passes through at once.
class RiprovaBlocchi {
  public:
    using Registro = std::function<void(const QString& testo)>;

    static constexpr int kTentativi = 5;
    static constexpr int kAttesaMs = 200;  // grows with each attempt

    // avviso shows an attempt while it runs, registro reports the final failure.
    RiprovaBlocchi(Registro avviso, Registro registro, int tentativi = kTentativi,
                   int attesaMs = kAttesaMs)
        : mAvviso(std::move(avviso)),
          mRegistro(std::move(registro)),
          mTentativi(tentativi),
          mAttesaMs(attesaMs) {}

    void esegui(const std::function<void()>& unita);

    static QString avvertenza() {
        return QStringLiteral(
            "(In caso contrario i dati delle sintesi movimenti potrebbero non essere giusti)");
    }

  private:
    Registro mAvviso;
    Registro mRegistro;
    int mTentativi;
    int mAttesaMs;
};

}  // namespace evapre
