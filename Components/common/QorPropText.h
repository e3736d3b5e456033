// The two-line property text format: a line "[key]" followed by one value line.
#pragma once

#include "UQorTypes.h"

#include <string>
#include <string_view>
#include <vector>

// Builds a property block; lines end with CR LF.
class TQorPropTextWriter {
public:
    void WriteString(const std::string& key, const std::string& value);
    void WriteBool(const std::string& key, bool value);
    void WriteInt(const std::string& key, int64_t value);
    void WriteDouble(const std::string& key, double value);
    void WriteChar(const std::string& key, char value);
    // The font members follow the key: Charset, Color, Height, Name, Pitch, Size, the four styles.
    void WriteFont(const std::string& key, const TFont& font);

    const std::string& Text() const { return FText; }

private:
    void WriteLine(std::string_view line);
    std::string FText;
};

// Reads properties from a block of lines. Keys are searched from the current position on;
// a key not found before the end counts as missing and rewinds to the start, so keys are
// found reliably in the order they were written. The block is read in pairs from its first
// line: a key line "[...]" and its value line, blank lines between pairs passed over. A value
// line is never a key, so a caption reading "[key]" stays a caption; a junk line where a key
// belongs takes the line after it as its value. The text is kept once with an index of its key
// lines (8 bytes each), so a huge or hostile block costs memory in proportion to its size and
// a search costs a lookup, not a pass over the block. Strings (and font names) are cut to
// MaxPropertyTextChars characters.
class TQorPropTextReader {
public:
    explicit TQorPropTextReader(std::string_view text);
    explicit TQorPropTextReader(std::vector<std::string> lines);
    // A reader that takes over Text instead of copying it.
    static TQorPropTextReader Owning(std::string Text);
    // A reader over Text without a copy; Text must outlive the reader.
    static TQorPropTextReader Borrowing(std::string_view Text);

    // True and the value line when "[key]" (compared in upper case) is found.
    bool FindKey(const std::string& key, std::string& value);

    bool ReadBool(const std::string& key, bool current);
    int ReadInt(const std::string& key, int current);
    double ReadDouble(const std::string& key, double current);
    char ReadChar(const std::string& key, char current);
    std::string ReadString(const std::string& key, const std::string& current);
    // Applies charset, colour, height, name, pitch and size in that order, then the styles.
    void ReadFont(const std::string& key, TFont& font);

    // The current position and the length of the block in lines.
    size_t Position() const;
    size_t LineCount() const;

private:
    struct TOwned {};
    struct TBorrowed {};
    TQorPropTextReader(std::string Text, TOwned);
    TQorPropTextReader(std::string_view Text, TBorrowed);
    void BuildIndex();

    std::string_view Text() const { return FBorrowed ? FView : std::string_view(FOwned); }

    std::string FOwned;
    std::string_view FView;
    bool FBorrowed = false;
    // Per key line with a value line after it: the hash of its upper-case key in the high 24
    // bits, its offset in the low 40; sorted, so the lines of one key follow in text order.
    std::vector<uint64_t> FKeys;
    size_t FPos = 0; // byte offset of the next line to search
};

// The most characters a string property (a caption, a font name) keeps when it is read from a
// property block, a binary record or a store.
constexpr size_t MaxPropertyTextChars = 4096;

// Cuts Text to MaxPropertyTextChars UTF-8 characters (never inside one) and warns on stderr,
// naming Key, when something was dropped. True when Text was cut.
bool BoundPropertyText(std::string& Text, std::string_view Key);

// Splits a text at LF, dropping a CR before it.
std::vector<std::string> SplitTextLines(std::string_view text);

// Decimal integer with optional sign and surrounding blanks; false when anything else is there
// or the number does not fit.
bool ParseDecimalInt(std::string_view text, int& value);
