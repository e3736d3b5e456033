#include "F3DChartPropTestSupport.h"
#include "R3DAxisProp.h"
#include "TestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

using TChartPropDialog = TDialogTest;

TEST_F(TChartPropDialog, OpensOnTheViewPageGivesTheFastBufferBackAndKeepsItsPlace) {
    Chart.SetUseFastDoubleBuffer(true);
    TForm3DChartProp& d = Open();
    EXPECT_EQ(d.windowTitle(), "3D Chart Properties");
    auto& tabs = Get<QTabWidget>("PageControl1");
    const QStringList expected{"View",   "Chart",  "Scale Ranges", "Grid",     "Settings",
                               "X-axis", "Y-axis", "Z-axis",       "4th Dim.", "Color Scale"};
    ASSERT_EQ(tabs.count(), expected.size());
    for (int i = 0; i < tabs.count(); ++i)
        EXPECT_EQ(tabs.tabText(i), expected[i]);
    EXPECT_EQ(tabs.currentWidget()->objectName(), "TabSheetView");
    EXPECT_FALSE(Chart.UseFastDoubleBuffer());
    EXPECT_TRUE(d.SavedFastDoubleBuffer());
    EXPECT_EQ(d.AxisFrame(0).Axis(), &Chart.AxisX());
    EXPECT_EQ(d.AxisFrame(1).Axis(), &Chart.AxisY());
    EXPECT_EQ(d.AxisFrame(2).LabelX2->text(), "Y =");

    // Another page takes the focus to Close; Esc closes the dialog, and closing unbinds.
    tabs.setCurrentIndex(3);
    EXPECT_EQ(d.focusWidget(), &Get<QPushButton>("BtnFinish"));
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    Dialog.reset();
    EXPECT_TRUE(Chart.UseFastDoubleBuffer());

    // Enter presses Close; the next showing keeps the placement.
    Open().setGeometry(40, 50, 760, 580);
    QTest::keyClick(Dialog.get(), Qt::Key_Return);
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Open().geometry(), QRect(40, 50, 760, 580));
}

// ---- Chart page ----

TEST_F(TChartPropDialog, ChartPageWritesEachChangeAtOnce) {
    int repaints = 0;
    Chart.OnChange = [&](TObject*) {
        ++repaints;
    };
    OpenAt("TabSheetChart");
    TQorEdit& height = Edit("CtrlHeightY");
    EXPECT_EQ(height.Text(), "70");
    EXPECT_TRUE(Shown(height));
    repaints = 0;
    Type(height, "125");
    EXPECT_DOUBLE_EQ(Chart.HeightY(), 1.25);
    EXPECT_TRUE(height.Modified());
    EXPECT_GT(repaints, 0);
    Toggle(Check("CtrlKeepXY"));
    EXPECT_TRUE(Chart.KeepAspectXY());
    EXPECT_FALSE(Shown(height)); // the height follows X
    Toggle(Check("CtrlWired"));
    EXPECT_TRUE(Chart.Wired());

    QComboBox& transparency = List("CtrlTransp");
    EXPECT_EQ(transparency.count(), 11);
    EXPECT_EQ(transparency.palette().color(QPalette::Button), QColor(0, 255, 255));
    Pick(transparency, 4);
    EXPECT_EQ(Chart.Transparency(), 4);
    EXPECT_NE(transparency.palette().color(QPalette::Button), QColor(0, 255, 255));
}

// ---- Scale Ranges page ----

TEST_F(TChartPropDialog, TypedRangesAreClampedAndAutoScaleWritesNone) {
    ASSERT_TRUE(Chart.SetSize3D(2, 2)); // heights 0, ranges 0 ... 1 along X and Z
    Chart.XValues() = {0, 1};
    Chart.ZValues() = {0, 1};
    Chart.AxisY().SetAutoMax(false); // a file may leave the two flags apart
    Chart.AxisY().SetMaximum(50);
    OpenAt("TabSheetRanges");
    TQorEdit& xmin = Edit("CtrlXmin");
    EXPECT_FALSE(Shown(xmin));
    Toggle(Check("CtrlXAutoScale"));
    EXPECT_TRUE(Shown(xmin));
    EXPECT_FALSE(Chart.AxisX().AutoMin());
    EXPECT_FALSE(Chart.AxisX().AutoMax());
    Type(xmin, "200000000000000000000"); // 2e20
    EXPECT_EQ(Chart.AxisX().Minimum(), 1e20);
    EXPECT_EQ(xmin.CurrentColor(), QorOutOfRangeColor);
    Type(xmin, "-2.5");
    Type(Edit("CtrlXmax"), "7,25");
    EXPECT_EQ(Chart.AxisX().Minimum(), -2.5);
    EXPECT_EQ(Chart.AxisX().Maximum(), 7.25);

    // Y's box shows AutoMin; any change of the page sets both flags of a checked box, and
    // its edits, though typed into, are not written.
    ASSERT_TRUE(Check("CtrlYAutoScale").Checked());
    Edit("CtrlYmax").ChangeText("33");
    EXPECT_TRUE(Chart.AxisY().AutoMax());
    EXPECT_EQ(Chart.AxisY().Maximum(), 1); // the data range again, not 33
    EXPECT_EQ(Chart.AxisX().Maximum(), 7.25);
    Toggle(Check("CtrlXAutoScale"));
    EXPECT_EQ(Chart.AxisX().Maximum(), 1);
}

// ---- Grid page ----

TEST_F(TChartPropDialog, ClearingAMajorGridKeepsTheMinorOneAsItWas) {
    OpenAt("TabSheetGrid");
    TQorCheckBox& major = Check("MAXYmin");
    TQorCheckBox& minor = Check("MIXYmin");
    ASSERT_TRUE(major.Checked());
    ASSERT_TRUE(minor.Checked() && minor.isEnabled());
    EXPECT_FALSE(Check("MIXYmax").isEnabled());
    Toggle(major);
    EXPECT_FALSE(Chart.gridMajor().GridXYmin());
    EXPECT_FALSE(minor.isEnabled());
    EXPECT_TRUE(minor.Checked());
    EXPECT_TRUE(Chart.gridMinor().GridXYmin());
    Toggle(Check("MIZYmin"));
    EXPECT_FALSE(Chart.gridMinor().GridZYmin());
    EXPECT_TRUE(Chart.gridMajor().GridZYmin());

    Pick(List("CtrlMILS"), 1);
    EXPECT_EQ(Chart.gridMinor().GridStyle(), 0xAAAA);
    Type(Edit("CtrlMALW"), "3");
    EXPECT_EQ(Chart.gridMajor().GridWidth(), 3);
    ColorBox("CtrlMALC").ChangeSelected(clRed);
    EXPECT_EQ(Chart.gridMajor().GridColor(), clRed);

    // A stipple the list does not know leaves the list where it was.
    EXPECT_EQ(List("CtrlMALS").currentIndex(), 4);
    Chart.gridMajor().SetGridStyle(0x1234);
    Pick(List("CtrlMILS"), 5);
    Dialog->LoadFromChart();
    EXPECT_EQ(List("CtrlMALS").currentIndex(), 4);
    EXPECT_EQ(List("CtrlMILS").currentIndex(), 5);
}

// ---- 4th Dim. page ----

TEST_F(TChartPropDialog, FourthDimensionPageFollowsTheDataKind) {
    OpenAt("TabSheet4D");
    EXPECT_FALSE(Shown(Get<QWidget>("Panel4Dim"))); // 3D data

    ASSERT_TRUE(Chart.SetSizeNx4D({{2, 2}, {3, 2}}));
    OpenAt("TabSheet4D");
    EXPECT_TRUE(Shown(Get<QWidget>("Panel4Dim")));
    for (const char* name : {"Ctrl4DNormal", "Ctrl4D1Layer", "Ctrl4DNLayer", "Label4DNormal"})
        EXPECT_FALSE(Shown(Get<QWidget>(name))) << name;
    EXPECT_TRUE(Shown(Edit("Ctrl4DCutIdx")));

    ASSERT_TRUE(Chart.SetSize4D(2, 2, 2));
    Chart.SetDim4CrossSectionOffset(0.25);
    OpenAt("TabSheet4D");
    for (const char* name : {"Ctrl4DNormal", "Ctrl4D1Layer", "Ctrl4DNLayer", "Ctrl4DHeight"})
        EXPECT_TRUE(Shown(Get<QWidget>(name))) << name;
    EXPECT_EQ(Edit("Ctrl4DCutOffset").Text(), "25");
    Pick(List("Ctrl4DNormal"), 6);
    EXPECT_EQ(Chart.Dim4Direction(), 6);
    Type(Edit("Ctrl4DHeight"), "250");
    EXPECT_DOUBLE_EQ(Chart.Dim4Height(), 2.5);
    Type(Edit("Ctrl4DCutOffset"), "-50");
    EXPECT_DOUBLE_EQ(Chart.Dim4CrossSectionOffset(), -0.5);
    Type(Edit("Ctrl4DCutIdx"), "9");
    EXPECT_EQ(Chart.Dim4CrossSection(), 8);
    Type(Edit("Ctrl4DCaption"), "T");
    EXPECT_EQ(Chart.Dim4Caption(), "T");
}

// ---- Axis pages ----

TEST_F(TChartPropDialog, AHiddenYAxisOf3DDataStillEditsTheLegendCaption) {
    Chart.AxisX().SetVisible(false);
    Chart.AxisY().SetVisible(false);
    TForm3DChartProp& d = OpenAt("TabSheetY");
    TFrame3DAxisProp& y = d.AxisFrame(1);
    EXPECT_FALSE(Shown(*y.CtrlLog));
    EXPECT_FALSE(Shown(*y.PanelNumbering));
    EXPECT_FALSE(Shown(*y.CtrlCaptionFont));
    EXPECT_TRUE(Shown(*y.CtrlCaption));
    Type(*y.CtrlCaption, "Height");
    EXPECT_EQ(Chart.AxisY().Caption(), "Height");

    ShowPage("TabSheetX");
    TFrame3DAxisProp& x = d.AxisFrame(0);
    EXPECT_FALSE(Shown(*x.CtrlCaption));
    Toggle(*x.CtrlVisible);
    EXPECT_TRUE(Chart.AxisX().Visible());
    EXPECT_TRUE(Shown(*x.CtrlCaption) && Shown(*x.PanelNumberingSub) && Shown(*x.CtrlFont));
    Toggle(*x.CtrlNumVisible);
    EXPECT_FALSE(Chart.AxisX().VisibleStepText());
    EXPECT_FALSE(Shown(*x.PanelNumberingSub) || Shown(*x.CtrlFont));
    Toggle(*x.CtrlSubStepAuto);
    EXPECT_TRUE(Chart.AxisX().AutoSubSteps());
    EXPECT_FALSE(Shown(*x.CtrlSubStepCount));
    Toggle(*x.CtrlStepVisible);
    EXPECT_FALSE(Shown(*x.PanelStepsSub));
    Toggle(*x.CtrlLeft);
    EXPECT_EQ(Chart.AxisX().TextJustify(), taRightJustify);
    Pick(*x.CtrlPosX2, 2);
    EXPECT_EQ(Chart.AxisX().Axis2Position(), apMaximum);
    Type(*x.CtrlRot, "-45");
    EXPECT_EQ(Chart.AxisX().RotText(), -45);

    // The axis font comes from the font dialog.
    QFont serif("Liberation Serif");
    serif.setPixelSize(40);
    serif.setItalic(true);
    OnNextModal([&](QWidget* w) { ChooseFont(w, serif); });
    QTest::mouseClick(x.CtrlFont, Qt::LeftButton);
    EXPECT_EQ(Chart.AxisX().Font().Name(), "Liberation Serif");
    EXPECT_TRUE(Chart.AxisX().Font().Style().Contains(fsItalic));
    EXPECT_EQ(Chart.AxisX().CaptionFont().Name(), "Arial");

    // With 4D data no legend shows the Y caption: it hides with its axis.
    ASSERT_TRUE(Chart.SetSize4D(2, 2, 2));
    OpenAt("TabSheetY");
    EXPECT_FALSE(Shown(*Dialog->AxisFrame(1).CtrlCaption));
}

// ---- Color Scale page ----

TEST_F(TChartPropDialog, ColorPageShowsTheStopsInUsePresetsAndThePictureFile) {
    Chart.SetColorCount(3);
    OpenAt("TabSheetColors");
    for (const char* name : {"CtrlColor4", "CtrlColor5", "CtrlColor6", "LabelColor4"})
        EXPECT_FALSE(Shown(Get<QWidget>(name))) << name;
    Type(Edit("CtrlColorsCount"), "5");
    EXPECT_EQ(Chart.ColorCount(), 5);
    EXPECT_TRUE(Shown(ColorBox("CtrlColor5")));
    EXPECT_FALSE(Shown(ColorBox("CtrlColor6")));
    EXPECT_EQ(ColorBox("CtrlColor4").Selected(), Chart.Color4());
    EXPECT_EQ(ColorBox("CtrlColor5").Selected(), clYellow);

    Click("BtnViridis");
    EXPECT_EQ(Chart.ColorCount(), 6);
    EXPECT_EQ(Edit("CtrlColorsCount").Text(), "6");
    EXPECT_EQ(ColorBox("CtrlColor1").Selected(), RGBColor(0x44, 0x01, 0x54));
    EXPECT_TRUE(ColorBox("CtrlColor1").Modified()); // the preset changed it
    Click("BtnInvert");
    EXPECT_EQ(Chart.Color1(), RGBColor(0xFD, 0xE7, 0x25));
    EXPECT_EQ(ColorBox("CtrlColor6").Selected(), RGBColor(0x44, 0x01, 0x54));
    Click("BtnGray");
    EXPECT_EQ(Chart.ColorCount(), 3);
    EXPECT_FALSE(Shown(ColorBox("CtrlColor4")));
    ColorBox("CtrlColor2").ChangeSelected(clRed);
    EXPECT_EQ(Chart.Color2(), clRed);
    Type(Edit("CtrlColorLayers"), "300");
    EXPECT_EQ(Chart.ColorLayers(), 256);

    QFont mono("Liberation Mono");
    mono.setPixelSize(20);
    OnNextModal([&](QWidget* w) { ChooseFont(w, mono); });
    Click("CtrlCSFont");
    EXPECT_EQ(Legend.Font().Name(), "Liberation Mono");
    EXPECT_EQ(Legend.Font().Height(), -20);

    // A picture file is browsed for; a missing one is reported.
    TempDir dir;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.File("green.png"))));
    Type(Edit("CtrlBitmapFile"), QString::fromStdString(dir.File("missing.bmp")));
    EXPECT_EQ(Chart.ColorBitmapName(), dir.File("missing.bmp"));
    EXPECT_TRUE(Shown(Get<QLabel>("LabelNotAvailable")));

    OnNextModal([&](QWidget* w) { ChooseFile(w, QString::fromStdString(dir.File("green.png"))); });
    Click("CtrlBitmapFileBrowse");
    EXPECT_EQ(Chart.ColorBitmapName(), dir.File("green.png"));
    EXPECT_EQ(Chart.ColorBitmap().size(), QSize(4, 4));
    EXPECT_TRUE(Edit("CtrlBitmapFile").Modified());
    EXPECT_FALSE(Shown(Get<QLabel>("LabelNotAvailable")));
    Toggle(Check("CtrlUseBitmap"));
    EXPECT_TRUE(Chart.ColorBitmapApply());

    Open(false); // without a legend there is no font to set
    EXPECT_FALSE(Get<QPushButton>("CtrlCSFont").isEnabled());
}

// ---- Default Properties ----

TEST_F(TChartPropDialog, DefaultPropertiesPutBackChartAndLegendWithTheUnchangedLook) {
    TForm3DChartProp& d = Open();
    EXPECT_TRUE(AllUnchanged(d));
    Toggle(Check("CtrlWired"));
    Pick(List("CtrlTransp"), 3);
    Click("BtnHeat");
    Type(*d.AxisFrame(2).CtrlCaption, "Depth");
    Pick(*d.AxisFrame(2).CtrlPosX1, 0);
    Toggle(Check("MAZYmin"));
    Legend.Font().SetHeight(-30);
    ASSERT_FALSE(AllUnchanged(d));
    Click("BtnDefault");
    EXPECT_EQ(PropertyText(Chart), PropertyText(DefaultChart));
    EXPECT_EQ(Legend.Font().Height(), -16);
    EXPECT_TRUE(AllUnchanged(d));
    EXPECT_EQ(d.AxisFrame(2).CtrlCaption->Text(), "Z");

    // Without default copies the constructor defaults serve.
    Dialog.reset();
    Chart.SetWired(true);
    Open(true, false);
    Click("BtnDefault");
    const TQor3DChart fresh;
    EXPECT_EQ(PropertyText(Chart), PropertyText(fresh));
    EXPECT_EQ(Legend.Font().Height(), TQorColorScale().Font().Height());
}
