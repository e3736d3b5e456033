#include "QorImportPreview.h"

#include "QorImportHdf5.h"
#include "QorImportNetCdf.h"
#include "QorImportNpy.h"
#include "QorImportSupport.h"
#include "QorImportText.h"

#include <algorithm>

namespace {

using TReadFile = TQorImportResult (*)(const std::string&, const TQorImportOptions&);

bool ReadsTextTables(const TQorImportReader& Reader) {
    const TReadFile* read = Reader.Read.target<TReadFile>();
    return read != nullptr && *read == &ReadTextTable;
}

// A large text table is read in its first whole lines only.
TQorImportResult ReadTextHead(const std::string& FileName, const TQorImportOptions& Options,
                              bool& Partial) {
    std::string head = QorImport::FileHead(FileName, PreviewTextBytes + 1);
    Partial = head.size() > PreviewTextBytes;
    if (!Partial)
        return ReadTextTable(FileName, Options);
    head.resize(head.rfind('\n', PreviewTextBytes) + 1);
    return ReadTextTableText(head, Options, QorImport::BaseName(FileName));
}

} // namespace

std::vector<TQorImportArrayInfo> ImportArchiveArrays(const std::string& FileName) {
    std::vector<TQorImportArrayInfo> arrays;
    std::string error;
    const std::string head = QorImport::FileHead(FileName, TQorImportRegistry::SniffBytes);
    const TQorImportReader* reader = TQorImportRegistry::Default().Choose(FileName, head);
    const std::string format = reader != nullptr ? reader->Name : std::string();
    if (format == NetCdfFormat)
        ListNetCdfVariables(FileName, arrays, error);
    else if (format == Hdf5Format)
        ListHdf5Datasets(FileName, arrays, error);
    else if (LooksLikeZip(head))
        ListNpzArrays(FileName, arrays, error);
    return arrays;
}

TQorImportPreview PreviewImport(const std::string& FileName, const TQorImportOptions& Options,
                                int64_t Rows, int64_t Columns, const TQorImportRegistry& Registry) {
    TQorImportPreview p;
    const TQorImportReader* reader = Registry.Choose(FileName);
    if (reader == nullptr) {
        p.Error = QorImport::BaseName(FileName) + ": no importer knows this file's format";
        return p;
    }
    p.Format = reader->Name;
    p.Native = reader->Native;
    if (p.Native || !reader->Read)
        return p;
    p.Arrays = ImportArchiveArrays(FileName);
    const TQorImportResult r = ReadsTextTables(*reader) ? ReadTextHead(FileName, Options, p.Partial)
                                                        : reader->Read(FileName, Options);
    p.Warnings = r.Warnings;
    p.GivenX = r.GivenX;
    p.GivenZ = r.GivenZ;
    if (!r.Ok()) {
        p.Error = r.Error.Text();
        return p;
    }
    p.Kind = r.Kind;
    p.NX = r.NX();
    p.NY = r.NY();
    p.NZ = r.NZ();
    const int64_t nx = std::min(p.NX, std::max<int64_t>(Columns, 0));
    const int64_t nz = std::min(p.NZ, std::max<int64_t>(Rows, 0));
    p.X.assign(r.X.begin(), r.X.begin() + nx);
    p.Z.assign(r.Z.begin(), r.Z.begin() + nz);
    p.Values.resize(size_t(nx * nz));
    // A volume's values run X fastest, then Y, then Z: its first layer is j = 0 of each k.
    const int64_t rowStride = p.Kind == TQorImportKind::Volume ? p.NX * p.NY : p.NX;
    for (int64_t k = 0; k < nz; ++k)
        for (int64_t i = 0; i < nx; ++i)
            p.Values[size_t(i + nx * k)] = r.Values[size_t(i + rowStride * k)];
    return p;
}
