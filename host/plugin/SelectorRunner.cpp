#include "SelectorRunner.h"

#include "host/record/RunClock.h"
#include "host/text/Console.h"

#include <optional>
#include <utility>

pfSelectorRunner::pfSelectorRunner(pfPluginLoader& loader, pfHostRecord& record, pfDocument& document)
    : m_Loader(loader), m_Record(record), m_Document(document)
{
}

namespace {

std::string RectText(const Rect& rect)
{
    return std::to_string(rect.top) + "," + std::to_string(rect.left) + "," + std::to_string(rect.bottom) + "," +
           std::to_string(rect.right);
}

}  // namespace

void pfSelectorRunner::Report(int16_t nSelector, int16_t nResult) const
{
    if (m_bShowResults)
        PrintLine("selector " + std::to_string(nSelector) + " result " + std::to_string(nResult));
}

// What the plug-in left requested when the selector returned: hosts keep
// delivering while any of these rectangles is non-empty.
void pfSelectorRunner::ReportRequest(int16_t nSelector) const
{
    const FilterRecord* pRecord = m_Record.GetRecord();
    PrintLine("selector " + std::to_string(nSelector) + " request in " + RectText(pRecord->inRect) + " out " +
              RectText(pRecord->outRect) + " mask " + RectText(pRecord->maskRect));
}

int16_t pfSelectorRunner::CallAbout(intptr_t hwnd)
{
    PlatformData platform{hwnd};
    AboutRecord about{};
    about.platformData = &platform;
    int16_t nResult = 0;
    m_Loader.Call(filterSelectorAbout, &about, &m_nData, &nResult);
    Report(filterSelectorAbout, nResult);
    return nResult;
}

int16_t pfSelectorRunner::Call(int16_t nSelector)
{
    if (nSelector == filterSelectorAbout)
        return CallAbout(static_cast<PlatformData*>(m_Record.GetRecord()->platformData)->hwnd);
    int16_t nResult = 0;
    m_Loader.Call(nSelector, m_Record.GetRecord(), &m_nData, &nResult);
    if (m_bShowRequests)
        ReportRequest(nSelector);
    m_Record.EndSelector();
    Report(nSelector, nResult);
    return nResult;
}

int16_t pfSelectorRunner::RunFilter()
{
    const bool bParameters = !m_pProfile || m_pProfile->bParametersEveryRun || m_nRuns == 0;
    ++m_nRuns;
    if (bParameters) {
        if (const int16_t nResult = Call(filterSelectorParameters))
            return EndRun(nResult);
    }
    if (const int16_t nResult = Call(filterSelectorPrepare))
        return EndRun(nResult);

    std::optional<pfDocument> original;
    if (!m_Record.WritesInPlace())
        original = m_Document;
    m_Record.BeginFilterRun();
    MarkFilterStart();
    int16_t nResult = Call(filterSelectorStart);
    if (nResult != noErr) {
        Revert(original);
        return EndRun(nResult);
    }
    for (int nCalls = 0; m_Record.HasRequest(); ++nCalls) {
        if (nCalls == kMaxContinueCalls) {
            PrintErrorLine("corvhost: the plug-in still requests data after " + std::to_string(nCalls) +
                           " continue calls; giving up");
            nResult = userCanceledErr;
            break;
        }
        nResult = m_Record.AdvanceState();
        if (nResult == noErr)
            nResult = Call(filterSelectorContinue);
        if (nResult != noErr)
            break;
    }
    const int16_t nFinish = CallFinish();
    if (nResult != noErr)
        Revert(original);
    else if (original)
        m_Record.ClipToSelection(*original);
    return EndRun(nResult != noErr ? nResult : nFinish);
}

void pfSelectorRunner::Revert(const std::optional<pfDocument>& original)
{
    if (original)
        m_Document = *original;
    else if (m_Record.HasWrittenDocument())
        m_bDocumentSpoiled = true;
}

int16_t pfSelectorRunner::CallFinish()
{
    if (m_pProfile && !m_pProfile->bFinish)
        return noErr;
    const int16_t nFinish = Call(filterSelectorFinish);
    if (m_pProfile && m_pProfile->bAdvanceAfterFinish) {
        PrintLine("advanceState after finish result " + std::to_string(m_Record.AdvanceState()));
        m_Record.EndSelector();
    }
    return nFinish;
}

// A host that unloads the plug-in after every run does so whatever the
// run's result.
int16_t pfSelectorRunner::EndRun(int16_t nResult)
{
    std::string strError;
    if (m_pProfile && m_pProfile->bUnloadBetweenRuns && !m_Loader.Reload(strError)) {
        PrintErrorLine("corvhost: " + strError);
        return nResult != noErr ? nResult : int16_t(paramErr);
    }
    return nResult;
}
