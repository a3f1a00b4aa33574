// Fuzz target: our host's PNG reader, through ReadPng as the host calls it.
// A file is refused with a reason or gives an image whose description and
// samples agree.
#include "FuzzSupport.h"

#include "host/imagefiles/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string& strPath = ScratchPath("input.png");
    WriteScratch(strPath, std::string(reinterpret_cast<const char*>(pData), nSize));
    pfPngImage image;
    std::string strError;
    if (!ReadPng(strPath, image, strError)) {
        FuzzCheck(!strError.empty(), "a refused file says why");
        return 0;
    }
    FuzzCheck(image.nWidth >= 1 && image.nWidth <= kMaxPngSide && image.nHeight >= 1 &&
                  image.nHeight <= kMaxPngSide,
              "sides within what the host record can describe");
    FuzzCheck(image.nChannels >= 1 && image.nChannels <= 4, "one to four channels");
    FuzzCheck(image.nBitDepth == 8 || image.nBitDepth == 16, "8 or 16 bits");
    FuzzCheck(image.samples.size() == std::size_t(image.nWidth) * image.nHeight * image.nChannels,
              "one sample per pixel and channel");
    for (const uint16_t nSample : image.samples)
        FuzzCheck(nSample <= image.MaxValue(), "samples within the depth's range");
    return 0;
}
