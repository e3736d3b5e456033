#include "QorPropText.h"

#include "QorNumText.h"

#include <QtGlobal>
#include <algorithm>
#include <charconv>
#include <limits>

namespace {

constexpr const char* FontMembers[] = {"Charset", "Color", "Height", "Name", "Pitch", "Size"};
constexpr const char* FontStyleKeys[] = {"StylefsBold", "StylefsItalic", "StylefsUnderline",
                                         "StylefsStrikeOut"};
constexpr TFontStyle FontStyleOrder[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};

bool SameUpper(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ua = static_cast<unsigned char>(a[i]);
        const auto ub = static_cast<unsigned char>(b[i]);
        if (std::toupper(ua) != std::toupper(ub))
            return false;
    }
    return true;
}

bool IsKeyLine(std::string_view line, std::string_view key) {
    return line.size() == key.size() + 2 && line.front() == '[' && line.back() == ']' &&
           SameUpper(line.substr(1, key.size()), key);
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

bool BoundPropertyText(std::string& Text, std::string_view Key) {
    if (Text.size() <= MaxPropertyTextChars)
        return false;
    size_t chars = 0;
    size_t cut = 0;
    for (; cut < Text.size(); ++cut) {
        // A byte 10xxxxxx continues a character; every other byte starts one.
        if ((static_cast<unsigned char>(Text[cut]) & 0xC0) != 0x80 &&
            chars++ == MaxPropertyTextChars)
            break;
    }
    if (cut == Text.size())
        return false;
    const size_t dropped = Text.size() - cut;
    Text.resize(cut);
    qWarning("%s%.*s: text longer than %zu characters, %zu bytes dropped",
             Key.empty() ? "a property" : "", int(Key.size()), Key.data(), MaxPropertyTextChars,
             dropped);
    return true;
}

bool ParseDecimalInt(std::string_view text, int& value) {
    text = TrimBlanks(text);
    // One sign at most: from_chars would take the "-" of "+-5".
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+'))
            return false;
    }
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return false;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

void TQorPropTextWriter::WriteLine(std::string_view line) {
    FText.append(line);
    FText.append("\r\n");
}

void TQorPropTextWriter::WriteString(const std::string& key, const std::string& value) {
    WriteLine("[" + key + "]");
    // A line break inside the value would end the value line early and shift every
    // following key, so it is written as a blank.
    std::string oneLine = value;
    std::replace(oneLine.begin(), oneLine.end(), '\r', ' ');
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    WriteLine(oneLine);
}

void TQorPropTextWriter::WriteBool(const std::string& key, bool value) {
    WriteString(key, value ? "TRUE" : "FALSE");
}

void TQorPropTextWriter::WriteInt(const std::string& key, int64_t value) {
    WriteString(key, std::to_string(value));
}

void TQorPropTextWriter::WriteDouble(const std::string& key, double value) {
    std::string text = FloatToTextG(value);
    SetDecSeparators(text, '.');
    WriteString(key, text);
}

void TQorPropTextWriter::WriteChar(const std::string& key, char value) {
    WriteString(key, std::string(1, value));
}

void TQorPropTextWriter::WriteFont(const std::string& key, const TFont& font) {
    WriteInt(key + FontMembers[0], font.Charset());
    WriteInt(key + FontMembers[1], font.Color());
    WriteInt(key + FontMembers[2], font.Height());
    WriteString(key + FontMembers[3], font.Name());
    WriteInt(key + FontMembers[4], font.Pitch());
    WriteInt(key + FontMembers[5], font.Size());
    for (size_t i = 0; i < 4; ++i)
        WriteBool(key + FontStyleKeys[i], font.Style().Contains(FontStyleOrder[i]));
}

namespace {

constexpr unsigned OffsetBits = 40;
constexpr uint64_t OffsetMask = (uint64_t(1) << OffsetBits) - 1;

uint64_t KeyHash(std::string_view key) {
    uint32_t h = 2166136261u;
    for (const char c : key) {
        h ^= uint32_t(std::toupper(static_cast<unsigned char>(c)));
        h *= 16777619u;
    }
    return uint64_t((h >> 24) ^ (h & 0xFFFFFFu)) & 0xFFFFFFu;
}

// The line that starts at Start, without its CR LF, and where the next line starts.
std::string_view LineAt(std::string_view text, size_t Start, size_t& Next) {
    size_t end = text.find('\n', Start);
    Next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos)
        end = text.size();
    std::string_view line = text.substr(Start, end - Start);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines)
        (text += l) += '\n';
    return text;
}

} // namespace

TQorPropTextReader::TQorPropTextReader(std::string_view text)
    : TQorPropTextReader(std::string(text), TOwned{}) {}

TQorPropTextReader::TQorPropTextReader(std::vector<std::string> lines)
    : TQorPropTextReader(JoinLines(lines), TOwned{}) {}

TQorPropTextReader::TQorPropTextReader(std::string Text, TOwned) : FOwned(std::move(Text)) {
    BuildIndex();
}

TQorPropTextReader::TQorPropTextReader(std::string_view Text, TBorrowed)
    : FView(Text), FBorrowed(true) {
    BuildIndex();
}

TQorPropTextReader TQorPropTextReader::Owning(std::string Text) {
    return TQorPropTextReader(std::move(Text), TOwned{});
}

TQorPropTextReader TQorPropTextReader::Borrowing(std::string_view Text) {
    return TQorPropTextReader(Text, TBorrowed{});
}

void TQorPropTextReader::BuildIndex() {
    const std::string_view text = Text();
    for (size_t start = 0; start < text.size() && start <= OffsetMask;) {
        size_t next = 0;
        const std::string_view line = LineAt(text, start, next);
        // Blank lines between the pairs are passed over; every other line is a key line (a
        // junk one too) and the line after it its value, whatever that reads: a caption
        // "[QorColorScale_FontName]" is no key.
        if (TrimBlanks(line).empty()) {
            start = next;
            continue;
        }
        // A key line needs a value line after it.
        if (next >= text.size())
            break;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
            FKeys.push_back(KeyHash(line.substr(1, line.size() - 2)) << OffsetBits | start);
        LineAt(text, next, start);
    }
    std::sort(FKeys.begin(), FKeys.end());
    FKeys.shrink_to_fit();
}

bool TQorPropTextReader::FindKey(const std::string& key, std::string& value) {
    const uint64_t hash = KeyHash(key);
    const std::string_view text = Text();
    auto it = std::lower_bound(FKeys.begin(), FKeys.end(), hash << OffsetBits | FPos);
    for (; it != FKeys.end() && (*it >> OffsetBits) == hash; ++it) {
        size_t next = 0;
        if (!IsKeyLine(LineAt(text, size_t(*it & OffsetMask), next), key))
            continue;
        value = std::string(LineAt(text, next, FPos));
        return true;
    }
    FPos = 0;
    return false;
}

size_t TQorPropTextReader::Position() const {
    const std::string_view text = Text();
    const size_t feeds =
        size_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(FPos), '\n'));
    // After a last line without a line feed.
    return feeds + (FPos > 0 && FPos == text.size() && text.back() != '\n' ? 1 : 0);
}

size_t TQorPropTextReader::LineCount() const {
    const std::string_view text = Text();
    const size_t feeds = size_t(std::count(text.begin(), text.end(), '\n'));
    return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

bool TQorPropTextReader::ReadBool(const std::string& key, bool current) {
    std::string v;
    if (!FindKey(key, v))
        return current;
    return SameUpper(v, "TRUE");
}

int TQorPropTextReader::ReadInt(const std::string& key, int current) {
    std::string v;
    int result = current;
    if (FindKey(key, v) && ParseDecimalInt(v, result))
        return result;
    return current;
}

double TQorPropTextReader::ReadDouble(const std::string& key, double current) {
    std::string v;
    if (!FindKey(key, v))
        return current;
    return TextToFloatDef(v, current);
}

char TQorPropTextReader::ReadChar(const std::string& key, char current) {
    std::string v;
    if (!FindKey(key, v) || v.empty())
        return current;
    return v.front();
}

std::string TQorPropTextReader::ReadString(const std::string& key, const std::string& current) {
    std::string v;
    if (!FindKey(key, v))
        return current;
    BoundPropertyText(v, key);
    return v;
}

void TQorPropTextReader::ReadFont(const std::string& key, TFont& font) {
    font.SetCharset(uint8_t(ReadInt(key + FontMembers[0], font.Charset())));
    font.SetColor(ReadInt(key + FontMembers[1], font.Color()));
    // Sizes and heights are brought into a sane range, their sign kept.
    font.SetHeight(std::clamp(ReadInt(key + FontMembers[2], font.Height()), -TFont::MaxHeight,
                              TFont::MaxHeight));
    font.SetName(ReadString(key + FontMembers[3], font.Name()));
    const int pitch = ReadInt(key + FontMembers[4], font.Pitch());
    if (pitch >= fpDefault && pitch <= fpFixed)
        font.SetPitch(TFontPitch(pitch));
    font.SetSize(
        std::clamp(ReadInt(key + FontMembers[5], font.Size()), -TFont::MaxSize, TFont::MaxSize));
    TFontStyles style;
    for (size_t i = 0; i < 4; ++i)
        if (ReadBool(key + FontStyleKeys[i], font.Style().Contains(FontStyleOrder[i])))
            style.Include(FontStyleOrder[i]);
    font.SetStyle(style);
}
