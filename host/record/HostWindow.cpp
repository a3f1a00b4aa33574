#include "HostWindow.h"

#include "host/text/Console.h"

void pfHostWindow::OnClick()
{
    if (!m_bFilterCalling) {
        PrintLine("host window click");
        return;
    }
    ++m_nRefusedCalls;
    PrintLine("host window click during the filter call: a second call refused");
}

#if defined(_WIN32)
#include <windows.h>

namespace {
const wchar_t* const kClassName = L"CorvaneHostWindow";

LRESULT CALLBACK HostWindowProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == pfHostWindow::GetSyncMessage() && nMessage != 0) {
        SetEvent(reinterpret_cast<HANDLE>(wParam));
        return 0;
    }
    if (nMessage == WM_LBUTTONUP) {
        if (auto* pWindow = reinterpret_cast<pfHostWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
            pWindow->OnClick();
        return 0;
    }
    return DefWindowProcW(hWnd, nMessage, wParam, lParam);
}

void RegisterHostClass()
{
    static bool bRegistered = false;
    if (bRegistered)
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostWindowProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    bRegistered = RegisterClassW(&wc) != 0;
}
} // namespace

unsigned pfHostWindow::GetSyncMessage()
{
    static const UINT nMessage = RegisterWindowMessageW(L"corvhost dialog driver sync");
    return nMessage;
}

intptr_t pfHostWindow::StaleHandle()
{
    intptr_t hStale = 0;
    {
        const pfHostWindow window;
        hStale = window.GetHandle();
    }
    return hStale;
}

// A visible window sits in the screen's lower left corner, clear of where
// dialog scripts place the plug-in's windows.
pfHostWindow::pfHostWindow(bool bVisible)
{
    RegisterHostClass();
    const int nTop = bVisible ? GetSystemMetrics(SM_CYSCREEN) - 240 : CW_USEDEFAULT;
    HWND hWnd = CreateWindowExW(0, kClassName, L"Corvane host", WS_OVERLAPPEDWINDOW, bVisible ? 0 : CW_USEDEFAULT,
                                nTop, bVisible ? 320 : 640, bVisible ? 200 : 480, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    m_hWnd = reinterpret_cast<intptr_t>(hWnd);
    if (!hWnd)
        return;
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (bVisible)
        ShowWindow(hWnd, SW_SHOWNOACTIVATE);
}

bool pfHostWindow::IsEnabled() const
{
    return !m_hWnd || IsWindowEnabled(reinterpret_cast<HWND>(m_hWnd));
}

pfHostWindow::~pfHostWindow()
{
    if (m_hWnd)
        DestroyWindow(reinterpret_cast<HWND>(m_hWnd));
}

#else

unsigned pfHostWindow::GetSyncMessage()
{
    return 0;
}

intptr_t pfHostWindow::StaleHandle()
{
    return 0;
}

pfHostWindow::pfHostWindow(bool) {}
pfHostWindow::~pfHostWindow() = default;

bool pfHostWindow::IsEnabled() const
{
    return true;
}

#endif
