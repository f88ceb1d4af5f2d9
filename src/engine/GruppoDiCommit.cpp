#include "GruppoDiCommit.h"

#include <limits>

#include "DbError.h"

namespace evapre {

GruppoDiCommit::GruppoDiCommit(scEvaPrev& motore, bool& pbEsci)
    : mMotore(motore), mEsci(pbEsci), mBatch(motore.mDb, std::numeric_limits<int>::max()) {
    segnaInizio();
}

GruppoDiCommit::~GruppoDiCommit() {
    chiudi();
}

void GruppoDiCommit::segnaInizio() {
    mElaborati = mMotore.oiPreventiviElaborati;
    mChiusi = mMotore.ocDocumentiChiusi.size();
    mStatoDoc = mMotore.mStatoDoc;
    mNelGruppo = 0;
}

bool GruppoDiCommit::prossimo() {
    if (mNelGruppo >= kPerCommit && !chiudi())
        return false;
    try {
        mBatch.beforeWrite();
    } catch (const DbError& e) {
        mMotore.RegistraErrore(e);
        mEsci = true;
        return false;
    }
    ++mNelGruppo;
    return true;
}

bool GruppoDiCommit::chiudi() {
    try {
        mBatch.flush();
    } catch (const DbError& e) {
        mMotore.RegistraErrore(e);
        mMotore.oiPreventiviElaborati = mElaborati;
        mMotore.ocDocumentiChiusi.resize(mChiusi);
        mMotore.mStatoDoc = mStatoDoc;
        mEsci = true;
        segnaInizio();
        return false;
    }
    segnaInizio();
    return true;
}

}  // namespace evapre
