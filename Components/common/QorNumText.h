// Number text: floating-point values to text with a chosen decimal separator and back.
// Files always use "."; labels and edits use the separator their owner is configured for.
#pragma once

#include <string>
#include <string_view>

// The user's decimal separator, read once from the system locale on first use.
char LocaleDecSeparator();

// General format with 15 significant digits ("%g" style): fixed notation for decimal exponents
// -4 ... 14, otherwise d.dddE-005 / d.dddE015; "INF", "-INF", "NAN"; locale separator.
std::string FloatToTextG(double Value);

// Value with Decimals decimals (halves away from zero), the separator Sep, trailing zeros trimmed
// down to MinDecimals decimals, cut to MaxLen characters when MaxLen > 0, no trailing separator.
std::string FloatToTextDec(char Sep, int MinDecimals, int Decimals, double Value, int MaxLen);

// The whole Text as a number ("." and "," both accepted, blanks around allowed), or Default when
// it is not one. Never throws.
double TextToFloatDef(std::string_view Text, double Default);

// Replaces every ",", "." and locale separator in Text by Sep.
void SetDecSeparators(std::string& Text, char Sep);

// SetDecSeparators with the locale separator.
void LocalDecSeparators(std::string& Text);

// Makes LocaleDecSeparator answer Sep for the lifetime of the object (tests acting as if under
// another locale); the previous separator comes back on destruction.
class TScopedLocaleDecSeparator {
public:
    explicit TScopedLocaleDecSeparator(char Sep);
    ~TScopedLocaleDecSeparator();
    TScopedLocaleDecSeparator(const TScopedLocaleDecSeparator&) = delete;
    TScopedLocaleDecSeparator& operator=(const TScopedLocaleDecSeparator&) = delete;

private:
    char FPrevious;
};
