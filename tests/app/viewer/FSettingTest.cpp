#include "FMainTestSupport.h"
#include "QorCheckBox.h"
#include "QorEdit.h"

#include <QLabel>
#include <QPushButton>

using ProgramProperties = TFormMainFixture;

// Opens "Program Properties" from the menu; Act runs while it is shown.
static void OpenProgramProperties(TFormMainFixture&, QAction& Command,
                                  const std::function<void(QWidget*)>& Act) {
    OnNextModal(Act);
    Command.trigger();
}

TEST_F(ProgramProperties, TheBoxActsAtOnceCancelPutsTheFormerModeBack) {
    TFormMain& w = Start();
    w.SetLanguage("CZ");
    OpenProgramProperties(*this, Action("PropertiesMenuItem"), [&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Program Properties");
        auto* label = dialog->findChild<QLabel*>("LabelGLVer");
        auto* box = dialog->findChild<TQorCheckBox*>("ChSafeGL");
        EXPECT_TRUE(label->text().startsWith("OpenGL version: ")); // at showing, always
        EXPECT_FALSE(box->Checked());
        EXPECT_EQ(box->Glyphs(), cgPlain);
        EXPECT_EQ(box->text(), "Use safe OpenGL (slow):");
        EXPECT_EQ(dialog->focusWidget(), dialog->findChild<QPushButton*>("BtnClose"));
        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_TRUE(w.Chart().UseSafeBitmapMode());
        EXPECT_TRUE(w.Chart().IsBitmapMode());
        EXPECT_TRUE(w.DefaultChart().UseSafeBitmapMode());
        EXPECT_TRUE(label->text().startsWith("Verze OpenGL: "));
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnCancel"), Qt::LeftButton);
    });
    EXPECT_FALSE(w.Chart().UseSafeBitmapMode());
    EXPECT_FALSE(w.DefaultChart().UseSafeBitmapMode());
    EXPECT_FALSE(w.Storage().ValueExists("ChSafeGL.Checked"));
    EXPECT_EQ(w.Language(), "CZ");
}

TEST_F(ProgramProperties, CloseStoresTheModeAndSetsEnglish) {
    TFormMain& w = Start();
    w.SetLanguage("CZ");
    OpenProgramProperties(*this, Action("PropertiesMenuItem"), [&](QWidget* dialog) {
        QTest::keyClick(dialog->findChild<TQorCheckBox*>("ChSafeGL"), Qt::Key_Space);
        QTest::keyClick(dialog, Qt::Key_Return); // the default button
    });
    EXPECT_TRUE(w.Chart().UseSafeBitmapMode());
    EXPECT_TRUE(w.Storage().ReadBool("ChSafeGL.Checked", false));
    EXPECT_EQ(w.Language(), "EN");
    Quit();
    EXPECT_TRUE(Start().Chart().UseSafeBitmapMode()); // read at the next start
}

TEST_F(ProgramProperties, FastDrawingWhileTurningIsOnUntilCloseStoresItOff) {
    TFormMain& w = Start();
    EXPECT_TRUE(w.Chart().FastTurning());
    const auto untick = [](QWidget* dialog) {
        auto* box = dialog->findChild<TQorCheckBox*>("ChFastTurning");
        EXPECT_EQ(box->text(), "Fast drawing while turning");
        EXPECT_TRUE(box->Checked());
        QTest::keyClick(box, Qt::Key_Space);
    };
    OpenProgramProperties(*this, Action("PropertiesMenuItem"), [&](QWidget* dialog) {
        untick(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_TRUE(w.Chart().FastTurning());
    EXPECT_FALSE(w.Storage().ValueExists("ChFastTurning.Checked"));
    OpenProgramProperties(*this, Action("PropertiesMenuItem"), [&](QWidget* dialog) {
        untick(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    EXPECT_FALSE(w.Chart().FastTurning());
    EXPECT_FALSE(w.Storage().ReadBool("ChFastTurning.Checked", true));
    Quit();
    EXPECT_FALSE(Start().Chart().FastTurning()); // read at the next start
}

using FilterSetting = TFormMainFixture;

TEST_F(FilterSetting, ShowsTheDefaultsAndStoresClampedWeights) {
    TFormMain& w = Start();
    OnNextModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Filter Setting");
        auto* near = dialog->findChild<TQorEdit*>("EditNear");
        auto* far = dialog->findChild<TQorEdit*>("EditFar");
        EXPECT_EQ(near->Text(), "10");
        EXPECT_EQ(far->Text(), "-1");
        EXPECT_EQ(near->CurrentColor(), clAqua);
        near->Editor()->selectAll();
        QTest::keyClicks(near->Editor(), "2000000");
        QTest::keyClick(far, Qt::Key_Down); // step 1
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    Action("MenuItemFilterSetting").trigger();
    EXPECT_EQ(w.Storage().ReadInteger("EditNear.VInt", 0), 1000000);
    EXPECT_EQ(w.Storage().ReadInteger("EditFar.VInt", 0), -2);

    OnNextModal([](QWidget* dialog) {
        auto* near = dialog->findChild<TQorEdit*>("EditNear");
        EXPECT_EQ(near->ValueInt(), 1000000);
        near->ChangeValue(5);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Action("MenuItemFilterSetting").trigger();
    EXPECT_EQ(w.Storage().ReadInteger("EditNear.VInt", 0), 1000000);
}
