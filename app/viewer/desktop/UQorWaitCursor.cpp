#include "desktop/UQorWaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

int WaitCount = 0;

} // namespace

void WaitCursor(bool On) {
    if (On) {
        if (WaitCount++ == 0)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        return;
    }
    // A switch-off without a switch-on has nothing of ours to restore.
    if (WaitCount == 0)
        return;
    if (--WaitCount == 0)
        QGuiApplication::restoreOverrideCursor();
}

int WaitCursorCount() {
    return WaitCount;
}

void ResetWaitCursor() {
    if (WaitCount > 0)
        QGuiApplication::restoreOverrideCursor();
    WaitCount = 0;
}
