#include "ExifStructure.h"
#include "FileAccess.h"
#include "host/document/MemoryBudget.h"
#include "Tiff.h"
#include "TiffLib.h"
#include "TiffRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// How far each compression read here can expand its data at most: a
// PackBits pair gives 128 bytes, an LZW code at most about 4096.
uint64_t MaxExpansion(uint16_t nCompression)
{
    switch (nCompression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_LZW: return 4096;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1032;
    default: return 0;
    }
}

template <typename T> T Field(TIFF* pTiff, ttag_t nTag, T fallback)
{
    T value = fallback;
    return TIFFGetFieldDefaulted(pTiff, nTag, &value) == 1 ? value : fallback;
}

std::vector<uint8_t> BlobField(TIFF* pTiff, ttag_t nTag)
{
    uint32_t nCount = 0;
    const uint8_t* pData = nullptr;
    if (TIFFGetField(pTiff, nTag, &nCount, &pData) != 1 || !pData)
        return {};
    return std::vector<uint8_t>(pData, pData + nCount);
}

uint32_t BigEndian(const uint8_t* p, int nBytes)
{
    uint32_t nValue = 0;
    for (int i = 0; i < nBytes; ++i)
        nValue = nValue << 8 | p[i];
    return nValue;
}

// Resource 1058 of an image resources block: "8BIM", the id, a padded
// Pascal name, the size, the data padded to even length.
std::vector<uint8_t> ExifResource(const std::vector<uint8_t>& block)
{
    std::size_t nAt = 0;
    while (block.size() - nAt >= 8 && std::memcmp(&block[nAt], "8BIM", 4) == 0) {
        const uint32_t nId = BigEndian(&block[nAt + 4], 2);
        const std::size_t nName = (std::size_t(block[nAt + 6]) + 2) & ~std::size_t(1);
        const std::size_t nSizeAt = nAt + 6 + nName;
        if (block.size() < nSizeAt + 4)
            break;
        const std::size_t nSize = BigEndian(&block[nSizeAt], 4);
        const std::size_t nDataAt = nSizeAt + 4;
        if (nSize > block.size() - nDataAt)
            break;
        if (nId == kExifResource)
            return std::vector<uint8_t>(block.begin() + nDataAt, block.begin() + nDataAt + nSize);
        nAt = nDataAt + nSize + (nSize & 1);
    }
    return {};
}

// Our own files keep the camera's EXIF data whole ahead of the image, its
// main directory at offset 8 (see TiffWrite.cpp); the EXIF directory of
// any other file is copied out with its values.
std::vector<uint8_t> ExifDirectoryData(TIFF* pTiff, std::FILE* pFile, uint64_t nFileSize)
{
    uint64_t nExifIfd = 0, nGpsIfd = 0;
    if (TIFFGetField(pTiff, TIFFTAG_EXIFIFD, &nExifIfd) != 1 || nExifIfd == 0)
        return {};
    TIFFGetField(pTiff, TIFFTAG_GPSIFD, &nGpsIfd);
    const pfFileBytes read = [&](uint64_t nAt, uint32_t nSize, std::vector<uint8_t>& bytes) {
        if (nAt > nFileSize || nSize > nFileSize - nAt)
            return false;
        bytes.resize(nSize);
        return SeekFile(pFile, nAt, SEEK_SET) && std::fread(bytes.data(), 1, nSize, pFile) == nSize;
    };
    const bool bBig = TIFFIsBigEndian(pTiff) != 0;
    std::vector<uint8_t> whole;
    pfExifLayout layout;
    if (read(0, uint32_t(std::min<uint64_t>(nFileSize, kMaxExifBytes)), whole) && whole.size() >= 8) {
        const uint8_t eight[2][4] = {{8, 0, 0, 0}, {0, 0, 0, 8}};
        const bool bFileDirectoryAtEight = std::equal(eight[bBig], eight[bBig] + 4, &whole[4]);
        std::copy(eight[bBig], eight[bBig] + 4, &whole[4]);
        if (!bFileDirectoryAtEight && ReadExifLayout(whole, layout) && layout.nExifIfd == nExifIfd) {
            whole.resize(layout.nEnd);
            return whole;
        }
    }
    return CopyExifDirectories(read, bBig, nExifIfd, nGpsIfd);
}

pfImageMetadata MetadataOf(TIFF* pTiff, std::FILE* pFile, uint64_t nFileSize)
{
    pfImageMetadata metadata;
    metadata.icc = BlobField(pTiff, TIFFTAG_ICCPROFILE);
    metadata.xmp = BlobField(pTiff, TIFFTAG_XMLPACKET);
    metadata.exif = ExifResource(BlobField(pTiff, TIFFTAG_PHOTOSHOP));
    if (metadata.exif.empty())
        metadata.exif = ExifDirectoryData(pTiff, pFile, nFileSize);
    uint16_t nOrientation = 0;
    if (TIFFGetField(pTiff, TIFFTAG_ORIENTATION, &nOrientation) == 1)
        metadata.nOrientation = nOrientation;
    return metadata;
}

struct TiffShape {
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    uint16_t nSamples = 0;
    uint16_t nBits = 0;
    uint16_t nPhotometric = 0;
    uint16_t nCompression = 0;
};

TiffShape ShapeOf(TIFF* pTiff)
{
    TiffShape shape;
    shape.nWidth = Field<uint32_t>(pTiff, TIFFTAG_IMAGEWIDTH, 0);
    shape.nHeight = Field<uint32_t>(pTiff, TIFFTAG_IMAGELENGTH, 0);
    shape.nSamples = Field<uint16_t>(pTiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    shape.nBits = Field<uint16_t>(pTiff, TIFFTAG_BITSPERSAMPLE, 1);
    shape.nPhotometric = Field<uint16_t>(pTiff, TIFFTAG_PHOTOMETRIC, 0xFFFF);
    shape.nCompression = Field<uint16_t>(pTiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    return shape;
}

// What the file holds that is not read, or empty.
std::string Unsupported(TIFF* pTiff, const TiffShape& shape)
{
    const bool bGrey = shape.nPhotometric == PHOTOMETRIC_MINISBLACK || shape.nPhotometric == PHOTOMETRIC_MINISWHITE;
    if (TIFFNumberOfDirectories(pTiff) > 1)
        return "the TIFF holds " + std::to_string(TIFFNumberOfDirectories(pTiff)) +
               " images (pages); only single-image TIFFs are read";
    if (shape.nPhotometric == PHOTOMETRIC_SEPARATED)
        return "CMYK TIFFs are not read";
    if (shape.nPhotometric == PHOTOMETRIC_CIELAB || shape.nPhotometric == PHOTOMETRIC_ICCLAB ||
        shape.nPhotometric == PHOTOMETRIC_ITULAB)
        return "Lab TIFFs are not read";
    if (!bGrey && shape.nPhotometric != PHOTOMETRIC_RGB)
        return "TIFFs of photometric interpretation " + std::to_string(shape.nPhotometric) + " are not read";
    if (shape.nBits != 8 && shape.nBits != 16)
        return std::to_string(shape.nBits) + "-bit TIFFs are not read (8 and 16 bits are)";
    if (Field<uint16_t>(pTiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT) != SAMPLEFORMAT_UINT)
        return "TIFFs of other than unsigned integer samples are not read";
    if (Field<uint16_t>(pTiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) != PLANARCONFIG_CONTIG)
        return "TIFFs with separate colour planes are not read";
    if ((bGrey && shape.nSamples != 1 && shape.nSamples != 2) || (!bGrey && shape.nSamples != 3 && shape.nSamples != 4))
        return "a TIFF of " + std::to_string(shape.nSamples) + " samples per pixel is not read";
    if (MaxExpansion(shape.nCompression) == 0)
        return "TIFF compression " + std::to_string(shape.nCompression) + " is not read";
    return {};
}

bool CheckShape(TIFF* pTiff, const TiffShape& shape, uint64_t nFileSize, std::string& strError)
{
    strError = Unsupported(pTiff, shape);
    if (!strError.empty())
        return false;
    const std::string strSize = std::to_string(shape.nWidth) + " x " + std::to_string(shape.nHeight) + " pixels";
    const uint64_t nBytes = uint64_t(shape.nWidth) * shape.nHeight * shape.nSamples * (shape.nBits / 8);
    if (shape.nWidth < 1 || shape.nHeight < 1 || shape.nWidth > uint32_t(kMaxPngSide) ||
        shape.nHeight > uint32_t(kMaxPngSide))
        strError = "the image declares " + strSize + ", beyond what the host takes";
    else if (nBytes > nFileSize * MaxExpansion(shape.nCompression))
        strError = "the image declares " + strSize + ", too large for the " + std::to_string(nFileSize) +
                   " bytes of the file";
    return strError.empty();
}

// Alpha the file stores multiplied into the colour (associated alpha).
bool IsPremultiplied(TIFF* pTiff)
{
    uint16_t nExtra = 0;
    const uint16_t* pKinds = nullptr;
    return TIFFGetField(pTiff, TIFFTAG_EXTRASAMPLES, &nExtra, &pKinds) == 1 && nExtra >= 1 &&
           pKinds[0] == EXTRASAMPLE_ASSOCALPHA;
}

// The host's images, like PNG's, keep colour apart from alpha.
void Unpremultiply(uint16_t* pRow, const pfPngLayout& layout, uint16_t nMax)
{
    for (std::size_t i = 0; i < layout.RowSamples(); i += layout.nChannels) {
        const uint32_t nAlpha = pRow[i + layout.nChannels - 1];
        for (int c = 0; c < layout.nChannels - 1 && nAlpha > 0; ++c)
            pRow[i + c] = uint16_t(std::min<uint32_t>(nMax, (pRow[i + c] * uint32_t(nMax) + nAlpha / 2) / nAlpha));
    }
}

bool DeliverRows(const pfTiffFile& tiff, const pfPngLayout& layout, bool bInverted, const pfPngRowSink& onRow,
                 std::string& strError)
{
    TIFF* pTiff = tiff.Get();
    const std::size_t nRowBytes = layout.RowSamples() * (layout.nBitDepth / 8);
    pfTiffRows rows(tiff, nRowBytes);
    if (!rows.Check(strError))
        return false;
    std::vector<uint8_t> bytes(nRowBytes);
    std::vector<uint16_t> samples(layout.RowSamples());
    const int nColor = layout.nChannels == 2 || layout.nChannels == 4 ? layout.nChannels - 1 : layout.nChannels;
    const uint16_t nMax = layout.nBitDepth == 16 ? 65535 : 255;
    const bool bPremultiplied = nColor < layout.nChannels && IsPremultiplied(pTiff);
    for (int y = 0; y < layout.nHeight; ++y) {
        if (!rows.Read(uint32_t(y), bytes.data(), strError)) {
            strError = "damaged image data: " + strError;
            return false;
        }
        if (layout.nBitDepth == 16)
            std::memcpy(samples.data(), bytes.data(), nRowBytes);
        else
            std::copy(bytes.begin(), bytes.end(), samples.begin());
        for (std::size_t i = 0; bInverted && i < samples.size(); ++i) {
            if (int(i % layout.nChannels) < nColor)
                samples[i] = uint16_t(nMax - samples[i]);
        }
        if (bPremultiplied)
            Unpremultiply(samples.data(), layout, nMax);
        onRow(y, samples.data());
    }
    return true;
}

bool Decode(std::FILE* pFile, uint64_t nFileSize, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
            pfImageMetadata& metadata, std::string& strError)
{
    const pfTiffFile tiff(pFile, "rm", AvailableMemory());
    TIFF* pTiff = tiff.Get();
    if (!pTiff) {
        strError = "not a readable TIFF: " + tiff.Error("unknown error");
        return false;
    }
    const TiffShape shape = ShapeOf(pTiff);
    if (!CheckShape(pTiff, shape, nFileSize, strError))
        return false;
    metadata = MetadataOf(pTiff, pFile, nFileSize);
    uint64_t nExifIfd = 0;
    if (metadata.exif.empty() && TIFFGetField(pTiff, TIFFTAG_EXIFIFD, &nExifIfd) == 1 && nExifIfd != 0) {
        strError = "the TIFF's EXIF directory cannot be read";
        return false;
    }
    const pfPngLayout layout{int(shape.nWidth), int(shape.nHeight), shape.nSamples, shape.nBits};
    return onLayout(layout, strError) &&
           DeliverRows(tiff, layout, shape.nPhotometric == PHOTOMETRIC_MINISWHITE, onRow, strError);
}

} // namespace

bool ReadTiffRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                  pfImageMetadata& metadata, std::string& strError)
{
    return ReadFileWith(
        strPath,
        [&](std::FILE* pFile, uint64_t nSize, std::string& strWhy) {
            if (nSize != kUnknownFileSize)
                return Decode(pFile, nSize, onLayout, onRow, metadata, strWhy);
            strWhy = "a TIFF is read from a file only, not from a pipe";
            return false;
        },
        strError);
}
