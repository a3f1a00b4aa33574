// Fuzz target: our host's TIFF reader, with the rows as the host takes them.
#include "ImageReaderFuzz.h"

#include "host/imagefiles/Tiff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    return FuzzImageReader(pData, nSize, "input.tif", ReadTiffRows);
}
