#include "DialogKeys.h"

namespace {

HWND g_hKeyboardDialog = nullptr;

} // namespace

void SetKeyboardDialog(HWND hDialog)
{
    g_hKeyboardDialog = hDialog;
}

void DispatchWithDialogKeys(MSG& msg)
{
    if (g_hKeyboardDialog && IsDialogMessageA(g_hKeyboardDialog, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}
