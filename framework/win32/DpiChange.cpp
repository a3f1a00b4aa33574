#include "DpiChange.h"

void FollowDpiChange(HWND hWnd, LPARAM lParam, bool bScaledContent)
{
    const auto* pSuggested = reinterpret_cast<const RECT*>(lParam);
    if (!pSuggested)
        return;
    const UINT nFlags = SWP_NOZORDER | SWP_NOACTIVATE | (bScaledContent ? 0 : SWP_NOSIZE);
    SetWindowPos(hWnd, nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                 pSuggested->bottom - pSuggested->top, nFlags);
}

bool SystemScalesDialog(HWND hDialog)
{
    // Looked up, not imported: the plug-in still loads on systems before
    // Windows 10, which send no such message.
    using GetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    using SameContexts = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    const HMODULE hUser = GetModuleHandleA("user32.dll");
    if (!hUser)
        return false;
    const auto pGet =
        reinterpret_cast<GetContext>(reinterpret_cast<void*>(GetProcAddress(hUser, "GetWindowDpiAwarenessContext")));
    const auto pSame =
        reinterpret_cast<SameContexts>(reinterpret_cast<void*>(GetProcAddress(hUser, "AreDpiAwarenessContextsEqual")));
    return pGet && pSame && pSame(pGet(hDialog), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}
