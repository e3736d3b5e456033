// Rasters of maps: GeoTIFF files written through libtiff and libgeotiff and ESRI ASCII grids,
// read back with their coordinates, north up (Z ascending northwards) and their no-data holes.
#include "QorImportGeoTiff.h"
#include "QorImportRegistry.h"

#include "TestSupport.h"

#include <cmath>
#include <geotiff.h>
#include <geovalues.h>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <xtiffio.h>

namespace {

constexpr int W = 19, H = 13;
constexpr double Scale = 30, East = 500000, North = 4100000;

// The pixel in file row Row (0 the northernmost), column Col; one is the no-data value.
double Pixel(int Row, int Col) {
    return Row == 4 && Col == 7 ? -9999 : 100.0 * Row + Col;
}

// The fields of a one-band raster of Width x Height samples.
void SetRasterFields(TIFF* T, int Width, int Height, int Bits, int Format, int Compression) {
    TIFFSetField(T, TIFFTAG_IMAGEWIDTH, Width);
    TIFFSetField(T, TIFFTAG_IMAGELENGTH, Height);
    TIFFSetField(T, TIFFTAG_BITSPERSAMPLE, Bits);
    TIFFSetField(T, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(T, TIFFTAG_SAMPLEFORMAT, Format);
    TIFFSetField(T, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(T, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(T, TIFFTAG_COMPRESSION, Compression);
}

// A georeferenced raster: int16 in strips, or float32 in 16 × 16 tiles.
bool WriteGeoTiff(const std::string& Path, bool Tiled) {
    RegisterGeoTiffTags();
    TIFF* t = TIFFOpen(Path.c_str(), "w");
    if (t == nullptr)
        return false;
    SetRasterFields(t, W, H, Tiled ? 32 : 16, Tiled ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_INT,
                    Tiled ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
    const double scale[] = {Scale, Scale, 0}, tie[] = {0, 0, 0, East, North, 0};
    TIFFSetField(t, TIFFTAG_GEOPIXELSCALE, 3, scale);
    TIFFSetField(t, TIFFTAG_GEOTIEPOINTS, 6, tie);
    TIFFSetField(t, GdalNoDataTag, "-9999");
    GTIF* g = GTIFNew(t);
    GTIFKeySet(g, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
    GTIFWriteKeys(g);
    GTIFFree(g);
    bool ok = true;
    if (Tiled) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
        std::vector<float> tile(16 * 16);
        for (int y = 0; y < H; y += 16)
            for (int x = 0; x < W; x += 16) {
                for (int r = 0; r < 16; ++r)
                    for (int c = 0; c < 16; ++c)
                        tile[size_t(c + 16 * r)] =
                            y + r < H && x + c < W ? float(Pixel(y + r, x + c)) : 0;
                ok = ok && TIFFWriteTile(t, tile.data(), uint32_t(x), uint32_t(y), 0, 0) >= 0;
            }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 5);
        std::vector<int16_t> row(W);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x)
                row[size_t(x)] = int16_t(Pixel(y, x));
            ok = ok && TIFFWriteScanline(t, row.data(), uint32_t(y), 0) >= 0;
        }
    }
    TIFFClose(t);
    return ok;
}

// The raster's numbers at the pixels' centres: northing along X (the southernmost row first),
// easting along Z, so that seen from above north is up and east to the right.
void ExpectMap(const TQorImportResult& R) {
    ASSERT_TRUE(R.Ok()) << R.Error.Text();
    ASSERT_EQ(R.NX(), H);
    ASSERT_EQ(R.NZ(), W);
    EXPECT_EQ(R.CaptionX, "northing");
    EXPECT_EQ(R.CaptionZ, "easting");
    EXPECT_DOUBLE_EQ(R.Z[0], float(East + Scale / 2));
    EXPECT_DOUBLE_EQ(R.Z[W - 1], float(East + (W - 0.5) * Scale));
    EXPECT_DOUBLE_EQ(R.X[H - 1], float(North - Scale / 2));
    EXPECT_DOUBLE_EQ(R.X[0], float(North - (H - 0.5) * Scale));
    for (int k = 0; k < W; ++k)
        for (int i = 0; i < H; ++i) {
            const double expected = Pixel(H - 1 - i, k);
            const float v = R.Values[size_t(i + H * k)];
            if (expected == -9999)
                EXPECT_TRUE(std::isnan(v));
            else
                EXPECT_EQ(v, float(expected)) << i << "," << k;
        }
}

} // namespace

// Striped int16 and tiled, compressed float32 GeoTIFFs read to the same map.
TEST(ImportGeoTiff, ReadsTheBandAtPixelCentresNorthUpWithNoDataHoles) {
    TempDir dir;
    for (const bool tiled : {false, true}) {
        const std::string file = dir.File(tiled ? "tiles.tif" : "strips.tif");
        ASSERT_TRUE(WriteGeoTiff(file, tiled));
        ExpectMap(ImportFile(file, {}));
    }
}

TEST(ImportEsriAscii, ReadsTheGridAtCellCentresNorthUpWithNoDataHoles) {
    TempDir dir;
    std::string text = "ncols " + std::to_string(W) + "\nNROWS " + std::to_string(H) +
                       "\nxllcorner 500000\nyllcorner " + std::to_string(North - H * Scale) +
                       "\ncellsize 30\nNODATA_value -9999\n";
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            text += std::to_string(int(Pixel(y, x))) + (x + 1 < W ? " " : "\r\n");
    const std::string file = dir.File("map.asc");
    WriteFileText(file, text);
    ExpectMap(ImportFile(file, {}));
}

// Headers that claim 10^12 cells are refused before anything is allocated.
TEST(ImportRasters, HugeDeclaredRastersAreRefused) {
    TempDir dir;
    const std::string asc = dir.File("huge.asc");
    WriteFileText(asc, "ncols 1000000\nnrows 1000000\nxllcorner 0\nyllcorner 0\ncellsize 1\n"
                       "1 2 3 4\n");
    EXPECT_EQ(ImportFile(asc, {}).Error.Text(),
              "huge.asc: expected 1000000 × 1000000 = 1000000000000 values, more than the 9 "
              "bytes after the header can hold");

    const std::string tif = dir.File("huge.tif");
    TIFF* t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 1000000);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1000000);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 32);
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 1000000);
    const float one = 1;
    TIFFWriteRawStrip(t, 0, const_cast<float*>(&one), sizeof one);
    TIFFClose(t);
    testing::internal::CaptureStderr();
    const std::string error = ImportFile(tif, {}).Error.Text();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(
        error.rfind("huge.tif: the header claims 1000000 × 1000000 = 1000000000000 pixels", 0), 0u)
        << error;
}

// A raster larger than a block is read in two halves on two cores, each turned block by block
// (or tile by tile): every pixel lands in its place, turned or with its rows along Z, whatever
// the width and height leave over from the blocks, the tiles and the four-by-four turns, and
// the pixels equal to the no-data value are holes.
TEST(ImportGeoTiff, ALargeRasterIsTurnedWhole) {
    constexpr int w = 1003, h = 530;
    constexpr int hole = 2000 * 300 + 11; // one pixel of the uncompressed rasters
    RegisterGeoTiffTags();
    TempDir dir;
    // Strips of 7 rows: the two halves meet at a strip's edge; the compressed integer raster is
    // decoded from that strip on, through a second handle, and converted on the way. Tiles of
    // 48 x 32, float32 and int16, leave partial tiles at the right and at the bottom.
    enum TLayout { Strips, Packed, Tiles, PackedTiles };
    for (const TLayout layout : {Strips, Packed, Tiles, PackedTiles}) {
        const bool shorts = layout == Packed || layout == PackedTiles;
        const bool tiled = layout == Tiles || layout == PackedTiles;
        const std::string file = dir.File("large" + std::to_string(int(layout)) + ".tif");
        const auto value = [&](int Y, int X) {
            return shorts ? (7 * Y + X) % 30011 - 15000 : 2000 * Y + X;
        };
        TIFF* t = TIFFOpen(file.c_str(), "w");
        ASSERT_NE(t, nullptr);
        SetRasterFields(t, w, h, shorts ? 16 : 32, shorts ? SAMPLEFORMAT_INT : SAMPLEFORMAT_IEEEFP,
                        shorts ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
        TIFFSetField(t, GdalNoDataTag, std::to_string(hole).c_str());
        bool written = true;
        const auto write = [&](int Y, int X, int Cols, int Rows, uint32_t Tile) {
            std::vector<float> floats(size_t(Cols) * Rows);
            std::vector<int16_t> ints(floats.size());
            for (int r = 0; r < Rows; ++r)
                for (int c = 0; c < Cols; ++c) {
                    const int v = Y + r < h && X + c < w ? value(Y + r, X + c) : 0;
                    floats[size_t(c + Cols * r)] = float(v);
                    ints[size_t(c + Cols * r)] = int16_t(v);
                }
            void* data = shorts ? static_cast<void*>(ints.data()) : floats.data();
            written = written && (tiled ? TIFFWriteTile(t, data, uint32_t(X), uint32_t(Y), 0, 0)
                                        : TIFFWriteScanline(t, data, Tile, 0)) >= 0;
        };
        if (tiled) {
            TIFFSetField(t, TIFFTAG_TILEWIDTH, 48);
            TIFFSetField(t, TIFFTAG_TILELENGTH, 32);
            for (int y = 0; y < h; y += 32)
                for (int x = 0; x < w; x += 48)
                    write(y, x, 48, 32, 0);
        } else {
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 7);
            for (int y = 0; y < h; ++y)
                write(y, 0, w, 1, uint32_t(y));
        }
        TIFFClose(t);
        ASSERT_TRUE(written);
        TQorImportOptions rowsAlongZ;
        rowsAlongZ.Transpose = true;
        const TQorImportResult turned = ImportFile(file, {}), rows = ImportFile(file, rowsAlongZ);
        ASSERT_TRUE(turned.Ok()) << turned.Error.Text();
        ASSERT_TRUE(rows.Ok()) << rows.Error.Text();
        ASSERT_EQ(turned.NX(), h);
        ASSERT_EQ(turned.NZ(), w);
        ASSERT_EQ(rows.NX(), w);
        size_t wrong = 0, holes = 0;
        const auto check = [&](float Read, int Y, int X) {
            const bool isHole = value(Y, X) == hole;
            holes += isHole && std::isnan(Read);
            wrong += !isHole && Read != float(value(Y, X));
        };
        for (int k = 0; k < w; ++k)
            for (int i = 0; i < h; ++i) {
                check(turned.Values[size_t(i + h * k)], h - 1 - i, k);
                check(rows.Values[size_t(k + w * i)], h - 1 - i, k);
            }
        EXPECT_EQ(wrong, 0u) << file;
        EXPECT_EQ(holes, shorts ? 0u : 2u) << file;
    }
}
