#include "MemoryBudget.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

constexpr uint64_t kUnknown = std::numeric_limits<uint64_t>::max();

#if !defined(_WIN32)
// The "NAME: N kB" line of /proc/meminfo.
uint64_t MemInfoBytes(const std::string& strName)
{
    std::ifstream file("/proc/meminfo");
    std::string strLine;
    while (std::getline(file, strLine)) {
        if (strLine.compare(0, strName.size() + 1, strName + ":") != 0)
            continue;
        std::istringstream fields(strLine.substr(strName.size() + 1));
        uint64_t nKiB = 0;
        return fields >> nKiB ? nKiB * 1024 : kUnknown;
    }
    return kUnknown;
}

uint64_t NumberIn(const char* pPath)
{
    std::ifstream file(pPath);
    uint64_t nValue = 0;
    return file >> nValue ? nValue : kUnknown; // "max" reads as unknown
}

// What the control group (v2) still allows.
uint64_t CgroupRoom()
{
    const uint64_t nLimit = NumberIn("/sys/fs/cgroup/memory.max");
    const uint64_t nUsed = NumberIn("/sys/fs/cgroup/memory.current");
    if (nLimit == kUnknown || nUsed == kUnknown)
        return kUnknown;
    return nLimit > nUsed ? nLimit - nUsed : 0;
}

// What the address-space limit (ulimit -v) leaves above the mapped pages.
uint64_t AddressSpaceRoom()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kUnknown;
    std::ifstream file("/proc/self/statm");
    uint64_t nPages = 0;
    if (!(file >> nPages))
        return kUnknown;
    const uint64_t nMapped = nPages * uint64_t(sysconf(_SC_PAGESIZE));
    return limit.rlim_cur > nMapped ? limit.rlim_cur - nMapped : 0;
}
#endif

std::string MiB(uint64_t nBytes)
{
    return std::to_string((nBytes + (1u << 20) - 1) >> 20) + " MiB";
}

} // namespace

uint64_t AvailableMemory()
{
#if defined(_WIN32)
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return kUnknown;
    return std::min<uint64_t>(status.ullAvailPageFile, status.ullAvailVirtual);
#else
    return std::min({MemInfoBytes("MemAvailable"), CgroupRoom(), AddressSpaceRoom()});
#endif
}

bool CheckMemory(uint64_t nBytes, const std::string& strWhat, std::string& strError)
{
    const uint64_t nAvailable = AvailableMemory();
    if (nBytes <= nAvailable)
        return true;
    strError = strWhat + " is too large: it needs about " + MiB(nBytes) + ", " + MiB(nAvailable) + " are available";
    return false;
}
