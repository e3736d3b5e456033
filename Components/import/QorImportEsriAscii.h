// ESRI ASCII grids (.asc): a header of ncols, nrows, xllcorner or xllcenter, yllcorner or
// yllcenter, cellsize and an optional NODATA_value, then the rows from north to south. The grid
// becomes a surface over northing (X) and easting (Z) at the cells' centres, its rows along Z,
// X ascending northwards: seen from above ("Top"), north is up and east to the right, as on a
// map.
#pragma once

#include "QorImportOptions.h"
#include "QorImportResult.h"

#include <string>
#include <string_view>

TQorImportResult ReadEsriAsciiFile(const std::string& FileName, const TQorImportOptions& Options);
TQorImportResult ReadEsriAsciiText(std::string_view Text, const TQorImportOptions& Options,
                                   const std::string& Name = {});
// A first line that is one of the header's keywords followed by a number.
bool LooksLikeEsriAscii(std::string_view Head);
