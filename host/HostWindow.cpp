#include "HostWindow.h"

#if defined(_WIN32)
#include <windows.h>

namespace {
const wchar_t* const kClassName = L"CorvaneHostWindow";

void RegisterHostClass()
{
    static bool bRegistered = false;
    if (bRegistered)
        return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    bRegistered = RegisterClassW(&wc) != 0;
}
} // namespace

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

pfHostWindow::pfHostWindow() = default;
pfHostWindow::~pfHostWindow() = default;

#endif
