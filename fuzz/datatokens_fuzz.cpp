// Data token reader on arbitrary input: counts and values until the end of the text, the
// token count of the fast scan against the reader's, the accepted tokens against the number
// grammar, and the writer's number format against the general format it must equal.
#include "QorDataText.h"
#include "QorNumText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsSpace(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The token in capitals.
std::string Upper(std::string_view Token) {
    std::string s(Token);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

void Check(bool Ok) {
    if (!Ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    NormalizedTag(FirstNonEmptyLine(text));
    const TQorTextSource source(text);
    ReadTagLine(source);
    TQorTokenReader reader(text);
    reader.SkipLine();
    int32_t count = 0;
    double value = 0;
    for (int i = 0; i < 4096 && !reader.AtEnd(); ++i)
        if (!(i % 3 == 0 ? reader.ReadCount(count) : reader.ReadValue(value)))
            break;

    // Every whitespace-separated token: accepted exactly when it is a plain number or a word
    // the writer puts for a value that is not finite, in any letter case.
    uint64_t tokens = 0;
    for (size_t i = 0; i < size;) {
        while (i < size && IsSpace(text[i]))
            ++i;
        const size_t start = i;
        while (i < size && !IsSpace(text[i]))
            ++i;
        if (i == start)
            break;
        ++tokens;
        const std::string_view token = text.substr(start, i - start);
        double v = 0;
        const bool accepted = TQorTokenReader(token).ReadValue(v);
        const std::string upper = Upper(token);
        const bool word = upper == "INF" || upper == "-INF" || upper == "NAN";
        Check(accepted == (token.size() <= 64 && (IsDataValueToken(token) || word)));
    }
    Check(ScanText(source, 0, size).Tokens == tokens);

    for (size_t at = 0; at + 8 <= size; at += 8) {
        double d = 0;
        std::memcpy(&d, data + at, sizeof d);
        std::string expected = FloatToTextG(d);
        SetDecSeparators(expected, '.');
        char buffer[40];
        Check(std::string(buffer, FormatDataNumber(buffer, d)) == expected);
    }
    return 0;
}
