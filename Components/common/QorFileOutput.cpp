#include "QorFileOutput.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the system itself follows before it calls the chain a loop.
constexpr int MaxLinkHops = 40;
// Room left in a name of 255 bytes for the temporary file's dot and suffix.
constexpr size_t MaxTemporaryBase = 200;

std::string FolderOf(const std::string& Path) {
    const size_t slash = Path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : Path.substr(0, slash);
}

std::string BaseOf(const std::string& Path) {
    const size_t slash = Path.find_last_of('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

std::string SystemError(int Error) {
    return std::strerror(Error);
}

// Six letters that differ between processes, threads and calls.
std::string UniqueSuffix() {
    static std::atomic<uint64_t> counter{0};
    uint64_t v = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (uint64_t(::getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    std::string s;
    for (int i = 0; i < 6; ++i, v /= 36)
        s += "abcdefghijklmnopqrstuvwxyz0123456789"[v % 36];
    return s;
}

} // namespace

TQorFileOutput::TQorFileOutput(const std::string& FileName) {
    if (!ResolveTarget(FileName))
        return;
    struct stat st {};
    if (::stat(FTarget.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            Fail("is a folder");
            return;
        }
        // A device or FIFO: replacing it would destroy it (as root, /dev/null itself).
        FFd = ::open(FTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        FOk = FFd >= 0 || Fail(SystemError(errno));
        return;
    }
    FOk = OpenTemporary();
}

TQorFileOutput::~TQorFileOutput() {
    Discard();
}

void TQorFileOutput::Discard() {
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
    if (!FTemporary.empty())
        ::unlink(FTemporary.c_str());
    FTemporary.clear();
}

bool TQorFileOutput::Fail(const std::string& Reason) {
    if (FError.empty())
        FError = Reason;
    FOk = false;
    return false;
}

// FTarget: FileName with every link on the way followed (only the last part of a name can be
// a link that is not simply passed through by the system).
bool TQorFileOutput::ResolveTarget(const std::string& FileName) {
    if (FileName.empty())
        return Fail("the name is empty");
    std::string target = FileName;
    for (int hop = 0;; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            const int error = errno;
            if (error != ENOENT)
                return Fail(SystemError(error));
            const std::string folder = FolderOf(target);
            struct stat fs {};
            if (::stat(folder.c_str(), &fs) != 0)
                return Fail("the folder " + folder + " does not exist");
            if (!S_ISDIR(fs.st_mode))
                return Fail(folder + " is not a folder");
            break;
        }
        if (!S_ISLNK(st.st_mode))
            break;
        if (hop == MaxLinkHops)
            return Fail(SystemError(ELOOP));
        std::string link(size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return Fail(SystemError(errno));
        if (size_t(n) >= link.size())
            return Fail("its link changed while it was followed");
        link.resize(size_t(n));
        target = link.starts_with('/') ? link : FolderOf(target) + "/" + link;
    }
    FTarget = target;
    return true;
}

bool TQorFileOutput::OpenTemporary() {
    const std::string folder = FolderOf(FTarget);
    const std::string base = BaseOf(FTarget).substr(0, MaxTemporaryBase);
    struct stat existing {};
    const bool replaces = ::stat(FTarget.c_str(), &existing) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = folder + "/." + base + "." + UniqueSuffix();
        // The mode of a new file follows the umask, as any new file's does.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return Fail("cannot write into the folder " + folder + ": " + SystemError(errno));
        FFd = fd;
        FTemporary = name;
        if (replaces)
            ::fchmod(fd, existing.st_mode & 07777); // the replaced file's permissions stay
        return true;
    }
    return Fail("cannot find a free temporary name in " + folder);
}

bool TQorFileOutput::Write(const char* Data, size_t Size) {
    if (!FOk)
        return false;
    while (Size > 0) {
        const ssize_t n = ::write(FFd, Data, Size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(SystemError(n < 0 ? errno : EIO));
        Data += n;
        Size -= size_t(n);
    }
    return true;
}

bool TQorFileOutput::Commit() {
    if (FFd < 0)
        return false;
    if (!FOk) {
        Discard();
        return false;
    }
    const int fd = FFd;
    FFd = -1;
    if (FTemporary.empty())
        return ::close(fd) == 0 || Fail(SystemError(errno));
    // A full disk may show only when the data reach it.
    if (::fsync(fd) != 0 && errno != EINVAL) {
        Fail(SystemError(errno));
        ::close(fd);
    } else if (::close(fd) != 0) {
        Fail(SystemError(errno));
    } else if (::rename(FTemporary.c_str(), FTarget.c_str()) != 0) {
        Fail(SystemError(errno));
    } else {
        FTemporary.clear();
        return true;
    }
    Discard();
    return false;
}

bool WriteFileAtomically(const std::string& FileName, std::string_view Text, std::string* Error) {
    TQorFileOutput out(FileName);
    out.Write(Text);
    const bool ok = out.Commit();
    if (Error != nullptr)
        *Error = out.Error();
    return ok;
}
