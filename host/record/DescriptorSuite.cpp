#include "DescriptorSuite.h"

#include <cstring>

namespace {

constexpr std::size_t kEntryBytes = 16;

pfDescriptorSuite* g_pCurrentSuite = nullptr;

// --- read procedures ---

PIReadDescriptor PF_CDECL OpenReadProc(PIDescriptorHandle hDescriptor, DescriptorKeyID* pExpectedKeys)
{
    return g_pCurrentSuite ? g_pCurrentSuite->OpenRead(hDescriptor, pExpectedKeys) : nullptr;
}

OSErr PF_CDECL CloseReadProc(PIReadDescriptor token)
{
    return g_pCurrentSuite ? g_pCurrentSuite->CloseRead(token) : paramErr;
}

Boolean PF_CDECL GetKeyProc(PIReadDescriptor token, DescriptorKeyID* pKey, DescType* pType, int32_t* pFlags)
{
    return g_pCurrentSuite && g_pCurrentSuite->GetKey(token, pKey, pType, pFlags) ? 1 : 0;
}

OSErr PF_CDECL GetIntegerProc(PIReadDescriptor token, int32_t* pValue)
{
    return g_pCurrentSuite ? g_pCurrentSuite->GetInteger(token, pValue) : paramErr;
}

OSErr PF_CDECL GetFloatProc(PIReadDescriptor token, double* pValue)
{
    return g_pCurrentSuite ? g_pCurrentSuite->GetFloat(token, pValue) : paramErr;
}

OSErr PF_CDECL GetBooleanProc(PIReadDescriptor token, Boolean* pValue)
{
    return g_pCurrentSuite ? g_pCurrentSuite->GetBoolean(token, pValue) : paramErr;
}

// Value kinds this host does not hold.
OSErr PF_CDECL GetUnitFloatProc(PIReadDescriptor, DescriptorUnitID*, double*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetHandleProc(PIReadDescriptor, Handle*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetTypeProc(PIReadDescriptor, DescType*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetReferenceProc(PIReadDescriptor, void*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetObjectProc(PIReadDescriptor, DescType*, PIDescriptorHandle*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetCountProc(PIReadDescriptor, uint32_t*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetStringProc(PIReadDescriptor, uint8_t*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetPinnedIntegerProc(PIReadDescriptor, int32_t, int32_t, int32_t*) { return kDescriptorUnsupported; }
OSErr PF_CDECL GetPinnedFloatProc(PIReadDescriptor, const double*, const double*, double*)
{
    return kDescriptorUnsupported;
}
OSErr PF_CDECL GetPinnedUnitFloatProc(PIReadDescriptor, const double*, const double*, DescriptorUnitID*, double*)
{
    return kDescriptorUnsupported;
}

// --- write procedures ---

PIWriteDescriptor PF_CDECL OpenWriteProc()
{
    return g_pCurrentSuite ? g_pCurrentSuite->OpenWrite() : nullptr;
}

OSErr PF_CDECL CloseWriteProc(PIWriteDescriptor token, PIDescriptorHandle* pNewDescriptor)
{
    return g_pCurrentSuite ? g_pCurrentSuite->CloseWrite(token, pNewDescriptor) : paramErr;
}

OSErr PF_CDECL PutIntegerProc(PIWriteDescriptor token, DescriptorKeyID key, int32_t nValue)
{
    return g_pCurrentSuite ? g_pCurrentSuite->Put(token, key, nValue) : paramErr;
}

OSErr PF_CDECL PutFloatProc(PIWriteDescriptor token, DescriptorKeyID key, const double* pValue)
{
    if (!pValue)
        return paramErr;
    return g_pCurrentSuite ? g_pCurrentSuite->Put(token, key, *pValue) : paramErr;
}

OSErr PF_CDECL PutBooleanProc(PIWriteDescriptor token, DescriptorKeyID key, Boolean bValue)
{
    return g_pCurrentSuite ? g_pCurrentSuite->Put(token, key, bValue != 0) : paramErr;
}

OSErr PF_CDECL PutUnitFloatProc(PIWriteDescriptor, DescriptorKeyID, DescriptorUnitID, const double*)
{
    return kDescriptorUnsupported;
}
OSErr PF_CDECL PutHandleProc(PIWriteDescriptor, DescriptorKeyID, Handle) { return kDescriptorUnsupported; }
OSErr PF_CDECL PutEnumeratedProc(PIWriteDescriptor, DescriptorKeyID, DescType, DescriptorEnumID)
{
    return kDescriptorUnsupported;
}
OSErr PF_CDECL PutTypeProc(PIWriteDescriptor, DescriptorKeyID, DescType) { return kDescriptorUnsupported; }
OSErr PF_CDECL PutReferenceProc(PIWriteDescriptor, DescriptorKeyID, const void*) { return kDescriptorUnsupported; }
OSErr PF_CDECL PutObjectProc(PIWriteDescriptor, DescriptorKeyID, DescType, PIDescriptorHandle)
{
    return kDescriptorUnsupported;
}
OSErr PF_CDECL PutCountProc(PIWriteDescriptor, DescriptorKeyID, uint32_t) { return kDescriptorUnsupported; }
OSErr PF_CDECL PutStringProc(PIWriteDescriptor, DescriptorKeyID, const uint8_t*) { return kDescriptorUnsupported; }

// --- handle contents ---

void StoreEntry(const pfDescriptorEntry& entry, char* pBytes)
{
    const DescType type = entry.GetType();
    std::memcpy(pBytes, &entry.key, 4);
    std::memcpy(pBytes + 4, &type, 4);
    if (const auto* pInteger = std::get_if<int32_t>(&entry.value))
        std::memcpy(pBytes + 8, pInteger, sizeof *pInteger);
    else if (const auto* pFloat = std::get_if<double>(&entry.value))
        std::memcpy(pBytes + 8, pFloat, sizeof *pFloat);
    else
        pBytes[8] = std::get<bool>(entry.value) ? 1 : 0;
}

bool LoadEntry(const char* pBytes, pfDescriptorEntry& entry)
{
    DescType type = 0;
    std::memcpy(&entry.key, pBytes, 4);
    std::memcpy(&type, pBytes + 4, 4);
    if (type == typeInteger) {
        int32_t nValue = 0;
        std::memcpy(&nValue, pBytes + 8, sizeof nValue);
        entry.value = nValue;
    } else if (type == typeFloat) {
        double fValue = 0.0;
        std::memcpy(&fValue, pBytes + 8, sizeof fValue);
        entry.value = fValue;
    } else if (type == typeBoolean) {
        entry.value = pBytes[8] != 0;
    } else {
        return false;
    }
    return true;
}

// A consumed key is marked in the plug-in's expected-keys array, so that the
// entries still holding a key at the end name the missing ones.
void MarkConsumed(DescriptorKeyID* pExpectedKeys, DescriptorKeyID key)
{
    for (DescriptorKeyID* pKey = pExpectedKeys; pKey && *pKey != 0; ++pKey) {
        if (*pKey == key) {
            *pKey = typeNull;
            return;
        }
    }
}

}  // namespace

DescType pfDescriptorEntry::GetType() const
{
    if (std::holds_alternative<int32_t>(value))
        return typeInteger;
    return std::holds_alternative<double>(value) ? typeFloat : typeBoolean;
}

pfDescriptorSuite::pfDescriptorSuite(pfHandleSuite& handles) : m_Handles(handles), m_pPrevious(g_pCurrentSuite)
{
    m_ReadProcs = {0,
                   18,
                   OpenReadProc,
                   CloseReadProc,
                   GetKeyProc,
                   GetIntegerProc,
                   GetFloatProc,
                   GetUnitFloatProc,
                   GetBooleanProc,
                   GetHandleProc,
                   GetHandleProc,
                   GetTypeProc,
                   GetTypeProc,
                   GetReferenceProc,
                   GetObjectProc,
                   GetCountProc,
                   GetStringProc,
                   GetPinnedIntegerProc,
                   GetPinnedFloatProc,
                   GetPinnedUnitFloatProc};
    m_WriteProcs = {0,
                    16,
                    OpenWriteProc,
                    CloseWriteProc,
                    PutIntegerProc,
                    PutFloatProc,
                    PutUnitFloatProc,
                    PutBooleanProc,
                    PutHandleProc,
                    PutHandleProc,
                    PutEnumeratedProc,
                    PutTypeProc,
                    PutReferenceProc,
                    PutObjectProc,
                    PutCountProc,
                    PutStringProc,
                    PutTypeProc,
                    PutObjectProc};
    g_pCurrentSuite = this;
}

pfDescriptorSuite::~pfDescriptorSuite()
{
    if (g_pCurrentSuite == this)
        g_pCurrentSuite = m_pPrevious;
}

pfDescriptorSuite* pfDescriptorSuite::Current()
{
    return g_pCurrentSuite;
}

Handle pfDescriptorSuite::MakeHandle(const pfDescriptor& descriptor)
{
    const std::size_t nBytes = descriptor.size() * kEntryBytes;
    if (nBytes > std::size_t(INT32_MAX))
        return nullptr;
    Handle hDescriptor = m_Handles.New(int32_t(nBytes));
    if (!hDescriptor)
        return nullptr;
    char* pBytes = m_Handles.Lock(hDescriptor);
    for (std::size_t i = 0; i < descriptor.size(); ++i)
        StoreEntry(descriptor[i], pBytes + i * kEntryBytes);
    m_Handles.Unlock(hDescriptor);
    return hDescriptor;
}

bool pfDescriptorSuite::ReadHandle(Handle hDescriptor, pfDescriptor& descriptor) const
{
    if (!m_Handles.IsValid(hDescriptor))
        return false;
    const std::size_t nBytes = std::size_t(m_Handles.GetSize(hDescriptor));
    if (nBytes % kEntryBytes != 0)
        return false;
    const char* pBytes = *hDescriptor;
    pfDescriptor entries(nBytes / kEntryBytes);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!LoadEntry(pBytes + i * kEntryBytes, entries[i]))
            return false;
    }
    descriptor = std::move(entries);
    return true;
}

pfDescriptorSuite::Reader* pfDescriptorSuite::FindReader(PIReadDescriptor token) const
{
    const auto it = m_Readers.find(token);
    return it == m_Readers.end() ? nullptr : it->second.get();
}

pfDescriptorSuite::Writer* pfDescriptorSuite::FindWriter(PIWriteDescriptor token) const
{
    const auto it = m_Writers.find(token);
    return it == m_Writers.end() ? nullptr : it->second.get();
}

// A null descriptor handle reads as an empty descriptor.
PIReadDescriptor pfDescriptorSuite::OpenRead(Handle hDescriptor, DescriptorKeyID* pExpectedKeys)
{
    auto pReader = std::make_unique<Reader>();
    if (hDescriptor && !ReadHandle(hDescriptor, pReader->entries))
        return nullptr;
    pReader->pExpectedKeys = pExpectedKeys;
    pReader->reads.resize(pReader->entries.size());
    PIReadDescriptor token = pReader.get();
    m_Readers.emplace(token, std::move(pReader));
    return token;
}

OSErr pfDescriptorSuite::CloseRead(PIReadDescriptor token)
{
    const Reader* pReader = FindReader(token);
    if (!pReader)
        return paramErr;
    const OSErr nError = pReader->nError;
    m_LastReads = pReader->reads;
    m_Readers.erase(token);
    return nError;
}

bool pfDescriptorSuite::GetKey(PIReadDescriptor token, DescriptorKeyID* pKey, DescType* pType, int32_t* pFlags)
{
    Reader* pReader = FindReader(token);
    if (!pReader || pReader->nNext >= pReader->entries.size())
        return false;
    pReader->pCurrent = &pReader->entries[pReader->nNext++];
    if (pKey)
        *pKey = pReader->pCurrent->key;
    if (pType)
        *pType = pReader->pCurrent->GetType();
    if (pFlags)
        *pFlags = 0;
    MarkConsumed(pReader->pExpectedKeys, pReader->pCurrent->key);
    return true;
}

// The value of the entry getKey returned last, if it has type T.
template <typename T> OSErr pfDescriptorSuite::GetCurrent(PIReadDescriptor token, T& value)
{
    Reader* pReader = FindReader(token);
    if (!pReader)
        return paramErr;
    OSErr nError = paramErr;
    if (pReader->pCurrent) {
        const T* pValue = std::get_if<T>(&pReader->pCurrent->value);
        nError = pValue ? noErr : kDescriptorUnsupported;
        if (pValue)
            value = *pValue;
        pfEntryRead& read = pReader->reads[std::size_t(pReader->pCurrent - pReader->entries.data())];
        read.requested = pfDescriptorEntry{0, T{}}.GetType();
        read.bTaken = read.bTaken || pValue != nullptr;
    }
    if (nError != noErr && pReader->nError == noErr)
        pReader->nError = nError;
    return nError;
}

OSErr pfDescriptorSuite::GetInteger(PIReadDescriptor token, int32_t* pValue)
{
    int32_t nValue = 0;
    const OSErr nError = pValue ? GetCurrent(token, nValue) : paramErr;
    if (nError == noErr)
        *pValue = nValue;
    return nError;
}

OSErr pfDescriptorSuite::GetFloat(PIReadDescriptor token, double* pValue)
{
    double fValue = 0.0;
    const OSErr nError = pValue ? GetCurrent(token, fValue) : paramErr;
    if (nError == noErr)
        *pValue = fValue;
    return nError;
}

OSErr pfDescriptorSuite::GetBoolean(PIReadDescriptor token, Boolean* pValue)
{
    bool bValue = false;
    const OSErr nError = pValue ? GetCurrent(token, bValue) : paramErr;
    if (nError == noErr)
        *pValue = bValue ? 1 : 0;
    return nError;
}

PIWriteDescriptor pfDescriptorSuite::OpenWrite()
{
    auto pWriter = std::make_unique<Writer>();
    PIWriteDescriptor token = pWriter.get();
    m_Writers.emplace(token, std::move(pWriter));
    return token;
}

OSErr pfDescriptorSuite::CloseWrite(PIWriteDescriptor token, PIDescriptorHandle* pNewDescriptor)
{
    const Writer* pWriter = FindWriter(token);
    if (!pWriter)
        return paramErr;
    OSErr nError = paramErr;
    if (pNewDescriptor) {
        *pNewDescriptor = MakeHandle(pWriter->entries);
        nError = *pNewDescriptor ? noErr : memFullErr;
    }
    m_Writers.erase(token);
    return nError;
}

// A key written twice keeps its first place and its last value.
OSErr pfDescriptorSuite::Put(PIWriteDescriptor token, DescriptorKeyID key, std::variant<int32_t, double, bool> value)
{
    Writer* pWriter = FindWriter(token);
    if (!pWriter)
        return paramErr;
    for (pfDescriptorEntry& entry : pWriter->entries) {
        if (entry.key == key) {
            entry.value = value;
            return noErr;
        }
    }
    pWriter->entries.push_back(pfDescriptorEntry{key, value});
    return noErr;
}

pfDescriptorParameters::pfDescriptorParameters(pfDescriptorSuite& suite, int16_t nPlayInfo,
                                               const pfDescriptor* pPlayback)
    : m_Suite(suite)
{
    m_Parameters.descriptorParametersVersion = 0;
    m_Parameters.playInfo = nPlayInfo;
    m_Parameters.recordInfo = plugInDialogOptional;
    m_Parameters.descriptor = pPlayback ? suite.MakeHandle(*pPlayback) : nullptr;
    m_Parameters.writeDescriptorProcs = suite.GetWriteProcs();
    m_Parameters.readDescriptorProcs = suite.GetReadProcs();
}

pfDescriptorParameters::~pfDescriptorParameters()
{
    m_Suite.GetHandles().Dispose(m_Parameters.descriptor);
}

bool pfDescriptorParameters::GetRecorded(pfDescriptor& descriptor) const
{
    return m_Parameters.descriptor && m_Suite.ReadHandle(m_Parameters.descriptor, descriptor);
}
