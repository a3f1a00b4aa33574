// The preview's picture from the host's output tile: every mode and depth
// the filter renders, transparency over the checkerboard, and records the
// preview must not trust.
#include "framework/dialog/PreviewPixels.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// A record whose output is nWidth x nHeight pixels of nPlanes samples.
struct Tile {
    FilterRecord record = ZeroRecord();
    std::vector<uint8_t> data;

    Tile(int16_t nMode, int nDepth, int nPlanes, int nWidth, int nHeight)
    {
        record.imageMode = nMode;
        record.depth = nDepth;
        record.planes = int16_t(nPlanes);
        record.outRect = Rect{0, 0, int16_t(nHeight), int16_t(nWidth)};
        record.imageSize = Point{int16_t(nHeight), int16_t(nWidth)};
        record.outRowBytes = nWidth * nPlanes * (nDepth == 16 ? 2 : 1);
        data.assign(std::size_t(record.outRowBytes) * nHeight, 0);
        record.outData = data.data();
    }
    void Set16(int nIndex, uint16_t nValue) { std::memcpy(&data[2 * nIndex], &nValue, 2); }
};

// Blue, green, red of the picture's pixel (x, y), y counted from the top.
std::array<int, 3> Pixel(const pfPreviewBitmap& bitmap, int x, int y)
{
    const std::size_t nPixel = std::size_t(bitmap.nHeight - 1 - y) * bitmap.nStride + x;
    const uint8_t* p = bitmap.bits.Data() + nPixel * kPreviewPixelBytes;
    return {p[0], p[1], p[2]};
}

pfPreviewBitmap Convert(const Tile& tile, int nWidth, int nHeight)
{
    pfPreviewBitmap bitmap;
    EXPECT_TRUE(AllocatePreviewBitmap(bitmap, nWidth, nHeight));
    EXPECT_EQ(ConvertOutputToPreview(tile.record, bitmap), pfPreviewConversion::Done);
    return bitmap;
}

} // namespace

TEST(PreviewPixels, AWindowConvertsOnlyThePixelsThePreviewRendered)
{
    Tile rgb(plugInModeRGBColor, 8, 3, 4, 3);
    for (std::size_t i = 0; i < rgb.data.size(); ++i)
        rgb.data[i] = uint8_t(i + 1);
    pfPreviewBitmap bitmap;
    ASSERT_TRUE(AllocatePreviewBitmap(bitmap, 4, 3));
    // Columns 1..2 of rows 1..2.
    EXPECT_EQ(ConvertOutputToPreview(rgb.record, bitmap, Rect{1, 1, 3, 3}), pfPreviewConversion::Done);
    EXPECT_EQ(Pixel(bitmap, 1, 1), (std::array<int, 3>{18, 17, 16}));
    EXPECT_EQ(Pixel(bitmap, 2, 2), (std::array<int, 3>{33, 32, 31}));
    EXPECT_EQ(Pixel(bitmap, 0, 1), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Pixel(bitmap, 3, 2), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Pixel(bitmap, 1, 0), (std::array<int, 3>{0, 0, 0}));
}

TEST(PreviewPixels, APictureAllocatedAgainStartsBlackInTheMemoryItHeldOrInMore)
{
    Tile rgb(plugInModeRGBColor, 8, 3, 4, 3);
    rgb.data.assign(rgb.data.size(), 200);
    pfPreviewBitmap bitmap = Convert(rgb, 4, 3);
    const uint8_t* pHeld = bitmap.bits.Data();
    const auto isBlack = [](const pfPreviewBitmap& b) {
        return std::all_of(b.bits.Data(), b.bits.Data() + b.bits.Size(), [](uint8_t n) { return n == 0; });
    };
    ASSERT_TRUE(AllocatePreviewBitmap(bitmap, 2, 2));
    EXPECT_EQ(bitmap.bits.Data(), pHeld);
    EXPECT_TRUE(isBlack(bitmap));
    EXPECT_EQ(ConvertOutputToPreview(rgb.record, bitmap), pfPreviewConversion::Done);
    ASSERT_TRUE(AllocatePreviewBitmap(bitmap, 640, 480));
    EXPECT_TRUE(isBlack(bitmap));
}

TEST(PreviewPixels, GreyRgbAndTwoChannelImagesShowUpright)
{
    Tile grey(plugInModeGrayScale, 8, 1, 2, 2);
    grey.data = {10, 20, 30, 40};
    const pfPreviewBitmap greyBits = Convert(grey, 2, 2);
    EXPECT_EQ(greyBits.nStride, 32);
    EXPECT_EQ(Pixel(greyBits, 1, 0), (std::array<int, 3>{20, 20, 20}));
    EXPECT_EQ(Pixel(greyBits, 0, 1), (std::array<int, 3>{30, 30, 30}));

    Tile rgb(plugInModeRGB48, 16, 3, 1, 1);
    rgb.Set16(0, 32768);
    rgb.Set16(1, 129 * 100);
    rgb.Set16(2, 128);
    EXPECT_EQ(Pixel(Convert(rgb, 1, 1), 0, 0), (std::array<int, 3>{0, 100, 254})) << "16-bit samples / 129";

    // A fourth plane that is not shown: pixels are four samples apart.
    Tile rgbx(plugInModeRGBColor, 8, 4, 2, 1);
    rgbx.data = {1, 2, 3, 4, 5, 6, 7, 8};
    const pfPreviewBitmap rgbxBits = Convert(rgbx, 2, 1);
    EXPECT_EQ(Pixel(rgbxBits, 0, 0), (std::array<int, 3>{3, 2, 1}));
    EXPECT_EQ(Pixel(rgbxBits, 1, 0), (std::array<int, 3>{7, 6, 5}));

    Tile two(plugInModeMultichannel, 8, 2, 1, 1);
    two.data = {70, 90};
    EXPECT_EQ(Pixel(Convert(two, 1, 1), 0, 0), (std::array<int, 3>{90, 70, 0})) << "green and blue";
}

TEST(PreviewPixels, TransparentPixelsShowTheCheckerboardOfTheWholeImage)
{
    // Grey with a transparency plane, rendered at half size of a 64 x 2 image:
    // a square is 16 image pixels, so 8 rendered ones.
    Tile layer(plugInModeGrayScale, 8, 2, 32, 1);
    layer.record.inLayerPlanes = 1;
    layer.record.inTransparencyMask = 1;
    layer.record.imageSize = Point{2, 64};
    layer.data[0] = 200;
    layer.data[1] = 0; // transparent: the square's colour
    layer.data[16] = 100;
    layer.data[17] = 255; // opaque
    layer.data[18] = 0;
    layer.data[19] = 51; // a fifth: 0.2 * 0 + 0.8 * 255
    const pfPreviewBitmap bitmap = Convert(layer, 32, 1);
    EXPECT_EQ(Pixel(bitmap, 0, 0), (std::array<int, 3>{208, 208, 208}));
    EXPECT_EQ(Pixel(bitmap, 8, 0), (std::array<int, 3>{100, 100, 100}));
    EXPECT_EQ(Pixel(bitmap, 9, 0), (std::array<int, 3>{204, 204, 204})) << "over a white square";
}

TEST(PreviewPixels, OtherModesAndUnusableRecordsLeaveThePictureAlone)
{
    Tile cmyk(plugInModeCMYKColor, 8, 4, 1, 1);
    pfPreviewBitmap bitmap;
    ASSERT_TRUE(AllocatePreviewBitmap(bitmap, 1, 1));
    bitmap.bits[0] = 77;
    EXPECT_EQ(ConvertOutputToPreview(cmyk.record, bitmap), pfPreviewConversion::InvalidMode);

    Tile shortRows(plugInModeRGBColor, 8, 3, 4, 2);
    shortRows.data.assign(shortRows.data.size(), 9);
    shortRows.record.outRowBytes = 5;
    EXPECT_EQ(ConvertOutputToPreview(shortRows.record, bitmap), pfPreviewConversion::Done);
    shortRows.record.outRowBytes = 12;
    shortRows.record.outData = nullptr;
    EXPECT_EQ(ConvertOutputToPreview(shortRows.record, bitmap), pfPreviewConversion::Done);
    EXPECT_EQ(bitmap.bits[0], 77);
}
