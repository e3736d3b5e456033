#include "UQorTypes.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <array>
#include <cfenv>
#include <climits>

namespace {

// Classic desktop defaults, used when no Qt palette is available.
constexpr std::array<TColor, 25> FallbackSystemColors = {
    RGBColor(0xC8, 0xC8, 0xC8), RGBColor(0x00, 0x00, 0x00), RGBColor(0x99, 0xB4, 0xD1),
    RGBColor(0xBF, 0xCD, 0xDB), RGBColor(0xF0, 0xF0, 0xF0), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0x64, 0x64, 0x64), RGBColor(0x00, 0x00, 0x00), RGBColor(0x00, 0x00, 0x00),
    RGBColor(0x00, 0x00, 0x00), RGBColor(0xB4, 0xB4, 0xB4), RGBColor(0xF4, 0xF7, 0xFC),
    RGBColor(0xAB, 0xAB, 0xAB), RGBColor(0x33, 0x99, 0xFF), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0xF0, 0xF0, 0xF0), RGBColor(0xA0, 0xA0, 0xA0), RGBColor(0x6D, 0x6D, 0x6D),
    RGBColor(0x00, 0x00, 0x00), RGBColor(0x43, 0x4E, 0x54), RGBColor(0xFF, 0xFF, 0xFF),
    RGBColor(0x69, 0x69, 0x69), RGBColor(0xE3, 0xE3, 0xE3), RGBColor(0x00, 0x00, 0x00),
    RGBColor(0xFF, 0xFF, 0xE1),
};

struct PaletteRole {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr std::array<PaletteRole, 16> PaletteRoles = {{
    {2, QPalette::Active, QPalette::Highlight},
    {4, QPalette::Active, QPalette::Window},
    {5, QPalette::Active, QPalette::Base},
    {7, QPalette::Active, QPalette::WindowText},
    {8, QPalette::Active, QPalette::Text},
    {9, QPalette::Active, QPalette::HighlightedText},
    {13, QPalette::Active, QPalette::Highlight},
    {14, QPalette::Active, QPalette::HighlightedText},
    {15, QPalette::Active, QPalette::Button},
    {16, QPalette::Active, QPalette::Dark},
    {17, QPalette::Disabled, QPalette::Text},
    {18, QPalette::Active, QPalette::ButtonText},
    {20, QPalette::Active, QPalette::Light},
    {21, QPalette::Active, QPalette::Shadow},
    {22, QPalette::Active, QPalette::Midlight},
    {23, QPalette::Active, QPalette::ToolTipText},
}};

TColor FromQColor(const QColor& c) {
    return RGBColor(c.red(), c.green(), c.blue());
}

bool PaletteColor(int index, TColor& out) {
    if (qGuiApp == nullptr)
        return false;
    const QPalette palette = QGuiApplication::palette();
    for (const PaletteRole& r : PaletteRoles) {
        if (r.index == index) {
            out = FromQColor(palette.color(r.group, r.role));
            return true;
        }
    }
    if (index == 24) {
        out = FromQColor(palette.color(QPalette::Active, QPalette::ToolTipBase));
        return true;
    }
    return false;
}

// Negated in double by the callers: -INT_MIN does not fit an int.
int MulDiv(double number, int numerator, int denominator) {
    return RoundHalfEven(number * numerator / denominator);
}

} // namespace

TColor ColorToRGB(TColor c) {
    if (!IsSystemColor(c))
        return c;
    const int index = c & 0xFF;
    TColor resolved = clBlack;
    if (PaletteColor(index, resolved))
        return resolved;
    if (index < int(FallbackSystemColors.size()))
        return FallbackSystemColors[size_t(index)];
    return clBlack;
}

int RoundHalfEven(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    // nearbyint follows the rounding mode, which is round-to-nearest-even unless someone changed
    // it.
    const int mode = std::fegetround();
    if (mode != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    if (mode != FE_TONEAREST)
        std::fesetround(mode);
    return int(r);
}

TFont::TFont(const std::string& name, int size, TFontStyles style) : FName(name), FStyle(style) {
    FHeight = MulDiv(-double(size), PixelsPerInch, 72);
}

TFont::TFont(const TFont& other)
    : FCharset(other.FCharset), FColor(other.FColor), FHeight(other.FHeight), FName(other.FName),
      FPitch(other.FPitch), FStyle(other.FStyle) {}

TFont& TFont::operator=(const TFont& other) {
    Assign(other);
    return *this;
}

bool TFont::SameAs(const TFont& o) const {
    return FCharset == o.FCharset && FColor == o.FColor && FHeight == o.FHeight &&
           FName == o.FName && FPitch == o.FPitch && FStyle == o.FStyle;
}

void TFont::Assign(const TFont& source) {
    if (this == &source || SameAs(source))
        return;
    FCharset = source.FCharset;
    FColor = source.FColor;
    FHeight = source.FHeight;
    FName = source.FName;
    FPitch = source.FPitch;
    FStyle = source.FStyle;
    Changed();
}

int TFont::Size() const {
    return MulDiv(-double(FHeight), 72, PixelsPerInch);
}

void TFont::Changed() {
    if (OnChange)
        OnChange(this);
}

void TFont::SetCharset(uint8_t v) {
    if (v != FCharset) {
        FCharset = v;
        Changed();
    }
}

void TFont::SetColor(TColor v) {
    if (v != FColor) {
        FColor = v;
        Changed();
    }
}

void TFont::SetHeight(int v) {
    if (v != FHeight) {
        FHeight = v;
        Changed();
    }
}

void TFont::SetName(const std::string& v) {
    if (v != FName) {
        FName = v;
        Changed();
    }
}

void TFont::SetPitch(TFontPitch v) {
    if (v != FPitch) {
        FPitch = v;
        Changed();
    }
}

void TFont::SetSize(int v) {
    SetHeight(MulDiv(-double(v), PixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles v) {
    if (!(v == FStyle)) {
        FStyle = v;
        Changed();
    }
}

QFont TFont::ToQFont() const {
    // A blank name gives a font of no family, which a QPicture cannot even record (the legend
    // picture crashed in drawText): it takes the default family.
    const QString family = QString::fromStdString(FName).trimmed();
    QFont f = family.isEmpty() ? QFont() : QFont(QString::fromStdString(FName));
    // A negative height is the character height without internal leading, which is
    // what Qt calls the pixel size.
    f.setPixelSize(int(std::clamp(std::abs(int64_t(FHeight)), int64_t(1), int64_t(INT_MAX))));
    f.setBold(FStyle.Contains(fsBold));
    f.setItalic(FStyle.Contains(fsItalic));
    f.setUnderline(FStyle.Contains(fsUnderline));
    f.setStrikeOut(FStyle.Contains(fsStrikeOut));
    if (FPitch == fpFixed)
        f.setFixedPitch(true);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}
