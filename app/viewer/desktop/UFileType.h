// The program's data-file types on the desktop, and opening a document with the desktop's
// default application.
#pragma once

#include <QString>

class QWidget;

// True when the desktop already knows the extension (given without the dot, any case): some
// MIME type, ours or another program's, has a glob for it.
bool IsFileTypeRegistered(const QString& Ext);

// Describes the extension to the desktop with the program as its opener, in the user's data
// folder ($XDG_DATA_HOME): a shared-mime-info package, the type's icon and the program's
// desktop entry, then the desktop's update tools where they are installed. True when the
// desktop entry (the open command) was written. A folder that cannot be written is skipped
// silently; files that already hold the same text are left alone.
bool RegisterFileType(const QString& Ext, const QString& Description, int IconIndex);

// Opens a file or document (a path, relative to Folder when given, or a URL) with the desktop's
// default application. Params and ShowCmd have no counterpart on the desktop. When Parent is
// given, a missing file or a desktop that cannot open it is reported in a message box.
void ShellOpen(const QString& FileName, const QString& Params, const QString& Folder, int ShowCmd,
               QWidget* Parent = nullptr);
