// The preview of a host that cannot sample: it serves the image 1:1 whatever
// rate is asked, so the plug-in reduces the image itself and renders into
// buffers of its own, described by a record of its own. The host's output
// buffer is left alone: a host that applies it must not get the preview.
#pragma once

#include "HostInterface.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The part of the host's record the plug-in reads. Fields after it are newer
// than some hosts' records (one ends at 452 bytes, 556 on 64-bit), so they
// are never copied.
constexpr std::size_t kReadRecordBytes = offsetof(FilterRecord, hasImageScrap);

class pfReducedRequest {
public:
    // Reduces what the host served for the whole image at 1:1 by nFactor,
    // taking every nFactor-th pixel of every nFactor-th row as sampling
    // hosts do. Buffers the host did not serve (or served too short) stay
    // null, for the render to refuse.
    void Reduce(const FilterRecord& host, uint32_t nFactor);
    void Clear();
    bool IsActive() const { return m_bActive; }
    FilterRecord& Record() { return m_Record; }
    const FilterRecord& Record() const { return m_Record; }

private:
    bool m_bActive = false;
    FilterRecord m_Record{};
    std::vector<uint8_t> m_In, m_Out, m_Mask;
};
