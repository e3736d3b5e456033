#include "QorEdit.h"

#include "ControlTestSupport.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// An edit shown off screen with a change counter, as a dialog would set it up.
struct TEditFixture {
    TEditFixture(TQorEditStyle style, double min, double max) : edit(style, min, max) {
        edit.OnChange = [this](TQorEdit* sender) {
            EXPECT_EQ(sender, &edit);
            ++changes;
        };
        ShowOffScreen(edit);
    }
    void Type(const QString& text) {
        edit.Editor()->selectAll();
        QTest::keyClicks(edit.Editor(), text);
    }
    TQorEdit edit;
    int changes = 0;
};

} // namespace

TEST(QorEdit, ValueIsClampedWhileValueExKeepsWhatWasTyped) {
    TEditFixture f(pesDouble, -10, 100);
    f.Type("250.5");
    EXPECT_EQ(f.edit.Text(), "250.5");
    EXPECT_DOUBLE_EQ(f.edit.ValueEx(), 250.5);
    EXPECT_DOUBLE_EQ(f.edit.Value(), 100);
    EXPECT_EQ(f.edit.ValueInt(), 100);
    EXPECT_FALSE(f.edit.InRange());
    f.Type("-12,5"); // either separator is accepted
    EXPECT_DOUBLE_EQ(f.edit.ValueEx(), -12.5);
    EXPECT_DOUBLE_EQ(f.edit.Value(), -10);
    f.Type("2.5");
    EXPECT_EQ(f.edit.ValueInt(), 2); // halves to even

    // Keys that cannot form a number of the style are refused.
    TEditFixture cardinal(pesCardinal, 0, 1e12);
    cardinal.Type("-7x3");
    EXPECT_EQ(cardinal.edit.Text(), "73");
    TEditFixture twoDecimals(pesDouble, 0.01, 1000);
    twoDecimals.edit.SetDecPlaces(2);
    twoDecimals.Type("10.555");
    EXPECT_EQ(twoDecimals.edit.Text(), "10.55");
    twoDecimals.edit.SetValue(1.0 / 3);
    EXPECT_EQ(twoDecimals.edit.Text(), "0.33");
    // Decimals are bounded, the exponent form is not; an integer style still refuses it.
    twoDecimals.Type("2e20");
    EXPECT_EQ(twoDecimals.edit.Text(), "2e20");
    EXPECT_DOUBLE_EQ(twoDecimals.edit.ValueEx(), 2e20);
    EXPECT_FALSE(twoDecimals.edit.InRange());
    twoDecimals.Type("-1,25E-1");
    EXPECT_DOUBLE_EQ(twoDecimals.edit.ValueEx(), -0.125);
    twoDecimals.Type("1.234e5");
    EXPECT_EQ(twoDecimals.edit.Text(), "1.23e5");
    TEditFixture integer(pesInteger, -10, 10);
    integer.Type("2e2");
    EXPECT_EQ(integer.edit.Text(), "22");
}

TEST(QorEdit, ProgramSetIsSilentAndChangeValueActsAsTheUser) {
    TEditFixture f(pesDouble, -1e6, 1e6);
    f.edit.SetValue(1.5);
    EXPECT_EQ(f.changes, 0);
    EXPECT_FALSE(f.edit.Modified());
    EXPECT_EQ(f.edit.CurrentColor(), clAqua);

    f.edit.ChangeValue(1.5 * (1 + 1e-12)); // equal to 11 significant digits
    EXPECT_EQ(f.changes, 0);
    EXPECT_FALSE(f.edit.Modified());
    f.edit.ChangeValue(1.5 * (1 + 1e-9));
    EXPECT_EQ(f.changes, 1);
    EXPECT_TRUE(f.edit.Modified());
    EXPECT_EQ(f.edit.CurrentColor(), clWindow);

    // Typing is a user change; a reload marks the edit unchanged again.
    f.Type("7");
    EXPECT_EQ(f.changes, 2);
    f.edit.SetValue(3);
    f.edit.SetModified(false);
    EXPECT_EQ(f.edit.CurrentColor(), clAqua);
    EXPECT_EQ(f.edit.palette().color(QPalette::Base), QColor(0, 255, 255));

    TEditFixture text(pesString, 0, 0);
    text.edit.SetText("Caption");
    text.edit.ChangeText("Caption");
    EXPECT_EQ(text.changes, 0);
    text.edit.ChangeText("Other");
    EXPECT_EQ(text.changes, 1);
}

TEST(QorEdit, OutOfRangeShowsLightRedWhateverTheChangedState) {
    TEditFixture f(pesInteger, -1000000, 1000000);
    f.Type("2000000");
    EXPECT_EQ(f.edit.CurrentColor(), 0x8080FF);
    EXPECT_EQ(f.edit.palette().color(QPalette::Base), QColor(255, 128, 128));
    EXPECT_EQ(f.edit.ValueInt(), 1000000);
    f.Type("5");
    EXPECT_EQ(f.edit.CurrentColor(), clWindow);
    f.edit.SetUnchangedColor(clWhite);
    f.edit.SetModified(false);
    EXPECT_EQ(f.edit.palette().color(QPalette::Base), QColor(255, 255, 255));
}

TEST(QorEdit, SmartSpinStepsToTheValuesMagnitude) {
    const auto up = [](double v) {
        return TQorEdit::SpinValue(v, 1, 0.01, true, 2);
    };
    const auto down = [](double v) {
        return TQorEdit::SpinValue(v, -1, 0.01, true, 2);
    };
    EXPECT_DOUBLE_EQ(up(1234.5), 1300);
    EXPECT_DOUBLE_EQ(up(450), 460);
    EXPECT_DOUBLE_EQ(down(450), 440);
    EXPECT_DOUBLE_EQ(down(100), 99); // below a power of ten the smaller step
    EXPECT_DOUBLE_EQ(up(100), 110);
    EXPECT_DOUBLE_EQ(up(0.3), 0.31);
    EXPECT_DOUBLE_EQ(up(0), 0.01);      // near zero: Increment
    EXPECT_DOUBLE_EQ(up(0.0123), 0.02); // never below Increment
    EXPECT_DOUBLE_EQ(TQorEdit::SpinValue(1234.5, 1, 1, true, 3), 1240);
    EXPECT_DOUBLE_EQ(TQorEdit::SpinValue(1234.5, 1, 10, false, 2), 1244.5);

    // The up key spins as the user, within the range.
    TEditFixture f(pesDouble, 0.01, 1000);
    f.edit.SetValue(995);
    QTest::keyClick(&f.edit, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(f.edit.Value(), 1000);
    EXPECT_EQ(f.changes, 1);
    EXPECT_TRUE(f.edit.Modified());
    EXPECT_FALSE(f.edit.stepEnabled() & QAbstractSpinBox::StepUpEnabled);
    QTest::keyClick(&f.edit, Qt::Key_Down);
    EXPECT_DOUBLE_EQ(f.edit.Value(), 990);
}
