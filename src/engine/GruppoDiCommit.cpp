#include "GruppoDiCommit.h"

#include "DbError.h"

namespace evapre {

GruppoDiCommit::GruppoDiCommit(scEvaPrev& motore, bool& pbEsci)
    : mMotore(motore), mEsci(pbEsci), mBatch(motore.mDb, kPerCommit) {
    segnaInizio();
}

GruppoDiCommit::~GruppoDiCommit() {
    chiudi();
    mMotore.rilasciaStatoDoc();
}

void GruppoDiCommit::segnaInizio() {
    mElaborati = mMotore.oiPreventiviElaborati;
    mChiusi = mMotore.ocDocumentiChiusi.size();
    if (mStatoDoc)
        mMotore.rilasciaStatoDoc();
    mStatoDoc = mMotore.segnaStatoDoc();
}

bool GruppoDiCommit::prossimo() {
    // A full group is committed here, where a failed commit can be taken back.
    if (mBatch.full() && !chiudi())
        return false;
    try {
        mBatch.beforeWrite();
    } catch (const DbError& e) {
        mMotore.RegistraErrore(e);
        mEsci = true;
        return false;
    }
    return true;
}

bool GruppoDiCommit::chiudi() {
    try {
        mBatch.flush();
    } catch (const DbError& e) {
        mMotore.RegistraErrore(e);
        mMotore.oiPreventiviElaborati = mElaborati;
        mMotore.ocDocumentiChiusi.resize(mChiusi);
        mMotore.ripristinaStatoDoc(*mStatoDoc);
        mEsci = true;
        segnaInizio();
        return false;
    }
    segnaInizio();
    return true;
}

}  // namespace evapre
