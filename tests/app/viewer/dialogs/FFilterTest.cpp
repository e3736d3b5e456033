// The "Filter Setting" dialog as the main window's menu opens it.
#include "QorEdit.h"
#include "app/viewer/FMainTestSupport.h"

#include <QPushButton>

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
