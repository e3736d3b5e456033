#include "UCommandLine.h"
#include "FAbout.h"

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
