// One render of one pixel format: sample type (8 or 16 bits), one to three
// colour channels, with or without transparency. Each of the twelve
// combinations is its own instantiation, so the pixel loop has no format
// branches.
#pragma once

#include "BlendPixel.h"
#include "DotField.h"
#include "GammaTable.h"
#include "PixelView.h"
#include "RenderInterrupt.h"
#include "RenderMemory.h"
#include "RenderSnapshot.h"

#include "../framework/HostInterface.h"
#include "../framework/Trace.h"

#include <array>
#include <cstdint>
#include <cstring>

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

// The pixel pass: colours each field value, blends it over the input pixel,
// lets the mask choose between result and input, and writes the output.
// Results are brought into the unit range before they become samples, so no
// sample wraps around whatever the blend mode produced.
template <typename Sample, int N, bool bAlpha>
int16_t BlendFieldIntoImage(const pfRenderSnapshot& snapshot, const FieldView& field, const float* pGammaTable,
                            const PixelView& in, const PixelView& out, const PixelView& mask,
                            const FilterRecord* pFilterRecord)
{
    constexpr int nElements = N + (bAlpha ? 1 : 0);
    constexpr int nFirstColor = bAlpha ? 1 : 0;
    constexpr double kScale = pfSampleCodec<Sample>::kScale;
    const pfSampleCodec<Sample> codec;
    const unsigned nMode = snapshot.nBlendMode;
    const bool bClip = snapshot.bClipColor;
    const int32_t nWidth = out.nWidth, nHeight = out.nHeight;
    // An 8-bit mask may come with 16-bit samples (see the render driver).
    const bool bByteMask = mask.nColumnStride == 1;

    int32_t plane[nElements];
    for (int k = 0; k < N; ++k)
        plane[nFirstColor + k] = k;
    double fieldSource[nElements];
    if constexpr (bAlpha) {
        plane[0] = in.nAlphaIndex;
        fieldSource[0] = 1.0;
    }
    // Neighbouring pixels often hold the same field value (empty stretches
    // above all): their source colour is looked up once.
    float fLastValue = 0;
    bool bHaveSource = false;

    for (int32_t y = 0; y < nHeight; ++y) {
        const float* pField = field.Row(y);
        const uint8_t* pIn = in.Row(y);
        uint8_t* pOut = out.Row(y);
        const uint8_t* pMask = mask.bValid ? mask.Row(y) : nullptr;
        for (int32_t x = 0; x < nWidth; ++x) {
            double source[nElements], dest[nElements];
            Sample raw[nElements];
            if (!bHaveSource || !(pField[x] == fLastValue)) {
                fLastValue = pField[x];
                bHaveSource = true;
                for (int k = 0; k < N; ++k)
                    fieldSource[nFirstColor + k] = SourceValue(fLastValue, snapshot.fColor[k], bClip, pGammaTable);
            }
            for (int e = 0; e < nElements; ++e)
                source[e] = fieldSource[e];
            for (int e = 0; e < nElements; ++e) {
                raw[e] = LoadSample<Sample>(pIn, plane[e]);
                dest[e] = codec.ToUnit(raw[e]);
            }
            BlendPixel<N, bAlpha>(dest, source, nMode);

            double m = 1.0;
            if (pMask) {
                m = bByteMask ? pfSampleCodec<uint8_t>().ToUnit(pMask[x]) : codec.ToUnit(LoadSample<Sample>(pMask, x));
                m = m > 1 ? 1 : m;
            }
            for (int e = 0; e < nElements; ++e) {
                double r = UnitRange(dest[e]) * kScale;
                if (pMask)
                    r = MaskSample(r, double(raw[e]), m);
                StoreSample<Sample>(pOut, plane[e], Sample(r));
            }
            pIn += in.nColumnStride;
            pOut += out.nColumnStride;
        }
        if (pFilterRecord->progressProc)
            pFilterRecord->progressProc(nHeight + y, 2 * nHeight);
        if (const int16_t nResult = CheckRenderInterrupt(pFilterRecord))
            return nResult;
    }
    return noErr;
}

// The whole render of one format: synthesis into a field of the output's
// size, gamma table, pixel pass. The field and the table live for this call.
template <typename Sample, int N, bool bAlpha>
int16_t Render(const pfRenderSnapshot& snapshot, PixelView in, PixelView out, PixelView mask,
               const FilterRecord* pFilterRecord, int32_t nScaleX, int32_t nScaleY)
{
    PF_TRACE_ENTER("Render()");
    int16_t nResult = noErr;
    const int32_t nWidth = out.nWidth, nHeight = out.nHeight;
    const DotFieldSettings settings = MakeDotFieldSettings(snapshot, nWidth, nHeight, nScaleX, nScaleY);
    const std::unique_ptr<float[]> pField = AllocateRenderFloats(uint64_t(nWidth) * uint64_t(nHeight));
    if (!pField) {
        nResult = memFullErr;
    } else {
        const FieldView field = MakeFieldView(pField.get(), nWidth, nHeight);
        nResult = SynthesizeDotField(field, settings, pFilterRecord);
        if (nResult == noErr) {
            const std::unique_ptr<float[]> pGammaTable = MakeGammaTable(snapshot.fGammaCorrection);
            if (!pGammaTable)
                nResult = memFullErr;
            else
                nResult = BlendFieldIntoImage<Sample, N, bAlpha>(snapshot, field, pGammaTable.get(), in, out,
                                                                 mask, pFilterRecord);
        }
    }
    PF_TRACE_EXIT("Render( return(" << nResult << ") )");
    return nResult;
}
