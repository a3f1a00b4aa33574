#include "ExifStructure.h"
#include "FileAccess.h"
#include "Tiff.h"
#include "TiffLib.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Strips of about this size compress nearly as well as one strip, and
// readers need hold only one of them.
constexpr uint64_t kStripBytes = 512 * 1024;

constexpr int kDeflateLevel = 6;

// Writing allocates no more than a strip and the tags at once.
constexpr uint64_t kMaxWriterAllocation = uint64_t(256) << 20;

void AppendBigEndian(std::vector<uint8_t>& bytes, uint32_t nValue, int nBytes)
{
    for (int i = nBytes - 1; i >= 0; --i)
        bytes.push_back(uint8_t(nValue >> (8 * i)));
}

// An image resources block holding the EXIF data alone.
std::vector<uint8_t> ExifBlock(const std::vector<uint8_t>& exif)
{
    std::vector<uint8_t> block = {'8', 'B', 'I', 'M'};
    AppendBigEndian(block, kExifResource, 2);
    AppendBigEndian(block, 0, 2); // an empty name, padded to even length
    AppendBigEndian(block, uint32_t(exif.size()), 4);
    block.insert(block.end(), exif.begin(), exif.end());
    if (exif.size() % 2)
        block.push_back(0);
    return block;
}

uint32_t RowsPerStrip(const pfPngLayout& layout)
{
    const uint64_t nRowBytes = layout.RowSamples() * uint64_t(layout.nBitDepth / 8);
    return uint32_t(std::min<uint64_t>(uint64_t(layout.nHeight), std::max<uint64_t>(1, kStripBytes / nRowBytes)));
}

void SetBlob(TIFF* pTiff, ttag_t nTag, const std::vector<uint8_t>& bytes)
{
    if (!bytes.empty())
        TIFFSetField(pTiff, nTag, uint32_t(bytes.size()), bytes.data());
}

void SetTags(TIFF* pTiff, const pfPngLayout& layout, const pfImageMetadata& metadata)
{
    const bool bAlpha = layout.nChannels == 2 || layout.nChannels == 4;
    TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, uint32_t(layout.nWidth));
    TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, uint32_t(layout.nHeight));
    TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(layout.nChannels));
    TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, uint16_t(layout.nBitDepth));
    TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, layout.nChannels <= 2 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(pTiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (bAlpha) {
        const uint16_t nExtra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(pTiff, TIFFTAG_EXTRASAMPLES, uint16_t(1), &nExtra);
    }
    TIFFSetField(pTiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(pTiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    // zlib's own default: higher levels gain little on photographs' noise
    // and take far longer.
    TIFFSetField(pTiff, TIFFTAG_ZIPQUALITY, kDeflateLevel);
    TIFFSetField(pTiff, TIFFTAG_ROWSPERSTRIP, RowsPerStrip(layout));
    if (metadata.nOrientation >= 1 && metadata.nOrientation <= 8)
        TIFFSetField(pTiff, TIFFTAG_ORIENTATION, metadata.nOrientation);
    SetBlob(pTiff, TIFFTAG_ICCPROFILE, metadata.icc);
    SetBlob(pTiff, TIFFTAG_XMLPACKET, metadata.xmp);
}

// The camera's EXIF data goes whole right after the file's header, each
// byte at the offset it had in the data, so that its offsets (also those
// inside maker notes) still hold; the file's EXIF and GPS directory tags
// point into it. Its main directory is the file's no longer and no reader
// follows it, but ours reads the data back from it byte for byte.
bool PlaceExif(std::FILE* pFile, TIFF* pTiff, const std::vector<uint8_t>& exif, const pfExifLayout& layout)
{
    if (!SeekFile(pFile, 8, SEEK_SET) || std::fwrite(&exif[8], 1, layout.nEnd - 8, pFile) != layout.nEnd - 8)
        return false;
    TIFFSetField(pTiff, TIFFTAG_EXIFIFD, uint64_t(layout.nExifIfd));
    if (layout.nGpsIfd != 0)
        TIFFSetField(pTiff, TIFFTAG_GPSIFD, uint64_t(layout.nGpsIfd));
    return true;
}

// Whole strips at once: libtiff hands a strip given whole to libdeflate,
// where it has it, which compresses the same data to the same level several
// times faster than zlib fed row by row.
bool WriteStrips(pfTiffFile& tiff, const pfPngLayout& layout, const pfPngRowSource& fillRow, std::string& strError)
{
    TIFF* pTiff = tiff.Get();
    const std::size_t nRowSamples = layout.RowSamples();
    const std::size_t nRowBytes = nRowSamples * std::size_t(layout.nBitDepth / 8);
    const uint32_t nStripRows = RowsPerStrip(layout);
    std::vector<uint16_t> samples(nRowSamples);
    std::vector<uint8_t> strip(nRowBytes * nStripRows);
    for (uint32_t nTop = 0; nTop < uint32_t(layout.nHeight); nTop += nStripRows) {
        const uint32_t nRows = std::min<uint32_t>(nStripRows, uint32_t(layout.nHeight) - nTop);
        for (uint32_t nRow = 0; nRow < nRows; ++nRow) {
            uint8_t* pTo = &strip[nRow * nRowBytes];
            fillRow(int(nTop + nRow), samples.data());
            if (layout.nBitDepth == 8)
                std::copy(samples.begin(), samples.end(), pTo);
            else
                std::memcpy(pTo, samples.data(), nRowBytes);
        }
        if (TIFFWriteEncodedStrip(pTiff, nTop / nStripRows, strip.data(), tmsize_t(nRows * nRowBytes)) < 0) {
            strError = tiff.Error("rows from " + std::to_string(nTop) + " cannot be written");
            return false;
        }
    }
    return true;
}

bool Finish(pfTiffFile& tiff, std::string& strError)
{
    if (tiff.Finish())
        return true;
    strError = tiff.Error("the directory cannot be written");
    return false;
}

bool Encode(std::FILE* pFile, const pfPngLayout& layout, const pfPngRowSource& fillRow,
            const pfImageMetadata& metadata, std::string& strError)
{
    // EXIF data without an EXIF directory (only the camera's main one) has
    // no place among the file's tags: it goes into the image resources.
    pfExifLayout exif;
    const bool bExifDirectory = ReadExifLayout(metadata.exif, exif) && exif.nExifIfd != 0;
    pfTiffFile tiff(pFile, bExifDirectory ? (exif.bBigEndian ? "wb" : "wl") : "w", kMaxWriterAllocation);
    TIFF* pTiff = tiff.Get();
    if (!pTiff) {
        strError = tiff.Error("libtiff cannot start the file");
        return false;
    }
    SetTags(pTiff, layout, metadata);
    // TIFF readers turn the picture by the file's own tag, not the camera's.
    if (bExifDirectory && metadata.nOrientation == 0 && exif.nOrientation >= 1 && exif.nOrientation <= 8)
        TIFFSetField(pTiff, TIFFTAG_ORIENTATION, exif.nOrientation);
    if (bExifDirectory && !PlaceExif(pFile, pTiff, metadata.exif, exif)) {
        strError = "the EXIF data cannot be written";
        return false;
    }
    if (!bExifDirectory && !metadata.exif.empty())
        SetBlob(pTiff, TIFFTAG_PHOTOSHOP, ExifBlock(metadata.exif));
    return WriteStrips(tiff, layout, fillRow, strError) && Finish(tiff, strError);
}

} // namespace

bool WriteTiffRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                   const pfImageMetadata& metadata, std::string& strError)
{
    return WriteFileWith(
        strPath,
        [&](std::FILE* pFile, std::string& strWhy) { return Encode(pFile, layout, fillRow, metadata, strWhy); },
        strError);
}
