#include "CliFiles.h"

#include "QorDataText.h"
#include "chart/Qor3DChart.h"
#include "chart/Qor3DChartSizing.h"
#include "io/Qor3DChartFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ReadStandardInput(std::string& Text, std::string& Error) {
    const uint64_t limit = QorSizing::PhysicalMemory() / 4;
    Text.clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            Error = std::strerror(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (Text.size() + size_t(n) > limit) {
            Error = "larger than " + std::to_string(limit >> 20) + " MiB";
            return false;
        }
        Text.append(buffer, size_t(n));
    }
}

// The import option at Args[i], taken into Import with i moved onto its value. False when
// Args[i] is no import option; Error says why when its value is missing or refused.
bool TakeImportOption(const std::vector<std::string>& Args, size_t& i, TQorImportOptions& Import,
                      std::string& Error) {
    const std::string& name = Args[i];
    if (!name.starts_with("--") || !TQorImportOptions::Known(name))
        return false;
    if (!TQorImportOptions::TakesValue(name)) {
        Error = Import.Set(name, {});
        return true;
    }
    if (i + 1 >= Args.size()) {
        Error = name + " needs a value";
        return true;
    }
    Error = Import.Set(name, Args[++i]);
    return true;
}

bool ImportOptionOk(const std::string& Error) {
    if (!Error.empty())
        std::fprintf(stderr, "plotyra-cli: %s\n", Error.c_str());
    return Error.empty();
}

} // namespace

TQorOpenOutcome LoadCliChart(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                             const std::string& File, bool WithProperties,
                             const TQorImportOptions& Import) {
    const std::string name = File == "-" ? "standard input" : File;
    TQorOpenOutcome o;
    std::string text, error;
    if (File != "-") {
        o = OpenChartData(Chart, Legend, File, WithProperties, Import);
    } else if (ReadStandardInput(text, error)) {
        o = OpenChartSource(Chart, Legend, TQorTextSource(text), name, WithProperties);
    } else {
        LoadChartSource(Chart, Legend, TQorTextSource(std::string_view()), false);
        o.Failure.Message = error;
    }
    // The file as the user named it, once, in front.
    if (!o.Ok) {
        o.Failure.File = name;
        o.Error = o.Failure.Text();
    }
    return o;
}

bool ReadCliText(const std::string& File, std::string& Text, std::string& Error) {
    if (File == "-")
        return ReadStandardInput(Text, Error);
    TQorFileView view;
    if (!view.Open(File, &Error))
        return false;
    Text = std::string(view.Text());
    return true;
}

TFileIdentities::TFileIdentities(const std::vector<std::string>& Files) {
    for (const std::string& f : Files) {
        struct stat st {};
        if (stat(f.c_str(), &st) == 0)
            FIds.emplace_back(st.st_dev, st.st_ino);
    }
}

bool TFileIdentities::Contains(const std::string& File) const {
    struct stat st {};
    return stat(File.c_str(), &st) == 0 &&
           std::find(FIds.begin(), FIds.end(), std::pair(st.st_dev, st.st_ino)) != FIds.end();
}

TCliArgs ParseCliArgs(const std::vector<std::string>& Args,
                      std::initializer_list<std::pair<std::string_view, bool*>> Flags) {
    TCliArgs o;
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& a = Args[i];
        const auto flag =
            std::find_if(Flags.begin(), Flags.end(), [&](const auto& f) { return f.first == a; });
        if (flag != Flags.end())
            *flag->second = true;
        else if (std::string error; TakeImportOption(Args, i, o.Import, error))
            o.Valid = o.Valid && ImportOptionOk(error);
        else if (a.starts_with("--"))
            o.Valid = false;
        else
            o.Files.push_back(a);
    }
    return o;
}

std::string LoadCliChartData(TQor3DChart& Chart, IQorChartFileLegend* Legend,
                             const std::string& File, bool WithProperties,
                             const TQorImportOptions& Import, std::vector<std::string>* Warnings) {
    const TQorOpenOutcome o = LoadCliChart(Chart, Legend, File, WithProperties, Import);
    for (const std::string& w : o.Warnings) {
        if (Warnings != nullptr)
            Warnings->push_back(File + ": " + w);
        else
            std::fprintf(stderr, "plotyra-cli: %s: %s\n", File.c_str(), w.c_str());
    }
    if (!o.Ok)
        return "cannot load " + o.Error;
    if (Chart.Data().empty())
        return File + " holds no chart data";
    return {};
}
