#include "QorParallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace QorParallel {

unsigned Threads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

void For(size_t Count, const std::function<void(size_t)>& Task, unsigned ThreadCount) {
    if (ThreadCount == 0)
        ThreadCount = Threads();
    const size_t workers = std::min<size_t>(Count, ThreadCount);
    std::atomic<size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto work = [&] {
        for (size_t i = next++; i < Count; i = next++) {
            try {
                Task(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    for (size_t w = 1; w < workers; ++w) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no thread to be had: the others take its share
        }
    }
    work();
    for (std::thread& t : helpers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

TPipeline::TPipeline() {
    if (Threads() < 2)
        return;
    try {
        FWorker = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // no thread to be had: Hand runs each job itself
    }
}

TPipeline::~TPipeline() {
    if (!FWorker.joinable())
        return;
    {
        const std::lock_guard lock(FMutex);
        FDone = true;
    }
    FChanged.notify_all();
    FWorker.join();
}

void TPipeline::Hand(std::function<void()> Job) {
    if (!FWorker.joinable()) {
        Job();
        return;
    }
    {
        const std::lock_guard lock(FMutex);
        FJobs.push_back(std::move(Job));
    }
    FChanged.notify_all();
}

void TPipeline::WaitUntil(size_t Pending) {
    std::unique_lock lock(FMutex);
    FChanged.wait(lock, [&] { return FJobs.size() + FRunning <= Pending; });
}

void TPipeline::Run() {
    std::unique_lock lock(FMutex);
    for (;;) {
        FChanged.wait(lock, [&] { return !FJobs.empty() || FDone; });
        if (FJobs.empty())
            return;
        std::function<void()> job = std::move(FJobs.front());
        FJobs.pop_front();
        FRunning = 1;
        lock.unlock();
        job();
        lock.lock();
        FRunning = 0;
        FChanged.notify_all();
    }
}

} // namespace QorParallel
