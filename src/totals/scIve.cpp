#include "scIve.h"

namespace evapre {

scIva& scIve::AddIva(const QString& psIva) {
    auto bucket = std::make_unique<scIva>();
    bucket->osIva = psIva;
    return mIve.add(psIva, std::move(bucket));
}

}  // namespace evapre
