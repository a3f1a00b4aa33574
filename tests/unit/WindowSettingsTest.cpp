// Where the dialog's windows open, and typed settings that refuse values
// of the wrong type or size.
#include "framework/dialog/Settings.h"
#include "framework/dialog/WindowPosition.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(WindowPosition, StoredPositionsComeBackIntoTheWorkArea)
{
    const pfWindowRect work{0, 0, 1280, 1024};
    int x = -30, y = 5000;
    ClampToWorkArea(x, y, work);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 974);
    x = 1280, y = 100;
    ClampToWorkArea(x, y, work);
    EXPECT_EQ(x, 1280) << "the area's own width still counts as inside it";
    const pfWindowRect second{1920, 40, 1280, 984}; // right of the first monitor, task bar on top
    x = 100, y = 0;
    ClampToWorkArea(x, y, second);
    EXPECT_EQ(x, 1920);
    EXPECT_EQ(y, 40);
    const pfWindowRect place = StoredPlacementInWorkArea({4000, 20, 5000, 300}, second);
    EXPECT_EQ(place.x, 3150);
    EXPECT_EQ(place.nWidth, 1280);
    EXPECT_EQ(place.nHeight, 300);
}

// The interface as it opens on a first run, at 96 dots per inch.
constexpr pfWindowRect kInterface{0, 0, 417, 479};

TEST(WindowPosition, AFirstRunPreviewFitsTheWorkAreaBesideTheInterface)
{
    const struct {
        pfWindowRect work;
        pfWindowRect expected;
    } cases[] = {
        {{0, 0, 1920, 1080}, {420, 0, 1080, 1080}},
        {{0, 0, 1366, 768}, {417, 0, 768, 768}},
        {{0, 0, 2560, 1440}, {560, 0, 1440, 1440}},
        {{0, 0, 1280, 1024}, {417, 85, 853, 853}},
        {{0, 0, 1024, 1280}, {171, 479, 682, 682}},  // portrait: below it
        {{1920, 30, 1366, 738}, {2234, 30, 738, 738}}, // another monitor: the interface is not in the way
        {{0, 0, 800, 600}, {267, 67, 533, 533}},       // no room anywhere: covers it least
    };
    for (const auto& c : cases) {
        const pfWindowRect rect = DefaultPreviewPlacement(c.work, kInterface);
        EXPECT_EQ(rect.x, c.expected.x) << c.work.nWidth;
        EXPECT_EQ(rect.y, c.expected.y) << c.work.nWidth;
        EXPECT_EQ(rect.nWidth, c.expected.nWidth) << c.work.nWidth;
        EXPECT_EQ(rect.nHeight, c.expected.nHeight) << c.work.nWidth;
    }
}

TEST(TypedSettings, ValuesOfTheWrongTypeOrSizeReadAsMissing)
{
    RecordingPlatform platform;
    int32_t nValue = 7;
    EXPECT_FALSE(ReadDwordSetting("", "X", nValue));
    platform.WriteSetting("", "X", pfSettingType::Binary, {1, 0, 0, 0});
    EXPECT_FALSE(ReadDwordSetting("", "X", nValue)) << "binary, not a DWORD";
    platform.WriteSetting("", "X", pfSettingType::Dword, {1, 0, 0});
    EXPECT_FALSE(ReadDwordSetting("", "X", nValue)) << "three bytes";
    ASSERT_TRUE(WriteDwordSetting("", "X", -5));
    EXPECT_TRUE(ReadDwordSetting("", "X", nValue));
    EXPECT_EQ(nValue, -5);

    std::string strPath = "kept";
    platform.WriteSetting("", "P", pfSettingType::String, std::vector<uint8_t>(300, 'a'));
    EXPECT_FALSE(ReadStringSetting("", "P", 256, strPath)) << "too long for its buffer";
    platform.WriteSetting("", "P", pfSettingType::String, std::vector<uint8_t>(256, 'a'));
    EXPECT_FALSE(ReadStringSetting("", "P", 256, strPath)) << "no room for the terminator";
    platform.WriteSetting("", "P", pfSettingType::String, {'a', 'b'});
    EXPECT_TRUE(ReadStringSetting("", "P", 256, strPath)) << "a value without its terminator";
    EXPECT_EQ(strPath, "ab");

    std::vector<uint8_t> data;
    platform.WriteSetting("Sub", "D", pfSettingType::Binary, std::vector<uint8_t>(8, 1));
    EXPECT_FALSE(ReadBinarySetting("Sub", "D", 1, data));
    EXPECT_TRUE(ReadBinarySetting("Sub", "D", 8, data));
    EXPECT_TRUE(platform.HasSettings("Sub"));
    EXPECT_FALSE(platform.HasSettings("Other"));
}
