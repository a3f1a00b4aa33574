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
        std::unique_ptr<pfSemaphore> pGo;
        std::unique_ptr<pfThread> pThread;
    };
    void WorkerLoop(int32_t nMember);

    std::unique_ptr<pfSemaphore> m_pDone;
    std::vector<Worker> m_Workers;
    const std::function<void(int32_t)>* m_pWork = nullptr;
    bool m_bQuit = false;
    static std::atomic<int32_t> s_nRunning;
};
