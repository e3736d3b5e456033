#include "FMainTestSupport.h"
#include "QorCheckBox.h"
#include "QorEdit.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

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

// Weights that add up to zero would turn the grid into NaN: Set refuses them with a message
// and keeps the dialog open; nothing is stored.
TEST_F(FilterSetting, RefusesWeightsThatAddUpToZero) {
    TFormMain& w = Start();
    QString message;
    bool stillOpen = false;
    OnNextModal([&](QWidget* dialog) {
        auto* near = dialog->findChild<TQorEdit*>("EditNear");
        near->Editor()->selectAll();
        QTest::keyClicks(near->Editor(), "1");
        OnNextModal([&](QWidget* box) {
            auto* warning = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(warning, nullptr);
            message = warning->text();
            warning->button(QMessageBox::Ok)->click();
            QTimer::singleShot(0, dialog, [&, dialog] {
                stillOpen = dialog->isVisible();
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    Action("MenuItemFilterSetting").trigger();
    EXPECT_EQ(message, "The near and far weights must not add up to zero.");
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(w.Storage().ReadInteger("EditNear.VInt", 0), 0);
}
