// TQor3DDrawWidget: the Qt widget that shows a TQor3DDraw. In window mode a native OpenGL
// child window carries the picture; in bitmap mode the widget paints SafeBitmap itself. Paint,
// resize, mouse and wheel events of either are forwarded to the control.
#pragma once

#include "draw/Qor3DDraw.h"

#include <QImage>
#include <QWidget>
#include <QWindow>
#include <memory>

class QPainter;
class QTimer;
class TQPainterCanvas;
class TQor3DDrawWidget;
class TQtWindowSurface;

// The native OpenGL child window; it hands its events to the widget.
class TQor3DGLWindow : public QWindow {
public:
    explicit TQor3DGLWindow(TQor3DDrawWidget& Owner);

protected:
    bool event(QEvent* Event) override;
    void exposeEvent(QExposeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    TQor3DDrawWidget& FOwner;
};

class TQor3DDrawWidget : public QWidget, public IQor3DDrawHost {
    Q_OBJECT
public:
    // Draw is borrowed and must outlive the widget.
    explicit TQor3DDrawWidget(TQor3DDraw& Draw, QWidget* Parent = nullptr);
    ~TQor3DDrawWidget() override;

    TQor3DDraw& Draw() const { return FDraw; }
    // True while the native OpenGL window shows the picture.
    bool InWindowMode() const;

    // IQor3DDrawHost
    void Invalidate() override;
    TPoint ClientSize() const override;
    bool HasWindow() const override { return FWindowCreated; }
    bool IsShowing() const override { return isVisible(); }
    TPoint CursorClientPos() const override;
    TPoint ScreenToClient(TPoint P) const override;
    void SetFocus() override;
    void CursorChanged(TCursor Cursor) override;
    HDC GetWindowDC() override;
    void ReleaseWindowDC(HDC DC) override;
    void ShowBitmap(const QImage& Bitmap) override;
    TCanvas* WindowCanvas() override;
    void RestartTurningTimer() override;

    // How long after the last turning step the full-density picture is drawn.
    static constexpr int TurningSettleMs = 200;

    // Event entry points shared by the widget and its OpenGL window.
    void HandlePaint();
    void HandleMousePress(QMouseEvent* Event);
    void HandleMouseRelease(QMouseEvent* Event);
    void HandleMouseMove(QMouseEvent* Event);
    void HandleWheel(QWheelEvent* Event);

protected:
    void showEvent(QShowEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;

private:
    void CreateGLWindow();
    void SyncMode();

    TQor3DDraw& FDraw;
    bool FWindowCreated = false;
    TQor3DGLWindow* FGLWindow = nullptr; // owned by FContainer
    QWidget* FContainer = nullptr;       // child widget, owned by Qt's parent chain
    QTimer* FTurningTimer = nullptr;     // owned by Qt's parent chain
    std::unique_ptr<TQtWindowSurface> FSurface;
    QPainter* FPainter = nullptr;
    std::unique_ptr<TQPainterCanvas> FCanvas;
    QImage FPendingBitmap;
    bool FBitmapPending = false;
};
