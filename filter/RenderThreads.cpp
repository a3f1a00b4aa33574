#include "RenderThreads.h"

#include "framework/platform/Platform.h"

#include <algorithm>

int32_t ParseThreadCap(const std::string& strValue)
{
    if (strValue.empty() || strValue.size() > 9 ||
        !std::all_of(strValue.begin(), strValue.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::min(std::stoi(strValue), kMaxRenderThreads);
}

int32_t RenderThreadCount()
{
    int32_t nThreads = std::min(CountProcessors(), kMaxRenderThreads);
    const int32_t nCap = ParseThreadCap(ReadEnvironment("CORVANE_THREADS"));
    if (nCap > 0)
        nThreads = std::min(nThreads, nCap);
    return std::max(nThreads, 1);
}
