// The values accepted last time, under the "LastUsed" subkey: one binary
// value per remembered parameter (three for a colour, two for a position),
// written on OK and read when the interface opens.
#include "PreviewWin32.h"

#include "framework/plugin/Filter.h"
#include "framework/parameters/Parameter.h"
#include "framework/platform/Platform.h"
#include "framework/dialog/Settings.h"
#include "framework/trace/Trace.h"

#include <cmath>
#include <cstring>

namespace {

const char kSubkey[] = "LastUsed";

template <typename T>
void Write(const std::string& strName, T value)
{
    std::vector<uint8_t> data(sizeof value);
    std::memcpy(data.data(), &value, sizeof value);
    WriteBinarySetting(kSubkey, strName, data);
}

template <typename T>
bool Read(const std::string& strName, T& value)
{
    std::vector<uint8_t> data;
    if (!ReadBinarySetting(kSubkey, strName, sizeof value, data))
        return false;
    std::memcpy(&value, data.data(), sizeof value);
    return true;
}

// Stored doubles are anyone's: only finite ones count.
bool ReadDouble(const std::string& strName, double& fValue)
{
    return Read(strName, fValue) && std::isfinite(fValue);
}

void WriteParameter(const pfParameter& parameter)
{
    const std::string strName = parameter.GetName();
    double a = 0, b = 0, c = 0;
    if (const auto* pBool = dynamic_cast<const pfParameterBool*>(&parameter)) {
        Write(strName, uint8_t(pBool->GetValue() ? 1 : 0));
    } else if (const auto* pInt = dynamic_cast<const pfParameterInt*>(&parameter)) {
        Write(strName, int32_t(pInt->GetValue()));
    } else if (const auto* pFloat = dynamic_cast<const pfParameterFloat*>(&parameter)) {
        Write(strName, pFloat->GetValue());
    } else if (const auto* pList = dynamic_cast<const pfParameterList*>(&parameter)) {
        Write(strName, int32_t(pList->GetSelection()));
    } else if (const auto* pRGB = dynamic_cast<const pfParameterRGB*>(&parameter)) {
        pRGB->GetValue(a, b, c);
        Write(strName + "_red", a);
        Write(strName + "_green", b);
        Write(strName + "_blue", c);
    } else if (const auto* pPosition = dynamic_cast<const pfParameterPosition*>(&parameter)) {
        pPosition->GetValue(a, b);
        Write(strName + "_X", a);
        Write(strName + "_Y", b);
    }
}

void ReadParameter(pfParameter& parameter)
{
    const std::string strName = parameter.GetName();
    double a = 0, b = 0, c = 0;
    int32_t n = 0;
    uint8_t nFlag = 0;
    if (auto* pBool = dynamic_cast<pfParameterBool*>(&parameter)) {
        if (Read(strName, nFlag) && nFlag <= 1)
            pBool->SetValue(nFlag == 1);
    } else if (auto* pInt = dynamic_cast<pfParameterInt*>(&parameter)) {
        if (Read(strName, n))
            pInt->SetValue(n);
    } else if (auto* pFloat = dynamic_cast<pfParameterFloat*>(&parameter)) {
        if (ReadDouble(strName, a)) {
            pFloat->SetValue(a);
            pFloat->Validate();
        }
    } else if (auto* pList = dynamic_cast<pfParameterList*>(&parameter)) {
        if (Read(strName, n))
            pList->SetSelection(n);
    } else if (auto* pRGB = dynamic_cast<pfParameterRGB*>(&parameter)) {
        if (ReadDouble(strName + "_red", a) && ReadDouble(strName + "_green", b) && ReadDouble(strName + "_blue", c))
            pRGB->SetValue(a, b, c);
    } else if (auto* pPosition = dynamic_cast<pfParameterPosition*>(&parameter)) {
        if (ReadDouble(strName + "_X", a) && ReadDouble(strName + "_Y", b))
            pPosition->SetValue(a, b);
    }
}

} // namespace

void pfPreviewWin32::WriteLastUsedSettings()
{
    PF_TRACE_ENTER("pfPreviewWin32::WriteLastUsedSettings()");
    for (const pfParameter* pParameter : m_pFilter->GetParameters())
        if (pParameter->IsSaved())
            WriteParameter(*pParameter);
    PF_TRACE_EXIT("pfPreviewWin32::WriteLastUsedSettings()");
}

void pfPreviewWin32::ReadLastUsedSettings()
{
    PF_TRACE_ENTER("pfPreviewWin32::ReadLastUsedSettings()");
    if (GetPlatform().HasSettings(kSubkey)) {
        for (pfParameter* pParameter : m_pFilter->GetParameters())
            if (pParameter->IsSaved())
                ReadParameter(*pParameter);
    }
    PF_TRACE_EXIT("pfPreviewWin32::ReadLastUsedSettings()");
}
