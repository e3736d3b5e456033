#include "QorPropBinary.h"

#include "QorPropText.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "records are stored little-endian");

namespace {

constexpr int32_t MaxMarkerLength = 500;

uint8_t StyleBits(TFontStyles s) {
    return uint8_t((s.Contains(fsBold) ? 1 : 0) | (s.Contains(fsItalic) ? 2 : 0) |
                   (s.Contains(fsUnderline) ? 4 : 0) | (s.Contains(fsStrikeOut) ? 8 : 0));
}

TFontStyles StylesFromBits(uint8_t b) {
    TFontStyles s;
    if (b & 1)
        s.Include(fsBold);
    if (b & 2)
        s.Include(fsItalic);
    if (b & 4)
        s.Include(fsUnderline);
    if (b & 8)
        s.Include(fsStrikeOut);
    return s;
}

} // namespace

void TQorBinaryWriter::WriteByte(uint8_t v) {
    FBytes.push_back(char(v));
}

void TQorBinaryWriter::WriteWord(uint16_t v) {
    FBytes.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void TQorBinaryWriter::WriteInt(int32_t v) {
    FBytes.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void TQorBinaryWriter::WriteDouble(double v) {
    FBytes.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void TQorBinaryWriter::WriteString(std::string_view v) {
    WriteInt(int32_t(v.size()));
    FBytes.append(v);
}

void TQorBinaryWriter::WriteFont(const TFont& font) {
    WriteByte(font.Charset());
    WriteInt(font.Color());
    WriteInt(font.Height());
    WriteString(font.Name());
    WriteByte(font.Pitch());
    WriteInt(font.Size());
    WriteByte(StyleBits(font.Style()));
}

bool TQorBinaryReader::Take(void* out, size_t count) {
    if (FIncomplete || Remaining() < count) {
        FIncomplete = true;
        return false;
    }
    std::memcpy(out, FBytes.data() + FPos, count);
    FPos += count;
    return true;
}

bool TQorBinaryReader::ReadBool(bool& v) {
    uint8_t b = 0;
    if (!ReadByte(b))
        return false;
    v = b != 0;
    return true;
}

bool TQorBinaryReader::ReadByte(uint8_t& v) {
    return Take(&v, sizeof v);
}
bool TQorBinaryReader::ReadWord(uint16_t& v) {
    return Take(&v, sizeof v);
}
bool TQorBinaryReader::ReadInt(int32_t& v) {
    return Take(&v, sizeof v);
}
bool TQorBinaryReader::ReadDouble(double& v) {
    return Take(&v, sizeof v);
}

bool TQorBinaryReader::Skip(size_t count) {
    if (FIncomplete || Remaining() < count) {
        FIncomplete = true;
        return false;
    }
    FPos += count;
    return true;
}

bool TQorBinaryReader::ReadString(std::string& v) {
    int32_t length = 0;
    if (!(ReadInt(length) && ReadBytes(v, length)))
        return false;
    // Strings of records are captions and font names; the rest of a huge one is dropped.
    BoundPropertyText(v, {});
    return true;
}

bool TQorBinaryReader::ReadBytes(std::string& v, int32_t length) {
    if (FIncomplete || length < 0 || size_t(length) > Remaining()) {
        FIncomplete = true;
        return false;
    }
    v.assign(FBytes.data() + FPos, size_t(length));
    FPos += size_t(length);
    return true;
}

bool TQorBinaryReader::ReadFont(TFont& font) {
    uint8_t charset = 0, pitch = 0, style = 0;
    int32_t color = 0, height = 0, size = 0;
    std::string name;
    if (!(ReadByte(charset) && ReadInt(color) && ReadInt(height) && ReadString(name) &&
          ReadByte(pitch) && ReadInt(size) && ReadByte(style)))
        return false;
    TFont f(font);
    f.SetCharset(charset);
    f.SetColor(color);
    // Sizes and heights are brought into a sane range, their sign kept.
    f.SetHeight(std::clamp(height, -TFont::MaxHeight, TFont::MaxHeight));
    f.SetName(name);
    if (pitch <= fpFixed)
        f.SetPitch(TFontPitch(pitch));
    f.SetSize(std::clamp(size, -TFont::MaxSize, TFont::MaxSize));
    f.SetStyle(StylesFromBits(style));
    font.Assign(f);
    return true;
}

int TQorBinaryReader::ReadMarker(std::string& marker) {
    int32_t length = 0;
    if (!ReadInt(length))
        return -3;
    if (length >= MaxMarkerLength)
        return -2;
    if (!ReadBytes(marker, length))
        return -3;
    return 0;
}
