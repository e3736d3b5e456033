// Sections: construction and Assign; property writers; change batch; drawing; persistence.
#include "QorColSc.h"

#include "QorFileInput.h"
#include "QorFileOutput.h"
#include "QorMath.h"
#include "QorNumText.h"
#include "QorPropList.h"
#include "QorScale.h"
#include "QorStrg.h"
#include "QorUpdateBracket.h"
#include "TCanvas.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

// Data are floats: every range they can have is labelled; beyond it the legend gets 0 ... 1.
constexpr double RangeLimit = std::numeric_limits<float>::max();
// A legend's record is a few kilobytes: anything much larger is no record.
constexpr uint64_t MaxRecordFileBytes = uint64_t(1) << 20;

// Clears the drawing flag however the drawing ends.
class TDrawingGuard {
public:
    explicit TDrawingGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TDrawingGuard() { FFlag = false; }
    TDrawingGuard(const TDrawingGuard&) = delete;
    TDrawingGuard& operator=(const TDrawingGuard&) = delete;

private:
    bool& FFlag;
};

void RepairRangeOnce(double& Min, double& Max) {
    if (Max == Min)
        Max = Min + 1;
    if (Min > Max)
        std::swap(Min, Max);
    // NaN counts as beyond the limits.
    if (!(Min >= -RangeLimit))
        Min = 0;
    if (!(Max <= RangeLimit))
        Max = 1;
}

// Equal ends, reversed ends and ends beyond the float range repaired. A second pass catches a
// range that the limits themselves turned around (Min 5, Max 1e40 gives 5 ... 1 after one pass), so
// the result is always an ascending range and stays the same at the next drawing.
void RepairRange(double& Min, double& Max) {
    RepairRangeOnce(Min, Max);
    if (Min < Max)
        return;
    RepairRangeOnce(Min, Max);
    if (Min < Max)
        return;
    if (std::isfinite(Min) && std::abs(Min) <= RangeLimit) {
        // Min + 1 is Min itself at this magnitude; a span the scale steps can resolve.
        Max = Min + std::abs(Min) * 1e-9;
    } else {
        Min = 0;
        Max = 1;
    }
}

QRgb PaletteRgb(TColor c) {
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

TQorColorScale::TQorColorScale() : FGradient(1, 256, QImage::Format_RGB32) {
    QorStoreDefaults(Properties(), *this);
    FGradient.fill(Qt::black);
    RebuildPalette();
    FFont.OnChange = [this](TFont*) {
        Changed();
    };
}

TQorColorScale::~TQorColorScale() = default;

void TQorColorScale::Assign(const TObject* Source) {
    const auto* src = dynamic_cast<const TQorColorScale*>(Source);
    if (src == nullptr || src == this)
        return;
    const TQorUpdateScope scope(*this);
    QorAssign(Properties(), *this, *src);
}

void TQorColorScale::RebuildPalette() {
    BuildPalette(FPalette, FColors, FColorCount);
    ApplyColorLayers(FPalette, FColorLayers);
}

void TQorColorScale::SetPalette(const TQorPalette& Palette) {
    FPalette = Palette;
    FPaletteRebuild = false;
    FColorScaleChanged = true;
    Changed();
}

void TQorColorScale::SetCaptionAlignHoriz(TScaleCaptionAlignHoriz v) {
    SetField(FCaptionAlignHoriz, v);
}

void TQorColorScale::SetCaptionAlignVert(TScaleCaptionAlignVert v) {
    SetField(FCaptionAlignVert, v);
}

TColor TQorColorScale::Color(int Index) const {
    if (Index < 1 || Index > QorColorStopCount)
        return clNone;
    return FColors[size_t(Index - 1)];
}

void TQorColorScale::SetColor(int Index, TColor v) {
    if (Index < 1 || Index > QorColorStopCount || FColors[size_t(Index - 1)] == v)
        return;
    FColors[size_t(Index - 1)] = v;
    // Stops beyond ColorCount are kept but not used, so they do not change the palette.
    if (Index <= 2 || FColorCount >= Index)
        FPaletteRebuild = true;
    Changed();
}

void TQorColorScale::SetColorCount(int v) {
    v = std::clamp(v, 2, QorColorStopCount);
    if (v == FColorCount)
        return;
    FColorCount = v;
    FPaletteRebuild = true;
    Changed();
}

void TQorColorScale::SetColorLayers(int v) {
    v = std::clamp(v, 0, 256);
    if (v == FColorLayers)
        return;
    FColorLayers = v;
    FPaletteRebuild = true;
    Changed();
}

int TQorColorScale::DecPlaces() const {
    return std::max(0, std::min(FDecPlaces, FDecPlacesMax));
}

void TQorColorScale::SetDecPlaces(int v) {
    SetField(FDecPlaces, std::max(0, v));
}

void TQorColorScale::SetDecPlacesEndPlus(int v) {
    SetField(FDecPlacesEndPlus, v);
}

void TQorColorScale::SetDecPlacesEqual(bool v) {
    SetField(FDecPlacesEqual, v);
}

void TQorColorScale::SetDecPlacesMax(int v) {
    SetField(FDecPlacesMax, std::max(0, v));
}

char TQorColorScale::DecSep() const {
    return FDecSepLocal ? LocaleDecSeparator() : FDecSep;
}

void TQorColorScale::SetDecSep(char v) {
    if (v != ',' && v != '.' && v != LocaleDecSeparator())
        v = '.';
    SetField(FDecSep, v);
}

void TQorColorScale::SetLogarithmic(bool v) {
    SetField(FLogarithmic, v);
}

void TQorColorScale::SetMax(double v) {
    SetField(FMax, v);
}

void TQorColorScale::SetMin(double v) {
    SetField(FMin, v);
}

void TQorColorScale::SetMinMaxRounding(bool v) {
    SetField(FMinMaxRounding, v);
}

void TQorColorScale::SetScaleColor(TColor v) {
    SetField(FScaleColor, v);
}

void TQorColorScale::SetScaleWidth(int v) {
    SetField(FScaleWidth, v);
}

void TQorColorScale::SetTextJustify(TLeftRight v) {
    SetField(FTextJustify, v);
}

void TQorColorScale::SetTransparent(bool v) {
    SetField(FTransparent, v);
}

void TQorColorScale::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FHost != nullptr)
        FHost->BoundsChanged();
    Invalidate();
}

void TQorColorScale::SetCaption(const std::string& v) {
    SetField(FCaption, v);
}

void TQorColorScale::SetColor(TColor v) {
    SetField(FColor, v);
}

void TQorColorScale::SetAutoSize(bool v) {
    SetField(FAutoSize, v);
}

void TQorColorScale::Invalidate() {
    if (FHost != nullptr)
        FHost->Invalidate();
}

void TQorColorScale::BeginUpdate() {
    if (FUpdateCount == 0) {
        FChanged = false;
        FColorScaleChanged = false;
    }
    FUpdating = true;
    ++FUpdateCount;
}

void TQorColorScale::EndUpdate() {
    if (FUpdateCount > 0)
        --FUpdateCount;
    if (FUpdateCount == 0) {
        FUpdating = false;
        if (FChanged)
            Changed();
    }
}

void TQorColorScale::Changed() {
    FChanged = true;
    if (FUpdating)
        return;
    if (FPaletteRebuild) {
        FPaletteRebuild = false;
        RebuildPalette();
        FColorScaleChanged = true;
    }
    FChanged = false;
    Invalidate();
    if (FColorScaleChanged) {
        FColorScaleChanged = false;
        if (OnColorScaleChanged)
            OnColorScaleChanged(this);
    }
    if (OnChange)
        OnChange(this);
}

void TQorColorScale::DefaultProperties() {
    if (!OnDefaultProperties)
        return;
    const TQorUpdateScope scope(*this);
    OnDefaultProperties(this);
}

void TQorColorScale::Paint(TCanvas& Canvas) {
    if (FUpdating)
        return;
    if (!FTransparent) {
        Canvas.SetBrushStyle(bsSolid);
        Canvas.SetBrushColor(FColor);
        Canvas.FillRect(TRect{0, 0, FWidth, FHeight});
    }
    Canvas.SetFont(FFont);
    DrawScale(Canvas, TRect{0, 0, FWidth, FHeight});
    if (OnPaint)
        OnPaint(this);
}

void TQorColorScale::DrawScale(TCanvas& Canvas, const TRect& Rect) {
    if (FDrawing)
        return;
    const TDrawingGuard guard(FDrawing);

    RepairRange(FMin, FMax);
    Canvas.SetFont(FFont);
    const TQorColorScaleLayout layout = LayoutScale(Rect, Canvas);
    if (FAutoSize)
        SetWidth(layout.ContentWidth);

    Canvas.SetBrushStyle(bsClear);
    Canvas.TextOut(layout.Caption.X, layout.Caption.Y, FCaption);
    if (!layout.BarShown)
        return;
    DrawBar(Canvas, layout);
    DrawTicks(Canvas, layout);
    DrawLabels(Canvas, layout);
}

TQorColorScaleLayout TQorColorScale::LayoutScale(const TRect& Rect, TTextMeasure& Text) const {
    double min = FMin;
    double max = FMax;
    RepairRange(min, max);

    int left = Rect.Left;
    int top = Rect.Top;
    int right = Rect.Right;
    int bottom = Rect.Bottom;

    const int w = right - left;
    const int h = Text.TextHeight(FCaption);
    const int h8 = Text.TextHeight("8,");

    // Minor ticks only on a logarithmic legend (the decades' 2 ... 9).
    const auto [labels, values, subValues] =
        CalcAutoScale({.Logarithmic = FLogarithmic,
                       .ShowMaxLabel = true,
                       .ShowMinLabel = true,
                       .Min = min,
                       .Max = max,
                       .Length = double(bottom - top - RoundHalfEven(1.5 * h)),
                       .LabelSize = double(h8),
                       .AutoSubSteps = FLogarithmic,
                       .NumSubSteps = 0,
                       .DecPlaces = DecPlaces(),
                       .DecPlacesEndPlus = FDecPlacesEndPlus,
                       .DecPlacesMax = FDecPlacesMax,
                       .DecPlacesEqual = FDecPlacesEqual,
                       .DecSep = DecSep(),
                       .MinMaxRounding = FMinMaxRounding});

    TQorColorScaleLayout L;
    int lw = 0;
    for (const std::string& s : labels)
        lw = std::max(lw, Text.TextWidth(s));
    const int cw = Text.TextWidth(FCaption);
    const int sw = Text.TextWidth(" -");
    const int dashW = Text.TextWidth("-");
    const int bw = RoundHalfEven(dashW * double(FScaleWidth) / 100.0);
    L.ContentWidth =
        FCaptionAlignHoriz == scaLabels ? sw + std::max(lw, cw) + bw : std::max(sw + lw + bw, cw);

    switch (FCaptionAlignHoriz) {
    case scaLeft:
        L.Caption.X = left;
        break;
    case scaRight:
        L.Caption.X = right - cw;
        break;
    case scaCenter:
        L.Caption.X = left + (w - cw) / 2;
        break;
    case scaLabels:
        L.Caption.X = FTextJustify == taLeftJustify ? right - Text.TextWidth(FCaption + " -") - bw
                                                    : left + sw + bw;
        break;
    }
    const int captionBand = RoundHalfEven(1.5 * h);
    if (FCaptionAlignVert == scaTop) {
        L.Caption.Y = top + RoundHalfEven(0.25 * h);
        top = std::min(captionBand, bottom);
    } else {
        L.Caption.Y = bottom - RoundHalfEven(1.25 * h);
        bottom = std::max(bottom - captionBand, top);
    }

    const int barTop = top + RoundHalfEven(0.6 * h8);
    const int barBottom = bottom - RoundHalfEven(0.6 * h8);
    L.BarShown = !(barBottom - barTop <= 1 || w <= 0 || values.size() < 2);
    if (!L.BarShown)
        return L;

    const int barLeft = FTextJustify == taLeftJustify ? right - bw : left;
    const int barRight = FTextJustify == taLeftJustify ? right : left + bw;
    L.Bar = TRect{barLeft, barTop, barRight, barBottom};
    const double first = values.front();
    const double last = values.back();
    const auto y = [&](double v) {
        return RoundHalfEven(MapLinear(v, first, barBottom, last, barTop));
    };
    L.RangeTop = barTop;
    L.RangeBottom = barBottom;
    if (FMinMaxRounding) {
        // On a logarithmic scale the values are decimal logarithms; the ends are mapped alike.
        const double tiny = std::pow(10.0, -FDecPlacesMax);
        L.RangeBottom = y(FLogarithmic ? std::log10(std::max(min, tiny)) : min);
        L.RangeTop = y(FLogarithmic ? std::log10(std::max(max, tiny)) : max);
    }

    L.PenWidth = std::max(1, Text.TextHeight("8") / 10);
    L.TickLeft = FTextJustify == taLeftJustify ? barLeft - dashW : barLeft;
    L.TickRight = FTextJustify == taLeftJustify ? barRight + 1 : barRight + dashW + 1;
    for (double v : values)
        L.Ticks.push_back(y(v));
    if (FLogarithmic)
        for (double s : subValues)
            L.MinorTicks.push_back(y(s));

    const int dy = h8 / 2;
    const int labelX = Text.TextWidth("- ");
    for (size_t i = 0; i < labels.size() && i < values.size(); ++i) {
        const std::string& label = labels[i];
        if (label.empty())
            continue;
        const int lx = FTextJustify == taLeftJustify ? barLeft - sw - Text.TextWidth(label)
                                                     : barRight + labelX;
        L.Labels.push_back({{lx, y(values[i]) - dy}, label});
    }
    return L;
}

void TQorColorScale::DrawBar(TCanvas& Canvas, const TQorColorScaleLayout& Layout) {
    for (int i = 0; i < 256; ++i)
        FGradient.setPixel(0, 255 - i, PaletteRgb(FPalette[size_t(i)]));
    const TRect& bar = Layout.Bar;
    if (!FMinMaxRounding) {
        Canvas.StretchDraw(bar, FGradient);
        return;
    }
    // The palette over the range, its end colours beyond it.
    Canvas.SetBrushStyle(bsSolid);
    Canvas.SetBrushColor(FPalette[0]);
    Canvas.FillRect(TRect{bar.Left, Layout.RangeBottom, bar.Right, bar.Bottom});
    Canvas.SetBrushColor(FPalette[255]);
    Canvas.FillRect(TRect{bar.Left, bar.Top, bar.Right, Layout.RangeTop});
    Canvas.SetBrushStyle(bsClear);
    Canvas.StretchDraw(TRect{bar.Left, Layout.RangeTop, bar.Right, Layout.RangeBottom}, FGradient);
}

void TQorColorScale::DrawTicks(TCanvas& Canvas, const TQorColorScaleLayout& Layout) const {
    Canvas.SetPenColor(FScaleColor);
    Canvas.SetPenWidth(Layout.PenWidth);
    for (int y : Layout.Ticks)
        Canvas.Line(Layout.TickLeft, y, Layout.TickRight, y);
    for (int y : Layout.MinorTicks)
        Canvas.Line(Layout.Bar.Left, y, Layout.Bar.Right + 1, y);
}

void TQorColorScale::DrawLabels(TCanvas& Canvas, const TQorColorScaleLayout& Layout) {
    for (const TQorColorScaleLayout::TLabel& label : Layout.Labels)
        Canvas.TextOut(label.At.X, label.At.Y, label.Text);
}

// ---- Persistence ------------------------------------------------------------------------------

namespace {

// The one property kept in font-only mode.
constexpr const char* FontKey = "Font";

} // namespace

const TQorPropList<TQorColorScale>& TQorColorScale::Properties() {
    using L = TQorColorScale;
    using P = TQorProps<L>;
    static const TQorPropList<L> list{
        P::Prop("Caption", &L::Caption, &L::SetCaption, &L::FCaption, ""),
        P::Ordinal("CaptionAlignHoriz", &L::CaptionAlignHoriz, &L::SetCaptionAlignHoriz,
                   &L::FCaptionAlignHoriz, scaRight, scaLabels),
        P::Ordinal("CaptionAlignVert", &L::CaptionAlignVert, &L::SetCaptionAlignVert,
                   &L::FCaptionAlignVert, scaBottom, scaBottom),
        // The background: stored, but Assign leaves it to the legend's owner.
        P::Prop(
            "Color", [](const L& l) { return l.Color(); }, [](L& l, TColor v) { l.SetColor(v); },
            &L::FColor, clWhite)
            .UsedIn(puStored),
        P::Prop("Color1", &L::Color1, &L::SetColor1, P::Element(&L::FColors, 0), clBlue),
        P::Prop("Color2", &L::Color2, &L::SetColor2, P::Element(&L::FColors, 1), clRed),
        P::Prop("Color3", &L::Color3, &L::SetColor3, P::Element(&L::FColors, 2), clYellow),
        P::Prop("Color4", &L::Color4, &L::SetColor4, P::Element(&L::FColors, 3), clNone),
        P::Prop("Color5", &L::Color5, &L::SetColor5, P::Element(&L::FColors, 4), clNone),
        P::Prop("Color6", &L::Color6, &L::SetColor6, P::Element(&L::FColors, 5), clNone),
        P::Prop("ColorCount", &L::ColorCount, &L::SetColorCount, &L::FColorCount, 3),
        P::Prop("ColorLayers", &L::ColorLayers, &L::SetColorLayers, &L::FColorLayers, 0),
        P::Prop("DecPlaces", &L::DecPlaces, &L::SetDecPlaces, &L::FDecPlaces, 0),
        P::Prop("DecPlacesEndPlus", &L::DecPlacesEndPlus, &L::SetDecPlacesEndPlus,
                &L::FDecPlacesEndPlus, 1),
        P::Prop("DecPlacesEqual", &L::DecPlacesEqual, &L::SetDecPlacesEqual, &L::FDecPlacesEqual,
                true),
        P::Prop("DecPlacesMax", &L::DecPlacesMax, &L::SetDecPlacesMax, &L::FDecPlacesMax, 9),
        P::Prop("DecSep", &L::DecSep, &L::SetDecSep, &L::FDecSep, '.'),
        P::Prop("DecSepLocal", &L::DecSepLocal, &L::SetDecSepLocal, &L::FDecSepLocal, true),
        P::Prop(
            FontKey, [](const L& l) { return l.Font(); }, &L::SetFont, &L::FFont,
            TFont{"Arial", 10}),
        P::Prop("Logarithmic", &L::Logarithmic, &L::SetLogarithmic, &L::FLogarithmic, false),
        P::Prop("Max", &L::Max, &L::SetMax, &L::FMax, 100),
        P::Prop("Min", &L::Min, &L::SetMin, &L::FMin, 0),
        P::Prop("MinMaxRounding", &L::MinMaxRounding, &L::SetMinMaxRounding, &L::FMinMaxRounding,
                false),
        P::Prop("ScaleColor", &L::ScaleColor, &L::SetScaleColor, &L::FScaleColor, clBlack),
        P::Prop("ScaleWidth", &L::ScaleWidth, &L::SetScaleWidth, &L::FScaleWidth, 200),
        P::Ordinal("TextJustify", &L::TextJustify, &L::SetTextJustify, &L::FTextJustify,
                   taLeftJustify, taRightJustify),
        // Copied by Assign, not stored.
        P::Prop("Transparent", &L::Transparent, &L::SetTransparent, &L::FTransparent, true)
            .UsedIn(puAssigned),
    };
    return list;
}

const TQorPropList<TQorColorScale>& TQorColorScale::StoredProperties(TQorColorScaleStoreMode Mode) {
    static const TQorPropList<TQorColorScale> fontOnly = Properties().Only({FontKey});
    return Mode == csmFull ? Properties() : fontOnly;
}

std::string TQorColorScale::TextPrefix(const std::string& Prefix) const {
    return Prefix.empty() ? std::string(DefaultTextPrefix) : Prefix;
}

void TQorColorScale::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix,
                                 TQorColorScaleStoreMode Mode) const {
    const std::string p = TextPrefix(Prefix);
    Writer.WriteString(p + "FileVer", FileVer);
    QorWriteText(StoredProperties(Mode), *this, Writer, p);
}

void TQorColorScale::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix,
                                  TQorColorScaleStoreMode Mode) {
    const std::string p = TextPrefix(Prefix);
    const TQorUpdateScope scope(*this);
    (void)Reader.ReadString(p + "FileVer", "");
    QorReadText(StoredProperties(Mode), *this, Reader, p);
}

int TQorColorScale::WriteToFile(TQorBinaryWriter& Writer, TQorColorScaleStoreMode Mode) const {
    Writer.WriteString(FileVer);
    QorWriteBinary(StoredProperties(Mode), *this, Writer);
    return 0;
}

int TQorColorScale::ReadFromFile(TQorBinaryReader& Reader, TQorColorScaleStoreMode Mode) {
    std::string marker;
    const int markerResult = Reader.ReadMarker(marker);
    if (markerResult != 0)
        return markerResult;
    if (marker != FileVer)
        return -3;
    const TQorUpdateScope scope(*this);
    // Each value is applied only when it was read whole; the first short read ends the record.
    return QorReadBinary(StoredProperties(Mode), *this, Reader, TQorBinaryRead::ThroughSetters)
               ? 0
               : -1;
}

int TQorColorScale::WriteToFile(const std::string& FileName, TQorColorScaleStoreMode Mode) const {
    TQorBinaryWriter writer;
    WriteToFile(writer, Mode);
    return WriteFileAtomically(FileName, writer.Bytes()) ? 0 : -1;
}

int TQorColorScale::ReadFromFile(const std::string& FileName, TQorColorScaleStoreMode Mode) {
    std::string bytes;
    std::string error;
    if (!ReadRegularFile(FileName, MaxRecordFileBytes, bytes, error))
        return -1;
    TQorBinaryReader reader(bytes);
    return ReadFromFile(reader, Mode);
}

bool TQorColorScale::SaveToStorage(TQorStorage& Storage, const std::string& Prefix,
                                   TQorColorScaleStoreMode Mode) const {
    TQorStorageBatch batch(Storage);
    bool ok = Storage.WriteString(Prefix + "FileVer", FileVer);
    ok = QorSaveToStorage(StoredProperties(Mode), *this, Storage, Prefix) && ok;
    return batch.Close() && ok;
}

void TQorColorScale::LoadFromStorage(const TQorStorage& Storage, const std::string& Prefix,
                                     TQorColorScaleStoreMode Mode) {
    const TQorUpdateScope scope(*this);
    QorLoadFromStorage(StoredProperties(Mode), *this, Storage, Prefix);
}

bool TQorColorScale::SaveToStorageByName(TQorStorage& Storage, TQorColorScaleStoreMode Mode) const {
    return SaveToStorage(Storage, FName, Mode);
}

void TQorColorScale::LoadFromStorageByName(const TQorStorage& Storage,
                                           TQorColorScaleStoreMode Mode) {
    LoadFromStorage(Storage, FName, Mode);
}

namespace {

// Points the storage at another key for the lifetime of the object.
class TIniFileNameOverride {
public:
    TIniFileNameOverride(TQorStorage& Storage, const std::string& Name)
        : FStorage(Storage), FSaved(Storage.IniFileName()) {
        FStorage.SetIniFileName(Name);
    }
    ~TIniFileNameOverride() { FStorage.SetIniFileName(FSaved); }
    TIniFileNameOverride(const TIniFileNameOverride&) = delete;
    TIniFileNameOverride& operator=(const TIniFileNameOverride&) = delete;

private:
    TQorStorage& FStorage;
    std::string FSaved;
};

constexpr const char* SetPrefix = "Prop_";

} // namespace

std::string TQorColorScale::SetsKey(const TQorStorage& Storage) const {
    return Storage.IniFileName() + "\\" + FName + "\\CustomColorScale";
}

bool TQorColorScale::SaveSet(TQorStorage& Storage, const std::string& SetName,
                             TQorColorScaleStoreMode Mode) const {
    if (!Storage.UseRegistry())
        return false;
    const TIniFileNameOverride key(Storage, SetsKey(Storage) + "\\" + SetName);
    return SaveToStorage(Storage, SetPrefix, Mode);
}

void TQorColorScale::LoadSet(TQorStorage& Storage, const std::string& SetName,
                             TQorColorScaleStoreMode Mode) {
    if (!Storage.UseRegistry())
        return;
    const TIniFileNameOverride key(Storage, SetsKey(Storage) + "\\" + SetName);
    LoadFromStorage(Storage, SetPrefix, Mode);
}

bool TQorColorScale::DeleteSet(TQorStorage& Storage, const std::string& SetName) const {
    if (!Storage.UseRegistry())
        return false;
    return Storage.DeleteKey(SetsKey(Storage) + "\\" + SetName);
}

std::vector<std::string> TQorColorScale::ListSets(TQorStorage& Storage) const {
    std::vector<std::string> sets;
    if (!Storage.UseRegistry())
        return sets;
    const TIniFileNameOverride key(Storage, SetsKey(Storage));
    QStringList list;
    Storage.ReadSections(list);
    for (const QString& s : list)
        sets.push_back(s.toStdString());
    return sets;
}
