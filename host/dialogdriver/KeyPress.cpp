#include "KeyPress.h"

#if defined(_WIN32)
#include <vector>

namespace {

INPUT KeyInput(int nVirtualKey, bool bUp)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = WORD(nVirtualKey);
    input.ki.wScan = WORD(MapVirtualKeyW(UINT(nVirtualKey), MAPVK_VK_TO_VSC));
    input.ki.dwFlags = bUp ? KEYEVENTF_KEYUP : 0;
    return input;
}

std::vector<INPUT> Presses(const pfUiKey& key)
{
    std::vector<int> held;
    if (key.bControl)
        held.push_back(VK_CONTROL);
    if (key.bShift)
        held.push_back(VK_SHIFT);
    std::vector<INPUT> inputs;
    for (const int nKey : held)
        inputs.push_back(KeyInput(nKey, false));
    inputs.push_back(KeyInput(key.nVirtualKey, false));
    inputs.push_back(KeyInput(key.nVirtualKey, true));
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        inputs.push_back(KeyInput(*it, true));
    return inputs;
}

// Sets an event when the window's thread takes a key-up of the given key
// from its queue: after that the whole press is the thread's.
class KeyUpWatch {
public:
    KeyUpWatch(DWORD nThread, int nKey)
    {
        s_nKey = nKey;
        s_hTaken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_hHook = SetWindowsHookExW(WH_GETMESSAGE, Hook, nullptr, nThread);
    }
    ~KeyUpWatch()
    {
        if (m_hHook)
            UnhookWindowsHookEx(m_hHook);
        if (s_hTaken)
            CloseHandle(s_hTaken);
        s_hTaken = nullptr;
    }
    KeyUpWatch(const KeyUpWatch&) = delete;
    KeyUpWatch& operator=(const KeyUpWatch&) = delete;

    bool IsWatching() const { return m_hHook && s_hTaken; }
    bool Taken(DWORD nWaitMs) const { return WaitForSingleObject(s_hTaken, nWaitMs) == WAIT_OBJECT_0; }

private:
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam)
    {
        const auto* pMessage = reinterpret_cast<const MSG*>(lParam);
        if (nCode == HC_ACTION && wParam == PM_REMOVE &&
            (pMessage->message == WM_KEYUP || pMessage->message == WM_SYSKEYUP) &&
            int(pMessage->wParam) == s_nKey && s_hTaken)
            SetEvent(s_hTaken);
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    }

    static inline int s_nKey = 0;
    static inline HANDLE s_hTaken = nullptr;
    HHOOK m_hHook = nullptr;
};

} // namespace

bool PressKey(HWND hWindow, const pfUiKey& key, DWORD nTimeoutMs, std::string& strError)
{
    std::vector<INPUT> inputs = Presses(key);
    const KeyUpWatch watch(GetWindowThreadProcessId(hWindow, nullptr), inputs.back().ki.wVk);
    if (!watch.IsWatching()) {
        strError = "cannot watch the window's thread";
        return false;
    }
    SetForegroundWindow(hWindow);
    if (SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) {
        strError = "the system refused the key";
        return false;
    }
    // A key that closes the window may leave its key-up untaken.
    const DWORD nStart = GetTickCount();
    while (!watch.Taken(1) && IsWindow(hWindow)) {
        if (GetTickCount() - nStart > nTimeoutMs) {
            strError = "the window did not take the key";
            return false;
        }
    }
    return true;
}
#endif
