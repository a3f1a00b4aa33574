// Image-sized byte buffers: the document's samples and the buffers lent to
// the plug-in. Where the system hands out huge pages on request (Linux),
// their memory is asked for in huge pages: touching many small pages for
// the first time costs more than all the copying done in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class pfLargeBuffer {
public:
    pfLargeBuffer() = default;
    explicit pfLargeBuffer(std::size_t nSize); // zero-filled
    pfLargeBuffer(const pfLargeBuffer& other);
    pfLargeBuffer& operator=(const pfLargeBuffer& other);
    pfLargeBuffer(pfLargeBuffer&&) noexcept = default;
    pfLargeBuffer& operator=(pfLargeBuffer&&) noexcept = default;

    // nSize bytes whose contents are left to the caller; the memory held so
    // far is kept when it suffices. Throws std::bad_alloc.
    void Reset(std::size_t nSize);
    // Size 0; the memory stays for the next Reset.
    void Clear() { m_nSize = 0; }

    // The first nBytes will not be read again: their memory goes back to
    // the system where it can (whole huge pages, Linux), and reads there
    // give zeros or the old bytes.
    void Discard(std::size_t nBytes);

    uint8_t* Data() { return m_pData.get(); }
    const uint8_t* Data() const { return m_pData.get(); }
    std::size_t Size() const { return m_nSize; }

    bool operator==(const pfLargeBuffer& other) const;

private:
    struct Release {
        void operator()(uint8_t* pData) const;
    };

    std::unique_ptr<uint8_t, Release> m_pData;
    std::size_t m_nSize = 0;
    std::size_t m_nCapacity = 0;
    std::size_t m_nDiscarded = 0;
};
