// Test entry: headless Qt, and private settings and data folders so no test touches the
// user's.
#include <QGuiApplication>
#ifdef PLOTYRA_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
using TTestApplication = QGuiApplication;
#endif
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace {

// A test that hangs would hold the whole run until ctest's timeout ends it, and tell nothing of
// where. After HangLimit the main thread's stack (through gdb, when it is installed) goes into
// the build's hang folder, which test.sh prints at its end.
class THangWatch : public ::testing::EmptyTestEventListener {
public:
    static constexpr std::chrono::seconds HangLimit{90};

    THangWatch() : FWatcher([this](std::stop_token Stop) { Watch(Stop); }) {}

    void OnTestStart(const ::testing::TestInfo& Test) override {
        const std::lock_guard lock(FLock);
        FTest = std::string(Test.test_suite_name()) + "." + Test.name();
        FStart = std::chrono::steady_clock::now();
        FReported = false;
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        const std::lock_guard lock(FLock);
        FTest.clear();
    }

private:
    void Watch(std::stop_token Stop) {
        std::unique_lock lock(FLock);
        while (!Stop.stop_requested()) {
            FWake.wait_for(lock, Stop, std::chrono::seconds(1), [] { return false; });
            if (FTest.empty() || FReported || std::chrono::steady_clock::now() - FStart < HangLimit)
                continue;
            FReported = true;
            Report(FTest);
        }
    }

    static void Report(const std::string& Test) {
        const std::filesystem::path folder = PLOTYRA_HANG_LOG;
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const std::string file = (folder / (Test + ".txt")).string();
        std::ofstream(file) << Test << " has run " << HangLimit.count() << " s; its main thread:\n";
        const std::string gdb = "gdb -p " + std::to_string(getpid()) +
                                " -batch -nx -ex 'bt 30' 2>/dev/null | grep '^#' >> '" + file + "'";
        if (std::system("command -v gdb >/dev/null") == 0)
            (void)std::system(gdb.c_str());
    }

    std::mutex FLock;
    std::condition_variable_any FWake;
    std::string FTest;
    std::chrono::steady_clock::time_point FStart;
    bool FReported = false;
    std::jthread FWatcher;
};

} // namespace

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
    // gdb, started by the hang watch, may look into this process.
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY);
    THangWatch watch;
    ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(&watch);
    const int rc = RUN_ALL_TESTS();
    listeners.Release(&watch);

    if (dir != nullptr) {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    return rc;
}
