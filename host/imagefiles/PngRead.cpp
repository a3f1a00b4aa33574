#include "FileAccess.h"
#include "host/document/MemoryBudget.h"
#include "Png.h"
#include "PngLib.h"

#include <algorithm>
#include <new>

namespace {

// Deflate cannot expand data more than 1032-fold, so a file of n bytes holds
// at most about 1032 n bytes of scanlines.
constexpr uint64_t kMaxInflateRatio = 1032;

// A pipe is read into memory first, to learn its size.
constexpr uint64_t kMaxPipedBytes = uint64_t(1) << 30;

// PNG bytes held in memory, read from the front.
struct pfMemorySource {
    const uint8_t* pBytes;
    std::size_t nSize;
    std::size_t nPos;
};

constexpr const char* kEndsEarly = "the file ends too early";

void PNGCBAPI ReadFromMemory(png_structp pPng, png_bytep pOut, png_size_t nLength)
{
    auto* pSource = static_cast<pfMemorySource*>(png_get_io_ptr(pPng));
    if (nLength > pSource->nSize - pSource->nPos)
        png_error(pPng, kEndsEarly);
    std::memcpy(pOut, pSource->pBytes + pSource->nPos, nLength);
    pSource->nPos += nLength;
}

void PNGCBAPI ReadFromFile(png_structp pPng, png_bytep pOut, png_size_t nLength)
{
    if (std::fread(pOut, 1, nLength, static_cast<std::FILE*>(png_get_io_ptr(pPng))) != nLength)
        png_error(pPng, kEndsEarly);
}

class PngReadStruct {
public:
    PngReadStruct()
        : m_pPng(png_create_read_struct(PNG_LIBPNG_VER_STRING, &m_Error, PngErrorHandler, PngWarningHandler)),
          m_pInfo(m_pPng ? png_create_info_struct(m_pPng) : nullptr)
    {
        if (m_pInfo)
            png_set_user_limits(m_pPng, kMaxPngSide, kMaxPngSide);
    }
    ~PngReadStruct() { png_destroy_read_struct(&m_pPng, &m_pInfo, nullptr); }
    PngReadStruct(const PngReadStruct&) = delete;
    PngReadStruct& operator=(const PngReadStruct&) = delete;

    bool IsValid() const { return m_pInfo != nullptr; }
    png_structp Png() const { return m_pPng; }
    png_infop Info() const { return m_pInfo; }
    std::string Error(const char* pDoing) const { return std::string(pDoing) + ": " + m_Error.text; }

private:
    pfPngErrorText m_Error;
    png_structp m_pPng;
    png_infop m_pInfo;
};

// Everything comes out as 8- or 16-bit grey, grey + alpha, RGB or RGBA;
// 16-bit samples in the machine's byte order.
void RequestSampleLayout(png_structp pPng, png_infop pInfo)
{
    const int nColorType = png_get_color_type(pPng, pInfo);
    if (nColorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(pPng);
    if (nColorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(pPng, pInfo) < 8)
        png_set_expand_gray_1_2_4_to_8(pPng);
    if (png_get_valid(pPng, pInfo, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(pPng);
    if (png_get_bit_depth(pPng, pInfo) == 16 && IsLittleEndian())
        png_set_swap(pPng);
    png_set_interlace_handling(pPng);
    png_read_update_info(pPng, pInfo);
}

std::string SizeText(uint32_t nWidth, uint32_t nHeight)
{
    return std::to_string(nWidth) + " x " + std::to_string(nHeight) + " pixels";
}

// A size the data cannot hold is refused before anything that large exists.
bool CheckDataHoldsSize(png_structp pPng, png_infop pInfo, uint64_t nFileSize, std::string& strError)
{
    const uint32_t nWidth = png_get_image_width(pPng, pInfo);
    const uint32_t nHeight = png_get_image_height(pPng, pInfo);
    const uint64_t nFileRowBytes =
        (uint64_t(nWidth) * png_get_channels(pPng, pInfo) * png_get_bit_depth(pPng, pInfo) + 7) / 8;
    if (uint64_t(nHeight) * (nFileRowBytes + 1) <= nFileSize * kMaxInflateRatio)
        return true;
    strError = "the image declares " + SizeText(nWidth, nHeight) + ", too large for the " +
               std::to_string(nFileSize) + " bytes of the file";
    return false;
}

pfPngLayout LayoutOf(png_structp pPng, png_infop pInfo)
{
    return {int(png_get_image_width(pPng, pInfo)), int(png_get_image_height(pPng, pInfo)),
            png_get_channels(pPng, pInfo), png_get_bit_depth(pPng, pInfo)};
}

// Rows of an interlaced file are complete only after the last pass, so the
// whole image is decoded first; other files go one row at a time.
class RowDecoder {
public:
    RowDecoder(const PngReadStruct& png, const pfPngLayout& layout, bool bInterlaced)
        : m_Png(png), m_nRowBytes(layout.RowSamples() * (layout.nBitDepth / 8)),
          m_bytes(bInterlaced ? m_nRowBytes * std::size_t(layout.nHeight) : m_nRowBytes),
          m_samples(layout.RowSamples()), m_bWide(layout.nBitDepth == 16), m_bInterlaced(bInterlaced)
    {
    }

    bool Start()
    {
        if (!m_bInterlaced)
            return true;
        std::vector<png_bytep> rows(m_bytes.size() / m_nRowBytes);
        for (std::size_t y = 0; y < rows.size(); ++y)
            rows[y] = m_bytes.data() + y * m_nRowBytes;
        png_structp pPng = m_Png.Png();
        png_bytepp pRows = rows.data();
        return PngGuarded(pPng, [pPng, pRows] { png_read_image(pPng, pRows); });
    }

    // Row y as samples; null when libpng found the data damaged.
    const uint16_t* Row(int y)
    {
        png_bytep pBytes = m_bytes.data();
        if (m_bInterlaced) {
            pBytes += std::size_t(y) * m_nRowBytes;
        } else {
            png_structp pPng = m_Png.Png();
            if (!PngGuarded(pPng, [pPng, pBytes] { png_read_row(pPng, pBytes, nullptr); }))
                return nullptr;
        }
        if (m_bWide)
            std::memcpy(m_samples.data(), pBytes, m_nRowBytes);
        else
            std::copy(pBytes, pBytes + m_nRowBytes, m_samples.begin());
        return m_samples.data();
    }

private:
    const PngReadStruct& m_Png;
    std::size_t m_nRowBytes;
    std::vector<uint8_t> m_bytes;
    std::vector<uint16_t> m_samples;
    bool m_bWide;
    bool m_bInterlaced;
};

bool DeliverRows(const PngReadStruct& png, const pfPngLayout& layout, const pfPngRowSink& onRow,
                 std::string& strError)
{
    const bool bInterlaced = png_get_interlace_type(png.Png(), png.Info()) != PNG_INTERLACE_NONE;
    const uint64_t nImageBytes = uint64_t(layout.RowSamples()) * layout.nHeight * (layout.nBitDepth / 8);
    if (bInterlaced && !CheckMemory(nImageBytes, "an interlaced image of " +
                                                     SizeText(uint32_t(layout.nWidth), uint32_t(layout.nHeight)),
                                    strError))
        return false;
    RowDecoder decoder(png, layout, bInterlaced);
    if (!decoder.Start()) {
        strError = png.Error("damaged image data");
        return false;
    }
    for (int y = 0; y < layout.nHeight; ++y) {
        const uint16_t* pRow = decoder.Row(y);
        if (!pRow) {
            strError = png.Error("damaged image data");
            return false;
        }
        onRow(y, pRow);
    }
    png_structp pPng = png.Png();
    if (!PngGuarded(pPng, [pPng] { png_read_end(pPng, nullptr); })) {
        strError = png.Error("damaged after the image data");
        return false;
    }
    return true;
}

std::vector<uint8_t> BytesOf(png_const_bytep pData, std::size_t nSize)
{
    return pData ? std::vector<uint8_t>(pData, pData + nSize) : std::vector<uint8_t>();
}

// Chunks libpng has read before the image data; it has checked them already.
pfImageMetadata MetadataOf(png_structp pPng, png_infop pInfo)
{
    pfImageMetadata metadata;
    png_charp pName = nullptr;
    int nCompression = 0;
    png_bytep pProfile = nullptr;
    png_uint_32 nProfile = 0;
    if (png_get_iCCP(pPng, pInfo, &pName, &nCompression, &pProfile, &nProfile))
        metadata.icc = BytesOf(pProfile, nProfile);
    png_bytep pExif = nullptr;
    png_uint_32 nExif = 0;
    if (png_get_eXIf_1(pPng, pInfo, &nExif, &pExif))
        metadata.exif = BytesOf(pExif, nExif);
    png_textp pTexts = nullptr;
    const int nTexts = png_get_text(pPng, pInfo, &pTexts, nullptr);
    for (int i = 0; i < nTexts; ++i) {
        if (std::strcmp(pTexts[i].key, "XML:com.adobe.xmp") == 0 && pTexts[i].text)
            metadata.xmp = BytesOf(reinterpret_cast<png_const_bytep>(pTexts[i].text),
                                   pTexts[i].itxt_length ? pTexts[i].itxt_length : pTexts[i].text_length);
    }
    return metadata;
}

// The whole decoder; the source is already attached to png.
bool Decode(const PngReadStruct& png, uint64_t nFileSize, const pfPngLayoutSink& onLayout,
            const pfPngRowSink& onRow, pfImageMetadata& metadata, std::string& strError)
{
    png_structp pPng = png.Png();
    png_infop pInfo = png.Info();
    if (!PngGuarded(pPng, [pPng, pInfo] { png_read_info(pPng, pInfo); })) {
        strError = png.Error("not a readable PNG");
        return false;
    }
    if (!CheckDataHoldsSize(pPng, pInfo, nFileSize, strError))
        return false;
    metadata = MetadataOf(pPng, pInfo);
    if (!PngGuarded(pPng, [pPng, pInfo] { RequestSampleLayout(pPng, pInfo); })) {
        strError = png.Error("unsupported PNG layout");
        return false;
    }
    const pfPngLayout layout = LayoutOf(pPng, pInfo);
    return onLayout(layout, strError) && DeliverRows(png, layout, onRow, strError);
}

// Whole images: the samples are allocated once the layout is known and
// memory allows them.
bool AllocateImage(pfPngImage& image, const pfPngLayout& layout, std::string& strError)
{
    const uint64_t nBytes = uint64_t(layout.RowSamples()) * layout.nHeight * sizeof(uint16_t);
    const std::string strWhat = "an image of " + SizeText(uint32_t(layout.nWidth), uint32_t(layout.nHeight));
    if (!CheckMemory(nBytes, strWhat, strError))
        return false;
    image = pfPngImage{layout.nWidth, layout.nHeight, layout.nChannels, layout.nBitDepth, {}};
    image.samples.resize(layout.RowSamples() * std::size_t(layout.nHeight));
    return true;
}

template <typename Decoder> bool DecodeImage(pfPngImage& image, std::string& strError, Decoder&& decode)
{
    pfPngImage decoded;
    const auto onLayout = [&decoded](const pfPngLayout& layout, std::string& strWhy) {
        return AllocateImage(decoded, layout, strWhy);
    };
    const auto onRow = [&decoded](int y, const uint16_t* pRow) {
        std::copy(pRow, pRow + decoded.Layout().RowSamples(), decoded.Row(y));
    };
    try {
        if (!decode(onLayout, onRow))
            return false;
    } catch (const std::bad_alloc&) {
        strError = "out of memory";
        return false;
    }
    image = std::move(decoded);
    return true;
}

} // namespace

bool DecodePngRows(const uint8_t* pBytes, std::size_t nSize, const pfPngLayoutSink& onLayout,
                   const pfPngRowSink& onRow, std::string& strError)
{
    PngReadStruct png;
    if (!png.IsValid()) {
        strError = "out of memory";
        return false;
    }
    pfMemorySource source{pBytes, nSize, 0};
    png_set_read_fn(png.Png(), &source, ReadFromMemory);
    pfImageMetadata metadata;
    return Decode(png, nSize, onLayout, onRow, metadata, strError);
}

bool ReadPngRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                 std::string& strError)
{
    pfImageMetadata metadata;
    return ReadPngRows(strPath, onLayout, onRow, metadata, strError);
}

bool ReadPngRows(const std::string& strPath, const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow,
                 pfImageMetadata& metadata, std::string& strError)
{
    return ReadFileWith(
        strPath,
        [&](std::FILE* pFile, uint64_t nSize, std::string& strWhy) {
            if (nSize == kUnknownFileSize) {
                std::vector<uint8_t> bytes;
                if (ReadToEnd(pFile, kMaxPipedBytes, bytes))
                    return DecodePngRows(bytes.data(), bytes.size(), onLayout, onRow, strWhy);
                strWhy = "too large (more than " + std::to_string(kMaxPipedBytes) + " bytes)";
                return false;
            }
            PngReadStruct png;
            if (!png.IsValid()) {
                strWhy = "out of memory";
                return false;
            }
            png_set_read_fn(png.Png(), pFile, ReadFromFile);
            return Decode(png, nSize, onLayout, onRow, metadata, strWhy);
        },
        strError);
}

bool DecodePng(const uint8_t* pBytes, std::size_t nSize, pfPngImage& image, std::string& strError)
{
    return DecodeImage(image, strError, [&](const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow) {
        return DecodePngRows(pBytes, nSize, onLayout, onRow, strError);
    });
}

bool DecodePng(const std::vector<uint8_t>& bytes, pfPngImage& image, std::string& strError)
{
    return DecodePng(bytes.data(), bytes.size(), image, strError);
}

bool ReadPng(const std::string& strPath, pfPngImage& image, std::string& strError)
{
    return DecodeImage(image, strError, [&](const pfPngLayoutSink& onLayout, const pfPngRowSink& onRow) {
        return ReadPngRows(strPath, onLayout, onRow, strError);
    });
}
