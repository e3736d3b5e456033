// The viewer's command line: plotyra [FILE | /S]. The first parameter names a chart file to
// open, or is the safe-mode switch ("/S", "-S", "\S" in any case), which takes the whole
// command line as it is. --help and --version answer and end the program; --measure-frames N
// FILE measures how fast the window turns FILE's chart. A name beginning with "-" is a file after
// "--", and also without it when a file of that name exists.
#pragma once

#include <QString>
#include <QStringList>

struct TCommandLine {
    // The parameters for the main window (the switch, or the file first).
    QStringList Params;
    // --grab PICTURE: save the window's picture once the chart is drawn, then quit.
    QString GrabFile;
    // --measure-frames N: turn the chart N frames as a drag would, print the frame rate, quit.
    // 0 when not asked for; a FILE is then required.
    int MeasureFrames = 0;
    // Set for --help, --version and a bad command line: print Message, end with ExitCode.
    bool Exit = false;
    int ExitCode = 0;
    QString Message;
};

// Arguments as QCoreApplication::arguments() gives them, the program first.
TCommandLine ParseCommandLine(const QStringList& Arguments);
// The system's arguments, once QApplication has taken its own. One that is not UTF-8 text is a
// bad command line: the viewer keeps names as text, and such a name would reach the file system
// changed, perhaps as the name of another file.
TCommandLine ParseCommandLine(int Argc, const char* const* Argv);
