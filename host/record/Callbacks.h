// The host's simple services: progress, abort, colour picker, display and
// event procedures. The procedures carry no context, so their settings and
// counters are process-wide.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstdint>
#include <functional>

struct pfCallbackSettings {
    uint8_t color[3] = {255, 0, 0}; // what the colour picker answers, RGB
    bool bColorCancel = false;      // the picker answers userCanceledErr instead
    bool bColorRefuse = false;      // the picker answers errPlugInHostInsufficient every time
    bool bColorKeep = false;        // the picker answers noErr and leaves the colour
    int32_t nAbortAfter = -1;       // abort from this many progress calls on; -1 never
    bool bShowProgress = true;      // percentage lines on standard error
    // Told each new percentage, whether or not lines are shown.
    std::function<void(int nPercent)> onPercent;
};

class pfCallbacks {
public:
    static pfCallbacks& Get();

    pfCallbackSettings& Settings() { return m_Settings; }
    int32_t GetProgressCalls() const { return m_nProgressCalls; }
    int32_t GetColorRequests() const { return m_nColorRequests; }
    void ResetCounters();

    void OnProgress(int32_t nDone, int32_t nTotal);
    bool OnAbort() const;
    OSErr OnColorServices(ColorServicesInfo* pInfo);

    static TestAbortProc AbortProcedure();
    static ProgressProc ProgressProcedure();
    static ColorServicesProc ColorServicesProcedure();
    static DisplayPixelsProc DisplayPixelsProcedure();
    static ProcessEventProc ProcessEventProcedure();

private:
    pfCallbackSettings m_Settings;
    int32_t m_nProgressCalls = 0;
    int32_t m_nColorRequests = 0;
    int m_nLastPercent = -1;
    int m_nLastShownPercent = -1;
    int64_t m_nLastPrintMs = 0;
};
