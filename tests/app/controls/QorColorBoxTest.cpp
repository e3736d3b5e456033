#include "QorColorBox.h"

#include "ControlTestSupport.h"

#include <QApplication>
#include <QColorDialog>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(QorColorBox, PicksInTheColourDialogAndShowsTheChangedLook) {
    TQorColorBox box;
    ShowOffScreen(box, {48, 22});
    int changes = 0;
    box.OnChange = [&](TQorColorBox*) {
        ++changes;
    };
    box.SetSelected(clRed);
    EXPECT_EQ(changes, 0);
    QImage shot = Grab(box);
    EXPECT_EQ(QColor(shot.pixel(1, 1)), QColor(0, 255, 255)); // unchanged: aqua frame
    EXPECT_EQ(QColor(shot.pixel(24, 11)), QColor(255, 0, 0));

    // The user clicks, picks green in the dialog and confirms.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(QColor(0, 128, 0));
        dialog->accept();
    });
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(box.Selected(), clGreen);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(box.Modified());
    shot = Grab(box);
    EXPECT_EQ(shot.pixel(1, 1), QApplication::palette().color(QPalette::Base).rgb());
    EXPECT_EQ(QColor(shot.pixel(24, 11)), QColor(0, 128, 0));

    // Cancel keeps the colour.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QTest::mouseClick(&box, Qt::LeftButton);
    EXPECT_EQ(box.Selected(), clGreen);
    EXPECT_EQ(changes, 1);
}
