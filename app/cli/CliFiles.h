// Files of the command-line tool: chart and property files by name, standard input for "-",
// and the checks that keep an output from destroying an input.
#pragma once

#include "QorImportOptions.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

class TQor3DChart;
class IQorChartFileLegend;

// Loads File, or standard input for "-", as LoadChartFile does; a file of another data format
// (a text matrix or column list, a NumPy array) goes through its importer with Import. On
// failure Error says why when the reason is known (empty otherwise: the text itself is no valid
// chart file).
int LoadCliChart(TQor3DChart& Chart, IQorChartFileLegend* Legend, const std::string& File,
                 bool WithProperties, std::string& Error, const TQorImportOptions& Import = {});

// A command line of files, flags and import options ("--spacing 0.5,2", "--transpose").
struct TCliArgs {
    std::vector<std::string> Files;
    TQorImportOptions Import;
    // False after an unknown option or a refused import value (said on standard error).
    bool Valid = true;
};
// Reads Args; each flag of Flags found in them sets its bool.
TCliArgs ParseCliArgs(const std::vector<std::string>& Args,
                      std::initializer_list<std::pair<std::string_view, bool*>> Flags);

// The whole text of a regular file, or of standard input for "-" (at most a quarter of the
// memory). False with the reason in Error.
bool ReadCliText(const std::string& File, std::string& Text, std::string& Error);

// The existing files among a list, by device and inode, so that any other name can be checked
// against all of them (also through links or other spellings).
class TFileIdentities {
public:
    explicit TFileIdentities(const std::vector<std::string>& Files);
    // True when File exists and is one of the listed files.
    bool Contains(const std::string& File) const;

private:
    std::vector<std::pair<dev_t, ino_t>> FIds;
};

// Loads File as LoadCliChart does, for a command that needs at least one point; the message
// of a failure ("cannot load ...", "... holds no chart data"), empty when the chart is loaded.
std::string LoadCliChartData(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                             const std::string& File, bool WithProperties,
                             const TQorImportOptions& Import = {});
