#include "TCanvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

QColor TColorToQColor(TColor Color) {
    const TColor c = ColorToRGB(Color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TQPainterCanvas::TQPainterCanvas(QPainter& Painter) : FPainter(Painter) {
    FPainter.save();
    // Pixel-exact output: rectangles and lines land on whole pixels, images are not smoothed.
    FPainter.setRenderHint(QPainter::Antialiasing, false);
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    FPainter.setRenderHint(QPainter::TextAntialiasing, true);
    FFont = FPainter.font();
}

TQPainterCanvas::~TQPainterCanvas() {
    FPainter.restore();
}

void TQPainterCanvas::SetFont(const TFont& Font) {
    FFont = Font.ToQFont();
    FFontColor = Font.Color();
    FPainter.setFont(FFont);
}

void TQPainterCanvas::SetPenColor(TColor Color) {
    FPenColor = Color;
}

void TQPainterCanvas::SetPenWidth(int Width) {
    FPenWidth = std::max(1, Width);
}

void TQPainterCanvas::SetBrushColor(TColor Color) {
    FBrushColor = Color;
}

void TQPainterCanvas::SetBrushStyle(TBrushStyle Style) {
    FBrushStyle = Style;
}

void TQPainterCanvas::FillRect(const TRect& Rect) {
    if (Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top)
        return;
    FPainter.fillRect(QRect(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()),
                      TColorToQColor(FBrushColor));
}

void TQPainterCanvas::Line(int X1, int Y1, int X2, int Y2) {
    const QColor color = TColorToQColor(FPenColor);
    // Straight lines are filled as pixel blocks centred on the line, so they cover exactly the
    // columns and rows up to the end point whatever the pen width.
    const int before = (FPenWidth - 1) / 2;
    if (Y1 == Y2) {
        if (X1 != X2)
            FPainter.fillRect(
                QRect(X1 < X2 ? X1 : X2 + 1, Y1 - before, std::abs(X2 - X1), FPenWidth), color);
        return;
    }
    if (X1 == X2) {
        if (Y1 != Y2)
            FPainter.fillRect(
                QRect(X1 - before, Y1 < Y2 ? Y1 : Y2 + 1, FPenWidth, std::abs(Y2 - Y1)), color);
        return;
    }
    QPen pen(color);
    pen.setWidth(FPenWidth);
    pen.setCapStyle(Qt::FlatCap);
    FPainter.setPen(pen);
    FPainter.drawLine(QLineF(X1 + 0.5, Y1 + 0.5, X2 + 0.5, Y2 + 0.5));
}

void TQPainterCanvas::TextOut(int X, int Y, const std::string& Text) {
    if (Text.empty())
        return;
    const QString text = QString::fromStdString(Text);
    const QFontMetrics fm(FFont);
    if (FBrushStyle == bsSolid)
        FPainter.fillRect(QRect(X, Y, fm.horizontalAdvance(text), fm.height()),
                          TColorToQColor(FBrushColor));
    FPainter.setFont(FFont);
    FPainter.setPen(TColorToQColor(FFontColor));
    FPainter.drawText(QPoint(X, Y + fm.ascent()), text);
}

int TQPainterCanvas::TextWidth(const std::string& Text) {
    return QFontMetrics(FFont).horizontalAdvance(QString::fromStdString(Text));
}

int TQPainterCanvas::TextHeight(const std::string& /*Text*/) {
    return QFontMetrics(FFont).height();
}

void TQPainterCanvas::StretchDraw(const TRect& Rect, const QImage& Image) {
    if (Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top || Image.isNull())
        return;
    FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    FPainter.drawImage(QRect(Rect.Left, Rect.Top, Rect.Width(), Rect.Height()), Image);
}
