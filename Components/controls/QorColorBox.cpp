#include "QorColorBox.h"

#include "TCanvas.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionFocusRect>

TQorColorBox::TQorColorBox(QWidget* Parent) : QAbstractButton(Parent) {
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { PickColor(); });
}

void TQorColorBox::SetSelected(TColor v) {
    if (v == FSelected)
        return;
    FSelected = v;
    update();
}

void TQorColorBox::ChangeSelected(TColor v) {
    if (v == FSelected)
        return;
    SetSelected(v);
    SetModified(true);
    if (OnChange)
        OnChange(this);
}

void TQorColorBox::SetModified(bool v) {
    FModified = v;
    update();
}

void TQorColorBox::SetUnchangedColor(TColor v) {
    FUnchangedColor = v;
    update();
}

void TQorColorBox::SetChangedColor(TColor v) {
    FChangedColor = v;
    update();
}

QSize TQorColorBox::sizeHint() const {
    return {48, 22};
}

void TQorColorBox::PickColor() {
    const QColor picked = QColorDialog::getColor(TColorToQColor(FSelected), this, FDialogTitle);
    if (picked.isValid())
        ChangeSelected(RGBColor(picked.red(), picked.green(), picked.blue()));
}

void TQorColorBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect();
    painter.fillRect(frame, TColorToQColor(CurrentColor()));
    const QRect swatch = frame.adjusted(4, 4, -5, -5);
    painter.fillRect(swatch, TColorToQColor(FSelected));
    painter.setPen(palette().color(isEnabled() ? QPalette::WindowText : QPalette::Mid));
    painter.drawRect(swatch);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = frame.adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
