#include "QorImportSupport.h"

#include "QorFileInput.h"
#include "QorParallel.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QorImport {

std::string BaseName(const std::string& FileName) {
    const size_t slash = FileName.find_last_of('/');
    return slash == std::string::npos ? FileName : FileName.substr(slash + 1);
}

TFileBytes::~TFileBytes() {
    if (FData != nullptr)
        ::munmap(FData, FMapped);
}

int OpenRegularFile(const std::string& FileName, struct stat& St, std::string& Error) {
    // Non-blocking, so that a FIFO without a writer does not wait for one.
    const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        Error = std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, &St) != 0) {
        Error = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(St.st_mode)) {
        Error = S_ISDIR(St.st_mode) ? "is a folder" : "is not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

bool StartLibraryRead(const std::string& FileName, TQorImportResult& R, int64_t* Size) {
    R.Error.File = BaseName(FileName);
    struct stat st {};
    std::string error;
    const int fd = OpenRegularFile(FileName, st, error);
    if (fd < 0) {
        R.Fail(error);
        return false;
    }
    ::close(fd);
    if (Size != nullptr)
        *Size = int64_t(st.st_size);
    return true;
}

bool TFileBytes::Read(const std::string& FileName, std::string& Error) {
    struct stat st {};
    const int fd = OpenRegularFile(FileName, st, Error);
    if (fd < 0)
        return false;
    const size_t size = size_t(st.st_size);
    FMapped = size + 1;
    void* memory =
        ::mmap(nullptr, FMapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        ::close(fd);
        Error = "the file does not fit into memory";
        return false;
    }
    FData = static_cast<char*>(memory);
    if (size >= (size_t(4) << 20))
        ::madvise(FData, FMapped, MADV_HUGEPAGE);
    // Pieces of at least 4 MiB, read side by side; a piece read short ends the text there.
    const size_t pieces = std::clamp<size_t>(size >> 22, 1, 4 * QorParallel::Threads());
    std::vector<size_t> got(pieces, 0);
    const auto read = [&](size_t p) {
        const size_t b = size * p / pieces, e = size * (p + 1) / pieces;
        got[p] = ReadAt(fd, FData + b, e - b, b);
    };
    if (pieces == 1)
        read(0);
    else
        QorParallel::For(pieces, read);
    ::close(fd);
    FSize = 0;
    for (size_t p = 0; p < pieces; ++p) {
        FSize += got[p];
        if (got[p] != size * (p + 1) / pieces - size * p / pieces)
            break;
    }
    FData[FSize] = 0;
    return true;
}

size_t ReadAt(int Fd, void* Buffer, size_t Count, uint64_t Offset) {
    char* into = static_cast<char*>(Buffer);
    size_t done = 0;
    while (done < Count) {
        const ssize_t n = ::pread(Fd, into + done, Count - done, off_t(Offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    return done;
}

std::string FileHead(const std::string& FileName, size_t Count) {
    std::string error;
    const int fd = ::OpenRegularFile(FileName, error);
    if (fd < 0)
        return {};
    std::string head(Count, '\0');
    const ssize_t n = ::pread(fd, head.data(), Count, 0);
    head.resize(n > 0 ? size_t(n) : 0);
    ::close(fd);
    return head;
}

std::string_view TrimCell(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

namespace {

bool IsMissingWord(std::string_view s) {
    if (!s.empty() && (s.front() == '+' || s.front() == '-'))
        s.remove_prefix(1);
    const auto is = [&](std::string_view w) {
        return s.size() == w.size() && std::equal(s.begin(), s.end(), w.begin(),
                                                  [](char a, char b) { return (a | 0x20) == b; });
    };
    return is("na") || is("nan") || is("inf") || is("infinity");
}

template <typename T> TCell Parse(std::string_view Cell, bool DecimalComma, T& Value) {
    std::string_view s = Cell;
    // A cell seldom has surrounding blanks: only trim when there are any.
    if (!s.empty() && (s.front() <= ' ' || s.back() <= ' ' || s.front() == '"'))
        s = TrimCell(s);
    if (s.empty()) {
        Value = std::numeric_limits<T>::quiet_NaN();
        return TCell::Missing;
    }
    const char* b = s.data();
    const char* e = b + s.size();
    if (*b == '+' && s.size() > 1 && b[1] != '-' && b[1] != '+')
        ++b;
    char buffer[72];
    if (DecimalComma && std::memchr(b, ',', size_t(e - b)) != nullptr) {
        if (size_t(e - b) >= sizeof buffer)
            return TCell::Bad;
        const size_t n = size_t(e - b);
        std::memcpy(buffer, b, n);
        std::replace(buffer, buffer + n, ',', '.');
        b = buffer;
        e = buffer + n;
    }
    // from_chars would take "inf" and "nan" itself, but not "NA" or a signed NaN.
    if ((*b | 0x20) == 'n' || (*b | 0x20) == 'i' ||
        ((*b == '-' || *b == '+') && e - b > 1 && ((b[1] | 0x20) == 'n' || (b[1] | 0x20) == 'i'))) {
        if (IsMissingWord(std::string_view(b, size_t(e - b)))) {
            Value = std::numeric_limits<T>::quiet_NaN();
            return TCell::Missing;
        }
        return TCell::Bad;
    }
    const auto r = std::from_chars(b, e, Value);
    if (r.ptr != e)
        return TCell::Bad;
    if (r.ec == std::errc::result_out_of_range) {
        // Below the smallest number is as good as 0; beyond the largest is no value at all.
        double d = 0;
        const auto r2 = std::from_chars(b, e, d);
        if (r2.ec == std::errc() && std::fabs(d) < 1) {
            Value = T(d);
            return TCell::Number;
        }
        return TCell::Range;
    }
    if (r.ec != std::errc())
        return TCell::Bad;
    return TCell::Number;
}

} // namespace

TCell ParseCell(std::string_view Cell, bool DecimalComma, float& Value) {
    return Parse(Cell, DecimalComma, Value);
}

TCell ParseCellDouble(std::string_view Cell, bool DecimalComma, double& Value) {
    return Parse(Cell, DecimalComma, Value);
}

std::vector<float> Spaced(int64_t Count, double Origin, double Spacing) {
    std::vector<float> v(size_t(std::max<int64_t>(Count, 0)));
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = float(Origin + double(i) * Spacing);
    return v;
}

void TransposeSurface(TQorImportResult& Result) {
    if (Result.Kind != TQorImportKind::Surface)
        return;
    const size_t nx = Result.X.size(), nz = Result.Z.size();
    TArrGLfloat t(nx * nz);
    // In blocks, so that both the rows read and the columns written stay in the cache.
    constexpr size_t block = 64;
    const float* from = Result.Values.data();
    float* to = t.data();
    QorParallel::For((nz + block - 1) / block, [&](size_t b) {
        const size_t k0 = b * block, k1 = std::min(nz, k0 + block);
        for (size_t i0 = 0; i0 < nx; i0 += block) {
            const size_t i1 = std::min(nx, i0 + block);
            for (size_t k = k0; k < k1; ++k)
                for (size_t i = i0; i < i1; ++i)
                    to[k + nz * i] = from[i + nx * k];
        }
    });
    Result.Values.swap(t);
    std::swap(Result.X, Result.Z);
    std::swap(Result.GivenX, Result.GivenZ);
    std::swap(Result.CaptionX, Result.CaptionZ);
}

void ApplyNoData(TQorImportResult& Result, const TQorImportOptions& Options) {
    if (!Options.NoData)
        return;
    const float nodata = float(*Options.NoData);
    float* v = Result.Values.data();
    const size_t n = Result.Values.size();
    const size_t pieces = n >= (size_t(1) << 22) ? 8 : 1;
    QorParallel::For(pieces, [&](size_t p) {
        const size_t b = n * p / pieces, e = n * (p + 1) / pieces;
        for (size_t t = b; t < e; ++t)
            if (v[t] == nodata)
                v[t] = std::numeric_limits<float>::quiet_NaN();
    });
}

std::string ShapeText(const std::vector<int64_t>& Shape) {
    std::string s;
    for (size_t d = 0; d < Shape.size(); ++d)
        s += (d > 0 ? " × " : "") + std::to_string(Shape[d]);
    return s;
}

} // namespace QorImport
