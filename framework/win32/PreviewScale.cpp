// The preview's zoom: choosing the scale factor, setting the host's record
// up for the render factor, and turning a rendered tile into the picture.
#include "PreviewWin32.h"

#include "framework/plugin/Filter.h"
#include "framework/dialog/PreviewGeometry.h"
#include "framework/trace/Trace.h"
#include "framework/render/RenderInterrupt.h"
#include "resources/resource.h"

RECT pfPreviewWin32::GetFrame() const
{
    RECT frame{};
    const HWND hFrame = m_hPreview ? GetDlgItem(m_hPreview, IDC_PREVIEW_FRAME) : nullptr;
    if (hFrame) {
        GetWindowRect(hFrame, &frame);
        MapWindowPoints(nullptr, m_hPreview, reinterpret_cast<POINT*>(&frame), 2);
    }
    return frame;
}

void pfPreviewWin32::InvalidatePreview()
{
    if (!m_hPreview)
        return;
    const RECT frame = GetFrame();
    InvalidateRect(m_hPreview, &frame, FALSE);
}

void pfPreviewWin32::FitScaleFactor()
{
    const RECT frame = GetFrame();
    const int nFactor = ::FitScaleFactor(m_pFilterRecord->imageSize.h, m_pFilterRecord->imageSize.v,
                                         frame.right - frame.left, frame.bottom - frame.top);
    RequestScaleFactor(nFactor);
    AssignScaleFactor(nFactor);
}

void pfPreviewWin32::RequestScaleFactor(int nFactor)
{
    m_nRequestedScaleFactor = nFactor;
    if (nFactor != m_nScaleFactor) {
        g_bPreviewDirty = true;
        SetPending(true);
    }
}

void pfPreviewWin32::AssignScaleFactor(int nFactor)
{
    PF_TRACE_ENTER("pfPreviewWin32::AssignScaleFactor( nFactor(" << nFactor << ") )");
    m_nScaleFactor = nFactor;
    const double fOldScale = m_fDisplayScale;
    if (m_hInterface)
        SetDlgItemTextA(m_hInterface, IDC_ZOOM_LABEL, ZoomLabel(nFactor).c_str());
    const double fScale = DisplayScale(nFactor, m_nRenderPass);
    const int nRenderFactor = RenderFactor(nFactor, m_nRenderPass);
    m_fDisplayScale = fScale;

    const RECT frame = GetFrame();
    const int nFrameWidth = frame.right - frame.left, nFrameHeight = frame.bottom - frame.top;
    const int nCentreX = CentredPoint({nFrameWidth, m_nImageWidth, fOldScale, m_nScrollX});
    const int nCentreY = CentredPoint({nFrameHeight, m_nImageHeight, fOldScale, m_nScrollY});

    if (nRenderFactor == g_nLastRenderFactor) {
        // The buffer already holds this render factor: only scroll.
        if (!m_bValuesChanged)
            g_bPreviewDirty = false;
        m_nScrollX = ScrollToCentre(nCentreX, m_nImageWidth, m_nImageWidth, fScale, nFrameWidth);
        m_nScrollY = ScrollToCentre(nCentreY, m_nImageHeight, m_nImageHeight, fScale, nFrameHeight);
        InvalidatePreview();
        UpdateWindow(m_hPreview);
    } else {
        g_nLastRenderFactor = nRenderFactor;
        m_pBits.Release();
        m_bBitsValid = false;
        const int16_t nResult = m_pFilter->SetupFilterRecord(m_pFilterRecord, uint32_t(nRenderFactor));
        const Rect& out = m_pFilter->GetRenderRecord()->outRect;
        const int nOldWidth = m_nImageWidth, nOldHeight = m_nImageHeight;
        m_nImageWidth = out.right - out.left;
        m_nImageHeight = out.bottom - out.top;
        if (nResult == noErr) {
            m_nScrollX = ScrollToCentre(nCentreX, nOldWidth, m_nImageWidth, fScale, nFrameWidth);
            m_nScrollY = ScrollToCentre(nCentreY, nOldHeight, m_nImageHeight, fScale, nFrameHeight);
            const Rect& in = m_pFilter->GetRenderRecord()->inRect;
            if (AllocatePreviewBitmap(m_pBits, in.right - in.left, in.bottom - in.top)) {
                m_nBitsWidth = m_pBits.nStride;
                m_nBitsHeight = m_pBits.nHeight;
                ParametersChanged();
            } else {
                PF_TRACE_ERROR_LINE("Out of memory");
            }
        }
    }
    PF_TRACE_EXIT("pfPreviewWin32::AssignScaleFactor( return(" << 0 << ") )");
}

Rect pfPreviewWin32::VisibleWindow(int nMargin) const
{
    const RECT frame = GetFrame();
    const pfRenderSpan across =
        VisibleSpan({frame.right - frame.left, m_nImageWidth, m_fDisplayScale, m_nScrollX}, false, nMargin);
    const pfRenderSpan down =
        VisibleSpan({frame.bottom - frame.top, m_nImageHeight, m_fDisplayScale, m_nScrollY}, true, nMargin);
    return Rect{int16_t(down.nFirst), int16_t(across.nFirst), int16_t(down.nEnd), int16_t(across.nEnd)};
}

void pfPreviewWin32::DrawToPreview()
{
    PF_TRACE_ENTER("pfPreviewWin32::DrawToPreview()");
    // Without a buffer (a failed set-up or allocation) there is nothing to
    // draw into.
    if (!m_pBits.IsEmpty()) {
        const Rect window = m_pFilter->GetRenderWindow();
        // Rows the render handed over as it finished them are in already.
        if (m_nRowsTaken == 0 && ConvertOutputToPreview(*m_pFilter->GetRenderRecord(), m_pBits, window) ==
                                     pfPreviewConversion::InvalidMode) {
            PF_TRACE_ERROR_LINE("Invalid imageMode");
            PF_TRACE_EXIT("pfPreviewWin32::DrawToPreview()");
            return;
        }
        m_bBitsValid = true;
        m_RenderedWindow = window;
        InvalidatePicture();
    }
    PF_TRACE_EXIT("pfPreviewWin32::DrawToPreview()");
}
