// How the dialog driver finds and reads windows: the plug-in's interface
// and preview dialogs, other top-level windows of this process by caption,
// their controls, texts and states. Windows only.
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <string>
#include <vector>

// "interface", "preview" or a caption; null when no such window is shown.
HWND FindUiWindow(const std::string& strReference);

// Every visible dialog of this process other than the plug-in's two.
std::vector<HWND> OtherDialogs();

std::string UiWindowText(HWND hWnd);
std::string UiClassName(HWND hWnd);

// A button by id (digits) or by its text, '&' ignored, any letter case.
HWND FindUiButton(HWND hDialog, const std::string& strButton);

// "checked", "unchecked", or "-" for controls without a check state.
std::string UiCheckState(HWND hControl);

// The texts of a window's visible static controls, in child order.
std::vector<std::string> UiStaticTexts(HWND hWnd);

// Whether a window or one of its visible children still has something to
// paint.
bool UiPaintPending(HWND hWnd);

// The entries of a combo box or list box.
std::vector<std::string> UiListItems(HWND hControl);
#endif
