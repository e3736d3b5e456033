// The NetCDF, HDF5 and GeoTIFF importers on a 2000 x 2000 float32 grid beside the libraries'
// own bare reads of the same file (nc_get_var_float, H5Dread, a TIFFReadScanline pass), and
// one 2000 x 2000 slice of a 50 x 2000 x 2000 netCDF-4 variable beside the whole 2D read: a
// ratio (bare time / import time) of 0.8 or more meets the goal.
#include "QorImportGeoTiff.h"
#include "QorImportRegistry.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <hdf5.h>
#include <hdf5_hl.h>
#include <netcdf.h>
#include <tiffio.h>
#include <vector>

namespace {

constexpr int N = 2000, Slices = 50, Runs = 7;

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

    TIFF* t = TIFFOpen((Dir / "grid.tif").c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, N);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, N);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 32);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
    for (int r = 0; r < N; ++r)
        TIFFWriteScanline(t, const_cast<float*>(V.data() + size_t(N) * r), uint32_t(r), 0);
    TIFFClose(t);
}

void Report(const char* What, double Bare, double Import) {
    std::printf("%-34s bare %8.2f ms  import %8.2f ms  ratio %.2f\n", What, Bare * 1e3,
                Import * 1e3, Bare / Import);
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

    const double ncBare = Best([&] {
        int nc = 0, var = 0;
        nc_open((dir / "grid.nc").c_str(), NC_NOWRITE, &nc);
        nc_inq_varid(nc, "z", &var);
        nc_get_var_float(nc, var, out.data());
        nc_close(nc);
    });
    Report("netCDF-4 2000 x 2000 float32", ncBare, Best(import("grid.nc")));

    const double h5Bare = Best([&] {
        const hid_t f = H5Fopen((dir / "grid.h5").c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
        const hid_t d = H5Dopen2(f, "z", H5P_DEFAULT);
        H5Dread(d, H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT, out.data());
        H5Dclose(d);
        H5Fclose(f);
    });
    Report("HDF5 2000 x 2000 float32", h5Bare, Best(import("grid.h5")));

    const double tifBare = Best([&] {
        TIFF* t = TIFFOpen((dir / "grid.tif").c_str(), "r");
        for (uint32_t r = 0; r < N; ++r)
            TIFFReadScanline(t, out.data() + size_t(N) * r, r, 0);
        TIFFClose(t);
    });
    Report("GeoTIFF 2000 x 2000 float32", tifBare, Best(import("grid.tif")));
    TQorImportOptions rows;
    rows.Transpose = true; // rows along Z: no turn of the raster
    Report("GeoTIFF, rows along Z", tifBare, Best(import("grid.tif", rows)));

    TQorImportOptions slice;
    slice.Set("index", "t=25");
    const double one = Best(import("slices.nc", slice));
    Report("slice of 50 x 2000 x 2000 vs 2D", Best(import("grid.nc")), one);
    TQorImportResult r = ImportFile((dir / "slices.nc").string(), slice);
    std::printf("slice values held: %zu (%.1f MB), file %.1f MB\n", r.Values.size(),
                double(r.Values.size()) * 4 / 1e6,
                double(std::filesystem::file_size(dir / "slices.nc")) / 1e6);
    std::filesystem::remove_all(dir);
    return 0;
}
