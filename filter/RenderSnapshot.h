// The parameter values one render works with, read once when it starts so
// that changes dispatched during a preview render wait for the next one.
// The member defaults are the filter's parameter defaults.
#pragma once

#include "framework/hostinterface/HostInterface.h"
#include "framework/plugin/Filter.h"

#include <cstdint>

class pfFilterCorvane;

struct pfRenderSnapshot {
    double fColor[3] = {0.5, 0.8, 0.05};
    double fGammaCorrection = 1.0;
    unsigned nBlendMode = 3;
    bool bClipColor = false;
    bool bAntialias = true;
    double fInnerDensity = 0.1;
    double fOuterDensity = 10.0;
    double fAddFactor = 0.25;
    double fWeightX1X2 = 0.0;
    double fWeightY1Y2 = 0.0;
    // Degrees, as the user set them.
    double fOffsetX1 = 0.0, fOffsetX2 = 0.0, fOffsetY1 = 0.0, fOffsetY2 = 0.0;
    double fInnerAngleX1 = 33.0, fInnerAngleX2 = 135.0, fInnerAngleY1 = 43.0, fInnerAngleY2 = 146.0;
    double fOuterAngleX1 = 246.0, fOuterAngleX2 = 356.0, fOuterAngleY1 = 43.0, fOuterAngleY2 = 106.0;
    int32_t nRenderPass = 0;
    // Threads the render may use, the calling thread included.
    int32_t nThreads = 1;
    // A render for the dialog's preview: the artist waits on it, and the
    // next one follows with the same size.
    bool bPreview = false;
    // A preview's pixel pass covers only this part of the output (relative
    // to its top left) when it is not empty; the synthesis covers it all.
    Rect window{};
    // A preview's listener for finished rows; null without one.
    const pfRowFinished* pRowFinished = nullptr;
};

pfRenderSnapshot TakeRenderSnapshot(const pfFilterCorvane& filter);
