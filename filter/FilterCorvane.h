// The Corvane II filter: its 24 parameters, its render entry and its name.
#pragma once

#include "../framework/Filter.h"
#include "../framework/Parameter.h"

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

private:
    // The 24 parameters in declaration order.
    std::vector<pfParameter*> AllParameters();
};
