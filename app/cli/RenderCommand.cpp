#include "RenderCommand.h"

#include "CliFiles.h"
#include "OutputPattern.h"
#include "PictureSaveQueue.h"
#include "ProgressLine.h"
#include "QorColSc.h"
#include "chart/Qor3DChart.h"
#include "chart/UQor3DChartColorScale.h"
#include "gl/Qor3DOSMesa.h"
#include "gl/Qor3DSharedContext.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"
#include "io/Qor3DChartPropertyText.h"
#include "render/Qor3DPictureOutput.h"

#include <QCommandLineParser>
#include <QImage>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string_view>
#include <unistd.h>

namespace {

// The largest viewport side of the off-screen renderer.
constexpr int QorMaxRenderSide = QorPaint::MaxPictureSide;
constexpr int QorMaxFrames = 1000000;

const char* const QorRenderHelp =
    "Draws chart files off-screen into PNG pictures.\n"
    "\n"
    "One FILE (\"-\" reads standard input) gives one picture, written to OUT as named.\n"
    "Several FILEs, or one FILE with --frames N, give a batch: OUT is then a pattern with one\n"
    "printf-style number field, %d or %0Nd (\"%%\" for a percent sign), that each picture's\n"
    "number fills; the numbers count from 0, so -o 'frames/%04d.png' writes frames/0000.png,\n"
    "frames/0001.png, ... The folder must exist. Picture n of a batch shows FILE number n (or\n"
    "the one FILE) with its view turned by n x DEG degrees about the vertical (--turn).\n"
    "A batch renders through one off-screen context and shows its progress on stderr when that\n"
    "is a terminal. A FILE that cannot be loaded or drawn gets a message and no picture (its\n"
    "number is skipped); the others are still rendered, and the exit status is then 1.\n"
    "An output that is one of the inputs is refused before anything is drawn.";

int Fail(const std::string& Message) {
    std::fprintf(stderr, "plotyra-cli: %s\n", Message.c_str());
    return 1;
}

template <typename T> bool ParseNumber(std::string_view Text, T& Value) {
    const auto r = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return r.ec == std::errc() && r.ptr == Text.data() + Text.size() && !Text.empty();
}

bool ParseSize(std::string_view Text, int& Width, int& Height) {
    const size_t x = Text.find_first_of("xX");
    int w = 0;
    int h = 0;
    if (x == std::string_view::npos || !ParseNumber(Text.substr(0, x), w) ||
        !ParseNumber(Text.substr(x + 1), h))
        return false;
    if (w < 1 || h < 1 || w > QorMaxRenderSide || h > QorMaxRenderSide)
        return false;
    Width = w;
    Height = h;
    return true;
}

struct TRenderParser {
    QCommandLineParser Parser;
    QCommandLineOption Help{{"h", "help"}, "This text."};
    QCommandLineOption Output{{"o", "output"}, "The picture, or the pattern of a batch.", "OUT"};
    QCommandLineOption Size{"size", "Picture size, 1 ... 16384 each (default 800x600).", "WxH"};
    QCommandLineOption Properties{"properties", "Chart properties applied after loading.", "P.cpr"};
    QCommandLineOption NoLegend{"no-legend", "The chart alone, without the colour scale."};
    QCommandLineOption Turn{"turn", "Degrees the view turns per picture (default 0).", "DEG"};
    QCommandLineOption Frames{"frames", "Pictures of the one FILE (a turn becomes frames).", "N"};
    // The import options, as info and convert take them (docs/ImportFormats.md).
    QCommandLineOption Spacing{"spacing", "Grid spacing where a file gives no coordinates.",
                               "DX[,DZ[,DY]]"};
    QCommandLineOption Origin{"origin", "First coordinates where a file gives none.",
                              "X0[,Z0[,Y0]]"};
    QCommandLineOption Header{"header", "A text matrix's header: auto, none, row, row+column.",
                              "MODE"};
    QCommandLineOption Layout{"layout", "A text file's layout: auto, matrix, columns.", "MODE"};
    QCommandLineOption Transpose{"transpose", "X and Z swapped."};
    QCommandLineOption NoData{"nodata", "The value that marks missing points.", "V"};
    QCommandLineOption Array{"array", "The array of a .npz that holds several.", "NAME"};
    QCommandLineOption Var{"var", "The variable of a NetCDF or HDF5 file.", "NAME"};
    QCommandLineOption Index{"index", "The index along a dimension not shown (repeatable).",
                             "DIM=K"};

    TRenderParser() {
        Parser.setApplicationDescription(QorRenderHelp);
        Parser.addOptions({Help, Output, Size, Properties, NoLegend, Turn, Frames, Spacing, Origin,
                           Header, Layout, Transpose, NoData, Array, Var, Index});
        Parser.addPositionalArgument("FILE", "Chart data files (\"-\" for standard input).",
                                     "FILE...");
    }
};

bool ReadValues(TRenderParser& p, TRenderOptions& o, std::string& Error) {
    const std::string size = p.Parser.value(p.Size).toLatin1().toStdString();
    if (p.Parser.isSet(p.Size) && !ParseSize(size, o.Width, o.Height)) {
        Error = "bad size " + size + " (WxH, 1 ... 16384 each)";
        return false;
    }
    const std::string turn = p.Parser.value(p.Turn).toLatin1().toStdString();
    if (p.Parser.isSet(p.Turn) && (!ParseNumber(turn, o.Turn) || !std::isfinite(o.Turn))) {
        Error = "bad turn " + turn + " (degrees, a number)";
        return false;
    }
    const std::string frames = p.Parser.value(p.Frames).toLatin1().toStdString();
    if (p.Parser.isSet(p.Frames) &&
        (!ParseNumber(frames, o.Frames) || o.Frames < 1 || o.Frames > QorMaxFrames)) {
        Error = "bad frame count " + frames + " (1 ... 1000000)";
        return false;
    }
    for (const QCommandLineOption* import :
         {&p.Spacing, &p.Origin, &p.Header, &p.Layout, &p.Transpose, &p.NoData, &p.Array, &p.Var})
        if (p.Parser.isSet(*import)) {
            Error = o.Import.Set(import->names().front().toStdString(),
                                 p.Parser.value(*import).toStdString());
            if (!Error.empty())
                return false;
        }
    for (const QString& index : p.Parser.values(p.Index))
        if (Error = o.Import.Set("index", index.toStdString()); !Error.empty())
            return false;
    return true;
}

// One picture of the batch: which input it shows, its number and turn, and where it goes.
struct TPicture {
    size_t Input = 0;
    int Number = 0;
    std::string Output;
};

bool PlanPictures(const TRenderOptions& o, std::vector<TPicture>& Pictures, std::string& Error) {
    if (o.Frames > 0 && o.Files.size() > 1) {
        Error = "--frames takes one FILE (several FILEs give one picture each)";
        return false;
    }
    if (std::count(o.Files.begin(), o.Files.end(), "-") > 1) {
        Error = "standard input (\"-\") can be read only once";
        return false;
    }
    const size_t count = o.Frames > 0 ? size_t(o.Frames) : o.Files.size();
    TOutputPattern pattern;
    const bool parsed = pattern.Parse(o.Output, Error);
    if (count > 1 && (!parsed || !pattern.HasField())) {
        if (parsed)
            Error = std::to_string(count) + " pictures need a number field in the output name, " +
                    "e.g. -o 'frames/%04d.png'";
        return false;
    }
    Error.clear();
    Pictures.clear();
    for (size_t i = 0; i < count; ++i) {
        TPicture p;
        p.Input = o.Frames > 0 ? 0 : i;
        p.Number = int(i);
        // One picture keeps the name as given unless it holds a field.
        p.Output = parsed ? pattern.Name(p.Number) : o.Output;
        Pictures.push_back(std::move(p));
    }
    return true;
}

// The picture would replace the data it was drawn from.
bool OutputsSpareInputs(const TRenderOptions& o, const std::vector<TPicture>& Pictures,
                        std::string& Error) {
    std::vector<std::string> inputs = o.Files;
    if (!o.Properties.empty())
        inputs.push_back(o.Properties);
    const TFileIdentities identities(inputs);
    for (const TPicture& p : Pictures)
        if (identities.Contains(p.Output)) {
            Error = p.Output + " is an input of this render; choose another output";
            return false;
        }
    return true;
}

// One picture of the chart with the options' size and legend; null on failure, Error says why.
QImage DrawPicture(TQor3DChart& Chart, TQorColorScale& Legend, const TRenderOptions& o,
                   const std::string& Output, std::string& Error) {
    return QorPaint::RenderPicture(Chart, o.NoLegend ? nullptr : &Legend, o.Width, o.Height, Output,
                                   Error);
}

// Draws and saves one picture; the message of its failure, empty when it was written.
std::string RenderAndSave(TQor3DChart& Chart, TQorColorScale& Legend, const TRenderOptions& o,
                          const std::string& Output) {
    std::string error;
    const QImage picture = DrawPicture(Chart, Legend, o, Output, error);
    return picture.isNull() ? error : TPictureSaveQueue::SaveNow(picture, Output);
}

// A chart file loaded with its legend, ready to draw; the view's own turn kept for the batch.
struct TLoadedChart {
    TQor3DChart Chart;
    TQorColorScale Legend;
    double BaseTurn = 0;
};

// The file to load with its import options and property text; the warnings of its load.
struct TPictureSource {
    const std::string& File;
    const TQorImportOptions& Import;
    const std::string* PropertyText;
    std::vector<std::string>& Warnings;
};

std::string LoadPicture(TLoadedChart& Loaded, const TPictureSource& Source) {
    TQorColorScaleFileLegend fileLegend(Loaded.Legend);
    const std::string* properties = Source.PropertyText;
    if (std::string error = LoadCliChartData(Loaded.Chart, &fileLegend, Source.File, true,
                                             Source.Import, &Source.Warnings);
        !error.empty())
        return error;
    if (properties != nullptr)
        ApplyChartPropertyText(Loaded.Chart, &fileLegend, *properties);
    const TQor3DChart& c = Loaded.Chart;
    if (c.ColorBitmapApply() && !c.ColorBitmapName().empty() && c.ColorBitmap().isNull())
        std::fprintf(stderr,
                     "plotyra-cli: %s: the colour picture %s cannot be used (%s); the "
                     "chart is drawn without it\n",
                     Source.File.c_str(), c.ColorBitmapName().c_str(),
                     c.ColorBitmapProblem().empty() ? "no picture"
                                                    : c.ColorBitmapProblem().c_str());
    ChartToColorScale(Loaded.Chart, Loaded.Legend);
    Loaded.BaseTurn = Loaded.Chart.ViewRotY();
    return {};
}

// A file too large for the memory left (or any other failure of a library) costs only its
// own pictures.
std::string LoadGuarded(TLoadedChart& Loaded, const TPictureSource& Source) {
    try {
        return LoadPicture(Loaded, Source);
    } catch (const std::bad_alloc&) {
        return "cannot load " + Source.File + ": out of memory";
    } catch (const std::exception& e) {
        return "cannot load " + Source.File + ": " + e.what();
    }
}

// Renders every picture; loads each input once, before its first picture. Failures of single
// pictures are reported and counted, the rest still drawn.
int RenderPictures(const TRenderOptions& o, const std::vector<TPicture>& Pictures,
                   const std::string* PropertyText) {
    TSharedContextPlatform platform(OSMesaPlatform());
    TProgressLine progress(stderr, Pictures.size() > 1 && isatty(STDERR_FILENO) == 1);
    std::unique_ptr<TLoadedChart> loaded;
    size_t loadedInput = 0;
    std::string loadError;
    size_t failed = 0;
    const std::string total = std::to_string(Pictures.size());
    const auto tell = [&](const std::string& Error) {
        if (!Error.empty()) {
            progress.Message(Error);
            ++failed;
        }
    };
    // Each picture is written while the next is drawn; failures are told in picture order.
    TPictureSaveQueue saves;
    for (const TPicture& p : Pictures) {
        progress.Step("rendering " + std::to_string(p.Number + 1) + " of " + total + ": " +
                      p.Output);
        if (!loaded || loadedInput != p.Input) {
            loaded.reset(); // the previous file's arrays go before the next file's come
            loaded = std::make_unique<TLoadedChart>();
            loaded->Chart.SetBitmapPlatform(platform);
            loadedInput = p.Input;
            std::vector<std::string> warnings;
            loadError = LoadGuarded(*loaded, {o.Files[p.Input], o.Import, PropertyText, warnings});
            for (const std::string& w : warnings)
                progress.Message(w);
            if (!loadError.empty() && o.Frames > 0) {
                tell(saves.Wait());
                progress.Message(loadError);
                return 1; // every frame shows this one file
            }
        }
        std::string error = loadError;
        QImage picture;
        if (error.empty()) {
            loaded->Chart.SetViewRotY(loaded->BaseTurn + std::fmod(p.Number * o.Turn, 360.0));
            picture = DrawPicture(loaded->Chart, loaded->Legend, o, p.Output, error);
        }
        tell(error.empty() ? saves.Save(picture, p.Output) : saves.Wait());
        tell(error);
    }
    tell(saves.Wait());
    progress.Finish();
    if (failed > 0 && Pictures.size() > 1)
        progress.Message(std::to_string(failed) + " of " + total + " pictures failed");
    return failed > 0 ? 1 : 0;
}

} // namespace

const char* const RenderUsage = "plotyra-cli render FILE... -o OUT.png [--size WxH] "
                                "[--properties P.cpr] [--no-legend] [--turn DEG] [--frames N]\n"
                                "                          [IMPORT OPTIONS]\n"
                                "       plotyra-cli render --help\n";

bool ParseRenderOptions(const std::vector<std::string>& Args, TRenderOptions& Options,
                        std::string& Error) {
    Options = {};
    TRenderParser p;
    // Arguments pass the parser as Latin-1, one character per byte, and come back the same
    // way: a file name is bytes, not necessarily UTF-8 text, and goes to the system unchanged.
    QStringList args{"plotyra-cli"};
    for (const std::string& a : Args)
        args << QString::fromLatin1(a.data(), qsizetype(a.size()));
    const auto bytes = [](const QString& Text) {
        return Text.toLatin1().toStdString();
    };
    if (!p.Parser.parse(args)) {
        Error = bytes(p.Parser.errorText());
        return false;
    }
    if (p.Parser.isSet(p.Help)) {
        Options.Help = true;
        return true;
    }
    if (!ReadValues(p, Options, Error))
        return false;
    Options.Output = bytes(p.Parser.value(p.Output));
    Options.Properties = bytes(p.Parser.value(p.Properties));
    Options.NoLegend = p.Parser.isSet(p.NoLegend);
    for (const QString& f : p.Parser.positionalArguments())
        Options.Files.push_back(bytes(f));
    if (Options.Files.empty() || Options.Output.empty()) {
        Error = "render needs FILE and -o OUT.png";
        return false;
    }
    return true;
}

int RenderCommand(const std::vector<std::string>& Args) {
    TRenderOptions o;
    std::string error;
    if (!ParseRenderOptions(Args, o, error)) {
        std::fprintf(stderr, "usage: %s", RenderUsage);
        return Fail(error);
    }
    if (o.Help) {
        // Qt names the program by its path; the usage line names the command.
        const QString help = TRenderParser().Parser.helpText();
        std::printf("Usage: plotyra-cli render [options] FILE...%s",
                    help.mid(help.indexOf('\n')).toStdString().c_str());
        return 0;
    }
    std::vector<TPicture> pictures;
    if (!PlanPictures(o, pictures, error) || !OutputsSpareInputs(o, pictures, error))
        return Fail(error);
    // The GL library loads on the second core while the files are read.
    const TOSMesaPreload preload;
    std::string propertyText;
    if (!o.Properties.empty() && !ReadCliText(o.Properties, propertyText, error))
        return Fail("cannot load properties " + o.Properties + ": " + error);
    return RenderPictures(o, pictures, o.Properties.empty() ? nullptr : &propertyText);
}

int RenderLoadedChart(TQor3DChart& Chart, TQorColorScale& Legend, const TRenderOptions& Options,
                      const std::string& Output) {
    const std::string error = RenderAndSave(Chart, Legend, Options, Output);
    return error.empty() ? 0 : Fail(error);
}
