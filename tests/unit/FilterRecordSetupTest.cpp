#include "TestSupport.h"

#include "framework/plugin/Filter.h"
#include "framework/trace/Trace.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int g_nAdvanceCalls = 0;
OSErr g_nAdvanceResult = noErr;

OSErr CountingAdvanceState()
{
    ++g_nAdvanceCalls;
    return g_nAdvanceResult;
}

// A host without sampling: whatever the rate, it serves a 5 x 7 grey image
// whose pixel (x, y) is 10 * y + x, rows padded to 9 bytes.
FilterRecord* g_pServed = nullptr;
std::vector<uint8_t> g_In, g_Out, g_Mask;

OSErr ServeOneToOne()
{
    g_In.assign(9 * 5, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            g_In[size_t(y) * 9 + x] = uint8_t(10 * y + x);
    g_Out = g_In;
    g_Mask.assign(9 * 5, 255);
    g_pServed->inData = g_In.data();
    g_pServed->outData = g_Out.data();
    g_pServed->maskData = g_Mask.data();
    g_pServed->inRowBytes = g_pServed->outRowBytes = g_pServed->maskRowBytes = 9;
    return noErr;
}

class BareFilter : public pfFilter {
public:
    int16_t Render(FilterRecord*) override { return noErr; }
    const char* GetName() const override { return "Bare"; }
    void Use(FilterRecord* pRecord) { m_pFilterRecord = pRecord; }
};

class FilterRecordSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_nAdvanceCalls = 0;
        g_nAdvanceResult = noErr;
        m_Record = ZeroRecord();
        m_Record.imageSize = Point{100, 200};
        m_Record.planes = 3;
        m_Record.samplingSupport = 1;
        m_Record.advanceState = CountingAdvanceState;
        m_Filter.Use(&m_Record);
    }

    FilterRecord m_Record;
    BareFilter m_Filter;
};

bool SameRect(const Rect& a, const Rect& b)
{
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

}  // namespace

TEST_F(FilterRecordSetup, FactorThreeRequestsTheReducedImageAndKeepsTheFilterRect)
{
    EXPECT_EQ(m_Filter.SetupFilterRecord(&m_Record, 3), noErr);
    EXPECT_TRUE(SameRect(m_Record.inRect, Rect{0, 0, 33, 66}));
    EXPECT_TRUE(SameRect(m_Record.outRect, Rect{0, 0, 33, 66}));
    EXPECT_TRUE(SameRect(m_Record.filterRect, Rect{0, 0, 100, 200}));
    EXPECT_EQ(m_Record.inputRate, 3 * 65536);
    EXPECT_EQ(m_Record.maskRate, 3 * 65536);
    EXPECT_EQ(g_nAdvanceCalls, 1);
}

TEST_F(FilterRecordSetup, FactorZeroBehavesAsFullScale)
{
    m_Filter.SetupFilterRecord(&m_Record, 0);
    EXPECT_TRUE(SameRect(m_Record.outRect, Rect{0, 0, 100, 200}));
    EXPECT_EQ(m_Record.inputRate, 65536);
    EXPECT_EQ(m_Filter.GetScaleX(), 1);
    EXPECT_EQ(m_Filter.GetScaleY(), 1);
}

TEST_F(FilterRecordSetup, PaddingAbsoluteIndexingAndPlanesAreRequested)
{
    m_Filter.SetupFilterRecord(&m_Record, 1);
    EXPECT_EQ(m_Record.inputPadding, 255);
    EXPECT_EQ(m_Record.outputPadding, 255);
    EXPECT_EQ(m_Record.maskPadding, 0);
    EXPECT_TRUE(m_Record.wantsAbsolute);
    EXPECT_EQ(m_Record.inLoPlane, 0);
    EXPECT_EQ(m_Record.outLoPlane, 0);
    // A host that leaves the layer counts 0 gets planes 0 to planes - 1.
    EXPECT_EQ(m_Record.inHiPlane, 2);
    EXPECT_EQ(m_Record.outHiPlane, 2);
}

TEST_F(FilterRecordSetup, LayerPlaneCountsDecideThePlaneRange)
{
    m_Record.planes = 3;
    m_Record.inLayerPlanes = 3;
    m_Record.inTransparencyMask = 1;
    m_Filter.SetupFilterRecord(&m_Record, 1);
    EXPECT_EQ(m_Record.inHiPlane, 3);
    EXPECT_EQ(m_Record.outHiPlane, 3);
}

TEST_F(FilterRecordSetup, SelectionOnALayerSwitchesAutoMaskOffAndRequestsTheMask)
{
    m_Record.haveMask = true;
    m_Record.autoMask = true;
    m_Filter.SetupFilterRecord(&m_Record, 2);
    EXPECT_FALSE(m_Record.autoMask);
    EXPECT_TRUE(SameRect(m_Record.maskRect, m_Record.inRect));
}

TEST_F(FilterRecordSetup, FloatingSelectionKeepsAutoMaskAndNoSelectionLeavesMaskRect)
{
    m_Record.haveMask = true;
    m_Record.isFloating = true;
    m_Record.autoMask = true;
    m_Filter.SetupFilterRecord(&m_Record, 1);
    EXPECT_TRUE(m_Record.autoMask);

    FilterRecord record = ZeroRecord();
    record.imageSize = Point{10, 10};
    record.maskRect = Rect{1, 2, 3, 4};
    record.advanceState = CountingAdvanceState;
    m_Filter.SetupFilterRecord(&record, 1);
    EXPECT_TRUE(SameRect(record.maskRect, Rect{1, 2, 3, 4}));
}

TEST_F(FilterRecordSetup, HostErrorIsReturnedUnchanged)
{
    g_nAdvanceResult = -30100;
    EXPECT_EQ(m_Filter.SetupFilterRecord(&m_Record, 1), -30100);
}

TEST_F(FilterRecordSetup, ScaleAccessorsDivideTheImageByTheOutputRect)
{
    m_Record.imageSize = Point{300, 401};
    m_Filter.SetupFilterRecord(&m_Record, 4);
    EXPECT_EQ(m_Record.outRect.right, 100);
    EXPECT_EQ(m_Filter.GetScaleX(), 4);
    EXPECT_EQ(m_Filter.GetScaleY(), 4);
}

TEST(ScaleRect, TruncatesEachCoordinate)
{
    Rect rect{10, 11, 101, 203};
    ScaleRect(rect, 2, 3);
    EXPECT_TRUE(SameRect(rect, Rect{6, 7, 67, 135}));
}

TEST_F(FilterRecordSetup, TraceDumpsTheRecordAsItCameFromTheHost)
{
    CapturedTrace trace;
    m_Record.imageMode = plugInModeRGBColor;
    m_Record.depth = 8;
    m_Record.outRect = Rect{1, 2, 3, 4};
    m_Filter.SetupFilterRecord(&m_Record, 2);
    const std::string strText = trace.Text();
    EXPECT_NE(strText.find("ENTER: pfFilter::SetupFilterRecord( pFilterRecord(0x"), std::string::npos);
    EXPECT_NE(strText.find("), nScaleFactor(2) )\n    pFilterRecord:\n        imageMode(3)\n        filterCase(0)\n"
                           "        planes(3)\n        depth(8)\n        inData(0x"),
              std::string::npos);
    EXPECT_NE(strText.find("        imageSize.h(200)\n        imageSize.v(100)\n"), std::string::npos);
    EXPECT_NE(strText.find("        outRect: left(2), right(4), top(1), bottom(3)\n"), std::string::npos);
    EXPECT_NE(strText.find("\nEXIT : pfFilter::SetupFilterRecord\n"), std::string::npos);
}

TEST_F(FilterRecordSetup, OutputPlanesAreThoseTheHostOffers)
{
    m_Record.planes = 4;
    m_Record.inLayerPlanes = 3;
    m_Record.inTransparencyMask = 1;
    m_Record.outLayerPlanes = 3;
    EXPECT_EQ(m_Filter.SetupFilterRecord(&m_Record, 1), noErr);
    EXPECT_EQ(m_Record.inHiPlane, 3);
    EXPECT_EQ(m_Record.outHiPlane, 2);

    m_Record.outLayerPlanes = 0;
    EXPECT_EQ(m_Filter.SetupFilterRecord(&m_Record, 1), noErr);
    EXPECT_EQ(m_Record.outHiPlane, 3) << "no output counts: the input's planes";
}

TEST(FilterRecordSetupWithoutSampling, TheHostGetsOneToOneAndThePreviewIsReducedHere)
{
    BareFilter filter;
    FilterRecord record = ZeroRecord();
    record.imageSize = Point{5, 7};
    record.planes = 1;
    record.depth = 8;
    record.haveMask = true;
    record.advanceState = ServeOneToOne;
    g_pServed = &record;
    filter.Use(&record);
    ASSERT_EQ(filter.SetupFilterRecord(&record, 2), noErr);
    EXPECT_EQ(record.inputRate, 65536);
    EXPECT_TRUE(SameRect(record.inRect, Rect{0, 0, 5, 7}));

    const FilterRecord& reduced = *filter.GetRenderRecord();
    ASSERT_NE(&reduced, &record);
    EXPECT_TRUE(SameRect(reduced.outRect, Rect{0, 0, 2, 3}));
    EXPECT_EQ(filter.GetScaleX(), 2);
    const auto* pIn = static_cast<const uint8_t*>(reduced.inData);
    EXPECT_EQ((std::vector<uint8_t>(pIn, pIn + 6)), (std::vector<uint8_t>{0, 2, 4, 20, 22, 24}));
    EXPECT_EQ(reduced.inRowBytes, 3);
    EXPECT_EQ(static_cast<const uint8_t*>(reduced.maskData)[5], 255);
    const AdvanceStateProc pReducedAdvance = reduced.advanceState, pHostAdvance = record.advanceState;
    EXPECT_EQ(pReducedAdvance, pHostAdvance);

    // The final render goes through the host's record again.
    ASSERT_EQ(filter.SetupFilterRecord(&record, 1), noErr);
    EXPECT_EQ(filter.GetRenderRecord(), &record);
}

