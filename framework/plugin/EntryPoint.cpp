#include "Filter.h"
#include "framework/hostinterface/HostInterfaceLayout.h"
#include "framework/trace/Trace.h"

#if defined(_WIN32)
#define PF_EXPORT __declspec(dllexport)
#else
#define PF_EXPORT
#endif

extern "C" PF_EXPORT void PF_CDECL ENTRYPOINT(int16_t selector, void* filterRecord, intptr_t* data, int16_t* result)
{
    pfFilter& filter = GetFilterInstance();
    const int8_t nSelector = int8_t(selector & 0xFF);
    PF_TRACE_ENTER("ENTRYPOINT( selector(" << int(nSelector) << "), filterParamBlock(" << TracePtr(filterRecord)
                                           << "), data(" << TracePtr(data) << "), result(" << TracePtr(result)
                                           << ") )");
    filter.DispatchSelector(selector, static_cast<FilterRecord*>(filterRecord), data, result);
    PF_TRACE_EXIT("ENTRYPOINT()");
}
