// NumPy arrays: .npy (one array) and .npz (a zip archive of .npy members). A 2D array a[k, i]
// is the surface height at x[i], z[k]; a 3D array a[k, j, i] the volume value at x[i], y[j],
// z[k]. Coordinates follow the options' spacing and origin.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <string>
#include <string_view>
#include <vector>

TQorImportResult ReadNpyFile(const std::string& FileName, const TQorImportOptions& Options);
TQorImportResult ReadNpyBytes(std::string_view Bytes, const TQorImportOptions& Options,
                              const std::string& Name = {});

// An archive: with one array, or Options.ArrayName naming one ("heights" or "heights.npy"),
// that array; with several and no name a failed result whose Choices list them.
TQorImportResult ReadNpzFile(const std::string& FileName, const TQorImportOptions& Options);
TQorImportResult ReadNpzBytes(std::string_view Bytes, const TQorImportOptions& Options,
                              const std::string& Name = {});
// The arrays of an archive (name without ".npy", shape, type); false with the reason.
bool ListNpzArrays(const std::string& FileName, std::vector<TQorImportArrayInfo>& Arrays,
                   std::string& Error);

// The first bytes of a .npy or .npz file.
bool LooksLikeNpy(std::string_view Head);
bool LooksLikeZip(std::string_view Head);

// The header of a .npy: parsed from its first bytes, and checked against the bytes that
// follow it before anything is allocated.
struct TQorNpyHeader {
    char Kind = 0;          // 'i', 'u', 'f', 'b'
    int ItemSize = 0;       // bytes per element
    bool BigEndian = false; // the elements' byte order
    bool Fortran = false;
    std::vector<int64_t> Shape;
    uint64_t DataOffset = 0;   // where the elements start
    std::string DType() const; // "float32", "int16", ...
};
// Parses the header at the start of Bytes (at least its first 10 bytes and the dictionary);
// "" or why it is refused.
std::string ParseNpyHeader(std::string_view Bytes, TQorNpyHeader& Header);
