// The freedesktop files that describe the program and its data-file types: the
// shared-mime-info package, the desktop entry and the icon names. The viewer writes them into
// the user's data folder when the desktop does not know the types yet; the build writes the
// installed copies from the same text.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The program on the desktop: desktop-entry and AppStream id, and the application icon's name.
inline constexpr char ProgramDesktopId[] = "org.plotyra.Plotyra";

struct TDataFileType {
    QString Ext; // without the dot
    QString Description;
    int IconIndex = 0;
};

// The chart data types the program opens: "p3d" with the 3D icon, "p4d" with the 4D icon.
QList<TDataFileType> ProgramDataFileTypes();

// "application/x-plotyra-p3d" for "p3d" (any case).
QString DataFileMimeType(const QString& Ext);
// The mimetypes icon of an icon index: 0 the 3D chart, 1 (and above) the 4D chart.
QString DataFileIconName(int IconIndex);

// A shared-mime-info package describing the types: a glob on the extension and, for the
// program's own extensions, a magic match on the tag line the program writes.
QByteArray MimePackageText(const QList<TDataFileType>& Types);

// A desktop entry that opens a file with Program ("plotyra", or a full path).
QByteArray DesktopEntryText(const QString& Program, const QStringList& MimeTypes);
// Program as one argument of a desktop entry's Exec line, quoted and escaped where needed.
QString DesktopExecProgram(const QString& Program);
