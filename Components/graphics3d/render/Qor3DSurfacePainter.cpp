// Sections: colour mapping; textures; pass state; the 3D surface.
#include "render/Qor3DSurfacePainter.h"

#include "chart/Qor3DChart.h"

#include "QorParallel.h"

#include <QImage>
#include <algorithm>
#include <future>
#include <limits>
#include <memory>

#ifndef GL_BGR_EXT
#define GL_BGR_EXT 0x80E0
#endif

using namespace QorPaint;

// ---- Colour mapping --------------------------------------------------------------------------

namespace {

struct TExtent {
    double Min = std::numeric_limits<double>::infinity();
    double Max = -std::numeric_limits<double>::infinity();
    void Add(float v) {
        // NaN coordinates are skipped, so one bad point does not blank the whole picture.
        if (v < Min)
            Min = v;
        if (v > Max)
            Max = v;
    }
    // A degenerate extent puts the whole picture's first column (or row) on the data.
    double Scale() const {
        const double span = Max - Min;
        return std::isfinite(span) && span >= 1e-20 ? 1.0 / span : 0.0;
    }
    double Start() const { return std::isfinite(Min) ? Min : 0.0; }
};

void PictureExtents(const TQor3DChart& Chart, TColorMapping& m) {
    TExtent x, z;
    const TArrGLfloat& data = Chart.Data();
    if (Chart.DataKind() == dkNx4D) {
        for (size_t p = 0; p + 3 < data.size(); p += 4) {
            x.Add(data[p]);
            z.Add(data[p + 2]);
        }
    } else if (Chart.LowMemoryLayout()) {
        const size_t nx = std::min(Chart.XValues().size(), size_t(std::max(Chart.NX(), 0)));
        const size_t nz = std::min(Chart.ZValues().size(), size_t(std::max(Chart.NZ(), 0)));
        for (size_t i = 0; i < nx; ++i)
            x.Add(Chart.XValues()[i]);
        for (size_t k = 0; k < nz; ++k)
            z.Add(Chart.ZValues()[k]);
    } else {
        const size_t points = std::min(data.size() / 3, size_t(std::max(Chart.NX(), 0)) *
                                                            size_t(std::max(Chart.NZ(), 0)));
        for (size_t p = 0; p < points; ++p) {
            x.Add(data[3 * p]);
            z.Add(data[3 * p + 2]);
        }
    }
    m.XMin = x.Start();
    m.XScale = x.Scale();
    m.ZMin = z.Start();
    m.ZScale = z.Scale();
}

} // namespace

bool QorPaint::ChartUsesBitmap(const TQor3DChart& Chart) {
    const QImage& picture = Chart.ColorBitmap();
    return (Chart.DataKind() == dk3D || Chart.DataKind() == dkNx4D) && Chart.ColorBitmapApply() &&
           picture.width() > 0 && picture.height() > 0;
}

TColorMapping QorPaint::ChartColorMapping(const TQor3DChart& Chart) {
    TColorMapping m;
    m.UseBitmap = ChartUsesBitmap(Chart);
    if (Chart.DataKind() == dk3D)
        m.Palette = PaletteMap(Chart.AxisY().Layout.DisplayMin, Chart.AxisY().Layout.DisplayMax);
    else
        m.Palette = PaletteMap(Chart.ValueMin(), Chart.ValueMax());
    if (m.UseBitmap)
        PictureExtents(Chart, m);
    return m;
}

// ---- Textures --------------------------------------------------------------------------------

TTextureSize QorPaint::PictureTextureSize(int MaxTextureSize, int Width, int Height) {
    // Every OpenGL implementation offers 64 texels; a failed query must not give an empty cache.
    const int most = std::max(MaxTextureSize, 64);
    const auto side = [most](int Pixels) {
        int n = 1;
        while (n < Pixels && n < most)
            n *= 2;
        return std::min(n, most);
    };
    return {side(Width), side(Height)};
}

std::vector<uint8_t> QorPaint::PictureTexturePixels(const QImage& Picture, TTextureSize Size) {
    const int w = Size.Width, h = Size.Height;
    const QImage scaled =
        Picture.size() == QSize(w, h)
            ? Picture.convertToFormat(QImage::Format_RGB888)
            : Picture.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_RGB888);
    std::vector<uint8_t> pixels(size_t(w) * size_t(h) * 3);
    uint8_t* out = pixels.data();
    for (int y = 0; y < h; ++y) {
        const uchar* line = scaled.constScanLine(y);
        for (int x = 0; x < w; ++x, out += 3) {
            out[0] = line[3 * x + 2];
            out[1] = line[3 * x + 1];
            out[2] = line[3 * x];
        }
    }
    return pixels;
}

namespace {

void LinearClamped(const TGLFunctions& gl, GLenum Target) {
    gl.TexParameteri(Target, GL_TEXTURE_WRAP_S, GL_CLAMP);
    if (Target == GL_TEXTURE_2D)
        gl.TexParameteri(Target, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.TexParameteri(Target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(Target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

GLint MaxTextureSize(const TGLFunctions& gl) {
    GLint size = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

// The texture of Picture; the last one made is kept for the next chart that shows the same
// picture (each file of a batch names the same picture file).
std::shared_ptr<const TQorPictureTexture> SharedPictureTexture(const QImage& Picture, int MaxSize) {
    static std::shared_ptr<const TQorPictureTexture> last;
    if (last && last->PictureKey == Picture.cacheKey() && last->MaxSize == MaxSize)
        return last;
    last.reset();
    auto texture = std::make_shared<TQorPictureTexture>();
    texture->PictureKey = Picture.cacheKey();
    texture->MaxSize = MaxSize;
    const TTextureSize size = PictureTextureSize(MaxSize, Picture.width(), Picture.height());
    texture->Width = size.Width;
    texture->Height = size.Height;
    texture->Pixels = PictureTexturePixels(Picture, size);
    last = texture;
    return texture;
}

void LoadPictureTexture(const TGLFunctions& gl, TQor3DChart& Chart) {
    // Exactly one texture unit is on afterwards; the default texture object takes the image,
    // whatever the axis labels left bound.
    gl.Disable(GL_TEXTURE_1D);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    gl.Enable(GL_TEXTURE_2D);
    LinearClamped(gl, GL_TEXTURE_2D);
    std::shared_ptr<const TQorPictureTexture>& texture = Chart.PictureTexture();
    const QImage& picture = Chart.ColorBitmap();
    if (!texture || texture->PictureKey != picture.cacheKey())
        texture = SharedPictureTexture(picture, MaxTextureSize(gl));
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, texture->Width, texture->Height, 0, GL_BGR_EXT,
                  GL_UNSIGNED_BYTE, texture->Pixels.data());
}

void LoadPaletteTexture(const TGLFunctions& gl, const TQorPalette& Palette) {
    gl.Disable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_1D, 0);
    gl.Enable(GL_TEXTURE_1D);
    LinearClamped(gl, GL_TEXTURE_1D);
    if (MaxTextureSize(gl) > 255) {
        gl.TexImage1D(GL_TEXTURE_1D, 0, GL_RGB, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, Palette.data());
    } else {
        const TQorPalette64 table = PaletteTable64(Palette);
        gl.TexImage1D(GL_TEXTURE_1D, 0, GL_RGB, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, table.data());
    }
}

} // namespace

void QorPaint::SetupChartColorSource(TQor3DChart& Chart, const TQorSceneFrame&) {
    const TGLFunctions& gl = GL();
    if (ChartUsesBitmap(Chart))
        LoadPictureTexture(gl, Chart);
    else
        LoadPaletteTexture(gl, Chart.Palette());
}

// ---- Pass state ------------------------------------------------------------------------------

// From nearly half opaque at 1 to almost clear at 9. The second pass, drawn over the first,
// has about a1 / (1 + a1) of it: then both passes weigh the same in the final colour,
// (1 - a2) * a1 = a2, so neither side of a surface seen through the other dominates.
TAlphaPair QorPaint::TransparencyAlpha(int Transparency) {
    static constexpr std::array<TAlphaPair, 9> table = {
        {{128, 85}, {85, 64}, {64, 51}, {43, 36}, {28, 26}, {21, 20}, {13, 13}, {6, 6}, {1, 1}}};
    return IsTranslucent(Transparency) ? table[size_t(Transparency - 1)] : TAlphaPair{};
}

void QorPaint::BeginTransparency(const TGLFunctions& gl, int Transparency) {
    if (!IsTranslucent(Transparency))
        return;
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.DepthMask(GL_FALSE);
    gl.Color4ub(255, 255, 255, TransparencyAlpha(Transparency).First);
}

TGLTransparency::TGLTransparency(const TGLFunctions& gl, int Transparency)
    : TGLScope(gl, [](const TGLFunctions& g) {
          g.DepthMask(GL_TRUE);
          g.Disable(GL_BLEND);
      }) {
    if (!IsTranslucent(Transparency))
        return;
    BeginTransparency(gl, Transparency);
    Opened();
}

TGLHighlight::TGLHighlight(const TGLFunctions& gl)
    : TGLScope(gl, [](const TGLFunctions& g) {
          g.DepthFunc(GL_LESS);
          g.DepthMask(GL_TRUE);
          g.Disable(GL_BLEND);
      }) {
    static constexpr GLfloat specular[4] = {0.9f, 0.9f, 0.9f, 1.0f};
    gl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    gl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, 50);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE);
    gl.DepthMask(GL_FALSE);
    gl.DepthFunc(GL_LEQUAL);
    gl.Color4ub(0, 0, 0, 255);
    Opened();
}

bool QorPaint::ChartLightsOn(const TQor3DChart& Chart) {
    return Chart.LightsON();
}

// ---- The 3D surface --------------------------------------------------------------------------

namespace {

// The points of a dk3D grid in either layout, checked against the array lengths.
class TSurfaceGrid {
public:
    explicit TSurfaceGrid(const TQor3DChart& Chart)
        : Cols(std::max(Chart.NX(), 0)), Rows(std::max(Chart.NZ(), 0)), FChart(Chart),
          FLow(Chart.LowMemoryLayout()) {}

    const int Cols;
    const int Rows;

    bool Valid() const {
        const size_t points = size_t(Cols) * size_t(Rows);
        if (points == 0)
            return false;
        if (FLow)
            return FChart.XValues().size() >= size_t(Cols) &&
                   FChart.ZValues().size() >= size_t(Rows) && FChart.Data().size() >= points;
        return FChart.Data().size() >= 3 * points;
    }
    // Stored normals too short for the grid are computed while painting instead.
    bool HasNormals() const {
        return !FLow && FChart.Normals().size() >= 3 * size_t(Cols) * size_t(Rows);
    }
    size_t Index(int c, int r) const { return size_t(c) + size_t(Cols) * size_t(r); }
    TPoint3f Point(int c, int r) const {
        const size_t k = Index(c, r);
        if (FLow)
            return {FChart.XValues()[size_t(c)], FChart.Data()[k], FChart.ZValues()[size_t(r)]};
        const float* p = FChart.Data().data() + 3 * k;
        return {p[0], p[1], p[2]};
    }

private:
    const TQor3DChart& FChart;
    const bool FLow;
};

// The stored arrays of a full-layout surface with its normals, drawn as they are; the texture
// coordinates are computed once for all passes, the holes only where a point is not finite.
class TStoredSurface : public TGridSource {
public:
    TStoredSurface(const TQor3DChart& Chart, const TSurfaceGrid& Grid, const TColorMapping& Map)
        : FChart(Chart), FGrid(Grid), FMap(Map) {
        TGridBlock& b = FBuffers.Block;
        b.Positions = Chart.Data().data();
        b.NormalType = GL_SHORT;
        b.Normals = Chart.Normals().data();
        b.TexSize = Map.TexSize();
        const float* p = Chart.Data().data();
        const size_t points = Grid.Index(0, Grid.Rows);
        for (size_t k = 0; k < points; ++k, p += 3) {
            if (FinitePoint(p[0], p[1], p[2]))
                continue;
            if (FBuffers.Holes.empty())
                FBuffers.Holes.assign(points, 0);
            FBuffers.Holes[k] = 1;
        }
        b.Holes = FBuffers.Holes.empty() ? nullptr : FBuffers.Holes.data();
    }
    // Whether the stored arrays serve as they are: the data's own frame and 32-bit indices.
    static bool Serves(const TSurfaceGrid& Grid, const TVertexMap& Map) {
        return Grid.HasNormals() && Map.Identity() &&
               Grid.Index(0, Grid.Rows) <= std::numeric_limits<GLuint>::max();
    }

    int Cols() const override { return FGrid.Cols; }
    int Rows() const override { return FGrid.Rows; }
    size_t BlockPoints() const override { return std::numeric_limits<size_t>::max(); }
    const TGridBlock& Block(std::span<const int> Cols, std::span<const int> Rows,
                            bool Textured) override {
        if (Textured && FBuffers.TexCoords.empty())
            FillTexCoords();
        FBuffers.Block.TexCoords = FBuffers.TexCoords.data();
        IndexGridBlock(FBuffers.Block, Cols, Rows, size_t(FGrid.Cols), false);
        return FBuffers.Block;
    }

private:
    void FillTexCoords() {
        const size_t points = FGrid.Index(0, FGrid.Rows);
        const int size = FMap.TexSize();
        FBuffers.TexCoords.resize(points * size_t(size));
        const float* p = FChart.Data().data();
        float* out = FBuffers.TexCoords.data();
        for (size_t k = 0; k < points; ++k, p += 3, out += size)
            FMap.Coord(p[0], p[1], p[2], out);
    }

    const TQor3DChart& FChart;
    const TSurfaceGrid& FGrid;
    const TColorMapping& FMap;
    TGridBuffers FBuffers;
};

// The surface's arrays computed block by block: the low-memory layout, normals computed while
// painting, and positions in box units. Box-relative frames take their normals from the points
// in box units too: stored 16-bit normals lose the slope of data much flatter than its box.
// With more than one core, the next block is computed on a second thread while GL takes the
// current one; each has its own arrays.
class TComputedSurface : public TGridSource {
public:
    TComputedSurface(const TQor3DChart& Chart, const TSurfaceGrid& Grid, const TColorMapping& Map,
                     const TQorSceneFrame& Frame, const TVertexMap& Vertices)
        : FGrid(Grid), FMap(Map), FFrame(Frame), FVertices(Vertices),
          FNormals(Grid.HasNormals() ? Chart.Normals().data() : nullptr),
          FBoxNormals(!Frame.RawVertices || Frame.BoxRelative),
          FShort(!FBoxNormals && Vertices.Identity()), FAheadOn(QorParallel::Threads() > 1) {}
    ~TComputedSurface() override {
        if (FAhead.valid())
            FAhead.wait();
    }
    TComputedSurface(const TComputedSurface&) = delete;
    TComputedSurface& operator=(const TComputedSurface&) = delete;

    int Cols() const override { return FGrid.Cols; }
    int Rows() const override { return FGrid.Rows; }
    size_t BlockPoints() const override { return QorGridBlockPoints; }
    const TGridBlock& Block(std::span<const int> Cols, std::span<const int> Rows,
                            bool Textured) override {
        const TRequest request{Cols.data(), Cols.size(), Rows.data(), Rows.size(), Textured};
        if (FAhead.valid() && request == FAheadRequest) {
            FAhead.get();
            FCurrent ^= 1;
        } else {
            Settle();
            Compute(FSets[FCurrent], Cols, Rows, Textured);
        }
        return FSets[FCurrent].Buffers.Block;
    }
    void Expect(std::span<const int> Cols, std::span<const int> Rows, bool Textured) override {
        Settle();
        if (!FAheadOn)
            return;
        FAheadRequest = {Cols.data(), Cols.size(), Rows.data(), Rows.size(), Textured};
        // The caller's lines may be gone when a failure ends the drawing early.
        FAheadCols.assign(Cols.begin(), Cols.end());
        FAheadRows.assign(Rows.begin(), Rows.end());
        FAhead = std::async(std::launch::async, [this, &next = FSets[FCurrent ^ 1], Textured] {
            Compute(next, FAheadCols, FAheadRows, Textured);
        });
    }

private:
    struct TBlockArrays {
        TGridBuffers Buffers;
        TQorGridRectNormals<double> Box;
        TQorGridRectNormals<float> Plain;
    };
    struct TRequest {
        const int* Cols = nullptr;
        size_t ColCount = 0;
        const int* Rows = nullptr;
        size_t RowCount = 0;
        bool Textured = false;
        bool operator==(const TRequest&) const = default;
    };

    // Waits for a block computed ahead that nobody asked for; its failure still counts.
    void Settle() {
        if (FAhead.valid())
            FAhead.get();
    }

    static bool Contiguous(std::span<const int> Line) {
        return !Line.empty() && size_t(Line.back() - Line.front()) + 1 == Line.size();
    }

    void Compute(TBlockArrays& A, std::span<const int> Cols, std::span<const int> Rows,
                 bool Textured) const {
        const int texSize = FMap.TexSize();
        A.Buffers.Resize(Cols.size() * Rows.size(), FShort, texSize, Textured);
        // A block of whole neighbouring rows and columns shares its points and edges between
        // the normals; a thinned one (while turning) has no neighbours in it.
        const bool shared =
            (FBoxNormals || FNormals == nullptr) && Contiguous(Cols) && Contiguous(Rows);
        bool anyHole = false;
        size_t n = 0;
        for (const int r : Rows)
            for (const int c : Cols) {
                anyHole |= Fill(A.Buffers, c, r, n, Textured, !shared);
                ++n;
            }
        if (shared)
            SharedNormals(A, Cols, Rows);
        A.Buffers.Bind(FShort, texSize, anyHole);
        IndexGridBlock(A.Buffers.Block, Cols, Rows, 0, true);
    }

    // Point (c, r) into slot n, its normal too unless WithNormal is off; true when it is a hole.
    bool Fill(TGridBuffers& B, int c, int r, size_t n, bool Textured, bool WithNormal) const {
        const TPoint3f p = FGrid.Point(c, r);
        B.Holes[n] = FinitePoint(p.X, p.Y, p.Z) ? 0 : 1;
        FVertices.Position(p.X, p.Y, p.Z, &B.Positions[3 * n]);
        if (Textured)
            FMap.Coord(p.X, p.Y, p.Z, &B.TexCoords[size_t(FMap.TexSize()) * n]);
        if (!WithNormal)
            return B.Holes[n] != 0;
        const auto point = [this](int cc, int rr) {
            return FGrid.Point(cc, rr);
        };
        if (FBoxNormals) {
            StoreUnit(B, GridNormalBox(point, c, r, FGrid.Cols, FGrid.Rows, FFrame), n);
        } else {
            const size_t k = 3 * FGrid.Index(c, r);
            StoreShort(B,
                       FNormals != nullptr
                           ? TNormal16{FNormals[k], FNormals[k + 1], FNormals[k + 2]}
                           : GridNormal16(point, c, r, FGrid.Cols, FGrid.Rows),
                       n);
        }
        return B.Holes[n] != 0;
    }

    // The normals of a block of neighbouring rows and columns, by the same rule as Fill's.
    void SharedNormals(TBlockArrays& A, std::span<const int> Cols,
                       std::span<const int> Rows) const {
        const int c0 = Cols.front();
        const int r0 = Rows.front();
        const auto slot = [&](int c, int r) {
            return size_t(c - c0) + Cols.size() * size_t(r - r0);
        };
        const TQorGridRect rect{.Col0 = c0,
                                .Col1 = Cols.back(),
                                .Row0 = r0,
                                .Row1 = Rows.back(),
                                .Cols = FGrid.Cols,
                                .Rows = FGrid.Rows};
        if (FBoxNormals) {
            const auto box = [this](int c, int r) {
                return BoxPoint(FGrid.Point(c, r), FFrame);
            };
            A.Box.Compute(box, rect, [&](int c, int r, const TQorVec3<double>& N) {
                StoreUnit(A.Buffers, NormalToUnit(N), slot(c, r));
            });
        } else {
            const auto point = [this](int c, int r) {
                return FGrid.Point(c, r);
            };
            A.Plain.Compute(point, rect, [&](int c, int r, const TQorVec3<double>& N) {
                StoreShort(A.Buffers, NormalToInt16(N), slot(c, r));
            });
        }
    }

    static void StoreUnit(TGridBuffers& B, const TNormalD& d, size_t n) {
        std::copy(d.begin(), d.end(), &B.Normals[3 * n]);
    }
    void StoreShort(TGridBuffers& B, const TNormal16& s, size_t n) const {
        if (FShort)
            std::copy(s.begin(), s.end(), &B.Normals16[3 * n]);
        else
            FVertices.Normal(s[0], s[1], s[2], &B.Normals[3 * n]);
    }

    const TSurfaceGrid& FGrid;
    const TColorMapping& FMap;
    const TQorSceneFrame& FFrame;
    const TVertexMap& FVertices;
    const int16_t* FNormals;
    const bool FBoxNormals;
    const bool FShort;
    const bool FAheadOn;
    std::array<TBlockArrays, 2> FSets;
    int FCurrent = 0;
    TRequest FAheadRequest;
    std::vector<int> FAheadCols;
    std::vector<int> FAheadRows;
    std::future<void> FAhead;
};

} // namespace

TNormal16 QorPaint::VertexNormal(const TQor3DChart& Chart, int Col, int Row) {
    const TSurfaceGrid grid(Chart);
    return GridNormal16([&](int c, int r) { return grid.Point(c, r); }, Col, Row, grid.Cols,
                        grid.Rows);
}

TNormalD QorPaint::VertexNormal(const TQor3DChart& Chart, const TQorSceneFrame& Frame, int Col,
                                int Row) {
    const TSurfaceGrid grid(Chart);
    return GridNormalBox([&](int c, int r) { return grid.Point(c, r); }, Col, Row, grid.Cols,
                         grid.Rows, Frame);
}

void QorPaint::DrawChartSurface(TQor3DChart& Chart, const TQorSceneFrame& Frame) {
    const TGLFunctions& gl = GL();
    const TSurfaceGrid grid(Chart);
    const TColorMapping map = ChartColorMapping(Chart);
    const int transparency = Chart.Transparency();
    const bool wired = Chart.Wired();
    TGLTransparency translucent(gl, transparency);
    // The scene puts this scale back after the surface whenever RawVertices is off.
    if (!Frame.RawVertices && !Frame.BoxRelative)
        gl.Scaled(Frame.RX, Frame.RY, Frame.RZ);
    const bool valid = grid.Valid();
    const TVertexMap vertices(Frame, !Frame.RawVertices);
    std::unique_ptr<TGridSource> source;
    if (valid && TStoredSurface::Serves(grid, vertices))
        source = std::make_unique<TStoredSurface>(Chart, grid, map);
    else if (valid)
        source = std::make_unique<TComputedSurface>(Chart, grid, map, Frame, vertices);
    const int step = TurningStep(grid.Cols, grid.Rows, Frame.TurningView);
    const auto pass = [&](bool Reverse, bool Textured) {
        if (source)
            DrawGrid(gl, StripPattern(wired, Reverse), *source, step, Textured);
    };
    if (transparency < 10)
        pass(false, true);
    if (IsTranslucent(transparency)) {
        gl.Color4ub(255, 255, 255, TransparencyAlpha(transparency).Second);
        pass(true, true);
        translucent.Close();
    }
    gl.Disable(map.UseBitmap ? GL_TEXTURE_2D : GL_TEXTURE_1D);
    if (Chart.Shiny()) {
        const TGLHighlight highlight(gl);
        pass(false, false);
    }
}
