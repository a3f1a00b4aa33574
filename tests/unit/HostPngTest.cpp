// The host's PNG files and its 16-bit sample conversion.
#include "host/document/Document.h"
#include "host/document/DocumentFormat.h"
#include "host/imagefiles/Png.h"

#include <gtest/gtest.h>
#include <zlib.h>

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

void PutU32(std::vector<uint8_t>& bytes, uint32_t nValue)
{
    for (int nShift = 24; nShift >= 0; nShift -= 8)
        bytes.push_back(uint8_t(nValue >> nShift));
}

// PNG files put together chunk by chunk, for layouts our encoder never writes.
class PngFile {
public:
    PngFile() : m_Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'} {}

    PngFile& Header(uint32_t nWidth, uint32_t nHeight, uint8_t nDepth, uint8_t nColorType, uint8_t nInterlace = 0)
    {
        std::vector<uint8_t> data;
        PutU32(data, nWidth);
        PutU32(data, nHeight);
        data.insert(data.end(), {nDepth, nColorType, 0, 0, nInterlace});
        return Chunk("IHDR", data);
    }

    // Scanlines (filter bytes included) compressed at the given zlib level;
    // level 0 stores them as they are.
    PngFile& Data(const std::vector<uint8_t>& scanlines, int nLevel = 6)
    {
        uLongf nSize = compressBound(uLong(scanlines.size()));
        std::vector<uint8_t> compressed(nSize);
        compress2(compressed.data(), &nSize, scanlines.data(), uLong(scanlines.size()), nLevel);
        compressed.resize(nSize);
        return Chunk("IDAT", compressed);
    }

    PngFile& Chunk(const char (&type)[5], const std::vector<uint8_t>& data)
    {
        PutU32(m_Bytes, uint32_t(data.size()));
        const std::size_t nStart = m_Bytes.size();
        m_Bytes.insert(m_Bytes.end(), type, type + 4);
        m_Bytes.insert(m_Bytes.end(), data.begin(), data.end());
        PutU32(m_Bytes, uint32_t(crc32(0, m_Bytes.data() + nStart, uInt(m_Bytes.size() - nStart))));
        return *this;
    }

    std::vector<uint8_t> End() { return Chunk("IEND", {}).m_Bytes; }

private:
    std::vector<uint8_t> m_Bytes;
};

pfPngImage Decoded(const std::vector<uint8_t>& bytes)
{
    pfPngImage image;
    std::string strError;
    EXPECT_TRUE(DecodePng(bytes, image, strError)) << strError;
    return image;
}

std::string RefusalOf(const std::vector<uint8_t>& bytes)
{
    pfPngImage image;
    std::string strError;
    EXPECT_FALSE(DecodePng(bytes, image, strError));
    return strError;
}

// Adam7: each pass's rows (filter byte 0) of an 8-bit grey image whose pixel
// at (x, y) is value(x, y).
template <typename Value> std::vector<uint8_t> Adam7Scanlines(int nWidth, int nHeight, Value value)
{
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                              {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<uint8_t> scanlines;
    for (const auto& pass : passes) {
        if (pass[0] >= nWidth)
            continue;
        for (int y = pass[1]; y < nHeight; y += pass[3]) {
            scanlines.push_back(0);
            for (int x = pass[0]; x < nWidth; x += pass[2])
                scanlines.push_back(value(x, y));
        }
    }
    return scanlines;
}

} // namespace

TEST(HostPng, ATransparentColourBecomesAnAlphaChannel)
{
    // A 1 x 1 grey file of value 128 whose transparent grey is 0.
    const pfPngImage grey = Decoded(PngFile().Header(1, 1, 8, 0).Chunk("tRNS", {0, 0}).Data({0, 128}).End());
    EXPECT_EQ(grey.nChannels, 2);
    EXPECT_EQ(grey.samples, (std::vector<uint16_t>{128, 255}));

    // Two RGB pixels, the second of the transparent colour 1, 2, 3.
    const pfPngImage rgb = Decoded(
        PngFile().Header(2, 1, 8, 2).Chunk("tRNS", {0, 1, 0, 2, 0, 3}).Data({0, 9, 9, 9, 1, 2, 3}).End());
    EXPECT_EQ(rgb.nChannels, 4);
    EXPECT_EQ(rgb.samples, (std::vector<uint16_t>{9, 9, 9, 255, 1, 2, 3, 0}));
}

TEST(HostPng, PaletteLowDepthAndInterlacedFilesAreRead)
{
    const pfPngImage palette =
        Decoded(PngFile().Header(2, 1, 8, 3).Chunk("PLTE", {10, 20, 30, 40, 50, 60}).Data({0, 1, 0}).End());
    EXPECT_EQ(palette.nChannels, 3);
    EXPECT_EQ(palette.samples, (std::vector<uint16_t>{40, 50, 60, 10, 20, 30}));

    const pfPngImage bits = Decoded(PngFile().Header(3, 1, 1, 0).Data({0, 0xA0}).End());
    EXPECT_EQ(bits.nBitDepth, 8);
    EXPECT_EQ(bits.samples, (std::vector<uint16_t>{255, 0, 255}));

    const auto value = [](int x, int y) { return uint8_t(x * 16 + y); };
    const pfPngImage interlaced = Decoded(PngFile().Header(11, 9, 8, 0, 1).Data(Adam7Scanlines(11, 9, value)).End());
    ASSERT_EQ(interlaced.samples.size(), 99u);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(interlaced.At(x, y, 0), value(x, y)) << x << "," << y;
}

TEST(HostPng, DamagedDataIsRefusedByItsChecksums)
{
    // Stored (uncompressed) data, so that a changed sample byte still
    // decodes and only the checksums tell: the chunk's CRC, and the zlib
    // stream's Adler-32 just before it.
    const std::vector<uint8_t> scanlines{0, 100, 200};
    const std::vector<uint8_t> sound = PngFile().Header(2, 1, 8, 0).Data(scanlines, 0).End();
    const std::size_t nData = 8 + 25 + 8; // signature, IHDR chunk, IDAT length and type
    const std::size_t nLength = 2 + 5 + scanlines.size() + 4; // zlib header, stored block, Adler-32
    const std::size_t nSample = nData + 2 + 5 + 1;
    ASSERT_EQ(sound[nSample], 100);
    const auto put32 = [](std::vector<uint8_t>& bytes, std::size_t nAt, uint32_t nValue) {
        for (int i = 0; i < 4; ++i)
            bytes[nAt + i] = uint8_t(nValue >> (24 - 8 * i));
    };

    std::vector<uint8_t> bytes = sound;
    bytes[nSample] = 101;
    const std::vector<uint8_t> changed{0, 101, 200};
    put32(bytes, nData + nLength - 4, uint32_t(adler32(1, changed.data(), uInt(changed.size()))));
    EXPECT_NE(RefusalOf(bytes).find("CRC error"), std::string::npos) << RefusalOf(bytes);

    bytes = sound;
    bytes[nSample] = 101;
    put32(bytes, nData + nLength, uint32_t(crc32(0, bytes.data() + nData - 4, uInt(nLength + 4))));
    EXPECT_NE(RefusalOf(bytes).find("incorrect data check"), std::string::npos) << RefusalOf(bytes);
}

TEST(HostPng, ASizeTheDataCannotHoldIsRefusedAsTooLarge)
{
    std::vector<uint8_t> bytes = PngFile().Header(32767, 32767, 8, 2).Data({0, 1, 2, 3}).End();
    EXPECT_LT(bytes.size(), 100u);
    EXPECT_NE(RefusalOf(bytes).find("too large"), std::string::npos);
    bytes = PngFile().Header(32768, 1, 8, 0).Data(std::vector<uint8_t>(32769)).End();
    EXPECT_FALSE(RefusalOf(bytes).empty()) << "wider than the host's 16-bit geometry";
}

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
    const pfPngImage output = DocumentToPng(document, format, 16, AlphaOfPng(input));
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
    const pfPngImage output = DocumentToPng(DocumentFromPng(input, format), format, 8, AlphaOfPng(input));
    ASSERT_EQ(output.nChannels, 2);
    EXPECT_EQ(output.At(3, 2, 0), input.At(3, 2, 0));
    EXPECT_EQ(output.At(3, 2, 1), input.At(3, 2, 3));
}
