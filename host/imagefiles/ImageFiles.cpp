#include "ImageFiles.h"

#include "FileAccess.h"
#include "Tiff.h"

#include <algorithm>
#include <cstring>

namespace {

// What the first bytes say; a pipe cannot be read twice and is taken as
// PNG, as it always was.
bool SniffFormat(const std::string& strPath, pfImageFormat& format, std::string& strError)
{
    uint64_t nSize = 0;
    const pfFilePtr pFile = OpenForReading(strPath, nSize, strError);
    if (!pFile)
        return false;
    format = pfImageFormat::Png;
    if (nSize == kUnknownFileSize)
        return true;
    unsigned char head[4] = {};
    const std::size_t nRead = std::fread(head, 1, sizeof head, pFile.get());
    if (nRead >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        format = pfImageFormat::Jpeg;
    else if (nRead == 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0 ||
                            std::memcmp(head, "II+\0", 4) == 0 || std::memcmp(head, "MM\0+", 4) == 0))
        format = pfImageFormat::Tiff;
    else if (nRead < 4 || std::memcmp(head, "\x89PNG", 4) != 0) {
        strError = strPath + ": not a PNG, JPEG or TIFF file";
        return false;
    }
    return true;
}

// A profile describes one colour space: an RGB profile on grey output (or
// the other way round) would misdescribe the pixels, and readers refuse it.
pfImageMetadata FittingMetadata(const pfImageMetadata& metadata, const pfPngLayout& layout)
{
    const std::vector<uint8_t> space = ProfileColorSpace(metadata.icc);
    const char* pOutput = layout.nChannels <= 2 ? "GRAY" : "RGB ";
    if (space.empty() || std::equal(space.begin(), space.end(), pOutput))
        return metadata;
    pfImageMetadata fitting = metadata;
    fitting.icc.clear();
    return fitting;
}

} // namespace

pfImageFormat FormatForName(const std::string& strPath)
{
    const std::string strExtension = ExtensionOf(strPath);
    if (strExtension == ".jpg" || strExtension == ".jpeg")
        return pfImageFormat::Jpeg;
    if (strExtension == ".tif" || strExtension == ".tiff")
        return pfImageFormat::Tiff;
    return pfImageFormat::Png;
}

bool ReadImageRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                   pfImageMetadata& metadata, std::string& strError)
{
    pfImageFormat format = pfImageFormat::Png;
    if (!SniffFormat(strPath, format, strError))
        return false;
    switch (format) {
    case pfImageFormat::Jpeg: return ReadJpegRows(strPath, onLayout, onRow, metadata, strError);
    case pfImageFormat::Tiff: return ReadTiffRows(strPath, onLayout, onRow, metadata, strError);
    default: return ReadPngRows(strPath, onLayout, onRow, metadata, strError);
    }
}

bool WriteImageRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                    const pfImageMetadata& metadata, const pfWriteOptions& options, std::string& strError)
{
    const pfImageMetadata fitting = FittingMetadata(metadata, layout);
    switch (FormatForName(strPath)) {
    case pfImageFormat::Jpeg: return WriteJpegRows(strPath, layout, fillRow, fitting, options.nJpegQuality, strError);
    case pfImageFormat::Tiff: return WriteTiffRows(strPath, layout, fillRow, fitting, strError);
    default: return WritePngRows(strPath, layout, fillRow, fitting, strError);
    }
}
