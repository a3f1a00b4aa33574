// Placing the dots: round by round, the team computes the positions of a
// stretch of the dot sequence, each member its own part; then it adds them
// to the field in their order (the field's float sums depend on the order
// at each pixel), a team in bands of rows, each member its own bands; last
// the calling thread makes the interruption checks and progress reports
// that a single pass would have made over that stretch, in the same order.
// The field's lines are mostly not in the cache when a dot reaches them:
// they are asked for a few dots ahead.
#include "DotField.h"

#include "DotDeposit.h"
#include "DotPath.h"
#include "RenderInterrupt.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <new>

namespace {

// Huge loop counts must stay abortable: the interruption check also runs
// within an outer step, every so many dots.
constexpr uint64_t kDotsPerCheck = 65536;

// Dots computed per round: the check is never further off than that.
constexpr uint64_t kRoundDots = 65536;

constexpr int32_t kMaxMembers = 64;

// Converted through a signed integer: 32-bit builds convert unsigned 64-bit
// integers with x87 arithmetic. Rounding past 2^63 does not matter here.
double CountAsDouble(uint64_t n)
{
    return n > uint64_t(INT64_MAX) ? 2 * double(int64_t(n / 2)) : double(int64_t(n));
}

int32_t ProgressValue(double fValue)
{
    return fValue >= double(INT32_MAX) ? INT32_MAX : int32_t(fValue);
}

// Progress of the synthesis in the first half of the bar. Each outer step
// counts as nSlices units, one for each interruption check within it, so
// that the bar moves wherever the abort check runs and never goes back;
// with short steps (one slice) a step counts one unit and the total is
// twice the outer count.
class SynthesisProgress {
public:
    SynthesisProgress(const FilterRecord* pFilterRecord, double fOuter, uint64_t nInner)
        : m_pFilterRecord(pFilterRecord), m_fInner(CountAsDouble(nInner))
    {
        const double fSteps = std::ceil(fOuter);
        const double fMaxSlices = std::floor(double(INT32_MAX) / (2 * fSteps));
        m_fSlices = std::max(1.0, std::min(std::ceil(m_fInner / double(kDotsPerCheck)), fMaxSlices));
        m_nTotal = ProgressValue(m_fSlices > 1 ? 2 * fSteps * m_fSlices : std::trunc(2 * fOuter));
    }

    // nDone dots of outer step j are placed.
    void Within(int64_t j, uint64_t nDone) const
    {
        const double fSlice = std::min(m_fSlices - 1, std::floor(CountAsDouble(nDone) / m_fInner * m_fSlices));
        Report(double(j) * m_fSlices + fSlice);
    }

    void StepDone(int64_t j) const { Report(double(j) * m_fSlices + m_fSlices - 1); }

private:
    void Report(double fDone) const
    {
        if (m_pFilterRecord && m_pFilterRecord->progressProc)
            m_pFilterRecord->progressProc(ProgressValue(fDone), m_nTotal);
    }

    const FilterRecord* m_pFilterRecord;
    double m_fInner;
    double m_fSlices = 1;
    int32_t m_nTotal = 0;
};

// The checks a single pass makes between the dots from and to: every
// kDotsPerCheck dots within a step, and at the end of every step.
int16_t ReplayChecks(const DotCursor& from, const DotCursor& to, uint64_t nInner, const SynthesisProgress& progress,
                     const FilterRecord* pFilterRecord)
{
    for (int64_t j = from.nStep; j <= to.nStep; ++j) {
        const uint64_t nBegin = j == from.nStep ? from.nPlaced : 0;
        const uint64_t nEnd = j == to.nStep ? to.nPlaced : nInner;
        if (nBegin >= nEnd)
            continue;
        for (uint64_t nMark = (nBegin / kDotsPerCheck + 1) * kDotsPerCheck; nMark <= nEnd; nMark += kDotsPerCheck) {
            progress.Within(j, nMark);
            if (const int16_t nResult = CheckRenderInterrupt(pFilterRecord))
                return nResult;
        }
        if (nEnd == nInner) {
            progress.StepDone(j);
            if (const int16_t nResult = CheckRenderInterrupt(pFilterRecord))
                return nResult;
        }
    }
    return noErr;
}

// One round's share of every member: where its dots start, how many, and
// where in the round's position buffer they go.
struct RoundPlan {
    std::array<DotCursor, kMaxMembers> starts;
    std::array<uint64_t, kMaxMembers + 1> offsets{};
    int32_t nMembers = 0;
};

RoundPlan PlanRound(const DotPath& path, DotCursor& cursor, int32_t nMembers)
{
    RoundPlan plan;
    plan.nMembers = std::min(nMembers, kMaxMembers);
    for (int32_t m = 0; m < plan.nMembers; ++m) {
        plan.starts[size_t(m)] = cursor;
        const uint64_t nShare = kRoundDots * uint64_t(m + 1) / uint64_t(plan.nMembers) -
                                kRoundDots * uint64_t(m) / uint64_t(plan.nMembers);
        plan.offsets[size_t(m) + 1] = plan.offsets[size_t(m)] + path.Skip(cursor, nShare);
    }
    return plan;
}

// The field in bands of rows, and a round's dots sorted into the bands
// they touch (a dot on two rows may touch two bands), each band's dots in
// their order. A team of one adds them all in order instead.
class BandedDeposit {
public:
    BandedDeposit(const FieldView& field, const DotFieldSettings& settings, int32_t nMembers)
        : m_Field(field), m_bAntialias(settings.bAntialias), m_fIntensity(settings.fIntensity),
          m_nBandRows(BandRows(field, nMembers)),
          m_nBands((field.nHeight + m_nBandRows - 1) / m_nBandRows),
          m_pStarts(new (std::nothrow) uint32_t[size_t(m_nBands) + 1]),
          m_pFill(new (std::nothrow) uint32_t[size_t(m_nBands)]),
          m_pEntries(new (std::nothrow) uint32_t[2 * kRoundDots])
    {
    }

    bool IsReady() const { return m_pStarts && m_pFill && m_pEntries; }

    // Adds dots [nFrom, nTo) whose places were asked for when they were
    // computed.
    void DepositInOrder(const double* px, const double* py, uint32_t nFrom, uint32_t nTo) const
    {
        for (uint32_t n = nFrom; n < nTo; ++n)
            if (m_bAntialias)
                AddDot<true>(px, py, n, n, 0, m_Field.nHeight);
            else
                AddDot<false>(px, py, n, n, 0, m_Field.nHeight);
    }

    // The team adds all dots, each member whole bands.
    void DepositInBands(const double* px, const double* py, uint32_t nDots, pfWorkerTeam& team)
    {
        if (m_bAntialias)
            DepositInBands<true>(px, py, nDots, team);
        else
            DepositInBands<false>(px, py, nDots, team);
    }

private:
    // Rows of a band: a quarter of a megabyte of field at most, and bands
    // enough for four a member, so that none waits long for the others.
    static int32_t BandRows(const FieldView& field, int32_t nMembers)
    {
        constexpr int64_t kBandBytes = 256 * 1024;
        const int64_t nFit = kBandBytes / (int64_t(field.nWidth) * int64_t(sizeof(float)));
        const int64_t nShare = (int64_t(field.nHeight) + 4 * nMembers - 1) / (4 * nMembers);
        return int32_t(std::max<int64_t>(1, std::min(nFit, nShare)));
    }

    // Dots prefetched ahead of the one being added.
    static constexpr uint32_t kAhead = 12;

    template <bool bAntialias>
    void DepositInBands(const double* px, const double* py, uint32_t nDots, pfWorkerTeam& team)
    {
        SortIntoBands<bAntialias>(px, py, nDots);
        std::atomic<int32_t> nNextBand{0};
        team.Run([&](int32_t) {
            for (int32_t b = nNextBand++; b < m_nBands; b = nNextBand++) {
                const int32_t nTop = b * m_nBandRows;
                const int32_t nBottom = std::min(m_Field.nHeight, nTop + m_nBandRows);
                const uint32_t nEnd = m_pStarts[b + 1];
                for (uint32_t e = m_pStarts[b]; e < nEnd; ++e)
                    AddDot<bAntialias>(px, py, m_pEntries[e], m_pEntries[e + kAhead < nEnd ? e + kAhead : e], nTop,
                                       nBottom);
            }
        });
    }

    // Adds the part of dot n in rows [nTop, nBottom) and prefetches for dot
    // nAhead.
    template <bool bAntialias>
    void AddDot(const double* px, const double* py, uint32_t n, uint32_t nAhead, int32_t nTop, int32_t nBottom) const
    {
        PrefetchDot(m_Field, px[nAhead], py[nAhead]);
        AddLanding(m_Field, LandDot<bAntialias>(m_Field.nWidth, m_Field.nHeight, px[n], py[n], m_fIntensity), nTop,
                   nBottom);
    }

    // A counting sort: how many dots each band gets, then where they go.
    template <bool bAntialias>
    void SortIntoBands(const double* px, const double* py, uint32_t nDots)
    {
        std::fill(m_pStarts.get(), m_pStarts.get() + m_nBands + 1, 0u);
        int32_t y0 = 0, y1 = 0;
        for (uint32_t n = 0; n < nDots; ++n)
            if (DotRows<bAntialias>(m_Field.nWidth, m_Field.nHeight, px[n], py[n], y0, y1)) {
                ++m_pStarts[y0 / m_nBandRows + 1];
                if (y1 / m_nBandRows != y0 / m_nBandRows)
                    ++m_pStarts[y1 / m_nBandRows + 1];
            }
        for (int32_t b = 0; b < m_nBands; ++b) {
            m_pStarts[b + 1] += m_pStarts[b];
            m_pFill[b] = m_pStarts[b];
        }
        for (uint32_t n = 0; n < nDots; ++n)
            if (DotRows<bAntialias>(m_Field.nWidth, m_Field.nHeight, px[n], py[n], y0, y1)) {
                m_pEntries[m_pFill[y0 / m_nBandRows]++] = n;
                if (y1 / m_nBandRows != y0 / m_nBandRows)
                    m_pEntries[m_pFill[y1 / m_nBandRows]++] = n;
            }
    }

    const FieldView m_Field;
    const bool m_bAntialias;
    const double m_fIntensity;
    const int32_t m_nBandRows;
    const int32_t m_nBands;
    const std::unique_ptr<uint32_t[]> m_pStarts, m_pFill, m_pEntries;
};

// One thread computes a chunk of positions, asking for each dot's place in
// the field as it goes, and adds the chunk before once this one is done: the
// field's lines have come meanwhile.
void PlaceAndDepositInOrder(const DotPath& path, DotCursor cursor, uint32_t nDots, double* px, double* py,
                            const FieldView& field, const BandedDeposit& deposit)
{
    constexpr uint32_t kChunk = 64;
    uint32_t nAdded = 0, nPlaced = 0;
    while (nPlaced < nDots) {
        const uint32_t nChunk = std::min(kChunk, nDots - nPlaced);
        path.Place(cursor, nChunk, px + nPlaced, py + nPlaced, field);
        deposit.DepositInOrder(px, py, nAdded, nPlaced);
        nAdded = nPlaced;
        nPlaced += nChunk;
    }
    deposit.DepositInOrder(px, py, nAdded, nPlaced);
}

}  // namespace

int16_t PlaceDots(const FieldView& field, const DotFieldSettings& settings, const FilterRecord* pFilterRecord,
                  pfWorkerTeam* pTeam)
{
    const DotCounts counts = ComputeDotCounts(settings);
    if (!(counts.fInner >= 1 && counts.fOuter >= 1))
        return noErr;
    const DotPath path(settings, field.nWidth, field.nHeight, counts);
    const SynthesisProgress progress(pFilterRecord, counts.fOuter, path.GetDotsPerStep());
    const std::unique_ptr<double[]> pPositions(new (std::nothrow) double[2 * kRoundDots]);
    const int32_t nMembers = pTeam ? pTeam->GetSize() : 1;
    BandedDeposit deposit(field, settings, nMembers);
    if (!pPositions || !deposit.IsReady())
        return memFullErr;
    double* const px = pPositions.get();
    double* const py = px + kRoundDots;

    DotCursor cursor = path.Start();
    while (!path.AtEnd(cursor)) {
        const DotCursor roundStart = cursor;
        const RoundPlan plan = PlanRound(path, cursor, nMembers);
        const uint32_t nDots = uint32_t(plan.offsets[size_t(plan.nMembers)]);
        if (pTeam && nMembers > 1) {
            pTeam->Run([&](int32_t m) {
                if (m >= plan.nMembers)
                    return;
                DotCursor start = plan.starts[size_t(m)];
                const uint64_t nOffset = plan.offsets[size_t(m)];
                path.Place(start, plan.offsets[size_t(m) + 1] - nOffset, px + nOffset, py + nOffset, field);
            });
            deposit.DepositInBands(px, py, nDots, *pTeam);
        } else {
            PlaceAndDepositInOrder(path, plan.starts[0], nDots, px, py, field, deposit);
        }
        if (const int16_t nResult = ReplayChecks(roundStart, cursor, path.GetDotsPerStep(), progress, pFilterRecord))
            return nResult;
    }
    return noErr;
}
