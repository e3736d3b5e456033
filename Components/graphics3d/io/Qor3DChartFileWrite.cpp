// Writing chart data text files: the forms that match the data held, SaveToFile and the save
// with the legend's property block.
#include "io/Qor3DChartFile.h"

#include "io/Qor3DChartFileDetail.h"

#include "chart/Qor3DChart.h"

#include "QorDataText.h"
#include "QorFileOutput.h"
#include "QorParallel.h"
#include "QorPropText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

using namespace QorChartFileDetail;

namespace {

// A logarithmic axis owns logarithms in the stored data; files hold real values. While a
// change of Logarithmic is not yet applied, the data still follow the previous state.
bool StoredAsLogarithm(const TQorChartAxis3D& Axis) {
    return Axis.LogChangePending() ? Axis.LogPrevious() : Axis.Logarithmic();
}

// A coordinate along a logarithmic axis whose value is lost: the logarithm of a value that was
// not positive, the value itself no longer known. Writing NAN for it would change the data.
struct ELostValue : std::runtime_error {
    ELostValue() : std::runtime_error("lost value") {}
};

// The number a file holds for the stored number at At along Axis (-1: a value v).
double FileValue(const TQor3DChart& Chart, const std::array<bool, 3>& Log, const float* At,
                 int Axis) {
    if (Axis < 0 || !Log[size_t(Axis)])
        return double(*At);
    if (const float* real = Chart.RealCoordinate(Axis, At))
        return double(*real);
    if (std::isnan(*At))
        throw ELostValue();
    return std::pow(10.0, double(*At));
}

// ---- Writing the forms ------------------------------------------------------------------------

// Numbers per piece when a long stretch is formatted on all cores.
constexpr int64_t NumbersPerPiece = int64_t(1) << 16;
// Stretches shorter than this are formatted on the calling thread.
constexpr int64_t ParallelNumbers = int64_t(1) << 18;

// A stretch of a form laid out in lines: Lines lines of PerLine numbers, an empty line after
// every Group lines (0: never). Number t is Data[t * Stride] along Axis (0 X, 1 Y, 2 Z, -1 a
// value v, or Cycled: x, y, z, v in turn), or Ready[t] when numbers are given as written.
struct TRun {
    const float* Data = nullptr;
    size_t Stride = 1;
    int64_t Lines = 0;
    int64_t PerLine = 0;
    int64_t Group = 0;
    int Axis = -1;
    const double* Ready = nullptr;
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
    void Line(const std::vector<double>& Values) {
        Run({nullptr, 1, 1, int64_t(Values.size()), 0, -1, Values.data()});
    }
    void Line(const TArrGLfloat& Values, int Axis) { Line(Values.data(), Values.size(), Axis); }
    double Value(const float* At, int Axis) const { return FileValue(FChart, FLog, At, Axis); }

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
            p = FormatDataNumber(
                p, R.Ready != nullptr ? R.Ready[t] : Value(R.Data + size_t(t) * R.Stride, axis));
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

// Where one coordinate runs through the points of a full layout: Count points Step apart from
// point First, component Component of Stride floats.
struct TPointWalk {
    int64_t Count = 0, First = 0, Step = 1;
    size_t Stride = 3, Component = 0;
};

// A coordinate vector taken from the points of a full layout, as written.
std::vector<double> CoordsFromPoints(const TDataWriter& W, const TArrGLfloat& d,
                                     const TPointWalk& P) {
    std::vector<double> v(Index(P.Count));
    for (int64_t i = 0; i < P.Count; ++i) {
        const size_t at = Index(P.First + i * P.Step) * P.Stride + P.Component;
        v[Index(i)] = at < d.size() ? W.Value(d.data() + at, int(P.Component)) : 0.0;
    }
    return v;
}

// A coordinate vector of the low-memory layout, as written.
std::vector<double> Vector(const TDataWriter& W, const TArrGLfloat& v, int Axis) {
    std::vector<double> out(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = W.Value(v.data() + i, Axis);
    return out;
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
    W.Line(low ? Vector(W, c.XValues(), 0) : CoordsFromPoints(W, d, {.Count = nx, .Stride = 3}));
    const std::vector<double> zs =
        low ? Vector(W, c.ZValues(), 2)
            : CoordsFromPoints(W, d, {.Count = nz, .Step = nx, .Stride = 3, .Component = 2});
    W.Run({nullptr, 1, int64_t(zs.size()), 1, 0, 2, zs.data()});
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
    W.Line(low ? Vector(W, c.XValues(), 0) : CoordsFromPoints(W, d, {.Count = nx, .Stride = 4}));
    W.Line(low ? Vector(W, c.YValues(), 1)
               : CoordsFromPoints(W, d, {.Count = ny, .Step = nx, .Stride = 4, .Component = 1}));
    W.Line(low ? Vector(W, c.ZValues(), 2)
               : CoordsFromPoints(
                     W, d, {.Count = nz, .Step = int64_t(nx) * ny, .Stride = 4, .Component = 2}));
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
        W.Line(low ? Vector(W, c.XValues(), 0)
                   : CoordsFromPoints(W, d, {.Count = nx, .Stride = 4}));
        W.Line(
            low ? Vector(W, c.YValues(), 1)
                : CoordsFromPoints(W, d, {.Count = ny, .Step = nx, .Stride = 4, .Component = 1}));
        W.Line(low ? Vector(W, c.ZValues(), 2)
                   : CoordsFromPoints(W, d,
                                      {.Count = nz,
                                       .First = TQor3DChart::FaceStart(3, nx, ny, nz),
                                       .Stride = 4,
                                       .Component = 2}));
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

// ---- Saving -----------------------------------------------------------------------------------

int TQor3DChart::SaveToFile(const std::string& FileName, bool ForceGridForm,
                            bool WithProperties) const {
    return SaveToFile(FileName, ForceGridForm, WithProperties, nullptr);
}

int TQor3DChart::SaveToFile(const std::string& FileName, bool ForceGridForm, bool WithProperties,
                            const std::function<void(std::string& Text)>& AppendTrailer,
                            std::string* Error) const {
    const auto fail = [&](const std::string& Reason) {
        if (Error != nullptr)
            *Error = Reason;
        return -1;
    };
    try {
        TDataOutput out(FileName);
        if (!out.File().Ok())
            return fail(out.File().Error());
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
        return out.Commit() ? 0 : fail(out.File().Error());
    } catch (const ELostValue&) {
        return fail(ChartSaveProblem(*this));
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}

std::string ChartSaveProblem(const TQor3DChart& Chart) {
    const std::array<bool, 3> log = {StoredAsLogarithm(Chart.AxisX()),
                                     StoredAsLogarithm(Chart.AxisY()),
                                     StoredAsLogarithm(Chart.AxisZ())};
    const bool low = Chart.LowMemoryLayout() && Chart.DataKind() != dkNx4D;
    const size_t stride = low ? 1 : Chart.DataKind() == dk3D ? 3 : 4;
    for (size_t c = 0; c < 3; ++c) {
        if (!log[c])
            continue;
        const TArrGLfloat& a = !low || (c == 1 && Chart.DataKind() == dk3D) ? Chart.Data()
                               : c == 0                                     ? Chart.XValues()
                               : c == 1                                     ? Chart.YValues()
                                                                            : Chart.ZValues();
        for (size_t at = low ? 0 : c; at < a.size(); at += stride)
            if (std::isnan(a[at]) && Chart.RealCoordinate(int(c), a.data() + at) == nullptr)
                return std::string("a coordinate along the logarithmic ") + "XYZ"[c] +
                       " axis was not positive and its value is no longer known";
    }
    return {};
}

// ---- Chart files with the legend --------------------------------------------------------------

int SaveChartFile(const TQor3DChart& Chart, IQorChartFileLegend* Legend,
                  const std::string& FileName, bool WithProperties, bool ForceGridForm,
                  std::string* Error) {
    return Chart.SaveToFile(
        FileName, ForceGridForm, WithProperties,
        [&](std::string& Text) {
            if (WithProperties && Legend != nullptr)
                Legend->AppendText(Text);
        },
        Error);
}
