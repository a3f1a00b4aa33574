// The host's main window as plug-ins see it through platformData: a real
// top-level window under Windows, none (0) in native builds. It also
// answers the dialog driver's sync message: whatever message loop runs on
// the host's thread (the plug-in's own, or a modal one) dispatches it after
// everything posted before it, and the window then signals the event handle
// carried in wParam.
//
// A visible window plays a host that stays usable while the plug-in's
// dialog is up: a click on it asks for the filter again, which a host must
// refuse while the filter is still being called.
#pragma once

#include <atomic>
#include <cstdint>

class pfHostWindow {
public:
    explicit pfHostWindow(bool bVisible = false);
    ~pfHostWindow();
    pfHostWindow(const pfHostWindow&) = delete;
    pfHostWindow& operator=(const pfHostWindow&) = delete;

    intptr_t GetHandle() const { return m_hWnd; }

    // The handle of a window that has been destroyed, as a host might pass
    // by mistake.
    static intptr_t StaleHandle();

    // The registered message the window answers by setting event wParam.
    static unsigned GetSyncMessage();

    // While set, a click on the window is a second filter call, refused.
    void SetFilterCalling(bool bCalling) { m_bFilterCalling = bCalling; }
    int GetRefusedCalls() const { return m_nRefusedCalls; }
    void OnClick();

    // False when a plug-in left the window disabled.
    bool IsEnabled() const;

private:
    intptr_t m_hWnd = 0;
    std::atomic<bool> m_bFilterCalling{false};
    int m_nRefusedCalls = 0;
};

// Marks a filter call on the host's window for its lifetime.
class pfFilterCalling {
public:
    explicit pfFilterCalling(pfHostWindow& window) : m_Window(window) { m_Window.SetFilterCalling(true); }
    ~pfFilterCalling() { m_Window.SetFilterCalling(false); }
    pfFilterCalling(const pfFilterCalling&) = delete;
    pfFilterCalling& operator=(const pfFilterCalling&) = delete;

private:
    pfHostWindow& m_Window;
};
