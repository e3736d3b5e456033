// The main window on a real display (run under xvfb-run; skipped offscreen): the user clicks
// a sample in the file list and sees its chart and legend.
#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorColorScaleWidget.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "app/viewer/ImportSampleFiles.h"
#include "dialogs/FImport.h"
#include "import/ImportGridFiles.h"

#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <cmath>

namespace {

// Pixels of Area (in window coordinates) in a strong colour, as the palette paints them.
int ColouredPixels(const QImage& Shot, const QRect& Area) {
    int n = 0;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            if (QColor(Shot.pixel(x, y)).hsvSaturation() > 150)
                ++n;
    return n;
}

// Distinct hues (in steps of 10 degrees) down one column of Area: a colour bar shows many.
int HuesDownTheColumns(const QImage& Shot, const QRect& Area) {
    QSet<int> hues;
    for (int x = Area.left(); x <= Area.right(); ++x)
        for (int y = Area.top(); y <= Area.bottom(); ++y) {
            const QColor c(Shot.pixel(x, y));
            if (c.hsvSaturation() > 150 && c.value() > 100)
                hues.insert(c.hsvHue() / 10);
        }
    return int(hues.size());
}

} // namespace

using FormMainXvfb = TFormMainFixture;

TEST_F(FormMainXvfb, ClickingASampleDrawsItsChartAndLegend) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    ASSERT_TRUE(StartOnScreen());
    TFormMain& w = *Window;
    const QImage before = ScreenShot(w);

    const int renders = w.Chart().RenderCount();
    ClickFile("surface.p3d");
    ASSERT_TRUE(WaitFor([&] { return w.Chart().RenderCount() > renders; }));
    const QImage shot = ScreenShot(w);
    ASSERT_EQ(shot.size(), w.size());

    EXPECT_TRUE(w.ChartWidget().InWindowMode());
    const QRect chart = AreaOf(w, w.ChartWidget());
    EXPECT_GT(ColouredPixels(shot, chart), chart.width() * chart.height() / 20);
    EXPECT_NE(shot.copy(chart), before.copy(chart)); // the sample gave way to the file
    const QRect legend = AreaOf(w, w.ColorScaleWidget());
    EXPECT_GE(legend.left(), chart.right());
    EXPECT_GE(HuesDownTheColumns(shot, legend), 15);
    EXPECT_TRUE(Control<QLabel>("StatusFile").text().endsWith("surface.p3d"));
}

// Draws and grabs the window once the chart has been drawn after Renders pictures.
QImage ShotAfter(TFormMain& Window, int Renders) {
    EXPECT_TRUE(WaitFor([&] { return Window.Chart().RenderCount() > Renders; }));
    return ScreenShot(Window);
}

// The user opens a CSV through File > Open... with the mouse and sees its surface; then drops
// an archive of two arrays, picks the second in the Import dialog and sees that one; Reload
// (by its key) reads the same array again without asking.
TEST_F(FormMainXvfb, FileOpenDrawsATableAndADroppedArchiveAsksForItsArray) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const QString csv = QString::fromStdString(dir.File("volcano.csv"));
    ASSERT_TRUE(QFile::copy(QString(PLOTYRA_EXAMPLES) + "/import/volcano.csv", csv));
    WriteSurfaceNpy(dir.File("flat.npy"), 3, 4, [](int, int) { return 1.0f; });
    WriteSurfaceNpy(dir.File("wave.npy"), 30, 20,
                    [](int i, int k) { return float(std::sin(i / 4.0) * std::cos(k / 3.0)); });
    WriteNpz(dir.File("two.npz"), {{"flat", dir.File("flat.npy")}, {"wave", dir.File("wave.npy")}});
    ASSERT_TRUE(StartOnScreen());
    TFormMain& w = *Window;
    FileList().clearSelection();
    int renders = w.Chart().RenderCount();
    Action("MenuItemReloadChart").trigger(); // nothing selected: an empty chart
    const QImage empty = ShotAfter(w, renders);
    const QRect chart = AreaOf(w, w.ChartWidget());
    ASSERT_LT(ColouredPixels(empty, chart), chart.width() * chart.height() / 100);

    OnNextModal([&](QWidget* modal) {
        auto* files = ModalAs<QFileDialog>(modal, "file dialog");
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->windowTitle(), "Open");
        EXPECT_TRUE(files->selectedNameFilter().startsWith("All data files (*.p3d *.P3D"));
        EXPECT_TRUE(files->nameFilters().contains("NumPy arrays (*.npy *.NPY *.npz *.NPZ)"));
        EXPECT_EQ(files->nameFilters().last(), "All files (*)");
        ChooseFile(modal, csv);
    });
    auto* fileMenu = w.findChild<QMenu*>("MenuFile");
    ASSERT_NE(fileMenu, nullptr);
    QMenuBar* bar = w.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(fileMenu->menuAction()).center());
    ASSERT_TRUE(WaitFor([&] { return fileMenu->isVisible(); }));
    renders = w.Chart().RenderCount();
    QTest::mouseClick(fileMenu, Qt::LeftButton, {},
                      fileMenu->actionGeometry(&Action("MenuItemOpen")).center());
    ASSERT_EQ(w.LoadedFile(), csv);
    const QImage volcano = ShotAfter(w, renders);
    EXPECT_GT(ColouredPixels(volcano, chart), chart.width() * chart.height() / 20);
    EXPECT_NE(volcano.copy(chart), empty.copy(chart));
    EXPECT_TRUE(Control<QLabel>("StatusFile").text().endsWith("volcano.csv"));
    // As a file from the command line: its folder and the file are selected, the folder kept.
    EXPECT_EQ(QDir(w.CurrentFolder()), QDir(dir.Path().c_str()));
    EXPECT_EQ(FileList().SelectedFile(), "volcano.csv");
    EXPECT_EQ(w.Storage().ReadString("OpenDialog.Folder", ""), dir.Path().string());
    EXPECT_EQ(w.RecentFiles().value(0), csv);

    OnNextModal([&](QWidget* modal) {
        auto* import = ModalAs<TFormImport>(modal, "Import dialog");
        ASSERT_NE(import, nullptr);
        auto& arrays = *import->findChild<QListWidget*>("ListArrays");
        ASSERT_TRUE(arrays.isVisible());
        ASSERT_EQ(arrays.count(), 2);
        EXPECT_EQ(arrays.item(0)->text(), "flat: 4 × 3 float32");
        EXPECT_EQ(arrays.item(1)->text(), "wave: 20 × 30 float32");
        auto& grid = *import->findChild<QTableWidget*>("GridPreview");
        EXPECT_EQ(grid.columnCount(), 3);
        QTest::mouseClick(arrays.viewport(), Qt::LeftButton, {},
                          arrays.visualItemRect(arrays.item(1)).center());
        EXPECT_TRUE(WaitFor([&] { return grid.columnCount() == 6 && grid.rowCount() == 8; }));
        EXPECT_EQ(grid.item(0, 4)->text(), QString::number(std::sin(1.0), 'g', 7));
        QTest::mouseClick(import->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.File("two.npz")))});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &enter);
    ASSERT_TRUE(enter.isAccepted());
    renders = w.Chart().RenderCount();
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &drop);
    ASSERT_EQ(w.Chart().NX(), 30);
    EXPECT_EQ(w.Chart().NZ(), 20);
    const QImage wave = ShotAfter(w, renders);
    EXPECT_GT(ColouredPixels(wave, chart), chart.width() * chart.height() / 20);
    EXPECT_NE(wave.copy(chart), volcano.copy(chart));

    TNoModals none;
    w.Chart().ClearData();
    // Back from the dialog the keys go here; without a window manager nothing hands the focus
    // back, so the test does as one would.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(w.Chart().NX(), 30);
    EXPECT_TRUE(Control<QLabel>("StatusFile").text().endsWith("two.npz"));
}

// A netCDF file of two variables asks which to show: the user picks the temperature, turns its
// time from "All" to the slider's third step and sees that surface; Reload reads the same
// variable at the same time without asking, from the choice remembered for the file.
TEST_F(FormMainXvfb, ANetCdfFileOfTwoVariablesAsksForOneAndItsTime) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const std::string file = dir.File("air.nc");
    ASSERT_TRUE(ImportGridFiles::WriteNetCdf(file));
    ASSERT_TRUE(StartOnScreen());
    TFormMain& w = *Window;
    FileList().clearSelection();
    int renders = w.Chart().RenderCount();
    Action("MenuItemReloadChart").trigger();
    const QImage empty = ShotAfter(w, renders);
    const QRect chart = AreaOf(w, w.ChartWidget());

    OnNextModal([&](QWidget* modal) {
        auto* import = ModalAs<TFormImport>(modal, "Import dialog");
        ASSERT_NE(import, nullptr);
        auto& list = *import->findChild<QListWidget*>("ListArrays");
        ASSERT_EQ(list.count(), 2);
        EXPECT_EQ(list.item(0)->text(),
                  "temp (time, lat, lon): 3 × 4 × 5 int16 [K], Air temperature");
        EXPECT_EQ(list.item(1)->text(), "pressure (lat, lon): 4 × 5 float32 [hPa]");
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(0)).center());
        auto* whole = import->findChild<TQorCheckBox*>("ChWhole_time");
        auto* slider = import->findChild<QSlider*>("SliderIndex_time");
        ASSERT_TRUE(whole != nullptr && slider != nullptr);
        EXPECT_TRUE(whole->Checked());
        QTest::keyClick(whole, Qt::Key_Space);
        ASSERT_TRUE(slider->isEnabled());
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Right);
        QTest::keyClick(slider, Qt::Key_Right);
        EXPECT_EQ(import->findChild<QLabel*>("LabelIndex_time")->text(), "2 of 3");
        auto& grid = *import->findChild<QTableWidget*>("GridPreview");
        EXPECT_TRUE(WaitFor([&] { return grid.columnCount() == 5 && grid.rowCount() == 4; }));
        QTest::mouseClick(import->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    renders = w.Chart().RenderCount();
    w.OpenFileByPath(QString::fromStdString(file));
    ASSERT_EQ(w.Chart().NX(), ImportGridFiles::NLon);
    ASSERT_EQ(w.Chart().NZ(), ImportGridFiles::NLat);
    EXPECT_EQ(w.Chart().AxisY().Caption(), "temp [K]");
    const auto expected = [](int i, int k) {
        return float(ImportGridFiles::PackedTemp(2, k, i) * ImportGridFiles::TempScale +
                     ImportGridFiles::TempOffset);
    };
    const QImage shot = ShotAfter(w, renders);
    // A surface of 5 × 4 points covers less of the window than a large one, and its caption
    // "temp [K]" would be cut at the edge: the fitted chart is drawn at about 0.84 of the size,
    // 0.71 of the area.
    EXPECT_GT(ColouredPixels(shot, chart), chart.width() * chart.height() / 60);
    EXPECT_NE(shot.copy(chart), empty.copy(chart));
    EXPECT_NEAR(w.Chart().DataExtremes().Max[1], expected(4, 3), 1e-3);

    TNoModals none;
    w.Chart().ClearData();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(w.Chart().NX(), ImportGridFiles::NLon);
    EXPECT_NEAR(w.Chart().DataExtremes().Max[1], expected(4, 3), 1e-3);
}

// The colour the chart shows near its top-left corner, once it has been drawn anew.
QColor ChartCorner(TFormMain& Window, TColor Background) {
    const int renders = Window.Chart().RenderCount();
    Window.Chart().SetBackgroundColor(Background);
    WaitFor([&] { return Window.Chart().RenderCount() > renders; });
    const QRect chart = AreaOf(Window, Window.ChartWidget());
    return QColor(ScreenShot(Window).pixel(chart.topLeft() + QPoint(3, 3)));
}

// Toggles the safe-mode box in "Program Properties" and leaves with BtnClose or BtnCancel.
void ToggleSafeMode(QAction& Command, const char* Button) {
    OnNextModal([Button](QWidget* dialog) {
        QTest::keyClick(dialog->findChild<TQorCheckBox*>("ChSafeGL"), Qt::Key_Space);
        QTest::mouseClick(dialog->findChild<QPushButton*>(Button), Qt::LeftButton);
    });
    Command.trigger();
}

TEST_F(FormMainXvfb, SafeModeOnAndOffKeepsTheChartOnTheScreen) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    ASSERT_TRUE(StartOnScreen({"/S"}, {900, 600}));
    TFormMain& w = *Window;
    EXPECT_TRUE(w.Chart().IsBitmapMode());
    EXPECT_EQ(ChartCorner(w, clAqua), QColor(0, 255, 255)); // drawn through OSMesa

    // Started in safe mode, the chart gets its OpenGL window when the user switches it off.
    ToggleSafeMode(Action("PropertiesMenuItem"), "BtnClose");
    ASSERT_TRUE(WaitFor([&] { return w.ChartWidget().InWindowMode(); }));
    EXPECT_EQ(ChartCorner(w, clLime), QColor(0, 255, 0));
    EXPECT_TRUE(w.GLVersion().contains("Mesa"));

    // On and cancelled: the window's OpenGL picture comes back, not the last bitmap.
    ToggleSafeMode(Action("PropertiesMenuItem"), "BtnCancel");
    ASSERT_TRUE(WaitFor([&] { return w.ChartWidget().InWindowMode(); }));
    EXPECT_EQ(ChartCorner(w, clYellow), QColor(255, 255, 0));
}
