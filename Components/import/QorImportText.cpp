// Text tables. Sections: lines and separators; the layout decision; the matrix; the column
// list; the entry points.
//
// The text is read whole, cut into data lines (comments and empty lines left out) and then the
// rows are parsed on all cores, each row straight into its place in the result.
#include "QorImportText.h"

#include "QorImportSupport.h"
#include "QorParallel.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_set>

using namespace QorImport;

namespace {

// ---- Lines and separators ----------------------------------------------------------------------

struct TLine {
    const char* Begin;
    const char* End;
    int64_t Number; // 1-based line of the file
};

// Data lines: neither empty (blanks only) nor a comment ("#" after any blanks); CR removed.
std::vector<TLine> DataLines(std::string_view Text) {
    std::vector<TLine> lines;
    const char* p = Text.data();
    const char* end = p + Text.size();
    if (Text.size() >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
        p += 3;
    int64_t number = 0;
    while (p < end) {
        ++number;
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* e = lf != nullptr ? lf : end;
        const char* b = p;
        p = lf != nullptr ? lf + 1 : end;
        const char* le = e;
        if (le > b && le[-1] == '\r')
            --le;
        const char* f = b;
        while (f < le && (*f == ' ' || *f == '\t'))
            ++f;
        if (f == le || *f == '#')
            continue;
        lines.push_back({b, le, number});
    }
    return lines;
}

// The separator: TAB when a sample line has one, else ';', else ',', else runs of blanks (' ').
char DetectSeparator(const std::vector<TLine>& Lines) {
    bool tab = false, semicolon = false, comma = false;
    for (size_t n = 0; n < std::min<size_t>(Lines.size(), 20); ++n) {
        const std::string_view s(Lines[n].Begin, size_t(Lines[n].End - Lines[n].Begin));
        tab = tab || s.find('\t') != std::string_view::npos;
        semicolon = semicolon || s.find(';') != std::string_view::npos;
        comma = comma || s.find(',') != std::string_view::npos;
    }
    return tab ? '\t' : semicolon ? ';' : comma ? ',' : ' ';
}

// Calls Cell(text, index) for each field of a line; returns the number of fields.
template <typename F> int64_t Fields(const TLine& Line, char Sep, F&& Cell) {
    const char* p = Line.Begin;
    const char* e = Line.End;
    int64_t n = 0;
    if (Sep == ' ') {
        while (true) {
            while (p < e && (*p == ' ' || *p == '\t'))
                ++p;
            if (p == e)
                return n;
            const char* b = p;
            while (p < e && *p != ' ' && *p != '\t')
                ++p;
            if (!Cell(std::string_view(b, size_t(p - b)), n++))
                return -1;
        }
    }
    // Fields are short: a plain loop beats memchr's setup for each.
    while (true) {
        const char* s = p;
        while (s < e && *s != Sep)
            ++s;
        if (!Cell(std::string_view(p, size_t(s - p)), n++))
            return -1;
        if (s == e)
            return n;
        p = s + 1;
    }
}

int64_t CountFields(const TLine& Line, char Sep) {
    return Fields(Line, Sep, [](std::string_view, int64_t) { return true; });
}

std::vector<std::string_view> SplitLine(const TLine& Line, char Sep) {
    std::vector<std::string_view> cells;
    Fields(Line, Sep, [&](std::string_view c, int64_t) {
        cells.push_back(TrimCell(c));
        return true;
    });
    return cells;
}

std::string CellMessage(std::string_view Cell, TCell Kind) {
    std::string shown(TrimCell(Cell).substr(0, 40));
    if (Kind == TCell::Range)
        return "'" + shown + "' is too large for a 32-bit number";
    return "'" + shown + "' is not a number";
}

// The first error of a piece of rows: its row (to pick the earliest), line, field, message.
struct TRowError {
    int64_t Row = std::numeric_limits<int64_t>::max();
    int64_t Line = 0;
    int64_t Field = 0;
    std::string Message;
};

// Runs Task(first, last, error) over the rows in pieces on all cores when they are many.
template <typename F> TRowError ForRows(int64_t Rows, size_t Bytes, F&& Task) {
    const size_t pieces =
        Bytes < (size_t(1) << 20) ? 1 : std::min<size_t>(size_t(Rows), QorParallel::Threads() * 4);
    std::vector<TRowError> errors(std::max<size_t>(pieces, 1));
    const auto run = [&](size_t p) {
        const int64_t b = Rows * int64_t(p) / int64_t(pieces);
        const int64_t e = Rows * int64_t(p + 1) / int64_t(pieces);
        Task(b, e, errors[p]);
    };
    if (pieces <= 1)
        run(0);
    else
        QorParallel::For(pieces, run);
    TRowError first;
    for (TRowError& e : errors)
        if (e.Row < first.Row)
            first = std::move(e);
    return first;
}

std::string CountMessage(int64_t Row, int64_t Has, int64_t Expected) {
    return "row " + std::to_string(Row) + " has " + std::to_string(Has) +
           " values, the rows above have " + std::to_string(Expected);
}

// ---- Layout decision ---------------------------------------------------------------------------

bool IsName(std::string_view Cell, bool DecimalComma) {
    float v = 0;
    return ParseCell(Cell, DecimalComma, v) == TCell::Bad;
}

// A column list when there are 3 or 4 columns, at least 16 rows, and the first or the second
// column repeats a value within the first 4096 rows (points of a grid share coordinates); a
// header row of names with 3 or 4 columns is a column list whatever follows.
bool IsColumnList(const std::vector<TLine>& Lines, char Sep, bool DecimalComma, bool Names) {
    const size_t first = Names ? 1 : 0;
    if (Lines.size() <= first)
        return false;
    const int64_t columns = CountFields(Lines[first], Sep);
    if (columns != 3 && columns != 4)
        return false;
    if (Names)
        return true;
    if (Lines.size() - first < 16)
        return false;
    std::unordered_set<float> seen[2];
    bool repeated = false;
    for (size_t n = first; n < std::min<size_t>(Lines.size(), first + 4096) && !repeated; ++n)
        Fields(Lines[n], Sep, [&](std::string_view c, int64_t i) {
            if (i > 1)
                return true;
            float v = 0;
            if (ParseCell(c, DecimalComma, v) == TCell::Number)
                repeated = repeated || !seen[i].insert(v).second;
            return true;
        });
    return repeated;
}

// ---- Matrix ------------------------------------------------------------------------------------

void ReadMatrix(const std::vector<TLine>& Lines, char Sep, bool DecimalComma,
                const TQorImportOptions& Options, size_t Bytes, TQorImportResult& R) {
    TQorImportHeader header = Options.Header;
    const int64_t f0 = CountFields(Lines[0], Sep);
    if (header == TQorImportHeader::Auto) {
        header = TQorImportHeader::None;
        float v = 0;
        std::string_view topLeft;
        Fields(Lines[0], Sep, [&](std::string_view c, int64_t) {
            topLeft = c;
            return false;
        });
        const bool shorter = Lines.size() > 1 && f0 + 1 == CountFields(Lines[1], Sep);
        if (ParseCell(topLeft, DecimalComma, v) != TCell::Number || shorter)
            header = TQorImportHeader::RowColumn;
    }
    const bool headerRow = header == TQorImportHeader::Row || header == TQorImportHeader::RowColumn;
    const bool zColumn = header == TQorImportHeader::RowColumn;
    const size_t firstData = headerRow ? 1 : 0;
    R.GivenX = headerRow;
    R.GivenZ = zColumn;
    if (Lines.size() <= firstData)
        return R.Fail("the file holds no rows of values");
    const int64_t fields = CountFields(Lines[firstData], Sep);
    const int64_t nx = fields - (zColumn ? 1 : 0);
    const int64_t nz = int64_t(Lines.size() - firstData);
    if (nx < 1)
        return R.Fail("the rows hold no values", Lines[firstData].Number);
    if (nx > INT32_MAX || nz > INT32_MAX)
        return R.Fail("the matrix is too large for a chart");

    // X from the header row: every field, or all but a top-left cell.
    if (headerRow) {
        const int64_t skip = f0 == nx + 1 ? 1 : 0;
        if (f0 != nx && f0 != nx + 1)
            return R.Fail("the header row has " + std::to_string(f0) +
                              " values, the rows below have " + std::to_string(fields),
                          Lines[0].Number);
        R.X.resize(size_t(nx));
        TRowError err;
        Fields(Lines[0], Sep, [&](std::string_view c, int64_t i) {
            if (i < skip)
                return true;
            double v = 0;
            const TCell kind = ParseCellDouble(c, DecimalComma, v);
            if (kind == TCell::Number && std::isfinite(v)) {
                R.X[size_t(i - skip)] = float(v);
                return true;
            }
            err.Field = i + 1;
            err.Message =
                kind == TCell::Missing && TrimCell(c).empty() ? "the X coordinate is missing"
                : kind == TCell::Missing ? "'" + std::string(TrimCell(c)) + "' is no X coordinate"
                                         : CellMessage(c, kind);
            return false;
        });
        if (!err.Message.empty())
            return R.Fail(err.Message, Lines[0].Number, err.Field);
    } else {
        R.X = Spaced(nx, Options.X0.value_or(0), Options.DX.value_or(1));
    }
    if (!zColumn)
        R.Z = Spaced(nz, Options.Z0.value_or(0), Options.DZ.value_or(1));
    else
        R.Z.resize(size_t(nz));

    try {
        R.Values.resize(size_t(nx * nz));
    } catch (const std::bad_alloc&) {
        return R.Fail("the matrix does not fit into memory");
    }
    float* values = R.Values.data();
    float* zs = R.Z.data();
    const TRowError err = ForRows(nz, Bytes, [&](int64_t First, int64_t Last, TRowError& E) {
        for (int64_t k = First; k < Last; ++k) {
            const TLine& line = Lines[firstData + size_t(k)];
            float* row = values + nx * k;
            int64_t bad = -1;
            TCell kind = TCell::Number;
            std::string_view badCell;
            const int64_t n = Fields(line, Sep, [&](std::string_view c, int64_t i) {
                if (zColumn && i == 0) {
                    double z = 0;
                    kind = ParseCellDouble(c, DecimalComma, z);
                    if (kind == TCell::Number && std::isfinite(z)) {
                        zs[k] = float(z);
                        return true;
                    }
                    if (kind == TCell::Missing)
                        kind = TCell::Bad;
                    bad = i;
                    badCell = c;
                    return false;
                }
                const int64_t x = i - (zColumn ? 1 : 0);
                if (x >= nx)
                    return true; // counted, reported below
                kind = ParseCell(c, DecimalComma, row[x]);
                if (kind == TCell::Number || kind == TCell::Missing)
                    return true;
                bad = i;
                badCell = c;
                return false;
            });
            if (bad >= 0) {
                E = {k, line.Number, bad + 1,
                     zColumn && bad == 0 && TrimCell(badCell).empty()
                         ? "the Z coordinate is missing"
                         : CellMessage(badCell, kind)};
                return;
            }
            if (n != fields) {
                E = {k, line.Number, 0, CountMessage(k + 1, n - (zColumn ? 1 : 0), nx)};
                return;
            }
            for (int64_t i = 0; i < nx; ++i)
                if (!std::isfinite(row[i]))
                    row[i] = std::numeric_limits<float>::quiet_NaN();
        }
    });
    if (!err.Message.empty())
        return R.Fail(err.Message, err.Line, err.Field);
    R.Kind = TQorImportKind::Surface;
    if (headerRow && (Options.DX || Options.X0))
        R.Warnings.push_back("the header row gives the X coordinates: --spacing and --origin "
                             "are not used for X");
}

// ---- Column list -------------------------------------------------------------------------------

enum TRole { rX, rY, rZ, rV, rUnknown };

std::string Lower(std::string_view s) {
    std::string l(s);
    for (char& c : l)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return l;
}

// The role a column's name gives it: its first word (letters only) as a letter of an axis, or a
// word for a height or a value.
TRole RoleOfName(std::string_view Name, int Columns) {
    size_t n = 0;
    while (n < Name.size() && std::isalpha(static_cast<unsigned char>(Name[n])))
        ++n;
    const std::string w = Lower(Name.substr(0, n));
    if (w == "x")
        return rX;
    if (w == "y")
        return rY;
    if (w == "z")
        return rZ;
    if (w == "v" || w == "value" || w == "val")
        return rV;
    if (w == "h" || w == "height" || w == "elevation" || w == "elev" || w == "altitude" ||
        w == "alt")
        return Columns == 3 ? rY : rV;
    return rUnknown;
}

void ReadColumns(const std::vector<TLine>& Lines, char Sep, bool DecimalComma,
                 const TQorImportOptions& Options, size_t Bytes, TQorImportResult& R) {
    R.GivenX = R.GivenZ = true;
    const std::vector<std::string_view> first = SplitLine(Lines[0], Sep);
    bool names = Options.Header != TQorImportHeader::None &&
                 std::all_of(first.begin(), first.end(),
                             [&](std::string_view c) { return IsName(c, DecimalComma); });
    if (Options.Header == TQorImportHeader::Row || Options.Header == TQorImportHeader::RowColumn)
        names = true;
    const size_t firstData = names ? 1 : 0;
    if (Lines.size() <= firstData)
        return R.Fail("the file holds no points");
    const int64_t columns = CountFields(Lines[firstData], Sep);
    if (columns != 3 && columns != 4)
        return R.Fail("a list of points has 3 columns (x z height) or 4 (x y z v), this one has " +
                          std::to_string(columns),
                      Lines[firstData].Number);
    // Which column is which: by name where every role is named once, else x z height / x y z v.
    std::vector<int> role(static_cast<size_t>(columns));
    for (int c = 0; c < int(columns); ++c)
        role[size_t(c)] = columns == 3 ? std::array<int, 3>{rX, rZ, rY}[size_t(c)] : c;
    if (names && int64_t(first.size()) == columns) {
        std::vector<int> named(static_cast<size_t>(columns));
        std::vector<int> used(4, 0);
        for (int c = 0; c < int(columns); ++c) {
            named[size_t(c)] = RoleOfName(first[size_t(c)], int(columns));
            if (named[size_t(c)] != rUnknown)
                ++used[size_t(named[size_t(c)])];
        }
        // Named roles stand; the unnamed columns take the roles left, in the usual order.
        const bool unique = std::all_of(used.begin(), used.end(), [](int n) { return n <= 1; }) &&
                            (columns == 4 || used[rV] == 0);
        if (unique) {
            std::vector<int> left;
            for (const int r :
                 columns == 3 ? std::vector<int>{rX, rZ, rY} : std::vector<int>{rX, rY, rZ, rV})
                if (used[size_t(r)] == 0)
                    left.push_back(r);
            size_t next = 0;
            for (int c = 0; c < int(columns); ++c)
                role[size_t(c)] = named[size_t(c)] != rUnknown ? named[size_t(c)] : left[next++];
        } else {
            R.Warnings.push_back(std::string("the column names do not say which column is which: "
                                             "read as ") +
                                 (columns == 3 ? "x, z, height" : "x, y, z, v"));
        }
        for (int c = 0; c < int(columns); ++c) {
            const std::string name(first[size_t(c)]);
            // A bare axis letter says nothing the axis does not already say.
            if (name.size() <= 1)
                continue;
            std::string& caption = role[size_t(c)] == rX   ? R.CaptionX
                                   : role[size_t(c)] == rY ? R.CaptionY
                                   : role[size_t(c)] == rZ ? R.CaptionZ
                                                           : R.CaptionValue;
            caption = name;
        }
    }
    const int64_t rows = int64_t(Lines.size() - firstData);
    std::vector<float> cells;
    try {
        cells.resize(size_t(rows * columns));
    } catch (const std::bad_alloc&) {
        return R.Fail("the list does not fit into memory");
    }
    static const char* const roleNames[] = {"x", "y", "z", "v"};
    const int valueRole = columns == 3 ? rY : rV;
    const TRowError err = ForRows(rows, Bytes, [&](int64_t First, int64_t Last, TRowError& E) {
        for (int64_t r = First; r < Last; ++r) {
            const TLine& line = Lines[firstData + size_t(r)];
            float* row = cells.data() + r * columns;
            int64_t bad = -1;
            std::string message;
            const int64_t n = Fields(line, Sep, [&](std::string_view c, int64_t i) {
                if (i >= columns)
                    return true;
                const TCell kind = ParseCell(c, DecimalComma, row[i]);
                if (kind == TCell::Number && std::isfinite(row[i]))
                    return true;
                if (kind == TCell::Number || kind == TCell::Missing) {
                    if (role[size_t(i)] == valueRole) {
                        row[i] = std::numeric_limits<float>::quiet_NaN();
                        return true;
                    }
                    message =
                        std::string("the ") + roleNames[role[size_t(i)]] + " coordinate is missing";
                } else {
                    message = CellMessage(c, kind);
                }
                bad = i;
                return false;
            });
            if (bad >= 0) {
                E = {r, line.Number, bad + 1, message};
                return;
            }
            if (n != columns) {
                E = {r, line.Number, 0, CountMessage(r + 1, n, columns)};
                return;
            }
        }
    });
    if (!err.Message.empty())
        return R.Fail(err.Message, err.Line, err.Field);

    // The grid: the distinct coordinates of each axis (compared as the chart stores them).
    int column[4] = {-1, -1, -1, -1};
    for (int c = 0; c < int(columns); ++c)
        column[role[size_t(c)]] = c;
    const bool volume = columns == 4;
    std::vector<float> axes[3];
    for (int a : {rX, rY, rZ}) {
        if (!volume && a == rY)
            continue;
        std::vector<float>& v = axes[a];
        v.resize(size_t(rows));
        for (int64_t r = 0; r < rows; ++r)
            v[size_t(r)] = cells[size_t(r * columns + column[a])];
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
        v.shrink_to_fit();
    }
    const int64_t nx = int64_t(axes[rX].size()), nz = int64_t(axes[rZ].size());
    const int64_t ny = volume ? int64_t(axes[rY].size()) : 1;
    const double places = double(nx) * double(ny) * double(nz);
    // Scattered points would make a grid of mostly holes: at least half its places must be given.
    if (places > 2.0 * double(rows)) {
        std::string counts = std::to_string(nx) + " different x, " +
                             (volume ? std::to_string(ny) + " different y, " : std::string()) +
                             std::to_string(nz) + " different z";
        char share[32];
        std::snprintf(share, sizeof share, "%.3g", 100.0 * double(rows) / places);
        return R.Fail("the points do not lie on a regular grid: " + std::to_string(rows) +
                      " points with " + counts + " values would fill " + share +
                      " % of the grid's places (at least 50 % needed); resample them onto a grid "
                      "first");
    }
    const auto index = [](const std::vector<float>& Axis, float v) {
        return int64_t(std::lower_bound(Axis.begin(), Axis.end(), v) - Axis.begin());
    };
    try {
        R.Values.assign(size_t(nx * ny * nz), std::numeric_limits<float>::quiet_NaN());
    } catch (const std::bad_alloc&) {
        return R.Fail("the grid does not fit into memory");
    }
    std::vector<int64_t> filledBy(size_t(nx * ny * nz), -1);
    for (int64_t r = 0; r < rows; ++r) {
        const float* row = cells.data() + r * columns;
        const int64_t i = index(axes[rX], row[column[rX]]);
        const int64_t k = index(axes[rZ], row[column[rZ]]);
        const int64_t j = volume ? index(axes[rY], row[column[rY]]) : 0;
        const size_t p = size_t(i + nx * (j + ny * k));
        if (filledBy[p] >= 0) {
            const auto num = [](float v) {
                char b[32];
                std::snprintf(b, sizeof b, "%g", double(v));
                return std::string(b);
            };
            return R.Fail("the point x = " + num(row[column[rX]]) +
                              (volume ? ", y = " + num(row[column[rY]]) : std::string()) +
                              ", z = " + num(row[column[rZ]]) + " is given twice (also on line " +
                              std::to_string(Lines[firstData + size_t(filledBy[p])].Number) + ")",
                          Lines[firstData + size_t(r)].Number);
        }
        filledBy[p] = r;
        R.Values[p] = row[column[valueRole]];
    }
    R.X = std::move(axes[rX]);
    R.Z = std::move(axes[rZ]);
    if (volume)
        R.Y = std::move(axes[rY]);
    R.Kind = volume ? TQorImportKind::Volume : TQorImportKind::Surface;
    if (!volume) {
        // The height's caption is the Y axis's; a list's value caption is the 4D caption.
        if (R.CaptionY.empty())
            std::swap(R.CaptionY, R.CaptionValue);
        R.CaptionValue.clear();
    }
    const int64_t holes = nx * ny * nz - rows;
    if (holes > 0)
        R.Warnings.push_back(std::to_string(holes) +
                             (holes == 1
                                  ? " place of the grid is not in the list: it is left as a hole"
                                  : " places of the grid are not in the list: they are left "
                                    "as holes"));
    if (Options.DX || Options.X0)
        R.Warnings.push_back("the list gives the coordinates: --spacing and --origin are not used");
}

} // namespace

TQorImportResult ReadTextTableText(std::string_view Text, const TQorImportOptions& Options,
                                   const std::string& Name) {
    TQorImportResult r;
    r.Error.File = Name;
    const std::vector<TLine> lines = DataLines(Text);
    if (lines.empty()) {
        r.Fail("the file holds no values");
        return r;
    }
    if (std::memchr(Text.data(), 0, Text.size()) != nullptr) {
        r.Fail("the file is not text (it holds a NUL byte)");
        return r;
    }
    const char sep = DetectSeparator(lines);
    // A ',' is a decimal comma only where it cannot be the separator.
    bool decimalComma = false;
    if (sep == ';' || sep == '\t')
        for (size_t n = 0; n < std::min<size_t>(lines.size(), 20) && !decimalComma; ++n)
            decimalComma =
                std::memchr(lines[n].Begin, ',', size_t(lines[n].End - lines[n].Begin)) != nullptr;
    const std::vector<std::string_view> first = SplitLine(lines[0], sep);
    const bool names = std::all_of(first.begin(), first.end(),
                                   [&](std::string_view c) { return IsName(c, decimalComma); });
    bool columns = false;
    switch (Options.Layout) {
    case TQorImportLayout::Columns:
        columns = true;
        break;
    case TQorImportLayout::Matrix:
        break;
    case TQorImportLayout::Auto:
        columns = (Options.Header == TQorImportHeader::Auto ||
                   Options.Header == TQorImportHeader::None) &&
                  IsColumnList(lines, sep, decimalComma,
                               names && Options.Header == TQorImportHeader::Auto);
        break;
    }
    if (columns)
        ReadColumns(lines, sep, decimalComma, Options, Text.size(), r);
    else
        ReadMatrix(lines, sep, decimalComma, Options, Text.size(), r);
    if (r.Failed)
        return r;
    ApplyNoData(r, Options);
    if (Options.Transpose)
        TransposeSurface(r);
    return r;
}

TQorImportResult ReadTextTable(const std::string& FileName, const TQorImportOptions& Options) {
    TFileBytes bytes;
    std::string error;
    if (!bytes.Read(FileName, error)) {
        TQorImportResult r;
        r.Error.File = BaseName(FileName);
        r.Fail(error);
        return r;
    }
    return ReadTextTableText(bytes.Text(), Options, BaseName(FileName));
}

bool LooksLikeTextTable(std::string_view Head) {
    if (Head.empty() || std::memchr(Head.data(), 0, Head.size()) != nullptr)
        return false;
    // Cut at the last line end, so a line cut by the head's length does not count.
    const size_t lf = Head.rfind('\n');
    const std::string_view text = lf == std::string_view::npos ? Head : Head.substr(0, lf + 1);
    const std::vector<TLine> lines = DataLines(text);
    if (lines.empty())
        return false;
    const char sep = DetectSeparator(lines);
    // Some line of the head holds a number in a field.
    for (const TLine& line : lines) {
        bool number = false;
        Fields(line, sep, [&](std::string_view c, int64_t) {
            float v = 0;
            number = ParseCell(c, true, v) == TCell::Number;
            return !number;
        });
        if (number)
            return true;
    }
    return false;
}
