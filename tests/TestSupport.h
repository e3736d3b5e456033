// Helpers shared by the test files.
#pragma once

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

// Compares two number vectors element by element within an absolute tolerance.
inline ::testing::AssertionResult NearVector(const std::vector<double>& actual,
                                             const std::vector<double>& expected,
                                             double tolerance = 1e-9) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << actual.size() << " != expected " << expected.size();
    for (size_t i = 0; i < actual.size(); ++i)
        if (!(std::fabs(actual[i] - expected[i]) <= tolerance))
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << actual[i] << " != " << expected[i];
    return ::testing::AssertionSuccess();
}

// The whole content of a file; empty when it cannot be read.
inline std::string ReadFileText(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Text as the whole content of the file at Path, its folder made first.
inline void WriteFileText(const std::string& Path, const std::string& Text) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(Path).parent_path(), ec);
    std::ofstream(Path, std::ios::binary) << Text;
}

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "plotyra-XXXXXX").string();
        if (mkdtemp(tmpl.data()) != nullptr)
            path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// While alive, keeps opening and closing the writing end of the FIFO Fifo, so that work on the
// calling thread (a window's, which must stay there) that blocks on it is released and fails
// its test instead of hanging.
class TFifoWriterPulse {
public:
    explicit TFifoWriterPulse(std::string Fifo)
        : FFifo(std::move(Fifo)), FThread([this] {
              while (!FDone) {
                  if (const int fd = ::open(FFifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                      fd >= 0)
                      ::close(fd);
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~TFifoWriterPulse() {
        FDone = true;
        FThread.join();
    }
    TFifoWriterPulse(const TFifoWriterPulse&) = delete;
    TFifoWriterPulse& operator=(const TFifoWriterPulse&) = delete;

private:
    std::string FFifo;
    std::atomic<bool> FDone{false};
    std::thread FThread;
};

// Runs Work on a thread of its own; true when it ended within TimeoutSeconds. Work that blocks
// on the FIFO Fifo (opening or reading it) is then released by opening the other end and
// closing it again, so that a test of something that must not block fails instead of hanging.
inline bool EndsWithoutBlocking(const std::string& Fifo, const std::function<void()>& Work,
                                int TimeoutSeconds = 10) {
    std::signal(SIGPIPE, SIG_IGN); // a writer released that way must not end the tests
    std::packaged_task<void()> task(Work);
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    const bool inTime =
        done.wait_for(std::chrono::seconds(TimeoutSeconds)) == std::future_status::ready;
    while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        for (const int mode : {O_WRONLY, O_RDONLY})
            if (const int fd = ::open(Fifo.c_str(), mode | O_NONBLOCK | O_CLOEXEC); fd >= 0)
                ::close(fd);
    worker.join();
    return inTime;
}
