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

} // namespace QorParallel
