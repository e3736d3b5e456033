// Reading goes through nc_get_vara_float, which converts any numeric type and reads only the
// slab: a 2000 × 2000 slice of a much larger variable costs the slice. The floats of a netCDF-4
// file, an HDF5 file, kept there as they are, are read from where the HDF5 library says they lie.
#include "QorImportFormatReaders.h"

#include "QorImportGrid.h"
#include "QorImportHdf5.h"
#include "QorImportSupport.h"

#include <netcdf.h>

using namespace QorImportGrid;

namespace {

// An open file, closed when it goes.
class TNcFile {
public:
    ~TNcFile() {
        if (FId >= 0)
            nc_close(FId);
    }
    int Open(const std::string& FileName) { return nc_open(FileName.c_str(), NC_NOWRITE, &FId); }
    int Id() const { return FId; }

private:
    int FId = -1;
};

std::string LibraryText(int Status) {
    return std::string("the NetCDF library says: ") + nc_strerror(Status);
}

const char* TypeName(nc_type Type) {
    switch (Type) {
    case NC_BYTE:
        return "int8";
    case NC_UBYTE:
        return "uint8";
    case NC_SHORT:
        return "int16";
    case NC_USHORT:
        return "uint16";
    case NC_INT:
        return "int32";
    case NC_UINT:
        return "uint32";
    case NC_INT64:
        return "int64";
    case NC_UINT64:
        return "uint64";
    case NC_FLOAT:
        return "float32";
    case NC_DOUBLE:
        return "float64";
    default:
        return nullptr;
    }
}

std::string TextAttribute(int File, int Var, const char* Name) {
    nc_type type = 0;
    size_t length = 0;
    if (nc_inq_att(File, Var, Name, &type, &length) != NC_NOERR || type != NC_CHAR || length > 4096)
        return {};
    std::string s(length, '\0');
    if (nc_get_att_text(File, Var, Name, s.data()) != NC_NOERR)
        return {};
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

// The first one or two numbers of a numeric attribute.
std::vector<double> NumberAttribute(int File, int Var, const char* Name) {
    nc_type type = 0;
    size_t length = 0;
    if (nc_inq_att(File, Var, Name, &type, &length) != NC_NOERR || TypeName(type) == nullptr ||
        length < 1 || length > 2)
        return {};
    std::vector<double> v(length);
    if (nc_get_att_double(File, Var, Name, v.data()) != NC_NOERR)
        return {};
    return v;
}

TAttributes Attributes(int File, int Var, nc_type Type) {
    TAttributes a = CfAttributes([=](const char* Name) { return NumberAttribute(File, Var, Name); },
                                 [=](const char* Name) { return TextAttribute(File, Var, Name); });
    // Values never written hold the library's fill value of their type.
    if (!a.FillValue && Type == NC_FLOAT)
        a.FillValue = NC_FILL_FLOAT;
    if (!a.FillValue && Type == NC_DOUBLE)
        a.FillValue = NC_FILL_DOUBLE;
    return a;
}

int Variables(int File, std::vector<TQorImportArrayInfo>& Out) {
    int count = 0;
    if (const int s = nc_inq_nvars(File, &count); s != NC_NOERR)
        return s;
    for (int v = 0; v < count; ++v) {
        char name[NC_MAX_NAME + 1] = {};
        nc_type type = 0;
        int rank = 0;
        int dims[NC_MAX_VAR_DIMS] = {};
        if (const int s = nc_inq_var(File, v, name, &type, &rank, dims, nullptr); s != NC_NOERR)
            return s;
        if (rank < 2 || TypeName(type) == nullptr)
            continue;
        TQorImportArrayInfo info;
        info.Name = name;
        info.DType = TypeName(type);
        for (int d = 0; d < rank; ++d) {
            char dimName[NC_MAX_NAME + 1] = {};
            size_t length = 0;
            if (const int s = nc_inq_dim(File, dims[d], dimName, &length); s != NC_NOERR)
                return s;
            info.Dims.push_back(dimName);
            info.Shape.push_back(int64_t(length));
        }
        info.Units = TextAttribute(File, v, "units");
        info.LongName = TextAttribute(File, v, "long_name");
        Out.push_back(std::move(info));
    }
    return NC_NOERR;
}

// The coordinate variable of a dimension (one dimension, the same name) over the slab's range.
TAxis Axis(int File, int Dim, int64_t Start, int64_t Count) {
    char name[NC_MAX_NAME + 1] = {};
    TAxis a;
    if (nc_inq_dimname(File, Dim, name) != NC_NOERR)
        return a;
    a.Caption = name;
    int var = -1, rank = 0, dim = -1;
    nc_type type = 0;
    if (nc_inq_varid(File, name, &var) != NC_NOERR ||
        nc_inq_var(File, var, nullptr, &type, &rank, nullptr, nullptr) != NC_NOERR || rank != 1 ||
        TypeName(type) == nullptr || nc_inq_vardimid(File, var, &dim) != NC_NOERR || dim != Dim)
        return a;
    std::vector<double> v(static_cast<size_t>(Count));
    const size_t start = size_t(Start), count = size_t(Count);
    if (nc_get_vara_double(File, var, &start, &count, v.data()) != NC_NOERR)
        return a;
    a.Values = std::move(v);
    a.Units = TextAttribute(File, var, "units");
    a.Caption = Caption(name, a.Units);
    return a;
}

// How the library keeps a variable: a float variable of a netCDF-4 file, an HDF5 file, is asked
// of the HDF5 library, which alone tells where its values lie.
TStorage Storage(int File, int Var, nc_type Type, const std::string& FileName,
                 const TQorImportArrayInfo& Info) {
    int layout = NC_CHUNKED, format = 0;
    nc_inq_var_chunking(File, Var, &layout, nullptr);
    if (layout != NC_CONTIGUOUS)
        return {};
    nc_inq_format(File, &format);
    TStorage storage;
    if (Type == NC_FLOAT && (format == NC_FORMAT_NETCDF4 || format == NC_FORMAT_NETCDF4_CLASSIC))
        storage = QorFormatReaders::Hdf5Storage(FileName, Info.Name, Info.Shape);
    storage.Contiguous = true;
    return storage;
}

} // namespace

bool QorFormatReaders::ListNetCdfVariables(const std::string& FileName,
                                           std::vector<TQorImportArrayInfo>& Variables,
                                           std::string& Error) {
    Variables.clear();
    TNcFile file;
    int s = file.Open(FileName);
    if (s == NC_NOERR)
        s = ::Variables(file.Id(), Variables);
    if (s != NC_NOERR)
        Error = LibraryText(s);
    return s == NC_NOERR;
}

bool QorFormatReaders::ReadNetCdfAxis(const std::string& FileName, const std::string& Variable,
                                      size_t Dim, int64_t Start, int64_t Count, TAxis& Axis) {
    TNcFile file;
    int var = -1, rank = 0;
    int dims[NC_MAX_VAR_DIMS] = {};
    if (file.Open(FileName) != NC_NOERR ||
        nc_inq_varid(file.Id(), Variable.c_str(), &var) != NC_NOERR ||
        nc_inq_var(file.Id(), var, nullptr, nullptr, &rank, dims, nullptr) != NC_NOERR ||
        Dim >= size_t(rank))
        return false;
    Axis = ::Axis(file.Id(), dims[Dim], Start, Count);
    return true;
}

TQorImportResult QorFormatReaders::ReadNetCdfFile(const std::string& FileName,
                                                  const TQorImportOptions& Options) {
    TQorImportResult r;
    if (!QorImport::StartLibraryRead(FileName, r))
        return r;
    TNcFile file;
    std::vector<TQorImportArrayInfo> variables;
    int s = file.Open(FileName);
    if (s == NC_NOERR)
        s = Variables(file.Id(), variables);
    if (s != NC_NOERR) {
        r.Fail(LibraryText(s));
        return r;
    }
    const TQorImportArrayInfo* chosen = ChooseVariable(variables, Options, r);
    TSlab slab;
    if (chosen == nullptr || !ChooseSlab(*chosen, Options, slab, r))
        return r;
    const auto fail = [&](int Status) {
        r.Fail(LibraryText(Status), 0, 0, chosen->Name);
        r.Error.VariableWord = "variable";
        return r;
    };
    int var = -1;
    nc_type type = 0;
    int dims[NC_MAX_VAR_DIMS] = {};
    if (s = nc_inq_varid(file.Id(), chosen->Name.c_str(), &var); s != NC_NOERR)
        return fail(s);
    if (s = nc_inq_var(file.Id(), var, nullptr, &type, nullptr, dims, nullptr); s != NC_NOERR)
        return fail(s);
    const TAttributes attributes = Attributes(file.Id(), var, type);
    TArrGLfloat values(size_t(slab.Elements));
    bool outOfRange = false;
    const auto read = [&](const std::vector<int64_t>& Start, const std::vector<int64_t>& Count,
                          float* Into) {
        const std::vector<size_t> start(Start.begin(), Start.end()),
            count(Count.begin(), Count.end());
        s = nc_get_vara_float(file.Id(), var, start.data(), count.data(), Into);
        outOfRange |= s == NC_ERANGE;
        return s == NC_NOERR || s == NC_ERANGE;
    };
    const TStorage storage = Storage(file.Id(), var, type, FileName, *chosen);
    // Without a chunk cache a chunk that the slab covers whole goes straight into the values,
    // not through a cache as large as the chunk: a slice held once, not twice.
    if (!storage.Contiguous)
        nc_set_var_chunk_cache(file.Id(), var, 0, 0, 0.75f);
    if (!ReadSlab(FileName, storage, slab, values, attributes, read))
        return fail(s);
    if (outOfRange)
        r.Warnings.push_back("values beyond the range of 32-bit numbers were read as infinite");
    std::vector<TAxis> axes;
    for (const size_t d : slab.Shown)
        axes.push_back(Axis(file.Id(), dims[d], slab.Start[d], slab.Count[d]));
    FinishGrid(r, slab, axes, Caption(chosen->Name, attributes.Units), std::move(values), Options);
    return r;
}
