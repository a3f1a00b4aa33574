// Recording and playing back the filter's values through our host's
// descriptor and handle suites.
#include "TestSupport.h"

#include "filter/FilterCorvane.h"
#include "host/record/DescriptorSuite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class ScriptParams : public ::testing::Test {
protected:
    ScriptParams() { record.handleProcs = handles.GetProcs(); }

    // Plays back a descriptor; true when the dialog is to be shown.
    bool Play(int16_t nPlayInfo, const pfDescriptor& descriptor)
    {
        pfDescriptorParameters parameters(suite, nPlayInfo, &descriptor);
        record.descriptorParameters = parameters.Get();
        const bool bShow = filter.GetParameters().ReadScriptParams(&record);
        bDescriptorConsumed = parameters.Get()->descriptor == nullptr;
        record.descriptorParameters = nullptr;
        return bShow;
    }

    pfDescriptor Record()
    {
        pfDescriptorParameters parameters(suite, plugInDialogDisplay, nullptr);
        record.descriptorParameters = parameters.Get();
        EXPECT_EQ(filter.GetParameters().WriteScriptParams(&record), 0);
        EXPECT_EQ(parameters.Get()->recordInfo, plugInDialogOptional);
        pfDescriptor descriptor;
        EXPECT_TRUE(parameters.GetRecorded(descriptor));
        record.descriptorParameters = nullptr;
        return descriptor;
    }

    pfHandleSuite handles;
    pfDescriptorSuite suite{handles};
    FilterRecord record = ZeroRecord();
    pfFilterCorvane filter;
    bool bDescriptorConsumed = false;
};

pfDescriptorEntry Float(const char (&key)[5], double fValue)
{
    return {FourCC(key), fValue};
}

pfDescriptorEntry Integer(const char (&key)[5], int32_t nValue)
{
    return {FourCC(key), nValue};
}

}  // namespace

TEST_F(ScriptParams, RecordingWritesTwentyFiveEntriesInRegistrationOrder)
{
    const pfDescriptor descriptor = Record();
    const char* const keys[] = {"COL1", "COL2", "COL3", "GAMA", "BLND", "DEIN", "DEOU", "ADFA", "WEGX",
                                "WEGY", "RAND", "OFX1", "OFX2", "OFY1", "OFY2", "INX1", "INX2", "INY1",
                                "INY2", "OUX1", "OUX2", "OUY1", "OUY2", "ANTI", "CLCO"};
    ASSERT_EQ(descriptor.size(), 25u);
    for (size_t i = 0; i < 25; ++i)
        EXPECT_EQ(descriptor[i].key, FourCC({keys[i][0], keys[i][1], keys[i][2], keys[i][3], 0})) << i;
    EXPECT_EQ(std::get<double>(descriptor[1].value), 0.8);
    EXPECT_EQ(std::get<int32_t>(descriptor[4].value), 3);
    EXPECT_EQ(std::get<double>(descriptor[6].value), 10.0);
    EXPECT_EQ(std::get<bool>(descriptor[23].value), true);
    EXPECT_EQ(std::get<bool>(descriptor[24].value), false);
    EXPECT_EQ(suite.OpenTokens(), 0u);
}

TEST_F(ScriptParams, PlayingBackWithoutTheDialogAppliesTheValuesAndConsumesTheDescriptor)
{
    const pfDescriptor descriptor = {Float("COL2", 0.25), Float("GAMA", 1.5), Integer("BLND", 5),
                                     {FourCC("ANTI"), false}, Float("RAND", 4.0)};
    EXPECT_FALSE(Play(plugInDialogDontDisplay, descriptor));
    double fRed, fGreen, fBlue;
    filter.m_Color.GetValue(fRed, fGreen, fBlue);
    EXPECT_EQ(fRed, 0.5);
    EXPECT_EQ(fGreen, 0.25);
    EXPECT_EQ(fBlue, 0.05);
    EXPECT_EQ(filter.m_GammaCorrection.GetValue(), 1.5);
    EXPECT_EQ(filter.m_BlendMode.GetSelection(), 5);
    EXPECT_FALSE(filter.m_Antialias.GetValue());
    EXPECT_EQ(filter.m_Randomize.GetValue(), 4.0);
    EXPECT_TRUE(bDescriptorConsumed);
    EXPECT_EQ(handles.Count(), 0u);
    EXPECT_EQ(suite.OpenTokens(), 0u);
}

TEST_F(ScriptParams, TheDisplayOptionShowsTheDialogWithTheRecordedValues)
{
    EXPECT_TRUE(Play(plugInDialogDisplay, {Float("GAMA", 2.0)}));
    EXPECT_EQ(filter.m_GammaCorrection.GetValue(), 2.0);
    EXPECT_FALSE(Play(plugInDialogSilent, {}));
}

TEST_F(ScriptParams, ValuesFromOutsideThatCannotBeUsedLeaveTheParameters)
{
    const double fInfinity = std::numeric_limits<double>::infinity();
    Play(plugInDialogDontDisplay, {Integer("BLND", 0), Float("GAMA", fInfinity), Float("COL1", std::nan("")),
                                   Float("DEIN", -fInfinity)});
    Play(plugInDialogDontDisplay, {Integer("BLND", 23), Integer("DEOU", 2), Float("ANTI", 0.0)});
    double fRed, fGreen, fBlue;
    filter.m_Color.GetValue(fRed, fGreen, fBlue);
    EXPECT_EQ(fRed, 0.5);
    EXPECT_EQ(filter.m_BlendMode.GetSelection(), 3);
    EXPECT_EQ(filter.m_GammaCorrection.GetValue(), 1.0);
    EXPECT_EQ(filter.m_InnerDensity.GetValue(), 0.1);
    EXPECT_EQ(filter.m_OuterDensity.GetValue(), 10.0);
    EXPECT_TRUE(filter.m_Antialias.GetValue());
}

TEST_F(ScriptParams, UnusableSuitesShowTheDialogAndNeitherReadNorWrite)
{
    for (int nCase = 0; nCase < 6; ++nCase) {
        pfDescriptorParameters parameters(suite, plugInDialogDontDisplay, nullptr);
        PIDescriptorParameters* pParameters = parameters.Get();
        ReadDescriptorProcs readProcs = *suite.GetReadProcs();
        WriteDescriptorProcs writeProcs = *suite.GetWriteProcs();
        pParameters->readDescriptorProcs = &readProcs;
        pParameters->writeDescriptorProcs = &writeProcs;
        switch (nCase) {
        case 0: pParameters = nullptr; break;
        case 1: pParameters->descriptorParametersVersion = 1; break;
        case 2: readProcs.numReadDescriptorProcs = 17; break;
        case 3: readProcs.getPinnedUnitFloatProc = nullptr; break;
        case 4: writeProcs.writeDescriptorProcsVersion = 1; break;
        case 5: pParameters->readDescriptorProcs = nullptr; break;
        }
        EXPECT_EQ(DescriptorAvailable(pParameters), false) << nCase;
        record.descriptorParameters = pParameters;
        EXPECT_TRUE(filter.GetParameters().ReadScriptParams(&record)) << nCase;
        filter.GetParameters().WriteScriptParams(&record);
        EXPECT_EQ(parameters.Get()->descriptor, nullptr) << nCase;
        EXPECT_EQ(suite.OpenTokens(), 0u);
    }
}

TEST_F(ScriptParams, WritingReplacesTheDescriptorStillInTheRecord)
{
    pfDescriptorParameters parameters(suite, plugInDialogDisplay, nullptr);
    parameters.Get()->descriptor = handles.New(16);
    parameters.Get()->recordInfo = plugInDialogNone;
    record.descriptorParameters = parameters.Get();
    filter.GetParameters().WriteScriptParams(&record);
    EXPECT_EQ(handles.Count(), 1u);  // the old one is gone, the new one is held
    pfDescriptor descriptor;
    EXPECT_TRUE(parameters.GetRecorded(descriptor));
    EXPECT_EQ(descriptor.size(), 25u);
    EXPECT_EQ(parameters.Get()->recordInfo, plugInDialogOptional);
}

TEST_F(ScriptParams, HandleProceduresAreUsableOnlyInVersionOneWithTheFourEssentials)
{
    HandleProcs procs = *handles.GetProcs();
    EXPECT_TRUE(HandleProcsAvailable(&procs));
    procs.numHandleProcs = 7;
    procs.lockProc = nullptr;
    EXPECT_TRUE(HandleProcsAvailable(&procs));
    procs.numHandleProcs = 6;
    EXPECT_FALSE(HandleProcsAvailable(&procs));
    procs = *handles.GetProcs();
    for (int16_t nVersion : {0, 2}) {
        procs.handleProcsVersion = nVersion;
        EXPECT_FALSE(HandleProcsAvailable(&procs)) << nVersion;
    }
    procs = *handles.GetProcs();
    procs.setSizeProc = nullptr;
    EXPECT_FALSE(HandleProcsAvailable(&procs));
    EXPECT_FALSE(HandleProcsAvailable(nullptr));
}

TEST_F(ScriptParams, ReleasingAHandleGoesThroughTheHostsDisposeProcedure)
{
    ReleaseHostHandle(handles.GetProcs(), nullptr);
    ReleaseHostHandle(handles.GetProcs(), handles.New(8));
    EXPECT_EQ(handles.Count(), 0u);

    // A host that fills the table but reports version 0 still frees its own.
    HandleProcs versionZero = *handles.GetProcs();
    versionZero.handleProcsVersion = 0;
    versionZero.numHandleProcs = 0;
    ReleaseHostHandle(&versionZero, handles.New(8));
    EXPECT_EQ(handles.Count(), 0u);
}

TEST_F(ScriptParams, TracesEntryAndExitOfReadingAndWriting)
{
    CapturedTrace trace;
    Play(plugInDialogDontDisplay, {});
    Record();
    const std::string strText = trace.Text();
    EXPECT_NE(strText.find("ENTER: pfParmeters::ReadScriptParams( pFilterRecord(0x"), std::string::npos);
    EXPECT_NE(strText.find("EXIT : pfParmeters::ReadScriptParams( return(0) )\n"), std::string::npos);
    EXPECT_NE(strText.find("EXIT : pfParmeters::WriteScriptParams(' return(0) )\n"), std::string::npos);
}
