// Shared by the fuzz targets of the host's image readers: the fuzzed bytes
// go to a file as the host would find it, and a file is refused with a
// reason or gives rows that agree with the layout the reader announced.
#pragma once

#include "FuzzSupport.h"

#include "host/document/MemoryBudget.h"
#include "host/imagefiles/Png.h"

#include <string>

using pfFuzzedReader = bool (*)(const std::string&, const pfPngLayoutSink&, const pfPngRowSink&, pfImageMetadata&,
                                std::string&);

inline int FuzzImageReader(const uint8_t* pData, size_t nSize, const char* pName, pfFuzzedReader read)
{
    const std::string& strPath = ScratchPath(pName);
    WriteScratch(strPath, std::string(reinterpret_cast<const char*>(pData), nSize));
    pfPngLayout layout;
    int nNextRow = 0;
    const auto onLayout = [&](const pfPngLayout& given, std::string& strWhy) {
        FuzzCheck(given.nWidth >= 1 && given.nWidth <= kMaxPngSide && given.nHeight >= 1 &&
                      given.nHeight <= kMaxPngSide,
                  "sides within what the host record can describe");
        FuzzCheck(given.nChannels >= 1 && given.nChannels <= 4, "one to four channels");
        FuzzCheck(given.nBitDepth == 8 || given.nBitDepth == 16, "8 or 16 bits");
        layout = given;
        // As the host does: a document beyond the memory left is refused.
        return CheckMemory(uint64_t(given.RowSamples()) * given.nHeight * 2, "the image", strWhy);
    };
    const auto onRow = [&](int y, const uint16_t* pRow) {
        FuzzCheck(y == nNextRow++, "rows top to bottom, each once");
        const uint16_t nMax = layout.nBitDepth == 16 ? 65535 : 255;
        for (std::size_t i = 0; i < layout.RowSamples(); ++i)
            FuzzCheck(pRow[i] <= nMax, "samples within the depth's range");
    };
    pfImageMetadata metadata;
    std::string strError;
    if (!read(strPath, onLayout, onRow, metadata, strError))
        FuzzCheck(!strError.empty(), "a refused file says why");
    else
        FuzzCheck(nNextRow == layout.nHeight, "every row delivered");
    return 0;
}
