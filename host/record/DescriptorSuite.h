// The host's descriptor suites (read: version 0, 18 procedures; write:
// version 0, 16 procedures) over an in-memory descriptor: an ordered list of
// key/type/value entries holding integers, floats and booleans. The other
// value kinds are not supported; their procedures answer with an error.
//
// A descriptor reaches the plug-in as a handle of the host's handle suite
// whose bytes are the entries, 16 bytes each (key, type, 8-byte value).
#pragma once

#include "HandleSuite.h"
#include "framework/hostinterface/HostInterface.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

struct pfDescriptorEntry {
    DescriptorKeyID key = 0;
    std::variant<int32_t, double, bool> value;

    DescType GetType() const;
};

using pfDescriptor = std::vector<pfDescriptorEntry>;

// What the plug-in did with one entry of a descriptor it read: the value
// type it asked for (0 if it asked for none) and whether it got the value.
struct pfEntryRead {
    DescType requested = 0;
    bool bTaken = false;
};

// The error the unsupported procedures and type mismatches answer with.
constexpr OSErr kDescriptorUnsupported = errPlugInHostInsufficient;

class pfDescriptorSuite {
public:
    explicit pfDescriptorSuite(pfHandleSuite& handles);
    ~pfDescriptorSuite();
    pfDescriptorSuite(const pfDescriptorSuite&) = delete;
    pfDescriptorSuite& operator=(const pfDescriptorSuite&) = delete;

    // The suite the C procedures work on: the newest one.
    static pfDescriptorSuite* Current();

    ReadDescriptorProcs* GetReadProcs() { return &m_ReadProcs; }
    WriteDescriptorProcs* GetWriteProcs() { return &m_WriteProcs; }
    pfHandleSuite& GetHandles() { return m_Handles; }

    // Host side: a descriptor into a new handle (null when memory runs out),
    // and a handle's bytes back into a descriptor (false for unknown handles
    // and malformed contents).
    Handle MakeHandle(const pfDescriptor& descriptor);
    bool ReadHandle(Handle hDescriptor, pfDescriptor& descriptor) const;

    // Plug-in side, behind the procedure tables.
    PIReadDescriptor OpenRead(Handle hDescriptor, DescriptorKeyID* pExpectedKeys);
    OSErr CloseRead(PIReadDescriptor token);
    bool GetKey(PIReadDescriptor token, DescriptorKeyID* pKey, DescType* pType, int32_t* pFlags);
    OSErr GetInteger(PIReadDescriptor token, int32_t* pValue);
    OSErr GetFloat(PIReadDescriptor token, double* pValue);
    OSErr GetBoolean(PIReadDescriptor token, Boolean* pValue);

    PIWriteDescriptor OpenWrite();
    OSErr CloseWrite(PIWriteDescriptor token, PIDescriptorHandle* pNewDescriptor);
    OSErr Put(PIWriteDescriptor token, DescriptorKeyID key, std::variant<int32_t, double, bool> value);

    // Readers and writers the plug-in opened and has not closed.
    std::size_t OpenTokens() const { return m_Readers.size() + m_Writers.size(); }

    // One record per entry of the descriptor the plug-in read and closed
    // last; empty when it closed none.
    const std::vector<pfEntryRead>& GetLastReads() const { return m_LastReads; }

private:
    struct Reader {
        pfDescriptor entries;
        std::size_t nNext = 0;
        const pfDescriptorEntry* pCurrent = nullptr;
        DescriptorKeyID* pExpectedKeys = nullptr;
        OSErr nError = noErr; // the first error seen, reported at close
        std::vector<pfEntryRead> reads; // one per entry
    };
    struct Writer {
        pfDescriptor entries;
    };

    Reader* FindReader(PIReadDescriptor token) const;
    Writer* FindWriter(PIWriteDescriptor token) const;
    template <typename T> OSErr GetCurrent(PIReadDescriptor token, T& value);

    pfHandleSuite& m_Handles;
    ReadDescriptorProcs m_ReadProcs{};
    WriteDescriptorProcs m_WriteProcs{};
    std::map<PIReadDescriptor, std::unique_ptr<Reader>> m_Readers;
    std::map<PIWriteDescriptor, std::unique_ptr<Writer>> m_Writers;
    std::vector<pfEntryRead> m_LastReads;
    pfDescriptorSuite* m_pPrevious = nullptr;
};

// The descriptor parameters the host lends to the plug-in for one start
// call: the suites, the play option and, when playing back, the recorded
// descriptor. Whatever handle is left in the record at the end is freed.
class pfDescriptorParameters {
public:
    // pPlayback: the descriptor to play back, or null to start without one.
    pfDescriptorParameters(pfDescriptorSuite& suite, int16_t nPlayInfo, const pfDescriptor* pPlayback);
    ~pfDescriptorParameters();
    pfDescriptorParameters(const pfDescriptorParameters&) = delete;
    pfDescriptorParameters& operator=(const pfDescriptorParameters&) = delete;

    // For FilterRecord::descriptorParameters.
    PIDescriptorParameters* Get() { return &m_Parameters; }

    // The descriptor the plug-in stored in the record. False when it stored
    // none or a handle that is not a readable descriptor of ours.
    bool GetRecorded(pfDescriptor& descriptor) const;

private:
    pfDescriptorSuite& m_Suite;
    PIDescriptorParameters m_Parameters{};
};
