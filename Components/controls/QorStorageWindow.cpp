#include "QorStorageWindow.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cstdint>

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
    const int64_t width = int64_t(r.Right) - r.Left;
    const int64_t height = int64_t(r.Bottom) - r.Top;
    if (width <= 0 || height <= 0)
        return;
    // A stored geometry may be anything: the window gets no more than the free area of its
    // screen, no less than its least size, and lies wholly on the screen its middle is on.
    const auto fitted = [&](const QScreen* Screen) {
        QSize size(int(std::min<int64_t>(width, QWIDGETSIZE_MAX)),
                   int(std::min<int64_t>(height, QWIDGETSIZE_MAX)));
        if (Screen != nullptr)
            size = size.boundedTo(Screen->availableGeometry().size());
        return size.expandedTo(FWindow.minimumSizeHint()).expandedTo(FWindow.minimumSize());
    };
    const QScreen* own =
        FWindow.screen() != nullptr ? FWindow.screen() : QGuiApplication::primaryScreen();
    QSize size = fitted(own);
    const auto middle = [](int64_t Start, int Length) {
        return int(std::clamp<int64_t>(Start + Length / 2, INT_MIN, INT_MAX));
    };
    const QScreen* screen = QGuiApplication::screenAt(
        QPoint(middle(r.Left, size.width()), middle(r.Top, size.height())));
    // A window placed off every screen (a monitor that is gone) keeps its size only.
    if (screen == nullptr) {
        if (size != FWindow.size())
            FWindow.resize(size);
        return;
    }
    size = fitted(screen);
    const QRect free = screen->availableGeometry();
    const auto place = [](int Start, int Length, int Low, int High) {
        return std::clamp(Start, Low, std::max(Low, High + 1 - Length));
    };
    const QRect target(place(r.Left, size.width(), free.left(), free.right()),
                       place(r.Top, size.height(), free.top(), free.bottom()), size.width(),
                       size.height());
    if (target != FWindow.geometry())
        FWindow.setGeometry(target);
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
