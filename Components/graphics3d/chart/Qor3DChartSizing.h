// Array lengths of the chart data, computed in 64-bit arithmetic and checked against what
// this machine can hold, so a bad count from a file is refused instead of crashing the process
// or getting it killed for memory.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace QorSizing {

// The product of non-negative factors; nothing for a negative factor or an overflow.
std::optional<int64_t> Product(std::initializer_list<int64_t> Factors);

// The sum of non-negative terms; nothing for a negative term or an overflow.
std::optional<int64_t> Sum(std::initializer_list<int64_t> Terms);

// Installed physical memory in bytes.
uint64_t PhysicalMemory();

// True when Elements items of ElementSize bytes fit into Limit bytes.
bool FitsInMemory(int64_t Elements, int64_t ElementSize, uint64_t Limit);

// True when Count is a valid grid count (it fits the 32-bit counts of the chart).
bool IsGridCount(int64_t Count);

} // namespace QorSizing
