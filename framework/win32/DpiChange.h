// A window of a per-monitor DPI aware host moved to a monitor with another
// DPI (WM_DPICHANGED). The preview shows image pixels, so it simply takes
// the size the system suggests. The interface takes it only when the
// system has scaled its controls and font as well (per-monitor v2 hosts);
// otherwise it keeps its size, so that its controls still fit it.
#pragma once

#include <windows.h>

void FollowDpiChange(HWND hWnd, LPARAM lParam, bool bScaledContent);

// The system scales this dialog's controls and font on a DPI change.
bool SystemScalesDialog(HWND hDialog);
