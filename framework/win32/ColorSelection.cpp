// The system colour dialog, for hosts that offer no colour picker.
#include "PreviewWin32.h"

#include "framework/trace/Trace.h"

#include <commdlg.h>

namespace {

// The user's custom colours, kept for the library's life.
COLORREF g_CustomColors[16] = {};

int ColorByte(double f)
{
    return f <= 0 ? 0 : f >= 1 ? 255 : int(f * 255);
}

} // namespace

bool pfPreviewWin32::AlternativeColorSelection(FilterRecord* pFilterRecord, double& fRed, double& fGreen,
                                               double& fBlue)
{
    PF_TRACE_ENTER("pfPreviewWin32::AlternativeColorSelection( pFilterRecord(0x"
                   << TracePtr(pFilterRecord) << "), fRed(" << fRed << "), fGreen(" << fGreen << "), fBlue("
                   << fBlue << ") )");
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = m_hInterface && IsWindow(m_hInterface) ? m_hInterface : nullptr;
    choose.rgbResult = RGB(ColorByte(fRed), ColorByte(fGreen), ColorByte(fBlue));
    choose.lpCustColors = g_CustomColors;
    choose.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
    const bool bChosen = ChooseColorA(&choose) != FALSE;
    if (bChosen) {
        fRed = GetRValue(choose.rgbResult) / 255.0;
        fGreen = GetGValue(choose.rgbResult) / 255.0;
        fBlue = GetBValue(choose.rgbResult) / 255.0;
    }
    PF_TRACE_EXIT("pfPreviewWin32::AlternativeColorSelection( return(" << (bChosen ? 1 : 0) << ") fRed(" << fRed
                                                                      << "), fGreen(" << fGreen << "), fBlue("
                                                                      << fBlue << ") )");
    return bChosen;
}
