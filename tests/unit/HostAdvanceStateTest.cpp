// The host's answer to advanceState: sampling, padding, row bytes, planes
// and the commit of the output buffer.
#include "TestSupport.h"

#include "host/record/HandleSuite.h"
#include "host/record/HostRecord.h"
#include "host/record/SideThread.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

// A 5 x 4 document whose samples tell where they come from: 100 * plane +
// 10 * y + x (8-bit), or the same times 100 (16-bit).
pfDocument NumberedDocument(int nPlanes, int nDepth = 8)
{
    pfDocument document(5, 4, nPlanes, nDepth);
    for (int p = 0; p < nPlanes; ++p)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const int nValue = p * 100 + y * 10 + x;
                document.Set(p, x, y, uint16_t(nDepth == 16 ? nValue * 100 : nValue % 256));
            }
    return document;
}

pfRecordOptions RgbOptions(bool bTransparency = false)
{
    pfRecordOptions options;
    options.format.nImageMode = plugInModeRGBColor;
    options.format.nColorPlanes = 3;
    options.format.bTransparency = bTransparency;
    return options;
}

void Request(FilterRecord& record, Rect rect, int16_t nHiPlane, int nRate = 1)
{
    record.inRect = record.outRect = rect;
    record.inLoPlane = record.outLoPlane = 0;
    record.inHiPlane = record.outHiPlane = nHiPlane;
    record.inputRate = nRate << 16;
}

uint8_t InByte(const FilterRecord& record, int nRow, int nOffset)
{
    return static_cast<const uint8_t*>(record.inData)[nRow * record.inRowBytes + nOffset];
}

struct HostFixture : ::testing::Test {
    pfHandleSuite handles;
};

bool SharesRows(const FilterRecord& record)
{
    const void* pIn = record.inData;
    const void* pOut = record.outData;
    return pIn == pOut;
}

} // namespace

using HostAdvanceState = HostFixture;
using HostRecordFields = HostFixture;

TEST_F(HostAdvanceState, DeliversInterleavedPlanesInRowsPaddedToFourBytes)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, 4, 5}, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    ASSERT_NE(Copy(record.inData), nullptr);
    EXPECT_EQ(record.inRowBytes, 16); // 15 bytes of samples, one of padding
    EXPECT_EQ(InByte(record, 2, 3 * 4 + 1), document.Get(1, 4, 2));
    EXPECT_EQ(InByte(record, 3, 15), 0);
    EXPECT_EQ(record.outRowBytes, 16);
    EXPECT_EQ(std::memcmp(record.inData, record.outData, 16 * 4), 0);
    EXPECT_EQ(record.inColumnBytes, 3);
    EXPECT_EQ(record.inPlaneBytes, 1);
}

TEST_F(HostAdvanceState, SamplesEveryNthPixelStartingAtTheOrigin)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, 2, 3}, 2, 2);
    record.outRect = Rect{0, 0, 2, 3}; // the output is never sampled
    ASSERT_EQ(record.advanceState(), noErr);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(InByte(record, r, c * 3 + 2), document.Get(2, 2 * c, 2 * r)) << r << "," << c;
    EXPECT_EQ(static_cast<const uint8_t*>(record.outData)[record.outRowBytes + 2 * 3], document.Get(0, 2, 1));
}

TEST_F(HostAdvanceState, PadsOutsideTheImageOrFailsWhenAskedTo)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, 3, 3}, 0, 2); // sampled row 2 lies at y = 4, below the image
    record.outRect = Rect{};
    EXPECT_EQ(record.advanceState(), paramErr) << "padding -3 is the host's default";

    record.inputPadding = 77;
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_EQ(InByte(record, 2, 1), 77);
    EXPECT_EQ(InByte(record, 1, 2), document.Get(0, 4, 2));

    record.inputPadding = -1; // edge replication
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_EQ(InByte(record, 2, 1), document.Get(0, 2, 3));
}

TEST_F(HostAdvanceState, CommitsOutputOnTheNextCallAndAtTheEndOfTheSelector)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    record.outRect = Rect{1, 1, 2, 3};
    record.outLoPlane = record.outHiPlane = 1;
    ASSERT_EQ(record.advanceState(), noErr);
    static_cast<uint8_t*>(record.outData)[1] = 201;
    EXPECT_NE(document.Get(1, 2, 1), 201) << "nothing is committed before the plug-in lets go";

    record.outRect = Rect{0, 0, 1, 1};
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_EQ(document.Get(1, 2, 1), 201);
    EXPECT_EQ(document.Get(1, 1, 1), 111) << "untouched output bytes carry the image";
    static_cast<uint8_t*>(record.outData)[0] = 202;
    host.EndSelector();
    EXPECT_EQ(document.Get(1, 0, 0), 202);
    EXPECT_EQ(Copy(record.outData), nullptr);
}

TEST_F(HostAdvanceState, InputStaysTheUnfilteredImageAfterOutputWasCommitted)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, 1, 1}, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    static_cast<uint8_t*>(record.outData)[0] = 250; // a preview tile
    Request(record, Rect{0, 0, 4, 5}, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_EQ(document.Get(0, 0, 0), 250);
    EXPECT_EQ(InByte(record, 0, 0), 0) << "the source is read, not the committed tile";
    // Rows first written by a later commit are kept too, for sampled reads.
    static_cast<uint8_t*>(record.outData)[2 * record.outRowBytes] = 251;
    Request(record, Rect{0, 0, 2, 3}, 2, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_EQ(document.Get(0, 0, 2), 251);
    EXPECT_EQ(InByte(record, 1, 0), 20) << "row 2, sampled";
}

// A preview as big as a screen: its rows are copied and committed on two
// threads, in halves, and every row still arrives where it belongs.
TEST_F(HostAdvanceState, ABigPreviewsRowsAllArriveAndAllAreKeptUnfiltered)
{
    constexpr int kWidth = 1500, kHeight = 1200;
    pfDocument document(kWidth, kHeight, 3, 8);
    const auto original = [](int x, int y) { return uint8_t((x + 3 * y) % 251); };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            document.Set(0, x, y, original(x, y));
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, kHeight, kWidth}, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    for (int y = 0; y < kHeight; ++y)
        static_cast<uint8_t*>(record.outData)[std::size_t(y) * record.outRowBytes + 3 * (y % kWidth)] = 255;

    Request(record, Rect{0, 0, kHeight / 2, kWidth / 2}, 2, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    int nWrongRows = 0;
    for (int y = 0; y < kHeight; ++y)
        nWrongRows += document.Get(0, y % kWidth, y) != 255;
    for (int y = 0; y < kHeight / 2; ++y)
        nWrongRows += InByte(record, y, 3 * (y % (kWidth / 2))) != original(2 * (y % (kWidth / 2)), 2 * y);
    EXPECT_EQ(nWrongRows, 0);
}

TEST(HostSideThread, AnAllocationFailureBesideComesOutHereOnceBothHaveEnded)
{
    bool bHereRan = false;
    EXPECT_THROW(RunBeside([&] { bHereRan = true; }, [] { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_TRUE(bHereRan);
}

TEST(HostSideThread, WithOneThreadAllowedBothRunHereInTurn)
{
    const char* pBefore = std::getenv("CORVANE_THREADS");
    const std::string strBefore = pBefore ? pBefore : "";
    setenv("CORVANE_THREADS", "1", 1);
    std::vector<std::thread::id> threads;
    const auto note = [&] { threads.push_back(std::this_thread::get_id()); };
    RunBeside(note, note);
    if (pBefore)
        setenv("CORVANE_THREADS", strBefore.c_str(), 1);
    else
        unsetenv("CORVANE_THREADS");
    EXPECT_EQ(threads, (std::vector<std::thread::id>(2, std::this_thread::get_id())));
}

// Writing in place: whole-pixel requests of the same rectangle get the
// document's rows; anything else is copied as ever.
TEST_F(HostAdvanceState, InPlaceRecordsHandOutTheDocumentsRowsWhereInputAndOutputCoincide)
{
    pfDocument document = NumberedDocument(3);
    pfRecordOptions options = RgbOptions();
    options.bWriteInPlace = true;
    pfHostRecord host(document, nullptr, options, handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{1, 2, 3, 5}, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    // By value: the packed record's pointers may sit misaligned.
    const void* pIn = record.inData;
    const void* pOut = record.outData;
    EXPECT_EQ(pIn, document.Row(1) + 2 * 3);
    EXPECT_EQ(pOut, pIn);
    EXPECT_EQ(int32_t(record.inRowBytes), 15);
    EXPECT_EQ(int32_t(record.outColumnBytes), 3);
    static_cast<uint8_t*>(record.outData)[0] = 201;
    EXPECT_EQ(document.Get(0, 2, 1), 201);
    EXPECT_TRUE(host.HasWrittenDocument());

    Request(record, Rect{0, 0, 4, 5}, 1); // not every plane
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_FALSE(SharesRows(record));
    Request(record, Rect{0, 0, 2, 2}, 2, 2); // sampled
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_FALSE(SharesRows(record));
}

TEST_F(HostAdvanceState, EmptyRectanglesDeliverNothing)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, 4, 5}, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    Request(record, Rect{2, 2, 2, 4}, 2);
    ASSERT_EQ(record.advanceState(), noErr);
    EXPECT_EQ(Copy(record.inData), nullptr);
    EXPECT_EQ(Copy(record.outData), nullptr);
    EXPECT_FALSE(host.HasRequest());
}

TEST_F(HostAdvanceState, RefusesPlaneRangesOutsideTheDocument)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, 1, 1}, 3);
    EXPECT_EQ(record.advanceState(), paramErr);
    Request(record, Rect{0, 0, 1, 1}, 1);
    record.inLoPlane = 2;
    EXPECT_EQ(record.advanceState(), paramErr);
}

TEST_F(HostAdvanceState, DeliversSixteenBitSamplesAndASixteenBitSampledMask)
{
    pfDocument document = NumberedDocument(1, 16);
    pfDocument mask(5, 4, 1, 16);
    mask.Set(0, 4, 2, 32768);
    pfRecordOptions options;
    options.format.nImageMode = plugInModeGray16;
    options.format.nColorPlanes = 1;
    options.format.nDepth = 16;
    pfHostRecord host(document, &mask, options, handles);
    FilterRecord& record = *host.GetRecord();
    Request(record, Rect{0, 0, 2, 3}, 0, 2);
    record.outRect = Rect{};
    record.maskRect = Rect{0, 0, 2, 3};
    record.maskRate = 2 << 16;
    ASSERT_EQ(record.advanceState(), noErr);
    uint16_t nSample = 0;
    std::memcpy(&nSample, static_cast<const uint8_t*>(record.inData) + record.inRowBytes + 2 * 2, 2);
    EXPECT_EQ(nSample, document.Get(0, 4, 2));
    EXPECT_EQ(record.inRowBytes, 8);
    const auto* pMask = static_cast<const uint8_t*>(record.maskData);
    std::memcpy(&nSample, pMask + record.maskRowBytes + 2 * 2, 2);
    EXPECT_EQ(nSample, 32768) << "16-bit documents have 16-bit masks";
    std::memcpy(&nSample, pMask + record.maskRowBytes + 2, 2);
    EXPECT_EQ(nSample, 0);
}

TEST_F(HostRecordFields, FilterCaseAndPlaneCountsDescribeTheDocument)
{
    pfDocument document = NumberedDocument(4);
    pfDocument mask(5, 4, 1, 8);
    pfHostRecord layer(document, &mask, RgbOptions(true), handles);
    const FilterRecord& record = *layer.GetRecord();
    EXPECT_EQ(record.filterCase, filterCaseEditableTransparencyWithSelection);
    EXPECT_EQ(record.planes, 4);
    EXPECT_EQ(record.inLayerPlanes, 3);
    EXPECT_EQ(record.inTransparencyMask, 1);
    EXPECT_EQ(record.outTransparencyMask, 1);
    EXPECT_TRUE(record.haveMask);
    EXPECT_EQ(record.hostSig, kHostSignature);
    EXPECT_EQ(record.handleProcs->numHandleProcs, 8);

    pfDocument flat = NumberedDocument(3);
    pfRecordOptions old = RgbOptions();
    old.bOldHost = true;
    old.bDisplayPixels = false;
    pfHostRecord oldHost(flat, nullptr, old, handles);
    EXPECT_EQ(oldHost.GetRecord()->filterCase, filterCaseFlatImageNoSelection);
    EXPECT_EQ(oldHost.GetRecord()->inLayerPlanes, 0);
    EXPECT_EQ(Copy(oldHost.GetRecord()->displayPixels), nullptr);
}

TEST_F(HostAdvanceState, RequestsBeyondTheMemoryBudgetAreAnsweredWithOutOfMemory)
{
    pfDocument document = NumberedDocument(3);
    pfHostRecord host(document, nullptr, RgbOptions(), handles);
    FilterRecord& record = *host.GetRecord();
    record.inputPadding = 0;
    Request(record, Rect{-32768, -32768, 32767, 32767}, 2);
    record.outRect = Rect{};
    EXPECT_EQ(record.advanceState(), memFullErr);
    EXPECT_EQ(Copy(record.inData), nullptr);
}
