// One render of one pixel format: sample type (8 or 16 bits), one to three
// colour channels, with or without transparency. Each of the twelve
// combinations is its own instantiation, so the pixel loop has no format
// branches.
#pragma once

#include "DotField.h"
#include "GammaTable.h"
#include "PixelPass.h"
#include "PixelView.h"
#include "RowSharing.h"
#include "framework/render/RenderInterrupt.h"
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

// The part of a W x H output the pixel pass covers: the snapshot's window
// where it overlaps the output, else all of it.
struct pfPassWindow {
    int32_t x = 0, y = 0, nWidth = 0, nHeight = 0;
};

inline pfPassWindow PassWindow(const pfRenderSnapshot& snapshot, int32_t nWidth, int32_t nHeight)
{
    const Rect& w = snapshot.window;
    const int32_t x0 = std::max<int32_t>(w.left, 0), y0 = std::max<int32_t>(w.top, 0);
    const int32_t x1 = std::min<int32_t>(w.right, nWidth), y1 = std::min<int32_t>(w.bottom, nHeight);
    if (x1 <= x0 || y1 <= y0)
        return {0, 0, nWidth, nHeight};
    return {x0, y0, x1 - x0, y1 - y0};
}

// Clears a preview's field row by row with the team, making the
// interruption checks as it goes: a kept field holds an earlier synthesis,
// and under Wine a fresh one's pages first touched in the dots' scattered
// order cost five times as much (a 2000 x 1500 zoom step: 286 -> 53 ms).
inline int16_t ClearPreviewField(const FieldView& field, const FilterRecord* pFilterRecord, pfWorkerTeam& team)
{
    pfRowWork work;
    work.fnRow = [&field](int32_t y) { std::fill(field.Row(y), field.Row(y) + field.nWidth, 0.0f); };
    work.fnProgress = [](int32_t) {};
    work.fnCheck = [pFilterRecord] { return CheckRenderInterrupt(pFilterRecord); };
    return ShareRows(&team, field.nHeight, work);
}

// The synthesis into a field that does not hold it yet; a final render's
// field comes fresh from the system, already clear.
inline int16_t FillField(pfRenderFloats& pField, const FieldView& field, const pfFieldContents& contents,
                         const DotFieldSettings& settings, bool bPreview, const FilterRecord* pFilterRecord,
                         pfWorkerTeam& team)
{
    int16_t nResult = bPreview ? ClearPreviewField(field, pFilterRecord, team) : int16_t(noErr);
    if (nResult == noErr)
        nResult = PlaceDots(field, settings, pFilterRecord, &team);
    if (nResult == noErr)
        MarkFieldFilled(pField, contents);
    return nResult;
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
        if (!bFilled)
            nResult = FillField(pField, field, contents, settings, snapshot.bPreview, pFilterRecord, team);
        if (nResult == noErr) {
            const pfRenderFloats pGammaTable = MakeGammaTable(snapshot.fGammaCorrection);
            if (!pGammaTable)
                nResult = memFullErr;
            else {
                // A preview shows part of a large output: the dots fall
                // anywhere, but only the shown pixels are blended.
                const pfPassWindow w = PassWindow(snapshot, nWidth, nHeight);
                nResult = BlendFieldIntoImage<Sample, N, bAlpha>(
                    snapshot, WindowOf(field, w.x, w.y, w.nWidth, w.nHeight), pGammaTable.get(),
                    WindowOf(in, w.x, w.y, w.nWidth, w.nHeight), WindowOf(out, w.x, w.y, w.nWidth, w.nHeight),
                    WindowOf(mask, w.x, w.y, w.nWidth, w.nHeight), pFilterRecord, &team, {w.x, w.y});
            }
        }
    }
    PF_TRACE_EXIT("Render( return(" << nResult << ") )");
    return nResult;
}
