// The "Filter Setting" dialog as the main window's menu opens it.
#include "QorEdit.h"
#include "app/viewer/FMainTestSupport.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

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
