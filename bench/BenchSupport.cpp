#include "BenchSupport.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace bench {

namespace {

std::size_t StatusKilobytes(const std::string& strKey)
{
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine))
        if (strLine.compare(0, strKey.size(), strKey) == 0)
            return std::stoul(strLine.substr(strKey.size())) * 1024;
    return 0;
}

void PF_CDECL NoProgress(int32_t, int32_t) {}
Boolean PF_CDECL NeverAbort()
{
    return false;
}
}  // namespace

pfRenderSnapshot Parameters(bool bDense, int32_t nThreads)
{
    pfFilterCorvane filter;
    if (bDense) {
        filter.m_InnerDensity.SetValue(2.0);
        filter.m_OuterDensity.SetValue(2.0);
    }
    pfRenderSnapshot snapshot = TakeRenderSnapshot(filter);
    snapshot.nThreads = nThreads;
    return snapshot;
}

FilterRecord HostRecord()
{
    FilterRecord record{};
    record.progressProc = NoProgress;
    record.abortProc = NeverAbort;
    return record;
}

int32_t MachineThreads()
{
    return int32_t(std::max(1u, std::thread::hardware_concurrency()));
}

void FloorPass(const uint8_t* pIn, const float* pField, uint8_t* pOut, int32_t nRowBytes, int32_t nThreads)
{
    const int32_t nPixelBytes = nRowBytes / kWidth;
    const auto band = [=](int32_t y0, int32_t y1) {
        for (int32_t y = y0; y < y1; ++y) {
            const uint8_t* pRowIn = pIn + std::ptrdiff_t(y) * nRowBytes;
            uint8_t* pRowOut = pOut + std::ptrdiff_t(y) * nRowBytes;
            const float* pRowField = pField + std::ptrdiff_t(y) * kWidth;
            for (int32_t x = 0; x < kWidth; ++x) {
                const uint8_t nAdd = pRowField[x] > 0 ? 1 : 0;
                for (int32_t b = 0; b < nPixelBytes; ++b)
                    pRowOut[x * nPixelBytes + b] = uint8_t(pRowIn[x * nPixelBytes + b] + nAdd);
            }
        }
    };
    std::vector<std::thread> workers;
    for (int32_t t = 1; t < nThreads; ++t)
        workers.emplace_back(band, kHeight * t / nThreads, kHeight * (t + 1) / nThreads);
    band(0, kHeight / nThreads);
    for (std::thread& worker : workers)
        worker.join();
}

std::size_t ResidentBytes()
{
    return StatusKilobytes("VmRSS:");
}

std::size_t ResidentPeak()
{
    return StatusKilobytes("VmHWM:");
}

void ResetResidentPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace bench
