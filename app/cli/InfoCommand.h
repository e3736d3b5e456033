// plotyra-cli info: one chart file loaded as the viewer loads it, described by one JSON object
// on standard output: the load's result, the data kind, the sizes, the layers of a layer list,
// the ranges of the axes and the values, the warnings and, when the load failed, the error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TQor3DChart;

// The usage line of the command, as the tool's usage shows it.
extern const char* const InfoUsage;

// The object for Chart as a load that returned Result left it, without a line end. Numbers are
// the shortest text that reads back to the same double; infinities and NaN are null. "warnings"
// is always there (an array of texts); "error" only when Error is not empty.
std::string InfoJson(const TQor3DChart& Chart, int Result, const std::string& Error = {},
                     const std::vector<std::string>& Warnings = {});

// JSON pieces the commands share: the shortest text that reads back to the same double (null
// for infinities and NaN), and a string with quotes, backslashes and control bytes escaped.
std::string JsonNumber(double v);
std::string JsonString(std::string_view Text);

// Runs the command on the arguments after "info": "FILE [--no-properties] [--low-memory]
// [IMPORT OPTIONS]". The object is printed in every case; the exit code is 0 when the file was
// loaded, 1 when it could not be (its result and error say why, and the error also goes to
// stderr) and 1 with the usage on stderr for arguments of another form. Needs a
// QGuiApplication.
int InfoCommand(const std::vector<std::string>& Args);
