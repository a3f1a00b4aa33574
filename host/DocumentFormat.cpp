#include "DocumentFormat.h"

#include "framework/HostInterface.h"

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

pfDocument DocumentFromPng(const pfPngImage& png, const pfDocumentFormat& format)
{
    pfDocument document(png.nWidth, png.nHeight, format.TotalPlanes(), format.nDepth);
    const int nColorChannels = png.ColorChannels();
    for (int nPlane = 0; nPlane < format.nColorPlanes; ++nPlane) {
        const int nChannel = nPlane % nColorChannels;
        for (int y = 0; y < png.nHeight; ++y)
            for (int x = 0; x < png.nWidth; ++x)
                document.Set(nPlane, x, y, PngToHost(png.At(x, y, nChannel), png.nBitDepth, format.nDepth));
    }
    if (!format.bTransparency)
        return document;
    const int nAlphaPlane = format.nColorPlanes;
    if (!png.HasAlpha()) {
        document.Fill(nAlphaPlane, document.GetMaxValue());
        return document;
    }
    for (int y = 0; y < png.nHeight; ++y)
        for (int x = 0; x < png.nWidth; ++x)
            document.Set(nAlphaPlane, x, y, PngToHost(png.At(x, y, png.nChannels - 1), png.nBitDepth, format.nDepth));
    return document;
}

pfPngImage DocumentToPng(const pfDocument& document, const pfDocumentFormat& format, const pfPngImage& input)
{
    pfPngImage png;
    png.nWidth = document.GetWidth();
    png.nHeight = document.GetHeight();
    png.nBitDepth = input.nBitDepth;
    const int nColorChannels = format.nColorPlanes >= 3 ? 3 : 1;
    const bool bAlpha = format.bTransparency || input.HasAlpha();
    png.nChannels = nColorChannels + (bAlpha ? 1 : 0);
    png.samples.resize(std::size_t(png.nWidth) * png.nHeight * png.nChannels);
    for (int y = 0; y < png.nHeight; ++y) {
        for (int x = 0; x < png.nWidth; ++x) {
            for (int c = 0; c < nColorChannels; ++c)
                png.At(x, y, c) = HostToPng(document.Get(c, x, y), format.nDepth, png.nBitDepth);
            if (format.bTransparency)
                png.At(x, y, nColorChannels) =
                    HostToPng(document.Get(format.nColorPlanes, x, y), format.nDepth, png.nBitDepth);
            else if (bAlpha)
                png.At(x, y, nColorChannels) = input.At(x, y, input.nChannels - 1);
        }
    }
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
