#include "HelpCommand.h"

#include "ConvertCommand.h"
#include "InfoCommand.h"
#include "ProbeCommand.h"
#include "RenderCommand.h"

#include <cstdio>

namespace {

// How info, convert, render and probe read files of other data forms (docs/ImportFormats.md).
const char* const ImportUsage =
    "IMPORT OPTIONS (text matrices and column lists, .npy, .npz, NetCDF, HDF5, GeoTIFF, .asc):\n"
    "  --spacing DX[,DZ[,DY]]  --origin X0[,Z0[,Y0]]  --header auto|none|row|row+column\n"
    "  --layout auto|matrix|columns  --transpose  --nodata V  --array NAME  --var NAME\n"
    "  --index DIM=K\n";

int Usage(std::FILE* To) {
    std::fprintf(To, "usage: plotyra-cli about\n       %s       %s       %s       %s%s", InfoUsage,
                 ConvertUsage, RenderUsage, ProbeUsage, ImportUsage);
    return To == stderr ? 1 : 0;
}

} // namespace

int HelpCommand() {
    return Usage(stdout);
}

int UsageError() {
    return Usage(stderr);
}
