#include "QorCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

TQorCheckBox::TQorCheckBox(QWidget* Parent) : TQorCheckBox(QString(), Parent) {}

TQorCheckBox::TQorCheckBox(const QString& Caption, QWidget* Parent) : QCheckBox(Caption, Parent) {
    // clicked comes from the mouse and the keyboard only, never from setChecked.
    connect(this, &QCheckBox::clicked, this, [this] { Changed(); });
}

void TQorCheckBox::SetChecked(bool v) {
    setChecked(v);
}

void TQorCheckBox::ChangeChecked(bool v) {
    if (v == isChecked())
        return;
    setChecked(v);
    Changed();
}

void TQorCheckBox::SetModified(bool v) {
    if (v == FModified)
        return;
    FModified = v;
    update();
}

void TQorCheckBox::SetAlignment(TLeftRight v) {
    FAlignment = v;
    setLayoutDirection(v == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TQorCheckBox::Changed() {
    SetModified(true);
    if (OnChange)
        OnChange(this);
}

void TQorCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (FModified) {
        // The changed glyphs: the box in the selection colours of the desktop.
        const QPalette& p = palette();
        option.palette.setColor(QPalette::Base, p.color(QPalette::Highlight));
        option.palette.setColor(QPalette::Text, p.color(QPalette::HighlightedText));
    }
    painter.drawControl(QStyle::CE_CheckBox, option);
}
