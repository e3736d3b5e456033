// Number tokens of the chart data text: a fast reader over a whole file and a line writer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A read-only view of a whole file, memory-mapped where possible.
class TQorFileView {
public:
    TQorFileView() = default;
    ~TQorFileView();
    TQorFileView(const TQorFileView&) = delete;
    TQorFileView& operator=(const TQorFileView&) = delete;

    // False when the file cannot be opened or read.
    bool Open(const std::string& fileName);
    std::string_view Text() const { return FText; }

private:
    void Close();
    void* FMap = nullptr;
    size_t FMapSize = 0;
    std::string FCopy;
    std::string_view FText;
};

// Reads whitespace-separated numbers: a token ends at the first character with a code
// of 32 or less. At the end of the text every further number reads as 0 without error;
// a token that is not a number is an error and stops the reader.
class TQorTokenReader {
public:
    explicit TQorTokenReader(std::string_view text) : FText(text) {}

    // A 32-bit decimal integer with optional sign, from at most 32 characters.
    bool ReadCount(int32_t& value);
    // Optional sign, digits, optional "." and digits, optional exponent; at most 64 characters.
    bool ReadValue(double& value);
    bool ReadValue(float& value);

    // The next line (without its CR LF), or false at the end.
    bool ReadLine(std::string_view& line);
    void SkipLine();

    bool AtEnd() const { return FPos >= FText.size(); }
    size_t Position() const { return FPos; }
    std::string_view Rest() const { return FText.substr(FPos); }

private:
    std::string_view NextToken();
    std::string_view FText;
    size_t FPos = 0;
};

// Checks the value grammar without converting.
bool IsDataValueToken(std::string_view token);

// The first line of length > 0 (a line of blanks counts), or an empty view when there is none.
std::string_view FirstNonEmptyLine(std::string_view text);

// Upper case with trailing blanks and TABs removed, as tag lines are compared.
std::string NormalizedTag(std::string_view line);

// Builds data text: numbers separated by TAB, lines ended by CR LF, no TAB at a line end.
class TQorDataTextWriter {
public:
    void WriteCount(int64_t value);
    // A stored 32-bit value is widened exactly and written in the general format with ".".
    void WriteValue(float value) { WriteValue(double(value)); }
    void WriteValue(double value);
    void WriteText(std::string_view text);
    void EndLine();

    std::string& Text() { return FText; }

private:
    void Separate();
    std::string FText;
    bool FLineStarted = false;
};
