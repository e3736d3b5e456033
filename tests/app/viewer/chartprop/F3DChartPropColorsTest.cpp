// The Color Scale page of the chart properties dialog.
#include "F3DChartPropTestSupport.h"
#include "TestSupport.h"

#include <QFont>
#include <QImage>
#include <QLabel>

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
