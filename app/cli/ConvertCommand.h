// plotyra-cli convert: one chart file loaded and saved again, in the form the saver chooses
// (or the grid form), with or without the chart's properties.
#pragma once

#include <string>
#include <vector>

// The usage line of the command, as the tool's usage shows it.
extern const char* const ConvertUsage;

// Runs the command on the arguments after "convert":
// "IN OUT [--with-properties] [--force-grid-form] [--low-memory]". The exit code: 0 once OUT is
// written; 1 with a message on stderr when IN cannot be loaded or OUT not saved, or with the
// usage for arguments of another form. Needs a QGuiApplication.
int ConvertCommand(const std::vector<std::string>& Args);
