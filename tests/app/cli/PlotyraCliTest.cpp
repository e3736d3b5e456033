// The command-line tool as scripts call it: the info object and the exit codes.
#include "TestSupport.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

struct RunResult {
    int ExitCode = -1;
    std::string Out;
};

// plotyra-cli of the same build (app_tests depends on it).
std::string CliPath() {
    return PLOTYRA_CLI;
}

RunResult RunCli(const std::string& args) {
    RunResult r;
    FILE* pipe = popen((CliPath() + " " + args + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return r;
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        r.Out.append(buffer.data(), n);
    const int status = pclose(pipe);
    r.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class PlotyraCli : public ::testing::Test {
protected:
    TempDir dir;
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir.File(name), std::ios::binary) << text;
        return dir.File(name);
    }
};

TEST_F(PlotyraCli, InfoPrintsOneJsonObject) {
    const std::string file = Write("a.txt", "2 2\r\n0 0.1\r\n0\r\n1\r\n5 6\r\n7 8\r\n");
    const RunResult r = RunCli("info " + file);
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Out, "{\"result\":0,\"kind\":\"dk3D\",\"nx\":2,\"ny\":0,\"nz\":2,"
                     "\"lowMemory\":false,\"layers\":[],\"x\":[0,0.10000000149011612],"
                     "\"y\":[5,8],\"z\":[0,1],\"value\":[0,100]}\n");
    EXPECT_NE(RunCli("info --low-memory " + file).Out.find("\"lowMemory\":true"),
              std::string::npos);
}

TEST_F(PlotyraCli, InfoListsLayersAndHonoursNoProperties) {
    const std::string file = Write("b.p4d", "<Nx4D>\r\n2\r\n1\t1\r\n1\t2\r\n"
                                            "0 0 0 3\r\n\r\n1 1 1 4\r\n2 2 2 9\r\n\r\n"
                                            "[AxisX_AutoMax]\r\nFALSE\r\n");
    const RunResult r = RunCli("info " + file);
    EXPECT_NE(r.Out.find("\"kind\":\"dkNx4D\""), std::string::npos);
    EXPECT_NE(r.Out.find("\"layers\":[[1,1],[1,2]]"), std::string::npos);
    EXPECT_NE(r.Out.find("\"x\":[0,100]"), std::string::npos) << "AutoMax off from the file";
    EXPECT_NE(r.Out.find("\"value\":[3,9]"), std::string::npos);
    EXPECT_NE(RunCli("info --no-properties " + file).Out.find("\"x\":[0,2]"), std::string::npos);
}

TEST_F(PlotyraCli, FailedLoadsAreReportedByResultOrExitCode) {
    const RunResult info = RunCli("info " + dir.File("missing.p3d"));
    EXPECT_EQ(info.ExitCode, 0);
    EXPECT_EQ(info.Out.rfind("{\"result\":-1,", 0), 0u);
    EXPECT_EQ(RunCli("convert " + dir.File("missing.p3d") + " " + dir.File("out.p3d")).ExitCode, 1);
    const std::string file = Write("c.txt", "1 1\r\n0\r\n0\r\n5\r\n");
    EXPECT_EQ(RunCli("convert " + file + " " + dir.File("no/such/folder.p3d")).ExitCode, 1);
    EXPECT_EQ(RunCli("frobnicate").ExitCode, 1);
}

TEST_F(PlotyraCli, ConvertChoosesTheForm) {
    const std::string file = Write("d.txt", "2 1\r\n0 1\r\n0\r\n5 6\r\n");
    const std::string out = dir.File("out.p3d");
    ASSERT_EQ(RunCli("convert " + file + " " + out).ExitCode, 0);
    std::ifstream hi(out, std::ios::binary);
    std::string first;
    std::getline(hi, first);
    EXPECT_EQ(first, "<3D Hi>\r");
    ASSERT_EQ(RunCli("convert --force-grid-form --with-properties " + file + " " + out).ExitCode,
              0);
    std::ifstream grid(out, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(grid)), {});
    EXPECT_EQ(text.rfind("<3D>\r\n2\t1\r\n0\t1\r\n0\r\n5\t6\r\n[FileVer]\r\n", 0), 0u);
}

} // namespace
