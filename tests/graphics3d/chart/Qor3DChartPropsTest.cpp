#include "Qor3DChartTestSupport.h"
#include "QorNumText.h"
#include "TestSupport.h"
#include "draw/Qor3DDrawTestHost.h"

#include <QImage>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct ChartProps : ::testing::Test {
    TQor3DChart chart;
    std::vector<std::string> events;
    void SetUp() override {
        chart.OnChange = [this](TObject* s) {
            EXPECT_EQ(s, &chart);
            events.push_back("change");
        };
        chart.OnColorScaleChanged = [this](TObject*) {
            events.push_back("scale");
        };
    }
    int Count(const std::string& e) const {
        return int(std::count(events.begin(), events.end(), e));
    }
};

TQorPalette GrayPalette() {
    TQorPalette p{};
    BuildPalette(p, {clBlack, clSilver, clWhite, 0, 0, 0}, 3);
    return p;
}

} // namespace

TEST_F(ChartProps, ConstructorDefaults) {
    EXPECT_EQ(chart.AxisX().Caption(), "X");
    EXPECT_EQ(chart.AxisX().AxisColor(), clRed);
    EXPECT_EQ(chart.AxisX().RotText(), 90);
    EXPECT_EQ(chart.AxisX().Axis2Position(), apMinimum);
    EXPECT_EQ(chart.AxisY().AxisColor(), clLime);
    EXPECT_EQ(chart.AxisY().RotText(), 45);
    EXPECT_EQ(chart.AxisY().Axis2Position(), apMaximum);
    EXPECT_EQ(chart.AxisY().TextJustify(), taRightJustify);
    EXPECT_FALSE(chart.AxisY().VisibleMin());
    EXPECT_EQ(chart.AxisZ().RotText(), -90);
    EXPECT_EQ(chart.AxisZ().AxisColor(), clBlue);
    EXPECT_EQ(chart.AxisZ().TextJustify(), taRightJustify);
    EXPECT_EQ(chart.gridMajor().GridColor(), clBlack);
    EXPECT_EQ(chart.gridMinor().GridColor(), clSilver);
    EXPECT_EQ(chart.gridMinor().GridStyle(), 8580);
    EXPECT_EQ(chart.Color1(), clFuchsia);
    EXPECT_EQ(chart.Color6(), clRed);
    EXPECT_EQ(chart.ColorCount(), 6);
    EXPECT_EQ(chart.ColorLayers(), 0);
    EXPECT_EQ(chart.Palette()[0], clFuchsia);
    EXPECT_EQ(chart.Palette()[255], clRed);
    EXPECT_TRUE(chart.ColorBitmap().isNull());
    EXPECT_FALSE(chart.KeepAspectXY());
    EXPECT_TRUE(chart.KeepAspectXZ());
    EXPECT_EQ(chart.HeightY(), 0.7);
    EXPECT_TRUE(chart.Shiny());
    EXPECT_FALSE(chart.Wired());
    EXPECT_EQ(chart.Transparency(), 0);
    EXPECT_EQ(chart.Dim4FirstLayer(), 1);
    EXPECT_EQ(chart.Dim4NthLayer(), 1);
    EXPECT_EQ(chart.ViewRotX(), 30);
    EXPECT_EQ(chart.ViewRotY(), 130);
    EXPECT_EQ(chart.ViewMoveY(), 0.1);
    EXPECT_EQ(chart.ViewScale(), 0.8);
    EXPECT_TRUE(bool(chart.OnPaintGL));
    EXPECT_TRUE(events.empty());
}

TEST_F(ChartProps, ClampsAndSameValues) {
    chart.SetColorCount(1);
    EXPECT_EQ(chart.ColorCount(), 2);
    chart.SetColorCount(9);
    EXPECT_EQ(chart.ColorCount(), 6);
    chart.SetColorLayers(-5);
    EXPECT_EQ(chart.ColorLayers(), 0);
    chart.SetColorLayers(300);
    EXPECT_EQ(chart.ColorLayers(), 256);
    chart.SetTransparency(11);
    EXPECT_EQ(chart.Transparency(), 10);
    chart.SetDim4CrossSection(9);
    EXPECT_EQ(chart.Dim4CrossSection(), 8);
    chart.SetDim4CrossSection(12);
    EXPECT_EQ(chart.Dim4CrossSection(), 8);
    chart.SetDim4Height(-1);
    EXPECT_EQ(chart.Dim4Height(), 0);
    chart.SetDim4Height(std::nan(""));
    EXPECT_EQ(chart.Dim4Height(), 0);
    chart.SetDim4NthLayer(0);
    EXPECT_EQ(chart.Dim4NthLayer(), 1);
    chart.SetDim4FirstLayer(-3);
    EXPECT_EQ(chart.Dim4FirstLayer(), 1);
    events.clear();
    chart.SetHeightY(0.7);
    chart.SetShiny(true);
    chart.SetDim4Direction(1);
    EXPECT_TRUE(events.empty());
}

TEST_F(ChartProps, PaletteRebuildsLazilyOncePerBracket) {
    chart.BeginUpdate();
    chart.SetColor1(clBlack);
    chart.SetColor2(clWhite);
    chart.SetColorCount(2);
    EXPECT_EQ(chart.Palette()[0], clFuchsia); // not yet rebuilt
    chart.EndUpdate();
    EXPECT_EQ(events, (std::vector<std::string>{"scale", "change"}));
    EXPECT_EQ(chart.Palette()[77], RGBColor(77, 77, 77));
}

TEST_F(ChartProps, UnusedStopRepaintsButKeepsThePalette) {
    chart.SetColorCount(4);
    const TQorPalette before = chart.Palette();
    events.clear();
    chart.SetColor5(clBlack);
    EXPECT_EQ(events, (std::vector<std::string>{"change"}));
    EXPECT_EQ(chart.Palette(), before);
    chart.SetColor4(clBlack);
    EXPECT_EQ(Count("scale"), 1);
    EXPECT_EQ(chart.Palette()[255], clBlack);
}

TEST_F(ChartProps, PaletteTableReplacesAndCancelsARebuild) {
    chart.BeginUpdate();
    chart.SetColorLayers(3); // rebuild pending
    chart.SetPaletteTable(GrayPalette());
    chart.EndUpdate();
    EXPECT_EQ(chart.Palette(), GrayPalette());
    EXPECT_EQ(events, (std::vector<std::string>{"scale", "change"}));
    events.clear();
    chart.SetPaletteTable(GrayPalette());
    EXPECT_TRUE(events.empty());
}

TEST_F(ChartProps, PresetsAndInvertThroughTheChart) {
    chart.ApplyPalettePreset(ppGray);
    EXPECT_EQ(events, (std::vector<std::string>{"scale", "change"}));
    EXPECT_EQ(chart.ColorCount(), 3);
    EXPECT_EQ(chart.Palette(), GrayPalette());
    EXPECT_EQ(chart.Color4(), clGreen); // stops beyond the count keep their values
    chart.InvertPalette();
    EXPECT_EQ(chart.Color1(), clWhite);
    EXPECT_EQ(chart.Color3(), clBlack);
    EXPECT_EQ(chart.Palette()[0], clWhite);
    chart.InvertPalette();
    EXPECT_EQ(chart.Palette(), GrayPalette());
    chart.ApplyPalettePreset(ppRGB);
    EXPECT_EQ(chart.Palette()[128], clLime);
}

TEST_F(ChartProps, KeepAspectFollowsTheLogarithmCondition) {
    chart.AxisZ().SetLogarithmic(true);
    EXPECT_FALSE(chart.KeepAspectXZ());
    TQor3DChart other;
    other.Assign(chart);
    EXPECT_FALSE(other.KeepAspectXZ());
    other.AxisZ().SetLogarithmic(false);
    EXPECT_FALSE(other.KeepAspectXZ()); // the stored flag itself was copied as false
    events.clear();
    chart.SetKeepAspectXZ(true); // the stored flag is still on: no change
    EXPECT_TRUE(events.empty());
    chart.SetKeepAspectXY(true);
    EXPECT_TRUE(chart.KeepAspectXY());
    chart.AxisY().SetLogarithmic(true);
    EXPECT_FALSE(chart.KeepAspectXY());
}

TEST_F(ChartProps, DecSepReachesTheAxesSilently) {
    const TScopedLocaleDecSeparator german(',');
    chart.SetDecSep(';');
    EXPECT_EQ(chart.DecSep(), ','); // still local
    EXPECT_EQ(chart.AxisX().DecSep(), ',');
    EXPECT_EQ(chart.AxisZ().StoredDecSep(), ';');
    EXPECT_EQ(Count("change"), 1);
    chart.SetDecSepLocal(false);
    EXPECT_EQ(chart.DecSep(), ';');
    EXPECT_EQ(chart.AxisY().DecSep(), ';');
    EXPECT_EQ(Count("change"), 2);
}

TEST_F(ChartProps, Dim4CaptionNotifiesOnlyFor4DData) {
    chart.SetDim4Caption("Temperature");
    EXPECT_EQ(chart.Dim4Caption(), "Temperature");
    EXPECT_TRUE(events.empty());
    ASSERT_TRUE(chart.SetSize4D(1, 1, 1));
    events.clear();
    chart.SetDim4Caption("Pressure");
    EXPECT_EQ(Count("change"), 1);
}

TEST_F(ChartProps, AxisAssignReachesTheChartOnce) {
    TQorChartAxis3D source;
    source.SetCaption("Depth");
    source.SetMaximum(5);
    source.SetRotText(1);
    source.SetAxisWidth(4);
    chart.SetAxisX(source);
    EXPECT_EQ(events, (std::vector<std::string>{"change"}));
    EXPECT_EQ(chart.AxisX().Caption(), "Depth");
    events.clear();
    chart.gridMinor().SetGridWidth(3);
    EXPECT_EQ(events, (std::vector<std::string>{"change"}));
}

TEST_F(ChartProps, ColorBitmapNameLoadsPicturesAndToleratesBadFiles) {
    TempDir dir;
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.File("pic.png"))));
    chart.SetColorBitmapName(dir.File("pic.png"));
    EXPECT_EQ(chart.ColorBitmap().size(), QSize(4, 3));
    EXPECT_EQ(chart.ColorBitmap().pixelColor(2, 1), QColor(Qt::red));
    EXPECT_EQ(Count("change"), 1);

    chart.SetColorBitmapName(dir.File("missing.bmp"));
    EXPECT_EQ(chart.ColorBitmapName(), dir.File("missing.bmp"));
    EXPECT_TRUE(chart.ColorBitmap().isNull());

    std::ofstream(dir.File("broken.jpg")) << "no picture here";
    chart.SetColorBitmapName(dir.File("broken.jpg"));
    EXPECT_TRUE(chart.ColorBitmap().isNull());
    EXPECT_EQ(Count("change"), 3);
}

// Every property's copy is checked with the stored forms (EveryProperty); here the palette, the
// notifications, the held data and the ranges.
TEST_F(ChartProps, AssignCopiesPropertiesNotData) {
    TQor3DChart source;
    source.SetColor2(clBlack);
    source.SetColorCount(3);
    source.SetColorLayers(4);
    source.SetHeightY(2);
    source.SetUseLowMemory(true);
    ASSERT_TRUE(source.SetSize3D(2, 2));

    Fill3D(chart, 2, 2, Identity, Identity, [](double x, double z) { return 3 * x + z; });
    chart.AxisY().SetMaximum(-7); // UpdateRanges puts the data range back
    events.clear();
    chart.Assign(source);
    EXPECT_EQ(events, (std::vector<std::string>{"scale", "change"}));
    EXPECT_EQ(chart.Palette(), source.Palette());
    EXPECT_TRUE(chart.UseLowMemory());
    EXPECT_EQ(chart.NX(), 2);
    EXPECT_FALSE(chart.LowMemoryLayout());
    EXPECT_EQ(chart.AxisY().Maximum(), 4);
    EXPECT_FALSE(bool(source.OnChange));

    TQor3DDraw view;
    view.SetViewScale(3);
    chart.Assign(view); // only the view part of a plain drawing control
    EXPECT_EQ(chart.ViewScale(), 3);
    EXPECT_EQ(chart.HeightY(), 2);
}

TEST_F(ChartProps, ChangedRunsItsStepsInOrder) {
    Fill3D(chart, 2, 1, Identity, Identity, [](double x, double) { return 10 + 90 * x; });
    chart.UpdateRanges();
    float heightSeen = 0;
    bool outdatedSeen = false;
    TGLRecordingPlatform rec;
    TFakeDrawHost host{rec, 20, 10};
    chart.SetHost(&host);
    chart.OnColorScaleChanged = [&](TObject*) {
        events.push_back("scale");
        heightSeen = Height(chart, 1, 0);
        outdatedSeen = host.Invalidations > 0;  // the repaint is asked for first
        EXPECT_EQ(chart.Palette()[0], clBlack); // rebuilt before the event
    };
    events.clear();
    chart.BeginUpdate();
    chart.SetColor1(clBlack);
    chart.AxisY().SetLogarithmic(true);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(Height(chart, 1, 0), 100); // nothing converted inside the bracket
    chart.EndUpdate();
    EXPECT_FLOAT_EQ(heightSeen, 2);
    EXPECT_TRUE(outdatedSeen);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.back(), "change");
    EXPECT_EQ(Count("scale"), 1);
    EXPECT_EQ(events[events.size() - 2], "scale");
}

TEST_F(ChartProps, ColourScaleChangeSurvivesALogConversionInTheSameBatch) {
    Fill3D(chart, 2, 2, Identity, Identity, [](double x, double z) { return 1 + x + z; });
    chart.UpdateRanges();
    events.clear();
    chart.BeginUpdate();
    chart.SetPaletteTable(GrayPalette());
    chart.AxisY().SetLogarithmic(true);
    chart.EndUpdate();
    EXPECT_EQ(Count("scale"), 1);
    EXPECT_EQ(events.back(), "change");
}

TEST_F(ChartProps, AxisAssignWithALogSwitchNotifiesOnce) {
    Fill3D(chart, 3, 3, Identity, Identity, [](double x, double z) { return 1 + x * z; });
    chart.UpdateRanges();
    TQorChartAxis3D source;
    source.Assign(chart.AxisY());
    source.SetLogarithmic(true);
    source.SetCaption("log height");
    source.SetStepWidth(7);
    events.clear();
    chart.SetAxisY(source);
    EXPECT_EQ(events, (std::vector<std::string>{"change"}));
    EXPECT_FLOAT_EQ(Height(chart, 2, 2), std::log10(5.0f));
    EXPECT_NEAR(chart.AxisY().Maximum(), 5, 1e-5);
    EXPECT_EQ(chart.UpdateCount(), 0);
}

TEST_F(ChartProps, PaletteRebuildKeepsTheViewAndTheOwnersPaintHandler) {
    chart.SetViewRotX(12);
    chart.SetViewScale(2);
    bool ownPaint = false;
    chart.OnPaintGL = [&](TObject*, const TRect&) {
        ownPaint = true;
    };
    chart.SetColor1(clBlack); // rebuilds the palette in Changed
    EXPECT_EQ(chart.ViewRotX(), 12);
    EXPECT_EQ(chart.ViewScale(), 2);
    ASSERT_TRUE(chart.OnPaintGL);
    chart.OnPaintGL(&chart, TRect{});
    EXPECT_TRUE(ownPaint);
}
