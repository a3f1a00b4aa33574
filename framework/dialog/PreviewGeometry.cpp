#include "PreviewGeometry.h"

#include <algorithm>
#include <locale>
#include <sstream>

std::string ZoomLabel(int nScaleFactor)
{
    const double fPercent = nScaleFactor <= 0 ? (2.0 - nScaleFactor) * 66.66666666666666 : 100.0 / nScaleFactor;
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.precision(4);
    text << fPercent << "%";
    return text.str();
}

int RenderFactor(int nScaleFactor, int nRenderPass)
{
    return (nScaleFactor >= 1 ? nScaleFactor : 1) + nRenderPass;
}

double DisplayScale(int nScaleFactor, int nRenderPass)
{
    if (nScaleFactor >= 1)
        return double(nScaleFactor) / double(nScaleFactor + nRenderPass);
    return 1.5 / (2.0 - nScaleFactor) / (nRenderPass + 1.0);
}

int FitScaleFactor(int nImageWidth, int nImageHeight, int nFrameWidth, int nFrameHeight)
{
    const int nByHeight = nImageHeight / std::max(nFrameHeight, 1) + 1;
    const int nByWidth = nImageWidth / std::max(nFrameWidth, 1) + 1;
    return std::max(nByHeight, nByWidth);
}

int PreviewBufferStride(int nWidth)
{
    return (nWidth / 32 + 1) * 32;
}

int CentredPoint(const pfPreviewAxis& axis)
{
    if (axis.nFrame >= axis.nImage / axis.fScale)
        return axis.nImage / 2;
    return int(axis.nFrame * axis.fScale * 0.5 + axis.nScroll);
}

int ScrollToCentre(int nPoint, int nOldImage, int nNewImage, double fScale, int nFrame)
{
    const double fPoint = nOldImage > 0 ? double(nNewImage) / nOldImage * nPoint : nNewImage / 2;
    return int(fPoint - fScale * 0.5 * nFrame);
}

int ClampScroll(const pfPreviewAxis& axis)
{
    const double fLast = axis.nImage - axis.nFrame * axis.fScale;
    int nScroll = axis.nScroll;
    if (nScroll > fLast)
        nScroll = int(fLast);
    return std::max(nScroll, 0);
}

pfRenderSpan VisibleSpan(const pfPreviewAxis& axis, bool bScrollFromEnd, int nMargin)
{
    const int nScroll = ClampScroll(axis);
    // One more than the frame covers: a fractional scale rounds the painted
    // source rectangle up.
    const double fShown = double(axis.nFrame) * axis.fScale + 1.0;
    const int nShown = fShown < axis.nImage ? int(fShown) : axis.nImage;
    int nFirst = bScrollFromEnd ? axis.nImage - nScroll - nShown : nScroll;
    int nEnd = nFirst + nShown;
    nFirst = std::max(nFirst - nMargin, 0);
    nEnd = std::min(nEnd + nMargin, axis.nImage);
    return {nFirst, std::max(nEnd, nFirst)};
}

pfPictureSpan PictureSpan(int nFrameStart, const pfPreviewAxis& axis)
{
    pfPictureSpan span;
    span.nDisplay = int(axis.nImage / axis.fScale);
    if (span.nDisplay > axis.nFrame) {
        span.nStart = nFrameStart;
        span.nShown = axis.nFrame;
    } else {
        span.nStart = nFrameStart + (axis.nFrame - span.nDisplay) / 2;
        span.nShown = span.nDisplay;
    }
    return span;
}

double ClientToImageX(int nX, int nFrameLeft, const pfPreviewAxis& axis)
{
    const int nDisplay = int(axis.nImage / axis.fScale);
    if (nDisplay <= 0)
        return 0.0;
    const int nPixel = nDisplay < axis.nFrame ? (nX - nFrameLeft) - (axis.nFrame - nDisplay) / 2
                                              : int(axis.nScroll / axis.fScale + (nX - nFrameLeft));
    return double(nPixel) / nDisplay;
}

double ClientToImageY(int nY, int nFrameTop, const pfPreviewAxis& axis)
{
    const int nDisplay = int(axis.nImage / axis.fScale);
    if (nDisplay <= 0)
        return 0.0;
    const int nPixel = nDisplay < axis.nFrame
                           ? (nY - nFrameTop) - (axis.nFrame - nDisplay) / 2
                           : int((nDisplay - axis.nFrame) - axis.nScroll / axis.fScale + (nY - nFrameTop));
    return double(nPixel) / nDisplay;
}
