// Receipts: the quote's lines into a warehouse movement, posted at once.
#include "scEvaPrev.h"

namespace evapre {

struct scEvaPrev::Corrisp {};

bool scEvaPrev::LetCtrFatDocOrdErr() {
    return true;
}

int scEvaPrev::EvadeDettCorrisp(RowSet& testata, const PreventivoCorrente& prev, bool& pbEsci) {
    Q_UNUSED(testata);
    Q_UNUSED(prev);
    mancaPasso("l'evasione a corrispettivo", pbEsci);
    return 0;
}

}  // namespace evapre
