// The host's JPEG and TIFF files, and what travels with the pixels from one
// format to another.
#include "host/imagefiles/FileAccess.h"
#include "host/imagefiles/ImageFiles.h"
#include "host/imagefiles/JpegLib.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

class HostImageFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string strTest = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_Folder = fs::temp_directory_path() / ("corvane-imagefiles-" + strTest);
        fs::create_directories(m_Folder);
    }
    void TearDown() override { fs::remove_all(m_Folder); }
    std::string Path(const std::string& strName) const { return (m_Folder / strName).string(); }

    fs::path m_Folder;
};

struct Image {
    pfPngLayout layout;
    std::vector<uint16_t> samples;
};

Image Gradient(int nChannels, int nBitDepth)
{
    Image image{{24, 16, nChannels, nBitDepth}, {}};
    const int nMax = nBitDepth == 16 ? 65535 : 255;
    for (int y = 0; y < image.layout.nHeight; ++y)
        for (int x = 0; x < image.layout.nWidth; ++x)
            for (int c = 0; c < nChannels; ++c)
                image.samples.push_back(uint16_t((x * 10 + y * 7 + c * 50) * nMax / 500));
    return image;
}

pfPngRowSource RowsOf(const Image& image)
{
    const std::size_t nRow = image.layout.RowSamples();
    return [&image, nRow](int y, uint16_t* pRow) {
        std::copy_n(image.samples.begin() + std::ptrdiff_t(y * nRow), nRow, pRow);
    };
}

bool Write(const std::string& strPath, const Image& image, const pfImageMetadata& metadata, std::string& strError)
{
    return WriteImageRows(strPath, image.layout, RowsOf(image), metadata, pfWriteOptions(), strError);
}

bool Read(const std::string& strPath, Image& image, pfImageMetadata& metadata, std::string& strError)
{
    image = Image();
    return ReadImageRows(
        strPath,
        [&](const pfPngLayout& layout, std::string&) {
            image.layout = layout;
            return true;
        },
        [&](int, const uint16_t* pRow) {
            image.samples.insert(image.samples.end(), pRow, pRow + image.layout.RowSamples());
        },
        metadata, strError);
}

void PutBigEndian(std::vector<uint8_t>& bytes, std::size_t nAt, uint32_t nValue)
{
    for (int i = 0; i < 4; ++i)
        bytes[nAt + i] = uint8_t(nValue >> (24 - 8 * i));
}

// A profile's header, no tags, and data that does not compress away (libpng
// refuses profiles that compress to fewer than about 90 bytes).
std::vector<uint8_t> RgbProfile()
{
    std::vector<uint8_t> icc(512, 0);
    for (std::size_t i = 132; i < icc.size(); ++i)
        icc[i] = uint8_t(i * i * 37 % 251);
    PutBigEndian(icc, 0, uint32_t(icc.size()));
    PutBigEndian(icc, 128, 0); // the tag count
    PutBigEndian(icc, 8, 0x02100000);
    std::copy_n("mntrRGB XYZ ", 12, icc.begin() + 12);
    std::copy_n("acsp", 4, icc.begin() + 36);
    PutBigEndian(icc, 68, 0x0000F6D6); // the D50 illuminant
    PutBigEndian(icc, 72, 0x00010000);
    PutBigEndian(icc, 76, 0x0000D32D);
    return icc;
}

// EXIF data saying the camera was turned: orientation 6 and nothing else.
std::vector<uint8_t> TurnedCameraExif()
{
    return {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
}

void AppendLittle(std::vector<uint8_t>& bytes, uint32_t nValue, int nBytes)
{
    for (int i = 0; i < nBytes; ++i)
        bytes.push_back(uint8_t(nValue >> (8 * i)));
}

void AppendEntry(std::vector<uint8_t>& bytes, uint16_t nTag, uint16_t nType, uint32_t nCount, uint32_t nValue)
{
    AppendLittle(bytes, nTag, 2);
    AppendLittle(bytes, nType, 2);
    AppendLittle(bytes, nCount, 4);
    AppendLittle(bytes, nValue, 4);
}

// A camera's: its make, orientation 6, and an EXIF directory with an
// exposure of 1/250 s at ISO 100.
std::vector<uint8_t> CameraExif()
{
    std::vector<uint8_t> exif = {'I', 'I', 42, 0, 8, 0, 0, 0, 3, 0};
    AppendEntry(exif, 271, 2, 8, 50);
    AppendEntry(exif, 274, 3, 1, 6);
    AppendEntry(exif, 34665, 4, 1, 58);
    AppendLittle(exif, 0, 4);
    exif.insert(exif.end(), {'C', 'o', 'r', 'v', 'a', 'n', 'e', 0});
    AppendLittle(exif, 2, 2);
    AppendEntry(exif, EXIFTAG_EXPOSURETIME, 5, 1, 88);
    AppendEntry(exif, EXIFTAG_ISOSPEEDRATINGS, 3, 1, 100);
    AppendLittle(exif, 0, 4);
    AppendLittle(exif, 1, 4);
    AppendLittle(exif, 250, 4);
    return exif;
}

pfImageMetadata PhotoMetadata()
{
    pfImageMetadata metadata;
    metadata.icc = RgbProfile();
    metadata.exif = TurnedCameraExif();
    const std::string strXmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>";
    metadata.xmp.assign(strXmp.begin(), strXmp.end());
    return metadata;
}

std::vector<uint8_t> FileBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::vector<uint8_t> FirstHalf(const std::vector<uint8_t>& bytes)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(bytes.size() / 2));
}

void WriteBytes(const std::string& strPath, const std::vector<uint8_t>& bytes)
{
    std::ofstream(strPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// EXIF data with an EXIF directory is kept by TIFF as a directory of the
// file's own, without one in the image resources: both come back as they were.
TEST_F(HostImageFiles, ProfileExifAndXmpTravelBetweenEveryPairOfFormats)
{
    pfImageMetadata original = PhotoMetadata();
    for (const char* pFrom : {"png", "jpg", "tif"}) {
        for (const char* pTo : {"png", "jpg", "tif"}) {
            for (const std::vector<uint8_t>& exif : {TurnedCameraExif(), CameraExif()}) {
                SCOPED_TRACE(std::string(pFrom) + " -> " + pTo + ", " + std::to_string(exif.size()) + " bytes EXIF");
                original.exif = exif;
                const std::string strFrom = Path(std::string("in.") + pFrom), strTo = Path(std::string("out.") + pTo);
                std::string strError;
                ASSERT_TRUE(Write(strFrom, Gradient(3, 8), original, strError)) << strError;
                Image image;
                pfImageMetadata carried;
                ASSERT_TRUE(Read(strFrom, image, carried, strError)) << strError;
                ASSERT_TRUE(Write(strTo, image, carried, strError)) << strError;
                pfImageMetadata arrived;
                ASSERT_TRUE(Read(strTo, image, arrived, strError)) << strError;
                EXPECT_EQ(arrived.icc, original.icc);
                EXPECT_EQ(arrived.exif, original.exif);
                EXPECT_EQ(arrived.xmp, original.xmp);
                EXPECT_EQ(image.layout.nWidth, 24); // the turned camera leaves the pixels unturned
            }
        }
    }
}

TEST_F(HostImageFiles, TiffKeepsEveryLayoutAndItsOrientationTagExactly)
{
    for (const int nChannels : {1, 2, 3, 4}) {
        for (const int nDepth : {8, 16}) {
            const Image written = Gradient(nChannels, nDepth);
            pfImageMetadata metadata;
            metadata.nOrientation = 8;
            std::string strError;
            ASSERT_TRUE(Write(Path("x.tiff"), written, metadata, strError)) << strError;
            Image read;
            pfImageMetadata readMetadata;
            ASSERT_TRUE(Read(Path("x.tiff"), read, readMetadata, strError)) << strError;
            EXPECT_EQ(read.layout.nChannels, nChannels);
            EXPECT_EQ(read.layout.nBitDepth, nDepth);
            EXPECT_EQ(read.samples, written.samples);
            EXPECT_EQ(readMetadata.nOrientation, 8);
        }
    }
}

float ExposureIn(TIFF* pTiff)
{
    toff_t nOffset = 0;
    float fExposure = 0; // libtiff keeps EXIF rationals as floats
    if (TIFFGetField(pTiff, TIFFTAG_EXIFIFD, &nOffset) == 1 && TIFFReadEXIFDirectory(pTiff, nOffset) == 1)
        TIFFGetField(pTiff, EXIFTAG_EXPOSURETIME, &fExposure);
    return fExposure;
}

float ExposureInFile(const std::string& strPath)
{
    TIFF* pTiff = TIFFOpen(strPath.c_str(), "r");
    const float fExposure = pTiff ? ExposureIn(pTiff) : 0;
    if (pTiff)
        TIFFClose(pTiff);
    return fExposure;
}

// One by libtiff, its EXIF directory after the image as most writers put it.
void WriteTiffWithExif(const std::string& strPath, double fExposure)
{
    TIFF* pTiff = TIFFOpen(strPath.c_str(), "w");
    const uint8_t row[4] = {};
    TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, 4u);
    TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, 1u);
    TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(pTiff, TIFFTAG_EXIFIFD, uint64_t(0));
    TIFFWriteScanline(pTiff, const_cast<uint8_t*>(row), 0, 0);
    TIFFWriteDirectory(pTiff);
    uint64_t nExif = 0;
    TIFFCreateEXIFDirectory(pTiff);
    TIFFSetField(pTiff, EXIFTAG_EXPOSURETIME, fExposure);
    TIFFWriteCustomDirectory(pTiff, &nExif);
    TIFFSetDirectory(pTiff, 0);
    TIFFSetField(pTiff, TIFFTAG_EXIFIFD, nExif);
    TIFFRewriteDirectory(pTiff);
    TIFFClose(pTiff);
}

// Readers of photographs find the camera's exposure where TIFF keeps it,
// in our files and we in theirs; the camera's orientation becomes the
// file's own.
TEST_F(HostImageFiles, TiffKeepsExifInARealExifDirectory)
{
    pfImageMetadata camera;
    camera.exif = CameraExif();
    std::string strError;
    ASSERT_TRUE(Write(Path("ours.tif"), Gradient(3, 8), camera, strError)) << strError;
    EXPECT_FLOAT_EQ(ExposureInFile(Path("ours.tif")), 1.0f / 250);
    Image image;
    pfImageMetadata read;
    ASSERT_TRUE(Read(Path("ours.tif"), image, read, strError)) << strError;
    EXPECT_EQ(read.nOrientation, 6);

    WriteTiffWithExif(Path("theirs.tif"), 1.0 / 60);
    ASSERT_TRUE(Read(Path("theirs.tif"), image, read, strError)) << strError;
    ASSERT_FALSE(read.exif.empty());
    ASSERT_TRUE(Write(Path("again.tif"), image, read, strError)) << strError;
    EXPECT_FLOAT_EQ(ExposureInFile(Path("again.tif")), 1.0f / 60);
}

// A grey output of a colour photograph leaves its colour profile out, so
// that the output reads back.
TEST_F(HostImageFiles, JpegKeepsGreyAndColourCloseAndRefusesTransparency)
{
    for (const int nChannels : {1, 3}) {
        const Image written = Gradient(nChannels, 8);
        std::string strError;
        ASSERT_TRUE(Write(Path("x.JPEG"), written, PhotoMetadata(), strError)) << strError;
        Image read;
        pfImageMetadata metadata;
        ASSERT_TRUE(Read(Path("x.JPEG"), read, metadata, strError)) << strError;
        ASSERT_EQ(read.layout.nChannels, nChannels);
        EXPECT_EQ(metadata.icc.empty(), nChannels == 1);
        for (std::size_t i = 0; i < read.samples.size(); ++i)
            ASSERT_NEAR(read.samples[i], written.samples[i], 8) << i;
    }
    std::string strError;
    EXPECT_FALSE(Write(Path("alpha.jpg"), Gradient(4, 8), {}, strError));
    EXPECT_NE(strError.find("no transparency"), std::string::npos) << strError;
    EXPECT_FALSE(fs::exists(Path("alpha.jpg")));
}

// Each kind of damaged or unusual file, and a fragment of its reason.
void ExpectRefused(const std::string& strPath, const std::string& strFragment)
{
    Image image;
    pfImageMetadata metadata;
    std::string strError;
    EXPECT_FALSE(Read(strPath, image, metadata, strError)) << strPath;
    EXPECT_EQ(strError.rfind(strPath, 0), 0u) << strError;
    EXPECT_NE(strError.find(strFragment), std::string::npos) << strError;
}

std::vector<uint8_t> CmykJpeg()
{
    pfJpegErrors errors;
    jpeg_compress_struct info{};
    info.err = InstallJpegErrors(errors);
    jpeg_create_compress(&info);
    unsigned char* pBuffer = nullptr;
    unsigned long nSize = 0;
    jpeg_mem_dest(&info, &pBuffer, &nSize);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(32, 100);
    for (JSAMPROW pRow = row.data(); info.next_scanline < info.image_height;)
        jpeg_write_scanlines(&info, &pRow, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(pBuffer, pBuffer + nSize);
    std::free(pBuffer);
    return bytes;
}

TEST_F(HostImageFiles, DamagedAndUnsupportedJpegsAreRefusedWithAReason)
{
    std::string strError;
    ASSERT_TRUE(Write(Path("good.jpg"), Gradient(3, 8), {}, strError));
    const std::vector<uint8_t> good = FileBytes(Path("good.jpg"));
    WriteBytes(Path("truncated.jpg"), FirstHalf(good));
    ExpectRefused(Path("truncated.jpg"), "Premature end of JPEG file");
    std::size_t nFrame = 0; // the frame header: precision, height, width
    while (!(good[nFrame] == 0xFF && (good[nFrame + 1] == 0xC0 || good[nFrame + 1] == 0xC1)))
        ++nFrame;
    std::vector<uint8_t> twelveBit = good, huge = good;
    twelveBit[nFrame + 4] = 12;
    WriteBytes(Path("12bit.jpg"), twelveBit);
    ExpectRefused(Path("12bit.jpg"), "precision 12");
    for (const std::size_t nAt : {nFrame + 5, nFrame + 7}) {
        huge[nAt] = 0x75;
        huge[nAt + 1] = 0x30; // 30000
    }
    WriteBytes(Path("huge.jpg"), huge);
    ExpectRefused(Path("huge.jpg"), "too large for the");
    WriteBytes(Path("cmyk.jpg"), CmykJpeg());
    ExpectRefused(Path("cmyk.jpg"), "CMYK JPEGs are not read");
    pfImageMetadata lab;
    lab.icc = RgbProfile();
    std::copy_n("Lab ", 4, lab.icc.begin() + 16);
    const Image labImage = Gradient(3, 8); // written as it is: the host itself would leave the profile out
    ASSERT_TRUE(WriteJpegRows(Path("lab.jpg"), labImage.layout, RowsOf(labImage), lab, 92, strError)) << strError;
    ExpectRefused(Path("lab.jpg"), "describes Lab  data");
    WriteBytes(Path("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
    ExpectRefused(Path("text.jpg"), "not a PNG, JPEG or TIFF file");
}

// Offset of the value of a tag in a little-endian TIFF's first directory.
std::size_t TagValueAt(const std::vector<uint8_t>& tiff, uint16_t nTag)
{
    const std::size_t nDirectory = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | std::size_t(tiff[7]) << 24;
    const std::size_t nEntries = tiff[nDirectory] | tiff[nDirectory + 1] << 8;
    for (std::size_t i = 0; i < nEntries; ++i) {
        const std::size_t nEntry = nDirectory + 2 + 12 * i;
        if ((tiff[nEntry] | tiff[nEntry + 1] << 8) == nTag)
            return nEntry + 8;
    }
    return 0;
}

void WriteTwoPages(const std::string& strPath)
{
    TIFF* pTiff = TIFFOpen(strPath.c_str(), "w");
    uint8_t row[4] = {};
    for (int nPage = 0; nPage < 2; ++nPage) {
        TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, 4u);
        TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, 1u);
        TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFWriteScanline(pTiff, row, 0, 0);
        TIFFWriteDirectory(pTiff);
    }
    TIFFClose(pTiff);
}

TEST_F(HostImageFiles, DamagedHostileAndMultiPageTiffsAreRefusedWithAReason)
{
    std::string strError;
    ASSERT_TRUE(Write(Path("good.tif"), Gradient(3, 16), {}, strError));
    const std::vector<uint8_t> good = FileBytes(Path("good.tif"));
    WriteBytes(Path("truncated.tif"), FirstHalf(good));
    ExpectRefused(Path("truncated.tif"), "not a readable TIFF");
    std::vector<uint8_t> huge = good;
    for (const uint16_t nTag : {TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH}) {
        const std::size_t nAt = TagValueAt(huge, nTag);
        huge[nAt] = 0x30;
        huge[nAt + 1] = 0x75; // 30000
    }
    WriteBytes(Path("huge.tif"), huge);
    ExpectRefused(Path("huge.tif"), "too large for the");
    std::vector<uint8_t> astray = good;
    astray[TagValueAt(astray, TIFFTAG_STRIPOFFSETS) + 3] = 0x40;
    WriteBytes(Path("astray.tif"), astray);
    ExpectRefused(Path("astray.tif"), "damaged image data");
    WriteTwoPages(Path("pages.tif"));
    ExpectRefused(Path("pages.tif"), "holds 2 images (pages)");
    WriteTiffWithExif(Path("exif.tif"), 1.0 / 60);
    std::vector<uint8_t> exifAstray = FileBytes(Path("exif.tif"));
    exifAstray[TagValueAt(exifAstray, TIFFTAG_EXIFIFD) + 3] = 0x40;
    WriteBytes(Path("exif-astray.tif"), exifAstray);
    ExpectRefused(Path("exif-astray.tif"), "EXIF directory cannot be read");
}

// Tiles of nTile x 16 pixels, those at the right and bottom edges padded.
void WriteTiled(const std::string& strPath, const Image& image, uint32_t nTileWidth)
{
    TIFF* pTiff = TIFFOpen(strPath.c_str(), "w");
    const pfPngLayout& layout = image.layout;
    TIFFSetField(pTiff, TIFFTAG_IMAGEWIDTH, uint32_t(layout.nWidth));
    TIFFSetField(pTiff, TIFFTAG_IMAGELENGTH, uint32_t(layout.nHeight));
    TIFFSetField(pTiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(pTiff, TIFFTAG_SAMPLESPERPIXEL, layout.nChannels);
    TIFFSetField(pTiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(pTiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(pTiff, TIFFTAG_TILEWIDTH, nTileWidth);
    TIFFSetField(pTiff, TIFFTAG_TILELENGTH, 16u);
    std::vector<uint8_t> tile(std::size_t(nTileWidth) * 16 * layout.nChannels);
    for (uint32_t y = 0; y < uint32_t(layout.nHeight); y += 16)
        for (uint32_t x = 0; x < uint32_t(layout.nWidth); x += nTileWidth) {
            std::fill(tile.begin(), tile.end(), 0);
            for (uint32_t ty = 0; ty < 16 && y + ty < uint32_t(layout.nHeight); ++ty)
                for (uint32_t tx = 0; tx < nTileWidth && x + tx < uint32_t(layout.nWidth); ++tx)
                    for (int c = 0; c < layout.nChannels; ++c)
                        tile[(ty * nTileWidth + tx) * layout.nChannels + c] =
                            uint8_t(image.samples[((y + ty) * layout.nWidth + x + tx) * layout.nChannels + c]);
            TIFFWriteTile(pTiff, tile.data(), x, y, 0, 0);
        }
    TIFFClose(pTiff);
}

TEST_F(HostImageFiles, TiledTiffsReadLikeStripsButNotWithTilesFarWiderThanTheImage)
{
    const Image written = Gradient(3, 8); // 24 x 16: two tiles across, one padded
    WriteTiled(Path("tiled.tif"), written, 16);
    Image read;
    pfImageMetadata metadata;
    std::string strError;
    ASSERT_TRUE(Read(Path("tiled.tif"), read, metadata, strError)) << strError;
    EXPECT_EQ(read.samples, written.samples);
    WriteTiled(Path("wide.tif"), written, 4096);
    ExpectRefused(Path("wide.tif"), "tiles of 4096 x 16 pixels");
}

} // namespace
