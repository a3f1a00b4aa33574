// The Corvane II filter: its 24 parameters, its render entry and its name.
#pragma once

#include "framework/plugin/Filter.h"
#include "framework/parameters/Parameter.h"
#include "framework/controls/ParameterUIKinds.h"

#include <vector>

class pfFilterCorvane : public pfFilter {
public:
    pfFilterCorvane();
    ~pfFilterCorvane() override;

    int16_t Render(FilterRecord* pFilterRecord) override;
    const char* GetName() const override { return "CorvaneII"; }

    // Declaration order is registration order: presets lines, remembered
    // values and script keys follow it.
    pfParameterRGB m_Color;
    pfParameterFloat m_GammaCorrection;
    pfParameterList m_BlendMode;
    pfParameterFloat m_InnerDensity;
    pfParameterFloat m_OuterDensity;
    pfParameterFloat m_AddFactor;
    pfParameterFloat m_WeightX1X2;
    pfParameterFloat m_WeightY1Y2;
    pfParameterFloat m_Randomize;
    pfParameterFloat m_OffsetX1;
    pfParameterFloat m_OffsetX2;
    pfParameterFloat m_OffsetY1;
    pfParameterFloat m_OffsetY2;
    pfParameterFloat m_InnerAngleX1;
    pfParameterFloat m_InnerAngleX2;
    pfParameterFloat m_InnerAngleY1;
    pfParameterFloat m_InnerAngleY2;
    pfParameterFloat m_OuterAngleX1;
    pfParameterFloat m_OuterAngleX2;
    pfParameterFloat m_OuterAngleY1;
    pfParameterFloat m_OuterAngleY2;
    pfParameterBool m_Antialias;
    pfParameterBool m_ClipColor;
    pfParameterBool m_RandomizeButton;

    // Their bindings to the interface dialog's controls, in the same order.
    pfParameterUIRGBWin32 m_ColorUI;
    pfParameterUIFloatWin32 m_GammaCorrectionUI;
    pfParameterUIListWin32 m_BlendModeUI;
    pfParameterUIFloatWin32 m_InnerDensityUI;
    pfParameterUIFloatWin32 m_OuterDensityUI;
    pfParameterUIFloatWin32 m_AddFactorUI;
    pfParameterUIFloatWin32 m_WeightX1X2UI;
    pfParameterUIFloatWin32 m_WeightY1Y2UI;
    pfParameterUIFloatWin32 m_RandomizeUI;
    pfParameterUIAngleWin32 m_OffsetX1UI;
    pfParameterUIAngleWin32 m_OffsetX2UI;
    pfParameterUIAngleWin32 m_OffsetY1UI;
    pfParameterUIAngleWin32 m_OffsetY2UI;
    pfParameterUIAngleWin32 m_InnerAngleX1UI;
    pfParameterUIAngleWin32 m_InnerAngleX2UI;
    pfParameterUIAngleWin32 m_InnerAngleY1UI;
    pfParameterUIAngleWin32 m_InnerAngleY2UI;
    pfParameterUIAngleWin32 m_OuterAngleX1UI;
    pfParameterUIAngleWin32 m_OuterAngleX2UI;
    pfParameterUIAngleWin32 m_OuterAngleY1UI;
    pfParameterUIAngleWin32 m_OuterAngleY2UI;
    pfParameterUIBoolWin32 m_AntialiasUI;
    pfParameterUIBoolWin32 m_ClipColorUI;
    pfParameterUIBoolWin32 m_RandomizeButtonUI;

private:
    // The 24 parameters and their bindings in declaration order.
    std::vector<pfParameter*> AllParameters();
    std::vector<pfParameterUI*> AllBindings();
    void SetControlIds();
};
