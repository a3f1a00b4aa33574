#include "WorkerTeam.h"

#include <new>

namespace {
// About a tenth of a millisecond of polling before a wait goes to sleep,
// giving way to other threads now and then (there may be more threads than
// processors free).
constexpr int kSpins = 100000;
constexpr int kSpinsPerYield = 256;
}  // namespace

std::atomic<int32_t> pfWorkerTeam::s_nRunning{0};

// Sequentially consistent throughout: whichever of Give and Take comes
// second sees the other's flag, so a sleeper is always woken and a
// semaphore post is always taken.
void pfSpinSignal::Give()
{
    m_bGiven.store(true);
    if (m_bSleeping.exchange(false))
        m_pSemaphore->Post();
}

void pfSpinSignal::Take()
{
    for (int i = 1; i <= kSpins; ++i) {
        if (m_bGiven.load(std::memory_order_relaxed) && m_bGiven.exchange(false))
            return;
        if (i % kSpinsPerYield == 0)
            YieldThread();
    }
    m_bSleeping.store(true);
    if (m_bGiven.exchange(false)) {
        // Given meanwhile: if the giver saw us asleep, it posted too.
        if (!m_bSleeping.exchange(false))
            m_pSemaphore->Wait();
        return;
    }
    m_pSemaphore->Wait();
    m_bGiven.store(false);
}

pfWorkerTeam::pfWorkerTeam(int32_t nThreads)
{
    try {
        m_Workers.reserve(size_t(nThreads > 1 ? nThreads - 1 : 0));
        for (int32_t nMember = 1; nMember < nThreads; ++nMember) {
            Worker worker;
            worker.pGo = std::make_unique<pfSpinSignal>(MakeSemaphore());
            worker.pDone = std::make_unique<pfSpinSignal>(MakeSemaphore());
            if (!worker.pGo->IsReady() || !worker.pDone->IsReady())
                break;
            // Reserved above: the worker's slot never moves.
            m_Workers.push_back(std::move(worker));
            m_Workers.back().pThread = StartThread([this, nMember] { WorkerLoop(nMember); });
            if (!m_Workers.back().pThread) {
                m_Workers.pop_back();
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        // A smaller team does the same work.
    }
}

pfWorkerTeam::~pfWorkerTeam()
{
    m_bQuit = true;
    for (Worker& worker : m_Workers)
        worker.pGo->Give();
    m_Workers.clear();
}

void pfWorkerTeam::Run(const std::function<void(int32_t)>& fnWork)
{
    m_pWork = &fnWork;
    for (Worker& worker : m_Workers)
        worker.pGo->Give();
    fnWork(0);
    for (Worker& worker : m_Workers)
        worker.pDone->Take();
}

void pfWorkerTeam::WorkerLoop(int32_t nMember)
{
    ++s_nRunning;
    Worker& self = m_Workers[size_t(nMember - 1)];
    // The signals order every write before Give against the reads after
    // Take, so m_pWork and m_bQuit need no further fence.
    for (;;) {
        self.pGo->Take();
        if (m_bQuit)
            break;
        (*m_pWork)(nMember);
        self.pDone->Give();
    }
    --s_nRunning;
}
