// Number tokens of the chart data text: where the text comes from (a regular file read piece by
// piece, or text in memory), a token reader over any stretch of it, a fast count of the tokens
// of a stretch, and the number format of the writer.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The bytes of a data text. A file is read with pread, never mapped: a file that shrinks or
// changes while it is read then ends early or reads other bytes (the source notices and reports
// itself changed) instead of faulting the process.
class TQorTextSource {
public:
    TQorTextSource() = default;
    // Text in memory, borrowed: it must outlive the source.
    explicit TQorTextSource(std::string_view Text);
    ~TQorTextSource();
    TQorTextSource(const TQorTextSource&) = delete;
    TQorTextSource& operator=(const TQorTextSource&) = delete;

    // Opens a regular file. False, with the reason in Error, for a missing or unreadable file and
    // for anything that is not a regular file (a folder, a FIFO, a device), which could block
    // for ever or never end.
    bool Open(const std::string& FileName, std::string* Error = nullptr);

    // The size at opening; bytes a growing file gains later are not read.
    uint64_t Size() const { return FSize; }
    // Copies up to Count bytes from Offset (clipped to Size). Fewer bytes only when the file has
    // become shorter, which marks the source changed. Safe from several threads at once.
    size_t Read(uint64_t Offset, char* Buffer, size_t Count) const;
    // The bytes Begin ... End.
    std::string ReadString(uint64_t Begin, uint64_t End) const;
    // The whole text when it is in memory; null for a file.
    const char* Memory() const { return FMemory; }

    // True when a read came short or the file's size or time stamp differ from those at opening.
    bool Changed() const;
    void MarkChanged() const { FChanged = true; }

private:
    int FFd = -1;
    const char* FMemory = nullptr;
    uint64_t FSize = 0;
    int64_t FModified = 0;
    mutable std::atomic<bool> FChanged{false};
};

// The bytes Begin ... Size of Source. False, with Text empty and the reason in Error, when they
// do not fit into memory or the file changed while it was read.
bool ReadSourceText(const TQorTextSource& Source, uint64_t Begin, std::string& Text,
                    std::string* Error = nullptr);

// A whole regular file in memory (property files, small inputs).
class TQorFileView {
public:
    // False when the file cannot be read or is not a regular file (reason in Error).
    bool Open(const std::string& fileName, std::string* Error = nullptr);
    std::string_view Text() const { return FText; }

private:
    std::string FText;
};

// Reads whitespace-separated numbers: a token ends at the first character with a code of 32 or
// less. At the end of the stretch every further number reads as 0 without error; a token that
// is not a number is an error and stops the reader.
class TQorTokenReader {
public:
    explicit TQorTokenReader(std::string_view text);
    // The bytes Begin ... End of Source, read through a window of a few hundred KiB.
    TQorTokenReader(const TQorTextSource& Source, uint64_t Begin, uint64_t End);
    ~TQorTokenReader();
    TQorTokenReader(const TQorTokenReader&) = delete;
    TQorTokenReader& operator=(const TQorTokenReader&) = delete;

    // A 32-bit decimal integer with optional sign, from at most 32 characters.
    bool ReadCount(int32_t& value);
    // Optional sign, digits, optional "." and digits, optional exponent, at most 64 characters;
    // or one of the words the writer puts for values that are not finite ("INF", "-INF",
    // "NAN"), in any letter case.
    bool ReadValue(double& value);
    bool ReadValue(float& value);

    // The next line (without its CR LF), or false at the end. A line longer than the window of a
    // file is cut at the window's end.
    bool ReadLine(std::string_view& line);
    void SkipLine();
    // Passes over up to Count tokens without converting them; the number passed.
    uint64_t SkipTokens(uint64_t Count);

    bool AtEnd();
    // Offset in the source of the next byte.
    uint64_t Position() const;
    // Numbers that read as 0 because the stretch had ended.
    uint64_t MissingNumbers() const { return FMissing; }
    // Tokens taken so far (read or passed over).
    uint64_t Tokens() const { return FTokens; }
    // The token the last ReadCount or ReadValue took, for the message of a refused one: its
    // first bytes (valid until the next read) and its offset in the source.
    std::string_view LastToken() const { return FLastToken; }
    uint64_t LastTokenOffset() const { return FLastOffset; }

private:
    std::string_view NextToken();
    bool Refill(const char*& Keep);

    std::unique_ptr<TQorTextSource> FOwned;
    const TQorTextSource* FSource = nullptr;
    std::unique_ptr<char[]> FBuffer;
    const char* FBase = nullptr; // window start, at source offset FBaseOffset
    const char* FCur = nullptr;
    const char* FEnd = nullptr;
    uint64_t FBaseOffset = 0;
    uint64_t FNextRead = 0;
    uint64_t FStop = 0;
    uint64_t FMissing = 0;
    uint64_t FTokens = 0;
    std::string_view FLastToken;
    uint64_t FLastOffset = 0;
};

// Checks the plain number grammar without converting.
bool IsDataValueToken(std::string_view token);

// The tokens of the bytes Begin ... End of Source, and the offset of the first line there that
// begins with "[", or UINT64_MAX. AtLineStart tells whether Begin starts a line.
struct TQorTextScan {
    uint64_t Tokens = 0;
    uint64_t FirstBracketLine = UINT64_MAX;
};
TQorTextScan ScanText(const TQorTextSource& Source, uint64_t Begin, uint64_t End,
                      bool AtLineStart = true);

// The first line of length > 0 (a line of blanks counts), or an empty view when there is none.
std::string_view FirstNonEmptyLine(std::string_view text);

// The first line of length > 0 of Source as a tag line: at most MaxHead bytes of it, and the
// offset just after the file's first line (where the numbers of a tagged form begin). A line
// longer than MaxHead whose rest is not blank gets a head that matches no tag.
struct TQorTagLine {
    std::string Head;
    bool Found = false;
    uint64_t AfterFirstLine = 0;
};
TQorTagLine ReadTagLine(const TQorTextSource& Source);

// Upper case with trailing blanks and TABs removed, as tag lines are compared.
std::string NormalizedTag(std::string_view line);

// Writes Value as the data text writes numbers (general format, 15 significant digits, "." as
// separator, exponent as E with at least three digits, "INF", "-INF", "NAN"); Out needs 32
// bytes. Returns the end of what was written.
char* FormatDataNumber(char* Out, double Value);

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
