// Chart data text files: the reader for every form, the writer for the forms that match the
// data held, and the file-level operations with the legend's property block.
//
// Sections: shared helpers; reading the forms; LoadFromText / LoadFromFile; writing the forms;
// SaveToFile; LoadChartFile / SaveChartFile.
#include "io/Qor3DChartFile.h"

#include "chart/Qor3DChart.h"
#include "chart/Qor3DChartSizing.h"

#include "QorDataText.h"
#include "QorPropText.h"

#include <QSaveFile>
#include <QString>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// ---- Shared helpers ---------------------------------------------------------------------------

// Numbers a truncated file may still ask for beyond what its text can hold: enough for a large
// grid whose values were cut off, far from what would strain the memory.
constexpr int64_t ZeroFillAllowance = int64_t(1) << 22;

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

// ---- Reading the forms ------------------------------------------------------------------------

class TNumberSource {
public:
    explicit TNumberSource(std::string_view Text) : FReader(Text), FTextSize(Text.size()) {}

    TQorTokenReader& Reader() { return FReader; }

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
    void Fill(TArrGLfloat& Dest) {
        for (float& f : Dest)
            f = Value();
    }
    // Refuses counts whose numbers are negative, overflow or are far more than the text holds,
    // before anything is allocated for them.
    void Expect(std::initializer_list<int64_t> Numbers) const {
        const std::optional<int64_t> total = QorSizing::Sum(Numbers);
        if (!total || *total > MaxDataNumbers(FTextSize))
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

private:
    TQorTokenReader FReader;
    size_t FTextSize;
};

void Sized(bool Ok) {
    if (!Ok)
        throw TReadError{};
}

// Headerless and "<3D>": nx nz, the x line, the z values, the heights row by row.
void Read3DGrid(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, nz});
    In.Expect({nx, nz, n});
    Sized(Chart.SetSize3D(nx, nz));
    TArrGLfloat& d = Chart.Data();
    if (Chart.LowMemoryLayout()) {
        In.Fill(Chart.XValues());
        In.Fill(Chart.ZValues());
        In.Fill(d);
    } else {
        const std::vector<float> xs = In.Values(nx);
        const std::vector<float> zs = In.Values(nz);
        for (int64_t k = 0; k < nz; ++k)
            for (int64_t i = 0; i < nx; ++i) {
                const size_t p = Index(3 * (i + nx * k));
                d[p] = xs[Index(i)];
                d[p + 1] = In.Value();
                d[p + 2] = zs[Index(k)];
            }
    }
    Chart.UpdateRanges();
    Chart.UpdateNormals();
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
    const bool ok = Chart.SetSize3D(nx, nz);
    Chart.SetUseLowMemory(lowMemory);
    Sized(ok);
    TArrGLfloat& d = Chart.Data();
    for (const size_t c : {0u, 2u, 1u})
        for (int64_t p = 0; p < n; ++p)
            d[Index(3 * p) + c] = In.Value();
    Chart.UpdateRanges();
    Chart.UpdateNormals();
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
    Sized(Chart.SetSizeNx4D(layers));
    In.Fill(Chart.Data());
    Chart.UpdateRanges();
}

// "<3D COLOR>" and "<3D COLOR SWAPPED>": one dkNx4D layer from a 3D grid whose points carry a
// height and a value (value first when swapped).
void ReadColor(TQor3DChart& Chart, TNumberSource& In, bool Swapped) {
    const int nx = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, nz});
    In.Expect({nx, nz, n, n});
    Sized(Chart.SetSizeNx4D({TXZInteger{nx, nz}}));
    const std::vector<float> xs = In.Values(nx);
    const std::vector<float> zs = In.Values(nz);
    TArrGLfloat& d = Chart.Data();
    for (int64_t k = 0; k < nz; ++k)
        for (int64_t i = 0; i < nx; ++i) {
            const size_t p = Index(4 * (i + nx * k));
            const float first = In.Value();
            const float second = In.Value();
            d[p] = xs[Index(i)];
            d[p + 1] = Swapped ? second : first;
            d[p + 2] = zs[Index(k)];
            d[p + 3] = Swapped ? first : second;
        }
    Chart.UpdateRanges();
}

// The low-memory layout of the 4D grid forms: the three vectors, then the values in file order.
void ReadLowMemory4D(TQor3DChart& Chart, TNumberSource& In) {
    In.Fill(Chart.XValues());
    In.Fill(Chart.YValues());
    In.Fill(Chart.ZValues());
    In.Fill(Chart.Data());
}

// "<4D>": nx ny nz, the three coordinate lines, then v slice by slice.
void Read4DGrid(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int ny = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, ny, nz});
    In.Expect({nx, ny, nz, n});
    Sized(Chart.SetSize4D(nx, ny, nz));
    TArrGLfloat& d = Chart.Data();
    if (Chart.LowMemoryLayout()) {
        ReadLowMemory4D(Chart, In);
    } else {
        const std::vector<float> xs = In.Values(nx);
        const std::vector<float> ys = In.Values(ny);
        const std::vector<float> zs = In.Values(nz);
        size_t p = 0;
        for (int64_t k = 0; k < nz; ++k)
            for (int64_t j = 0; j < ny; ++j)
                for (int64_t i = 0; i < nx; ++i, p += 4) {
                    d[p] = xs[Index(i)];
                    d[p + 1] = ys[Index(j)];
                    d[p + 2] = zs[Index(k)];
                    d[p + 3] = In.Value();
                }
    }
    Chart.UpdateRanges();
}

// "<4D HI>": four blocks x, y, z, v over all points; UseLowMemory is switched off for good.
void Read4DHi(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int ny = In.Count();
    const int nz = In.Count();
    const int64_t n = TNumberSource::Product({nx, ny, nz});
    In.Expect({TNumberSource::Product({n, 4})});
    Chart.SetUseLowMemory(false);
    Sized(Chart.SetSize4D(nx, ny, nz));
    TArrGLfloat& d = Chart.Data();
    for (size_t c = 0; c < 4; ++c)
        for (int64_t p = 0; p < n; ++p)
            d[Index(4 * p) + c] = In.Value();
    Chart.UpdateRanges();
}

// "<4D SURFACE>": the three coordinate lines, then the six faces row by row.
void Read4DSurfaceGrid(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int ny = In.Count();
    const int nz = In.Count();
    const int64_t f = TNumberSource::FacePoints(nx, ny, nz);
    In.Expect({nx, ny, nz, f});
    Sized(Chart.SetSize4DSurface(nx, ny, nz));
    TArrGLfloat& d = Chart.Data();
    if (Chart.LowMemoryLayout()) {
        ReadLowMemory4D(Chart, In);
    } else {
        const std::vector<float> xs = In.Values(nx);
        const std::vector<float> ys = In.Values(ny);
        const std::vector<float> zs = In.Values(nz);
        size_t p = 0;
        for (int face = 1; face <= 6; ++face) {
            const TFaceShape shape = FaceShape(face, nx, ny, nz);
            for (int64_t r = 0; r < shape.Rows; ++r)
                for (int64_t c = 0; c < shape.Cols; ++c, p += 4) {
                    const std::array<float, 3> xyz = FacePoint(face, c, r, xs, ys, zs);
                    d[p] = xyz[0];
                    d[p + 1] = xyz[1];
                    d[p + 2] = xyz[2];
                    d[p + 3] = In.Value();
                }
        }
    }
    Chart.UpdateRanges();
}

// "<4D SURFACE HI>": the six faces with x y z v per point; UseLowMemory switched off for good.
void Read4DSurfaceHi(TQor3DChart& Chart, TNumberSource& In) {
    const int nx = In.Count();
    const int ny = In.Count();
    const int nz = In.Count();
    const int64_t f = TNumberSource::FacePoints(nx, ny, nz);
    In.Expect({TNumberSource::Product({f, 4})});
    Chart.SetUseLowMemory(false);
    Sized(Chart.SetSize4DSurface(nx, ny, nz));
    In.Fill(Chart.Data());
    Chart.UpdateRanges();
}

// The end of the line that starts at Start (after its LF).
size_t LineEnd(std::string_view Text, size_t Start) {
    const size_t lf = Text.find('\n', Start);
    return lf == std::string_view::npos ? Text.size() : lf + 1;
}

int ReadDataText(TQor3DChart& Chart, std::string_view Text, bool WithProperties) {
    const std::string_view first = FirstNonEmptyLine(Text);
    if (first.empty() || first.front() != '<') {
        TNumberSource in(Text);
        Read3DGrid(Chart, in);
        return 0;
    }
    if (WithProperties) {
        const size_t after = LineEnd(Text, size_t(first.data() - Text.data()));
        const std::string_view rest = Text.substr(after);
        if (const size_t block = FindPropertyBlock(rest); block != std::string_view::npos) {
            TQorPropTextReader reader(rest.substr(block));
            Chart.ReadFromText(reader, "");
        }
    }
    // The numbers follow the file's first line, so a tag must stand on that line.
    TNumberSource in(Text);
    in.Reader().SkipLine();
    const std::string tag = NormalizedTag(first);
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
        Read4DGrid(Chart, in);
    else if (tag == "<4D HI>")
        Read4DHi(Chart, in);
    else if (tag == "<4D SURFACE>")
        Read4DSurfaceGrid(Chart, in);
    else if (tag == "<4D SURFACE HI>")
        Read4DSurfaceHi(Chart, in);
    return 0;
}

// Numbers in files are real values: the data just stored are real, and the Changed that ends
// the load converts them once along every logarithmic axis.
void MarkDataReal(TQor3DChart& Chart) {
    for (TQorChartAxis3D* axis : {&Chart.AxisX(), &Chart.AxisY(), &Chart.AxisZ()})
        axis->SetLogState(false, axis->Logarithmic());
}

// ---- Writing the forms ------------------------------------------------------------------------

// Collects the text in pieces and hands each to the temporary file, so a large grid never
// needs its whole text in memory.
class TDataOutput {
public:
    explicit TDataOutput(const std::string& FileName) : FFile(QString::fromStdString(FileName)) {
        FOk = FFile.open(QIODevice::WriteOnly);
    }

    TQorDataTextWriter& Text() { return FWriter; }
    void EndLine() {
        FWriter.EndLine();
        if (FWriter.Text().size() >= FlushSize)
            Flush();
    }
    void Append(std::string_view Text) {
        FWriter.Text().append(Text);
        if (FWriter.Text().size() >= FlushSize)
            Flush();
    }
    bool Commit() {
        Flush();
        return FOk && FFile.commit();
    }

private:
    static constexpr size_t FlushSize = size_t(1) << 20;

    void Flush() {
        std::string& t = FWriter.Text();
        if (FOk && !t.empty())
            FOk = FFile.write(t.data(), qint64(t.size())) == qint64(t.size());
        t.clear();
    }

    QSaveFile FFile;
    TQorDataTextWriter FWriter;
    bool FOk = false;
};

class TDataWriter {
public:
    TDataWriter(const TQor3DChart& Chart, TDataOutput& Out)
        : FChart(Chart),
          FOut(Out), FLog{StoredAsLogarithm(Chart.AxisX()), StoredAsLogarithm(Chart.AxisY()),
                          StoredAsLogarithm(Chart.AxisZ())} {}

    void Tag(const char* Tag) {
        FOut.Text().WriteText(Tag);
        FOut.EndLine();
    }
    void Counts(std::initializer_list<int64_t> Counts) {
        for (int64_t c : Counts)
            FOut.Text().WriteCount(c);
        FOut.EndLine();
    }
    void EndLine() { FOut.EndLine(); }
    // A stored number owned by axis 0, 1 or 2 (X, Y, Z), or a value v (-1).
    void Number(float Stored, int Axis) {
        if (Axis >= 0 && FLog[size_t(Axis)])
            FOut.Text().WriteValue(std::pow(10.0, double(Stored)));
        else
            FOut.Text().WriteValue(Stored);
    }
    void Line(const std::vector<float>& Values, int Axis) {
        for (float v : Values)
            Number(v, Axis);
        EndLine();
    }
    // Every point's component Component (of Stride floats per point), nx to a line.
    void Block(int64_t Points, int64_t PerLine, size_t Stride, size_t Component, int Axis) {
        const TArrGLfloat& d = FChart.Data();
        for (int64_t p = 0; p < Points; ++p) {
            Number(d[Index(p) * Stride + Component], Axis);
            if (PerLine > 0 && (p + 1) % PerLine == 0)
                EndLine();
        }
    }

    const TQor3DChart& Chart() const { return FChart; }

private:
    const TQor3DChart& FChart;
    TDataOutput& FOut;
    std::array<bool, 3> FLog;
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

void Write3D(TDataWriter& W, bool Grid) {
    const TQor3DChart& c = W.Chart();
    const int nx = c.NX(), nz = c.NZ();
    const int64_t n = int64_t(nx) * nz;
    const TArrGLfloat& d = c.Data();
    if (!Grid) {
        W.Tag("<3D Hi>");
        W.Counts({nx, nz});
        W.Block(n, nx, 3, 0, 0);
        W.Block(n, nx, 3, 2, 2);
        W.Block(n, nx, 3, 1, 1);
        return;
    }
    W.Tag("<3D>");
    W.Counts({nx, nz});
    const bool low = c.LowMemoryLayout();
    W.Line(low ? c.XValues() : CoordsFromPoints(d, nx, 0, 1, 3, 0), 0);
    const std::vector<float> zs = low ? c.ZValues() : CoordsFromPoints(d, nz, 0, nx, 3, 2);
    for (float z : zs) {
        W.Number(z, 2);
        W.EndLine();
    }
    W.Block(n, nx, low ? 1 : 3, low ? 0 : 1, 1);
}

void WriteNx4D(TDataWriter& W) {
    const TQor3DChart& c = W.Chart();
    W.Tag("<Nx4D>");
    W.Counts({int64_t(c.Layers().size())});
    for (const TXZInteger& l : c.Layers())
        W.Counts({l.X, l.Z});
    const TArrGLfloat& d = c.Data();
    size_t p = 0;
    for (const TXZInteger& l : c.Layers()) {
        for (int r = 0; r < l.Z; ++r) {
            for (int i = 0; i < l.X; ++i, p += 4)
                for (int comp = 0; comp < 4; ++comp)
                    W.Number(d[p + size_t(comp)], comp < 3 ? comp : -1);
            W.EndLine();
        }
        W.EndLine();
    }
}

void Write4D(TDataWriter& W, bool Grid) {
    const TQor3DChart& c = W.Chart();
    const int nx = c.NX(), ny = c.NY(), nz = c.NZ();
    const TArrGLfloat& d = c.Data();
    const bool low = c.LowMemoryLayout();
    const auto slices = [&](size_t Stride, size_t Component, int Axis) {
        for (int64_t k = 0; k < nz; ++k) {
            for (int64_t j = 0; j < ny; ++j) {
                const int64_t first = nx * (j + int64_t(ny) * k);
                for (int64_t i = 0; i < nx; ++i)
                    W.Number(d[Index(first + i) * Stride + Component], Axis);
                W.EndLine();
            }
            W.EndLine();
        }
    };
    if (!Grid) {
        W.Tag("<4D Hi>");
        W.Counts({nx, ny, nz});
        for (size_t comp = 0; comp < 4; ++comp)
            slices(4, comp, comp < 3 ? int(comp) : -1);
        return;
    }
    W.Tag("<4D>");
    W.Counts({nx, ny, nz});
    W.Line(low ? c.XValues() : CoordsFromPoints(d, nx, 0, 1, 4, 0), 0);
    W.Line(low ? c.YValues() : CoordsFromPoints(d, ny, 0, nx, 4, 1), 1);
    W.Line(low ? c.ZValues() : CoordsFromPoints(d, nz, 0, int64_t(nx) * ny, 4, 2), 2);
    W.EndLine();
    slices(low ? 1 : 4, low ? 0 : 3, -1);
}

void Write4DSurface(TDataWriter& W, bool Grid) {
    const TQor3DChart& c = W.Chart();
    const int nx = c.NX(), ny = c.NY(), nz = c.NZ();
    const TArrGLfloat& d = c.Data();
    const bool low = c.LowMemoryLayout();
    W.Tag(Grid ? "<4D surface>" : "<4D surface Hi>");
    W.Counts({nx, ny, nz});
    if (Grid) {
        W.Line(low ? c.XValues() : CoordsFromPoints(d, nx, 0, 1, 4, 0), 0);
        W.Line(low ? c.YValues() : CoordsFromPoints(d, ny, 0, nx, 4, 1), 1);
        W.Line(low ? c.ZValues()
                   : CoordsFromPoints(d, nz, TQor3DChart::FaceStart(3, nx, ny, nz), 1, 4, 2),
               2);
        W.EndLine();
    }
    size_t p = 0;
    for (int face = 1; face <= 6; ++face) {
        const TFaceShape shape = FaceShape(face, nx, ny, nz);
        for (int64_t r = 0; r < shape.Rows; ++r) {
            for (int64_t col = 0; col < shape.Cols; ++col, ++p) {
                if (Grid) {
                    W.Number(d[low ? p : 4 * p + 3], -1);
                    continue;
                }
                for (int comp = 0; comp < 4; ++comp)
                    W.Number(d[4 * p + size_t(comp)], comp < 3 ? comp : -1);
            }
            W.EndLine();
        }
        W.EndLine();
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

int64_t MaxDataNumbers(size_t TextSize) {
    return int64_t(TextSize / 2) + 1 + ZeroFillAllowance;
}

bool WriteFileAtomically(const std::string& FileName, std::string_view Text) {
    QSaveFile file(QString::fromStdString(FileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(Text.data(), qint64(Text.size())) != qint64(Text.size()))
        return false;
    return file.commit();
}

// ---- Loading ----------------------------------------------------------------------------------

int TQor3DChart::LoadFromText(std::string_view Text, bool WithProperties) {
    BeginUpdate();
    int result = 0;
    ClearData();
    try {
        result = ReadDataText(*this, Text, WithProperties);
    } catch (const TReadError&) {
        result = -1;
    } catch (const std::exception&) {
        result = -1;
    }
    MarkDataReal(*this);
    Changed();
    EndUpdate();
    return result;
}

int TQor3DChart::LoadFromFile(const std::string& FileName, bool WithProperties) {
    TQorFileView view;
    if (view.Open(FileName))
        return LoadFromText(view.Text(), WithProperties);
    BeginUpdate();
    ClearData();
    MarkDataReal(*this);
    Changed();
    EndUpdate();
    return -1;
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
            out.Append(props.Text());
        }
        if (AppendTrailer) {
            std::string trailer;
            AppendTrailer(trailer);
            out.Append(trailer);
        }
        return out.Commit() ? 0 : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

// ---- Chart files with the legend --------------------------------------------------------------

int LoadChartFile(TQor3DChart& Chart, IQorChartFileLegend* Legend, const std::string& FileName,
                  bool WithProperties) {
    if (Legend != nullptr)
        Legend->BeginUpdate();
    Chart.BeginUpdate();
    int result = -1;
    try {
        TQorFileView view;
        if (!view.Open(FileName)) {
            result = Chart.LoadFromFile(FileName, false);
        } else {
            const bool hasProperties =
                WithProperties && FindPropertyBlock(view.Text()) != std::string_view::npos;
            result = Chart.LoadFromText(view.Text(), hasProperties);
            if (result == 0 && hasProperties && Legend != nullptr)
                Legend->ReadFromFileText(view.Text());
        }
    } catch (const std::exception&) {
        result = -1;
    }
    Chart.EndUpdate();
    if (Legend != nullptr)
        Legend->EndUpdate();
    return result;
}

int SaveChartFile(const TQor3DChart& Chart, IQorChartFileLegend* Legend,
                  const std::string& FileName, bool WithProperties, bool ForceGridForm) {
    return Chart.SaveToFile(FileName, ForceGridForm, WithProperties, [&](std::string& Text) {
        if (WithProperties && Legend != nullptr)
            Legend->AppendText(Text);
    });
}
