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
    const QString guide = QStringLiteral("/UserGuide.pdf");
    if (IsInside(ApplicationDir, QStringLiteral(PLOTYRA_BUILD_TREE))) {
        const QString docs = QStringLiteral(PLOTYRA_BUILD_DOCS);
        return {QStringLiteral(PLOTYRA_SOURCE_EXAMPLES), docs + document, docs + guide};
    }
    const QDir bin(ApplicationDir);
    const QString docs = QDir::cleanPath(bin.absoluteFilePath(QStringLiteral(PLOTYRA_BIN_TO_DOCS)));
    return {QDir::cleanPath(bin.absoluteFilePath(QStringLiteral(PLOTYRA_BIN_TO_SAMPLES))),
            docs + document, docs + guide};
}

QString ProgramSamplesFolder() {
    return ProgramFoldersFor(QCoreApplication::applicationDirPath()).Samples;
}

QString ProgramDocumentationFile() {
    return ProgramFoldersFor(QCoreApplication::applicationDirPath()).Documentation;
}

QString ProgramGuideFile() {
    return ProgramFoldersFor(QCoreApplication::applicationDirPath()).Guide;
}
