// The controls of a dialog window as the parameter bindings see them: edits,
// trackbars, check boxes, buttons and drop-down lists, addressed by the
// dialog's window handle and the control's id. The window system's side is
// behind this seam, so the bindings' logic runs on any platform.
#pragma once

#include <string>

enum class pfCheckState { Unchecked, Checked, Indeterminate };

class pfDialogControls {
public:
    virtual ~pfDialogControls() = default;

    // At most nMaxChars characters of the control's text.
    virtual std::string GetText(void* hDialog, int nId, int nMaxChars) = 0;
    virtual void SetText(void* hDialog, int nId, const std::string& strText) = 0;
    virtual bool HasFocus(void* hDialog, int nId) = 0;
    virtual void Enable(void* hDialog, int nId, bool bEnabled) = 0;
    // Marks the control's rectangle in the dialog for repainting.
    virtual void Invalidate(void* hDialog, int nId) = 0;

    virtual pfCheckState GetCheck(void* hDialog, int nId) = 0;
    virtual void SetCheck(void* hDialog, int nId, bool bChecked) = 0;

    virtual void SetTrackbarRange(void* hDialog, int nId, int nMin, int nMax, int nPage) = 0;
    virtual void SetTrackbarPosition(void* hDialog, int nId, int nPosition, bool bRedraw) = 0;
    virtual int GetTrackbarPosition(void* hDialog, int nId) = 0;

    virtual void ClearList(void* hDialog, int nId) = 0;
    virtual void AddListItem(void* hDialog, int nId, const std::string& strItem) = 0;
    // 0-based; -1 selects nothing.
    virtual void SelectListItem(void* hDialog, int nId, int nIndex) = 0;
    // 0-based; -1 when nothing is selected.
    virtual int GetListSelection(void* hDialog, int nId) = 0;
};

// Controls where there is no window system: every control is empty.
class pfNoDialogControls : public pfDialogControls {
public:
    std::string GetText(void*, int, int) override { return {}; }
    void SetText(void*, int, const std::string&) override {}
    bool HasFocus(void*, int) override { return false; }
    void Enable(void*, int, bool) override {}
    void Invalidate(void*, int) override {}
    pfCheckState GetCheck(void*, int) override { return pfCheckState::Unchecked; }
    void SetCheck(void*, int, bool) override {}
    void SetTrackbarRange(void*, int, int, int, int) override {}
    void SetTrackbarPosition(void*, int, int, bool) override {}
    int GetTrackbarPosition(void*, int) override { return 0; }
    void ClearList(void*, int) override {}
    void AddListItem(void*, int, const std::string&) override {}
    void SelectListItem(void*, int, int) override {}
    int GetListSelection(void*, int) override { return -1; }
};
