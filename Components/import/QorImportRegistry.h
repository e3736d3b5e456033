// The importers known to the program: each reader's name, file-dialog filter, extensions,
// content sniff and read function; choosing the reader for a file (by its extension, then by
// its first bytes); the filter list of an open dialog; and putting a result into a chart.
//
// The native chart files (.p3d, .p4d, .txt in the chart forms) have an entry too, marked
// Native and without a read function: the caller hands such a file to the chart's own reader
// (LoadChartFile) unchanged.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TQor3DChart;

// The names of the readers of self-describing files, as the registry lists them.
inline constexpr const char* NetCdfFormat = "NetCDF files";
inline constexpr const char* Hdf5Format = "HDF5 files";
inline constexpr const char* GeoTiffFormat = "GeoTIFF rasters";
inline constexpr const char* EsriAsciiFormat = "ESRI ASCII grids";

struct TQorImportReader {
    std::string Name;                    // "Text matrices"
    std::string Filter;                  // "Text matrices (*.csv *.tsv *.txt)"
    std::vector<std::string> Extensions; // lower case, without the dot
    // Whether a file's first bytes (up to SniffBytes) are of this format.
    std::function<bool(std::string_view Head)> Sniff;
    // Reads a file; empty for the native entry.
    std::function<TQorImportResult(const std::string& FileName, const TQorImportOptions& Options)>
        Read;
    bool Native = false;
};

class TQorImportRegistry {
public:
    // Bytes of a file's start handed to the sniffs.
    static constexpr size_t SniffBytes = 4096;

    // The program's readers: the native chart files, NumPy arrays (.npy, .npz), NetCDF, HDF5,
    // GeoTIFF, ESRI ASCII grids and text tables.
    static const TQorImportRegistry& Default();

    void Add(TQorImportReader Reader);
    const std::vector<TQorImportReader>& Readers() const { return FReaders; }

    // The reader for a file: among the readers claiming its extension the first whose sniff
    // accepts Head (the only one when one claims it); without such, the first reader of all
    // whose sniff accepts Head. Null when none fits.
    const TQorImportReader* Choose(std::string_view FileName, std::string_view Head) const;
    // The same, reading the file's first bytes.
    const TQorImportReader* Choose(const std::string& FileName) const;

    // Filters for an open dialog: "All data files (...)" with every extension first, then one
    // entry per reader in the registry's order, then "All files (*)".
    QStringList FileDialogFilters() const;

private:
    std::vector<TQorImportReader> FReaders;
};

// Reads FileName with the reader Choose picks. A native chart file, or one no reader takes,
// gives a failed result saying so (check Choose first to hand native files on).
TQorImportResult ImportFile(const std::string& FileName, const TQorImportOptions& Options,
                            const TQorImportRegistry& Registry = TQorImportRegistry::Default());

// Puts a result into the chart as one change: a surface as a 3D grid, a volume as a 4D grid
// (either in the chart's layout: UseLowMemory decides), the ranges and normals computed, the
// captions set where the result has any (a volume's value caption is the 4D caption). The
// numbers are real values, as a file's are, so logarithmic axes convert them once. False (the
// chart then empty) for a failed result or a grid the chart cannot hold.
bool ApplyToChart(const TQorImportResult& Result, TQor3DChart& Chart);
// The same, taking over Result's array where the chart's layout is the result's (low memory),
// so that no second copy of the values is ever made.
bool ApplyToChart(TQorImportResult&& Result, TQor3DChart& Chart);
