// Data token reader on arbitrary input: counts and values until the end of the text.
#include "QorDataText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    NormalizedTag(FirstNonEmptyLine(text));
    TQorTokenReader reader(text);
    reader.SkipLine();
    int32_t count = 0;
    double value = 0;
    for (int i = 0; i < 4096 && !reader.AtEnd(); ++i)
        if (!(i % 3 == 0 ? reader.ReadCount(count) : reader.ReadValue(value)))
            break;
    return 0;
}
