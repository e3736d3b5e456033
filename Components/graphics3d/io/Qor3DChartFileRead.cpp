// Chart data text files: the reader for every form, the writer for the forms that match the
// data held, and the file-level operations with the legend's property block.
//
// Sections: shared helpers; pieces and the bulk of a form; sinks (where each number of a form's
// bulk goes); reading the forms; LoadChartText / LoadFromFile; writing the forms; SaveToFile;
// LoadChartFile / SaveChartFile.
//
// Reading: the tag line is read first, then the text after it is cut into pieces at line ends
// and the pieces' tokens are counted on all cores (which also finds the property block). The
// counts and coordinate vectors of a form are read one by one; the bulk of its numbers (heights,
// values, blocks) is read piece by piece in parallel, each piece knowing from the counts which
// number it starts with. Every number is stored once, where the form puts it, with the ranges
// (and the normals of a full-layout surface, row by row) gathered on the way.
#include "io/Qor3DChartFile.h"

#include "chart/Qor3DChart.h"
#include "chart/Qor3DChartNormals.h"
#include "chart/Qor3DChartSizing.h"

#include "QorDataText.h"
#include "QorFileOutput.h"
#include "QorParallel.h"
#include "QorPropText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

// ---- Shared helpers ---------------------------------------------------------------------------

// Numbers a truncated file may still ask for beyond what its text can hold: enough for a large
// grid whose values were cut off, far from what would strain the memory.
constexpr int64_t ZeroFillAllowance = int64_t(1) << 22;
// Pieces per thread: pieces differ in work (the last may hold only property text), so a few
// more pieces than threads keep both cores busy to the end.
constexpr uint64_t PiecesPerThread = 4;

struct TReadError {};

// A logarithmic axis owns logarithms in the stored data; files hold real values. While a
// change of Logarithmic is not yet applied, the data still follow the previous state.
bool StoredAsLogarithm(const TQorChartAxis3D& Axis) {
    return Axis.LogChangePending() ? Axis.LogPrevious() : Axis.Logarithmic();
}

size_t Index(int64_t v) {
    return size_t(v);
}

// The face a point of a dk4DSurface grid lies on: rows and columns, and the point's
// coordinates for (column, row) from the three coordinate vectors.
struct TFaceShape {
    int64_t Rows;
    int64_t Cols;
};

TFaceShape FaceShape(int Face, int nx, int ny, int nz) {
    switch (Face) {
    case 1:
    case 2:
        return {ny, nx};
    case 3:
    case 4:
        return {ny, nz};
    default:
        return {nz, nx};
    }
}

float At(const std::vector<float>& v, int64_t i) {
    return i >= 0 && Index(i) < v.size() ? v[Index(i)] : 0.0f;
}

std::array<float, 3> FacePoint(int Face, int64_t Col, int64_t Row, const std::vector<float>& xs,
                               const std::vector<float>& ys, const std::vector<float>& zs) {
    const auto last = [](const std::vector<float>& v) {
        return int64_t(v.size()) - 1;
    };
    switch (Face) {
    case 1:
        return {At(xs, Col), At(ys, Row), At(zs, 0)};
    case 2:
        return {At(xs, Col), At(ys, Row), At(zs, last(zs))};
    case 3:
        return {At(xs, 0), At(ys, Row), At(zs, Col)};
    case 4:
        return {At(xs, last(xs)), At(ys, Row), At(zs, Col)};
    case 5:
        return {At(xs, Col), At(ys, 0), At(zs, Row)};
    default:
        return {At(xs, Col), At(ys, last(ys)), At(zs, Row)};
    }
}

// ---- Pieces and the bulk of a form --------------------------------------------------------------

struct TPiece {
    uint64_t Begin = 0;
    uint64_t End = 0;
    bool AtLineStart = true;
    uint64_t FirstToken = 0; // tokens of the text before the piece
    uint64_t Tokens = 0;
};

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

// Cuts Begin ... End into pieces and counts their tokens on all cores.
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

// Normals a sink computed: the rows First ... Last - 1.
struct TRowSpan {
    int64_t First = 0;
    int64_t Last = 0;
};

// The numbers of a form after its tag line: counts and vectors one by one, the bulk in pieces.
class TNumberSource {
public:
    TNumberSource(const TQorTextSource& Source, uint64_t Begin, std::vector<TPiece> Pieces,
                  const TQorLoadTuning& Tuning)
        : FSource(Source), FReader(Source, Begin, Source.Size()), FPieces(std::move(Pieces)),
          FThreads(Tuning.Threads) {}

    int Count() {
        int32_t v = 0;
        if (!FReader.ReadCount(v))
            throw TReadError{};
        return v;
    }
    float Value() {
        float v = 0;
        if (!FReader.ReadValue(v))
            throw TReadError{};
        return v;
    }
    std::vector<float> Values(int64_t n) {
        std::vector<float> v(Index(n));
        for (float& f : v)
            f = Value();
        return v;
    }
    // Reads a coordinate vector into Dest, its extremes into component Component.
    void Fill(TArrGLfloat& Dest, TQorDataExtremes& E, size_t Component) {
        for (float& f : Dest) {
            f = Value();
            E.Add(Component, f);
        }
    }
    // Refuses counts whose numbers are negative, overflow or are far more than the text holds,
    // before anything is allocated for them.
    void Expect(std::initializer_list<int64_t> Numbers) const {
        const std::optional<int64_t> total = QorSizing::Sum(Numbers);
        if (!total || *total > MaxDataNumbers(FSource.Size()))
            throw TReadError{};
    }
    // Points on the six faces of an nx by ny by nz box.
    static int64_t FacePoints(int nx, int ny, int nz) {
        const int64_t sides = Product({ny, Sum({nx, nz})});
        return Product({Sum({sides, Product({nx, nz})}), 2});
    }
    static int64_t Sum(std::initializer_list<int64_t> Terms) {
        const std::optional<int64_t> s = QorSizing::Sum(Terms);
        if (!s)
            throw TReadError{};
        return *s;
    }
    static int64_t Product(std::initializer_list<int64_t> Factors) {
        const std::optional<int64_t> p = QorSizing::Product(Factors);
        if (!p)
            throw TReadError{};
        return *p;
    }

    // Reads the next Count numbers, the bulk of the form: number t goes where the sink made by
    // Make(t) puts its first number. Returns the extremes of what was stored and, through Rows,
    // the normal rows the sinks computed. Missing numbers at the end of the text read as 0;
    // after a token that is not a number the rest of the bulk is zero and the read fails.
    template <typename TMake>
    TQorDataExtremes Bulk(int64_t Count, TMake Make, std::vector<TRowSpan>* Rows = nullptr);
    // True once a bulk has written every place it owns (numbers or zeros).
    bool BulkWritten() const { return FBulkWritten; }

private:
    struct TTask {
        size_t Piece;
        int64_t First;
        int64_t Last;
    };
    struct TTaskResult {
        TQorDataExtremes Extremes;
        int64_t Error = INT64_MAX;
        TRowSpan Rows;
    };

    const TQorTextSource& FSource;
    TQorTokenReader FReader;
    std::vector<TPiece> FPieces;
    unsigned FThreads;
    bool FBulkWritten = false;
};

template <typename TMake>
TQorDataExtremes TNumberSource::Bulk(int64_t Count, TMake Make, std::vector<TRowSpan>* Rows) {
    const uint64_t first = FReader.Tokens();
    const uint64_t last = first + uint64_t(Count);
    std::vector<TTask> tasks;
    for (size_t i = 0; i < FPieces.size(); ++i) {
        const TPiece& p = FPieces[i];
        const uint64_t a = std::max(first, p.FirstToken);
        const uint64_t b = std::min(last, p.FirstToken + p.Tokens);
        if (a < b)
            tasks.push_back({i, int64_t(a - first), int64_t(b - first)});
    }
    TQorDataExtremes extremes;
    if (tasks.size() <= 1) {
        auto sink = Make(0);
        for (int64_t t = 0; t < Count; ++t) {
            float v = 0;
            if (!FReader.ReadValue(v)) {
                for (auto zero = Make(t); t < Count; ++t)
                    zero.PutZero();
                FBulkWritten = true;
                throw TReadError{};
            }
            sink.Put(v);
        }
        if (Rows != nullptr)
            Rows->push_back(sink.NormalRows());
        FBulkWritten = true;
        return sink.Extremes();
    }
    std::vector<TTaskResult> results(tasks.size());
    QorParallel::For(
        tasks.size(),
        [&](size_t n) {
            const TTask& task = tasks[n];
            const TPiece& piece = FPieces[task.Piece];
            TQorTokenReader reader(FSource, piece.Begin, piece.End);
            reader.SkipTokens(first + uint64_t(task.First) - piece.FirstToken);
            auto sink = Make(task.First);
            for (int64_t t = task.First; t < task.Last; ++t) {
                float v = 0;
                if (!reader.ReadValue(v)) {
                    results[n].Error = t;
                    break;
                }
                sink.Put(v);
            }
            // Fewer tokens than counted: the file changed between the two passes.
            if (reader.MissingNumbers() > 0)
                FSource.MarkChanged();
            results[n].Extremes = sink.Extremes();
            results[n].Rows = sink.NormalRows();
        },
        FThreads);
    int64_t error = Count;
    for (const TTaskResult& r : results)
        error = std::min(error, r.Error);
    if (error < Count) {
        for (auto zero = Make(error); error < Count; ++error)
            zero.PutZero();
        FBulkWritten = true;
        throw TReadError{};
    }
    for (const TTaskResult& r : results) {
        extremes.Merge(r.Extremes);
        if (Rows != nullptr)
            Rows->push_back(r.Rows);
    }
    // The text ended before the bulk: the missing numbers are 0.
    if (const int64_t read = tasks.back().Last; read < Count) {
        auto tail = Make(read);
        for (int64_t t = read; t < Count; ++t)
            tail.Put(0);
        extremes.Merge(tail.Extremes());
    }
    FBulkWritten = true;
    return extremes;
}

// ---- Sinks --------------------------------------------------------------------------------------
// A sink stores the numbers of a form's bulk from a given number on: Put stores the next one,
// PutZero clears its places (a failed read leaves zeros, as the sizing would have), Extremes and
// NormalRows report what was gathered.

class TSinkBase {
public:
    const TQorDataExtremes& Extremes() const { return FExtremes; }
    TRowSpan NormalRows() const { return {}; }

protected:
    TQorDataExtremes FExtremes;
};

// Number t into Data[t]; its component is Component, or cycles x, y, z, v with t (Cycle4).
class TPlainSink : public TSinkBase {
public:
    TPlainSink(float* Data, int64_t First, size_t Component, bool Cycle4)
        : FAt(Data + First), FComponent(Cycle4 ? size_t(First % 4) : Component), FCycle(Cycle4) {}
    void Put(float v) {
        *FAt++ = v;
        FExtremes.Add(FComponent, v);
        if (FCycle)
            FComponent = (FComponent + 1) & 3;
    }
    void PutZero() { *FAt++ = 0; }

private:
    float* FAt;
    size_t FComponent;
    bool FCycle;
};

// Blocks of one component over all Points points (the "Hi" forms): block b holds component
// Order[b] of points 0 ... Points - 1, Stride floats per point.
class TBlockSink : public TSinkBase {
public:
    TBlockSink(float* Data, int64_t Points, size_t Stride, std::array<size_t, 4> Order,
               int64_t First)
        : FData(Data), FPoints(Points), FStride(Stride), FOrder(Order),
          FBlock(Points > 0 ? size_t(First / Points) : 0), FPoint(Points > 0 ? First % Points : 0) {
    }
    void Put(float v) { Store(v, true); }
    void PutZero() { Store(0, false); }

private:
    void Store(float v, bool Gather) {
        const size_t c = FOrder[FBlock];
        FData[Index(FPoint) * FStride + c] = v;
        if (Gather)
            FExtremes.Add(c, v);
        if (++FPoint == FPoints) {
            FPoint = 0;
            ++FBlock;
        }
    }
    float* FData;
    int64_t FPoints;
    size_t FStride;
    std::array<size_t, 4> FOrder;
    size_t FBlock;
    int64_t FPoint;
};

// The heights of a 3D grid form in the full layout: point (i, k) gets (x_i, height, z_k). The
// normals of a row are computed as soon as the rows around it are stored by this sink.
class TGrid3DSink : public TSinkBase {
public:
    TGrid3DSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Zs,
                int16_t* Normals, int64_t First)
        : FData(Data), FXs(Xs), FZs(Zs), FNX(int64_t(Xs.size())), FNZ(int64_t(Zs.size())),
          FPoint(First), FI(FNX > 0 ? First % FNX : 0), FK(FNX > 0 ? First / FNX : 0),
          FFullFrom(FI == 0 ? FK : FK + 1), FNormals(Data, size_t(FNX), size_t(FNZ), Normals),
          FHasNormals(Normals != nullptr) {}

    void Put(float v) {
        float* p = FData + 3 * FPoint;
        p[0] = FXs[Index(FI)];
        p[1] = v;
        p[2] = FZs[Index(FK)];
        // Every x and z of the vectors is stored, so their ranges are the vectors'.
        FExtremes.Add(1, v);
        Advance();
    }
    void PutZero() {
        float* p = FData + 3 * FPoint;
        p[0] = p[1] = p[2] = 0;
        ++FPoint;
    }
    TRowSpan NormalRows() const { return FRows; }

private:
    void Advance() {
        ++FPoint;
        if (++FI < FNX)
            return;
        FI = 0;
        RowStored(FK++);
    }
    // Row K is stored whole: the row before it has both neighbours now, and the last row has
    // no row after it.
    void RowStored(int64_t K) {
        if (!FHasNormals || K < FFullFrom)
            return;
        const auto ready = [&](int64_t Row) {
            return Row >= FFullFrom && (Row == 0 || Row - 1 >= FFullFrom);
        };
        if (K >= 1 && ready(K - 1))
            Computed(K - 1);
        if (K == FNZ - 1 && ready(K))
            Computed(K);
    }
    void Computed(int64_t Row) {
        FNormals.Compute(size_t(Row), size_t(Row + 1));
        if (FRows.First == FRows.Last)
            FRows = {Row, Row + 1};
        else
            FRows.Last = Row + 1;
    }

    float* FData;
    const std::vector<float>& FXs;
    const std::vector<float>& FZs;
    int64_t FNX;
    int64_t FNZ;
    int64_t FPoint;
    int64_t FI;
    int64_t FK;
    int64_t FFullFrom; // the first row this sink stores whole
    TQorNormalRows FNormals;
    bool FHasNormals;
    TRowSpan FRows;
};

// The pairs of the two COLOR forms: number t is the first or second of point t / 2, which also
// gets x_i and z_k.
class TColorSink : public TSinkBase {
public:
    TColorSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Zs,
               bool Swapped, int64_t First)
        : FData(Data), FXs(Xs), FNX(int64_t(Xs.size())), FZs(Zs), FSwapped(Swapped),
          FPoint(First / 2), FSecond(First % 2 != 0) {}
    void Put(float v) {
        float* p = FData + 4 * FPoint;
        const size_t c = FSecond != FSwapped ? 3 : 1;
        if (!FSecond) {
            p[0] = FXs[Index(FPoint % FNX)];
            p[2] = FZs[Index(FPoint / FNX)];
            FExtremes.Add(0, p[0]);
            FExtremes.Add(2, p[2]);
        }
        p[c] = v;
        FExtremes.Add(c, v);
        Advance();
    }
    void PutZero() {
        float* p = FData + 4 * FPoint;
        if (!FSecond)
            p[0] = p[2] = 0;
        p[FSecond != FSwapped ? 3 : 1] = 0;
        Advance();
    }

private:
    void Advance() {
        FPoint += FSecond ? 1 : 0;
        FSecond = !FSecond;
    }
    float* FData;
    const std::vector<float>& FXs;
    int64_t FNX;
    const std::vector<float>& FZs;
    bool FSwapped;
    int64_t FPoint;
    bool FSecond;
};

// Points of four floats x, y, z, v whose coordinates come from the three vectors.
class TCoordinateSink : public TSinkBase {
public:
    void PutZero() {
        std::fill(FAt, FAt + 4, 0.0f);
        FAt += 4;
    }

protected:
    TCoordinateSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Ys,
                    const std::vector<float>& Zs, int64_t First)
        : FXs(Xs), FYs(Ys), FZs(Zs), FAt(Data + 4 * First) {}
    void Store(float x, float y, float z, float v) {
        FAt[0] = x;
        FAt[1] = y;
        FAt[2] = z;
        FAt[3] = v;
        for (size_t c = 0; c < 4; ++c)
            FExtremes.Add(c, FAt[c]);
        FAt += 4;
    }

    const std::vector<float>& FXs;
    const std::vector<float>& FYs;
    const std::vector<float>& FZs;

private:
    float* FAt;
};

// The values of a 4D grid form in the full layout: point (i, j, k) gets (x_i, y_j, z_k, v).
class TGrid4DSink : public TCoordinateSink {
public:
    TGrid4DSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Ys,
                const std::vector<float>& Zs, int64_t First)
        : TCoordinateSink(Data, Xs, Ys, Zs, First) {
        const int64_t nx = int64_t(Xs.size()), ny = int64_t(Ys.size());
        if (nx > 0 && ny > 0) {
            FI = First % nx;
            FJ = First / nx % ny;
            FK = First / nx / ny;
        }
    }
    void Put(float v) {
        Store(FXs[Index(FI)], FYs[Index(FJ)], FZs[Index(FK)], v);
        if (++FI < int64_t(FXs.size()))
            return;
        FI = 0;
        if (++FJ < int64_t(FYs.size()))
            return;
        FJ = 0;
        ++FK;
    }

private:
    int64_t FI = 0, FJ = 0, FK = 0;
};

// The face values of a 4D-surface grid form in the full layout, each point with the
// coordinates of its place on the box.
class TSurfaceSink : public TCoordinateSink {
public:
    TSurfaceSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Ys,
                 const std::vector<float>& Zs, int64_t First)
        : TCoordinateSink(Data, Xs, Ys, Zs, First) {
        const int nx = int(Xs.size()), ny = int(Ys.size()), nz = int(Zs.size());
        while (FFace < 6 && TQor3DChart::FaceStart(FFace + 1, nx, ny, nz) <= First)
            ++FFace;
        const int64_t offset = First - TQor3DChart::FaceStart(FFace, nx, ny, nz);
        FShape = FaceShape(FFace, nx, ny, nz);
        FRow = FShape.Cols > 0 ? offset / FShape.Cols : 0;
        FCol = FShape.Cols > 0 ? offset % FShape.Cols : 0;
    }
    void Put(float v) {
        const std::array<float, 3> xyz = FacePoint(FFace, FCol, FRow, FXs, FYs, FZs);
        Store(xyz[0], xyz[1], xyz[2], v);
        if (++FCol < FShape.Cols)
            return;
        FCol = 0;
        if (++FRow < FShape.Rows)
            return;
        FRow = 0;
        // The next face with points.
        do
            FShape = FaceShape(++FFace, int(FXs.size()), int(FYs.size()), int(FZs.size()));
        while (FFace < 6 && FShape.Rows * FShape.Cols == 0);
    }

private:
    int FFace = 1;
    TFaceShape FShape{};
    int64_t FRow = 0;
    int64_t FCol = 0;
};

// ---- Reading the forms ------------------------------------------------------------------------

void Sized(bool Ok) {
    if (!Ok)
        throw TReadError{};
}

// The normals of every row no sink computed (around the pieces' borders).
void CompleteNormals(TQor3DChart& Chart, std::vector<TRowSpan> Done) {
    const size_t nx = size_t(Chart.NX()), nz = size_t(Chart.NZ());
    const float* data = Chart.Data().data();
    int16_t* out = Chart.Normals().data();
    std::sort(Done.begin(), Done.end(),
              [](const TRowSpan& a, const TRowSpan& b) { return a.First < b.First; });
    size_t next = 0;
    for (const TRowSpan& r : Done) {
        if (r.First == r.Last)
            continue;
        if (size_t(r.First) > next)
            ComputeNormalRows(data, nx, nz, next, size_t(r.First), out);
        next = std::max(next, size_t(r.Last));
    }
    ComputeNormalRows(data, nx, nz, next, nz, out);
}

// Sizes the normals of a full-layout surface for filling; false when there is no room.
int16_t* NormalsToFill(TQor3DChart& Chart) {
    try {
        Chart.Normals().resize(3 * size_t(Chart.NX()) * size_t(Chart.NZ()));
    } catch (const std::bad_alloc&) {
        TArrGLshort().swap(Chart.Normals());
        return nullptr;
    }
    return Chart.Normals().data();
}

// The extremes of a coordinate vector whose every value is stored (a grid of points).
void AddExtremes(TQorDataExtremes& E, size_t Component, const std::vector<float>& Values) {
    for (const float v : Values)
        E.Add(Component, v);
}

// Headerless and "<3D>": nx nz, the x line, the z values, the heights row by row.
void Read3DGrid(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, nz});
    In.Expect({nx, nz, n});
    Sized(Chart.SetSize3D(nx, nz, false));
    TArrGLfloat& d = Chart.Data();
    TQorDataExtremes e;
    if (Chart.LowMemoryLayout()) {
        In.Fill(Chart.XValues(), e, 0);
        In.Fill(Chart.ZValues(), e, 2);
        e.Merge(In.Bulk(n, [&](int64_t t) { return TPlainSink(d.data(), t, 1, false); }));
        Chart.UpdateRangesFrom(e);
        Chart.UpdateNormals();
        return;
    }
    const std::vector<float> xs = In.Values(Chart.NX());
    const std::vector<float> zs = In.Values(Chart.NZ());
    AddExtremes(e, 0, xs);
    AddExtremes(e, 2, zs);
    int16_t* normals = NormalsToFill(Chart);
    std::vector<TRowSpan> rows;
    try {
        e.Merge(In.Bulk(
            n, [&](int64_t t) { return TGrid3DSink(d.data(), xs, zs, normals, t); }, &rows));
    } catch (const TReadError&) {
        TArrGLshort().swap(Chart.Normals());
        throw;
    }
    Chart.UpdateRangesFrom(e);
    if (normals != nullptr)
        CompleteNormals(Chart, rows);
}

// "<3D HI>": every coordinate of every point, block by block (x, z, heights); always the
// full layout, UseLowMemory left as it was.
void Read3DHi(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, nz});
    In.Expect({nx, nz, n, n, n});
    const bool lowMemory = Chart.UseLowMemory();
    Chart.SetUseLowMemory(false);
    const bool ok = Chart.SetSize3D(nx, nz, false);
    Chart.SetUseLowMemory(lowMemory);
    Sized(ok);
    float* d = Chart.Data().data();
    const int64_t points = int64_t(Chart.NX()) * Chart.NZ();
    Chart.UpdateRangesFrom(In.Bulk(3 * points, [&](int64_t t) {
        return TBlockSink(d, points, 3, {0, 2, 1, 3}, t);
    }));
    if (NormalsToFill(Chart) != nullptr)
        CompleteNormals(Chart, {});
}

// "<NX4D>": the layer count, the layer sizes, then x y z v of every point in storage order.
void ReadNx4D(TQor3DChart& Chart, TNumberSource& In) {
    const int count = In.Count();
    In.Expect({count, count});
    TArrXZInteger layers(Index(std::max(count, 0)));
    for (TXZInteger& l : layers) {
        l.X = In.Count();
        l.Z = In.Count();
    }
    int64_t points = 0;
    for (const TXZInteger& l : layers) {
        points = TNumberSource::Sum({points, TNumberSource::Product({l.X, l.Z})});
    }
    In.Expect({2 * int64_t(count), TNumberSource::Product({points, 4})});
    Sized(Chart.SetSizeNx4D(layers, false));
    float* d = Chart.Data().data();
    Chart.UpdateRangesFrom(In.Bulk(int64_t(Chart.Data().size()),
                                   [&](int64_t t) { return TPlainSink(d, t, 0, true); }));
}

// "<3D COLOR>" and "<3D COLOR SWAPPED>": one dkNx4D layer from a 3D grid whose points carry a
// height and a value (value first when swapped).
void ReadColor(TQor3DChart& Chart, TNumberSource& In, bool Swapped) {
    const int nx = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, nz});
    In.Expect({nx, nz, n, n});
    Sized(Chart.SetSizeNx4D({TXZInteger{nx, nz}}, false));
    const std::vector<float> xs = In.Values(nx);
    const std::vector<float> zs = In.Values(nz);
    float* d = Chart.Data().data();
    const int64_t numbers = int64_t(Chart.Data().size() / 2);
    Chart.UpdateRangesFrom(
        In.Bulk(numbers, [&](int64_t t) { return TColorSink(d, xs, zs, Swapped, t); }));
}

// The low-memory layout of the 4D grid forms: the three vectors, then the values in file order.
void ReadLowMemory4D(TQor3DChart& Chart, TNumberSource& In) {
    TQorDataExtremes e;
    In.Fill(Chart.XValues(), e, 0);
    In.Fill(Chart.YValues(), e, 1);
    In.Fill(Chart.ZValues(), e, 2);
    float* d = Chart.Data().data();
    e.Merge(In.Bulk(int64_t(Chart.Data().size()),
                    [&](int64_t t) { return TPlainSink(d, t, 3, false); }));
    Chart.UpdateRangesFrom(e);
}

// "<4D>" and "<4D SURFACE>": nx ny nz, the three coordinate lines, then v slice by slice or
// face by face, each point (full layout) with the coordinates of its place.
template <typename TSink> void ReadVectorGrid(TQor3DChart& Chart, TNumberSource& In, bool Faces) {
    const int nx = In.Count();
    const int ny = In.Count();
    const int nz = In.Count();
    const int64_t n =
        Faces ? TNumberSource::FacePoints(nx, ny, nz) : TNumberSource::Product({nx, ny, nz});
    In.Expect({nx, ny, nz, n});
    Sized(Faces ? Chart.SetSize4DSurface(nx, ny, nz, false) : Chart.SetSize4D(nx, ny, nz, false));
    if (Chart.LowMemoryLayout())
        return ReadLowMemory4D(Chart, In);
    const std::vector<float> xs = In.Values(Chart.NX());
    const std::vector<float> ys = In.Values(Chart.NY());
    const std::vector<float> zs = In.Values(Chart.NZ());
    float* d = Chart.Data().data();
    Chart.UpdateRangesFrom(In.Bulk(int64_t(Chart.Data().size() / 4),
                                   [&](int64_t t) { return TSink(d, xs, ys, zs, t); }));
}

// "<4D HI>": four blocks x, y, z, v over all points; UseLowMemory is switched off for good.
void Read4DHi(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int ny = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, ny, nz});
    In.Expect({TNumberSource::Product({n, 4})});
    Chart.SetUseLowMemory(false);
    Sized(Chart.SetSize4D(nx, ny, nz, false));
    float* d = Chart.Data().data();
    const int64_t points = int64_t(Chart.Data().size() / 4);
    Chart.UpdateRangesFrom(In.Bulk(4 * points, [&](int64_t t) {
        return TBlockSink(d, points, 4, {0, 1, 2, 3}, t);
    }));
}

// "<4D SURFACE HI>": the six faces with x y z v per point; UseLowMemory switched off for good.
void Read4DSurfaceHi(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int ny = In.Count();
    const int nz = In.Count();
    const int64_t f = TNumberSource::FacePoints(nx, ny, nz);
    In.Expect({TNumberSource::Product({f, 4})});
    Chart.SetUseLowMemory(false);
    Sized(Chart.SetSize4DSurface(nx, ny, nz, false));
    float* d = Chart.Data().data();
    Chart.UpdateRangesFrom(In.Bulk(int64_t(Chart.Data().size()),
                                   [&](int64_t t) { return TPlainSink(d, t, 0, true); }));
}

// The end of the line that starts at Start (after its LF).
size_t LineEnd(std::string_view Text, size_t Start) {
    const size_t lf = Text.find('\n', Start);
    return lf == std::string_view::npos ? Text.size() : lf + 1;
}

void ReadForm(TQor3DChart& Chart, TNumberSource& in, const std::string& tag);

int ReadDataText(TQor3DChart& Chart, const TQorTextSource& Source, bool WithProperties,
                 const TQorLoadTuning& Tuning, TQorLoadReport& Report) {
    const TQorTagLine tagLine = ReadTagLine(Source);
    const bool headerless = !tagLine.Found || tagLine.Head.front() != '<';
    // The numbers of a tagged form follow the file's first line, so a tag must stand there.
    const uint64_t body = headerless ? 0 : tagLine.AfterFirstLine;
    uint64_t propertyLine = UINT64_MAX;
    std::vector<TPiece> pieces = CountPieces(Source, body, Tuning, propertyLine);
    Report.HasProperties = propertyLine != UINT64_MAX;
    if (Report.HasProperties && WithProperties)
        Report.PropertyText = Source.ReadString(propertyLine, Source.Size());
    TNumberSource in(Source, body, std::move(pieces), Tuning);
    // Headerless data are read as "<3D>" without the chart's properties.
    if (!headerless && WithProperties && Report.HasProperties) {
        TQorPropTextReader reader = TQorPropTextReader::Borrowing(Report.PropertyText);
        Chart.ReadFromText(reader, "");
    }
    const std::string tag = headerless ? "<3D>" : NormalizedTag(tagLine.Head);
    try {
        ReadForm(Chart, in, tag);
    } catch (...) {
        // The arrays were sized without zero-filling: what no number reached is zero, as a
        // sizing would have left it.
        if (!in.BulkWritten())
            std::fill(Chart.Data().begin(), Chart.Data().end(), 0.0f);
        throw;
    }
    return 0;
}

void ReadForm(TQor3DChart& Chart, TNumberSource& in, const std::string& tag) {
    if (tag == "<3D HI>")
        Read3DHi(Chart, in);
    else if (tag == "<3D>")
        Read3DGrid(Chart, in);
    else if (tag == "<NX4D>")
        ReadNx4D(Chart, in);
    else if (tag == "<3D COLOR>")
        ReadColor(Chart, in, false);
    else if (tag == "<3D COLOR SWAPPED>")
        ReadColor(Chart, in, true);
    else if (tag == "<4D>")
        ReadVectorGrid<TGrid4DSink>(Chart, in, false);
    else if (tag == "<4D HI>")
        Read4DHi(Chart, in);
    else if (tag == "<4D SURFACE>")
        ReadVectorGrid<TSurfaceSink>(Chart, in, true);
    else if (tag == "<4D SURFACE HI>")
        Read4DSurfaceHi(Chart, in);
}

// Numbers in files are real values: the data just stored are real, and the Changed that ends
// the load converts them once along every logarithmic axis.
void MarkDataReal(TQor3DChart& Chart) {
    for (TQorChartAxis3D* axis : {&Chart.AxisX(), &Chart.AxisY(), &Chart.AxisZ()})
        axis->SetLogState(false, axis->Logarithmic());
}

// A file that cannot be opened leaves the empty chart.
int FailedOpen(TQor3DChart& Chart) {
    Chart.BeginUpdate();
    Chart.ClearData();
    MarkDataReal(Chart);
    Chart.Changed();
    Chart.EndUpdate();
    return -1;
}

// ---- Writing the forms ------------------------------------------------------------------------

// Numbers per piece when a long stretch is formatted on all cores.
constexpr int64_t NumbersPerPiece = int64_t(1) << 16;
// Stretches shorter than this are formatted on the calling thread.
constexpr int64_t ParallelNumbers = int64_t(1) << 18;

// A stretch of a form laid out in lines: Lines lines of PerLine numbers, an empty line after
// every Group lines (0: never). Number t is Data[t * Stride] along Axis (0 X, 1 Y, 2 Z, -1 a
// value v, or Cycled: x, y, z, v in turn).
struct TRun {
    const float* Data = nullptr;
    size_t Stride = 1;
    int64_t Lines = 0;
    int64_t PerLine = 0;
    int64_t Group = 0;
    int Axis = -1;
    static constexpr int Cycled = -2;
};

// Gathers the text in large pieces and hands each to the output file, so a large grid never
// needs its whole text in memory.
class TDataOutput {
public:
    explicit TDataOutput(const std::string& FileName) : FFile(FileName) {}

    std::string& Text() { return FText; }
    void Flush() {
        FFile.Write(FText);
        FText.clear();
    }
    void FlushIfLarge() {
        if (FText.size() >= FlushSize)
            Flush();
    }
    TQorFileOutput& File() { return FFile; }
    bool Commit() {
        Flush();
        return FFile.Commit();
    }

private:
    static constexpr size_t FlushSize = size_t(1) << 20;
    TQorFileOutput FFile;
    std::string FText;
};

class TDataWriter {
public:
    TDataWriter(const TQor3DChart& Chart, TDataOutput& Out)
        : FChart(Chart),
          FOut(Out), FLog{StoredAsLogarithm(Chart.AxisX()), StoredAsLogarithm(Chart.AxisY()),
                          StoredAsLogarithm(Chart.AxisZ())} {}

    void Tag(const char* Tag) {
        FOut.Text() += Tag;
        EndLine();
    }
    void Counts(std::initializer_list<int64_t> Counts) {
        char buffer[24];
        bool first = true;
        for (int64_t c : Counts) {
            if (!first)
                FOut.Text() += '\t';
            first = false;
            FOut.Text().append(buffer, std::to_chars(buffer, buffer + sizeof buffer, c).ptr);
        }
        EndLine();
    }
    void EndLine() {
        FOut.Text() += "\r\n";
        FOut.FlushIfLarge();
    }
    // One line of a coordinate vector owned by Axis.
    void Line(const float* Values, size_t Count, int Axis) {
        Run({Values, 1, 1, int64_t(Count), 0, Axis});
    }
    void Line(const std::vector<float>& Values, int Axis) {
        Line(Values.data(), Values.size(), Axis);
    }
    void Line(const TArrGLfloat& Values, int Axis) { Line(Values.data(), Values.size(), Axis); }

    // Writes a run; a long one is formatted piece by piece on all cores and written in order.
    void Run(const TRun& R) {
        if (R.PerLine <= 0) {
            for (int64_t l = 0; l < R.Lines; ++l) {
                EndLine();
                if (R.Group > 0 && (l + 1) % R.Group == 0)
                    EndLine();
            }
            return;
        }
        const int64_t count = R.Lines * R.PerLine;
        if (count < ParallelNumbers) {
            for (int64_t from = 0; from < count; from += NumbersPerPiece) {
                Format(R, from, std::min(count, from + NumbersPerPiece), Piece(0));
                FOut.Text().append(FPieces[0].Data.get(), FPieces[0].Size);
                FOut.FlushIfLarge();
            }
            return;
        }
        FOut.Flush();
        // Rounds of pieces: while the pieces of one round are formatted, one task writes the
        // pieces of the round before, so the file write overlaps the formatting.
        const size_t round = 2 * size_t(QorParallel::Threads());
        size_t written = 0; // pieces of the previous round, in FPieces[round ...]
        for (int64_t start = 0; start < count;) {
            const size_t pieces = size_t(std::min<int64_t>(
                int64_t(round), (count - start + NumbersPerPiece - 1) / NumbersPerPiece));
            for (size_t p = 0; p < 2 * round; ++p)
                Piece(p);
            QorParallel::For(pieces + 1, [&](size_t task) {
                if (task == pieces) {
                    WritePieces(round, written);
                    return;
                }
                const int64_t from = start + int64_t(task) * NumbersPerPiece;
                Format(R, from, std::min(count, from + NumbersPerPiece), FPieces[task]);
            });
            for (size_t p = 0; p < pieces; ++p)
                std::swap(FPieces[p], FPieces[round + p]);
            written = pieces;
            start += int64_t(pieces) * NumbersPerPiece;
        }
        WritePieces(round, written);
    }

    const TQor3DChart& Chart() const { return FChart; }

private:
    // Text of one piece; large enough for NumbersPerPiece numbers: a number takes at most 24
    // characters, its separator and line ends 5 more.
    struct TPieceText {
        std::unique_ptr<char[]> Data;
        size_t Size = 0;
    };
    static constexpr size_t PieceBytes = size_t(NumbersPerPiece) * 29;

    void WritePieces(size_t First, size_t Count) {
        for (size_t p = First; p < First + Count; ++p)
            FOut.File().Write(FPieces[p].Data.get(), FPieces[p].Size);
    }

    TPieceText& Piece(size_t Index) {
        if (FPieces.size() <= Index)
            FPieces.resize(Index + 1);
        if (!FPieces[Index].Data)
            FPieces[Index].Data = std::make_unique<char[]>(PieceBytes);
        return FPieces[Index];
    }

    // The text of numbers From ... To - 1 of R (at most NumbersPerPiece), with their separators
    // and line ends.
    void Format(const TRun& R, int64_t From, int64_t To, TPieceText& Out) const {
        char* const first = Out.Data.get();
        char* p = first;
        int64_t col = From % R.PerLine;
        int64_t line = From / R.PerLine;
        for (int64_t t = From; t < To; ++t) {
            if (col > 0)
                *p++ = '\t';
            const int axis = R.Axis == TRun::Cycled ? (t % 4 < 3 ? int(t % 4) : -1) : R.Axis;
            const float stored = R.Data[size_t(t) * R.Stride];
            p = FormatDataNumber(p, axis >= 0 && FLog[size_t(axis)] ? std::pow(10.0, double(stored))
                                                                    : double(stored));
            if (++col == R.PerLine) {
                col = 0;
                *p++ = '\r';
                *p++ = '\n';
                if (R.Group > 0 && ++line % R.Group == 0) {
                    *p++ = '\r';
                    *p++ = '\n';
                }
            }
        }
        Out.Size = size_t(p - first);
    }

    const TQor3DChart& FChart;
    TDataOutput& FOut;
    std::array<bool, 3> FLog;
    std::vector<TPieceText> FPieces;
};

// A coordinate vector taken from the points of a full layout: Count points Step apart from
// First, component Component of Stride floats.
std::vector<float> CoordsFromPoints(const TArrGLfloat& d, int64_t Count, int64_t First,
                                    int64_t Step, size_t Stride, size_t Component) {
    std::vector<float> v(Index(Count));
    for (int64_t i = 0; i < Count; ++i) {
        const size_t at = Index(First + i * Step) * Stride + Component;
        v[Index(i)] = at < d.size() ? d[at] : 0.0f;
    }
    return v;
}

std::vector<float> Vector(const TArrGLfloat& v) {
    return std::vector<float>(v.begin(), v.end());
}

void Write3D(TDataWriter& W, bool Grid) {
    const TQor3DChart& c = W.Chart();
    const int nx = c.NX(), nz = c.NZ();
    const TArrGLfloat& d = c.Data();
    if (!Grid) {
        W.Tag("<3D Hi>");
        W.Counts({nx, nz});
        W.Run({d.data(), 3, nz, nx, 0, 0});
        W.Run({d.data() + 2, 3, nz, nx, 0, 2});
        W.Run({d.data() + 1, 3, nz, nx, 0, 1});
        return;
    }
    W.Tag("<3D>");
    W.Counts({nx, nz});
    const bool low = c.LowMemoryLayout();
    W.Line(low ? Vector(c.XValues()) : CoordsFromPoints(d, nx, 0, 1, 3, 0), 0);
    const std::vector<float> zs = low ? Vector(c.ZValues()) : CoordsFromPoints(d, nz, 0, nx, 3, 2);
    W.Run({zs.data(), 1, int64_t(zs.size()), 1, 0, 2});
    W.Run({d.data() + (low ? 0 : 1), size_t(low ? 1 : 3), nz, nx, 0, 1});
}

void WriteNx4D(TDataWriter& W) {
    const TQor3DChart& c = W.Chart();
    W.Tag("<Nx4D>");
    W.Counts({int64_t(c.Layers().size())});
    for (const TXZInteger& l : c.Layers())
        W.Counts({l.X, l.Z});
    const float* d = c.Data().data();
    for (const TXZInteger& l : c.Layers()) {
        W.Run({d, 1, l.Z, 4 * int64_t(l.X), l.Z, TRun::Cycled});
        if (l.Z <= 0)
            W.EndLine();
        d += 4 * int64_t(l.X) * l.Z;
    }
}

void Write4D(TDataWriter& W, bool Grid) {
    const TQor3DChart& c = W.Chart();
    const int nx = c.NX(), ny = c.NY(), nz = c.NZ();
    const TArrGLfloat& d = c.Data();
    const bool low = c.LowMemoryLayout();
    const int64_t lines = int64_t(ny) * nz;
    // A slice per k: ny lines, then an empty line.
    const auto slices = [&](const float* First, size_t Stride, int Axis) {
        if (ny > 0)
            W.Run({First, Stride, lines, nx, ny, Axis});
        else
            for (int k = 0; k < nz; ++k)
                W.EndLine();
    };
    if (!Grid) {
        W.Tag("<4D Hi>");
        W.Counts({nx, ny, nz});
        for (size_t comp = 0; comp < 4; ++comp)
            slices(d.data() + comp, 4, comp < 3 ? int(comp) : -1);
        return;
    }
    W.Tag("<4D>");
    W.Counts({nx, ny, nz});
    W.Line(low ? Vector(c.XValues()) : CoordsFromPoints(d, nx, 0, 1, 4, 0), 0);
    W.Line(low ? Vector(c.YValues()) : CoordsFromPoints(d, ny, 0, nx, 4, 1), 1);
    W.Line(low ? Vector(c.ZValues()) : CoordsFromPoints(d, nz, 0, int64_t(nx) * ny, 4, 2), 2);
    W.EndLine();
    slices(d.data() + (low ? 0 : 3), low ? 1 : 4, -1);
}

void Write4DSurface(TDataWriter& W, bool Grid) {
    const TQor3DChart& c = W.Chart();
    const int nx = c.NX(), ny = c.NY(), nz = c.NZ();
    const TArrGLfloat& d = c.Data();
    const bool low = c.LowMemoryLayout();
    W.Tag(Grid ? "<4D surface>" : "<4D surface Hi>");
    W.Counts({nx, ny, nz});
    if (Grid) {
        W.Line(low ? Vector(c.XValues()) : CoordsFromPoints(d, nx, 0, 1, 4, 0), 0);
        W.Line(low ? Vector(c.YValues()) : CoordsFromPoints(d, ny, 0, nx, 4, 1), 1);
        W.Line(low ? Vector(c.ZValues())
                   : CoordsFromPoints(d, nz, TQor3DChart::FaceStart(3, nx, ny, nz), 1, 4, 2),
               2);
        W.EndLine();
    }
    for (int face = 1; face <= 6; ++face) {
        const TFaceShape shape = FaceShape(face, nx, ny, nz);
        const size_t p = size_t(TQor3DChart::FaceStart(face, nx, ny, nz));
        if (shape.Rows <= 0)
            W.EndLine();
        else if (Grid)
            W.Run({d.data() + (low ? p : 4 * p + 3), size_t(low ? 1 : 4), shape.Rows, shape.Cols,
                   shape.Rows, -1});
        else
            W.Run({d.data() + 4 * p, 1, shape.Rows, 4 * shape.Cols, shape.Rows, TRun::Cycled});
    }
}

} // namespace

// ---- Public helpers ---------------------------------------------------------------------------

size_t FindPropertyBlock(std::string_view Text) {
    size_t start = 0;
    while (start < Text.size()) {
        if (Text[start] == '[')
            return start;
        start = LineEnd(Text, start);
    }
    return std::string_view::npos;
}

int64_t MaxDataNumbers(uint64_t TextSize) {
    return int64_t(std::min<uint64_t>(TextSize / 2, uint64_t(1) << 60)) + 1 + ZeroFillAllowance;
}

std::string ChartFileProblem(const std::string& FileName) {
    TQorTextSource source;
    std::string problem;
    return source.Open(FileName, &problem) ? std::string() : problem;
}

bool ReadChartPropertyText(const std::string& FileName, std::string& Text, std::string* Error) {
    Text.clear();
    TQorTextSource source;
    if (!source.Open(FileName, Error))
        return false;
    const uint64_t start = ScanText(source, 0, source.Size()).FirstBracketLine;
    return ReadSourceText(source, start, Text, Error);
}

// ---- Loading ----------------------------------------------------------------------------------

int LoadChartText(TQor3DChart& Chart, const TQorTextSource& Source, bool WithProperties,
                  const TQorLoadTuning& Tuning, TQorLoadReport* Report) {
    TQorLoadReport report;
    Chart.BeginUpdate();
    int result = 0;
    Chart.ClearData();
    try {
        result = ReadDataText(Chart, Source, WithProperties, Tuning, report);
    } catch (const TReadError&) {
        result = -1;
    } catch (const std::exception&) {
        result = -1;
    }
    // What was read from a file that changed meanwhile may be anything.
    if (Source.Changed())
        result = -1;
    MarkDataReal(Chart);
    Chart.Changed();
    Chart.EndUpdate();
    if (Report != nullptr)
        *Report = std::move(report);
    return result;
}

int TQor3DChart::LoadFromText(std::string_view Text, bool WithProperties) {
    const TQorTextSource source(Text);
    return LoadChartText(*this, source, WithProperties);
}

int TQor3DChart::LoadFromFile(const std::string& FileName, bool WithProperties) {
    TQorTextSource source;
    if (source.Open(FileName))
        return LoadChartText(*this, source, WithProperties);
    return FailedOpen(*this);
}

// ---- Saving -----------------------------------------------------------------------------------

int TQor3DChart::SaveToFile(const std::string& FileName, bool ForceGridForm,
                            bool WithProperties) const {
    return SaveToFile(FileName, ForceGridForm, WithProperties, nullptr);
}

int TQor3DChart::SaveToFile(const std::string& FileName, bool ForceGridForm, bool WithProperties,
                            const std::function<void(std::string& Text)>& AppendTrailer) const {
    try {
        TDataOutput out(FileName);
        if (!out.File().Ok())
            return -1;
        TDataWriter w(*this, out);
        const bool grid = LowMemoryLayout() || ForceGridForm;
        switch (DataKind()) {
        case dk3D:
            Write3D(w, grid);
            break;
        case dkNx4D:
            WriteNx4D(w);
            break;
        case dk4D:
            Write4D(w, grid);
            break;
        case dk4DSurface:
            Write4DSurface(w, grid);
            break;
        }
        if (WithProperties) {
            TQorPropTextWriter props;
            WriteToText(props, "");
            out.Text() += props.Text();
        }
        if (AppendTrailer)
            AppendTrailer(out.Text());
        return out.Commit() ? 0 : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

// ---- Chart files with the legend --------------------------------------------------------------

int LoadChartSource(TQor3DChart& Chart, IQorChartFileLegend* Legend, const TQorTextSource& Source,
                    bool WithProperties) {
    if (Legend != nullptr)
        Legend->BeginUpdate();
    Chart.BeginUpdate();
    int result = -1;
    try {
        TQorLoadReport report;
        result = LoadChartText(Chart, Source, WithProperties, {}, &report);
        if (result == 0 && WithProperties && report.HasProperties && Legend != nullptr)
            Legend->ReadFromFileText(report.PropertyText);
    } catch (const std::exception&) {
        result = -1;
    }
    Chart.EndUpdate();
    if (Legend != nullptr)
        Legend->EndUpdate();
    return result;
}

int LoadChartFile(TQor3DChart& Chart, IQorChartFileLegend* Legend, const std::string& FileName,
                  bool WithProperties) {
    TQorTextSource source;
    if (source.Open(FileName))
        return LoadChartSource(Chart, Legend, source, WithProperties);
    if (Legend != nullptr)
        Legend->BeginUpdate();
    FailedOpen(Chart);
    if (Legend != nullptr)
        Legend->EndUpdate();
    return -1;
}

int SaveChartFile(const TQor3DChart& Chart, IQorChartFileLegend* Legend,
                  const std::string& FileName, bool WithProperties, bool ForceGridForm) {
    return Chart.SaveToFile(FileName, ForceGridForm, WithProperties, [&](std::string& Text) {
        if (WithProperties && Legend != nullptr)
            Legend->AppendText(Text);
    });
}
