// Named presets in the owner-marked text file: exact file contents, loading
// with undo, and files that are damaged or cannot be rewritten.
#include "TestSupport.h"

#include "filter/FilterCorvane.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

namespace fs = std::filesystem;

namespace {

const char* const kOwner = "FileOwner CorvaneII\n";

class PresetsFile : public ::testing::Test {
protected:
    PresetsFile() : m_Folder(TempPath("presets"))
    {
        fs::create_directory(m_Folder);
        gamma.SetName("GammaCorrection");
        gamma.SetValue(1.0);
        for (int i = 1; i <= 22; ++i)
            blend.AddItem("mode " + std::to_string(i));
        blend.SetName("BlendMode");
        blend.SetSelection(3);
        antialias.SetName("Antialias");
        antialias.SetValue(true);
        unsaved.SetName("Randomize");
        unsaved.SetSaved(false);
        for (pfParameter* pParameter : std::initializer_list<pfParameter*>{&gamma, &blend, &antialias, &unsaved})
            parameters.Add(pParameter);
    }
    ~PresetsFile() override { fs::remove_all(m_Folder); }

    std::string PathOf(const std::string& strName) const { return m_Folder + "/" + strName; }
    std::string Write(const std::string& strName, const std::string& strText) const
    {
        const std::string strPath = PathOf(strName);
        std::ofstream(strPath, std::ios::binary) << strText;
        return strPath;
    }

    std::string m_Folder;
    pfParameterFloat gamma;
    pfParameterList blend;
    pfParameterBool antialias;
    pfParameterFloat unsaved;
    pfParameters parameters;
};

const std::string kThreePresets = std::string(kOwner) +
                                  "\nname First\nGammaCorrection 1.000000\nBlendMode 3\nAntialias 1\n"
                                  "\nname my_preset\nGammaCorrection 2.000000\nBlendMode 4\nAntialias 0\n"
                                  "\nname Last\nGammaCorrection 3.000000\n";

}  // namespace

TEST_F(PresetsFile, SavingToANewFileWritesOwnerNameAndEverySavedParameter)
{
    pfFilterCorvane filter;
    const std::string strPath = PathOf("new.cfg");
    EXPECT_TRUE(filter.GetParameters().SaveSettings("My Preset", strPath, "CorvaneII"));
    EXPECT_EQ(ReadFileText(strPath), std::string(kOwner) +
                                         "\nname My_Preset\n"
                                         "Color 0.500000 0.800000 0.050000\n"
                                         "GammaCorrection 1.000000\nBlendMode 3\nInnerDensity 0.100000\n"
                                         "OuterDensity 10.000000\nAddFactor 0.250000\nWeightX1X2 0.000000\n"
                                         "WeightY1Y2 0.000000\nOffsetX1 0.000000\nOffsetX2 0.000000\n"
                                         "OffsetY1 0.000000\nOffsetY2 0.000000\nInnerAngleX1 33.000000\n"
                                         "InnerAngleX2 135.000000\nInnerAngleY1 43.000000\n"
                                         "InnerAngleY2 146.000000\nOuterAngleX1 246.000000\n"
                                         "OuterAngleX2 356.000000\nOuterAngleY1 43.000000\n"
                                         "OuterAngleY2 106.000000\nAntialias 1\nClipColor 0\n");
    EXPECT_FALSE(fs::exists(strPath + "tmp"));
}

TEST_F(PresetsFile, SavingTheSameNameReplacesItInPlaceKeepingTheHeader)
{
    const std::string strPath = Write("p.cfg", kThreePresets);
    gamma.SetValue(0.1234567);
    blend.SetSelection(7);
    antialias.SetValue(true);
    EXPECT_TRUE(parameters.SaveSettings("My Preset", strPath, "CorvaneII"));
    // The empty line before the following preset is not reproduced.
    EXPECT_EQ(ReadFileText(strPath), std::string(kOwner) +
                                         "\nname First\nGammaCorrection 1.000000\nBlendMode 3\nAntialias 1\n"
                                         "\nname my_preset\nGammaCorrection 0.123457\nBlendMode 7\nAntialias 1\n"
                                         "name Last\nGammaCorrection 3.000000\n");
}

TEST_F(PresetsFile, SavingAnotherNameAppendsAPreset)
{
    const std::string strPath = Write("p.cfg", kThreePresets);
    EXPECT_TRUE(parameters.SaveSettings("Extra", strPath, "CorvaneII"));
    EXPECT_EQ(ReadFileText(strPath), kThreePresets + "\nname Extra\nGammaCorrection 1.000000\nBlendMode 3\nAntialias 1\n");
    EXPECT_FALSE(parameters.SaveSettings("", strPath, "CorvaneII"));
    EXPECT_FALSE(parameters.SaveSettings("Extra", "", "CorvaneII"));
}

TEST_F(PresetsFile, DeletingRemovesThePresetAndItsEmptyLine)
{
    const std::string strTwo = std::string(kOwner) + "\nname A\nGammaCorrection 1.000000\n\nname B\nBlendMode 2\n";
    const std::string strPath = Write("p.cfg", strTwo);
    EXPECT_FALSE(parameters.DeleteSettings("C", strPath));
    EXPECT_EQ(ReadFileText(strPath), strTwo);
    EXPECT_TRUE(parameters.DeleteSettings("a", strPath));
    EXPECT_EQ(ReadFileText(strPath), std::string(kOwner) + "\nname B\nBlendMode 2\n");
    EXPECT_TRUE(parameters.DeleteSettings("B", strPath));
    EXPECT_EQ(ReadFileText(strPath), kOwner);

    const std::string strLastOfThree = Write("q.cfg", kThreePresets);
    EXPECT_TRUE(parameters.DeleteSettings("Last", strLastOfThree));
    EXPECT_EQ(ReadFileText(strLastOfThree), kThreePresets.substr(0, kThreePresets.find("\n\nname Last") + 1));
    EXPECT_FALSE(parameters.DeleteSettings("A", PathOf("missing.cfg")));
}

TEST_F(PresetsFile, LoadingAPresetIsOneUndoStep)
{
    pfFilterCorvane filter;
    const std::string strPath =
        Write("p.cfg", std::string(kOwner) +
                           "\nname Soft_dots\nColor 0.1 0.2 0.3\nGammaCorrection 2.5\nBlendMode 7\n"
                           "InnerDensity 0.5\nClipColor 1\n\nname Other\nAddFactor 1.5\n");
    EXPECT_TRUE(filter.GetParameters().LoadSettings("SOFT_DOTS", strPath, &filter));
    double fRed, fGreen, fBlue;
    filter.m_Color.GetValue(fRed, fGreen, fBlue);
    EXPECT_EQ(fBlue, 0.3);
    EXPECT_EQ(filter.m_GammaCorrection.GetValue(), 2.5);
    EXPECT_EQ(filter.m_BlendMode.GetSelection(), 7);
    EXPECT_EQ(filter.m_InnerDensity.GetValue(), 0.5);
    EXPECT_TRUE(filter.m_ClipColor.GetValue());
    EXPECT_EQ(filter.m_AddFactor.GetValue(), 0.25) << "the next preset is not read";

    EXPECT_TRUE(filter.GetUndoStack().Undo());
    filter.m_Color.GetValue(fRed, fGreen, fBlue);
    EXPECT_EQ(fBlue, 0.05);
    EXPECT_EQ(filter.m_GammaCorrection.GetValue(), 1.0);
    EXPECT_EQ(filter.m_BlendMode.GetSelection(), 3);
    EXPECT_EQ(filter.m_InnerDensity.GetValue(), 0.1);
    EXPECT_FALSE(filter.m_ClipColor.GetValue());
    EXPECT_FALSE(filter.GetUndoStack().CanUndo());
    EXPECT_FALSE(filter.GetParameters().LoadSettings("Nope", strPath, &filter));
}

TEST_F(PresetsFile, LoadingLeavesMissingAndUnusableValuesUnchanged)
{
    const std::string strPath =
        Write("p.cfg", std::string(kOwner) + "\nname Zero\nBlendMode 0\nUnknown 5\nAntialias nan\n"
                                             "\nname High\nBlendMode 23\nGammaCorrection inf\n"
                                             "\nname Huge\nGammaCorrection -1e999\nBlendMode 99999999999\n");
    for (const char* strName : {"Zero", "High", "Huge"}) {
        EXPECT_TRUE(parameters.LoadSettings(strName, strPath, nullptr)) << strName;
        EXPECT_EQ(blend.GetSelection(), 3) << strName;
        EXPECT_EQ(gamma.GetValue(), 1.0) << strName;
        EXPECT_TRUE(antialias.GetValue()) << strName;
    }
}

TEST_F(PresetsFile, SavedValuesLoadBackWhateverTheirSizeOrTheSaveIsRefused)
{
    const std::string strPath = PathOf("p.cfg");
    // "%f" writes these with over 255 digits.
    for (const double fValue : {1e300, -1.7976931348623157e308}) {
        gamma.SetValue(fValue);
        EXPECT_TRUE(parameters.SaveSettings("Big", strPath, "CorvaneII"));
        gamma.SetValue(1.0);
        EXPECT_TRUE(parameters.LoadSettings("Big", strPath, nullptr));
        EXPECT_EQ(gamma.GetValue(), fValue);
    }
    const std::string strBefore = ReadFileText(strPath);
    gamma.SetValue(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(parameters.SaveSettings("Big", strPath, "CorvaneII")) << "\"inf\" would not load back";
    EXPECT_EQ(ReadFileText(strPath), strBefore);
}

TEST_F(PresetsFile, ALineShortOfValuesNeverReachesIntoTheNextPreset)
{
    pfParameterRGB color;
    color.SetName("Color");
    parameters.Add(&color);
    const std::string strPath = Write("p.cfg", std::string(kOwner) + "\nname a\nColor 0.5\n"
                                                                     "\nname b\nGammaCorrection 2.000000\nBlendMode 9\n");
    EXPECT_TRUE(parameters.LoadSettings("a", strPath, nullptr));
    double fRed = 0, fGreen = 0, fBlue = 0;
    color.GetValue(fRed, fGreen, fBlue);
    EXPECT_EQ(fRed, 1.0);
    EXPECT_EQ(gamma.GetValue(), 1.0);
    EXPECT_EQ(blend.GetSelection(), 3);

    // A damaged last preset reads the same after another is appended.
    const std::string strDamaged = Write("d.cfg", std::string(kOwner) + "\nname b\nBlendMode 5\nGammaCorrection\n");
    EXPECT_TRUE(parameters.SaveSettings("c", strDamaged, "CorvaneII"));
    gamma.SetValue(1.5);
    EXPECT_TRUE(parameters.LoadSettings("b", strDamaged, nullptr));
    EXPECT_EQ(blend.GetSelection(), 5);
    EXPECT_EQ(gamma.GetValue(), 1.5);
}

TEST_F(PresetsFile, ANameKeywordCutOffAtTheEndDoesNotSwallowTheNextSave)
{
    const std::string strPath = Write("p.cfg", std::string(kOwner) + "\nname A\nGammaCorrection 2.000000\n\nname");
    gamma.SetValue(0.25);
    EXPECT_TRUE(parameters.SaveSettings("x", strPath, "CorvaneII"));
    std::list<std::string> lstNames;
    EXPECT_TRUE(parameters.GetSettingNames(strPath, lstNames, "CorvaneII"));
    EXPECT_EQ(lstNames, (std::list<std::string>{"A", "x"}));
    gamma.SetValue(1.0);
    EXPECT_TRUE(parameters.LoadSettings("x", strPath, nullptr));
    EXPECT_EQ(gamma.GetValue(), 0.25);
    EXPECT_TRUE(parameters.LoadSettings("A", strPath, nullptr));
    EXPECT_EQ(gamma.GetValue(), 2.0);
}

TEST_F(PresetsFile, APresetHoldingTheOwnerMarkIsNeitherReplacedNorDeleted)
{
    const std::string strText = "name A\nFileOwner CorvaneII\nBlendMode 2\n\nname B\nBlendMode 4\n";
    const std::string strPath = Write("p.cfg", strText);
    EXPECT_FALSE(parameters.SaveSettings("A", strPath, "CorvaneII"));
    EXPECT_FALSE(parameters.DeleteSettings("A", strPath));
    EXPECT_EQ(ReadFileText(strPath), strText);
    EXPECT_TRUE(parameters.DeleteSettings("B", strPath));
    std::list<std::string> lstNames;
    EXPECT_TRUE(parameters.GetSettingNames(strPath, lstNames, "CorvaneII"));
    EXPECT_EQ(lstNames, std::list<std::string>{"A"});
}

TEST_F(PresetsFile, OwnerCheckAndNameListing)
{
    std::string strName = "CorvaneII";
    EXPECT_TRUE(parameters.IsSettingFileValid(PathOf("missing.cfg"), strName));
    EXPECT_FALSE(parameters.IsSettingFileValid("", strName));
    const std::string strOther = Write("other.cfg", "FileOwner OtherFilter\n\nname A\n");
    EXPECT_FALSE(parameters.IsSettingFileValid(strOther, strName));
    EXPECT_EQ(strName, "OtherFilter");
    strName = "CorvaneII";
    EXPECT_FALSE(parameters.IsSettingFileValid(Write("bare.cfg", "name A\nGammaCorrection 1\n"), strName));
    EXPECT_TRUE(parameters.IsSettingFileValid(Write("case.cfg", "fileowner corvaneii\n"), strName));

    std::list<std::string> lstNames;
    EXPECT_FALSE(parameters.GetSettingNames(strOther, lstNames, "CorvaneII"));
    EXPECT_FALSE(parameters.SaveSettings("B", strOther, "CorvaneII"));
    EXPECT_EQ(ReadFileText(strOther), "FileOwner OtherFilter\n\nname A\n");
    EXPECT_TRUE(parameters.GetSettingNames(PathOf("missing.cfg"), lstNames, "CorvaneII"));
    EXPECT_TRUE(lstNames.empty());
    EXPECT_TRUE(parameters.GetSettingNames(Write("p.cfg", kThreePresets), lstNames, "CorvaneII"));
    EXPECT_EQ(lstNames, (std::list<std::string>{"First", "my_preset", "Last"}));
}

TEST_F(PresetsFile, OverlongTokensAreCutToTwoHundredFiftyFiveCharacters)
{
    const std::string strPath = PathOf("p.cfg");
    const std::string strLongName(300, 'x');
    EXPECT_TRUE(parameters.SaveSettings(strLongName, strPath, "CorvaneII"));
    EXPECT_TRUE(parameters.SaveSettings(strLongName, strPath, "CorvaneII"));
    std::list<std::string> lstNames;
    parameters.GetSettingNames(strPath, lstNames, "CorvaneII");
    EXPECT_EQ(lstNames, std::list<std::string>{std::string(255, 'x')});
    EXPECT_TRUE(parameters.LoadSettings(strLongName, strPath, nullptr));

    // A long word is one token: the lines after it still pair keys and values.
    const std::string strJunk = Write(
        "junk.cfg", std::string(kOwner) + "\nname P\n" + std::string(100000, 'z') + " 1\nGammaCorrection 2.5\n");
    EXPECT_TRUE(parameters.LoadSettings("P", strJunk, nullptr));
    EXPECT_EQ(gamma.GetValue(), 2.5);
}

TEST_F(PresetsFile, TruncatedAndBinaryFilesNeitherCrashNorHang)
{
    const std::string strCut = Write("cut.cfg", std::string(kOwner) + "\nname P\nGammaCorrection 2\nBlendMode");
    EXPECT_TRUE(parameters.LoadSettings("P", strCut, nullptr));
    EXPECT_EQ(gamma.GetValue(), 2.0);
    EXPECT_EQ(blend.GetSelection(), 3);

    std::mt19937 random(7);
    std::string strBytes(65536, '\0');
    for (char& c : strBytes)
        c = char(random());
    const std::string strBinary = Write("binary.cfg", std::string(kOwner) + "\nname P\n" + strBytes);
    EXPECT_TRUE(parameters.LoadSettings("P", strBinary, nullptr));
    std::list<std::string> lstNames;
    EXPECT_TRUE(parameters.GetSettingNames(strBinary, lstNames, "CorvaneII"));
    EXPECT_TRUE(parameters.SaveSettings("Q", strBinary, "CorvaneII"));
    EXPECT_TRUE(parameters.DeleteSettings("Q", strBinary));
    const std::string strKept = std::string(kOwner) + "\nname P\n" + strBytes;
    EXPECT_TRUE(ReadFileText(strBinary).compare(0, strKept.size(), strKept) == 0) << "the junk is kept byte for byte";
}

TEST_F(PresetsFile, AFailedRewriteLeavesThePresetsFileAsItWas)
{
    const std::string strPath = Write("p.cfg", kThreePresets);
    fs::create_directory(strPath + "tmp");  // the temporary file cannot be created
    EXPECT_FALSE(parameters.SaveSettings("First", strPath, "CorvaneII"));
    EXPECT_FALSE(parameters.SaveSettings("New", strPath, "CorvaneII"));
    EXPECT_FALSE(parameters.DeleteSettings("First", strPath));
    EXPECT_EQ(ReadFileText(strPath), kThreePresets);
    EXPECT_TRUE(fs::is_directory(strPath + "tmp"));
    fs::remove(strPath + "tmp");

    const std::string strFolder = PathOf("folder.cfg");  // cannot be read
    fs::create_directory(strFolder);
    EXPECT_FALSE(parameters.SaveSettings("A", strFolder, "CorvaneII"));
    EXPECT_TRUE(fs::is_directory(strFolder));
}

TEST_F(PresetsFile, TracesOperationsAndUnreadableFiles)
{
    CapturedTrace trace;
    const std::string strPath = PathOf("p.cfg");
    parameters.SaveSettings("A", strPath, "CorvaneII");
    parameters.DeleteSettings("A", strPath);
    parameters.LoadSettings("A", PathOf("missing.cfg"), nullptr);
    const std::string strText = trace.Text();
    EXPECT_NE(strText.find("ENTER: pfParmeters::SaveSettings( strName(A), strPath(" + strPath + ") )\n"),
              std::string::npos);
    EXPECT_NE(strText.find("EXIT : pfParmeters::SaveSettings( return(1) \n"), std::string::npos);
    EXPECT_NE(strText.find("EXIT : pfParmeters::DeleteSettings( return(1) ) \n"), std::string::npos);
    EXPECT_NE(strText.find("-**### WARNING ###**-: Could not open file for reading: '" + PathOf("missing.cfg") +
                           "'\n"),
              std::string::npos);
    EXPECT_NE(strText.find("EXIT : pfParmeters::LoadSettings( return(0) )\n"), std::string::npos);
}
