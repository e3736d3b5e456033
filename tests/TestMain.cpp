// Test entry: headless Qt, and private settings and data folders so no test touches the
// user's.
#include <QGuiApplication>
#ifdef PLOTYRA_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
using TTestApplication = QGuiApplication;
#endif
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string tmpl = (std::filesystem::temp_directory_path() / "plotyra-test-XXXXXX").string();
    const char* dir = mkdtemp(tmpl.data());
    if (dir != nullptr)
        setenv("XDG_CONFIG_HOME", dir, 1);

    // The data folder too (file types, icons); a test that starts this program again as a
    // child hands the child its own through PLOTYRA_TEST_DATA_HOME.
    std::string data = dir != nullptr ? std::string(dir) + "/data" : std::string();
    if (const char* given = std::getenv("PLOTYRA_TEST_DATA_HOME"))
        data = given;
    if (!data.empty())
        setenv("XDG_DATA_HOME", data.c_str(), 1);

    // Qt wants a private runtime folder; give it one inside ours rather than /tmp.
    std::string runtime;
    if (dir != nullptr && std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        runtime = std::string(dir) + "/runtime";
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }

    TTestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();

    if (dir != nullptr) {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    return rc;
}
