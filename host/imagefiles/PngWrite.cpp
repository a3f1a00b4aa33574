#include "FileAccess.h"
#include "Png.h"
#include "PngLib.h"

#include <algorithm>
#include <new>

namespace {

// Photographs barely repeat after row filtering: coding runs and literals
// gives files as small as full matching does, several times faster. A large
// compression buffer keeps the IDAT chunks few.
constexpr int kCompressionStrategy = Z_RLE;
constexpr int kCompressionMemLevel = 9;
constexpr png_size_t kCompressionBuffer = 256 * 1024;

void PNGCBAPI WriteToMemory(png_structp pPng, png_bytep pData, png_size_t nLength)
{
    auto* pBytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(pPng));
    bool bStored = true;
    try {
        pBytes->insert(pBytes->end(), pData, pData + nLength);
    } catch (const std::bad_alloc&) {
        bStored = false;
    }
    // The jump out of libpng must not leave from inside the handler.
    if (!bStored)
        png_error(pPng, "out of memory");
}

void PNGCBAPI FlushNothing(png_structp) {}

class PngWriteStruct {
public:
    PngWriteStruct()
        : m_pPng(png_create_write_struct(PNG_LIBPNG_VER_STRING, &m_Error, PngErrorHandler, PngWarningHandler)),
          m_pInfo(m_pPng ? png_create_info_struct(m_pPng) : nullptr)
    {
    }
    ~PngWriteStruct() { png_destroy_write_struct(&m_pPng, &m_pInfo); }
    PngWriteStruct(const PngWriteStruct&) = delete;
    PngWriteStruct& operator=(const PngWriteStruct&) = delete;

    bool IsValid() const { return m_pInfo != nullptr; }
    png_structp Png() const { return m_pPng; }
    png_infop Info() const { return m_pInfo; }
    std::string Error() const { return m_Error.text; }

private:
    pfPngErrorText m_Error;
    png_structp m_pPng;
    png_infop m_pInfo;
};

int ColorType(int nChannels)
{
    switch (nChannels) {
    case 1: return PNG_COLOR_TYPE_GRAY;
    case 2: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case 3: return PNG_COLOR_TYPE_RGB;
    default: return PNG_COLOR_TYPE_RGB_ALPHA;
    }
}

bool CheckLayout(const pfPngLayout& layout, std::string& strError)
{
    if (layout.nWidth < 1 || layout.nHeight < 1 || layout.nWidth > kMaxPngSide || layout.nHeight > kMaxPngSide)
        strError = "image size out of range";
    else if (layout.nChannels < 1 || layout.nChannels > 4)
        strError = "a PNG has 1 to 4 channels";
    else if (layout.nBitDepth != 8 && layout.nBitDepth != 16)
        strError = "only 8- and 16-bit PNGs are written";
    else
        return true;
    return false;
}

bool CheckImage(const pfPngImage& image, std::string& strError)
{
    if (!CheckLayout(image.Layout(), strError))
        return false;
    if (image.samples.size() == image.Layout().RowSamples() * std::size_t(image.nHeight))
        return true;
    strError = "sample count does not match the image size";
    return false;
}

constexpr const char* kXmpKeyword = "XML:com.adobe.xmp";

void SetMetadata(png_structp pPng, png_infop pInfo, const pfImageMetadata& metadata)
{
    if (!metadata.icc.empty())
        png_set_iCCP(pPng, pInfo, "ICC profile", PNG_COMPRESSION_TYPE_BASE, metadata.icc.data(),
                     png_uint_32(metadata.icc.size()));
    if (!metadata.exif.empty())
        png_set_eXIf_1(pPng, pInfo, png_uint_32(metadata.exif.size()), const_cast<png_bytep>(metadata.exif.data()));
    if (metadata.xmp.empty())
        return;
    // libpng copies the text up to its terminating zero; it only asks for
    // writable pointers.
    std::vector<char> xmp(metadata.xmp.begin(), metadata.xmp.end());
    xmp.push_back('\0');
    char empty[] = "";
    png_text text{};
    text.compression = PNG_ITXT_COMPRESSION_NONE;
    text.key = const_cast<char*>(kXmpKeyword);
    text.text = xmp.data();
    text.itxt_length = metadata.xmp.size();
    text.lang = empty;
    text.lang_key = empty;
    png_set_text(pPng, pInfo, &text, 1);
}

void WriteHeader(png_structp pPng, png_infop pInfo, const pfPngLayout& layout, const pfImageMetadata& metadata)
{
    png_set_IHDR(pPng, pInfo, png_uint_32(layout.nWidth), png_uint_32(layout.nHeight), layout.nBitDepth,
                 ColorType(layout.nChannels), PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(pPng, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_strategy(pPng, kCompressionStrategy);
    png_set_compression_mem_level(pPng, kCompressionMemLevel);
    png_set_compression_buffer_size(pPng, kCompressionBuffer);
    SetMetadata(pPng, pInfo, metadata);
    png_write_info(pPng, pInfo);
    if (layout.nBitDepth == 16 && IsLittleEndian())
        png_set_swap(pPng);
}

// Each row is filled into one row of samples and handed to libpng, 16-bit
// rows as they are (libpng swaps a copy), 8-bit rows narrowed to bytes.
bool WriteRows(const PngWriteStruct& png, const pfPngLayout& layout, const pfPngRowSource& fillRow,
               const pfImageMetadata& metadata, std::string& strError)
{
    png_structp pPng = png.Png();
    png_infop pInfo = png.Info();
    if (!PngGuarded(pPng, [pPng, pInfo, &layout, &metadata] { WriteHeader(pPng, pInfo, layout, metadata); })) {
        strError = png.Error();
        return false;
    }
    std::vector<uint16_t> samples(layout.RowSamples());
    std::vector<uint8_t> narrow(layout.nBitDepth == 8 ? samples.size() : 0);
    for (int y = 0; y < layout.nHeight; ++y) {
        fillRow(y, samples.data());
        png_const_bytep pBytes = reinterpret_cast<png_const_bytep>(samples.data());
        if (layout.nBitDepth == 8) {
            std::copy(samples.begin(), samples.end(), narrow.begin());
            pBytes = narrow.data();
        }
        if (!PngGuarded(pPng, [pPng, pBytes] { png_write_row(pPng, pBytes); })) {
            strError = png.Error();
            return false;
        }
    }
    if (!PngGuarded(pPng, [pPng, pInfo] { png_write_end(pPng, pInfo); })) {
        strError = png.Error();
        return false;
    }
    return true;
}

pfPngRowSource RowsOf(const pfPngImage& image)
{
    return [&image](int y, uint16_t* pRow) {
        std::copy(image.Row(y), image.Row(y) + image.Layout().RowSamples(), pRow);
    };
}

} // namespace

bool EncodePngRows(const pfPngLayout& layout, const pfPngRowSource& fillRow, std::vector<uint8_t>& bytes,
                   std::string& strError)
{
    if (!CheckLayout(layout, strError))
        return false;
    PngWriteStruct png;
    if (!png.IsValid()) {
        strError = "out of memory";
        return false;
    }
    std::vector<uint8_t> encoded;
    png_set_write_fn(png.Png(), &encoded, WriteToMemory, FlushNothing);
    if (!WriteRows(png, layout, fillRow, pfImageMetadata(), strError))
        return false;
    bytes = std::move(encoded);
    return true;
}

bool WritePngRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                  std::string& strError)
{
    return WritePngRows(strPath, layout, fillRow, pfImageMetadata(), strError);
}

bool WritePngRows(const std::string& strPath, const pfPngLayout& layout, const pfPngRowSource& fillRow,
                  const pfImageMetadata& metadata, std::string& strError)
{
    if (!CheckLayout(layout, strError))
        return false;
    return WriteFileWith(
        strPath,
        [&](std::FILE* pFile, std::string& strWhy) {
            PngWriteStruct png;
            if (!png.IsValid()) {
                strWhy = "out of memory";
                return false;
            }
            png_init_io(png.Png(), pFile);
            return WriteRows(png, layout, fillRow, metadata, strWhy);
        },
        strError);
}

bool EncodePng(const pfPngImage& image, std::vector<uint8_t>& bytes, std::string& strError)
{
    return CheckImage(image, strError) && EncodePngRows(image.Layout(), RowsOf(image), bytes, strError);
}

bool WritePng(const std::string& strPath, const pfPngImage& image, std::string& strError)
{
    return CheckImage(image, strError) && WritePngRows(strPath, image.Layout(), RowsOf(image), strError);
}
