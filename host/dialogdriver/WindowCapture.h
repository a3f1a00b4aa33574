// Saves what the screen shows of a window as a PNG: the whole window or its
// client area. Windows only: PrintWindow draws nothing under Wine, so the
// pixels come from the screen, and whatever covers the window is captured
// with it.
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <string>

bool CaptureWindow(HWND hWnd, const std::string& strPath, std::string& strError);
bool CaptureClientArea(HWND hWnd, const std::string& strPath, std::string& strError);
#endif
