#include "Parameters.h"

#include "Parameter.h"

pfParameter* pfParameters::GetParameter(int32_t nIndex) const
{
    if (nIndex < 0 || nIndex >= GetParameterCount())
        return nullptr;
    return m_Parameters[size_t(nIndex)];
}

void pfParameters::ValidateAll()
{
    for (pfParameter* pParameter : m_Parameters)
        pParameter->Validate();
}

void pfParameters::UpdateAllUI()
{
    for (pfParameter* pParameter : m_Parameters)
        pParameter->UpdateUI();
}
