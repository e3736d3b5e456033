// The readers' module: found among its candidates in order, only when it is a module of this
// build, and every candidate passed over says why.
#include "QorImportFormats.h"

#include "TestSupport.h"

#include <dlfcn.h>
#include <fstream>
#include <gtest/gtest.h>

TEST(ImportFormatsModule, OnlyAModuleOfThisBuildIsTaken) {
    TempDir dir;
    const std::filesystem::path missing = dir.Path() / "none" / "plotyra-formats.so";
    const std::filesystem::path notElf = dir.Path() / "plotyra-formats.so";
    std::ofstream(notElf) << "not a library\n";
    Dl_info libc{}; // a library without the entry
    ASSERT_NE(dladdr(reinterpret_cast<const void*>(&dlopen), &libc), 0);
    const std::filesystem::path other = libc.dli_fname;
    std::string error;
    EXPECT_EQ(LoadImportFormats({missing}, error), nullptr);
    EXPECT_NE(error.find("cannot load the NetCDF, HDF5 and GeoTIFF readers (plotyra-formats.so)"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("not installed"), std::string::npos) << error;

    error.clear();
    EXPECT_EQ(LoadImportFormats({missing, notElf, other}, error), nullptr);
    EXPECT_NE(error.find(notElf.string()), std::string::npos) << error;
    EXPECT_NE(error.find(other.string() + " is of another build"), std::string::npos) << error;

    // The first usable candidate is taken, whatever comes before it.
    error.clear();
    const TQorImportFormats* formats =
        LoadImportFormats({missing, notElf, PLOTYRA_FORMATS_MODULE_FILE}, error);
    ASSERT_NE(formats, nullptr) << error;
    EXPECT_NE(formats->ReadNetCdfFile, nullptr);

    // The module's entry refuses a program of another version or layout.
    void* module = dlopen(PLOTYRA_FORMATS_MODULE_FILE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    using TEntry = const TQorImportFormats* (*)(const TQorImportFormatsKey*);
    const auto entry = reinterpret_cast<TEntry>(dlsym(module, "plotyra_import_formats"));
    ASSERT_NE(entry, nullptr);
    TQorImportFormatsKey key = ImportFormatsKey();
    EXPECT_EQ(entry(&key), formats);
    key.Version = "0.0.0-other";
    EXPECT_EQ(entry(&key), nullptr);
    key = ImportFormatsKey();
    key.Sizes[1] += 8;
    EXPECT_EQ(entry(&key), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
    dlclose(module);
}
