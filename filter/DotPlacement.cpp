// Placing the dots: round by round, the team computes the positions of a
// stretch of the dot sequence, chunk by chunk, each member taking the next
// chunk as it comes free (the machine's processors need not run at one
// speed); the dots are added to the field in their order (the field's float
// sums depend on the order at each pixel) while the next round is being
// placed; after each round is added the calling thread makes the
// interruption checks and progress reports that a single pass would have
// made over that stretch, in the same order.
// The field's lines are mostly not in the cache when a dot reaches them:
// they are asked for a chunk of dots ahead.
#include "DotField.h"

#include "DotDeposit.h"
#include "DotPath.h"
#include "SynthesisProgress.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <new>

namespace {

// Dots per round: the checks of a round follow within a round or two, and
// a team stays busy in a synthesis of a few hundred thousand dots, whose
// first round is only placed and whose last is only added.
constexpr uint64_t kRoundDots = 8192;

// Positions computed before they are added: a chunk of field lines asked
// for at once.
constexpr uint32_t kChunkDots = kPrefetchDots;

constexpr int32_t kMaxMembers = 64;

// Dots a member places at a time: enough to make claiming a chunk cheap,
// few enough to even out the members' finishing times. Short steps are
// kept whole, so that planning a chunk skips whole steps instead of adding
// up the phases of every dot.
constexpr uint64_t kClaimDots = 1024;
// A chunk of whole steps holds more than half of kClaimDots.
constexpr int32_t kMaxChunks = int32_t(2 * kRoundDots / kClaimDots);

// One round's chunks: where each starts and where in the round's position
// buffer its dots go.
struct RoundPlan {
    std::array<DotCursor, kMaxChunks> starts;
    std::array<uint64_t, kMaxChunks + 1> offsets{};
    int32_t nChunks = 0;
    uint64_t GetDots() const { return offsets[size_t(nChunks)]; }
};

RoundPlan PlanRound(const DotPath& path, DotCursor& cursor)
{
    const uint64_t nInner = path.GetDotsPerStep();
    const uint64_t nChunkDots = nInner <= kClaimDots ? kClaimDots / nInner * nInner : kClaimDots;
    RoundPlan plan;
    while (plan.nChunks < kMaxChunks && plan.GetDots() + nChunkDots <= kRoundDots && !path.AtEnd(cursor)) {
        const size_t c = size_t(plan.nChunks++);
        plan.starts[c] = cursor;
        plan.offsets[c + 1] = plan.offsets[c] + path.Skip(cursor, nChunkDots);
    }
    return plan;
}

// Members of a team that add a round's dots, the others placing the next
// round meanwhile. Adding a dot costs about half of placing it, so one
// member adding alone keeps up with two placing, and adds each dot once;
// members sharing the adding by rows each go through every dot, which half
// of a larger team balances against the placing.
int32_t DepositingMembers(int32_t nMembers)
{
    return nMembers <= 3 ? 1 : nMembers / 2;
}

// How a round's dots are added to the field: by one thread in order, or by
// members that each own every so many bands of rows (interleaved, so that a
// pattern crowding some rows still shares out evenly) and go through all
// the dots in order, adding what falls in their rows.
class RoundDeposit {
public:
    RoundDeposit(const FieldView& field, const DotFieldSettings& settings, int32_t nMembers)
        : m_Field(field), m_bAntialias(settings.bAntialias), m_fIntensity(settings.fIntensity),
          m_nMembers(std::min(nMembers, kMaxMembers)), m_pOwnerOfRow(new (std::nothrow) uint8_t[size_t(field.nHeight)])
    {
        if (!m_pOwnerOfRow)
            return;
        const int32_t nBandRows = BandRows(field, m_nMembers);
        for (int32_t y = 0; y < field.nHeight; ++y)
            m_pOwnerOfRow[y] = uint8_t(y / nBandRows % m_nMembers);
    }

    bool IsReady() const { return m_pOwnerOfRow != nullptr; }

    // Adds dots [0, nDots) in order.
    void DepositInOrder(const double* px, const double* py, uint32_t nDots) const
    {
        if (m_bAntialias)
            AddDots<true>(m_Field, px, py, nDots, m_fIntensity);
        else
            AddDots<false>(m_Field, px, py, nDots, m_fIntensity);
    }

    // Member nMember's part of adding dots [0, nDots): all of them when it
    // adds alone, what falls in its rows when it shares the adding, nothing
    // when it does not add.
    void DepositPart(int32_t nMember, const double* px, const double* py, uint32_t nDots) const
    {
        if (nMember >= m_nMembers)
            return;
        if (m_nMembers == 1) {
            DepositInOrder(px, py, nDots);
            return;
        }
        const auto owns = [this, nMember](int32_t y) { return m_pOwnerOfRow[y] == nMember; };
        if (m_bAntialias)
            AddDots<true>(m_Field, px, py, nDots, m_fIntensity, owns);
        else
            AddDots<false>(m_Field, px, py, nDots, m_fIntensity, owns);
    }

private:
    // Rows of a band: a quarter of a megabyte of field at most, and bands
    // enough for four a member.
    static int32_t BandRows(const FieldView& field, int32_t nMembers)
    {
        constexpr int64_t kBandBytes = 256 * 1024;
        const int64_t nFit = kBandBytes / (int64_t(field.nWidth) * int64_t(sizeof(float)));
        const int64_t nShare = (int64_t(field.nHeight) + 4 * nMembers - 1) / (4 * nMembers);
        return int32_t(std::max<int64_t>(1, std::min(nFit, nShare)));
    }

    const FieldView m_Field;
    const bool m_bAntialias;
    const double m_fIntensity;
    const int32_t m_nMembers;
    const std::unique_ptr<uint8_t[]> m_pOwnerOfRow;
};

// One thread: a chunk of positions computed, then its dots added.
void PlaceAndDepositInOrder(const DotPath& path, DotCursor cursor, uint32_t nDots, double* px, double* py,
                            const RoundDeposit& deposit)
{
    for (uint32_t nDone = 0; nDone < nDots; nDone += kChunkDots) {
        const uint32_t nChunk = std::min(kChunkDots, nDots - nDone);
        path.Place(cursor, nChunk, px, py);
        deposit.DepositInOrder(px, py, nChunk);
    }
}

// The positions of one round, the part of the sequence they cover, and the
// next of its chunks to be placed.
struct Round {
    std::unique_ptr<double[]> pPositions{new (std::nothrow) double[2 * kRoundDots]};
    RoundPlan plan;
    DotCursor start, end;
    std::atomic<int32_t> nNextChunk{0};
    double* px() const { return pPositions.get(); }
    double* py() const { return pPositions.get() + kRoundDots; }
};

// One thread: every round placed and added in order, then its checks.
int16_t PlaceAlone(const DotPath& path, const RoundDeposit& deposit, Round& round,
                   const SynthesisProgress& progress, const FilterRecord* pFilterRecord)
{
    DotCursor cursor = path.Start();
    while (!path.AtEnd(cursor)) {
        const DotCursor start = cursor;
        round.plan = PlanRound(path, cursor);
        PlaceAndDepositInOrder(path, start, uint32_t(round.plan.GetDots()), round.px(), round.py(), deposit);
        if (const int16_t nResult = ReplayChecks(start, cursor, path.GetDotsPerStep(), progress, pFilterRecord))
            return nResult;
    }
    return noErr;
}

// A member's part of placing a round: the next chunk left, until none is.
void PlaceChunks(const DotPath& path, Round& round)
{
    for (int32_t c; (c = round.nNextChunk.fetch_add(1)) < round.plan.nChunks;) {
        DotCursor start = round.plan.starts[size_t(c)];
        const uint64_t nOffset = round.plan.offsets[size_t(c)];
        path.Place(start, round.plan.offsets[size_t(c) + 1] - nOffset, round.px() + nOffset,
                   round.py() + nOffset);
    }
}

// A team: while its members place the dots of one round, those that add
// dots add the round before to the field, then help placing; one fork and
// join a round.
int16_t PlaceAsTeam(const DotPath& path, const RoundDeposit& deposit, Round (&rounds)[2],
                    pfWorkerTeam& team, const SynthesisProgress& progress, const FilterRecord* pFilterRecord)
{
    DotCursor cursor = path.Start();
    const Round* pPrevious = nullptr;
    for (int nRound = 0;; ++nRound) {
        Round* pCurrent = nullptr;
        if (!path.AtEnd(cursor)) {
            pCurrent = &rounds[nRound % 2];
            pCurrent->start = cursor;
            pCurrent->plan = PlanRound(path, cursor);
            pCurrent->end = cursor;
            pCurrent->nNextChunk = 0;
        }
        if (!pCurrent && !pPrevious)
            return noErr;
        team.Run([&](int32_t m) {
            if (pPrevious)
                deposit.DepositPart(m, pPrevious->px(), pPrevious->py(), uint32_t(pPrevious->plan.GetDots()));
            if (pCurrent)
                PlaceChunks(path, *pCurrent);
        });
        if (pPrevious)
            if (const int16_t nResult =
                    ReplayChecks(pPrevious->start, pPrevious->end, path.GetDotsPerStep(), progress, pFilterRecord))
                return nResult;
        pPrevious = pCurrent;
    }
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
    const int32_t nMembers = pTeam ? pTeam->GetSize() : 1;
    const RoundDeposit deposit(field, settings, DepositingMembers(nMembers));
    Round rounds[2];
    if (!deposit.IsReady() || !rounds[0].pPositions)
        return memFullErr;
    if (nMembers == 1)
        return PlaceAlone(path, deposit, rounds[0], progress, pFilterRecord);
    if (!rounds[1].pPositions)
        return memFullErr;
    return PlaceAsTeam(path, deposit, rounds, *pTeam, progress, pFilterRecord);
}
