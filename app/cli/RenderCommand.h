// plotyra-cli render: chart files drawn off-screen into PNG pictures, one file or a batch (several
// files, or one file turned step by step) through one rendering context.
#pragma once

#include "QorImportOptions.h"

#include <string>
#include <vector>

struct TRenderOptions {
    std::vector<std::string> Files;
    // A plain name, or a pattern with a number field for several pictures.
    std::string Output;
    std::string Properties;
    int Width = 800;
    int Height = 600;
    bool NoLegend = false;
    // Degrees the view turns (about the vertical, as a horizontal drag does) per picture.
    double Turn = 0;
    // Pictures of the one input; 0 means one picture per input.
    int Frames = 0;
    // How files of other data forms are read (text matrices, column lists, NumPy arrays).
    TQorImportOptions Import;
    bool Help = false;
};

// Reads "FILE... -o OUT [--size WxH] [--properties P.cpr] [--no-legend] [--turn DEG]
// [--frames N] [IMPORT OPTIONS]"; false with a message in Error when the arguments do not form
// such a command.
bool ParseRenderOptions(const std::vector<std::string>& Args, TRenderOptions& Options,
                        std::string& Error);

// The usage lines of the command, as the tool's own usage and a bad command line show them.
extern const char* const RenderUsage;

class TQor3DChart;
class TQorColorScale;

// Runs the command; the exit code (0, or 1 with a message on stderr for each picture that
// failed). Needs a QGuiApplication.
int RenderCommand(const std::vector<std::string>& Args);

// The part after loading: draws Chart (with Legend unless NoLegend) at the options' size and
// saves the picture as Output. A picture that could not be drawn, also where the painting
// swallowed the failure, gives 1 with a message.
int RenderLoadedChart(TQor3DChart& Chart, TQorColorScale& Legend, const TRenderOptions& Options,
                      const std::string& Output);
