// Fuzz target: host scripting. A fuzzed descriptor (keys, types, values and
// their count) is played back through the plug-in's ReadScriptParams with
// our host's descriptor suite, whose procedure table and get procedures
// the input can also spoil. Whatever arrives, nothing crashes, every reader
// is closed and every handle freed, the parameters keep values a render can
// use, and what the plug-in then records plays back to the same values.
#include "FuzzSupport.h"

#include "filter/FilterCorvane.h"
#include "host/record/DescriptorSuite.h"
#include "host/record/HandleSuite.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

const char* const kKeys[] = {"COL1", "COL2", "COL3", "GAMA", "BLND", "DEIN", "DEOU", "ADFA", "WEGX",
                             "WEGY", "RAND", "OFX1", "OFX2", "OFY1", "OFY2", "INX1", "INX2", "INY1",
                             "INY2", "OUX1", "OUX2", "OUY1", "OUY2", "ANTI", "CLCO"};

// Which calls of the get procedures fail, one bit per call, and how.
struct GetFailures {
    uint64_t nMask = 0;
    bool bWriteAnyway = false;
    int nCall = 0;
    ReadDescriptorProcs real{};

    // True when this call is to fail; a failing call may still have written
    // garbage into the caller's variable.
    bool Fails() { return (nMask >> (nCall++ % 64)) & 1; }
};
GetFailures g_Failures;

OSErr PF_CDECL FailingGetInteger(PIReadDescriptor token, int32_t* pValue)
{
    if (!g_Failures.Fails())
        return g_Failures.real.getIntegerProc(token, pValue);
    if (g_Failures.bWriteAnyway && pValue)
        *pValue = INT32_MIN;
    return errPlugInHostInsufficient;
}

OSErr PF_CDECL FailingGetFloat(PIReadDescriptor token, double* pValue)
{
    if (!g_Failures.Fails())
        return g_Failures.real.getFloatProc(token, pValue);
    if (g_Failures.bWriteAnyway && pValue)
        *pValue = std::numeric_limits<double>::quiet_NaN();
    return paramErr;
}

OSErr PF_CDECL FailingGetBoolean(PIReadDescriptor token, Boolean* pValue)
{
    if (!g_Failures.Fails())
        return g_Failures.real.getBooleanProc(token, pValue);
    if (g_Failures.bWriteAnyway && pValue)
        *pValue = 0x5A;
    return paramErr;
}

double FuzzedDouble(FuzzedDataProvider& input)
{
    const double kSpecial[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(), std::numeric_limits<double>::denorm_min(),
                               -0.0, 1e308, -1e-308};
    if (input.ConsumeBool())
        return input.PickValueInArray(kSpecial);
    return input.ConsumeFloatingPoint<double>();
}

pfDescriptorEntry FuzzedEntry(FuzzedDataProvider& input)
{
    pfDescriptorEntry entry;
    if (input.ConsumeBool()) {
        const char* strKey = kKeys[input.ConsumeIntegralInRange<int>(0, 24)];
        entry.key = FourCC({strKey[0], strKey[1], strKey[2], strKey[3], 0});
    } else {
        entry.key = input.ConsumeIntegral<uint32_t>();
    }
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: entry.value = input.ConsumeIntegral<int32_t>(); break;
    case 1: entry.value = FuzzedDouble(input); break;
    default: entry.value = input.ConsumeBool(); break;
    }
    return entry;
}

// The values a render depends on, checked after validation.
void CheckUsable(pfFilterCorvane& filter)
{
    filter.GetParameters().ValidateAll();
    for (const pfParameter* pParameter : filter.GetParameters()) {
        if (const auto* pFloat = dynamic_cast<const pfParameterFloat*>(pParameter))
            FuzzCheck(std::isfinite(pFloat->GetValue()), "scripted floats are finite");
    }
    double fRed = 0, fGreen = 0, fBlue = 0;
    filter.m_Color.GetValue(fRed, fGreen, fBlue);
    FuzzCheck(std::isfinite(fRed) && std::isfinite(fGreen) && std::isfinite(fBlue), "the colour is finite");
    const int nMode = filter.m_BlendMode.GetSelection();
    FuzzCheck(nMode >= 1 && nMode <= 22, "the blend mode is one of the 22");
}

// Records the filter's values and plays them into a fresh filter: both must
// end with the same values.
void CheckRecordingPlaysBack(pfFilterCorvane& filter, pfDescriptorSuite& suite, FilterRecord& record)
{
    pfDescriptor recorded;
    {
        pfDescriptorParameters parameters(suite, plugInDialogDisplay, nullptr);
        record.descriptorParameters = parameters.Get();
        filter.GetParameters().WriteScriptParams(&record);
        FuzzCheck(parameters.GetRecorded(recorded) && recorded.size() == 25, "25 values are recorded");
    }
    pfFilterCorvane copy;
    {
        pfDescriptorParameters parameters(suite, plugInDialogSilent, &recorded);
        record.descriptorParameters = parameters.Get();
        copy.GetParameters().ReadScriptParams(&record);
    }
    record.descriptorParameters = nullptr;
    auto it = copy.GetParameters().begin();
    for (const pfParameter* pParameter : filter.GetParameters()) {
        const pfParameter* pCopy = *it++;
        if (const auto* pFloat = dynamic_cast<const pfParameterFloat*>(pParameter))
            FuzzCheck(pFloat->GetValue() == dynamic_cast<const pfParameterFloat*>(pCopy)->GetValue(),
                      "a recorded float plays back to the same value");
    }
    double fRed = 0, fGreen = 0, fBlue = 0, fCopyRed = 0, fCopyGreen = 0, fCopyBlue = 0;
    filter.m_Color.GetValue(fRed, fGreen, fBlue);
    copy.m_Color.GetValue(fCopyRed, fCopyGreen, fCopyBlue);
    FuzzCheck(fRed == fCopyRed && fGreen == fCopyGreen && fBlue == fCopyBlue, "the colour plays back");
    FuzzCheck(copy.m_BlendMode.GetSelection() == filter.m_BlendMode.GetSelection() &&
                  copy.m_Antialias.GetValue() == filter.m_Antialias.GetValue() &&
                  copy.m_ClipColor.GetValue() == filter.m_ClipColor.GetValue(),
              "the blend mode and switches play back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    FuzzedDataProvider input(pData, nSize);
    pfHandleSuite handles;
    pfDescriptorSuite suite(handles);
    FilterRecord record;
    std::memset(&record, 0, sizeof record);
    record.handleProcs = handles.GetProcs();
    pfFilterCorvane filter;
    {
        const int16_t nPlayInfo = input.ConsumeIntegralInRange<int16_t>(-1, 3);
        const int16_t nReadProcs = input.ConsumeBool() ? input.ConsumeIntegral<int16_t>() : 18;
        g_Failures.nMask = input.ConsumeBool() ? input.ConsumeIntegral<uint64_t>() : 0;
        g_Failures.bWriteAnyway = input.ConsumeBool();
        g_Failures.nCall = 0;
        pfDescriptor descriptor;
        const int nEntries = input.ConsumeIntegralInRange<int>(0, 64);
        for (int i = 0; i < nEntries && input.remaining_bytes() > 0; ++i)
            descriptor.push_back(FuzzedEntry(input));

        pfDescriptorParameters parameters(suite, nPlayInfo, &descriptor);
        g_Failures.real = *suite.GetReadProcs();
        ReadDescriptorProcs procs = g_Failures.real;
        procs.numReadDescriptorProcs = nReadProcs;
        procs.getIntegerProc = FailingGetInteger;
        procs.getFloatProc = FailingGetFloat;
        procs.getBooleanProc = FailingGetBoolean;
        parameters.Get()->readDescriptorProcs = &procs;
        record.descriptorParameters = parameters.Get();
        const bool bShow = filter.GetParameters().ReadScriptParams(&record);
        FuzzCheck(bShow == (nPlayInfo == plugInDialogDisplay || !DescriptorAvailable(parameters.Get())),
                  "the dialog shows when asked for or when the descriptor cannot be read");
        FuzzCheck(suite.OpenTokens() == 0, "every reader is closed");
        record.descriptorParameters = nullptr;
    }
    FuzzCheck(handles.Count() == 0, "every handle is freed");
    CheckUsable(filter);
    CheckRecordingPlaysBack(filter, suite, record);
    FuzzCheck(handles.Count() == 0 && suite.OpenTokens() == 0, "recording leaves nothing open");
    return 0;
}
