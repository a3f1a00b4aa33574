// The pixel pass: colours each field value, blends it over the input pixel,
// lets the mask choose between result and input, and writes the output.
// Every blend mode has its own row loop, so the mode is chosen once per row
// rather than per pixel; at 8 bits, modes that treat each channel alone look
// the pixels without dots (most of an image) up in a table made with the
// same arithmetic. Rows are shared among the render's team.
#pragma once

#include "BlendPixel.h"
#include "GammaTable.h"
#include "PixelView.h"
#include "framework/render/RenderInterrupt.h"
#include "RenderSnapshot.h"
#include "RowSharing.h"

#include "framework/hostinterface/HostInterface.h"
#include "framework/platform/WorkerTeam.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

// Conversion of host samples to and from the unit range. 8-bit samples are
// divided by 255 (a table of quotients): multiplying by a rounded 1/255
// would turn 24 of the 256 values into k - 1 on the way back.
template <typename Sample>
struct pfSampleCodec;

template <>
struct pfSampleCodec<uint8_t> {
    static constexpr double kScale = 255.0;
    pfSampleCodec() : pUnit(Table().data()) {}
    double ToUnit(uint8_t v) const { return pUnit[v]; }

private:
    static const std::array<double, 256>& Table()
    {
        static const std::array<double, 256> table = [] {
            std::array<double, 256> t{};
            for (int i = 0; i < 256; ++i)
                t[i] = i / 255.0;
            return t;
        }();
        return table;
    }
    const double* pUnit;
};

template <>
struct pfSampleCodec<uint16_t> {
    static constexpr double kScale = 32768.0;
    double ToUnit(uint16_t v) const { return v * 3.0517578125e-05; }
};

// Host buffers carry no alignment promise: samples are copied, not cast.
template <typename Sample>
inline Sample LoadSample(const uint8_t* pPixel, int32_t nIndex)
{
    Sample v;
    std::memcpy(&v, pPixel + nIndex * int32_t(sizeof(Sample)), sizeof v);
    return v;
}

template <typename Sample>
inline void StoreSample(uint8_t* pPixel, int32_t nIndex, Sample v)
{
    std::memcpy(pPixel + nIndex * int32_t(sizeof(Sample)), &v, sizeof v);
}

// NaN becomes 0, everything else is clamped to [0, 1].
inline double UnitRange(double v)
{
    return !(v > 0) ? 0.0 : (v > 1 ? 1.0 : v);
}

// The mask step in sample units: the input moved toward the blend result
// by the mask's share. A pixel the blend left alone therefore keeps its
// value under any mask, and a full mask takes the result as it is.
inline double MaskSample(double fResult, double fInput, double m)
{
    return m >= 1 ? fResult : fInput + (fResult - fInput) * m;
}

// Modes whose result in one channel depends on that channel of the
// destination and on the source alone (layouts without alpha).
constexpr bool IsChannelwise(int N, unsigned nMode)
{
    return !(nMode == kBlendMaximum || nMode == kBlendMinimum ||
             (N == 3 && nMode >= kBlendHue && nMode <= kBlendLightness));
}

// What every row of one pass shares.
template <typename Sample, int N, bool bAlpha>
struct pfPassContext {
    static constexpr int kElements = N + (bAlpha ? 1 : 0);
    static constexpr int kFirstColor = bAlpha ? 1 : 0;
    static constexpr bool kCanTabulate = std::is_same<Sample, uint8_t>::value && !bAlpha;

    pfPassContext(const pfRenderSnapshot& snapshot, const FieldView& field, const float* pGammaTable,
                  const PixelView& in, const PixelView& out, const PixelView& mask)
        : snapshot(snapshot), field(field), pGammaTable(pGammaTable), in(in), out(out), mask(mask)
    {
        for (int k = 0; k < N; ++k)
            plane[kFirstColor + k] = k;
        if constexpr (bAlpha) {
            plane[0] = in.nAlphaIndex;
            emptySource[0] = 1.0;
        }
        for (int k = 0; k < N; ++k)
            emptySource[kFirstColor + k] = SourceValue(0.0f, snapshot.fColor[k], snapshot.bClipColor, pGammaTable);
        emptyTraits = pfBlend::SourceTraits<N, bAlpha>(emptySource, snapshot.nBlendMode);
        if constexpr (kCanTabulate)
            if (IsChannelwise(N, snapshot.nBlendMode))
                TabulateEmpty();
    }

    // The mask's share at column x of a mask row, 0 to 1.
    double MaskAt(const uint8_t* pMaskRow, int32_t x) const
    {
        return pfSampleCodec<uint8_t>().ToUnit(pMaskRow[x]);
    }

    const pfRenderSnapshot& snapshot;
    const FieldView field;
    const float* const pGammaTable;
    const PixelView in, out, mask;
    int32_t plane[kElements];
    double emptySource[kElements];
    pfBlend::pfSourceTraits emptyTraits;
    // Result of each channel k for each input sample where the field is 0,
    // in sample units before truncation.
    double emptyResult[N][256];

private:
    void TabulateEmpty()
    {
        const pfSampleCodec<uint8_t> codec;
        for (int v = 0; v < 256; ++v) {
            double d[N], s[N];
            for (int k = 0; k < N; ++k) {
                d[k] = codec.ToUnit(uint8_t(v));
                s[k] = emptySource[k];
            }
            BlendPixel<N, false>(d, s, snapshot.nBlendMode);
            for (int k = 0; k < N; ++k)
                emptyResult[k][v] = UnitRange(d[k]) * 255.0;
        }
    }
};

// One row of the pass in blend mode kMode.
template <typename Sample, int N, bool bAlpha, unsigned kMode>
void BlendRow(const pfPassContext<Sample, N, bAlpha>& c, int32_t y)
{
    using Context = pfPassContext<Sample, N, bAlpha>;
    constexpr int kElements = Context::kElements;
    constexpr int kFirstColor = Context::kFirstColor;
    constexpr bool kTabulated = Context::kCanTabulate && IsChannelwise(N, kMode);
    constexpr double kScale = pfSampleCodec<Sample>::kScale;
    const pfSampleCodec<Sample> codec;
    const pfRenderSnapshot& snapshot = c.snapshot;
    const int32_t nWidth = c.out.nWidth;
    const int32_t nInStride = c.in.nColumnStride, nOutStride = c.out.nColumnStride;
    const float* pField = c.field.Row(y);
    const uint8_t* pIn = c.in.Row(y);
    uint8_t* pOut = c.out.Row(y);
    const uint8_t* const pMask = c.mask.bValid ? c.mask.Row(y) : nullptr;

    // Neighbouring pixels often hold the same field value: its source
    // colour is looked up once. The run starts with the empty value.
    float fLastValue = 0.0f;
    double source[kElements];
    for (int e = 0; e < kElements; ++e)
        source[e] = c.emptySource[e];
    pfBlend::pfSourceTraits traits = c.emptyTraits;

    for (int32_t x = 0; x < nWidth; ++x, pIn += nInStride, pOut += nOutStride) {
        const float fValue = pField[x];
        const double m = pMask ? c.MaskAt(pMask, x) : 1.0;
        if constexpr (kTabulated) {
            if (fValue == 0.0f) {
                for (int k = 0; k < N; ++k) {
                    const uint8_t nRaw = pIn[k];
                    const double r = c.emptyResult[k][nRaw];
                    pOut[k] = uint8_t(pMask ? MaskSample(r, double(nRaw), m) : r);
                }
                continue;
            }
        }
        if (!(fValue == fLastValue)) {
            fLastValue = fValue;
            for (int k = 0; k < N; ++k)
                source[kFirstColor + k] =
                    SourceValue(fValue, snapshot.fColor[k], snapshot.bClipColor, c.pGammaTable);
            traits = pfBlend::SourceTraits<N, bAlpha>(source, kMode);
        }
        Sample raw[kElements];
        double dest[kElements];
        for (int e = 0; e < kElements; ++e) {
            raw[e] = LoadSample<Sample>(pIn, c.plane[e]);
            dest[e] = codec.ToUnit(raw[e]);
        }
        BlendPixel<N, bAlpha>(dest, source, kMode, traits);
        for (int e = 0; e < kElements; ++e) {
            double r = UnitRange(dest[e]) * kScale;
            if (pMask)
                r = MaskSample(r, double(raw[e]), m);
            if (!bAlpha || e != 0 || c.out.nAlphaIndex >= 0)
                StoreSample<Sample>(pOut, c.plane[e], Sample(r));
        }
    }
}

template <typename Sample, int N, bool bAlpha>
using pfBlendRowFunction = void (*)(const pfPassContext<Sample, N, bAlpha>&, int32_t);

// The row loop of a mode: modes 1 to 21 their own, every other number the
// copy of mode 22.
template <typename Sample, int N, bool bAlpha, unsigned... kIndices>
pfBlendRowFunction<Sample, N, bAlpha> ChooseBlendRow(unsigned nMode, std::integer_sequence<unsigned, kIndices...>)
{
    static constexpr pfBlendRowFunction<Sample, N, bAlpha> rows[] = {&BlendRow<Sample, N, bAlpha, kIndices + 1>...};
    return rows[nMode >= kBlendNormal && nMode < kBlendReplace ? nMode - 1 : kBlendReplace - 1];
}

template <typename Sample, int N, bool bAlpha>
pfBlendRowFunction<Sample, N, bAlpha> ChooseBlendRow(unsigned nMode)
{
    return ChooseBlendRow<Sample, N, bAlpha>(nMode, std::make_integer_sequence<unsigned, kBlendReplace>());
}

// Where the views of a pass start in the output: the row listener is told
// of output rows.
struct pfPassOrigin {
    int32_t x = 0, y = 0;
};

// The whole pass. Results are brought into the unit range before they
// become samples, so no sample wraps around whatever the mode produced.
// After every row: the snapshot's row listener on the thread that did it,
// then progress in the second half of the bar and the interruption check,
// both on the calling thread.
template <typename Sample, int N, bool bAlpha>
int16_t BlendFieldIntoImage(const pfRenderSnapshot& snapshot, const FieldView& field, const float* pGammaTable,
                            const PixelView& in, const PixelView& out, const PixelView& mask,
                            const FilterRecord* pFilterRecord, pfWorkerTeam* pTeam = nullptr,
                            pfPassOrigin origin = {})
{
    const pfPassContext<Sample, N, bAlpha> context(snapshot, field, pGammaTable, in, out, mask);
    const pfBlendRowFunction<Sample, N, bAlpha> fnBlendRow = ChooseBlendRow<Sample, N, bAlpha>(snapshot.nBlendMode);
    const int32_t nHeight = out.nHeight;
    const pfRowFinished* pRowFinished = snapshot.pRowFinished;
    const int32_t nEndColumn = origin.x + out.nWidth;
    pfRowWork work;
    work.fnRow = [&context, fnBlendRow, pRowFinished, origin, nEndColumn](int32_t y) {
        fnBlendRow(context, y);
        if (pRowFinished)
            (*pRowFinished)(origin.y + y, origin.x, nEndColumn);
    };
    work.fnProgress = [pFilterRecord, nHeight](int32_t nDone) {
        if (pFilterRecord->progressProc)
            pFilterRecord->progressProc(nHeight + nDone - 1, 2 * nHeight);
    };
    work.fnCheck = [pFilterRecord] { return CheckRenderInterrupt(pFilterRecord); };
    return ShareRows(pTeam, nHeight, work);
}
