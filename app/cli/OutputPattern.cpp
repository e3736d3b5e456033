#include "OutputPattern.h"

namespace {

constexpr int QorMaxFieldWidth = 16;

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

} // namespace

bool TOutputPattern::Parse(const std::string& Text, std::string& Error) {
    *this = {};
    std::string* part = &FBefore;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != '%') {
            *part += Text[i];
            continue;
        }
        if (i + 1 < Text.size() && Text[i + 1] == '%') {
            *part += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        const bool zero = j < Text.size() && Text[j] == '0';
        if (zero)
            ++j;
        int width = 0;
        for (; j < Text.size() && IsDigit(Text[j]) && width <= QorMaxFieldWidth; ++j)
            width = width * 10 + (Text[j] - '0');
        if (j >= Text.size() || Text[j] != 'd' || width > QorMaxFieldWidth) {
            Error = "bad number field in " + Text + " (use %d or %0Nd, N up to 16, and %% for %)";
            return false;
        }
        if (FHasField) {
            Error = Text + " has more than one number field";
            return false;
        }
        FHasField = true;
        FZeroPad = zero;
        FWidth = width;
        part = &FAfter;
        i = j;
    }
    if (!FHasField)
        FBefore = Text; // a plain name is used as it is
    return true;
}

std::string TOutputPattern::Name(int Number) const {
    if (!FHasField)
        return FBefore;
    const std::string digits = std::to_string(Number);
    const size_t pad = digits.size() < size_t(FWidth) ? size_t(FWidth) - digits.size() : 0;
    return FBefore + std::string(pad, FZeroPad ? '0' : ' ') + digits + FAfter;
}
