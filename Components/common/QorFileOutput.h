// Writing a file without ever leaving a half-written one where a good one was.
#pragma once

#include <string>
#include <string_view>

// A regular file (or a new one) is written to a temporary file in the same folder that replaces
// the target only when every byte was written. An existing target that is not a regular file
// (/dev/null, a terminal, a FIFO) is written in place, as cp does, and never replaced; a folder
// is refused. A symbolic link is followed to the file it names, which is then written as above
// in its own folder, so the link stays a link; a loop of links is refused. Names are bytes, as
// the file system has them (no text encoding is assumed).
class TQorFileOutput {
public:
    explicit TQorFileOutput(const std::string& FileName);
    // A target that was not committed is left as it was.
    ~TQorFileOutput();
    TQorFileOutput(const TQorFileOutput&) = delete;
    TQorFileOutput& operator=(const TQorFileOutput&) = delete;

    // True while the target is open and every write succeeded.
    bool Ok() const { return FOk; }
    // Why the output failed, for a message.
    const std::string& Error() const { return FError; }
    bool Write(const char* Data, size_t Size);
    bool Write(std::string_view Text) { return Write(Text.data(), Text.size()); }
    // Puts the written bytes in place; false (target unchanged where it was a regular file) when
    // anything failed.
    bool Commit();

private:
    bool Fail(const std::string& Reason);
    bool ResolveTarget(const std::string& FileName);
    bool OpenTemporary();
    void Discard();
    std::string FTarget;
    std::string FTemporary; // empty when writing in place
    int FFd = -1;
    bool FOk = false;
    std::string FError;
};

// Text as the whole content of FileName, through a TQorFileOutput; the reason of a failure in
// Error when given.
bool WriteFileAtomically(const std::string& FileName, std::string_view Text,
                         std::string* Error = nullptr);
