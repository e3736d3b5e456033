#include "QorImportEsriAscii.h"

#include "QorImportSupport.h"
#include "chart/Qor3DChartSizing.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

using namespace QorImport;

namespace {

// The text's words one by one, with the line each is on.
class TWords {
public:
    explicit TWords(std::string_view Text) : FText(Text) {}
    bool Next(std::string_view& Word) {
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') {
            FLine += FText[FPos] == '\n';
            ++FPos;
        }
        if (FPos >= FText.size())
            return false;
        const size_t b = FPos;
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) > ' ')
            ++FPos;
        Word = FText.substr(b, FPos - b);
        return true;
    }
    // Where the next word would start.
    size_t Position() const { return FPos; }
    void Rewind(size_t Position, int64_t Line) {
        FPos = Position;
        FLine = Line;
    }
    int64_t Line() const { return FLine; }
    size_t Left() const { return FText.size() - FPos; }

private:
    std::string_view FText;
    size_t FPos = 0;
    int64_t FLine = 1;
};

std::string Lower(std::string_view s) {
    std::string l(s);
    for (char& c : l)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return l;
}

bool IsKeyword(const std::string& Word) {
    return Word == "ncols" || Word == "nrows" || Word == "xllcorner" || Word == "xllcenter" ||
           Word == "yllcorner" || Word == "yllcenter" || Word == "cellsize" ||
           Word == "nodata_value" || Word == "dx" || Word == "dy";
}

struct THeader {
    std::optional<double> NCols, NRows, X, Y, CellSize, DX, DY, NoData;
    bool CenterX = false, CenterY = false;
};

} // namespace

bool LooksLikeEsriAscii(std::string_view Head) {
    TWords words(Head);
    std::string_view key, value;
    double v = 0;
    return words.Next(key) && IsKeyword(Lower(key)) && words.Next(value) &&
           ParseCellDouble(value, false, v) == TCell::Number;
}

TQorImportResult ReadEsriAsciiText(std::string_view Text, const TQorImportOptions& Options,
                                   const std::string& Name) {
    TQorImportResult r;
    r.Error.File = Name;
    TWords words(Text);
    THeader h;
    std::string_view word;
    while (true) {
        const size_t at = words.Position();
        const int64_t line = words.Line();
        if (!words.Next(word))
            break;
        const std::string key = Lower(word);
        if (!IsKeyword(key)) {
            words.Rewind(at, line);
            break;
        }
        double v = 0;
        std::string_view value;
        if (!words.Next(value) || ParseCellDouble(value, false, v) != TCell::Number) {
            r.Fail("'" + std::string(word) + "' lacks its number", words.Line());
            return r;
        }
        std::optional<double>* slot = key == "ncols"          ? &h.NCols
                                      : key == "nrows"        ? &h.NRows
                                      : key == "cellsize"     ? &h.CellSize
                                      : key == "dx"           ? &h.DX
                                      : key == "dy"           ? &h.DY
                                      : key == "nodata_value" ? &h.NoData
                                      : key[0] == 'x'         ? &h.X
                                                              : &h.Y;
        *slot = v;
        if (key == "xllcenter")
            h.CenterX = true;
        if (key == "yllcenter")
            h.CenterY = true;
    }
    const auto count = [](const std::optional<double>& v) {
        return v && *v >= 1 && *v == std::floor(*v) && QorSizing::IsGridCount(int64_t(*v))
                   ? int64_t(*v)
                   : int64_t(0);
    };
    const int64_t nx = count(h.NCols), nz = count(h.NRows);
    if (nx == 0 || nz == 0) {
        r.Fail("the header lacks a whole 'ncols' or 'nrows' of at least 1 that a chart can hold");
        return r;
    }
    const double dx = h.DX.value_or(h.CellSize.value_or(0));
    const double dz = h.DY.value_or(h.CellSize.value_or(0));
    if (!(dx > 0) || !(dz > 0) || !h.X || !h.Y) {
        r.Fail("the header lacks 'xllcorner', 'yllcorner' or a 'cellsize' greater than 0");
        return r;
    }
    // Every value takes at least one character and one separator (the last none).
    const int64_t values = nx * nz;
    if (values > int64_t(words.Left() / 2 + 1)) {
        r.Fail("expected " + ShapeText({nz, nx}) + " = " + std::to_string(values) +
               " values, more than the " + std::to_string(words.Left()) +
               " bytes after the header can hold");
        return r;
    }
    if (!QorSizing::FitsInMemory(values, int64_t(sizeof(float)) * 5, QorSizing::PhysicalMemory())) {
        r.Fail("the grid does not fit into memory");
        return r;
    }
    // Cell centres; the file's first row is the northernmost, the last row of Z.
    r.X = Spaced(nx, *h.X + (h.CenterX ? 0 : dx / 2), dx);
    r.Z = Spaced(nz, *h.Y + (h.CenterY ? 0 : dz / 2), dz);
    r.GivenX = r.GivenZ = true;
    r.CaptionX = "easting";
    r.CaptionZ = "northing";
    r.Values.resize(size_t(values));
    const float nodata = h.NoData ? float(*h.NoData) : std::numeric_limits<float>::quiet_NaN();
    for (int64_t row = 0; row < nz; ++row) {
        float* out = r.Values.data() + nx * (nz - 1 - row);
        for (int64_t i = 0; i < nx; ++i) {
            if (!words.Next(word)) {
                r.Fail("the file ends after " + std::to_string(row * nx + i) + " of " +
                       std::to_string(values) + " values");
                return r;
            }
            float v = 0;
            const TCell c = ParseCell(word, false, v);
            if (c == TCell::Bad || c == TCell::Range) {
                r.Fail("'" + std::string(word) + "' is not a number", words.Line());
                return r;
            }
            out[i] = v == nodata ? std::numeric_limits<float>::quiet_NaN() : v;
        }
    }
    r.Kind = TQorImportKind::Surface;
    ApplyNoData(r, Options);
    // Seen from above ("Top") X runs up the screen and Z to the right: northing goes along X,
    // easting along Z, so that north is up and east is right. --transpose keeps the raster's
    // rows along Z instead.
    if (!Options.Transpose)
        TransposeSurface(r);
    return r;
}

TQorImportResult ReadEsriAsciiFile(const std::string& FileName, const TQorImportOptions& Options) {
    TFileBytes bytes;
    std::string error;
    if (!bytes.Read(FileName, error)) {
        TQorImportResult r;
        r.Error.File = BaseName(FileName);
        r.Fail(error);
        return r;
    }
    return ReadEsriAsciiText(bytes.Text(), Options, BaseName(FileName));
}
