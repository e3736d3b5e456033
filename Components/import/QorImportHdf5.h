// HDF5 files through the HDF5 library: the integer and floating-point datasets of 2 or more
// dimensions anywhere in the file are the candidates, named by their path ("run/temperature");
// dimension scales attached to the chosen one become the axes. The library's error stack is
// never printed: its innermost message ends up in the result's error.
#pragma once

#include "QorImportGrid.h"
#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <string>
#include <string_view>
#include <vector>

TQorImportResult ReadHdf5File(const std::string& FileName, const TQorImportOptions& Options);
// The candidates of a file; false with the library's reason.
bool ListHdf5Datasets(const std::string& FileName, std::vector<TQorImportArrayInfo>& Datasets,
                      std::string& Error);
// The first dimension scale attached to dimension Dim of Dataset over Start, Count; false when
// the file or the dataset cannot be opened (a dimension without scale is no failure).
bool ReadHdf5Axis(const std::string& FileName, const std::string& Dataset, size_t Dim,
                  int64_t Start, int64_t Count, QorImportGrid::TAxis& Axis);
// The HDF5 signature at the start of the file or of a user block before it (512, 1024, ...).
bool LooksLikeHdf5(std::string_view Head);
