// The dialog controls seam on Windows: messages to the controls of a dialog.
#pragma once

#include "framework/controls/DialogControls.h"

class pfDialogControlsWin32 : public pfDialogControls {
public:
    std::string GetText(void* hDialog, int nId, int nMaxChars) override;
    void SetText(void* hDialog, int nId, const std::string& strText) override;
    bool HasFocus(void* hDialog, int nId) override;
    void Enable(void* hDialog, int nId, bool bEnabled) override;
    void Invalidate(void* hDialog, int nId) override;
    pfCheckState GetCheck(void* hDialog, int nId) override;
    void SetCheck(void* hDialog, int nId, bool bChecked) override;
    void SetTrackbarRange(void* hDialog, int nId, int nMin, int nMax, int nPage) override;
    void SetTrackbarPosition(void* hDialog, int nId, int nPosition, bool bRedraw) override;
    int GetTrackbarPosition(void* hDialog, int nId) override;
    void ClearList(void* hDialog, int nId) override;
    void AddListItem(void* hDialog, int nId, const std::string& strItem) override;
    void SelectListItem(void* hDialog, int nId, int nIndex) override;
    int GetListSelection(void* hDialog, int nId) override;
};
