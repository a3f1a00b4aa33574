#include "HandleSuite.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

pfHandleSuite* g_pCurrentSuite = nullptr;

Handle PF_CDECL NewProc(int32_t nSize)
{
    return g_pCurrentSuite ? g_pCurrentSuite->New(nSize) : nullptr;
}

void PF_CDECL DisposeProc(Handle h)
{
    if (g_pCurrentSuite)
        g_pCurrentSuite->Dispose(h);
}

int32_t PF_CDECL GetSizeProc(Handle h)
{
    return g_pCurrentSuite ? g_pCurrentSuite->GetSize(h) : 0;
}

OSErr PF_CDECL SetSizeProc(Handle h, int32_t nSize)
{
    return g_pCurrentSuite ? g_pCurrentSuite->SetSize(h, nSize) : paramErr;
}

Ptr PF_CDECL LockProc(Handle h, Boolean)
{
    return g_pCurrentSuite ? g_pCurrentSuite->Lock(h) : nullptr;
}

void PF_CDECL UnlockProc(Handle h)
{
    if (g_pCurrentSuite)
        g_pCurrentSuite->Unlock(h);
}

void PF_CDECL RecoverSpaceProc(int32_t) {}

} // namespace

pfHandleSuite::pfHandleSuite() : m_pPrevious(g_pCurrentSuite)
{
    m_Procs.handleProcsVersion = 1;
    m_Procs.numHandleProcs = 8;
    m_Procs.newProc = NewProc;
    m_Procs.disposeProc = DisposeProc;
    m_Procs.getSizeProc = GetSizeProc;
    m_Procs.setSizeProc = SetSizeProc;
    m_Procs.lockProc = LockProc;
    m_Procs.unlockProc = UnlockProc;
    m_Procs.recoverSpaceProc = RecoverSpaceProc;
    m_Procs.disposeRegularHandleProc = DisposeProc;
    g_pCurrentSuite = this;
}

pfHandleSuite::~pfHandleSuite()
{
    if (g_pCurrentSuite == this)
        g_pCurrentSuite = m_pPrevious;
}

pfHandleSuite* pfHandleSuite::Current()
{
    return g_pCurrentSuite;
}

pfHandleSuite::Block* pfHandleSuite::Find(Handle h) const
{
    const auto it = m_Blocks.find(h);
    return it == m_Blocks.end() ? nullptr : it->second.get();
}

Handle pfHandleSuite::New(int32_t nSize)
{
    if (nSize < 0)
        return nullptr;
    auto pBlock = std::make_unique<Block>();
    // Zero-byte handles still get storage so that locking one yields a
    // usable address.
    pBlock->storage.reset(new (std::nothrow) char[std::max<int32_t>(nSize, 1)]());
    if (!pBlock->storage)
        return nullptr;
    pBlock->pData = pBlock->storage.get();
    pBlock->nSize = nSize;
    Handle h = &pBlock->pData;
    m_Blocks.emplace(h, std::move(pBlock));
    return h;
}

void pfHandleSuite::Dispose(Handle h)
{
    m_Blocks.erase(h);
}

bool pfHandleSuite::IsValid(Handle h) const
{
    return Find(h) != nullptr;
}

int32_t pfHandleSuite::GetSize(Handle h) const
{
    const Block* pBlock = Find(h);
    return pBlock ? pBlock->nSize : 0;
}

OSErr pfHandleSuite::SetSize(Handle h, int32_t nSize)
{
    Block* pBlock = Find(h);
    if (!pBlock || nSize < 0)
        return paramErr;
    std::unique_ptr<char[]> storage(new (std::nothrow) char[std::max<int32_t>(nSize, 1)]());
    if (!storage)
        return memFullErr;
    std::memcpy(storage.get(), pBlock->storage.get(), std::size_t(std::min(nSize, pBlock->nSize)));
    pBlock->storage = std::move(storage);
    pBlock->pData = pBlock->storage.get();
    pBlock->nSize = nSize;
    return noErr;
}

Ptr pfHandleSuite::Lock(Handle h)
{
    const Block* pBlock = Find(h);
    return pBlock ? pBlock->pData : nullptr;
}

// Handles never move while they exist, so unlocking has nothing to undo.
void pfHandleSuite::Unlock(Handle) {}
