// plotyra-cli render: a chart file drawn off-screen into a PNG picture.
#pragma once

#include <string>
#include <vector>

struct TRenderOptions {
    std::string File;
    std::string Output;
    std::string Properties;
    int Width = 800;
    int Height = 600;
    bool NoLegend = false;
};

// Reads "FILE -o OUT.png [--size WxH] [--properties P.cpr] [--no-legend]"; false with a
// message in Error when the arguments do not form such a command.
bool ParseRenderOptions(const std::vector<std::string>& Args, TRenderOptions& Options,
                        std::string& Error);

class TQor3DChart;
class TQorColorScale;

// Runs the command; the exit code (0, or 1 with a one-line message on stderr). Needs a
// QGuiApplication.
int RenderCommand(const std::vector<std::string>& Args);

// The part after loading: draws Chart (with Legend unless NoLegend) and saves the picture.
// A picture that could not be drawn, also where the painting swallowed the failure, gives 1.
int RenderLoadedChart(TQor3DChart& Chart, TQorColorScale& Legend, const TRenderOptions& Options);
