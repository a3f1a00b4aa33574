// The host's main window as plug-ins see it through platformData: a real,
// hidden top-level window under Windows, none (0) in native builds. It also
// answers the dialog driver's sync message: whatever message loop runs on
// the host's thread (the plug-in's own, or a modal one) dispatches it after
// everything posted before it, and the window then signals the event handle
// carried in wParam.
#pragma once

#include <cstdint>

class pfHostWindow {
public:
    pfHostWindow();
    ~pfHostWindow();
    pfHostWindow(const pfHostWindow&) = delete;
    pfHostWindow& operator=(const pfHostWindow&) = delete;

    intptr_t GetHandle() const { return m_hWnd; }

    // The handle of a window that has been destroyed, as a host might pass
    // by mistake.
    static intptr_t StaleHandle();

    // The registered message the window answers by setting event wParam.
    static unsigned GetSyncMessage();

private:
    intptr_t m_hWnd = 0;
};
