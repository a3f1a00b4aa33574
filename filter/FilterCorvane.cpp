#include "FilterCorvane.h"

#include "Randomize.h"

#include "framework/trace/Trace.h"
#include "../resources/resource.h"

namespace {

const char* const kBlendModeNames[] = {
    "normal",   "max weight", "screen",  "overlay", "addition",   "subtraction", "multiply",  "divide",
    "difference", "exclusion", "lighten", "darken", "maximum",    "minimum",     "hue",       "saturation",
    "lightness", "alpha add", "alpha sub", "alpha mult", "alpha replace", "(none) replace"};

struct FloatSetup {
    pfParameterFloat pfFilterCorvane::*pMember;
    const char* strName;
    double fDefault;
    bool bHasBounds;
    double fMin;
    bool bMinEnforced;
    double fMax;
    bool bMaxEnforced;
    const char (&strKey)[5];
};

// Float parameters in declaration order, between "BlendMode" and "Antialias".
const FloatSetup kFloats[] = {
    {&pfFilterCorvane::m_InnerDensity, "InnerDensity", 0.1, true, 0.0, true, 2.0, false, "DEIN"},
    {&pfFilterCorvane::m_OuterDensity, "OuterDensity", 10.0, true, 0.0, true, 2.0, false, "DEOU"},
    {&pfFilterCorvane::m_AddFactor, "AddFactor", 0.25, true, 0.0, true, 2.0, false, "ADFA"},
    {&pfFilterCorvane::m_WeightX1X2, "WeightX1X2", 0.0, true, -1.0, true, 1.0, true, "WEGX"},
    {&pfFilterCorvane::m_WeightY1Y2, "WeightY1Y2", 0.0, true, -1.0, true, 1.0, true, "WEGY"},
    {&pfFilterCorvane::m_Randomize, "Randomize", 1.0, true, 0.0, true, 5.0, false, "RAND"},
    {&pfFilterCorvane::m_OffsetX1, "OffsetX1", 0.0, false, 0, false, 0, false, "OFX1"},
    {&pfFilterCorvane::m_OffsetX2, "OffsetX2", 0.0, false, 0, false, 0, false, "OFX2"},
    {&pfFilterCorvane::m_OffsetY1, "OffsetY1", 0.0, false, 0, false, 0, false, "OFY1"},
    {&pfFilterCorvane::m_OffsetY2, "OffsetY2", 0.0, false, 0, false, 0, false, "OFY2"},
    {&pfFilterCorvane::m_InnerAngleX1, "InnerAngleX1", 33.0, false, 0, false, 0, false, "INX1"},
    {&pfFilterCorvane::m_InnerAngleX2, "InnerAngleX2", 135.0, false, 0, false, 0, false, "INX2"},
    {&pfFilterCorvane::m_InnerAngleY1, "InnerAngleY1", 43.0, false, 0, false, 0, false, "INY1"},
    {&pfFilterCorvane::m_InnerAngleY2, "InnerAngleY2", 146.0, false, 0, false, 0, false, "INY2"},
    {&pfFilterCorvane::m_OuterAngleX1, "OuterAngleX1", 246.0, false, 0, false, 0, false, "OUX1"},
    {&pfFilterCorvane::m_OuterAngleX2, "OuterAngleX2", 356.0, false, 0, false, 0, false, "OUX2"},
    {&pfFilterCorvane::m_OuterAngleY1, "OuterAngleY1", 43.0, false, 0, false, 0, false, "OUY1"},
    {&pfFilterCorvane::m_OuterAngleY2, "OuterAngleY2", 106.0, false, 0, false, 0, false, "OUY2"},
};

}  // namespace

pfFilterCorvane::pfFilterCorvane()
{
    PF_TRACE_ENTER("pfFilterCorvane::pfFilterCorvane()");
    SetControlIds();

    m_Color.SetName("Color");
    m_Color.SetValue(0.5, 0.8, 0.05);
    m_Color.SetScriptKeys(FourCC("COL1"), FourCC("COL2"), FourCC("COL3"));

    m_GammaCorrection.SetName("GammaCorrection");
    m_GammaCorrection.SetValue(1.0);
    m_GammaCorrection.SetMin(0.0, true);
    m_GammaCorrection.SetMax(3.0, false);
    m_GammaCorrection.SetScriptKey(FourCC("GAMA"));

    m_BlendMode.SetName("BlendMode");
    for (const char* strItem : kBlendModeNames)
        m_BlendMode.AddItem(strItem);
    m_BlendMode.SetSelection(3);
    m_BlendMode.SetScriptKey(FourCC("BLND"));

    for (const FloatSetup& setup : kFloats) {
        pfParameterFloat& parameter = this->*setup.pMember;
        parameter.SetName(setup.strName);
        parameter.SetValue(setup.fDefault);
        if (setup.bHasBounds) {
            parameter.SetMin(setup.fMin, setup.bMinEnforced);
            parameter.SetMax(setup.fMax, setup.bMaxEnforced);
        }
        parameter.SetScriptKey(FourCC(setup.strKey));
    }
    m_Randomize.SetUndoable(false);
    m_Randomize.SetSaved(false);

    m_Antialias.SetName("Antialias");
    m_Antialias.SetValue(true);
    m_Antialias.SetScriptKey(FourCC("ANTI"));

    m_ClipColor.SetName("ClipColor");
    m_ClipColor.SetValue(false);
    m_ClipColor.SetScriptKey(FourCC("CLCO"));

    m_RandomizeButton.SetName("Randomize Button");
    m_RandomizeButton.SetValue(false);
    m_RandomizeButton.SetScriptKey(0);
    m_RandomizeButton.SetSaved(false);
    m_RandomizeButton.SetUndoable(false);
    // Installed after the button's value is set: setting a Bool always runs
    // its callback, and the defaults must not be randomised.
    m_RandomizeButton.SetCallback(OnRandomize, this);

    const std::vector<pfParameter*> lstParameters = AllParameters();
    const std::vector<pfParameterUI*> lstBindings = AllBindings();
    for (std::size_t i = 0; i < lstParameters.size(); ++i)
        lstBindings[i]->SetParameter(lstParameters[i]);
    m_lstBindings = lstBindings;
    for (pfParameter* pParameter : lstParameters)
        m_Parameters.Add(pParameter);
    m_Parameters.ValidateAll();

    PF_TRACE_EXIT("pfFilterCorvane::pfFilterCorvane()");
}

pfFilterCorvane::~pfFilterCorvane() = default;

std::vector<pfParameter*> pfFilterCorvane::AllParameters()
{
    return {&m_Color,        &m_GammaCorrection, &m_BlendMode,    &m_InnerDensity, &m_OuterDensity,
            &m_AddFactor,    &m_WeightX1X2,      &m_WeightY1Y2,   &m_Randomize,    &m_OffsetX1,
            &m_OffsetX2,     &m_OffsetY1,        &m_OffsetY2,     &m_InnerAngleX1, &m_InnerAngleX2,
            &m_InnerAngleY1, &m_InnerAngleY2,    &m_OuterAngleX1, &m_OuterAngleX2, &m_OuterAngleY1,
            &m_OuterAngleY2, &m_Antialias,       &m_ClipColor,    &m_RandomizeButton};
}

std::vector<pfParameterUI*> pfFilterCorvane::AllBindings()
{
    return {&m_ColorUI,        &m_GammaCorrectionUI, &m_BlendModeUI,    &m_InnerDensityUI, &m_OuterDensityUI,
            &m_AddFactorUI,    &m_WeightX1X2UI,      &m_WeightY1Y2UI,   &m_RandomizeUI,    &m_OffsetX1UI,
            &m_OffsetX2UI,     &m_OffsetY1UI,        &m_OffsetY2UI,     &m_InnerAngleX1UI, &m_InnerAngleX2UI,
            &m_InnerAngleY1UI, &m_InnerAngleY2UI,    &m_OuterAngleX1UI, &m_OuterAngleX2UI, &m_OuterAngleY1UI,
            &m_OuterAngleY2UI, &m_AntialiasUI,       &m_ClipColorUI,    &m_RandomizeButtonUI};
}

void pfFilterCorvane::SetControlIds()
{
    m_ColorUI.SetControlId(IDC_COLOR_SWATCH);
    m_GammaCorrectionUI.SetControlIds(IDC_GAMMA_EDIT, IDC_GAMMA_SLIDER);
    m_BlendModeUI.SetControlId(IDC_BLEND_LIST);
    m_InnerDensityUI.SetControlIds(IDC_INNER_DENSITY_EDIT, IDC_INNER_DENSITY_SLIDER);
    m_OuterDensityUI.SetControlIds(IDC_OUTER_DENSITY_EDIT, IDC_OUTER_DENSITY_SLIDER);
    m_AddFactorUI.SetControlIds(IDC_ADD_FACTOR_EDIT, IDC_ADD_FACTOR_SLIDER);
    m_WeightX1X2UI.SetControlIds(IDC_WEIGHT_X_EDIT, IDC_WEIGHT_X_SLIDER);
    m_WeightY1Y2UI.SetControlIds(IDC_WEIGHT_Y_EDIT, IDC_WEIGHT_Y_SLIDER);
    m_RandomizeUI.SetControlIds(IDC_RANDOMIZE_EDIT, IDC_RANDOMIZE_SLIDER);
    m_OffsetX1UI.SetControlIds(IDC_OFFSET_X1_DIAL, -1, IDC_OFFSET_X1_DEGREES);
    m_OffsetX2UI.SetControlIds(IDC_OFFSET_X2_DIAL, -1, IDC_OFFSET_X2_DEGREES);
    m_OffsetY1UI.SetControlIds(IDC_OFFSET_Y1_DIAL, -1, IDC_OFFSET_Y1_DEGREES);
    m_OffsetY2UI.SetControlIds(IDC_OFFSET_Y2_DIAL, -1, IDC_OFFSET_Y2_DEGREES);
    m_InnerAngleX1UI.SetControlIds(IDC_INNER_X1_DIAL, IDC_INNER_X1_TURNS, IDC_INNER_X1_DEGREES);
    m_InnerAngleX2UI.SetControlIds(IDC_INNER_X2_DIAL, IDC_INNER_X2_TURNS, IDC_INNER_X2_DEGREES);
    m_InnerAngleY1UI.SetControlIds(IDC_INNER_Y1_DIAL, IDC_INNER_Y1_TURNS, IDC_INNER_Y1_DEGREES);
    m_InnerAngleY2UI.SetControlIds(IDC_INNER_Y2_DIAL, IDC_INNER_Y2_TURNS, IDC_INNER_Y2_DEGREES);
    m_OuterAngleX1UI.SetControlIds(IDC_OUTER_X1_DIAL, IDC_OUTER_X1_TURNS, IDC_OUTER_X1_DEGREES);
    m_OuterAngleX2UI.SetControlIds(IDC_OUTER_X2_DIAL, IDC_OUTER_X2_TURNS, IDC_OUTER_X2_DEGREES);
    m_OuterAngleY1UI.SetControlIds(IDC_OUTER_Y1_DIAL, IDC_OUTER_Y1_TURNS, IDC_OUTER_Y1_DEGREES);
    m_OuterAngleY2UI.SetControlIds(IDC_OUTER_Y2_DIAL, IDC_OUTER_Y2_TURNS, IDC_OUTER_Y2_DEGREES);
    m_AntialiasUI.SetControlId(IDC_ANTIALIAS);
    m_ClipColorUI.SetControlId(IDC_CLIP_COLOR);
    m_RandomizeButtonUI.SetControlId(IDC_RANDOMIZE_BUTTON);
}
