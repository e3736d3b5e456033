// What the user may tell an importer about a file: the grid's spacing and origin where the file
// gives no coordinates, whether a text matrix has a header, a transposition, a value that marks
// missing points and, in an archive of several arrays, the one to read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// auto: a header row and column are detected (a top-left cell that is empty or not a number);
// none: every row holds values; row: the first row holds the X coordinates; row+column: also
// the first column of every row holds its Z coordinate.
enum class TQorImportHeader { Auto, None, Row, RowColumn };

// auto: the rule of docs/ImportFormats.md; matrix or columns force the layout of a text file.
enum class TQorImportLayout { Auto, Matrix, Columns };

struct TQorImportOptions {
    // Spacing along X, Z and (volumes) Y; origin likewise. Unset: 1 and 0, or what a file gives.
    std::optional<double> DX, DZ, DY;
    std::optional<double> X0, Z0, Y0;
    TQorImportHeader Header = TQorImportHeader::Auto;
    TQorImportLayout Layout = TQorImportLayout::Auto;
    // Rows of a matrix run along X instead of Z (X and Z swapped).
    bool Transpose = false;
    // Values equal to this one become missing points.
    std::optional<double> NoData;
    // The array of an archive of several (.npz), or the variable of a NetCDF or HDF5 file
    // ("--array" and "--var" are one option).
    std::string ArrayName;
    // The index chosen along a dimension that is not shown ("time" = 3), in the order given.
    std::vector<std::pair<std::string, int64_t>> Indices;

    // Sets one option from its command-line form: Name with or without the leading "--"
    // ("spacing", "origin", "header", "layout", "transpose", "nodata", "array", "var", "index"),
    // Text its value ("0.5,2", "row+column", "time=3", ...; ignored for "transpose"). An index
    // replaces one given before for the same dimension. Returns "" or why Text is refused.
    std::string Set(std::string_view Name, std::string_view Text);
    // Whether Name (with or without "--") is one of the options above; "transpose" takes no
    // value.
    static bool Known(std::string_view Name);
    static bool TakesValue(std::string_view Name);
    // The index given for Dimension, or -1.
    int64_t IndexOf(std::string_view Dimension) const;
};
