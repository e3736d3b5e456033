// plotyra-cli convert in-process: the written file and the refused command lines
// (PlotyraCliTest runs the tool).
#include "ConvertCommand.h"

#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(ConvertCommand, WritesTheFileAndRefusesOtherArguments) {
    TempDir dir;
    const std::string in = dir.File("in.txt");
    const std::string out = dir.File("out.p3d");
    WriteFileText(in, "2 1\r\n0 1\r\n0\r\n5 6\r\n");
    ASSERT_EQ(ConvertCommand({in, out, "--force-grid-form"}), 0);
    EXPECT_EQ(ReadFileText(out), "<3D>\r\n2\t1\r\n0\t1\r\n0\r\n5\t6\r\n");
    // The usage goes to stderr, and nothing is written.
    EXPECT_EQ(ConvertCommand({in}), 1);
    EXPECT_EQ(ConvertCommand({"--no-properties", in, dir.File("other.p3d")}), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("other.p3d")));
}

// Foreign forms both ways: a TSV matrix with its coordinates becomes a chart file, the chart
// file a .npy and the .npy a .csv, with the heights kept, holes included.
TEST(ConvertCommand, ImportsAndWritesForeignForms) {
    TempDir dir;
    const std::string tsv = dir.File("volcano.tsv");
    WriteFileText(tsv, "\t10\t20\t30\n0\t1\t2\t3\n5\t4\tNA\t6\n");
    ASSERT_EQ(ConvertCommand({tsv, dir.File("v.p3d"), "--force-grid-form"}), 0);
    EXPECT_EQ(ReadFileText(dir.File("v.p3d")),
              "<3D>\r\n3\t2\r\n10\t20\t30\r\n0\r\n5\r\n1\t2\t3\r\n4\tNAN\t6\r\n");
    ASSERT_EQ(ConvertCommand({dir.File("v.p3d"), dir.File("v.npy")}), 0);
    ASSERT_EQ(ConvertCommand(
                  {dir.File("v.npy"), dir.File("v.csv"), "--spacing", "10,5", "--origin", "10,0"}),
              0);
    EXPECT_NE(ReadFileText(dir.File("v.csv")).find("NaN"), std::string::npos);
    // A bad value of an import option refuses the command line.
    EXPECT_EQ(ConvertCommand({tsv, dir.File("w.p3d"), "--spacing", "x"}), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("w.p3d")));
}

} // namespace
