#include "desktop/UFileType.h"

#include "QorFileInput.h"
#include "QorFileOutput.h"
#include "UDesktopFiles.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

namespace {

enum class TWriteResult { Unchanged, Written, Failed };

// Desktop entries, MIME packages and icons are small; anything larger is not ours.
constexpr uint64_t MaxDesktopFileBytes = uint64_t(1) << 20;

// The bytes of a regular file at Path (never a FIFO or a device, which could block or never
// end); empty when there is none.
QByteArray ReadDesktopFile(const QString& Path) {
    std::string bytes;
    std::string error;
    if (!ReadRegularFile(QFile::encodeName(Path).toStdString(), MaxDesktopFileBytes, bytes, error))
        return {};
    return QByteArray::fromStdString(bytes);
}

// Writes Text to Path unless the file already holds exactly that text.
TWriteResult WriteIfChanged(const QString& Path, const QByteArray& Text) {
    if (ReadDesktopFile(Path) == Text)
        return TWriteResult::Unchanged;
    if (!QDir().mkpath(QFileInfo(Path).path()))
        return TWriteResult::Failed;
    if (!WriteFileAtomically(QFile::encodeName(Path).toStdString(),
                             std::string_view(Text.constData(), size_t(Text.size()))))
        return TWriteResult::Failed;
    return TWriteResult::Written;
}

TWriteResult CopyResourceIfChanged(const QString& Resource, const QString& Path) {
    QFile source(Resource);
    if (!source.open(QIODevice::ReadOnly))
        return TWriteResult::Failed;
    return WriteIfChanged(Path, source.readAll());
}

// Runs one of the desktop's cache tools on Folder, when it is installed; a failure only
// delays the desktop's noticing.
void RunUpdateTool(const QString& Tool, const QString& Folder) {
    const QString program = QStandardPaths::findExecutable(Tool);
    if (program.isEmpty())
        return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {Folder});
    process.waitForFinished(10000);
}

// The MIME types an existing desktop entry already lists, so each registration adds to them.
QStringList ListedMimeTypes(const QString& DesktopFile) {
    for (const QByteArray& bytes : ReadDesktopFile(DesktopFile).split('\n')) {
        const QString line = QString::fromUtf8(bytes).trimmed();
        if (line.startsWith(QLatin1String("MimeType=")))
            return line.mid(9).split(u';', Qt::SkipEmptyParts);
    }
    return {};
}

bool IsPlainExtension(const QString& Ext) {
    return !Ext.isEmpty() && std::all_of(Ext.begin(), Ext.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'+';
    });
}

} // namespace

bool IsFileTypeRegistered(const QString& Ext) {
    const QString ext = Ext.trimmed().toLower();
    return IsPlainExtension(ext) && !QMimeDatabase().mimeTypesForFileName("file." + ext).isEmpty();
}

bool RegisterFileType(const QString& Ext, const QString& Description, int IconIndex) {
    const QString ext = Ext.trimmed().toLower();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!IsPlainExtension(ext) || data.isEmpty())
        return false;

    const QString mimeFolder = data + "/mime";
    const TWriteResult mime = WriteIfChanged(mimeFolder + "/packages/plotyra-" + ext + ".xml",
                                             MimePackageText({{ext, Description, IconIndex}}));
    const QString icons = data + "/icons/hicolor/scalable/";
    const QString typeIcon = DataFileIconName(IconIndex) + ".svg";
    const QString appIcon = QLatin1String(ProgramDesktopId) + ".svg";
    CopyResourceIfChanged(":/desktop/icons/mimetypes/" + typeIcon, icons + "mimetypes/" + typeIcon);
    CopyResourceIfChanged(":/desktop/icons/apps/" + appIcon, icons + "apps/" + appIcon);

    const QString applications = data + "/applications";
    const QString entryFile = applications + "/" + ProgramDesktopId + ".desktop";
    QStringList types = ListedMimeTypes(entryFile);
    if (const QString type = DataFileMimeType(ext); !types.contains(type))
        types += type;
    const TWriteResult entry =
        WriteIfChanged(entryFile, DesktopEntryText(QCoreApplication::applicationFilePath(), types));

    if (mime == TWriteResult::Written)
        RunUpdateTool("update-mime-database", mimeFolder);
    if (entry == TWriteResult::Written)
        RunUpdateTool("update-desktop-database", applications);
    return entry != TWriteResult::Failed;
}

void ShellOpen(const QString& FileName, const QString&, const QString& Folder, int,
               QWidget* Parent) {
    const bool isUrl = FileName.contains(QLatin1String("://"));
    const QUrl url =
        isUrl ? QUrl(FileName) : QUrl::fromLocalFile(QDir(Folder).absoluteFilePath(FileName));
    QString problem;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        problem = QStringLiteral("\"%1\" does not exist.");
    else if (!QDesktopServices::openUrl(url))
        problem = QStringLiteral("No application is set up to open \"%1\".");
    if (!problem.isEmpty() && Parent != nullptr)
        QMessageBox::warning(Parent, QCoreApplication::applicationName(),
                             problem.arg(url.toDisplayString(QUrl::PreferLocalFile)));
}
