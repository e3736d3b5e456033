// Rows come through TIFFReadScanline (strips) or TIFFReadTile (tiles), in two halves on two
// cores, and are converted straight into their places: turned (the default) a block of rows or a
// tile at a time while it is in the cache, or as rows along Z; a float32 band is read without a
// conversion. libtiff's messages go to the result: its errors into the message, its warnings
// nowhere.
#include "QorImportFormatReaders.h"

#include "QorImportSupport.h"
#include "QorParallel.h"
#include "chart/Qor3DChartSizing.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <geotiff.h>
#include <geovalues.h>
#include <limits>
#include <memory>
#include <mutex>
#include <tiffio.h>
#include <utility>
#include <vector>
#include <xtiffio.h>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

using namespace QorImport;

namespace {

TIFFExtendProc ParentExtender = nullptr;

void AddNoDataTag(TIFF* Tiff) {
    static const TIFFFieldInfo info[] = {{ttag_t(GdalNoDataTag), -1, -1, TIFF_ASCII, FIELD_CUSTOM,
                                          1, 0, const_cast<char*>("GDALNoDataValue")}};
    TIFFMergeFieldInfo(Tiff, info, 1);
    if (ParentExtender != nullptr)
        ParentExtender(Tiff);
}

int KeepError(TIFF*, void* Data, const char* Module, const char* Format, va_list Args) {
    char text[512];
    std::vsnprintf(text, sizeof text, Format, Args);
    auto* error = static_cast<std::string*>(Data);
    if (error->empty())
        *error =
            std::string(Module != nullptr ? Module : "") + (Module != nullptr ? ": " : "") + text;
    return 1;
}

int DropWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TTiffClose {
    void operator()(TIFF* T) const { TIFFClose(T); }
};
using TTiff = std::unique_ptr<TIFF, TTiffClose>;

// Opens FileName for reading; the library's first error goes to Error, its warnings nowhere.
TTiff OpenTiff(const std::string& FileName, std::string& Error) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, &Error);
    TIFFOpenOptionsSetWarningHandlerExtR(options, DropWarning, nullptr);
    TTiff tiff(TIFFOpenExt(FileName.c_str(), "r", options));
    TIFFOpenOptionsFree(options);
    return tiff;
}

// Converts Count samples of one band (every Stride-th) of type T into floats.
template <typename T> void Convert(const void* From, size_t Stride, size_t Count, float* To) {
    const T* p = static_cast<const T*>(From);
    for (size_t i = 0; i < Count; ++i)
        To[i] = float(p[i * Stride]);
}

using TConvert = void (*)(const void*, size_t, size_t, float*);

TConvert Converter(uint16_t Format, uint16_t Bits) {
    if (Format == SAMPLEFORMAT_IEEEFP)
        return Bits == 32 ? Convert<float> : Bits == 64 ? Convert<double> : nullptr;
    const bool sign = Format == SAMPLEFORMAT_INT;
    if (Format != SAMPLEFORMAT_INT && Format != SAMPLEFORMAT_UINT)
        return nullptr;
    switch (Bits) {
    case 8:
        return sign ? Convert<int8_t> : Convert<uint8_t>;
    case 16:
        return sign ? Convert<int16_t> : Convert<uint16_t>;
    case 32:
        return sign ? Convert<int32_t> : Convert<uint32_t>;
    case 64:
        return sign ? Convert<int64_t> : Convert<uint64_t>;
    default:
        return nullptr;
    }
}

struct TRaster {
    uint32_t Width = 0, Height = 0;
    uint16_t Bits = 0, Samples = 1, Format = SAMPLEFORMAT_UINT, Planar = PLANARCONFIG_CONTIG;
    uint16_t Compression = COMPRESSION_NONE;
    bool Tiled = false;
};

// Where the pixels go: file row r, column i at (Height - 1 - r) + Height * i when turned (the
// raster's rows along X, its columns along Z), else at Width * (Height - 1 - r) + i (rows along
// Z, northwards ascending). Pixels equal to Hole (the GDAL_NODATA value; NaN, which nothing
// equals, without one) become holes on the way.
struct TPlacement {
    const TRaster& T;
    float* Values;
    bool Turn;
    float Hole;

    float* RowOut(uint32_t Row) const { return Values + size_t(T.Width) * (T.Height - 1 - Row); }

    void MarkHoles(float* Block, size_t Stride, uint32_t Count, uint32_t Cols) const {
        if (std::isnan(Hole))
            return;
        for (uint32_t r = 0; r < Count; ++r)
            for (float* v = Block + Stride * r; v != Block + Stride * r + Cols; ++v)
                *v = *v == Hole ? std::numeric_limits<float>::quiet_NaN() : *v;
    }

    // Puts Count rows of Cols pixels (Stride apart in Block) from file row FirstRow, column
    // FirstCol, in their places; Block's holes are marked first.
    void operator()(float* Block, size_t Stride, uint32_t FirstRow, uint32_t Count,
                    uint32_t FirstCol, uint32_t Cols) const {
        MarkHoles(Block, Stride, Count, Cols);
        if (Turn) {
            Turned(Block, Stride, FirstRow, Count, FirstCol, Cols);
            return;
        }
        for (uint32_t r = 0; r < Count; ++r)
            std::memcpy(RowOut(FirstRow + r) + FirstCol, Block + Stride * r, Cols * sizeof(float));
    }

    // A block of rows gives each column a run of neighbours; four rows by four columns are turned
    // at once in vector registers where there are any.
    void Turned(const float* Rows, size_t Stride, uint32_t FirstRow, uint32_t Count,
                uint32_t FirstCol, uint32_t Cols) const {
        const auto column = [&](uint32_t I) {
            return Values + size_t(T.Height) * (FirstCol + I) + (T.Height - 1 - FirstRow);
        };
        uint32_t fourCols = 0, fourRows = 0;
#if defined(__SSE__)
        fourCols = Cols / 4 * 4;
        fourRows = Count / 4 * 4;
        const size_t w = Stride;
        for (uint32_t i = 0; i < fourCols; i += 4) {
            float* out[4] = {column(i), column(i + 1), column(i + 2), column(i + 3)};
            for (uint32_t r = 0; r < fourRows; r += 4) {
                // A column's run is a few cache lines only, too short for the processor to see
                // it coming: the next four columns' lines are asked for while these are written.
                if (r % 16 == 0 && i + 4 < fourCols)
                    for (uint32_t k = 4; k < 8; ++k)
                        _mm_prefetch(reinterpret_cast<const char*>(column(i + k) - r - 15),
                                     _MM_HINT_T0);
                // Rows ascend in the file and descend in the column: loaded last first, each
                // turned vector descends already (shuffles are what the turn costs).
                const float* in = Rows + w * r + i;
                __m128 a = _mm_loadu_ps(in + 3 * w), b = _mm_loadu_ps(in + 2 * w),
                       c = _mm_loadu_ps(in + w), d = _mm_loadu_ps(in);
                _MM_TRANSPOSE4_PS(a, b, c, d);
                _mm_storeu_ps(out[0] - r - 3, a);
                _mm_storeu_ps(out[1] - r - 3, b);
                _mm_storeu_ps(out[2] - r - 3, c);
                _mm_storeu_ps(out[3] - r - 3, d);
            }
        }
#endif
        // What the vectors left: the last rows of every column, and every row of the last
        // columns.
        for (uint32_t i = 0; i < Cols; ++i)
            for (uint32_t r = i < fourCols ? fourRows : 0; r < Count; ++r)
                *(column(i) - r) = Rows[Stride * r + i];
    }
};

// The band's samples of a strip's row or a tile's: every Samples-th when they are interleaved.
size_t SampleStride(const TRaster& T) {
    return T.Planar == PLANARCONFIG_CONTIG ? T.Samples : 1;
}

// Whether the band's samples are the floats wanted, one after another: read without a
// conversion.
bool FloatsAsTheyAre(const TRaster& T, TConvert Convert) {
    return Convert == TConvert(::Convert<float>) && SampleStride(T) == 1;
}

// Reads Count rows from file row First, each into Into (Width floats apart).
bool ReadRows(TIFF* Tiff, const TRaster& T, TConvert Convert, uint32_t First, uint32_t Count,
              const std::function<float*(uint32_t)>& Into) {
    const size_t stride = SampleStride(T);
    const bool direct = FloatsAsTheyAre(T, Convert);
    std::vector<unsigned char> line(direct ? 0 : size_t(TIFFScanlineSize64(Tiff)));
    for (uint32_t row = First; row < First + Count; ++row) {
        float* out = Into(row);
        if (TIFFReadScanline(Tiff, direct ? static_cast<void*>(out) : line.data(), row, 0) < 0)
            return false;
        if (!direct)
            Convert(line.data(), stride, T.Width, out);
    }
    return true;
}

// Strip rows First to Last. Rows along Z go straight to their places; turned ones a block at a
// time, each turned while it is still in this core's cache: the turn then costs no second trip
// through memory, and no second array.
bool ReadStripRows(TIFF* Tiff, const TPlacement& Place, TConvert Convert, uint32_t First,
                   uint32_t Last) {
    const TRaster& T = Place.T;
    const uint32_t blockRows =
        std::clamp<uint32_t>((uint32_t(1) << 17) / std::max(T.Width, 1u), 4, 1024);
    // Every value read.
    TArrGLfloat block(Place.Turn ? size_t(T.Width) * std::min(blockRows, Last - First) : 0);
    for (uint32_t first = First; first < Last; first += blockRows) {
        const uint32_t count = std::min(blockRows, Last - first);
        const bool read = Place.Turn
                              ? ReadRows(Tiff, T, Convert, first, count,
                                         [&](uint32_t Row) {
                                             return block.data() + size_t(T.Width) * (Row - first);
                                         })
                              : ReadRows(Tiff, T, Convert, first, count,
                                         [&](uint32_t Row) { return Place.RowOut(Row); });
        if (!read)
            return false;
        if (Place.Turn)
            Place(block.data(), T.Width, first, count, 0, T.Width);
        else // rows along Z descend: the block's last row comes first in the values
            Place.MarkHoles(Place.RowOut(first + count - 1), T.Width, count, T.Width);
    }
    return true;
}

// The tiles of the tile rows from pixel row First to Last, each put in its place while it is in
// this core's cache.
bool ReadTileRows(TIFF* Tiff, const TPlacement& Place, TConvert Convert, uint32_t First,
                  uint32_t Last) {
    const TRaster& T = Place.T;
    uint32_t tw = 0, th = 0;
    TIFFGetField(Tiff, TIFFTAG_TILEWIDTH, &tw);
    TIFFGetField(Tiff, TIFFTAG_TILELENGTH, &th);
    if (tw == 0 || th == 0)
        return false;
    const size_t stride = SampleStride(T);
    const bool direct = FloatsAsTheyAre(T, Convert);
    const size_t rowBytes = size_t(tw) * stride * T.Bits / 8;
    const size_t tileBytes = size_t(TIFFTileSize64(Tiff));
    // Floats, so that a float32 tile is read where it is placed from.
    TArrGLfloat tile((tileBytes + sizeof(float) - 1) / sizeof(float));
    TArrGLfloat block(direct ? 0 : size_t(tw) * th);
    for (uint32_t y = First; y < Last; y += th)
        for (uint32_t x = 0; x < T.Width; x += tw) {
            if (TIFFReadTile(Tiff, tile.data(), x, y, 0, 0) < 0)
                return false;
            const uint32_t rows = std::min(th, T.Height - y), cols = std::min(tw, T.Width - x);
            const auto* raw = reinterpret_cast<const unsigned char*>(tile.data());
            if (!direct)
                for (uint32_t r = 0; r < rows; ++r)
                    Convert(raw + rowBytes * r, stride, cols, block.data() + size_t(tw) * r);
            Place(direct ? tile.data() : block.data(), tw, y, rows, x, cols);
        }
    return true;
}

// Reads the rows through Read(handle, first row, last row). Where OpenAgain gives a second
// handle of the file, the later half is read through it on a second core; a handle is never
// shared between threads. The halves meet at the edge of a strip or a row of tiles (Unit rows),
// so neither decodes what the other reads.
bool ReadInHalves(TIFF* Tiff, const TRaster& T, uint32_t Unit,
                  const std::function<TTiff()>& OpenAgain,
                  const std::function<bool(TIFF*, uint32_t, uint32_t)>& Read) {
    Unit = std::clamp<uint32_t>(Unit, 1, T.Height);
    const uint32_t half = (T.Height / 2 + Unit - 1) / Unit * Unit;
    TTiff second;
    if (QorParallel::Threads() > 1 && half > 0 && half < T.Height && T.Height >= 64)
        second = OpenAgain();
    if (!second)
        return Read(Tiff, 0, T.Height);
    bool ok[2] = {false, false};
    QorParallel::For(
        2,
        [&](size_t P) {
            ok[P] = P == 0 ? Read(Tiff, 0, half) : Read(second.get(), half, T.Height);
        },
        2);
    return ok[0] && ok[1];
}

// Reads the band into Place's values on up to two cores.
bool ReadPixels(TIFF* Tiff, const TPlacement& Place, TConvert Convert,
                const std::function<TTiff()>& OpenAgain) {
    uint32_t unit = 0;
    if (Place.T.Tiled)
        TIFFGetField(Tiff, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(Tiff, TIFFTAG_ROWSPERSTRIP, &unit);
    return ReadInHalves(Tiff, Place.T, unit, OpenAgain, [&](TIFF* Handle, uint32_t F, uint32_t L) {
        return Place.T.Tiled ? ReadTileRows(Handle, Place, Convert, F, L)
                             : ReadStripRows(Handle, Place, Convert, F, L);
    });
}

// Pixel scale and tie point: the coordinates of the pixels' centres (corners for PixelIsPoint).
void Georeference(TIFF* Tiff, const TRaster& T, const TQorImportOptions& Options,
                  TQorImportResult& R) {
    uint16_t nScale = 0, nTie = 0;
    double* scale = nullptr;
    double* tie = nullptr;
    const bool geo = TIFFGetField(Tiff, TIFFTAG_GEOPIXELSCALE, &nScale, &scale) && nScale >= 2 &&
                     TIFFGetField(Tiff, TIFFTAG_GEOTIEPOINTS, &nTie, &tie) && nTie >= 6 &&
                     scale[0] > 0 && scale[1] != 0;
    if (!geo) {
        R.X = Spaced(T.Width, Options.X0.value_or(0), Options.DX.value_or(1));
        R.Z = Spaced(T.Height, Options.Z0.value_or(0), Options.DZ.value_or(1));
        return;
    }
    double centre = 0.5;
    if (GTIF* g = GTIFNew(Tiff); g != nullptr) {
        unsigned short type = RasterPixelIsArea;
        if (GTIFKeyGet(g, GTRasterTypeGeoKey, &type, 0, 1) == 1 && type == RasterPixelIsPoint)
            centre = 0;
        GTIFFree(g);
    }
    // Tie point: raster (I, J) lies at model (X, Y); rows run southwards by scale[1].
    const double i0 = tie[0], j0 = tie[1], x0 = tie[3], y0 = tie[4];
    R.X.resize(T.Width);
    for (uint32_t i = 0; i < T.Width; ++i)
        R.X[i] = float(x0 + (i + centre - i0) * scale[0]);
    R.Z.resize(T.Height);
    for (uint32_t k = 0; k < T.Height; ++k)
        R.Z[k] = float(y0 - (double(T.Height - 1 - k) + centre - j0) * scale[1]);
    R.GivenX = R.GivenZ = true;
    R.CaptionX = "easting";
    R.CaptionZ = "northing";
}

} // namespace

void QorFormatReaders::RegisterGeoTiffTags() {
    static std::once_flag once;
    std::call_once(once, [] {
        XTIFFInitialize();
        ParentExtender = TIFFSetTagExtender(AddNoDataTag);
    });
}

TQorImportResult QorFormatReaders::ReadGeoTiffFile(const std::string& FileName,
                                                   const TQorImportOptions& Options) {
    TQorImportResult r;
    int64_t fileSize = 0;
    if (!StartLibraryRead(FileName, r, &fileSize))
        return r;
    QorFormatReaders::RegisterGeoTiffTags();
    // The second handle keeps its errors apart: it is read on another thread.
    std::string libraryError, secondError;
    const TTiff tiff = OpenTiff(FileName, libraryError);
    const auto fail = [&](const std::string& Message) {
        const std::string& said = libraryError.empty() ? secondError : libraryError;
        r.Fail(Message + (said.empty() ? "" : ": libtiff says: " + said));
        return r;
    };
    if (!tiff)
        return fail("the file cannot be opened as a TIFF");
    TIFF* t = tiff.get();
    TRaster raster;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &raster.Width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &raster.Height);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &raster.Bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &raster.Samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &raster.Format);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &raster.Planar);
    TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &raster.Compression);
    raster.Tiled = TIFFIsTiled(t) != 0;
    const TConvert convert = Converter(raster.Format, raster.Bits);
    if (convert == nullptr || raster.Samples < 1)
        return fail("samples of " + std::to_string(raster.Bits) + " bits in format " +
                    std::to_string(raster.Format) +
                    " cannot be shown (integers of 8 to 64 bits and floats of 32 or 64 bits can)");
    const int64_t nx = raster.Width, nz = raster.Height;
    if (!QorSizing::IsGridCount(nx) || !QorSizing::IsGridCount(nz) || nx < 1 || nz < 1)
        return fail("a raster of " + ShapeText({nz, nx}) + " pixels is no grid a chart can hold");
    const int64_t values = nx * nz;
    // Uncompressed pixels are all in the file; the header must not claim more.
    const uint64_t bytes = uint64_t(values) * raster.Samples * raster.Bits / 8;
    if (raster.Compression == COMPRESSION_NONE && bytes > uint64_t(fileSize))
        return fail("the header claims " + ShapeText({nz, nx}) + " = " + std::to_string(values) +
                    " pixels of " + std::to_string(bytes) + " bytes, more than the file's " +
                    std::to_string(fileSize));
    if (!QorSizing::FitsInMemory(values, int64_t(sizeof(float)) * 5, QorSizing::PhysicalMemory()))
        return fail("the raster of " + ShapeText({nz, nx}) + " = " + std::to_string(values) +
                    " pixels does not fit into memory");
    r.Values.resize(size_t(values));
    // Seen from above ("Top") X runs up the screen and Z to the right: northing goes along X,
    // easting along Z, so that north is up and east is right. --transpose keeps the raster's
    // rows along Z instead. Pixels are read into their turned places.
    const bool turn = !Options.Transpose;
    float hole = std::numeric_limits<float>::quiet_NaN();
    const char* nodata = nullptr;
    if (TIFFGetField(t, GdalNoDataTag, &nodata) && nodata != nullptr) {
        char* end = nullptr;
        const double v = std::strtod(nodata, &end);
        if (end != nodata)
            hole = float(v);
    }
    const TPlacement place{raster, r.Values.data(), turn, hole};
    const auto openAgain = [&] {
        return OpenTiff(FileName, secondError);
    };
    if (!ReadPixels(t, place, convert, openAgain))
        return fail("the pixels cannot be read");
    Georeference(t, raster, Options, r);
    r.Kind = TQorImportKind::Surface;
    ApplyNoData(r, Options);
    if (turn) {
        std::swap(r.X, r.Z);
        std::swap(r.GivenX, r.GivenZ);
        std::swap(r.CaptionX, r.CaptionZ);
    }
    return r;
}
