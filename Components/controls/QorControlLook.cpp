#include "QorControlLook.h"

#include "TCanvas.h"

#include <QPalette>
#include <QWidget>

void SetControlBackground(QWidget& Widget, TColor Color) {
    const QColor c = TColorToQColor(Color);
    QPalette palette = Widget.palette();
    if (palette.color(QPalette::Base) == c)
        return;
    palette.setColor(QPalette::Base, c);
    Widget.setPalette(palette);
}

void SetListBackground(QWidget& Widget, TColor Color) {
    const QColor c = TColorToQColor(Color);
    QPalette palette = Widget.palette();
    if (palette.color(QPalette::Base) == c && palette.color(QPalette::Button) == c)
        return;
    palette.setColor(QPalette::Base, c);
    palette.setColor(QPalette::Button, c);
    Widget.setPalette(palette);
}
