// The owner-drawn parts of the interface dialog: colour swatches and angle
// dials painted into the rectangles of their hidden statics, turning a dial
// with the mouse, choosing a swatch's colour, and picking one from the
// preview.
#include "PreviewWin32.h"

#include "framework/controls/AngleMath.h"
#include "framework/controls/SwatchGrey.h"
#include "framework/plugin/Filter.h"
#include "framework/parameters/Parameter.h"
#include "framework/controls/ParameterUIKinds.h"

namespace {

struct BrushDeleter {
    void operator()(HBRUSH hBrush) const { DeleteObject(hBrush); }
};
using BrushHandle = std::unique_ptr<std::remove_pointer_t<HBRUSH>, BrushDeleter>;

// A control's rectangle in its dialog's client coordinates.
bool ControlRect(HWND hDialog, int nId, RECT& rect)
{
    const HWND hControl = nId != -1 ? GetDlgItem(hDialog, nId) : nullptr;
    if (!hControl)
        return false;
    GetWindowRect(hControl, &rect);
    MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rect), 2);
    return true;
}

bool Inside(const RECT& rect, int x, int y)
{
    return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

int ColorByte(double f)
{
    return f <= 0 ? 0 : f >= 1 ? 255 : int(f * 255);
}

void PaintDial(HDC hDC, const RECT& rect, double fAngle)
{
    const int nWidth = rect.right - rect.left, nHeight = rect.bottom - rect.top;
    const int cx = rect.left + nWidth / 2, cy = rect.top + nHeight / 2;
    const HGDIOBJ hOldBrush = SelectObject(hDC, GetStockObject(WHITE_BRUSH));
    Ellipse(hDC, rect.left, rect.top, rect.right, rect.bottom);
    SelectObject(hDC, GetStockObject(BLACK_BRUSH));
    Ellipse(hDC, cx - 5, cy - 5, cx + 5, cy + 5);
    const pfDialPoint tip = DialTip(fAngle, cx, cy, std::min(nWidth, nHeight) / 2);
    for (int i = -2; i <= 2; ++i)
        for (int j = -2; j <= 2; ++j) {
            MoveToEx(hDC, cx + i, cy + j, nullptr);
            LineTo(hDC, tip.x, tip.y);
        }
    SelectObject(hDC, hOldBrush);
}

} // namespace

// On a grey image the swatches show, and the render uses, the grey of equal
// luminance. Painting converts them; the dialog's start and OK do too, so
// what is rendered never depends on whether a paint came first.
bool pfPreviewWin32::MatchColorsToGreyImage()
{
    const bool bGrey = m_pFilterRecord && (m_pFilterRecord->imageMode == plugInModeGrayScale ||
                                           m_pFilterRecord->imageMode == plugInModeGray16);
    if (!m_pBindings || !bGrey)
        return false;
    bool bChanged = false;
    for (const pfSwatch& swatch : Swatches()) {
        double r = 0, g = 0, b = 0;
        swatch.pColor->GetValue(r, g, b);
        if (ToSwatchGrey(r, g, b))
            bChanged = swatch.pColor->SetValue(r, g, b) || bChanged;
    }
    return bChanged;
}

void pfPreviewWin32::PaintInterfaceControls(HDC hDC)
{
    if (!m_pBindings)
        return;
    if (MatchColorsToGreyImage())
        ParametersChanged();
    for (pfSwatch swatch : Swatches()) {
        double r = 0, g = 0, b = 0;
        swatch.pColor->GetValue(r, g, b);
        RECT& rect = swatch.rect;
        FrameRect(hDC, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&rect, -1, -1);
        const BrushHandle brush(CreateSolidBrush(RGB(ColorByte(r), ColorByte(g), ColorByte(b))));
        FillRect(hDC, &rect, brush.get());
    }
    for (pfParameterUI* pBinding : *m_pBindings) {
        auto* pDial = dynamic_cast<pfParameterUIAngleWin32*>(pBinding);
        const pfParameterFloat* pAngle = pDial ? pDial->Bound() : nullptr;
        RECT rect{};
        if (pAngle && ControlRect(m_hInterface, pDial->GetDialId(), rect))
            PaintDial(hDC, rect, pAngle->GetValue());
    }
}

// The colour bindings that have a swatch on the interface, with its place.
std::vector<pfPreviewWin32::pfSwatch> pfPreviewWin32::Swatches() const
{
    std::vector<pfSwatch> swatches;
    for (pfParameterUI* pBinding : *m_pBindings) {
        auto* pSwatch = dynamic_cast<pfParameterUIRGBWin32*>(pBinding);
        pfParameterRGB* pColor = pSwatch ? pSwatch->Bound() : nullptr;
        RECT rect{};
        if (pColor && ControlRect(m_hInterface, pSwatch->GetControlId(), rect))
            swatches.push_back({pColor, rect});
    }
    return swatches;
}

pfParameterRGB* pfPreviewWin32::SwatchAt(int x, int y) const
{
    for (const pfSwatch& swatch : Swatches())
        if (Inside(swatch.rect, x, y))
            return swatch.pColor;
    return nullptr;
}

pfParameterUIAngleWin32* pfPreviewWin32::DialAt(int x, int y) const
{
    for (pfParameterUI* pBinding : *m_pBindings) {
        auto* pDial = dynamic_cast<pfParameterUIAngleWin32*>(pBinding);
        RECT rect{};
        if (pDial && pDial->Bound() && ControlRect(m_hInterface, pDial->GetDialId(), rect) && Inside(rect, x, y))
            return pDial;
    }
    return nullptr;
}

// One undo step holding the parameter's present value.
void pfPreviewWin32::RecordUndoStep(pfParameter& parameter)
{
    m_pFilter->GetUndoStack().Push(parameter.CreateUndo());
    m_pFilter->GetUndoStack().NewGroup();
    UpdateUndoButtons();
}

// Turns the dragged dial towards the pointer.
void pfPreviewWin32::TurnDial(int x, int y)
{
    RECT rect{};
    if (!ControlRect(m_hInterface, m_pDragAngle->GetDialId(), rect))
        return;
    const bool bChanged = m_pDragAngle->SetAngleFromPoint(x - rect.left - (rect.right - rect.left) / 2,
                                                          y - rect.top - (rect.bottom - rect.top) / 2);
    m_pDragAngle->Update();
    if (bChanged)
        ParametersChanged();
}

// A click on a swatch asks for a colour; the same click may also start
// turning a dial.
void pfPreviewWin32::OnInterfaceLeftButtonDown(int x, int y)
{
    if (!m_pBindings)
        return;
    if (pfParameterRGB* pColor = SwatchAt(x, y)) {
        double r = 0, g = 0, b = 0;
        pColor->GetValue(r, g, b);
        if (m_pFilter->RequestColor(m_pFilterRecord, r, g, b)) {
            RecordUndoStep(*pColor);
            const bool bChanged = pColor->SetValue(r, g, b);
            pColor->UpdateUI();
            if (bChanged)
                ParametersChanged();
        }
    }
    if (pfParameterUIAngleWin32* pDial = DialAt(x, y)) {
        SetFocus(nullptr);
        m_pDragAngle = pDial;
        RecordUndoStep(*pDial->Bound());
        SetCapture(m_hInterface);
        TurnDial(x, y);
    }
}

void pfPreviewWin32::OnInterfaceMouseMove(int x, int y)
{
    if (m_pDragAngle)
        TurnDial(x, y);
}

void pfPreviewWin32::OnInterfaceLeftButtonUp()
{
    m_pDragAngle = nullptr;
    if (GetCapture() == m_hInterface)
        ReleaseCapture();
    if (m_pPickTarget)
        EndColorPick();
}

// Right button up over a swatch starts picking a colour from the preview;
// anywhere else it ends picking.
void pfPreviewWin32::OnInterfaceRightButtonUp(int x, int y)
{
    pfParameterRGB* pColor = m_pBindings ? SwatchAt(x, y) : nullptr;
    if (!pColor) {
        EndColorPick();
        return;
    }
    m_pPickTarget = pColor;
    RecordUndoStep(*pColor);
    // The class is shared: the pick cursor shows over both dialogs.
    SetClassLongPtrA(m_hInterface, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(m_hPickCursor.get()));
    SetCursor(m_hPickCursor.get());
}

// The class cursor goes back to the one found when the run started: the
// class is the process's dialog class, shared with the host's own dialogs.
void pfPreviewWin32::EndColorPick()
{
    m_pPickTarget = nullptr;
    SetClassLongPtrA(m_hInterface, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(m_hDefaultCursor));
    SetCursor(m_hDefaultCursor);
}
