#include "chart/Qor3DChartSizing.h"

#include <limits>
#include <unistd.h>

namespace QorSizing {

std::optional<int64_t> Product(std::initializer_list<int64_t> Factors) {
    int64_t result = 1;
    for (int64_t f : Factors) {
        if (f < 0 || __builtin_mul_overflow(result, f, &result))
            return std::nullopt;
    }
    return result;
}

std::optional<int64_t> Sum(std::initializer_list<int64_t> Terms) {
    int64_t result = 0;
    for (int64_t t : Terms) {
        if (t < 0 || __builtin_add_overflow(result, t, &result))
            return std::nullopt;
    }
    return result;
}

uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::numeric_limits<uint64_t>::max();
    return uint64_t(pages) * uint64_t(pageSize);
}

bool FitsInMemory(int64_t Elements, int64_t ElementSize, uint64_t Limit) {
    const std::optional<int64_t> bytes = Product({Elements, ElementSize});
    return bytes && uint64_t(*bytes) <= Limit;
}

bool IsGridCount(int64_t Count) {
    return Count >= 0 && Count <= std::numeric_limits<int32_t>::max();
}

} // namespace QorSizing
