#include "framework/platform/Platform.h"
#include "framework/trace/Trace.h"

namespace {
constexpr std::size_t kLogPathBytes = 256;
}

void AttachProcess()
{
    PF_TRACE_ENTER("DllMain");
    std::vector<uint8_t> data;
    if (GetPlatform().ReadSetting("", "logfile", data, kLogPathBytes)) {
        data.push_back(0);
        std::string strPath(reinterpret_cast<const char*>(data.data()));
        if (strPath.size() >= kLogPathBytes)
            strPath.resize(kLogPathBytes - 1);
        pfTraceLog::Get().OpenLog(strPath, 3);
    }
    PF_TRACE(PF_TRACE_INFO, "\n");
    PF_TRACE(PF_TRACE_INFO, "Attach Process");
    PF_TRACE_EXIT("DllMain");
}

void DetachProcess()
{
    PF_TRACE_ENTER("DllMain");
    PF_TRACE(PF_TRACE_INFO, "Detach Process\n\n");
    pfTraceLog::Get().CloseLog();
    PF_TRACE_EXIT("DllMain");
}
