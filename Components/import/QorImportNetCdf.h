// NetCDF files (classic, 64-bit offset, 64-bit data and netCDF-4) through the NetCDF library:
// the numeric variables of 2 or more dimensions of the root group are the candidates; the
// chosen one's slab (QorImportGrid.h) is read, its coordinate variables become the axes.
#pragma once

#include "QorImportGrid.h"
#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <string>
#include <string_view>
#include <vector>

TQorImportResult ReadNetCdfFile(const std::string& FileName, const TQorImportOptions& Options);
// The candidates of a file; false with the library's reason.
bool ListNetCdfVariables(const std::string& FileName, std::vector<TQorImportArrayInfo>& Variables,
                         std::string& Error);
// The coordinate variable of dimension Dim (its place among Variable's) over Start, Count; false
// when the file or the variable cannot be read (an axis without coordinates is no failure).
bool ReadNetCdfAxis(const std::string& FileName, const std::string& Variable, size_t Dim,
                    int64_t Start, int64_t Count, QorImportGrid::TAxis& Axis);
// The first bytes of a classic file ("CDF" 1, 2 or 5) or of an HDF5 file (netCDF-4).
bool LooksLikeNetCdf(std::string_view Head);
