#include "UFileType.h"

#include <QDesktopServices>
#include <QUrl>

bool IsFileTypeRegistered(const QString&) { return true; }

bool RegisterFileType(const QString&, const QString&, int) { return false; }

void ShellOpen(const QString& FileName, const QString&, const QString&, int, QWidget*) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(FileName));
}
