#include "QorFileOutput.h"

#include "TestSupport.h"

#include <fstream>
#include <gtest/gtest.h>

// A regular target is replaced only on success; a folder is refused (devices and FIFOs: the
// hostile-input suite).
TEST(QorFileOutput, ReplacesRegularFilesOnlyWhenComplete) {
    TempDir dir;
    const std::string file = dir.File("a.txt");
    std::ofstream(file) << "old";
    {
        TQorFileOutput out(file);
        ASSERT_TRUE(out.Write("new text"));
    } // not committed
    std::ifstream kept(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
    EXPECT_TRUE(WriteFileAtomically(file, "new"));
    std::ifstream replaced(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(replaced), {}), "new");
    TQorFileOutput folder(dir.Path().string());
    EXPECT_FALSE(folder.Ok());
    EXPECT_EQ(folder.Error(), "is a folder");
}
