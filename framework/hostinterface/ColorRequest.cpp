// Choosing a colour: the host's colour picker through its colour services,
// or the dialog's system colour dialog for hosts without a working one. A
// host that answers success is believed even with the colour unchanged: the
// user may have kept it, and a second dialog after the host's would be wrong. On 8-bit
// greyscale images the choice becomes the grey of equal luminance.
#include "framework/plugin/Filter.h"

#include "framework/trace/Trace.h"

#include <algorithm>

namespace {

constexpr int16_t kChooseColor = 0;
constexpr int16_t kSpaceRGB = 0;
constexpr int16_t kSpaceGray = 4;

bool IsGrey(int16_t nImageMode)
{
    return nImageMode == plugInModeGrayScale || nImageMode == plugInModeGray16;
}

double Luminance(double fRed, double fGreen, double fBlue)
{
    return 0.292687786 * fRed + 0.552149646 * fGreen + 0.155162568 * fBlue;
}

bool KeptColor(const ColorServicesInfo& answer, const ColorServicesInfo& sent)
{
    return answer.resultSpace == kSpaceRGB &&
           std::equal(sent.colorComponents, sent.colorComponents + 3, answer.colorComponents);
}

} // namespace

bool pfFilter::RequestColor(FilterRecord* pFilterRecord, double& fRed, double& fGreen, double& fBlue)
{
    PF_TRACE_ENTER("pfFilter::RequestColor( pFilterRecord(0x" << TracePtr(pFilterRecord) << "), fRed(" << fRed
                                                              << "), fGreen(" << fGreen << "), fBlue(" << fBlue
                                                              << ") )");
    ColorServicesInfo info{};
    info.infoSize = sizeof info;
    info.selector = kChooseColor;
    info.sourceSpace = pFilterRecord && IsGrey(pFilterRecord->imageMode) ? kSpaceGray : kSpaceRGB;
    info.resultSpace = kSpaceRGB;
    info.colorComponents[0] = int16_t(fRed * 255);
    info.colorComponents[1] = int16_t(fGreen * 255);
    info.colorComponents[2] = int16_t(fBlue * 255);
    const ColorServicesInfo sent = info;

    bool bChosen = false;
    double fComponents[3] = {};
    OSErr nResult = errPlugInHostInsufficient;
    if (pFilterRecord && pFilterRecord->colorServices) {
        nResult = pFilterRecord->colorServices(&info);
        PF_TRACE(PF_TRACE_INFO, "ColorServices result = " << nResult);
        PF_TRACE(PF_TRACE_INFO, "source space = " << info.sourceSpace);
        PF_TRACE(PF_TRACE_INFO, "result space = " << info.resultSpace);
    }
    if (nResult == noErr && KeptColor(info, sent)) {
        // The components came back as they went out: the user kept the
        // colour, which stays as it was instead of losing what the picker's
        // whole numbers cannot hold (0.5 would come back as 127/255).
        bChosen = true;
        fComponents[0] = fRed * 255;
        fComponents[1] = fGreen * 255;
        fComponents[2] = fBlue * 255;
    } else if (nResult == noErr) {
        bChosen = true;
        // A host's answer is not trusted beyond the 0..255 it promises.
        for (int i = 0; i < 3; ++i)
            fComponents[i] = std::clamp<int16_t>(info.colorComponents[i], 0, 255);
        fRed = fComponents[0] * 0.00392156862745098;
        fGreen = fComponents[1] * 0.00392156862745098;
        fBlue = fComponents[2] * 0.00392156862745098;
    } else if (nResult != userCanceledErr) {
        // Hosts whose picker is missing or refuses (some answer "host
        // insufficient" every time) still leave the user a way to choose.
        PF_TRACE_WARNING_LINE("ColorServices not available");
        bChosen = m_pDialog->AlternativeColorSelection(pFilterRecord, fRed, fGreen, fBlue);
        fComponents[0] = fRed * 255;
        fComponents[1] = fGreen * 255;
        fComponents[2] = fBlue * 255;
    }
    if (bChosen && pFilterRecord && pFilterRecord->imageMode == plugInModeGrayScale)
        fRed = fGreen = fBlue = Luminance(fComponents[0], fComponents[1], fComponents[2]) / 255;
    PF_TRACE_EXIT("pfFilter::RequestColor( return(" << (bChosen ? 1 : 0) << ") fRed(" << fRed << "), fGreen("
                                                    << fGreen << "), fBlue(" << fBlue << ") )");
    return bChosen;
}
