// The text of the freedesktop files that the viewer and the build's desktop tool write.
#include "UDesktopFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(UDesktopFiles, ExecLineQuotesAProgramPathOnlyWhereItMust) {
    EXPECT_EQ(DesktopExecProgram("/usr/bin/plotyra"), "/usr/bin/plotyra");
    EXPECT_EQ(DesktopExecProgram("/opt/my apps/plotyra"), "\"/opt/my apps/plotyra\"");
    // Inside quotes ", `, $ and \ are escaped, and the string value doubles each backslash.
    EXPECT_EQ(DesktopExecProgram("/a\"b$c/p"), "\"/a\\\\\"b\\\\$c/p\"");
    EXPECT_EQ(DesktopExecProgram("/100%/p"), "/100%%/p");
}

} // namespace
