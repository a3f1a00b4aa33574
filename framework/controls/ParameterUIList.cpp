#include "DialogControls.h"
#include "framework/parameters/Parameter.h"
#include "ParameterUIKinds.h"
#include "framework/platform/Platform.h"

pfParameterList* pfParameterUIListWin32::Bound() const
{
    return m_hWnd ? dynamic_cast<pfParameterList*>(m_pParameter) : nullptr;
}

void pfParameterUIListWin32::Update()
{
    const pfParameterList* pParameter = Bound();
    if (!pParameter)
        return;
    pfDialogControls& controls = GetPlatform().Controls();
    controls.ClearList(m_hWnd, m_nControlId);
    for (int32_t i = 0; i < pParameter->GetCount(); ++i)
        controls.AddListItem(m_hWnd, m_nControlId, pParameter->GetItem(i));
    controls.SelectListItem(m_hWnd, m_nControlId, pParameter->GetSelection() - 1);
    controls.Enable(m_hWnd, m_nControlId, m_bEnabled);
    controls.Invalidate(m_hWnd, m_nControlId);
}

bool pfParameterUIListWin32::ReadControl()
{
    pfParameterList* pParameter = Bound();
    if (!pParameter)
        return false;
    return pParameter->SetSelection(GetPlatform().Controls().GetListSelection(m_hWnd, m_nControlId) + 1);
}
