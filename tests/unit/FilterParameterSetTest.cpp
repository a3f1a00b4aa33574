#include "filter/FilterCorvane.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FloatExpectation {
    const char* strName;
    double fValue;
    double fMin;
    bool bMinEnforced;
    double fMax;
    bool bMaxEnforced;
};

}  // namespace

TEST(FilterParameterSet, RegistersTwentyFourParametersInDeclarationOrder)
{
    pfFilterCorvane filter;
    const char* const names[] = {"Color",        "GammaCorrection", "BlendMode",    "InnerDensity", "OuterDensity",
                                 "AddFactor",    "WeightX1X2",      "WeightY1Y2",   "Randomize",    "OffsetX1",
                                 "OffsetX2",     "OffsetY1",        "OffsetY2",     "InnerAngleX1", "InnerAngleX2",
                                 "InnerAngleY1", "InnerAngleY2",    "OuterAngleX1", "OuterAngleX2", "OuterAngleY1",
                                 "OuterAngleY2", "Antialias",       "ClipColor",    "Randomize Button"};
    ASSERT_EQ(filter.GetParameters().GetParameterCount(), 24);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(filter.GetParameters().GetParameter(i)->GetName(), names[i]);
    EXPECT_STREQ(filter.GetName(), "CorvaneII");
}

TEST(FilterParameterSet, FreshFilterReportsTheDefaultsAndBounds)
{
    pfFilterCorvane filter;
    double r, g, b;
    filter.m_Color.GetValue(r, g, b);
    EXPECT_EQ(r, 0.5);
    EXPECT_EQ(g, 0.8);
    EXPECT_EQ(b, 0.05);
    const FloatExpectation floats[] = {
        {"GammaCorrection", 1.0, 0.0, true, 3.0, false}, {"InnerDensity", 0.1, 0.0, true, 2.0, false},
        {"OuterDensity", 10.0, 0.0, true, 2.0, false},   {"AddFactor", 0.25, 0.0, true, 2.0, false},
        {"WeightX1X2", 0.0, -1.0, true, 1.0, true},      {"WeightY1Y2", 0.0, -1.0, true, 1.0, true},
        {"Randomize", 1.0, 0.0, true, 5.0, false},       {"OffsetX1", 0.0, 0.0, false, 1.0, false},
        {"InnerAngleX1", 33.0, 0.0, false, 1.0, false},  {"InnerAngleX2", 135.0, 0.0, false, 1.0, false},
        {"InnerAngleY1", 43.0, 0.0, false, 1.0, false},  {"InnerAngleY2", 146.0, 0.0, false, 1.0, false},
        {"OuterAngleX1", 246.0, 0.0, false, 1.0, false}, {"OuterAngleX2", 356.0, 0.0, false, 1.0, false},
        {"OuterAngleY1", 43.0, 0.0, false, 1.0, false},  {"OuterAngleY2", 106.0, 0.0, false, 1.0, false},
    };
    for (const FloatExpectation& expected : floats) {
        const pfParameterFloat* pFloat = nullptr;
        for (pfParameter* pParameter : filter.GetParameters())
            if (pParameter->GetName() == expected.strName)
                pFloat = dynamic_cast<const pfParameterFloat*>(pParameter);
        ASSERT_NE(pFloat, nullptr) << expected.strName;
        EXPECT_EQ(pFloat->GetValue(), expected.fValue) << expected.strName;
        EXPECT_EQ(pFloat->GetMin(), expected.fMin) << expected.strName;
        EXPECT_EQ(pFloat->IsMinEnforced(), expected.bMinEnforced) << expected.strName;
        EXPECT_EQ(pFloat->GetMax(), expected.fMax) << expected.strName;
        EXPECT_EQ(pFloat->IsMaxEnforced(), expected.bMaxEnforced) << expected.strName;
    }
    EXPECT_TRUE(filter.m_Antialias.GetValue());
    EXPECT_FALSE(filter.m_ClipColor.GetValue());
    EXPECT_FALSE(filter.m_RandomizeButton.GetValue());
}

TEST(FilterParameterSet, BlendModeListsTheTwentyTwoModesWithScreenSelected)
{
    pfFilterCorvane filter;
    ASSERT_EQ(filter.m_BlendMode.GetCount(), 22);
    EXPECT_EQ(filter.m_BlendMode.GetSelection(), 3);
    EXPECT_EQ(filter.m_BlendMode.GetItem(0), "normal");
    EXPECT_EQ(filter.m_BlendMode.GetItem(2), "screen");
    EXPECT_EQ(filter.m_BlendMode.GetItem(14), "hue");
    EXPECT_EQ(filter.m_BlendMode.GetItem(21), "(none) replace");
}

TEST(FilterParameterSet, OnlyTheRandomizeParametersStayOutOfStorageAndUndo)
{
    pfFilterCorvane filter;
    for (pfParameter* pParameter : filter.GetParameters()) {
        const bool bRandomize = pParameter->GetName().rfind("Randomize", 0) == 0;
        EXPECT_EQ(pParameter->IsSaved(), !bRandomize) << pParameter->GetName();
        EXPECT_EQ(pParameter->IsUndoable(), !bRandomize) << pParameter->GetName();
    }
}

TEST(FilterParameterSet, ScriptKeysAreFourCharacterCodesWithTheButtonUnkeyed)
{
    pfFilterCorvane filter;
    int32_t nKeys = 0;
    for (pfParameter* pParameter : filter.GetParameters())
        nKeys += pParameter->CountScriptKeys();
    EXPECT_EQ(nKeys, 25);
    EXPECT_EQ(filter.m_GammaCorrection.GetScriptKey(), 0x47414D41u);
    EXPECT_EQ(filter.m_RandomizeButton.GetScriptKey(), 0u);
    DescriptorKeyID keys[3] = {};
    filter.m_Color.GetScriptKeys(keys);
    EXPECT_EQ(keys[0], FourCC("COL1"));
    EXPECT_EQ(keys[2], FourCC("COL3"));
}
