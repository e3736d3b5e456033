// "Index" playback on a real display (run under xvfb-run; skipped offscreen): a netCDF variable
// over time, shown one time at a time, is played through its times.
#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorEdit.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "dialogs/FImport.h"
#include "mainwindow/UImportChoices.h"

#include <QComboBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <cmath>
#include <netcdf.h>

namespace {

constexpr int Steps = 4, NZ = 12, NX = 16;

// Each time moves the wave along X.
float StepHeight(int T, int K, int I) {
    return float(std::sin(0.5 * I + 1.5 * T) * std::cos(0.4 * K));
}

float HighestAt(int T) {
    float highest = -1;
    for (int k = 0; k < NZ; ++k)
        for (int i = 0; i < NX; ++i)
            highest = std::max(highest, StepHeight(T, k, i));
    return highest;
}

// height(time, z, x) with a time coordinate in hours; no coordinates along z and x, so the
// Import dialog asks how to show it.
bool WriteSteps(const std::string& Path) {
    int nc = -1, dims[3] = {}, vTime = 0, vHeight = 0;
    bool ok = nc_create(Path.c_str(), NC_CLOBBER | NC_NETCDF4, &nc) == NC_NOERR;
    const auto put = [&](int Status) {
        ok = ok && Status == NC_NOERR;
    };
    put(nc_def_dim(nc, "time", Steps, &dims[0]));
    put(nc_def_dim(nc, "z", NZ, &dims[1]));
    put(nc_def_dim(nc, "x", NX, &dims[2]));
    put(nc_def_var(nc, "time", NC_DOUBLE, 1, &dims[0], &vTime));
    const std::string units = "hours since 2020-01-01";
    put(nc_put_att_text(nc, vTime, "units", units.size(), units.c_str()));
    put(nc_def_var(nc, "height", NC_FLOAT, 3, dims, &vHeight));
    put(nc_enddef(nc));
    const double times[Steps] = {0, 6, 12, 18};
    put(nc_put_var_double(nc, vTime, times));
    std::vector<float> heights;
    for (int t = 0; t < Steps; ++t)
        for (int k = 0; k < NZ; ++k)
            for (int i = 0; i < NX; ++i)
                heights.push_back(StepHeight(t, k, i));
    put(nc_put_var_float(nc, vHeight, heights.data()));
    return nc_close(nc) == NC_NOERR && ok;
}

} // namespace

using FormMainPlayIndexXvfb = TFormMainFixture;

// Without a hidden dimension "Index" is off and Play says why. The user then opens the file,
// shows its first time as a surface in the Import dialog, picks "Index" and plays: each time is
// another picture and the status bar names it; at the last time playback stops, and that time
// is the file's choice from then on (Reload reads it).
TEST_F(FormMainPlayIndexXvfb, PlaysTheTimesOfAVariableAndKeepsTheLast) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const std::string file = dir.File("steps.nc");
    ASSERT_TRUE(WriteSteps(file));
    ASSERT_TRUE(StartOnScreen());
    TFormMain& w = *Window;
    auto& mode = Control<QComboBox>("ListPlay");
    auto& play = Control<QPushButton>("BtnPlay");
    ASSERT_EQ(mode.itemText(2), "Index");
    const auto* modes = qobject_cast<QStandardItemModel*>(mode.model());
    EXPECT_FALSE(modes->item(2)->isEnabled()); // the sample surface has no dimension to step
    mode.setCurrentIndex(2);
    QTest::mouseClick(&play, Qt::LeftButton);
    EXPECT_EQ(play.text(), "Play");
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("the shown chart has none"));

    OnNextModal([&](QWidget* modal) {
        auto* import = ModalAs<TFormImport>(modal, "Import dialog");
        ASSERT_NE(import, nullptr);
        auto* whole = import->findChild<TQorCheckBox*>("ChWhole_time");
        ASSERT_NE(whole, nullptr);
        QTest::keyClick(whole, Qt::Key_Space); // time 0 as a surface, not all times as a volume
        QTest::mouseClick(import->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    w.OpenFileByPath(QString::fromStdString(file));
    ASSERT_EQ(w.Chart().NX(), NX);
    ASSERT_EQ(w.Chart().NZ(), NZ);
    EXPECT_TRUE(modes->item(2)->isEnabled());
    EXPECT_TRUE(Control<QComboBox>("ListPlayDim").isHidden()); // one dimension: nothing to pick
    EXPECT_FALSE(Control<TQorCheckBox>("ChRep").isHidden());
    const QRect chart = AreaOf(w, w.ChartWidget());
    QList<QImage> shots = {ScreenShot(w).copy(chart)};

    // Slow frames, so each time is grabbed before the next is read.
    auto& fps = Control<TQorEdit>("EditFPS");
    fps.SetValue(1.5);
    QTest::mouseClick(&play, Qt::LeftButton);
    EXPECT_FALSE(mode.isEnabled());
    for (int t = 1; t < Steps; ++t) {
        const QString shown = QString("time = %1 / %2").arg(t).arg(Steps);
        ASSERT_TRUE(WaitFor([&] { return w.statusBar()->currentMessage().startsWith(shown); }))
            << shown.toStdString() << " | " << w.statusBar()->currentMessage().toStdString();
        EXPECT_FLOAT_EQ(w.Chart().DataExtremes().Max[1], HighestAt(t));
        shots << ScreenShot(w).copy(chart);
    }
    for (int t = 1; t < Steps; ++t)
        EXPECT_NE(shots[t], shots[t - 1]) << "time " << t;
    ASSERT_TRUE(WaitFor([&] { return play.text() == "Play"; }, 5000)); // no repeat: it ends
    EXPECT_EQ(w.statusBar()->currentMessage(), "time = 3 / 4 (18 hours since 2020-01-01)");
    EXPECT_TRUE(mode.isEnabled());

    TQorImportOptions kept;
    ASSERT_TRUE(ReadFileChoice(w.Storage(), file, kept));
    EXPECT_EQ(kept.IndexOf("time"), Steps - 1);
    w.Chart().ClearData();
    Action("MenuItemReloadChart").trigger();
    ASSERT_EQ(w.Chart().NX(), NX);
    EXPECT_FLOAT_EQ(w.Chart().DataExtremes().Max[1], HighestAt(Steps - 1));
}
