// The interface's keyboard (Tab, Shift+Tab, Enter, Escape, Space, arrows)
// works wherever the host's thread pumps messages: in the dialog's own loop
// and in the pump of a preview render alike, so keys pressed during a
// render are not lost.
#pragma once

#include <windows.h>

// The dialog whose dialog manager gets the keyboard; null outside a dialog run.
void SetKeyboardDialog(HWND hDialog);

// Hands a message to the keyboard dialog's manager, or else translates and
// dispatches it.
void DispatchWithDialogKeys(MSG& msg);
