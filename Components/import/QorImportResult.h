// What an importer gives back: the grid in the chart's own order, captions where the file names
// its axes, warnings, and on failure the error with its place in the file.
#pragma once

#include "UQorTypes.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TQorImportKind { None, Surface, Volume };

// Where and why a read failed. Text() puts the place first, as
// "volcano.csv, line 3, field 7: 'abc' is not a number".
struct TQorImportError {
    std::string File;         // the file's name without its folder
    int64_t Line = 0;         // 1-based; 0 when the error has no line
    int64_t Field = 0;        // 1-based field of a text line
    std::string Variable;     // an array of an archive, a variable of a file
    std::string VariableWord; // what Variable is called: "array" when empty, "variable"
    std::string Message;

    std::string Text() const;
};

// One array of an archive or variable of a file, as offered for a choice: its name, shape and
// type; a variable also its dimensions' names, its units and its long name.
struct TQorImportArrayInfo {
    std::string Name;
    std::vector<int64_t> Shape;
    std::string DType; // "float32", "int16", ...
    std::vector<std::string> Dims;
    std::string Units, LongName;
    // "heights: 87 × 61 float32", "temp (time, lat, lon): 4 × 3 × 5 float32 [K], Temperature"
    std::string Text() const;
};

// Surface: Values[i + NX*k] is the height at X[i], Z[k] (rows run along Z), Y empty.
// Volume:  Values[i + NX*(j + NY*k)] is the value at X[i], Y[j], Z[k].
// A missing point is NaN. Values uses the chart's array type, so the chart can take it over.
struct TQorImportResult {
    TQorImportKind Kind = TQorImportKind::None;
    std::vector<float> X, Y, Z;
    TArrGLfloat Values;
    // Captions of the chart's axes (a surface's height runs along Y) and of a volume's value.
    std::string CaptionX, CaptionY, CaptionZ, CaptionValue;
    // The file gives the X (Z) coordinates itself (a header row, a Z column, a list of points):
    // the options' spacing and origin are not used for that axis. Set as soon as the layout is
    // known, so a read that fails later still tells.
    bool GivenX = false, GivenZ = false;
    std::vector<std::string> Warnings;
    // Set when the read failed; the data are then empty.
    bool Failed = false;
    TQorImportError Error;
    // An archive of several arrays read without a name: the arrays to choose from (Failed is
    // set and the error says a choice is needed).
    std::vector<TQorImportArrayInfo> Choices;

    bool Ok() const { return !Failed && Kind != TQorImportKind::None; }
    int64_t NX() const { return int64_t(X.size()); }
    int64_t NY() const { return int64_t(Y.size()); }
    int64_t NZ() const { return int64_t(Z.size()); }
    // Marks the result failed with Message at a place, dropping any data.
    void Fail(std::string Message, int64_t Line = 0, int64_t Field = 0, std::string Variable = {});
};
