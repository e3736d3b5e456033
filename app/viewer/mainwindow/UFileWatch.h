// Watching the shown file and the listed folder for changes made by other programs, through the
// system's change notices (no polling). A burst of changes gives one notice: the folder's after
// a short pause, the file's once its size and time stamp have stopped changing.
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// What a file looks like from outside: a writer that is still busy changes it.
struct TFileStamp {
    bool Exists = false;
    qint64 Size = -1;
    QDateTime Modified;

    static TFileStamp Of(const QString& Path);
    bool operator==(const TFileStamp&) const = default;
};

class TFileWatch : public QObject {
    Q_OBJECT
public:
    // A file counts as written once it kept its stamp this long.
    static constexpr int SettleMs = 120;
    // A folder's changes are gathered this long, so a folder filling with many files is listed
    // a few times a second, not once per file.
    static constexpr int FolderPauseMs = 250;
    // After a read that found the file incomplete: how often and how many times to look again.
    static constexpr int RetryMs = 300;
    static constexpr int MaxRetries = 40;

    explicit TFileWatch(QObject* Parent = nullptr);

    // The file whose changes are reported (empty: none).
    void WatchFile(const QString& Path);
    QString File() const { return FFile; }
    // The folder whose changes are reported (empty: none).
    void WatchFolder(const QString& Folder);
    QString Folder() const { return FFolder; }
    // The file, read as Read shows it, was incomplete: look again shortly, and keep looking a
    // while even when the system reports nothing more; once it changed and settled it is due.
    void RetryLater(const TFileStamp& Read);
    // Stops waiting for the file to settle and drops pending retries.
    void Calm();

signals:
    // The watched file changed and has kept its stamp since (or a retry is due).
    void FileSettled();
    // Files appeared in the watched folder, vanished or were renamed.
    void FolderChanged();

private:
    void FileNotice();
    void FolderNotice();
    void SettleTick();
    // A file replaced by renaming another over it is dropped by the system's watch: watch the
    // new one.
    void RewatchFile();

    QFileSystemWatcher FWatcher;
    QTimer FSettle;
    QTimer FFolderPause;
    QString FFile;
    QString FFolder;
    TFileStamp FLastStamp;
    // A change was noticed and FileSettled follows once the stamp holds still.
    bool FSettling = false;
    int FRetriesLeft = 0;
};
