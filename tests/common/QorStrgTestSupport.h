// A test on both forms of the settings store: the parameter chooses the registry file or an INI
// file, both in a temporary folder, the section TFormMain.
#pragma once

#include "QorStrg.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <string>

class TQorStorageModeTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        store.SetUseRegistry(GetParam());
        store.SetRegistryFile(dir.File("registry.json"));
        store.SetIniFileName(GetParam() ? "Software\\plotyra" : dir.File("plotyra.ini"));
        store.SetIniSection("TFormMain");
    }
    // Points another store at the same files, in Section.
    void Configure(TQorStorage& Other, const std::string& Section) const {
        Other.SetUseRegistry(GetParam());
        Other.SetRegistryFile(store.RegistryFile());
        Other.SetIniFileName(store.IniFileName());
        Other.SetIniSection(Section);
    }
    // The file the store writes.
    std::string File() const { return GetParam() ? store.RegistryFile() : store.IniFilePath(); }

    TempDir dir;
    TQorStorage store;
};
