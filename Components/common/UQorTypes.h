// Shared enumerations, colours, fonts, geometry and event types of the component set.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QFont;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;
};

// Colours are $00BBGGRR; a value whose high byte is $FF names a system colour by its low byte.
using TColor = int32_t;

constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0xFF000000u | uint32_t(index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

constexpr bool IsSystemColor(TColor c) {
    return (uint32_t(c) & 0xFF000000u) == 0xFF000000u;
}
constexpr TColor RGBColor(int r, int g, int b) {
    return TColor(r & 255) | TColor(g & 255) << 8 | TColor(b & 255) << 16;
}
constexpr int GetRValue(TColor c) {
    return c & 255;
}
constexpr int GetGValue(TColor c) {
    return (c >> 8) & 255;
}
constexpr int GetBValue(TColor c) {
    return (c >> 16) & 255;
}

// Resolves a system colour against the running Qt palette (fixed defaults without a
// QGuiApplication); any other colour is returned unchanged.
TColor ColorToRGB(TColor c);

// The six colour stops of a chart or legend.
using TQorColorArray = std::vector<TColor>;
constexpr int QorColorStopCount = 6;

// A small set of enumeration values, as a bit mask of their ordinals.
template <typename E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items)
            Include(e);
    }
    constexpr void Include(E e) { bits_ |= Bit(e); }
    constexpr void Exclude(E e) { bits_ &= ~Bit(e); }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint32_t Bits() const { return bits_; }
    constexpr static TSet FromBits(uint32_t bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool operator==(const TSet&) const = default;

private:
    constexpr static uint32_t Bit(E e) { return 1u << static_cast<unsigned>(e); }
    uint32_t bits_ = 0;
};

enum TQorAxisPosition : uint8_t { apZero, apMinimum, apMaximum };
enum TLeftRight : uint8_t { taLeftJustify, taRightJustify };
enum TScaleCaptionAlignHoriz : uint8_t { scaLeft, scaRight, scaCenter, scaLabels };
enum TScaleCaptionAlignVert : uint8_t { scaTop, scaBottom };
// Where a control docks inside its parent.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TStorageOption : uint8_t { fpState, fpPosition, fpActiveControl, fpMaximizedDefault };
using TStorageOptions = TSet<TStorageOption>;
enum TQorDataKind : uint8_t { dk3D, dkNx4D, dk4D, dk4DSurface };
enum TQorDragType : uint8_t { pdNone, pdRotate, pdMove, pdZoom };

// Number arrays of the chart data. Growing one by a count (`v(n)`, `resize(n)`) leaves the new
// numbers uninitialised, so a reader that fills a large array completely does not pay for
// zero-filling it first; `assign(n, 0)` or `v(n, 0)` give zeros.
template <typename T> struct TQorNoInitAllocator : std::allocator<T> {
    template <typename U> struct rebind { using other = TQorNoInitAllocator<U>; };
    TQorNoInitAllocator() = default;
    template <typename U> TQorNoInitAllocator(const TQorNoInitAllocator<U>&) noexcept {}
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using TArrGLfloat = std::vector<float, TQorNoInitAllocator<float>>;
using TArrGLshort = std::vector<int16_t, TQorNoInitAllocator<int16_t>>;
struct TXZInteger {
    int32_t X = 0;
    int32_t Z = 0;
    bool operator==(const TXZInteger&) const = default;
};
using TArrXZInteger = std::vector<TXZInteger>;

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

class TCanvas;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TPaintRectEvent = std::function<void(TObject* Sender, const TRect& PaintRect)>;
using TPaintCanvasRectEvent =
    std::function<void(TObject* Sender, TCanvas& Canvas, const TRect& PaintRect)>;

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
constexpr uint8_t DEFAULT_CHARSET = 1;

// A font description. Height is the character height in pixels (negative, as the
// platform stores it) and Size the point size at 96 pixels per inch; each follows the other.
// The readers of files, records and stores clamp both to MaxSize points (MaxHeight pixels),
// the sign kept; the conversions saturate instead of overflowing. Copies take the description
// only; OnChange stays with its object.
class TFont {
public:
    static constexpr int PixelsPerInch = 96;
    static constexpr int MaxSize = 1000;
    static constexpr int MaxHeight = MaxSize * PixelsPerInch / 72;

    TFont() = default;
    TFont(const std::string& name, int size, TFontStyles style = {});
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    void Assign(const TFont& source);
    bool SameAs(const TFont& other) const;

    uint8_t Charset() const { return FCharset; }
    TColor Color() const { return FColor; }
    int Height() const { return FHeight; }
    const std::string& Name() const { return FName; }
    TFontPitch Pitch() const { return FPitch; }
    int Size() const;
    TFontStyles Style() const { return FStyle; }

    void SetCharset(uint8_t v);
    void SetColor(TColor v);
    void SetHeight(int v);
    void SetName(const std::string& v);
    void SetPitch(TFontPitch v);
    void SetSize(int v);
    void SetStyle(TFontStyles v);

    QFont ToQFont() const;

    std::function<void(TFont* Sender)> OnChange;

private:
    void Changed();

    uint8_t FCharset = DEFAULT_CHARSET;
    TColor FColor = clWindowText;
    int FHeight = -11; // 8 pt
    std::string FName = "MS Sans Serif";
    TFontPitch FPitch = fpDefault;
    TFontStyles FStyle;
};

// Nearest integer, halves to even; values beyond the int range saturate.
int RoundHalfEven(double v);
