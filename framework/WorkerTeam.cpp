#include "WorkerTeam.h"

#include <new>

std::atomic<int32_t> pfWorkerTeam::s_nRunning{0};

pfWorkerTeam::pfWorkerTeam(int32_t nThreads) : m_pDone(nThreads > 1 ? MakeSemaphore() : nullptr)
{
    if (!m_pDone)
        return;
    try {
        m_Workers.reserve(size_t(nThreads - 1));
        for (int32_t nMember = 1; nMember < nThreads; ++nMember) {
            Worker worker;
            worker.pGo = MakeSemaphore();
            if (!worker.pGo)
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
        worker.pGo->Post();
    m_Workers.clear();
}

void pfWorkerTeam::Run(const std::function<void(int32_t)>& fnWork)
{
    m_pWork = &fnWork;
    for (Worker& worker : m_Workers)
        worker.pGo->Post();
    fnWork(0);
    for (size_t i = 0; i < m_Workers.size(); ++i)
        m_pDone->Wait();
}

void pfWorkerTeam::WorkerLoop(int32_t nMember)
{
    ++s_nRunning;
    // The semaphores order every write before Post against the reads after
    // Wait, so m_pWork and m_bQuit need no further fence.
    for (;;) {
        m_Workers[size_t(nMember - 1)].pGo->Wait();
        if (m_bQuit)
            break;
        (*m_pWork)(nMember);
        m_pDone->Post();
    }
    --s_nRunning;
}
