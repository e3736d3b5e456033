// What the user may tell an importer about a file: the grid's spacing and origin where the file
// gives no coordinates, whether a text matrix has a header, a transposition, a value that marks
// missing points and, in an archive of several arrays, the one to read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
    // The array of an archive of several (.npz).
    std::string ArrayName;

    // Sets one option from its command-line form: Name with or without the leading "--"
    // ("spacing", "origin", "header", "layout", "transpose", "nodata", "array"), Text its value
    // ("0.5,2", "row+column", ...; ignored for "transpose"). Returns "" or why Text is refused.
    std::string Set(std::string_view Name, std::string_view Text);
    // Whether Name (with or without "--") is one of the options above; "transpose" takes no
    // value.
    static bool Known(std::string_view Name);
    static bool TakesValue(std::string_view Name);
};
