// A variable of a self-describing file (NetCDF, HDF5) made into a grid, whichever library reads
// it: the variable chosen among the candidates, the hyperslab read (the dimensions shown and an
// index along every other), the slab checked against the memory, the missing-value and packing
// attributes applied, and the coordinates and captions of the axes.
//
// The last dimension runs along X, the one before it along Z (a surface's rows) or, for a
// volume, along Y with the one before that along Z, as a C-order array a[k, j, i] does.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace QorImportGrid {

// The numbers of a variable's attributes, in the units of its stored (packed) values.
struct TAttributes {
    std::optional<double> FillValue, MissingValue, ValidMin, ValidMax;
    double Scale = 1, Offset = 0;
    std::string Units, LongName;
};

// The CF attributes (_FillValue, missing_value, valid_range, valid_min, valid_max, scale_factor,
// add_offset, units, long_name) as a library gives them: Numbers(name) an attribute's numbers
// (empty without it), Text(name) its text.
TAttributes CfAttributes(const std::function<std::vector<double>(const char*)>& Numbers,
                         const std::function<std::string(const char*)>& Text);

// What is read of a variable: Start and Count per dimension of the variable (of Shape); Shown the
// dimensions that become the grid's axes (2 or 3, in the variable's order).
struct TSlab {
    std::vector<int64_t> Shape, Start, Count;
    std::vector<size_t> Shown;
    TQorImportKind Kind = TQorImportKind::None;
    int64_t Elements = 0;
};

// An axis of the grid: the values of its coordinate variable (empty: spaced by the options), its
// caption ("lat [degrees_north]") and the coordinate variable's units alone.
struct TAxis {
    std::vector<double> Values;
    std::string Caption, Units;
};

// "name [units]", or the name alone.
std::string Caption(const std::string& Name, const std::string& Units);

// The variable Options.ArrayName names among Candidates, or the only candidate. Otherwise null,
// with R failed and its Choices listing the candidates ("choose one with --var NAME").
const TQorImportArrayInfo* ChooseVariable(const std::vector<TQorImportArrayInfo>& Candidates,
                                          const TQorImportOptions& Options, TQorImportResult& R);

// The slab of Var: dimensions with an index in Options read that place; of the others the last
// three are shown (a volume), or two when only two are left (a surface); any before those read
// index 0, said in a warning. An index beyond its dimension, or a slab that is no grid the
// chart can hold or that does not fit into the memory, fails R; checked before anything is read.
bool ChooseSlab(const TQorImportArrayInfo& Var, const TQorImportOptions& Options, TSlab& Slab,
                TQorImportResult& R);

// The numbers a value pass compares and unpacks with; an absent bound is NaN or infinite.
struct TPassNumbers {
    float Fill, Missing, Lo, Hi;
    double Scale, Offset;
};

// What the attributes make of each stored value: the fill value, missing value and values
// outside the valid range become NaN, every other value Stored × scale + offset.
class TValuePass {
public:
    explicit TValuePass(const TAttributes& Attributes);
    // On this thread, in place.
    void operator()(float* Values, size_t Count) const;
    // False when every value stays as stored.
    bool Changes() const { return !FNothing || FRanged || FPacked; }

private:
    TPassNumbers FNumbers;
    bool FPacked, FRanged, FNothing; // FNothing: no fill and no missing value
    bool FTwo;                       // a missing value other than the fill value
};

// How the library keeps a variable's values in its file.
struct TStorage {
    // Where the values lie one after another as this machine's 32-bit floats, when the library
    // says so (kept as they are, unfiltered, in the file itself): from byte Offset of the file
    // the library has open, known by its device and inode, so that a file put in its place by
    // name meanwhile is not read.
    struct TFloats {
        int64_t Offset = 0;
        uint64_t Device = 0, Inode = 0;
    };
    bool Contiguous = false; // in one piece, not in chunks
    std::optional<TFloats> Floats;
};

// Reads a slab of the part of the variable Start and Count give (per dimension of the
// variable) into Into; false when the library fails.
using TSlabRead = std::function<bool(const std::vector<int64_t>& Start,
                                     const std::vector<int64_t>& Count, float* Into)>;

// Reads the slab into Values, with the attributes applied, the fastest
// way its storage allows:
// - floats as they are: straight from the file on every core, a block at a time, each block
//   passed over by the core that read it while in its cache (a slab that is no single run there,
//   a file that ends before it or that is no longer the library's goes on as a contiguous
//   variable);
// - contiguous: half a megabyte at a time through Read, each block passed over on a second core
//   while the next is read (in one Read when nothing is to change);
// - chunked: in one Read, then passed over on every core.
// False when Read fails: the blocks after it are not read.
bool ReadSlab(const std::string& FileName, const TStorage& Storage, const TSlab& Slab,
              TArrGLfloat& Values, const TAttributes& Attributes, const TSlabRead& Read);

// Puts the slab's Values (in C order) into R with the axes of the shown dimensions (Axes in
// the order of Slab.Shown), the value's caption and the options' spacing, origin, transposition
// and no-data value.
void FinishGrid(TQorImportResult& R, const TSlab& Slab, const std::vector<TAxis>& Axes,
                const std::string& ValueCaption, TArrGLfloat&& Values,
                const TQorImportOptions& Options);

} // namespace QorImportGrid
