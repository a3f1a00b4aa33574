#include "RowSnapshot.h"

#include <algorithm>
#include <cstring>

pfRowSnapshot::pfRowSnapshot(const pfDocument& live)
    : pfRowSource(live),
      m_Kept(pfDocument::Unfilled(live.GetWidth(), live.GetHeight(), live.GetPlanes(), live.GetDepth())),
      m_bKept(std::size_t(std::max(live.GetHeight(), 0)), false)
{
}

void pfRowSnapshot::Keep(int nTop, int nBottom)
{
    const pfDocument& live = Document();
    const std::size_t nRowBytes = std::size_t(live.GetWidth()) * live.GetPixelBytes();
    for (int y = std::max(nTop, 0); y < std::min(nBottom, live.GetHeight()); ++y) {
        if (!m_bKept[std::size_t(y)])
            std::memcpy(m_Kept.Row(y), live.Row(y), nRowBytes);
        m_bKept[std::size_t(y)] = true;
    }
}

const pfDocument& pfRowSnapshot::RowDocument(int y) const
{
    return y >= 0 && y < int(m_bKept.size()) && m_bKept[std::size_t(y)] ? m_Kept : Document();
}
