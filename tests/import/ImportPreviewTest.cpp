// The first look at a file the viewer's Import dialog shows: the corner of the grid exactly as
// opening would read it, whether the file gives its coordinates, the arrays of an archive, and
// a quick look at a large text table.
#include "QorImportPreview.h"

#include "ImportTestZip.h"
#include "TestSupport.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

float Height(int Row, int Column) {
    return float(Row * 100 + Column);
}

// A matrix of Rows × Columns heights, with a header row of X (10, 11, ...) and a first column
// of Z (-5, -4, ...) when Header.
std::string Matrix(int Rows, int Columns, bool Header) {
    std::string s;
    if (Header) {
        s += "z\\x";
        for (int i = 0; i < Columns; ++i)
            s += "," + std::to_string(10 + i);
        s += "\n";
    }
    for (int k = 0; k < Rows; ++k) {
        if (Header)
            s += std::to_string(k - 5) + ",";
        for (int i = 0; i < Columns; ++i)
            s += (i > 0 ? "," : "") + std::to_string(int(Height(k, i)));
        s += "\n";
    }
    return s;
}

// A little-endian float32 .npy of the given shape whose element n (C order) is n.
std::string CountingNpy(const std::string& Shape, int Count) {
    std::string dict = "{'descr': '<f4', 'fortran_order': False, 'shape': " + Shape + ", }";
    dict.append((64 - (10 + dict.size() + 1) % 64) % 64, ' ');
    dict += '\n';
    std::string s("\x93NUMPY\x01\x00", 8);
    s += char(dict.size() & 0xFF);
    s += char(dict.size() >> 8);
    s += dict;
    for (int n = 0; n < Count; ++n) {
        const float v = float(n);
        s.append(reinterpret_cast<const char*>(&v), 4);
    }
    return s;
}

} // namespace

TEST(ImportPreview, TextTablesShowTheirCornerAndWhetherTheyGiveCoordinates) {
    TempDir dir;
    const std::string header = dir.File("header.csv");
    WriteFileText(header, Matrix(12, 10, true));
    TQorImportPreview p = PreviewImport(header, {}, 8, 6);
    ASSERT_TRUE(p.Ok()) << p.Error;
    EXPECT_EQ(p.Format, "Text matrices");
    EXPECT_TRUE(p.Arrays.empty());
    EXPECT_EQ(p.Kind, TQorImportKind::Surface);
    EXPECT_EQ(p.NX, 10);
    EXPECT_EQ(p.NZ, 12);
    EXPECT_FALSE(p.Partial);
    EXPECT_TRUE(p.GivenX && p.GivenZ);
    EXPECT_EQ(p.X, (std::vector<float>{10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(p.Z, (std::vector<float>{-5, -4, -3, -2, -1, 0, 1, 2}));
    ASSERT_EQ(p.Values.size(), 48u);
    EXPECT_EQ(p.Values[3 + 6 * 7], Height(7, 3));

    // Bare numbers take the options' coordinates, and the transposition swaps the axes: the
    // chart's X is then the file's Z, spaced by the Z spacing.
    const std::string bare = dir.File("bare.csv");
    WriteFileText(bare, Matrix(3, 4, false));
    TQorImportOptions o;
    ASSERT_EQ(o.Set("spacing", "0.5,2"), "");
    ASSERT_EQ(o.Set("origin", "1,100"), "");
    o.Transpose = true;
    p = PreviewImport(bare, o, 8, 6);
    ASSERT_TRUE(p.Ok()) << p.Error;
    EXPECT_FALSE(p.GivenX || p.GivenZ);
    EXPECT_EQ(p.X, (std::vector<float>{100, 102, 104}));
    EXPECT_EQ(p.Z, (std::vector<float>{1, 1.5f, 2, 2.5f}));
    EXPECT_EQ(p.Values[2 + 3 * 1], Height(2, 1)); // chart X 2 is file row 2, chart Z 1 column 1

    // A list of points gives its coordinates even where the grid it makes is refused.
    const std::string points = dir.File("points.csv");
    WriteFileText(points, "x,z,h\n0,0,1\n5,7,2\n9,8,3\n");
    p = PreviewImport(points, {}, 8, 6);
    EXPECT_FALSE(p.Ok());
    EXPECT_TRUE(p.GivenX && p.GivenZ);

    // A large table is looked at in its first megabyte: the corner and the layout are right at
    // once, the counts are the part's.
    const std::string large = dir.File("large.csv");
    WriteFileText(large, Matrix(40000, 20, true));
    ASSERT_GT(std::filesystem::file_size(large), PreviewTextBytes);
    p = PreviewImport(large, {}, 8, 6);
    ASSERT_TRUE(p.Ok()) << p.Error;
    EXPECT_TRUE(p.Partial);
    EXPECT_EQ(p.NX, 20);
    EXPECT_GT(p.NZ, 1000);
    EXPECT_LT(p.NZ, 40000);
    EXPECT_EQ(p.Values[5 + 6 * 7], Height(7, 5));

    // Chart files are the chart's own: nothing is read.
    WriteFileText(dir.File("a.p3d"), "<3D>\n2\t1\n0\t1\n0\n1\n2\n");
    p = PreviewImport(dir.File("a.p3d"), {}, 8, 6);
    EXPECT_TRUE(p.Native);
    EXPECT_EQ(p.Kind, TQorImportKind::None);
    EXPECT_TRUE(p.Error.empty());
}

TEST(ImportPreview, ArchivesListTheirArraysAndAVolumeShowsItsFirstLayer) {
    TempDir dir;
    const std::string file = dir.File("two.npz");
    WriteZip(file,
             {{"flat.npy", CountingNpy("(2, 3)", 6)}, {"cube.npy", CountingNpy("(2, 3, 4)", 24)}});
    const std::vector<TQorImportArrayInfo> arrays = ImportArchiveArrays(file);
    ASSERT_EQ(arrays.size(), 2u);
    EXPECT_EQ(arrays[1].Text(), "cube: 2 × 3 × 4 float32");
    EXPECT_TRUE(ImportArchiveArrays(dir.File("none.npz")).empty());

    TQorImportPreview p = PreviewImport(file, {}, 8, 6);
    EXPECT_FALSE(p.Ok());
    EXPECT_EQ(p.Arrays.size(), 2u);
    EXPECT_NE(p.Error.find("choose one"), std::string::npos) << p.Error;

    TQorImportOptions o;
    o.ArrayName = "cube";
    p = PreviewImport(file, o, 8, 3);
    ASSERT_TRUE(p.Ok()) << p.Error;
    EXPECT_EQ(p.Kind, TQorImportKind::Volume);
    EXPECT_EQ(p.NX, 4);
    EXPECT_EQ(p.NY, 3);
    EXPECT_EQ(p.NZ, 2);
    EXPECT_FALSE(p.GivenX || p.GivenZ);
    // a[k, 0, i] for i < 3: the layer at the first Y.
    EXPECT_EQ(p.Values, (std::vector<float>{0, 1, 2, 12, 13, 14}));
}
