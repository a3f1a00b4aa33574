#include "RunClock.h"

#include <atomic>
#include <chrono>

namespace {
// Written on the host's thread, read by the dialog driver's.
std::atomic<int64_t> g_nStart{RunClockMicroseconds()};
std::atomic<int64_t> g_nDelivery{0};
} // namespace

int64_t RunClockMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void MarkFilterStart()
{
    g_nStart = RunClockMicroseconds();
    g_nDelivery = 0;
}

void AddDeliveryTime(int64_t nMicroseconds)
{
    g_nDelivery += nMicroseconds;
}

uint32_t MillisecondsSinceFilterStart()
{
    return uint32_t((RunClockMicroseconds() - g_nStart) / 1000);
}

uint32_t DeliveryMilliseconds()
{
    return uint32_t(g_nDelivery / 1000);
}
