// NumPy arrays built byte by byte here: every element type in both byte orders and both
// memory orders, volumes, headers that claim more than the file holds, and archives of two
// arrays.
#include "QorImportNpy.h"

#include "ImportTestZip.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <bit>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <zip.h>

namespace {

// The header of a .npy whose shape is given as Python writes it ("(3, 4)").
std::string NpyHeader(const std::string& Descr, bool Fortran, const std::string& Shape,
                      int Version = 1) {
    std::string dict = "{'descr': '" + Descr +
                       "', 'fortran_order': " + (Fortran ? "True" : "False") +
                       ", 'shape': " + Shape + ", }";
    const size_t pre = Version == 1 ? 10 : 12;
    dict.append((64 - (pre + dict.size() + 1) % 64) % 64, ' ');
    dict += '\n';
    std::string s("\x93NUMPY", 6);
    s += char(Version);
    s += '\0';
    for (size_t b = 0; b < pre - 8; ++b)
        s += char((dict.size() >> (8 * b)) & 0xFF);
    return s + dict;
}

// A .npy of the given shape whose element at C index (k, [j,] i) is Value(k, j, i), stored as
// descr ("<i2", ">f8", ...) in C or Fortran order.
std::string Npy(const std::string& Descr, bool Fortran, const std::vector<int64_t>& Shape,
                double (*Value)(int64_t, int64_t, int64_t), int Version = 1) {
    std::string shape = "(";
    for (const int64_t d : Shape)
        shape += std::to_string(d) + ", ";
    shape += ")";
    std::string s = NpyHeader(Descr, Fortran, shape, Version);
    const bool big = Descr[0] == '>';
    const char kind = Descr[1];
    const int size = std::stoi(Descr.substr(2));
    const int64_t nk = Shape[0], nj = Shape.size() == 3 ? Shape[1] : 1, ni = Shape.back();
    const auto put = [&](int64_t k, int64_t j, int64_t i) {
        const double v = Value(k, j, i);
        unsigned char b[8] = {};
        if (kind == 'f' && size == 4)
            std::memcpy(b, &(const float&)float(v), 4);
        else if (kind == 'f' && size == 8)
            std::memcpy(b, &v, 8);
        else if (kind == 'f' && size == 2) { // exact for the small whole numbers used here
            const uint32_t f = std::bit_cast<uint32_t>(float(v));
            const uint16_t h =
                uint16_t(((f >> 16) & 0x8000) | (v == 0 ? 0 : ((((f >> 23) & 0xFF) - 112) << 10)) |
                         ((f >> 13) & 0x3FF));
            std::memcpy(b, &h, 2);
        } else {
            const int64_t n = int64_t(v);
            std::memcpy(b, &n, 8); // little-endian host: the low bytes first
        }
        if (big)
            std::reverse(b, b + size);
        s.append(reinterpret_cast<const char*>(b), size_t(size));
    };
    if (!Fortran) {
        for (int64_t k = 0; k < nk; ++k)
            for (int64_t j = 0; j < nj; ++j)
                for (int64_t i = 0; i < ni; ++i)
                    put(k, j, i);
    } else {
        for (int64_t i = 0; i < ni; ++i)
            for (int64_t j = 0; j < nj; ++j)
                for (int64_t k = 0; k < nk; ++k)
                    put(k, j, i);
    }
    return s;
}

double Small(int64_t k, int64_t j, int64_t i) {
    return double(k * 30 + j * 7 + i) - 20;
}

} // namespace

TEST(ImportNpy, EveryTypeByteOrderAndMemoryOrder) {
    const std::vector<std::string> types = {"i1", "i2", "i4", "i8", "u1", "u2",
                                            "u4", "u8", "f2", "f4", "f8"};
    for (const std::string& t : types)
        for (const char order : {'<', '>'})
            for (const bool fortran : {false, true})
                for (const int version : {1, 2}) {
                    const bool unsignedType = t[0] == 'u';
                    auto value = unsignedType
                                     ? +[](int64_t k, int64_t j, int64_t i) {
                                           return Small(k, j, i) + 20;
                                       }
                                     : &Small;
                    const std::string descr = std::string(1, order) + t;
                    const TQorImportResult r =
                        ReadNpyBytes(Npy(descr, fortran, {3, 4}, value, version), {}, "a.npy");
                    SCOPED_TRACE(descr + (fortran ? " Fortran" : " C"));
                    ASSERT_TRUE(r.Ok()) << r.Error.Text();
                    ASSERT_EQ(r.Kind, TQorImportKind::Surface);
                    ASSERT_EQ(r.NX(), 4);
                    ASSERT_EQ(r.NZ(), 3);
                    for (int64_t k = 0; k < 3; ++k)
                        for (int64_t i = 0; i < 4; ++i)
                            ASSERT_EQ(r.Values[size_t(i + 4 * k)], float(value(k, 0, i)));
                }
}

TEST(ImportNpy, VolumesAndSpacing) {
    TQorImportOptions o;
    ASSERT_EQ(o.Set("spacing", "0.5,2,3"), "");
    for (const bool fortran : {false, true}) {
        const TQorImportResult r = ReadNpyBytes(Npy("<f4", fortran, {2, 3, 4}, &Small), o);
        ASSERT_TRUE(r.Ok()) << r.Error.Text();
        ASSERT_EQ(r.Kind, TQorImportKind::Volume);
        EXPECT_EQ(r.X, (std::vector<float>{0, 0.5f, 1, 1.5f}));
        EXPECT_EQ(r.Y, (std::vector<float>{0, 3, 6}));
        EXPECT_EQ(r.Z, (std::vector<float>{0, 2}));
        for (int64_t k = 0; k < 2; ++k)
            for (int64_t j = 0; j < 3; ++j)
                for (int64_t i = 0; i < 4; ++i)
                    ASSERT_EQ(r.Values[size_t(i + 4 * (j + 3 * k))], float(Small(k, j, i)));
    }
}

TEST(ImportNpy, HeadersThatLieAreRefusedBeforeAllocating) {
    const std::string lying = Npy("<f4", false, {2, 2}, &Small);
    const std::string values = lying.substr(lying.size() - 16);
    const auto claim = [&](const std::string& Shape) {
        return ReadNpyBytes(NpyHeader("<f4", false, Shape) + values, {}, "lie.npy");
    };
    TQorImportResult r = claim("(87, 61)");
    EXPECT_EQ(r.Error.Text(), "lie.npy: expected 87 × 61 = 5307 heights, found 4");
    // Billions of values claimed by a file of a few bytes: refused by the sizes, never allocated.
    r = claim("(99999,99999)");
    EXPECT_EQ(r.Error.Text(), "lie.npy: expected 99999 × 99999 = 9999800001 heights, found 4");
    r = claim("(1,2,3,4)");
    EXPECT_EQ(r.Error.Text(), "lie.npy: a 4-dimensional array (1 × 2 × 3 × 4) is no grid: a "
                              "surface needs 2 dimensions, a volume 3");
    EXPECT_EQ(ReadNpyBytes(lying.substr(0, 9), {}, "cut.npy").Error.Text(),
              "cut.npy: not a NumPy array (.npy) file");
    std::string structured = lying;
    structured.replace(structured.find("'<f4'"), 5, "[('a',");
    EXPECT_TRUE(ReadNpyBytes(structured, {}).Failed);
    std::string complexType = lying;
    complexType.replace(complexType.find("'<f4'"), 5, "'<c8'");
    EXPECT_EQ(ReadNpyBytes(complexType, {}).Error.Text(),
              "the element type '<c8' cannot be shown (whole numbers, floating-point numbers and "
              "booleans can)");
}

TEST(ImportNpy, ArchiveOfTwoArraysListsThemAndLoadsTheNamedOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = dir.filePath("two.npz").toStdString();
    WriteZip(file, {{"heights.npy", Npy("<f8", false, {3, 4}, &Small)},
                    {"mask.npy",
                     Npy(
                         "|u1", false, {2, 5}, +[](int64_t, int64_t, int64_t) { return 1.0; })}});
    std::vector<TQorImportArrayInfo> arrays;
    std::string error;
    ASSERT_TRUE(ListNpzArrays(file, arrays, error)) << error;
    ASSERT_EQ(arrays.size(), 2u);
    EXPECT_EQ(arrays[0].Text(), "heights: 3 × 4 float64");
    EXPECT_EQ(arrays[1].Text(), "mask: 2 × 5 uint8");

    TQorImportResult r = ReadNpzFile(file, {});
    EXPECT_TRUE(r.Failed);
    EXPECT_EQ(r.Choices.size(), 2u);
    EXPECT_EQ(r.Error.Text(), "two.npz: the archive holds 2 arrays; choose one with --array NAME: "
                              "heights: 3 × 4 float64; mask: 2 × 5 uint8");
    TQorImportOptions o;
    ASSERT_EQ(o.Set("--array", "heights"), "");
    r = ReadNpzFile(file, o);
    ASSERT_TRUE(r.Ok()) << r.Error.Text();
    EXPECT_EQ(r.NX(), 4);
    EXPECT_EQ(r.Values[5], float(Small(1, 0, 1)));
    ASSERT_EQ(o.Set("--array", "mask.npy"), "");
    EXPECT_EQ(ReadNpzFile(file, o).NX(), 5);
    ASSERT_EQ(o.Set("--array", "none"), "");
    EXPECT_EQ(ReadNpzFile(file, o).Error.Text(),
              "two.npz: the archive holds no array 'none'; it holds heights: 3 × 4 float64; mask: "
              "2 × 5 uint8");
    EXPECT_EQ(ReadNpzBytes(ReadFileText(file), o).Choices.size(), 2u);
}
