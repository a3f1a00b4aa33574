// Bindings to the controls of the interface dialog. They never call the
// window system themselves: every control is reached through the dialog
// controls seam (DialogControls.h), so their logic runs and is tested on any
// platform.
#pragma once

#include "ParameterUI.h"

class pfParameterUIWin32 : public pfParameterUI {
public:
    // Whether nId is one of this binding's controls.
    virtual bool OwnsControl(int nId) const = 0;
    // The control nId lost the keyboard focus.
    virtual void OnKillFocus(int /*nId*/) {}

    // The interface dialog of the current dialog run (a window handle).
    void SetWindow(void* hWnd) { m_hWnd = hWnd; }
    void* GetWindow() const { return m_hWnd; }

protected:
    void* m_hWnd = nullptr;
};

// Marks a normalised position dragged in the preview; no parameter of this
// filter is shown that way, but the dialog recognises the kind.
class pfParameterUIPositionWin32 : public pfParameterUIWin32 {
public:
    bool OwnsControl(int /*nId*/) const override { return false; }
};
