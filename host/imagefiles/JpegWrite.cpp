#include "FileAccess.h"
#include "Jpeg.h"
#include "JpegLib.h"

#include <vector>

namespace {

// From this quality up, halving the colour resolution would cost more than
// the quality promises.
constexpr int kFullChromaQuality = 90;

class JpegCompress {
public:
    JpegCompress()
    {
        m_Info.err = InstallJpegErrors(m_Errors);
        m_bCreated = Guarded([this] { jpeg_create_compress(&m_Info); });
    }
    ~JpegCompress() { jpeg_destroy_compress(&m_Info); }
    JpegCompress(const JpegCompress&) = delete;
    JpegCompress& operator=(const JpegCompress&) = delete;

    bool IsValid() const { return m_bCreated; }
    jpeg_compress_struct& Info() { return m_Info; }
    template <typename Calls> bool Guarded(Calls&& calls) { return JpegGuarded(m_Errors, calls); }
    std::string Error() const { return m_Errors.text; }

private:
    pfJpegErrors m_Errors;
    jpeg_compress_struct m_Info{};
    bool m_bCreated = false;
};

bool CheckWritable(const pfPngLayout& layout, const pfImageMetadata& metadata, int nQuality, std::string& strError)
{
    if (layout.nChannels == 2 || layout.nChannels == 4)
        strError = "a JPEG holds no transparency: write the image as PNG or TIFF";
    else if (nQuality < 1 || nQuality > 100)
        strError = "JPEG quality must be 1 to 100";
    else if (metadata.exif.size() + sizeof kExifMarkerId > kMaxMarkerBytes)
        strError = "its " + std::to_string(metadata.exif.size()) + " bytes of EXIF data do not fit a JPEG";
    else if (metadata.xmp.size() + sizeof kXmpMarkerId > kMaxMarkerBytes)
        strError = "its " + std::to_string(metadata.xmp.size()) + " bytes of XMP data do not fit a JPEG";
    else
        return true;
    return false;
}

void Configure(jpeg_compress_struct& info, const pfPngLayout& layout, bool bExif, int nQuality)
{
    info.image_width = JDIMENSION(layout.nWidth);
    info.image_height = JDIMENSION(layout.nHeight);
    info.input_components = layout.nChannels;
    info.in_color_space = layout.nChannels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, nQuality, TRUE);
    info.optimize_coding = TRUE;
    // EXIF data belongs right after the start of the image.
    info.write_JFIF_header = bExif ? FALSE : TRUE;
    if (layout.nChannels == 3 && nQuality >= kFullChromaQuality) {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
}

std::vector<JOCTET> Marker(const void* pId, std::size_t nIdSize, const std::vector<uint8_t>& payload)
{
    std::vector<JOCTET> bytes(static_cast<const JOCTET*>(pId), static_cast<const JOCTET*>(pId) + nIdSize);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

// The APP1 segments, made before any libjpeg call that may jump.
struct AppMarkers {
    explicit AppMarkers(const pfImageMetadata& metadata)
        : exif(metadata.exif.empty() ? std::vector<JOCTET>()
                                     : Marker(kExifMarkerId, sizeof kExifMarkerId, metadata.exif)),
          xmp(metadata.xmp.empty() ? std::vector<JOCTET>() : Marker(kXmpMarkerId, sizeof kXmpMarkerId, metadata.xmp))
    {
    }
    std::vector<JOCTET> exif;
    std::vector<JOCTET> xmp;
};

void WriteMetadata(jpeg_compress_struct* pInfo, const AppMarkers& markers, const std::vector<uint8_t>& icc)
{
    for (const std::vector<JOCTET>* pMarker : {&markers.exif, &markers.xmp}) {
        if (!pMarker->empty())
            jpeg_write_marker(pInfo, JPEG_APP0 + 1, pMarker->data(), unsigned(pMarker->size()));
    }
    if (!icc.empty())
        jpeg_write_icc_profile(pInfo, icc.data(), unsigned(icc.size()));
}

// 16-bit samples round to the nearest 8-bit value.
JSAMPLE Narrow(uint16_t nSample, bool bWide)
{
    return JSAMPLE(bWide ? (uint32_t(nSample) * 255 + 32767) / 65535 : nSample);
}

bool Encode(std::FILE* pFile, const pfPngLayout& layout, const pfPngRowSource& fillRow,
            const pfImageMetadata& metadata, int nQuality, std::string& strError)
{
    JpegCompress jpeg;
    if (!jpeg.IsValid()) {
        strError = "out of memory";
        return false;
    }
    jpeg_compress_struct* pInfo = &jpeg.Info();
    const AppMarkers markers(metadata);
    const bool bStarted = jpeg.Guarded([&] {
        jpeg_stdio_dest(pInfo, pFile);
        Configure(*pInfo, layout, !metadata.exif.empty(), nQuality);
        jpeg_start_compress(pInfo, TRUE);
        WriteMetadata(pInfo, markers, metadata.icc);
    });
    std::vector<uint16_t> samples(layout.RowSamples());
    std::vector<JSAMPLE> bytes(samples.size());
    JSAMPROW pRow = bytes.data();
    for (int y = 0; bStarted && y < layout.nHeight; ++y) {
        fillRow(y, samples.data());
        for (std::size_t i = 0; i < samples.size(); ++i)
            bytes[i] = Narrow(samples[i], layout.nBitDepth == 16);
        if (!jpeg.Guarded([pInfo, &pRow] { jpeg_write_scanlines(pInfo, &pRow, 1); })) {
            strError = jpeg.Error();
            return false;
        }
    }
    if (!bStarted || !jpeg.Guarded([pInfo] { jpeg_finish_compress(pInfo); })) {
        strError = jpeg.Error();
        return false;
    }
    return true;
}

} // namespace

bool WriteJpegRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                   const pfImageMetadata& metadata, int nQuality, std::string& strError)
{
    if (!CheckWritable(layout, metadata, nQuality, strError)) {
        strError = strPath + ": cannot be written: " + strError;
        return false;
    }
    return WriteFileWith(
        strPath,
        [&](std::FILE* pFile, std::string& strWhy) {
            return Encode(pFile, layout, fillRow, metadata, nQuality, strWhy);
        },
        strError);
}
