#include "Parameter.h"

#include "framework/controls/ParameterUI.h"
#include "framework/undo/Undo.h"

namespace {

// Equal unless one is less or greater than the other, so an unordered
// comparison (a NaN) counts as no change.
bool SameValue(double a, double b)
{
    return !(a < b) && !(a > b);
}

}  // namespace

void pfParameter::UpdateUI()
{
    if (m_pBinding)
        m_pBinding->Update();
}

bool pfParameter::Changed()
{
    const bool bResult = m_bUndoable;
    UpdateUI();
    return bResult;
}

bool pfParameterBool::SetValue(bool bValue)
{
    bool bResult = false;
    if (bValue != m_bValue) {
        m_bValue = bValue;
        bResult = Changed();
    }
    // Button-like parameters act on every set, changed or not.
    if (m_pCallback)
        m_pCallback(this, m_pCallbackContext);
    return bResult;
}

std::unique_ptr<pfUndo> pfParameterBool::CreateUndo()
{
    return std::make_unique<pfUndoParameterBool>(this);
}

bool pfParameterFloat::SetValue(double fValue)
{
    if (SameValue(fValue, m_fValue))
        return false;
    m_fValue = fValue;
    return Changed();
}

void pfParameterFloat::SetMin(double fMin, bool bEnforced)
{
    m_fMin = fMin;
    m_bMinEnforced = bEnforced;
}

void pfParameterFloat::SetMax(double fMax, bool bEnforced)
{
    m_fMax = fMax;
    m_bMaxEnforced = bEnforced;
}

void pfParameterFloat::Validate()
{
    double fValue = m_fValue;
    if (m_bMinEnforced && m_fMin > fValue)
        fValue = m_fMin;
    if (m_bMaxEnforced && !(m_fMax >= fValue))
        fValue = m_fMax;
    SetValue(fValue);
}

std::unique_ptr<pfUndo> pfParameterFloat::CreateUndo()
{
    return std::make_unique<pfUndoParameterFloat>(this);
}

std::string pfParameterList::GetItem(int32_t nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return std::string();
    return m_lstItems[size_t(nIndex)];
}

bool pfParameterList::SetSelection(int32_t nIndex)
{
    if (nIndex == m_nSelection || nIndex <= 0 || nIndex > GetCount())
        return false;
    m_nSelection = nIndex;
    return Changed();
}

std::unique_ptr<pfUndo> pfParameterList::CreateUndo()
{
    return std::make_unique<pfUndoParameterList>(this);
}

bool pfParameterRGB::SetValue(double fRed, double fGreen, double fBlue)
{
    if (SameValue(fRed, m_fRed) && SameValue(fGreen, m_fGreen) && SameValue(fBlue, m_fBlue))
        return false;
    m_fRed = fRed;
    m_fGreen = fGreen;
    m_fBlue = fBlue;
    return Changed();
}

void pfParameterRGB::SetScriptKeys(DescriptorKeyID redKey, DescriptorKeyID greenKey, DescriptorKeyID blueKey)
{
    m_nKeys[0] = redKey;
    m_nKeys[1] = greenKey;
    m_nKeys[2] = blueKey;
}

std::unique_ptr<pfUndo> pfParameterRGB::CreateUndo()
{
    return std::make_unique<pfUndoParameterRGB>(this);
}

bool pfParameterInt::SetValue(int32_t nValue)
{
    if (nValue == m_nValue)
        return false;
    m_nValue = nValue;
    return Changed();
}

std::unique_ptr<pfUndo> pfParameterInt::CreateUndo()
{
    return std::make_unique<pfUndoParameterInt>(this);
}

bool pfParameterPosition::SetValue(double fX, double fY)
{
    if (SameValue(fX, m_fX) && SameValue(fY, m_fY))
        return false;
    m_fX = fX;
    m_fY = fY;
    return Changed();
}

std::unique_ptr<pfUndo> pfParameterPosition::CreateUndo()
{
    return std::make_unique<pfUndoParameterPosition>(this);
}
