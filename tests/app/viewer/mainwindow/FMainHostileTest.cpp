// The main window started on hostile settings: an unreadable settings file, a folder in its
// place, a stored geometry far beyond any screen. (The files the shared units read and write are in
// tests/common/HostileInputTest.cpp.)
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "graphics3d/Qor3DPictureSupport.h"

#include <QJsonDocument>
#include <QSplitter>
#include <QStatusBar>
#include <cstdio>
#include <filesystem>

namespace {

std::string SettingsFile() {
    return TQorStorage::ConfigFolder() + "/registry.json";
}

// The window's own settings section, as the window reads it.
void PointAtWindow(TQorStorage& Store) {
    Store.SetIniSection("TFormMain");
}

} // namespace

using HostileWindow = TFormMainFixture;
using HostileWindowXvfb = TFormMainFixture;

// Damaged settings were replaced by defaults at exit without a word or a copy. The window says
// so in its status bar, keeps the file as registry.json.bad and saves its settings anew.
TEST_F(HostileWindow, UnreadableSettingsAreSaidAndKeptAside) {
    WriteFileText(SettingsFile(), "{\"root\":{\"keys\":{\"Software\":");
    TFormMain& w = Start();
    const QString said = w.statusBar()->currentMessage();
    EXPECT_TRUE(said.contains("could not be read") && said.contains("registry.json.bad"))
        << said.toStdString();
    EXPECT_EQ(ReadFileText(SettingsFile() + ".bad"), "{\"root\":{\"keys\":{\"Software\":");
    Quit();
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(ReadFileText(SettingsFile())))
                    .isObject());
    TQorStorage saved;
    PointAtWindow(saved);
    EXPECT_TRUE(saved.ValueExists("CtrlDir.Path"));
}

// A folder in the settings file's place lost every save silently; the window says at once
// that nothing can be saved, and leaves the folder alone.
TEST_F(HostileWindow, SettingsThatCannotBeSavedAreSaidAtTheStart) {
    std::filesystem::create_directories(SettingsFile() + "/kept");
    TFormMain& w = Start();
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("cannot be saved"))
        << w.statusBar()->currentMessage().toStdString();
    Quit();
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFile() + "/kept"));
}

// NormPos and PanelFiles.Width of 2147483647 gave a small window whose file panel took all of
// it, and that was saved again. The window fits the screen, the chart keeps its place and
// draws, and what is saved is sane.
TEST_F(HostileWindowXvfb, GeometryFarBeyondTheScreenIsClamped) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    {
        TQorStorage stored;
        PointAtWindow(stored);
        stored.WriteString("NormPos", "0,0,2147483647,2147483647");
        stored.WriteInteger("PanelFiles.Width", 2147483647);
        stored.WriteInteger("CtrlDir.Height", 2147483647);
    }
    TFormMain& w = Start({}, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(WaitFor([&] { return w.Chart().RenderCount() > 0; }));
    const QRect free = w.screen()->availableGeometry();
    EXPECT_TRUE(free.contains(w.geometry())) << w.width() << " x " << w.height();
    EXPECT_GE(w.width(), free.width() / 2);
    EXPECT_GE(w.height(), free.height() / 2);
    QWidget& chart = Control("Qor3DChart");
    EXPECT_GE(chart.width(), w.width() / 4);
    EXPECT_GE(Control<QSplitter>("DragBar1").sizes().value(1), 20) << "the file list is kept";
    const QImage shot = ScreenShot(w);
    const QRect area = AreaOf(w, chart);
    EXPECT_GT(ColouredPixels(shot, area, 80), area.width() * area.height() / 50)
        << "the chart is drawn";
    Quit();

    TQorStorage saved;
    PointAtWindow(saved);
    const std::string norm = saved.ReadString("NormPos", "");
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(std::sscanf(norm.c_str(), "%d,%d,%d,%d", &left, &top, &right, &bottom), 4) << norm;
    EXPECT_TRUE(free.contains(QRect(left, top, right - left, bottom - top))) << norm;
    EXPECT_LT(saved.ReadInteger("PanelFiles.Width", 0), right - left);
}
