#include "DialogWatcher.h"

#if defined(_WIN32)
#include "host/text/Console.h"
#include "UiWindows.h"
#include "WindowCapture.h"
#include "host/text/WinText.h"

#include <windows.h>

#include <map>
#include <vector>

namespace {

constexpr DWORD kPollMs = 100;
constexpr DWORD kSettleMs = 300;  // let a new dialog paint before reading it
constexpr DWORD kRepeatMs = 2000; // press again if it is still there

std::string Escaped(const std::string& strText)
{
    std::string strOut;
    for (std::size_t i = 0; i < strText.size(); ++i) {
        if (strText[i] == '\r')
            continue;
        if (strText[i] == '\n')
            strOut += "\\n";
        else
            strOut += strText[i];
    }
    return strOut;
}

BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam)
{
    DWORD nProcess = 0;
    GetWindowThreadProcessId(hWnd, &nProcess);
    if (nProcess == GetCurrentProcessId() && IsWindowVisible(hWnd) && UiClassName(hWnd) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

void PressDefaultButton(HWND hDialog)
{
    DWORD_PTR nDefault = 0;
    int nId = IDOK;
    if (SendMessageTimeoutW(hDialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 1000, &nDefault) &&
        HIWORD(nDefault) == DC_HASDEFID)
        nId = LOWORD(nDefault);
    HWND hButton = GetDlgItem(hDialog, nId);
    PostMessageW(hDialog, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
}

} // namespace

struct pfDialogWatcher::State {
    std::string strCaptureDir;
    HANDLE hStop = nullptr;
    HANDLE hThread = nullptr;
    int nCaptures = 0;
    std::map<HWND, DWORD> seen;    // dialog -> tick when first seen
    std::map<HWND, DWORD> pressed; // dialog -> tick when last pressed

    void Describe(HWND hDialog)
    {
        const std::vector<std::string> lstTexts = UiStaticTexts(hDialog);
        std::string strLine = "dialog \"" + Escaped(UiWindowText(hDialog)) + "\":";
        for (std::size_t i = 0; i < lstTexts.size(); ++i)
            strLine += (i ? " | " : " ") + Escaped(lstTexts[i]);
        PrintLine(strLine);
        if (strCaptureDir.empty())
            return;
        const std::string strPath = NextCapturePath();
        std::string strError;
        if (CaptureWindow(hDialog, strPath, strError))
            PrintLine("captured \"" + strPath + "\"");
        else
            PrintErrorLine("corvhost: cannot capture the dialog: " + strError);
    }

    // Runs share the folder: never overwrite an earlier capture.
    std::string NextCapturePath()
    {
        for (;;) {
            const std::string strPath = strCaptureDir + "\\dialog-" + std::to_string(++nCaptures) + ".png";
            if (GetFileAttributesW(Widen(strPath).c_str()) == INVALID_FILE_ATTRIBUTES)
                return strPath;
        }
    }

    void Poll()
    {
        std::vector<HWND> lstDialogs;
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&lstDialogs));
        std::map<HWND, DWORD> stillSeen, stillPressed;
        const DWORD nNow = GetTickCount();
        for (HWND hDialog : lstDialogs) {
            const auto itSeen = seen.find(hDialog);
            const DWORD nFirst = itSeen == seen.end() ? nNow : itSeen->second;
            stillSeen[hDialog] = nFirst;
            const auto itPressed = pressed.find(hDialog);
            if (itPressed != pressed.end() && nNow - itPressed->second < kRepeatMs) {
                stillPressed[hDialog] = itPressed->second;
                continue;
            }
            if (nNow - nFirst < kSettleMs)
                continue;
            if (itPressed == pressed.end())
                Describe(hDialog);
            PressDefaultButton(hDialog);
            stillPressed[hDialog] = nNow;
        }
        seen.swap(stillSeen);
        pressed.swap(stillPressed);
    }

    static DWORD WINAPI Run(LPVOID pParameter)
    {
        auto* pState = static_cast<State*>(pParameter);
        while (WaitForSingleObject(pState->hStop, kPollMs) == WAIT_TIMEOUT)
            pState->Poll();
        return 0;
    }
};

pfDialogWatcher::pfDialogWatcher(const std::string& strCaptureDir) : m_pState(std::make_unique<State>())
{
    m_pState->strCaptureDir = strCaptureDir;
}

pfDialogWatcher::~pfDialogWatcher()
{
    if (m_pState->hThread) {
        SetEvent(m_pState->hStop);
        WaitForSingleObject(m_pState->hThread, INFINITE);
        CloseHandle(m_pState->hThread);
    }
    if (m_pState->hStop)
        CloseHandle(m_pState->hStop);
}

bool pfDialogWatcher::IsAvailable()
{
    return true;
}

bool pfDialogWatcher::Start(std::string& strError)
{
    m_pState->hStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_pState->hStop)
        m_pState->hThread = CreateThread(nullptr, 0, State::Run, m_pState.get(), 0, nullptr);
    if (!m_pState->hThread) {
        strError = "cannot start the dialog watcher thread";
        return false;
    }
    return true;
}

#else

struct pfDialogWatcher::State {};

pfDialogWatcher::pfDialogWatcher(const std::string&) {}
pfDialogWatcher::~pfDialogWatcher() = default;

bool pfDialogWatcher::IsAvailable()
{
    return false;
}

bool pfDialogWatcher::Start(std::string& strError)
{
    strError = "answering dialogs needs the Windows host";
    return false;
}

#endif
