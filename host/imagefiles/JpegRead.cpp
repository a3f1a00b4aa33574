#include "FileAccess.h"
#include "host/document/MemoryBudget.h"
#include "Jpeg.h"
#include "JpegLib.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A progressive file may hold any number of scans, each rereading the whole
// image; genuine files have about ten.
constexpr int kMaxScans = 500;

// Even a flat picture needs a bit or two for each 8 x 8 block: a genuine
// JPEG never decodes to a thousand times its size, let alone this. Beyond
// it, a few hundred bytes could make a progressive decoder hold gigabytes.
constexpr uint64_t kMaxExpansion = 4096;

// libjpeg's memory manager allocates no more than this much in all.
constexpr uint64_t kMaxDecoderMemory = uint64_t(2) << 30;

void LimitScans(j_common_ptr pInfo)
{
    const auto* pDecompress = reinterpret_cast<j_decompress_ptr>(pInfo);
    if (pDecompress->input_scan_number <= kMaxScans)
        return;
    auto* pErrors = reinterpret_cast<pfJpegErrors*>(pInfo->err);
    std::snprintf(pErrors->text, sizeof pErrors->text, "more than %d scans", kMaxScans);
    std::longjmp(pErrors->jump, 1);
}

class JpegDecompress {
public:
    JpegDecompress()
    {
        m_Info.err = InstallJpegErrors(m_Errors);
        m_Progress.progress_monitor = LimitScans;
        m_bCreated = Guarded([this] { jpeg_create_decompress(&m_Info); });
        if (m_bCreated)
            m_Info.progress = &m_Progress;
    }
    ~JpegDecompress() { jpeg_destroy_decompress(&m_Info); }
    JpegDecompress(const JpegDecompress&) = delete;
    JpegDecompress& operator=(const JpegDecompress&) = delete;

    bool IsValid() const { return m_bCreated; }
    jpeg_decompress_struct& Info() { return m_Info; }
    template <typename Calls> bool Guarded(Calls&& calls) { return JpegGuarded(m_Errors, calls); }
    std::string Error(const char* pDoing) const { return std::string(pDoing) + ": " + m_Errors.text; }

private:
    pfJpegErrors m_Errors;
    jpeg_progress_mgr m_Progress{};
    jpeg_decompress_struct m_Info{};
    bool m_bCreated = false;
};

bool StartsWith(const jpeg_saved_marker_ptr pMarker, const void* pId, std::size_t nIdSize)
{
    return pMarker->data_length >= nIdSize && std::memcmp(pMarker->data, pId, nIdSize) == 0;
}

std::vector<uint8_t> After(const jpeg_saved_marker_ptr pMarker, std::size_t nIdSize)
{
    return std::vector<uint8_t>(pMarker->data + nIdSize, pMarker->data + pMarker->data_length);
}

struct FreeDeleter {
    void operator()(JOCTET* p) const { std::free(p); }
};

pfImageMetadata MetadataOf(JpegDecompress& jpeg)
{
    pfImageMetadata metadata;
    for (jpeg_saved_marker_ptr pMarker = jpeg.Info().marker_list; pMarker; pMarker = pMarker->next) {
        if (pMarker->marker != JPEG_APP0 + 1)
            continue;
        if (metadata.exif.empty() && StartsWith(pMarker, kExifMarkerId, sizeof kExifMarkerId))
            metadata.exif = After(pMarker, sizeof kExifMarkerId);
        else if (metadata.xmp.empty() && StartsWith(pMarker, kXmpMarkerId, sizeof kXmpMarkerId))
            metadata.xmp = After(pMarker, sizeof kXmpMarkerId);
    }
    JOCTET* pProfile = nullptr;
    unsigned int nProfile = 0;
    jpeg_decompress_struct* pInfo = &jpeg.Info();
    // A profile split over markers that do not fit together is left out,
    // as libjpeg does; the image itself is sound.
    if (jpeg.Guarded([&] { jpeg_read_icc_profile(pInfo, &pProfile, &nProfile); }) && pProfile) {
        const std::unique_ptr<JOCTET, FreeDeleter> owned(pProfile);
        metadata.icc.assign(pProfile, pProfile + nProfile);
    }
    return metadata;
}

// Grey stays grey, YCbCr and RGB come out as RGB; anything else is refused.
bool ChooseOutput(jpeg_decompress_struct& info, const pfImageMetadata& metadata, std::string& strError)
{
    if (info.jpeg_color_space == JCS_GRAYSCALE) {
        info.out_color_space = JCS_GRAYSCALE;
    } else if (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB) {
        info.out_color_space = JCS_RGB;
    } else {
        strError = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK
                       ? "CMYK JPEGs are not read"
                       : "a JPEG of " + std::to_string(info.num_components) + " components is not read";
        return false;
    }
    // The profile says what the three channels mean: Lab or CMYK data
    // labelled as such must not be taken for RGB.
    const std::vector<uint8_t> space = ProfileColorSpace(metadata.icc);
    const char* pExpected = info.out_color_space == JCS_GRAYSCALE ? "GRAY" : "RGB ";
    if (space.empty() || std::equal(space.begin(), space.end(), pExpected))
        return true;
    strError = "the JPEG's colour profile describes " + std::string(space.begin(), space.end()) +
               " data, which is not read";
    return false;
}

bool CheckSize(const jpeg_decompress_struct& info, uint64_t nFileSize, std::string& strError)
{
    const std::string strSize =
        std::to_string(info.image_width) + " x " + std::to_string(info.image_height) + " pixels";
    const uint64_t nBytes = uint64_t(info.image_width) * info.image_height * info.num_components;
    if (info.image_width > JDIMENSION(kMaxPngSide) || info.image_height > JDIMENSION(kMaxPngSide))
        strError = "the image declares " + strSize + ", more than the host takes";
    else if (nFileSize != kUnknownFileSize && nBytes > nFileSize * kMaxExpansion)
        strError = "the image declares " + strSize + ", too large for the " + std::to_string(nFileSize) +
                   " bytes of the file";
    return strError.empty();
}

bool ReadHeader(JpegDecompress& jpeg, uint64_t nFileSize, pfImageMetadata& metadata, std::string& strError)
{
    jpeg_decompress_struct* pInfo = &jpeg.Info();
    const bool bRead = jpeg.Guarded([pInfo] {
        jpeg_save_markers(pInfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(pInfo, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(pInfo, TRUE);
    });
    if (!bRead) {
        strError = jpeg.Error("not a readable JPEG");
        return false;
    }
    metadata = MetadataOf(jpeg);
    return CheckSize(*pInfo, nFileSize, strError) && ChooseOutput(*pInfo, metadata, strError);
}

bool DeliverRows(JpegDecompress& jpeg, const pfPngLayout& layout, const pfPngRowSink& onRow, std::string& strError)
{
    jpeg_decompress_struct* pInfo = &jpeg.Info();
    if (!jpeg.Guarded([pInfo] { jpeg_start_decompress(pInfo); })) {
        strError = jpeg.Error("damaged image data");
        return false;
    }
    std::vector<JSAMPLE> bytes(layout.RowSamples());
    std::vector<uint16_t> samples(layout.RowSamples());
    JSAMPROW pRow = bytes.data();
    for (int y = 0; y < layout.nHeight; ++y) {
        if (!jpeg.Guarded([pInfo, &pRow] { jpeg_read_scanlines(pInfo, &pRow, 1); })) {
            strError = jpeg.Error("damaged image data");
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), samples.begin());
        onRow(y, samples.data());
    }
    if (!jpeg.Guarded([pInfo] { jpeg_finish_decompress(pInfo); })) {
        strError = jpeg.Error("damaged after the image data");
        return false;
    }
    return true;
}

bool Decode(std::FILE* pFile, uint64_t nFileSize, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
            pfImageMetadata& metadata, std::string& strError)
{
    JpegDecompress jpeg;
    if (!jpeg.IsValid()) {
        strError = "out of memory";
        return false;
    }
    jpeg_decompress_struct& info = jpeg.Info();
    info.mem->max_memory_to_use = long(std::min<uint64_t>({AvailableMemory(), kMaxDecoderMemory, uint64_t(LONG_MAX)}));
    jpeg_stdio_src(&info, pFile);
    if (!ReadHeader(jpeg, nFileSize, metadata, strError))
        return false;
    const pfPngLayout layout{int(info.image_width), int(info.image_height), info.out_color_space == JCS_RGB ? 3 : 1,
                             8};
    return onLayout(layout, strError) && DeliverRows(jpeg, layout, onRow, strError);
}

} // namespace

bool ReadJpegRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                  pfImageMetadata& metadata, std::string& strError)
{
    return ReadFileWith(
        strPath,
        [&](std::FILE* pFile, uint64_t nSize, std::string& strWhy) {
            return Decode(pFile, nSize, onLayout, onRow, metadata, strWhy);
        },
        strError);
}
