#include "desktop/USignalClose.h"

#include <QApplication>
#include <QSocketNotifier>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written by the signal handler, read by the notifier; the only thing a handler may safely do.
volatile sig_atomic_t SignalFd = -1;

void OnSignal(int) {
    const char byte = 1;
    if (SignalFd < 0)
        return;
    const ssize_t written = ::write(SignalFd, &byte, 1);
    (void)written; // a full buffer already holds a wake-up
}

} // namespace

TQorSignalClose::TQorSignalClose() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, FPipe) != 0)
        return;
    SignalFd = FPipe[0];
    FNotifier = new QSocketNotifier(FPipe[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TQorSignalClose::Received);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGTERM, &action, &FOldTerm);
    sigaction(SIGINT, &action, &FOldInt);
}

TQorSignalClose::~TQorSignalClose() {
    if (FPipe[0] < 0)
        return;
    sigaction(SIGTERM, &FOldTerm, nullptr);
    sigaction(SIGINT, &FOldInt, nullptr);
    SignalFd = -1;
    delete FNotifier;
    ::close(FPipe[0]);
    ::close(FPipe[1]);
}

void TQorSignalClose::Received() {
    char buffer[16];
    while (::read(FPipe[1], buffer, sizeof buffer) > 0) {
    }
    QApplication::closeAllWindows();
}
