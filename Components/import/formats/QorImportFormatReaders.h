// The readers that need the formats' own libraries (NetCDF, HDF5, libtiff with libgeotiff). They
// are built into the module plotyra-formats.so, which the program loads on the first file of
// these formats (QorImportFormats.h); the rest of the program calls them through the functions
// of QorImportNetCdf.h, QorImportHdf5.h and QorImportGeoTiff.h, which say what each does.
#pragma once

#include "QorImportGeoTiff.h"
#include "QorImportHdf5.h"
#include "QorImportNetCdf.h"

namespace QorFormatReaders {

TQorImportResult ReadNetCdfFile(const std::string& FileName, const TQorImportOptions& Options);
bool ListNetCdfVariables(const std::string& FileName, std::vector<TQorImportArrayInfo>& Variables,
                         std::string& Error);
bool ReadNetCdfAxis(const std::string& FileName, const std::string& Variable, size_t Dim,
                    int64_t Start, int64_t Count, QorImportGrid::TAxis& Axis);

TQorImportResult ReadHdf5File(const std::string& FileName, const TQorImportOptions& Options);
bool ListHdf5Datasets(const std::string& FileName, std::vector<TQorImportArrayInfo>& Datasets,
                      std::string& Error);
bool ReadHdf5Axis(const std::string& FileName, const std::string& Dataset, size_t Dim,
                  int64_t Start, int64_t Count, QorImportGrid::TAxis& Axis);
// How the dataset at Path of an HDF5 file, of Shape, is stored (a netCDF-4 file is one: its
// variables are its datasets); nothing known when it cannot be opened.
QorImportGrid::TStorage Hdf5Storage(const std::string& FileName, const std::string& Path,
                                    const std::vector<int64_t>& Shape);

TQorImportResult ReadGeoTiffFile(const std::string& FileName, const TQorImportOptions& Options);
void RegisterGeoTiffTags();

} // namespace QorFormatReaders
