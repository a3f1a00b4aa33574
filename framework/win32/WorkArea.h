// The work area (the screen less its task bars) of the monitor the host's
// window is on, found through the owners of one of the dialog's windows.
#pragma once

#include "framework/dialog/WindowPosition.h"

#include <windows.h>

pfWindowRect HostWorkArea(HWND hDialog);
