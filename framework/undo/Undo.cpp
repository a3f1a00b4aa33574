#include "Undo.h"

#include "framework/parameters/Parameter.h"

pfUndoParameterBool::pfUndoParameterBool(pfParameterBool* pParameter)
    : m_pParameter(pParameter), m_bValue(pParameter ? pParameter->GetValue() : false)
{
}

void pfUndoParameterBool::Swap()
{
    if (!m_pParameter)
        return;
    const bool bCurrent = m_pParameter->GetValue();
    m_pParameter->SetValue(m_bValue);
    m_bValue = bCurrent;
    m_pParameter->UpdateUI();
}

pfUndoParameterFloat::pfUndoParameterFloat(pfParameterFloat* pParameter)
    : m_pParameter(pParameter), m_fValue(pParameter ? pParameter->GetValue() : 0.0)
{
}

void pfUndoParameterFloat::Swap()
{
    if (!m_pParameter)
        return;
    const double fCurrent = m_pParameter->GetValue();
    m_pParameter->SetValue(m_fValue);
    m_fValue = fCurrent;
    m_pParameter->UpdateUI();
}

pfUndoParameterList::pfUndoParameterList(pfParameterList* pParameter)
    : m_pParameter(pParameter), m_nIndex(pParameter ? pParameter->GetSelection() : 1)
{
}

void pfUndoParameterList::Swap()
{
    if (!m_pParameter)
        return;
    const int nCurrent = m_pParameter->GetSelection();
    m_pParameter->SetSelection(m_nIndex);
    m_nIndex = nCurrent;
    m_pParameter->UpdateUI();
}

pfUndoParameterRGB::pfUndoParameterRGB(pfParameterRGB* pParameter)
    : m_pParameter(pParameter), m_fRed(0.0), m_fGreen(0.0), m_fBlue(0.0)
{
    if (pParameter)
        pParameter->GetValue(m_fRed, m_fGreen, m_fBlue);
}

void pfUndoParameterRGB::Swap()
{
    if (!m_pParameter)
        return;
    double fRed, fGreen, fBlue;
    m_pParameter->GetValue(fRed, fGreen, fBlue);
    m_pParameter->SetValue(m_fRed, m_fGreen, m_fBlue);
    m_fRed = fRed;
    m_fGreen = fGreen;
    m_fBlue = fBlue;
    m_pParameter->UpdateUI();
}

pfUndoParameterInt::pfUndoParameterInt(pfParameterInt* pParameter)
    : m_pParameter(pParameter), m_nValue(pParameter ? pParameter->GetValue() : 0)
{
}

void pfUndoParameterInt::Swap()
{
    if (!m_pParameter)
        return;
    const int nCurrent = m_pParameter->GetValue();
    m_pParameter->SetValue(m_nValue);
    m_nValue = nCurrent;
    m_pParameter->UpdateUI();
}

pfUndoParameterPosition::pfUndoParameterPosition(pfParameterPosition* pParameter)
    : m_pParameter(pParameter), m_fX(0.0), m_fY(0.0)
{
    if (pParameter)
        pParameter->GetValue(m_fX, m_fY);
}

void pfUndoParameterPosition::Swap()
{
    if (!m_pParameter)
        return;
    double fX, fY;
    m_pParameter->GetValue(fX, fY);
    m_pParameter->SetValue(m_fX, m_fY);
    m_fX = fX;
    m_fY = fY;
    m_pParameter->UpdateUI();
}
