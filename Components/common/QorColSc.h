// The colour-scale legend: a windowless control that draws a vertical colour bar with its own
// palette, tick lines, number labels and a caption onto any TCanvas. It knows nothing of the
// chart; a binding copies the chart's stops, range and number settings into it.
//
// Sections: host interface; TQorColorScale (properties, change batch, drawing, persistence).
#pragma once

#include "QorPalette.h"
#include "UQorTypes.h"

#include <QImage>
#include <string>
#include <vector>

class TCanvas;
class TTextMeasure;
class TQorPropTextWriter;
class TQorPropTextReader;
class TQorBinaryWriter;
class TQorBinaryReader;
class TQorStorage;
template <class C> class TQorPropList;

// What the legend asks of the widget that shows it.
class TQorColorScaleHost {
public:
    virtual ~TQorColorScaleHost() = default;
    // Repaint later.
    virtual void Invalidate() = 0;
    // The legend changed its own bounds (AutoSize); the widget follows.
    virtual void BoundsChanged() = 0;
};

// Where DrawScale puts the parts of the legend in its area (TCanvas's pixels).
struct TQorColorScaleLayout {
    // What the labels, the bar and the caption need: the legend's width under AutoSize.
    int ContentWidth = 0;
    // The caption's top-left corner.
    TPoint Caption;
    // Off where the area is too small for the bar; only the caption is drawn then.
    bool BarShown = false;
    // The colour bar. The palette spans RangeTop ... RangeBottom of it: all of it, or with
    // MinMaxRounding the part of Min ... Max, its first and last colours filling the rest.
    TRect Bar;
    int RangeTop = 0;
    int RangeBottom = 0;
    // Tick lines from TickLeft to TickRight (its end left out) at the heights of the label
    // values, minor ticks across the bar (logarithmic only), both PenWidth wide.
    int TickLeft = 0;
    int TickRight = 0;
    std::vector<int> Ticks;
    std::vector<int> MinorTicks;
    int PenWidth = 1;
    // The label texts, each at its top-left corner.
    struct TLabel {
        TPoint At;
        std::string Text;
    };
    std::vector<TLabel> Labels;
};

// Full: every property. Font-only: the marker and Font (the main window keeps only the
// legend's font in property files and in its settings).
enum TQorColorScaleStoreMode : uint8_t { csmFull, csmFontOnly };

class TQorColorScale : public TObject {
public:
    static constexpr const char* FileVer = "TQorColorScaleV7.2";
    static constexpr const char* DefaultTextPrefix = "QorColorScale_";

    TQorColorScale();
    TQorColorScale(const TQorColorScale&) = delete;
    TQorColorScale& operator=(const TQorColorScale&) = delete;
    ~TQorColorScale() override;

    // Copies the published properties of another legend; any other source is ignored. Color,
    // AutoSize, bounds, visibility and the events stay.
    virtual void Assign(const TObject* Source);

    // Takes a whole 256-entry table as the palette; a pending rebuild from the stops is dropped.
    virtual void SetPalette(const TQorPalette& Palette);
    const TQorPalette& Palette() const { return FPalette; }

    TScaleCaptionAlignHoriz CaptionAlignHoriz() const { return FCaptionAlignHoriz; }
    TScaleCaptionAlignVert CaptionAlignVert() const { return FCaptionAlignVert; }
    virtual void SetCaptionAlignHoriz(TScaleCaptionAlignHoriz v);
    virtual void SetCaptionAlignVert(TScaleCaptionAlignVert v);

    // Stops 1 ... 6.
    virtual TColor Color(int Index) const;
    virtual void SetColor(int Index, TColor v);
    TColor Color1() const { return Color(1); }
    TColor Color2() const { return Color(2); }
    TColor Color3() const { return Color(3); }
    TColor Color4() const { return Color(4); }
    TColor Color5() const { return Color(5); }
    TColor Color6() const { return Color(6); }
    void SetColor1(TColor v) { SetColor(1, v); }
    void SetColor2(TColor v) { SetColor(2, v); }
    void SetColor3(TColor v) { SetColor(3, v); }
    void SetColor4(TColor v) { SetColor(4, v); }
    void SetColor5(TColor v) { SetColor(5, v); }
    void SetColor6(TColor v) { SetColor(6, v); }

    int ColorCount() const { return FColorCount; }
    int ColorLayers() const { return FColorLayers; }
    virtual void SetColorCount(int v);
    virtual void SetColorLayers(int v);

    // max(0, min(DecPlaces, DecPlacesMax)).
    virtual int DecPlaces() const;
    virtual void SetDecPlaces(int v);
    int DecPlacesEndPlus() const { return FDecPlacesEndPlus; }
    bool DecPlacesEqual() const { return FDecPlacesEqual; }
    int DecPlacesMax() const { return FDecPlacesMax; }
    virtual void SetDecPlacesEndPlus(int v);
    virtual void SetDecPlacesEqual(bool v);
    virtual void SetDecPlacesMax(int v);
    // The locale's separator while DecSepLocal is on, else the stored one.
    virtual char DecSep() const;
    virtual void SetDecSep(char v);
    char StoredDecSep() const { return FDecSep; }
    bool DecSepLocal() const { return FDecSepLocal; }
    // A plain flag: no notification, no repaint.
    void SetDecSepLocal(bool v) { FDecSepLocal = v; }

    bool Logarithmic() const { return FLogarithmic; }
    double Max() const { return FMax; }
    double Min() const { return FMin; }
    bool MinMaxRounding() const { return FMinMaxRounding; }
    TColor ScaleColor() const { return FScaleColor; }
    int ScaleWidth() const { return FScaleWidth; }
    TLeftRight TextJustify() const { return FTextJustify; }
    bool Transparent() const { return FTransparent; }
    virtual void SetLogarithmic(bool v);
    virtual void SetMax(double v);
    virtual void SetMin(double v);
    virtual void SetMinMaxRounding(bool v);
    virtual void SetScaleColor(TColor v);
    virtual void SetScaleWidth(int v);
    virtual void SetTextJustify(TLeftRight v);
    virtual void SetTransparent(bool v);

    // The control part: bounds, text, background, font, auto size.
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v);
    // The background colour (used when not Transparent).
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    // Changes made through the font notify the legend.
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& v) { FFont.Assign(v); }
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool v);
    // The side the legend docks to beside the chart (the main window: alRight); a plain field,
    // read by the pictures that put chart and legend side by side.
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v) { FAlign = v; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& v) { FName = v; }
    void SetHost(TQorColorScaleHost* Host) { FHost = Host; }

    // The change batch.
    virtual void Changed();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    bool Updating() const { return FUpdating; }
    int UpdateCount() const { return FUpdateCount; }

    // Draws the legend into Rect, whose top-left corner is (0, 0).
    virtual void DrawScale(TCanvas& Canvas, const TRect& Rect);
    // DrawScale's layout for Rect, with the texts measured in the legend's font by Text (the
    // canvas, its font set); the range as DrawScale repairs it, the properties unchanged.
    TQorColorScaleLayout LayoutScale(const TRect& Rect, TTextMeasure& Text) const;
    // Background (unless Transparent), the legend over the whole client area, then OnPaint.
    virtual void Paint(TCanvas& Canvas);
    // Runs OnDefaultProperties inside a batch.
    virtual void DefaultProperties();

    // The published properties in their stored order, with their defaults; the three forms,
    // Assign and the constructor follow it. StoredProperties: those a mode keeps.
    static const TQorPropList<TQorColorScale>& Properties();
    static const TQorPropList<TQorColorScale>& StoredProperties(TQorColorScaleStoreMode Mode);

    // Named values in the storage's current section, idents Prefix + property name. Saving
    // answers false when the store could not be written.
    virtual bool SaveToStorage(TQorStorage& Storage, const std::string& Prefix,
                               TQorColorScaleStoreMode Mode) const;
    virtual void LoadFromStorage(const TQorStorage& Storage, const std::string& Prefix,
                                 TQorColorScaleStoreMode Mode);
    // The same with Name as the prefix.
    virtual bool SaveToStorageByName(TQorStorage& Storage, TQorColorScaleStoreMode Mode) const;
    virtual void LoadFromStorageByName(const TQorStorage& Storage, TQorColorScaleStoreMode Mode);
    // Named sets under IniFileName\Name\CustomColorScale\SetName with prefix "Prop_"; only
    // with the registry, otherwise they do nothing (saving answers false).
    virtual bool SaveSet(TQorStorage& Storage, const std::string& SetName,
                         TQorColorScaleStoreMode Mode) const;
    virtual void LoadSet(TQorStorage& Storage, const std::string& SetName,
                         TQorColorScaleStoreMode Mode);
    virtual bool DeleteSet(TQorStorage& Storage, const std::string& SetName) const;
    virtual std::vector<std::string> ListSets(TQorStorage& Storage) const;

    // Property text under Prefix (DefaultTextPrefix when empty).
    virtual void WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix,
                             TQorColorScaleStoreMode Mode) const;
    virtual void ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix,
                              TQorColorScaleStoreMode Mode);
    // Binary record. Writing gives 0; reading gives 0, -2 (marker length), -3 (marker), or -1
    // when the record ends early.
    virtual int WriteToFile(TQorBinaryWriter& Writer, TQorColorScaleStoreMode Mode) const;
    virtual int ReadFromFile(TQorBinaryReader& Reader, TQorColorScaleStoreMode Mode);
    // The same on a file; -1 when it cannot be opened, read or written.
    int WriteToFile(const std::string& FileName, TQorColorScaleStoreMode Mode) const;
    int ReadFromFile(const std::string& FileName, TQorColorScaleStoreMode Mode);

    TNotifyEvent OnPaint;
    TNotifyEvent OnColorScaleChanged;
    TNotifyEvent OnDefaultProperties;
    TNotifyEvent OnChange;

private:
    template <typename T> void SetField(T& field, const T& v) {
        if (field == v)
            return;
        field = v;
        Changed();
    }
    void RebuildPalette();
    void Invalidate();
    // DrawScale's steps after the caption.
    void DrawBar(TCanvas& Canvas, const TQorColorScaleLayout& Layout);
    void DrawTicks(TCanvas& Canvas, const TQorColorScaleLayout& Layout) const;
    static void DrawLabels(TCanvas& Canvas, const TQorColorScaleLayout& Layout);
    std::string TextPrefix(const std::string& Prefix) const;
    std::string SetsKey(const TQorStorage& Storage) const;

    bool FChanged = false;
    bool FColorScaleChanged = false;
    QImage FGradient;
    bool FPaletteRebuild = false;
    int FUpdateCount = 0;
    TQorPalette FPalette{};
    bool FDrawing = false;
    TQorColorArray FColors = TQorColorArray(QorColorStopCount);
    bool FUpdating = false;

    // Defaults of the described properties in Properties().
    TScaleCaptionAlignHoriz FCaptionAlignHoriz;
    TScaleCaptionAlignVert FCaptionAlignVert;
    int FColorCount;
    int FColorLayers;
    int FDecPlaces;
    int FDecPlacesEndPlus;
    bool FDecPlacesEqual;
    int FDecPlacesMax;
    char FDecSep;
    bool FDecSepLocal;
    bool FLogarithmic;
    double FMax;
    double FMin;
    bool FMinMaxRounding;
    TColor FScaleColor;
    int FScaleWidth;
    TLeftRight FTextJustify;
    bool FTransparent;

    int FLeft = 0;
    int FTop = 0;
    int FWidth = 46;
    int FHeight = 200;
    std::string FCaption;
    TColor FColor;
    TFont FFont;
    bool FAutoSize = true;
    TAlign FAlign = alNone;
    std::string FName = "QorColorScale";
    TQorColorScaleHost* FHost = nullptr;
};
