#include "Filter.h"

#include "framework/hostinterface/HostQuirks.h"
#include "framework/platform/Platform.h"
#include "framework/trace/Trace.h"

#include <new>
#include <string>
#include <stdexcept>

namespace {

const char* const kHostInsufficientText =
    "Sorry, but this Plug-In requires some functions\n which are not supported by this host.\n you need a "
    "photoshop 3.0+ compatible host to run this filter.";

std::string ErrorText(int16_t nResult)
{
    if (nResult == memFullErr)
        return "There is not enough memory to apply the filter.\nTry a smaller selection or close other documents.";
    return "The filter could not be applied (error " + std::to_string(nResult) + ").";
}

void ClearRequest(FilterRecord* pFilterRecord)
{
    pFilterRecord->inRect = Rect{0, 0, 0, 0};
    pFilterRecord->outRect = Rect{0, 0, 0, 0};
    pFilterRecord->maskRect = Rect{0, 0, 0, 0};
}

}  // namespace

pfFilter::pfFilter() : m_pDialog(CreatePreviewDialog()) {}

pfFilter::~pfFilter() = default;

void pfFilter::DispatchSelector(int16_t nSelector, FilterRecord* pFilterRecord, intptr_t*, int16_t* pResult)
{
    m_pFilterRecord = pFilterRecord;
    const int8_t nSelectorCode = int8_t(nSelector & 0xFF);
    if (nSelectorCode == filterSelectorPrepare)
        m_bErrorReported = false;
    int16_t nResult = -1;
    // The host calls from C: nothing may leave through it. Memory that runs
    // out anywhere on the way is answered as the host's own calls answer it,
    // and a start call that stopped half-way asks for no more image data.
    bool bStopped = true;
    try {
        nResult = RunSelector(nSelector, pFilterRecord);
        bStopped = false;
    } catch (const std::bad_alloc&) {
        nResult = memFullErr;
    } catch (const std::length_error&) {
        nResult = memFullErr;
    } catch (...) {
        nResult = paramErr;
    }
    if (bStopped) {
        try {
            if (nResult == memFullErr)
                PF_TRACE_ERROR_LINE("Out of memory");
        } catch (...) {
        }
        if (pFilterRecord && nSelectorCode == filterSelectorStart)
            ClearRequest(pFilterRecord);
    }
    if (nSelectorCode != filterSelectorAbout && pFilterRecord) {
        try {
            ReportErrorTheHostIgnores(*pFilterRecord, nResult);
        } catch (...) {
        }
    }
    if (pResult)
        *pResult = nResult;
}

int16_t pfFilter::RunSelector(int16_t nSelector, FilterRecord* pFilterRecord)
{
    switch (int8_t(nSelector & 0xFF)) {
    case filterSelectorAbout: return DoAboutSelector(pFilterRecord);
    case filterSelectorParameters: return DoParametersSelector(pFilterRecord);
    case filterSelectorPrepare: return DoPrepareSelector(pFilterRecord);
    case filterSelectorStart: return DoStartSelector(pFilterRecord);
    case filterSelectorContinue: return DoContinueSelector(pFilterRecord);
    case filterSelectorFinish: return DoFinishSelector(pFilterRecord);
    default: return -1;
    }
}

int16_t pfFilter::DoAboutSelector(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfFilter::DoAboutSelector( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    ShowAbout();
    PF_TRACE_EXIT("pfFilter::DoAboutSelector");
    return noErr;
}

int16_t pfFilter::DoParametersSelector(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfFilter::DoParametersSelector( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    m_Parameters.ValidateAll();
    PF_TRACE_EXIT("pfFilter::DoParametersSelector");
    return noErr;
}

int16_t pfFilter::DoPrepareSelector(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfFilter::DoPrepareSelector( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    if (pFilterRecord) {
        pFilterRecord->bufferSpace = 0;
        pFilterRecord->maxSpace = 0;
    }
    PF_TRACE_EXIT("pfFilter::DoPrepareSelector");
    return noErr;
}

int16_t pfFilter::DoStartSelector(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfFilter::DoStartSelector( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    int16_t nResult = noErr;
    if (!pFilterRecord || !pFilterRecord->advanceState || !pFilterRecord->displayPixels ||
        !pFilterRecord->progressProc) {
        PF_TRACE_ERROR_LINE("AdvanceStateAvailable() or DisplayPixelsAvailable() not available");
        ShowMessage(GetName(), kHostInsufficientText);
        nResult = 1;
    } else {
        m_Parameters.ValidateAll();
        if (m_Parameters.ReadScriptParams(pFilterRecord)) {
            if (!m_pDialog->Show(this, pFilterRecord, m_lstBindings))
                nResult = userCanceledErr;
        }
        m_Parameters.WriteScriptParams(pFilterRecord);
        if (nResult == noErr) {
            m_Parameters.ValidateAll();
            nResult = SetupFilterRecord(pFilterRecord, 1);
            if (nResult == noErr) {
                SetRenderPass(0);
                nResult = Render(pFilterRecord);
            }
        }
    }
    if (pFilterRecord)
        ClearRequest(pFilterRecord);
    PF_TRACE_EXIT("pfFilter::DoStartSelector( return(" << nResult << ") )");
    return nResult;
}

int16_t pfFilter::DoContinueSelector(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfFilter::DoContinueSelector( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    PF_TRACE_EXIT("pfFilter::DoContinueSelector()");
    return noErr;
}

int16_t pfFilter::DoFinishSelector(FilterRecord* pFilterRecord)
{
    PF_TRACE_ENTER("pfFilter::DoFinishSelector( pFilterRecord(0x" << TracePtr(pFilterRecord) << ") )");
    PF_TRACE_EXIT("pfFilter::DoFinishSelector()");
    return noErr;
}

void pfFilter::ReportErrorTheHostIgnores(const FilterRecord& record, int16_t nResult)
{
    // Positive codes say the plug-in has told the user already.
    if (nResult >= 0 || nResult == userCanceledErr || m_bErrorReported)
        return;
    if (!HostIgnoresErrors(record) || HostWantsSilence(record))
        return;
    m_bErrorReported = true;
    ShowMessage(GetName(), ErrorText(nResult).c_str());
}

void pfFilter::ShowAbout()
{
    PF_TRACE_ENTER("ShowAbout()");
    GetPlatform().ShowAbout();
    PF_TRACE_EXIT("ShowAbout()");
}

void pfFilter::ShowMessage(const char* strCaption, const char* strText)
{
    GetPlatform().ShowMessage(strCaption, strText);
}
