#include "QorColSc.h"

#include "PropertyRoundTrip.h"
#include "QorNumText.h"
#include "QorPalette.h"
#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorStrgTestSupport.h"
#include "TCanvas.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace {

struct TTextOp {
    int X, Y;
    std::string Text;
    int Width;
};
struct TLineOp {
    int X1, Y1, X2, Y2;
    TColor Color;
    int Width;
};
struct TFillOp {
    TRect Rect;
    TColor Color;
};

// Fixed metrics: every text 18 high, "-" 5 wide, " -" and "- " 9, any other text 20 unless
// given in Widths.
class TFakeCanvas : public TCanvas {
public:
    void SetFont(const TFont& Font) override { FontName = Font.Name(); }
    void SetPenColor(TColor Color) override { Pen = Color; }
    void SetPenWidth(int Width) override { PenWidth = Width; }
    void SetBrushColor(TColor Color) override { Brush = Color; }
    void SetBrushStyle(TBrushStyle Style) override { BrushStyle = Style; }
    void FillRect(const TRect& Rect) override { Fills.push_back({Rect, Brush}); }
    void Line(int X1, int Y1, int X2, int Y2) override {
        Lines.push_back({X1, Y1, X2, Y2, Pen, PenWidth});
    }
    void TextOut(int X, int Y, const std::string& Text) override {
        Texts.push_back({X, Y, Text, TextWidth(Text)});
    }
    int TextWidth(const std::string& Text) override {
        if (OnMeasure)
            OnMeasure();
        if (Text == "-")
            return 5;
        if (Text == " -" || Text == "- ")
            return 9;
        const auto it = Widths.find(Text);
        return it != Widths.end() ? it->second : 20;
    }
    int TextHeight(const std::string&) override { return 18; }
    void StretchDraw(const TRect& Rect, const QImage& Image) override {
        Stretches.push_back(Rect);
        Gradient = Image.copy();
    }

    std::map<std::string, int> Widths;
    std::function<void()> OnMeasure;
    std::string FontName;
    TColor Pen = clNone, Brush = clNone;
    int PenWidth = 0;
    TBrushStyle BrushStyle = bsSolid;
    std::vector<TTextOp> Texts;
    std::vector<TLineOp> Lines;
    std::vector<TFillOp> Fills;
    std::vector<TRect> Stretches;
    QImage Gradient;
};

struct TCounts {
    int Change = 0;
    int ColorScale = 0;
};

void Count(TQorColorScale& cs, TCounts& n) {
    cs.OnChange = [&n](TObject*) {
        ++n.Change;
    };
    cs.OnColorScaleChanged = [&n](TObject*) {
        ++n.ColorScale;
    };
}

void RestyleLegend(TQorColorScale& l) {
    l.SetCaption("Pressure [hPa]");
    l.SetCaptionAlignHoriz(scaLabels);
    l.SetCaptionAlignVert(scaTop);
    l.SetColor(clCream);
    for (int i = 1; i <= QorColorStopCount; ++i)
        l.SetColor(i, TColor(0x030201 * i));
    l.SetColorCount(5);
    l.SetColorLayers(7);
    l.SetDecPlaces(3);
    l.SetDecPlacesEndPlus(2);
    l.SetDecPlacesEqual(false);
    l.SetDecPlacesMax(8);
    l.SetDecSep(',');
    l.SetDecSepLocal(false);
    l.SetFont(RestyledFont(l.Font(), "Liberation Mono"));
    l.SetLogarithmic(true);
    l.SetMax(5000);
    l.SetMin(2);
    l.SetMinMaxRounding(true);
    l.SetScaleColor(clPurple);
    l.SetScaleWidth(150);
    l.SetTextJustify(taRightJustify);
}

TPropertyValues LegendValues(const TQorColorScale& l) {
    TPropertyValues v;
    v.Add("Caption", l.Caption());
    v.Add("CaptionAlignHoriz", l.CaptionAlignHoriz());
    v.Add("CaptionAlignVert", l.CaptionAlignVert());
    v.Add("Color", l.Color());
    for (int i = 1; i <= QorColorStopCount; ++i)
        v.Add("Color" + std::to_string(i), l.Color(i));
    v.Add("ColorCount", l.ColorCount());
    v.Add("ColorLayers", l.ColorLayers());
    v.Add("DecPlaces", l.DecPlaces());
    v.Add("DecPlacesEndPlus", l.DecPlacesEndPlus());
    v.Add("DecPlacesEqual", l.DecPlacesEqual());
    v.Add("DecPlacesMax", l.DecPlacesMax());
    v.Add("DecSep", l.DecSep());
    v.Add("DecSepLocal", l.DecSepLocal());
    v.Add("Font", l.Font());
    v.Add("Logarithmic", l.Logarithmic());
    v.Add("Max", l.Max());
    v.Add("Min", l.Min());
    v.Add("MinMaxRounding", l.MinMaxRounding());
    v.Add("ScaleColor", l.ScaleColor());
    v.Add("ScaleWidth", l.ScaleWidth());
    v.Add("TextJustify", l.TextJustify());
    return v;
}

} // namespace

TEST(QorColScDefaults, ConstructorValues) {
    TQorColorScale cs;
    EXPECT_EQ(cs.CaptionAlignHoriz(), scaRight);
    EXPECT_EQ(cs.CaptionAlignVert(), scaBottom);
    const TQorColorArray stops = {clBlue, clRed, clYellow, clNone, clNone, clNone};
    for (int i = 1; i <= QorColorStopCount; ++i)
        EXPECT_EQ(cs.Color(i), stops[size_t(i - 1)]) << i;
    EXPECT_EQ(cs.ColorCount(), 3);
    EXPECT_EQ(cs.ColorLayers(), 0);
    EXPECT_EQ(cs.DecPlaces(), 0);
    EXPECT_EQ(cs.DecPlacesEndPlus(), 1);
    EXPECT_TRUE(cs.DecPlacesEqual());
    EXPECT_EQ(cs.DecPlacesMax(), 9);
    EXPECT_EQ(cs.StoredDecSep(), '.');
    EXPECT_TRUE(cs.DecSepLocal());
    EXPECT_FALSE(cs.Logarithmic());
    EXPECT_EQ(cs.Max(), 100);
    EXPECT_EQ(cs.Min(), 0);
    EXPECT_FALSE(cs.MinMaxRounding());
    EXPECT_EQ(cs.ScaleColor(), clBlack);
    EXPECT_EQ(cs.ScaleWidth(), 200);
    EXPECT_EQ(cs.TextJustify(), taLeftJustify);
    EXPECT_TRUE(cs.Transparent());
    EXPECT_EQ(cs.Color(), clWhite);
    EXPECT_EQ(cs.Font().Name(), "Arial");
    EXPECT_EQ(cs.Font().Size(), 10);
    EXPECT_TRUE(cs.AutoSize());

    TQorPalette expected{};
    BuildPalette(expected, stops, 3);
    EXPECT_EQ(cs.Palette(), expected);
    EXPECT_EQ(cs.Palette()[0], clBlue);
    EXPECT_EQ(cs.Palette()[255], clYellow);
}

TEST(QorColScWriters, ClampsAndReaders) {
    TQorColorScale cs;
    cs.SetColorCount(9);
    EXPECT_EQ(cs.ColorCount(), 6);
    cs.SetColorCount(1);
    EXPECT_EQ(cs.ColorCount(), 2);
    cs.SetColorLayers(-3);
    EXPECT_EQ(cs.ColorLayers(), 0);
    cs.SetColorLayers(300);
    EXPECT_EQ(cs.ColorLayers(), 256);

    cs.SetDecPlacesMax(2);
    cs.SetDecPlaces(5);
    EXPECT_EQ(cs.DecPlaces(), 2);
    cs.SetDecPlacesMax(7);
    EXPECT_EQ(cs.DecPlaces(), 5);
    cs.SetDecPlaces(-4);
    EXPECT_EQ(cs.DecPlaces(), 0);
    cs.SetDecPlacesMax(-1);
    EXPECT_EQ(cs.DecPlacesMax(), 0);
    cs.SetDecPlacesEndPlus(-2);
    EXPECT_EQ(cs.DecPlacesEndPlus(), -2);
    cs.SetScaleWidth(-50);
    EXPECT_EQ(cs.ScaleWidth(), -50);
}

TEST(QorColScWriters, DecSepRules) {
    const TScopedLocaleDecSeparator locale(',');
    TQorColorScale cs;
    EXPECT_EQ(cs.DecSep(), ','); // the locale's while DecSepLocal is on
    cs.SetDecSepLocal(false);
    EXPECT_EQ(cs.DecSep(), '.');
    cs.SetDecSep(',');
    EXPECT_EQ(cs.DecSep(), ',');
    cs.SetDecSep(';');
    EXPECT_EQ(cs.DecSep(), '.');

    TCounts n;
    Count(cs, n);
    cs.SetDecSepLocal(true);
    EXPECT_EQ(n.Change, 0); // a plain flag
}

TEST(QorColScBatch, StopsBeyondCountRepaintWithoutRebuild) {
    TQorColorScale cs;
    TCounts n;
    Count(cs, n);
    const TQorPalette before = cs.Palette();
    cs.SetColor5(clGreen);
    EXPECT_EQ(n.Change, 1);
    EXPECT_EQ(n.ColorScale, 0);
    EXPECT_EQ(cs.Palette(), before);

    cs.SetColor3(clGreen);
    EXPECT_EQ(n.Change, 2);
    EXPECT_EQ(n.ColorScale, 1);
    EXPECT_EQ(cs.Palette()[255], clGreen);

    cs.SetColor3(clGreen); // unchanged value: nothing
    EXPECT_EQ(n.Change, 2);
}

TEST(QorColScBatch, OneChangeForABatch) {
    TQorColorScale cs;
    TCounts n;
    Count(cs, n);
    cs.BeginUpdate();
    cs.BeginUpdate();
    cs.SetColorCount(2);
    cs.SetColor1(clBlack);
    cs.SetColor2(clWhite);
    cs.SetColorLayers(2);
    cs.SetMax(50);
    cs.Font().SetSize(12);
    cs.EndUpdate();
    EXPECT_EQ(n.Change, 0);
    EXPECT_TRUE(cs.Updating());
    cs.EndUpdate();
    EXPECT_FALSE(cs.Updating());
    EXPECT_EQ(n.Change, 1);
    EXPECT_EQ(n.ColorScale, 1);
    EXPECT_EQ(cs.Palette()[127], clBlack);
    EXPECT_EQ(cs.Palette()[128], clWhite);

    cs.EndUpdate(); // unmatched: stays at 0 and reports nothing new
    EXPECT_EQ(cs.UpdateCount(), 0);
    EXPECT_EQ(n.Change, 1);

    cs.BeginUpdate();
    cs.EndUpdate(); // nothing changed
    EXPECT_EQ(n.Change, 1);
}

TEST(QorColScBatch, PresetAndInvertThroughTheLegend) {
    TQorColorScale cs;
    TCounts n;
    Count(cs, n);
    ApplyPalettePreset(cs, ppGray);
    EXPECT_EQ(n.ColorScale, 1);
    EXPECT_EQ(cs.Palette()[128], RGBColor(192, 192, 192));
    InvertPalette(cs);
    EXPECT_EQ(cs.Color1(), clWhite);
    EXPECT_EQ(cs.Color3(), clBlack);
    EXPECT_EQ(n.Change, 2);
}

TEST(QorColScBatch, SetPaletteReplacesAPendingRebuild) {
    TQorColorScale cs;
    TQorPalette table{};
    table.fill(clRed);
    cs.BeginUpdate();
    cs.SetColor1(clGreen);
    cs.SetPalette(table);
    cs.EndUpdate();
    EXPECT_EQ(cs.Palette(), table);
}

TEST(QorColScAssign, CopiesPublishedPropertiesOnly) {
    TQorColorScale src;
    RestyleLegend(src);
    src.SetDecPlaces(6);
    src.SetDecPlacesMax(3);
    src.SetTransparent(false);
    src.SetColor(clYellow);
    src.SetAutoSize(false);
    src.SetBounds(5, 6, 70, 80);

    TQorColorScale dst;
    TCounts n;
    Count(dst, n);
    dst.Assign(&src);
    EXPECT_EQ(n.Change, 1);
    EXPECT_EQ(n.ColorScale, 1);
    const auto copied = LegendValues(src).Values();
    const auto got = LegendValues(dst).Values();
    ASSERT_EQ(got.size(), copied.size());
    for (size_t i = 0; i < got.size(); ++i) {
        if (copied[i].first != "Color") {
            EXPECT_EQ(got[i], copied[i]);
        }
    }
    EXPECT_EQ(dst.DecPlaces(), 3); // the source reader's value
    EXPECT_FALSE(dst.Transparent());
    EXPECT_EQ(dst.Palette(), src.Palette());
    EXPECT_EQ(dst.Color(), clWhite);
    EXPECT_TRUE(dst.AutoSize());
    EXPECT_EQ(dst.Width(), 46);

    TObject other;
    dst.Assign(&other);
    EXPECT_EQ(n.Change, 1);
}

// The layout example: a 46 x 255 area, text 18 high, "-" 5 wide, " -" 9 wide, labels 20 wide.
TEST(QorColScDraw, LayoutExample) {
    TQorColorScale cs;
    cs.SetCaption("Value");
    TFakeCanvas canvas;
    canvas.Widths["Value"] = 30;
    cs.DrawScale(canvas, TRect{0, 0, 46, 255});

    EXPECT_EQ(cs.Width(), 39); // content width, for the next drawing
    ASSERT_FALSE(canvas.Texts.empty());
    const TTextOp& caption = canvas.Texts.front();
    EXPECT_EQ(caption.Text, "Value");
    EXPECT_EQ(caption.X + caption.Width, 46);
    EXPECT_EQ(caption.Y, 233);

    ASSERT_EQ(canvas.Stretches.size(), 1u);
    EXPECT_EQ(canvas.Stretches[0], (TRect{36, 11, 46, 217})); // columns 36 ... 45
    ASSERT_EQ(canvas.Gradient.height(), 256);
    EXPECT_EQ(canvas.Gradient.pixel(0, 0) & 0xFFFFFF, 0xFFFF00u);   // top row: entry 255, yellow
    EXPECT_EQ(canvas.Gradient.pixel(0, 255) & 0xFFFFFF, 0x0000FFu); // bottom row: entry 0, blue

    ASSERT_GE(canvas.Lines.size(), 2u);
    for (const TLineOp& l : canvas.Lines) {
        EXPECT_EQ(l.X1, 31);
        EXPECT_EQ(l.X2, 47); // end point left out: columns 31 ... 46
        EXPECT_EQ(l.Y1, l.Y2);
        EXPECT_EQ(l.Color, clBlack);
        EXPECT_EQ(l.Width, 1);
    }
    EXPECT_EQ(canvas.Lines.front().Y1, 217);
    EXPECT_EQ(canvas.Lines.back().Y1, 11);

    ASSERT_EQ(canvas.Texts.size(), canvas.Lines.size() + 1);
    for (size_t i = 1; i < canvas.Texts.size(); ++i) {
        const TTextOp& t = canvas.Texts[i];
        EXPECT_EQ(t.X + t.Width, 27) << t.Text;
        EXPECT_EQ(t.Y, canvas.Lines[i - 1].Y1 - 9) << t.Text;
    }
    EXPECT_EQ(canvas.Texts[1].Text, "0");
    EXPECT_EQ(canvas.Texts.back().Text, "100");
}

// The same example laid out without a canvas: the layout measures through a TTextMeasure and
// leaves the legend as it is.
TEST(QorColScDraw, LayoutWithoutACanvas) {
    struct TFixedMeasure : TTextMeasure {
        int TextWidth(const std::string& Text) override {
            return Text == "Value" ? 30 : Text == "-" ? 5 : Text == " -" || Text == "- " ? 9 : 20;
        }
        int TextHeight(const std::string&) override { return 18; }
    } measure;
    TQorColorScale cs;
    cs.SetCaption("Value");
    const TQorColorScaleLayout l = cs.LayoutScale(TRect{0, 0, 46, 255}, measure);
    EXPECT_EQ(l.ContentWidth, 39);
    EXPECT_EQ(cs.Width(), 46);
    EXPECT_EQ(l.Caption, (TPoint{46 - 30, 233}));
    ASSERT_TRUE(l.BarShown);
    EXPECT_EQ(l.Bar, (TRect{36, 11, 46, 217}));
    EXPECT_EQ(l.TickLeft, 31);
    EXPECT_EQ(l.TickRight, 47);
    ASSERT_GE(l.Ticks.size(), 2u);
    EXPECT_EQ(l.Ticks.front(), 217);
    EXPECT_EQ(l.Ticks.back(), 11);
    ASSERT_EQ(l.Labels.size(), l.Ticks.size());
    EXPECT_EQ(l.Labels.front().Text, "0");
    EXPECT_EQ(l.Labels.front().At, (TPoint{27 - 20, 217 - 9}));
    EXPECT_EQ(l.Labels.back().Text, "100");
}

TEST(QorColScDraw, RightJustifiedAndCaptionPlaces) {
    TQorColorScale cs;
    cs.SetCaption("C");
    cs.SetTextJustify(taRightJustify);
    cs.SetCaptionAlignVert(scaTop);
    cs.SetCaptionAlignHoriz(scaLabels);
    TFakeCanvas canvas;
    canvas.Widths["C"] = 12;
    cs.DrawScale(canvas, TRect{0, 0, 60, 300});

    EXPECT_EQ(cs.Width(), 9 + 20 + 10);
    const TTextOp& caption = canvas.Texts.front();
    EXPECT_EQ(caption.X, 9 + 10);
    EXPECT_EQ(caption.Y, 4); // 0.25 * 18 = 4.5 rounds to 4
    ASSERT_EQ(canvas.Stretches.size(), 1u);
    // The caption band (27) is taken off the top.
    EXPECT_EQ(canvas.Stretches[0], (TRect{0, 27 + 11, 10, 300 - 11}));
    for (const TLineOp& l : canvas.Lines) {
        EXPECT_EQ(l.X1, 0);
        EXPECT_EQ(l.X2, 10 + 5 + 1);
    }
    for (size_t i = 1; i < canvas.Texts.size(); ++i)
        EXPECT_EQ(canvas.Texts[i].X, 10 + 9);
}

TEST(QorColScDraw, CaptionAlignments) {
    const auto captionX = [](TScaleCaptionAlignHoriz a, TLeftRight j) {
        TQorColorScale cs;
        cs.SetCaption("Cap");
        cs.SetCaptionAlignHoriz(a);
        cs.SetTextJustify(j);
        TFakeCanvas canvas;
        canvas.Widths["Cap"] = 16;
        canvas.Widths["Cap -"] = 25;
        cs.DrawScale(canvas, TRect{0, 0, 50, 255});
        return canvas.Texts.front().X;
    };
    EXPECT_EQ(captionX(scaLeft, taLeftJustify), 0);
    EXPECT_EQ(captionX(scaRight, taLeftJustify), 34);
    EXPECT_EQ(captionX(scaCenter, taLeftJustify), 17);
    EXPECT_EQ(captionX(scaLabels, taLeftJustify), 50 - 25 - 10);
    EXPECT_EQ(captionX(scaLabels, taRightJustify), 9 + 10);
}

// Drawing repairs a range it cannot lay out and writes the repair back, silently; the repair
// never leaves a reversed range.
TEST(QorColScDraw, RangeRepairIsWrittenBack) {
    const double nan = std::nan("");
    const struct {
        double Min, Max, RepairedMin, RepairedMax;
    } cases[] = {{5, 5, 5, 6},
                 {10, 2, 2, 10},
                 {-2e39, 1e40, 0, 1},
                 {5, 1e40, 1, 5}, // the limit alone would give 5 ... 1
                 {nan, 3, 0, 3}};
    for (const auto& c : cases) {
        TQorColorScale cs;
        TCounts n;
        Count(cs, n);
        cs.SetMin(c.Min);
        cs.SetMax(c.Max);
        const int changes = n.Change;
        TFakeCanvas canvas;
        cs.DrawScale(canvas, TRect{0, 0, 46, 255});
        EXPECT_LT(cs.Min(), cs.Max()) << c.Min << " ... " << c.Max;
        EXPECT_EQ(cs.Min(), c.RepairedMin) << c.Min << " ... " << c.Max;
        EXPECT_EQ(cs.Max(), c.RepairedMax) << c.Min << " ... " << c.Max;
        EXPECT_EQ(n.Change, changes) << c.Min << " ... " << c.Max;
    }
    TQorColorScale cs;
    cs.SetMin(1e17);
    cs.SetMax(1e17);
    TFakeCanvas canvas;
    cs.DrawScale(canvas, TRect{0, 0, 46, 255});
    EXPECT_LT(cs.Min(), cs.Max());
}

TEST(QorColScDraw, TooSmallAreasShowOnlyTheCaption) {
    TQorColorScale cs;
    cs.SetCaption("V");
    TFakeCanvas zeroHigh;
    cs.DrawScale(zeroHigh, TRect{0, 0, 46, 0});
    ASSERT_EQ(zeroHigh.Texts.size(), 1u);
    EXPECT_LT(zeroHigh.Texts[0].Y, 0); // lands outside the area
    EXPECT_TRUE(zeroHigh.Lines.empty());
    EXPECT_TRUE(zeroHigh.Stretches.empty());

    TFakeCanvas noWidth;
    cs.DrawScale(noWidth, TRect{0, 0, 0, 255});
    EXPECT_EQ(noWidth.Texts.size(), 1u);
    EXPECT_TRUE(noWidth.Stretches.empty());
}

TEST(QorColScDraw, MinMaxRoundingFillsTheEnds) {
    TQorColorScale cs;
    cs.SetMin(3);
    cs.SetMax(97);
    cs.SetMinMaxRounding(true);
    TFakeCanvas canvas;
    cs.DrawScale(canvas, TRect{0, 0, 46, 255});
    ASSERT_EQ(canvas.Fills.size(), 2u);
    ASSERT_EQ(canvas.Stretches.size(), 1u);
    const TRect bar = canvas.Stretches[0];
    EXPECT_EQ(canvas.Fills[0].Color, cs.Palette()[0]);
    EXPECT_EQ(canvas.Fills[0].Rect.Top, bar.Bottom);
    EXPECT_EQ(canvas.Fills[0].Rect.Bottom, 217);
    EXPECT_EQ(canvas.Fills[1].Color, cs.Palette()[255]);
    EXPECT_EQ(canvas.Fills[1].Rect.Top, 11);
    EXPECT_EQ(canvas.Fills[1].Rect.Bottom, bar.Top);
    EXPECT_GT(bar.Top, 11);
    EXPECT_LT(bar.Bottom, 217);
}

TEST(QorColScDraw, LogarithmicDrawsMinorTicksOnTheBar) {
    TQorColorScale cs;
    cs.SetLogarithmic(true);
    cs.SetMin(1);
    cs.SetMax(1000);
    TFakeCanvas canvas;
    cs.DrawScale(canvas, TRect{0, 0, 46, 400});
    const auto minor = std::count_if(canvas.Lines.begin(), canvas.Lines.end(),
                                     [](const TLineOp& l) { return l.X1 == 36 && l.X2 == 47; });
    EXPECT_EQ(minor, 24); // 2 ... 9, 20 ... 90, 200 ... 900
}

TEST(QorColScDraw, ADrawingInsideADrawingDoesNothing) {
    TQorColorScale cs;
    TFakeCanvas inner;
    TFakeCanvas outer;
    int nested = 0;
    outer.OnMeasure = [&] {
        if (nested++ == 0)
            cs.DrawScale(inner, TRect{0, 0, 46, 255});
    };
    cs.DrawScale(outer, TRect{0, 0, 46, 255});
    EXPECT_TRUE(inner.Texts.empty());
    EXPECT_TRUE(inner.Lines.empty());
    EXPECT_FALSE(outer.Lines.empty());
    cs.DrawScale(inner, TRect{0, 0, 46, 255}); // the flag is cleared afterwards
    EXPECT_FALSE(inner.Lines.empty());
}

TEST(QorColScDraw, ExceptionClearsTheDrawingFlag) {
    TQorColorScale cs;
    TFakeCanvas failing;
    failing.OnMeasure = [] {
        throw std::runtime_error("canvas lost");
    };
    EXPECT_THROW(cs.DrawScale(failing, TRect{0, 0, 46, 255}), std::runtime_error);
    TFakeCanvas ok;
    cs.DrawScale(ok, TRect{0, 0, 46, 255});
    EXPECT_FALSE(ok.Lines.empty());
}

TEST(QorColScPaint, BackgroundAndUpdatingState) {
    TQorColorScale cs;
    cs.SetBounds(0, 0, 46, 255);
    int painted = 0;
    cs.OnPaint = [&](TObject*) {
        ++painted;
    };
    TFakeCanvas transparent;
    cs.Paint(transparent);
    EXPECT_TRUE(transparent.Fills.empty());
    EXPECT_EQ(painted, 1);

    cs.SetTransparent(false);
    cs.SetColor(clAqua);
    TFakeCanvas opaque;
    cs.Paint(opaque);
    ASSERT_FALSE(opaque.Fills.empty());
    EXPECT_EQ(opaque.Fills[0].Rect, (TRect{0, 0, 39, 255})); // AutoSize of the first paint
    EXPECT_EQ(opaque.Fills[0].Color, clAqua);
    EXPECT_EQ(opaque.FontName, "Arial");

    cs.BeginUpdate();
    TFakeCanvas updating;
    cs.Paint(updating);
    EXPECT_TRUE(updating.Fills.empty());
    EXPECT_TRUE(updating.Texts.empty());
    cs.EndUpdate();
}

TEST(QorColScPaint, AutoSizeSetsTheWidthForTheNextPaint) {
    TQorColorScale cs;
    cs.SetBounds(0, 0, 80, 255);
    TFakeCanvas first;
    cs.Paint(first);
    EXPECT_EQ(cs.Width(), 39);
    EXPECT_EQ(first.Stretches[0].Right, 80); // the running drawing keeps its area
    TFakeCanvas second;
    cs.Paint(second);
    EXPECT_EQ(second.Stretches[0].Right, 39);

    cs.SetAutoSize(false);
    cs.SetWidth(70);
    TFakeCanvas third;
    cs.Paint(third);
    EXPECT_EQ(cs.Width(), 70);
}

namespace {

// Every stored property and the palette they build.
void ExpectSameProperties(const TQorColorScale& a, const TQorColorScale& b) {
    EXPECT_EQ(LegendValues(a).Values(), LegendValues(b).Values());
    EXPECT_EQ(a.Palette(), b.Palette());
}

} // namespace

TEST(QorColScText, FullRoundTripWithPrefix) {
    TQorColorScale src;
    RestyleLegend(src);
    TQorPropTextWriter w;
    src.WriteToText(w, "Legend_", csmFull);
    const std::string& text = w.Text();
    EXPECT_EQ(text.rfind("[Legend_FileVer]\r\nTQorColorScaleV7.2\r\n[Legend_Caption]\r\n", 0), 0u);
    EXPECT_NE(text.find("[Legend_DecSep]\r\n,\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Legend_FontStylefsStrikeOut]\r\nTRUE\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Legend_Max]\r\n5000\r\n"), std::string::npos);
    EXPECT_LT(text.find("[Legend_DecSepLocal]"), text.find("[Legend_FontCharset]"));
    EXPECT_LT(text.find("[Legend_FontStylefsStrikeOut]"), text.find("[Legend_Logarithmic]"));

    TQorColorScale dst;
    TCounts n;
    Count(dst, n);
    TQorPropTextReader r(text);
    dst.ReadFromText(r, "Legend_", csmFull);
    EXPECT_EQ(n.Change, 1);
    ExpectSameProperties(src, dst);
}

TEST(QorColScText, EmptyPrefixAndWriterValues) {
    const TScopedLocaleDecSeparator locale(',');
    TQorColorScale cs;
    cs.SetDecPlacesMax(2);
    cs.SetDecPlaces(5);
    TQorPropTextWriter w;
    cs.WriteToText(w, "", csmFull);
    EXPECT_NE(w.Text().find("[QorColorScale_DecPlaces]\r\n2\r\n"), std::string::npos);
    // The reader's separator: the locale's while DecSepLocal is on.
    EXPECT_NE(w.Text().find("[QorColorScale_DecSep]\r\n,\r\n"), std::string::npos);
    EXPECT_NE(w.Text().find("[QorColorScale_Max]\r\n100\r\n"), std::string::npos);
}

TEST(QorColScText, FontOnlyMode) {
    TQorColorScale cs;
    cs.Font().SetName("Times");
    TQorPropTextWriter w;
    cs.WriteToText(w, "", csmFontOnly);
    const std::vector<std::string> lines = SplitTextLines(w.Text());
    ASSERT_EQ(lines.size(), 2u + 2u * 10u);
    EXPECT_EQ(lines[0], "[QorColorScale_FileVer]");
    EXPECT_EQ(lines[2], "[QorColorScale_FontCharset]");
    EXPECT_EQ(lines[9], "Times");
}

// A property file as the main window writes it: the chart's block, then the legend's font.
TEST(QorColScText, FontOnlyBlockReadFromAChartPropertyFile) {
    const std::string cpr = "[FileVer]\r\nTQor3DDrawV7.2\r\n"
                            "[BackgroundColor]\r\n16777215\r\n"
                            "[AxisX_FileVerAxis3D]\r\nTQorChartAxis3DV7\r\n"
                            "[AxisX_AutoMax]\r\nTRUE\r\n"
                            "[Dim4Caption]\r\nv\r\n"
                            "[Wired]\r\nFALSE\r\n"
                            "[QorColorScale_FileVer]\r\nTQorColorScaleV7.2\r\n"
                            "[QorColorScale_Max]\r\n77\r\n"
                            "[qorcolorscale_fontcharset]\r\n0\r\n"
                            "[QorColorScale_FontColor]\r\n255\r\n"
                            "[QorColorScale_FontHeight]\r\n-16\r\n"
                            "[QorColorScale_FontName]\r\nLiberation Sans\r\n"
                            "[QorColorScale_FontPitch]\r\n2\r\n"
                            "[QorColorScale_FontSize]\r\n12\r\n"
                            "[QorColorScale_FontStylefsBold]\r\ntrue\r\n"
                            "[QorColorScale_FontStylefsItalic]\r\nFALSE\r\n"
                            "[QorColorScale_FontStylefsUnderline]\r\nFALSE\r\n"
                            "[QorColorScale_FontStylefsStrikeOut]\r\nTRUE\r\n";
    TQorColorScale cs;
    TCounts n;
    Count(cs, n);
    TQorPropTextReader r(cpr);
    cs.ReadFromText(r, "", csmFontOnly);
    EXPECT_EQ(n.Change, 1);
    EXPECT_EQ(cs.Font().Charset(), 0);
    EXPECT_EQ(cs.Font().Color(), clRed);
    EXPECT_EQ(cs.Font().Name(), "Liberation Sans");
    EXPECT_EQ(cs.Font().Pitch(), fpFixed);
    EXPECT_EQ(cs.Font().Size(), 12); // applied after the height
    EXPECT_EQ(cs.Font().Style(), (TFontStyles{fsBold, fsStrikeOut}));
    EXPECT_EQ(cs.Max(), 100); // font-only reads nothing else
}

TEST(QorColScText, MissingAndBadValuesKeepTheCurrentOnes) {
    TQorColorScale cs;
    cs.SetCaption("keep");
    const std::string text = "[QorColorScale_ColorCount]\r\n9\r\n"
                             "[QorColorScale_DecPlacesMax]\r\nabc\r\n"
                             "[QorColorScale_Min]\r\n1,5\r\n"
                             "[QorColorScale_TextJustify]\r\n7\r\n";
    TQorPropTextReader r(text);
    cs.ReadFromText(r, "", csmFull);
    EXPECT_EQ(cs.Caption(), "keep");
    EXPECT_EQ(cs.ColorCount(), 6); // through the writer
    EXPECT_EQ(cs.DecPlacesMax(), 9);
    EXPECT_EQ(cs.Min(), 1.5);
    EXPECT_EQ(cs.TextJustify(), taLeftJustify);
}

TEST(QorColScBinary, RoundTripsAndLayout) {
    TQorColorScale src;
    RestyleLegend(src);
    TQorBinaryWriter w;
    EXPECT_EQ(src.WriteToFile(w, csmFull), 0);
    const std::string& bytes = w.Bytes();
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x12\0\0\0", 4));
    EXPECT_EQ(bytes.substr(4, 18), "TQorColorScaleV7.2");
    // marker, caption ("Pressure [hPa]"), 2 bytes, 11 ints, 1, 4, 1, 1, font, 1, 8, 8, 1, 4, 4, 1
    const size_t font = 1 + 4 + 4 + 4 + src.Font().Name().size() + 1 + 4 + 1;
    EXPECT_EQ(bytes.size(),
              22 + 4 + 14 + 2 + 44 + 1 + 4 + 1 + 1 + font + 1 + 8 + 8 + 1 + 4 + 4 + 1);

    TQorColorScale dst;
    TCounts n;
    Count(dst, n);
    TQorBinaryReader r(bytes);
    EXPECT_EQ(dst.ReadFromFile(r, csmFull), 0);
    EXPECT_EQ(n.Change, 1);
    ExpectSameProperties(src, dst);

    TQorBinaryWriter fontOnly;
    src.WriteToFile(fontOnly, csmFontOnly);
    EXPECT_EQ(fontOnly.Bytes().size(), 22 + font);
    TQorColorScale f;
    TQorBinaryReader fr(fontOnly.Bytes());
    EXPECT_EQ(f.ReadFromFile(fr, csmFontOnly), 0);
    EXPECT_TRUE(f.Font().SameAs(src.Font()));
    EXPECT_EQ(f.Max(), 100);
}

TEST(QorColScBinary, ResultCodes) {
    TQorColorScale cs;
    TCounts n;
    Count(cs, n);

    TQorBinaryWriter longMarker;
    longMarker.WriteInt(500);
    TQorBinaryReader r1(longMarker.Bytes());
    EXPECT_EQ(cs.ReadFromFile(r1, csmFull), -2);

    TQorBinaryWriter wrongMarker;
    wrongMarker.WriteString("TQorChartAxis3DV7");
    TQorBinaryReader r2(wrongMarker.Bytes());
    EXPECT_EQ(cs.ReadFromFile(r2, csmFull), -3);
    EXPECT_EQ(n.Change, 0);

    TQorColorScale src;
    RestyleLegend(src);
    TQorBinaryWriter w;
    src.WriteToFile(w, csmFull);
    const std::string cut = w.Bytes().substr(0, w.Bytes().size() - 20);
    TQorBinaryReader r3(cut);
    EXPECT_EQ(cs.ReadFromFile(r3, csmFull), -1);
    EXPECT_EQ(cs.UpdateCount(), 0); // the batch is closed on every path
    EXPECT_EQ(n.Change, 1);
    EXPECT_EQ(cs.Caption(), src.Caption()); // values before the cut are applied
    EXPECT_TRUE(cs.Font().SameAs(src.Font()));
    EXPECT_EQ(cs.TextJustify(), taLeftJustify); // after the cut: kept
}

TEST(QorColScBinary, Files) {
    TempDir dir;
    TQorColorScale src;
    RestyleLegend(src);
    const std::string file = dir.File("legend.bin");
    EXPECT_EQ(src.WriteToFile(file, csmFull), 0);
    TQorColorScale dst;
    EXPECT_EQ(dst.ReadFromFile(file, csmFull), 0);
    ExpectSameProperties(src, dst);
    EXPECT_EQ(dst.ReadFromFile(dir.File("missing.bin"), csmFull), -1);
    EXPECT_EQ(src.WriteToFile(dir.File("no/such/folder/x.bin"), csmFull), -1);
}

namespace {

// Draws through a QPainter canvas and keeps the rectangle of every text written.
class TRecordingCanvas : public TQPainterCanvas {
public:
    using TQPainterCanvas::TQPainterCanvas;
    void TextOut(int X, int Y, const std::string& Text) override {
        TQPainterCanvas::TextOut(X, Y, Text);
        if (!Text.empty())
            TextRects.push_back({Text, TRect{X, Y, X + TextWidth(Text), Y + TextHeight(Text)}});
    }
    std::vector<std::pair<std::string, TRect>> TextRects;
};

struct TPicture {
    QImage Image;
    std::vector<std::pair<std::string, TRect>> Labels; // the caption left out
};

// Paints the legend at its current width into a white 80-pixel wide picture.
TPicture DrawLegend(TQorColorScale& cs, int height) {
    cs.SetHeight(height);
    TPicture pic;
    pic.Image = QImage(80, height, QImage::Format_RGB32);
    pic.Image.fill(Qt::white);
    QPainter painter(&pic.Image);
    TRecordingCanvas canvas(painter);
    cs.Paint(canvas);
    for (const auto& t : canvas.TextRects)
        if (t.first != cs.Caption())
            pic.Labels.push_back(t);
    return pic;
}

bool IsInk(QRgb p) {
    return qGray(p) < 160;
}

// Rows of the label column that hold dark pixels, grouped into runs.
std::vector<std::pair<int, int>> InkRuns(const QImage& img, int x0, int x1, int y0, int y1) {
    std::vector<std::pair<int, int>> runs;
    for (int y = y0; y < y1; ++y) {
        bool ink = false;
        for (int x = x0; x < x1 && !ink; ++x)
            ink = IsInk(img.pixel(x, y));
        if (!ink)
            continue;
        if (!runs.empty() && runs.back().second == y - 1)
            runs.back().second = y;
        else
            runs.push_back({y, y});
    }
    return runs;
}

void ExpectLabelsApart(const TPicture& pic, const std::vector<std::string>& expected) {
    std::vector<std::string> texts;
    for (const auto& l : pic.Labels)
        texts.push_back(l.first);
    EXPECT_EQ(texts, expected);
    for (size_t i = 1; i < pic.Labels.size(); ++i) {
        // Labels run upward: each one's bottom lies at or above the previous one's top.
        EXPECT_LE(pic.Labels[i].second.Bottom, pic.Labels[i - 1].second.Top)
            << pic.Labels[i].first << " overlaps " << pic.Labels[i - 1].first;
    }
    int labelRight = 0;
    for (const auto& l : pic.Labels)
        labelRight = std::max(labelRight, l.second.Right);
    // The ink in the label column forms one separate band per label, inside its rectangle.
    const auto runs = InkRuns(pic.Image, 0, labelRight, 0, pic.Image.height() - 25);
    ASSERT_EQ(runs.size(), pic.Labels.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        const TRect& r = pic.Labels[pic.Labels.size() - 1 - i].second;
        EXPECT_GE(runs[i].first, r.Top);
        EXPECT_LT(runs[i].second, r.Bottom);
    }
}

} // namespace

TEST(QorColScPicture, RealFontIsLiberationSans) {
    const TQorColorScale cs;
    EXPECT_EQ(QFontInfo(cs.Font().ToQFont()).family(), "Liberation Sans");
}

TEST(QorColScPicture, LinearZeroToHundred) {
    TQorColorScale cs;
    cs.SetCaption("Height");
    cs.SetTransparent(false);
    TPicture pic = DrawLegend(cs, 300);
    pic = DrawLegend(cs, 300); // the second paint uses the auto-sized width
    TempDir dir;
    ASSERT_TRUE(pic.Image.save(QString::fromStdString(dir.File("linear.png"))));

    ASSERT_GE(pic.Labels.size(), 3u);
    EXPECT_EQ(pic.Labels.front().first, "0");
    EXPECT_EQ(pic.Labels.back().first, "100");
    std::vector<std::string> texts;
    for (const auto& l : pic.Labels)
        texts.push_back(l.first);
    ExpectLabelsApart(pic, texts);

    // The bar, unsmoothed: every row between the end ticks is one palette entry, the entries
    // falling from 255 at the top to 0 at the bottom.
    const int barX = cs.Width() - 2;
    const int top = pic.Labels.back().second.Top + pic.Labels.back().second.Height() / 2;
    const int bottom = pic.Labels.front().second.Top + pic.Labels.front().second.Height() / 2;
    std::vector<int> entries;
    for (int y = top; y < bottom; ++y) {
        const QRgb p = pic.Image.pixel(barX, y) & 0xFFFFFF;
        const auto it = std::find_if(cs.Palette().begin(), cs.Palette().end(), [&](TColor c) {
            return (qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF) == p;
        });
        if (it != cs.Palette().end())
            entries.push_back(int(it - cs.Palette().begin()));
        else
            EXPECT_EQ(p, 0u) << "row " << y; // only the black tick lines are not palette colours
    }
    ASSERT_GT(entries.size(), 100u);
    EXPECT_GE(entries.front(), 250);
    EXPECT_LE(entries.back(), 5);
    EXPECT_TRUE(std::is_sorted(entries.rbegin(), entries.rend()));
    // The caption sits below the bar.
    EXPECT_FALSE(InkRuns(pic.Image, 0, cs.Width(), bottom + 8, 300).empty());
}

TEST(QorColScPicture, LogarithmicOneToThousand) {
    TQorColorScale cs;
    cs.SetLogarithmic(true);
    cs.SetMin(1);
    cs.SetMax(1000);
    cs.SetColorCount(2);
    cs.SetColor1(clBlack);
    cs.SetColor2(clWhite);
    TPicture pic = DrawLegend(cs, 260);
    pic = DrawLegend(cs, 260);
    ExpectLabelsApart(pic, {"1", "10", "100", "1000"});
    // Decades equally spaced.
    const int d1 = pic.Labels[0].second.Top - pic.Labels[1].second.Top;
    const int d2 = pic.Labels[1].second.Top - pic.Labels[2].second.Top;
    EXPECT_LE(std::abs(d1 - d2), 1);
}

using QorColScStorage = TQorStorageModeTest;

TEST_P(QorColScStorage, FullRoundTripUnderTheOwnName) {
    TQorColorScale src;
    RestyleLegend(src);
    EXPECT_TRUE(src.SaveToStorageByName(store, csmFull));
    EXPECT_EQ(store.ReadString("QorColorScaleFileVer", ""), "TQorColorScaleV7.2");
    EXPECT_EQ(store.ReadString("QorColorScaleFont_Name", ""), "Liberation Mono");
    EXPECT_EQ(store.ReadInteger("QorColorScaleLogarithmic", -1), 1);
    EXPECT_EQ(store.ReadString("QorColorScaleDecSep", ""), ",");

    TQorColorScale dst;
    TCounts n;
    Count(dst, n);
    dst.LoadFromStorageByName(store, csmFull);
    EXPECT_EQ(n.Change, 1);
    ExpectSameProperties(src, dst);
}

TEST_P(QorColScStorage, FontOnlyAndMissingIdents) {
    TQorColorScale src;
    RestyleLegend(src);
    EXPECT_TRUE(src.SaveToStorage(store, "Legend", csmFontOnly));
    EXPECT_FALSE(store.ValueExists("LegendMax"));
    TQorColorScale dst;
    dst.SetMax(42);
    dst.LoadFromStorage(store, "Legend", csmFull); // only the font is there
    EXPECT_TRUE(dst.Font().SameAs(src.Font()));
    EXPECT_EQ(dst.Max(), 42);
    EXPECT_EQ(dst.ColorCount(), 3);
}

TEST_P(QorColScStorage, NamedSetsNeedTheRegistry) {
    TQorColorScale src;
    RestyleLegend(src);
    const bool registry = GetParam();
    EXPECT_EQ(src.SaveSet(store, "Warm", csmFull), registry);
    EXPECT_EQ(src.SaveSet(store, "Cold", csmFontOnly), registry);
    EXPECT_EQ(store.IniFileName(), registry ? "Software\\plotyra" : dir.File("plotyra.ini"));
    EXPECT_EQ(src.ListSets(store),
              registry ? (std::vector<std::string>{"Cold", "Warm"}) : std::vector<std::string>{});
    TQorColorScale dst;
    dst.LoadSet(store, "Warm", csmFull);
    if (registry) {
        ExpectSameProperties(src, dst);
        store.SetIniFileName("Software\\plotyra\\QorColorScale\\CustomColorScale\\Warm");
        EXPECT_EQ(store.ReadInteger("Prop_ScaleWidth", 0), 150);
        store.SetIniFileName("Software\\plotyra");
    } else {
        EXPECT_EQ(dst.Max(), 100);
    }
    EXPECT_EQ(src.DeleteSet(store, "Warm"), registry);
    EXPECT_EQ(src.ListSets(store),
              registry ? std::vector<std::string>{"Cold"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(RegistryAndIni, QorColScStorage, ::testing::Bool());

// ---- Every property through every form --------------------------------------------------------

// Assign leaves the background colour to the legend's owner.
TEST(EveryProperty, Legend) {
    EXPECT_EQ(LegendValues(TQorColorScale()).Names(), StoredKeys(TQorColorScale::Properties()));
    using L = TQorColorScale;
    std::vector<TPropertyForm<L>> forms;
    forms.push_back({"property text", [](const L& s, L& t) {
                         TQorPropTextWriter w;
                         s.WriteToText(w, "Legend_", csmFull);
                         TQorPropTextReader r(w.Text());
                         t.ReadFromText(r, "Legend_", csmFull);
                     }});
    forms.push_back({"storage", [](const L& s, L& t) {
                         TTempIniStorage ini;
                         ASSERT_TRUE(s.SaveToStorage(ini.Storage, "Q", csmFull));
                         t.LoadFromStorage(ini.Storage, "Q", csmFull);
                     }});
    forms.push_back({"binary record", [](const L& s, L& t) {
                         TQorBinaryWriter w;
                         ASSERT_EQ(s.WriteToFile(w, csmFull), 0);
                         TQorBinaryReader r(w.Bytes());
                         ASSERT_EQ(t.ReadFromFile(r, csmFull), 0);
                     }});
    forms.push_back({"Assign", [](const L& s, L& t) { t.Assign(&s); }, {"Color"}});
    ExpectEveryPropertyKept<L>(RestyleLegend, LegendValues, forms);
}
