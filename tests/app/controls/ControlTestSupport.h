// Helpers of the control tests: widgets shown off screen, so that sizes and paints reach them at
// once, and their pictures.
#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

// Shows Widget off screen, resized to Size when one is given.
inline void ShowOffScreen(QWidget& Widget, QSize Size = {}) {
    Widget.setAttribute(Qt::WA_DontShowOnScreen);
    if (Size.isValid())
        Widget.resize(Size);
    Widget.show();
}

inline QImage Grab(QWidget& Widget) {
    return Widget.grab().toImage();
}
