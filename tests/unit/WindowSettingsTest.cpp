// Where the dialog's windows open, and typed settings that refuse values
// of the wrong type or size.
#include "framework/dialog/Settings.h"
#include "framework/dialog/WindowPosition.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(WindowPosition, StoredPositionsComeBackOntoTheScreen)
{
    int x = -30, y = 5000;
    ClampToScreen(x, y, 1280, 1024);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 974);
    x = 1280, y = 100;
    ClampToScreen(x, y, 1280, 1024);
    EXPECT_EQ(x, 1280) << "the screen's own width still counts as on it";
}

TEST(WindowPosition, WithoutStoredPlacementThePreviewIsACentredSquare)
{
    const pfWindowRect rect = DefaultPreviewPlacement(1280, 1000);
    EXPECT_EQ(rect.nWidth, 853);
    EXPECT_EQ(rect.nHeight, 853);
    EXPECT_EQ(rect.x, 213);
    EXPECT_EQ(rect.y, 73);
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
