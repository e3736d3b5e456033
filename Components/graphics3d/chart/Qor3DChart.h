// The 3D chart control: the data grid in its kinds and layouts, the axes, grids, colour
// palette and 4D display settings, and the change notification that brings every change to
// the screen.
//
// The files that define the chart's members (paths below Components/graphics3d):
//   chart/Qor3DChart.cpp          construction, update bracket, Changed, Assign
//   chart/Qor3DChartData.cpp      kinds, layouts, sizing, ranges, normals, logarithmic change,
//                                 sample
//   chart/Qor3DChartProps.cpp     published properties, palette inputs, colour picture
//   chart/Qor3DChartDensity.cpp   increasing and decreasing the grid density
//   chart/Qor3DChartPersist.cpp   the property list and the three stored forms
//   render/Qor3DChartScene.cpp    PaintChart, the scene painting hooked to OnPaintGL
//   io/Qor3DChartFileRead.cpp     LoadFromText, LoadFromFile
//   io/Qor3DChartFileWrite.cpp    SaveToFile
#pragma once

#include "QorPalette.h"
#include "UQorTypes.h"
#include "chart/Qor3DChartAxis.h"
#include "draw/Qor3DDraw.h"

#include <QImage>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TQorPropTextWriter;
class TQorPropTextReader;
class TQorBinaryWriter;
class TQorBinaryReader;
class TQorStorage;
class TQorStringList;
template <class C> class TQorPropList;

// Whether Dim4Direction (0 X, 1 Y, 2 Z, 3 X and Y, 4 X and Z, 5 Y and Z, 6 all three) takes in
// Axis (0 X, 1 Y, 2 Z): the 4D layers are drawn across it, and Dim4Height makes room along it.
bool Dim4DirectionHasAxis(int Direction, int Axis);

// Least and greatest finite value of each component of the stored data (x, y, z, v), gathered
// by UpdateRanges' scan or by a reader while it stores the numbers.
struct TQorDataExtremes {
    float Min[4] = {0, 0, 0, 0};
    float Max[4] = {0, 0, 0, 0};
    bool Any[4] = {false, false, false, false};

    void Add(size_t Component, float v) {
        if (!std::isfinite(v))
            return;
        if (!Any[Component]) {
            Any[Component] = true;
            Min[Component] = Max[Component] = v;
            return;
        }
        if (v < Min[Component])
            Min[Component] = v;
        if (v > Max[Component])
            Max[Component] = v;
    }
    // Takes in the extremes of data that come after these; equal values keep the earlier one,
    // as one scan from the first element would.
    void Merge(const TQorDataExtremes& Later) {
        for (size_t c = 0; c < 4; ++c)
            if (Later.Any[c]) {
                Add(c, Later.Min[c]);
                Add(c, Later.Max[c]);
            }
    }
};

// A texture made of a chart's picture: Width x Height blue-green-red triples, top row first,
// for the picture with QImage::cacheKey PictureKey under a GL texture limit of MaxSize. One is
// shared by every chart that shows the same picture.
struct TQorPictureTexture {
    qint64 PictureKey = 0;
    int MaxSize = 0;
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;
};

// Data layout (i along X, j along Y, k along Z; rows of a 3D grid run along Z):
//   dk3D full:        point p = i + NX*k, Data[3p..3p+2] = x, height, z
//   dk3D low-memory:  x = XValues[i], z = ZValues[k], height = Data[i + NX*k]
//   dk4D full:        p = i + NX*(j + NY*k), Data[4p..4p+3] = x, y, z, v
//   dk4D low-memory:  coordinates from the vectors, v = Data[i + NX*(j + NY*k)]
//   dk4DSurface:      the six faces one after another (FaceStart), 4 floats per point in the
//                     full layout, one v per point in the low-memory layout
//   dkNx4D:           layer l starts at point LayerStart(l), point (i, row r) = start + i +
//                     X_l*r, always 4 floats (x, y, z, v) per point
// Along a logarithmic axis the stored coordinates are base-10 logarithms; v never is.
//
// Sizing fails (returns false, leaving the data cleared with counts 0) for a negative count,
// a length that overflows 64 bits or the 32-bit counts, or arrays larger than the physical
// memory. Callers must check the result. A grid of no points is sized as the empty grid (every
// count 0); a layer of no points as (0, 0). With ZeroFill off the arrays are left
// uninitialised for a reader that writes every element.
class TQor3DChart : public TQor3DDraw {
public:
    TQor3DChart();
    TQor3DChart(const TQor3DChart&) = delete;
    TQor3DChart& operator=(const TQor3DChart&) = delete;
    ~TQor3DChart() override;

    // Update bracket and change notification; EndUpdate is the drawing control's, which
    // ends in this Changed.
    void Changed() override;
    void BeginUpdate() override;
    // Copies the chart properties (never the data) and the view, then recomputes the ranges.
    void Assign(const TObject& Source) override;

    // Data side.
    void ClearData();
    [[nodiscard]] bool SetSize3D(int nx, int nz, bool ZeroFill = true);
    [[nodiscard]] bool SetSize4D(int nx, int ny, int nz, bool ZeroFill = true);
    [[nodiscard]] bool SetSize4DSurface(int nx, int ny, int nz, bool ZeroFill = true);
    [[nodiscard]] bool SetSizeNx4D(const TArrXZInteger& Layers, bool ZeroFill = true);
    virtual void SetDataKind(int Kind);
    virtual TXZInteger GetLayerSize(int Layer) const;
    // Ranges from the finite values only; a component without any keeps its range.
    void UpdateRanges();
    // The extremes UpdateRanges scans for, and UpdateRanges with extremes already gathered.
    TQorDataExtremes DataExtremes() const;
    void UpdateRangesFrom(const TQorDataExtremes& Extremes);
    void SetAllAutoRanges();
    // A neighbour that is not finite counts as missing.
    void UpdateNormals();
    void ApplyLogarithmicChange();
    // The value the coordinate at Stored (an element of Data() or of a coordinate vector, along
    // Axis 0 X, 1 Y, 2 Z) held before a logarithmic axis turned it into its logarithm, as long
    // as the stored logarithm is still the one taken of it; else null. 10 raised to a float
    // logarithm is not the value it was taken of, and a value that is not positive has none:
    // writers write this one back.
    const float* RealCoordinate(int Axis, const float* Stored) const;
    // At design time only, and only while no grid is held.
    void MakeSampleSurface();

    // Density of a dk3D grid; other kinds are left alone. False when the new grid does not fit
    // (the data are then cleared, counts 0), or when the weights are not usable (nothing is
    // touched).
    static bool DensityWeightsUsable(int NearWeight, int FarWeight);
    bool IncreaseDensity(int NearWeight, int FarWeight);
    bool IncreaseDensityX(int NearWeight, int FarWeight);
    bool DecreaseDensity();
    bool DecreaseDensityX();

    TQorDataKind DataKind() const { return FDataKind; }
    int NX() const { return FNX; }
    int NY() const { return FNY; }
    int NZ() const { return FNZ; }
    bool LowMemoryLayout() const { return FLowMemoryLayout; }
    const TArrGLfloat& XValues() const { return FXValues; }
    const TArrGLfloat& YValues() const { return FYValues; }
    const TArrGLfloat& ZValues() const { return FZValues; }
    const TArrGLfloat& Data() const { return FData; }
    // Filled in place by readers and generators, which then call UpdateRanges (and
    // UpdateNormals for 3D data).
    TArrGLfloat& XValues() { return FXValues; }
    TArrGLfloat& YValues() { return FYValues; }
    TArrGLfloat& ZValues() { return FZValues; }
    TArrGLfloat& Data() { return FData; }
    const TArrXZInteger& Layers() const { return FLayers; }
    const TArrGLshort& Normals() const { return FNormals; }
    // Filled by readers that compute the normals while they store the heights.
    TArrGLshort& Normals() { return FNormals; }
    float ValueMin() const { return FValueMin; }
    float ValueMax() const { return FValueMax; }

    // Points of a dk4DSurface grid and the first point of face 1 ... 6.
    static int64_t FacePointCount(int nx, int ny, int nz);
    static int64_t FaceStart(int Face, int nx, int ny, int nz);
    // First point of a dkNx4D layer (the number of points before it).
    int64_t LayerStart(int Layer) const;

    // Owned sub-objects; the setters copy into them.
    TQorChartAxis3D& AxisX() { return *FAxisX; }
    TQorChartAxis3D& AxisY() { return *FAxisY; }
    TQorChartAxis3D& AxisZ() { return *FAxisZ; }
    const TQorChartAxis3D& AxisX() const { return *FAxisX; }
    const TQorChartAxis3D& AxisY() const { return *FAxisY; }
    const TQorChartAxis3D& AxisZ() const { return *FAxisZ; }
    TQorGrid3DProp& gridMajor() { return *FGridMajor; }
    TQorGrid3DProp& gridMinor() { return *FGridMinor; }
    const TQorGrid3DProp& gridMajor() const { return *FGridMajor; }
    const TQorGrid3DProp& gridMinor() const { return *FGridMinor; }
    void SetAxisX(const TQorChartAxis3D& v) { FAxisX->Assign(v); }
    void SetAxisY(const TQorChartAxis3D& v) { FAxisY->Assign(v); }
    void SetAxisZ(const TQorChartAxis3D& v) { FAxisZ->Assign(v); }
    void SetgridMajor(const TQorGrid3DProp& v) { FGridMajor->Assign(v); }
    void SetgridMinor(const TQorGrid3DProp& v) { FGridMinor->Assign(v); }

    // Palette and its inputs. Color(1 ... 6) reads the stops; indices outside give clBlack.
    const TQorPalette& Palette() const { return FPalette; }
    virtual void SetPaletteTable(const TQorPalette& Table);
    virtual TColor Color(int Index) const;
    virtual void SetColor(int Index, TColor v);
    TColor Color1() const { return Color(1); }
    TColor Color2() const { return Color(2); }
    TColor Color3() const { return Color(3); }
    TColor Color4() const { return Color(4); }
    TColor Color5() const { return Color(5); }
    TColor Color6() const { return Color(6); }
    void SetColor1(TColor v) { SetColor(1, v); }
    void SetColor2(TColor v) { SetColor(2, v); }
    void SetColor3(TColor v) { SetColor(3, v); }
    void SetColor4(TColor v) { SetColor(4, v); }
    void SetColor5(TColor v) { SetColor(5, v); }
    void SetColor6(TColor v) { SetColor(6, v); }
    int ColorCount() const { return FColorCount; }
    virtual void SetColorCount(int v);
    int ColorLayers() const { return FColorLayers; }
    virtual void SetColorLayers(int v);
    // The preset buttons and the invert button of the properties dialog.
    void ApplyPalettePreset(TQorPalettePreset Preset);
    void InvertPalette();

    // Colour picture.
    const QImage& ColorBitmap() const { return FColorBitmap; }
    virtual void SetColorBitmap(const QImage& v);
    const std::string& ColorBitmapName() const { return FColorBitmapName; }
    // Loads the picture; a missing or unreadable file gives an empty ColorBitmap and says why
    // in ColorBitmapProblem. The picture last read is kept by name, time stamp and size: charts
    // that name the same unchanged file (each file of a batch, copies made by Assign) share its
    // pixels.
    virtual void SetColorBitmapName(const std::string& v);
    // Why the picture ColorBitmapName names could not be read, or "".
    const std::string& ColorBitmapProblem() const { return FColorBitmapProblem; }
    bool ColorBitmapApply() const { return FColorBitmapApply; }
    virtual void SetColorBitmapApply(bool v);
    // The texture the surface painter made of ColorBitmap; null until it is painted, and again
    // whenever the picture changes.
    std::shared_ptr<const TQorPictureTexture>& PictureTexture() { return FPictureTexture; }

    // The separator in effect: the locale's while DecSepLocal is on.
    virtual char DecSep() const;
    virtual void SetDecSep(char v);
    bool DecSepLocal() const { return FDecSepLocal; }
    virtual void SetDecSepLocal(bool v);

    const std::string& Dim4Caption() const { return FDim4Caption; }
    virtual void SetDim4Caption(const std::string& v);
    int Dim4Direction() const { return FDim4Direction; }
    virtual void SetDim4Direction(int v);
    int Dim4FirstLayer() const { return FDim4FirstLayer; }
    virtual void SetDim4FirstLayer(int v);
    int Dim4NthLayer() const { return FDim4NthLayer; }
    virtual void SetDim4NthLayer(int v);
    double Dim4Height() const { return FDim4Height; }
    virtual void SetDim4Height(double v);
    int Dim4CrossSection() const { return FDim4CrossSection; }
    virtual void SetDim4CrossSection(int v);
    double Dim4CrossSectionOffset() const { return FDim4CrossSectionOffset; }
    virtual void SetDim4CrossSectionOffset(double v);
    double HeightY() const { return FHeightY; }
    virtual void SetHeightY(double v);
    // True only while the stored flag is on and both axes agree on Logarithmic.
    virtual bool KeepAspectXY() const;
    virtual void SetKeepAspectXY(bool v);
    virtual bool KeepAspectXZ() const;
    virtual void SetKeepAspectXZ(bool v);
    bool Shiny() const { return FShiny; }
    virtual void SetShiny(bool v);
    int Transparency() const { return FTransparency; }
    virtual void SetTransparency(int v);
    bool UseLowMemory() const { return FUseLowMemory; }
    virtual void SetUseLowMemory(bool v);
    bool Wired() const { return FWired; }
    virtual void SetWired(bool v);

    TNotifyEvent OnColorScaleChanged;
    TPaintRectEvent OnBeforePaintGL;
    TPaintRectEvent OnInChartPaintGL;
    TPaintRectEvent OnAfterPaintGL;

    // The chart's own properties in their stored order, with their defaults (the drawing
    // control, the axes and the grids have their own); the three forms, Assign and the
    // constructor follow it.
    static const TQorPropList<TQor3DChart>& Properties();
    bool SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const override;
    void LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) override;
    int WriteToFile(TQorBinaryWriter& Writer) const override;
    int ReadFromFile(TQorBinaryReader& Reader) override;
    void WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const override;
    void ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) override;
    int LoadFromFile(const std::string& FileName, bool WithProperties);
    // LoadFromFile on a file's text that is already in memory.
    int LoadFromText(std::string_view Text, bool WithProperties);
    int SaveToFile(const std::string& FileName, bool ForceGridForm, bool WithProperties) const;
    // SaveToFile with more text (the legend's block) appended before the file is committed; the
    // reason of a failure in Error when given.
    int SaveToFile(const std::string& FileName, bool ForceGridForm, bool WithProperties,
                   const std::function<void(std::string& Text)>& AppendTrailer,
                   std::string* Error = nullptr) const;

protected:
    // The most bytes the data arrays may take: the physical memory.
    virtual uint64_t MemoryLimit() const;
    // The scene painting hooked to OnPaintGL.
    virtual void PaintChart(TObject* Sender, const TRect& PaintRect);

private:
    template <typename T> void SetField(T& field, const T& v) {
        if (field == v)
            return;
        field = v;
        Changed();
    }
    // An owned axis or grid reports a change.
    void PartChanged(TObject* Sender);
    void RebuildPalette();
    void ResetColorBitmap();
    bool SizeGrid(TQorDataKind Kind, int nx, int ny, int nz, bool ZeroFill);
    bool Resample(bool Increase, bool AlongZ, int NearWeight, int FarWeight);
    void IncreaseGrid(bool AlongZ, int NearWeight, int FarWeight);
    void DecreaseGrid(bool AlongZ);
    // The coordinate array of Component in the low-memory layout (dk3D heights in FData).
    const TArrGLfloat& OwnedCoords(size_t Component) const;
    // Keeps the values of Component before they become logarithms, when they fit the memory.
    void KeepRealCoords(size_t Component);

    bool FColorScaleChangedPending = false;
    bool FPaletteRebuildPending = false;
    TQorDataKind FDataKind = dk3D;
    TQorPalette FPalette{};
    // Defaults of the described properties in Properties().
    char FDecSep;
    bool FDecSepLocal;
    TQorColorArray FColors = TQorColorArray(QorColorStopCount);
    bool FKeepAspectXY;
    bool FKeepAspectXZ;
    std::shared_ptr<const TQorPictureTexture> FPictureTexture;

    std::unique_ptr<TQorChartAxis3D> FAxisX;
    std::unique_ptr<TQorChartAxis3D> FAxisY;
    std::unique_ptr<TQorChartAxis3D> FAxisZ;
    std::unique_ptr<TQorGrid3DProp> FGridMajor;
    std::unique_ptr<TQorGrid3DProp> FGridMinor;
    QImage FColorBitmap;
    std::string FColorBitmapName;
    std::string FColorBitmapProblem;
    bool FColorBitmapApply;
    int FColorCount;
    int FColorLayers;
    std::string FDim4Caption;
    int FDim4Direction;
    int FDim4FirstLayer;
    int FDim4NthLayer;
    double FDim4Height;
    int FDim4CrossSection;
    double FDim4CrossSectionOffset;
    double FHeightY;
    bool FShiny;
    int FTransparency;
    bool FUseLowMemory;
    bool FWired;

    int FNX = 0;
    int FNY = 0;
    int FNZ = 0;
    bool FLowMemoryLayout = false;
    TArrGLfloat FXValues;
    TArrGLfloat FYValues;
    TArrGLfloat FZValues;
    TArrGLfloat FData;
    TArrXZInteger FLayers;
    // Points before each layer and in all of them (one more entry than FLayers), so that
    // LayerStart costs the same for every layer.
    std::vector<int64_t> FLayerStarts;
    TArrGLshort FNormals;
    // Per axis, the values read for the coordinates now stored as logarithms (point order in
    // the full layout, the order of the owned vector in the low-memory one); empty when not
    // kept. Dropped whenever the grid is sized or resampled.
    std::array<TArrGLfloat, 3> FRealCoords;
    float FValueMin = 0;
    float FValueMax = 100;
};
