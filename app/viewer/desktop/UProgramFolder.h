// "The program's folder": where the shipped sample files and the documentation live. An
// installed program finds them beside its bin folder (share/plotyra/examples,
// share/doc/plotyra); a program that runs inside the build tree it was built in uses the source
// tree's samples and the build tree's documentation.
#pragma once

#include <QString>

struct TProgramFolders {
    QString Samples;
    QString Documentation; // the chart-file format document, "ChartFileStructures.pdf"
    QString Guide;         // the user guide, "UserGuide.pdf", beside it
};

// The folders of a program whose executable lies in ApplicationDir.
TProgramFolders ProgramFoldersFor(const QString& ApplicationDir);

// The folders of the running program.
QString ProgramSamplesFolder();
QString ProgramDocumentationFile();
QString ProgramGuideFile();
