#include "AngleMath.h"
#include "ControlText.h"
#include "DialogControls.h"
#include "framework/parameters/Parameter.h"
#include "ParameterUIKinds.h"
#include "framework/platform/Platform.h"

#include <cmath>

namespace {

constexpr int kEditChars = 49;

// The number in an edit, 0 when it does not parse completely.
double EditNumber(void* hWnd, int nId)
{
    double fValue = 0.0;
    if (nId == -1 || !ParseNumber(GetPlatform().Controls().GetText(hWnd, nId, kEditChars), fValue))
        return 0.0;
    return fValue;
}

} // namespace

pfParameterFloat* pfParameterUIAngleWin32::Bound() const
{
    return m_hWnd ? dynamic_cast<pfParameterFloat*>(m_pParameter) : nullptr;
}

void pfParameterUIAngleWin32::Update()
{
    const pfParameterFloat* pParameter = Bound();
    if (!pParameter)
        return;
    pfDialogControls& controls = GetPlatform().Controls();
    const pfAngleSplit split = SplitAngle(pParameter->GetValue());
    if (m_nTurnsId != -1 && !controls.HasFocus(m_hWnd, m_nTurnsId))
        controls.SetText(m_hWnd, m_nTurnsId, FormatTurns(split.fTurns));
    if (m_nDegreesId != -1 && !controls.HasFocus(m_hWnd, m_nDegreesId))
        controls.SetText(m_hWnd, m_nDegreesId, FormatDegrees(split.fDegrees));
    for (const int nId : {m_nTurnsId, m_nDegreesId, m_nDialId})
        if (nId != -1)
            controls.Invalidate(m_hWnd, nId);
}

bool pfParameterUIAngleWin32::ReadControl()
{
    pfParameterFloat* pParameter = Bound();
    pfDialogControls& controls = GetPlatform().Controls();
    if (!pParameter || !((m_nTurnsId != -1 && controls.HasFocus(m_hWnd, m_nTurnsId)) ||
                         (m_nDegreesId != -1 && controls.HasFocus(m_hWnd, m_nDegreesId))))
        return false;
    const double fDegrees = EditNumber(m_hWnd, m_nDegreesId);
    const double fTurns = Truncated(EditNumber(m_hWnd, m_nTurnsId));
    const double fAngle = fTurns * 360.0 + fDegrees;
    if (!std::isfinite(fAngle))
        return false;
    // The store refreshes this binding; the turns being typed stay as typed.
    const int nTurnsId = m_nTurnsId;
    m_nTurnsId = -1;
    const bool bChanged = pParameter->SetValue(fAngle);
    m_nTurnsId = nTurnsId;
    pParameter->Validate();
    return bChanged;
}

void pfParameterUIAngleWin32::OnKillFocus(int)
{
    ReadControl();
    Update();
}

bool pfParameterUIAngleWin32::SetAngleFromPoint(double dx, double dy)
{
    pfParameterFloat* pParameter = Bound();
    double fAngle = 0.0;
    if (!pParameter || !AngleFromPoint(pParameter->GetValue(), dx, dy, fAngle))
        return false;
    return pParameter->SetValue(fAngle);
}
