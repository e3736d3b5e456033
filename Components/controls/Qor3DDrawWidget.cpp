#include "Qor3DDrawWidget.h"

#include "TCanvas.h"
#include "gl/Qor3DQtWindow.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers keys, Qt::MouseButtons buttons) {
    TShiftState s;
    if (keys & Qt::ShiftModifier)
        s.Include(ssShift);
    if (keys & Qt::ControlModifier)
        s.Include(ssCtrl);
    if (keys & Qt::AltModifier)
        s.Include(ssAlt);
    if (buttons & Qt::LeftButton)
        s.Include(ssLeft);
    if (buttons & Qt::RightButton)
        s.Include(ssRight);
    if (buttons & Qt::MiddleButton)
        s.Include(ssMiddle);
    return s;
}

bool ButtonOf(Qt::MouseButton b, TMouseButton& out) {
    switch (b) {
    case Qt::LeftButton:
        out = mbLeft;
        return true;
    case Qt::RightButton:
        out = mbRight;
        return true;
    case Qt::MiddleButton:
        out = mbMiddle;
        return true;
    default:
        return false;
    }
}

Qt::CursorShape ShapeOf(TCursor c) {
    switch (c) {
    case crSizeAll:
        return Qt::SizeAllCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crNone:
        return Qt::BlankCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

// ---- The OpenGL child window ----

TQor3DGLWindow::TQor3DGLWindow(TQor3DDrawWidget& Owner) : FOwner(Owner) {
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(WindowSurfaceFormat(Owner.Draw().UseDoubleBuffer()));
}

bool TQor3DGLWindow::event(QEvent* Event) {
    if (Event->type() == QEvent::UpdateRequest) {
        FOwner.HandlePaint();
        return true;
    }
    return QWindow::event(Event);
}

void TQor3DGLWindow::exposeEvent(QExposeEvent*) {
    if (isExposed())
        FOwner.HandlePaint();
}

// The native window bypasses the widget's enabled state; a disabled control takes no input.
void TQor3DGLWindow::mousePressEvent(QMouseEvent* Event) {
    if (FOwner.isEnabled())
        FOwner.HandleMousePress(Event);
}
void TQor3DGLWindow::mouseReleaseEvent(QMouseEvent* Event) {
    if (FOwner.isEnabled())
        FOwner.HandleMouseRelease(Event);
}
void TQor3DGLWindow::mouseMoveEvent(QMouseEvent* Event) {
    if (FOwner.isEnabled())
        FOwner.HandleMouseMove(Event);
}
void TQor3DGLWindow::wheelEvent(QWheelEvent* Event) {
    if (FOwner.isEnabled())
        FOwner.HandleWheel(Event);
}

// ---- The widget ----

TQor3DDrawWidget::TQor3DDrawWidget(TQor3DDraw& Draw, QWidget* Parent)
    : QWidget(Parent), FDraw(Draw) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    FTurningTimer = new QTimer(this);
    FTurningTimer->setSingleShot(true);
    FTurningTimer->setInterval(TurningSettleMs);
    connect(FTurningTimer, &QTimer::timeout, this, [this] { FDraw.EndTurning(); });
    FDraw.SetHost(this);
}

TQor3DDrawWidget::~TQor3DDrawWidget() {
    if (FWindowCreated)
        FDraw.WindowDestroying();
    FDraw.SetHost(nullptr);
    FSurface.reset();
}

bool TQor3DDrawWidget::InWindowMode() const {
    return FWindowCreated && FContainer != nullptr && !FDraw.IsBitmapMode();
}

void TQor3DDrawWidget::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    if (FWindowCreated)
        return;
    if (!FDraw.UseSafeBitmapMode() && !FDraw.Designing())
        CreateGLWindow();
    FWindowCreated = true;
    FDraw.WindowCreated();
    SyncMode();
}

void TQor3DDrawWidget::CreateGLWindow() {
    FGLWindow = new TQor3DGLWindow(*this);
    FContainer = QWidget::createWindowContainer(FGLWindow, this);
    FContainer->setGeometry(rect());
    FContainer->setFocusPolicy(Qt::NoFocus);
    FContainer->show();
    FGLWindow->create();
}

// In bitmap mode the widget paints; the OpenGL window would only cover it.
void TQor3DDrawWidget::SyncMode() {
    if (FContainer != nullptr && FDraw.IsBitmapMode() && FContainer->isVisible())
        FContainer->hide();
}

void TQor3DDrawWidget::Invalidate() {
    if (InWindowMode())
        FGLWindow->requestUpdate();
    else
        update();
}

TPoint TQor3DDrawWidget::ClientSize() const {
    return {width(), height()};
}

TPoint TQor3DDrawWidget::CursorClientPos() const {
    const QPoint p = mapFromGlobal(QCursor::pos());
    return {p.x(), p.y()};
}

TPoint TQor3DDrawWidget::ScreenToClient(TPoint P) const {
    const QPoint p = mapFromGlobal(QPoint(P.X, P.Y));
    return {p.x(), p.y()};
}

void TQor3DDrawWidget::SetFocus() {
    setFocus(Qt::MouseFocusReason);
}

void TQor3DDrawWidget::CursorChanged(TCursor Cursor) {
    setCursor(ShapeOf(Cursor));
    if (FGLWindow != nullptr)
        FGLWindow->setCursor(ShapeOf(Cursor));
}

HDC TQor3DDrawWidget::GetWindowDC() {
    // A control shown in safe mode gets its OpenGL window when it first leaves that mode.
    if (FGLWindow == nullptr && FWindowCreated && !FDraw.Designing())
        CreateGLWindow();
    if (FGLWindow == nullptr)
        return nullptr;
    // The control asks for the window's surface only when it goes into window mode.
    if (FContainer->isHidden())
        FContainer->show();
    if (!FSurface)
        FSurface = std::make_unique<TQtWindowSurface>(QtWindowPlatform(), *FGLWindow);
    return FSurface.get();
}

// The surface keeps its pixel format for the window's life, so it is kept, not released.
void TQor3DDrawWidget::ReleaseWindowDC(HDC) {}

void TQor3DDrawWidget::ShowBitmap(const QImage& Bitmap) {
    SyncMode();
    if (FPainter != nullptr) {
        FPainter->drawImage(0, 0, Bitmap);
        return;
    }
    FPendingBitmap = Bitmap;
    FBitmapPending = true;
    update();
}

TCanvas* TQor3DDrawWidget::WindowCanvas() {
    if (FPainter == nullptr)
        return nullptr;
    if (!FCanvas)
        FCanvas = std::make_unique<TQPainterCanvas>(*FPainter);
    return FCanvas.get();
}

void TQor3DDrawWidget::RestartTurningTimer() {
    FTurningTimer->start();
}

void TQor3DDrawWidget::HandlePaint() {
    FDraw.PaintMessage();
    SyncMode();
}

void TQor3DDrawWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (FBitmapPending) {
        // Render ran outside a paint event; show what it produced.
        painter.drawImage(0, 0, FPendingBitmap);
        FBitmapPending = false;
        FPendingBitmap = QImage();
        return;
    }
    if (InWindowMode())
        return;
    FPainter = &painter;
    FDraw.PaintMessage();
    FCanvas.reset();
    FPainter = nullptr;
    if (!FWindowCreated)
        painter.fillRect(rect(), Qt::white);
}

void TQor3DDrawWidget::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (FContainer != nullptr)
        FContainer->setGeometry(rect());
}

void TQor3DDrawWidget::HandleMousePress(QMouseEvent* Event) {
    TMouseButton b;
    if (!ButtonOf(Event->button(), b))
        return;
    const QPoint p = Event->position().toPoint();
    FDraw.MouseDown(b, ShiftOf(Event->modifiers(), Event->buttons()), p.x(), p.y());
}

void TQor3DDrawWidget::HandleMouseRelease(QMouseEvent* Event) {
    TMouseButton b;
    if (!ButtonOf(Event->button(), b))
        return;
    const QPoint p = Event->position().toPoint();
    FDraw.MouseUp(b, ShiftOf(Event->modifiers(), Event->buttons()), p.x(), p.y());
}

void TQor3DDrawWidget::HandleMouseMove(QMouseEvent* Event) {
    const QPoint p = Event->position().toPoint();
    FDraw.MouseMove(ShiftOf(Event->modifiers(), Event->buttons()), p.x(), p.y());
}

void TQor3DDrawWidget::HandleWheel(QWheelEvent* Event) {
    const QPoint global = Event->globalPosition().toPoint();
    const int delta = Event->angleDelta().y();
    const bool handled = FDraw.DoMouseWheel(ShiftOf(Event->modifiers(), Event->buttons()), delta,
                                            {global.x(), global.y()});
    // An unhandled wheel goes on to the parent, as the window system would pass it.
    Event->setAccepted(handled);
}

void TQor3DDrawWidget::mousePressEvent(QMouseEvent* Event) {
    HandleMousePress(Event);
}
void TQor3DDrawWidget::mouseReleaseEvent(QMouseEvent* Event) {
    HandleMouseRelease(Event);
}
void TQor3DDrawWidget::mouseMoveEvent(QMouseEvent* Event) {
    HandleMouseMove(Event);
}
void TQor3DDrawWidget::wheelEvent(QWheelEvent* Event) {
    HandleWheel(Event);
}
