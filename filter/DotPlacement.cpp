// Placing the dots: round by round, the team computes the positions of a
// stretch of the dot sequence, each member its own part; the dots are added
// to the field in their order (the field's float sums depend on the order
// at each pixel), by a team each member in its own rows while the next
// round is being placed; after each round is added the calling thread
// makes the interruption checks and progress reports that a single pass
// would have made over that stretch, in the same order.
// The field's lines are mostly not in the cache when a dot reaches them:
// they are asked for a chunk of dots ahead.
#include "DotField.h"

#include "DotDeposit.h"
#include "DotPath.h"
#include "SynthesisProgress.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>

namespace {

// Dots per round: the checks of a round follow within a round or two, and
// a team stays busy in a synthesis of a few hundred thousand dots, whose
// first round is only placed and whose last is only added.
constexpr uint64_t kRoundDots = 16384;

// Positions computed before they are added: a chunk of field lines asked
// for at once.
constexpr uint32_t kChunkDots = kPrefetchDots;

constexpr int32_t kMaxMembers = 64;

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

// How a round's dots are added to the field: by one thread in order, or by
// a team whose members each own every so many bands of rows (interleaved,
// so that a pattern crowding some rows still shares out evenly) and go
// through all the dots in order, adding what falls in their rows.
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

    // Member nMember's part of adding dots [0, nDots): what falls in its rows.
    void DepositOwnRows(int32_t nMember, const double* px, const double* py, uint32_t nDots) const
    {
        if (nMember >= m_nMembers)
            return;
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

// The positions of one round and the part of the sequence they cover.
struct Round {
    std::unique_ptr<double[]> pPositions{new (std::nothrow) double[2 * kRoundDots]};
    RoundPlan plan;
    DotCursor start, end;
    uint32_t nDots = 0;
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
        round.plan = PlanRound(path, cursor, 1);
        PlaceAndDepositInOrder(path, start, uint32_t(round.plan.offsets[1]), round.px(), round.py(), deposit);
        if (const int16_t nResult = ReplayChecks(start, cursor, path.GetDotsPerStep(), progress, pFilterRecord))
            return nResult;
    }
    return noErr;
}

// A team: while its members place the dots of one round, each shares its
// own rows of the round before into the field; one fork and join a round.
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
            pCurrent->plan = PlanRound(path, cursor, team.GetSize());
            pCurrent->end = cursor;
            pCurrent->nDots = uint32_t(pCurrent->plan.offsets[size_t(pCurrent->plan.nMembers)]);
        }
        if (!pCurrent && !pPrevious)
            return noErr;
        team.Run([&](int32_t m) {
            if (pCurrent && m < pCurrent->plan.nMembers) {
                DotCursor start = pCurrent->plan.starts[size_t(m)];
                const uint64_t nOffset = pCurrent->plan.offsets[size_t(m)];
                path.Place(start, pCurrent->plan.offsets[size_t(m) + 1] - nOffset, pCurrent->px() + nOffset,
                           pCurrent->py() + nOffset);
            }
            if (pPrevious)
                deposit.DepositOwnRows(m, pPrevious->px(), pPrevious->py(), pPrevious->nDots);
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
    const RoundDeposit deposit(field, settings, nMembers);
    Round rounds[2];
    if (!deposit.IsReady() || !rounds[0].pPositions)
        return memFullErr;
    if (nMembers == 1)
        return PlaceAlone(path, deposit, rounds[0], progress, pFilterRecord);
    if (!rounds[1].pPositions)
        return memFullErr;
    return PlaceAsTeam(path, deposit, rounds, *pTeam, progress, pFilterRecord);
}
