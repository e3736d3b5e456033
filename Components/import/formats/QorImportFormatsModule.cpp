// The entry of plotyra-formats.so: the readers, handed only to a program of the same build.
#include "QorImportFormatReaders.h"
#include "QorImportFormats.h"

extern "C" __attribute__((visibility("default"))) const TQorImportFormats*
plotyra_import_formats(const TQorImportFormatsKey* Key) {
    static constexpr TQorImportFormats readers{
        QorFormatReaders::ReadNetCdfFile,   QorFormatReaders::ListNetCdfVariables,
        QorFormatReaders::ReadNetCdfAxis,   QorFormatReaders::ReadHdf5File,
        QorFormatReaders::ListHdf5Datasets, QorFormatReaders::ReadHdf5Axis,
        QorFormatReaders::ReadGeoTiffFile,  QorFormatReaders::RegisterGeoTiffTags};
    return Key != nullptr && SameImportFormatsKey(*Key, ImportFormatsKey()) ? &readers : nullptr;
}
