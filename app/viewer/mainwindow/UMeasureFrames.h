// plotyra --measure-frames N FILE: the window opens FILE, sizes its chart to 800 x 600, turns it
// by one degree per frame N times as a drag would (so big grids draw at the reduced density that
// turning allows) and prints the frames per second on stdout, and how long the full-density
// picture that follows takes.
#pragma once

#include <QString>

class TFormMain;
class TQor3DChart;

// The chart size the figure is measured at.
constexpr int MeasureViewWidth = 800;
constexpr int MeasureViewHeight = 600;

// Starts the measurement once the event loop runs; the program then ends with 0 after printing
// the figure, or with 1 and a message on stderr when FILE cannot be read.
void MeasureFramesWhenShown(TFormMain& Window, int Frames, const QString& File);

struct TTurningFigures {
    double FramesPerSecond = 0;
    // The full-density picture drawn once turning has ended.
    double FullPictureMs = 0;
};

// Turns the drawn chart Frames times, each frame painted at once, and returns the frames per
// second; then ends turning and times the full-density picture. The first, full-density picture
// before the frames is not counted.
TTurningFigures MeasureTurningFrames(TQor3DChart& Chart, int Frames);
