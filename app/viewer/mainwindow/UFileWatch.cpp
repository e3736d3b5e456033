#include "mainwindow/UFileWatch.h"

#include <QFileInfo>

TFileStamp TFileStamp::Of(const QString& Path) {
    const QFileInfo info(Path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified()};
}

TFileWatch::TFileWatch(QObject* Parent) : QObject(Parent) {
    FSettle.setSingleShot(true);
    FFolderPause.setSingleShot(true);
    FFolderPause.setInterval(FolderPauseMs);
    connect(&FWatcher, &QFileSystemWatcher::fileChanged, this, &TFileWatch::FileNotice);
    connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, &TFileWatch::FolderNotice);
    connect(&FSettle, &QTimer::timeout, this, &TFileWatch::SettleTick);
    connect(&FFolderPause, &QTimer::timeout, this, &TFileWatch::FolderChanged);
}

void TFileWatch::WatchFile(const QString& Path) {
    if (Path != FFile) {
        if (!FFile.isEmpty())
            FWatcher.removePath(FFile);
        FFile = Path;
        Calm();
    }
    RewatchFile();
    FLastStamp = TFileStamp::Of(FFile);
}

void TFileWatch::WatchFolder(const QString& Folder) {
    if (Folder == FFolder)
        return;
    if (!FFolder.isEmpty())
        FWatcher.removePath(FFolder);
    FFolder = Folder;
    FFolderPause.stop();
    if (!FFolder.isEmpty())
        FWatcher.addPath(FFolder);
}

void TFileWatch::RetryLater(const TFileStamp& Read) {
    FLastStamp = Read;
    FSettling = false;
    FRetriesLeft = MaxRetries;
    FSettle.start(RetryMs);
}

void TFileWatch::Calm() {
    FSettle.stop();
    FSettling = false;
    FRetriesLeft = 0;
}

void TFileWatch::FileNotice() {
    RewatchFile();
    FLastStamp = TFileStamp::Of(FFile);
    FSettling = true;
    FSettle.start(SettleMs);
}

// The first notice of a burst starts the pause; later ones ride along, so a folder that keeps
// changing is still listed again after each pause.
void TFileWatch::FolderNotice() {
    if (!FFile.isEmpty() && !FWatcher.files().contains(FFile) && QFileInfo::exists(FFile))
        FileNotice(); // the file came back, renamed into place
    if (!FFolderPause.isActive())
        FFolderPause.start();
}

void TFileWatch::SettleTick() {
    if (FFile.isEmpty())
        return;
    RewatchFile();
    const TFileStamp now = TFileStamp::Of(FFile);
    if (now != FLastStamp) {
        FLastStamp = now;
        FSettling = true;
        FSettle.start(SettleMs);
        return;
    }
    if (FSettling) {
        FSettling = false;
        FRetriesLeft = 0;
        emit FileSettled();
        return;
    }
    // Unchanged since the incomplete read: the writer may not be done yet.
    if (FRetriesLeft-- > 0)
        FSettle.start(RetryMs);
}

void TFileWatch::RewatchFile() {
    if (!FFile.isEmpty() && !FWatcher.files().contains(FFile) && QFileInfo::exists(FFile))
        FWatcher.addPath(FFile);
}
