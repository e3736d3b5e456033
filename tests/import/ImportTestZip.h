// Archives for the importers' tests: each (member name, bytes) stored as given, as numpy.savez
// writes its members.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include <zip.h>

inline void WriteZip(const std::string& File,
                     const std::vector<std::pair<std::string, std::string>>& M) {
    int err = 0;
    zip_t* z = zip_open(File.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    ASSERT_NE(z, nullptr);
    for (const auto& [name, bytes] : M) {
        zip_source_t* s = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
        ASSERT_GE(zip_file_add(z, name.c_str(), s, ZIP_FL_OVERWRITE), 0);
    }
    ASSERT_EQ(zip_close(z), 0);
}
