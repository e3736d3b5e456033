// plotyra-cli probe: the data point of a chart file at given data coordinates, as the viewer's
// readout shows it under the cursor, printed as one JSON object.
#pragma once

#include <string>
#include <vector>

class TQor3DChart;
struct TQorProbeResult;

// The usage line of the command, as the tool's usage shows it.
extern const char* const ProbeUsage;

// The object for a found point, without a line end: {"x":..,"z":..,"height":..} for a surface,
// {"x":..,"y":..,"z":..,"value":..} otherwise, then "captions" with the readout's labels.
std::string ProbeJson(const TQor3DChart& Chart, const TQorProbeResult& Result);

// Runs the command on the arguments after "probe": "FILE X Z" for a surface, "FILE X Y Z" for
// the 4D kinds, in data units, with the import options. Exit 0 with the object on standard
// output; 1 with the reason on standard error for a file that cannot be loaded or a point off
// the data; 1 with the usage for arguments of another form. Needs a QGuiApplication.
int ProbeCommand(const std::vector<std::string>& Args);
