#include "QorDataText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr size_t MaxCountChars = 32;
constexpr size_t MaxValueChars = 64;
// Bytes a file reader holds at once; small next to any array worth reading in parallel.
constexpr size_t WindowSize = size_t(256) << 10;
// A token longer than this is no number; only this much of it is kept across windows.
constexpr size_t MaxKeptToken = 128;
constexpr size_t MaxTagHead = 256;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

size_t SkipDigits(std::string_view t, size_t i) {
    while (i < t.size() && IsDigit(t[i]))
        ++i;
    return i;
}

// Value for a token from_chars reports as out of range: overflow gives an infinity,
// underflow zero, as the C library would.
double OutOfRangeValue(std::string_view token) {
    const bool negative = !token.empty() && token.front() == '-';
    const size_t e = token.find_first_of("eE");
    const bool tinyExponent =
        e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-';
    const double magnitude = tinyExponent ? 0.0 : HUGE_VAL;
    return negative ? -magnitude : magnitude;
}

// Whether t is Word (in capitals) in any letter case.
bool IsWord(std::string_view t, std::string_view Word) {
    if (t.size() != Word.size())
        return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(t[i])) != Word[i])
            return false;
    return true;
}

// A plain number, or a word the writer puts for a value that is not finite (in any letter case:
// other programs write "inf" and "NaN"). The first character after the sign decides: from_chars
// alone would also take "infinity" and "nan(…)", and with that check it takes exactly the plain
// grammar (see IsDataValueToken).
bool ParseValue(std::string_view t, double& value) {
    if (t.size() > MaxValueChars || t.empty())
        return false;
    const char* p = t.data();
    const char* end = p + t.size();
    const char* body = *p == '+' || *p == '-' ? p + 1 : p;
    if (body == end)
        return false;
    if (!IsDigit(*body) && *body != '.') {
        if (IsWord(t, "INF") || IsWord(t, "-INF"))
            value = t.front() == '-' ? -HUGE_VAL : HUGE_VAL;
        else if (IsWord(t, "NAN"))
            value = std::nan("");
        else
            return false;
        return true;
    }
    const char* digits = *p == '+' ? p + 1 : p;
    double v = 0;
    const auto [stop, ec] = std::from_chars(digits, end, v);
    if (stop != end)
        return false;
    if (ec == std::errc::result_out_of_range)
        v = OutOfRangeValue(t);
    else if (ec != std::errc())
        return false;
    value = v;
    return true;
}

int64_t ModifiedTime(const struct stat& st) {
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

// ---- Sources ----------------------------------------------------------------------------------

TQorTextSource::TQorTextSource(std::string_view Text) : FMemory(Text.data()), FSize(Text.size()) {
    if (FMemory == nullptr)
        FMemory = "";
}

TQorTextSource::~TQorTextSource() {
    if (FFd >= 0)
        ::close(FFd);
}

bool TQorTextSource::Open(const std::string& FileName, std::string* Error) {
    const auto fail = [&](const std::string& Reason) {
        if (Error != nullptr)
            *Error = Reason;
        return false;
    };
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
    FMemory = nullptr;
    FSize = 0;
    FChanged = false;
    // A FIFO or a device is not even opened: opening may block or act on the device.
    if (struct stat named{}; ::stat(FileName.c_str(), &named) == 0 && !S_ISREG(named.st_mode))
        return fail(S_ISDIR(named.st_mode) ? "is a folder" : "is not a regular file");
    // Non-blocking all the same, for a FIFO put in the file's place meanwhile.
    const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return fail(std::strerror(errno));
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(fd);
        return fail(reason);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file");
    }
    FFd = fd;
    FSize = uint64_t(st.st_size);
    FModified = ModifiedTime(st);
    return true;
}

size_t TQorTextSource::Read(uint64_t Offset, char* Buffer, size_t Count) const {
    if (Offset >= FSize)
        return 0;
    Count = size_t(std::min<uint64_t>(Count, FSize - Offset));
    if (FMemory != nullptr) {
        std::memcpy(Buffer, FMemory + Offset, Count);
        return Count;
    }
    size_t done = 0;
    while (done < Count) {
        const ssize_t n = ::pread(FFd, Buffer + done, Count - done, off_t(Offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            MarkChanged();
            break;
        }
        done += size_t(n);
    }
    return done;
}

std::string TQorTextSource::ReadString(uint64_t Begin, uint64_t End) const {
    End = std::min(End, FSize);
    if (Begin >= End)
        return {};
    std::string text(size_t(End - Begin), '\0');
    text.resize(Read(Begin, text.data(), text.size()));
    return text;
}

bool TQorTextSource::Changed() const {
    if (FChanged)
        return true;
    if (FFd < 0)
        return false;
    struct stat st {};
    if (fstat(FFd, &st) != 0 || uint64_t(st.st_size) != FSize || ModifiedTime(st) != FModified)
        MarkChanged();
    return FChanged;
}

bool ReadSourceText(const TQorTextSource& Source, uint64_t Begin, std::string& Text,
                    std::string* Error) {
    Text.clear();
    try {
        Text = Source.ReadString(std::min(Begin, Source.Size()), Source.Size());
    } catch (const std::bad_alloc&) {
        if (Error != nullptr)
            *Error = "is too large";
        return false;
    }
    if (Source.Changed()) {
        Text.clear();
        if (Error != nullptr)
            *Error = "changed while it was read";
        return false;
    }
    return true;
}

bool TQorFileView::Open(const std::string& fileName, std::string* Error) {
    FText.clear();
    TQorTextSource source;
    return source.Open(fileName, Error) && ReadSourceText(source, 0, FText, Error);
}

// ---- Token reader -----------------------------------------------------------------------------

TQorTokenReader::TQorTokenReader(std::string_view text)
    : FOwned(std::make_unique<TQorTextSource>(text)), FSource(FOwned.get()) {
    FBase = FCur = FSource->Memory();
    FEnd = FBase + text.size();
    FNextRead = FStop = text.size();
}

TQorTokenReader::TQorTokenReader(const TQorTextSource& Source, uint64_t Begin, uint64_t End)
    : FSource(&Source) {
    End = std::min(End, Source.Size());
    Begin = std::min(Begin, End);
    FStop = End;
    FBaseOffset = Begin;
    if (const char* memory = Source.Memory()) {
        FBase = FCur = memory + Begin;
        FEnd = memory + End;
        FNextRead = End;
    } else {
        FBuffer = std::make_unique<char[]>(WindowSize);
        FBase = FCur = FEnd = FBuffer.get();
        FNextRead = Begin;
    }
}

TQorTokenReader::~TQorTokenReader() = default;

// Moves the bytes from Keep on to the front of the window and reads more after them; Keep then
// points at their new place. False when nothing more could be read.
bool TQorTokenReader::Refill(const char*& Keep) {
    if (FNextRead >= FStop || !FBuffer)
        return false;
    const size_t kept = size_t(FEnd - Keep);
    char* buffer = FBuffer.get();
    FBaseOffset += uint64_t(Keep - FBase);
    std::memmove(buffer, Keep, kept);
    const size_t want = size_t(std::min<uint64_t>(WindowSize - kept, FStop - FNextRead));
    const size_t got = FSource->Read(FNextRead, buffer + kept, want);
    FNextRead += got;
    if (got < want)
        FStop = FNextRead; // the file has become shorter: this is its end now
    FBase = buffer;
    FCur = buffer + (FCur - Keep);
    FEnd = buffer + kept + got;
    Keep = buffer;
    return got > 0;
}

std::string_view TQorTokenReader::NextToken() {
    for (;;) {
        while (FCur < FEnd && IsSpace(*FCur))
            ++FCur;
        if (FCur < FEnd)
            break;
        const char* keep = FEnd;
        if (!Refill(keep))
            return {};
    }
    const char* start = FCur;
    for (;;) {
        while (FCur < FEnd && !IsSpace(*FCur))
            ++FCur;
        if (FCur < FEnd || size_t(FCur - start) > MaxKeptToken || !Refill(start))
            break;
    }
    ++FTokens;
    FLastToken = {start, size_t(FCur - start)};
    FLastOffset = FBaseOffset + uint64_t(start - FBase);
    return FLastToken;
}

bool TQorTokenReader::ReadCount(int32_t& value) {
    std::string_view token = NextToken();
    if (token.empty()) {
        value = 0;
        ++FMissing;
        return true;
    }
    if (token.size() > MaxCountChars)
        return false;
    // One sign at most: from_chars would take the "-" of "+-5".
    if (token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && (token.front() == '-' || token.front() == '+'))
            return false;
    }
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
    if (ec != std::errc() || end != token.data() + token.size() || token.empty())
        return false;
    value = v;
    return true;
}

bool TQorTokenReader::ReadValue(double& value) {
    const std::string_view token = NextToken();
    if (token.empty()) {
        value = 0;
        ++FMissing;
        return true;
    }
    return ParseValue(token, value);
}

bool TQorTokenReader::ReadValue(float& value) {
    double d = 0;
    if (!ReadValue(d))
        return false;
    value = float(d);
    return true;
}

bool TQorTokenReader::ReadLine(std::string_view& line) {
    if (AtEnd())
        return false;
    const char* lf = static_cast<const char*>(std::memchr(FCur, '\n', size_t(FEnd - FCur)));
    if (lf == nullptr && FCur != FBase) {
        const char* keep = FCur;
        Refill(keep);
        lf = static_cast<const char*>(std::memchr(FCur, '\n', size_t(FEnd - FCur)));
    }
    const char* end = lf != nullptr ? lf : FEnd;
    line = std::string_view(FCur, size_t(end - FCur));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    FCur = lf != nullptr ? lf + 1 : end;
    return true;
}

void TQorTokenReader::SkipLine() {
    while (!AtEnd()) {
        const char* lf = static_cast<const char*>(std::memchr(FCur, '\n', size_t(FEnd - FCur)));
        if (lf != nullptr) {
            FCur = lf + 1;
            return;
        }
        FCur = FEnd;
    }
}

uint64_t TQorTokenReader::SkipTokens(uint64_t Count) {
    uint64_t done = 0;
    for (; done < Count; ++done) {
        while (!AtEnd() && IsSpace(*FCur))
            ++FCur;
        if (AtEnd())
            break;
        while (!AtEnd() && !IsSpace(*FCur))
            ++FCur;
    }
    FTokens += done;
    return done;
}

bool TQorTokenReader::AtEnd() {
    if (FCur < FEnd)
        return false;
    const char* keep = FEnd;
    return !Refill(keep);
}

uint64_t TQorTokenReader::Position() const {
    return FBaseOffset + uint64_t(FCur - FBase);
}

bool IsDataValueToken(std::string_view t) {
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    const size_t intStart = i;
    i = SkipDigits(t, i);
    size_t digits = i - intStart;
    if (i < t.size() && t[i] == '.') {
        const size_t fracStart = ++i;
        i = SkipDigits(t, i);
        digits += i - fracStart;
    }
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        const size_t expStart = i;
        i = SkipDigits(t, i);
        if (i == expStart)
            return false;
    }
    return i == t.size();
}

// ---- Scanning ---------------------------------------------------------------------------------

namespace {

#if defined(__SSE2__)
// Bits set in a 16-bit mask (SWAR: without -mpopcnt __builtin_popcount is a library call).
unsigned BitCount16(unsigned m) {
    m = m - ((m >> 1) & 0x5555u);
    m = (m & 0x3333u) + ((m >> 2) & 0x3333u);
    m = (m + (m >> 4)) & 0x0F0Fu;
    return (m + (m >> 8)) & 0x1Fu;
}
#endif

struct TScanState {
    bool InToken = false;
    bool AtLineStart = true;
};

void ScanBytes(const char* p, size_t n, uint64_t Offset, TScanState& s, TQorTextScan& r) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(32);
    const __m128i zero = _mm_setzero_si128();
    const __m128i lfs = _mm_set1_epi8('\n');
    const __m128i brackets = _mm_set1_epi8('[');
    unsigned inToken = s.InToken ? 1 : 0;
    unsigned lineStart = s.AtLineStart ? 1 : 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // Token bytes are above 32; as signed bytes those of 128 and above are negative.
        const unsigned m = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpgt_epi8(v, blank), _mm_cmplt_epi8(v, zero))));
        r.Tokens += BitCount16(m & ~((m << 1) | inToken) & 0xFFFFu);
        inToken = (m >> 15) & 1u;
        const unsigned lf = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lfs)));
        if (r.FirstBracketLine == UINT64_MAX) {
            const unsigned br = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, brackets)));
            const unsigned hit = br & ((lf << 1) | lineStart) & 0xFFFFu;
            if (hit != 0)
                r.FirstBracketLine = Offset + i + unsigned(__builtin_ctz(hit));
        }
        lineStart = (lf >> 15) & 1u;
    }
    s.InToken = inToken != 0;
    s.AtLineStart = lineStart != 0;
#endif
    for (; i < n; ++i) {
        const bool token = !IsSpace(p[i]);
        if (token && !s.InToken)
            ++r.Tokens;
        if (p[i] == '[' && s.AtLineStart && r.FirstBracketLine == UINT64_MAX)
            r.FirstBracketLine = Offset + i;
        s.InToken = token;
        s.AtLineStart = p[i] == '\n';
    }
}

} // namespace

TQorTextScan ScanText(const TQorTextSource& Source, uint64_t Begin, uint64_t End,
                      bool AtLineStart) {
    TQorTextScan result;
    TScanState state;
    state.AtLineStart = AtLineStart;
    End = std::min(End, Source.Size());
    if (const char* memory = Source.Memory()) {
        if (Begin < End)
            ScanBytes(memory + Begin, size_t(End - Begin), Begin, state, result);
        return result;
    }
    const std::unique_ptr<char[]> buffer = std::make_unique<char[]>(WindowSize);
    for (uint64_t at = Begin; at < End;) {
        const size_t got =
            Source.Read(at, buffer.get(), size_t(std::min<uint64_t>(WindowSize, End - at)));
        if (got == 0)
            break;
        ScanBytes(buffer.get(), got, at, state, result);
        at += got;
    }
    return result;
}

// ---- Lines and tags ---------------------------------------------------------------------------

std::string_view FirstNonEmptyLine(std::string_view text) {
    TQorTokenReader reader(text);
    std::string_view line;
    while (reader.ReadLine(line))
        if (!line.empty())
            return line;
    return {};
}

TQorTagLine ReadTagLine(const TQorTextSource& Source) {
    TQorTagLine tag;
    bool firstLine = true;
    std::string head;      // the line's first bytes
    uint64_t length = 0;   // the line's length so far
    bool blankRest = true; // nothing but blanks after the head
    bool lastCR = false;
    const auto endLine = [&](uint64_t After) {
        if (firstLine)
            tag.AfterFirstLine = After;
        firstLine = false;
        const uint64_t content = length - (lastCR ? 1 : 0);
        if (content == 0)
            return false;
        if (lastCR && head.size() == length)
            head.pop_back();
        tag.Found = true;
        tag.Head = blankRest ? head : head + '\x01';
        return true;
    };
    char buffer[4096];
    for (uint64_t at = 0; at < Source.Size();) {
        const size_t got = Source.Read(at, buffer, sizeof buffer);
        if (got == 0)
            break;
        for (size_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                if (endLine(at + i + 1))
                    return tag;
                head.clear();
                length = 0;
                blankRest = true;
                lastCR = false;
                continue;
            }
            if (head.size() < MaxTagHead)
                head.push_back(c);
            else if (c != ' ' && c != '\t' && c != '\r')
                blankRest = false;
            ++length;
            lastCR = c == '\r';
        }
        at += got;
    }
    if (length > 0 && endLine(Source.Size()))
        return tag;
    if (firstLine)
        tag.AfterFirstLine = Source.Size();
    return tag;
}

std::string NormalizedTag(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    std::string tag(line);
    for (char& c : tag)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return tag;
}

// ---- Writing ----------------------------------------------------------------------------------

char* FormatDataNumber(char* Out, double Value) {
    if (Value == 0) {
        *Out++ = '0';
        return Out;
    }
    if (!std::isfinite(Value)) {
        const char* word = std::isnan(Value) ? "NAN" : Value < 0 ? "-INF" : "INF";
        const size_t n = std::strlen(word);
        std::memcpy(Out, word, n);
        return Out + n;
    }
    // 15 significant digits as d.dddddddddddddde±XX, trailing zeros dropped. From the midpoint
    // below it, the largest doubles would round up past the double range and not read back:
    // they are written cut, as 1.79769313486231E308.
    double absolute = std::fabs(Value);
    if (absolute >= 1.797693134862315e308)
        absolute = 1.79769313486231e308;
    char buf[40];
    const std::to_chars_result r =
        std::to_chars(buf, buf + sizeof buf, absolute, std::chars_format::scientific, 14);
    char digits[15];
    digits[0] = buf[0];
    std::memcpy(digits + 1, buf + 2, 14);
    int count = 15;
    while (count > 1 && digits[count - 1] == '0')
        --count;
    // The exponent after "e" and its sign: two or three digits.
    int exp10 = 0;
    for (const char* e = buf + 18; e < r.ptr; ++e)
        exp10 = 10 * exp10 + (*e - '0');
    if (buf[17] == '-')
        exp10 = -exp10;
    const int point = exp10 + 1; // digits before the decimal point
    if (Value < 0)
        *Out++ = '-';
    if (point >= -3 && point <= 15) {
        if (point <= 0) {
            *Out++ = '0';
            *Out++ = '.';
            for (int z = 0; z < -point; ++z)
                *Out++ = '0';
            std::memcpy(Out, digits, size_t(count));
            return Out + count;
        }
        const int whole = std::min(point, count);
        std::memcpy(Out, digits, size_t(whole));
        Out += whole;
        for (int z = count; z < point; ++z)
            *Out++ = '0';
        if (count > point) {
            *Out++ = '.';
            std::memcpy(Out, digits + point, size_t(count - point));
            Out += count - point;
        }
        return Out;
    }
    *Out++ = digits[0];
    if (count > 1) {
        *Out++ = '.';
        std::memcpy(Out, digits + 1, size_t(count - 1));
        Out += count - 1;
    }
    *Out++ = 'E';
    if (exp10 < 0)
        *Out++ = '-';
    const int magnitude = std::abs(exp10);
    if (magnitude < 100)
        *Out++ = '0';
    if (magnitude < 10)
        *Out++ = '0';
    return std::to_chars(Out, Out + 8, magnitude).ptr;
}

void TQorDataTextWriter::Separate() {
    if (FLineStarted)
        FText.push_back('\t');
    FLineStarted = true;
}

void TQorDataTextWriter::WriteCount(int64_t value) {
    Separate();
    char buffer[24];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    FText.append(buffer, end);
}

void TQorDataTextWriter::WriteValue(double value) {
    Separate();
    char buffer[40];
    FText.append(buffer, FormatDataNumber(buffer, value));
}

void TQorDataTextWriter::WriteText(std::string_view text) {
    FText.append(text);
    FLineStarted = !text.empty() || FLineStarted;
}

void TQorDataTextWriter::EndLine() {
    FText.append("\r\n");
    FLineStarted = false;
}
