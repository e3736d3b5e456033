#include "QorCheckBox.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

QImage Grab(QWidget& w) {
    return w.grab().toImage();
}

} // namespace

TEST(QorCheckBox, ClicksAndChangeCheckedAreUserChangesProgramSetIsSilent) {
    TQorCheckBox box("Use safe OpenGL (slow):");
    box.setAttribute(Qt::WA_DontShowOnScreen);
    box.resize(200, 24);
    box.show();
    int changes = 0;
    box.OnChange = [&](TQorCheckBox* sender) {
        EXPECT_EQ(sender, &box);
        ++changes;
    };
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(box.Glyphs(), cgPlain);
    const QImage plain = Grab(box);

    box.ChangeChecked(true); // no change, nothing happens
    EXPECT_EQ(changes, 0);
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(box.Modified());
    EXPECT_EQ(box.Glyphs(), cgChanged);
    box.ChangeChecked(true);
    EXPECT_EQ(changes, 2);
    EXPECT_NE(Grab(box), plain); // same state, the changed glyph set

    box.SetModified(false);
    EXPECT_EQ(Grab(box), plain);

    // The caption may stand left of the box.
    box.SetAlignment(taLeftJustify);
    EXPECT_EQ(box.layoutDirection(), Qt::RightToLeft);
}
