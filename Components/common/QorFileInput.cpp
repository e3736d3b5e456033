#include "QorFileInput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string KindProblem(const struct stat& St) {
    if (S_ISREG(St.st_mode))
        return {};
    return S_ISDIR(St.st_mode) ? "a folder" : "not a regular file";
}

} // namespace

int OpenRegularFile(const std::string& FileName, std::string& Error) {
    struct stat st {};
    if (::stat(FileName.c_str(), &st) != 0) {
        Error = std::strerror(errno);
        return -1;
    }
    if (Error = KindProblem(st); !Error.empty())
        return -1;
    // Non-blocking all the same: the name may meanwhile stand for a FIFO.
    const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        Error = std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !(Error = KindProblem(st)).empty()) {
        if (Error.empty())
            Error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    // Reads of a regular file never block; blocking mode keeps short reads meaningful.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const std::string& FileName, uint64_t MaxBytes, std::string& Bytes,
                     std::string& Error) {
    Bytes.clear();
    const int fd = OpenRegularFile(FileName, Error);
    if (fd < 0)
        return false;
    const auto fail = [&](const std::string& Reason) {
        Error = Reason;
        Bytes.clear();
        ::close(fd);
        return false;
    };
    const std::string tooLarge = "larger than " + ByteCountText(MaxBytes);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(std::strerror(errno));
    if (uint64_t(st.st_size) > MaxBytes)
        return fail(tooLarge);
    Bytes.resize(size_t(st.st_size));
    size_t done = 0;
    // A file growing meanwhile is read up to one byte past the limit, which refuses it.
    for (;;) {
        if (done == Bytes.size()) {
            if (Bytes.size() > MaxBytes)
                return fail(tooLarge);
            Bytes.resize(size_t(std::min<uint64_t>(MaxBytes + 1, Bytes.size() + 65536)));
        }
        const ssize_t n = ::read(fd, Bytes.data() + done, Bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(std::strerror(errno));
        if (n == 0)
            break;
        done += size_t(n);
    }
    Bytes.resize(done);
    ::close(fd);
    return true;
}

std::string ByteCountText(uint64_t Bytes) {
    if (Bytes >= (uint64_t(1) << 20) && Bytes % (uint64_t(1) << 20) == 0)
        return std::to_string(Bytes >> 20) + " MiB";
    if (Bytes >= 1024 && Bytes % 1024 == 0)
        return std::to_string(Bytes >> 10) + " KiB";
    return std::to_string(Bytes) + " bytes";
}
