// The interface dialog's procedure: OK and Cancel, the zoom buttons, undo
// and redo, the preset commands, the bound controls' notifications, red
// text on white in edits and lists, and the remembered position and presets
// file path.
#include "PreviewWin32.h"

#include "framework/plugin/Filter.h"
#include "framework/platform/Platform.h"
#include "framework/dialog/Settings.h"
#include "framework/trace/Trace.h"
#include "DpiChange.h"
#include "WorkArea.h"
#include "resources/resource.h"

#include <windowsx.h>

namespace {

constexpr int kNotifyClicked = 0;        // BN_CLICKED
constexpr int kNotifySelectionChange = 1; // CBN_SELCHANGE
constexpr int kNotifyEditChange = 768;    // EN_CHANGE
constexpr int kNotifyKillFocus = 512;     // EN_KILLFOCUS
constexpr int kTrackbarEndTrack = 8;      // TB_ENDTRACK
constexpr std::size_t kPresetPathBytes = 256;

} // namespace

INT_PTR CALLBACK pfPreviewWin32::UIProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    return GuardedHandler([=] { return HandleUIProcedure(hWnd, nMessage, wParam, lParam); });
}

INT_PTR pfPreviewWin32::HandleUIProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_INITDIALOG) {
        g_pPreview = reinterpret_cast<pfPreviewWin32*>(lParam);
        g_pPreview->m_hInterface = hWnd;
        g_pPreview->PlaceInterface();
        g_pPreview->ReadLastUsedSettings();
        return 1;
    }
    pfPreviewWin32* pPreview = g_pPreview;
    if (!pPreview || pPreview->m_hInterface != hWnd)
        return 0;
    switch (nMessage) {
    case WM_DESTROY:
        pPreview->SaveInterfacePlacement();
        return 0;
    case WM_DPICHANGED:
        // Unhandled, so that the dialog manager goes on to scale what it scales.
        FollowDpiChange(hWnd, lParam, SystemScalesDialog(hWnd));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC hDC = BeginPaint(hWnd, &paint);
        pPreview->PaintInterfaceControls(hDC);
        EndPaint(hWnd, &paint);
        return 0;
    }
    case WM_COMMAND:
        return pPreview->OnInterfaceCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
        pPreview->OnInterfaceScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        const HDC hDC = reinterpret_cast<HDC>(wParam);
        SetTextColor(hDC, RGB(255, 0, 0));
        SetBkColor(hDC, RGB(255, 255, 255));
        return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    case WM_MOUSEMOVE:
        pPreview->OnInterfaceMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        pPreview->OnInterfaceLeftButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        pPreview->OnInterfaceLeftButtonUp();
        return 0;
    case WM_RBUTTONUP:
        pPreview->OnInterfaceRightButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    default:
        return 0;
    }
}

INT_PTR pfPreviewWin32::OnInterfaceCommand(int nId, int nNotification)
{
    switch (nId) {
    case IDOK:
        if (nNotification != kNotifyClicked)
            return 0;
        PF_TRACE(PF_TRACE_INFO, "UIProcedure - WM_COMMAND OK pressed.");
        MatchColorsToGreyImage();
        PostQuitMessage(1);
        return 0;
    case IDCANCEL:
        if (nNotification != kNotifyClicked)
            return 0;
        PF_TRACE(PF_TRACE_INFO, "UIProcedure - WM_COMMAND CANCEL pressed.");
        PostQuitMessage(0);
        return 1;
    case IDC_PRESET_LIST:
        if (nNotification == kNotifySelectionChange) {
            OnPresetSelected();
            m_pFilter->GetParameters().UpdateAllUI();
            ParametersChanged();
        }
        return 0;
    case IDC_PRESET_SAVE:
        OnSavePreset();
        return 0;
    case IDC_PRESET_DELETE:
        OnDeletePreset();
        return 0;
    case IDC_PRESET_OPEN:
        OnChangeSettingFile();
        return 0;
    case IDC_ZOOM_IN:
    case IDC_ZOOM_OUT:
        if (nNotification != kNotifyClicked)
            return 0;
        RequestScaleFactor(m_nScaleFactor + (nId == IDC_ZOOM_IN ? -1 : 1));
        return 1;
    case IDC_UNDO:
    case IDC_REDO:
        OnUndo(nId == IDC_REDO);
        return 0;
    default:
        if (nNotification == kNotifyClicked || nNotification == kNotifySelectionChange ||
            nNotification == kNotifyEditChange)
            OnControlChanged(nId, true);
        else if (nNotification == kNotifyKillFocus)
            OnControlKillFocus(nId);
        return 0;
    }
}

// A trackbar drag records one undo step, at its first change.
void pfPreviewWin32::OnInterfaceScroll(HWND hControl, int nCode)
{
    bool bRecordUndo = false;
    if (nCode == kTrackbarEndTrack) {
        g_bSliderTracking = false;
    } else if (!g_bSliderTracking) {
        g_bSliderTracking = true;
        bRecordUndo = true;
    }
    if (!OnControlChanged(GetDlgCtrlID(hControl), bRecordUndo))
        g_bSliderTracking = false;
}

void pfPreviewWin32::OnUndo(bool bRedo)
{
    pfUndoStack& undo = m_pFilter->GetUndoStack();
    if (bRedo ? undo.Redo() : undo.Undo())
        ParametersChanged();
    UpdateUndoButtons();
}

void pfPreviewWin32::PlaceInterface()
{
    const pfWindowRect work = HostWorkArea(m_hInterface);
    int x = work.x, y = work.y;
    if (GetPlatform().HasSettings("")) {
        SetFocus(GetDlgItem(m_hInterface, IDOK));
        ReadDwordSetting("", "Interface Position X", x);
        ReadDwordSetting("", "Interface Position Y", y);
        if (work.nWidth > 0 && work.nHeight > 0)
            ClampToWorkArea(x, y, work);
        if (ReadStringSetting("", "Preset Path", kPresetPathBytes, m_strPresetPath))
            PF_TRACE(PF_TRACE_INFO, "UIProcedure - WM_INITDIALOG: PresetPath(" << m_strPresetPath << ") )");
    }
    SetWindowPos(m_hInterface, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void pfPreviewWin32::SaveInterfacePlacement()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(m_hInterface, &placement))
        return;
    WriteDwordSetting("", "Interface Position X", placement.rcNormalPosition.left);
    WriteDwordSetting("", "Interface Position Y", placement.rcNormalPosition.top);
    WriteStringSetting("", "Preset Path", m_strPresetPath);
    PF_TRACE(PF_TRACE_INFO, "UIProcedure - WM_INITDIALOG: PresetPath(" << m_strPresetPath << ") )");
}
