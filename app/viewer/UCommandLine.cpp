#include "UCommandLine.h"

#include "FAbout.h"
#include "FMain.h"

#include <QCommandLineParser>

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
    parser.addPositionalArgument("FILE",
                                 "A chart file to open (.p3d, .p4d, .txt), or /S to "
                                 "start in safe OpenGL mode.",
                                 "[FILE | /S]");
    const QString program = Arguments.value(0, "plotyra");
    if (!parser.parse(Arguments)) {
        result.Exit = true;
        result.ExitCode = 1;
        result.Message =
            parser.errorText() + QString("\nTry '%1 --help' for more information.\n").arg(program);
        return result;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        result.Exit = true;
        result.Message =
            parser.isSet(help) ? parser.helpText() : "Plotyra " + TFormAbout::Version() + "\n";
        return result;
    }
    result.Params = parser.positionalArguments();
    result.GrabFile = parser.value(grab);
    return result;
}
