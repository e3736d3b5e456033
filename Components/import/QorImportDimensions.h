// The dimensions of an imported variable that the chart does not show (time, level): how many
// places each has and which one a set of options reads, and the coordinate of one place. The
// viewer steps through such a dimension to play it back.
#pragma once

#include "QorImportOptions.h"

#include <cstdint>
#include <string>
#include <vector>

struct TQorImportDimension {
    std::string Name;
    // Its place among the variable's dimensions.
    size_t Position = 0;
    int64_t Count = 0;
    // The place Options read (0 where they give none).
    int64_t Index = 0;
};

// The variable FileName is read with under Options (a NetCDF or HDF5 file's) and its dimensions
// that are not shown, in the variable's order. Empty for other files, for a variable all of
// whose dimensions are shown, and when the file cannot be read.
struct TQorImportDimensions {
    std::string Variable;
    std::vector<TQorImportDimension> Hidden;
};
TQorImportDimensions HiddenImportDimensions(const std::string& FileName,
                                            const TQorImportOptions& Options);

// The coordinate of place Index along Dimension with its units ("6 hours since 2020-01-01"),
// when the dimension has a coordinate variable (a dimension scale) with units; empty otherwise.
std::string ImportCoordinateText(const std::string& FileName, const std::string& Variable,
                                 const TQorImportDimension& Dimension, int64_t Index);
