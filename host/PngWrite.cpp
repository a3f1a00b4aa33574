#include "Png.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

uint32_t Crc32(const uint8_t* pData, std::size_t nLength, uint32_t nCrc = 0xFFFFFFFFu)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    for (std::size_t i = 0; i < nLength; ++i)
        nCrc = table[(nCrc ^ pData[i]) & 0xFF] ^ (nCrc >> 8);
    return nCrc;
}

void PutU32(std::vector<uint8_t>& out, uint32_t n)
{
    out.push_back(uint8_t(n >> 24));
    out.push_back(uint8_t(n >> 16));
    out.push_back(uint8_t(n >> 8));
    out.push_back(uint8_t(n));
}

void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& data)
{
    PutU32(out, uint32_t(data.size()));
    const std::size_t nStart = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutU32(out, Crc32(out.data() + nStart, out.size() - nStart) ^ 0xFFFFFFFFu);
}

uint8_t ColorType(int nChannels)
{
    switch (nChannels) {
    case 1: return 0; // grey
    case 2: return 4; // grey + alpha
    case 3: return 2; // RGB
    default: return 6; // RGBA
    }
}

// Every row starts with filter type 0: the samples are stored as they are,
// big-endian for 16-bit files.
std::vector<uint8_t> RawScanlines(const pfPngImage& image)
{
    const std::size_t nSampleBytes = image.nBitDepth / 8;
    const std::size_t nRowSamples = std::size_t(image.nWidth) * image.nChannels;
    std::vector<uint8_t> raw;
    raw.reserve((nRowSamples * nSampleBytes + 1) * image.nHeight);
    for (int y = 0; y < image.nHeight; ++y) {
        raw.push_back(0);
        const uint16_t* pRow = image.samples.data() + y * nRowSamples;
        for (std::size_t i = 0; i < nRowSamples; ++i) {
            if (nSampleBytes == 2)
                raw.push_back(uint8_t(pRow[i] >> 8));
            raw.push_back(uint8_t(pRow[i]));
        }
    }
    return raw;
}

bool CheckImage(const pfPngImage& image, std::string& strError)
{
    if (image.nWidth < 1 || image.nHeight < 1 || image.nWidth > kMaxPngSide || image.nHeight > kMaxPngSide)
        strError = "image size out of range";
    else if (image.nChannels < 1 || image.nChannels > 4)
        strError = "a PNG has 1 to 4 channels";
    else if (image.nBitDepth != 8 && image.nBitDepth != 16)
        strError = "only 8- and 16-bit PNGs are written";
    else if (image.samples.size() != std::size_t(image.nWidth) * image.nHeight * image.nChannels)
        strError = "sample count does not match the image size";
    else
        return true;
    return false;
}

} // namespace

bool EncodePng(const pfPngImage& image, std::vector<uint8_t>& bytes, std::string& strError)
{
    if (!CheckImage(image, strError))
        return false;
    std::vector<uint8_t> raw = RawScanlines(image);
    if (raw.size() > std::size_t(INT32_MAX)) {
        strError = "image too large for one PNG";
        return false;
    }
    int nCompressed = 0;
    std::unique_ptr<unsigned char, decltype(&std::free)> pCompressed(
        stbi_zlib_compress(raw.data(), int(raw.size()), &nCompressed, 8), &std::free);
    if (!pCompressed) {
        strError = "out of memory while compressing";
        return false;
    }

    std::vector<uint8_t> header;
    PutU32(header, uint32_t(image.nWidth));
    PutU32(header, uint32_t(image.nHeight));
    header.push_back(uint8_t(image.nBitDepth));
    header.push_back(ColorType(image.nChannels));
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering
    header.push_back(0); // no interlace

    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    bytes.assign(signature, signature + 8);
    PutChunk(bytes, "IHDR", header);
    PutChunk(bytes, "IDAT", std::vector<uint8_t>(pCompressed.get(), pCompressed.get() + nCompressed));
    PutChunk(bytes, "IEND", {});
    return true;
}

bool WritePng(const std::string& strPath, const pfPngImage& image, std::string& strError)
{
    std::vector<uint8_t> bytes;
    if (!EncodePng(image, bytes, strError))
        return false;
    std::ofstream file(strPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file) {
        strError = "cannot write " + strPath;
        return false;
    }
    return true;
}
