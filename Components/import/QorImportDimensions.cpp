#include "QorImportDimensions.h"

#include "QorImportGrid.h"
#include "QorImportHdf5.h"
#include "QorImportNetCdf.h"
#include "QorImportPreview.h"
#include "QorImportRegistry.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string FormatOf(const std::string& FileName) {
    const TQorImportReader* reader = TQorImportRegistry::Default().Choose(FileName);
    return reader != nullptr ? reader->Name : std::string();
}

} // namespace

TQorImportDimensions HiddenImportDimensions(const std::string& FileName,
                                            const TQorImportOptions& Options) {
    TQorImportDimensions found;
    const std::vector<TQorImportArrayInfo> variables = ImportArchiveArrays(FileName);
    // Arrays of an archive have no named dimensions and are always shown whole.
    if (variables.empty() || variables.front().Dims.empty())
        return found;
    TQorImportResult r;
    const TQorImportArrayInfo* chosen = QorImportGrid::ChooseVariable(variables, Options, r);
    QorImportGrid::TSlab slab;
    if (chosen == nullptr || !QorImportGrid::ChooseSlab(*chosen, Options, slab, r))
        return found;
    found.Variable = chosen->Name;
    for (size_t d = 0; d < chosen->Shape.size(); ++d)
        if (std::find(slab.Shown.begin(), slab.Shown.end(), d) == slab.Shown.end())
            found.Hidden.push_back({chosen->Dims[d], d, chosen->Shape[d], slab.Start[d]});
    return found;
}

std::string ImportCoordinateText(const std::string& FileName, const std::string& Variable,
                                 const TQorImportDimension& Dimension, int64_t Index) {
    const std::string format = FormatOf(FileName);
    QorImportGrid::TAxis axis;
    const bool read =
        format == NetCdfFormat
            ? ReadNetCdfAxis(FileName, Variable, Dimension.Position, Index, 1, axis)
            : format == Hdf5Format &&
                  ReadHdf5Axis(FileName, Variable, Dimension.Position, Index, 1, axis);
    if (!read || axis.Values.size() != 1 || axis.Units.empty())
        return {};
    char number[32];
    std::snprintf(number, sizeof number, "%.10g", axis.Values.front());
    return std::string(number) + " " + axis.Units;
}
