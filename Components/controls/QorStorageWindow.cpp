#include "QorStorageWindow.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {

TRect RectOf(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

} // namespace

TQorWidgetStorageWindow::TQorWidgetStorageWindow(QWidget& Window, std::string ClassName,
                                                 bool MainForm, TFormBorderStyle Border)
    : FWindow(Window), FClassName(std::move(ClassName)), FMainForm(MainForm), FBorder(Border) {}

bool TQorWidgetStorageWindow::ApplicationMinimized() const {
    return FMainForm && FWindow.isMinimized();
}

bool TQorWidgetStorageWindow::HasWindow() const {
    return FWindow.testAttribute(Qt::WA_WState_Created);
}

bool TQorWidgetStorageWindow::Visible() const {
    return FWindow.isVisible();
}

TRect TQorWidgetStorageWindow::BoundsRect() const {
    return RectOf(FWindow.geometry());
}

TWindowPlacement TQorWidgetStorageWindow::GetPlacement() const {
    TWindowPlacement p;
    const bool away = FWindow.isMaximized() || FWindow.isMinimized() || FWindow.isFullScreen();
    p.NormalPosition = RectOf(away ? FWindow.normalGeometry() : FWindow.geometry());
    if (FWindow.isMinimized())
        p.ShowCmd = SW_SHOWMINIMIZED;
    else if (FWindow.isMaximized())
        p.ShowCmd = SW_SHOWMAXIMIZED;
    else
        p.ShowCmd = FWindow.isVisible() ? SW_SHOWNORMAL : SW_HIDE;
    return p;
}

void TQorWidgetStorageWindow::SetPlacement(const TWindowPlacement& Placement) {
    const TRect& r = Placement.NormalPosition;
    const QRect target(r.Left, r.Top, r.Width(), r.Height());
    if (r.Width() <= 0 || r.Height() <= 0 || target == FWindow.geometry())
        return;
    // A window placed off every screen (a monitor that is gone) keeps its size only.
    const bool onScreen = QGuiApplication::screenAt(target.center()) != nullptr;
    if (onScreen)
        FWindow.setGeometry(target);
    else
        FWindow.resize(target.size());
}

void TQorWidgetStorageWindow::SetWindowState(TWindowState State) {
    Qt::WindowStates s = FWindow.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (State == wsMaximized)
        s |= Qt::WindowMaximized;
    else if (State == wsMinimized)
        s |= Qt::WindowMinimized;
    FWindow.setWindowState(s);
}

void TQorWidgetStorageWindow::MinimizeApplication() {
    FWindow.setWindowState(FWindow.windowState() | Qt::WindowMinimized);
}

void TQorWidgetStorageWindow::Update() {
    FWindow.update();
}

TPoint TQorWidgetStorageWindow::ScreenSize() const {
    const QScreen* screen = FWindow.screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    return {screen->size().width(), screen->size().height()};
}

TPoint TQorWidgetStorageWindow::FrameSize() const {
    const QRect outer = FWindow.frameGeometry();
    const QRect inner = FWindow.geometry();
    return {(outer.width() - inner.width()) / 2, (outer.height() - inner.height()) / 2};
}

std::string TQorWidgetStorageWindow::ActiveControlName() const {
    const QWidget* focus = FWindow.focusWidget();
    if (focus == nullptr || !FWindow.isAncestorOf(focus))
        return {};
    return focus->objectName().toStdString();
}

void TQorWidgetStorageWindow::FocusControl(const std::string& Name) {
    auto* control = FWindow.findChild<QWidget*>(QString::fromStdString(Name));
    if (control != nullptr && control->isEnabled() && control->focusPolicy() != Qt::NoFocus)
        control->setFocus();
}
