// The preview's zoom labels, render factors, fit rule, buffer stride,
// scrolling and the mapping of window points into the image.
#include "framework/dialog/PreviewGeometry.h"

#include <gtest/gtest.h>

TEST(PreviewZoom, LabelsShowFourSignificantDigits)
{
    EXPECT_EQ(ZoomLabel(1), "100%");
    EXPECT_EQ(ZoomLabel(2), "50%");
    EXPECT_EQ(ZoomLabel(3), "33.33%");
    EXPECT_EQ(ZoomLabel(8), "12.5%");
    EXPECT_EQ(ZoomLabel(0), "133.3%");
    EXPECT_EQ(ZoomLabel(-1), "200%");
    EXPECT_EQ(ZoomLabel(-2), "266.7%");
}

TEST(PreviewZoom, RenderPassesMakeTheRenderCoarserAndMagnificationsShareOneFactor)
{
    EXPECT_EQ(RenderFactor(3, 0), 3);
    EXPECT_EQ(RenderFactor(3, 2), 5);
    EXPECT_EQ(RenderFactor(0, 0), 1);
    EXPECT_EQ(RenderFactor(-1, 0), 1);
    EXPECT_EQ(RenderFactor(-1, 1), 2);
    EXPECT_DOUBLE_EQ(DisplayScale(3, 0), 1.0);
    EXPECT_DOUBLE_EQ(DisplayScale(2, 2), 0.5);
    EXPECT_DOUBLE_EQ(DisplayScale(0, 0), 0.75);
    EXPECT_DOUBLE_EQ(DisplayScale(-1, 1), 0.25);
}

TEST(PreviewZoom, FitPicksTheSmallestReductionShowingTheWholeImage)
{
    EXPECT_EQ(FitScaleFactor(640, 480, 600, 500), 2);
    EXPECT_EQ(FitScaleFactor(4000, 3000, 853, 800), 5);
    EXPECT_EQ(FitScaleFactor(100, 50, 600, 500), 1);
    EXPECT_EQ(FitScaleFactor(100, 50, 0, 0), 101) << "an empty frame divides by one";
}

TEST(PreviewBuffer, StrideIsTheNextMultipleOf32AboveTheWidth)
{
    EXPECT_EQ(PreviewBufferStride(64), 96);
    EXPECT_EQ(PreviewBufferStride(65), 96);
    EXPECT_EQ(PreviewBufferStride(1), 32);
    EXPECT_EQ(PreviewBufferStride(0), 32);
}

TEST(PreviewScroll, ZoomingKeepsTheCentredPoint)
{
    // 320 rendered pixels at scale 1 in a 100-pixel frame scrolled to 50:
    // the frame's centre shows pixel 100.
    const int nCentre = CentredPoint({100, 320, 1.0, 50});
    EXPECT_EQ(nCentre, 100);
    // The same point in a render twice as large, seen at scale 0.5.
    EXPECT_EQ(ScrollToCentre(nCentre, 320, 640, 0.5, 100), 175);
    // A whole image in the frame centres on its middle.
    EXPECT_EQ(CentredPoint({400, 320, 1.0, 0}), 160);
    EXPECT_EQ(ScrollToCentre(7, 0, 640, 1.0, 100), 270) << "an unknown old size centres the new image";
}

TEST(PreviewScroll, PanningStopsAtTheImageEdges)
{
    EXPECT_EQ(ClampScroll({100, 320, 1.0, 500}), 220);
    EXPECT_EQ(ClampScroll({100, 320, 1.0, -20}), 0);
    EXPECT_EQ(ClampScroll({400, 320, 1.0, 30}), 0) << "a smaller image cannot be scrolled";
}

TEST(PreviewRender, OnlyWhatTheFrameShowsIsRenderedWithAMarginForPanning)
{
    // 100 frame pixels at scale 1, scrolled to 50 of 320: pixels 50..150
    // (one more for rounding), 8 more each side.
    const pfRenderSpan across = VisibleSpan({100, 320, 1.0, 50}, false, 8);
    EXPECT_EQ(across.nFirst, 42);
    EXPECT_EQ(across.nEnd, 159);
    // The same scroll counted from the image's end: rows 169..270.
    const pfRenderSpan down = VisibleSpan({100, 320, 1.0, 50}, true, 8);
    EXPECT_EQ(down.nFirst, 161);
    EXPECT_EQ(down.nEnd, 278);
    // A picture the frame holds whole, and one scrolled past its end.
    EXPECT_EQ(VisibleSpan({400, 320, 1.0, 0}, true, 8).nEnd, 320);
    EXPECT_EQ(VisibleSpan({400, 320, 1.0, 0}, true, 8).nFirst, 0);
    EXPECT_EQ(VisibleSpan({100, 320, 0.5, 900}, false, 0).nFirst, 270);
    EXPECT_EQ(VisibleSpan({100, 320, 0.5, 900}, false, 0).nEnd, 320);
}

TEST(PreviewPicture, ASmallerPictureIsCentredAndALargerOneFillsTheFrame)
{
    const pfPictureSpan small = PictureSpan(0, {400, 320, 1.0, 0});
    EXPECT_EQ(small.nStart, 40);
    EXPECT_EQ(small.nShown, 320);
    const pfPictureSpan large = PictureSpan(5, {400, 320, 0.5, 0});
    EXPECT_EQ(large.nStart, 5);
    EXPECT_EQ(large.nShown, 400);
    EXPECT_EQ(large.nDisplay, 640);
}

TEST(PreviewPicture, WindowPointsMapIntoTheRenderedImage)
{
    // A 320-pixel image centred in a 400-pixel frame starts at 40.
    EXPECT_DOUBLE_EQ(ClientToImageX(40, 0, {400, 320, 1.0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(ClientToImageX(200, 0, {400, 320, 1.0, 0}), 0.5);
    // Scrolled: the first visible pixel is the scroll position.
    EXPECT_DOUBLE_EQ(ClientToImageX(0, 0, {100, 320, 1.0, 160}), 0.5);
    // Vertically the scroll position counts from the bottom.
    EXPECT_DOUBLE_EQ(ClientToImageY(0, 0, {100, 320, 1.0, 0}), 220.0 / 320);
    EXPECT_DOUBLE_EQ(ClientToImageY(0, 0, {100, 0, 1.0, 0}), 0.0) << "an empty render maps to 0";
}
