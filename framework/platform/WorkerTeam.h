// A team of threads for one render: the calling thread and its workers run
// compute-only work together, fork and join, as often as the render needs.
// The workers live as long as the team; destroying it ends and waits for
// every one of them, so no thread outlives the render that made it.
#pragma once

#include "Platform.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A signal one thread waits for and another gives, at most one at a time.
// The waiter spins a little before it sleeps: a render forks and joins
// every millisecond or so, and waking a sleeping thread can take longer
// than that (a virtual processor that the hypervisor has put to rest).
class pfSpinSignal {
public:
    explicit pfSpinSignal(std::unique_ptr<pfSemaphore> pSemaphore) : m_pSemaphore(std::move(pSemaphore)) {}
    bool IsReady() const { return m_pSemaphore != nullptr; }
    void Give();
    void Take();

private:
    std::atomic<bool> m_bGiven{false};
    std::atomic<bool> m_bSleeping{false};
    std::unique_ptr<pfSemaphore> m_pSemaphore;
};

class pfWorkerTeam {
public:
    // Starts up to nThreads - 1 workers; fewer when the system refuses more.
    explicit pfWorkerTeam(int32_t nThreads);
    ~pfWorkerTeam();
    pfWorkerTeam(const pfWorkerTeam&) = delete;
    pfWorkerTeam& operator=(const pfWorkerTeam&) = delete;

    // Members, the calling thread included.
    int32_t GetSize() const { return int32_t(m_Workers.size()) + 1; }

    // Runs fnWork(0) on the calling thread and fnWork(i) on worker i for
    // every other member; returns once all of them have returned.
    void Run(const std::function<void(int32_t)>& fnWork);

    // Worker threads running in the whole process (for tests).
    static int32_t CountRunningWorkers() { return s_nRunning.load(); }

private:
    struct Worker {
        std::unique_ptr<pfSpinSignal> pGo, pDone;
        std::unique_ptr<pfThread> pThread;
    };
    void WorkerLoop(int32_t nMember);

    std::vector<Worker> m_Workers;
    const std::function<void(int32_t)>* m_pWork = nullptr;
    bool m_bQuit = false;
    static std::atomic<int32_t> s_nRunning;
};
