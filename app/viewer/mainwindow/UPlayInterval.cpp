#include "mainwindow/UPlayInterval.h"

#include "UQorTypes.h"

#include <algorithm>

int PlayInterval(double FPS, qint64 StartTick, qint64 NowTick) {
    const double elapsed = double(std::max(NowTick, StartTick) - StartTick);
    return RoundHalfEven(std::max(1.0, 1000.0 / FPS - elapsed));
}
