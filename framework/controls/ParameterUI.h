// controls/ holds the bindings of parameters to dialog controls and their arithmetic: control text and angle math.
// Base of the control bindings that show a parameter in the dialog.
#pragma once

class pfParameter;

class pfParameterUI {
public:
    virtual ~pfParameterUI() = default;
    virtual void Init() {}
    virtual void Update() {}
    virtual bool ReadControl() { return false; }

    // Binds p and gives p its back pointer, so the parameter can refresh us.
    void SetParameter(pfParameter* p);
    pfParameter* GetParameter() const { return m_pParameter; }

protected:
    pfParameter* m_pParameter = nullptr;
    bool m_bEnabled = true;
};
