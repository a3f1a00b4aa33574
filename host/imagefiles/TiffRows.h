// A TIFF's rows top to bottom, whether the file keeps them in strips or in
// tiles.
#pragma once

#include "TiffLib.h"

#include <cstdint>
#include <string>
#include <vector>

class pfTiffRows {
public:
    // nRowBytes: what a row of the image takes.
    pfTiffRows(const pfTiffFile& tiff, std::size_t nRowBytes) : m_Tiff(tiff), m_nRowBytes(nRowBytes) {}

    // False with a reason when the file's layout cannot be read: tiles of
    // sizes the format forbids, or far larger than the image.
    bool Check(std::string& strError);

    // Row y into pRow (nRowBytes); rows come in order, each once.
    bool Read(uint32_t y, uint8_t* pRow, std::string& strError);

private:
    bool CheckTiles(std::string& strError);
    bool ReadStrip(uint32_t y, std::string& strError);
    bool ReadTileRow(uint32_t y, std::string& strError);

    const pfTiffFile& m_Tiff;
    std::size_t m_nRowBytes;
    uint32_t m_nBandRows = 0;    // rows of a strip or a row of tiles; 0: row by row
    uint32_t m_nTileWidth = 0;   // 0: strips
    uint32_t m_nBandTop = 0;     // the first image row m_Band holds
    std::vector<uint8_t> m_Band; // a strip or a row of tiles, as image rows
    std::vector<uint8_t> m_Tile;
};
