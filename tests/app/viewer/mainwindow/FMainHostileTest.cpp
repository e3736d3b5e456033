// The main window started on hostile settings: an unreadable settings file, a folder in its
// place. (The files the shared units read and write are in
// tests/common/HostileInputTest.cpp.)
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"

#include <QJsonDocument>
#include <QSplitter>
#include <QStatusBar>
#include <cstdio>
#include <filesystem>

namespace {

std::string SettingsFile() {
    return TQorStorage::ConfigFolder() + "/registry.json";
}

// The window's own settings section, as the window reads it.
void PointAtWindow(TQorStorage& Store) {
    Store.SetIniSection("TFormMain");
}

} // namespace

using HostileWindow = TFormMainFixture;

// Damaged settings were replaced by defaults at exit without a word or a copy. The window says
// so in its status bar, keeps the file as registry.json.bad and saves its settings anew.
TEST_F(HostileWindow, UnreadableSettingsAreSaidAndKeptAside) {
    WriteFileText(SettingsFile(), "{\"root\":{\"keys\":{\"Software\":");
    TFormMain& w = Start();
    const QString said = w.statusBar()->currentMessage();
    EXPECT_TRUE(said.contains("could not be read") && said.contains("registry.json.bad"))
        << said.toStdString();
    EXPECT_EQ(ReadFileText(SettingsFile() + ".bad"), "{\"root\":{\"keys\":{\"Software\":");
    Quit();
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(ReadFileText(SettingsFile())))
                    .isObject());
    TQorStorage saved;
    PointAtWindow(saved);
    EXPECT_TRUE(saved.ValueExists("CtrlDir.Path"));
}

// A folder in the settings file's place lost every save silently; the window says at once
// that nothing can be saved, and leaves the folder alone.
TEST_F(HostileWindow, SettingsThatCannotBeSavedAreSaidAtTheStart) {
    std::filesystem::create_directories(SettingsFile() + "/kept");
    TFormMain& w = Start();
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("cannot be saved"))
        << w.statusBar()->currentMessage().toStdString();
    Quit();
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFile() + "/kept"));
}
