// Presets in the interface dialog: the list of the presets file's names,
// selecting (loading), "save ..." with its name entry and overwrite
// question, "delete" with its question, and "open ..." for choosing or
// starting a presets file.
#include "PreviewWin32.h"

#include "ModuleInstance.h"
#include "framework/plugin/Filter.h"
#include "framework/trace/Trace.h"
#include "resources/resource.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <list>

namespace {

constexpr int kNameChars = 254;

// The list's selected entry, or nothing when none is selected or its text
// is too long for a preset name.
bool SelectedName(HWND hInterface, std::string& strName)
{
    const HWND hList = GetDlgItem(hInterface, IDC_PRESET_LIST);
    const LRESULT nIndex = SendMessageA(hList, CB_GETCURSEL, 0, 0);
    if (nIndex == CB_ERR)
        return false;
    const LRESULT nLength = SendMessageA(hList, CB_GETLBTEXTLEN, WPARAM(nIndex), 0);
    if (nLength == CB_ERR || nLength > kNameChars)
        return false;
    std::string strText(std::size_t(nLength) + 1, '\0');
    SendMessageA(hList, CB_GETLBTEXT, WPARAM(nIndex), reinterpret_cast<LPARAM>(&strText[0]));
    strName.assign(strText.c_str());
    return true;
}

void ShowError(HWND hOwner, const std::string& strText)
{
    MessageBoxA(hOwner, strText.c_str(), "Error", MB_ICONEXCLAMATION | MB_OK);
}

} // namespace

void pfPreviewWin32::UpdateSettingsList()
{
    PF_TRACE_ENTER("pfPreviewWin32::UpdateSettingsList()");
    std::string strSelected;
    const bool bRemembered = m_hInterface && SelectedName(m_hInterface, strSelected);
    const HWND hList = m_hInterface ? GetDlgItem(m_hInterface, IDC_PRESET_LIST) : nullptr;
    SendMessageA(hList, CB_RESETCONTENT, 0, 0);
    std::list<std::string> lstNames;
    if (!m_pFilter->GetParameters().GetSettingNames(m_strPresetPath, lstNames, m_pFilter->GetName()))
        m_strPresetPath.clear();
    PF_TRACE(PF_TRACE_INFO, "m_hInterface(0x" << TracePtr(m_hInterface) << ")");
    if (m_hInterface) {
        const bool bDelete = !lstNames.empty(), bSave = !m_strPresetPath.empty();
        EnableWindow(GetDlgItem(m_hInterface, IDC_PRESET_DELETE), bDelete);
        PF_TRACE(PF_TRACE_INFO, (bDelete ? "enabled delete" : "disabled delete"));
        EnableWindow(GetDlgItem(m_hInterface, IDC_PRESET_SAVE), bSave);
        EnableWindow(hList, bSave);
        PF_TRACE(PF_TRACE_INFO, (bSave ? "enabled save and combo" : "disabled save and combo"));
        for (const std::string& strName : lstNames) {
            PF_TRACE(PF_TRACE_INFO, "about to add string: " << strName);
            SendMessageA(hList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strName.c_str()));
        }
        if (bRemembered) {
            PF_TRACE(PF_TRACE_INFO, "select setting: " << strSelected);
            const LRESULT nIndex =
                SendMessageA(hList, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(strSelected.c_str()));
            if (nIndex != CB_ERR)
                SendMessageA(hList, CB_SETCURSEL, WPARAM(nIndex), 0);
        }
    }
    PF_TRACE_EXIT("pfPreviewWin32::UpdateSettingsList()");
}

INT_PTR CALLBACK pfPreviewWin32::SaveAsProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    return GuardedHandler([=] { return HandleSaveAsProcedure(hWnd, nMessage, wParam, lParam); });
}

INT_PTR pfPreviewWin32::HandleSaveAsProcedure(HWND hDialog, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_INITDIALOG)
        g_pPreview = reinterpret_cast<pfPreviewWin32*>(lParam);
    pfPreviewWin32* pPreview = g_pPreview;
    if (!pPreview)
        return FALSE;
    if (nMessage == WM_INITDIALOG) {
        SetDlgItemTextA(hDialog, IDC_SAVEAS_NAME, pPreview->m_szPresetName);
        const HWND hEdit = GetDlgItem(hDialog, IDC_SAVEAS_NAME);
        SetFocus(hEdit);
        SendMessageA(hEdit, EM_SETSEL, 0, -1);
        return FALSE;
    }
    if (nMessage != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        pPreview->m_szPresetName[0] = '\0';
        EndDialog(hDialog, 0);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK)
        return FALSE;
    // Names are single tokens of the presets file: no spaces.
    char* const szName = pPreview->m_szPresetName;
    GetDlgItemTextA(hDialog, IDC_SAVEAS_NAME, szName, kNameChars + 1);
    std::replace(szName, szName + std::strlen(szName), ' ', '_');
    SetDlgItemTextA(hDialog, IDC_SAVEAS_NAME, szName);
    const HWND hList = GetDlgItem(pPreview->m_hInterface, IDC_PRESET_LIST);
    if (szName[0] && SendMessageA(hList, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(szName)) != CB_ERR &&
        MessageBoxA(pPreview->m_hInterface, "There already is a preset with that name.\nOverwrite it? ",
                    "Overwrite Setting?", MB_ICONQUESTION | MB_YESNO) != IDYES) {
        const HWND hEdit = GetDlgItem(hDialog, IDC_SAVEAS_NAME);
        SetFocus(hEdit);
        SendMessageA(hEdit, EM_SETSEL, 0, -1);
        return TRUE;
    }
    EndDialog(hDialog, 0);
    return TRUE;
}

void pfPreviewWin32::OnPresetSelected()
{
    std::string strName;
    if (!m_hInterface || !SelectedName(m_hInterface, strName))
        return;
    m_pFilter->GetParameters().LoadSettings(strName, m_strPresetPath, m_pFilter);
    UpdateSettingsList();
}

void pfPreviewWin32::OnSavePreset()
{
    if (!m_hInterface)
        return;
    std::string strSelected;
    SelectedName(m_hInterface, strSelected);
    const std::size_t nLength = std::min<std::size_t>(strSelected.size(), kNameChars);
    strSelected.copy(m_szPresetName, nLength);
    m_szPresetName[nLength] = '\0';
    if (DialogBoxParamA(GetModuleInstance(), MAKEINTRESOURCEA(IDD_SAVEAS), m_hInterface, SaveAsProcedure,
                        reinterpret_cast<LPARAM>(this)) == -1 ||
        !m_szPresetName[0])
        return;
    const std::string strName = m_szPresetName;
    // A save that fails keeps the file as it was; the user is told.
    if (!m_pFilter->GetParameters().SaveSettings(strName, m_strPresetPath, m_pFilter->GetName()))
        ShowError(m_hInterface, "The preset could not be saved in the file: " + m_strPresetPath);
    UpdateSettingsList();
    const HWND hList = GetDlgItem(m_hInterface, IDC_PRESET_LIST);
    const LRESULT nIndex = SendMessageA(hList, CB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(strName.c_str()));
    if (nIndex != CB_ERR)
        SendMessageA(hList, CB_SETCURSEL, WPARAM(nIndex), 0);
}

void pfPreviewWin32::OnDeletePreset()
{
    const HWND hList = m_hInterface ? GetDlgItem(m_hInterface, IDC_PRESET_LIST) : nullptr;
    const LRESULT nIndex = SendMessageA(hList, CB_GETCURSEL, 0, 0);
    if (!hList || nIndex == CB_ERR ||
        MessageBoxA(m_hInterface, "Really delete this preset?", "Delete Preset?", MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    std::string strName;
    if (!SelectedName(m_hInterface, strName))
        return;
    SendMessageA(hList, CB_SETCURSEL, WPARAM(nIndex == 0 ? 1 : nIndex - 1), 0);
    pfParameters& parameters = m_pFilter->GetParameters();
    if (!parameters.DeleteSettings(strName, m_strPresetPath))
        ShowError(m_hInterface, "The preset could not be deleted from the file: " + m_strPresetPath);
    UpdateSettingsList();
    std::string strNeighbour;
    if (SelectedName(m_hInterface, strNeighbour))
        parameters.LoadSettings(strNeighbour, m_strPresetPath, m_pFilter);
    parameters.UpdateAllUI();
    ParametersChanged();
}

void pfPreviewWin32::OnChangeSettingFile()
{
    PF_TRACE_ENTER("pfPreviewWin32::OnChangeSettingFile()");
    char szFile[256] = {};
    m_strPresetPath.copy(szFile, sizeof szFile - 1);
    OPENFILENAMEA open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_hInterface;
    open.lpstrFilter = "Presets File (*.cfg)\0\0";
    open.nFilterIndex = 1;
    open.lpstrFile = szFile;
    open.nMaxFile = sizeof szFile;
    open.lpstrTitle = "Open Presets File";
    open.lpstrDefExt = "cfg";
    open.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&open)) {
        const std::string strPath = szFile;
        PF_TRACE(PF_TRACE_INFO, "Selected File(" << strPath << ")");
        std::string strOwner = m_pFilter->GetName();
        if (m_pFilter->GetParameters().IsSettingFileValid(strPath, strOwner)) {
            m_strPresetPath = strPath;
            UpdateSettingsList();
        } else if (strOwner != m_pFilter->GetName()) {
            ShowError(m_hInterface, "The selected settings file belongs to the Filter: " + strOwner);
        } else {
            ShowError(m_hInterface, "The file you selected is no valid Settingsfile.");
        }
    }
    PF_TRACE_EXIT("pfPreviewWin32::OnChangeSettingFile()");
}
