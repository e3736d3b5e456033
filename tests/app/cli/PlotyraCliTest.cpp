// The command-line tool as scripts call it: the info object and the exit codes.
#include "CliSupport.h"
#include "graphics3d/HostileInputSupport.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Files to feed the tool: the hostile-input fixture's helpers.
class PlotyraCli : public HostileInput {};

TEST_F(PlotyraCli, InfoPrintsOneJsonObject) {
    const std::string file = Write("a.txt", "2 2\r\n0 0.1\r\n0\r\n1\r\n5 6\r\n7 8\r\n");
    const RunResult r = RunCli("info " + file);
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Out, "{\"result\":0,\"kind\":\"dk3D\",\"nx\":2,\"ny\":0,\"nz\":2,"
                     "\"lowMemory\":false,\"layers\":[],\"x\":[0,0.10000000149011612],"
                     "\"y\":[5,8],\"z\":[0,1],\"value\":[0,100],\"warnings\":[]}\n");
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

// A file that cannot be loaded: info still prints its object, with the result and the error,
// and exits 1; info, convert and render give the same reason, naming the file once, with the
// line and the field. A file that ends early loads, with a warning.
TEST_F(PlotyraCli, FailedLoadsSayWhyAndWhere) {
    const std::string missing = dir.File("missing.p3d");
    const RunResult info = RunCli("info " + missing);
    EXPECT_EQ(info.ExitCode, 1);
    EXPECT_EQ(info.Out.rfind("{\"result\":-1,", 0), 0u);
    EXPECT_NE(info.Out.find(",\"error\":\"" + missing +
                            ": No such file or directory\",\"warnings\":[]}\n"),
              std::string::npos)
        << info.Out;
    EXPECT_EQ(RunCli("convert " + missing + " " + dir.File("out.p3d")).ExitCode, 1);

    const std::string bad = Write("bad.csv", "1,2,3,4,5,6,7\n1,2,3,4,5,6,7\n1,2,3,4,5,6,abc\n");
    const std::string reason = bad + ", line 3, field 7: 'abc' is not a number";
    const RunResult badInfo = RunCli("info " + bad);
    EXPECT_EQ(badInfo.ExitCode, 1);
    EXPECT_NE(badInfo.Out.find(",\"error\":\"" + reason + "\","), std::string::npos) << badInfo.Out;
    for (const std::string& command :
         {"convert " + bad + " " + dir.File("out.p3d"),
          "render " + bad + " -o " + dir.File("b.png"), "info " + bad}) {
        const RunResult r = RunCli(command, "2>&1 >/dev/null");
        EXPECT_EQ(r.ExitCode, 1) << command;
        EXPECT_EQ(r.Out, "plotyra-cli: cannot load " + reason + "\n") << command;
    }

    const std::string early = Write("early.p3d", "<3D>\r\n3 2\r\n0 1 2\r\n5\r\n6\r\n1 2");
    const std::string warning = "file ends after 9 of 13 values; the rest read as 0";
    const RunResult earlyInfo = RunCli("info " + early);
    EXPECT_EQ(earlyInfo.ExitCode, 0);
    EXPECT_NE(earlyInfo.Out.find("\"warnings\":[\"" + warning + "\"]}"), std::string::npos)
        << earlyInfo.Out;
    EXPECT_EQ(earlyInfo.Out.find("\"error\""), std::string::npos);
    const RunResult earlyConvert = RunCli("convert " + early + " " + dir.File("e.p3d"), "2>&1");
    EXPECT_EQ(earlyConvert.ExitCode, 0);
    EXPECT_EQ(earlyConvert.Out, "plotyra-cli: " + early + ": " + warning + "\n");
    EXPECT_EQ(
        RunCli("info - < " + bad, "2>&1")
            .Out.rfind(
                "plotyra-cli: cannot load standard input, line 1, field 1: '1,2,3,4,5,6,7' is "
                "not a whole number\n",
                0),
        0u);
    const std::string file = Write("c.txt", "1 1\r\n0\r\n0\r\n5\r\n");
    EXPECT_EQ(RunCli("convert " + file + " " + dir.File("no/such/folder.p3d")).ExitCode, 1);
    EXPECT_EQ(RunCli("frobnicate").ExitCode, 1);
}

TEST_F(PlotyraCli, ConvertChoosesTheForm) {
    const std::string file = Write("d.txt", "2 1\r\n0 1\r\n0\r\n5 6\r\n");
    const std::string out = dir.File("out.p3d");
    ASSERT_EQ(RunCli("convert " + file + " " + out).ExitCode, 0);
    EXPECT_EQ(ReadFileText(out).rfind("<3D Hi>\r\n", 0), 0u);
    ASSERT_EQ(RunCli("convert --force-grid-form --with-properties " + file + " " + out).ExitCode,
              0);
    EXPECT_EQ(ReadFileText(out).rfind("<3D>\r\n2\t1\r\n0\t1\r\n0\r\n5\t6\r\n[FileVer]\r\n", 0), 0u);
}

// The hostile-input classes the tool itself must handle: standard input only for "-", files
// that are not regular, no exception leaving main, outputs that would destroy inputs, and files
// that hold no chart data.
TEST_F(PlotyraCli, HostileInputsEndInAMessageAndExitCode) {
    const std::string data = Write("d.txt", "2 1\r\n0 1\r\n0\r\n5 6\r\n");
    EXPECT_NE(RunCli("info - < " + data).Out.find("\"result\":0,\"kind\":\"dk3D\",\"nx\":2"),
              std::string::npos);
    EXPECT_EQ(RunCli("info " + Fifo("in.fifo")).Out.rfind("{\"result\":-1,", 0), 0u)
        << "no blocking";
    // A FIFO named as an importer's file, or given as properties, blocked convert and render.
    const std::string table = Fifo("in.csv");
    for (const std::string& command :
         {"convert " + table + " " + dir.File("t.p3d"),
          "render " + table + " -o " + dir.File("t.png"),
          "render " + data + " -o " + dir.File("t.png") + " --properties " + table}) {
        const RunResult r = RunShell("timeout 60 " + CliPath() + " " + command + " 2>&1");
        EXPECT_EQ(r.ExitCode, 1) << command;
        EXPECT_NE(r.Out.find("not a regular file"), std::string::npos) << command << "\n" << r.Out;
    }
    const RunResult zero = RunCli("convert /dev/zero " + dir.File("z.p3d"), "2>&1");
    EXPECT_EQ(zero.ExitCode, 1);
    EXPECT_NE(zero.Out.find("is not a regular file"), std::string::npos) << zero.Out;
    const RunResult props =
        RunCli("render " + data + " -o " + dir.File("p.png") + " --properties /dev/zero", "2>&1");
    EXPECT_EQ(props.ExitCode, 1) << "an uncaught bad_alloc aborted";
    EXPECT_NE(props.Out.find("cannot load properties"), std::string::npos) << props.Out;

    const RunResult self = RunCli("render " + data + " -o " + data, "2>&1");
    EXPECT_EQ(self.ExitCode, 1);
    EXPECT_EQ(ReadFileText(data), "2 1\r\n0 1\r\n0\r\n5 6\r\n");

    std::string utf16; // "<3D>" and a count in UTF-16: an unknown tag
    for (const char c : std::string("<3D>\r\n1"))
        utf16 += std::string{c, '\0'};
    for (const std::string& text : {std::string("<5D>\r\n1 1\r\n"), utf16, std::string()}) {
        const std::string file = Write("empty.txt", text);
        for (const std::string& command : {"render " + file + " -o " + dir.File("e.png"),
                                           "convert " + file + " " + dir.File("e.p3d")}) {
            const RunResult r = RunCli(command, "2>&1");
            EXPECT_EQ(r.ExitCode, 1) << command;
            EXPECT_NE(r.Out.find("holds no chart data"), std::string::npos) << r.Out;
        }
        EXPECT_EQ(RunCli("info " + file).ExitCode, 0);
    }
}

// render --properties ignored the legend's font of a property file, which the same text
// appended to the data file applies; it is applied as the viewer's Load Properties does.
TEST_F(PlotyraCli, RenderPropertiesApplyTheLegendFont) {
    const std::string data = "<3D>\r\n2 2\r\n0 1\r\n0\r\n1\r\n1 2\r\n3 4\r\n";
    const std::string legend = "[QorColorScale_FontHeight]\r\n-40\r\n";
    const std::string plain = Write("plain.p3d", data);
    const std::string joined = Write("joined.p3d", data + legend);
    const std::string properties = Write("legend.cpr", legend);
    auto render = [&](const std::string& Args, const std::string& Name) {
        const RunResult r =
            RunCli("render " + Args + " --size 320x200 -o " + dir.File(Name), "2>&1");
        EXPECT_EQ(r.ExitCode, 0) << r.Out;
        return QImage(QString::fromStdString(dir.File(Name)));
    };
    const QImage before = render(plain, "plain.png");
    const QImage appended = render(joined, "joined.png");
    const QImage given = render(plain + " --properties " + properties, "given.png");
    ASSERT_FALSE(before.isNull());
    EXPECT_NE(before, appended) << "the font changes the legend";
    EXPECT_EQ(given, appended);
}

// The largest picture took about 4.3 GB whatever the machine could give: the memory a picture
// needs is checked against what the tool can have (here an address-space limit of 3 GB) and
// the picture refused with both figures.
TEST_F(PlotyraCli, RenderRefusesAPictureLargerThanTheMemoryLeft) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's shadow needs more address space than the limit";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer's shadow needs more address space than the limit";
#endif
#endif
    const std::string data = Write("d.txt", "2 1\r\n0 1\r\n0\r\n5 6\r\n");
    const std::string out = dir.File("big.png");
    const RunResult r = RunShell("ulimit -v 3000000; " + CliPath() + " render " + data + " -o " +
                                 out + " --size 16384x16384 2>&1");
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Out.find("a 16384 \u00d7 16384 picture needs about 4.3 GB; "), std::string::npos)
        << r.Out;
    EXPECT_NE(r.Out.find(" GB are available"), std::string::npos) << r.Out;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(RunCli("render " + data + " -o " + out + " --size 64x48").ExitCode, 0)
        << "a picture that fits is drawn";
}

// convert onto a FIFO (or, as root, onto /dev/null) replaced it by a regular file.
TEST_F(PlotyraCli, ConvertWritesIntoAFifoInPlace) {
    const std::string data = Write("f.txt", "1 1\r\n0\r\n0\r\n5\r\n");
    const std::string fifo = Fifo("out.fifo");
    const std::string copy = dir.File("copy.txt");
    const RunResult r = RunCli("convert --force-grid-form " + data + " " + fifo + " & cat " + fifo +
                               " > " + copy + "; wait");
    EXPECT_EQ(ReadFileText(copy), "<3D>\r\n1\t1\r\n0\r\n0\r\n5\r\n");
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// File names are bytes: render wrote "caf\xE9.png" as "caf\xEF\xBF\xBD.png" and could not find
// such inputs. Every command hands names to the file system unchanged.
TEST_F(PlotyraCli, NamesReachTheFileSystemUnchanged) {
    const std::string data = Write("caf\xE9.txt", "2 1\r\n0 1\r\n0\r\n5 6\r\n");
    const std::string properties = Write("st\xFFle.cpr", "[ViewRotY]\r\n40\r\n");
    const std::string picture = dir.File("caf\xE9.png");
    const RunResult r = RunCli("render '" + data + "' --properties '" + properties +
                                   "' --size 64x48 -o '" + picture + "'",
                               "2>&1");
    EXPECT_EQ(r.ExitCode, 0) << r.Out;
    EXPECT_EQ(ReadFileText(picture).substr(1, 3), "PNG");
    EXPECT_FALSE(std::filesystem::exists(dir.File("caf\xEF\xBF\xBD.png")));
    const std::string batch = dir.File("fr\xE9%d.png");
    EXPECT_EQ(RunCli("render '" + data + "' --frames 2 --size 32x24 -o '" + batch + "'").ExitCode,
              0);
    EXPECT_EQ(ReadFileText(dir.File("fr\xE9"
                                    "1.png"))
                  .substr(1, 3),
              "PNG");
    const std::string converted = dir.File("d\xE9.p3d");
    EXPECT_EQ(RunCli("convert '" + data + "' '" + converted + "'").ExitCode, 0);
    EXPECT_EQ(ReadFileText(converted).rfind("<3D Hi>\r\n", 0), 0u);
    EXPECT_EQ(RunCli("info '" + converted + "'").Out.rfind("{\"result\":0,", 0), 0u);
}

// convert said only "cannot save X" on a full disk or an empty name, any output that was a
// loop of links became a regular file, a link into a missing folder failed without a reason,
// and render drew without the colour picture it could not read without a word. Links are
// followed, a loop is refused, and every failure names its cause.
TEST_F(PlotyraCli, OutputFailuresAndDroppedPicturesNameTheirCause) {
    const std::string data = Write("d.txt", "2 1\r\n0 1\r\n0\r\n5 6\r\n");
    const std::string loop = dir.File("loop.p3d");
    ASSERT_EQ(symlink("loop.p3d", loop.c_str()), 0);
    ASSERT_EQ(symlink("missing/out.png", dir.File("dangling.png").c_str()), 0);
    const struct {
        std::string Command;
        std::string Message;
    } failures[] = {
        {"convert " + data + " /dev/full", "cannot save /dev/full: No space left on device"},
        {"convert " + data + " ''", "cannot save : the name is empty"},
        {"convert " + data + " " + loop,
         "cannot save " + loop + ": Too many levels of symbolic links"},
        {"render " + data + " --size 32x24 -o /dev/full",
         "cannot save /dev/full: No space left on device"},
        {"render " + data + " --size 32x24 -o " + dir.File("dangling.png"),
         "the folder " + dir.File("missing") + " does not exist"},
    };
    for (const auto& f : failures) {
        const RunResult r = RunCli(f.Command, "2>&1");
        EXPECT_EQ(r.ExitCode, 1) << f.Command;
        EXPECT_NE(r.Out.find(f.Message), std::string::npos) << f.Command << "\n" << r.Out;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(loop));

    const std::string target = Write("pictures/chart.png", "old");
    ASSERT_EQ(symlink("pictures/chart.png", dir.File("latest.png").c_str()), 0);
    const std::string properties =
        Write("picture.cpr", "[ColorBitmapName]\r\n" + Fifo("picture.fifo") +
                                 "\r\n[ColorBitmapApply]\r\nTRUE\r\n");
    const RunResult r =
        RunShell("timeout 60 " + CliPath() + " render " + data + " --size 32x24 --properties " +
                 properties + " -o " + dir.File("latest.png") + " 2>&1");
    EXPECT_EQ(r.ExitCode, 0) << r.Out;
    EXPECT_NE(r.Out.find("the colour picture " + dir.File("picture.fifo") +
                         " cannot be used (not a regular file); the chart is drawn without it"),
              std::string::npos)
        << r.Out;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("latest.png")));
    EXPECT_EQ(ReadFileText(target).substr(1, 3), "PNG") << "written through the link";
}

// probe: the nearest grid point of a surface, the cell of a volume, as JSON; off the data and
// malformed calls fail as the other commands do.
TEST_F(PlotyraCli, ProbePrintsThePointUnderDataCoordinates) {
    const std::string surface = Write("s.txt", "2 2\r\n0 0.1\r\n0\r\n1\r\n5 6\r\n7 8\r\n");
    const auto object = [](const RunResult& r) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(r.Out)).object();
    };
    const RunResult near = RunCli("probe " + surface + " 0.09 0.9");
    ASSERT_EQ(near.ExitCode, 0);
    const QJsonObject s = object(near);
    EXPECT_NEAR(s["x"].toDouble(), 0.1, 1e-7);
    EXPECT_EQ(s["z"].toDouble(), 1);
    EXPECT_EQ(s["height"].toDouble(), 8);
    EXPECT_EQ(s["captions"].toObject()["height"].toString(), "Y");

    const RunResult cell =
        RunCli("probe " + std::string(PLOTYRA_EXAMPLES) + "/volume.p4d 0.6 0.4 0.3");
    ASSERT_EQ(cell.ExitCode, 0);
    const QJsonObject v = object(cell);
    EXPECT_EQ(v["x"].toDouble(), 0.5);
    EXPECT_EQ(v["y"].toDouble(), 0.5);
    EXPECT_EQ(v["z"].toDouble(), 0.5);
    EXPECT_EQ(v["value"].toDouble(), 1);
    EXPECT_EQ(v["captions"].toObject()["value"].toString(), "Value");

    const RunResult off = RunCli("probe " + surface + " -0.5 0.5", "2>&1");
    EXPECT_EQ(off.ExitCode, 1);
    EXPECT_NE(off.Out.find("off the data"), std::string::npos) << off.Out;
    for (const std::string& args :
         {"probe " + surface + " 0.1", "probe " + surface + " 0.1 z",
          "probe " + surface + " 0.1 0 1", "probe " + surface + " 0 0 --bad"}) {
        const RunResult r = RunCli(args, "2>&1");
        EXPECT_EQ(r.ExitCode, 1) << args;
        EXPECT_NE(r.Out.find("plotyra-cli"), std::string::npos) << args;
    }
    EXPECT_NE(RunCli("--help").Out.find("plotyra-cli probe FILE X [Y] Z"), std::string::npos);
}

} // namespace
