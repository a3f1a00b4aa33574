#include "Document.h"

pfDocument::pfDocument(int nWidth, int nHeight, int nPlanes, int nDepth)
    : m_nWidth(nWidth), m_nHeight(nHeight), m_nPlanes(nPlanes), m_nDepth(nDepth),
      m_Samples(static_cast<std::size_t>(BytesFor(nWidth, nHeight, nPlanes, nDepth)))
{
}

pfDocument pfDocument::Unfilled(int nWidth, int nHeight, int nPlanes, int nDepth)
{
    pfDocument document;
    document.m_nWidth = nWidth;
    document.m_nHeight = nHeight;
    document.m_nPlanes = nPlanes;
    document.m_nDepth = nDepth;
    document.m_Samples.Reset(static_cast<std::size_t>(BytesFor(nWidth, nHeight, nPlanes, nDepth)));
    return document;
}

uint64_t pfDocument::BytesFor(int nWidth, int nHeight, int nPlanes, int nDepth)
{
    return uint64_t(nWidth) * uint64_t(nHeight) * uint64_t(nPlanes) * (nDepth == 16 ? 2 : 1);
}

void pfDocument::Fill(int nPlane, uint16_t nValue)
{
    for (int y = 0; y < m_nHeight; ++y)
        for (int x = 0; x < m_nWidth; ++x)
            Set(nPlane, x, y, nValue);
}

bool pfDocument::operator==(const pfDocument& other) const
{
    return m_nWidth == other.m_nWidth && m_nHeight == other.m_nHeight && m_nPlanes == other.m_nPlanes &&
           m_nDepth == other.m_nDepth && m_Samples == other.m_Samples;
}
