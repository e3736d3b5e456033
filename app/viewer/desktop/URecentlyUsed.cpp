#include "desktop/URecentlyUsed.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <cstdint>
#include <glib.h>
#include <memory>
#include <sys/stat.h>

namespace {

// A list of recent files beyond this is no list of ours; it is left alone.
constexpr uint64_t MaxListBytes = uint64_t(64) << 20;

struct TBookmarkFree {
    void operator()(GBookmarkFile* b) const { g_bookmark_file_free(b); }
};

} // namespace

QString RecentlyUsedFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/recently-used.xbel";
}

bool AddRecentlyUsed(const QString& Path, const QString& MimeType) {
    const QByteArray file = QFile::encodeName(RecentlyUsedFile());
    // GLib reads a FIFO or a device until it ends, which may be never.
    if (struct stat st{}; ::stat(file.constData(), &st) == 0 &&
                          (!S_ISREG(st.st_mode) || uint64_t(st.st_size) > MaxListBytes))
        return false;
    std::unique_ptr<GBookmarkFile, TBookmarkFree> bookmarks(g_bookmark_file_new());
    GError* error = nullptr;
    if (!g_bookmark_file_load_from_file(bookmarks.get(), file.constData(), &error)) {
        const bool missing = g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT);
        g_error_free(error);
        if (!missing)
            return false; // a list we cannot read is not ours to replace
    }
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(Path).absoluteFilePath()).toEncoded();
    const QByteArray mime = MimeType.toUtf8();
    const QByteArray exec =
        "'" + QFile::encodeName(QCoreApplication::applicationFilePath()) + "' %u";
    g_bookmark_file_set_mime_type(bookmarks.get(), uri.constData(), mime.constData());
    g_bookmark_file_add_application(bookmarks.get(), uri.constData(), "Plotyra", exec.constData());
    QDir().mkpath(QFileInfo(RecentlyUsedFile()).absolutePath());
    const bool written = g_bookmark_file_to_file(bookmarks.get(), file.constData(), &error);
    if (!written)
        g_error_free(error);
    return written;
}
