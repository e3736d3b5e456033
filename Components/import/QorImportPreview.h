// A first look at a file before it is opened: its reader, the arrays of an archive, and the
// top-left corner of its grid as given options would read it. The viewer's Import dialog shows
// it, and decides by it whether a file needs the user's choices at all.
#pragma once

#include "QorImportOptions.h"
#include "QorImportRegistry.h"
#include "QorImportResult.h"

#include <cstdint>
#include <string>
#include <vector>

struct TQorImportPreview {
    // The reader's name ("NumPy arrays"); empty when no reader takes the file.
    std::string Format;
    // A chart file: read by the chart's own reader, nothing else is looked at.
    bool Native = false;
    // The arrays of an archive, also when it holds only one; empty for other files.
    std::vector<TQorImportArrayInfo> Arrays;
    TQorImportKind Kind = TQorImportKind::None;
    // The whole grid's counts.
    int64_t NX = 0, NY = 0, NZ = 0;
    // The file gives these coordinates itself (after a transposition); known also when the
    // read fails further on.
    bool GivenX = false, GivenZ = false;
    // Only the first part of a large text table was read: the counts are that part's.
    bool Partial = false;
    // The corner: the coordinates of its columns (X) and rows (Z), and Values[i + X.size() * k]
    // (a volume's layer at its first Y); a missing point is NaN.
    std::vector<float> X, Z, Values;
    std::vector<std::string> Warnings;
    // Why the file (or the chosen array) cannot be read, its place first. Empty on success.
    std::string Error;

    bool Ok() const { return Error.empty() && Kind != TQorImportKind::None; }
};

// The arrays of an archive (.npz by its content), the candidate variables of a NetCDF or HDF5
// file; empty for every other file.
std::vector<TQorImportArrayInfo> ImportArchiveArrays(const std::string& FileName);

// A text table larger than this is previewed from its first whole lines within it: enough for
// its layout, its header and the corner, read in a moment however large the file is.
inline constexpr size_t PreviewTextBytes = size_t(1) << 20;

// Reads FileName with Options through its importer and keeps a corner of at most Rows × Columns
// values: exactly what opening it would give the chart there. Arrays are read whole, text
// tables up to PreviewTextBytes.
TQorImportPreview PreviewImport(const std::string& FileName, const TQorImportOptions& Options,
                                int64_t Rows, int64_t Columns,
                                const TQorImportRegistry& Registry = TQorImportRegistry::Default());
