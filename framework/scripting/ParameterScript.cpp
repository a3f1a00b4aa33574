// How each parameter type records itself into a host descriptor and reads
// itself back. Descriptor values come from outside: a value the host cannot
// deliver, or a float that is not finite, leaves the parameter as it was.
#include "framework/parameters/Parameter.h"

#include <cmath>

namespace {

WriteDescriptorProcs* WriteProcs(FilterRecord* pFilterRecord)
{
    if (!pFilterRecord || !pFilterRecord->descriptorParameters)
        return nullptr;
    return pFilterRecord->descriptorParameters->writeDescriptorProcs;
}

ReadDescriptorProcs* ReadProcs(FilterRecord* pFilterRecord)
{
    if (!pFilterRecord || !pFilterRecord->descriptorParameters)
        return nullptr;
    return pFilterRecord->descriptorParameters->readDescriptorProcs;
}

void PutFloat(FilterRecord* pFilterRecord, PIWriteDescriptor token, DescriptorKeyID key, double fValue)
{
    WriteDescriptorProcs* pProcs = WriteProcs(pFilterRecord);
    if (key != 0 && pProcs && pProcs->putFloatProc)
        pProcs->putFloatProc(token, key, &fValue);
}

// True with a finite value in fValue; anything else keeps the caller's value.
bool GetFloat(FilterRecord* pFilterRecord, PIReadDescriptor token, double& fValue)
{
    ReadDescriptorProcs* pProcs = ReadProcs(pFilterRecord);
    if (!pProcs || !pProcs->getFloatProc)
        return false;
    double fRead = 0.0;
    if (pProcs->getFloatProc(token, &fRead) != noErr || !std::isfinite(fRead))
        return false;
    fValue = fRead;
    return true;
}

int32_t CountKey(DescriptorKeyID key)
{
    return key != 0 ? 1 : 0;
}

void StoreKey(DescriptorKeyID key, DescriptorKeyID* keys)
{
    if (key != 0)
        keys[0] = key;
}

}  // namespace

void pfParameterBool::WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token)
{
    WriteDescriptorProcs* pProcs = WriteProcs(pFilterRecord);
    if (m_nKey != 0 && pProcs && pProcs->putBooleanProc)
        pProcs->putBooleanProc(token, m_nKey, Boolean(m_bValue ? 1 : 0));
}

void pfParameterBool::ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token)
{
    ReadDescriptorProcs* pProcs = ReadProcs(pFilterRecord);
    if (key == 0 || key != m_nKey || !pProcs || !pProcs->getBooleanProc)
        return;
    Boolean value = 0;
    if (pProcs->getBooleanProc(token, &value) == noErr)
        SetValue(value != 0);
}

int32_t pfParameterBool::CountScriptKeys() const
{
    return CountKey(m_nKey);
}

void pfParameterBool::GetScriptKeys(DescriptorKeyID* keys) const
{
    StoreKey(m_nKey, keys);
}

void pfParameterFloat::WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token)
{
    PutFloat(pFilterRecord, token, m_nKey, m_fValue);
}

// No clamping here: the start selector validates after reading the script.
void pfParameterFloat::ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token)
{
    double fValue = m_fValue;
    if (key != 0 && key == m_nKey && GetFloat(pFilterRecord, token, fValue))
        SetValue(fValue);
}

int32_t pfParameterFloat::CountScriptKeys() const
{
    return CountKey(m_nKey);
}

void pfParameterFloat::GetScriptKeys(DescriptorKeyID* keys) const
{
    StoreKey(m_nKey, keys);
}

void pfParameterList::WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token)
{
    WriteDescriptorProcs* pProcs = WriteProcs(pFilterRecord);
    if (m_nKey != 0 && pProcs && pProcs->putIntegerProc)
        pProcs->putIntegerProc(token, m_nKey, m_nSelection);
}

// SetSelection refuses item numbers outside 1..count.
void pfParameterList::ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token)
{
    ReadDescriptorProcs* pProcs = ReadProcs(pFilterRecord);
    if (key == 0 || key != m_nKey || !pProcs || !pProcs->getIntegerProc)
        return;
    int32_t nValue = 0;
    if (pProcs->getIntegerProc(token, &nValue) == noErr)
        SetSelection(nValue);
}

int32_t pfParameterList::CountScriptKeys() const
{
    return CountKey(m_nKey);
}

void pfParameterList::GetScriptKeys(DescriptorKeyID* keys) const
{
    StoreKey(m_nKey, keys);
}

void pfParameterRGB::WriteScript(FilterRecord* pFilterRecord, PIWriteDescriptor token)
{
    PutFloat(pFilterRecord, token, m_nKeys[0], m_fRed);
    PutFloat(pFilterRecord, token, m_nKeys[1], m_fGreen);
    PutFloat(pFilterRecord, token, m_nKeys[2], m_fBlue);
}

// One descriptor entry carries one component; the others stay as they are.
void pfParameterRGB::ReadScript(FilterRecord* pFilterRecord, DescriptorKeyID key, PIReadDescriptor token)
{
    if (key == 0)
        return;
    double fComponents[3] = {m_fRed, m_fGreen, m_fBlue};
    bool bRead = false;
    for (int i = 0; i < 3; ++i) {
        if (key == m_nKeys[i] && GetFloat(pFilterRecord, token, fComponents[i]))
            bRead = true;
    }
    if (bRead)
        SetValue(fComponents[0], fComponents[1], fComponents[2]);
}

int32_t pfParameterRGB::CountScriptKeys() const
{
    return CountKey(m_nKeys[0]) + CountKey(m_nKeys[1]) + CountKey(m_nKeys[2]);
}

void pfParameterRGB::GetScriptKeys(DescriptorKeyID* keys) const
{
    int32_t nCount = 0;
    for (const DescriptorKeyID key : m_nKeys) {
        if (key != 0)
            keys[nCount++] = key;
    }
}
