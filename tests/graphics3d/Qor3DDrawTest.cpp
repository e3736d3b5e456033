#include "Qor3DDraw.h"

#include <gtest/gtest.h>

namespace {

TEST(Qor3DDrawDefaults, ConstructorValues) {
    TQor3DDraw d;
    EXPECT_EQ(d.BackgroundColor(), clWhite);
    EXPECT_FALSE(d.DisableBufferClearing());
    EXPECT_FALSE(d.DisableMatrixInit());
    EXPECT_TRUE(d.LightsON());
    EXPECT_TRUE(d.PerspectiveON());
    EXPECT_DOUBLE_EQ(d.XMin(), 0.3);
    EXPECT_DOUBLE_EQ(d.YMin(), 0.3);
    EXPECT_DOUBLE_EQ(d.ZNear(), 1.0);
    EXPECT_DOUBLE_EQ(d.ZFar(), 100.0);
    EXPECT_DOUBLE_EQ(d.RotX() + d.RotY() + d.RotZ(), 0.0);
    EXPECT_DOUBLE_EQ(d.TranslX() + d.TranslY() + d.TranslZ(), 0.0);
    EXPECT_DOUBLE_EQ(d.ScaleX() * d.ScaleY() * d.ScaleZ(), 1.0);
    EXPECT_DOUBLE_EQ(d.ViewScale(), 0.5);
    EXPECT_DOUBLE_EQ(d.ViewRotX(), 20.0);
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 30.0);
    EXPECT_DOUBLE_EQ(d.ViewMoveX(), 0.0);
    EXPECT_DOUBLE_EQ(d.ViewMoveY(), 0.0);
    EXPECT_DOUBLE_EQ(d.ViewMoveZ(), -2.5);
    EXPECT_EQ(d.DragType(), pdRotate);
    EXPECT_EQ(d.DragTypeMid(), pdMove);
    EXPECT_EQ(d.DragTypeRight(), pdNone);
    EXPECT_EQ(d.WheelAction(), pdZoom);
    EXPECT_TRUE(d.UseDoubleBuffer());
    EXPECT_FALSE(d.UseFastDoubleBuffer());
    EXPECT_FALSE(d.UseSafeBitmapMode());
    EXPECT_EQ(d.Cursor(), crSizeAll);
    EXPECT_EQ(d.LastRenderWidth(), -1);
    EXPECT_EQ(d.LastRenderHeight(), -1);
    EXPECT_FALSE(d.IsBitmapMode());
}

TEST(Qor3DDrawSetters, AnglesAreReducedAndChangesNotifiedOnce) {
    TQor3DDraw d;
    int changes = 0;
    d.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &d);
        ++changes;
    };
    d.SetRotX(450);
    EXPECT_DOUBLE_EQ(d.RotX(), 90);
    EXPECT_EQ(changes, 1);
    d.SetRotX(90);
    EXPECT_EQ(changes, 1);
    d.SetRotX(-450);
    EXPECT_DOUBLE_EQ(d.RotX(), -90);
    d.SetViewRotY(370);
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 10);
    d.SetViewRotX(-370);
    EXPECT_DOUBLE_EQ(d.ViewRotX(), -10);
    d.SetRotZ(720);
    EXPECT_DOUBLE_EQ(d.RotZ(), 0);
    EXPECT_EQ(changes, 4);
}

} // namespace
