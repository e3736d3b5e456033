// Chart data reader (every form, with and without properties, both layouts, on one thread and
// in small pieces on several) and the chart's binary record reader on arbitrary input: each
// must end without a crash, a hang or an allocation the input cannot justify, and the pieces
// must give what one thread gives, the error with its place and the warnings included.
#include "QorDataText.h"
#include "QorPropBinary.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const uint8_t mode = size > 0 ? data[size - 1] : 0;
    const bool low = (mode & 1) != 0;
    const bool props = (mode & 2) != 0;
    TQor3DChart chart;
    chart.SetUseLowMemory(low);
    const TQorTextSource source(text);
    TQorLoadReport report;
    const int result = LoadChartText(chart, source, props, {uint64_t(1) << 30, 1}, &report);
    // A failure says why; a success does not.
    if ((result != 0) != !report.Error.empty())
        std::abort();
    // A quarter of the inputs also go through the pieces (threads are costly under the sanitizers).
    if ((mode & 12) == 12) {
        TQor3DChart pieces;
        pieces.SetUseLowMemory(low);
        TQorLoadReport piecesReport;
        const int again = LoadChartText(pieces, source, props, {16, 2}, &piecesReport);
        // Bit for bit: NaN values compare unequal as floats.
        const size_t bytes = chart.Data().size() * sizeof(float);
        const bool same =
            again == result && pieces.Data().size() == chart.Data().size() &&
            (bytes == 0 || std::memcmp(pieces.Data().data(), chart.Data().data(), bytes) == 0) &&
            pieces.Normals() == chart.Normals() && piecesReport.Error == report.Error &&
            piecesReport.Line == report.Line && piecesReport.Field == report.Field &&
            piecesReport.Warnings == report.Warnings;
        if (!same)
            std::abort();
    }
    TQorBinaryReader reader(text);
    chart.ReadFromFile(reader);
    return 0;
}
