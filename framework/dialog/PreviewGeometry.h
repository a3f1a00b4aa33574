// The preview's arithmetic: scale factors and their zoom labels, the render
// factor and display scale of a render pass, the fit rule, the pixel buffer's
// stride, scrolling that keeps the centred point, the painted picture's
// rectangle and the mapping from window points back into the image.
//
// A scale factor n >= 1 shows the image reduced n times; n <= 0 magnifies it
// to (2 - n) x 66.67 %. The display scale is rendered pixels per screen
// pixel. Floating values become integers by truncation toward zero.
#pragma once

#include <string>

// "100%", "33.33%", "133.3%", "200%": four significant digits.
std::string ZoomLabel(int nScaleFactor);

// The reduction handed to the host: the scale factor, or 1 when magnifying,
// plus one per render pass.
int RenderFactor(int nScaleFactor, int nRenderPass);

double DisplayScale(int nScaleFactor, int nRenderPass);

// The smallest reduction that shows the whole image in the frame.
int FitScaleFactor(int nImageWidth, int nImageHeight, int nFrameWidth, int nFrameHeight);

// Pixels per buffer row for a rendered width: the next multiple of 32 above
// it (a multiple of 32 still gains 32), so rows are whole 32-bit words.
int PreviewBufferStride(int nWidth);

// One axis of the preview: frame length, rendered image length, display
// scale and scroll position (first visible rendered pixel).
struct pfPreviewAxis {
    int nFrame = 0;
    int nImage = 0;
    double fScale = 1.0;
    int nScroll = 0;
};

// The rendered pixel at the frame's centre; the image's middle when the
// whole length fits.
int CentredPoint(const pfPreviewAxis& axis);

// The scroll position that puts nPoint of an image nOldImage long, seen now
// in an image nNewImage long at display scale fScale, at the frame's centre.
// An unknown old length (0) centres the new image.
int ScrollToCentre(int nPoint, int nOldImage, int nNewImage, double fScale, int nFrame);

// Keeps the visible part inside the image: at most image - frame x scale,
// then at least 0.
int ClampScroll(const pfPreviewAxis& axis);

// The rendered pixels [nFirst, nEnd) a preview render must produce along one
// axis: those the frame shows at the clamped scroll position, nMargin more on
// each side for small pans, within the image. Counted from the image's start;
// with bScrollFromEnd the scroll position counts from its end (vertically, as
// a bottom-up bitmap does).
struct pfRenderSpan {
    int nFirst = 0;
    int nEnd = 0;
};
pfRenderSpan VisibleSpan(const pfPreviewAxis& axis, bool bScrollFromEnd, int nMargin);

// Where the picture goes in the frame along one axis: a smaller picture is
// centred, a larger one fills the frame.
struct pfPictureSpan {
    int nStart = 0;   // first window pixel of the picture
    int nShown = 0;   // window pixels shown
    int nDisplay = 0; // the whole picture's length in window pixels
};
pfPictureSpan PictureSpan(int nFrameStart, const pfPreviewAxis& axis);

// A window point's position in the image, 0..1 across the rendered image.
// Vertically the scroll position counts from the image's bottom.
double ClientToImageX(int nX, int nFrameLeft, const pfPreviewAxis& axis);
double ClientToImageY(int nY, int nFrameTop, const pfPreviewAxis& axis);
