#include "desktop/UProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// True when Dir is Folder or lies below it; symbolic links are resolved first.
bool IsInside(const QString& Dir, const QString& Folder) {
    const QString dir = QFileInfo(Dir).canonicalFilePath();
    const QString folder = QFileInfo(Folder).canonicalFilePath();
    return !dir.isEmpty() && !folder.isEmpty() && (dir == folder || dir.startsWith(folder + u'/'));
}

} // namespace

TProgramFolders ProgramFoldersFor(const QString& ApplicationDir) {
    const QString document = QStringLiteral("/ChartFileStructures.pdf");
    if (IsInside(ApplicationDir, QStringLiteral(PLOTYRA_BUILD_TREE)))
        return {QStringLiteral(PLOTYRA_SOURCE_EXAMPLES),
                QStringLiteral(PLOTYRA_BUILD_DOCS) + document};
    const QDir bin(ApplicationDir);
    return {QDir::cleanPath(bin.absoluteFilePath(QStringLiteral(PLOTYRA_BIN_TO_SAMPLES))),
            QDir::cleanPath(bin.absoluteFilePath(QStringLiteral(PLOTYRA_BIN_TO_DOCS))) + document};
}

QString ProgramSamplesFolder() {
    return ProgramFoldersFor(QCoreApplication::applicationDirPath()).Samples;
}

QString ProgramDocumentationFile() {
    return ProgramFoldersFor(QCoreApplication::applicationDirPath()).Documentation;
}
