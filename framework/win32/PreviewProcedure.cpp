// The preview window: painting the picture with its margins, panning with
// the right button, the cursor position in the caption, colour picking,
// the 100-pixel minimum size and the remembered placement.
#include "PreviewWin32.h"

#include "framework/plugin/Filter.h"
#include "framework/parameters/Parameter.h"
#include "framework/platform/Platform.h"
#include "framework/controls/ParameterUIWin32.h"
#include "framework/dialog/PreviewGeometry.h"
#include "framework/dialog/Settings.h"
#include "framework/render/RenderInterrupt.h"
#include "framework/trace/Trace.h"
#include "DpiChange.h"
#include "WorkArea.h"
#include "resources/resource.h"

#include <windowsx.h>

#include <algorithm>
#include <locale>
#include <sstream>

namespace {

constexpr COLORREF kMarginColor = 0xBBBBBB;
constexpr int kMinimumSize = 100;

// Whether the rendered part holds everything shown (nothing shown is held).
bool Covers(const Rect& rendered, const Rect& shown)
{
    if (shown.right <= shown.left || shown.bottom <= shown.top)
        return true;
    return rendered.left <= shown.left && rendered.top <= shown.top && rendered.right >= shown.right &&
           rendered.bottom >= shown.bottom;
}

struct BrushDeleter {
    void operator()(HBRUSH hBrush) const { DeleteObject(hBrush); }
};
using BrushHandle = std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter>;

struct PenDeleter {
    void operator()(HPEN hPen) const { DeleteObject(hPen); }
};
using PenHandle = std::unique_ptr<std::remove_pointer_t<HPEN>, PenDeleter>;

void FillSolid(HDC hDC, int nLeft, int nTop, int nRight, int nBottom, COLORREF color)
{
    if (nRight <= nLeft || nBottom <= nTop)
        return;
    const BrushHandle brush(CreateSolidBrush(color));
    const RECT rect{nLeft, nTop, nRight, nBottom};
    FillRect(hDC, &rect, brush.get());
}

void Square(HDC hDC, int x, int y, int nHalf)
{
    MoveToEx(hDC, x - nHalf, y - nHalf, nullptr);
    LineTo(hDC, x + nHalf, y - nHalf);
    LineTo(hDC, x + nHalf, y + nHalf);
    LineTo(hDC, x - nHalf, y + nHalf);
    LineTo(hDC, x - nHalf, y - nHalf);
}

const char* const kPreviewPlacement[] = {"Preview Position X", "Preview Position Y", "Preview Position Width",
                                         "Preview Position Height", "Preview State"};

} // namespace

INT_PTR CALLBACK pfPreviewWin32::PreviewProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    return GuardedHandler([=] { return HandlePreviewProcedure(hWnd, nMessage, wParam, lParam); });
}

INT_PTR pfPreviewWin32::HandlePreviewProcedure(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_INITDIALOG) {
        g_pPreview = reinterpret_cast<pfPreviewWin32*>(lParam);
        g_pPreview->m_hPreview = hWnd;
        return 1;
    }
    pfPreviewWin32* pPreview = g_pPreview;
    if (!pPreview || pPreview->m_hPreview != hWnd)
        return 0;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (nMessage) {
    case WM_DESTROY:
        pPreview->SavePreviewPlacement();
        RemovePropA(hWnd, kPreviewPendingProperty);
        break;
    case WM_SIZE:
        pPreview->OnPreviewSize();
        break;
    case WM_DPICHANGED:
        FollowDpiChange(hWnd, lParam, true);
        break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC hDC = BeginPaint(hWnd, &paint);
        pPreview->PaintPreview(hDC);
        EndPaint(hWnd, &paint);
        break;
    }
    case WM_MOUSEMOVE:
        pPreview->OnPreviewMouseMove(x, y);
        break;
    case WM_LBUTTONDOWN:
        pPreview->OnPreviewLeftButtonDown(x, y);
        break;
    case WM_LBUTTONUP:
        pPreview->OnPreviewLeftButtonUp();
        break;
    case WM_RBUTTONDOWN:
        pPreview->OnPreviewRightButtonDown(x, y);
        break;
    case WM_RBUTTONUP:
        pPreview->m_bPanning = false;
        if (GetCapture() == hWnd)
            ReleaseCapture();
        pPreview->InvalidatePreview();
        break;
    default:
        break;
    }
    (void)wParam;
    return 0;
}

// A new picture in the place of the last one changes only the picture: its
// margins stay as painted, and under Wine every pixel painted is copied to
// the screen again (a 4K screen's margins around a fitted picture are twice
// the picture). Position markers may reach into the margins anywhere, so
// with any of them the whole frame is painted.
void pfPreviewWin32::InvalidatePicture()
{
    if (!m_hPreview)
        return;
    const RECT frame = GetFrame();
    const RECT picture = PictureSpans(frame).Rect();
    const bool bMarkers = m_pBindings && std::any_of(m_pBindings->begin(), m_pBindings->end(), [](pfParameterUI* p) {
                              return dynamic_cast<pfParameterUIPositionWin32*>(p) != nullptr;
                          });
    if (bMarkers || !EqualRect(&picture, &m_PaintedPicture))
        InvalidateRect(m_hPreview, &frame, FALSE);
    else
        InvalidateRect(m_hPreview, &picture, FALSE);
}

// Where the picture lies in the frame (the scroll position does not move it).
pfPreviewWin32::pfPictureSpans pfPreviewWin32::PictureSpans(const RECT& frame) const
{
    return {PictureSpan(frame.left, {frame.right - frame.left, m_nImageWidth, m_fDisplayScale, m_nScrollX}),
            PictureSpan(frame.top, {frame.bottom - frame.top, m_nImageHeight, m_fDisplayScale, m_nScrollY})};
}

void pfPreviewWin32::PaintPreview(HDC hDC)
{
    const RECT frame = GetFrame();
    const double fScale = m_fDisplayScale;
    m_nScrollX = ClampScroll({frame.right - frame.left, m_nImageWidth, fScale, m_nScrollX});
    m_nScrollY = ClampScroll({frame.bottom - frame.top, m_nImageHeight, fScale, m_nScrollY});
    const pfPictureSpans spans = PictureSpans(frame);
    const pfPictureSpan &across = spans.across, &down = spans.down;
    SetBrushOrgEx(hDC, across.nStart - m_nScrollX, down.nStart - m_nScrollY, nullptr);
    if (m_bBitsValid && !Covers(m_RenderedWindow, VisibleWindow(0))) {
        // Panned or zoomed beyond what the last render filled.
        g_bPreviewDirty = true;
        SetPending(true);
    }

    // A freed or never filled buffer is not drawn.
    if (m_bBitsValid && !m_pBits.IsEmpty()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = m_nBitsWidth;
        info.bmiHeader.biHeight = m_nBitsHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = WORD(8 * kPreviewPixelBytes);
        info.bmiHeader.biCompression = BI_RGB;
        info.bmiHeader.biSizeImage = DWORD(m_pBits.bits.Size());
        SetStretchBltMode(hDC, COLORONCOLOR);
        if (!StretchDIBits(hDC, across.nStart, down.nStart, across.nShown, down.nShown, m_nScrollX, m_nScrollY,
                           int(across.nShown * fScale), int(down.nShown * fScale), m_pBits.bits.Data(), &info,
                           DIB_RGB_COLORS, SRCCOPY))
            PF_TRACE_WARNING_LINE("StretchDIBBits failed. GetLastError(" << GetLastError() << ")");
    } else {
        FillSolid(hDC, across.nStart, down.nStart, across.nStart + across.nShown, down.nStart + down.nShown, 0);
    }
    const RECT picture = spans.Rect();
    // Only a paint of the whole frame leaves the margins matching the picture.
    RECT clip{}, both{};
    GetClipBox(hDC, &clip);
    UnionRect(&both, &clip, &frame);
    if (EqualRect(&both, &clip))
        m_PaintedPicture = picture;
    else if (!EqualRect(&picture, &m_PaintedPicture))
        m_PaintedPicture = RECT{};
    PaintMargins(hDC, frame, picture);
    PaintPositionMarkers(hDC, across.nStart, down.nStart, down.nShown, across.nDisplay, down.nDisplay);
}

void pfPreviewWin32::PaintMargins(HDC hDC, const RECT& frame, const RECT& picture)
{
    const int nBelow = frame.bottom + 200;
    FillSolid(hDC, frame.left, frame.top, frame.right, picture.top, kMarginColor);
    FillSolid(hDC, frame.left, picture.bottom, frame.right, nBelow, kMarginColor);
    FillSolid(hDC, frame.left, picture.top, picture.left, nBelow, kMarginColor);
    FillSolid(hDC, picture.right, picture.top, frame.right, nBelow, kMarginColor);
}

void pfPreviewWin32::PaintPositionMarkers(HDC hDC, int x0, int y0, int nShownHeight, int nDisplayWidth,
                                          int nDisplayHeight)
{
    static const COLORREF kRings[] = {0xEEEEEE, 0xBBBBBB, 0x999999, 0x666666, 0x333333};
    if (!m_pBindings)
        return;
    for (pfParameterUI* pBinding : *m_pBindings) {
        auto* pParameter = dynamic_cast<pfParameterPosition*>(pBinding->GetParameter());
        if (!dynamic_cast<pfParameterUIPositionWin32*>(pBinding) || !pParameter)
            continue;
        double u = 0, v = 0;
        pParameter->GetValue(u, v);
        const int x = int(x0 - m_nScrollX / m_fDisplayScale + nDisplayWidth * u);
        const int y = int(v * nDisplayHeight + y0 - (nDisplayHeight - nShownHeight) + m_nScrollY / m_fDisplayScale);
        for (int i = 0; i < 5; ++i) {
            const PenHandle pen(CreatePen(PS_SOLID, 1, kRings[i]));
            const HGDIOBJ hOld = SelectObject(hDC, pen.get());
            Square(hDC, x, y, 1 + 2 * i);
            SelectObject(hDC, hOld);
        }
        const HGDIOBJ hOld = SelectObject(hDC, GetStockObject(BLACK_PEN));
        Square(hDC, x, y, 11);
        MoveToEx(hDC, x - 11, y - 11, nullptr);
        LineTo(hDC, x + 11, y + 11);
        MoveToEx(hDC, x + 11, y - 11, nullptr);
        LineTo(hDC, x - 11, y + 11);
        SelectObject(hDC, hOld);
    }
}

double pfPreviewWin32::PreviewU(int x) const
{
    const RECT frame = GetFrame();
    const Rect& in = m_pFilter->GetRenderRecord()->inRect;
    return ClientToImageX(x, frame.left, {frame.right - frame.left, in.right - in.left, m_fDisplayScale, m_nScrollX});
}

double pfPreviewWin32::PreviewV(int y) const
{
    const RECT frame = GetFrame();
    const Rect& in = m_pFilter->GetRenderRecord()->inRect;
    return ClientToImageY(y, frame.top, {frame.bottom - frame.top, in.bottom - in.top, m_fDisplayScale, m_nScrollY});
}

void pfPreviewWin32::OnPreviewMouseMove(int x, int y)
{
    std::ostringstream caption;
    caption.imbue(std::locale::classic());
    caption << "Preview:  x: " << PreviewU(x) * (m_nImageWidth / m_fDisplayScale)
            << " y: " << PreviewV(y) * (m_nImageHeight / m_fDisplayScale);
    SetWindowTextA(m_hPreview, caption.str().c_str());

    if (m_bPanning) {
        m_nScrollX = int(m_nPanAnchorScrollX - (x - m_nPanStartX) * m_fDisplayScale);
        m_nScrollY = int(m_nPanAnchorScrollY - (m_nPanStartY - y) * m_fDisplayScale);
        InvalidatePreview();
    }
    if (m_bDragPosition && m_pDragPosition) {
        m_pDragPosition->SetValue(PreviewU(x), PreviewV(y));
        m_pDragPosition->UpdateUI();
        ParametersChanged();
    }
    if (m_pPickTarget) {
        InvalidateRect(m_hPreview, nullptr, FALSE);
        InvalidatePreview();
        const HDC hDC = GetDC(m_hPreview);
        const COLORREF color = GetPixel(hDC, x, y);
        ReleaseDC(m_hPreview, hDC);
        if (color != CLR_INVALID &&
            m_pPickTarget->SetValue(GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0)) {
            m_pPickTarget->UpdateUI();
            ParametersChanged();
        }
    }
}

void pfPreviewWin32::OnPreviewLeftButtonDown(int x, int y)
{
    const RECT frame = GetFrame();
    if (x >= frame.left && x <= frame.right && y >= frame.top && y <= frame.bottom) {
        m_nDragStartX = x;
        m_nDragStartY = y;
        m_bDragPosition = true;
        SetCapture(m_hPreview);
    }
    const double u = PreviewU(m_nDragStartX), v = PreviewV(m_nDragStartY);
    if (m_pPickTarget || !m_pBindings)
        return;
    pfParameterPosition* pPosition = nullptr;
    for (pfParameterUI* pBinding : *m_pBindings)
        if (dynamic_cast<pfParameterUIPositionWin32*>(pBinding))
            if (auto* p = dynamic_cast<pfParameterPosition*>(pBinding->GetParameter()))
                pPosition = p;
    if (!pPosition)
        return;
    m_pDragPosition = pPosition;
    RecordUndoStep(*pPosition);
    pPosition->SetValue(u, v);
    pPosition->UpdateUI();
    ParametersChanged();
}

void pfPreviewWin32::OnPreviewLeftButtonUp()
{
    m_pDragPosition = nullptr;
    m_bDragPosition = false;
    if (GetCapture() == m_hPreview)
        ReleaseCapture();
    if (m_pPickTarget) {
        EndColorPick();
        ParametersChanged();
    }
}

void pfPreviewWin32::OnPreviewRightButtonDown(int x, int y)
{
    const RECT frame = GetFrame();
    if (x < frame.left || x > frame.right || y < frame.top || y > frame.bottom)
        return;
    m_nPanStartX = x;
    m_nPanStartY = y;
    m_bPanning = true;
    m_nPanAnchorScrollX = m_nScrollX;
    m_nPanAnchorScrollY = m_nScrollY;
    SetCapture(m_hPreview);
}

// The frame fills the client area; the window never gets smaller than
// 100 x 100 pixels.
void pfPreviewWin32::OnPreviewSize()
{
    RECT window{};
    GetWindowRect(m_hPreview, &window);
    const int nWidth = std::max<int>(window.right - window.left, kMinimumSize);
    const int nHeight = std::max<int>(window.bottom - window.top, kMinimumSize);
    if (nWidth != window.right - window.left || nHeight != window.bottom - window.top)
        MoveWindow(m_hPreview, window.left, window.top, nWidth, nHeight, TRUE);
    RECT client{};
    GetClientRect(m_hPreview, &client);
    if (const HWND hFrame = GetDlgItem(m_hPreview, IDC_PREVIEW_FRAME))
        MoveWindow(hFrame, 0, 0, client.right, client.bottom, FALSE);
    InvalidatePreview();
}

void pfPreviewWin32::PlacePreview()
{
    pfWindowRect place{200, 200, 400, 400};
    int32_t nState = 0;
    const pfWindowRect work = HostWorkArea(m_hPreview);
    if (!GetPlatform().HasSettings("")) {
        // Placed once the interface is, so as to keep clear of it.
        RECT rect{};
        GetWindowRect(m_hInterface, &rect);
        place = DefaultPreviewPlacement(work, {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top});
    } else {
        int32_t* const pValues[] = {&place.x, &place.y, &place.nWidth, &place.nHeight, &nState};
        for (int i = 0; i < 5; ++i)
            ReadDwordSetting("", kPreviewPlacement[i], *pValues[i]);
        if (work.nWidth > 0 && work.nHeight > 0)
            place = StoredPlacementInWorkArea(place, work);
    }
    SetWindowPos(m_hPreview, nullptr, place.x, place.y, place.nWidth, place.nHeight, SWP_NOZORDER);
    if ((nState & 3) == 3)
        ShowWindow(m_hPreview, SW_SHOWMAXIMIZED);
}

void pfPreviewWin32::SavePreviewPlacement()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(m_hPreview, &placement))
        return;
    const RECT& normal = placement.rcNormalPosition;
    const int32_t nValues[] = {normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
                               int32_t(placement.showCmd)};
    for (int i = 0; i < 5; ++i)
        WriteDwordSetting("", kPreviewPlacement[i], nValues[i]);
}
