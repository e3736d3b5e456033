// Little-endian binary property records: fixed-size numbers, strings with a 4-byte length.
#pragma once

#include "UQorTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

// Appends a record to a byte buffer; the caller writes the buffer to its file.
class TQorBinaryWriter {
public:
    void WriteBool(bool v) { WriteByte(v ? 1 : 0); }
    void WriteByte(uint8_t v);
    void WriteWord(uint16_t v);
    void WriteInt(int32_t v);
    void WriteDouble(double v);
    void WriteString(std::string_view v);
    // Charset 1, Color 4, Height 4, Name, Pitch 1, Size 4, style bits 1.
    void WriteFont(const TFont& font);

    const std::string& Bytes() const { return FBytes; }

private:
    std::string FBytes;
};

// Reads a record from a byte buffer. A read past the end leaves the value as it was and
// marks the reader incomplete; so does a string length that is negative or longer than
// what remains (no allocation is made for it).
class TQorBinaryReader {
public:
    explicit TQorBinaryReader(std::string_view bytes) : FBytes(bytes) {}

    bool ReadBool(bool& v);
    bool ReadByte(uint8_t& v);
    bool ReadWord(uint16_t& v);
    bool ReadInt(int32_t& v);
    bool ReadDouble(double& v);
    bool ReadString(std::string& v);
    bool ReadFont(TFont& font);
    bool Skip(size_t count);

    // Marker results: 0 read, -2 length of 500 or more, -3 not readable. The caller compares
    // the text with its accepted markers.
    int ReadMarker(std::string& marker);

    bool Incomplete() const { return FIncomplete; }
    size_t Position() const { return FPos; }
    size_t Remaining() const { return FBytes.size() - FPos; }

private:
    bool Take(void* out, size_t count);
    bool ReadBytes(std::string& v, int32_t length);
    std::string_view FBytes;
    size_t FPos = 0;
    bool FIncomplete = false;
};
