// Text tables (matrices and column lists) on arbitrary input, with the options the last byte
// picks: each read must end without a crash, a hang or an allocation the text cannot justify,
// and a result must be what it claims: values for every place of its grid, or an error.
#include "QorImportText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const uint8_t mode = size > 0 ? data[size - 1] : 0;
    TQorImportOptions o;
    static const char* const headers[] = {"auto", "none", "row", "row+column"};
    static const char* const layouts[] = {"auto", "matrix", "columns", "auto"};
    o.Set("header", headers[mode & 3]);
    o.Set("layout", layouts[(mode >> 2) & 3]);
    if (mode & 16)
        o.Set("transpose", "");
    if (mode & 32)
        o.Set("nodata", "0");
    if (mode & 64)
        o.Set("spacing", "0.5,2");
    const TQorImportResult r = ReadTextTableText(text, o, "fuzz.csv");
    if (r.Failed && (!r.Values.empty() || r.Error.Message.empty()))
        std::abort();
    if (r.Ok()) {
        const size_t ny = r.Kind == TQorImportKind::Volume ? r.Y.size() : 1;
        if (r.Values.size() != r.X.size() * ny * r.Z.size() || r.Values.empty())
            std::abort();
    }
    return 0;
}
