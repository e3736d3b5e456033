// The program's data-file types on the desktop, and opening a document with the desktop's
// default application.
#pragma once

#include <QString>

class QWidget;

// True when the desktop already knows the extension (given without the dot, any case).
bool IsFileTypeRegistered(const QString& Ext);

// Describes the extension to the desktop with the program as its opener; true when the open
// command was written. A folder that cannot be written is skipped silently.
bool RegisterFileType(const QString& Ext, const QString& Description, int IconIndex);

// Opens a file or document with the desktop's default application.
void ShellOpen(const QString& FileName, const QString& Params, const QString& Folder,
               int ShowCmd, QWidget* Parent = nullptr);
