// Work spread over the processor's cores inside one call. The calling thread takes part and
// every worker has ended before the call returns, so to its caller the call is as single-threaded
// as any other.
#pragma once

#include <cstddef>
#include <functional>

namespace QorParallel {

// Threads worth running at once: the cores, at least 1 and at most 8.
unsigned Threads();

// Runs Task(0) ... Task(Count - 1) on up to Threads threads (never more than Count), each index
// once, in no fixed order. The first exception a task throws is thrown again here once all
// tasks have ended; the other tasks still run.
void For(size_t Count, const std::function<void(size_t)>& Task, unsigned Threads = 0);

} // namespace QorParallel
