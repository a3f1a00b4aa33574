#include "TiffRows.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T> T Tag(TIFF* pTiff, ttag_t nTag)
{
    T value = 0;
    return TIFFGetField(pTiff, nTag, &value) == 1 ? value : 0;
}

// Larger strips are read by rows rather than held whole.
constexpr uint64_t kMaxStripBytes = 16u << 20;

} // namespace

bool pfTiffRows::Check(std::string& strError)
{
    TIFF* pTiff = m_Tiff.Get();
    if (TIFFIsTiled(pTiff))
        return CheckTiles(strError);
    if (uint64_t(TIFFScanlineSize64(pTiff)) != m_nRowBytes) {
        strError = "the TIFF's rows are not of the size its tags say";
        return false;
    }
    // Whole strips go to libdeflate where libtiff has it, several times
    // faster than zlib row by row; a strip too large to hold is read by rows.
    const uint32_t nStripRows = Tag<uint32_t>(pTiff, TIFFTAG_ROWSPERSTRIP);
    const uint32_t nHeight = Tag<uint32_t>(pTiff, TIFFTAG_IMAGELENGTH);
    if (nStripRows > 0 && nStripRows <= nHeight && uint64_t(nStripRows) * m_nRowBytes <= kMaxStripBytes) {
        m_nBandRows = nStripRows;
        m_Band.resize(m_nRowBytes * nStripRows);
    }
    return true;
}

bool pfTiffRows::CheckTiles(std::string& strError)
{
    TIFF* pTiff = m_Tiff.Get();
    m_nTileWidth = Tag<uint32_t>(pTiff, TIFFTAG_TILEWIDTH);
    const uint32_t nTileLength = Tag<uint32_t>(pTiff, TIFFTAG_TILELENGTH);
    const uint32_t nWidth = Tag<uint32_t>(pTiff, TIFFTAG_IMAGEWIDTH);
    const uint32_t nHeight = Tag<uint32_t>(pTiff, TIFFTAG_IMAGELENGTH);
    // Tiles come in multiples of 16 pixels; one larger than the image rounded
    // up to that would make us hold padding the data never fills.
    const auto fits = [](uint32_t nTile, uint32_t nSide) {
        return nTile > 0 && nTile % 16 == 0 && nTile <= (uint64_t(nSide) + 15) / 16 * 16;
    };
    if (!fits(m_nTileWidth, nWidth) || !fits(nTileLength, nHeight)) {
        strError = "the TIFF's tiles of " + std::to_string(m_nTileWidth) + " x " + std::to_string(nTileLength) +
                   " pixels do not suit its " + std::to_string(nWidth) + " x " + std::to_string(nHeight);
        return false;
    }
    const uint64_t nPixelBytes = m_nRowBytes / nWidth;
    if (uint64_t(TIFFTileSize64(pTiff)) != nPixelBytes * m_nTileWidth * nTileLength) {
        strError = "the TIFF's tiles are not of the size its tags say";
        return false;
    }
    m_nBandRows = nTileLength;
    m_Tile.resize(std::size_t(nPixelBytes) * m_nTileWidth * nTileLength);
    m_Band.resize(m_nRowBytes * nTileLength);
    return true;
}

bool pfTiffRows::Read(uint32_t y, uint8_t* pRow, std::string& strError)
{
    if (m_nBandRows == 0) {
        if (TIFFReadScanline(m_Tiff.Get(), pRow, y, 0) == 1)
            return true;
        strError = m_Tiff.Error("row " + std::to_string(y) + " cannot be read");
        return false;
    }
    if (y % m_nBandRows == 0) {
        m_nBandTop = y;
        if (!(m_nTileWidth == 0 ? ReadStrip(y, strError) : ReadTileRow(y, strError)))
            return false;
    }
    std::memcpy(pRow, &m_Band[(y - m_nBandTop) * m_nRowBytes], m_nRowBytes);
    return true;
}

bool pfTiffRows::ReadStrip(uint32_t y, std::string& strError)
{
    const uint32_t nStrip = y / m_nBandRows;
    const uint32_t nRows = std::min(m_nBandRows, Tag<uint32_t>(m_Tiff.Get(), TIFFTAG_IMAGELENGTH) - y);
    const tmsize_t nBytes = tmsize_t(nRows * m_nRowBytes);
    if (TIFFReadEncodedStrip(m_Tiff.Get(), nStrip, m_Band.data(), nBytes) == nBytes)
        return true;
    strError = m_Tiff.Error("the strip from row " + std::to_string(y) + " cannot be read");
    return false;
}

bool pfTiffRows::ReadTileRow(uint32_t y, std::string& strError)
{
    TIFF* pTiff = m_Tiff.Get();
    const std::size_t nPixelBytes = m_nRowBytes / Tag<uint32_t>(pTiff, TIFFTAG_IMAGEWIDTH);
    const std::size_t nTileRowBytes = nPixelBytes * m_nTileWidth;
    for (std::size_t nLeft = 0; nLeft < m_nRowBytes; nLeft += nTileRowBytes) {
        const uint32_t x = uint32_t(nLeft / nPixelBytes);
        if (TIFFReadTile(pTiff, m_Tile.data(), x, y, 0, 0) < 0) {
            strError = m_Tiff.Error("the tile at " + std::to_string(x) + ", " + std::to_string(y) + " cannot be read");
            return false;
        }
        const std::size_t nBytes = std::min(nTileRowBytes, m_nRowBytes - nLeft);
        for (uint32_t nRow = 0; nRow < m_nBandRows; ++nRow)
            std::memcpy(&m_Band[nRow * m_nRowBytes + nLeft], &m_Tile[nRow * nTileRowBytes], nBytes);
    }
    return true;
}
