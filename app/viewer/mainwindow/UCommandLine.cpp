#include "mainwindow/UCommandLine.h"

#include "dialogs/FAbout.h"
#include "mainwindow/FMain.h"

#include <QByteArrayView>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// Enough frames for a steady figure on any renderer, few enough to end in reasonable time.
constexpr int MaxMeasureFrames = 100000;

TCommandLine BadCommandLine(const QString& Program, const QString& Error) {
    TCommandLine result;
    result.Exit = true;
    result.ExitCode = 1;
    result.Message = Error + QString("\nTry '%1 --help' for more information.\n").arg(Program);
    return result;
}

// Arguments with those that begin with "-" but name an existing file (and are no option's value)
// moved behind a "--", where they are files whatever they look like; the files keep their order.
QStringList NamedFilesFirst(const QStringList& Arguments, const QStringList& ValueOptions) {
    QStringList options;
    QStringList files;
    bool filesOnly = false;
    for (qsizetype i = 0; i < Arguments.size(); ++i) {
        const QString& a = Arguments[i];
        if (i == 0 || filesOnly) {
            (i == 0 ? options : files) << a;
            continue;
        }
        if (a == "--") {
            filesOnly = true;
            continue;
        }
        const bool looksLikeOption = a.startsWith('-') && a.size() > 1;
        const QString name = a.mid(a.startsWith("--") ? 2 : 1);
        if (looksLikeOption && ValueOptions.contains(name) && i + 1 < Arguments.size()) {
            options << a << Arguments[++i];
            continue;
        }
        if (looksLikeOption && !QFileInfo::exists(a))
            options << a;
        else
            files << a;
    }
    return options + QStringList{"--"} + files;
}

} // namespace

TCommandLine ParseCommandLine(const QStringList& Arguments) {
    TCommandLine result;
    // The switch looks like an option to the parser; it is only ever the first parameter.
    if (Arguments.size() > 1 && TFormMain::IsSafeModeSwitch(Arguments[1])) {
        result.Params = Arguments.mid(1);
        return result;
    }
    QCommandLineParser parser;
    parser.setApplicationDescription("Plotyra, a viewer for numeric data on regular grids.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption grab("grab", "Save the window's picture to FILE once drawn, then quit.",
                            "FILE");
    grab.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(grab);
    const QCommandLineOption measure(
        "measure-frames",
        "Turn FILE's chart by one degree per frame N times as a drag would, at a chart size of "
        "800 x 600, print the frames per second and quit.",
        "N");
    parser.addOption(measure);
    parser.addPositionalArgument("FILE",
                                 "A chart file to open (.p3d, .p4d, .txt), or /S to "
                                 "start in safe OpenGL mode.",
                                 "[FILE | /S]");
    const QString program = Arguments.value(0, "plotyra");
    const QStringList named = NamedFilesFirst(Arguments, {"grab", "measure-frames"});
    if (!parser.parse(named))
        return BadCommandLine(program, parser.errorText());
    if (parser.isSet(help) || parser.isSet(version)) {
        result.Exit = true;
        result.Message =
            parser.isSet(help) ? parser.helpText() : "Plotyra " + TFormAbout::Version() + "\n";
        return result;
    }
    result.Params = parser.positionalArguments();
    result.GrabFile = parser.value(grab);
    if (parser.isSet(measure)) {
        bool ok = false;
        result.MeasureFrames = parser.value(measure).toInt(&ok);
        if (!ok || result.MeasureFrames < 1 || result.MeasureFrames > MaxMeasureFrames)
            return BadCommandLine(program, QString("--measure-frames needs a number of frames "
                                                   "from 1 to %1.")
                                               .arg(MaxMeasureFrames));
        if (result.Params.isEmpty())
            return BadCommandLine(program, "--measure-frames needs a chart FILE.");
    }
    return result;
}

TCommandLine ParseCommandLine(int Argc, const char* const* Argv) {
    QStringList arguments;
    for (int i = 0; i < Argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        arguments << utf8(QByteArrayView(Argv[i]));
        if (!utf8.hasError())
            continue;
        // Shown with every byte beyond ASCII as \xNN.
        QString shown;
        for (const char* c = Argv[i]; *c != 0; ++c)
            shown += uint8_t(*c) < 0x80
                         ? QString(QChar(*c))
                         : QString("\\x%1").arg(uint(uint8_t(*c)), 2, 16, QChar(u'0'));
        return BadCommandLine(
            arguments.value(0, "plotyra"),
            QString("%1: the name is not UTF-8 text, which the viewer cannot keep unchanged "
                    "(plotyra-cli takes any name).")
                .arg(shown));
    }
    return ParseCommandLine(arguments);
}
