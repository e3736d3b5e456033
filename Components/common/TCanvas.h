// A small 2D drawing surface: the operations the legend and other 2D drawings need, with a
// QPainter implementation. Coordinates are pixels; a rectangle covers Left ... Right - 1 and
// Top ... Bottom - 1, and a line leaves out its end point.
#pragma once

#include "UQorTypes.h"

#include <QFont>
#include <string>

class QImage;
class QPainter;

enum TBrushStyle : uint8_t { bsSolid, bsClear };

// Text measured in a font: what a layout needs of a canvas.
class TTextMeasure {
public:
    virtual ~TTextMeasure() = default;
    virtual int TextWidth(const std::string& Text) = 0;
    // The height of a line of text in the current font, whatever the text.
    virtual int TextHeight(const std::string& Text) = 0;
};

class TCanvas : public TTextMeasure {
public:
    TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    ~TCanvas() override = default;

    // Text is measured and written in this font, in its colour.
    virtual void SetFont(const TFont& Font) = 0;
    virtual void SetPenColor(TColor Color) = 0;
    virtual void SetPenWidth(int Width) = 0;
    virtual void SetBrushColor(TColor Color) = 0;
    // With bsClear, text is written without background and FillRect is still solid.
    virtual void SetBrushStyle(TBrushStyle Style) = 0;

    // Fills with the brush colour.
    virtual void FillRect(const TRect& Rect) = 0;
    // From (X1, Y1) to (X2, Y2) with the pen, end point not drawn.
    virtual void Line(int X1, int Y1, int X2, int Y2) = 0;
    // The text's top-left corner at (X, Y); TextWidth and TextHeight measure it.
    virtual void TextOut(int X, int Y, const std::string& Text) = 0;
    // Every source pixel becomes a block of target pixels: no smoothing.
    virtual void StretchDraw(const TRect& Rect, const QImage& Image) = 0;
};

// Draws through a borrowed QPainter (on a QImage, a widget or an SVG generator). The painter's
// state is saved on construction and restored on destruction.
class TQPainterCanvas : public TCanvas {
public:
    explicit TQPainterCanvas(QPainter& Painter);
    ~TQPainterCanvas() override;

    void SetFont(const TFont& Font) override;
    void SetPenColor(TColor Color) override;
    void SetPenWidth(int Width) override;
    void SetBrushColor(TColor Color) override;
    void SetBrushStyle(TBrushStyle Style) override;

    void FillRect(const TRect& Rect) override;
    void Line(int X1, int Y1, int X2, int Y2) override;
    void TextOut(int X, int Y, const std::string& Text) override;
    int TextWidth(const std::string& Text) override;
    int TextHeight(const std::string& Text) override;
    void StretchDraw(const TRect& Rect, const QImage& Image) override;

private:
    QPainter& FPainter;
    QFont FFont;
    TColor FFontColor = clBlack;
    TColor FPenColor = clBlack;
    int FPenWidth = 1;
    TColor FBrushColor = clWhite;
    TBrushStyle FBrushStyle = bsSolid;
};

// A TColor (system colours resolved) as a Qt colour.
QColor TColorToQColor(TColor Color);
