// One render of one pixel format: sample type (8 or 16 bits), one to three
// colour channels, with or without transparency. Each of the twelve
// combinations is its own instantiation, so the pixel loop has no format
// branches.
#pragma once

#include "DotField.h"
#include "GammaTable.h"
#include "PixelPass.h"
#include "PixelView.h"
#include "framework/render/RenderMemory.h"
#include "RenderSnapshot.h"

#include "framework/hostinterface/HostInterface.h"
#include "framework/trace/Trace.h"
#include "framework/platform/WorkerTeam.h"

#include <algorithm>
#include <cstdint>

// Threads for a render of nPixels: as many as the snapshot allows, but no
// more than the work repays. A preview waits on every thread start while
// the artist watches: under Wine a 4000 x 3000 picture's fitted preview
// (800 x 600) paints sooner on one thread than on two.
inline int32_t TeamSizeFor(const pfRenderSnapshot& snapshot, int64_t nPixels)
{
    const int64_t nPixelsPerThread = snapshot.bPreview ? int64_t(1) << 20 : 1024;
    return int32_t(std::max<int64_t>(1, std::min<int64_t>(snapshot.nThreads, nPixels / nPixelsPerThread)));
}

// The whole render of one format: synthesis into a field of the output's
// size, gamma table, pixel pass. The table and the team's threads live for
// this call; a preview's field stays for the next preview, and when only
// what the pixel pass reads has changed (gamma, colour, blend mode, clip
// colour), its dots are used again.
template <typename Sample, int N, bool bAlpha>
int16_t Render(const pfRenderSnapshot& snapshot, PixelView in, PixelView out, PixelView mask,
               const FilterRecord* pFilterRecord, int32_t nScaleX, int32_t nScaleY)
{
    PF_TRACE_ENTER("Render()");
    int16_t nResult = noErr;
    const int32_t nWidth = out.nWidth, nHeight = out.nHeight;
    const DotFieldSettings settings = MakeDotFieldSettings(snapshot, nWidth, nHeight, nScaleX, nScaleY);
    const pfFieldContents contents = DescribeField(settings, nWidth, nHeight);
    bool bFilled = false;
    pfRenderFloats pField = AllocateFieldFloats(uint64_t(nWidth) * uint64_t(nHeight), snapshot.bPreview, contents,
                                                bFilled);
    if (!pField) {
        nResult = memFullErr;
    } else {
        pfWorkerTeam team(TeamSizeFor(snapshot, int64_t(nWidth) * nHeight));
        const FieldView field = MakeFieldView(pField.get(), nWidth, nHeight);
        if (!bFilled) {
            nResult = PlaceDots(field, settings, pFilterRecord, &team);
            if (nResult == noErr)
                MarkFieldFilled(pField, contents);
        }
        if (nResult == noErr) {
            const pfRenderFloats pGammaTable = MakeGammaTable(snapshot.fGammaCorrection);
            if (!pGammaTable)
                nResult = memFullErr;
            else
                nResult = BlendFieldIntoImage<Sample, N, bAlpha>(snapshot, field, pGammaTable.get(), in, out,
                                                                 mask, pFilterRecord, &team);
        }
    }
    PF_TRACE_EXIT("Render( return(" << nResult << ") )");
    return nResult;
}
