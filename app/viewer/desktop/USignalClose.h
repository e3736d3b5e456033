// SIGTERM and SIGINT close the program's windows the normal way (settings written, recent
// files saved), as a desktop session's logout or Ctrl+C in a terminal expects. A second
// signal ends the process at once.
#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

// Active for the lifetime of the object; the previous handlers come back afterwards.
class TQorSignalClose : public QObject {
    Q_OBJECT
public:
    TQorSignalClose();
    ~TQorSignalClose() override;

private:
    void Received();

    int FPipe[2] = {-1, -1};
    QSocketNotifier* FNotifier = nullptr;
    struct sigaction FOldTerm {};
    struct sigaction FOldInt {};
};
