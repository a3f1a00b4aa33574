#include "UiWindows.h"

#if defined(_WIN32)
#include "host/text/WinText.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr UINT kReadTimeoutMs = 5000;
const char kInterfaceCaption[] = "Corvane II V";

struct Search {
    std::string strReference;
    HWND hFound = nullptr;
    std::vector<HWND> dialogs;
};

bool IsOurs(HWND hWnd)
{
    DWORD nProcess = 0;
    GetWindowThreadProcessId(hWnd, &nProcess);
    return nProcess == GetCurrentProcessId() && IsWindowVisible(hWnd);
}

bool IsInterface(HWND hWnd)
{
    return UiClassName(hWnd) == "#32770" && UiWindowText(hWnd).rfind(kInterfaceCaption, 0) == 0;
}

// The preview: a sizable dialog with a preview frame.
bool IsPreview(HWND hWnd)
{
    return UiClassName(hWnd) == "#32770" && (GetWindowLongW(hWnd, GWL_STYLE) & WS_THICKFRAME) &&
           GetDlgItem(hWnd, 1022) && !IsInterface(hWnd);
}

BOOL CALLBACK Match(HWND hWnd, LPARAM lParam)
{
    auto& search = *reinterpret_cast<Search*>(lParam);
    if (!IsOurs(hWnd))
        return TRUE;
    const bool bFound = search.strReference == "interface" ? IsInterface(hWnd)
                        : search.strReference == "preview" ? IsPreview(hWnd)
                                                           : UiWindowText(hWnd) == search.strReference;
    if (bFound)
        search.hFound = hWnd;
    return bFound ? FALSE : TRUE;
}

BOOL CALLBACK CollectOthers(HWND hWnd, LPARAM lParam)
{
    if (IsOurs(hWnd) && UiClassName(hWnd) == "#32770" && !IsInterface(hWnd) && !IsPreview(hWnd))
        reinterpret_cast<Search*>(lParam)->dialogs.push_back(hWnd);
    return TRUE;
}

BOOL CALLBACK MatchButton(HWND hWnd, LPARAM lParam)
{
    auto& search = *reinterpret_cast<Search*>(lParam);
    std::string strText = UiWindowText(hWnd);
    strText.erase(std::remove(strText.begin(), strText.end(), '&'), strText.end());
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    };
    if (UiClassName(hWnd) == "Button" && lower(strText) == lower(search.strReference)) {
        search.hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND hWnd, LPARAM lParam)
{
    if (UiClassName(hWnd) == "Static" && IsWindowVisible(hWnd)) {
        const std::string strText = UiWindowText(hWnd);
        if (!strText.empty())
            reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(strText);
    }
    return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND hWnd, LPARAM lParam)
{
    if (!IsWindowVisible(hWnd) || !GetUpdateRect(hWnd, nullptr, FALSE))
        return TRUE;
    *reinterpret_cast<bool*>(lParam) = true;
    return FALSE;
}

} // namespace

bool UiPaintPending(HWND hWnd)
{
    if (!hWnd)
        return false;
    bool bPending = GetUpdateRect(hWnd, nullptr, FALSE) != FALSE;
    if (!bPending)
        EnumChildWindows(hWnd, FindUnpainted, reinterpret_cast<LPARAM>(&bPending));
    return bPending;
}

std::vector<std::string> UiStaticTexts(HWND hWnd)
{
    std::vector<std::string> texts;
    EnumChildWindows(hWnd, CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

HWND FindUiWindow(const std::string& strReference)
{
    Search search;
    search.strReference = strReference;
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::vector<HWND> OtherDialogs()
{
    Search search;
    EnumWindows(CollectOthers, reinterpret_cast<LPARAM>(&search));
    return search.dialogs;
}

std::string UiWindowText(HWND hWnd)
{
    std::wstring strBuffer(32768, L'\0');
    DWORD_PTR nLength = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXT, strBuffer.size(), reinterpret_cast<LPARAM>(&strBuffer[0]),
                             SMTO_ABORTIFHUNG, kReadTimeoutMs, &nLength))
        return {};
    strBuffer.resize(std::min<std::size_t>(nLength, strBuffer.size()));
    return Narrow(strBuffer.c_str());
}

std::string UiClassName(HWND hWnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hWnd, name, 64);
    return Narrow(name);
}

HWND FindUiButton(HWND hDialog, const std::string& strButton)
{
    if (!strButton.empty() && std::all_of(strButton.begin(), strButton.end(), [](unsigned char c) {
            return std::isdigit(c);
        }))
        return GetDlgItem(hDialog, std::stoi(strButton.substr(0, 9)));
    Search search;
    search.strReference = strButton;
    EnumChildWindows(hDialog, MatchButton, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::string UiCheckState(HWND hControl)
{
    const LONG nType = GetWindowLongW(hControl, GWL_STYLE) & BS_TYPEMASK;
    const bool bCheckable = nType == BS_CHECKBOX || nType == BS_AUTOCHECKBOX || nType == BS_3STATE ||
                            nType == BS_AUTO3STATE || nType == BS_RADIOBUTTON || nType == BS_AUTORADIOBUTTON;
    if (UiClassName(hControl) != "Button" || !bCheckable)
        return "-";
    DWORD_PTR nState = 0;
    SendMessageTimeoutW(hControl, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kReadTimeoutMs, &nState);
    return nState == BST_CHECKED ? "checked" : "unchecked";
}

std::vector<std::string> UiListItems(HWND hControl)
{
    const bool bCombo = UiClassName(hControl) == "ComboBox";
    const UINT nCount = bCombo ? CB_GETCOUNT : LB_GETCOUNT;
    const UINT nLength = bCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT nText = bCombo ? CB_GETLBTEXT : LB_GETTEXT;
    DWORD_PTR nItems = 0;
    SendMessageTimeoutW(hControl, nCount, 0, 0, SMTO_ABORTIFHUNG, kReadTimeoutMs, &nItems);
    std::vector<std::string> items;
    for (DWORD_PTR i = 0; i < nItems && LONG_PTR(nItems) > 0; ++i) {
        DWORD_PTR nChars = 0;
        SendMessageTimeoutW(hControl, nLength, i, 0, SMTO_ABORTIFHUNG, kReadTimeoutMs, &nChars);
        std::wstring strItem(std::min<DWORD_PTR>(nChars, 4096) + 1, L'\0');
        if (nChars > 4096)
            continue;
        SendMessageTimeoutW(hControl, nText, i, reinterpret_cast<LPARAM>(&strItem[0]), SMTO_ABORTIFHUNG,
                            kReadTimeoutMs, &nChars);
        items.push_back(Narrow(strItem.c_str()));
    }
    return items;
}
#endif
