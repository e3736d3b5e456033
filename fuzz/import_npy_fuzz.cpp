// NumPy arrays (.npy, and .npz archives through libzip) on arbitrary input: each read must end
// without a crash, a hang or an allocation the input cannot justify (a header's declared size
// is checked against the bytes before anything is allocated).
#include "QorImportNpy.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TQorImportOptions o;
    if (size > 0 && (data[size - 1] & 1) != 0)
        o.Set("transpose", "");
    const TQorImportResult r = LooksLikeZip(bytes) ? ReadNpzBytes(bytes, o, "fuzz.npz")
                                                   : ReadNpyBytes(bytes, o, "fuzz.npy");
    if (r.Ok()) {
        const size_t ny = r.Kind == TQorImportKind::Volume ? r.Y.size() : 1;
        // Every value of a .npy came from the input: its grid can never be larger than the bytes.
        if (r.Values.size() != r.X.size() * ny * r.Z.size() ||
            (!LooksLikeZip(bytes) && r.Values.size() > size))
            std::abort();
    }
    return 0;
}
