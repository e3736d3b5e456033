// NumPy arrays. Sections: the header; byte sources (file, memory, archive member); the elements;
// .npy; .npz.
//
// Sizes are checked before anything is allocated: the elements a header declares must be in
// the bytes that follow it (for an archive member: in its declared size, which the member's
// compressed size must be able to give) and fit into the memory. float32 data in the machine's
// byte order and C order are read straight into the result's array; everything else passes
// through a small buffer, converted piece by piece.
#include "QorImportNpy.h"

#include "QorFileInput.h"
#include "QorImportSupport.h"
#include "chart/Qor3DChartSizing.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

using namespace QorImport;

namespace {

// ---- Header ------------------------------------------------------------------------------------

constexpr size_t MaxHeaderBytes = size_t(1) << 20;
constexpr char Magic[] = "\x93NUMPY";

// A Python literal dictionary of the few forms a .npy header uses.
class TDictParser {
public:
    explicit TDictParser(std::string_view Text) : FText(Text) {}

    std::string Parse(TQorNpyHeader& H, std::string& Descr, bool& HasDescr, bool& HasShape) {
        Skip();
        if (!Take('{'))
            return "the header is not a dictionary";
        while (true) {
            Skip();
            if (Take('}'))
                return {};
            std::string key;
            if (!String(key))
                return "the header's keys are not text";
            Skip();
            if (!Take(':'))
                return "the header lacks a ':' after '" + key + "'";
            Skip();
            if (key == "descr") {
                if (!String(Descr))
                    return "structured arrays (a list of fields as 'descr') cannot be shown";
                HasDescr = true;
            } else if (key == "fortran_order") {
                if (Word("True"))
                    H.Fortran = true;
                else if (Word("False"))
                    H.Fortran = false;
                else
                    return "'fortran_order' is neither True nor False";
            } else if (key == "shape") {
                if (!Tuple(H.Shape))
                    return "'shape' is not a tuple of whole numbers";
                HasShape = true;
            } else {
                return "the header holds an unknown key '" + key + "'";
            }
            Skip();
            if (Take(','))
                continue;
            Skip();
            if (Take('}'))
                return {};
            return "the header dictionary is not closed";
        }
    }

private:
    void Skip() {
        while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t' ||
                                       FText[FPos] == '\n' || FText[FPos] == '\r'))
            ++FPos;
    }
    bool Take(char c) {
        if (FPos < FText.size() && FText[FPos] == c) {
            ++FPos;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (FText.substr(FPos, w.size()) != w)
            return false;
        FPos += w.size();
        return true;
    }
    bool String(std::string& s) {
        if (FPos >= FText.size() || (FText[FPos] != '\'' && FText[FPos] != '"'))
            return false;
        const char quote = FText[FPos++];
        const size_t end = FText.find(quote, FPos);
        if (end == std::string_view::npos || end - FPos > 64)
            return false;
        s = std::string(FText.substr(FPos, end - FPos));
        FPos = end + 1;
        return true;
    }
    bool Tuple(std::vector<int64_t>& v) {
        if (!Take('('))
            return false;
        while (true) {
            Skip();
            if (Take(')'))
                return true;
            if (v.size() >= 32)
                return false;
            int64_t n = 0;
            size_t digits = 0;
            while (FPos < FText.size() && FText[FPos] >= '0' && FText[FPos] <= '9') {
                if (n > (std::numeric_limits<int64_t>::max() - 9) / 10)
                    return false;
                n = n * 10 + (FText[FPos++] - '0');
                ++digits;
            }
            if (digits == 0)
                return false;
            Take('L'); // written by Python 2
            v.push_back(n);
            Skip();
            if (Take(','))
                continue;
            Skip();
            return Take(')');
        }
    }

    std::string_view FText;
    size_t FPos = 0;
};

// Bytes before the dictionary and the dictionary's length; 0 when Bytes are too short to say.
bool Preamble(std::string_view Bytes, size_t& Start, size_t& Length, std::string& Error) {
    if (Bytes.size() < 10 || Bytes.substr(0, 6) != std::string_view(Magic, 6)) {
        Error = "not a NumPy array (.npy) file";
        return false;
    }
    const auto u8 = [&](size_t i) {
        return uint64_t(static_cast<unsigned char>(Bytes[i]));
    };
    const int major = int(u8(6));
    if (major == 1) {
        Start = 10;
        Length = size_t(u8(8) | u8(9) << 8);
    } else if (major == 2 || major == 3) {
        if (Bytes.size() < 12) {
            Error = "the header is cut off";
            return false;
        }
        Start = 12;
        const uint64_t l = u8(8) | u8(9) << 8 | u8(10) << 16 | u8(11) << 24;
        if (l > MaxHeaderBytes) {
            Error = "the header claims " + std::to_string(l) + " bytes";
            return false;
        }
        Length = size_t(l);
    } else {
        Error = "version " + std::to_string(major) + " of the .npy form is not known";
        return false;
    }
    return true;
}

std::string ElementWord(int64_t Dimensions) {
    return Dimensions == 2 ? "heights" : "values";
}

// ---- Byte sources ------------------------------------------------------------------------------

// Bytes read one after another from where the header ended.
class TByteSource {
public:
    virtual ~TByteSource() = default;
    // Up to Count bytes; fewer only at the end (or on a read error).
    virtual size_t Read(char* Buffer, size_t Count) = 0;
};

class TFileSource : public TByteSource {
public:
    TFileSource(int Fd, uint64_t Offset) : FFd(Fd), FOffset(Offset) {}
    size_t Read(char* Buffer, size_t Count) override {
        const size_t done = QorImport::ReadAt(FFd, Buffer, Count, FOffset);
        FOffset += done;
        return done;
    }

private:
    int FFd;
    uint64_t FOffset;
};

class TMemorySource : public TByteSource {
public:
    explicit TMemorySource(std::string_view Bytes) : FBytes(Bytes) {}
    size_t Read(char* Buffer, size_t Count) override {
        const size_t n = std::min(Count, FBytes.size());
        std::memcpy(Buffer, FBytes.data(), n);
        FBytes.remove_prefix(n);
        return n;
    }

private:
    std::string_view FBytes;
};

class TZipSource : public TByteSource {
public:
    explicit TZipSource(zip_file_t* File) : FFile(File) {}
    size_t Read(char* Buffer, size_t Count) override {
        size_t done = 0;
        while (done < Count) {
            const zip_int64_t n = zip_fread(FFile, Buffer + done, zip_uint64_t(Count - done));
            if (n <= 0)
                break;
            done += size_t(n);
        }
        return done;
    }

private:
    zip_file_t* FFile;
};

// The header from a source: the preamble, then the dictionary.
std::string ReadHeader(TByteSource& Source, TQorNpyHeader& H) {
    std::string bytes(12, '\0');
    bytes.resize(Source.Read(bytes.data(), 10));
    size_t start = 0, length = 0;
    std::string error;
    if (bytes.size() >= 8 && bytes[6] != 1 && bytes.size() == 10) {
        bytes.resize(12);
        bytes.resize(10 + Source.Read(bytes.data() + 10, 2));
    }
    if (!Preamble(bytes, start, length, error))
        return error;
    const size_t have = bytes.size();
    bytes.resize(start + length);
    if (Source.Read(bytes.data() + have, start + length - have) != start + length - have)
        return "the header is cut off";
    return ParseNpyHeader(bytes, H);
}

// ---- Elements ----------------------------------------------------------------------------------

float HalfToFloat(uint16_t h) {
    const uint32_t sign = uint32_t(h >> 15) << 31;
    const int exp = (h >> 10) & 0x1F;
    const uint32_t mant = h & 0x3FF;
    if (exp == 0)
        return std::bit_cast<float>(sign) + (sign ? -1.0f : 1.0f) * std::ldexp(float(mant), -24);
    if (exp == 31)
        return std::bit_cast<float>(sign | 0x7F800000u | (mant << 13));
    return std::bit_cast<float>(sign | uint32_t(exp - 15 + 127) << 23 | mant << 13);
}

template <typename U> U Load(const char* p, bool Swap) {
    U u;
    std::memcpy(&u, p, sizeof u);
    if (Swap && sizeof u > 1) {
        unsigned char b[sizeof u];
        std::memcpy(b, &u, sizeof u);
        std::reverse(b, b + sizeof u);
        std::memcpy(&u, b, sizeof u);
    }
    return u;
}

// Count elements of the header's type at Src into floats.
void Convert(const TQorNpyHeader& H, const char* Src, size_t Count, float* Out) {
    const bool swap = H.BigEndian != (std::endian::native == std::endian::big);
    const size_t s = size_t(H.ItemSize);
    for (size_t n = 0; n < Count; ++n) {
        const char* p = Src + n * s;
        float v = 0;
        switch (H.Kind) {
        case 'b':
        case 'u':
            v = s == 1   ? float(Load<uint8_t>(p, swap))
                : s == 2 ? float(Load<uint16_t>(p, swap))
                : s == 4 ? float(Load<uint32_t>(p, swap))
                         : float(Load<uint64_t>(p, swap));
            break;
        case 'i':
            v = s == 1   ? float(Load<int8_t>(p, swap))
                : s == 2 ? float(Load<int16_t>(p, swap))
                : s == 4 ? float(Load<int32_t>(p, swap))
                         : float(Load<int64_t>(p, swap));
            break;
        default:
            v = s == 2   ? HalfToFloat(Load<uint16_t>(p, swap))
                : s == 4 ? std::bit_cast<float>(Load<uint32_t>(p, swap))
                         : float(std::bit_cast<double>(Load<uint64_t>(p, swap)));
            break;
        }
        Out[n] = v;
    }
}

// Reads the elements into R (sized and shaped by the caller). False when the source ends early.
bool ReadElements(const TQorNpyHeader& H, TByteSource& Source, TQorImportResult& R) {
    const size_t count = R.Values.size();
    float* out = R.Values.data();
    const bool native = H.Kind == 'f' && H.ItemSize == 4 &&
                        H.BigEndian == (std::endian::native == std::endian::big);
    if (native && (!H.Fortran || H.Shape.size() < 2))
        return Source.Read(reinterpret_cast<char*>(out), count * 4) == count * 4;
    // The destination of element t of the file: C order keeps it; Fortran order runs the first
    // index fastest, so the counters walk k (then j) fastest.
    const size_t ni = size_t(H.Shape.back());
    const size_t nk = size_t(H.Shape.front());
    const size_t nj = H.Shape.size() == 3 ? size_t(H.Shape[1]) : 1;
    size_t i = 0, j = 0, k = 0;
    constexpr size_t Chunk = 1 << 16;
    std::unique_ptr<char[]> raw(new char[Chunk * size_t(H.ItemSize)]);
    std::unique_ptr<float[]> floats(new float[Chunk]);
    for (size_t t = 0; t < count; t += Chunk) {
        const size_t n = std::min(Chunk, count - t);
        const size_t bytes = n * size_t(H.ItemSize);
        if (Source.Read(raw.get(), bytes) != bytes)
            return false;
        if (!H.Fortran) {
            Convert(H, raw.get(), n, out + t);
            continue;
        }
        Convert(H, raw.get(), n, floats.get());
        for (size_t m = 0; m < n; ++m) {
            out[i + ni * (j + nj * k)] = floats[m];
            if (++k < nk)
                continue;
            k = 0;
            if (++j < nj)
                continue;
            j = 0;
            ++i;
        }
    }
    return true;
}

// Shapes R from the header, checks the sizes against Available bytes and the memory, reads.
void ReadArray(const TQorNpyHeader& H, TByteSource& Source, uint64_t Available,
               const TQorImportOptions& Options, TQorImportResult& R, const std::string& Variable) {
    const size_t dims = H.Shape.size();
    if (dims != 2 && dims != 3)
        return R.Fail("a " + std::to_string(dims) + "-dimensional array (" +
                          (dims == 0 ? std::string("a single value") : ShapeText(H.Shape)) +
                          ") is no grid: a surface needs 2 dimensions, a volume 3",
                      0, 0, Variable);
    uint64_t count = 1;
    for (const int64_t d : H.Shape) {
        if (d > INT32_MAX)
            return R.Fail("a dimension of " + std::to_string(d) + " is too large for a chart", 0, 0,
                          Variable);
        if (d == 0)
            return R.Fail("the array (" + ShapeText(H.Shape) + ") holds no values", 0, 0, Variable);
        if (count > std::numeric_limits<uint64_t>::max() / uint64_t(d))
            count = std::numeric_limits<uint64_t>::max();
        else
            count *= uint64_t(d);
    }
    const uint64_t found = Available / uint64_t(H.ItemSize);
    if (count > found)
        return R.Fail("expected " + ShapeText(H.Shape) + " = " + std::to_string(count) + " " +
                          ElementWord(int64_t(dims)) + ", found " + std::to_string(found),
                      0, 0, Variable);
    if (!QorSizing::FitsInMemory(int64_t(count), sizeof(float), QorSizing::PhysicalMemory()))
        return R.Fail("the array does not fit into memory", 0, 0, Variable);
    try {
        R.Values.resize(size_t(count));
    } catch (const std::bad_alloc&) {
        return R.Fail("the array does not fit into memory", 0, 0, Variable);
    }
    if (!ReadElements(H, Source, R))
        return R.Fail("the file ends inside the array's values", 0, 0, Variable);
    const int64_t nx = H.Shape.back(), nz = H.Shape.front();
    R.X = Spaced(nx, Options.X0.value_or(0), Options.DX.value_or(1));
    R.Z = Spaced(nz, Options.Z0.value_or(0), Options.DZ.value_or(1));
    if (dims == 3)
        R.Y = Spaced(H.Shape[1], Options.Y0.value_or(0), Options.DY.value_or(1));
    R.Kind = dims == 3 ? TQorImportKind::Volume : TQorImportKind::Surface;
    ApplyNoData(R, Options);
    if (Options.Transpose)
        TransposeSurface(R);
}

// ---- .npz --------------------------------------------------------------------------------------

struct TZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct TZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using TZip = std::unique_ptr<zip_t, TZipCloser>;
using TZipFile = std::unique_ptr<zip_file_t, TZipFileCloser>;

struct TMember {
    zip_uint64_t Index;
    std::string Name; // without ".npy"
};

std::vector<TMember> Members(zip_t* Zip) {
    std::vector<TMember> m;
    const zip_int64_t n = zip_get_num_entries(Zip, 0);
    for (zip_int64_t e = 0; e < n; ++e) {
        const char* name = zip_get_name(Zip, zip_uint64_t(e), 0);
        if (name == nullptr)
            continue;
        std::string s(name);
        if (s.size() > 4 && s.compare(s.size() - 4, 4, ".npy") == 0)
            m.push_back({zip_uint64_t(e), s.substr(0, s.size() - 4)});
    }
    return m;
}

// Opens a member and reads its header; the bytes left for the elements in Available.
std::string OpenMember(zip_t* Zip, const TMember& M, TZipFile& File, TQorNpyHeader& H,
                       uint64_t& Available) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(Zip, M.Index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return "the archive member cannot be read";
    // Deflate shrinks by at most about 1032 : 1, so a larger declared size is a lie.
    if ((st.valid & ZIP_STAT_COMP_SIZE) && st.comp_method != ZIP_CM_STORE &&
        st.size / 1100 > st.comp_size + 1024)
        return "the archive member claims " + std::to_string(st.size) +
               " bytes, more than its compressed " + std::to_string(st.comp_size) + " can hold";
    if ((st.valid & ZIP_STAT_COMP_SIZE) && st.comp_method == ZIP_CM_STORE && st.size > st.comp_size)
        return "the archive member claims more bytes than it holds";
    File.reset(zip_fopen_index(Zip, M.Index, 0));
    if (!File)
        return std::string("the archive member cannot be opened: ") + zip_strerror(Zip);
    TZipSource source(File.get());
    if (std::string e = ReadHeader(source, H); !e.empty())
        return e;
    Available = st.size > H.DataOffset ? st.size - H.DataOffset : 0;
    return {};
}

TQorImportResult ReadNpz(zip_t* Zip, const TQorImportOptions& Options, const std::string& Name) {
    TQorImportResult r;
    r.Error.File = Name;
    const std::vector<TMember> members = Members(Zip);
    if (members.empty()) {
        r.Fail("the archive holds no arrays (.npy members)");
        return r;
    }
    const TMember* chosen = nullptr;
    if (!Options.ArrayName.empty()) {
        for (const TMember& m : members)
            if (m.Name == Options.ArrayName || m.Name + ".npy" == Options.ArrayName)
                chosen = &m;
    } else if (members.size() == 1) {
        chosen = &members.front();
    }
    if (chosen == nullptr) {
        std::string list;
        for (const TMember& m : members) {
            TQorImportArrayInfo info;
            info.Name = m.Name;
            info.DType = "?";
            TZipFile file;
            TQorNpyHeader h;
            uint64_t available = 0;
            if (OpenMember(Zip, m, file, h, available).empty()) {
                info.Shape = h.Shape;
                info.DType = h.DType();
            }
            list += (list.empty() ? "" : "; ") + info.Text();
            r.Choices.push_back(std::move(info));
        }
        std::vector<TQorImportArrayInfo> choices = std::move(r.Choices);
        if (!Options.ArrayName.empty())
            r.Fail("the archive holds no array '" + Options.ArrayName + "'; it holds " + list);
        else
            r.Fail("the archive holds " + std::to_string(members.size()) +
                   " arrays; choose one with --array NAME: " + list);
        r.Choices = std::move(choices);
        return r;
    }
    TZipFile file;
    TQorNpyHeader h;
    uint64_t available = 0;
    if (std::string e = OpenMember(Zip, *chosen, file, h, available); !e.empty()) {
        r.Fail(e, 0, 0, chosen->Name);
        return r;
    }
    TZipSource source(file.get());
    ReadArray(h, source, available, Options, r, chosen->Name);
    return r;
}

TZip OpenZipBytes(std::string_view Bytes, std::string& Error) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(Bytes.data(), Bytes.size(), 0, &err);
    zip_t* z = src != nullptr ? zip_open_from_source(src, ZIP_RDONLY, &err) : nullptr;
    if (z == nullptr) {
        Error = zip_error_strerror(&err);
        if (src != nullptr)
            zip_source_free(src);
    }
    zip_error_fini(&err);
    return TZip(z);
}

TZip OpenZipFile(const std::string& FileName, std::string& Error) {
    const int fd = ::OpenRegularFile(FileName, Error);
    if (fd < 0)
        return TZip(nullptr);
    int code = 0;
    // The archive takes the descriptor over when it opens (read-only), not when it fails.
    zip_t* z = zip_fdopen(fd, 0, &code);
    if (z == nullptr) {
        ::close(fd);
        zip_error_t err;
        zip_error_init_with_code(&err, code);
        Error = zip_error_strerror(&err);
        zip_error_fini(&err);
    }
    return TZip(z);
}

} // namespace

std::string TQorNpyHeader::DType() const {
    switch (Kind) {
    case 'b':
        return "bool";
    case 'i':
        return "int" + std::to_string(ItemSize * 8);
    case 'u':
        return "uint" + std::to_string(ItemSize * 8);
    case 'f':
        return "float" + std::to_string(ItemSize * 8);
    default:
        return "?";
    }
}

std::string ParseNpyHeader(std::string_view Bytes, TQorNpyHeader& H) {
    size_t start = 0, length = 0;
    std::string error;
    if (!Preamble(Bytes, start, length, error))
        return error;
    if (Bytes.size() < start + length)
        return "the header is cut off";
    std::string descr;
    bool hasDescr = false, hasShape = false;
    H = {};
    if (std::string e =
            TDictParser(Bytes.substr(start, length)).Parse(H, descr, hasDescr, hasShape);
        !e.empty())
        return e;
    if (!hasDescr || !hasShape)
        return "the header lacks 'descr' or 'shape'";
    H.DataOffset = start + length;
    std::string_view d = descr;
    char order = '=';
    if (!d.empty() && (d[0] == '<' || d[0] == '>' || d[0] == '|' || d[0] == '=')) {
        order = d[0];
        d.remove_prefix(1);
    }
    if (d.size() < 2)
        return "the type '" + descr + "' is not known";
    H.Kind = d[0];
    const std::string_view size = d.substr(1);
    H.ItemSize = size == "1" ? 1 : size == "2" ? 2 : size == "4" ? 4 : size == "8" ? 8 : 0;
    const bool ok = (H.Kind == 'i' || H.Kind == 'u') ? H.ItemSize != 0
                    : H.Kind == 'f'                  ? H.ItemSize >= 2
                    : H.Kind == 'b'                  ? H.ItemSize == 1
                                                     : false;
    if (!ok)
        return "the element type '" + descr +
               "' cannot be shown (whole numbers, floating-point "
               "numbers and booleans can)";
    H.BigEndian = order == '>' || (order != '<' && std::endian::native == std::endian::big);
    return {};
}

bool LooksLikeNpy(std::string_view Head) {
    return Head.size() >= 6 && Head.substr(0, 6) == std::string_view(Magic, 6);
}

bool LooksLikeZip(std::string_view Head) {
    return Head.size() >= 4 && (Head.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
                                Head.substr(0, 4) == std::string_view("PK\x05\x06", 4));
}

TQorImportResult ReadNpyBytes(std::string_view Bytes, const TQorImportOptions& Options,
                              const std::string& Name) {
    TQorImportResult r;
    r.Error.File = Name;
    TQorNpyHeader h;
    TMemorySource source(Bytes);
    if (std::string e = ReadHeader(source, h); !e.empty()) {
        r.Fail(e);
        return r;
    }
    ReadArray(h, source, Bytes.size() - std::min<uint64_t>(Bytes.size(), h.DataOffset), Options, r,
              {});
    return r;
}

TQorImportResult ReadNpyFile(const std::string& FileName, const TQorImportOptions& Options) {
    TQorImportResult r;
    r.Error.File = BaseName(FileName);
    struct stat st {};
    std::string error;
    const int fd = OpenRegularFile(FileName, st, error);
    if (fd < 0) {
        r.Fail(error);
        return r;
    }
    TFileSource source(fd, 0);
    TQorNpyHeader h;
    if (std::string e = ReadHeader(source, h); !e.empty()) {
        r.Fail(e);
    } else {
        const uint64_t size = uint64_t(st.st_size);
        ReadArray(h, source, size > h.DataOffset ? size - h.DataOffset : 0, Options, r, {});
    }
    ::close(fd);
    return r;
}

TQorImportResult ReadNpzBytes(std::string_view Bytes, const TQorImportOptions& Options,
                              const std::string& Name) {
    std::string error;
    TZip zip = OpenZipBytes(Bytes, error);
    if (!zip) {
        TQorImportResult r;
        r.Error.File = Name;
        r.Fail("not a readable .npz archive: " + error);
        return r;
    }
    return ReadNpz(zip.get(), Options, Name);
}

TQorImportResult ReadNpzFile(const std::string& FileName, const TQorImportOptions& Options) {
    std::string error;
    TZip zip = OpenZipFile(FileName, error);
    if (!zip) {
        TQorImportResult r;
        r.Error.File = BaseName(FileName);
        r.Fail("not a readable .npz archive: " + error);
        return r;
    }
    return ReadNpz(zip.get(), Options, BaseName(FileName));
}

bool ListNpzArrays(const std::string& FileName, std::vector<TQorImportArrayInfo>& Arrays,
                   std::string& Error) {
    Arrays.clear();
    TZip zip = OpenZipFile(FileName, Error);
    if (!zip)
        return false;
    for (const TMember& m : Members(zip.get())) {
        TQorImportArrayInfo info;
        info.Name = m.Name;
        info.DType = "?";
        TZipFile file;
        TQorNpyHeader h;
        uint64_t available = 0;
        if (OpenMember(zip.get(), m, file, h, available).empty()) {
            info.Shape = h.Shape;
            info.DType = h.DType();
        }
        Arrays.push_back(std::move(info));
    }
    return true;
}
