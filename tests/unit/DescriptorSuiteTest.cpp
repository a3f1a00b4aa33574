// Our host's descriptor suites as a plug-in sees them.
#include "framework/parameters/Parameters.h"
#include "host/record/DescriptorSuite.h"

#include <gtest/gtest.h>

namespace {

class DescriptorSuite : public ::testing::Test {
protected:
    pfHandleSuite handles;
    pfDescriptorSuite suite{handles};
    ReadDescriptorProcs& read = *suite.GetReadProcs();
    WriteDescriptorProcs& write = *suite.GetWriteProcs();
};

}  // namespace

TEST_F(DescriptorSuite, OffersCompleteTablesOfVersionZero)
{
    pfDescriptorParameters parameters(suite, plugInDialogDisplay, nullptr);
    EXPECT_TRUE(DescriptorAvailable(parameters.Get()));
    EXPECT_EQ(read.numReadDescriptorProcs, 18);
    EXPECT_EQ(write.numWriteDescriptorProcs, 16);
    const auto* pWriteProcs = reinterpret_cast<void* const*>(&write.openWriteDescriptorProc);
    for (int i = 0; i < 16; ++i)
        EXPECT_NE(pWriteProcs[i], nullptr) << i;
}

TEST_F(DescriptorSuite, ReadingMarksConsumedKeysAndEndsWithFalse)
{
    const pfDescriptor descriptor = {{FourCC("GAMA"), 1.5}, {FourCC("XTRA"), int32_t(7)}};
    Handle hDescriptor = suite.MakeHandle(descriptor);
    DescriptorKeyID keys[] = {FourCC("BLND"), FourCC("GAMA"), 0};
    PIReadDescriptor token = read.openReadDescriptorProc(hDescriptor, keys);
    ASSERT_NE(token, nullptr);
    DescriptorKeyID key = 0;
    DescType type = 0;
    int32_t nFlags = -1;
    double fValue = 0.0;
    ASSERT_TRUE(read.getKeyProc(token, &key, &type, &nFlags));
    EXPECT_EQ(key, FourCC("GAMA"));
    EXPECT_EQ(type, typeFloat);
    EXPECT_EQ(nFlags, 0);
    EXPECT_EQ(read.getFloatProc(token, &fValue), noErr);
    EXPECT_EQ(fValue, 1.5);
    EXPECT_EQ(keys[0], FourCC("BLND"));
    EXPECT_EQ(keys[1], typeNull);
    ASSERT_TRUE(read.getKeyProc(token, &key, &type, &nFlags));
    EXPECT_EQ(type, typeInteger);
    EXPECT_FALSE(read.getKeyProc(token, &key, &type, &nFlags));
    EXPECT_EQ(read.closeReadDescriptorProc(token), noErr);
    handles.Dispose(hDescriptor);
}

TEST_F(DescriptorSuite, AskingForTheWrongTypeFailsAndIsReportedAtClose)
{
    Handle hDescriptor = suite.MakeHandle({{FourCC("BLND"), int32_t(3)}});
    PIReadDescriptor token = read.openReadDescriptorProc(hDescriptor, nullptr);
    int32_t nValue = 0;
    EXPECT_NE(read.getIntegerProc(token, &nValue), noErr);  // before any key
    DescriptorKeyID key;
    DescType type;
    int32_t nFlags;
    read.getKeyProc(token, &key, &type, &nFlags);
    double fValue = 9.0;
    Boolean bValue = 0;
    EXPECT_EQ(read.getFloatProc(token, &fValue), kDescriptorUnsupported);
    EXPECT_EQ(fValue, 9.0);
    EXPECT_NE(read.getBooleanProc(token, &bValue), noErr);
    EXPECT_EQ(read.getIntegerProc(token, &nValue), noErr);
    EXPECT_EQ(nValue, 3);
    EXPECT_NE(read.closeReadDescriptorProc(token), noErr);
    handles.Dispose(hDescriptor);
}

TEST_F(DescriptorSuite, UnsupportedValueKindsAnswerWithAnError)
{
    PIWriteDescriptor writer = write.openWriteDescriptorProc();
    EXPECT_EQ(write.putTextProc(writer, FourCC("TEXT"), nullptr), kDescriptorUnsupported);
    EXPECT_EQ(write.putCountProc(writer, FourCC("CNT "), 3), kDescriptorUnsupported);
    Handle hDescriptor = nullptr;
    EXPECT_EQ(write.closeWriteDescriptorProc(writer, &hDescriptor), noErr);
    PIReadDescriptor reader = read.openReadDescriptorProc(hDescriptor, nullptr);
    Handle hText = nullptr;
    EXPECT_EQ(read.getTextProc(reader, &hText), kDescriptorUnsupported);
    EXPECT_EQ(read.getPinnedIntegerProc(reader, 0, 1, nullptr), kDescriptorUnsupported);
    DescriptorKeyID key;
    EXPECT_FALSE(read.getKeyProc(reader, &key, nullptr, nullptr));
    read.closeReadDescriptorProc(reader);
    handles.Dispose(hDescriptor);
    EXPECT_EQ(suite.OpenTokens(), 0u);
}

TEST_F(DescriptorSuite, AKeyWrittenTwiceKeepsItsPlaceAndTheLastValue)
{
    pfDescriptorParameters parameters(suite, plugInDialogDisplay, nullptr);
    PIWriteDescriptor writer = write.openWriteDescriptorProc();
    const double fOne = 1.0, fTwo = 2.0;
    write.putFloatProc(writer, FourCC("GAMA"), &fOne);
    write.putBooleanProc(writer, FourCC("ANTI"), 1);
    write.putFloatProc(writer, FourCC("GAMA"), &fTwo);
    write.closeWriteDescriptorProc(writer, &parameters.Get()->descriptor);
    pfDescriptor descriptor;
    ASSERT_TRUE(parameters.GetRecorded(descriptor));
    ASSERT_EQ(descriptor.size(), 2u);
    EXPECT_EQ(std::get<double>(descriptor[0].value), 2.0);
    EXPECT_EQ(descriptor[1].GetType(), typeBoolean);
}

TEST_F(DescriptorSuite, HandlesThatAreNotDescriptorsAreRefused)
{
    pfDescriptor descriptor;
    Handle hOdd = handles.New(15);
    Handle hUnknownType = handles.New(16);
    char bogus = 0;
    Handle hForeign = reinterpret_cast<Handle>(&bogus);
    EXPECT_FALSE(suite.ReadHandle(hOdd, descriptor));
    EXPECT_FALSE(suite.ReadHandle(hUnknownType, descriptor));
    EXPECT_FALSE(suite.ReadHandle(hForeign, descriptor));
    EXPECT_EQ(read.openReadDescriptorProc(hOdd, nullptr), nullptr);
    EXPECT_EQ(read.closeReadDescriptorProc(&bogus), paramErr);
    handles.Dispose(hOdd);
    handles.Dispose(hUnknownType);
}
