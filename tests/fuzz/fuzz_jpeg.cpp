// Fuzz target: our host's JPEG reader, with the rows as the host takes them.
#include "ImageReaderFuzz.h"

#include "host/imagefiles/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    return FuzzImageReader(pData, nSize, "input.jpg", ReadJpegRows);
}
