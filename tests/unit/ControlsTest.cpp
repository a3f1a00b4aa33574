// The dialog controls' arithmetic and the bindings' logic, on a fake set of
// controls: numbers as edits show and read them, angles as turns and
// degrees, dragging a dial across the top, and randomize.
#include "filter/FilterCorvane.h"
#include "filter/Randomize.h"
#include "framework/controls/AngleMath.h"
#include "framework/controls/ControlText.h"
#include "framework/controls/DialogControls.h"
#include "framework/controls/SwatchGrey.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <map>

namespace {

// Controls kept in maps; one of them has the focus.
class FakeControls : public pfNoDialogControls {
public:
    std::string GetText(void*, int nId, int nMaxChars) override { return texts[nId].substr(0, nMaxChars); }
    void SetText(void*, int nId, const std::string& strText) override { texts[nId] = strText; }
    bool HasFocus(void*, int nId) override { return nId == nFocus; }
    int GetTrackbarPosition(void*, int nId) override { return positions[nId]; }
    void SetTrackbarPosition(void*, int nId, int nPosition, bool) override { positions[nId] = nPosition; }
    pfCheckState GetCheck(void*, int nId) override { return checks[nId]; }
    int GetListSelection(void*, int nId) override { return selections[nId]; }

    std::map<int, std::string> texts;
    std::map<int, int> positions;
    std::map<int, pfCheckState> checks;
    std::map<int, int> selections;
    int nFocus = -1;
};

class ControlsPlatform : public RecordingPlatform {
public:
    pfDialogControls& Controls() override { return controls; }
    FakeControls controls;
};

struct BoundFilter : ::testing::Test {
    BoundFilter()
    {
        for (pfParameterUI* pBinding : filter.GetBindings())
            dynamic_cast<pfParameterUIWin32*>(pBinding)->SetWindow(this);
    }
    FakeControls& controls = platform.controls;
    ControlsPlatform platform;
    pfFilterCorvane filter;

    // Types into an edit that has the focus.
    bool Type(pfParameterUIWin32& binding, int nId, const std::string& strText)
    {
        controls.nFocus = nId;
        controls.texts[nId] = strText;
        return binding.ReadControl();
    }
};

} // namespace

TEST(ControlText, NumbersShowAsTheDefaultStreamFormat)
{
    EXPECT_EQ(FormatNumber(0.5), "0.5");
    EXPECT_EQ(FormatNumber(12.345678), "12.3457");
    EXPECT_EQ(FormatNumber(10.0), "10");
    EXPECT_EQ(FormatDegrees(45.0), "45.00");
    EXPECT_EQ(FormatTurns(-0.0), "0");
}

TEST(ControlText, OnlyWholeFiniteDecimalNumbersParse)
{
    double f = 7;
    EXPECT_TRUE(ParseNumber(" 2.5", f));
    EXPECT_EQ(f, 2.5);
    EXPECT_TRUE(ParseNumber("-.5e1", f));
    EXPECT_EQ(f, -5);
    for (const char* strBad : {"", "-", ".", "0.7abc", "2.5 ", "1e999", "nan", "inf", "0x10", "1e", "\xc3\xa9"})
        EXPECT_FALSE(ParseNumber(strBad, f)) << strBad;
    EXPECT_EQ(f, -5);
}

TEST(ControlText, TrackbarPositionsAreHundredthsKeptInRange)
{
    EXPECT_EQ(TrackbarPosition(0.299), 29);
    EXPECT_EQ(TrackbarPosition(-1.0), -100);
    EXPECT_EQ(TrackbarPosition(1e300), INT_MAX);
    EXPECT_EQ(TrackbarPosition(std::nan("")), 0);
}

TEST(AngleMath, AnglesSplitIntoTurnsAndDegrees)
{
    EXPECT_EQ(SplitAngle(-30).fTurns, -1);
    EXPECT_EQ(SplitAngle(-30).fDegrees, 330);
    EXPECT_EQ(SplitAngle(725).fTurns, 2);
    EXPECT_EQ(SplitAngle(725).fDegrees, 5);
    EXPECT_EQ(SplitAngle(360).fTurns, 1);
}

TEST(AngleMath, DraggingAcrossTheTopMovesIntoTheNextTurnAndBack)
{
    const double a = 10 * 3.141592653589793 / 180;
    double fAngle = 0;
    ASSERT_TRUE(AngleFromPoint(350, std::sin(a), -std::cos(a), fAngle));
    EXPECT_NEAR(fAngle, 370, 1e-6);
    ASSERT_TRUE(AngleFromPoint(370, -std::sin(a), -std::cos(a), fAngle));
    EXPECT_NEAR(fAngle, 350, 1e-6);
    ASSERT_TRUE(AngleFromPoint(90, 0, 1, fAngle));
    EXPECT_NEAR(fAngle, 180, 1e-6) << "straight down";
    EXPECT_FALSE(AngleFromPoint(90, 0, 0, fAngle)) << "the centre has no direction";
    const pfDialPoint tip = DialTip(180, 50, 50, 20);
    EXPECT_EQ(tip.x, 50);
    EXPECT_EQ(tip.y, 70) << "0 degrees points up, angles grow clockwise";
}

namespace {

// The pointer direction the C library's arc cosine gives, in the dial's
// degrees, compared around the circle.
double DegreesOffReference(double fAngle, double dx, double dy)
{
    const double kDialPi = 3.1415926535, r = std::sqrt(dx * dx + dy * dy);
    const double fTheta = dx / r > 0 ? std::acos(-dy / r) : std::acos(dy / r) + kDialPi;
    const double fOff = std::fabs(std::fmod(fAngle - fTheta * 180.0 / kDialPi, 360.0));
    return std::min(fOff, 360.0 - fOff);
}

} // namespace

TEST(AngleMath, EveryPointerDirectionReadsAsTheLibrarysArcCosineDoes)
{
    double fAngle = 0;
    for (int dx = -40; dx <= 40; ++dx)
        for (int dy = -40; dy <= 40; ++dy) {
            if (AngleFromPoint(180, dx, dy, fAngle)) {
                EXPECT_LT(DegreesOffReference(fAngle, dx, dy), 1e-9) << dx << "," << dy;
            }
        }
    for (double fTiny = 1e-3; fTiny > 1e-12; fTiny *= 0.1)
        for (const double dx : {fTiny, -fTiny})
            for (const double dy : {1.0, -1.0}) {
                ASSERT_TRUE(AngleFromPoint(180, dx, dy, fAngle));
                EXPECT_LT(DegreesOffReference(fAngle, dx, dy), 1e-9) << dx << "," << dy;
            }
}

TEST(AngleMath, StraightUpIsExactlyTheTopOfATurn)
{
    double fAngle = 0;
    ASSERT_TRUE(AngleFromPoint(0, 0, -47, fAngle));
    EXPECT_EQ(SplitAngle(fAngle).fTurns, 0);
    EXPECT_EQ(FormatDegrees(SplitAngle(fAngle).fDegrees), "0.00");
    ASSERT_TRUE(AngleFromPoint(350, 0, -47, fAngle));
    EXPECT_EQ(SplitAngle(fAngle).fTurns, 1) << "clockwise past the top";
    EXPECT_EQ(FormatDegrees(SplitAngle(fAngle).fDegrees), "0.00");
    ASSERT_TRUE(AngleFromPoint(90, 0, 47, fAngle));
    EXPECT_EQ(FormatDegrees(SplitAngle(fAngle).fDegrees), "180.00");
    EXPECT_EQ(FormatDegrees(-0.0), "0.00") << "a randomized zero";
}

TEST(SwatchGrey, AColourBecomesItsLuminanceAndAGreyStaysExactlyAsItWas)
{
    double r = 0.5, g = 0.8, b = 0.05;
    ASSERT_TRUE(ToSwatchGrey(r, g, b));
    EXPECT_DOUBLE_EQ(r, 0.5958217382);
    EXPECT_TRUE(r == g && g == b);
    // The weights would turn this grey into 0.05000000000000001.
    double fGrey = 0.05;
    ASSERT_NE(0.292687786 * fGrey + 0.552149646 * fGrey + 0.155162568 * fGrey, fGrey);
    r = g = b = fGrey;
    EXPECT_FALSE(ToSwatchGrey(r, g, b));
    EXPECT_TRUE(r == fGrey && g == fGrey && b == fGrey);
}

TEST(Randomize, WeightsAreCubedThousandthsAndAnglesStayWithinTheStrength)
{
    pfRandom random(12345);
    for (int i = 0; i < 2000; ++i) {
        const double fWeight = RandomWeight(random);
        EXPECT_LE(std::fabs(fWeight), 1.0);
        EXPECT_NEAR(fWeight * 1000, std::round(fWeight * 1000), 1e-9);
        EXPECT_LE(std::fabs(RandomAngle(random, 5.0)), 1800.0);
        EXPECT_EQ(RandomAngle(random, 0.0), 0.0);
    }
}

TEST_F(BoundFilter, TypedFloatsFollowTheirBoundsAndBadTextChangesNothing)
{
    EXPECT_TRUE(Type(filter.m_InnerDensityUI, 1013, "0.5"));
    EXPECT_EQ(controls.positions[1011], 50) << "the slider follows";
    EXPECT_TRUE(Type(filter.m_InnerDensityUI, 1013, "3"));
    EXPECT_EQ(filter.m_InnerDensity.GetValue(), 3) << "the maximum is not enforced";
    EXPECT_TRUE(Type(filter.m_WeightX1X2UI, 1060, "5"));
    EXPECT_EQ(filter.m_WeightX1X2.GetValue(), 1) << "this one is";
    for (const char* strBad : {"0.7abc", "", "1e999", "nan"})
        EXPECT_FALSE(Type(filter.m_GammaCorrectionUI, 1066, strBad)) << strBad;
    EXPECT_EQ(filter.m_GammaCorrection.GetValue(), 1.0);
    controls.nFocus = -1;
    filter.m_GammaCorrectionUI.OnKillFocus(1066);
    EXPECT_EQ(controls.texts[1066], "1") << "leaving the edit shows the value in effect";
    EXPECT_FALSE(Type(filter.m_GammaCorrectionUI, 1013, "2")) << "another control's focus reads nothing";
}

TEST_F(BoundFilter, TheSliderWritesTheEditAndAListSelectsByPosition)
{
    controls.nFocus = 1011;
    controls.positions[1011] = 30;
    EXPECT_TRUE(filter.m_InnerDensityUI.ReadControl());
    EXPECT_EQ(controls.texts[1013], "0.3");
    controls.selections[1008] = 6;
    EXPECT_TRUE(filter.m_BlendModeUI.ReadControl());
    EXPECT_EQ(filter.m_BlendMode.GetSelection(), 7);
}

TEST_F(BoundFilter, AnglesReadTurnsAndDegreesAndShowTheSplit)
{
    controls.texts[1036] = "2";
    EXPECT_TRUE(Type(filter.m_InnerAngleX1UI, 1037, "5"));
    EXPECT_EQ(filter.m_InnerAngleX1.GetValue(), 725);
    EXPECT_EQ(controls.texts[1036], "2") << "the turns being typed stay";
    controls.texts[1036] = "1e308";
    EXPECT_FALSE(Type(filter.m_InnerAngleX1UI, 1037, "5")) << "an infinite angle is not stored";
    controls.texts[1036] = "0";
    EXPECT_TRUE(Type(filter.m_InnerAngleX1UI, 1037, "-30"));
    controls.nFocus = -1;
    filter.m_InnerAngleX1UI.OnKillFocus(1037);
    EXPECT_EQ(controls.texts[1036], "-1");
    EXPECT_EQ(controls.texts[1037], "330.00");
}

TEST_F(BoundFilter, ARandomizePressIsOneUndoStepOfFourteenValues)
{
    filter.m_Randomize.SetValue(0.0);
    filter.m_OffsetX1.SetValue(12);
    filter.m_WeightX1X2.SetValue(0.5);
    controls.nFocus = 1075;
    controls.checks[1075] = pfCheckState::Unchecked;
    EXPECT_FALSE(filter.m_RandomizeButtonUI.ReadControl()) << "the button itself is not undoable";
    EXPECT_EQ(filter.m_OffsetX1.GetValue(), 0);
    EXPECT_EQ(filter.m_OuterAngleY2.GetValue(), 0);
    ASSERT_TRUE(filter.GetUndoStack().Undo());
    EXPECT_EQ(filter.m_OffsetX1.GetValue(), 12);
    EXPECT_EQ(filter.m_OuterAngleY2.GetValue(), 106);
    EXPECT_EQ(filter.m_WeightX1X2.GetValue(), 0.5);
    EXPECT_FALSE(filter.GetUndoStack().CanUndo());
}

namespace {

ColorServicesInfo g_LastRequest;
int16_t g_Answer[3];
OSErr g_nColorResult = noErr;

OSErr PF_CDECL AnswerColor(ColorServicesInfo* pInfo)
{
    g_LastRequest = *pInfo;
    for (int i = 0; i < 3; ++i)
        pInfo->colorComponents[i] = g_Answer[i];
    return g_nColorResult;
}

FilterRecord RgbRecordWithPicker()
{
    FilterRecord record = ZeroRecord();
    record.colorServices = AnswerColor;
    record.imageMode = plugInModeRGBColor;
    return record;
}

} // namespace

TEST(ColorRequest, TheHostsPickerGetsAndGivesComponentsWithGreyReducedFor8BitGrey)
{
    RecordingPlatform platform;
    pfFilterCorvane filter;
    FilterRecord record = RgbRecordWithPicker();
    double r = 1, g = 0.5, b = 0;
    g_Answer[0] = 300, g_Answer[1] = -4, g_Answer[2] = 51;
    ASSERT_TRUE(filter.RequestColor(&record, r, g, b));
    EXPECT_EQ(g_LastRequest.colorComponents[0], 255);
    EXPECT_EQ(g_LastRequest.colorComponents[1], 127);
    EXPECT_EQ(g_LastRequest.sourceSpace, 0);
    EXPECT_EQ((std::array<double, 3>{r, g, b}), (std::array<double, 3>{1.0, 0.0, 0.2})) << "kept within 0..255";

    record.imageMode = plugInModeGrayScale;
    g_Answer[0] = 255, g_Answer[1] = g_Answer[2] = 0;
    ASSERT_TRUE(filter.RequestColor(&record, r, g, b));
    EXPECT_EQ(g_LastRequest.sourceSpace, 4);
    EXPECT_DOUBLE_EQ(r, 0.292687786);
    EXPECT_EQ(g, r);

    record.imageMode = plugInModeGray16;
    ASSERT_TRUE(filter.RequestColor(&record, r, g, b));
    EXPECT_EQ((std::array<double, 3>{r, g, b}), (std::array<double, 3>{1.0, 0.0, 0.0})) << "no reduction at 16 bits";

    g_nColorResult = userCanceledErr;
    EXPECT_FALSE(filter.RequestColor(&record, r, g, b));
    EXPECT_EQ(r, 1.0);
    g_nColorResult = noErr;
}

TEST(ColorRequest, AColourThePickerGivesBackAsItWentOutIsKeptExactly)
{
    RecordingPlatform platform;
    pfFilterCorvane filter;
    FilterRecord record = RgbRecordWithPicker();
    // The default colour goes out as 127, 204, 12; a whole 33/255 as 32.
    const double f33 = 33 * 0.00392156862745098;
    for (const std::array<double, 3> color : {std::array<double, 3>{0.5, 0.8, 0.05}, {f33, f33, f33}}) {
        double r = color[0], g = color[1], b = color[2];
        for (int i = 0; i < 3; ++i)
            g_Answer[i] = int16_t(color[i] * 255);
        ASSERT_TRUE(filter.RequestColor(&record, r, g, b));
        EXPECT_EQ((std::array<double, 3>{r, g, b}), color);
    }
}

namespace {

// The system colour dialog, answering with pure green.
class GreenColorDialog : public pfPreviewAccept {
public:
    bool AlternativeColorSelection(FilterRecord*, double& r, double& g, double& b) override
    {
        ++nShown;
        r = 0, g = 1, b = 0;
        return true;
    }
    int nShown = 0;
};

class FilterWithColorDialog : public pfFilterCorvane {
public:
    FilterWithColorDialog()
    {
        auto pDialog = std::make_unique<GreenColorDialog>();
        pColorDialog = pDialog.get();
        m_pDialog = std::move(pDialog);
    }
    GreenColorDialog* pColorDialog;
};

} // namespace

TEST(ColorRequest, TheSystemDialogStandsInWhenTheHostHasNoWorkingPicker)
{
    RecordingPlatform platform;
    FilterWithColorDialog filter;
    FilterRecord record = RgbRecordWithPicker();
    const auto request = [&](OSErr nHostAnswer) {
        g_nColorResult = nHostAnswer;
        g_Answer[0] = g_Answer[1] = g_Answer[2] = 0;
        double r = 1, g = 0, b = 0;
        const bool bChosen = filter.RequestColor(&record, r, g, b);
        g_nColorResult = noErr;
        return bChosen ? std::array<double, 3>{r, g, b} : std::array<double, 3>{-1, -1, -1};
    };
    const std::array<double, 3> green{0, 1, 0}, black{0, 0, 0}, unchanged{-1, -1, -1};
    EXPECT_EQ(request(noErr), black) << "the host's answer, even the colour given back unchanged";
    EXPECT_EQ(request(userCanceledErr), unchanged) << "the user cancelled the host's picker";
    EXPECT_EQ(filter.pColorDialog->nShown, 0);
    EXPECT_EQ(request(errPlugInHostInsufficient), green);
    EXPECT_EQ(request(paramErr), green);
    record.colorServices = nullptr;
    EXPECT_EQ(request(noErr), green);
    EXPECT_EQ(filter.pColorDialog->nShown, 3);
}

