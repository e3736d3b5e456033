// Reading chart data text files: every form, LoadChartText / LoadFromFile and the loads with the
// legend's property block.
//
// Sections: reading the forms; public helpers; LoadChartText / LoadFromFile; LoadChartFile. The
// pieces and the number source are in Qor3DChartFileNumbers.cpp and Qor3DChartFileDetail.h, the
// sinks in Qor3DChartFileSinks.h.
//
// The tag line is read first, then the text after it is cut into pieces at line ends and the
// pieces' tokens are counted on all cores (which also finds the property block). The counts and
// coordinate vectors of a form are read one by one; the bulk of its numbers (heights, values,
// blocks) is read piece by piece in parallel, each piece knowing from the counts which number it
// starts with. Every number is stored once, where the form puts it, with the ranges (and the
// normals of a full-layout surface, row by row) gathered on the way.
#include "io/Qor3DChartFile.h"

#include "io/Qor3DChartFileDetail.h"
#include "io/Qor3DChartFileSinks.h"

#include "chart/Qor3DChart.h"
#include "chart/Qor3DChartNormals.h"

#include "QorDataText.h"
#include "QorPropText.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

using namespace QorChartFileDetail;

namespace {

// ---- Reading the forms ------------------------------------------------------------------------

// The chart refused the size the counts give (they passed every check against the file's
// size): the arrays would not fit into the memory.
void Sized(bool Ok) {
    if (!Ok) {
        TReadError e;
        e.Message = "the data of these counts do not fit into the memory";
        e.AtCounts = true;
        throw e;
    }
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

bool ReadForm(TQor3DChart& Chart, TNumberSource& in, const std::string& tag);

// The tag line as a message shows it: printable ASCII, at most 40 characters.
std::string ShownTag(std::string_view Head) {
    std::string text;
    for (const char c : Head.substr(0, 40))
        text += c >= 32 && c < 127 ? c : '?';
    return "'" + text + (Head.size() > 40 ? "...'" : "'");
}

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
    // The arrays were sized without zero-filling: what no number reached is zero, as a sizing
    // would have left it.
    const auto clearUnread = [&] {
        if (!in.BulkWritten())
            std::fill(Chart.Data().begin(), Chart.Data().end(), 0.0f);
    };
    try {
        if (!ReadForm(Chart, in, tag))
            Report.Warnings.push_back(ShownTag(tagLine.Head) +
                                      " names no form of chart data; the chart is left empty");
    } catch (const TReadError& e) {
        clearUnread();
        Report.Error = e.Message;
        const uint64_t at = e.AtCounts ? in.CountsOffset() : e.Offset;
        if (at != UINT64_MAX)
            TokenPlace(Source, at, Report.Line, Report.Field);
        return -1;
    } catch (...) {
        clearUnread();
        throw;
    }
    if (const int64_t missing = in.Missing(); missing > 0)
        Report.Warnings.push_back("file ends after " + std::to_string(in.Asked() - missing) +
                                  " of " + std::to_string(in.Asked()) +
                                  " values; the rest read as 0");
    return 0;
}

bool ReadForm(TQor3DChart& Chart, TNumberSource& in, const std::string& tag) {
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
    else
        return false;
    return true;
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
    } catch (const TReadError& e) {
        result = -1;
        report.Error = e.Message;
    } catch (const std::bad_alloc&) {
        result = -1;
        report.Error = "the data do not fit into the memory";
    } catch (const std::exception& e) {
        result = -1;
        report.Error = e.what();
    }
    // What was read from a file that changed meanwhile may be anything.
    if (Source.Changed()) {
        result = -1;
        report.Error = "the file changed while it was read";
        report.Line = report.Field = 0;
        report.Warnings.clear();
    }
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

// ---- Chart files with the legend --------------------------------------------------------------

int LoadChartSource(TQor3DChart& Chart, IQorChartFileLegend* Legend, const TQorTextSource& Source,
                    bool WithProperties, TQorLoadReport* Report) {
    if (Legend != nullptr)
        Legend->BeginUpdate();
    Chart.BeginUpdate();
    int result = -1;
    TQorLoadReport report;
    try {
        result = LoadChartText(Chart, Source, WithProperties, {}, &report);
        if (result == 0 && WithProperties && report.HasProperties && Legend != nullptr)
            Legend->ReadFromFileText(report.PropertyText);
    } catch (const std::exception& e) {
        result = -1;
        report.Error = e.what();
    }
    Chart.EndUpdate();
    if (Legend != nullptr)
        Legend->EndUpdate();
    if (Report != nullptr)
        *Report = std::move(report);
    return result;
}

int LoadChartFile(TQor3DChart& Chart, IQorChartFileLegend* Legend, const std::string& FileName,
                  bool WithProperties, TQorLoadReport* Report) {
    TQorTextSource source;
    std::string problem;
    if (source.Open(FileName, &problem))
        return LoadChartSource(Chart, Legend, source, WithProperties, Report);
    if (Legend != nullptr)
        Legend->BeginUpdate();
    FailedOpen(Chart);
    if (Legend != nullptr)
        Legend->EndUpdate();
    if (Report != nullptr) {
        *Report = {};
        Report->Error = problem;
    }
    return -1;
}
