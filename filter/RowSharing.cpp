#include "RowSharing.h"

#include <atomic>

int16_t ShareRows(pfWorkerTeam* pTeam, int32_t nRows, const pfRowWork& work)
{
    if (!pTeam || pTeam->GetSize() == 1) {
        for (int32_t y = 0; y < nRows; ++y) {
            work.fnRow(y);
            work.fnProgress(y + 1);
            if (const int16_t nResult = work.fnCheck())
                return nResult;
        }
        return 0;
    }

    std::atomic<int32_t> nNext{0}, nDone{0};
    std::atomic<bool> bStop{false};
    int16_t nResult = 0;
    int32_t nReported = 0;
    pTeam->Run([&](int32_t nMember) {
        while (!bStop.load(std::memory_order_relaxed)) {
            const int32_t y = nNext.fetch_add(1);
            if (y >= nRows)
                return;
            work.fnRow(y);
            ++nDone;
            if (nMember != 0)
                continue;
            nReported = nDone.load();
            work.fnProgress(nReported);
            if ((nResult = work.fnCheck()) != 0)
                bStop = true;
        }
    });
    // The workers' last rows may have ended after the caller's last report.
    if (nResult == 0 && nReported < nRows)
        work.fnProgress(nRows);
    return nResult;
}
