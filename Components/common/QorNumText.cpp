#include "QorNumText.h"

#include <QLocale>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace {

// Beyond this every decimal of a double is zero; the cap keeps absurd counts from eating memory.
constexpr int MaxDecimals = 400;

char ReadLocaleSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1) {
        const char16_t c = point.at(0).unicode();
        if (c > u' ' && c < 0x7F)
            return char(c);
    }
    return '.';
}

char& LocaleSeparatorSlot() {
    static char separator = ReadLocaleSeparator();
    return separator;
}

// A positive finite value as 0.D x 10^Exponent with D free of leading zeros.
struct TDecimal {
    std::string Digits;
    int Exponent = 0;
};

// Splits the scientific text of std::to_chars ("d.ddde+XX") into digits and exponent.
TDecimal SplitScientific(const char* first, const char* last) {
    TDecimal d;
    const char* e = std::find(first, last, 'e');
    for (const char* p = first; p != e; ++p)
        if (*p != '.')
            d.Digits.push_back(*p);
    int exp10 = 0;
    const char* p = e + 1;
    if (p < last && *p == '+')
        ++p;
    std::from_chars(p, last, exp10);
    d.Exponent = exp10 + 1;
    return d;
}

// Shortest digits that read back as the same double.
TDecimal ShortestDecimal(double magnitude) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    return SplitScientific(buf, r.ptr);
}

TDecimal Rounded15(double magnitude) {
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    TDecimal d = SplitScientific(buf, r.ptr);
    // The largest doubles round up past the double range (1.79769313486232E308 would not read
    // back); they are cut to 15 digits instead.
    double back = 0;
    if (std::from_chars(buf, r.ptr, back).ec == std::errc::result_out_of_range) {
        d = ShortestDecimal(magnitude);
        d.Digits.resize(std::min<size_t>(d.Digits.size(), 15));
    }
    while (d.Digits.size() > 1 && d.Digits.back() == '0')
        d.Digits.pop_back();
    return d;
}

std::string SpecialText(double value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Digits of round(value x 10^decimals), halves away from zero; empty for zero.
std::string FixedDigits(const TDecimal& d, int decimals) {
    const long keep = long(d.Exponent) + decimals;
    if (keep < 0)
        return {};
    std::string kept = d.Digits.substr(0, size_t(std::min<long>(keep, long(d.Digits.size()))));
    kept.resize(size_t(keep), '0');
    if (size_t(keep) < d.Digits.size() && d.Digits[size_t(keep)] >= '5') {
        size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i - 1];
    }
    return kept;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

char LocaleDecSeparator() {
    return LocaleSeparatorSlot();
}

TScopedLocaleDecSeparator::TScopedLocaleDecSeparator(char Sep) : FPrevious(LocaleSeparatorSlot()) {
    LocaleSeparatorSlot() = Sep;
}

TScopedLocaleDecSeparator::~TScopedLocaleDecSeparator() {
    LocaleSeparatorSlot() = FPrevious;
}

std::string FloatToTextG(double Value) {
    if (Value == 0)
        return "0";
    if (!std::isfinite(Value))
        return SpecialText(Value);
    const char sep = LocaleDecSeparator();
    const TDecimal d = Rounded15(std::fabs(Value));
    const int e = d.Exponent;
    std::string text;
    if (Value < 0)
        text.push_back('-');
    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            text.push_back('0');
            text.push_back(sep);
            text.append(size_t(-e), '0');
            text += d.Digits;
        } else {
            const size_t whole = size_t(e);
            text.append(d.Digits, 0, std::min(whole, d.Digits.size()));
            if (d.Digits.size() < whole)
                text.append(whole - d.Digits.size(), '0');
            if (d.Digits.size() > whole) {
                text.push_back(sep);
                text.append(d.Digits, whole);
            }
        }
        return text;
    }
    text.push_back(d.Digits[0]);
    if (d.Digits.size() > 1) {
        text.push_back(sep);
        text.append(d.Digits, 1);
    }
    text.push_back('E');
    const int exp10 = e - 1;
    if (exp10 < 0)
        text.push_back('-');
    const std::string magnitude = std::to_string(std::abs(exp10));
    if (magnitude.size() < 3)
        text.append(3 - magnitude.size(), '0');
    text += magnitude;
    return text;
}

std::string FloatToTextDec(char Sep, int MinDecimals, int Decimals, double Value, int MaxLen) {
    Decimals = std::clamp(Decimals, 0, MaxDecimals);
    const int keep = std::max(0, std::min(MinDecimals, Decimals));
    std::string text;
    if (!std::isfinite(Value)) {
        text = SpecialText(Value);
    } else {
        std::string digits;
        if (Value != 0)
            digits = FixedDigits(ShortestDecimal(std::fabs(Value)), Decimals);
        // A value that rounds to zero is written without a sign ("-0" is no label).
        const bool negative =
            Value < 0 && std::any_of(digits.begin(), digits.end(), [](char c) { return c != '0'; });
        if (digits.size() < size_t(Decimals) + 1)
            digits.insert(0, size_t(Decimals) + 1 - digits.size(), '0');
        if (negative)
            text.push_back('-');
        const size_t whole = digits.size() - size_t(Decimals);
        text.append(digits, 0, whole);
        if (Decimals > 0) {
            text.push_back(Sep);
            text.append(digits, whole);
        }
        for (int removable = Decimals - keep; removable > 0 && !text.empty() && text.back() == '0';
             --removable)
            text.pop_back();
    }
    if (MaxLen > 0 && text.size() > size_t(MaxLen))
        text.resize(size_t(MaxLen));
    if (!text.empty() && text.back() == Sep)
        text.pop_back();
    return text;
}

double TextToFloatDef(std::string_view Text, double Default) {
    const char locale = LocaleDecSeparator();
    auto isSeparator = [locale](char c) {
        return c == '.' || c == ',' || c == locale;
    };

    size_t begin = 0;
    size_t end = Text.size();
    while (begin < end && IsBlank(Text[begin]))
        ++begin;
    while (end > begin && IsBlank(Text[end - 1]))
        --end;

    // Check the grammar here: from_chars alone would also take "inf", "nan" and a bare prefix.
    size_t i = begin;
    bool plus = false;
    if (i < end && (Text[i] == '+' || Text[i] == '-')) {
        plus = Text[i] == '+';
        ++i;
    }
    int mantissaDigits = 0;
    size_t separatorAt = std::string_view::npos;
    for (; i < end; ++i) {
        if (IsDigit(Text[i]))
            ++mantissaDigits;
        else if (isSeparator(Text[i]) && separatorAt == std::string_view::npos)
            separatorAt = i;
        else
            break;
    }
    if (mantissaDigits == 0)
        return Default;
    if (i < end && (Text[i] == 'e' || Text[i] == 'E')) {
        ++i;
        if (i < end && (Text[i] == '+' || Text[i] == '-'))
            ++i;
        int exponentDigits = 0;
        for (; i < end && IsDigit(Text[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return Default;
    }
    if (i != end)
        return Default;

    std::string_view number = Text.substr(begin, end - begin);
    std::string copy;
    if (plus || (separatorAt != std::string_view::npos && Text[separatorAt] != '.')) {
        copy.assign(number.substr(plus ? 1 : 0));
        if (separatorAt != std::string_view::npos)
            copy[separatorAt - begin - (plus ? 1 : 0)] = '.';
        number = copy;
    }
    double value = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), value);
    if (r.ec != std::errc() || r.ptr != number.data() + number.size())
        return Default;
    return value;
}

void SetDecSeparators(std::string& Text, char Sep) {
    const char locale = LocaleDecSeparator();
    for (char& c : Text)
        if (c == ',' || c == '.' || c == locale)
            c = Sep;
}

void LocalDecSeparators(std::string& Text) {
    SetDecSeparators(Text, LocaleDecSeparator());
}
