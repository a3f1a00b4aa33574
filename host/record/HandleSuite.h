// The host's handle procedures (version 1, eight procedures). A handle
// points to a master pointer that holds the data address, as hosts have
// always done for plug-ins that dereference handles directly. Handles from
// the plug-in are untrusted: unknown ones are ignored by every procedure.
#pragma once

#include "framework/hostinterface/HostInterface.h"

#include <cstddef>
#include <map>
#include <memory>

class pfHandleSuite {
public:
    pfHandleSuite();
    ~pfHandleSuite();
    pfHandleSuite(const pfHandleSuite&) = delete;
    pfHandleSuite& operator=(const pfHandleSuite&) = delete;

    // The suite the C procedures of the table work on: the newest one.
    static pfHandleSuite* Current();

    HandleProcs* GetProcs() { return &m_Procs; }

    Handle New(int32_t nSize);
    void Dispose(Handle h);
    bool IsValid(Handle h) const;
    int32_t GetSize(Handle h) const;
    OSErr SetSize(Handle h, int32_t nSize);
    Ptr Lock(Handle h);
    void Unlock(Handle h);

    std::size_t Count() const { return m_Blocks.size(); }

private:
    struct Block {
        char* pData = nullptr; // the master pointer; its address is the handle
        std::unique_ptr<char[]> storage;
        int32_t nSize = 0;
    };

    Block* Find(Handle h) const;

    HandleProcs m_Procs{};
    std::map<Handle, std::unique_ptr<Block>> m_Blocks;
    pfHandleSuite* m_pPrevious = nullptr;
};
