// The progress of a batch on one line of a terminal, rewritten in place; messages about single
// pictures go on lines of their own above it. Silent when not shown (stderr is no terminal).
#pragma once

#include <cstdio>
#include <string>

class TProgressLine {
public:
    TProgressLine(std::FILE* Stream, bool Show) : FStream(Stream), FShow(Show) {}
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;
    ~TProgressLine() { Finish(); }

    void Step(const std::string& Text);
    // Writes Message ("plotyra-cli: " in front) on its own line, whether or not progress shows.
    void Message(const std::string& Message);
    // Leaves the terminal on a fresh line.
    void Finish();

private:
    void Clear();
    std::FILE* FStream;
    bool FShow;
    bool FOnLine = false;
};
