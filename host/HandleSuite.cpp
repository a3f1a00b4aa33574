#include "HandleSuite.h"

#include <map>
#include <memory>
#include <new>
#include <vector>

namespace {

// The data pointer must stay the block's first member: plug-ins read it
// through the handle as *handle.
struct HandleBlock {
    char* pData = nullptr;
    std::vector<char> storage;
    bool bLocked = false;
};

// Owns every live block; the key is the handle given out.
std::map<Handle, std::unique_ptr<HandleBlock>>& LiveHandles()
{
    static std::map<Handle, std::unique_ptr<HandleBlock>> handles;
    return handles;
}

HandleBlock* Find(Handle hHandle)
{
    auto& handles = LiveHandles();
    const auto it = handles.find(hHandle);
    return it == handles.end() ? nullptr : it->second.get();
}

// Zero-size handles still reserve a byte, so the data pointer is never null.
OSErr Resize(HandleBlock& block, int32_t nSize)
{
    if (nSize < 0)
        return paramErr;
    try {
        block.storage.reserve(std::size_t(nSize > 0 ? nSize : 1));
        block.storage.resize(std::size_t(nSize), 0);
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
    block.pData = block.storage.data();
    return noErr;
}

Handle PF_CDECL NewProc(int32_t nSize) { return NewHostHandle(nSize); }
void PF_CDECL DisposeProc(Handle hHandle) { DisposeHostHandle(hHandle); }
int32_t PF_CDECL GetSizeProc(Handle hHandle) { return GetHostHandleSize(hHandle); }
OSErr PF_CDECL SetSizeProc(Handle hHandle, int32_t nSize) { return SetHostHandleSize(hHandle, nSize); }

Ptr PF_CDECL LockProc(Handle hHandle, Boolean)
{
    HandleBlock* pBlock = Find(hHandle);
    if (!pBlock)
        return nullptr;
    pBlock->bLocked = true;
    return pBlock->pData;
}

void PF_CDECL UnlockProc(Handle hHandle)
{
    if (HandleBlock* pBlock = Find(hHandle))
        pBlock->bLocked = false;
}

// Our handles live in the ordinary heap; there is no pool estimate to lower.
void PF_CDECL RecoverSpaceProc(int32_t) {}

}  // namespace

HandleProcs& GetHostHandleProcs()
{
    static HandleProcs procs = {1,           8,          NewProc,    DisposeProc,      GetSizeProc,
                                SetSizeProc, LockProc,   UnlockProc, RecoverSpaceProc, DisposeProc};
    return procs;
}

Handle NewHostHandle(int32_t nSize)
{
    try {
        auto pBlock = std::make_unique<HandleBlock>();
        if (Resize(*pBlock, nSize) != noErr)
            return nullptr;
        Handle hHandle = &pBlock->pData;
        LiveHandles().emplace(hHandle, std::move(pBlock));
        return hHandle;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void DisposeHostHandle(Handle hHandle)
{
    LiveHandles().erase(hHandle);
}

int32_t GetHostHandleSize(Handle hHandle)
{
    const HandleBlock* pBlock = Find(hHandle);
    return pBlock ? int32_t(pBlock->storage.size()) : 0;
}

OSErr SetHostHandleSize(Handle hHandle, int32_t nSize)
{
    HandleBlock* pBlock = Find(hHandle);
    return pBlock ? Resize(*pBlock, nSize) : paramErr;
}

bool IsHostHandle(Handle hHandle)
{
    return Find(hHandle) != nullptr;
}

std::size_t CountHostHandles()
{
    return LiveHandles().size();
}
