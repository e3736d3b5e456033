#include "desktop/UQorWaitCursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

TEST(UQorWaitCursor, NestsAndRestoresTheCursorWhenTheLastRequestEnds) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        TQorWaitCursor outer;
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            TQorWaitCursor inner;
            EXPECT_EQ(WaitCursorCount(), 2);
        }
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // A switch-off too many changes nothing; the end of the program restores in any case.
    WaitCursor(false);
    EXPECT_EQ(WaitCursorCount(), 0);
    WaitCursor(true);
    WaitCursor(true);
    ResetWaitCursor();
    EXPECT_EQ(WaitCursorCount(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
