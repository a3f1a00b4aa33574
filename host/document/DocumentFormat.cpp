#include "DocumentFormat.h"

#include "framework/hostinterface/HostInterface.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t PngToHost(uint16_t nValue, int nPngDepth, int nHostDepth)
{
    if (nPngDepth == 16)
        return nHostDepth == 16 ? PngToHost16(nValue) : uint16_t((uint32_t(nValue) * 255 + 32767) / 65535);
    return nHostDepth == 16 ? PngToHost16(uint16_t(nValue * 257)) : nValue;
}

uint16_t HostToPng(uint16_t nValue, int nHostDepth, int nPngDepth)
{
    if (nHostDepth == 16) {
        const uint16_t nWide = HostToPng16(nValue);
        return nPngDepth == 16 ? nWide : uint16_t((uint32_t(nWide) * 255 + 32767) / 65535);
    }
    const uint16_t nByte = nValue > 255 ? 255 : nValue;
    return nPngDepth == 16 ? uint16_t(nByte * 257) : nByte;
}

// The file's samples are the document's planes in the same order and
// depth (every photograph in RGB or grey), so whole rows convert in one
// plain loop.
bool IsOneToOne(const pfDocumentFormat& format, const pfPngLayout& png)
{
    const bool bPngAlpha = png.nChannels == 2 || png.nChannels == 4;
    return format.nDepth == png.nBitDepth && format.bTransparency == bPngAlpha &&
           (format.nColorPlanes == 1 || format.nColorPlanes == 3) &&
           png.nChannels == format.nColorPlanes + (bPngAlpha ? 1 : 0);
}

template <typename Convert> void StoreSamples(uint8_t* pTo, const uint16_t* pFrom, std::size_t nCount, int nDepth,
                                              Convert convert)
{
    if (nDepth != 16) {
        for (std::size_t i = 0; i < nCount; ++i)
            pTo[i] = uint8_t(pFrom[i]);
        return;
    }
    for (std::size_t i = 0; i < nCount; ++i) {
        const uint16_t nValue = convert(pFrom[i]);
        std::memcpy(pTo + 2 * i, &nValue, 2);
    }
}

template <typename Convert> void LoadSamples(uint16_t* pTo, const uint8_t* pFrom, std::size_t nCount, int nDepth,
                                             Convert convert)
{
    if (nDepth != 16) {
        std::copy(pFrom, pFrom + nCount, pTo);
        return;
    }
    for (std::size_t i = 0; i < nCount; ++i) {
        uint16_t nValue = 0;
        std::memcpy(&nValue, pFrom + 2 * i, 2);
        pTo[i] = convert(nValue);
    }
}

} // namespace

bool ParseHostMode(const std::string& strName, pfHostMode& mode)
{
    static const struct {
        const char* strName;
        pfHostMode mode;
    } names[] = {{"grey", pfHostMode::Grey},       {"gray", pfHostMode::Grey},
                 {"rgb", pfHostMode::RGB},         {"multichannel", pfHostMode::Multichannel},
                 {"cmyk", pfHostMode::CMYK},       {"lab", pfHostMode::Lab},
                 {"indexed", pfHostMode::Indexed}};
    for (const auto& entry : names) {
        if (strName == entry.strName) {
            mode = entry.mode;
            return true;
        }
    }
    return false;
}

pfDocumentFormat DescribeDocument(const pfDocumentOptions& options, int nPngDepth)
{
    const bool b16 = nPngDepth == 16;
    pfDocumentFormat format;
    format.nDepth = b16 ? 16 : 8;
    format.bTransparency = options.bLayer;
    switch (options.mode) {
    case pfHostMode::Grey:
        format.nImageMode = b16 ? plugInModeGray16 : plugInModeGrayScale;
        format.nColorPlanes = 1;
        break;
    case pfHostMode::RGB:
        format.nImageMode = b16 ? plugInModeRGB48 : plugInModeRGBColor;
        format.nColorPlanes = 3;
        break;
    case pfHostMode::Multichannel:
        format.nImageMode = b16 ? plugInModeDeepMultichannel : plugInModeMultichannel;
        format.nColorPlanes = options.nMultichannelPlanes;
        break;
    case pfHostMode::CMYK:
        format.nImageMode = b16 ? plugInModeCMYK64 : plugInModeCMYKColor;
        format.nColorPlanes = 4;
        break;
    case pfHostMode::Lab:
        format.nImageMode = b16 ? plugInModeLab48 : plugInModeLabColor;
        format.nColorPlanes = 3;
        break;
    case pfHostMode::Indexed:
        format.nImageMode = plugInModeIndexedColor;
        format.nColorPlanes = 1;
        format.nDepth = 8;
        break;
    }
    return format;
}

void StorePngRow(pfDocument& document, const pfDocumentFormat& format, const pfPngLayout& png, int y,
                 const uint16_t* pRow)
{
    if (IsOneToOne(format, png)) {
        StoreSamples(document.Row(y), pRow, png.RowSamples(), format.nDepth, PngToHost16);
        return;
    }
    const bool bPngAlpha = png.nChannels == 2 || png.nChannels == 4;
    const int nColorChannels = bPngAlpha ? png.nChannels - 1 : png.nChannels;
    for (int x = 0; x < png.nWidth; ++x, pRow += png.nChannels) {
        for (int nPlane = 0; nPlane < format.nColorPlanes; ++nPlane)
            document.Set(nPlane, x, y, PngToHost(pRow[nPlane % nColorChannels], png.nBitDepth, format.nDepth));
        if (format.bTransparency)
            document.Set(format.nColorPlanes, x, y,
                         bPngAlpha ? PngToHost(pRow[png.nChannels - 1], png.nBitDepth, format.nDepth)
                                   : document.GetMaxValue());
    }
}

pfDocument DocumentFromPng(const pfPngImage& png, const pfDocumentFormat& format)
{
    pfDocument document(png.nWidth, png.nHeight, format.TotalPlanes(), format.nDepth);
    for (int y = 0; y < png.nHeight; ++y)
        StorePngRow(document, format, png.Layout(), y, png.Row(y));
    return document;
}

pfPngImage AlphaOfPng(const pfPngImage& png)
{
    pfPngImage alpha;
    if (!png.HasAlpha())
        return alpha;
    alpha.nWidth = png.nWidth;
    alpha.nHeight = png.nHeight;
    alpha.nBitDepth = png.nBitDepth;
    alpha.nChannels = 1;
    alpha.samples.resize(std::size_t(png.nWidth) * png.nHeight);
    for (std::size_t i = 0; i < alpha.samples.size(); ++i)
        alpha.samples[i] = png.samples[i * png.nChannels + png.nChannels - 1];
    return alpha;
}

pfPngLayout OutputLayout(const pfDocument& document, const pfDocumentFormat& format, int nPngDepth,
                         const pfPngImage& inputAlpha)
{
    const int nColorChannels = format.nColorPlanes >= 3 ? 3 : 1;
    const bool bAlpha = format.bTransparency || inputAlpha.nChannels == 1;
    return {document.GetWidth(), document.GetHeight(), nColorChannels + (bAlpha ? 1 : 0), nPngDepth};
}

void LoadPngRow(const pfDocument& document, const pfDocumentFormat& format, const pfPngLayout& png,
                const pfPngImage& inputAlpha, int y, uint16_t* pRow)
{
    if (IsOneToOne(format, png)) {
        LoadSamples(pRow, document.Row(y), png.RowSamples(), format.nDepth, HostToPng16);
        return;
    }
    const int nColorChannels = format.nColorPlanes >= 3 ? 3 : 1;
    const bool bInputAlpha = !format.bTransparency && png.nChannels > nColorChannels;
    for (int x = 0; x < png.nWidth; ++x, pRow += png.nChannels) {
        for (int c = 0; c < nColorChannels; ++c)
            pRow[c] = HostToPng(document.Get(c, x, y), format.nDepth, png.nBitDepth);
        if (format.bTransparency)
            pRow[nColorChannels] = HostToPng(document.Get(format.nColorPlanes, x, y), format.nDepth, png.nBitDepth);
        else if (bInputAlpha)
            pRow[nColorChannels] = inputAlpha.At(x, y, 0);
    }
}

pfPngImage DocumentToPng(const pfDocument& document, const pfDocumentFormat& format, int nPngDepth,
                         const pfPngImage& inputAlpha)
{
    const pfPngLayout layout = OutputLayout(document, format, nPngDepth, inputAlpha);
    pfPngImage png{layout.nWidth, layout.nHeight, layout.nChannels, layout.nBitDepth, {}};
    png.samples.resize(layout.RowSamples() * std::size_t(layout.nHeight));
    for (int y = 0; y < png.nHeight; ++y)
        LoadPngRow(document, format, layout, inputAlpha, y, png.Row(y));
    return png;
}

pfPngImage PlaneToPng(const pfDocument& document, int nPlane, int nPngDepth)
{
    pfPngImage png;
    png.nWidth = document.GetWidth();
    png.nHeight = document.GetHeight();
    png.nBitDepth = nPngDepth;
    png.nChannels = 1;
    png.samples.resize(std::size_t(png.nWidth) * png.nHeight);
    for (int y = 0; y < png.nHeight; ++y)
        for (int x = 0; x < png.nWidth; ++x)
            png.At(x, y, 0) = HostToPng(document.Get(nPlane, x, y), document.GetDepth(), nPngDepth);
    return png;
}

bool MaskFromPng(const pfPngImage& png, int nWidth, int nHeight, int nDepth, pfDocument& mask,
                 std::string& strError)
{
    if (png.nWidth != nWidth || png.nHeight != nHeight) {
        strError = "the selection mask must have the image's size (" + std::to_string(nWidth) + " x " +
                   std::to_string(nHeight) + ")";
        return false;
    }
    mask = pfDocument(nWidth, nHeight, 1, nDepth);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            mask.Set(0, x, y, PngToHost(png.At(x, y, 0), png.nBitDepth, nDepth));
    return true;
}
