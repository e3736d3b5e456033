#include "QorCheckBox.h"

#include "ControlTestSupport.h"

#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The part of columns X0 ... X1 - 1 that differs from the background, cut to its bounds.
QImage Ink(const QImage& Image, int X0, int X1, QRgb Background) {
    QRect bounds;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = X0; x < X1; ++x)
            if (Image.pixel(x, y) != Background)
                bounds |= QRect(x, y, 1, 1);
    return Image.copy(bounds);
}

} // namespace

TEST(QorCheckBox, ClicksAndChangeCheckedAreUserChangesProgramSetIsSilent) {
    TQorCheckBox box("Use safe OpenGL (slow):");
    ShowOffScreen(box, {200, 24});
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
}

// The caption on the left is the same caption, in its own reading order, with the box at the
// right end; clicks on the box there toggle it and layouts place the widget as any other.
TEST(QorCheckBox, ACaptionOnTheLeftKeepsItsTextAndMirrorsOnlyThePlaces) {
    const QString caption = "Use safe OpenGL (slow):";
    TQorCheckBox right(caption);
    TQorCheckBox left(caption);
    left.SetAlignment(taLeftJustify);
    EXPECT_EQ(left.layoutDirection(), Qt::LeftToRight);
    for (TQorCheckBox* box : {&right, &left}) {
        box->SetChecked(true);
        ShowOffScreen(*box, box->sizeHint());
    }
    const QImage a = Grab(right);
    const QImage b = Grab(left);
    QCheckBox plain(caption); // the box on the left looks as Qt's own
    plain.setChecked(true);
    ShowOffScreen(plain, right.size());
    EXPECT_EQ(Grab(plain), a);
    ASSERT_EQ(a.size(), b.size());
    const int w = a.width();
    const int box = right.style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &right);
    const int gap = right.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &right);
    EXPECT_EQ(b.copy(w - box, 0, box, b.height()), a.copy(0, 0, box, a.height()));
    const QRgb back = right.palette().color(QPalette::Window).rgb();
    EXPECT_EQ(Ink(b, 0, w - box - gap, back), Ink(a, box + gap, w, back));

    left.resize(200, left.height());
    QTest::mouseClick(&left, Qt::LeftButton, {}, QPoint(200 - box / 2, left.height() / 2));
    EXPECT_FALSE(left.Checked());
    EXPECT_TRUE(left.Modified());
}
