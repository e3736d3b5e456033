// The NetCDF, HDF5 and GeoTIFF importers on a 2000 x 2000 float32 grid beside the libraries'
// own bare reads of the same file (nc_get_var_float, H5Dread, a TIFFReadScanline pass and, for
// the raster in tiles, a TIFFReadTile pass), and
// one 2000 x 2000 slice of a 50 x 2000 x 2000 netCDF-4 variable: its time beside a bare read of
// the slice and the 2D import, and the growth of the peak resident set while it is read. A
// ratio (bare time / import time) of 0.8 or more meets the goal.
//
// Build and run (a Release build of the default preset's options; GCC 12 at -O3 gives false
// -Wrestrict warnings in std::string, hence the flag):
//   cmake -S . -B build/rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLOTYRA_WERROR=ON
//         -DPLOTYRA_BENCH=ON -DCMAKE_CXX_FLAGS=-Wno-restrict   (one command)
//   cmake --build build/rel -j2 --target grid_import_bench && build/rel/bench/grid_import_bench
//
// Measured on a shared 2-core virtual machine (GCC 12, netCDF 4.9.0, HDF5 1.10.8), best of 15 per
// run, five runs (ratio against the bare read into a reused buffer; in brackets into a fresh one):
//   netCDF-4 2D   bare 1.8-1.9 ms, import 1.4-1.6 ms: ratio 1.17-1.30
//   HDF5 2D       bare 1.4-1.6 ms, import 1.0-1.1 ms: ratio 1.31-1.46
//   GeoTIFF       bare 2.1 ms,     import 2.2-2.6 ms: ratio 0.82-0.99
//   GeoTIFF, rows along Z (no turn):                 ratio 1.57-1.67
//   GeoTIFF in tiles of 256 x 256 (bare: TIFFReadTile into an array of tiles): ratio 0.80-1.04
//   slice t=25    ratio 1.16-1.41 of a bare read of the slice; peak resident set +17.1 MB for the
//                 16.0 MB slice (800 MB variable)
// In a busy hour of the same host the two-core reads suffer most: netCDF 0.83-1.22, HDF5
// 0.79-1.29, GeoTIFF turned 0.62-0.89, in tiles 0.69-0.84, rows along Z 1.02-1.54.
// Both 2D variables are floats kept as they are, so the HDF5 library says where they lie and the
// importer reads them on both cores, each core looking at the block it has just read for the
// fill value (a float netCDF variable has the library's default one) while it is in its cache.
// Through the library (one thread only) the look was a third stream through memory beside the
// kernel's copy, and netCDF stayed near 0.7. The raster is read in two halves, each through a
// handle of its own on its own core, and turned block by block (or tile by tile) while in that
// core's cache; the turn's writes, one column after another, are what it still costs. (The
// tiles were read on one core and the whole raster turned afterwards into a second array: 0.15.)
#include "QorImportRegistry.h"
#include "UQorTypes.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <hdf5.h>
#include <hdf5_hl.h>
#include <malloc.h>
#include <netcdf.h>
#include <string>
#include <tiffio.h>
#include <vector>

namespace {

constexpr int N = 2000, Slices = 50, Runs = 15, Tile = 256;

double Best(const std::function<void()>& Pass) {
    double best = 1e30;
    for (int r = 0; r < Runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        Pass();
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
    }
    return best;
}

std::vector<float> Grid() {
    std::vector<float> v(size_t(N) * N);
    for (size_t p = 0; p < v.size(); ++p)
        v[p] = std::sin(float(p % 977) * 0.01f) * 100.0f;
    return v;
}

void WriteFiles(const std::filesystem::path& Dir, const std::vector<float>& V) {
    int nc = 0, dims[3] = {}, var = 0;
    nc_create((Dir / "grid.nc").c_str(), NC_CLOBBER | NC_NETCDF4, &nc);
    nc_def_dim(nc, "y", N, &dims[0]);
    nc_def_dim(nc, "x", N, &dims[1]);
    nc_def_var(nc, "z", NC_FLOAT, 2, dims, &var);
    nc_def_var_chunking(nc, var, NC_CONTIGUOUS, nullptr);
    nc_enddef(nc);
    nc_put_var_float(nc, var, V.data());
    nc_close(nc);

    // 50 slices in chunks of one slice; only slice 25 is written, the others stay unallocated.
    nc_create((Dir / "slices.nc").c_str(), NC_CLOBBER | NC_NETCDF4, &nc);
    nc_def_dim(nc, "t", Slices, &dims[0]);
    nc_def_dim(nc, "y", N, &dims[1]);
    nc_def_dim(nc, "x", N, &dims[2]);
    nc_def_var(nc, "z", NC_FLOAT, 3, dims, &var);
    const size_t chunk[] = {1, N, N};
    nc_def_var_chunking(nc, var, NC_CHUNKED, chunk);
    nc_enddef(nc);
    const size_t start[] = {25, 0, 0}, count[] = {1, N, N};
    nc_put_vara_float(nc, var, start, count, V.data());
    nc_close(nc);

    const hid_t h5 = H5Fcreate((Dir / "grid.h5").c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, H5P_DEFAULT);
    const hsize_t shape[] = {N, N};
    H5LTmake_dataset_float(h5, "z", 2, shape, V.data());
    H5Fclose(h5);

    // A float32 raster of N x N, its fields set but for the layout.
    const auto raster = [&](const char* Name) {
        TIFF* r = TIFFOpen((Dir / Name).c_str(), "w");
        TIFFSetField(r, TIFFTAG_IMAGEWIDTH, N);
        TIFFSetField(r, TIFFTAG_IMAGELENGTH, N);
        TIFFSetField(r, TIFFTAG_BITSPERSAMPLE, 32);
        TIFFSetField(r, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(r, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
        TIFFSetField(r, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        return r;
    };
    TIFF* t = raster("grid.tif");
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
    for (int r = 0; r < N; ++r)
        TIFFWriteScanline(t, const_cast<float*>(V.data() + size_t(N) * r), uint32_t(r), 0);
    TIFFClose(t);

    // The same raster in tiles of 256 x 256 (the edge tiles padded).
    t = raster("tiles.tif");
    TIFFSetField(t, TIFFTAG_TILEWIDTH, Tile);
    TIFFSetField(t, TIFFTAG_TILELENGTH, Tile);
    std::vector<float> tile(size_t(Tile) * Tile);
    for (int y = 0; y < N; y += Tile)
        for (int x = 0; x < N; x += Tile) {
            for (int r = 0; r < Tile; ++r)
                for (int c = 0; c < Tile; ++c)
                    tile[size_t(r) * Tile + c] =
                        y + r < N && x + c < N ? V[size_t(y + r) * N + x + c] : 0.0f;
            TIFFWriteTile(t, tile.data(), uint32_t(x), uint32_t(y), 0, 0);
        }
    TIFFClose(t);
}

// A line of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when not found.
long StatusKb(const char* Key) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(Key) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

// Starts the peak resident set (VmHWM) afresh at the current one.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

// Ratios are bare time / import time: 0.8 or more meets the goal.
void Report(const char* What, double Reused, double Fresh, double Import) {
    std::printf("%-32s bare %7.2f ms (fresh array %7.2f ms)  import %7.2f ms  ratio %.2f "
                "(%.2f)\n",
                What, Reused * 1e3, Fresh * 1e3, Import * 1e3, Reused / Import, Fresh / Import);
}

} // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "plotyra-grid-bench";
    std::filesystem::create_directories(dir);
    const std::vector<float> grid = Grid();
    WriteFiles(dir, grid);
    std::vector<float> out(grid.size());
    const auto import = [&](const char* Name, TQorImportOptions Options = {}) {
        return [&dir, Name, Options] {
            const TQorImportResult r = ImportFile((dir / Name).string(), Options);
            if (!r.Ok())
                std::fprintf(stderr, "%s: %s\n", Name, r.Error.Text().c_str());
        };
    };

    // Each bare read goes once into a buffer of the process that is reused (its pages resident
    // already) and once into a freshly allocated one, as any reader that hands over a new array
    // must fill: on a virtual machine whose first touch of a page is dear, the two differ a lot.
    const auto compare = [&](const char* What, const std::function<void(float*)>& Read,
                             double Import) {
        const double reused = Best([&] { Read(out.data()); });
        const double fresh = Best([&] {
            TArrGLfloat into(grid.size());
            Read(into.data());
        });
        Report(What, reused, fresh, Import);
        return reused;
    };
    compare(
        "netCDF-4 2000 x 2000 float32",
        [&](float* Into) {
            int nc = 0, var = 0;
            nc_open((dir / "grid.nc").c_str(), NC_NOWRITE, &nc);
            nc_inq_varid(nc, "z", &var);
            nc_get_var_float(nc, var, Into);
            nc_close(nc);
        },
        Best(import("grid.nc")));
    compare(
        "HDF5 2000 x 2000 float32",
        [&](float* Into) {
            const hid_t f = H5Fopen((dir / "grid.h5").c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
            const hid_t d = H5Dopen2(f, "z", H5P_DEFAULT);
            H5Dread(d, H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT, Into);
            H5Dclose(d);
            H5Fclose(f);
        },
        Best(import("grid.h5")));
    const auto tifRead = [&](float* Into) {
        TIFF* t = TIFFOpen((dir / "grid.tif").c_str(), "r");
        for (uint32_t r = 0; r < N; ++r)
            TIFFReadScanline(t, Into + size_t(N) * r, r, 0);
        TIFFClose(t);
    };
    compare("GeoTIFF 2000 x 2000 float32", tifRead, Best(import("grid.tif")));
    // Each tile into its own place of an array of tiles, as the library gives them.
    compare(
        "GeoTIFF in tiles of 256 x 256",
        [&](float* Into) {
            TIFF* t = TIFFOpen((dir / "tiles.tif").c_str(), "r");
            const size_t tileValues = size_t(Tile) * Tile;
            TArrGLfloat edge(tileValues);
            size_t at = 0;
            for (uint32_t y = 0; y < N; y += Tile)
                for (uint32_t x = 0; x < N; x += Tile, at += tileValues)
                    TIFFReadTile(t, at + tileValues <= grid.size() ? Into + at : edge.data(), x, y,
                                 0, 0);
            TIFFClose(t);
        },
        Best(import("tiles.tif")));
    TQorImportOptions rows;
    rows.Transpose = true; // rows along Z: no turn of the raster
    compare("GeoTIFF, rows along Z", tifRead, Best(import("grid.tif", rows)));

    // One slice: its time beside a bare read of the same slice and beside the 2D import, and
    // the growth of the peak resident set while it is read and held, beside its own size and
    // the whole variable's.
    TQorImportOptions slice;
    slice.Set("index", "t=25");
    const double sliceImport = Best(import("slices.nc", slice));
    compare(
        "slice t=25 of 50 x 2000 x 2000",
        [&](float* Into) {
            int nc = 0, var = 0;
            nc_open((dir / "slices.nc").c_str(), NC_NOWRITE, &nc);
            nc_inq_varid(nc, "z", &var);
            const size_t start[] = {25, 0, 0}, count[] = {1, N, N};
            nc_get_vara_float(nc, var, start, count, Into);
            nc_close(nc);
        },
        sliceImport);
    const double plain = Best(import("grid.nc"));
    std::printf("%-34s 2D import %8.2f ms  slice import %8.2f ms  ratio %.2f\n",
                "slice import vs 2D import", plain * 1e3, sliceImport * 1e3, plain / sliceImport);
    // Freed arrays of the runs above go back to the system first, so the slice cannot reuse
    // pages that are resident already.
    malloc_trim(0);
    const bool peakReset = ResetPeak();
    const long before = StatusKb("VmRSS");
    const TQorImportResult r = ImportFile((dir / "slices.nc").string(), slice);
    const long growth = StatusKb("VmHWM") - before;
    const double mb = 1024.0 / 1e6;
    std::printf("slice: %zu values held (%.1f MB); peak resident set grew by %.1f MB%s while it "
                "was read (the whole variable: %.1f MB)\n",
                r.Values.size(), double(r.Values.size()) * sizeof(float) / 1e6, double(growth) * mb,
                peakReset ? "" : " (peak not reset: an upper bound)",
                double(Slices) * N * N * sizeof(float) / 1e6);
    std::filesystem::remove_all(dir);
    return 0;
}
