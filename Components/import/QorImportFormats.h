// The NetCDF, HDF5 and GeoTIFF readers live in a module of their own, plotyra-formats.so, loaded
// on the first file that needs them: their libraries (and the dozens those pull in: curl, TLS,
// Kerberos, PROJ, SQLite, ...) would otherwise be loaded and bound at every start, which costs
// a small picture's render about a tenth of its time. The functions of QorImportNetCdf.h,
// QorImportHdf5.h and QorImportGeoTiff.h call into it; the format sniffs need no library and
// stay here.
#pragma once

#include "QorImportGrid.h"
#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// The module's readers, as its entry hands them over.
struct TQorImportFormats {
    TQorImportResult (*ReadNetCdfFile)(const std::string&, const TQorImportOptions&);
    bool (*ListNetCdfVariables)(const std::string&, std::vector<TQorImportArrayInfo>&,
                                std::string&);
    bool (*ReadNetCdfAxis)(const std::string&, const std::string&, size_t, int64_t, int64_t,
                           QorImportGrid::TAxis&);
    TQorImportResult (*ReadHdf5File)(const std::string&, const TQorImportOptions&);
    bool (*ListHdf5Datasets)(const std::string&, std::vector<TQorImportArrayInfo>&, std::string&);
    bool (*ReadHdf5Axis)(const std::string&, const std::string&, size_t, int64_t, int64_t,
                         QorImportGrid::TAxis&);
    TQorImportResult (*ReadGeoTiffFile)(const std::string&, const TQorImportOptions&);
    void (*RegisterGeoTiffTags)();
};

// What the program and the module must agree on before one calls the other: the same version
// and the same layout of everything that crosses between them.
struct TQorImportFormatsKey {
    const char* Version;
    size_t Sizes[6];
};

// This build's key.
TQorImportFormatsKey ImportFormatsKey();
bool SameImportFormatsKey(const TQorImportFormatsKey& A, const TQorImportFormatsKey& B);

// The module's entry: its readers when Key is its own, else null.
extern "C" const TQorImportFormats* plotyra_import_formats(const TQorImportFormatsKey* Key);

// Loads the first of Candidates that exists and is a module of this build (it stays loaded);
// its readers, or null with every reason in Error.
const TQorImportFormats* LoadImportFormats(const std::vector<std::filesystem::path>& Candidates,
                                           std::string& Error);

// The readers, the module loaded on the first call (once per process); null with the reason
// in Error when the module cannot be found or loaded, or belongs to another build.
const TQorImportFormats* ImportFormats(std::string& Error);
