// scripting/ holds the parameters' recording into and playback from host actions.
// Recording into and playing back from host actions: the collection reads
// the host's descriptor before the dialog and writes a fresh one after it.
#include "framework/parameters/Parameter.h"
#include "framework/parameters/Parameters.h"
#include "framework/trace/Trace.h"

#include <new>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

constexpr int16_t kReadProcCount = 18;
constexpr int16_t kWriteProcCount = 16;
constexpr int16_t kHandleProcCount = 7;

bool AllReadProcsPresent(const ReadDescriptorProcs& procs)
{
    return procs.openReadDescriptorProc && procs.closeReadDescriptorProc && procs.getKeyProc &&
           procs.getIntegerProc && procs.getFloatProc && procs.getUnitFloatProc && procs.getBooleanProc &&
           procs.getTextProc && procs.getAliasProc && procs.getEnumeratedProc && procs.getClassProc &&
           procs.getSimpleReferenceProc && procs.getObjectProc && procs.getCountProc && procs.getStringProc &&
           procs.getPinnedIntegerProc && procs.getPinnedFloatProc && procs.getPinnedUnitFloatProc;
}

// Ends reading: the descriptor has been consumed, so the host's handle goes.
void CloseReader(FilterRecord* pFilterRecord, PIReadDescriptor token)
{
    PIDescriptorParameters* pDescriptor = pFilterRecord->descriptorParameters;
    pDescriptor->readDescriptorProcs->closeReadDescriptorProc(token);
    ReleaseHostHandle(pFilterRecord->handleProcs, pDescriptor->descriptor);
    pDescriptor->descriptor = nullptr;
}

// Ends writing: the new descriptor replaces whatever the record still held.
void CloseWriter(FilterRecord* pFilterRecord, PIWriteDescriptor token)
{
    PIDescriptorParameters* pDescriptor = pFilterRecord->descriptorParameters;
    ReleaseHostHandle(pFilterRecord->handleProcs, pDescriptor->descriptor);
    pDescriptor->descriptor = nullptr;
    PIDescriptorHandle hNewDescriptor = nullptr;
    pDescriptor->writeDescriptorProcs->closeWriteDescriptorProc(token, &hNewDescriptor);
    pDescriptor->descriptor = hNewDescriptor;
    pDescriptor->recordInfo = plugInDialogOptional;
}

}  // namespace

bool DescriptorAvailable(const PIDescriptorParameters* pDescriptorParameters)
{
    if (!pDescriptorParameters || pDescriptorParameters->descriptorParametersVersion != 0)
        return false;
    const ReadDescriptorProcs* pRead = pDescriptorParameters->readDescriptorProcs;
    const WriteDescriptorProcs* pWrite = pDescriptorParameters->writeDescriptorProcs;
    if (!pRead || !pWrite)
        return false;
    if (pRead->readDescriptorProcsVersion != 0 || pRead->numReadDescriptorProcs < kReadProcCount ||
        !AllReadProcsPresent(*pRead))
        return false;
    return pWrite->writeDescriptorProcsVersion == 0 && pWrite->numWriteDescriptorProcs >= kWriteProcCount;
}

bool HandleProcsAvailable(const HandleProcs* pHandleProcs)
{
    return pHandleProcs && pHandleProcs->handleProcsVersion == 1 &&
           pHandleProcs->numHandleProcs >= kHandleProcCount && pHandleProcs->newProc &&
           pHandleProcs->disposeProc && pHandleProcs->getSizeProc && pHandleProcs->setSizeProc;
}

void ReleaseHostHandle(const HandleProcs* pHandleProcs, Handle hHandle)
{
    if (!hHandle)
        return;
    // Some hosts fill in every procedure but report version 0; their handles
    // are theirs to free, and treating them as global memory would corrupt
    // the host's heap. So any table with a dispose procedure is used.
    if (HandleProcsAvailable(pHandleProcs) || (pHandleProcs && pHandleProcs->disposeProc)) {
        pHandleProcs->disposeProc(hHandle);
        return;
    }
#if defined(_WIN32)
    // Hosts without handle procedures hand out global-memory master pointers:
    // a locked block holding the data pointer, which points into a second
    // locked block.
    if (Ptr pData = *hHandle) {
        if (HGLOBAL hData = GlobalHandle(pData)) {
            GlobalUnlock(hData);
            GlobalFree(hData);
        }
    }
    if (HGLOBAL hMaster = GlobalHandle(hHandle)) {
        GlobalUnlock(hMaster);
        GlobalFree(hMaster);
    }
#else
    // Outside Windows there is no allocator that a host without handle
    // procedures could share with us, so such a handle cannot be freed safely
    // here; it is left to the host.
#endif
}

bool pfParameters::ReadScriptParams(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfParmeters::ReadScriptParams( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    bool bShow = true;
    std::vector<DescriptorKeyID> keys;
    try {
        int32_t nCount = 0;
        for (const pfParameter* pParameter : m_Parameters)
            nCount += pParameter->CountScriptKeys();
        keys.assign(size_t(nCount) + 1, 0);
        int32_t nPos = 0;
        for (const pfParameter* pParameter : m_Parameters) {
            pParameter->GetScriptKeys(&keys[size_t(nPos)]);
            nPos += pParameter->CountScriptKeys();
        }
    } catch (const std::bad_alloc&) {
        keys.clear();
    }
    PIDescriptorParameters* pDescriptor = pFilterRecord ? pFilterRecord->descriptorParameters : nullptr;
    if (!keys.empty() && DescriptorAvailable(pDescriptor)) {
        PIReadDescriptor token =
            pDescriptor->readDescriptorProcs->openReadDescriptorProc(pDescriptor->descriptor, keys.data());
        if (token) {
            DescriptorKeyID key = 0;
            DescType type = 0;
            int32_t nFlags = 0;
            while (pDescriptor->readDescriptorProcs->getKeyProc(token, &key, &type, &nFlags)) {
                for (pfParameter* pParameter : m_Parameters)
                    pParameter->ReadScript(pFilterRecord, key, token);
            }
            CloseReader(pFilterRecord, token);
        }
        bShow = pDescriptor->playInfo == plugInDialogDisplay;
    }
    PF_TRACE_EXIT("pfParmeters::ReadScriptParams( return(" << (bShow ? 1 : 0) << ") )");
    return bShow;
}

int16_t pfParameters::WriteScriptParams(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfParmeters::WriteScriptParams( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    PIDescriptorParameters* pDescriptor = pFilterRecord ? pFilterRecord->descriptorParameters : nullptr;
    // The availability test counts the write procedures without looking at
    // them; a host table with holes must not crash us.
    if (DescriptorAvailable(pDescriptor) && pDescriptor->writeDescriptorProcs->openWriteDescriptorProc &&
        pDescriptor->writeDescriptorProcs->closeWriteDescriptorProc) {
        if (PIWriteDescriptor token = pDescriptor->writeDescriptorProcs->openWriteDescriptorProc()) {
            for (pfParameter* pParameter : m_Parameters)
                pParameter->WriteScript(pFilterRecord, token);
            CloseWriter(pFilterRecord, token);
        }
    }
    PF_TRACE_EXIT("pfParmeters::WriteScriptParams(' return(" << 0 << ") )");
    return noErr;
}
