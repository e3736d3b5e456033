// GeoTIFF rasters (and plain TIFF images) through libtiff and libgeotiff: the first band of any
// integer or floating-point sample type becomes a surface. The pixel scale and tie point give
// northing (X) and easting (Z) at the pixels' centres (their corners for PixelIsPoint rasters);
// the raster's rows run along Z, X ascends northwards: seen from above ("Top"), north is up and
// east to the right, as on a map. The GDAL_NODATA tag's value is a hole. A raster without
// georeferencing is spaced by the options.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <string>
#include <string_view>

TQorImportResult ReadGeoTiffFile(const std::string& FileName, const TQorImportOptions& Options);
// The TIFF byte-order mark and version (classic or BigTIFF).
bool LooksLikeTiff(std::string_view Head);

// The tag GDAL writes a raster's no-data value in, as text.
inline constexpr unsigned GdalNoDataTag = 42113;
// Makes libtiff know GeoTIFF's tags and GdalNoDataTag, for reading and writing; done once.
void RegisterGeoTiffTags();
