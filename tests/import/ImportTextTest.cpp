// Text tables: matrices with and without a header, separators and the decimal comma, column
// lists on a grid (any order, holes, names) and off a grid, missing values, and the places the
// error messages give.
#include "QorImportText.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr int VolcanoNX = 7, VolcanoNZ = 5;

float VolcanoHeight(int i, int k) {
    const float r = std::hypot(float(i) - 3.0f, float(k) - 2.0f);
    return r < 1.1f ? 60.0f + r * 20.0f : 100.0f - r * 15.0f; // a crater on a cone
}

// A volcano with a header row of X (0.5 apart from 10) and a first column of Z (2 apart).
std::string VolcanoText(char Sep, const std::string& TopLeft) {
    std::string t = "# a small volcano\n" + TopLeft;
    for (int i = 0; i < VolcanoNX; ++i)
        t += Sep + std::to_string(10.0 + 0.5 * i).substr(0, 4);
    t += "\r\n";
    for (int k = 0; k < VolcanoNZ; ++k) {
        t += std::to_string(2 * k);
        for (int i = 0; i < VolcanoNX; ++i) {
            t += Sep;
            t += std::to_string(VolcanoHeight(i, k));
        }
        t += "\r\n";
    }
    return t;
}

void ExpectVolcano(const TQorImportResult& r) {
    ASSERT_TRUE(r.Ok()) << r.Error.Text();
    ASSERT_EQ(r.Kind, TQorImportKind::Surface);
    ASSERT_EQ(r.NX(), VolcanoNX);
    ASSERT_EQ(r.NZ(), VolcanoNZ);
    for (int i = 0; i < VolcanoNX; ++i)
        EXPECT_FLOAT_EQ(r.X[size_t(i)], 10.0f + 0.5f * float(i));
    for (int k = 0; k < VolcanoNZ; ++k) {
        EXPECT_FLOAT_EQ(r.Z[size_t(k)], 2.0f * float(k));
        for (int i = 0; i < VolcanoNX; ++i)
            EXPECT_NEAR(r.Values[size_t(i + VolcanoNX * k)], VolcanoHeight(i, k), 1e-4);
    }
}

std::string ErrorOf(const std::string& Text, const TQorImportOptions& Options = {}) {
    const TQorImportResult r = ReadTextTableText(Text, Options, "volcano.csv");
    EXPECT_TRUE(r.Failed);
    EXPECT_TRUE(r.Values.empty());
    return r.Error.Text();
}

} // namespace

TEST(ImportText, TsvAndCsvMatricesWithDetectedHeader) {
    ExpectVolcano(ReadTextTableText(VolcanoText('\t', ""), {}));
    ExpectVolcano(ReadTextTableText(VolcanoText(',', "z\\x"), {}));
    ExpectVolcano(ReadTextTableText(VolcanoText(' ', ""), {})); // top-left cell missing entirely

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = dir.filePath("volcano.tsv").toStdString();
    WriteFileText(file, VolcanoText('\t', ""));
    ExpectVolcano(ReadTextTable(file, {}));
}

TEST(ImportText, DecimalCommaWithSemicolonsAndTabs) {
    for (const char sep : {';', '\t'}) {
        std::string t = "x";
        t += sep;
        t += "1,5";
        t += sep;
        t += "2,5\n0,25";
        t += sep;
        t += "-3,5e1";
        t += sep;
        t += " 4 \n";
        const TQorImportResult r = ReadTextTableText(t, {});
        ASSERT_TRUE(r.Ok()) << r.Error.Text();
        EXPECT_EQ(r.X, (std::vector<float>{1.5f, 2.5f}));
        EXPECT_EQ(r.Z, (std::vector<float>{0.25f}));
        EXPECT_EQ(std::vector<float>(r.Values.begin(), r.Values.end()),
                  (std::vector<float>{-35.0f, 4.0f}));
    }
    // With commas as the separator a comma is never a decimal one.
    EXPECT_EQ(ReadTextTableText("1,5\n2,6\n", {}).NX(), 2);
}

TEST(ImportText, SpacingOriginHeaderModesAndTranspose) {
    TQorImportOptions o;
    EXPECT_EQ(o.Set("--spacing", "0.5,2"), "");
    EXPECT_EQ(o.Set("origin", "10"), "");
    EXPECT_EQ(o.Set("--nodata", "-9999"), "");
    EXPECT_EQ(o.Set("--spacing", "0,1"), "--spacing: the spacing must be greater than 0, not '0'");
    EXPECT_EQ(o.Set("--header", "rows"), "--header: 'rows' is none of auto, none, row, row+column");
    EXPECT_EQ(o.Set("--nodata", "x1"), "--nodata: 'x1' is not a number");
    EXPECT_EQ(o.Set("--colour", "red"), "unknown import option '--colour'");
    const std::string m = "1 2 3\n4 -9999 6\n";
    TQorImportResult r = ReadTextTableText(m, o);
    ASSERT_TRUE(r.Ok()) << r.Error.Text();
    EXPECT_EQ(r.X, (std::vector<float>{10.0f, 10.5f, 11.0f}));
    EXPECT_EQ(r.Z, (std::vector<float>{10.0f, 12.0f}));
    EXPECT_TRUE(std::isnan(r.Values[4]));

    ASSERT_EQ(o.Set("transpose", ""), "");
    r = ReadTextTableText(m, o);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.X, (std::vector<float>{10.0f, 12.0f}));
    EXPECT_EQ(r.Z, (std::vector<float>{10.0f, 10.5f, 11.0f}));
    EXPECT_EQ(r.Values[1], 4.0f); // x 12 (second row), z 10 (first column)

    // A forced header row gives X only; a forced "none" reads a first row of text as an error.
    TQorImportOptions row;
    ASSERT_EQ(row.Set("header", "row"), "");
    r = ReadTextTableText("5 6 7\n1 2 3\n", row);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.X, (std::vector<float>{5, 6, 7}));
    EXPECT_EQ(r.Z, (std::vector<float>{0}));
    TQorImportOptions none;
    ASSERT_EQ(none.Set("header", "none"), "");
    EXPECT_EQ(ErrorOf("a,1\n2,3\n", none), "volcano.csv, line 1, field 1: 'a' is not a number");
}

TEST(ImportText, ColumnListsInAnyOrderWithHoles) {
    // A 4 x 5 grid listed as x z height, shuffled, one point left out.
    std::vector<std::string> rows;
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < 4; ++i)
            if (!(i == 2 && k == 3))
                rows.push_back(std::to_string(i * 0.5) + "," + std::to_string(k * 3) + "," +
                               std::to_string(i * 100 + k));
    std::reverse(rows.begin(), rows.end());
    std::rotate(rows.begin(), rows.begin() + 7, rows.end());
    std::string plain, named = "Easting [m],Height [m],z\n";
    for (const std::string& r : rows)
        plain += r + "\n";
    // Named: the height is the second column here.
    for (const std::string& r : rows) {
        const size_t a = r.find(','), b = r.find(',', a + 1);
        named += r.substr(0, a) + "," + r.substr(b + 1) + "," + r.substr(a + 1, b - a - 1) + "\n";
    }
    for (const std::string& text : {plain, named}) {
        const TQorImportResult r = ReadTextTableText(text, {});
        ASSERT_TRUE(r.Ok()) << r.Error.Text();
        ASSERT_EQ(r.Kind, TQorImportKind::Surface);
        ASSERT_EQ(r.NX(), 4);
        ASSERT_EQ(r.NZ(), 5);
        EXPECT_EQ(r.X, (std::vector<float>{0, 0.5f, 1, 1.5f}));
        EXPECT_EQ(r.Z, (std::vector<float>{0, 3, 6, 9, 12}));
        for (int k = 0; k < 5; ++k)
            for (int i = 0; i < 4; ++i) {
                const float v = r.Values[size_t(i + 4 * k)];
                if (i == 2 && k == 3)
                    EXPECT_TRUE(std::isnan(v));
                else
                    EXPECT_EQ(v, float(i * 100 + k));
            }
        ASSERT_EQ(r.Warnings.size(), 1u);
        EXPECT_EQ(r.Warnings[0], "1 place of the grid is not in the list: it is left as a hole");
        if (&text == &named) {
            EXPECT_EQ(r.CaptionX, "Easting [m]");
            EXPECT_EQ(r.CaptionY, "Height [m]");
        }
    }

    // Four columns make a volume.
    std::string volume = "x\ty\tz\tv\n";
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 2; ++i)
                volume += std::to_string(i) + "\t" + std::to_string(j) + "\t" + std::to_string(k) +
                          "\t" + std::to_string(i + 10 * j + 100 * k) + "\n";
    const TQorImportResult v = ReadTextTableText(volume, {});
    ASSERT_TRUE(v.Ok()) << v.Error.Text();
    ASSERT_EQ(v.Kind, TQorImportKind::Volume);
    ASSERT_EQ(v.Values.size(), 12u);
    EXPECT_EQ(v.Values[1 + 2 * (2 + 3 * 1)], 121.0f);
}

TEST(ImportText, ScatteredPointsAreRefusedWithTheReason) {
    std::string t = "x,z,h\n";
    for (int n = 0; n < 40; ++n)
        t += std::to_string((n * 37) % 101) + "," + std::to_string((n * 53) % 97) + "," +
             std::to_string(n) + "\n";
    EXPECT_EQ(ErrorOf(t),
              "volcano.csv: the points do not lie on a regular grid: 40 points with 40 different "
              "x, 40 different z values would fill 2.5 % of the grid's places (at least 50 % "
              "needed); resample them onto a grid first");
    EXPECT_EQ(ErrorOf("x,z,h\n0,0,1\n1,0,2\n0,1,3\n1,1,4\n0,0,5\n"),
              "volcano.csv, line 6: the point x = 0, z = 0 is given twice (also on line 2)");
}

TEST(ImportText, ErrorsNameLineAndField) {
    EXPECT_EQ(ErrorOf("# heights\n1,2,3,4,5,6,7\n1,2,3,4,5,6,abc\n"),
              "volcano.csv, line 3, field 7: 'abc' is not a number");
    std::string rows;
    for (int k = 0; k < 13; ++k) {
        for (int i = 0; i < (k == 11 ? 60 : 61); ++i)
            rows += (i > 0 ? "\t" : "") + std::to_string(i + k);
        rows += "\n";
    }
    EXPECT_EQ(ErrorOf(rows), "volcano.csv, line 12: row 12 has 60 values, the rows above have 61");
    EXPECT_EQ(ErrorOf(";1;2\n;3;4\n"), "volcano.csv, line 2, field 1: the Z coordinate is missing");
    EXPECT_EQ(ErrorOf("z;1;;3\n0;1;2;3\n"),
              "volcano.csv, line 1, field 3: the X coordinate is missing");
    EXPECT_EQ(ErrorOf("1 2\n3 1e99\n"), "volcano.csv, line 2, field 2: '1e99' is too large for a "
                                        "32-bit number");
    EXPECT_EQ(ErrorOf("# nothing\n\n"), "volcano.csv: the file holds no values");
}

TEST(ImportText, MissingValueWordsAreHoles) {
    TQorImportOptions o;
    ASSERT_EQ(o.Set("nodata", "-32768"), "");
    const TQorImportResult r =
        ReadTextTableText("1,,NA,na,NaN,nan,inf,-inf,INF,-Infinity,-32768,+2.5,1e-50\n", o);
    ASSERT_TRUE(r.Ok()) << r.Error.Text();
    ASSERT_EQ(r.NX(), 13);
    EXPECT_EQ(r.Values[0], 1.0f);
    for (size_t i = 1; i <= 10; ++i)
        EXPECT_TRUE(std::isnan(r.Values[i])) << i;
    EXPECT_EQ(r.Values[11], 2.5f);
    EXPECT_EQ(r.Values[12], 0.0f);
}
