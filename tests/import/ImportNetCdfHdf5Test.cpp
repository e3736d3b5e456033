// NetCDF and HDF5 files written through their libraries, read back: the variables offered, the
// slab chosen by --var and --index, the coordinates and captions, the packing and missing-value
// attributes, and the refusals of what cannot be read.
#include "ImportGridFiles.h"
#include "QorImportDimensions.h"
#include "QorImportGrid.h"
#include "QorImportOpen.h"
#include "QorImportRegistry.h"

#include "TestSupport.h"
#include "chart/Qor3DChart.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <vector>

using namespace ImportGridFiles;

namespace {

TQorImportOptions With(std::initializer_list<std::pair<const char*, const char*>> Options) {
    TQorImportOptions o;
    for (const auto& [name, value] : Options)
        EXPECT_EQ(o.Set(name, value), "");
    return o;
}

} // namespace

// A netCDF-4 file of two variables lists both and opens neither until one is named; the packed
// temperature at one time is a surface over longitude (X) and latitude (Z) with their units in
// the captions, unpacked, its fill value a hole; without an index it is a volume over time.
TEST(ImportNetCdf, ReadsTheChosenSlabWithCoordinatesPackingAndHoles) {
    TempDir dir;
    const std::string file = dir.File("air.nc");
    ASSERT_TRUE(WriteNetCdf(file));

    TQorImportResult both = ImportFile(file, {});
    ASSERT_FALSE(both.Ok());
    ASSERT_EQ(both.Choices.size(), 2u);
    EXPECT_EQ(both.Error.Text(),
              "air.nc: the file holds 2 variables; choose one with --var NAME: temp (time, lat, "
              "lon): 3 × 4 × 5 int16 [K], Air temperature; pressure (lat, lon): 4 × 5 float32 "
              "[hPa]");

    const TQorImportResult r = ImportFile(file, With({{"var", "temp"}, {"index", "time=1"}}));
    ASSERT_TRUE(r.Ok()) << r.Error.Text();
    ASSERT_EQ(r.Kind, TQorImportKind::Surface);
    ASSERT_EQ(r.NX(), NLon);
    ASSERT_EQ(r.NZ(), NLat);
    EXPECT_EQ(r.CaptionX, "lon [degrees_east]");
    EXPECT_EQ(r.CaptionZ, "lat [degrees_north]");
    EXPECT_EQ(r.CaptionY, "temp [K]");
    EXPECT_TRUE(r.GivenX && r.GivenZ);
    for (int k = 0; k < NLat; ++k)
        for (int i = 0; i < NLon; ++i) {
            EXPECT_FLOAT_EQ(r.X[size_t(i)], float(Lon(i)));
            EXPECT_FLOAT_EQ(r.Z[size_t(k)], float(Lat(k)));
            const float v = r.Values[size_t(i + NLon * k)];
            if (PackedTemp(1, k, i) == TempFill)
                EXPECT_TRUE(std::isnan(v)) << i << "," << k;
            else
                EXPECT_NEAR(v, PackedTemp(1, k, i) * TempScale + TempOffset, 1e-3);
        }

    const TQorImportResult volume = ImportFile(file, With({{"var", "temp"}}));
    ASSERT_TRUE(volume.Ok()) << volume.Error.Text();
    ASSERT_EQ(volume.Kind, TQorImportKind::Volume);
    EXPECT_EQ(volume.NZ(), NTime);
    EXPECT_EQ(volume.NY(), NLat);
    EXPECT_EQ(volume.CaptionZ, "time [hours since 2020-01-01]");
    EXPECT_FLOAT_EQ(volume.Z[2], 12.0f);
    EXPECT_EQ(volume.CaptionValue, "temp [K]");
    EXPECT_NEAR(volume.Values[size_t(4 + NLon * (3 + NLat * 2))],
                PackedTemp(2, 3, 4) * TempScale + TempOffset, 1e-3);

    // valid_range 990 ... 1005 leaves out the pressures above it.
    const TQorImportResult p = ImportFile(file, With({{"var", "pressure"}}));
    ASSERT_TRUE(p.Ok()) << p.Error.Text();
    EXPECT_FLOAT_EQ(p.Values[0], Pressure(0, 0));
    EXPECT_TRUE(std::isnan(p.Values[size_t(0 + NLon * 3)])); // 1009

    const TQorImportResult beyond = ImportFile(file, With({{"var", "temp"}, {"index", "time=3"}}));
    EXPECT_EQ(beyond.Error.Text(),
              "air.nc, variable 'temp': --index time=3: time has 3 places (0 ... 2)");
    const TQorImportResult none = ImportFile(file, With({{"var", "wind"}}));
    EXPECT_NE(none.Error.Text().find("holds no variable 'wind'"), std::string::npos);
}

// An HDF5 dataset with dimension scales opens at once (the scales are no candidates), its
// scales the axes; a file that is no HDF5 gives the library's words in the message and nothing
// on the terminal.
TEST(ImportHdf5, ReadsADatasetWithItsDimensionScalesAndSaysTheLibrarysError) {
    TempDir dir;
    const std::string file = dir.File("terrain.h5");
    ASSERT_TRUE(WriteHdf5(file));
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    const TQorOpenOutcome o = OpenChartData(chart, nullptr, file, false, {});
    ASSERT_TRUE(o.Ok) << o.Error;
    EXPECT_EQ(o.Format, "HDF5 files");
    ASSERT_EQ(chart.NX(), H5NX);
    ASSERT_EQ(chart.NZ(), H5NY);
    EXPECT_EQ(chart.AxisX().Caption(), "easting [m]");
    EXPECT_EQ(chart.AxisZ().Caption(), "northing [m]");
    EXPECT_EQ(chart.AxisY().Caption(), "height [m]");
    EXPECT_FLOAT_EQ(chart.XValues()[5], 550.0f);
    EXPECT_FLOAT_EQ(chart.ZValues()[3], 5300.0f);
    EXPECT_FLOAT_EQ(chart.Data()[size_t(5 + H5NX * 3)], float(H5Height(3, 5)));

    const std::string bad = dir.File("bad.h5");
    WriteFileText(bad, "not an HDF5 file at all");
    testing::internal::CaptureStderr();
    const TQorImportResult r = ImportFile(bad, {});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(r.Error.Text().rfind("bad.h5: the file cannot be opened: the HDF5 library says: ", 0),
              0u)
        << r.Error.Text();
}

// Headers that claim 10^12 values are refused before anything is allocated, with the grid's
// size in the message.
TEST(ImportNetCdfHdf5, HugeDeclaredShapesAreRefusedBeforeAllocation) {
    TempDir dir;
    const std::string nc = dir.File("huge.nc");
    int id = -1, dims[2] = {}, var = 0;
    ASSERT_EQ(nc_create(nc.c_str(), NC_CLOBBER | NC_64BIT_DATA, &id), NC_NOERR);
    ASSERT_EQ(nc_set_fill(id, NC_NOFILL, nullptr), NC_NOERR);
    ASSERT_EQ(nc_def_dim(id, "y", 1000000, &dims[0]), NC_NOERR);
    ASSERT_EQ(nc_def_dim(id, "x", 1000000, &dims[1]), NC_NOERR);
    ASSERT_EQ(nc_def_var(id, "z", NC_FLOAT, 2, dims, &var), NC_NOERR);
    ASSERT_EQ(nc_close(id), NC_NOERR);
    const TQorImportResult a = ImportFile(nc, {});
    EXPECT_EQ(a.Error.Text(), "huge.nc, variable 'z': the grid of 1000000 × 1000000 = "
                              "1000000000000 values does not fit into memory");

    const std::string h5 = dir.File("huge.h5");
    const hid_t creation = H5Pcreate(H5P_FILE_CREATE);
    H5Pset_userblock(creation, 512);
    const hid_t file = H5Fcreate(h5.c_str(), H5F_ACC_TRUNC, creation, H5P_DEFAULT);
    H5Pclose(creation);
    const hsize_t shape[] = {1000000, 1000000}, chunk[] = {100, 100};
    const hid_t space = H5Screate_simple(2, shape, nullptr);
    const hid_t plist = H5Pcreate(H5P_DATASET_CREATE);
    H5Pset_chunk(plist, 2, chunk);
    const hid_t set =
        H5Dcreate2(file, "z", H5T_NATIVE_FLOAT, space, H5P_DEFAULT, plist, H5P_DEFAULT);
    ASSERT_GE(set, 0);
    H5Dclose(set);
    H5Pclose(plist);
    H5Sclose(space);
    H5Fclose(file);
    const TQorImportResult b = ImportFile(h5, {});
    EXPECT_EQ(b.Error.Text(), "huge.h5, variable 'z': the grid of 1000000 × 1000000 = "
                              "1000000000000 values does not fit into memory");
}

// The dimensions a chart does not show are those with an index (or before the shown ones), at
// the place the options read; a coordinate with units is told by value, from a coordinate
// variable or a dimension scale.
TEST(ImportNetCdfHdf5, HiddenDimensionsAndTheirCoordinates) {
    TempDir dir;
    const std::string nc = dir.File("air.nc"), h5 = dir.File("terrain.h5");
    ASSERT_TRUE(WriteNetCdf(nc));
    ASSERT_TRUE(WriteHdf5(h5));

    const TQorImportDimensions atTime =
        HiddenImportDimensions(nc, With({{"var", "temp"}, {"index", "time=2"}}));
    EXPECT_EQ(atTime.Variable, "temp");
    ASSERT_EQ(atTime.Hidden.size(), 1u);
    const TQorImportDimension& time = atTime.Hidden.front();
    EXPECT_EQ(time.Name, "time");
    EXPECT_EQ(time.Position, 0u);
    EXPECT_EQ(time.Count, NTime);
    EXPECT_EQ(time.Index, 2);
    EXPECT_EQ(ImportCoordinateText(nc, "temp", time, 1), "6 hours since 2020-01-01");

    // A volume over time, a 2D variable, a file that is no variable's: nothing hidden.
    EXPECT_TRUE(HiddenImportDimensions(nc, With({{"var", "temp"}})).Hidden.empty());
    EXPECT_TRUE(HiddenImportDimensions(nc, With({{"var", "pressure"}})).Hidden.empty());
    EXPECT_TRUE(HiddenImportDimensions(dir.File("none.nc"), {}).Hidden.empty());

    // A dimension scale with units; a place beyond it tells nothing.
    const TQorImportDimension northing{"northing", 0, H5NY, 0};
    EXPECT_EQ(ImportCoordinateText(h5, "terrain/height", northing, 1), "5100 m");
    EXPECT_EQ(ImportCoordinateText(h5, "terrain/height", northing, H5NY), "");
}

// Grids larger than a block are read a block at a time and passed over in NetCDF and HDF5
// alike: every value of a volume, of a slice of it that starts within the variable and of one
// that is spread over it (an index along the middle dimension) is its stored number unpacked, or
// a hole where it is the fill value, the missing value or outside the valid range. "u", not
// packed and with a missing value only, is looked at a run at a time and written only where a
// run holds a hole. Floats as the machine holds them are read straight from the file, also
// behind an HDF5 user block; big-endian ones through the library.
TEST(ImportNetCdfHdf5, LargeGridsArePassedWholeBlockByBlock) {
    constexpr size_t nz = 3, ny = 600, nx = 401;
    const float fill = -1, missing = -2, range[] = {-3, 1000}, scale = 0.5f, offset = 10;
    std::vector<float> stored(nz * ny * nx);
    for (size_t p = 0; p < stored.size(); ++p)
        stored[p] = float(p % 1009) - 4; // -4 ... 1004
    const auto expected = [&](const std::string& Var, size_t P) {
        const float s = stored[P];
        if (Var == "u")
            return s == missing || s < range[0] ? NAN : s;
        return s == fill || s == missing || s < range[0] || s > range[1] ? NAN : s * scale + offset;
    };
    TempDir dir;
    const std::string nc = dir.File("large.nc"), h5 = dir.File("large.h5");
    int id = -1, dims[3] = {}, var = 0;
    const char* names[] = {"z", "y", "x"};
    const size_t sizes[] = {nz, ny, nx};
    ASSERT_EQ(nc_create(nc.c_str(), NC_CLOBBER | NC_NETCDF4, &id), NC_NOERR);
    for (int d = 0; d < 3; ++d)
        ASSERT_EQ(nc_def_dim(id, names[d], sizes[d], &dims[d]), NC_NOERR);
    ASSERT_EQ(nc_def_var(id, "v", NC_FLOAT, 3, dims, &var), NC_NOERR);
    ASSERT_EQ(nc_def_var_chunking(id, var, NC_CONTIGUOUS, nullptr), NC_NOERR);
    ASSERT_EQ(nc_def_var_fill(id, var, 0, &fill), NC_NOERR);
    ASSERT_EQ(nc_put_att_float(id, var, "missing_value", NC_FLOAT, 1, &missing), NC_NOERR);
    ASSERT_EQ(nc_put_att_float(id, var, "valid_range", NC_FLOAT, 2, range), NC_NOERR);
    ASSERT_EQ(nc_put_att_float(id, var, "scale_factor", NC_FLOAT, 1, &scale), NC_NOERR);
    ASSERT_EQ(nc_put_att_float(id, var, "add_offset", NC_FLOAT, 1, &offset), NC_NOERR);
    int unpacked = 0;
    ASSERT_EQ(nc_def_var(id, "u", NC_FLOAT, 3, dims, &unpacked), NC_NOERR);
    ASSERT_EQ(nc_def_var_chunking(id, unpacked, NC_CONTIGUOUS, nullptr), NC_NOERR);
    ASSERT_EQ(nc_def_var_endian(id, unpacked, NC_ENDIAN_BIG), NC_NOERR);
    ASSERT_EQ(nc_put_att_float(id, unpacked, "missing_value", NC_FLOAT, 1, &missing), NC_NOERR);
    ASSERT_EQ(nc_put_att_float(id, unpacked, "valid_min", NC_FLOAT, 1, range), NC_NOERR);
    ASSERT_EQ(nc_put_var_float(id, var, stored.data()), NC_NOERR);
    ASSERT_EQ(nc_put_var_float(id, unpacked, stored.data()), NC_NOERR);
    ASSERT_EQ(nc_close(id), NC_NOERR);

    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    const hid_t creation = H5Pcreate(H5P_FILE_CREATE);
    H5Pset_userblock(creation, 512);
    const hid_t file = H5Fcreate(h5.c_str(), H5F_ACC_TRUNC, creation, H5P_DEFAULT);
    H5Pclose(creation);
    const hsize_t shape[] = {nz, ny, nx};
    EXPECT_GE(H5LTmake_dataset_float(file, "v", 3, shape, stored.data()), 0);
    EXPECT_GE(H5LTset_attribute_float(file, "v", "_FillValue", &fill, 1), 0);
    EXPECT_GE(H5LTset_attribute_float(file, "v", "missing_value", &missing, 1), 0);
    EXPECT_GE(H5LTset_attribute_float(file, "v", "valid_range", range, 2), 0);
    EXPECT_GE(H5LTset_attribute_float(file, "v", "scale_factor", &scale, 1), 0);
    EXPECT_GE(H5LTset_attribute_float(file, "v", "add_offset", &offset, 1), 0);
    EXPECT_GE(H5LTmake_dataset_float(file, "u", 3, shape, stored.data()), 0);
    EXPECT_GE(H5LTset_attribute_float(file, "u", "missing_value", &missing, 1), 0);
    EXPECT_GE(H5LTset_attribute_float(file, "u", "valid_min", range, 1), 0);
    ASSERT_GE(H5Fclose(file), 0);

    // HDF5 names a dimension without a scale by its place.
    const std::tuple<std::string, const char*, const char*> files[] = {{nc, "z=1", "y=5"},
                                                                       {h5, "dim0=1", "dim1=5"}};
    for (const auto& [path, index, spread] : files)
        for (const char* name : {"v", "u"}) {
            const TQorImportResult volume = ImportFile(path, With({{"var", name}}));
            const TQorImportResult slice =
                ImportFile(path, With({{"var", name}, {"index", index}}));
            const TQorImportResult across =
                ImportFile(path, With({{"var", name}, {"index", spread}}));
            for (const TQorImportResult* r : {&volume, &slice, &across})
                ASSERT_TRUE(r->Ok()) << path << ": " << r->Error.Text();
            ASSERT_EQ(volume.Values.size(), stored.size());
            ASSERT_EQ(slice.Values.size(), ny * nx);
            ASSERT_EQ(across.Values.size(), nz * nx);
            size_t wrong = 0;
            const auto check = [&](float Read, size_t P) {
                const float e = expected(name, P);
                wrong += std::isnan(e) ? !std::isnan(Read) : Read != e;
            };
            for (size_t p = 0; p < stored.size(); ++p)
                check(volume.Values[p], p);
            for (size_t p = 0; p < ny * nx; ++p)
                check(slice.Values[p], ny * nx + p);
            for (size_t z = 0; z < nz; ++z)
                for (size_t x = 0; x < nx; ++x)
                    check(across.Values[z * nx + x], (z * ny + 5) * nx + x);
            EXPECT_EQ(wrong, 0u) << path << " " << name;
        }
}

// Floats that the library says lie in its file are read from that file alone, and only where it
// holds all of them: a file put in its place by name meanwhile, or one cut short, is read
// through the library instead.
TEST(ImportGrid, StoredFloatsAreReadOnlyFromTheFileTheLibraryHasOpen) {
    constexpr int64_t rows = 4, cols = 300001, header = 64;
    std::vector<float> stored(size_t(rows * cols));
    for (size_t p = 0; p < stored.size(); ++p)
        stored[p] = float(p % 1000);
    TempDir dir;
    const std::string file = dir.File("values.bin");
    const auto write = [&](const std::string& Path, size_t Values) {
        std::string bytes(size_t(header), '\0');
        bytes.append(reinterpret_cast<const char*>(stored.data()), Values * sizeof(float));
        WriteFileText(Path, bytes);
        struct stat st {};
        stat(Path.c_str(), &st);
        return QorImportGrid::TStorage{true, {{header, uint64_t(st.st_dev), uint64_t(st.st_ino)}}};
    };
    const QorImportGrid::TStorage storage = write(file, stored.size());
    QorImportGrid::TSlab slab; // rows 1 and 2
    slab.Shape = {rows, cols};
    slab.Start = {1, 0};
    slab.Count = {2, cols};
    slab.Shown = {0, 1};
    slab.Kind = TQorImportKind::Surface;
    slab.Elements = 2 * cols;
    QorImportGrid::TAttributes attributes;
    attributes.FillValue = 7;
    int libraryReads = 0;
    const auto library = [&](const std::vector<int64_t>&, const std::vector<int64_t>&, float*) {
        ++libraryReads;
        return true;
    };
    const auto read = [&] {
        libraryReads = 0;
        TArrGLfloat values(size_t(slab.Elements));
        EXPECT_TRUE(QorImportGrid::ReadSlab(file, storage, slab, values, attributes, library));
        return values;
    };

    const TArrGLfloat values = read();
    EXPECT_EQ(libraryReads, 0);
    size_t wrong = 0;
    for (size_t p = 0; p < values.size(); ++p) {
        const float s = stored[size_t(cols) + p];
        wrong += s == 7 ? !std::isnan(values[p]) : values[p] != s;
    }
    EXPECT_EQ(wrong, 0u);

    write(dir.File("other.bin"), stored.size());
    std::filesystem::rename(dir.File("other.bin"), file);
    read();
    EXPECT_GT(libraryReads, 0) << "another file by the same name";
    write(file, size_t(3 * cols)); // rewritten in place, one row short
    read();
    EXPECT_GT(libraryReads, 0) << "a file cut short";
}
