// The bindings of the parameter kinds: a check box (or a push button) for a
// Bool, an edit with a trackbar for a Float, a drop-down list for a List, a
// colour swatch for an RGB, and a dial with turns and degrees edits for an
// angle (a Float in degrees). Control ids of -1 mean "no such control".
#pragma once

#include "ParameterUIWin32.h"

class pfParameterBool;
class pfParameterFloat;
class pfParameterList;
class pfParameterRGB;

class pfParameterUIBoolWin32 : public pfParameterUIWin32 {
public:
    void SetControlId(int nId) { m_nControlId = nId; }
    void Init() override { Update(); }
    void Update() override;
    // Only while the control has the focus: a push button reads unchecked,
    // so every press sets false and runs the parameter's callback.
    bool ReadControl() override;
    bool OwnsControl(int nId) const override { return nId != -1 && nId == m_nControlId; }

private:
    pfParameterBool* Bound() const;
    int m_nControlId = -1;
};

class pfParameterUIFloatWin32 : public pfParameterUIWin32 {
public:
    void SetControlIds(int nEditId, int nTrackbarId)
    {
        m_nControlId = nEditId;
        m_nTrackbarId = nTrackbarId;
    }
    void Init() override;
    void Update() override;
    bool ReadControl() override;
    bool OwnsControl(int nId) const override { return nId != -1 && (nId == m_nControlId || nId == m_nTrackbarId); }
    // Rejected or clamped input is replaced by the value in effect.
    void OnKillFocus(int nId) override;

private:
    pfParameterFloat* Bound() const;
    bool ReadEdit(pfParameterFloat& parameter);
    int m_nControlId = -1;
    int m_nTrackbarId = -1;
};

class pfParameterUIListWin32 : public pfParameterUIWin32 {
public:
    void SetControlId(int nId) { m_nControlId = nId; }
    void Init() override { Update(); }
    void Update() override;
    bool ReadControl() override;
    bool OwnsControl(int nId) const override { return nId != -1 && nId == m_nControlId; }

private:
    pfParameterList* Bound() const;
    int m_nControlId = -1;
};

// The swatch is painted by the dialog; the binding only asks for it.
class pfParameterUIRGBWin32 : public pfParameterUIWin32 {
public:
    void SetControlId(int nId) { m_nControlId = nId; }
    int GetControlId() const { return m_nControlId; }
    void Update() override;
    bool OwnsControl(int nId) const override { return nId != -1 && nId == m_nControlId; }
    pfParameterRGB* Bound() const;

private:
    int m_nControlId = -1;
};

class pfParameterUIAngleWin32 : public pfParameterUIWin32 {
public:
    void SetControlIds(int nDialId, int nTurnsId, int nDegreesId)
    {
        m_nDialId = nDialId;
        m_nTurnsId = nTurnsId;
        m_nDegreesId = nDegreesId;
    }
    int GetDialId() const { return m_nDialId; }
    void Init() override { Update(); }
    void Update() override;
    bool ReadControl() override;
    bool OwnsControl(int nId) const override
    {
        return nId != -1 && (nId == m_nDialId || nId == m_nTurnsId || nId == m_nDegreesId);
    }
    void OnKillFocus(int nId) override;

    // The dial turned to the pointer at (dx, dy) from its centre.
    bool SetAngleFromPoint(double dx, double dy);
    pfParameterFloat* Bound() const;

private:
    int m_nDialId = -1;
    int m_nTurnsId = -1;
    int m_nDegreesId = -1;
};
