// Reading goes through H5Dread into 32-bit floats with a hyperslab of the file's dataspace, so
// the library converts any numeric type and reads only the slab; floats the file holds as they
// are, in one piece, are read from where the library says they lie.
#include "QorImportFormatReaders.h"

#include "QorImportGrid.h"
#include "QorImportSupport.h"

#include <hdf5.h>
#include <hdf5_hl.h>
#include <mutex>
#include <sys/stat.h>

using namespace QorImportGrid;

namespace {

// An identifier, closed by its closing function when it goes.
class THid {
public:
    THid(hid_t Id, herr_t (*Close)(hid_t)) : FId(Id), FClose(Close) {}
    ~THid() {
        if (FId >= 0)
            FClose(FId);
    }
    THid(const THid&) = delete;
    THid& operator=(const THid&) = delete;
    THid(THid&& o) noexcept : FId(o.FId), FClose(o.FClose) { o.FId = -1; }
    hid_t Id() const { return FId; }
    bool Ok() const { return FId >= 0; }

private:
    hid_t FId;
    herr_t (*FClose)(hid_t);
};

// The library prints its error stack by default; the program says what went wrong itself.
void Silence() {
    static std::once_flag once;
    std::call_once(once, [] { H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr); });
}

herr_t InnermostError(unsigned Depth, const H5E_error2_t* Error, void* Data) {
    auto* text = static_cast<std::string*>(Data);
    if (Depth == 0 && Error->desc != nullptr)
        *text = Error->desc;
    return 0;
}

// The library's own words for the last failure.
std::string LibraryText(const char* What) {
    std::string text;
    H5Ewalk2(H5E_DEFAULT, H5E_WALK_UPWARD, InnermostError, &text);
    H5Eclear2(H5E_DEFAULT);
    return std::string(What) + (text.empty() ? "" : ": the HDF5 library says: " + text);
}

const char* TypeName(hid_t Type) {
    const H5T_class_t c = H5Tget_class(Type);
    const size_t size = H5Tget_size(Type);
    if (c == H5T_FLOAT)
        return size == 2 ? "float16" : size == 4 ? "float32" : size == 8 ? "float64" : nullptr;
    if (c != H5T_INTEGER)
        return nullptr;
    const bool sign = H5Tget_sign(Type) == H5T_SGN_2;
    switch (size) {
    case 1:
        return sign ? "int8" : "uint8";
    case 2:
        return sign ? "int16" : "uint16";
    case 4:
        return sign ? "int32" : "uint32";
    case 8:
        return sign ? "int64" : "uint64";
    default:
        return nullptr;
    }
}

std::string TextAttribute(hid_t Object, const char* Name) {
    if (H5Aexists(Object, Name) <= 0)
        return {};
    const THid attr(H5Aopen(Object, Name, H5P_DEFAULT), H5Aclose);
    const THid type(attr.Ok() ? H5Aget_type(attr.Id()) : -1, H5Tclose);
    if (!type.Ok() || H5Tget_class(type.Id()) != H5T_STRING)
        return {};
    std::string s;
    if (H5Tis_variable_str(type.Id()) > 0) {
        const THid mem(H5Tcopy(H5T_C_S1), H5Tclose);
        H5Tset_size(mem.Id(), H5T_VARIABLE);
        const THid space(H5Aget_space(attr.Id()), H5Sclose);
        if (H5Sget_simple_extent_npoints(space.Id()) != 1)
            return {};
        char* p = nullptr;
        if (H5Aread(attr.Id(), mem.Id(), &p) >= 0 && p != nullptr) {
            s = p;
            H5Dvlen_reclaim(mem.Id(), space.Id(), H5P_DEFAULT, &p);
        }
    } else {
        const size_t size = H5Tget_size(type.Id());
        if (size == 0 || size > 4096)
            return {};
        s.assign(size, '\0');
        if (H5Aread(attr.Id(), type.Id(), s.data()) < 0)
            return {};
    }
    H5Eclear2(H5E_DEFAULT);
    return s.substr(0, s.find('\0'));
}

std::vector<double> NumberAttribute(hid_t Object, const char* Name) {
    if (H5Aexists(Object, Name) <= 0)
        return {};
    const THid attr(H5Aopen(Object, Name, H5P_DEFAULT), H5Aclose);
    const THid type(attr.Ok() ? H5Aget_type(attr.Id()) : -1, H5Tclose);
    const THid space(attr.Ok() ? H5Aget_space(attr.Id()) : -1, H5Sclose);
    if (!type.Ok() || !space.Ok() || TypeName(type.Id()) == nullptr)
        return {};
    const hssize_t n = H5Sget_simple_extent_npoints(space.Id());
    if (n < 1 || n > 2)
        return {};
    std::vector<double> v(static_cast<size_t>(n));
    if (H5Aread(attr.Id(), H5T_NATIVE_DOUBLE, v.data()) < 0)
        return {};
    return v;
}

TAttributes Attributes(hid_t Set) {
    return CfAttributes([Set](const char* Name) { return NumberAttribute(Set, Name); },
                        [Set](const char* Name) { return TextAttribute(Set, Name); });
}

std::string LastPart(const std::string& Path) {
    const size_t slash = Path.find_last_of('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// The name of the first dimension scale attached to a dimension of a dataset.
herr_t ScaleName(hid_t, unsigned, hid_t Scale, void* Data) {
    char path[1024] = {};
    H5Iget_name(Scale, path, sizeof path);
    *static_cast<std::string*>(Data) = LastPart(path);
    return 1;
}

// The values and caption of the first scale attached to dimension Dim, over the slab's range.
herr_t ScaleAxis(hid_t, unsigned, hid_t Scale, void* Data) {
    auto* axis = static_cast<std::pair<TAxis, std::pair<int64_t, int64_t>>*>(Data);
    char path[1024] = {};
    H5Iget_name(Scale, path, sizeof path);
    axis->first.Units = TextAttribute(Scale, "units");
    axis->first.Caption = Caption(LastPart(path), axis->first.Units);
    const THid space(H5Dget_space(Scale), H5Sclose);
    const THid type(H5Dget_type(Scale), H5Tclose);
    if (!space.Ok() || !type.Ok() || TypeName(type.Id()) == nullptr ||
        H5Sget_simple_extent_ndims(space.Id()) != 1)
        return 1;
    const hsize_t start = hsize_t(axis->second.first), count = hsize_t(axis->second.second);
    hsize_t length = 0;
    H5Sget_simple_extent_dims(space.Id(), &length, nullptr);
    if (start + count > length)
        return 1;
    const THid mem(H5Screate_simple(1, &count, nullptr), H5Sclose);
    H5Sselect_hyperslab(space.Id(), H5S_SELECT_SET, &start, nullptr, &count, nullptr);
    std::vector<double> v(count);
    if (H5Dread(Scale, H5T_NATIVE_DOUBLE, mem.Id(), space.Id(), H5P_DEFAULT, v.data()) >= 0)
        axis->first.Values = std::move(v);
    return 1;
}

// A dataset's description, or false when it is no candidate.
bool Describe(hid_t Set, const std::string& Path, TQorImportArrayInfo& Info) {
    const THid type(H5Dget_type(Set), H5Tclose);
    const THid space(H5Dget_space(Set), H5Sclose);
    if (!type.Ok() || !space.Ok() || TypeName(type.Id()) == nullptr || H5DSis_scale(Set) > 0)
        return false;
    const int rank = H5Sget_simple_extent_ndims(space.Id());
    if (rank < 2 || rank > H5S_MAX_RANK)
        return false;
    std::vector<hsize_t> dims(static_cast<size_t>(rank));
    H5Sget_simple_extent_dims(space.Id(), dims.data(), nullptr);
    Info.Name = Path;
    Info.DType = TypeName(type.Id());
    for (int d = 0; d < rank; ++d) {
        Info.Shape.push_back(int64_t(dims[size_t(d)]));
        std::string name;
        if (H5DSget_num_scales(Set, unsigned(d)) > 0)
            H5DSiterate_scales(Set, unsigned(d), nullptr, ScaleName, &name);
        Info.Dims.push_back(name.empty() ? "dim" + std::to_string(d) : name);
    }
    Info.Units = TextAttribute(Set, "units");
    Info.LongName = TextAttribute(Set, "long_name");
    H5Eclear2(H5E_DEFAULT);
    return true;
}

// Bounds the walk: a file of more datasets than this is listed up to here.
constexpr size_t MaxCandidates = 10000;

herr_t VisitLink(hid_t Group, const char* Name, const H5L_info_t*, void* Data) {
    auto* out = static_cast<std::vector<TQorImportArrayInfo>*>(Data);
    if (out->size() >= MaxCandidates || H5Oexists_by_name(Group, Name, H5P_DEFAULT) <= 0)
        return 0;
    const THid object(H5Oopen(Group, Name, H5P_DEFAULT), H5Oclose);
    if (!object.Ok() || H5Iget_type(object.Id()) != H5I_DATASET)
        return 0;
    TQorImportArrayInfo info;
    if (Describe(object.Id(), Name, info))
        out->push_back(std::move(info));
    return 0;
}

bool List(hid_t File, std::vector<TQorImportArrayInfo>& Out) {
    const herr_t s = H5Lvisit(File, H5_INDEX_NAME, H5_ITER_INC, VisitLink, &Out);
    H5Eclear2(H5E_DEFAULT);
    return s >= 0;
}

THid OpenFile(const std::string& FileName) {
    Silence();
    return THid(H5Fopen(FileName.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT), H5Fclose);
}

// The device and inode of the file the library has open for Object, through the plain POSIX
// driver; false for any other.
bool OpenFileIdentity(hid_t Object, uint64_t& Device, uint64_t& Inode) {
    const THid file(H5Iget_file_id(Object), H5Fclose);
    const THid access(file.Ok() ? H5Fget_access_plist(file.Id()) : -1, H5Pclose);
    void* handle = nullptr;
    struct stat st {};
    if (!access.Ok() || H5Pget_driver(access.Id()) != H5FD_SEC2 ||
        H5Fget_vfd_handle(file.Id(), access.Id(), &handle) < 0 || handle == nullptr ||
        ::fstat(*static_cast<const int*>(handle), &st) != 0)
        return false;
    Device = uint64_t(st.st_dev);
    Inode = uint64_t(st.st_ino);
    return true;
}

// How the library keeps Set's values (of Shape) in the file; Floats only when they lie in one
// piece of the file itself, unfiltered and already written, as this machine's 32-bit floats.
TStorage Storage(hid_t Set, const std::vector<int64_t>& Shape) {
    TStorage storage;
    const THid creation(H5Dget_create_plist(Set), H5Pclose);
    const THid type(H5Dget_type(Set), H5Tclose);
    const THid space(H5Dget_space(Set), H5Sclose);
    storage.Contiguous = creation.Ok() && H5Pget_layout(creation.Id()) == H5D_CONTIGUOUS;
    if (!storage.Contiguous || !type.Ok() || !space.Ok() || H5Pget_nfilters(creation.Id()) != 0 ||
        H5Pget_external_count(creation.Id()) != 0 || H5Tequal(type.Id(), H5T_NATIVE_FLOAT) <= 0 ||
        H5Sget_simple_extent_ndims(space.Id()) != int(Shape.size()))
        return storage;
    std::vector<hsize_t> dims(Shape.size());
    H5Sget_simple_extent_dims(space.Id(), dims.data(), nullptr);
    hsize_t bytes = sizeof(float);
    for (size_t d = 0; d < dims.size(); ++d) {
        if (dims[d] != hsize_t(Shape[d]))
            return storage;
        bytes *= dims[d];
    }
    const haddr_t at = H5Dget_offset(Set);
    TStorage::TFloats floats;
    if (at != HADDR_UNDEF && at <= haddr_t(INT64_MAX) && H5Dget_storage_size(Set) == bytes &&
        OpenFileIdentity(Set, floats.Device, floats.Inode)) {
        floats.Offset = int64_t(at);
        storage.Floats = floats;
    }
    H5Eclear2(H5E_DEFAULT);
    return storage;
}

} // namespace

bool QorFormatReaders::ListHdf5Datasets(const std::string& FileName,
                                        std::vector<TQorImportArrayInfo>& Datasets,
                                        std::string& Error) {
    Datasets.clear();
    const THid file = OpenFile(FileName);
    if (!file.Ok()) {
        Error = LibraryText("the file cannot be opened");
        return false;
    }
    if (!List(file.Id(), Datasets)) {
        Error = LibraryText("the file's contents cannot be listed");
        return false;
    }
    return true;
}

TStorage QorFormatReaders::Hdf5Storage(const std::string& FileName, const std::string& Dataset,
                                       const std::vector<int64_t>& Shape) {
    const THid file = OpenFile(FileName);
    const THid set(file.Ok() ? H5Dopen2(file.Id(), Dataset.c_str(), H5P_DEFAULT) : -1, H5Dclose);
    H5Eclear2(H5E_DEFAULT);
    return set.Ok() ? Storage(set.Id(), Shape) : TStorage{};
}

bool QorFormatReaders::ReadHdf5Axis(const std::string& FileName, const std::string& Dataset,
                                    size_t Dim, int64_t Start, int64_t Count, TAxis& Axis) {
    const THid file = OpenFile(FileName);
    const THid set(file.Ok() ? H5Dopen2(file.Id(), Dataset.c_str(), H5P_DEFAULT) : -1, H5Dclose);
    if (!set.Ok())
        return false;
    std::pair<TAxis, std::pair<int64_t, int64_t>> axis{{}, {Start, Count}};
    if (H5DSget_num_scales(set.Id(), unsigned(Dim)) > 0)
        H5DSiterate_scales(set.Id(), unsigned(Dim), nullptr, ScaleAxis, &axis);
    H5Eclear2(H5E_DEFAULT);
    Axis = std::move(axis.first);
    return true;
}

TQorImportResult QorFormatReaders::ReadHdf5File(const std::string& FileName,
                                                const TQorImportOptions& Options) {
    TQorImportResult r;
    if (!QorImport::StartLibraryRead(FileName, r))
        return r;
    std::vector<TQorImportArrayInfo> sets;
    std::string error;
    if (!QorFormatReaders::ListHdf5Datasets(FileName, sets, error)) {
        r.Fail(error);
        return r;
    }
    const TQorImportArrayInfo* chosen = ChooseVariable(sets, Options, r);
    TSlab slab;
    if (chosen == nullptr || !ChooseSlab(*chosen, Options, slab, r))
        return r;
    const auto fail = [&](const char* What) {
        r.Fail(LibraryText(What), 0, 0, chosen->Name);
        r.Error.VariableWord = "variable";
        return r;
    };
    const THid file = OpenFile(FileName);
    const THid set(file.Ok() ? H5Dopen2(file.Id(), chosen->Name.c_str(), H5P_DEFAULT) : -1,
                   H5Dclose);
    const THid space(set.Ok() ? H5Dget_space(set.Id()) : -1, H5Sclose);
    if (!space.Ok())
        return fail("the dataset cannot be opened");
    const TAttributes attributes = Attributes(set.Id());
    const auto read = [&](const std::vector<int64_t>& Start, const std::vector<int64_t>& Count,
                          float* Into) {
        const std::vector<hsize_t> start(Start.begin(), Start.end()),
            count(Count.begin(), Count.end());
        hsize_t elements = 1;
        for (const hsize_t c : count)
            elements *= c;
        const THid mem(H5Screate_simple(1, &elements, nullptr), H5Sclose);
        return H5Sselect_hyperslab(space.Id(), H5S_SELECT_SET, start.data(), nullptr, count.data(),
                                   nullptr) >= 0 &&
               H5Dread(set.Id(), H5T_NATIVE_FLOAT, mem.Id(), space.Id(), H5P_DEFAULT, Into) >= 0;
    };
    TArrGLfloat values(size_t(slab.Elements));
    if (!ReadSlab(FileName, Storage(set.Id(), chosen->Shape), slab, values, attributes, read))
        return fail("the values cannot be read");
    std::vector<TAxis> axes;
    for (const size_t d : slab.Shown) {
        std::pair<TAxis, std::pair<int64_t, int64_t>> axis{{}, {slab.Start[d], slab.Count[d]}};
        if (H5DSget_num_scales(set.Id(), unsigned(d)) > 0)
            H5DSiterate_scales(set.Id(), unsigned(d), nullptr, ScaleAxis, &axis);
        axes.push_back(std::move(axis.first));
    }
    H5Eclear2(H5E_DEFAULT);
    FinishGrid(r, slab, axes, Caption(LastPart(chosen->Name), attributes.Units), std::move(values),
               Options);
    return r;
}
