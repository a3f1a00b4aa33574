#include "Randomize.h"

#include "FilterCorvane.h"

#include "framework/platform/Platform.h"

int pfRandom::Next()
{
    m_nState = m_nState * 214013u + 2531011u;
    return int((m_nState >> 16) & 0x7FFF);
}

double RandomAngle(pfRandom& random, double fStrength)
{
    return (random.Next() * (1.0 / 32767) * 2 - 1) * fStrength * 360;
}

double RandomWeight(pfRandom& random)
{
    const double h = (random.Next() * (1.0 / 32767) - 0.5) * 2;
    const int32_t k = int32_t(h * h * h * 1000);
    return k * 0.001;
}

void OnRandomize(pfParameter*, void* pContext)
{
    if (!pContext)
        return;
    auto& filter = *static_cast<pfFilterCorvane*>(pContext);
    pfRandom random(GetPlatform().GetTickCount());
    pfParameterFloat* const angles[] = {&filter.m_OuterAngleX2, &filter.m_OffsetX1,     &filter.m_InnerAngleX1,
                                        &filter.m_OffsetY1,     &filter.m_OuterAngleY1, &filter.m_InnerAngleX2,
                                        &filter.m_OffsetX2,     &filter.m_OuterAngleX1, &filter.m_InnerAngleY1,
                                        &filter.m_OuterAngleY2, &filter.m_OffsetY2,     &filter.m_InnerAngleY2};
    pfUndoStack& undo = filter.GetUndoStack();
    for (pfParameterFloat* pAngle : angles)
        undo.Push(pAngle->CreateUndo());
    undo.Push(filter.m_WeightX1X2.CreateUndo());
    undo.Push(filter.m_WeightY1Y2.CreateUndo());
    undo.NewGroup();

    const double fStrength = filter.m_Randomize.GetValue();
    for (pfParameterFloat* pAngle : angles)
        pAngle->SetValue(RandomAngle(random, fStrength));
    filter.m_WeightX1X2.SetValue(RandomWeight(random));
    filter.m_WeightY1Y2.SetValue(RandomWeight(random));

    pfParameterFloat* const shown[] = {
        &filter.m_InnerAngleX1, &filter.m_InnerAngleX2, &filter.m_InnerAngleY1, &filter.m_InnerAngleY2,
        &filter.m_OuterAngleX1, &filter.m_OuterAngleX2, &filter.m_OuterAngleY1, &filter.m_OuterAngleY2,
        &filter.m_OffsetX1,     &filter.m_OffsetX2,     &filter.m_OffsetY1,     &filter.m_OffsetY2,
        &filter.m_WeightX1X2,   &filter.m_WeightY1Y2};
    for (pfParameterFloat* pParameter : shown)
        pParameter->UpdateUI();
    filter.GetDialog().ParametersChanged();
}
