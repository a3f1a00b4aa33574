// The keys a dialog script can press: "Tab", "Enter", "Escape", "Space",
// "PageUp", "PageDown", "Home", "End", "Up", "Down", "Left", "Right", a
// letter or a digit, each optionally after "Shift+" and "Ctrl+" (any case).
#pragma once

#include <string>

struct pfUiKey {
    int nVirtualKey = 0; // the Windows virtual-key code
    bool bShift = false;
    bool bControl = false;
};

bool ParseUiKey(const std::string& strName, pfUiKey& key);
