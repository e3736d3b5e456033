// What the chart-file numbers, reader and writer share (internal to io/): the read error, the
// faces of a 4D-surface grid, the pieces of a text and the number source with its bulk.
#pragma once

#include "io/Qor3DChartFile.h"

#include "chart/Qor3DChart.h"

#include "QorDataText.h"
#include "QorParallel.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace QorChartFileDetail {

// Why a read failed, and where: the offset of the refused token, or (AtCounts) the place of the
// form's counts, which the refusal of a size concerns.
struct TReadError {
    std::string Message;
    uint64_t Offset = UINT64_MAX;
    bool AtCounts = false;
};

// The message for a token refused as a count or as a value: "'abc' is not a number".
std::string RefusedToken(std::string_view Token, bool Count);
// The refusal of counts that are negative or whose product (the factors are then named) or sum
// overflows.
TReadError RefusedCounts(std::initializer_list<int64_t> Numbers, bool Product);
// The line and the token's place on it (both from 1) of the token at Offset.
void TokenPlace(const TQorTextSource& Source, uint64_t Offset, int64_t& Line, int64_t& Field);

inline size_t Index(int64_t v) {
    return size_t(v);
}

// The face a point of a dk4DSurface grid lies on: rows and columns.
struct TFaceShape {
    int64_t Rows;
    int64_t Cols;
};

inline TFaceShape FaceShape(int Face, int nx, int ny, int nz) {
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

// ---- Pieces and the bulk of a form --------------------------------------------------------------

struct TPiece {
    uint64_t Begin = 0;
    uint64_t End = 0;
    bool AtLineStart = true;
    uint64_t FirstToken = 0; // tokens of the text before the piece
    uint64_t Tokens = 0;
};

// Cuts Begin ... End into pieces and counts their tokens on all cores; PropertyLine gets the
// offset of the first line beginning with "[" (UINT64_MAX when there is none).
std::vector<TPiece> CountPieces(const TQorTextSource& Source, uint64_t Begin,
                                const TQorLoadTuning& Tuning, uint64_t& PropertyLine);

// Normals a sink computed: the rows First ... Last - 1.
struct TRowSpan {
    int64_t First = 0;
    int64_t Last = 0;
};

// The numbers of a form after its tag line: counts and vectors one by one, the bulk in pieces.
class TNumberSource {
public:
    TNumberSource(const TQorTextSource& Source, uint64_t Begin, std::vector<TPiece> Pieces,
                  const TQorLoadTuning& Tuning);

    int Count();
    float Value();
    std::vector<float> Values(int64_t n);
    // Reads a coordinate vector into Dest, its extremes into component Component.
    void Fill(TArrGLfloat& Dest, TQorDataExtremes& E, size_t Component);
    // Refuses counts whose numbers are negative, overflow or are far more than the text holds,
    // before anything is allocated for them.
    void Expect(std::initializer_list<int64_t> Numbers) const;
    // Points on the six faces of an nx by ny by nz box.
    static int64_t FacePoints(int nx, int ny, int nz);
    static int64_t Sum(std::initializer_list<int64_t> Terms);
    static int64_t Product(std::initializer_list<int64_t> Factors);

    // Reads the next Count numbers, the bulk of the form: number t goes where the sink made by
    // Make(t) puts its first number. Returns the extremes of what was stored and, through Rows,
    // the normal rows the sinks computed. Missing numbers at the end of the text read as 0;
    // after a token that is not a number the rest of the bulk is zero and the read fails.
    template <typename TMake>
    TQorDataExtremes Bulk(int64_t Count, TMake Make, std::vector<TRowSpan>* Rows = nullptr);
    // True once a bulk has written every place it owns (numbers or zeros).
    bool BulkWritten() const { return FBulkWritten; }
    // Numbers the form asked for so far, and those of them that read as 0 because the text had
    // ended.
    int64_t Asked() const { return FAsked; }
    int64_t Missing() const { return int64_t(FReader.MissingNumbers()) + FBulkMissing; }
    // Offset of the form's first count, UINT64_MAX before one was read.
    uint64_t CountsOffset() const { return FCountsAt; }

private:
    struct TTask {
        size_t Piece;
        int64_t First;
        int64_t Last;
    };
    struct TTaskResult {
        TQorDataExtremes Extremes;
        int64_t Error = INT64_MAX;
        TReadError Why;
        TRowSpan Rows;
    };

    TReadError Refused(bool Count) const {
        return {RefusedToken(FReader.LastToken(), Count), FReader.LastTokenOffset()};
    }

    const TQorTextSource& FSource;
    TQorTokenReader FReader;
    std::vector<TPiece> FPieces;
    unsigned FThreads;
    bool FBulkWritten = false;
    int64_t FAsked = 0;
    int64_t FBulkMissing = 0;
    uint64_t FCountsAt = UINT64_MAX;
};

template <typename TMake>
TQorDataExtremes TNumberSource::Bulk(int64_t Count, TMake Make, std::vector<TRowSpan>* Rows) {
    const uint64_t first = FReader.Tokens();
    const uint64_t last = first + uint64_t(Count);
    FAsked += Count;
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
                throw Refused(false);
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
                    results[n].Why = {RefusedToken(reader.LastToken(), false),
                                      reader.LastTokenOffset()};
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
    const TTaskResult* failed = nullptr;
    for (const TTaskResult& r : results)
        if (r.Error < error) {
            error = r.Error;
            failed = &r;
        }
    if (failed != nullptr) {
        for (auto zero = Make(error); error < Count; ++error)
            zero.PutZero();
        FBulkWritten = true;
        throw failed->Why;
    }
    for (const TTaskResult& r : results) {
        extremes.Merge(r.Extremes);
        if (Rows != nullptr)
            Rows->push_back(r.Rows);
    }
    // The text ended before the bulk: the missing numbers are 0.
    if (const int64_t read = tasks.back().Last; read < Count) {
        FBulkMissing += Count - read;
        auto tail = Make(read);
        for (int64_t t = read; t < Count; ++t)
            tail.Put(0);
        extremes.Merge(tail.Extremes());
    }
    FBulkWritten = true;
    return extremes;
}

} // namespace QorChartFileDetail
