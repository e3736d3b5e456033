// The 2D canvas that paint events draw on. TQPainterCanvas draws through a QPainter on a
// QImage or a widget; tests may supply their own canvas.
#pragma once

class QPainter;

class TCanvas {
public:
    TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;
    virtual ~TCanvas() = default;
};

class TQPainterCanvas : public TCanvas {
public:
    explicit TQPainterCanvas(QPainter& Painter) : FPainter(Painter) {}
    QPainter& Painter() const { return FPainter; }

private:
    QPainter& FPainter;
};
