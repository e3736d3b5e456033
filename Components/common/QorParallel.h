// Work spread over the processor's cores inside one call. The calling thread takes part and
// every worker has ended before the call returns, so to its caller the call is as single-threaded
// as any other.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace QorParallel {

// Threads worth running at once: the cores, at least 1 and at most 8.
unsigned Threads();

// Runs Task(0) ... Task(Count - 1) on up to Threads threads (never more than Count), each index
// once, in no fixed order. The first exception a task throws is thrown again here once all
// tasks have ended; the other tasks still run.
void For(size_t Count, const std::function<void(size_t)>& Task, unsigned Threads = 0);

// Jobs run in the order they are handed over, on one thread beside the caller's, so that the
// caller reads the next block of a file while the last one is worked on. Every job handed over
// has ended when the pipeline goes. Without a thread to be had (a single core, or none left)
// each job runs in Hand. Jobs must not throw.
class TPipeline {
public:
    TPipeline();
    ~TPipeline();
    TPipeline(const TPipeline&) = delete;
    TPipeline& operator=(const TPipeline&) = delete;

    void Hand(std::function<void()> Job);
    // Returns once no more than Pending jobs are waiting or running.
    void WaitUntil(size_t Pending);

private:
    void Run();

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<std::function<void()>> FJobs;
    size_t FRunning = 0;
    bool FDone = false;
    std::thread FWorker; // last: it starts with every other member in place
};

} // namespace QorParallel
