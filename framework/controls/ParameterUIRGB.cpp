#include "DialogControls.h"
#include "framework/parameters/Parameter.h"
#include "ParameterUIKinds.h"
#include "framework/platform/Platform.h"

pfParameterRGB* pfParameterUIRGBWin32::Bound() const
{
    return m_hWnd ? dynamic_cast<pfParameterRGB*>(m_pParameter) : nullptr;
}

void pfParameterUIRGBWin32::Update()
{
    if (Bound())
        GetPlatform().Controls().Invalidate(m_hWnd, m_nControlId);
}
