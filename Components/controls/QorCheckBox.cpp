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
    update();
}

// The style lays the parts out left to right; with the caption on the left each part's
// rectangle is mirrored inside the widget. The caption keeps its own reading order, and
// layouts place the widget like any other.
QRect TQorCheckBox::PartRect(QStyle::SubElement Part, const QStyleOptionButton& Option) const {
    const QRect r = style()->subElementRect(Part, &Option, this);
    return FAlignment == taLeftJustify ? QStyle::visualRect(Qt::RightToLeft, rect(), r) : r;
}

bool TQorCheckBox::hitButton(const QPoint& Pos) const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return PartRect(QStyle::SE_CheckBoxClickRect, option).contains(Pos);
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
    QStyleOptionButton part = option;
    part.rect = PartRect(QStyle::SE_CheckBoxIndicator, option);
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, part);
    part.rect = PartRect(QStyle::SE_CheckBoxContents, option);
    painter.drawControl(QStyle::CE_CheckBoxLabel, part);
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = PartRect(QStyle::SE_CheckBoxFocusRect, option);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
