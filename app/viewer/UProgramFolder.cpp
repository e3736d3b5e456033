#include "UProgramFolder.h"

QString ProgramSamplesFolder() { return QStringLiteral(PLOTYRA_SOURCE_EXAMPLES); }

QString ProgramDocumentationFile() {
    return QStringLiteral(PLOTYRA_BUILD_DOCS "/ChartFileStructures.pdf");
}
