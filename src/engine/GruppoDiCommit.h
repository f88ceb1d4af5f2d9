#pragma once

#include <cstddef>
#include <optional>

#include "DbConnection.h"
#include "scEvaPrev.h"

namespace evapre {

// On a file database the quotes (or documents) of a run are committed a hundred at a time:
// each keeps its own transaction as a savepoint, so a failure undoes it alone, while the
// database journals and syncs the pages they share once per group. A group that fails to
// commit is taken back from the run's results and stops the run. On a server each keeps its
// own commit.
class GruppoDiCommit {
  public:
    static constexpr int kPerCommit = 100;

    GruppoDiCommit(scEvaPrev& motore, bool& pbEsci);
    ~GruppoDiCommit();
    GruppoDiCommit(const GruppoDiCommit&) = delete;
    GruppoDiCommit& operator=(const GruppoDiCommit&) = delete;

    // Before each quote or document: false when the run must stop.
    bool prossimo();
    // Commits the group; false (the error logged) when the commit failed.
    bool chiudi();

  private:
    void segnaInizio();

    scEvaPrev& mMotore;
    bool& mEsci;
    DbWriteBatch mBatch;
    int mElaborati = 0;
    std::size_t mChiusi = 0;
    std::optional<scEvaPrev::PuntoStatoDoc> mStatoDoc;
};

}  // namespace evapre
