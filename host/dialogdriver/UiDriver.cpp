#include "UiDriver.h"

#if defined(_WIN32)
#include "host/text/Console.h"
#include "host/record/HostWindow.h"
#include "host/record/RunClock.h"
#include "KeyPress.h"
#include "UiWindows.h"
#include "host/text/WinText.h"
#include "WindowCapture.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <map>

namespace {

constexpr DWORD kPollMs = 10;
constexpr DWORD kDefaultTimeoutMs = 30000;
constexpr DWORD kGraceMs = 2000;
constexpr DWORD kSettleMs = 30; // the preview counts as idle after this long
// The dialog's windows paint after a render; a wait lasts until they have,
// or this long, so that the next step is not timed with their painting.
constexpr DWORD kPaintPatienceMs = 2000;
// The plug-in's preview window carries this property while a render is
// pending or running.
const char kPendingProperty[] = "pfPreviewPending";

class StepFailed {
public:
    explicit StepFailed(std::string strMessage) : m_strMessage(std::move(strMessage)) {}
    const std::string& What() const { return m_strMessage; }

private:
    std::string m_strMessage;
};

std::string Quoted(const std::string& strText)
{
    std::string strOut = "\"";
    for (const char c : strText) {
        if (c == '"' || c == '\\')
            strOut += '\\';
        if (c == '\n')
            strOut += "\\n";
        else if (c != '\r')
            strOut += c;
    }
    return strOut + "\"";
}

// How a window is named in the script and in printed lines.
std::string Named(const std::string& strReference)
{
    return strReference == "interface" || strReference == "preview" ? strReference : Quoted(strReference);
}

} // namespace

struct pfUiDriver::State {
    std::vector<pfUiStep> steps;
    HWND hHost = nullptr;
    std::atomic<HWND> hSyncWindow{nullptr}; // on the thread the filter is called on
    HANDLE hThread = nullptr;
    HANDLE hSync = nullptr;
    DWORD nTimeoutMs = kDefaultTimeoutMs;
    DWORD nLastAction = 0;
    bool bActed = false; // before the first action, waits count from the filter's start
    bool bSucceeded = false;
    bool bClosed = false;
    std::atomic<bool> bFinishing{false}; // the host has done all its runs
    std::map<HWND, WPARAM> buttons; // mouse buttons held per window

    // --- finding things

    HWND Window(const std::string& strReference)
    {
        const DWORD nStart = GetTickCount();
        for (;;) {
            if (const HWND hWnd = FindUiWindow(strReference))
                return hWnd;
            if (GetTickCount() - nStart > nTimeoutMs)
                throw StepFailed("no window " + Named(strReference) + " within " +
                                 std::to_string(nTimeoutMs / 1000) + " s");
            Sleep(kPollMs);
        }
    }

    HWND Control(const std::string& strReference, int nId, HWND* pDialog = nullptr)
    {
        const HWND hDialog = Window(strReference);
        const HWND hControl = GetDlgItem(hDialog, nId);
        if (!hControl)
            throw StepFailed("window " + Named(strReference) + " has no control " + std::to_string(nId));
        if (pDialog)
            *pDialog = hDialog;
        return hControl;
    }

    // --- talking to the host's thread

    LRESULT Send(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
    {
        DWORD_PTR nResult = 0;
        if (!SendMessageTimeoutW(hWnd, nMessage, wParam, lParam, SMTO_NORMAL, nTimeoutMs, &nResult))
            throw StepFailed("the dialog did not answer within " + std::to_string(nTimeoutMs / 1000) + " s");
        return LRESULT(nResult);
    }

    // Waits until the host's thread has dispatched everything posted so far,
    // in whatever message loop it runs; a closed dialog loop ends the wait.
    void Sync() { Sync(hSyncWindow.load()); }

    void Sync(HWND hWindow)
    {
        ResetEvent(hSync);
        PostMessageW(hWindow, pfHostWindow::GetSyncMessage(), reinterpret_cast<WPARAM>(hSync), 0);
        const DWORD nStart = GetTickCount();
        while (WaitForSingleObject(hSync, kPollMs) == WAIT_TIMEOUT) {
            // The dialog is gone once neither window shows; the preview
            // shows alone while the first picture is drawn, and the
            // thread answers once it has been.
            if (!FindUiWindow("interface") && !FindUiWindow("preview"))
                return;
            if (GetTickCount() - nStart > nTimeoutMs)
                throw StepFailed("the dialog did not answer within " + std::to_string(nTimeoutMs / 1000) + " s");
        }
    }

    void Post(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
    {
        PostMessageW(hWnd, nMessage, wParam, lParam);
        Sync();
    }

    void Focus(HWND hDialog, HWND hControl) { Send(hDialog, WM_NEXTDLGCTL, WPARAM(hControl), TRUE); }

    void Acted()
    {
        nLastAction = GetTickCount();
        bActed = true;
    }

    // --- steps

    static bool DialogPaintPending()
    {
        return UiPaintPending(FindUiWindow("interface")) || UiPaintPending(FindUiWindow("preview"));
    }

    void Wait()
    {
        const HWND hPreview = Window("preview");
        // Sent messages do not end a batch of the plug-in's loop: a posted
        // one lets it run its render step.
        if (const HWND hInterface = FindUiWindow("interface"))
            PostMessageW(hInterface, WM_NULL, 0, 0);
        const DWORD nStart = GetTickCount();
        DWORD nIdleSince = 0;
        bool bIdle = false;
        // Idle once the property has stayed away for a while, with the
        // host's thread answering in between.
        for (;;) {
            Sleep(1);
            if (!IsWindow(hPreview))
                throw StepFailed("the preview closed while waiting");
            const DWORD nNow = GetTickCount();
            if (GetPropA(hPreview, kPendingProperty)) {
                bIdle = false;
            } else if (!bIdle) {
                bIdle = true;
                nIdleSince = nNow;
            } else if (nNow - nIdleSince >= kSettleMs) {
                Send(hPreview, WM_NULL, 0, 0);
                if (GetPropA(hPreview, kPendingProperty))
                    bIdle = false;
                else if (!DialogPaintPending() || nNow - nIdleSince >= kPaintPatienceMs)
                    break;
            }
            if (nNow - nStart > nTimeoutMs)
                throw StepFailed("the preview was still rendering after " + std::to_string(nTimeoutMs / 1000) +
                                 " s");
        }
        const DWORD nFrom = bActed ? nLastAction : GetTickCount() - MillisecondsSinceFilterStart();
        PrintLine("wait " + std::to_string(nIdleSince - nFrom));
    }

    void SetText(const pfUiStep& step, bool bKeyByKey)
    {
        HWND hDialog = nullptr;
        const HWND hControl = Control(step.args[0], step.Int(1), &hDialog);
        Focus(hDialog, hControl);
        const std::wstring strText = Widen(step.args[2]);
        if (!bKeyByKey) {
            Send(hControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strText.c_str()));
        } else {
            Send(hControl, EM_SETSEL, 0, -1);
            for (const wchar_t c : strText)
                Send(hControl, WM_CHAR, c, 1);
        }
        Acted();
    }

    void Select(const pfUiStep& step)
    {
        HWND hDialog = nullptr;
        const HWND hControl = Control(step.args[0], step.Int(1), &hDialog);
        const std::string& strItem = step.args[2];
        const bool bPosition = !strItem.empty() && strItem.find_first_not_of("0123456789") == std::string::npos;
        LRESULT nIndex = -1;
        if (bPosition) {
            nIndex = LRESULT(std::stol(strItem.substr(0, 9))) - 1;
        } else {
            const std::wstring strText = Widen(strItem);
            nIndex = Send(hControl, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(strText.c_str()));
        }
        const LRESULT nCount = Send(hControl, CB_GETCOUNT, 0, 0);
        if (nIndex < 0 || nIndex >= nCount)
            throw StepFailed("the list has no entry " + Quoted(strItem));
        Focus(hDialog, hControl);
        Send(hControl, CB_SETCURSEL, WPARAM(nIndex), 0);
        Send(hDialog, WM_COMMAND, MAKEWPARAM(step.Int(1), CBN_SELCHANGE), reinterpret_cast<LPARAM>(hControl));
        Acted();
    }

    // A thumb drag: tracking notifications for every position, then the
    // release and the end of tracking.
    void Slide(const pfUiStep& step)
    {
        HWND hDialog = nullptr;
        const HWND hControl = Control(step.args[0], step.Int(1), &hDialog);
        const UINT nScroll = (GetWindowLongW(hControl, GWL_STYLE) & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
        Focus(hDialog, hControl);
        int nPosition = 0;
        for (std::size_t i = 2; i < step.args.size(); ++i) {
            nPosition = step.Int(i);
            Send(hControl, TBM_SETPOS, TRUE, nPosition);
            Send(hDialog, nScroll, MAKEWPARAM(TB_THUMBTRACK, nPosition), reinterpret_cast<LPARAM>(hControl));
        }
        Send(hDialog, nScroll, MAKEWPARAM(TB_THUMBPOSITION, nPosition), reinterpret_cast<LPARAM>(hControl));
        Send(hDialog, nScroll, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(hControl));
        Acted();
    }

    void Mouse(HWND hWnd, const std::string& strAction, int x, int y)
    {
        static const std::map<std::string, std::pair<UINT, WPARAM>> actions = {
            {"move", {WM_MOUSEMOVE, 0}},          {"ldown", {WM_LBUTTONDOWN, MK_LBUTTON}},
            {"lup", {WM_LBUTTONUP, MK_LBUTTON}},  {"rdown", {WM_RBUTTONDOWN, MK_RBUTTON}},
            {"rup", {WM_RBUTTONUP, MK_RBUTTON}},
        };
        const auto& action = actions.at(strAction);
        WPARAM& nHeld = buttons[hWnd];
        if (action.first == WM_LBUTTONDOWN || action.first == WM_RBUTTONDOWN)
            nHeld |= action.second;
        else if (action.first != WM_MOUSEMOVE)
            nHeld &= ~action.second;
        PostMessageW(hWnd, action.first, nHeld, MAKELPARAM(x, y));
    }

    // A click reaches a window only while it is enabled, as the system
    // routes input; the host's own thread handles it.
    void ClickHost()
    {
        if (!IsWindowVisible(hHost))
            throw StepFailed("the host window is not shown: this host takes no input during the dialog");
        if (!IsWindowEnabled(hHost)) {
            PrintLine("click-host refused: the host window is disabled");
            return;
        }
        RECT rect{};
        GetClientRect(hHost, &rect);
        const LPARAM nAt = MAKELPARAM(rect.right / 2, rect.bottom / 2);
        PostMessageW(hHost, WM_LBUTTONDOWN, MK_LBUTTON, nAt);
        PostMessageW(hHost, WM_LBUTTONUP, 0, nAt);
        PrintLine("click-host delivered");
        Sync(hHost);
    }

    void Key(const pfUiStep& step)
    {
        pfUiKey key;
        ParseUiKey(step.args[1], key);
        std::string strError;
        if (!PressKey(Window(step.args[0]), key, nTimeoutMs, strError))
            throw StepFailed("key " + step.args[1] + ": " + strError);
        Sync();
        Acted();
    }

    void Drag(const pfUiStep& step)
    {
        const HWND hWnd = Window(step.args[0]);
        const bool bLeft = step.args[1] == "left";
        const int x0 = step.Int(2), y0 = step.Int(3), x1 = step.Int(4), y1 = step.Int(5);
        const int nSteps = step.args.size() > 6 ? std::max(step.Int(6), 1) : 10;
        Mouse(hWnd, bLeft ? "ldown" : "rdown", x0, y0);
        for (int i = 1; i <= nSteps; ++i)
            Mouse(hWnd, "move", x0 + (x1 - x0) * i / nSteps, y0 + (y1 - y0) * i / nSteps);
        Mouse(hWnd, bLeft ? "lup" : "rup", x1, y1);
        Sync();
        Acted();
    }

    void Show(const pfUiStep& step)
    {
        const WPARAM nCommand = step.args[1] == "maximized"   ? SC_MAXIMIZE
                                : step.args[1] == "minimized" ? SC_MINIMIZE
                                                              : SC_RESTORE;
        Post(Window(step.args[0]), WM_SYSCOMMAND, nCommand, 0);
        Acted();
    }

    void Place(const pfUiStep& step, bool bMove)
    {
        const HWND hWnd = Window(step.args[0]);
        const UINT nFlags = SWP_NOZORDER | SWP_NOACTIVATE | (bMove ? SWP_NOSIZE : SWP_NOMOVE);
        if (!SetWindowPos(hWnd, nullptr, step.Int(1), step.Int(2), step.Int(1), step.Int(2), nFlags))
            throw StepFailed("cannot " + step.strVerb + " " + Named(step.args[0]));
        Sync();
        Acted();
    }

    void Read(const pfUiStep& step)
    {
        const HWND hControl = Control(step.args[0], step.Int(1));
        // A trackbar reads as its thumb's position.
        const std::string strText = UiClassName(hControl) == "msctls_trackbar32"
                                        ? std::to_string(Send(hControl, TBM_GETPOS, 0, 0))
                                        : UiWindowText(hControl);
        PrintLine("read " + Named(step.args[0]) + " " + step.args[1] + " " + Quoted(strText));
    }

    void ReadState(const pfUiStep& step)
    {
        const HWND hControl = Control(step.args[0], step.Int(1));
        PrintLine("state " + Named(step.args[0]) + " " + step.args[1] +
                  (IsWindowEnabled(hControl) ? " enabled" : " disabled") +
                  (IsWindowVisible(hControl) ? " visible " : " hidden ") + UiCheckState(hControl));
    }

    void Items(const pfUiStep& step)
    {
        std::string strLine = "items " + Named(step.args[0]) + " " + step.args[1];
        for (const std::string& strItem : UiListItems(Control(step.args[0], step.Int(1))))
            strLine += " " + Quoted(strItem);
        PrintLine(strLine);
    }

    void PrintPlace(const pfUiStep& step)
    {
        RECT rect{};
        GetWindowRect(Window(step.args[0]), &rect);
        PrintLine("place " + Named(step.args[0]) + " " + std::to_string(rect.left) + " " + std::to_string(rect.top) +
                  " " + std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
    }

    // Every visible static text of a window, a message box's among them.
    void PrintTexts(const pfUiStep& step)
    {
        std::string strLine = "texts " + Named(step.args[0]);
        for (const std::string& strText : UiStaticTexts(Window(step.args[0])))
            strLine += " " + Quoted(strText);
        PrintLine(strLine);
    }

    // A control's rectangle in its window's client coordinates.
    void PrintRect(const pfUiStep& step)
    {
        HWND hDialog = nullptr;
        const HWND hControl = Control(step.args[0], step.Int(1), &hDialog);
        RECT rect{};
        GetWindowRect(hControl, &rect);
        MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rect), 2);
        PrintLine("rect " + Named(step.args[0]) + " " + step.args[1] + " " + std::to_string(rect.left) + " " +
                  std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) + " " +
                  std::to_string(rect.bottom - rect.top));
    }

    void Capture(const pfUiStep& step, bool bClient)
    {
        const HWND hWnd = Window(step.args[0]);
        RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sync();
        // Drawing reaches the screen shortly after it is done.
        Sleep(100);
        std::string strError;
        if (!(bClient ? CaptureClientArea(hWnd, step.args[1], strError) : CaptureWindow(hWnd, step.args[1], strError)))
            throw StepFailed("cannot capture " + Named(step.args[0]) + ": " + strError);
        PrintLine("captured " + Quoted(step.args[1]));
    }

    void Answer(const pfUiStep& step)
    {
        const HWND hDialog = Window(step.args[0]);
        const HWND hButton = FindUiButton(hDialog, step.args[1]);
        if (!hButton)
            throw StepFailed("window " + Named(step.args[0]) + " has no button " + Quoted(step.args[1]));
        Post(hButton, BM_CLICK, 0, 0);
        Acted();
    }

    // OK or Cancel ends the dialog run; the script ends with it.
    void Close(int nButton)
    {
        const HWND hInterface = Window("interface");
        PostMessageW(GetDlgItem(hInterface, nButton), BM_CLICK, 0, 0);
        WaitClosed(hInterface);
    }

    // Until both windows are gone: the preview goes after the interface, and
    // a step for the next run must not find the closing one.
    void WaitClosed(HWND hInterface)
    {
        const HWND hPreview = FindUiWindow("preview");
        const DWORD nStart = GetTickCount();
        while (IsWindow(hInterface) || (hPreview && IsWindow(hPreview))) {
            if (GetTickCount() - nStart > nTimeoutMs)
                throw StepFailed("the dialog did not close");
            Sleep(kPollMs);
        }
        bClosed = true;
    }

    void Run(const pfUiStep& step)
    {
        const std::string& v = step.strVerb;
        if (v == "wait")
            Wait();
        else if (v == "set" || v == "type")
            SetText(step, v == "type");
        else if (v == "focus") {
            HWND hDialog = nullptr;
            const HWND hControl = Control(step.args[0], step.Int(1), &hDialog);
            Focus(hDialog, hControl);
            Acted();
        } else if (v == "click") {
            Post(Control(step.args[0], step.Int(1)), BM_CLICK, 0, 0);
            Acted();
        } else if (v == "select")
            Select(step);
        else if (v == "slide")
            Slide(step);
        else if (v == "mouse") {
            Mouse(Window(step.args[0]), step.args[1], step.Int(2), step.Int(3));
            Sync();
            Acted();
        } else if (v == "click-host")
            ClickHost();
        else if (v == "key")
            Key(step);
        else if (v == "drag")
            Drag(step);
        else if (v == "move" || v == "resize")
            Place(step, v == "move");
        else if (v == "show")
            Show(step);
        else if (v == "close") {
            const HWND hWnd = Window(step.args[0]);
            const bool bInterface = hWnd == FindUiWindow("interface");
            PostMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (bInterface)
                WaitClosed(hWnd);
            else
                Sync();
            Acted();
        } else if (v == "read")
            Read(step);
        else if (v == "state")
            ReadState(step);
        else if (v == "items")
            Items(step);
        else if (v == "caption")
            PrintLine("caption " + Named(step.args[0]) + " " + Quoted(UiWindowText(Window(step.args[0]))));
        else if (v == "place")
            PrintPlace(step);
        else if (v == "rect")
            PrintRect(step);
        else if (v == "texts")
            PrintTexts(step);
        else if (v == "capture" || v == "capture-client")
            Capture(step, v == "capture-client");
        else if (v == "answer")
            Answer(step);
        else if (v == "ok" || v == "cancel")
            Close(v == "ok" ? IDOK : IDCANCEL);
        else if (v == "sleep")
            Sleep(DWORD(std::max(step.Int(0), 0)));
        else if (v == "delivery")
            PrintLine("delivery " + std::to_string(DeliveryMilliseconds()));
        else if (v == "timeout")
            nTimeoutMs = DWORD(std::max(step.Int(0), 1)) * 1000;
    }

    // Closes whatever the failed script left open, modal windows first, then
    // cancels the dialog run; and every dialog of the runs still to come as
    // it appears, until the host has done them all: without its script the
    // host would wait on them for ever.
    void Abandon()
    {
        static const WPARAM kAnswers[] = {IDCANCEL, IDNO, IDOK};
        for (int nRound = 0; !bFinishing; ++nRound) {
            const std::vector<HWND> others = OtherDialogs();
            for (const HWND hDialog : others)
                PostMessageW(hDialog, WM_COMMAND, kAnswers[nRound % 3], 0);
            const HWND hInterface = FindUiWindow("interface");
            if (others.empty() && hInterface)
                PostMessageW(GetDlgItem(hInterface, IDCANCEL), BM_CLICK, 0, 0);
            Sleep(200);
        }
    }

    void Execute()
    {
        const pfUiStep* pCurrent = nullptr;
        try {
            for (const pfUiStep& step : steps) {
                pCurrent = &step;
                bClosed = false;
                Run(step);
            }
            if (!bClosed) {
                Sleep(kGraceMs);
                if (FindUiWindow("interface"))
                    throw StepFailed("the script ended with the dialog still open (end it with ok or cancel)");
            }
            bSucceeded = true;
        } catch (const StepFailed& failure) {
            const int nLine = pCurrent ? pCurrent->nLine : 0;
            PrintErrorLine("corvhost: dialog script line " + std::to_string(nLine) + ": " + failure.What());
            Abandon();
        }
    }

    static DWORD WINAPI Thread(LPVOID pParameter)
    {
        static_cast<State*>(pParameter)->Execute();
        return 0;
    }
};

pfUiDriver::pfUiDriver(std::vector<pfUiStep> steps, intptr_t hHostWindow) : m_pState(std::make_unique<State>())
{
    m_pState->steps = std::move(steps);
    m_pState->hHost = reinterpret_cast<HWND>(hHostWindow);
    m_pState->hSyncWindow = m_pState->hHost;
}

void pfUiDriver::SetSyncWindow(intptr_t hWindow)
{
    m_pState->hSyncWindow = hWindow ? reinterpret_cast<HWND>(hWindow) : m_pState->hHost;
}

pfUiDriver::~pfUiDriver()
{
    Finish();
    if (m_pState->hSync)
        CloseHandle(m_pState->hSync);
}

bool pfUiDriver::IsAvailable()
{
    return true;
}

bool pfUiDriver::Start(std::string& strError)
{
    m_pState->hSync = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_pState->nLastAction = GetTickCount();
    if (m_pState->hSync)
        m_pState->hThread = CreateThread(nullptr, 0, State::Thread, m_pState.get(), 0, nullptr);
    if (!m_pState->hThread) {
        strError = "cannot start the dialog driver thread";
        return false;
    }
    return true;
}

bool pfUiDriver::Finish()
{
    m_pState->bFinishing = true;
    if (m_pState->hThread) {
        WaitForSingleObject(m_pState->hThread, INFINITE);
        CloseHandle(m_pState->hThread);
        m_pState->hThread = nullptr;
    }
    return m_pState->bSucceeded;
}

#else

struct pfUiDriver::State {};

pfUiDriver::pfUiDriver(std::vector<pfUiStep>, intptr_t) {}
void pfUiDriver::SetSyncWindow(intptr_t) {}
pfUiDriver::~pfUiDriver() = default;

bool pfUiDriver::IsAvailable()
{
    return false;
}

bool pfUiDriver::Start(std::string& strError)
{
    strError = "dialog scripts need the Windows host";
    return false;
}

bool pfUiDriver::Finish()
{
    return false;
}

#endif
