// "The program's folder": where the shipped sample files and the documentation live, in the
// installed tree (share/plotyra/examples, share/doc/plotyra) or, run from the build folder,
// in the source and build trees.
#pragma once

#include <QString>

QString ProgramSamplesFolder();
QString ProgramDocumentationFile();
