// Files of the command-line tool: chart and property files by name, standard input for "-",
// and the checks that keep an output from destroying an input.
#pragma once

#include "QorImportOpen.h"
#include "QorImportOptions.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

class TQor3DChart;
class IQorChartFileLegend;

// Loads File as the viewer opens it (OpenChartData: a chart file by the chart's reader, a text
// matrix or column list or a NumPy array through its importer with Import), or chart text from
// standard input for "-". The outcome's Error names File as given ("standard input" for "-"):
// "data/volcano.csv, line 3, field 7: 'abc' is not a number".
TQorOpenOutcome LoadCliChart(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                             const std::string& File, bool WithProperties,
                             const TQorImportOptions& Import = {});

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
// of a failure ("cannot load FILE, line 3: ...", "FILE holds no chart data"), empty when the
// chart is loaded. The warnings ("FILE: file ends after ...") go into Warnings, or to standard
// error when it is null.
std::string LoadCliChartData(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                             const std::string& File, bool WithProperties,
                             const TQorImportOptions& Import = {},
                             std::vector<std::string>* Warnings = nullptr);
