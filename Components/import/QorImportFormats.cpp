#include "QorImportFormats.h"

#include "QorImportGeoTiff.h"
#include "QorImportHdf5.h"
#include "QorImportNetCdf.h"
#include "QorImportSupport.h"

#include <array>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>

namespace {

// Where the module may lie, nearest first: beside the binary that holds this code (a program or
// the Python package) or where the installation puts it relative to the programs, the same for
// the running program, where this build's installation puts it, and where this build tree puts
// it (for the tests and the Python package run from the tree).
std::vector<std::filesystem::path> ModuleCandidates() {
    std::vector<std::filesystem::path> dirs;
    Dl_info self{};
    // A program started by a relative name is known by that name here, which the working
    // folder may since have moved away from: only an absolute name is trusted (the running
    // program's own folder follows anyway).
    if (dladdr(reinterpret_cast<const void*>(&ImportFormats), &self) != 0 &&
        self.dli_fname != nullptr && std::filesystem::path(self.dli_fname).is_absolute())
        dirs.push_back(std::filesystem::path(self.dli_fname).parent_path());
    std::error_code ec;
    if (const auto program = std::filesystem::read_symlink("/proc/self/exe", ec); !ec)
        dirs.push_back(program.parent_path());
    std::vector<std::filesystem::path> places;
    for (const std::filesystem::path& dir : dirs) {
        places.push_back(dir / PLOTYRA_FORMATS_MODULE);
        places.push_back(
            (dir / PLOTYRA_FORMATS_FROM_BINDIR / PLOTYRA_FORMATS_MODULE).lexically_normal());
    }
    places.push_back(std::filesystem::path(PLOTYRA_FORMATS_INSTALL_DIR) / PLOTYRA_FORMATS_MODULE);
    places.push_back(std::filesystem::path(PLOTYRA_FORMATS_BUILD_DIR) / PLOTYRA_FORMATS_MODULE);
    return places;
}

} // namespace

const TQorImportFormats* LoadImportFormats(const std::vector<std::filesystem::path>& Candidates,
                                           std::string& Error) {
    const TQorImportFormatsKey key = ImportFormatsKey();
    std::string tried;
    for (const std::filesystem::path& place : Candidates) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(place, ec))
            continue;
        // Local: the libraries' names stay out of everything loaded later (the GL library).
        void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* why = dlerror();
            tried += "; " + (why != nullptr ? std::string(why) : place.string());
            continue;
        }
        using TEntry = const TQorImportFormats* (*)(const TQorImportFormatsKey*);
        const auto entry = reinterpret_cast<TEntry>(dlsym(module, "plotyra_import_formats"));
        if (const TQorImportFormats* formats = entry != nullptr ? entry(&key) : nullptr)
            return formats; // kept loaded for the rest of the process
        tried += "; " + place.string() + " is of another build";
        dlclose(module);
    }
    Error = std::string("cannot load the NetCDF, HDF5 and GeoTIFF readers (") +
            PLOTYRA_FORMATS_MODULE + "): " + (tried.empty() ? "not installed" : tried.substr(2));
    return nullptr;
}

namespace {

TQorImportResult Failed(const std::string& FileName, const std::string& Error) {
    TQorImportResult r;
    r.Error.File = QorImport::BaseName(FileName);
    r.Fail(Error);
    return r;
}

// Calls Reader of the module's table with Args; without the module, Otherwise(Error).
template <typename TReader, typename TOtherwise, typename... TArgs>
auto Forward(TReader TQorImportFormats::*Reader, TOtherwise&& Otherwise, TArgs&&... Args) {
    std::string error;
    const TQorImportFormats* formats = ImportFormats(error);
    return formats != nullptr ? (formats->*Reader)(std::forward<TArgs>(Args)...) : Otherwise(error);
}

} // namespace

TQorImportFormatsKey ImportFormatsKey() {
    return {PLOTYRA_VERSION,
            {sizeof(TQorImportFormats), sizeof(TQorImportResult), sizeof(TQorImportOptions),
             sizeof(TQorImportArrayInfo), sizeof(QorImportGrid::TAxis), sizeof(std::string)}};
}

bool SameImportFormatsKey(const TQorImportFormatsKey& A, const TQorImportFormatsKey& B) {
    return std::strcmp(A.Version, B.Version) == 0 &&
           std::memcmp(A.Sizes, B.Sizes, sizeof A.Sizes) == 0;
}

const TQorImportFormats* ImportFormats(std::string& Error) {
    // Loaded once; a failure is kept too, so that every later file says the same at once.
    static std::once_flag once;
    static const TQorImportFormats* formats = nullptr;
    static std::string failure;
    std::call_once(once, [] { formats = LoadImportFormats(ModuleCandidates(), failure); });
    if (formats == nullptr)
        Error = failure;
    return formats;
}

// ---- Sniffs ----------------------------------------------------------------------------------

bool LooksLikeHdf5(std::string_view Head) {
    static constexpr std::string_view signature("\x89HDF\r\n\x1a\n", 8);
    for (size_t at = 0; at + signature.size() <= Head.size(); at = at == 0 ? 512 : at * 2)
        if (Head.substr(at, signature.size()) == signature)
            return true;
    return false;
}

bool LooksLikeNetCdf(std::string_view Head) {
    return (Head.size() >= 4 && Head.substr(0, 3) == "CDF" &&
            (Head[3] == '\x01' || Head[3] == '\x02' || Head[3] == '\x05')) ||
           LooksLikeHdf5(Head);
}

bool LooksLikeTiff(std::string_view Head) {
    return Head.size() >= 4 && (Head.substr(0, 4) == std::string_view("II*\0", 4) ||
                                Head.substr(0, 4) == std::string_view("MM\0*", 4) ||
                                Head.substr(0, 4) == std::string_view("II+\0", 4) ||
                                Head.substr(0, 4) == std::string_view("MM\0+", 4));
}

// ---- The readers, through the module ---------------------------------------------------------

TQorImportResult ReadNetCdfFile(const std::string& FileName, const TQorImportOptions& Options) {
    return Forward(
        &TQorImportFormats::ReadNetCdfFile,
        [&](const std::string& E) { return Failed(FileName, E); }, FileName, Options);
}

bool ListNetCdfVariables(const std::string& FileName, std::vector<TQorImportArrayInfo>& Variables,
                         std::string& Error) {
    return Forward(
        &TQorImportFormats::ListNetCdfVariables,
        [&](const std::string& E) { return Error = E, false; }, FileName, Variables, Error);
}

bool ReadNetCdfAxis(const std::string& FileName, const std::string& Variable, size_t Dim,
                    int64_t Start, int64_t Count, QorImportGrid::TAxis& Axis) {
    return Forward(
        &TQorImportFormats::ReadNetCdfAxis, [](const std::string&) { return false; }, FileName,
        Variable, Dim, Start, Count, Axis);
}

TQorImportResult ReadHdf5File(const std::string& FileName, const TQorImportOptions& Options) {
    return Forward(
        &TQorImportFormats::ReadHdf5File, [&](const std::string& E) { return Failed(FileName, E); },
        FileName, Options);
}

bool ListHdf5Datasets(const std::string& FileName, std::vector<TQorImportArrayInfo>& Datasets,
                      std::string& Error) {
    return Forward(
        &TQorImportFormats::ListHdf5Datasets,
        [&](const std::string& E) { return Error = E, false; }, FileName, Datasets, Error);
}

bool ReadHdf5Axis(const std::string& FileName, const std::string& Dataset, size_t Dim,
                  int64_t Start, int64_t Count, QorImportGrid::TAxis& Axis) {
    return Forward(
        &TQorImportFormats::ReadHdf5Axis, [](const std::string&) { return false; }, FileName,
        Dataset, Dim, Start, Count, Axis);
}

TQorImportResult ReadGeoTiffFile(const std::string& FileName, const TQorImportOptions& Options) {
    return Forward(
        &TQorImportFormats::ReadGeoTiffFile,
        [&](const std::string& E) { return Failed(FileName, E); }, FileName, Options);
}

void RegisterGeoTiffTags() {
    Forward(&TQorImportFormats::RegisterGeoTiffTags, [](const std::string&) {});
}
