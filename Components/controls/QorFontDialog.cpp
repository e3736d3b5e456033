#include "QorFontDialog.h"

#include <QFontDialog>
#include <cmath>

TFont FontFromQFont(const QFont& Font, const TFont& Base) {
    TFont f(Base);
    f.SetName(Font.family().toStdString());
    if (Font.pixelSize() > 0)
        f.SetHeight(-Font.pixelSize());
    else
        f.SetHeight(-RoundHalfEven(Font.pointSizeF() * TFont::PixelsPerInch / 72.0));
    TFontStyles style;
    if (Font.bold())
        style.Include(fsBold);
    if (Font.italic())
        style.Include(fsItalic);
    if (Font.underline())
        style.Include(fsUnderline);
    if (Font.strikeOut())
        style.Include(fsStrikeOut);
    f.SetStyle(style);
    return f;
}

bool ExecFontDialog(QWidget* Parent, TFont& Font) {
    QFontDialog dialog(Parent);
    dialog.setCurrentFont(Font.ToQFont());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Font = FontFromQFont(dialog.selectedFont(), Font);
    return true;
}
