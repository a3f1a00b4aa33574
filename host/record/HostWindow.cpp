#include "HostWindow.h"

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

pfHostWindow::pfHostWindow()
{
    RegisterHostClass();
    HWND hWnd = CreateWindowExW(0, kClassName, L"Corvane host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    m_hWnd = reinterpret_cast<intptr_t>(hWnd);
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

pfHostWindow::pfHostWindow() = default;
pfHostWindow::~pfHostWindow() = default;

#endif
