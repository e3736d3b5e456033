#include "QorDataText.h"

#include "QorNumText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t MaxCountChars = 32;
constexpr size_t MaxValueChars = 64;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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

} // namespace

TQorFileView::~TQorFileView() {
    Close();
}

void TQorFileView::Close() {
    if (FMap != nullptr)
        munmap(FMap, FMapSize);
    FMap = nullptr;
    FMapSize = 0;
    FCopy.clear();
    FText = {};
}

bool TQorFileView::Open(const std::string& fileName) {
    Close();
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const bool regular = S_ISREG(st.st_mode);
    if (regular && st.st_size > 0) {
        void* map = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            ::close(fd);
            FMap = map;
            FMapSize = size_t(st.st_size);
            FText = std::string_view(static_cast<const char*>(map), FMapSize);
            return true;
        }
    }
    ::close(fd);
    if (regular && st.st_size == 0)
        return true;
    // Pipes and other files that cannot be mapped are read whole.
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return false;
    FCopy = buffer.str();
    FText = FCopy;
    return true;
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

std::string_view TQorTokenReader::NextToken() {
    const size_t n = FText.size();
    while (FPos < n && static_cast<unsigned char>(FText[FPos]) <= 32)
        ++FPos;
    const size_t start = FPos;
    while (FPos<n&& static_cast<unsigned char>(FText[FPos])> 32)
        ++FPos;
    return FText.substr(start, FPos - start);
}

bool TQorTokenReader::ReadCount(int32_t& value) {
    std::string_view token = NextToken();
    if (token.empty()) {
        value = 0;
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
    std::string_view token = NextToken();
    if (token.empty()) {
        value = 0;
        return true;
    }
    if (token.size() > MaxValueChars || !IsDataValueToken(token))
        return false;
    const std::string_view digits = token.front() == '+' ? token.substr(1) : token;
    double v = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec == std::errc::result_out_of_range)
        v = OutOfRangeValue(token);
    else if (ec != std::errc() || end != digits.data() + digits.size())
        return false;
    value = v;
    return true;
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
    size_t end = FText.find('\n', FPos);
    if (end == std::string_view::npos)
        end = FText.size();
    line = FText.substr(FPos, end - FPos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    FPos = end < FText.size() ? end + 1 : end;
    return true;
}

void TQorTokenReader::SkipLine() {
    std::string_view ignored;
    ReadLine(ignored);
}

std::string_view FirstNonEmptyLine(std::string_view text) {
    TQorTokenReader reader(text);
    std::string_view line;
    while (reader.ReadLine(line))
        if (!line.empty())
            return line;
    return {};
}

std::string NormalizedTag(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    std::string tag(line);
    for (char& c : tag)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return tag;
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
    std::string text = FloatToTextG(value);
    SetDecSeparators(text, '.');
    FText.append(text);
}

void TQorDataTextWriter::WriteText(std::string_view text) {
    FText.append(text);
    FLineStarted = !text.empty() || FLineStarted;
}

void TQorDataTextWriter::EndLine() {
    FText.append("\r\n");
    FLineStarted = false;
}
