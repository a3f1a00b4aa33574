// Threads and semaphores of the standard library, for native builds (the
// Windows builds' toolchain has no std::thread; see win32/ThreadsWin32.cpp).
#include "Platform.h"

#if !defined(_WIN32)

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace {

class pfThreadStd : public pfThread {
public:
    explicit pfThreadStd(std::function<void()> fnWork) : m_Thread(std::move(fnWork)) {}
    ~pfThreadStd() override { m_Thread.join(); }

private:
    std::thread m_Thread;
};

class pfSemaphoreStd : public pfSemaphore {
public:
    void Post() override
    {
        {
            const std::lock_guard<std::mutex> lock(m_Mutex);
            ++m_nCount;
        }
        m_Posted.notify_one();
    }

    void Wait() override
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Posted.wait(lock, [this] { return m_nCount > 0; });
        --m_nCount;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Posted;
    int64_t m_nCount = 0;
};

}  // namespace

std::unique_ptr<pfThread> StartThread(std::function<void()> fnWork)
{
    try {
        return std::make_unique<pfThreadStd>(std::move(fnWork));
    } catch (const std::system_error&) {
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<pfSemaphore> MakeSemaphore()
{
    return std::unique_ptr<pfSemaphore>(new (std::nothrow) pfSemaphoreStd());
}

void YieldThread()
{
    std::this_thread::yield();
}

int32_t CountProcessors()
{
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : int32_t(n > 1024 ? 1024 : n);
}

std::string ReadEnvironment(const std::string& strName)
{
    const char* pValue = std::getenv(strName.c_str());
    return pValue ? pValue : "";
}

#endif
