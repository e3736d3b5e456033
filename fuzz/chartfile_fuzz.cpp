// Chart data reader (every form, with and without properties, both layouts) and the chart's
// binary record reader on arbitrary input: each must end without a crash, a hang or an
// allocation the input cannot justify.
#include "QorPropBinary.h"
#include "chart/Qor3DChart.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const uint8_t mode = size > 0 ? data[size - 1] : 0;
    TQor3DChart chart;
    chart.SetUseLowMemory((mode & 1) != 0);
    chart.LoadFromText(text, (mode & 2) != 0);
    TQorBinaryReader reader(text);
    chart.ReadFromFile(reader);
    return 0;
}
