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

} // namespace
