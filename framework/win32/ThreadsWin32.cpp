// The render's worker threads and semaphores on Windows. The plug-in links
// the win32 thread model of its toolchain, which has no std::thread, and
// may import system libraries only: the kernel's own threads serve.
#include "framework/platform/Platform.h"

#include <windows.h>

#include <climits>
#include <new>

namespace {

// Workers keep little on their stacks.
constexpr SIZE_T kStackReserve = 256 * 1024;

class pfThreadWin32 : public pfThread {
public:
    explicit pfThreadWin32(std::function<void()> fnWork) : m_fnWork(std::move(fnWork)) {}
    ~pfThreadWin32() override
    {
        if (m_hThread) {
            WaitForSingleObject(m_hThread, INFINITE);
            CloseHandle(m_hThread);
        }
    }

    bool Start()
    {
        m_hThread = CreateThread(nullptr, kStackReserve, Entry, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        return m_hThread != nullptr;
    }

private:
    static DWORD WINAPI Entry(LPVOID pThis)
    {
        static_cast<pfThreadWin32*>(pThis)->m_fnWork();
        return 0;
    }

    std::function<void()> m_fnWork;
    HANDLE m_hThread = nullptr;
};

class pfSemaphoreWin32 : public pfSemaphore {
public:
    explicit pfSemaphoreWin32(HANDLE hSemaphore) : m_hSemaphore(hSemaphore) {}
    ~pfSemaphoreWin32() override { CloseHandle(m_hSemaphore); }
    void Post() override { ReleaseSemaphore(m_hSemaphore, 1, nullptr); }
    void Wait() override { WaitForSingleObject(m_hSemaphore, INFINITE); }

private:
    HANDLE m_hSemaphore;
};

}  // namespace

std::unique_ptr<pfThread> StartThread(std::function<void()> fnWork)
{
    std::unique_ptr<pfThreadWin32> pThread(new (std::nothrow) pfThreadWin32(std::move(fnWork)));
    if (!pThread || !pThread->Start())
        return nullptr;
    return pThread;
}

std::unique_ptr<pfSemaphore> MakeSemaphore()
{
    const HANDLE hSemaphore = CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr);
    if (!hSemaphore)
        return nullptr;
    std::unique_ptr<pfSemaphore> pSemaphore(new (std::nothrow) pfSemaphoreWin32(hSemaphore));
    if (!pSemaphore)
        CloseHandle(hSemaphore);
    return pSemaphore;
}

void YieldThread()
{
    SwitchToThread();
}

int32_t CountProcessors()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors == 0 ? 1 : int32_t(info.dwNumberOfProcessors);
}

std::string ReadEnvironment(const std::string& strName)
{
    char buffer[64];
    const DWORD nLength = GetEnvironmentVariableA(strName.c_str(), buffer, sizeof buffer);
    return nLength > 0 && nLength < sizeof buffer ? std::string(buffer, nLength) : std::string();
}
