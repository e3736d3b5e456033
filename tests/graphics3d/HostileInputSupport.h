// The fixture of the hostile-input suite. Its tests live beside the units they attack (chart
// files, axis drawing, the command-line tool); one suite needs one fixture class, so it is
// defined here once.
#pragma once

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

class HostileInput : public ::testing::Test {
protected:
    TempDir dir;
    std::string Write(const std::string& name, const std::string& text) {
        WriteFileText(dir.File(name), text);
        return dir.File(name);
    }
    std::string Fifo(const std::string& name) {
        const std::string path = dir.File(name);
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        return path;
    }
};
