// Memory that runs out: every allocation of a start call fails in turn, and
// each time the host gets out of memory (or, where the failure was met
// gracefully, its usual answer) and never an exception.
#include "RenderTestSupport.h"

#include "filter/FilterCorvane.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// Allocations still allowed; negative: no limit.
std::atomic<long> g_nAllocationsLeft{-1};
std::atomic<bool> g_bLimitMet{false};

void* Allocate(std::size_t nSize)
{
    if (g_nAllocationsLeft.load() >= 0 && g_nAllocationsLeft.fetch_sub(1) == 0) {
        g_bLimitMet = true;
        return nullptr;
    }
    return std::malloc(nSize ? nSize : 1);
}

void* AllocateOrThrow(std::size_t nSize)
{
    if (void* p = Allocate(nSize))
        return p;
    throw std::bad_alloc();
}

class AllocationLimit {
public:
    explicit AllocationLimit(long nAllowed)
    {
        g_bLimitMet = false;
        g_nAllocationsLeft = nAllowed;
    }
    ~AllocationLimit() { g_nAllocationsLeft = -1; }
};

OSErr AdvanceOk() { return noErr; }
OSErr DisplayOk(const void*, const VRect*, int32_t, int32_t, void*) { return noErr; }
void Progress(int32_t, int32_t) {}

}  // namespace

// The whole test program allocates through these; without a limit they are
// plain malloc and free.
void* operator new(std::size_t nSize) { return AllocateOrThrow(nSize); }
void* operator new[](std::size_t nSize) { return AllocateOrThrow(nSize); }
void* operator new(std::size_t nSize, const std::nothrow_t&) noexcept { return Allocate(nSize); }
void* operator new[](std::size_t nSize, const std::nothrow_t&) noexcept { return Allocate(nSize); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// A start call on a small image with the allocations allowed (negative: all).
struct StartRun {
    int16_t nResult = 12345;
    bool bLimitMet = false;
    std::vector<uint8_t> out;
    int16_t nOutRight = -1;
};

StartRun RunStart(pfFilterCorvane& filter, long nAllowed)
{
    TestImage image(plugInModeRGBColor, 8, 6, 5, 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            image.SetIn(x, y, x % 3, uint16_t(40 * x + 7 * y));
    image.record.advanceState = AdvanceOk;
    image.record.displayPixels = DisplayOk;
    image.record.progressProc = Progress;
    StartRun run;
    intptr_t data = 0;
    {
        AllocationLimit limit(nAllowed);
        filter.DispatchSelector(filterSelectorStart, &image.record, &data, &run.nResult);
        run.bLimitMet = g_bLimitMet;
    }
    run.out = image.out;
    run.nOutRight = image.record.outRect.right;
    return run;
}

}  // namespace

TEST(MemoryExhaustion, EveryFailedAllocationOfAStartCallIsAnsweredOutOfMemoryOrMetInFull)
{
    RecordingPlatform platform;
    CapturedTrace trace;
    pfFilterCorvane filter;
    const StartRun reference = RunStart(filter, -1);
    ASSERT_EQ(reference.nResult, noErr);
    int nOutOfMemory = 0;
    for (long nAllowed = 0;; ++nAllowed) {
        const StartRun run = RunStart(filter, nAllowed);
        if (!run.bLimitMet)
            break;
        // A trace line that cannot be formatted is lost; nothing else is.
        if (run.nResult == noErr) {
            EXPECT_EQ(run.out, reference.out) << "allocation " << nAllowed;
            continue;
        }
        ++nOutOfMemory;
        EXPECT_EQ(run.nResult, memFullErr) << "allocation " << nAllowed;
        EXPECT_EQ(run.nOutRight, 0) << "no more image data is asked for";
    }
    EXPECT_GT(nOutOfMemory, 10);
    EXPECT_NE(trace.Text().find("-**### ERROR ###**-: Out of memory\n"), std::string::npos);
}
