#include "ProgressLine.h"

void TProgressLine::Clear() {
    if (FOnLine)
        std::fputs("\r\033[K", FStream); // back to the start and erase the line
    FOnLine = false;
}

void TProgressLine::Step(const std::string& Text) {
    if (!FShow)
        return;
    Clear();
    std::fputs(Text.c_str(), FStream);
    std::fflush(FStream);
    FOnLine = true;
}

void TProgressLine::Message(const std::string& Message) {
    Clear();
    std::fprintf(FStream, "plotyra-cli: %s\n", Message.c_str());
}

void TProgressLine::Finish() {
    if (FOnLine)
        std::fputc('\n', FStream);
    FOnLine = false;
}
