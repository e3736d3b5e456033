// plotyra-cli info: one chart file loaded as the viewer loads it, described by one JSON object
// on standard output: the load's result, the data kind, the sizes, the layers of a layer list
// and the ranges of the axes and the values.
#pragma once

#include <string>
#include <vector>

class TQor3DChart;

// The usage line of the command, as the tool's usage shows it.
extern const char* const InfoUsage;

// The object for Chart as a load that returned Result left it, without a line end. Numbers are
// the shortest text that reads back to the same double; infinities and NaN are null.
std::string InfoJson(const TQor3DChart& Chart, int Result);

// Runs the command on the arguments after "info": "FILE [--no-properties] [--low-memory]". The
// exit code: 0 once the object is printed, also for a file that could not be loaded (its
// result says so); 1 with the usage on stderr for arguments of another form. Needs a
// QGuiApplication.
int InfoCommand(const std::vector<std::string>& Args);
