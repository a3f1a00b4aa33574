#include "LargeBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

#if defined(__linux__)
constexpr std::size_t kHugePage = std::size_t(2) << 20;

// Huge pages only serve whole, aligned 2 MiB stretches.
uint8_t* Allocate(std::size_t nSize)
{
    if (nSize < kHugePage)
        return static_cast<uint8_t*>(std::malloc(nSize == 0 ? 1 : nSize));
    void* pData = nullptr;
    if (posix_memalign(&pData, kHugePage, nSize) != 0)
        return nullptr;
    madvise(pData, nSize / kHugePage * kHugePage, MADV_HUGEPAGE);
    return static_cast<uint8_t*>(pData);
}
#else
uint8_t* Allocate(std::size_t nSize)
{
    return static_cast<uint8_t*>(std::malloc(nSize == 0 ? 1 : nSize));
}
#endif

} // namespace

void pfLargeBuffer::Release::operator()(uint8_t* pData) const
{
    std::free(pData);
}

pfLargeBuffer::pfLargeBuffer(std::size_t nSize)
{
    Reset(nSize);
    std::memset(Data(), 0, nSize);
}

pfLargeBuffer::pfLargeBuffer(const pfLargeBuffer& other)
{
    *this = other;
}

pfLargeBuffer& pfLargeBuffer::operator=(const pfLargeBuffer& other)
{
    if (this != &other) {
        Reset(other.m_nSize);
        if (m_nSize > 0)
            std::memcpy(Data(), other.Data(), m_nSize);
    }
    return *this;
}

void pfLargeBuffer::Reset(std::size_t nSize)
{
    if (nSize > m_nCapacity || !m_pData) {
        m_pData.reset();
        m_nCapacity = 0;
        m_pData.reset(Allocate(nSize));
        if (!m_pData)
            throw std::bad_alloc();
        m_nCapacity = nSize;
    }
    m_nSize = nSize;
    m_nDiscarded = 0;
}

void pfLargeBuffer::Discard(std::size_t nBytes)
{
#if defined(__linux__)
    // Only the blocks Allocate aligned to huge pages start on a page.
    const std::size_t nEnd = std::min(nBytes, m_nSize) / kHugePage * kHugePage;
    if (m_nCapacity < kHugePage || nEnd <= m_nDiscarded)
        return;
    madvise(Data() + m_nDiscarded, nEnd - m_nDiscarded, MADV_DONTNEED);
    m_nDiscarded = nEnd;
#else
    (void)nBytes;
#endif
}

bool pfLargeBuffer::operator==(const pfLargeBuffer& other) const
{
    return m_nSize == other.m_nSize && (m_nSize == 0 || std::memcmp(Data(), other.Data(), m_nSize) == 0);
}
