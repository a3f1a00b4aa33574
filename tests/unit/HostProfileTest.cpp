// Our host playing real hosts: the record each profile hands the plug-in.
#include "TestSupport.h"

#include "host/plugin/FilterThread.h"
#include "host/record/HandleSuite.h"
#include "host/record/HostRecord.h"

#include <gtest/gtest.h>

#include <new>
#include <thread>

namespace {

struct HostProfiles : ::testing::Test {
    // A 6 x 4 RGB document, its samples 10 * y + x in every plane.
    HostProfiles() : document(6, 4, 3, 8)
    {
        for (int p = 0; p < 3; ++p)
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x)
                    document.Set(p, x, y, uint16_t(10 * y + x));
        options.format.nImageMode = plugInModeRGBColor;
        options.format.nColorPlanes = 3;
    }

    pfRecordOptions Playing(const char* strName)
    {
        options.pProfile = FindHostProfile(strName);
        EXPECT_NE(options.pProfile, nullptr) << strName;
        return options;
    }

    pfDocument document;
    pfRecordOptions options;
    pfHandleSuite handles;
};

} // namespace

TEST_F(HostProfiles, EachRealHostFillsTheRecordAsItsSourceShows)
{
    pfHostRecord pdn(document, nullptr, Playing("psfilterpdn"), handles);
    EXPECT_EQ(pdn.GetRecordBytes(), sizeof(void*) == 4 ? 452u : 556u);
    EXPECT_EQ(pdn.GetRecord()->hostSig, FourCC("NDP."));
    EXPECT_EQ(pdn.GetRecord()->inNonLayerPlanes, 3);
    EXPECT_EQ(pdn.GetRecord()->inLayerPlanes, 0);

    pfHostRecord irfanview(document, nullptr, Playing("irfanview"), handles);
    EXPECT_EQ(irfanview.GetRecord()->inLayerPlanes, 3);
    EXPECT_EQ(irfanview.GetRecord()->outLayerPlanes, 0);

    pfHostRecord affinity(document, nullptr, Playing("affinity"), handles);
    const HandleProcs* pProcs = affinity.GetRecord()->handleProcs;
    ASSERT_NE(pProcs, nullptr);
    EXPECT_EQ(pProcs->handleProcsVersion, 0);
    EXPECT_NE(pProcs->disposeProc, nullptr);

    const pfDocument mask(6, 4, 1, 8);
    pfHostRecord pspi(document, &mask, Playing("pspi"), handles);
    EXPECT_EQ(pspi.GetRecord()->haveMask, 0) << "GIMP clips to the selection itself";
    EXPECT_EQ(FindHostProfile("gimp"), nullptr);
}

TEST_F(HostProfiles, AHostWithoutSamplingServesEveryRequestOneToOne)
{
    pfHostRecord host(document, nullptr, Playing("pspi"), handles);
    FilterRecord& record = *host.GetRecord();
    EXPECT_EQ(record.samplingSupport, 0);
    record.inRect = Rect{0, 0, 2, 3};
    record.inHiPlane = 2;
    record.inputRate = 2 << 16;
    ASSERT_EQ(record.advanceState(), noErr);
    const auto* pIn = static_cast<const uint8_t*>(record.inData);
    EXPECT_EQ(pIn[record.inRowBytes + 3 * 2], 12) << "row 1, column 2 of the image, not row 2, column 4";
}

TEST(FilterThread, TheFilterIsCalledOnAnotherThreadAndItsResultOrFailureComesBack)
{
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id called;
    EXPECT_EQ(CallOnFilterThread([&] {
                  called = std::this_thread::get_id();
                  return int16_t(-108);
              }),
              -108);
    EXPECT_NE(called, caller);
    EXPECT_THROW(CallOnFilterThread([]() -> int16_t { throw std::bad_alloc(); }), std::bad_alloc);
}
