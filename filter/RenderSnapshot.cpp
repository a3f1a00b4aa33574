#include "RenderSnapshot.h"

#include "FilterCorvane.h"
#include "framework/render/RenderInterrupt.h"
#include "RenderThreads.h"

pfRenderSnapshot TakeRenderSnapshot(const pfFilterCorvane& filter)
{
    pfRenderSnapshot snapshot;
    filter.m_Color.GetValue(snapshot.fColor[0], snapshot.fColor[1], snapshot.fColor[2]);
    snapshot.fGammaCorrection = filter.m_GammaCorrection.GetValue();
    snapshot.nBlendMode = unsigned(filter.m_BlendMode.GetSelection());
    snapshot.bClipColor = filter.m_ClipColor.GetValue();
    snapshot.bAntialias = filter.m_Antialias.GetValue();
    snapshot.fInnerDensity = filter.m_InnerDensity.GetValue();
    snapshot.fOuterDensity = filter.m_OuterDensity.GetValue();
    snapshot.fAddFactor = filter.m_AddFactor.GetValue();
    snapshot.fWeightX1X2 = filter.m_WeightX1X2.GetValue();
    snapshot.fWeightY1Y2 = filter.m_WeightY1Y2.GetValue();
    snapshot.fOffsetX1 = filter.m_OffsetX1.GetValue();
    snapshot.fOffsetX2 = filter.m_OffsetX2.GetValue();
    snapshot.fOffsetY1 = filter.m_OffsetY1.GetValue();
    snapshot.fOffsetY2 = filter.m_OffsetY2.GetValue();
    snapshot.fInnerAngleX1 = filter.m_InnerAngleX1.GetValue();
    snapshot.fInnerAngleX2 = filter.m_InnerAngleX2.GetValue();
    snapshot.fInnerAngleY1 = filter.m_InnerAngleY1.GetValue();
    snapshot.fInnerAngleY2 = filter.m_InnerAngleY2.GetValue();
    snapshot.fOuterAngleX1 = filter.m_OuterAngleX1.GetValue();
    snapshot.fOuterAngleX2 = filter.m_OuterAngleX2.GetValue();
    snapshot.fOuterAngleY1 = filter.m_OuterAngleY1.GetValue();
    snapshot.fOuterAngleY2 = filter.m_OuterAngleY2.GetValue();
    snapshot.nRenderPass = filter.GetRenderPass();
    snapshot.nThreads = RenderThreadCount();
    snapshot.bPreview = g_nRenderStartTick != 0;
    if (snapshot.bPreview) {
        snapshot.window = filter.GetRenderWindow();
        if (filter.GetRowListener())
            snapshot.pRowFinished = &filter.GetRowListener();
    }
    return snapshot;
}
