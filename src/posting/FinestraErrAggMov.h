#pragma once

#include <QString>

namespace evapre {

// The small error window of a failed posting reversal: it shows the message and waits for
// "Prosegui". The screens provide it; without one the message window is used.
class FinestraErrAggMov {
  public:
    virtual ~FinestraErrAggMov() = default;
    virtual void MostraErrore(const QString& messaggio) = 0;
};

}  // namespace evapre
