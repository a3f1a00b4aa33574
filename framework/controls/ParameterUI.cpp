#include "ParameterUI.h"

#include "framework/parameters/Parameter.h"

void pfParameterUI::SetParameter(pfParameter* p)
{
    if (p && p != m_pParameter) {
        m_pParameter = p;
        p->SetBinding(this);
    }
}
