#include "mainwindow/UCommandLine.h"
#include "TestSupport.h"
#include "dialogs/FAbout.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(UCommandLine, FirstParameterIsTheFileOrTheSafeModeSwitch) {
    for (const char* s : {"/S", "/s", "-S", "-s", "\\S", "\\s"}) {
        const TCommandLine c = ParseCommandLine({"plotyra", s, "more.p3d"});
        EXPECT_FALSE(c.Exit) << s;
        EXPECT_EQ(c.Params.value(0), s);
        EXPECT_EQ(c.Params.size(), 2);
    }
    const TCommandLine file = ParseCommandLine({"plotyra", "--grab", "shot.png", "a.p3d"});
    EXPECT_FALSE(file.Exit);
    EXPECT_EQ(file.Params, QStringList{"a.p3d"});
    EXPECT_EQ(file.GrabFile, "shot.png");
    EXPECT_TRUE(ParseCommandLine({"plotyra"}).Params.isEmpty());
    EXPECT_EQ(ParseCommandLine({"plotyra", "--", "-odd.p3d"}).Params, QStringList{"-odd.p3d"});
}

// A name beginning with "-" is a file when such a file exists; otherwise an unknown option.
TEST(UCommandLine, AnExistingFileWhoseNameBeginsWithADashIsAFile) {
    TempDir dir;
    WriteFileText(dir.File("-x.p3d"), "<3D>\n");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.Path().string())));
    const TCommandLine alone = ParseCommandLine({"plotyra", "-x.p3d"});
    const TCommandLine withGrab = ParseCommandLine({"plotyra", "--grab", "-x.p3d", "-x.p3d"});
    const TCommandLine missing = ParseCommandLine({"plotyra", "-y.p3d"});
    QDir::setCurrent(before);
    EXPECT_FALSE(alone.Exit) << alone.Message.toStdString();
    EXPECT_EQ(alone.Params, QStringList{"-x.p3d"});
    EXPECT_EQ(withGrab.GrabFile, "-x.p3d");
    EXPECT_EQ(withGrab.Params, QStringList{"-x.p3d"});
    EXPECT_TRUE(missing.Exit);
    EXPECT_EQ(missing.ExitCode, 1);
}

TEST(UCommandLine, HelpVersionAndBadOptionsEndTheProgram) {
    const TCommandLine help = ParseCommandLine({"plotyra", "--help"});
    EXPECT_TRUE(help.Exit);
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Message.contains("[FILE | /S]"));
    EXPECT_FALSE(help.Message.contains("--grab"));
    const TCommandLine version = ParseCommandLine({"plotyra", "--version"});
    EXPECT_TRUE(version.Exit);
    EXPECT_EQ(version.Message, "Plotyra " + TFormAbout::Version() + "\n");
    const TCommandLine bad = ParseCommandLine({"plotyra", "--bogus"});
    EXPECT_TRUE(bad.Exit);
    EXPECT_EQ(bad.ExitCode, 1);
    EXPECT_TRUE(bad.Message.contains("--help"));
}

TEST(UCommandLine, MeasureFramesTakesAPositiveCountAndAFile) {
    const TCommandLine measure = ParseCommandLine({"plotyra", "--measure-frames", "50", "a.p3d"});
    EXPECT_FALSE(measure.Exit);
    EXPECT_EQ(measure.MeasureFrames, 50);
    EXPECT_EQ(measure.Params, QStringList{"a.p3d"});
    EXPECT_EQ(ParseCommandLine({"plotyra", "a.p3d"}).MeasureFrames, 0);
    for (const char* n : {"0", "-3", "ten", "100001"}) {
        const TCommandLine bad = ParseCommandLine({"plotyra", "--measure-frames", n, "a.p3d"});
        EXPECT_TRUE(bad.Exit) << n;
        EXPECT_EQ(bad.ExitCode, 1) << n;
        EXPECT_TRUE(bad.Message.contains("--measure-frames")) << n;
    }
    const TCommandLine noFile = ParseCommandLine({"plotyra", "--measure-frames", "5"});
    EXPECT_EQ(noFile.ExitCode, 1);
    EXPECT_TRUE(noFile.Message.contains("FILE"));
    // The safe-mode switch still takes the whole command line as it is.
    const TCommandLine safe = ParseCommandLine({"plotyra", "/S", "--measure-frames", "5"});
    EXPECT_FALSE(safe.Exit);
    EXPECT_EQ(safe.MeasureFrames, 0);
    EXPECT_EQ(safe.Params.size(), 3);
}

// Qt keeps arguments as text: "caf\xE9.p3d" became "caf\uFFFD.p3d", a name of another file. A
// name that is not UTF-8 is refused by name; any UTF-8 name passes unchanged.
TEST(UCommandLine, NamesThatAreNotUtf8TextAreRefused) {
    const char* const bad[] = {"plotyra", "--grab", "shot.png", "caf\xE9.p3d"};
    const TCommandLine refused = ParseCommandLine(4, bad);
    EXPECT_TRUE(refused.Exit);
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Message.startsWith("caf\\xe9.p3d: the name is not UTF-8 text"))
        << refused.Message.toStdString();
    const char* const good[] = {"plotyra", "--grab", "caf\xC3\xA9.png", "\xE6\x97\xA5.p3d"};
    const TCommandLine taken = ParseCommandLine(4, good);
    EXPECT_FALSE(taken.Exit);
    ASSERT_EQ(taken.Params.size(), 1);
    EXPECT_EQ(QFile::encodeName(taken.Params[0]), "\xE6\x97\xA5.p3d");
    EXPECT_EQ(QFile::encodeName(taken.GrabFile), "caf\xC3\xA9.png");
}
