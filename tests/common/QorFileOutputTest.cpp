#include "QorFileOutput.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

// A regular target is replaced only on success; a folder is refused (devices and FIFOs: the
// hostile-input suite).
TEST(QorFileOutput, ReplacesRegularFilesOnlyWhenComplete) {
    TempDir dir;
    const std::string file = dir.File("a.txt");
    WriteFileText(file, "old");
    {
        TQorFileOutput out(file);
        ASSERT_TRUE(out.Write("new text"));
    } // not committed
    EXPECT_EQ(ReadFileText(file), "old");
    EXPECT_TRUE(WriteFileAtomically(file, "new"));
    EXPECT_EQ(ReadFileText(file), "new");
    TQorFileOutput folder(dir.Path().string());
    EXPECT_FALSE(folder.Ok());
    EXPECT_EQ(folder.Error(), "is a folder");
}
