#include "DialogControlsWin32.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace {

HWND Control(void* hDialog, int nId)
{
    return hDialog ? GetDlgItem(static_cast<HWND>(hDialog), nId) : nullptr;
}

LRESULT Send(void* hDialog, int nId, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    const HWND hControl = Control(hDialog, nId);
    return hControl ? SendMessageA(hControl, nMessage, wParam, lParam) : 0;
}

} // namespace

std::string pfDialogControlsWin32::GetText(void* hDialog, int nId, int nMaxChars)
{
    std::vector<char> buffer(std::size_t(nMaxChars) + 1, '\0');
    const HWND hControl = Control(hDialog, nId);
    const int nLength = hControl ? GetWindowTextA(hControl, buffer.data(), nMaxChars + 1) : 0;
    return std::string(buffer.data(), std::size_t(nLength > 0 ? nLength : 0));
}

void pfDialogControlsWin32::SetText(void* hDialog, int nId, const std::string& strText)
{
    if (const HWND hControl = Control(hDialog, nId))
        SetWindowTextA(hControl, strText.c_str());
}

bool pfDialogControlsWin32::HasFocus(void* hDialog, int nId)
{
    const HWND hControl = Control(hDialog, nId);
    return hControl && GetFocus() == hControl;
}

void pfDialogControlsWin32::Enable(void* hDialog, int nId, bool bEnabled)
{
    if (const HWND hControl = Control(hDialog, nId))
        EnableWindow(hControl, bEnabled);
}

void pfDialogControlsWin32::Invalidate(void* hDialog, int nId)
{
    const HWND hControl = Control(hDialog, nId);
    if (!hControl)
        return;
    RECT rect{};
    GetWindowRect(hControl, &rect);
    MapWindowPoints(nullptr, static_cast<HWND>(hDialog), reinterpret_cast<POINT*>(&rect), 2);
    InvalidateRect(static_cast<HWND>(hDialog), &rect, FALSE);
}

pfCheckState pfDialogControlsWin32::GetCheck(void* hDialog, int nId)
{
    switch (Send(hDialog, nId, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
        return pfCheckState::Checked;
    case BST_INDETERMINATE:
        return pfCheckState::Indeterminate;
    default:
        return pfCheckState::Unchecked;
    }
}

void pfDialogControlsWin32::SetCheck(void* hDialog, int nId, bool bChecked)
{
    Send(hDialog, nId, BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void pfDialogControlsWin32::SetTrackbarRange(void* hDialog, int nId, int nMin, int nMax, int nPage)
{
    Send(hDialog, nId, TBM_SETRANGEMIN, FALSE, nMin);
    Send(hDialog, nId, TBM_SETRANGEMAX, TRUE, nMax);
    Send(hDialog, nId, TBM_SETPAGESIZE, 0, nPage);
}

void pfDialogControlsWin32::SetTrackbarPosition(void* hDialog, int nId, int nPosition, bool bRedraw)
{
    Send(hDialog, nId, TBM_SETPOS, bRedraw, nPosition);
}

int pfDialogControlsWin32::GetTrackbarPosition(void* hDialog, int nId)
{
    return int(Send(hDialog, nId, TBM_GETPOS, 0, 0));
}

void pfDialogControlsWin32::ClearList(void* hDialog, int nId)
{
    Send(hDialog, nId, CB_RESETCONTENT, 0, 0);
}

void pfDialogControlsWin32::AddListItem(void* hDialog, int nId, const std::string& strItem)
{
    Send(hDialog, nId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strItem.c_str()));
}

void pfDialogControlsWin32::SelectListItem(void* hDialog, int nId, int nIndex)
{
    Send(hDialog, nId, CB_SETCURSEL, WPARAM(nIndex), 0);
}

int pfDialogControlsWin32::GetListSelection(void* hDialog, int nId)
{
    const LRESULT nIndex = Send(hDialog, nId, CB_GETCURSEL, 0, 0);
    return nIndex == CB_ERR ? -1 : int(nIndex);
}
