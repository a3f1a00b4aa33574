#include "DialogControls.h"
#include "framework/parameters/Parameter.h"
#include "ParameterUIKinds.h"
#include "framework/platform/Platform.h"

pfParameterBool* pfParameterUIBoolWin32::Bound() const
{
    return m_hWnd ? dynamic_cast<pfParameterBool*>(m_pParameter) : nullptr;
}

void pfParameterUIBoolWin32::Update()
{
    const pfParameterBool* pParameter = Bound();
    if (!pParameter)
        return;
    pfDialogControls& controls = GetPlatform().Controls();
    controls.SetCheck(m_hWnd, m_nControlId, pParameter->GetValue());
    controls.Enable(m_hWnd, m_nControlId, m_bEnabled);
    controls.Invalidate(m_hWnd, m_nControlId);
}

bool pfParameterUIBoolWin32::ReadControl()
{
    pfParameterBool* pParameter = Bound();
    pfDialogControls& controls = GetPlatform().Controls();
    if (!pParameter || !controls.HasFocus(m_hWnd, m_nControlId))
        return false;
    const pfCheckState state = controls.GetCheck(m_hWnd, m_nControlId);
    if (state == pfCheckState::Indeterminate)
        return false;
    return pParameter->SetValue(state == pfCheckState::Checked);
}
