#include "QorParallel.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

// Every index runs once, on up to the threads asked for; a task's exception reaches the caller
// only after every other task has run.
TEST(QorParallel, RunsEveryTaskOnceAndRethrowsAfterAllEnded) {
    std::vector<std::atomic<int>> runs(1000);
    QorParallel::For(
        runs.size(), [&](size_t i) { ++runs[i]; }, 4);
    for (const std::atomic<int>& r : runs)
        EXPECT_EQ(r.load(), 1);
    std::atomic<int> done{0};
    EXPECT_THROW(QorParallel::For(
                     50,
                     [&](size_t i) {
                         ++done;
                         if (i % 10 == 3)
                             throw std::runtime_error("task failed");
                     },
                     3),
                 std::runtime_error);
    EXPECT_EQ(done.load(), 50);
    const std::thread::id caller = std::this_thread::get_id();
    QorParallel::For(
        5, [&](size_t) { EXPECT_EQ(std::this_thread::get_id(), caller); }, 1);
    EXPECT_GE(QorParallel::Threads(), 1u);
    EXPECT_LE(QorParallel::Threads(), 8u);
}
