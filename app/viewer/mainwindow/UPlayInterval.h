// The pause before the next playback step: one frame at FPS frames per second, less the time
// the step took (StartTick to NowTick, in milliseconds), at least 1 ms. A tick counter that
// went backwards (wrapped) counts as no time spent.
#pragma once

#include <QtGlobal>

int PlayInterval(double FPS, qint64 StartTick, qint64 NowTick);
