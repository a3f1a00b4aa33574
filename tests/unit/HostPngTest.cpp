// The host's PNG files and its 16-bit sample conversion.
#include "host/Document.h"
#include "host/DocumentFormat.h"
#include "host/Png.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

pfPngImage MakeImage(int nWidth, int nHeight, int nChannels, int nBitDepth)
{
    pfPngImage image;
    image.nWidth = nWidth;
    image.nHeight = nHeight;
    image.nChannels = nChannels;
    image.nBitDepth = nBitDepth;
    image.samples.resize(std::size_t(nWidth) * nHeight * nChannels);
    uint32_t nSeed = 12345;
    for (uint16_t& nSample : image.samples) {
        nSeed = nSeed * 1103515245u + 12345u;
        nSample = uint16_t((nSeed >> 8) % (uint32_t(image.MaxValue()) + 1));
    }
    return image;
}

} // namespace

TEST(HostPng, EveryLayoutAndDepthSurvivesEncodingAndDecoding)
{
    for (const int nBitDepth : {8, 16}) {
        for (int nChannels = 1; nChannels <= 4; ++nChannels) {
            const pfPngImage original = MakeImage(7, 5, nChannels, nBitDepth);
            std::vector<uint8_t> bytes;
            std::string strError;
            ASSERT_TRUE(EncodePng(original, bytes, strError)) << strError;
            pfPngImage decoded;
            ASSERT_TRUE(DecodePng(bytes, decoded, strError)) << strError;
            EXPECT_EQ(decoded.nWidth, 7);
            EXPECT_EQ(decoded.nHeight, 5);
            EXPECT_EQ(decoded.nChannels, nChannels);
            EXPECT_EQ(decoded.nBitDepth, nBitDepth);
            EXPECT_EQ(decoded.samples, original.samples) << nChannels << " channels, " << nBitDepth << " bits";
        }
    }
}

TEST(HostPng, DamagedBytesAreRefusedWithAReason)
{
    std::vector<uint8_t> bytes;
    std::string strError;
    ASSERT_TRUE(EncodePng(MakeImage(4, 4, 3, 8), bytes, strError));
    bytes.resize(bytes.size() / 2);
    pfPngImage image;
    EXPECT_FALSE(DecodePng(bytes, image, strError));
    EXPECT_FALSE(strError.empty());
    strError.clear();
    EXPECT_FALSE(DecodePng({}, image, strError));
    EXPECT_FALSE(strError.empty());
}

TEST(HostPng, SixteenBitSamplesConvertToTheNearestValueBothWays)
{
    for (uint32_t nPng = 0; nPng <= 65535; ++nPng) {
        const long double fExact = nPng * 32768.0L / 65535.0L;
        ASSERT_EQ(PngToHost16(uint16_t(nPng)), uint16_t(std::floor(fExact + 0.5L))) << nPng;
    }
    for (uint32_t nHost = 0; nHost <= 32768; ++nHost) {
        const long double fExact = nHost * 65535.0L / 32768.0L;
        ASSERT_EQ(HostToPng16(uint16_t(nHost)), uint16_t(std::floor(fExact + 0.5L))) << nHost;
    }
    EXPECT_EQ(HostToPng16(16384), 32768); // 32767.5: halves go up
    EXPECT_EQ(PngToHost16(65535), 32768);
    EXPECT_EQ(HostToPng16(32768), 65535);
}

TEST(HostPng, EveryHostValueSurvivesTheTripThroughPng)
{
    for (uint32_t nHost = 0; nHost <= 32768; ++nHost)
        ASSERT_EQ(PngToHost16(HostToPng16(uint16_t(nHost))), nHost);
}

TEST(HostDocumentFormat, ModesFollowThePngDepthExceptIndexed)
{
    pfDocumentOptions options;
    options.mode = pfHostMode::Grey;
    EXPECT_EQ(DescribeDocument(options, 8).nImageMode, 1);
    EXPECT_EQ(DescribeDocument(options, 16).nImageMode, 10);
    options.mode = pfHostMode::RGB;
    EXPECT_EQ(DescribeDocument(options, 16).nImageMode, 11);
    options.mode = pfHostMode::Multichannel;
    options.nMultichannelPlanes = 5;
    EXPECT_EQ(DescribeDocument(options, 8).nImageMode, 7);
    EXPECT_EQ(DescribeDocument(options, 16).nImageMode, 14);
    EXPECT_EQ(DescribeDocument(options, 16).nColorPlanes, 5);
    options.mode = pfHostMode::Indexed;
    EXPECT_EQ(DescribeDocument(options, 16).nImageMode, 2);
    EXPECT_EQ(DescribeDocument(options, 16).nDepth, 8);
    options.mode = pfHostMode::CMYK;
    options.bLayer = true;
    EXPECT_EQ(DescribeDocument(options, 8).nImageMode, 4);
    EXPECT_EQ(DescribeDocument(options, 8).TotalPlanes(), 5);
}

TEST(HostDocumentFormat, PlanesTakeThePngChannelsCyclicallyAndTransparencyFromAlpha)
{
    const pfPngImage png = MakeImage(3, 2, 2, 8); // grey + alpha
    pfDocumentOptions options;
    options.mode = pfHostMode::Multichannel;
    options.nMultichannelPlanes = 3;
    options.bLayer = true;
    const pfDocumentFormat format = DescribeDocument(options, 8);
    const pfDocument document = DocumentFromPng(png, format);
    ASSERT_EQ(document.GetPlanes(), 4);
    for (int nPlane = 0; nPlane < 3; ++nPlane)
        EXPECT_EQ(document.Get(nPlane, 2, 1), png.At(2, 1, 0));
    EXPECT_EQ(document.Get(3, 2, 1), png.At(2, 1, 1));

    options.mode = pfHostMode::RGB; // an opaque layer when the PNG has no alpha
    const pfDocument opaque = DocumentFromPng(MakeImage(3, 2, 3, 16), DescribeDocument(options, 16));
    EXPECT_EQ(opaque.Get(3, 0, 0), 32768);
}

TEST(HostDocumentFormat, SixteenBitDocumentsComeBackFromTheirPngUnchanged)
{
    const pfPngImage input = MakeImage(9, 4, 4, 16);
    pfDocumentOptions options;
    options.bLayer = true;
    const pfDocumentFormat format = DescribeDocument(options, 16);
    const pfDocument document = DocumentFromPng(input, format);
    const pfPngImage output = DocumentToPng(document, format, input);
    EXPECT_EQ(output.nChannels, 4);
    EXPECT_EQ(output.nBitDepth, 16);
    EXPECT_EQ(DocumentFromPng(output, format), document);
}

TEST(HostDocumentFormat, AFlatDocumentKeepsTheInputAlphaAndGreyDocumentsWriteGrey)
{
    const pfPngImage input = MakeImage(4, 3, 4, 8);
    pfDocumentOptions options;
    options.mode = pfHostMode::Grey;
    const pfDocumentFormat format = DescribeDocument(options, 8);
    const pfPngImage output = DocumentToPng(DocumentFromPng(input, format), format, input);
    ASSERT_EQ(output.nChannels, 2);
    EXPECT_EQ(output.At(3, 2, 0), input.At(3, 2, 0));
    EXPECT_EQ(output.At(3, 2, 1), input.At(3, 2, 3));
}
