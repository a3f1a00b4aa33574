#include "PlatformWin32.h"

#include "DialogKeys.h"
#include "ModuleInstance.h"
#include "resources/resource.h"

#include <windows.h>

namespace {

INT_PTR CALLBACK AboutDialogProc(HWND hDialog, UINT nMessage, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    // Any button (there is only OK) or the close box ends the box.
    if (nMessage == WM_CLOSE || nMessage == WM_COMMAND)
        EndDialog(hDialog, 0);
    return FALSE;
}

} // namespace

uint32_t pfPlatformWin32::GetTickCount() { return ::GetTickCount(); }

bool pfPlatformWin32::PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        const BOOL nFetched = GetMessageA(&msg, nullptr, 0, 0);
        if (nFetched == -1)
            continue;
        if (nFetched == 0) {
            // Leave the quit message for the dialog's own loop.
            PostQuitMessage(int(msg.wParam));
            return false;
        }
        DispatchWithDialogKeys(msg);
    }
    return true;
}

void pfPlatformWin32::ShowMessage(const std::string& strCaption, const std::string& strText)
{
    MessageBoxA(nullptr, strText.c_str(), strCaption.c_str(), MB_OK | MB_ICONSTOP);
}

void pfPlatformWin32::ShowAbout()
{
    DialogBoxParamA(GetModuleInstance(), MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutDialogProc, 0);
}

pfPlatform& DefaultPlatform()
{
    static pfPlatformWin32 platform;
    return platform;
}
