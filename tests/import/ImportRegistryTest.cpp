// Choosing a reader, the open dialog's filters, a result put into a chart in both layouts, and
// a chart written as .npy and .csv read back unchanged.
#include "QorImportNpy.h"
#include "QorImportRegistry.h"
#include "QorImportText.h"
#include "QorImportWrite.h"
#include "chart/Qor3DChart.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

TQorImportResult Surface() {
    TQorImportResult r;
    r.Kind = TQorImportKind::Surface;
    r.X = {0, 0.5f, 1.25f};
    r.Z = {-1, 2};
    r.Values.assign({1, NaN, 3, 4.5f, 1e-7f, -6});
    r.CaptionX = "East [km]";
    r.CaptionY = "Height [m]";
    return r;
}

TQorImportResult Volume() {
    TQorImportResult r;
    r.Kind = TQorImportKind::Volume;
    r.X = {0, 1};
    r.Y = {5, 6, 7};
    r.Z = {-1, 1};
    for (int n = 0; n < 12; ++n)
        r.Values.push_back(n == 4 ? NaN : float(n) * 0.25f);
    r.CaptionValue = "Temperature [K]";
    return r;
}

// Bit for bit, so that NaN holes count as equal.
bool SameFloats(const TArrGLfloat& a, const TArrGLfloat& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

} // namespace

TEST(ImportRegistry, ChoosesByExtensionThenContent) {
    const TQorImportRegistry& reg = TQorImportRegistry::Default();
    const auto name = [&](std::string_view File, std::string_view Head) {
        const TQorImportReader* r = reg.Choose(File, Head);
        return r == nullptr ? std::string("none") : r->Name;
    };
    EXPECT_EQ(name("a.CSV", "anything"), "Text matrices");
    EXPECT_EQ(name("a.npz", ""), "NumPy arrays");
    EXPECT_EQ(name("a.p3d", ""), "Chart files");
    EXPECT_EQ(name("a.txt", "<3D>\r\n2\t1\n"), "Chart files");
    EXPECT_EQ(name("a.txt", "3\t2\n0\t1\t2\n0\n"), "Chart files"); // the headerless form
    EXPECT_EQ(name("a.txt", "1\t2\t3\n4\t5\t6\n"), "Text matrices");
    EXPECT_EQ(name("data.dat", std::string("\x93NUMPY\x01\x00", 8)), "NumPy arrays");
    EXPECT_EQ(name("data", "x;y\n1,5;2\n"), "Text matrices");
    EXPECT_EQ(name("data.bin", std::string("\x01\x02\x00", 3)), "none");
    // netCDF-4 files are HDF5 files: their extension, or else the NetCDF reader, decides.
    const std::string hdf5("\x89HDF\r\n\x1a\n", 8);
    EXPECT_EQ(name("a.nc", hdf5), "NetCDF files");
    EXPECT_EQ(name("a.h5", hdf5), "HDF5 files");
    EXPECT_EQ(name("data", hdf5), "NetCDF files");
    EXPECT_EQ(name("data", std::string("CDF\x02", 4)), "NetCDF files");
    EXPECT_EQ(name("data", std::string("II*\0", 4)), "GeoTIFF rasters");
    EXPECT_EQ(name("dem", "ncols 4\nnrows 3\n"), "ESRI ASCII grids");
    EXPECT_TRUE(reg.Choose("a.p4d", "")->Native);

    const QStringList filters = reg.FileDialogFilters();
    ASSERT_EQ(filters.size(), 9);
    EXPECT_EQ(filters[0], "All data files (*.p3d *.p4d *.txt *.npy *.npz *.nc *.nc4 *.cdf *.h5 "
                          "*.hdf5 *.he5 *.tif *.tiff *.asc *.csv *.tsv)");
    EXPECT_EQ(filters[1], "Chart files (*.p3d *.p4d *.txt)");
    EXPECT_EQ(filters[2], "NumPy arrays (*.npy *.npz)");
    EXPECT_EQ(filters[3], "NetCDF files (*.nc *.nc4 *.cdf)");
    EXPECT_EQ(filters[4], "HDF5 files (*.h5 *.hdf5 *.he5)");
    EXPECT_EQ(filters[5], "GeoTIFF rasters (*.tif *.tiff)");
    EXPECT_EQ(filters[6], "ESRI ASCII grids (*.asc)");
    EXPECT_EQ(filters[7], "Text matrices (*.csv *.tsv *.txt)");
    EXPECT_EQ(filters[8], "All files (*)");
}

TEST(ImportRegistry, ApplyToChartInBothLayouts) {
    for (const bool low : {true, false}) {
        SCOPED_TRACE(low ? "low memory" : "full");
        TQor3DChart chart;
        chart.SetUseLowMemory(low);
        int changes = 0;
        chart.OnChange = [&](TObject*) {
            ++changes;
        };
        ASSERT_TRUE(ApplyToChart(Surface(), chart));
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(chart.DataKind(), dk3D);
        EXPECT_EQ(chart.NX(), 3);
        EXPECT_EQ(chart.NZ(), 2);
        EXPECT_EQ(chart.AxisX().Caption(), "East [km]");
        EXPECT_EQ(chart.AxisY().Caption(), "Height [m]");
        // The hole does not count for the range.
        EXPECT_DOUBLE_EQ(chart.AxisY().Minimum(), -6);
        EXPECT_DOUBLE_EQ(chart.AxisY().Maximum(), 4.5);
        const size_t at = low ? 4 : 3 * 4 + 1; // point (1, 1)
        EXPECT_EQ(chart.Data()[at], 1e-7f);
        EXPECT_TRUE(std::isnan(chart.Data()[low ? 1 : 3 * 1 + 1]));
        if (!low) {
            EXPECT_EQ(chart.Data()[3 * 5 + 2], 2.0f); // z of point (2, 1)
        }

        TQorImportResult v = Volume();
        ASSERT_TRUE(ApplyToChart(std::move(v), chart));
        EXPECT_EQ(chart.DataKind(), dk4D);
        EXPECT_EQ(chart.NY(), 3);
        EXPECT_EQ(chart.Dim4Caption(), "Temperature [K]");
        EXPECT_EQ(chart.Data()[low ? 11 : 4 * 11 + 3], 2.75f);
        if (low) {
            EXPECT_TRUE(v.Values.empty()); // taken over, not copied
        }

        TQorImportResult failed;
        failed.Fail("no");
        EXPECT_FALSE(ApplyToChart(failed, chart));
        EXPECT_EQ(chart.NX(), 0);
    }
}

// Large grids are filled in pieces on all cores; the ranges found on the way must be those of a
// scan of the whole array, holes and all.
TEST(ImportRegistry, LargeGridsFillTheFullLayoutInPieces) {
    for (const bool volume : {false, true}) {
        SCOPED_TRACE(volume ? "volume" : "surface");
        TQorImportResult r;
        r.Kind = volume ? TQorImportKind::Volume : TQorImportKind::Surface;
        const int n = volume ? 70 : 600;
        for (int i = 0; i < n; ++i) {
            r.X.push_back(float(i) * 0.5f);
            r.Z.push_back(float(n - i));
            if (volume)
                r.Y.push_back(float(i * i));
        }
        r.Values.resize(size_t(n) * n * (volume ? n : 1));
        for (size_t t = 0; t < r.Values.size(); ++t)
            r.Values[t] = t % 977 == 5 ? NAN : std::sin(float(t) * 1e-3f) * float(t % 1000);
        TQor3DChart chart;
        chart.SetUseLowMemory(false);
        ASSERT_TRUE(ApplyToChart(r, chart));
        const int stride = volume ? 4 : 3;
        const size_t last = r.Values.size() - 1;
        EXPECT_EQ(chart.Data()[stride * last + (volume ? 3 : 1)], r.Values[last]);
        EXPECT_EQ(chart.Data()[stride * last + 2], r.Z.back());
        std::vector<double> ranges;
        for (TQorChartAxis3D* a : {&chart.AxisX(), &chart.AxisY(), &chart.AxisZ()})
            ranges.insert(ranges.end(), {a->Minimum(), a->Maximum()});
        const double v0 = chart.ValueMin(), v1 = chart.ValueMax();
        chart.UpdateRanges();
        size_t c = 0;
        for (TQorChartAxis3D* a : {&chart.AxisX(), &chart.AxisY(), &chart.AxisZ()}) {
            EXPECT_EQ(ranges[c++], a->Minimum());
            EXPECT_EQ(ranges[c++], a->Maximum());
        }
        EXPECT_EQ(v0, chart.ValueMin());
        EXPECT_EQ(v1, chart.ValueMax());
    }
}

TEST(ImportRegistry, WrittenChartsReadBackEqual) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const bool low : {true, false})
        for (const bool volume : {false, true}) {
            SCOPED_TRACE(std::string(low ? "low memory " : "full ") +
                         (volume ? "volume" : "surface"));
            TQor3DChart chart;
            chart.SetUseLowMemory(low);
            const TQorImportResult original = volume ? Volume() : Surface();
            ASSERT_TRUE(ApplyToChart(original, chart));
            const std::string npy = dir.filePath("w.npy").toStdString();
            const std::string csv = dir.filePath("w.csv").toStdString();
            std::string error;
            ASSERT_TRUE(WriteChartNpy(chart, npy, error)) << error;
            ASSERT_TRUE(WriteChartCsv(chart, csv, error)) << error;

            const TQorImportResult fromNpy = ImportFile(npy, {});
            ASSERT_TRUE(fromNpy.Ok()) << fromNpy.Error.Text();
            EXPECT_TRUE(SameFloats(fromNpy.Values, original.Values));
            const TQorImportResult fromCsv = ImportFile(csv, {});
            ASSERT_TRUE(fromCsv.Ok()) << fromCsv.Error.Text();
            EXPECT_EQ(fromCsv.Kind, original.Kind);
            EXPECT_EQ(fromCsv.X, original.X);
            EXPECT_EQ(fromCsv.Y, original.Y);
            EXPECT_EQ(fromCsv.Z, original.Z);
            EXPECT_TRUE(SameFloats(fromCsv.Values, original.Values));
        }
    TQor3DChart empty;
    std::string error;
    EXPECT_FALSE(WriteChartNpy(empty, dir.filePath("e.npy").toStdString(), error));
    EXPECT_EQ(error, "the chart holds no data");
}

TEST(ImportRegistry, ShippedSamplesReadThroughTheRegistry) {
    const std::string dir = std::string(PLOTYRA_EXAMPLES) + "/import/";
    const auto read = [&](const std::string& Name, const TQorImportOptions& Options = {}) {
        const TQorImportResult r = ImportFile(dir + Name, Options);
        EXPECT_TRUE(r.Ok()) << r.Error.Text();
        return r;
    };
    const TQorImportResult csv = read("volcano.csv");
    EXPECT_EQ(csv.NX(), 41);
    EXPECT_EQ(csv.NZ(), 31);
    const TQorImportResult tsv = read("volcano.tsv");
    EXPECT_EQ(tsv.X, csv.X);
    EXPECT_TRUE(SameFloats(tsv.Values, csv.Values));
    const TQorImportResult points = read("volcano-points.csv");
    EXPECT_EQ(points.X, csv.X);
    EXPECT_EQ(points.CaptionY, "height [m]");
    EXPECT_TRUE(std::isnan(points.Values[20 + 41 * 15]));
    EXPECT_EQ(read("volume-points.tsv").Kind, TQorImportKind::Volume);
    const TQorImportResult npy = read("volcano.npy");
    EXPECT_TRUE(SameFloats(npy.Values, csv.Values));
    TQorImportOptions heights;
    ASSERT_EQ(heights.Set("array", "heights"), "");
    EXPECT_TRUE(SameFloats(read("volcano.npz", heights).Values, csv.Values));
    const TQorImportResult h5 = read("volcano.h5");
    EXPECT_EQ(h5.CaptionX, "easting [km]");
    EXPECT_TRUE(SameFloats(h5.Values, csv.Values));
    // The maps, rows along Z as the table's, lack the one cell marked as no data.
    TQorImportOptions rowsAlongZ;
    rowsAlongZ.Transpose = true;
    for (const char* map : {"volcano.asc", "volcano.tif"}) {
        SCOPED_TRACE(map);
        TQorImportResult m = read(map, rowsAlongZ);
        const auto doubles = [](const std::vector<float>& v) {
            return std::vector<double>(v.begin(), v.end());
        };
        ASSERT_TRUE(NearVector(doubles(m.X), doubles(csv.X), 1e-6));
        ASSERT_TRUE(NearVector(doubles(m.Z), doubles(csv.Z), 1e-6));
        EXPECT_TRUE(std::isnan(m.Values[5 + 41 * 27]));
        m.Values[5 + 41 * 27] = csv.Values[5 + 41 * 27];
        EXPECT_TRUE(SameFloats(m.Values, csv.Values));
    }
    TQorImportOptions temp;
    ASSERT_EQ(temp.Set("var", "temp"), "");
    ASSERT_EQ(temp.Set("index", "time=2"), "");
    const TQorImportResult weather = read("weather.nc", temp);
    EXPECT_EQ(weather.NX(), 36);
    EXPECT_TRUE(std::isnan(weather.Values[10 + 36 * 10]));
}

// A FIFO named like a data file blocked the text and array readers for ever (only the sniff
// opened without waiting), and libzip waited on one named .npz. Nothing but a regular file is
// opened: every reader fails at once and says why.
TEST(HostileInput, ImportersOpenOnlyRegularFiles) {
    TempDir dir;
    for (const char* name :
         {"in.csv", "in.tsv", "in.npy", "in.npz", "in.dat", "in.nc", "in.h5", "in.tif", "in.asc"}) {
        SCOPED_TRACE(name);
        const std::string fifo = dir.File(name);
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        TQorImportResult r;
        std::vector<TQorImportArrayInfo> arrays;
        std::string error;
        ASSERT_TRUE(EndsWithoutBlocking(fifo, [&] {
            r = ImportFile(fifo, {});
            EXPECT_FALSE(ListNpzArrays(fifo, arrays, error));
        }));
        EXPECT_FALSE(r.Ok());
        EXPECT_EQ(error, "not a regular file");
    }
    EXPECT_NE(ImportFile(dir.File("in.csv"), {}).Error.Text().find("not a regular file"),
              std::string::npos);
    for (const char* name : {"zero.csv", "zero.npy"}) {
        ASSERT_EQ(symlink("/dev/zero", dir.File(name).c_str()), 0);
        EXPECT_NE(ImportFile(dir.File(name), {}).Error.Text().find("not a regular file"),
                  std::string::npos)
            << name;
    }
}
