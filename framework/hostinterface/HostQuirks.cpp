#include "HostQuirks.h"

bool HostIgnoresErrors(const FilterRecord& record)
{
    // Affinity Photo (both byte orders seen) and IrfanView.
    switch (record.hostSig) {
    case FourCC("AffP"):
    case FourCC("PffA"):
    case FourCC("UP20"): return true;
    default: return false;
    }
}

bool HostWantsSilence(const FilterRecord& record)
{
    return record.descriptorParameters && record.descriptorParameters->playInfo == plugInDialogSilent;
}
