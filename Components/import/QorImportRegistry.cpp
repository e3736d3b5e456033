#include "QorImportRegistry.h"

#include "QorImportEsriAscii.h"
#include "QorImportGeoTiff.h"
#include "QorImportHdf5.h"
#include "QorImportNetCdf.h"
#include "QorImportNpy.h"
#include "QorImportSupport.h"
#include "QorImportText.h"
#include "QorParallel.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

using namespace QorImport;

namespace {

std::string Extension(std::string_view FileName) {
    const size_t slash = FileName.find_last_of('/');
    const std::string_view base =
        slash == std::string_view::npos ? FileName : FileName.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string e(base.substr(dot + 1));
    for (char& c : e)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

// A count as the chart's reader takes it where it makes sense: digits with an optional "+",
// at most 2147483647.
bool IsCount(std::string_view Token) {
    if (!Token.empty() && Token.front() == '+')
        Token.remove_prefix(1);
    if (Token.empty() || Token.size() > 10)
        return false;
    int64_t n = 0;
    for (const char c : Token) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    return n <= INT32_MAX;
}

// A native chart file: a tag line ("<3D>", "<4D Hi>", ...) on the very first line, or the
// headerless form, whose first line with anything on it holds exactly the two counts nx nz. A
// first line of anything else is a text table's. Separators are the chart reader's: every byte
// up to the blank.
bool LooksNative(std::string_view Head) {
    size_t p = 0;
    while (p < Head.size() && (Head[p] == '\r' || Head[p] == '\n'))
        ++p;
    if (p < Head.size() && Head[p] == '<')
        return p == 0;
    const auto separator = [](char c) {
        return static_cast<unsigned char>(c) <= 32;
    };
    for (size_t at = 0; at < Head.size();) {
        const size_t lf = Head.find('\n', at);
        const std::string_view line =
            Head.substr(at, lf == std::string_view::npos ? std::string_view::npos : lf - at);
        at = lf == std::string_view::npos ? Head.size() : lf + 1;
        std::vector<std::string_view> tokens;
        for (size_t i = 0; i < line.size() && tokens.size() <= 2;) {
            while (i < line.size() && separator(line[i]))
                ++i;
            const size_t b = i;
            while (i < line.size() && !separator(line[i]))
                ++i;
            if (i > b)
                tokens.push_back(line.substr(b, i - b));
        }
        if (!tokens.empty())
            return tokens.size() == 2 && IsCount(tokens[0]) && IsCount(tokens[1]);
    }
    return false;
}

TQorImportRegistry MakeDefault() {
    TQorImportRegistry r;
    r.Add({"Chart files",
           "Chart files (*.p3d *.p4d *.txt)",
           {"p3d", "p4d", "txt"},
           LooksNative,
           nullptr,
           true});
    r.Add({"NumPy arrays",
           "NumPy arrays (*.npy *.npz)",
           {"npy", "npz"},
           [](std::string_view h) { return LooksLikeNpy(h) || LooksLikeZip(h); },
           [](const std::string& f, const TQorImportOptions& o) {
               const std::string head = FileHead(f, 8);
               return LooksLikeZip(head) ? ReadNpzFile(f, o) : ReadNpyFile(f, o);
           },
           false});
    // netCDF-4 files are HDF5 files: by content the NetCDF reader comes first and takes them.
    r.Add({NetCdfFormat,
           "NetCDF files (*.nc *.nc4 *.cdf)",
           {"nc", "nc4", "cdf"},
           LooksLikeNetCdf,
           ReadNetCdfFile,
           false});
    r.Add({Hdf5Format,
           "HDF5 files (*.h5 *.hdf5 *.he5)",
           {"h5", "hdf5", "he5"},
           LooksLikeHdf5,
           ReadHdf5File,
           false});
    r.Add({GeoTiffFormat,
           "GeoTIFF rasters (*.tif *.tiff)",
           {"tif", "tiff"},
           LooksLikeTiff,
           ReadGeoTiffFile,
           false});
    // Before the text tables, whose sniff a grid's header would pass too.
    r.Add({EsriAsciiFormat,
           "ESRI ASCII grids (*.asc)",
           {"asc"},
           LooksLikeEsriAscii,
           ReadEsriAsciiFile,
           false});
    r.Add({"Text matrices",
           "Text matrices (*.csv *.tsv *.txt)",
           {"csv", "tsv", "txt"},
           LooksLikeTextTable,
           ReadTextTable,
           false});
    return r;
}

void MarkDataReal(TQor3DChart& Chart) {
    for (TQorChartAxis3D* axis : {&Chart.AxisX(), &Chart.AxisY(), &Chart.AxisZ()})
        axis->SetLogState(false, axis->Logarithmic());
}

void SetCaptions(const TQorImportResult& R, TQor3DChart& Chart) {
    if (!R.CaptionX.empty())
        Chart.AxisX().SetCaption(R.CaptionX);
    if (!R.CaptionY.empty())
        Chart.AxisY().SetCaption(R.CaptionY);
    if (!R.CaptionZ.empty())
        Chart.AxisZ().SetCaption(R.CaptionZ);
    if (!R.CaptionValue.empty())
        Chart.SetDim4Caption(R.CaptionValue);
}

// Grids of at least this many points are filled on all cores.
constexpr size_t FillPiecePoints = size_t(1) << 18;

// The interleaved rows First ... Last - 1 (along Z) of a surface: x, height, z per point.
TQorDataExtremes FillSurfaceRows(const TQorImportResult& R, float* Data, size_t First,
                                 size_t Last) {
    const size_t nx = size_t(R.NX());
    TQorDataExtremes e;
    for (size_t k = First; k < Last; ++k) {
        e.Add(2, R.Z[k]);
        for (size_t i = 0; i < nx; ++i) {
            float* p = Data + 3 * (i + nx * k);
            p[0] = R.X[i];
            p[1] = R.Values[i + nx * k];
            p[2] = R.Z[k];
            e.Add(1, p[1]);
        }
    }
    for (const float x : R.X)
        e.Add(0, x);
    return e;
}

// The same for the Z slices First ... Last - 1 of a volume: x, y, z, value per point.
TQorDataExtremes FillVolumeRows(const TQorImportResult& R, float* Data, size_t First, size_t Last) {
    const size_t nx = size_t(R.NX()), ny = size_t(R.NY());
    TQorDataExtremes e;
    for (size_t k = First; k < Last; ++k) {
        e.Add(2, R.Z[k]);
        for (size_t j = 0; j < ny; ++j)
            for (size_t i = 0; i < nx; ++i) {
                const size_t t = i + nx * (j + ny * k);
                float* p = Data + 4 * t;
                p[0] = R.X[i];
                p[1] = R.Y[j];
                p[2] = R.Z[k];
                p[3] = R.Values[t];
                e.Add(3, p[3]);
            }
    }
    for (const float x : R.X)
        e.Add(0, x);
    for (const float y : R.Y)
        e.Add(1, y);
    return e;
}

template <typename TResult> bool Apply(TResult&& R, TQor3DChart& Chart, bool Take) {
    TQorUpdateScope<TQor3DChart> scope(Chart);
    Chart.ClearData();
    const bool surface = R.Kind == TQorImportKind::Surface;
    const bool ok = R.Ok() &&
                    (surface ? Chart.SetSize3D(int(R.NX()), int(R.NZ()), false)
                             : Chart.SetSize4D(int(R.NX()), int(R.NY()), int(R.NZ()), false)) &&
                    Chart.Data().size() > 0;
    if (!ok) {
        Chart.ClearData();
        MarkDataReal(Chart);
        Chart.Changed();
        return false;
    }
    const size_t nx = size_t(R.NX()), ny = size_t(std::max<int64_t>(R.NY(), 1)),
                 nz = size_t(R.NZ());
    if (Chart.LowMemoryLayout()) {
        std::copy(R.X.begin(), R.X.end(), Chart.XValues().begin());
        std::copy(R.Z.begin(), R.Z.end(), Chart.ZValues().begin());
        if (!surface)
            std::copy(R.Y.begin(), R.Y.end(), Chart.YValues().begin());
        if constexpr (!std::is_const_v<std::remove_reference_t<TResult>>) {
            if (Take) {
                // The chart's own array was only reserved, never touched: swapping costs nothing.
                Chart.Data().swap(R.Values);
                TArrGLfloat().swap(R.Values);
            } else {
                std::copy(R.Values.begin(), R.Values.end(), Chart.Data().begin());
            }
        } else {
            std::copy(R.Values.begin(), R.Values.end(), Chart.Data().begin());
        }
        Chart.UpdateRanges();
    } else {
        // Filling the interleaved layout touches fresh pages of a large array: pieces of rows on
        // all cores, each keeping the extremes of what it wrote.
        float* d = Chart.Data().data();
        const size_t pieces = nx * ny * nz >= FillPiecePoints ? QorParallel::Threads() * 4 : 1;
        std::vector<TQorDataExtremes> found(std::min(pieces, nz));
        QorParallel::For(found.size(), [&](size_t p) {
            const size_t first = nz * p / found.size(), last = nz * (p + 1) / found.size();
            found[p] =
                surface ? FillSurfaceRows(R, d, first, last) : FillVolumeRows(R, d, first, last);
        });
        TQorDataExtremes e;
        for (const TQorDataExtremes& f : found)
            e.Merge(f);
        Chart.UpdateRangesFrom(e);
    }
    if (surface)
        Chart.UpdateNormals();
    SetCaptions(R, Chart);
    MarkDataReal(Chart);
    Chart.Changed();
    return true;
}

} // namespace

const TQorImportRegistry& TQorImportRegistry::Default() {
    static const TQorImportRegistry registry = MakeDefault();
    return registry;
}

void TQorImportRegistry::Add(TQorImportReader Reader) {
    FReaders.push_back(std::move(Reader));
}

const TQorImportReader* TQorImportRegistry::Choose(std::string_view FileName,
                                                   std::string_view Head) const {
    const std::string ext = Extension(FileName);
    std::vector<const TQorImportReader*> claiming;
    for (const TQorImportReader& r : FReaders)
        if (!ext.empty() &&
            std::find(r.Extensions.begin(), r.Extensions.end(), ext) != r.Extensions.end())
            claiming.push_back(&r);
    if (claiming.size() == 1)
        return claiming.front();
    for (const TQorImportReader* r : claiming)
        if (r->Sniff && r->Sniff(Head))
            return r;
    for (const TQorImportReader& r : FReaders)
        if (r.Sniff && r.Sniff(Head))
            return &r;
    return nullptr;
}

const TQorImportReader* TQorImportRegistry::Choose(const std::string& FileName) const {
    return Choose(std::string_view(FileName), FileHead(FileName, SniffBytes));
}

QStringList TQorImportRegistry::FileDialogFilters() const {
    QStringList filters;
    QString all;
    QStringList seen;
    for (const TQorImportReader& r : FReaders)
        for (const std::string& e : r.Extensions) {
            const QString glob = "*." + QString::fromStdString(e);
            if (seen.contains(glob))
                continue;
            seen << glob;
            all += (all.isEmpty() ? "" : " ") + glob;
        }
    filters << "All data files (" + all + ")";
    for (const TQorImportReader& r : FReaders)
        filters << QString::fromStdString(r.Filter);
    filters << "All files (*)";
    return filters;
}

TQorImportResult ImportFile(const std::string& FileName, const TQorImportOptions& Options,
                            const TQorImportRegistry& Registry) {
    const TQorImportReader* reader = Registry.Choose(FileName);
    if (reader != nullptr && reader->Read)
        return reader->Read(FileName, Options);
    TQorImportResult r;
    r.Error.File = BaseName(FileName);
    r.Fail(reader != nullptr ? "a chart file: it is read by the chart's own reader"
                             : "no importer knows this file's format");
    return r;
}

bool ApplyToChart(const TQorImportResult& Result, TQor3DChart& Chart) {
    return Apply(Result, Chart, false);
}

bool ApplyToChart(TQorImportResult&& Result, TQor3DChart& Chart) {
    return Apply(Result, Chart, true);
}
