// A key pressed the way a person presses it: through the input queue of the
// thread that owns the window, so that the plug-in's message loops and its
// dialog manager see it, with Shift and Ctrl held as the key state says.
// Windows only.
#pragma once

#if defined(_WIN32)
#include "UiKeys.h"

#include <windows.h>

#include <string>

// Brings the window to the front, presses and releases the key, and waits
// up to nTimeoutMs until the window's thread has taken both from its queue
// (or the window has gone). False with the reason otherwise.
bool PressKey(HWND hWindow, const pfUiKey& key, DWORD nTimeoutMs, std::string& strError);
#endif
