#include "Png.h"

#include <fstream>
#include <iterator>
#include <memory>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#endif
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {
struct StbFree {
    void operator()(void* p) const { stbi_image_free(p); }
};
} // namespace

bool DecodePng(const std::vector<uint8_t>& bytes, pfPngImage& image, std::string& strError)
{
    if (bytes.empty() || bytes.size() > std::size_t(INT32_MAX)) {
        strError = "not a PNG file";
        return false;
    }
    const auto* pBytes = bytes.data();
    const int nLength = int(bytes.size());
    int nWidth = 0, nHeight = 0, nChannels = 0;
    if (!stbi_info_from_memory(pBytes, nLength, &nWidth, &nHeight, &nChannels)) {
        strError = std::string("cannot read the PNG: ") + stbi_failure_reason();
        return false;
    }
    if (nWidth < 1 || nHeight < 1 || nWidth > kMaxPngSide || nHeight > kMaxPngSide) {
        strError = "image sides must be 1 to " + std::to_string(kMaxPngSide) + " pixels";
        return false;
    }
    const bool b16 = stbi_is_16_bit_from_memory(pBytes, nLength) != 0;
    const std::size_t nCount = std::size_t(nWidth) * nHeight * nChannels;
    image.samples.resize(nCount);
    if (b16) {
        std::unique_ptr<stbi_us, StbFree> pData(
            stbi_load_16_from_memory(pBytes, nLength, &nWidth, &nHeight, &nChannels, 0));
        if (!pData) {
            strError = std::string("cannot decode the PNG: ") + stbi_failure_reason();
            return false;
        }
        image.samples.assign(pData.get(), pData.get() + nCount);
    } else {
        std::unique_ptr<stbi_uc, StbFree> pData(
            stbi_load_from_memory(pBytes, nLength, &nWidth, &nHeight, &nChannels, 0));
        if (!pData) {
            strError = std::string("cannot decode the PNG: ") + stbi_failure_reason();
            return false;
        }
        image.samples.assign(pData.get(), pData.get() + nCount);
    }
    image.nWidth = nWidth;
    image.nHeight = nHeight;
    image.nChannels = nChannels;
    image.nBitDepth = b16 ? 16 : 8;
    return true;
}

bool ReadPng(const std::string& strPath, pfPngImage& image, std::string& strError)
{
    std::ifstream file(strPath, std::ios::binary);
    if (!file) {
        strError = "cannot open " + strPath;
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!DecodePng(bytes, image, strError)) {
        strError = strPath + ": " + strError;
        return false;
    }
    return true;
}
