// The file list as the user and other programs change it: the folder followed as files come and
// go, a press and release on two entries, names equal but for case, playback's frames.
#include "QorCheckBox.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "app/viewer/mainwindow/WatchTestSupport.h"
#include "desktop/URecentlyUsed.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <cstdio>

namespace {

QString PathOf(const TempDir& Dir, const char* Name) {
    return QString::fromStdString(Dir.File(Name));
}

// Two surfaces told apart by their height at (2, 3): 2 for the first, 3 for the second.
void WriteTwoSurfaces(const TempDir& Dir, const char* First, const char* Second) {
    WriteFileText(Dir.File(First), SurfaceText(5, [](int i, int) { return i; }));
    WriteFileText(Dir.File(Second), SurfaceText(5, [](int, int k) { return k; }));
}

} // namespace

using FormMainList = TFormMainFixture;

// In a language's locale numbers go by their value; the C locale compares characters.
TEST(FileListBox, SortsWithoutCaseNumbersByValueAndCaseTwinsInCodeOrder) {
    const QLocale before;
    TFileListBox list;
    const QStringList names = {"b10", "run", "B2", "c", "Run", "a"};
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    list.SetFiles(names);
    EXPECT_EQ(list.Files(), (QStringList{"a", "B2", "b10", "c", "Run", "run"}));
    QLocale::setDefault(QLocale::c());
    list.SetFiles(names);
    QLocale::setDefault(before);
    EXPECT_EQ(list.Files(), (QStringList{"a", "b10", "B2", "c", "Run", "run"}));
    ASSERT_TRUE(list.SelectFile("run"));
    EXPECT_EQ(list.SelectedFile(), "run");
    ASSERT_TRUE(list.SelectFile("RUN"));
    EXPECT_EQ(list.SelectedFile(), "Run");
    EXPECT_FALSE(list.SelectFile("d"));
}

// Files written, renamed and removed by another program show in the list within a moment, the
// selected entry and the shown chart staying as they were.
TEST_F(FormMainList, TheListFollowsTheFolderKeepingTheSelection) {
    TempDir dir;
    WriteTwoSurfaces(dir, "a.p3d", "b.p3d");
    TFormMain& w = Start();
    w.OpenFileByPath(PathOf(dir, "b.p3d"));
    ASSERT_EQ(FileList().Files(), (QStringList{"a.p3d", "b.p3d"}));
    WriteFileText(dir.File("c.p3d"), SurfaceText(5, [](int, int) { return 1; }));
    WriteFileText(dir.File("notes.dat"), "not listed under chart files");
    EXPECT_TRUE(WaitFor([&] { return FileList().count() == 3; }));
    EXPECT_EQ(FileList().Files(), (QStringList{"a.p3d", "b.p3d", "c.p3d"}));
    ASSERT_EQ(std::remove(dir.File("a.p3d").c_str()), 0);
    ASSERT_EQ(std::rename(dir.File("c.p3d").c_str(), dir.File("d.p3d").c_str()), 0);
    EXPECT_TRUE(WaitFor([&] { return FileList().Files() == QStringList{"b.p3d", "d.p3d"}; }));
    EXPECT_EQ(FileList().SelectedFile(), "b.p3d");
    EXPECT_EQ(w.LoadedFile(), PathOf(dir, "b.p3d"));
    EXPECT_EQ(HeightAt(w.Chart(), 2, 3), 3.0f);
}

// The button goes down on one entry and comes up on the next: the entry selected then is the
// one loaded, so Reload and playback go on from the file shown.
TEST_F(FormMainList, APressAndReleaseOnAnotherEntryLoadsTheEntrySelected) {
    TempDir dir;
    WriteTwoSurfaces(dir, "a.p3d", "b.p3d");
    TFormMain& w = Start();
    w.OpenFileByPath(PathOf(dir, "a.p3d"));
    TFileListBox& list = FileList();
    QWidget* view = list.viewport();
    const QPoint onA = list.visualItemRect(list.item(0)).center();
    const QPoint onB = list.visualItemRect(list.item(1)).center();
    QTest::mousePress(view, Qt::LeftButton, {}, onA);
    QMouseEvent move(QEvent::MouseMove, onB, view->mapToGlobal(onB), Qt::NoButton, Qt::LeftButton,
                     {});
    QCoreApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, onB);
    EXPECT_EQ(list.SelectedFile(), "b.p3d");
    EXPECT_EQ(w.LoadedFile(), PathOf(dir, "b.p3d"));
    EXPECT_EQ(HeightAt(w.Chart(), 2, 3), 3.0f);
}

// "Run.p3d" and "run.p3d" in one folder: opening one by path selects that one, not its twin.
TEST_F(FormMainList, OpeningByPathSelectsTheExactNameBeforeACaseTwin) {
    TempDir dir;
    WriteTwoSurfaces(dir, "Run.p3d", "run.p3d");
    TFormMain& w = Start();
    w.OpenFileByPath(PathOf(dir, "run.p3d"));
    EXPECT_EQ(FileList().SelectedFile(), "run.p3d");
    Action("MenuItemReloadChart").trigger();
    EXPECT_EQ(w.LoadedFile(), PathOf(dir, "run.p3d"));
    EXPECT_EQ(HeightAt(w.Chart(), 2, 3), 3.0f);
    w.OpenFileByPath(PathOf(dir, "Run.p3d"));
    EXPECT_EQ(FileList().SelectedFile(), "Run.p3d");
}

// Playback's frames are not recorded as opened files: only the one shown when it stops goes to
// the desktop's recent files. The places that would show another folder are off meanwhile.
TEST_F(FormMainList, PlaybackRecordsOnlyTheLastFileAndLocksTheFolder) {
    TempDir dir;
    for (const char* name : {"f1.p3d", "f2.p3d", "f3.p3d"})
        WriteFileText(dir.File(name), SurfaceText(5, [](int i, int) { return i; }));
    TFormMain& w = Start();
    w.OpenFileByPath(PathOf(dir, "f1.p3d"));
    QFile::remove(RecentlyUsedFile());
    auto& play = Control<QPushButton>("BtnPlay");
    QTest::mouseClick(&play, Qt::LeftButton);
    EXPECT_FALSE(Control<QToolButton>("BtnHome").isEnabled());
    EXPECT_FALSE(Control<QToolButton>("BtnSamples").isEnabled());
    ASSERT_TRUE(WaitFor([&] { return w.LoadedFile() == PathOf(dir, "f2.p3d"); }));
    EXPECT_FALSE(QFile::exists(RecentlyUsedFile()));
    ASSERT_TRUE(WaitFor([&] { return play.text() == "Play"; }));
    EXPECT_EQ(w.LoadedFile(), PathOf(dir, "f3.p3d"));
    const std::string recent = ReadFileText(RecentlyUsedFile().toStdString());
    EXPECT_NE(recent.find("f3.p3d"), std::string::npos);
    EXPECT_EQ(recent.find("f2.p3d"), std::string::npos);
    EXPECT_TRUE(Control<QToolButton>("BtnHome").isEnabled());
    EXPECT_TRUE(Control<QToolButton>("BtnSamples").isEnabled());
}
