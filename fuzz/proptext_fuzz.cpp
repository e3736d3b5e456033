// Property text reader on arbitrary input: every read must end without a crash or a hang.
#include "QorPropText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TQorPropTextReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
    TFont font;
    reader.ReadString("FileVer", "");
    reader.ReadInt("BackgroundColor", 0);
    reader.ReadBool("LightsON", true);
    reader.ReadDouble("XMin", 0);
    reader.ReadFont("AxisX_CaptionFont", font);
    reader.ReadChar("DecSep", '.');
    reader.ReadDouble("XMin", 0); // after the rewind
    return 0;
}
