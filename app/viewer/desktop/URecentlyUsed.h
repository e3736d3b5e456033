// The desktop's list of recently used files ($XDG_DATA_HOME/recently-used.xbel), which file
// managers and file dialogs show. GLib keeps the file format and the other programs' entries.
#pragma once

#include <QString>

// Records that the program opened Path (a local file of the given MIME type). False when the
// list could not be written, or exists but cannot be read (it is then left alone).
bool AddRecentlyUsed(const QString& Path, const QString& MimeType);
// Where the list lives.
QString RecentlyUsedFile();
