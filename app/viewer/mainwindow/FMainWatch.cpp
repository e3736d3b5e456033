#include "mainwindow/FMain.h"

#include "QorDataText.h"
#include "QorImportOpen.h"
#include "QorImportOptions.h"
#include "QorImportRegistry.h"
#include "QorUpdateBracket.h"
#include "mainwindow/UFileListBox.h"
#include "mainwindow/UFileWatch.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <algorithm>
#include <string>
#include <vector>

namespace {

// The reader's word for a file that stopped before its numbers did.
bool EndsEarly(const std::vector<std::string>& Warnings) {
    return std::any_of(Warnings.begin(), Warnings.end(),
                       [](const std::string& w) { return w.rfind("file ends after", 0) == 0; });
}

// Why what was read is not the whole file, or empty when it is.
QString Incomplete(const TQorOpenOutcome& Outcome) {
    if (!Outcome.Ok)
        return Outcome.Error.empty() ? QString("it cannot be read")
                                     : QString::fromStdString(Outcome.Error);
    return EndsEarly(Outcome.Warnings) ? QString("it ends early") : QString();
}

// The data of Path into Chart, without properties: a native chart file from Text, the bytes read
// once (null for another format, which its importer reads from the file).
TQorOpenOutcome ReadData(TQor3DChart& Chart, const QString& Path, const std::string* Text,
                         const TQorImportOptions& Options) {
    if (Text == nullptr)
        return OpenChartData(Chart, nullptr, Path.toStdString(), false, Options);
    const TQorTextSource source(*Text);
    return OpenChartSource(Chart, nullptr, source, QFileInfo(Path).fileName().toStdString(), false);
}

} // namespace

void TFormMain::BuildWatch() {
    FWatch = new TFileWatch(this);
    connect(FWatch, &TFileWatch::FileSettled, this, &TFormMain::LoadedFileChanged);
    connect(FWatch, &TFileWatch::FolderChanged, this, &TFormMain::FolderFilesChanged);
}

void TFormMain::SetReloadOnChange(bool On) {
    FReloadOnChange = On;
    FWatch->WatchFile(On ? FLoadedFile : QString());
}

// The shown file changed on disk and has settled: its data are read again as Reload reads them,
// but the view and the properties stay. The data are first read into a scratch chart; when that
// finds the file incomplete (a writer still at work, or paused between two steps) the chart keeps
// its last complete data and the watch looks again shortly. A native chart file is read into
// memory once, so the check and the load see the same bytes; an imported file is read twice and
// a change between the two reads is caught by its stamp.
void TFormMain::LoadedFileChanged() {
    if (!FReloadOnChange || FLoadedFile.isEmpty() || Playing())
        return;
    const QString path = FLoadedFile;
    const TFileStamp before = TFileStamp::Of(path);
    const auto keepLast = [&](const QString& Why) {
        ShowStatus(QString("%1: %2; the chart keeps its last complete data until the file is "
                           "whole.")
                       .arg(QDir::toNativeSeparators(path), Why));
        FWatch->RetryLater(before);
    };
    if (!before.Exists) {
        keepLast("the file is gone");
        return;
    }
    TQorImportOptions options;
    ChooseImportOptions(path, false, options);
    const TQorImportReader* reader = TQorImportRegistry::Default().Choose(path.toStdString());
    std::string text;
    const bool native = reader == nullptr || reader->Native;
    if (native) {
        TQorTextSource source;
        std::string error;
        if (!source.Open(path.toStdString(), &error) || !ReadSourceText(source, 0, text, &error)) {
            keepLast(error.empty() ? QString("it cannot be read") : QString::fromStdString(error));
            return;
        }
    }
    const std::string* bytes = native ? &text : nullptr;
    {
        TQor3DChart scratch;
        scratch.SetUseLowMemory(Qor3DChart.UseLowMemory());
        const QString why = Incomplete(ReadData(scratch, path, bytes, options));
        if (!why.isEmpty() || TFileStamp::Of(path) != before) {
            keepLast(why.isEmpty() ? QString("it is being written") : why);
            return;
        }
    }
    TQorOpenOutcome outcome;
    {
        const TQorUpdateScope scope(Qor3DChart);
        outcome = ReadData(Qor3DChart, path, bytes, options);
        if (outcome.Ok && MenuItemAutoScaleOnLoad->isChecked()) {
            Qor3DChart.SetAllAutoRanges();
            Qor3DChart.UpdateRanges();
        }
    }
    MenuItemUseLowMemory->setChecked(Qor3DChart.UseLowMemory());
    if (const QString why = Incomplete(outcome); !why.isEmpty()) {
        keepLast(why); // changed again between the two reads
        return;
    }
    ShowStatus(QString("%1 changed and was read again.").arg(QDir::toNativeSeparators(path)));
}

// Files came or went: the list shows the folder as it is now, the selected entry and the scroll
// position kept. Sets of names are compared, so the work stays linear in the folder's size.
void TFormMain::FolderFilesChanged() {
    if (FWatch->Folder() != FFolder || FListFolder != FFolder)
        return;
    const QStringList names = ShownFolderFiles();
    const QStringList shown = CtrlFile->Files();
    if (names.size() == shown.size() &&
        QSet<QString>(names.begin(), names.end()) == QSet<QString>(shown.begin(), shown.end()))
        return;
    const QString keep = SelectedFile();
    const int scrolled = CtrlFile->verticalScrollBar()->value();
    CtrlFile->SetFiles(names);
    if (!keep.isEmpty())
        CtrlFile->SelectFile(keep);
    CtrlFile->verticalScrollBar()->setValue(scrolled);
}
