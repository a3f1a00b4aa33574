// Calls the plug-in's selectors the way a host does and reports each
// result on standard output as "selector N result R".
#pragma once

#include "host/document/Document.h"
#include "host/record/HostRecord.h"
#include "PluginLoader.h"
#include "framework/hostinterface/HostInterface.h"

#include <cstdint>
#include <optional>

// Continue calls a run allows before the host gives up on a plug-in that
// never clears its rectangles.
constexpr int kMaxContinueCalls = 100000;

class pfSelectorRunner {
public:
    pfSelectorRunner(pfPluginLoader& loader, pfHostRecord& record, pfDocument& document);

    // The about selector receives an AboutRecord instead of the filter record.
    int16_t CallAbout(intptr_t hwnd);

    // Any selector with the filter record; output is committed on return.
    int16_t Call(int16_t nSelector);

    // parameters, prepare, start, continue while data are requested, finish,
    // in the order and number the profile's host calls them.
    // A failed start or continue leaves the document as it was before start,
    // or spoiled where the record wrote in place. Returns the first non-zero
    // result, or 0.
    int16_t RunFilter();

    // A failed run left part of its output in the document.
    bool IsDocumentSpoiled() const { return m_bDocumentSpoiled; }

    // The real host whose call sequence the runs follow; null for ours.
    void UseProfile(const pfHostProfile* pProfile) { m_pProfile = pProfile; }

    // Also print the rectangles each selector left requested.
    void ShowRequests(bool bShow) { m_bShowRequests = bShow; }
    // The "selector N result R" lines (default on).
    void ShowResults(bool bShow) { m_bShowResults = bShow; }

private:
    void Report(int16_t nSelector, int16_t nResult) const;
    void ReportRequest(int16_t nSelector) const;

    void Revert(const std::optional<pfDocument>& original);
    int16_t CallFinish();
    int16_t EndRun(int16_t nResult);

    pfPluginLoader& m_Loader;
    const pfHostProfile* m_pProfile = nullptr;
    int m_nRuns = 0;
    pfHostRecord& m_Record;
    pfDocument& m_Document;
    intptr_t m_nData = 0;
    bool m_bShowRequests = false;
    bool m_bShowResults = true;
    bool m_bDocumentSpoiled = false;
};
