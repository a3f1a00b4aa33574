#include "ControlText.h"
#include "DialogControls.h"
#include "framework/parameters/Parameter.h"
#include "ParameterUIKinds.h"
#include "framework/platform/Platform.h"

#include <cmath>

namespace {
constexpr int kEditChars = 49;
}

pfParameterFloat* pfParameterUIFloatWin32::Bound() const
{
    return m_hWnd ? dynamic_cast<pfParameterFloat*>(m_pParameter) : nullptr;
}

void pfParameterUIFloatWin32::Init()
{
    const pfParameterFloat* pParameter = Bound();
    if (!pParameter || m_nTrackbarId == -1)
        return;
    const double fMin = pParameter->GetMin(), fMax = pParameter->GetMax();
    const double fPage = std::fabs((fMax - fMin) * 10.0);
    const int nPage = fPage < 2147483647.0 ? int(fPage) : 2147483647;
    GetPlatform().Controls().SetTrackbarRange(m_hWnd, m_nTrackbarId, TrackbarPosition(fMin), TrackbarPosition(fMax),
                                              nPage == 0 ? 1 : nPage);
    Update();
}

void pfParameterUIFloatWin32::Update()
{
    const pfParameterFloat* pParameter = Bound();
    if (!pParameter)
        return;
    pfDialogControls& controls = GetPlatform().Controls();
    const double v = pParameter->GetValue();
    if (m_nTrackbarId != -1 && !controls.HasFocus(m_hWnd, m_nTrackbarId)) {
        // Moving the thumb away and back makes the control repaint it.
        controls.SetTrackbarPosition(m_hWnd, m_nTrackbarId, TrackbarPosition(v + 1), false);
        controls.SetTrackbarPosition(m_hWnd, m_nTrackbarId, TrackbarPosition(v), true);
        controls.SetTrackbarPosition(m_hWnd, m_nTrackbarId, TrackbarPosition(v - 1), false);
        controls.SetTrackbarPosition(m_hWnd, m_nTrackbarId, TrackbarPosition(v), true);
    }
    if (m_nControlId != -1 && !controls.HasFocus(m_hWnd, m_nControlId))
        controls.SetText(m_hWnd, m_nControlId, FormatNumber(v));
    for (const int nId : {m_nControlId, m_nTrackbarId}) {
        if (nId == -1)
            continue;
        controls.Enable(m_hWnd, nId, m_bEnabled);
        controls.Invalidate(m_hWnd, nId);
    }
}

bool pfParameterUIFloatWin32::ReadEdit(pfParameterFloat& parameter)
{
    double fValue = 0.0;
    if (!ParseNumber(GetPlatform().Controls().GetText(m_hWnd, m_nControlId, kEditChars), fValue))
        return false;
    if (parameter.IsMinEnforced() && fValue < parameter.GetMin())
        fValue = parameter.GetMin();
    else if (parameter.IsMaxEnforced() && fValue > parameter.GetMax())
        fValue = parameter.GetMax();
    const bool bChanged = parameter.SetValue(fValue);
    parameter.Validate();
    return bChanged;
}

bool pfParameterUIFloatWin32::ReadControl()
{
    pfParameterFloat* pParameter = Bound();
    if (!pParameter)
        return false;
    pfDialogControls& controls = GetPlatform().Controls();
    if (m_nControlId != -1 && controls.HasFocus(m_hWnd, m_nControlId))
        return ReadEdit(*pParameter);
    if (m_nTrackbarId != -1 && controls.HasFocus(m_hWnd, m_nTrackbarId)) {
        const bool bChanged = pParameter->SetValue(controls.GetTrackbarPosition(m_hWnd, m_nTrackbarId) * 0.01);
        pParameter->Validate();
        return bChanged;
    }
    return false;
}

void pfParameterUIFloatWin32::OnKillFocus(int nId)
{
    pfParameterFloat* pParameter = Bound();
    if (!pParameter || nId != m_nControlId)
        return;
    ReadEdit(*pParameter);
    Update();
}
