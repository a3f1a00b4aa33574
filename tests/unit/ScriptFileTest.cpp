// The text form of recorded script values.
#include "TestSupport.h"

#include "host/cli/ScriptFile.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// The message of a text that must be refused.
std::string Refusal(const std::string& strText)
{
    pfDescriptor descriptor = {{FourCC("KEEP"), int32_t(1)}};
    std::string strError;
    EXPECT_FALSE(ParseScriptText(strText, descriptor, strError)) << strText;
    EXPECT_EQ(descriptor.size(), 1u) << "a refused text changes nothing";
    return strError;
}

}  // namespace

TEST(ScriptFile, ReadsEntriesInOrderSkippingCommentsAndBlankLines)
{
    const std::string strText = "# soft dots\r\n"
                                "\n"
                                "  GAMA float 1.5   # brighter\n"
                                "BLND integer -3\r\n"
                                "ANTI boolean true\n"
                                "0x00000001 float 2e-3\n"
                                "CLCO boolean false";
    pfDescriptor descriptor;
    std::string strError;
    ASSERT_TRUE(ParseScriptText(strText, descriptor, strError)) << strError;
    ASSERT_EQ(descriptor.size(), 5u);
    EXPECT_EQ(descriptor[0].key, FourCC("GAMA"));
    EXPECT_EQ(std::get<double>(descriptor[0].value), 1.5);
    EXPECT_EQ(std::get<int32_t>(descriptor[1].value), -3);
    EXPECT_EQ(std::get<bool>(descriptor[2].value), true);
    EXPECT_EQ(descriptor[3].key, 1u);
    EXPECT_EQ(std::get<double>(descriptor[3].value), 0.002);
    EXPECT_EQ(std::get<bool>(descriptor[4].value), false);
}

TEST(ScriptFile, RefusesMalformedLinesNamingTheLineAndTheProblem)
{
    EXPECT_EQ(Refusal("GAMA float 1\nBLND integr 3\n"), "line 2: unknown type 'integr' (use integer, float or boolean)");
    EXPECT_EQ(Refusal("GAMMA float 1\n"),
              "line 1: key 'GAMMA' must have four characters (or be 0x and eight hex digits)");
    EXPECT_EQ(Refusal("\n\nGAMA float abc\n"), "line 3: 'abc' is not a number");
    EXPECT_EQ(Refusal("GAMA float 1.5x\n"), "line 1: '1.5x' is not a number");
    EXPECT_EQ(Refusal("GAMA float inf\n"), "line 1: float 'inf' is not finite");
    EXPECT_EQ(Refusal("GAMA float nan\n"), "line 1: float 'nan' is not finite");
    EXPECT_EQ(Refusal("GAMA float 1e999\n"), "line 1: float '1e999' is out of range");
    EXPECT_EQ(Refusal("BLND integer 2.5\n"), "line 1: '2.5' is not an integer");
    EXPECT_EQ(Refusal("BLND integer 4294967296\n"), "line 1: integer '4294967296' does not fit in 32 bits");
    EXPECT_EQ(Refusal("ANTI boolean yes\n"), "line 1: boolean value 'yes' must be true or false");
    EXPECT_EQ(Refusal("GAMA float\n"), "line 1: expected KEY TYPE VALUE");
    EXPECT_EQ(Refusal("GAMA float 1 2\n"), "line 1: unexpected '2' after the value");
    EXPECT_EQ(Refusal("0x0000000G float 1\n"), "line 1: key '0x0000000G' is not a hexadecimal number");
    EXPECT_EQ(Refusal("0x00000000 float 1\n"), "line 1: key 0 cannot be recorded");
    EXPECT_EQ(Refusal("GAMA float 1\nGAMA float 2\n"), "line 2: key 'GAMA' was already given on line 1");
}

TEST(ScriptFile, QuotesLongOrBinaryWordsCutAndEscaped)
{
    EXPECT_EQ(Refusal("GAMA float 1\x1b[2J\n"), "line 1: '1\\x1B[2J' is not a number");
    const std::string strLong(100000, 'x');
    EXPECT_EQ(Refusal("GAMA " + strLong + " 1\n"),
              "line 1: unknown type '" + std::string(40, 'x') + "...' (use integer, float or boolean)");
}

TEST(ScriptFile, WritesOneLinePerEntryThatReadsBackTheSame)
{
    const pfDescriptor descriptor = {{FourCC("COL1"), 0.1},
                                     {FourCC("BLND"), int32_t(22)},
                                     {FourCC("ANTI"), true},
                                     {FourCC("#Ang"), 1e-300},
                                     {0x01020304, -0.0}};
    const std::string strText = FormatScriptText(descriptor);
    EXPECT_EQ(strText, "COL1 float 0.1\n"
                       "BLND integer 22\n"
                       "ANTI boolean true\n"
                       "0x23416E67 float 1e-300\n"
                       "0x01020304 float -0\n");
    pfDescriptor readBack;
    std::string strError;
    ASSERT_TRUE(ParseScriptText(strText, readBack, strError)) << strError;
    ASSERT_EQ(readBack.size(), descriptor.size());
    for (size_t i = 0; i < descriptor.size(); ++i) {
        EXPECT_EQ(readBack[i].key, descriptor[i].key);
        EXPECT_EQ(readBack[i].value, descriptor[i].value);
    }
}

TEST(ScriptFile, SavesAndLoadsFilesAndNamesTheFileInErrors)
{
    const std::string strPath = TempPath("script.txt");
    std::string strError;
    ASSERT_TRUE(SaveScriptFile(strPath, {{FourCC("GAMA"), 2.0}}, strError)) << strError;
    pfDescriptor descriptor;
    ASSERT_TRUE(LoadScriptFile(strPath, descriptor, strError)) << strError;
    EXPECT_EQ(std::get<double>(descriptor.at(0).value), 2.0);
    std::remove(strPath.c_str());
    EXPECT_FALSE(LoadScriptFile(strPath, descriptor, strError));
    EXPECT_EQ(strError, strPath + ": no such file");
    EXPECT_FALSE(SaveScriptFile("/nonexistent-folder/script.txt", descriptor, strError));
    EXPECT_FALSE(LoadScriptFile(CORVANE_SOURCE_DIR, descriptor, strError)) << "a folder is no settings file";
    EXPECT_EQ(strError, std::string(CORVANE_SOURCE_DIR) + ": is a folder, not a file");
}
