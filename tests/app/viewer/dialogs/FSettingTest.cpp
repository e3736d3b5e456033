// The "Program Properties" dialog as the main window's menu opens it.
#include "QorCheckBox.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "app/viewer/mainwindow/WatchTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

using ProgramProperties = TFormMainFixture;

// Safe mode acts at once and fast drawing as the dialog closes; Cancel and Esc put the former
// settings back, Enter and Close store them, and the next start reads them.
TEST_F(ProgramProperties, CancelPutsTheSettingsBackCloseStoresThem) {
    TFormMain& w = Start();
    w.SetLanguage("CZ");
    EXPECT_TRUE(w.Chart().FastTurning());
    // Ticks the safe mode and unticks fast drawing.
    const auto toggleBoth = [&](QWidget* dialog) {
        auto* safe = dialog->findChild<TQorCheckBox*>("ChSafeGL");
        EXPECT_FALSE(safe->Checked());
        QTest::keyClick(safe, Qt::Key_Space);
        EXPECT_TRUE(w.Chart().UseSafeBitmapMode());
        EXPECT_TRUE(w.Chart().IsBitmapMode());
        EXPECT_TRUE(w.DefaultChart().UseSafeBitmapMode());
        auto* fast = dialog->findChild<TQorCheckBox*>("ChFastTurning");
        EXPECT_EQ(fast->text(), "Fast drawing while turning");
        EXPECT_TRUE(fast->Checked());
        QTest::keyClick(fast, Qt::Key_Space);
    };
    OnNextModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Program Properties");
        auto* label = dialog->findChild<QLabel*>("LabelGLVer");
        auto* box = dialog->findChild<TQorCheckBox*>("ChSafeGL");
        EXPECT_TRUE(label->text().startsWith("OpenGL version: ")); // at showing, always
        EXPECT_EQ(box->Glyphs(), cgPlain);
        EXPECT_EQ(box->text(), "Use safe OpenGL (slow):");
        EXPECT_EQ(dialog->focusWidget(), dialog->findChild<QPushButton*>("BtnClose"));
        toggleBoth(dialog);
        EXPECT_TRUE(label->text().startsWith("Verze OpenGL: "));
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnCancel"), Qt::LeftButton);
    });
    Action("PropertiesMenuItem").trigger();
    OnNextModal([&](QWidget* dialog) {
        toggleBoth(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Action("PropertiesMenuItem").trigger();
    EXPECT_FALSE(w.Chart().UseSafeBitmapMode());
    EXPECT_FALSE(w.DefaultChart().UseSafeBitmapMode());
    EXPECT_TRUE(w.Chart().FastTurning());
    EXPECT_FALSE(w.Storage().ValueExists("ChSafeGL.Checked"));
    EXPECT_FALSE(w.Storage().ValueExists("ChFastTurning.Checked"));
    EXPECT_EQ(w.Language(), "CZ");

    OnNextModal([&](QWidget* dialog) {
        toggleBoth(dialog);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    Action("PropertiesMenuItem").trigger(); // Enter presses the default button, Close
    const auto stored = [&] {
        EXPECT_TRUE(w.Chart().UseSafeBitmapMode());
        EXPECT_FALSE(w.Chart().FastTurning());
        EXPECT_TRUE(w.Storage().ReadBool("ChSafeGL.Checked", false));
        EXPECT_FALSE(w.Storage().ReadBool("ChFastTurning.Checked", true));
    };
    stored();
    EXPECT_EQ(w.Language(), "EN");
    OnNextModal([&](QWidget* dialog) {
        EXPECT_TRUE(dialog->findChild<TQorCheckBox*>("ChSafeGL")->Checked());
        EXPECT_FALSE(dialog->findChild<TQorCheckBox*>("ChFastTurning")->Checked());
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    Action("PropertiesMenuItem").trigger();
    stored();
    Quit();
    TFormMain& again = Start(); // read at the next start
    EXPECT_TRUE(again.Chart().UseSafeBitmapMode());
    EXPECT_FALSE(again.Chart().FastTurning());
}

// Showing the open dialog again (a minimised dialog restored) does not take the mode changed
// meanwhile for the one Cancel goes back to.
TEST_F(ProgramProperties, ShowingAgainKeepsTheModeCancelGoesBackTo) {
    TFormMain& w = Start();
    OnNextModal([&](QWidget* dialog) {
        auto* safe = dialog->findChild<TQorCheckBox*>("ChSafeGL");
        QTest::keyClick(safe, Qt::Key_Space);
        ASSERT_TRUE(w.Chart().UseSafeBitmapMode());
        QShowEvent shown;
        QCoreApplication::sendEvent(dialog, &shown);
        EXPECT_TRUE(safe->Checked());
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnCancel"), Qt::LeftButton);
    });
    Action("PropertiesMenuItem").trigger();
    EXPECT_FALSE(w.Chart().UseSafeBitmapMode());
}

// Reloading the chart when its file changes is on while nothing is stored; unticked and closed,
// the shown file's changes are no longer read, and the next start keeps it off.
TEST_F(ProgramProperties, ReloadingOnChangeIsOnUntilUntickedAndStored) {
    TempDir dir;
    const std::string file = dir.File("live.p3d");
    WriteFileText(file, SurfaceText(5, [](int i, int) { return i; }));
    TFormMain& w = Start();
    w.OpenFileByPath(QString::fromStdString(file));
    EXPECT_TRUE(w.ReloadOnChange());
    WriteFileText(file, SurfaceText(5, [](int, int k) { return k; }));
    EXPECT_TRUE(WaitFor([&] { return HeightAt(w.Chart(), 2, 3) == 3.0f; }));

    OnNextModal([&](QWidget* dialog) {
        auto* box = dialog->findChild<TQorCheckBox*>("ChReloadOnChange");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Reload the chart when its file changes");
        EXPECT_TRUE(box->Checked());
        QTest::keyClick(box, Qt::Key_Space);
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    Action("PropertiesMenuItem").trigger();
    EXPECT_FALSE(w.ReloadOnChange());
    EXPECT_FALSE(w.Storage().ReadBool("ChReloadOnChange.Checked", true));
    WriteFileText(file, SurfaceText(5, [](int i, int k) { return i * k; }));
    QTest::qWait(800);
    EXPECT_EQ(HeightAt(w.Chart(), 2, 3), 3.0f);
    Quit();
    EXPECT_FALSE(Start().ReloadOnChange());
}
