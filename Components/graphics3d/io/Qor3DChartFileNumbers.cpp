// The numbers of a chart data text: its pieces with their token counts, and the number source's
// counts, vectors and size checks (its bulk is in Qor3DChartFileDetail.h).
#include "io/Qor3DChartFileDetail.h"

#include "chart/Qor3DChartSizing.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Numbers a truncated file may still ask for beyond what its text can hold: enough for a large
// grid whose values were cut off, far from what would strain the memory.
constexpr int64_t ZeroFillAllowance = int64_t(1) << 22;
// Pieces per thread: pieces differ in work (the last may hold only property text), so a few
// more pieces than threads keep both cores busy to the end.
constexpr uint64_t PiecesPerThread = 4;

// Longest part of a token a message shows.
constexpr size_t ShownChars = 40;
constexpr size_t MaxCountChars = 32;
constexpr size_t MaxValueChars = 64;

// A token as a message shows it: its first characters, anything but printable ASCII as "?".
std::string Shown(std::string_view Token) {
    std::string text;
    for (const char c : Token.substr(0, ShownChars))
        text += c > 32 && c < 127 ? c : '?';
    return "'" + text + (Token.size() > ShownChars ? "...'" : "'");
}

bool IsSignedDigits(std::string_view Token) {
    if (!Token.empty() && (Token.front() == '+' || Token.front() == '-'))
        Token.remove_prefix(1);
    return !Token.empty() &&
           std::all_of(Token.begin(), Token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Where a piece may end near Offset: after the next line feed, or after the next blank where a
// line is very long; Offset itself when there is neither nearby.
uint64_t PieceEnd(const TQorTextSource& Source, uint64_t Offset, uint64_t End, bool& AtLineStart) {
    char buffer[1 << 16];
    const size_t got =
        Source.Read(Offset, buffer, size_t(std::min<uint64_t>(sizeof buffer, End - Offset)));
    if (const void* lf = std::memchr(buffer, '\n', got)) {
        AtLineStart = true;
        return Offset + uint64_t(static_cast<const char*>(lf) - buffer) + 1;
    }
    for (size_t i = 0; i < got; ++i)
        if (static_cast<unsigned char>(buffer[i]) <= 32) {
            AtLineStart = false;
            return Offset + i + 1;
        }
    return Offset;
}

} // namespace

int64_t MaxDataNumbers(uint64_t TextSize) {
    return int64_t(std::min<uint64_t>(TextSize / 2, uint64_t(1) << 60)) + 1 + ZeroFillAllowance;
}

namespace QorChartFileDetail {

// ---- Messages -----------------------------------------------------------------------------------

std::string RefusedToken(std::string_view Token, bool Count) {
    const size_t limit = Count ? MaxCountChars : MaxValueChars;
    if (Token.size() > limit)
        return Shown(Token) + " is longer than " + std::to_string(limit) + " characters";
    if (!Count)
        return Shown(Token) + " is not a number";
    return Shown(Token) +
           (IsSignedDigits(Token) ? " is too large for a count" : " is not a whole number");
}

TReadError RefusedCounts(std::initializer_list<int64_t> Numbers, bool Product) {
    TReadError e;
    e.AtCounts = true;
    for (const int64_t n : Numbers)
        if (n < 0) {
            e.Message = "the count " + std::to_string(n) + " is negative";
            return e;
        }
    std::string factors;
    if (Product)
        for (const int64_t n : Numbers)
            factors += (factors.empty() ? "" : " × ") + std::to_string(n);
    e.Message = "the counts ask for " + (Product ? factors + " " : "") +
                "numbers, more than can be counted";
    return e;
}

void TokenPlace(const TQorTextSource& Source, uint64_t Offset, int64_t& Line, int64_t& Field) {
    Line = 1;
    Field = 1;
    bool inToken = false;
    char buffer[1 << 16];
    for (uint64_t at = 0; at < Offset;) {
        const size_t got =
            Source.Read(at, buffer, size_t(std::min<uint64_t>(sizeof buffer, Offset - at)));
        if (got == 0)
            break;
        for (size_t i = 0; i < got; ++i) {
            const bool token = static_cast<unsigned char>(buffer[i]) > 32;
            if (buffer[i] == '\n') {
                ++Line;
                Field = 1;
            } else if (!token && inToken) {
                ++Field;
            }
            inToken = token;
        }
        at += got;
    }
}

// ---- Pieces -------------------------------------------------------------------------------------

std::vector<TPiece> CountPieces(const TQorTextSource& Source, uint64_t Begin,
                                const TQorLoadTuning& Tuning, uint64_t& PropertyLine) {
    const uint64_t end = Source.Size();
    const unsigned threads = Tuning.Threads != 0 ? Tuning.Threads : QorParallel::Threads();
    const uint64_t minPiece = std::max<uint64_t>(1, Tuning.MinPieceBytes);
    const uint64_t span = end > Begin ? end - Begin : 0;
    const uint64_t wanted = threads > 1 && span >= 2 * minPiece
                                ? std::min(span / minPiece, PiecesPerThread * threads)
                                : 1;
    std::vector<TPiece> pieces;
    uint64_t at = Begin;
    bool lineStart = true;
    for (uint64_t i = 1; i < wanted && at < end; ++i) {
        const uint64_t nominal = std::max(at + 1, Begin + span / wanted * i);
        if (nominal >= end)
            break;
        bool nextLineStart = true;
        const uint64_t cut = PieceEnd(Source, nominal, end, nextLineStart);
        if (cut <= at || cut == nominal)
            continue;
        pieces.push_back({at, cut, lineStart});
        at = cut;
        lineStart = nextLineStart;
    }
    pieces.push_back({at, end, lineStart});
    std::vector<TQorTextScan> scans(pieces.size());
    QorParallel::For(
        pieces.size(),
        [&](size_t i) {
            scans[i] = ScanText(Source, pieces[i].Begin, pieces[i].End, pieces[i].AtLineStart);
        },
        threads);
    PropertyLine = UINT64_MAX;
    uint64_t tokens = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        pieces[i].FirstToken = tokens;
        pieces[i].Tokens = scans[i].Tokens;
        tokens += scans[i].Tokens;
        if (PropertyLine == UINT64_MAX)
            PropertyLine = scans[i].FirstBracketLine;
    }
    return pieces;
}

// ---- The number source --------------------------------------------------------------------------

TNumberSource::TNumberSource(const TQorTextSource& Source, uint64_t Begin,
                             std::vector<TPiece> Pieces, const TQorLoadTuning& Tuning)
    : FSource(Source), FReader(Source, Begin, Source.Size()), FPieces(std::move(Pieces)),
      FThreads(Tuning.Threads) {}

int TNumberSource::Count() {
    ++FAsked;
    const uint64_t before = FReader.Tokens();
    int32_t v = 0;
    if (!FReader.ReadCount(v))
        throw Refused(true);
    if (FCountsAt == UINT64_MAX && FReader.Tokens() > before)
        FCountsAt = FReader.LastTokenOffset();
    return v;
}

float TNumberSource::Value() {
    ++FAsked;
    float v = 0;
    if (!FReader.ReadValue(v))
        throw Refused(false);
    return v;
}

std::vector<float> TNumberSource::Values(int64_t n) {
    std::vector<float> v(Index(n));
    for (float& f : v)
        f = Value();
    return v;
}

void TNumberSource::Fill(TArrGLfloat& Dest, TQorDataExtremes& E, size_t Component) {
    for (float& f : Dest) {
        f = Value();
        E.Add(Component, f);
    }
}

void TNumberSource::Expect(std::initializer_list<int64_t> Numbers) const {
    const std::optional<int64_t> total = QorSizing::Sum(Numbers);
    if (!total)
        throw RefusedCounts(Numbers, false);
    if (const int64_t most = MaxDataNumbers(FSource.Size()); *total > most) {
        TReadError e;
        e.AtCounts = true;
        e.Message = "the counts ask for " + std::to_string(*total) +
                    " numbers, more than a file of " + std::to_string(FSource.Size()) +
                    " bytes can hold (at most " + std::to_string(most) + ")";
        throw e;
    }
}

int64_t TNumberSource::FacePoints(int nx, int ny, int nz) {
    const int64_t sides = Product({ny, Sum({nx, nz})});
    return Product({Sum({sides, Product({nx, nz})}), 2});
}

int64_t TNumberSource::Sum(std::initializer_list<int64_t> Terms) {
    const std::optional<int64_t> s = QorSizing::Sum(Terms);
    if (!s)
        throw RefusedCounts(Terms, false);
    return *s;
}

int64_t TNumberSource::Product(std::initializer_list<int64_t> Factors) {
    const std::optional<int64_t> p = QorSizing::Product(Factors);
    if (!p)
        throw RefusedCounts(Factors, true);
    return *p;
}

} // namespace QorChartFileDetail
