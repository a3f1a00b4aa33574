// The plug-in library's own module handle: dialogs, the icon and the cursor
// are loaded from it, never from the host's executable.
#pragma once

#include <windows.h>

HINSTANCE GetModuleInstance();
