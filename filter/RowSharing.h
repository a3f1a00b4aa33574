// Rows of the pixel pass shared among a team, one row at a time: whoever is
// free takes the next row. Only the calling thread talks to the host: after
// each row it did, it reports the rows done so far and runs the
// interruption check, so a render still gives up within a row of being
// told to; the others then finish the row they are on and stop.
#pragma once

#include "framework/platform/WorkerTeam.h"

#include <cstdint>
#include <functional>

struct pfRowWork {
    std::function<void(int32_t)> fnRow;              // renders row y (any thread)
    std::function<void(int32_t)> fnProgress;         // rows done (calling thread)
    std::function<int16_t()> fnCheck;                // non-zero stops (calling thread)
};

// Without a team (or with one of one) the rows are done in order, each
// followed by its progress report and check. Returns the first non-zero
// check, or 0.
int16_t ShareRows(pfWorkerTeam* pTeam, int32_t nRows, const pfRowWork& work);
