// The output name of plotyra-cli render: a plain file name, or a pattern with one printf-style
// integer field ("frames/%04d.png") that each picture's number fills.
#pragma once

#include <string>

class TOutputPattern {
public:
    // Reads Text. A name with one field "%d" or "%0Nd" (N up to 16; "%%" stands for "%") is a
    // pattern; a name with no "%" at all is plain. Anything else (two fields, "%s", a lone "%")
    // gives false with the reason in Error.
    bool Parse(const std::string& Text, std::string& Error);
    bool HasField() const { return FHasField; }
    // The name of picture Number (0 or more): the field filled in, or the plain name itself.
    std::string Name(int Number) const;

private:
    std::string FBefore;
    std::string FAfter;
    int FWidth = 0;
    bool FZeroPad = false;
    bool FHasField = false;
};
